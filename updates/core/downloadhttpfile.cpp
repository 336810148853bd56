#include "downloadhttpfile.h"

#include <QFileInfo>
#include <QNetworkAccessManager>
#include <QNetworkRequest>

const char DownloadHttpFile::DefaultDownloadsBase[] = "http://updates.halvard.example/korvane/downloads/";

DownloadHttpFile::DownloadHttpFile(QObject *parent)
    : QObject(parent), m_network(new QNetworkAccessManager(this))
{
    connect(m_network, &QNetworkAccessManager::finished, this, &DownloadHttpFile::onFinished);
}

DownloadHttpFile::~DownloadHttpFile()
{
    if (m_reply)
        disconnect(m_reply, nullptr, this, nullptr);
    disconnect(m_network, nullptr, this, nullptr);
}

int DownloadHttpFile::download(const QString &remoteFile, const QString &localPath, const QString &md5)
{
    m_remoteFile = remoteFile;
    m_lastPercent = 0;
    if (QFileInfo::exists(localPath) && !QFile::remove(localPath))
        return -1;
    m_file.setFileName(localPath);
    if (!m_file.open(QIODevice::ReadWrite))
        return -1;
    m_hasMd5 = !md5.isEmpty();
    m_md5 = md5;
    m_hash.reset();
    emit downloadProgress(m_remoteFile, 0);

    // As in the download manager: a "#", "&", "+" or "%" in the name would
    // otherwise end it early or change it, and ask for another file.
    QNetworkRequest request(QUrl(m_base + QString::fromLatin1(QUrl::toPercentEncoding(remoteFile))));
    request.setRawHeader("User-Agent", "Korvane 3.0");
    request.setAttribute(QNetworkRequest::HttpPipeliningAllowedAttribute, QVariant(QMetaType(QMetaType::Bool)));
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    // The completion waits for both replies: a server that stops answering
    // would otherwise hold it, and whoever waits on it, for good.
    request.setTransferTimeout(m_silenceLimitMs);
    // Cookies the server sets would pile up with every download.
    request.setAttribute(QNetworkRequest::CookieSaveControlAttribute, QNetworkRequest::Manual);
    request.setAttribute(QNetworkRequest::CookieLoadControlAttribute, QNetworkRequest::Manual);

    if (m_reply)
        disconnect(m_reply, nullptr, this, nullptr);
    m_reply = m_network->get(request);
    connect(m_reply, &QNetworkReply::readyRead, this, &DownloadHttpFile::onReadyRead);
    connect(m_reply, &QNetworkReply::errorOccurred, this, &DownloadHttpFile::onError);
    connect(m_reply, &QNetworkReply::downloadProgress, this, &DownloadHttpFile::onDownloadProgress);
    m_errorCount = 0;
    m_bytesInFile = 0;
    m_finishedCount = 0;
    m_network->get(request);
    return 0;
}

void DownloadHttpFile::onReadyRead()
{
    if (!m_reply || m_reply->bytesAvailable() == 0)
        return;
    const QByteArray data = m_reply->readAll();
    if (m_hasMd5)
        m_hash.addData(data);
    if (m_file.write(data) == data.size())
        m_bytesInFile += int(data.size());
    else
        ++m_errorCount;
}

void DownloadHttpFile::onError(QNetworkReply::NetworkError)
{
    ++m_errorCount;
}

void DownloadHttpFile::onDownloadProgress(qint64 bytesReceived, qint64 bytesTotal)
{
    if (bytesTotal <= 0)
        return;
    const int percent = int(double(bytesReceived) / double(bytesTotal) * 100.0);
    if (percent > m_lastPercent) {
        m_lastPercent = percent;
        emit downloadProgress(m_remoteFile, percent);
    }
}

void DownloadHttpFile::onFinished(QNetworkReply *reply)
{
    reply->deleteLater();
    if (reply == m_reply) {
        // What the reply still holds belongs to the file.
        onReadyRead();
        // A redirect is not followed, and Qt reports none as an error: its
        // page, like any answer other than the file, must not pass for it.
        // Nor may a part (206): no range was asked for, and nothing here
        // could tell a part from the whole file.
        const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        if (reply->error() == QNetworkReply::NoError && status != 0 && (status < 200 || status > 299 || status == 206))
            ++m_errorCount;
        disconnect(m_reply, nullptr, this, nullptr);
        m_reply = nullptr;
    }
    if (++m_finishedCount < 2)
        return;
    // The last bytes wait in the file's buffer until now: a disk that
    // refuses them is a short write like any other, and so is one that tells
    // a lost write only at the close (a network or USB disk).
    if (!m_file.flush())
        ++m_errorCount;
    m_file.close();
    if (m_file.error() != QFileDevice::NoError)
        ++m_errorCount;
    if (m_hasMd5) {
        if (QString::fromLatin1(m_hash.result().toHex()) != m_md5)
            ++m_errorCount;
        m_hash.reset();
    }
    emit onHttpDownloadCompleted(m_errorCount, m_bytesInFile);
}
