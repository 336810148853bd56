#include "utils.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

void Utils::putU16BE(quint8 *dst, quint16 value)
{
    dst[0] = quint8(value >> 8);
    dst[1] = quint8(value);
}

void Utils::getU16BE(quint16 *out, const quint8 *src)
{
    *out = quint16(src[0] << 8 | src[1]);
}

void Utils::putU32BE(quint8 *dst, quint32 value)
{
    dst[0] = quint8(value >> 24);
    dst[1] = quint8(value >> 16);
    dst[2] = quint8(value >> 8);
    dst[3] = quint8(value);
}

quint32 Utils::getU32BE(quint32 *out, const quint8 *src)
{
    *out = quint32(src[0]) << 24 | quint32(src[1]) << 16 | quint32(src[2]) << 8 | quint32(src[3]);
    return *out;
}

QByteArray Utils::toWire(const QString &text)
{
    // QString::toLatin1 already turns anything outside Latin-1 into "?".
    return text.toLatin1();
}

QString Utils::fromWire(const char *data, int length)
{
    return QString::fromLatin1(data, length);
}

bool Utils::holdsOnWire(const QString &text)
{
    for (const QChar c : text)
        if (c.unicode() > 0xFF)
            return false;
    return true;
}

bool Utils::holdsOnWire(const QStringList &texts)
{
    for (const QString &text : texts)
        if (!holdsOnWire(text))
            return false;
    return true;
}

bool Utils::holdsControl(const QString &text)
{
    return std::any_of(text.cbegin(), text.cend(), [](QChar c) { return !c.isPrint(); });
}

bool Utils::holdsControl(const QStringList &texts)
{
    return std::any_of(texts.cbegin(), texts.cend(), [](const QString &t) { return holdsControl(t); });
}

bool Utils::sendsAsTyped(const QStringList &texts)
{
    return holdsOnWire(texts) && !holdsControl(texts);
}

QString Utils::oneLine(QString text)
{
    for (QChar &c : text) {
        const QChar::Category category = c.category();
        if (category == QChar::Other_Control || category == QChar::Separator_Line
            || category == QChar::Separator_Paragraph)
            c = QLatin1Char(' ');
    }
    return text;
}

int Utils::putString(quint8 *buf, const QString &text, int offset)
{
    if (!buf)
        return 0;
    const QByteArray bytes = toWire(text);
    const int n = bytes.size();
    putU16BE(buf + offset, quint16(n + 1));
    if (n)
        memcpy(buf + offset + 2, bytes.constData(), size_t(n));
    buf[offset + 2 + n] = 0;
    return n + 3;
}

int Utils::getString(const quint8 *buf, int bufLength, QString *out, int offset)
{
    if (offset < 0 || offset + 2 > bufLength) {
        out->clear();
        return 2;
    }
    quint16 count;
    getU16BE(&count, buf + offset);
    const char *text = reinterpret_cast<const char *>(buf + offset + 2);
    const int room = bufLength - offset - 2;
    const void *nul = memchr(text, 0, size_t(room));
    const int len = nul ? int(static_cast<const char *>(nul) - text) : room;
    *out = fromWire(text, len);
    return count + 2;
}

int Utils::copyAsciiZ(char *dst, const QString &text)
{
    const QByteArray bytes = toWire(text);
    memcpy(dst, bytes.constData(), size_t(bytes.size()));
    dst[bytes.size()] = 0;
    return bytes.size() + 1;
}

QString Utils::md5Hex(const QString &text)
{
    if (text.isEmpty())
        return QString();
    return md5Hex(toWire(text));
}

QString Utils::md5Hex(const QByteArray &data)
{
    if (data.isEmpty())
        return QString();
    return QString::fromLatin1(QCryptographicHash::hash(data, QCryptographicHash::Md5).toHex());
}

QString Utils::md5Hex(const char *data, int length)
{
    if (!data || length < 1)
        return QString();
    QCryptographicHash hash(QCryptographicHash::Md5);
    hash.addData(QByteArrayView(data, length));
    return QString::fromLatin1(hash.result().toHex());
}

