#ifndef SCRATCHDIR_H
#define SCRATCHDIR_H

#include <QDir>
#include <QFileInfo>
#include <QString>
#include <QTemporaryDir>

// A folder for a target's files, removed when the run ends. Every save syncs
// its file to disk: on a memory file system that costs nothing, elsewhere it
// holds a run to a hundred inputs a second.
inline QString scratchDir()
{
    static const QString shm = QStringLiteral("/dev/shm");
    static const QTemporaryDir dir((QFileInfo(shm).isWritable() ? shm : QDir::tempPath())
                                   + QStringLiteral("/korvane-fuzz-XXXXXX"));
    return dir.path();
}

#endif // SCRATCHDIR_H
