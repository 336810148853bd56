#ifndef DOWNLOADMANAGER_H
#define DOWNLOADMANAGER_H

#include "devicelink/consolefiles.h"
#include "diskwork.h"

#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QFile>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>

class QNetworkAccessManager;

// Fetches one file at a time over HTTP from the update web server.
//
// The server is not trusted. The bytes go into a partial file (the local
// path + ".part"); the file under the local path stays as it was until the
// new one has arrived whole (the listed size reached, when one is listed)
// and its MD5 matches, and is then replaced in one rename. A later start of
// the same file with a known size resumes the partial file with a Range
// request; the MD5 is computed while the bytes stream in (seeded from the
// partial file on a resume). A body longer than the listed size (or than
// UnsizedLimit without one), a disk running low or refusing a write, or a
// transfer slower than the floor rate fails the transfer at once. A
// redirect is followed only to an http or https address that keeps the
// server's "?file=" form; the stored file name is appended to it,
// percent-encoded. Cookies are neither kept nor sent.
//
// Every transfer that started (startDownload returned 0) ends with exactly one
// downloadCompleted, whatever happened on the way: callers may rely on it to
// move on. downloadError carries user-readable texts and comes before it.
class DownloadManager : public QObject
{
    Q_OBJECT
public:
    // A transfer that receives nothing for this long fails with an error.
    static constexpr int SilentTransferTimeoutMs = 60000;
    // Redirects followed for one start before the transfer is given up.
    static constexpr int MaxRedirects = 5;
    static constexpr const char *PartialSuffix = ConsoleFiles::PartialSuffix;
    // The most a download without a listed size (the update list) may bring.
    static constexpr qint64 UnsizedLimit = 1 << 20;
    // Below this much free space on the target's disk a transfer stops, as
    // device uploads do.
    static constexpr qint64 MinFreeSpace = qint64(256) << 20;
    // Every transfer must end within the time its size takes at this rate,
    // and is given at least MinimumDeadlineMs: a server that drips bytes
    // would otherwise hold the update run, and the wizard after it, forever.
    // The size is the list's word, and a huge one would allow weeks: past
    // its first MinimumDeadlineMs, a transfer must also have brought this
    // rate over the time since then.
    static constexpr qint64 FloorRate = 16 * 1024;   // bytes per second
    static constexpr int MinimumDeadlineMs = 60000;

    using FreeSpaceProbe = std::function<qint64(const QString &dir)>;
    // Brings a file's bytes to the disk; false when they could not be.
    using FileSync = std::function<bool(const QString &path)>;

    explicit DownloadManager(QObject *parent = nullptr);
    ~DownloadManager() override;

    // Starts fetching baseUrl + remoteName into localPath. size < 0 forbids
    // resuming (the partial file starts empty); md5 empty means no check,
    // otherwise it is compared exactly with the lower-case hex digest.
    // Returns 0 when the request went out, -1 when nothing started (the
    // partial file could not be read or opened, or a transfer is still
    // running); no signal follows a -1.
    int startDownload(const QString &baseUrl, const QString &remoteName, const QString &localPath, qint64 size,
                      const QString &md5, const QString &comment);
    // A download without resume and without checksum (the update list).
    int startDownloadNoResume(const QString &baseUrl, const QString &remoteName, const QString &localPath,
                              const QString &comment);

    // Seeds the running digest with the file's bytes: 0, or -1 when it cannot be read.
    int hashPartialFile(const QString &path);
    // Size of the file, 0 when it does not exist.
    static qint64 fileSize(const QString &path);

    // Tests fake a small disk or a quicker clock.
    void setFreeSpaceProbe(FreeSpaceProbe probe) { m_freeSpace = std::move(probe); }
    // Tests fake a slow disk.
    void setFileSync(FileSync sync) { m_fileSync = std::move(sync); }
    void setDeadlineRule(qint64 floorRate, int minimumMs);
    // The time a transfer of size bytes may take (size < 0: the minimum).
    int deadlineMs(qint64 size) const;
    // The failure of a transfer that outlived a deadline of ms.
    static QString deadlineReason(int ms);

