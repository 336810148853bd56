#include "downloadmanager.h"

#include <QFileInfo>
#include <QNetworkAccessManager>

namespace {

const char UserAgent[] = "Korvane browser";
const char FileParameter[] = "?file=";
const int HashBlock = 10240;

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

} // namespace

DownloadManager::DownloadManager(QObject *parent)
    : QObject(parent), m_network(new QNetworkAccessManager(this))
{
}

DownloadManager::~DownloadManager()
{
    // Aborting a reply emits its signals; none may reach a half-gone manager.
    if (m_reply) {
        disconnect(m_reply, nullptr, this, nullptr);
        m_reply->abort();
    }
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
    // The partial file and the digest belong to the running transfer.
    if (isBusy())
        return -1;
    m_baseUrl = baseUrl;
    m_remoteName = remoteName;
    m_localPath = localPath;
    m_size = size;
    m_md5 = md5;
    m_comment = comment;
    m_redirects = 0;
    return start();
}

int DownloadManager::start()
{
    m_hash.reset();
    m_hasMd5 = !m_md5.isEmpty();
    m_error = false;
    m_errorCount = 0;
    m_lastPercent = 0;
    m_body = Body::Undecided;
    m_received = 0;

    m_request = QNetworkRequest(QUrl(m_baseUrl + m_remoteName));
    m_request.setRawHeader("User-Agent", UserAgent);
    // Offsets count the bytes on the wire: a compressed body could not be resumed.
    m_request.setRawHeader("Accept-Encoding", "identity");
    // Redirects are ours to judge (only "?file=" targets are followed).
    m_request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    // A server that stops sending would leave the update run, and the set-up
    // wizard waiting on it, without an end: a silent transfer fails instead.
    m_request.setTransferTimeout(SilentTransferTimeoutMs);

    if (QFileInfo::exists(m_localPath) && !QFile::remove(m_localPath))
        return -1;

    m_partial.setFileName(partialPath());
    if (m_size >= 0 && m_partial.exists()) {
        if (m_hasMd5 && hashPartialFile(partialPath()) != 0)
            return -1;
        if (!m_partial.open(QIODevice::ReadWrite | QIODevice::Append))
            return -1;
        m_offset = fileSize(partialPath());
        m_request.setRawHeader("Range", "bytes=" + QByteArray::number(m_offset) + '-');
    } else {
        if (!m_partial.open(QIODevice::ReadWrite | QIODevice::Truncate))
            return -1;
        m_offset = 0;
    }

    m_reply = m_network->get(m_request);
    connect(m_reply, &QNetworkReply::finished, this, &DownloadManager::onFinished);
    connect(m_reply, &QNetworkReply::downloadProgress, this, &DownloadManager::onDownloadProgress);
    connect(m_reply, &QNetworkReply::errorOccurred, this, &DownloadManager::onError);

    emit downloadProgress(m_comment, 0);
    return 0;
}

int DownloadManager::hashPartialFile(const QString &path)
{
    m_hash.reset();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
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
// redirect's or an error page's body is never written; a 200 to a Range request is the whole file again,
// so the partial file starts over.
void DownloadManager::decideBody()
{
    if (m_body != Body::Undecided)
        return;
    const int status = httpStatus(m_reply);
    if (status == 0)
        return;
    if (status == 206) {
        m_body = Body::Write;
    } else if (status == 200) {
        if (m_offset > 0) {
            m_partial.resize(0);
            m_hash.reset();
            m_offset = 0;
        }
        m_body = Body::Write;
    } else {
        m_body = Body::Discard;
    }
}

void DownloadManager::writeAvailable()
{
    decideBody();
    if (m_reply->bytesAvailable() == 0)
        return;
    const QByteArray data = m_reply->readAll();
    if (m_body != Body::Write)
        return;
    m_received += data.size();
    if (m_partial.write(data) != data.size())
        ++m_errorCount;
    if (m_hasMd5)
        m_hash.addData(data);
}

// The server refuses a range that starts at the end of the file: the
// partial file already holds every byte that was expected.
bool DownloadManager::completesPartialFile() const
{
    return httpStatus(m_reply) == 416 && m_offset > 0 && m_offset == m_size;
}

void DownloadManager::onDownloadProgress(qint64 bytesReceived, qint64 bytesTotal)
{
    writeAvailable();
    // Without a length (or for a body that is not the file) there is nothing
    // to take a percentage of.
    if (m_body != Body::Write || bytesTotal <= 0)
        return;
    const qint64 total = bytesTotal + m_offset;
    const int percent = int(double(m_offset + bytesReceived) / double(total) * 100.0);
    if (percent > m_lastPercent) {
        m_lastPercent = percent;
        emit downloadProgress(m_comment, percent);
    }
}

void DownloadManager::onError(QNetworkReply::NetworkError code)
{
    writeAvailable();
    m_partial.close();
    if (code == QNetworkReply::NoError || completesPartialFile())
        return;
    ++m_errorCount;
    m_error = true;
    if (code == QNetworkReply::RemoteHostClosedError)
        return;
    emit downloadError(QStringLiteral("Error downloading ") + m_comment + QStringLiteral(":\n\n") + reasonText(code));
}

void DownloadManager::onFinished()
{
    if (!m_reply)
        return;
    // Bytes may still wait in the reply when it reports its end.
    writeAvailable();
    m_partial.close();

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

    if (!QFile::rename(partialPath(), m_localPath)) {
        emit downloadError(QStringLiteral("Could not rename\n\n") + partialPath() + QStringLiteral("\nto\n")
                           + m_localPath);
        ++m_errorCount;
    }
    if (m_hasMd5) {
        if (QString::fromLatin1(m_hash.result().toHex()) != m_md5) {
            ++m_errorCount;
            emit downloadError(QStringLiteral("Downloaded ") + m_comment
                               + QStringLiteral(" but got a checksum mismatch. Data is corrupted"));
        }
        m_hash.reset();
    }
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
    else if (i < 0)
        error = QStringLiteral("The downloads website redirected to a URL that is not valid");
    if (!error.isEmpty()) {
        emit downloadError(error);
        emit downloadCompleted(m_errorCount + 1, fileSize(partialPath()));
        return;
    }

    // Whatever follows the parameter is dropped: the stored name is asked for.
    m_baseUrl = s.left(i + int(sizeof(FileParameter)) - 1);
    if (start() != 0)
        emit downloadCompleted(1, fileSize(partialPath()));
}

void DownloadManager::finish(qint64 bytes)
{
    releaseReply();
    emit downloadCompleted(m_errorCount, bytes);
}

// The manager is free for the next start before anyone hears of the end.
void DownloadManager::releaseReply()
{
    if (!m_reply)
        return;
    disconnect(m_reply, nullptr, this, nullptr);
    m_reply->deleteLater();
    m_reply = nullptr;
}
