#include "downloadmanager.h"
#include "disksync.h"
#include "devicelink/utils.h"

#include <QFileInfo>
#include <QNetworkAccessManager>
#include <QStorageInfo>

#include <cerrno>
#include <climits>
#include <cstdio>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const char UserAgent[] = "Korvane browser";
const char FileParameter[] = "?file=";
const int HashBlock = 10240;
const qint64 MiB = 1 << 20;

struct Reason {
    QNetworkReply::NetworkError code;
    const char *text;
};

// Reply errors as the administrator reads them. The remote host closing the
// connection has no row: it is counted (the transfer is retried and resumes)
// but not reported.
const Reason Reasons[] = {
    {QNetworkReply::ConnectionRefusedError, "Server refused connection"},
    {QNetworkReply::HostNotFoundError, "Server not found!"},
    {QNetworkReply::TimeoutError, "A timeout occurred"},
    {QNetworkReply::OperationCanceledError, "Operation was cancelled"},
    {QNetworkReply::SslHandshakeFailedError, "SSL handshake error"},
    {QNetworkReply::UnknownNetworkError, "Unknown network error"},
    {QNetworkReply::ProxyConnectionRefusedError, "Proxy connection was refused"},
    {QNetworkReply::ProxyConnectionClosedError, "Proxy connection closed"},
    {QNetworkReply::ProxyNotFoundError, "Proxy not found"},
    {QNetworkReply::ProxyTimeoutError, "Proxy timed out"},
    {QNetworkReply::ProxyAuthenticationRequiredError, "Proxy requires authentication"},
    {QNetworkReply::UnknownProxyError, "Unknown proxy"},
    {QNetworkReply::ContentAccessDenied, "Access to content denied"},
    {QNetworkReply::ContentOperationNotPermittedError, "Content operation not permitted"},
    {QNetworkReply::ContentNotFoundError, "File not found"},
    {QNetworkReply::AuthenticationRequiredError, "Authentication required"},
    {QNetworkReply::ContentReSendError, "Error resending data"},
    {QNetworkReply::UnknownContentError, "Unknown content type"},
    {QNetworkReply::ProtocolUnknownError, "Unknown protocol"},
    {QNetworkReply::ProtocolInvalidOperationError, "Invalid operation for protocol"},
    {QNetworkReply::ProtocolFailure, "Protocol failure"},
};

int httpStatus(const QNetworkReply *reply)
{
    return reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
}

// Whether a 206's Content-Range ("bytes first-last/total") starts at the
// offset. A server that names no range is taken at its word.
bool rangeStartsAt(const QNetworkReply *reply, qint64 offset)
{
    const QByteArray range = reply->rawHeader("Content-Range").trimmed();
    if (range.isEmpty())
        return true;
    const qsizetype dash = range.indexOf('-');
    if (!range.startsWith("bytes ") || dash < 0)
        return false;
    bool ok = false;
    const qint64 first = range.mid(6, dash - 6).trimmed().toLongLong(&ok);
    return ok && first == offset;
}

// Whether a 206's Content-Range ends where its total does. One without a
// Content-Range says only that it is a part, of which nothing tells the end.
bool rangeReachesEnd(const QNetworkReply *reply)
{
    const QByteArray range = reply->rawHeader("Content-Range").trimmed();
    const qsizetype dash = range.indexOf('-');
    const qsizetype slash = range.indexOf('/');
    if (dash < 0 || slash < dash)
        return false;
    bool lastOk = false;
    bool totalOk = false;
    const qint64 last = range.mid(dash + 1, slash - dash - 1).trimmed().toLongLong(&lastOk);
    const qint64 total = range.mid(slash + 1).trimmed().toLongLong(&totalOk);
    return lastOk && totalOk && total > 0 && last == total - 1;
}

// Only the web is asked for files: the server must not make the console
// open a local file (a pipe would hold it on the open for good) or take an
// address's own bytes for the file.
bool isWebAddress(const QUrl &url)
{
    return url.isValid() && (url.scheme() == QLatin1String("http") || url.scheme() == QLatin1String("https"));
}