bool Utils::fileMd5(const QString &path, QString *out, const std::function<bool()> &goOn)
{
    // Only a regular file has a sum: a name that became a pipe (or a device)
    // after it was chosen or listed would hold the console on its open, or
    // on a read without end. The pipe is not waited on for a writer.
    QFile file(path);
    if (!openRegular(&file, false))
        return false;
    QCryptographicHash hash(QCryptographicHash::Md5);
    // Large reads keep the syscall count low on big images; memory stays bounded.
    QByteArray chunk(1 << 20, Qt::Uninitialized);
    for (;;) {
        const qint64 n = file.read(chunk.data(), chunk.size());
        // A read error is no end of file: the sum would be of a part only.
        if (n < 0)
            return false;
        if (n == 0)
            break;
        hash.addData(QByteArrayView(chunk.constData(), n));
        if (goOn && !goOn())
            return false;
    }
    file.close();
    *out = QString::fromLatin1(hash.result().toHex());
    return true;
}

static QString normalisedPath(const QString &path)
{
    // In the system's own separators only: here a backslash is a letter of a
    // name, and "<dir>\x" names a file beside the directory, not in it.
    return QDir::cleanPath(path);
}

bool Utils::openRegular(QFile *file, bool noFollow, struct stat *opened)
{
    const int fd = ::open(QFile::encodeName(file->fileName()).constData(),
                          O_RDONLY | O_CLOEXEC | O_NONBLOCK | (noFollow ? O_NOFOLLOW : 0));
    if (fd < 0)
        return false;
    struct stat info;
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)
        || !file->open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return false;
    }
    if (opened)
        *opened = info;
    return true;
}

bool Utils::readUpTo(QFile *file, qint64 limit, QByteArray *out)
{
    QByteArray data;
    while (data.size() < limit) {
        const QByteArray chunk = file->read(limit - data.size());
        if (chunk.isEmpty())
            break;
        data += chunk;
    }
    if (file->error() != QFileDevice::NoError)
        return false;
    *out = data;
    return true;
}

bool Utils::isNotOwnInSharedFolder(const QString &path)
{
    const QString clean = QDir::cleanPath(path);
    if (clean.isEmpty() || QDir::isRelativePath(clean))
        return false;
    // A folder every user may write into (the shared temporary folder
    // itself) is nobody's own, whoever made it: the data directories kept in
    // it go with a reboot, and anybody may make them again.
    struct stat self;
    if (::stat(QFile::encodeName(clean).constData(), &self) == 0 && (self.st_mode & S_IWOTH))
        return true;
    // Below the highest folder open to every user, each folder on the way
    // must be this user's own: whoever owns one may replace what lies in it.
    // The system's own may stand on the way (a per-user temporary folder is
    // made as /tmp/user/<uid>): it can replace anything anyway.
    QStringList below;
    for (QString at = clean; !QDir(at).isRoot();) {
        below << at;
        at = QFileInfo(at).absolutePath();
        struct stat folder;
        if (::stat(QFile::encodeName(at).constData(), &folder) == 0 && (folder.st_mode & S_IWOTH)) {
            // Without the sticky bit anybody may move what lies in it away
            // and put another folder in its place, whoever owns the first.
            if (!(folder.st_mode & S_ISVTX))
                return true;
            for (const QString &own : std::as_const(below)) {
                struct stat entry;
                if (::lstat(QFile::encodeName(own).constData(), &entry) != 0 || !S_ISDIR(entry.st_mode)
                    || (entry.st_uid != ::geteuid() && (own == clean || entry.st_uid != 0)))
                    return true;
            }
        }
    }
    return false;
}

bool Utils::pathContains(const QString &path, const QString &dir)
{
    // A substring test would let "<dir>/../.." or "/x<dir>" through: compare
    // cleaned paths and require the directory to be a whole leading part.
    if (dir.trimmed().isEmpty() || path.isEmpty())
        return false;
    const QString p = normalisedPath(path);
    const QString d = normalisedPath(dir);
    if (d.isEmpty() || d == QLatin1String("."))
        return false;
    if (p == d)
        return true;
    if (d.endsWith(QLatin1Char('/')))   // the root directory
        return p.startsWith(d);
    return p.startsWith(d + QLatin1Char('/'));
}

bool Utils::isValidIPv4(const QString &text)
{
    if (text.isEmpty())
        return false;
    const QStringList parts = text.split(QLatin1Char('.'), Qt::KeepEmptyParts);
    if (parts.size() != 4)
        return false;
    // The devices get the text as typed: an address they cannot read
    // leaves them off the network. A part padded with zeros, as spreadsheets
    // write them ("192.168.001.010"), is octal to the C library's reader
    // and refused by its strict one: never the address the console shows.
    for (const QString &part : parts)
        if (!isPlainNumber(part, 0, 255) || (part.size() > 1 && part.startsWith(QLatin1Char('0'))))
            return false;
    return true;
}

