#include "testfiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#ifdef Q_OS_LINUX
#include <fcntl.h>
#include <sys/statfs.h>
#include <sys/syscall.h>
#include <unistd.h>
#endif

bool TestFiles::write(const QString &path, const QByteArray &data)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(data) == data.size();
}

QByteArray TestFiles::read(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

qint64 TestFiles::pagesNotOnDisk(const QString &path)
{
#ifdef Q_OS_LINUX
    // cachestat(2), Linux 6.5; older C headers do not name it.
    constexpr long CachestatCall = 451;
    constexpr long TmpfsMagic = 0x01021994;
    struct Range {
        quint64 offset, length;
    } range{0, 0};
    struct Stat {
        quint64 cache, dirty, writeback, evicted, recentlyEvicted;
    } stat{};
    struct statfs fs {};
    const QByteArray name = QFile::encodeName(path);
    if (::statfs(name.constData(), &fs) != 0 || fs.f_type == TmpfsMagic)
        return -1;
    const int fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return -1;
    const long rc = ::syscall(CachestatCall, fd, &range, &stat, 0);
    ::close(fd);
    return rc == 0 ? qint64(stat.dirty + stat.writeback) : -1;
#else
    Q_UNUSED(path);
    return -1;
#endif
}