// The partial file, opened only when it is a regular file under its own
// name. Its folder may change under the console between two runs: a link
// there would have the transfer written, or cut to nothing, wherever it
// leads, and the window would wait for good on the writes into a pipe.
// False with the reason when it could not be opened.
bool openPartial(QFile *file, bool resume, QString *why)
{
    const int fd = ::open(QFile::encodeName(file->fileName()).constData(),
                          O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | (resume ? O_APPEND : 0), 0666);
    if (fd < 0) {
        *why = qt_error_string(errno);
        return false;
    }
    struct stat info;
    // Cut only once it is known to be a file. A pipe or a device under the
    // name fails no call, and errno would tell of whatever failed before.
    const bool stated = ::fstat(fd, &info) == 0;
    if (!stated || !S_ISREG(info.st_mode) || (!resume && ::ftruncate(fd, 0) != 0)
        || !file->open(fd, resume ? QIODevice::ReadWrite | QIODevice::Append : QIODevice::ReadWrite,
                       QFileDevice::AutoCloseHandle)) {
        *why = stated && !S_ISREG(info.st_mode) ? QStringLiteral("Not a regular file") : qt_error_string(errno);
        ::close(fd);
        return false;
    }
    return true;
}

} // namespace

DownloadManager::DownloadManager(QObject *parent)
    : QObject(parent), m_network(new QNetworkAccessManager(this))
{
    m_deadline.setSingleShot(true);
    connect(&m_deadline, &QTimer::timeout, this, [this] {
        if (m_reply)
            fail(deadlineReason(m_deadline.interval()), true);
    });
    connect(&m_rateWatch, &QTimer::timeout, this, &DownloadManager::checkRate);
}

DownloadManager::~DownloadManager()
{
    // A file on its way to the disk gets there; it takes no name now.
    m_syncing.wait();
    // Aborting a reply emits its signals; none may reach a half-gone manager.
    if (m_reply) {
        disconnect(m_reply, nullptr, this, nullptr);
        m_reply->abort();
        // A transfer cut by the console's exit keeps what arrived only when
        // a later start can resume it: one without a listed size starts
        // over, and an empty file holds nothing.
        closePartial();
        if (m_size < 0 || fileSize(partialPath()) == 0)
            QFile::remove(partialPath());
    }
}

void DownloadManager::setDeadlineRule(qint64 floorRate, int minimumMs)
{
    m_floorRate = qMax<qint64>(1, floorRate);
    m_minimumDeadlineMs = minimumMs;
}

int DownloadManager::deadlineMs(qint64 size) const
{
    const double ms = size > 0 ? double(size) / double(m_floorRate) * 1000.0 : 0.0;
    return int(qBound(double(m_minimumDeadlineMs), ms, double(INT_MAX)));
}

QString DownloadManager::deadlineReason(int ms)
{
    // Rounded up in 64 bits: a huge listed size gives a deadline of INT_MAX.
    return QStringLiteral("The transfer did not finish within %1 seconds").arg((qint64(ms) + 999) / 1000);
}

bool DownloadManager::discardPartial(const QString &localPath)
{
    const QString path = localPath + QLatin1String(PartialSuffix);
    return !QFileInfo::exists(path) || QFile::remove(path);
}

void DownloadManager::discardUnopenablePartial(const QString &localPath)
{
    const QByteArray path = QFile::encodeName(localPath + QLatin1String(PartialSuffix));
    struct stat info;
    // The link itself goes, never what it leads to; a folder is not unlinked.
    if (::lstat(path.constData(), &info) == 0 && !S_ISREG(info.st_mode))
        ::unlink(path.constData());
}

QString DownloadManager::reasonText(QNetworkReply::NetworkError code)
{
    for (const Reason &r : Reasons)
        if (r.code == code)
            return QLatin1String(r.text);
    return QStringLiteral("Unknown error");
}

int DownloadManager::startDownloadNoResume(const QString &baseUrl, const QString &remoteName,
                                           const QString &localPath, const QString &comment)
{
    return startDownload(baseUrl, remoteName, localPath, -1, QString(), comment);
}

int DownloadManager::startDownload(const QString &baseUrl, const QString &remoteName, const QString &localPath,
                                   qint64 size, const QString &md5, const QString &comment)
{
    m_startError.clear();
    // The partial file and the digest belong to the running transfer.
    if (isBusy())
        return -1;
    m_baseUrl = baseUrl;
    m_remoteName = remoteName;
    m_localPath = localPath;
    m_size = size;
    // Hexadecimal in either case: an upper-case sum refused every file.
    m_md5 = md5.toLower();
    m_comment = comment;
    m_redirects = 0;
    return start();
}

