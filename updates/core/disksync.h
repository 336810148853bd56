#ifndef DISKSYNC_H
#define DISKSYNC_H

#include <QString>

class QSaveFile;

// Puts what was written on the disk before anything relies on it. A rename,
// or a version recorded in the settings, reaches the disk on its own
// schedule, often before the bytes it stands for: after a power cut the name
// would be there with nothing, or half, behind it, and the old file it
// replaced would be gone.
namespace DiskSync {

// The file's bytes and size are on the disk; false when the disk refused them.
bool file(const QString &path);
// The names made, removed or renamed in the folder are on the disk.
bool directory(const QString &path);
// Every file and folder under root, and root itself. Links are not
// followed, and what is neither a file nor a folder is left alone.
bool tree(const QString &root);

// Commits file once its bytes are on the disk; false, with the old file
// kept, when the disk refused them. QSaveFile::commit() takes a failing
// fsync for one the file system does not offer, and closes the file only
// after its rename: a disk that tells a lost write at either (a network or
// USB disk) had the old file replaced by bytes it does not hold, and the
// save told as done.
bool commit(QSaveFile &file);

} // namespace DiskSync

#endif // DISKSYNC_H
