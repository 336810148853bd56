#ifndef DOWNLOADHTTPFILE_H
#define DOWNLOADHTTPFILE_H

#include <QCryptographicHash>
#include <QFile>
#include <QNetworkReply>
#include <QObject>
#include <QString>

class QNetworkAccessManager;

// A plain downloader: one named file from the update server's downloads
// directory straight into a local path, with an optional MD5 check and
// whole-percent progress. No partial file, no resume, no redirects. A reply
// that stays silent too long fails.
//
// Each download sends the request twice; only the first reply's bytes are
// written, and the completion follows the second reply to finish, when
// both are done. Errors are only counted (reply errors of the first reply,
// an answer that is not the file, such as a redirect or a part, short
// writes, a checksum mismatch). Files up to 2 GiB - 1.
class DownloadHttpFile : public QObject
{
    Q_OBJECT
public:
    // The update server's downloads directory; a file name appended names one file.
    static const char DefaultDownloadsBase[];

    // A reply that receives nothing for this long fails with an error.
    static constexpr int SilentTransferTimeoutMs = 60000;

    explicit DownloadHttpFile(QObject *parent = nullptr);
    ~DownloadHttpFile() override;

    void setDownloadsBase(const QString &base) { m_base = base; }
    // Tests have a silent server given up sooner.
    void setSilenceLimit(int ms) { m_silenceLimitMs = ms; }

    // 0 when the requests went out; -1 when the local file could not be
    // replaced or opened (no signal follows then). md5 null or empty: no check.
    int download(const QString &remoteFile, const QString &localPath, const QString &md5);

signals:
    void onHttpDownloadCompleted(int errorCount, int bytesInFile);
    void downloadProgress(const QString &remoteFile, int percent);

private slots:
    void onFinished(QNetworkReply *reply);
    void onReadyRead();
    void onError(QNetworkReply::NetworkError code);
    void onDownloadProgress(qint64 bytesReceived, qint64 bytesTotal);

private:
    QNetworkAccessManager *m_network = nullptr;
    QNetworkReply *m_reply = nullptr;
    QFile m_file;
    QCryptographicHash m_hash{QCryptographicHash::Md5};
    QString m_base = QLatin1String(DefaultDownloadsBase);
    QString m_md5;
    QString m_remoteFile;
    bool m_hasMd5 = false;
    int m_errorCount = 0;
    int m_bytesInFile = 0;
    int m_finishedCount = 0;
    int m_lastPercent = 0;
    int m_silenceLimitMs = SilentTransferTimeoutMs;
};

#endif // DOWNLOADHTTPFILE_H