int DownloadManager::start()
{
    m_hash.reset();
    m_hasMd5 = !m_md5.isEmpty();
    m_arrivedMd5.clear();
    m_error = false;
    m_errorCount = 0;
    m_lastPercent = 0;
    m_body = Body::Undecided;
    m_received = 0;

    // The name is the value of "?file=": a "#", "&", "+" or "%" in it would
    // otherwise end it early or change it, and ask for another file.
    const QUrl url(m_baseUrl + QString::fromLatin1(QUrl::toPercentEncoding(m_remoteName)));
    // The base may be a server the update list named.
    if (!isWebAddress(url))
        return -1;
    m_request = QNetworkRequest(url);
    m_request.setRawHeader("User-Agent", UserAgent);
    // Offsets count the bytes on the wire: a compressed body could not be resumed.
    m_request.setRawHeader("Accept-Encoding", "identity");
    // Redirects are ours to judge (only "?file=" targets are followed).
    m_request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    // A server that stops sending would leave the update run, and the set-up
    // wizard waiting on it, without an end: a silent transfer fails instead.
    m_request.setTransferTimeout(SilentTransferTimeoutMs);
    // The update server's cookies are of no use to the console, and kept
    // they would pile up with every hourly check for as long as it runs.
    m_request.setAttribute(QNetworkRequest::CookieSaveControlAttribute, QNetworkRequest::Manual);
    m_request.setAttribute(QNetworkRequest::CookieLoadControlAttribute, QNetworkRequest::Manual);

    // The file under the local path is left alone: it is replaced only by a
    // new one that arrived whole and passed its check.
    m_partial.setFileName(partialPath());
    // A partial file longer than the listed size is nothing to resume from.
    const bool resume = m_size >= 0 && m_partial.exists() && fileSize(partialPath()) <= m_size;
    if (resume && hashPartialFile(partialPath()) != 0)
        return -1;
    if (QString why; !openPartial(&m_partial, resume, &why)) {
        m_startError = errorText(QStringLiteral("Could not write %1: %2").arg(shown(partialPath()), why));
        return -1;
    }
    m_offset = resume ? m_partial.size() : 0;
    if (resume)
        m_request.setRawHeader("Range", "bytes=" + QByteArray::number(m_offset) + '-');

    m_reply = m_network->get(m_request);
    connect(m_reply, &QNetworkReply::finished, this, &DownloadManager::onFinished);
    connect(m_reply, &QNetworkReply::downloadProgress, this, &DownloadManager::onDownloadProgress);
    connect(m_reply, &QNetworkReply::errorOccurred, this, &DownloadManager::onError);
    m_deadline.start(deadlineMs(m_size));
    m_read = 0;
    m_rateChecks = 0;
    m_clock.start();
    m_rateWatch.start(qMax(1, m_minimumDeadlineMs));

    emit downloadProgress(m_comment, 0);
    return 0;
}

int DownloadManager::hashPartialFile(const QString &path)
{
    m_hash.reset();
    QFile file(path);
    if (!Utils::openRegular(&file, true))
        return -1;
    QByteArray block(HashBlock, Qt::Uninitialized);
    qint64 n;
    while ((n = file.read(block.data(), block.size())) > 0)
        m_hash.addData(QByteArrayView(block.constData(), n));
    return 0;
}

qint64 DownloadManager::fileSize(const QString &path)
{
    return QFileInfo(path).size();
}

