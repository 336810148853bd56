#include "sslserver.h"
#include "consolefiles.h"
#include "commands/core/whitelistfile.h"
#include "thinclientinfo.h"
#include "utils.h"
#include "wire.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStorageInfo>
#include <QTemporaryFile>

#include <algorithm>
#include <cstdio>

#include <sys/stat.h>

// Files moving between the console and a device, one request at a time, the
// device asking and the console answering. A device holds at most one open
// transfer, in its record. Paths and names come from the device and are
// trusted for nothing: downloads must resolve, links and all, into one of the
// configured directories, and uploads land only in the temporary directory.
// A device may fill neither the disk nor another device's files: an upload
// grows under a temporary name, has a size limit, stops while the disk runs
// low, and takes its own name only once the device closes it whole.

namespace {

constexpr quint8 ReplyType = 7;
constexpr quint8 WhiteListType = 49;
constexpr qint64 MiB = 1 << 20;
constexpr qint64 MaxUpload = 64 * MiB;
constexpr qint64 MinFreeSpace = 256 * MiB;
const char DepartmentFile[] = "KorvaneManager.ini";
constexpr qsizetype MaxNameBytes = 255;

SSLServer::FreeSpaceProbe freeSpaceProbe;

bool lowOnSpace(const QString &dir)
{
    const qint64 free = freeSpaceProbe ? freeSpaceProbe(dir) : QStorageInfo(dir).bytesAvailable();
    return free < MinFreeSpace;
}

// An upload in progress; it removes its file unless it was put in place.
class Upload : public QTemporaryFile
{
public:
    using QTemporaryFile::QTemporaryFile;
    QString target;
};

// Devices name their uploads after their MAC address ("001122334455_…"). A
// name that starts with any other device's address is not this device's to
// read or write.
bool isForeignDeviceFile(const QString &fileName, const QString &ownMac)
{
    const QString prefix = ConsoleFiles::deviceFileMac(fileName);
    if (prefix.isEmpty())
        return false;
    QString own = ownMac;
    own.remove(QLatin1Char(':')).remove(QLatin1Char('-'));
    return prefix.compare(own, Qt::CaseInsensitive) != 0;
}

// Where a device may read from. Signage content is fetched with a non-zero
// sub-code, so those directories count only then.
const struct {
    const char *key;
    bool signageOnly;
} readableDirs[] = {
    {"firmwareImageDir", false},
    {"appImageDir", false},
    {"hotfixDir", false},
    {"tempDir", false},
    {"signageContentDir1", true},
    {"signageContentDir2", true},
    {"signageContentDir3", true},
};

QString tempDir(QSettings *settings)
{
    return settings ? settings->value(QStringLiteral("tempDir")).toString() : QString();
}

// The canonical path of a requested file when it lies in an allowed
// directory, else nothing. The path as the device wrote it must already name
// a place in one (the directory as set, or where its links lead): anything
// else is not looked up at all, as resolving it would visit whatever it
// names (a network share, an automounted directory) on the device's word
// and hold the window meanwhile. Links are then resolved on both sides, so a
// link inside a directory that points out of it is refused, and the file
// opened is the one that was checked. Another device's upload is refused
// where uploads land, the temporary directory; elsewhere a name like one
// is content that has it by chance (a time stamp: "20240315-0930_x.png").
QString resolveDownload(QSettings *settings, const QString &requested, quint8 subCode, const QString &ownMac)
{
    if (!settings || requested.isEmpty())
        return QString();
    QStringList named, canonical;
    QString uploads;   // the temporary directory, resolved, with its slash
    for (const auto &d : readableDirs) {
        if (d.signageOnly && subCode == 0)
            continue;
        const QString dir = settings->value(QLatin1String(d.key)).toString();
        // A relative one (a hand-edited store, a content directory typed as
        // ".") would stand for the folder the console was started in, often
        // the administrator's home.
        if (dir.trimmed().isEmpty() || QDir::isRelativePath(dir))
            continue;
        const QString canonicalDir = QFileInfo(dir).canonicalFilePath();
        if (canonicalDir.isEmpty())
            continue;
        named << dir << canonicalDir;
        canonical << canonicalDir;
        if (qstrcmp(d.key, "tempDir") == 0)   // the root ends in a slash already
            uploads = canonicalDir.endsWith(QLatin1Char('/')) ? canonicalDir : canonicalDir + QLatin1Char('/');
    }
    const auto inOneOf = [](const QStringList &dirs, const QString &path) {
        return std::any_of(dirs.cbegin(), dirs.cend(),
                           [&path](const QString &dir) { return Utils::pathContains(path, dir); });
    };
    if (!inOneOf(named, requested))
        return QString();
    const QString file = QFileInfo(requested).canonicalFilePath();
    // The department file lists every MAC address of the fleet.
    if (file.isEmpty() || QFileInfo(file).fileName().compare(QLatin1String(DepartmentFile), Qt::CaseInsensitive) == 0)
        return QString();
    if (!uploads.isEmpty() && file.startsWith(uploads) && isForeignDeviceFile(QFileInfo(file).fileName(), ownMac))
        return QString();
    return inOneOf(canonical, file) ? file : QString();
}

// An upload name must stay inside the temporary directory, and be one the
// file system can hold: it limits a name's bytes, and a Latin-1 letter past
// ASCII takes two. A longer name would fail only at the final rename, after
// the device was told that its upload went through.
bool isPlainFileName(const QString &name)
{
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String("..")
        || name.contains(QLatin1Char('/')) || name.contains(QLatin1Char('\\'))
        || QFile::encodeName(name).size() > MaxNameBytes)
        return false;
    // A device's upload shares the directory with the console's own files
    // and must never replace one of them, nor plant the partial file that
    // an update download would resume from.
    return !ConsoleFiles::isOwnFile(name) && !ConsoleFiles::isPartialDownload(name)
           && !ConsoleFiles::isUploadInProgress(name);
}