    // Removes what a failed download left for a resume; the caller's last
    // attempt at a file ends with it. False when a partial file stays.
    static bool discardPartial(const QString &localPath);
    // Removes what stands under the partial name and no start can ever open
    // (a link, a pipe, a device); a partial file stays for a resume.
    static void discardUnopenablePartial(const QString &localPath);

    // A transfer is running, or its file is on its way to the disk: a start
    // now would be refused.
    bool isBusy() const { return m_reply != nullptr; }

    // Why the last start was refused where its partial file could not be
    // made or opened (a folder made read-only, or gone); empty otherwise.
    QString startError() const { return m_startError; }

    // The lower-case hex MD5 of the file the last transfer put under its
    // local path, listed sum or not; empty when it put none there.
    QString arrivedMd5() const { return m_arrivedMd5; }

    // The texts of downloadError, for callers and tests that compare them.
    static QString reasonText(QNetworkReply::NetworkError code);

signals:
    void downloadProgress(const QString &comment, int percent);
    void downloadError(const QString &error);
    // errorCount 0 is success; bytes is the size of the file that arrived
    // (the partial file after an error; 0 when nothing arrived, what
    // arrived was thrown away as past a bound, or it could not be renamed
    // into place).
    void downloadCompleted(int errorCount, qint64 bytes);

private slots:
    void onFinished();
    void onDownloadProgress(qint64 bytesReceived, qint64 bytesTotal);
    void onError(QNetworkReply::NetworkError code);

private:
    // What becomes of the reply's body, settled by its status.
    enum class Body { Undecided, Write, Discard };

    int start();
    bool decideBody();
    bool writeAvailable();
    qint64 limit() const;
    QString tooLong() const;
    bool lowOnSpace() const;
    bool completesPartialFile() const;
    void followRedirect(const QUrl &target);
    // The file is on the disk, or could not be put there: it takes its name.
    void onSynced();
    void fail(const QString &reason, bool keepPartial);
    void closePartial();
    void finish(qint64 bytes);
    void checkRate();
    QString errorText(const QString &reason) const;
    QString partialPath() const { return m_localPath + QLatin1String(PartialSuffix); }
    // A path as the errors show it: the file's name is the update server's,
    // and adds no lines to the box.
    static QString shown(const QString &path);
    void releaseReply();

    QCryptographicHash m_hash{QCryptographicHash::Md5};
    QNetworkAccessManager *m_network = nullptr;
    QNetworkRequest m_request;
    QNetworkReply *m_reply = nullptr;
    QFile m_partial;
    QString m_remoteName;
    QString m_localPath;
    QString m_comment;
    QString m_startError;
    QString m_baseUrl;
    QString m_md5;
    bool m_hasMd5 = false;
    QString m_digest;       // of the file on its way to its name
    QString m_arrivedMd5;
    bool m_error = false;
    qint64 m_offset = 0;
    qint64 m_size = -1;
    qint64 m_received = 0;   // body bytes of the current reply
    int m_errorCount = 0;
    int m_lastPercent = 0;
    int m_redirects = 0;
    Body m_body = Body::Undecided;
    QTimer m_deadline;
    // Checks the rate once every minimum deadline.
    QTimer m_rateWatch;
    QElapsedTimer m_clock;   // since the current request went out
    qint64 m_read = 0;       // bytes of the current reply's body, written or not
    int m_rateChecks = 0;
    qint64 m_floorRate = FloorRate;
    int m_minimumDeadlineMs = MinimumDeadlineMs;
    FreeSpaceProbe m_freeSpace;
    FileSync m_fileSync;
    // Brings a whole file to the disk before it takes its name.
    DiskWork m_syncing;
    bool m_synced = false;
    QString m_syncError;
};

#endif // DOWNLOADMANAGER_H
