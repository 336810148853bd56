#include "failingrenames.h"

#include <QDir>
#include <QFile>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>

#include <fcntl.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

// Set before the flag, read by every thread that renames.
char failingFolder[PATH_MAX];
std::atomic<bool> failing{false};

bool inFailingFolder(const char *name)
{
    if (!failing || name[0] != '/')
        return false;
    char path[PATH_MAX];
    std::snprintf(path, sizeof path, "%s", name);
    char *slash = std::strrchr(path, '/');
    *slash = '\0';
    return std::strcmp(path, failingFolder) == 0;
}

int failed()
{
    errno = EIO;
    return -1;
}

} // namespace

FailingRenames::FailingRenames(const QString &folder)
{
    const QByteArray path = QFile::encodeName(QDir(folder).canonicalPath());
    std::snprintf(failingFolder, sizeof failingFolder, "%s", path.constData());
    failing = true;
}

FailingRenames::~FailingRenames()
{
    failing = false;
}

extern "C" int rename(const char *from, const char *to)
{
    return inFailingFolder(from) ? failed() : int(::syscall(SYS_renameat2, AT_FDCWD, from, AT_FDCWD, to, 0));
}

extern "C" int renameat(int fromDir, const char *from, int toDir, const char *to)
{
    return inFailingFolder(from) ? failed() : int(::syscall(SYS_renameat2, fromDir, from, toDir, to, 0));
}

extern "C" int renameat2(int fromDir, const char *from, int toDir, const char *to, unsigned int flags)
{
    return inFailingFolder(from) ? failed() : int(::syscall(SYS_renameat2, fromDir, from, toDir, to, flags));
}
