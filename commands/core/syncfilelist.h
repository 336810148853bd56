#ifndef SYNCFILELIST_H
#define SYNCFILELIST_H

#include <QString>

class QIODevice;

// Follows a list walk: shows where it is and may stop it. The progress dialog
// implements it; the walk itself knows nothing of widgets.
class SyncFileListObserver
{
public:
    virtual ~SyncFileListObserver();
    // The walk works in dir, which has entryCount entries: on entering it and
    // again on coming back to it from one of its subdirectories.
    virtual void directoryShown(const QString &dir, int entryCount);
    // The walk is about to take entry index of the directory shown last.
    virtual void entryReached(int index);
    // Called between the parts of a file being summed: a large one (a video,
    // a disk image) takes seconds or more, and cancelled() is asked after it.
    virtual void summing();
    // Asked before every entry, while a file is summed and at the end of
    // every directory.
    virtual bool cancelled();
    // A file whose contents could not be read, or an entry whose path the
    // list cannot carry (a directory then with all it holds); it is left out
    // of the list.
    virtual void unreadableFile(const QString &path);
};

// The list of a signage content directory that a device syncs from: one
// "dir=" line per subdirectory and one "file= md5sum=" line per file, depth
// first, each directory's entries sorted by name with case and directories
// first, so a device can compare its copy entry by entry.
namespace SyncFileList {

enum class Result {
    Written,
    Cancelled,
    MissingArgument,   // empty directory or list path
    NoDirectory,
    Unreadable,        // the directory cannot be listed (already reported to the observer)
    CannotCreate,
    WriteFailed,
};

// The list file of output 1, 2 or 3 in the temporary directory; empty when
// no temporary directory is set.
QString listPath(const QString &tempDir, int output);

// Walks dir and writes its lines to out (opened for writing, text mode).
// Never Written after a cancel, wherever the walk was when it came. A
// subdirectory that cannot be listed is reported and left out; dir itself
// is Unreadable.
Result write(const QString &dir, QIODevice *out, SyncFileListObserver *observer = nullptr);

// Writes the list of dir into listPath. The file is replaced only when the
// whole list was written: a cancelled or failed walk leaves the previous list.
Result create(const QString &dir, const QString &listPath, SyncFileListObserver *observer = nullptr);

} // namespace SyncFileList

#endif // SYNCFILELIST_H