bool Utils::isMisreadAddress(const QString &text)
{
    if (text.isEmpty())
        return false;
    for (const QChar c : text)
        if ((c < QLatin1Char('0') || c > QLatin1Char('9')) && c != QLatin1Char('.'))
            return false;
    return !isValidIPv4(text);
}

bool Utils::isPlainNumber(const QString &text, int min, int max)
{
    if (text.isEmpty() || text.size() > QString::number(max).size())
        return false;
    for (const QChar c : text)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    const int value = text.toInt(nullptr, 10);
    return value >= min && value <= max;
}

quint32 Utils::ipv4ToUInt(const QString &text)
{
    const QStringList parts = text.split(QLatin1Char('.'), Qt::KeepEmptyParts);
    quint32 value[4] = {0, 0, 0, 0};
    for (int i = 0; i < 4 && i < parts.size(); ++i)
        value[i] = parts.at(i).toUInt(nullptr, 10);
    return quint32(value[0] << 24) + (value[1] % 256) * 65536u + (value[2] % 256) * 256u + (value[3] % 256);
}

// A version part's digits without leading zeros; "" for 0 and for a part
// that is not a number. Kept as digits, not converted: a part past 64 bits
// (a build stamp) would convert to nothing, and count as 0.
static QStringView versionDigits(const QString &part)
{
    QStringView digits = QStringView(part).trimmed();
    if (digits.startsWith(QLatin1Char('+')))
        digits = digits.mid(1);
    if (digits.isEmpty())
        return {};
    for (const QChar c : digits)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return {};
    while (digits.startsWith(QLatin1Char('0')))
        digits = digits.mid(1);
    return digits;
}

int Utils::compareVersions(const QStringList &a, const QStringList &b)
{
    for (qsizetype i = 0; i < qMax(a.size(), b.size()); ++i) {
        const QString x = a.value(i), y = b.value(i);
        const QStringView dx = versionDigits(x), dy = versionDigits(y);
        // Without leading zeros, more digits is the larger number.
        if (dx.size() != dy.size())
            return dx.size() < dy.size() ? -1 : 1;
        if (const int order = dx.compare(dy); order != 0)
            return order < 0 ? -1 : 1;
    }
    return 0;
}

QStringList Utils::versionParts(const QString &name)
{
    return QString(name).replace(QLatin1Char('-'), QLatin1Char('.')).split(QLatin1Char('.'), Qt::KeepEmptyParts);
}

void Utils::latestVersionSubdir(const QString &dir, QString *out)
{
    if (dir.isEmpty())
        return;
    const QFileInfoList entries = QDir(dir).entryInfoList(
        QDir::Dirs | QDir::NoSymLinks | QDir::NoDotAndDotDot, QDir::Name | QDir::DirsFirst);
    // Number by number: packing the parts into one value, a byte each, made
    // 1.9.9 newer than 2.0 (more parts) and 1.256 older than 1.1, and the
    // wizard then put the older firmware on devices that had the newer.
    bool first = true;
    QStringList best;
    for (const QFileInfo &entry : entries) {
        const QString name = entry.fileName();
        const QStringList parts = versionParts(name);
        if (first || compareVersions(parts, best) > 0) {
            first = false;
            best = parts;
            *out = name;
        }
    }
}

static QFileInfoList filesMatching(const QString &dir, const QString &pattern)
{
    QDir d(dir);
    d.setFilter(QDir::Files | QDir::NoSymLinks | QDir::NoDotAndDotDot);
    d.setNameFilters(QStringList(pattern));
    d.setSorting(QDir::Name | QDir::IgnoreCase);
    return d.entryInfoList();
}

void Utils::listFiles(QStringList *out, const QString &dir, const QString &pattern)
{
    if (!out || dir.isEmpty() || pattern.isEmpty())
        return;
    for (const QFileInfo &info : filesMatching(dir, pattern))
        out->append(info.absoluteFilePath());
}

bool Utils::removeFiles(const QString &dir, const QString &pattern)
{
    if (dir.isEmpty() || pattern.isEmpty())
        return true;
    for (const QFileInfo &info : filesMatching(dir, pattern))
        QFile::remove(info.absoluteFilePath());
    return true;
}