// A download opened from its descriptor; it keeps the name it was opened by,
// and the size the device was told.
class Download : public QFile
{
public:
    explicit Download(const QString &path) : m_path(path) {}
    QString fileName() const override { return m_path; }

    qint64 announced = 0;

private:
    QString m_path;
};

// The file a download checked, opened as it was checked. Where others may
// write (a shared content folder), a name can turn into a link, or a pipe,
// between the check and the open: the file opened must still be the regular
// file at the checked path, reached through no link, else nothing is sent.
// A pipe is not waited on.
Download *openChecked(const QString &path)
{
    struct stat opened, named;
    auto *file = new Download(path);
    if (!Utils::openRegular(file, true, &opened) || QFileInfo(path).canonicalFilePath() != path
        || ::stat(QFile::encodeName(path).constData(), &named) != 0 || named.st_dev != opened.st_dev
        || named.st_ino != opened.st_ino) {
        delete file;
        return nullptr;
    }
    return file;
}

void endTransfer(ThinclientInfo *record, bool uploadsClosed)
{
    // An upload that got whole takes its name; a cut one goes with its file.
    if (auto *upload = dynamic_cast<Upload *>(record->transferFile); upload && !uploadsClosed && upload->isOpen()
        && upload->flush()) {
        upload->close();
        // The rename replaces whatever has the name (even a pipe or a link)
        // without writing into it.
        if (std::rename(QFile::encodeName(upload->fileName()).constData(),
                        QFile::encodeName(upload->target).constData()) == 0)
            upload->setAutoRemove(false);
    }
    record->transferFile->close();
    delete record->transferFile;
    record->transferFile = nullptr;
}

} // namespace

void SSLServer::setFreeSpaceProbe(FreeSpaceProbe probe) { freeSpaceProbe = probe; }

int SSLServer::removeUnfinishedUploads()
{
    const QString dir = tempDir(settings);
    if (dir.trimmed().isEmpty())
        return 0;
    int removed = 0;
    const QFileInfoList left = QDir(dir).entryInfoList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QFileInfo &file : left)
        if (ConsoleFiles::isUnfinishedUpload(file.fileName()) && !file.isSymLink() && QFile::remove(file.filePath()))
            ++removed;
    return removed;
}

QByteArray SSLServer::replyFrame(quint8 code, const QString &text)
{
    WireWriter reply(ReplyType, code);
    if (!text.isEmpty())
        reply.asciiZ(text);
    return reply.finish();
}

void SSLServer::sendReply(QSslSocket *socket, quint8 code, const QString &text)
{
    writeToDevice(socket, replyFrame(code, text));
}

void SSLServer::handleFileOpenRead(QSslSocket *socket, const char *message, int length)
{
    ThinclientInfo *record = registeredRecord(socket);
    if (!record)
        return;
    if (record->transferFile) {
        sendReply(socket, TransferReply::AlreadyOpen);
        return;
    }
    // Byte 4 is unused; the path follows it.
    PayloadReader in(message, length, Wire::HeaderSize + 1);
    const quint8 subCode = length > 1 ? quint8(message[1]) : 0;
    const QString path = resolveDownload(settings, in.asciiZ(), subCode, record->macAddress);
    if (path.isEmpty()) {
        sendReply(socket, TransferReply::NotAllowed);
        return;
    }
    // Only regular files: a directory cannot be sent and a pipe would block
    // the console on open.
    Download *file = openChecked(path);
    if (!file) {
        sendReply(socket, TransferReply::CannotOpen);
        return;
    }
    record->transferFile = file;
    file->announced = file->size();
    sendReply(socket, TransferReply::Done, QString::number(file->announced));
}