// Settled once the headers are in. Only a 200 or a 206 carries the file: a
// redirect's or an error page's body is never written; a 200 to a Range
// request is the whole file again, so the partial file starts over. A body
// announced longer than the file may be fails before a byte is written.
// False when the transfer ended here.
bool DownloadManager::decideBody()
{
    if (m_body != Body::Undecided)
        return true;
    const int status = httpStatus(m_reply);
    if (status == 0)
        return true;
    if (status != 200 && status != 206) {
        m_body = Body::Discard;
        return true;
    }
    // Asked for none: a compressed body holds other bytes than the file's,
    // and nothing else would tell for the update list, which has no sum.
    const QByteArray encoding = m_reply->rawHeader("Content-Encoding").trimmed();
    if (!encoding.isEmpty() && encoding.compare("identity", Qt::CaseInsensitive) != 0) {
        fail(QStringLiteral("The server sent the file compressed"), true);
        return false;
    }
    if (status == 200 && m_offset > 0) {
        m_partial.resize(0);
        m_hash.reset();
        m_offset = 0;
    }
    // A part goes where the partial file ends. One that says it starts
    // elsewhere would be written in the wrong place, and without a digest in
    // the list nothing would tell; the partial file stays for the next try.
    // A download without a size (the update list) is never resumed, so its
    // body must reach the end: a first part would be taken for all of it.
    if (status == 206 && (!rangeStartsAt(m_reply, m_offset) || (m_size < 0 && !rangeReachesEnd(m_reply)))) {
        fail(QStringLiteral("The server sent another part of the file than the one asked for"), true);
        return false;
    }
    m_body = Body::Write;
    const QVariant announced = m_reply->header(QNetworkRequest::ContentLengthHeader);
    // Compared with what is left: the server's number may be as large as a
    // qint64 holds, and adding the offset to it would overflow.
    if (announced.isValid() && announced.toLongLong() > limit() - m_offset) {
        fail(tooLong(), false);
        return false;
    }
    return true;
}

qint64 DownloadManager::limit() const
{
    return m_size >= 0 ? m_size : UnsizedLimit;
}

QString DownloadManager::tooLong() const
{
    return m_size >= 0 ? QStringLiteral("The server sent more than the listed size of %1 bytes").arg(m_size)
                       : QStringLiteral("The file is larger than its limit of %1 bytes").arg(limit());
}

bool DownloadManager::lowOnSpace() const
{
    const QString dir = QFileInfo(m_localPath).absolutePath();
    const qint64 free = m_freeSpace ? m_freeSpace(dir) : QStorageInfo(dir).bytesAvailable();
    return free < MinFreeSpace;
}

// False when the transfer ended here, on a bound.
bool DownloadManager::writeAvailable()
{
    if (!decideBody())
        return false;
    if (m_reply->bytesAvailable() == 0)
        return true;
    const QByteArray data = m_reply->readAll();
    m_read += data.size();
    if (m_body != Body::Write)
        return true;
    const qint64 before = m_offset + m_received;
    const qint64 after = before + data.size();
    if (after > limit()) {
        fail(tooLong(), false);
        return false;
    }
    // Looked at once per reply and once per MiB, as device uploads are.
    if ((m_received == 0 || before / MiB != after / MiB) && lowOnSpace()) {
        fail(QStringLiteral("Less than %1 MiB is free on the disk of %2")
                 .arg(MinFreeSpace / MiB)
                 .arg(QFileInfo(m_localPath).absolutePath()),
             false);
        return false;
    }
    m_received += data.size();
    // Flushed at once: a buffered write would fail only when the file is
    // closed, and a file without a listed size would then be taken cut. A
    // disk that refuses bytes ends the transfer; a retry would meet it again.
    if (m_partial.write(data) != data.size() || !m_partial.flush()) {
        fail(QStringLiteral("Could not write %1: %2").arg(shown(partialPath()), m_partial.errorString()), false);
        return false;
    }
    m_hash.addData(data);
    return true;
}

// The server refuses a range that starts at the end of the file: the
// partial file already holds every byte that was expected.
bool DownloadManager::completesPartialFile() const
{
    return httpStatus(m_reply) == 416 && m_offset > 0 && m_offset == m_size;
}

void DownloadManager::onDownloadProgress(qint64 bytesReceived, qint64 bytesTotal)
{
    if (!writeAvailable())
        return;
    // Without a length (or for a body that is not the file) there is nothing
    // to take a percentage of.
    if (m_body != Body::Write || bytesTotal <= 0)
        return;
    // A listed file is whole only at its listed size: an answer that ends
    // sooner (by its announced length, or without one, where Qt gives what
    // came as the total at the end) is short, and must not show as all there.
    const qint64 total = qMax(bytesTotal + m_offset, m_size);
    const int percent = int(double(m_offset + bytesReceived) / double(total) * 100.0);
    if (percent > m_lastPercent) {
        m_lastPercent = percent;
        emit downloadProgress(m_comment, percent);
    }
}

