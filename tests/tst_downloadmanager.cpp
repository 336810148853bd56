// The update downloads: resume, checksum, redirects and the server's faults,
// against the in-process HTTP server and once against a real nginx.
#include "updates/core/downloadhttpfile.h"
#include "updates/core/downloadmanager.h"
#include "failingwrites.h"
#include "httptestserver.h"
#include "nginxserver.h"
#include "nothreadsleft.h"
#include "nowriteroom.h"
#include "testfiles.h"
#include "withoutoverride.h"

#include "updates/core/disksync.h"

#include <QCryptographicHash>
#include <QDir>
#include <QSemaphore>
#include <QNetworkAccessManager>
#include <QNetworkCookie>
#include <QNetworkCookieJar>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <atomic>
#ifdef __SANITIZE_ADDRESS__
#include <sanitizer/lsan_interface.h>
#endif
#include <limits>
#include <memory>
#include <optional>
#include <sys/stat.h>

using Fault = HttpTestServer::Fault;
using Kind = HttpTestServer::Kind;
using Done = QList<QVariant>;   // downloadCompleted: error count, bytes

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

    QString served(const QString &name = Name) const { return m_dir.filePath(QStringLiteral("served/") + name); }
    QString local(const QString &name = Name) const { return m_dir.filePath(QStringLiteral("local/") + name); }
    QString part(const QString &name = Name) const { return local(name) + QStringLiteral(".part"); }
    QString firstError() const { return m_errors->isEmpty() ? QString() : m_errors->first().first().toString(); }

    // Starts the file and waits for its one completion.
    Done fetch(qint64 size, const QString &md5, const QString &base = QString(), const QString &name = Name)
    {
        m_errors->clear();
        m_completed->clear();
        const QString from = base.isEmpty() ? m_server->base() : base;
        if (m_manager->startDownload(from, name, local(name), size, md5, Comment) != 0 || !m_completed->wait(15000))
            return {};
        QTest::qWait(50);   // a second completion would be a fault of its own
        return m_completed->size() == 1 ? m_completed->first() : Done();
    }

