// The update downloads: resume, checksum, redirects and the server's faults,
// against the in-process HTTP server and once against a real nginx.
#include "updates/core/downloadhttpfile.h"
#include "updates/core/downloadmanager.h"
#include "httptestserver.h"
#include "testfiles.h"
#include "windowfixture.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString Name = QStringLiteral("fw-1.2.bin");
const QString Comment = QStringLiteral("Firmware 1.2");
const qint64 Size = 300000;

QByteArray content()
{
    QByteArray data(Size, Qt::Uninitialized);
    for (qint64 i = 0; i < Size; ++i)
        data[i] = char((i * 7 + i / 251) & 0xff);
    return data;
}

QString md5Of(const QByteArray &data)
{
    return QString::fromLatin1(QCryptographicHash::hash(data, QCryptographicHash::Md5).toHex());
}

} // namespace

class TestDownloadManager : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    HttpTestServer *m_server = nullptr;
    DownloadManager *m_manager = nullptr;
    QSignalSpy *m_errors = nullptr;
    QSignalSpy *m_completed = nullptr;

    QString local() const { return m_dir.filePath(QStringLiteral("local/") + Name); }
    QString part() const { return local() + QStringLiteral(".part"); }

    // Starts the file with a known size and waits for its completion.
    QList<QVariant> fetch(qint64 size, const QString &md5, const QString &base = QString())
    {
        m_errors->clear();
        m_completed->clear();
        if (m_manager->startDownload(base.isEmpty() ? m_server->base() : base, Name, local(), size, md5, Comment) != 0)
            return {};
        if (!m_completed->wait(15000))
            return {};
        // A second completion for one start would be a fault of its own.
        QTest::qWait(50);
        return m_completed->size() == 1 ? m_completed->first() : QList<QVariant>();
    }