void DownloadManager::onError(QNetworkReply::NetworkError code)
{
    if (!writeAvailable())
        return;
    closePartial();
    if (code == QNetworkReply::NoError || completesPartialFile())
        return;
    ++m_errorCount;
    m_error = true;
    if (code == QNetworkReply::RemoteHostClosedError)
        return;
    emit downloadError(errorText(reasonText(code)));
}

QString DownloadManager::shown(const QString &path)
{
    return Utils::oneLine(path);
}

QString DownloadManager::errorText(const QString &reason) const
{
    return QStringLiteral("Error downloading ") + m_comment + QStringLiteral(":\n\n") + reason;
}

void DownloadManager::onFinished()
{
    if (!m_reply)
        return;
    // Bytes may still wait in the reply when it reports its end.
    if (!writeAvailable())
        return;
    closePartial();

    const QVariant target = m_reply->attribute(QNetworkRequest::RedirectionTargetAttribute);
    if (target.isValid() && !target.toUrl().isEmpty()) {
        followRedirect(target.toUrl());
        return;
    }

    // A connection closed before the announced length is not always reported
    // as an error; the partial file is kept for the resume all the same.
    const QVariant announced = m_reply->header(QNetworkRequest::ContentLengthHeader);
    if (!m_error && m_body == Body::Write && announced.isValid() && m_received < announced.toLongLong()) {
        ++m_errorCount;
        m_error = true;
    }
    if (m_error) {
        // A range the server cannot serve would be asked for again and again.
        if (httpStatus(m_reply) == 416)
            QFile::remove(partialPath());
        finish(fileSize(partialPath()));
        return;
    }

    // The sync to come would not hear again of a write lost at the close.
    if (m_partial.error() != QFileDevice::NoError) {
        fail(QStringLiteral("Could not write %1: %2").arg(shown(partialPath()), m_partial.errorString()), false);
        return;
    }

    // A body that ended early is a cut transfer, however whole the server
    // says it is: kept for the resume, never taken for the file.
    const qint64 arrived = fileSize(partialPath());
    // Nothing arrived: there is no new file to put in the old one's place.
    if (arrived == 0) {
        finish(0);
        return;
    }
    if (m_size >= 0 && arrived < m_size) {
        ++m_errorCount;
        emit downloadError(errorText(QStringLiteral("The server sent %1 of the %2 bytes listed").arg(arrived).arg(m_size)));
        finish(arrived);
        return;
    }
    // Taken without a listed sum too: the caller may have to know later that
    // the file under the name is still the one that arrived.
    m_digest = QString::fromLatin1(m_hash.result().toHex());
    m_hash.reset();
    if (m_hasMd5 && m_digest != m_md5) {
        ++m_errorCount;
        emit downloadError(QStringLiteral("Downloaded ") + m_comment
                           + QStringLiteral(" but got a checksum mismatch. Data is corrupted"));
        // Which bytes are wrong is unknown: resuming would keep them, so
        // the next attempt starts over.
        QFile::remove(partialPath());
        finish(arrived);
        return;
    }
    // The bytes reach the disk before the name does: a power cut soon after
    // the rename would otherwise leave the old file replaced by one with
    // nothing, or part of the file, behind its name. Hundreds of megabytes
    // can take many seconds to reach a slow disk, so they go there off the
    // window's thread; the transfer is over (nothing of the reply, no
    // deadline may end it now) but stays busy until the file is in place.
    disconnect(m_reply, nullptr, this, nullptr);
    m_deadline.stop();
    m_rateWatch.stop();
    const QString path = partialPath();
    m_syncing.start(
        this,
        [this, path] {
            m_synced = m_fileSync ? m_fileSync(path) : DiskSync::file(path);
            if (!m_synced)
                m_syncError = qt_error_string(errno);
        },
        [this] { onSynced(); });
}