private slots:
    void init()
    {
        QDir(m_dir.path()).removeRecursively();
        QDir().mkpath(m_dir.filePath(QStringLiteral("local")));
        QVERIFY(TestFiles::write(served(), content()));
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
        QCOMPARE(fetch(Size, md5Of(content())), (Done{0, Size}));
        QCOMPARE(TestFiles::read(local()), content());
        QVERIFY(!QFile::exists(part()));
        QVERIFY(m_errors->isEmpty());

        QCOMPARE(m_server->requests.size(), 1);
        QCOMPARE(m_server->requests.first().target, "/get?file=" + Name.toLatin1());
        QCOMPARE(m_server->requests.first().userAgent, QByteArray("Korvane browser"));
        QVERIFY(m_server->requests.first().range.isEmpty());

        // One signal per whole percent gained, from 0 to 100.
        QList<int> percents;
        for (const QList<QVariant> &signal : progress) {
            QCOMPARE(signal.at(0).toString(), Comment);
            QVERIFY(percents.isEmpty() || signal.at(1).toInt() > percents.last());
            percents << signal.at(1).toInt();
        }
        QCOMPARE(percents.first(), 0);
        QCOMPARE(percents.last(), 100);
    }

    // A power cut soon after the download must not leave the file's name
    // with nothing behind it: its bytes reach the disk before the name. (A
    // file that takes no other's name gets no help from the file system.)
    void arrivedFileIsOnTheDisk()
    {
        QCOMPARE(fetch(Size, md5Of(content())), (Done{0, Size}));
        const qint64 pending = TestFiles::pagesNotOnDisk(local());
        if (pending < 0)
            QSKIP("This system cannot tell which pages of a file reached the disk");
        QCOMPARE(pending, qint64(0));
    }

    // A file of hundreds of megabytes can take many seconds to reach a slow
    // disk: the console goes on meanwhile (its devices with it), and the file
    // takes its name once its bytes are there.
    void slowDiskHoldsNothing()
    {
        QVERIFY(TestFiles::write(local(), "old"));
        // Shared with the manager's sync step, which outlives a failed check
        // here until cleanup() deletes the manager.
        struct Disk {
            std::atomic<bool> syncing{false};
            QSemaphore done;
            std::atomic<bool> doneInTime{false};
        };
        const auto disk = std::make_shared<Disk>();
        m_manager->setFileSync([disk](const QString &path) {
            disk->syncing = true;
            // Ended by the test once its own event loop has turned.
            disk->doneInTime = disk->done.tryAcquire(1, 10000);
            return DiskSync::file(path);
        });
        QCOMPARE(m_manager->startDownload(m_server->base(), Name, local(), Size, md5Of(content()), Comment), 0);
        QTRY_VERIFY_WITH_TIMEOUT(disk->syncing, 15000);
        QVERIFY2(m_completed->isEmpty(), "the download ended while its bytes were still going to the disk");
        QCOMPARE(TestFiles::read(local()), QByteArray("old"));
        QVERIFY(m_manager->isBusy());
        disk->done.release();
        QVERIFY(m_completed->wait(15000));
        QVERIFY(disk->doneInTime);
        QCOMPARE(m_completed->first(), (Done{0, Size}));
        QCOMPARE(TestFiles::read(local()), content());
        QVERIFY(!QFile::exists(part()));
    }

    // A user at the process limit, which counts threads, gets none to take
    // the file to the disk: the download still ends, its file in place,
    // rather than holding the update run for good.
    void noThreadForTheDisk()
    {
        // The network's own thread is up once a first file has come.
        QCOMPARE(fetch(Size, md5Of(content())), (Done{0, Size}));
        QVERIFY(QFile::remove(local()));
        const NoThreadsLeft none;
        if (!none.active())
            QSKIP("the system would not let the test give up its rights for a while");
        QTest::ignoreMessage(QtCriticalMsg, QRegularExpression(QStringLiteral("Thread creation error")));
        QCOMPARE(fetch(Size, md5Of(content())), (Done{0, Size}));
        QCOMPARE(TestFiles::read(local()), content());
    }

    // A transfer that met the process limit could get no thread for the
    // network either: it fails, and once the limit is met no more, the next
    // one comes, rather than every later check failing until a restart.
    void networkAfterNoThreadsLeft()
    {
        // Qt keeps for good what it handed the thread that never started,
        // and the network access that made it: a manager of this test's own,
        // so that the leak checkers know it by this test.
#ifdef __SANITIZE_ADDRESS__
        __lsan::ScopedDisabler kept;
#endif
        cleanup();
        init();
        m_manager->setDeadlineRule(1 << 20, 1000);
        {
            const NoThreadsLeft none;
            if (!none.active())
                QSKIP("the system would not let the test give up its rights for a while");
            QTest::ignoreMessage(QtCriticalMsg, QRegularExpression(QStringLiteral("Thread creation error")));
            QCOMPARE(fetch(Size, md5Of(content())).value(0), QVariant(1));
        }
        m_manager->setDeadlineRule(1 << 20, DownloadManager::MinimumDeadlineMs);
        QCOMPARE(fetch(Size, md5Of(content())), (Done{0, Size}));
    }

    // The right sum: freshDownload.
    void checksum_data()
    {
        QTest::addColumn<QString>("md5");
        QTest::addColumn<int>("errors");
        QTest::newRow("none") << QString() << 0;
        QTest::newRow("wrong") << md5Of("other") << 1;
        QTest::newRow("right, in upper case") << md5Of(content()).toUpper() << 0;
    }

    void checksum()
    {
        QFETCH(QString, md5);
        QFETCH(int, errors);
        QVERIFY(TestFiles::write(local(), "old"));
        QCOMPARE(fetch(Size, md5), (Done{errors, Size}));
        // A refused file replaces nothing, and leaves nothing to resume from:
        // which of its bytes are wrong is unknown.
        QCOMPARE(TestFiles::read(local()), errors ? QByteArray("old") : content());
        QVERIFY(!QFile::exists(part()));
        QCOMPARE(firstError(),
                 errors ? QStringLiteral("Downloaded Firmware 1.2 but got a checksum mismatch. Data is corrupted")
                        : QString());
    }

    // A file that cannot take its place is no download to retry: the
    // completion says nothing arrived, so the run drops it after one box.
    void failedRenameReportsNothingArrived_data()
    {
        QTest::addColumn<QString>("name");    // as the update list gave it
        QTest::addColumn<QString>("shown");   // in the error
        QTest::newRow("a plain name") << Name << Name;
        // The update server's text: it adds no lines to the error's box.
        QTest::newRow("a name with line separators") << "fw\u2028\u2028It is safe.bin" << "fw  It is safe.bin";
    }

    void failedRenameReportsNothingArrived()
    {
        QFETCH(QString, name);
        QFETCH(QString, shown);
        QVERIFY(TestFiles::write(served(name), content()));
        QVERIFY(QDir().mkpath(local(name) + QStringLiteral("/in the way")));
        QCOMPARE(fetch(Size, md5Of(content()), QString(), name), (Done{1, 0}));
        QCOMPARE(firstError(),
                 QStringLiteral("Could not rename\n\n") + part(shown) + QStringLiteral("\nto\n") + local(shown));
        QCOMPARE(m_errors->size(), 1);
        QVERIFY(QFileInfo(local(name)).isDir());
    }

    // A file whose new name the disk does not take (a network or USB disk
    // tells a lost write only at the sync) is no download to record: after
    // a power cut the old file could be back under its name. A file system
    // that offers no sync at all loses nothing by it.
    void unsyncedName_data()
    {
        QTest::addColumn<int>("step");
        QTest::addColumn<bool>("arrives");
        QTest::addColumn<QString>("lost");   // what the error says could not be written
        QTest::newRow("the disk loses the bytes") << int(FailingWrites::Sync) << false << part();
        QTest::newRow("the disk loses the name") << int(FailingWrites::FolderSync) << false << QFileInfo(local()).path();
        QTest::newRow("no sync on this file system") << int(FailingWrites::NoSync) << true << QString();
    }

    void unsyncedName()
    {
        QFETCH(int, step);
        QFETCH(bool, arrives);
        QFETCH(QString, lost);
        Done done;
        {
            FailingWrites failing(QFileInfo(local()).path(), FailingWrites::Step(step));
            done = fetch(Size, md5Of(content()));
        }
        if (arrives) {
            QCOMPARE(done, (Done{0, Size}));
            QCOMPARE(TestFiles::read(local()), content());
            return;
        }
        QCOMPARE(done, (Done{1, qint64(0)}));
        QVERIFY2(firstError().startsWith(QStringLiteral("Error downloading Firmware 1.2:\n\nCould not write ") + lost + ':'),
                 qPrintable(firstError()));
    }

    // A folder the console may write in but not read (a drop folder) cannot
    // be opened to sync its names: its downloads arrive as before, rather
    // than failing at every check.
    void folderThatCannotBeRead()
    {
        const QString folder = QFileInfo(local()).path();
        QVERIFY(QFile::setPermissions(folder, QFile::WriteOwner | QFile::ExeOwner));
        const auto readable = qScopeGuard(
            [&] { QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner); });
        const NoFolderOverrideHere asAUser;
        if (!asAUser.dropped())
            QSKIP("the system would not let the test give up its rights for a while");
        QCOMPARE(fetch(Size, md5Of(content())), (Done{0, Size}));
        QCOMPARE(TestFiles::read(local()), content());
    }

    // A working directory reached through a link (to a bigger disk, say) has
    // its names synced where the link leads: its downloads arrive.
    void folderThroughALink()
    {
        const QString folder = QFileInfo(local()).path();
        QVERIFY(QDir(folder).removeRecursively());
        QVERIFY(QDir().mkpath(m_dir.filePath(QStringLiteral("real"))));
        QVERIFY(QFile::link(m_dir.filePath(QStringLiteral("real")), folder));
        QCOMPARE(fetch(Size, md5Of(content())), (Done{0, Size}));
        QCOMPARE(firstError(), QString());
    }

    // A link or a pipe under the partial file's name: the transfer does not
    // start, nothing is written, or cut, where a link leads, and a pipe holds
    // no write (nor, with a sum to check, the read of what it holds). Where
    // the start keeps why, it is the name's own fault.
    void partialFileNotAFile_data()
    {
        QTest::addColumn<bool>("pipe");
        QTest::addColumn<qint64>("size");
        QTest::addColumn<QString>("md5");
        QTest::addColumn<QString>("why");
        QTest::newRow("link, resumed with a sum") << false << Size << md5Of(content()) << QString();
        QTest::newRow("link, resumed without a sum") << false << Size << QString() << QString();
        QTest::newRow("link, started over") << false << qint64(-1) << QString()
                                            << QStringLiteral(": Too many levels of symbolic links");
        QTest::newRow("pipe, resumed without a sum") << true << Size << QString() << QString();
        QTest::newRow("pipe, started over") << true << qint64(-1) << QString() << QStringLiteral(": Not a regular file");
    }

    void partialFileNotAFile()
    {
        QFETCH(bool, pipe);
        QFETCH(qint64, size);
        QFETCH(QString, md5);
        QFETCH(QString, why);
        const QString mine = m_dir.filePath(QStringLiteral("mine.txt"));
        QVERIFY(TestFiles::write(mine, "keep me"));
        QVERIFY(pipe ? ::mkfifo(QFile::encodeName(part()).constData(), 0600) == 0 : QFile::link(mine, part()));
        QCOMPARE(m_manager->startDownload(m_server->base(), Name, local(), size, md5, Comment), -1);
        QVERIFY2(m_manager->startError().endsWith(why), qPrintable(m_manager->startError()));
        QCOMPARE(TestFiles::read(mine), QByteArray("keep me"));
        QVERIFY(!QFile::exists(local()));
    }

    // The list's name is the value of "?file=": whatever it holds, the
    // server, decoding the value as a form value ("+" is a blank), must
    // read the same name back.
    void unusualNames_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("hash") << QStringLiteral("fw#2.bin");
        QTest::newRow("ampersand") << QStringLiteral("fw&y=1.bin");
        QTest::newRow("plus") << QStringLiteral("fw+patch.bin");
        QTest::newRow("percent") << QStringLiteral("fw%41.bin");
        QTest::newRow("blank and accent") << QStringLiteral("fw \u00e9.bin");
    }

    void unusualNames()
    {
        QFETCH(QString, name);
        QVERIFY(TestFiles::write(m_dir.filePath(QStringLiteral("served/") + name), content()));
        const QString target = m_dir.filePath(QStringLiteral("local/") + name);
        // The plain downloader names its file the same way.
        {
            DownloadHttpFile downloader;
            downloader.setDownloadsBase(m_server->base());
            QSignalSpy completed(&downloader, &DownloadHttpFile::onHttpDownloadCompleted);
            QCOMPARE(downloader.download(name, target, md5Of(content())), 0);
            QVERIFY(completed.wait(15000));
            QCOMPARE(completed.first(), (Done{0, int(Size)}));
            QCOMPARE(TestFiles::read(target), content());
            QTRY_COMPARE(m_server->requests.size(), 2);
            for (const auto &request : std::as_const(m_server->requests)) {
                QByteArray value = request.target.mid(request.target.indexOf("?file=") + 6);
                QCOMPARE(QString::fromUtf8(QByteArray::fromPercentEncoding(value.replace('+', ' '))), name);
            }
            QVERIFY(QFile::remove(target));
            m_server->requests.clear();
        }
        QCOMPARE(m_manager->startDownload(m_server->base(), name, target, Size, md5Of(content()), Comment), 0);
        QVERIFY(m_completed->wait(15000));
        QCOMPARE(m_completed->first(), (Done{0, Size}));
        QCOMPARE(TestFiles::read(target), content());
        QCOMPARE(m_server->requests.size(), 1);
        const QByteArray sent = m_server->requests.first().target;
        QByteArray value = sent.mid(sent.indexOf("?file=") + 6);
        QCOMPARE(QString::fromUtf8(QByteArray::fromPercentEncoding(value.replace('+', ' '))), name);
    }

    void resume_data()
    {
        QTest::addColumn<QByteArray>("partial");
        QTest::addColumn<qint64>("size");
        QTest::addColumn<int>("fault");          // HttpTestServer::Kind, -1: none
        QTest::addColumn<QByteArray>("range");
        const QByteArray half = content().left(Size / 2);
        QTest::newRow("half there") << half << Size << -1 << QByteArray("bytes=150000-");
        QTest::newRow("server ignores the range") << half << Size << int(Kind::IgnoreRange) << QByteArray("bytes=150000-");
        QTest::newRow("part naming no range") << half << Size << int(Kind::RangeSaying) << QByteArray("bytes=150000-");
        QTest::newRow("all there, 416") << content() << Size << -1 << QByteArray("bytes=300000-");
        QTest::newRow("negative size starts over") << QByteArray("left over") << qint64(-1) << -1 << QByteArray();
        QTest::newRow("longer than listed starts over") << content() + "left over" << Size << -1 << QByteArray();
    }

    void resume()
    {
        QFETCH(QByteArray, partial);
        QFETCH(qint64, size);
        QFETCH(int, fault);
        QFETCH(QByteArray, range);
        QVERIFY(TestFiles::write(part(), partial));
        if (fault >= 0)
            m_server->addFault({Kind(fault)});
        QCOMPARE(fetch(size, md5Of(content())), (Done{0, Size}));
        QCOMPARE(m_server->requests.last().range, range);
        QCOMPARE(TestFiles::read(local()), content());
        QVERIFY(m_errors->isEmpty());
    }

    // A range the server cannot serve is not asked for again: the next
    // attempt starts over.
    void unservableRangeStartsOver()
    {
        QVERIFY(TestFiles::write(part(), content().left(Size / 2)));
        m_server->addFault({Kind::Status, 416});
        QCOMPARE(fetch(Size, md5Of(content())), (Done{1, 0}));
        QVERIFY(!QFile::exists(part()));
        QCOMPARE(fetch(Size, md5Of(content())), (Done{0, Size}));
        QVERIFY(m_server->requests.last().range.isEmpty());
    }

    // A part that says it starts elsewhere, or does not say where in words
    // the console reads, is not appended: the next attempt resumes from the
    // same place.
    void otherPartNotAppended_data()
    {
        QTest::addColumn<int>("fault");
        QTest::addColumn<QByteArray>("range");   // the Content-Range of RangeSaying
        QTest::newRow("starts elsewhere") << int(Kind::OtherPart) << QByteArray();
        QTest::newRow("starts further on") << int(Kind::RangeSaying) << QByteArray("bytes 150001-299999/300000");
        QTest::newRow("another unit") << int(Kind::RangeSaying) << QByteArray("items 150000-299999/300000");
        QTest::newRow("no first byte") << int(Kind::RangeSaying) << QByteArray("bytes -299999/300000");
        QTest::newRow("no dash") << int(Kind::RangeSaying) << QByteArray("bytes 150000");
        QTest::newRow("unsatisfied") << int(Kind::RangeSaying) << QByteArray("bytes */300000");
    }

    void otherPartNotAppended()
    {
        QFETCH(int, fault);
        QFETCH(QByteArray, range);
        QVERIFY(TestFiles::write(part(), content().left(Size / 2)));
        m_server->addFault({Kind(fault), 0, range});
        QCOMPARE(fetch(Size, QString()), (Done{1, Size / 2}));
        QCOMPARE(firstError(), QStringLiteral("Error downloading Firmware 1.2:\n\n"
                                              "The server sent another part of the file than the one asked for"));
        QCOMPARE(TestFiles::read(part()), content().left(Size / 2));
        QVERIFY(!QFile::exists(local()));

        QCOMPARE(fetch(Size, QString()), (Done{0, Size}));
        QCOMPARE(m_server->requests.last().range, QByteArray("bytes=150000-"));
        QCOMPARE(TestFiles::read(local()), content());
    }

    void interruptedThenResumed()
    {
        m_server->addFault({Kind::CloseAfter, 100000});
        QCOMPARE(fetch(Size, md5Of(content())), (Done{1, 100000}));
        QCOMPARE(firstError(), QString());   // a closed connection is retried, not reported
        QVERIFY(!QFile::exists(local()));

        QCOMPARE(fetch(Size, md5Of(content())), (Done{0, Size}));
        QCOMPARE(m_server->requests.last().range, QByteArray("bytes=100000-"));
        QCOMPARE(TestFiles::read(local()), content());
    }

    // A cut transfer whose file fails to close (a network or USB disk that
    // lost bytes says so there) leaves no part to resume: a file without a
    // sum would be taken whole with the bytes it lost.
    void interruptedOnADiskThatLostBytes()
    {
        m_server->addFault({Kind::CloseAfter, 100000});
        {
            FailingWrites failing(QFileInfo(local()).path(), FailingWrites::Close);
            QCOMPARE(fetch(Size, QString()), (Done{1, qint64(0)}));
        }
        QVERIFY(!QFile::exists(part()));
    }

    void redirect_data()
    {
        QTest::addColumn<QByteArray>("location");
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QByteArray>("followed");   // empty: not followed
        const QByteArray mirror = "/mirror/get?file=" + Name.toLatin1();
        QTest::newRow("absolute") << QByteArray("http://127.0.0.1:PORT/mirror/get?file=x&y=1") << QByteArray() << mirror;
        QTest::newRow("relative") << QByteArray("/mirror/get?file=") << QByteArray() << mirror;
        QTest::newRow("with a body") << QByteArray("/get?file=") << QByteArray("<html>moved</html>")
                                     << "/get?file=" + Name.toLatin1();
        QTest::newRow("no file parameter") << QByteArray("http://127.0.0.1:PORT/files/fw.bin") << QByteArray()
                                           << QByteArray();
        // Only the web is asked: a local file, or bytes the address itself holds, are no download.
        QTest::newRow("local file") << QByteArray("file:///dev/zero?file=") << QByteArray() << QByteArray();
        QTest::newRow("data address") << QByteArray("data:,fw?file=") << QByteArray() << QByteArray();
    }

    void redirect()
    {
        QFETCH(QByteArray, location);
        QFETCH(QByteArray, body);
        QFETCH(QByteArray, followed);
        m_server->addFault({Kind::Redirect, 0, location.replace("PORT", QByteArray::number(m_server->port())), body});
        const Done done = fetch(Size, md5Of(content()));
        if (followed.isEmpty()) {
            // Reported, and ended all the same, so an update run goes on.
            QCOMPARE(m_server->requests.size(), 1);
            QCOMPARE(firstError(), QStringLiteral("The downloads website redirected to a URL that is not valid"));
            QCOMPARE(done, (Done{1, 0}));
            return;
        }
        QCOMPARE(m_server->requests.size(), 2);
        QCOMPARE(m_server->requests.last().target, followed);
        QCOMPARE(done, (Done{0, Size}));
        QCOMPARE(TestFiles::read(local()), content());
    }

    void redirectLoopEnds()
    {
        m_server->addFault({Kind::Redirect, 0, "/get?file="}, DownloadManager::MaxRedirects + 1);
        QCOMPARE(fetch(Size, QString()), (Done{1, qint64(0)}));
        QCOMPARE(m_server->requests.size(), DownloadManager::MaxRedirects + 1);
        QCOMPARE(firstError(), QStringLiteral("The downloads website redirected too many times"));
        // The count is the one file's: the next file may be redirected again.
        m_server->addFault({Kind::Redirect, 0, "/get?file="});
        QCOMPARE(fetch(Size, QString()), (Done{0, Size}));
    }

    // The server comes from the update list, as a redirect does, and is held
    // to the same rule: a local file (a pipe would hold the console on its
    // open for good) or an address's own bytes are no download. Nothing starts.
    void serverOffTheWeb_data()
    {
        QTest::addColumn<QString>("base");
        QTest::addColumn<qint64>("size");
        QTest::newRow("local file") << "file://" + served() + "?file=" << Size;
        QTest::newRow("data address, no size") << QStringLiteral("data:,list?file=") << qint64(-1);
    }

    void serverOffTheWeb()
    {
        QFETCH(QString, base);
        QFETCH(qint64, size);
        const QString md5 = size < 0 ? QString() : md5Of(content());
        QCOMPARE(m_manager->startDownload(base, Name, local(), size, md5, Comment), -1);
        QVERIFY(!QFile::exists(local()));
        QVERIFY(!QFile::exists(part()));
        QVERIFY(!m_manager->isBusy());
    }

    void failedAnswers_data()
    {
        QTest::addColumn<int>("status");   // 0: an empty file
        QTest::addColumn<QString>("error");
        QTest::newRow("empty body") << 0 << QString();
        QTest::newRow("404") << 404 << QStringLiteral("Error downloading Firmware 1.2:\n\nFile not found");
        QTest::newRow("500") << 500 << QStringLiteral("Error downloading Firmware 1.2:\n\nUnknown error");
    }

    void failedAnswers()
    {
        QFETCH(int, status);
        QFETCH(QString, error);
        if (status)
            m_server->addFault({Kind::Status, status});
        else
            QVERIFY(TestFiles::write(served(), QByteArray()));
        // Nothing arrived: an error page is no part of the file.
        QCOMPARE(fetch(-1, QString()), (Done{error.isEmpty() ? 0 : 1, 0}));
        QCOMPARE(firstError(), error);
    }

    void busyManagerRefusesAStart()
    {
        QCOMPARE(m_manager->startDownload(m_server->base(), Name, local(), Size, QString(), Comment), 0);
        QCOMPARE(m_manager->startDownload(m_server->base(), Name, local(), Size, QString(), Comment), -1);
        // Free again by the time its end is heard: the next file starts from there.
        int next = 1;
        connect(m_manager, &DownloadManager::downloadCompleted, this, [&] {
            next = m_manager->startDownload(m_server->base(), Name, local(), Size, QString(), Comment);
        }, Qt::SingleShotConnection);
        QTRY_COMPARE_WITH_TIMEOUT(m_completed->size(), 2, 15000);
        QCOMPARE(next, 0);
        QCOMPARE(TestFiles::read(local()), content());
    }

    // A server that breaks a bound: the transfer fails with its reason, the
    // old file stays, and after the last attempt no partial file remains.
    void hostileServer_data()
    {
        QTest::addColumn<qint64>("listed");      // -1: no size (the list)
        QTest::addColumn<qint64>("length");      // bytes of the served file
        QTest::addColumn<int>("fault");          // HttpTestServer::Kind, -1: none
        QTest::addColumn<qint64>("number");
        QTest::addColumn<QString>("error");      // start of the one error text
        QTest::addColumn<bool>("resumable");     // the partial file is kept for the next attempt
        const int none = -1;
        const QString prefix = QStringLiteral("Error downloading Firmware 1.2:\n\n");
        QTest::newRow("longer than listed") << Size / 2 << Size << none << qint64(0)
                                            << prefix + "The server sent more than the listed size of 150000 bytes" << false;
        QTest::newRow("longer, no length announced")
            << Size / 2 << Size << int(Kind::Unannounced) << qint64(0)
            << prefix + "The server sent more than the listed size of 150000 bytes" << false;
        QTest::newRow("no size, past the cap")
            << qint64(-1) << DownloadManager::UnsizedLimit + 1 << int(Kind::Unannounced) << qint64(0)
            << prefix + "The file is larger than its limit of 1048576 bytes" << false;
        // Asked for none: what a server sends compressed is not the file's bytes.
        QTest::newRow("compressed, no size") << qint64(-1) << Size << int(Kind::Encoded) << qint64(0)
                                             << prefix + "The server sent the file compressed" << false;
        // The list is never resumed: a part of it is not the list.
        QTest::newRow("part not asked for, no size")
            << qint64(-1) << Size << int(Kind::FirstPart) << qint64(1000)
            << prefix + "The server sent another part of the file than the one asked for" << false;
        QTest::newRow("part naming no range, no size")
            << qint64(-1) << Size << int(Kind::RangeSaying) << qint64(0)
            << prefix + "The server sent another part of the file than the one asked for" << false;
        QTest::newRow("shorter than listed") << Size * 2 << Size << none << qint64(0)
                                             << prefix + "The server sent 300000 of the 600000 bytes listed" << true;
        QTest::newRow("one byte short") << Size + 1 << Size << none << qint64(0)
                                        << prefix + "The server sent 300000 of the 300001 bytes listed" << true;
        QTest::newRow("404") << Size << Size << int(Kind::Status) << qint64(404) << prefix + "File not found" << false;
        QTest::newRow("dripping") << Size << Size << int(Kind::Drip) << qint64(20)
                                  << prefix + "The transfer did not finish within 1 seconds" << true;
        // A listed size that would allow weeks: the rate is what counts.
        QTest::newRow("dripping, absurd size listed")
            << (qint64(1) << 50) << Size << int(Kind::Drip) << qint64(20)
            << prefix + "The transfer did not finish within " << true;
        QTest::newRow("low disk") << Size << Size << none << qint64(0)
                                  << prefix + "Less than 256 MiB is free on the disk of " + m_dir.filePath("local")
                                  << false;
    }

    void hostileServer()
    {
        QFETCH(qint64, listed);
        QFETCH(qint64, length);
        QFETCH(int, fault);
        QFETCH(qint64, number);
        QFETCH(QString, error);
        QFETCH(bool, resumable);
        QByteArray body = content();
        while (body.size() < length)
            body += content();
        body.truncate(length);
        QVERIFY(TestFiles::write(served(), body));
        QVERIFY(TestFiles::write(local(), "old"));
        if (fault >= 0)
            m_server->addFault({Kind(fault), number});
        if (QByteArray(QTest::currentDataTag()).startsWith("dripping"))
            m_manager->setDeadlineRule(Size, 1000);   // a second for the whole file
        if (QByteArray(QTest::currentDataTag()) == "low disk")
            m_manager->setFreeSpaceProbe([](const QString &) { return DownloadManager::MinFreeSpace - 1; });

        // Without a size it is the update list, which has no sum either.
        const Done done = fetch(listed, listed < 0 ? QString() : md5Of(body));
        QCOMPARE(done.value(0).toInt(), 1);
        QCOMPARE(m_errors->size(), 1);
        QVERIFY2(firstError().startsWith(error), qPrintable(firstError()));
        QCOMPARE(TestFiles::read(local()), QByteArray("old"));
        // Never more on disk than the bound allowed.
        QVERIFY(DownloadManager::fileSize(part()) <= (listed < 0 ? DownloadManager::UnsizedLimit : listed));
        QCOMPARE(QFile::exists(part()), resumable && done.value(1).toLongLong() > 0);
        QVERIFY(DownloadManager::discardPartial(local()));
        QVERIFY(!QFile::exists(part()));
    }

    // A server script sends its body in chunks, without a length. One cut
    // before its last chunk is a failed transfer. (The list, without a size,
    // cannot tell: when the close comes with the last bytes, Qt's HTTP client
    // reports a cut chunked body as whole.)
    void chunkedBody_data()
    {
        QTest::addColumn<qint64>("listed");   // -1: no size (the list)
        QTest::addColumn<qint64>("cutAfter"); // 0: every chunk is sent
        QTest::addColumn<int>("errors");
        QTest::newRow("list, whole") << qint64(-1) << qint64(0) << 0;
        QTest::newRow("listed file, whole") << Size << qint64(0) << 0;
        QTest::newRow("listed file, cut") << Size << qint64(10000) << 1;
    }

    void chunkedBody()
    {
        QFETCH(qint64, listed);
        QFETCH(qint64, cutAfter);
        QFETCH(int, errors);
        QVERIFY(TestFiles::write(local(), "old"));
        // Qt asks again, unseen, when a connection closes before any answer.
        m_server->addFault({Kind::Chunked, cutAfter}, 3);
        const Done done = fetch(listed, QString());
        QCOMPARE(done.value(0).toInt(), errors);
        QCOMPARE(TestFiles::read(local()), errors ? QByteArray("old") : content());
    }

    // A body shorter than listed is a cut transfer: the next attempt resumes it.
    void shortBodyResumes()
    {
        QVERIFY(TestFiles::write(served(), content().left(Size / 2)));
        QCOMPARE(fetch(Size, md5Of(content())), (Done{1, Size / 2}));
        QVERIFY(!QFile::exists(local()));
        QVERIFY(TestFiles::write(served(), content()));
        QCOMPARE(fetch(Size, md5Of(content())), (Done{0, Size}));
        QCOMPARE(m_server->requests.last().range, QByteArray("bytes=150000-"));
        QCOMPARE(TestFiles::read(local()), content());
    }

    // The status shows a whole percent of the listed size: an answer that ends
    // short of it (by its announced length, or without one, where Qt reports
    // what came as the total) never shows 100 %, and a whole file does.
    void percentOfListedSize_data()
    {
        QTest::addColumn<int>("fault");
        QTest::addColumn<qint64>("number");
        QTest::addColumn<bool>("resumed");   // half the file waits in the partial file
        QTest::addColumn<qint64>("listed");
        QTest::addColumn<int>("errors");
        const int announce = int(Kind::Announce), unannounced = int(Kind::Unannounced), chunked = int(Kind::Chunked);
        QTest::newRow("announced short") << announce << qint64(150000) << false << Size << 1;
        QTest::newRow("no length, short") << unannounced << qint64(0) << false << Size + 1000 << 1;
        QTest::newRow("resumed, no length, short") << chunked << qint64(0) << true << Size + 1000 << 1;
        QTest::newRow("no length, whole") << unannounced << qint64(0) << false << Size << 0;
        QTest::newRow("resumed, no length, whole") << chunked << qint64(0) << true << Size << 0;
    }

    void percentOfListedSize()
    {
        QFETCH(int, fault);
        QFETCH(qint64, number);
        QFETCH(bool, resumed);
        QFETCH(qint64, listed);
        QFETCH(int, errors);
        if (resumed)
            QVERIFY(TestFiles::write(part(), content().left(Size / 2)));
        m_server->addFault({Kind(fault), number});
        QSignalSpy progress(m_manager, &DownloadManager::downloadProgress);
        QCOMPARE(fetch(listed, QString()).value(0).toInt(), errors);
        QVERIFY(!progress.isEmpty());
        const int last = progress.last().at(1).toInt();
        QVERIFY2(errors ? last < 100 : last == 100, qPrintable(QString::number(last)));
    }

    // A resumed answer that announces more than the rest of the listed size
    // is refused before a byte of it is written, however large the number.
    void resumeAnnouncingTooMuch_data()
    {
        QTest::addColumn<qint64>("announced");
        QTest::newRow("one byte more") << Size / 2 + 1;
        QTest::newRow("largest length") << std::numeric_limits<qint64>::max();
    }

    void resumeAnnouncingTooMuch()
    {
        QFETCH(qint64, announced);
        QVERIFY(TestFiles::write(part(), content().left(Size / 2)));
        m_server->addFault({Kind::Announce, announced});
        QCOMPARE(fetch(Size, md5Of(content())), (Done{1, 0}));
        QCOMPARE(m_server->requests.last().range, QByteArray("bytes=150000-"));
        QCOMPARE(firstError(),
                 QStringLiteral("Error downloading Firmware 1.2:\n\nThe server sent more than the listed size of 300000 bytes"));
        QVERIFY(!QFile::exists(local()));
    }

    void deadlineGrowsWithSize_data()
    {
        QTest::addColumn<qint64>("size");
        QTest::addColumn<int>("ms");
        QTest::newRow("no size") << qint64(-1) << 60000;
        QTest::newRow("small") << qint64(1000) << 60000;
        QTest::newRow("100 MiB at 16 KiB/s") << qint64(100) * 1024 * 1024 << 6400000;
        QTest::newRow("absurd") << std::numeric_limits<qint64>::max() << std::numeric_limits<int>::max();
    }

    void deadlineGrowsWithSize()
    {
        QFETCH(qint64, size);
        QFETCH(int, ms);
        QCOMPARE(m_manager->deadlineMs(size), ms);
    }

    // Whole seconds, rounded up, for any deadline a size can give.
    void deadlineReason_data()
    {
        QTest::addColumn<int>("ms");
        QTest::addColumn<QString>("seconds");
        QTest::newRow("minimum") << 60000 << "60";
        QTest::newRow("part of a second") << 60001 << "61";
        QTest::newRow("longest") << std::numeric_limits<int>::max() << "2147484";
    }

    void deadlineReason()
    {
        QFETCH(int, ms);
        QFETCH(QString, seconds);
        QCOMPARE(DownloadManager::deadlineReason(ms),
                 QStringLiteral("The transfer did not finish within %1 seconds").arg(seconds));
    }

    // The deadline is the listed size's: a slow file within it arrives,
    // however short the minimum.
    void deadlineFollowsTheListedSize()
    {
        const QByteArray body(20, 'd');
        QVERIFY(TestFiles::write(served(), body));
        m_server->addFault({Kind::Drip, 20});   // about 400 ms
        m_manager->setDeadlineRule(1, 100);     // a byte a second, at least 100 ms
        QCOMPARE(fetch(body.size(), md5Of(body)), (Done{0, qint64(body.size())}));
    }

    // Bytes the disk would not take are counted as an error: nothing is
    // taken for the file.
    void failedWritesCount()
    {
        Done done;
        {
            NoWriteRoom full;
            done = fetch(-1, QString());
        }
        QVERIFY(done.value(0).toInt() > 0);
        QCOMPARE(done.value(1).toLongLong(), qint64(0));
        QVERIFY(!QFile::exists(part()));
    }

    // A disk that fills part way through ends the transfer at once: what was
    // written is neither the file nor something to resume from.
    void diskFillsPartWay_data()
    {
        QTest::addColumn<qint64>("size");
        QTest::addColumn<QString>("md5");
        QTest::addColumn<bool>("full");
        QTest::newRow("update list") << qint64(-1) << QString() << true;
        QTest::newRow("listed file") << Size << md5Of(content()) << true;
        // A network or USB disk that lost the bytes says so at the close alone.
        QTest::newRow("update list, disk fails at the close") << qint64(-1) << QString() << false;
    }

    void diskFillsPartWay()
    {
        QFETCH(qint64, size);
        QFETCH(QString, md5);
        QFETCH(bool, full);
        QVERIFY(TestFiles::write(local(), "old"));
        Done done;
        {
            std::optional<NoWriteRoom> noRoom;
            std::optional<FailingWrites> failing;
            if (full)
                noRoom.emplace(Size / 3);
            else
                failing.emplace(QFileInfo(local()).path(), FailingWrites::Close);
            done = fetch(size, md5);
        }
        QCOMPARE(TestFiles::read(local()), QByteArray("old"));
        QCOMPARE(done, (Done{1, qint64(0)}));
        QVERIFY(!QFile::exists(part()));
        QCOMPARE(m_errors->size(), 1);
        QVERIFY2(firstError().startsWith(QStringLiteral("Error downloading Firmware 1.2:\n\nCould not write ") + part()),
                 qPrintable(firstError()));
    }

    // The console closed mid-transfer: the old file stays, and what arrived
    // stays only for a start that can resume it.
    void destroyedMidTransfer_data()
    {
        QTest::addColumn<qint64>("size");
        QTest::addColumn<bool>("partKept");
        QTest::addColumn<bool>("bytesCame");
        QTest::newRow("listed size: resumable") << qint64(2000) << true << true;
        QTest::newRow("no size: always starts over") << qint64(-1) << false << true;
        QTest::newRow("listed size, nothing came: nothing to resume") << qint64(2000) << false << false;
    }

    void destroyedMidTransfer()
    {
        QFETCH(qint64, size);
        QFETCH(bool, partKept);
        QFETCH(bool, bytesCame);
        const QByteArray body(2000, 'd');
        QVERIFY(TestFiles::write(served(), body));
        QVERIFY(TestFiles::write(local(), "old"));
        m_server->addFault({Kind::Drip, 1});
        QSignalSpy progress(m_manager, &DownloadManager::downloadProgress);
        QCOMPARE(m_manager->startDownload(m_server->base(), Name, local(), size, QString(), Comment), 0);
        // Past 0 %: some of the body has been written.
        if (bytesCame)
            QTRY_VERIFY_WITH_TIMEOUT(progress.size() > 1, 15000);
        delete m_completed;
        delete m_errors;
        delete m_manager;
        m_completed = m_errors = nullptr;
        m_manager = nullptr;
        QCOMPARE(TestFiles::read(local()), QByteArray("old"));
        QCOMPARE(QFile::exists(part()), partKept);
        if (partKept)
            QVERIFY(body.startsWith(TestFiles::read(part())));
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
        // Longer than the new file: none of it may stay at the end.
        QVERIFY(TestFiles::write(local(), QByteArray(Size + 100, 'o')));
        DownloadHttpFile downloader;
        downloader.setDownloadsBase(m_server->base());
        QSignalSpy completed(&downloader, &DownloadHttpFile::onHttpDownloadCompleted);
        QCOMPARE(downloader.download(Name, local(), md5), 0);
        QVERIFY(completed.wait(15000));
        QTest::qWait(50);
        QCOMPARE(completed.size(), 1);
        QCOMPARE(completed.first(), (Done{errors, int(Size)}));
        QCOMPARE(TestFiles::read(local()), content());
        // Completion waits for both requests.
        QCOMPARE(m_server->requests.size(), 2);
        QCOMPARE(m_server->requests.first().userAgent, QByteArray("Korvane 3.0"));
    }

    // What is not the file, or did not reach the disk, is never reported
    // as a download without errors.
    void plainDownloaderFailures_data()
    {
        QTest::addColumn<bool>("redirected");
        QTest::addColumn<QString>("disk");
        QTest::addColumn<bool>("silent");
        QTest::addColumn<bool>("part");
        QTest::newRow("redirect page") << true << QString() << false << false;
        // Small enough to wait in the file's buffer until it is closed.
        QTest::newRow("disk full when closed") << false << "full" << false << false;
        // A network or USB disk that lost the bytes says so at the close alone.
        QTest::newRow("disk fails at the close") << false << "close" << false << false;
        // Its head, then not a byte more: whoever waits on the download is not held.
        QTest::newRow("server falls silent") << false << QString() << true << false;
        // Its first bytes, as to a Range request, though the file was asked for.
        QTest::newRow("part of the file") << false << QString() << false << true;
    }

    void plainDownloaderFailures()
    {
        QFETCH(bool, redirected);
        QFETCH(QString, disk);
        QFETCH(bool, silent);
        QFETCH(bool, part);
        QVERIFY(TestFiles::write(served(), QByteArray(2000, 'f')));
        // Both requests meet it, whichever reaches the server first.
        if (redirected)
            m_server->addFault({Kind::Redirect, 0, "/elsewhere", "<html>moved</html>"}, 2);
        if (silent)
            m_server->addFault({Kind::Drip, 24 * 3600 * 1000}, 2);
        if (part)
            m_server->addFault({Kind::FirstPart, 1000}, 2);
        DownloadHttpFile downloader;
        downloader.setDownloadsBase(m_server->base());
        // Only where the server falls silent: elsewhere a loaded machine's
        // pause could be the error the row looks for.
        if (silent)
            downloader.setSilenceLimit(200);
        QSignalSpy completed(&downloader, &DownloadHttpFile::onHttpDownloadCompleted);
        {
            std::unique_ptr<NoWriteRoom> full(disk == "full" ? new NoWriteRoom : nullptr);
            std::optional<FailingWrites> failing;
            if (disk == "close")
                failing.emplace(QFileInfo(local()).path(), FailingWrites::Close);
            QCOMPARE(downloader.download(Name, local(), QString()), 0);
            QVERIFY(completed.wait(15000));
        }
        QCOMPARE(completed.size(), 1);
        QVERIFY2(completed.first().first().toInt() > 0, "the failure was reported as a whole download");
    }

    // The update server runs every hour for weeks, and each answer may set
    // cookies of new names: none of them may stay with the console.
    void cookiesNotKept_data()
    {
        QTest::addColumn<bool>("plain");
        QTest::newRow("download manager") << false;
        QTest::newRow("plain downloader") << true;
    }

    void cookiesNotKept()
    {
        QFETCH(bool, plain);
        const int checks = 5;
        // The plain downloader asks twice per download.
        m_server->addFault({Kind::Cookies, 40}, plain ? 2 * checks : checks);
        DownloadHttpFile downloader;
        downloader.setDownloadsBase(m_server->base());
        QSignalSpy completed(&downloader, &DownloadHttpFile::onHttpDownloadCompleted);
        for (int i = 0; i < checks; ++i) {
            if (plain) {
                QCOMPARE(downloader.download(Name, local(), QString()), 0);
                QVERIFY(completed.wait(15000));
                QTest::qWait(20);
            } else {
                QCOMPARE(fetch(Size, md5Of(content())), (Done{0, Size}));
            }
        }
        QObject *owner = plain ? static_cast<QObject *>(&downloader) : m_manager;
        auto *network = owner->findChild<QNetworkAccessManager *>();
        QVERIFY(network);
        QCOMPARE(network->cookieJar()->cookiesForUrl(QUrl(m_server->base())).size(), 0);
    }

    // A real web server's Range handling, with nginx on a loopback port.
    void resumeAgainstNginx()
    {
        NginxServer server(m_dir.filePath(QStringLiteral("nginx")));
        QString http = QStringLiteral(
            "http { access_log off; default_type application/octet-stream;\n"
            "  client_body_temp_path ROOT/body; proxy_temp_path ROOT/proxy; fastcgi_temp_path ROOT/fastcgi;\n"
            "  uwsgi_temp_path ROOT/uwsgi; scgi_temp_path ROOT/scgi;\n"
            "  server { listen 127.0.0.1:PORT;\n"
            "    location = /get { root SERVED; try_files /$arg_file =404; } } }\n");
        http.replace(QLatin1String("SERVED"), m_dir.filePath(QStringLiteral("served")));
        QVERIFY2(server.start(http), qPrintable(server.failure()));

        const QString base = QStringLiteral("http://127.0.0.1:%1/get?file=").arg(server.port());
        QVERIFY(TestFiles::write(part(), content().left(Size / 3)));
        QCOMPARE(fetch(Size, md5Of(content()), base), (Done{0, Size}));
        QCOMPARE(TestFiles::read(local()), content());
        // Already complete: the server refuses the range and the sum decides.
        QVERIFY(TestFiles::write(part(), content()));
        QCOMPARE(fetch(Size, md5Of(content()), base), (Done{0, Size}));
        QVERIFY(m_errors->isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestDownloadManager)
#include "tst_downloadmanager.moc"
