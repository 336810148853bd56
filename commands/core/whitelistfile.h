#ifndef WHITELISTFILE_H
#define WHITELISTFILE_H

#include <QByteArray>
#include <QString>
#include <QStringList>

// whitelist.txt in the temporary directory: the block-device lines that the
// devices' installer may overwrite, one per line, as the devices reported
// them (Latin-1, byte for byte).
namespace WhiteListFile {

// Empty when dir is empty.
QString path(const QString &dir);

// The lines of the saved list; empty when there is none, it is no regular
// file, or it cannot be read.
QStringList load(const QString &dir);

// Replaces the list as a whole; false when it could not be written completely
// (the previous list then stays).
bool save(const QString &dir, const QStringList &lines);

// Makes the list in dir "to" the one in dir "from": copied, or removed when
// "from" holds none. A list that cannot be read, or a copy that cannot be
// written, leaves "to" as it was; false then.
bool carry(const QString &from, const QString &to);

// What the devices get of the list, by the white-list command and in answer
// to their request alike: the file as read in text mode, at most maxBytes
// and only whole lines (a line cut in two would name a storage device that
// does not exist), unless the first line alone is longer, which is then cut;
// empty when the file is missing or unreadable.
QByteArray payload(const QString &dir, int maxBytes);

} // namespace WhiteListFile

#endif // WHITELISTFILE_H
