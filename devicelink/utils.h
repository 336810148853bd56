#ifndef UTILS_H
#define UTILS_H

#include <QObject>
#include <QString>
#include <QStringList>
#include <QByteArray>

#include <functional>

class QFile;
struct stat;

// Byte order, wire strings, digests and the small file, path and address
// helpers shared by everything that talks to devices. All static; the
// pointer-based writers trust the caller for room, the readers take the
// number of received bytes so they never run past the data.
class Utils : public QObject
{
    Q_OBJECT
public:
    explicit Utils(QObject *parent = nullptr) : QObject(parent) {}

    static void putU16BE(quint8 *dst, quint16 value);
    static void getU16BE(quint16 *out, const quint8 *src);
    static void putU32BE(quint8 *dst, quint32 value);
    static quint32 getU32BE(quint32 *out, const quint8 *src);

    // Writes a WireString at buf + offset and returns its size (text bytes + 3).
    static int putString(quint8 *buf, const QString &text, int offset);
    // Reads a WireString at buf + offset; the text ends at its NUL or at
    // bufLength, whichever comes first. Returns the count field + 2.
    static int getString(const quint8 *buf, int bufLength, QString *out, int offset);
    static int copyAsciiZ(char *dst, const QString &text);

    static QString md5Hex(const QString &text);
    static QString md5Hex(const QByteArray &data);
    static QString md5Hex(const char *data, int length);
    // goOn, when given, is called between the parts of the file; false from
    // it stops the sum, which then fails.
    static bool fileMd5(const QString &path, QString *out, const std::function<bool()> &goOn = {});

    // True when path, once cleaned, is dir or lies below it. dir must be non-empty.
    static bool pathContains(const QString &path, const QString &dir);
    // Whether path, below a folder that every user may write to (the shared
    // temporary folder), is anything but a folder of this user's reached
    // through folders of this user's or the system's: gone (for anybody to
    // make again), a link, or something another user made there to receive
    // or feed the console's files. True as well for a folder every user may
    // write into, and for anything below one without the sticky bit (whose
    // entries anybody may move away). False where no folder at or above it is
    // open to every user.
    static bool isNotOwnInSharedFolder(const QString &path);
    // Opens file (its name set) for reading only when the name is a regular
    // file, never waiting on a pipe; with noFollow, a link at the name's end
    // is refused too. *opened, when given, gets the opened file's status.
    static bool openRegular(QFile *file, bool noFollow, struct stat *opened = nullptr);
    // Reads an open file up to limit bytes into *out. False when a read
    // fails, part-way as well: QFile hands back what came before a failing
    // read as if the file ended there.
    static bool readUpTo(QFile *file, qint64 limit, QByteArray *out);
    static bool isValidIPv4(const QString &text);
    // Digits and dots alone that make no such address: a resolver reads a
    // part padded with zeros as octal and fills in parts left out ("10.1.2"
    // is 10.1.0.2), so a host typed so names another address than it shows.
    static bool isMisreadAddress(const QString &text);
    // Whether text is a number from min to max written in ASCII digits
    // alone: devices get such texts as typed, so a sign or a blank that a
    // lenient conversion would pass over must not be taken.
    static bool isPlainNumber(const QString &text, int min, int max);
    static quint32 ipv4ToUInt(const QString &text);
    // Versions compared number by number, the first most significant; a
    // part that is not a number, or is missing, counts as 0 (so 1.2 and
    // 1.2.0 are equal). Negative, 0 or positive as a is older, the same or
    // newer than b.
    static int compareVersions(const QStringList &a, const QStringList &b);
    // A version name's parts, as compareVersions takes them: dashes read
    // as dots ("2-0-1" is 2.0.1).
    static QStringList versionParts(const QString &name);
    // The subdirectory of dir whose name is the newest version, dashes read
    // as dots; among equal ones the first in name order.
    static void latestVersionSubdir(const QString &dir, QString *out);
    static void listFiles(QStringList *out, const QString &dir, const QString &pattern);
    static bool removeFiles(const QString &dir, const QString &pattern);

    // Qt 4's toAscii/fromAscii: Latin-1, "?" for what Latin-1 cannot hold.
    static QByteArray toWire(const QString &text);
    static QString fromWire(const char *data, int length);
    // Whether toWire keeps every character: a path that a device is to send
    // back must arrive as it stands, not with "?" in it.
    static bool holdsOnWire(const QString &text);
    static bool holdsOnWire(const QStringList &texts);
    // Whether a text holds a character nobody types (a line break pasted
    // with it, another control character): devices get texts as typed, the
    // character as part of the text.
    static bool holdsControl(const QString &text);
    static bool holdsControl(const QStringList &texts);
    // Whether typed texts reach the devices as the administrator meant them:
    // each held by Latin-1, none holding a control character.
    static bool sendsAsTyped(const QStringList &texts);
    // A text a device or the update server sent, as one line to show: a line
    // break or another control character becomes a blank, so that the text
    // cannot add lines of its own to a box or the status line.
    static QString oneLine(QString text);
};

#endif // UTILS_H
