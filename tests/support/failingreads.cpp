#include "failingreads.h"

#include <QFile>

#include <algorithm>
#include <atomic>
#include <cerrno>

#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

// The bad spot lies this far into the file.
constexpr off_t GoodBytes = 10;

// Every thread of the program reads through the stand-in, also while a test
// sets or clears the file. The inode says whether a file is set, so the
// device is stored first.
std::atomic<dev_t> failingDevice{0};
std::atomic<ino_t> failingInode{0};

} // namespace

FailingReads::FailingReads(const QString &path)
{
    struct stat st;
    if (::stat(QFile::encodeName(path).constData(), &st) == 0) {
        failingDevice = st.st_dev;
        failingInode = st.st_ino;
    }
}

FailingReads::~FailingReads()
{
    failingInode = 0;
}

// By the file's offset, not by the number of calls: a read that starts over
// after a seek fails where the disk does, as a reader that looks at the
// file twice (once for its encoding, once for its text) meets it.
extern "C" ssize_t read(int fd, void *buf, size_t count)
{
    // Sockets and pipes have inode numbers of their own file systems: the
    // device tells them from the file.
    const ino_t inode = failingInode;
    struct stat st;
    if (inode && ::fstat(fd, &st) == 0 && st.st_ino == inode && st.st_dev == failingDevice) {
        const off_t at = ::lseek(fd, 0, SEEK_CUR);
        if (at < 0 || at >= GoodBytes) {
            errno = EIO;
            return -1;
        }
        count = std::min<size_t>(count, size_t(GoodBytes - at));
    }
    return ::syscall(SYS_read, fd, buf, count);
}