private slots:
    void init()
    {
        QDir(m_dir.path()).removeRecursively();
        QDir().mkpath(m_dir.filePath(QStringLiteral("served")));
        QDir().mkpath(m_dir.filePath(QStringLiteral("local")));
        QVERIFY(TestFiles::write(m_dir.filePath(QStringLiteral("served/") + Name), content()));
        m_server = new HttpTestServer(m_dir.filePath(QStringLiteral("served")));
        QVERIFY(m_server->listen());
        m_manager = new DownloadManager;
        m_errors = new QSignalSpy(m_manager, &DownloadManager::downloadError);
        m_completed = new QSignalSpy(m_manager, &DownloadManager::downloadCompleted);
    }

    void cleanup()
    {
        delete m_completed;
        delete m_errors;
        delete m_manager;
        delete m_server;
    }

    void freshDownload()
    {
        QSignalSpy progress(m_manager, &DownloadManager::downloadProgress);
        const QList<QVariant> done = fetch(Size, md5Of(content()));
        QCOMPARE(done, (QList<QVariant>{0, Size}));
        QCOMPARE(TestFiles::read(local()), content());
        QVERIFY(!QFile::exists(part()));
        QVERIFY(m_errors->isEmpty());

        QCOMPARE(m_server->requests.size(), 1);
        const HttpTestServer::Request request = m_server->requests.first();
        QCOMPARE(request.target, "/get?file=" + Name.toLatin1());
        QCOMPARE(request.userAgent, QByteArray("Korvane browser"));
        QVERIFY(request.range.isEmpty());

        // One signal per whole percent gained, from 0 to 100.
        int last = -1;
        for (const QList<QVariant> &signal : progress) {
            QCOMPARE(signal.at(0).toString(), Comment);
            QVERIFY2(signal.at(1).toInt() > last, qPrintable(QString::number(signal.at(1).toInt())));
            last = signal.at(1).toInt();
        }
        QCOMPARE(progress.first().at(1).toInt(), 0);
        QCOMPARE(last, 100);
    }

    void checksum_data()
    {
        QTest::addColumn<QString>("md5");
        QTest::addColumn<int>("errors");
        QTest::newRow("right") << md5Of(content()) << 0;
        QTest::newRow("none") << QString() << 0;
        QTest::newRow("wrong") << md5Of("other") << 1;
        QTest::newRow("upper-case") << md5Of(content()).toUpper() << 1;
    }

    void checksum()
    {
        QFETCH(QString, md5);
        QFETCH(int, errors);
        QCOMPARE(fetch(Size, md5), (QList<QVariant>{errors, Size}));
        // The file keeps its name either way; the caller decides what to do with it.
        QCOMPARE(TestFiles::read(local()), content());
        if (errors)
            QCOMPARE(m_errors->first().first().toString(),
                     QStringLiteral("Downloaded Firmware 1.2 but got a checksum mismatch. Data is corrupted"));
    }

    void resume_data()
    {
        QTest::addColumn<qint64>("partial");
        QTest::addColumn<bool>("ignoreRange");
        QTest::addColumn<QByteArray>("range");
        QTest::newRow("half there") << Size / 2 << false << QByteArray("bytes=150000-");
        QTest::newRow("server ignores the range") << Size / 2 << true << QByteArray("bytes=150000-");
        QTest::newRow("all there, 416") << Size << false << QByteArray("bytes=300000-");
    }

    void resume()
    {
        QFETCH(qint64, partial);
        QFETCH(bool, ignoreRange);
        QFETCH(QByteArray, range);
        QVERIFY(TestFiles::write(part(), content().left(partial)));
        if (ignoreRange)
            m_server->ignoreRange();
        QCOMPARE(fetch(Size, md5Of(content())), (QList<QVariant>{0, Size}));
        QCOMPARE(m_server->requests.last().range, range);
        QCOMPARE(TestFiles::read(local()), content());
        QVERIFY(m_errors->isEmpty());
    }

    void interruptedThenResumed()
    {
        m_server->closeAfter(100000);
        const QList<QVariant> broken = fetch(Size, md5Of(content()));
        QCOMPARE(broken.value(0).toInt(), 1);
        QCOMPARE(broken.value(1).toLongLong(), 100000);
        QVERIFY(m_errors->isEmpty());   // a closed connection is retried, not reported
        QVERIFY(!QFile::exists(local()));

        QCOMPARE(fetch(Size, md5Of(content())), (QList<QVariant>{0, Size}));
        QCOMPARE(m_server->requests.last().range, QByteArray("bytes=100000-"));
        QCOMPARE(TestFiles::read(local()), content());
    }

    void negativeSizeStartsOver()
    {
        QVERIFY(TestFiles::write(part(), "left over from another file"));
        QCOMPARE(fetch(-1, md5Of(content())), (QList<QVariant>{0, Size}));
        QVERIFY(m_server->requests.last().range.isEmpty());
        QCOMPARE(TestFiles::read(local()), content());
    }

    void redirect_data()
    {
        QTest::addColumn<QByteArray>("location");
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QByteArray>("followed");   // empty: not followed
        QTest::newRow("absolute") << QByteArray("http://127.0.0.1:PORT/mirror/get?file=x&y=1") << QByteArray()
                                  << QByteArray("/mirror/get?file=") + Name.toLatin1();
        QTest::newRow("relative") << QByteArray("/mirror/get?file=") << QByteArray()
                                  << QByteArray("/mirror/get?file=") + Name.toLatin1();
        QTest::newRow("with a body") << QByteArray("/get?file=") << QByteArray("<html>moved</html>")
                                     << QByteArray("/get?file=") + Name.toLatin1();
        QTest::newRow("no file parameter") << QByteArray("http://127.0.0.1:PORT/files/fw.bin") << QByteArray()
                                           << QByteArray();
    }

    void redirect()
    {
        QFETCH(QByteArray, location);
        QFETCH(QByteArray, body);
        QFETCH(QByteArray, followed);
        m_server->redirectTo(location.replace("PORT", QByteArray::number(m_server->port())), body);
        const QList<QVariant> done = fetch(Size, md5Of(content()));
        if (followed.isEmpty()) {
            QCOMPARE(m_server->requests.size(), 1);
            QCOMPARE(m_errors->size(), 1);
            QCOMPARE(m_errors->first().first().toString(),
                     QStringLiteral("The downloads website redirected to a URL that is not valid"));
            QCOMPARE(done, (QList<QVariant>{1, 0}));
            return;
        }
        QCOMPARE(m_server->requests.size(), 2);
        QCOMPARE(m_server->requests.last().target, followed);
        QCOMPARE(done, (QList<QVariant>{0, Size}));
        QCOMPARE(TestFiles::read(local()), content());
    }

    void redirectLoopEnds()
    {
        m_server->redirectTo("/get?file=", QByteArray(), 100);
        QCOMPARE(fetch(Size, QString()), (QList<QVariant>{1, 0}));
        QCOMPARE(m_server->requests.size(), DownloadManager::MaxRedirects + 1);
        QCOMPARE(m_errors->first().first().toString(),
                 QStringLiteral("The downloads website redirected too many times"));
    }

    void failedAnswers_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("error");
        QTest::newRow("empty body") << 200 << QString();
        QTest::newRow("404") << 404 << QStringLiteral("Error downloading Firmware 1.2:\n\nFile not found");
        QTest::newRow("500") << 500 << QStringLiteral("Error downloading Firmware 1.2:\n\nUnknown error");
    }

    void failedAnswers()
    {
        QFETCH(int, status);
        QFETCH(QString, error);
        if (status == 200)
            m_server->answerEmpty();
        else
            m_server->answerStatus(status);
        const QList<QVariant> done = fetch(-1, QString());
        // Nothing arrived: an error page is no part of the file.
        QCOMPARE(done.value(1).toLongLong(), 0);
        QCOMPARE(done.value(0).toInt(), error.isEmpty() ? 0 : 1);
        QCOMPARE(m_errors->isEmpty(), error.isEmpty());
        if (!error.isEmpty())
            QCOMPARE(m_errors->first().first().toString(), error);
    }

    void busyManagerRefusesAStart()
    {
        QCOMPARE(m_manager->startDownload(m_server->base(), Name, local(), Size, QString(), Comment), 0);
        QCOMPARE(m_manager->startDownload(m_server->base(), Name, local(), Size, QString(), Comment), -1);
        QVERIFY(m_completed->wait(15000));
        QCOMPARE(TestFiles::read(local()), content());
    }

    void plainDownloader_data()
    {
        QTest::addColumn<QString>("md5");
        QTest::addColumn<int>("errors");
        QTest::newRow("right sum") << md5Of(content()) << 0;
        QTest::newRow("wrong sum") << md5Of("other") << 1;
        QTest::newRow("no sum") << QString() << 0;
    }

    void plainDownloader()
    {
        QFETCH(QString, md5);
        QFETCH(int, errors);
        QVERIFY(TestFiles::write(local(), "old"));
        DownloadHttpFile downloader;
        downloader.setDownloadsBase(m_server->base());
        QSignalSpy completed(&downloader, &DownloadHttpFile::onHttpDownloadCompleted);
        QCOMPARE(downloader.download(Name, local(), md5), 0);
        QVERIFY(completed.wait(15000));
        QTest::qWait(50);
        QCOMPARE(completed.size(), 1);
        QCOMPARE(completed.first(), (QList<QVariant>{errors, int(Size)}));
        QCOMPARE(TestFiles::read(local()), content());
        // Completion waits for both requests.
        QCOMPARE(m_server->requests.size(), 2);
        QCOMPARE(m_server->requests.first().userAgent, QByteArray("Korvane 3.0"));
    }

    // A real web server's Range handling, with nginx on a loopback port.
    void resumeAgainstNginx()
    {
        QString nginx = QStandardPaths::findExecutable(QStringLiteral("nginx"));
        if (nginx.isEmpty())
            nginx = QStandardPaths::findExecutable(QStringLiteral("nginx"), {QStringLiteral("/usr/sbin")});
        QVERIFY2(!nginx.isEmpty(), "nginx is missing: scripts/setup.sh installs it");

        const QString root = m_dir.filePath(QStringLiteral("nginx"));
        for (const char *sub : {"logs", "temp"})
            QDir().mkpath(root + QLatin1Char('/') + QLatin1String(sub));
        const quint16 port = WindowFixture::freeTcpPort();
        const QString config = QStringLiteral(
            "daemon off;\nmaster_process off;\npid %1/nginx.pid;\nerror_log %1/logs/error.log;\n"
            "events {}\nhttp {\n  access_log off;\n  default_type application/octet-stream;\n"
            "  client_body_temp_path %1/temp/body;\n  proxy_temp_path %1/temp/proxy;\n"
            "  fastcgi_temp_path %1/temp/fastcgi;\n  uwsgi_temp_path %1/temp/uwsgi;\n"
            "  scgi_temp_path %1/temp/scgi;\n"
            "  server {\n    listen 127.0.0.1:%2;\n"
            "    location = /get {\n      root %3;\n"
            "      if ($arg_file !~ \"^[A-Za-z0-9._-]+$\") { return 404; }\n"
            "      try_files /$arg_file =404;\n    }\n  }\n}\n")
                                   .arg(root)
                                   .arg(port)
                                   .arg(m_dir.filePath(QStringLiteral("served")));
        QVERIFY(TestFiles::write(root + QStringLiteral("/nginx.conf"), config.toLatin1()));

        QProcess server;
        server.setProcessChannelMode(QProcess::MergedChannels);
        server.start(nginx, {QStringLiteral("-p"), root, QStringLiteral("-e"), root + QStringLiteral("/logs/error.log"),
                             QStringLiteral("-c"), root + QStringLiteral("/nginx.conf")});
        QVERIFY(server.waitForStarted(5000));
        const auto stop = qScopeGuard([&server] {
            server.terminate();
            if (!server.waitForFinished(5000))
                server.kill();
            server.waitForFinished(5000);
        });
        const QString base = QStringLiteral("http://127.0.0.1:%1/get?file=").arg(port);
        bool up = false;
        for (int i = 0; i < 100 && !up && server.state() == QProcess::Running; ++i) {
            QTcpSocket probe;
            probe.connectToHost(QHostAddress::LocalHost, port);
            up = probe.waitForConnected(100);
            if (!up)
                QTest::qWait(100);
        }
        QVERIFY2(up, server.readAll().constData());

        QVERIFY(TestFiles::write(part(), content().left(Size / 3)));
        QCOMPARE(fetch(Size, md5Of(content()), base), (QList<QVariant>{0, Size}));
        QCOMPARE(TestFiles::read(local()), content());

        // Already complete: the server refuses the range and the sum decides.
        QVERIFY(TestFiles::write(part(), content()));
        QCOMPARE(fetch(Size, md5Of(content()), base), (QList<QVariant>{0, Size}));
        QVERIFY(m_errors->isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestDownloadManager)
#include "tst_downloadmanager.moc"
