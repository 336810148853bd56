#include "failingwrites.h"

#include <QDir>
#include <QFile>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>

#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

// Every thread closes files through the stand-in, also while a test sets or
// clears the folder: the step is stored last, once the folder is there.
char failingFolder[PATH_MAX];
std::atomic<int> failingStep{-1};

// The folder an open file lies in, as the system names it: a file made
// without a name (O_TMPFILE, as QSaveFile makes them) shows as "#N (deleted)"
// in the folder it was made in.
bool inFailingFolder(int fd, int step)
{
    const int armed = failingStep;
    const bool folderAlone = armed == FailingWrites::FolderSync;
    const bool anySync = folderAlone || armed == FailingWrites::NoSync;
    if (armed != step && !(anySync && step == FailingWrites::Sync))
        return false;
    struct stat st;
    if (::fstat(fd, &st) != 0 || !(S_ISREG(st.st_mode) || S_ISDIR(st.st_mode)))
        return false;
    char link[64];
    char path[PATH_MAX];
    std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    const ssize_t n = ::readlink(link, path, sizeof path - 1);
    if (n <= 0)
        return false;
    path[n] = '\0';
    if (S_ISDIR(st.st_mode) && std::strcmp(path, failingFolder) == 0)
        return true;
    if (folderAlone)
        return false;
    char *slash = std::strrchr(path, '/');
    if (!slash)
        return false;
    *slash = '\0';
    return std::strcmp(path, failingFolder) == 0;
}

int failed()
{
    errno = failingStep == FailingWrites::NoSync ? EINVAL : EIO;
    return -1;
}

} // namespace

FailingWrites::FailingWrites(const QString &folder, Step step)
{
    const QByteArray path = QFile::encodeName(QDir(folder).canonicalPath());
    std::snprintf(failingFolder, sizeof failingFolder, "%s", path.constData());
    failingStep = step;
}

FailingWrites::~FailingWrites()
{
    failingStep = -1;
}

extern "C" int fsync(int fd)
{
    return inFailingFolder(fd, FailingWrites::Sync) ? failed() : int(::syscall(SYS_fsync, fd));
}

extern "C" int fdatasync(int fd)
{
    return inFailingFolder(fd, FailingWrites::Sync) ? failed() : int(::syscall(SYS_fdatasync, fd));
}

// The descriptor is gone after a failed close as after a good one.
extern "C" int close(int fd)
{
    const bool fails = inFailingFolder(fd, FailingWrites::Close);
    const int result = int(::syscall(SYS_close, fd));
    return fails ? failed() : result;
}
