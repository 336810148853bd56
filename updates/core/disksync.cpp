#include "disksync.h"

#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>
#endif

namespace {

bool syncPath(const QString &path, bool isDirectory)
{
#ifdef Q_OS_UNIX
    // A file never through a link, and never waiting on open for the other
    // end of something that took the name meanwhile. A folder is one
    // wherever a link leads, and the folders written in are often reached
    // through one (a working directory on a bigger disk, a model's folder
    // in the store): its names are synced there.
    const int flags = O_RDONLY | O_CLOEXEC | O_NONBLOCK | (isDirectory ? O_DIRECTORY : O_NOFOLLOW);
    const int fd = ::open(QFile::encodeName(path).constData(), flags);
    // A folder the console may write in but not read (a drop folder) cannot
    // be opened to be synced at all: as where the file system offers no
    // sync, there is nothing the console could do, and its downloads and
    // installs there would fail every time.
    if (fd < 0)
        return isDirectory && errno == EACCES;
    // A file system that cannot sync such a file at all (EINVAL) has nothing
    // to lose by it; only one that could and failed counts.
    const bool synced = ::fsync(fd) == 0 || errno == EINVAL;
    const int error = errno;
    ::close(fd);
    errno = error;
    return synced;
#else
    Q_UNUSED(path);
    Q_UNUSED(isDirectory);
    return true;
#endif
}

} // namespace

bool DiskSync::file(const QString &path)
{
    return syncPath(path, false);
}

bool DiskSync::directory(const QString &path)
{
    return syncPath(path, true);
}

bool DiskSync::tree(const QString &root)
{
    bool synced = true;
    QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo info(it.next());
        if (info.isSymLink())
            continue;
        if (info.isDir())
            synced = DiskSync::directory(info.filePath()) && synced;
        else if (info.isFile())
            synced = DiskSync::file(info.filePath()) && synced;
    }
    return DiskSync::directory(root) && synced;
}

bool DiskSync::commit(QSaveFile &file)
{
#ifdef Q_OS_UNIX
    // Only a file that cannot be synced at all (EINVAL) goes on unsynced.
    if (file.isOpen() && (!file.flush() || (::fsync(file.handle()) != 0 && errno != EINVAL)))
        file.cancelWriting();
#endif
    return file.commit();
}