void SSLServer::handleFileReadChunk(QSslSocket *socket, const char *message, int length)
{
    ThinclientInfo *record = registeredRecord(socket);
    if (!record)
        return;
    PayloadReader in(message, length);
    const int wanted = qMin<int>(in.u16(), TransferReply::MaxChunk);
    if (in.shortRead())
        return;   // no size field: nothing sensible to answer
    QFile *file = record->transferFile;
    if (!file || !file->isOpen() || !file->isReadable()) {
        sendReply(socket, TransferReply::CannotOpen);
        return;
    }
    QByteArray data(wanted, Qt::Uninitialized);
    const qint64 got = wanted > 0 ? file->read(data.data(), wanted) : 0;
    // A file cut short while it is read (saved again in place) ends before
    // the size the device was told.
    const auto cut = [&] {
        const auto *download = dynamic_cast<const Download *>(file);
        return download && file->pos() < download->announced;
    };
    if (got < 0 || (got == 0 && wanted > 0 && cut())) {
        // Neither a failing disk nor a cut file may look like the end of the
        // file: the device would install a truncated image. Later chunks get
        // the same answer.
        file->close();
        sendReply(socket, TransferReply::CannotOpen);
        return;
    }
    if (got == 0) {
        // End of file; the device closes the transfer with message 10.
        sendReply(socket, TransferReply::NotAllowed);
        return;
    }
    data.truncate(got);
    writeToDevice(socket, WireWriter(ReplyType, TransferReply::Done).raw(data).finish());
}

void SSLServer::handleFileClose(QSslSocket *socket, const char *, int)
{
    ThinclientInfo *record = registeredRecord(socket);
    if (record && record->transferFile)
        endTransfer(record, m_uploadsClosed);
}

void SSLServer::handleFileOpenWrite(QSslSocket *socket, const char *message, int length)
{
    ThinclientInfo *record = registeredRecord(socket);
    if (!record)
        return;
    if (record->transferFile) {
        sendReply(socket, TransferReply::AlreadyOpen);
        return;
    }
    PayloadReader in(message, length);
    const QString name = in.asciiZ();
    if (!isPlainFileName(name) || isForeignDeviceFile(name, record->macAddress)) {
        sendReply(socket, TransferReply::BadName);
        return;
    }
    // Without a temporary directory the name would land in the root directory.
    const QString dir = tempDir(settings);
    if (dir.trimmed().isEmpty() || m_uploadsClosed) {
        sendReply(socket, TransferReply::CannotOpen);
        return;
    }
    const QString path = dir + QLatin1Char('/') + name;
    // Only a regular file is replaced: not a link, a pipe, a device or a
    // directory.
    const QFileInfo existing(path);
    if (existing.isSymLink() || (existing.exists() && !existing.isFile()) || lowOnSpace(dir)) {
        sendReply(socket, TransferReply::CannotOpen);
        return;
    }
    // A file that cannot be created stays the device's transfer until its
    // message 10, as the device expects to close what it asked to open.
    auto *upload = new Upload(dir + QLatin1Char('/') + QLatin1String(ConsoleFiles::UploadPrefix) + QLatin1String("XXXXXX"));
    upload->target = path;
    record->transferFile = upload;
    if (!upload->open()) {
        sendReply(socket, TransferReply::CannotOpen);
        return;
    }
    sendReply(socket, TransferReply::Done);
}

void SSLServer::handleFileWriteChunk(QSslSocket *socket, const char *message, int length)
{
    ThinclientInfo *record = registeredRecord(socket);
    if (!record)
        return;
    QFile *file = record->transferFile;
    // A download is never written to: it is one of the console's own files.
    if (!file || !file->isOpen() || !file->isWritable()) {
        sendReply(socket, TransferReply::NoWriteFile);
        return;
    }
    // The header's count, never more than what arrived. A chunk is written
    // whole: the frame bounds it, and bytes left out would leave a hole in a
    // file that then takes its name as a whole upload.
    const int announced = PayloadReader(message, length, 2).u16();
    PayloadReader in(message, length);
    const QByteArray chunk = in.bytes(announced);
    if (chunk.isEmpty())
        return;
    const qint64 before = file->size();
    const qint64 after = before + chunk.size();
    const bool refused = after > MaxUpload
        || (before / MiB != after / MiB && lowOnSpace(tempDir(settings)));
    if (refused || file->write(chunk) != chunk.size() || !file->flush()) {
        // A partial file would pass for a whole upload: remove it (closing
        // it), so the device's later chunks are refused until it closes.
        file->remove();
        if (refused)
            sendReply(socket, TransferReply::NoWriteFile);
    }
}

void SSLServer::handleWhiteListRequest(QSslSocket *socket, const char *, int)
{
    // Answered to any device past the handshake, registered or not.
    // Cut as the white-list command cuts it, so that a device gets the same
    // list by either road.
    QByteArray list;
    const QString dir = tempDir(settings);
    if (!dir.trimmed().isEmpty())
        list = WhiteListFile::payload(dir, TransferReply::MaxWhiteList);
    writeToDevice(socket, WireWriter(WhiteListType, 0).raw(list).finish());
}
