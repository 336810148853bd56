#ifndef FAILINGWRITES_H
#define FAILINGWRITES_H

#include <QString>

// While one lives, the disk under folder loses the writes of its regular
// files and says so only at one step, as a network or USB disk does: every
// fsync (and fdatasync), or every close, of a regular file or folder in
// folder, or of folder itself, fails with EIO; or only the sync of folder
// itself, which holds the names given in it. Or the file system offers no
// sync at all: every sync there fails with EINVAL. The file's bytes are in
// it as written. Other files write as usual. Made in a test's program, this replaces the system's fsync,
// fdatasync and close for all of it.
class FailingWrites
{
public:
    enum Step { Sync, Close, FolderSync, NoSync };

    FailingWrites(const QString &folder, Step step);
    ~FailingWrites();
    FailingWrites(const FailingWrites &) = delete;
    FailingWrites &operator=(const FailingWrites &) = delete;
};

#endif // FAILINGWRITES_H