void DownloadManager::onSynced()
{
    if (!m_synced) {
        fail(QStringLiteral("Could not write %1: %2").arg(shown(partialPath()), m_syncError), false);
        return;
    }
    // One rename replaces the old file, so it is there whole until the new
    // one is (QFile::rename refuses an existing target).
    if (std::rename(QFile::encodeName(partialPath()).constData(), QFile::encodeName(m_localPath).constData()) != 0) {
        emit downloadError(QStringLiteral("Could not rename\n\n") + shown(partialPath()) + QStringLiteral("\nto\n")
                           + shown(m_localPath));
        ++m_errorCount;
        // No new file took the old one's place. A retry would end at the
        // same rename, box after box: the caller drops the file instead.
        finish(0);
        return;
    }
    // The callers record the file as arrived, which must not reach the disk
    // before its new name. A disk that does not take the name (a network or
    // USB disk tells a lost write only at the sync) could have the old file
    // back after a power cut: the file, in place for now, counts as not
    // arrived, so nothing is recorded for it and the next check fetches it
    // again.
    const QString folder = QFileInfo(m_localPath).absolutePath();
    if (!DiskSync::directory(folder)) {
        ++m_errorCount;
        emit downloadError(errorText(QStringLiteral("Could not write %1: %2").arg(folder, qt_error_string(errno))));
        finish(0);
        return;
    }
    m_arrivedMd5 = m_digest;
    finish(fileSize(m_localPath));
}

void DownloadManager::followRedirect(const QUrl &target)
{
    const QUrl resolved = m_request.url().resolved(target);
    releaseReply();

    QString error;
    const QString s = resolved.toString();
    const int i = s.indexOf(QLatin1String(FileParameter));
    if (++m_redirects > MaxRedirects)
        error = QStringLiteral("The downloads website redirected too many times");
    else if (i < 0 || !isWebAddress(resolved))
        error = QStringLiteral("The downloads website redirected to a URL that is not valid");
    if (!error.isEmpty()) {
        emit downloadError(error);
        ++m_errorCount;
        finish(fileSize(partialPath()));
        return;
    }

    // Whatever follows the parameter is dropped: the stored name is asked for.
    m_baseUrl = s.left(i + int(sizeof(FileParameter)) - 1);
    if (start() != 0) {
        m_errorCount = 1;
        finish(fileSize(partialPath()));
    }
}

// A network or USB disk tells a write it lost only at the close: the file
// then holds other bytes than arrived, and a resume would build on them.
void DownloadManager::closePartial()
{
    if (!m_partial.isOpen())
        return;
    m_partial.close();
    if (m_partial.error() != QFileDevice::NoError)
        QFile::remove(partialPath());
}

// A bound broken: the transfer ends now, with its reason. What arrived is
// thrown away unless a resume may still complete it.
void DownloadManager::fail(const QString &reason, bool keepPartial)
{
    ++m_errorCount;
    m_error = true;
    closePartial();
    if (!keepPartial)
        QFile::remove(partialPath());
    emit downloadError(errorText(reason));
    finish(fileSize(partialPath()));
}

// The first check only starts the count: the first minimum deadline is the
// transfer's to get going. An error page that drips counts as well.
void DownloadManager::checkRate()
{
    if (!m_reply || ++m_rateChecks < 2)
        return;
    const qint64 elapsed = m_clock.elapsed();
    if (double(m_read) < double(m_floorRate) * double(elapsed - m_minimumDeadlineMs) / 1000.0)
        fail(deadlineReason(int(qMin<qint64>(elapsed, INT_MAX))), true);
}

void DownloadManager::finish(qint64 bytes)
{
    m_deadline.stop();
    m_rateWatch.stop();
    // An empty partial file holds nothing to resume.
    if (QFileInfo::exists(partialPath()) && fileSize(partialPath()) == 0)
        QFile::remove(partialPath());
    // The network access runs its transfers on a thread of its own, made
    // once: a transfer that found the user at the process limit got none,
    // heard nothing from its server, and so would every later one, for as
    // long as the console runs. After a failed transfer that heard nothing,
    // the next starts on a fresh one. The old one goes later, with the
    // reply, inside whose signal this may run.
    const bool unheard = m_errorCount > 0 && m_reply && m_read == 0 && httpStatus(m_reply) == 0;
    releaseReply();
    if (unheard) {
        m_network->deleteLater();
        m_network = new QNetworkAccessManager(this);
    }
    emit downloadCompleted(m_errorCount, bytes);
}

// The manager is free for the next start before anyone hears of the end.
void DownloadManager::releaseReply()
{
    if (!m_reply)
        return;
    // Disconnected first: an abort reports nothing back here.
    disconnect(m_reply, nullptr, this, nullptr);
    m_reply->abort();
    m_reply->deleteLater();
    m_reply = nullptr;
}
