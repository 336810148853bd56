// Start-up of the main window: the single-instance guard, the settings it
// seeds, the network check.
#include "mainwindow/mainwindow.h"
#include "ui_mainwindow.h"
#include "nodescriptorsleft.h"
#include "scriptedprompter.h"
#include "windowfixture.h"
#include "withoutoverride.h"

#include "devicelink/discovery.h"
#include "devicelink/sslserver.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QScopeGuard>
#include <QSemaphore>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>

#include <sys/socket.h>
#include <sys/stat.h>
#include <pwd.h>
#include <sys/un.h>
#include <unistd.h>

using namespace WindowFixture;

static const QString AlreadyRunning =
    QStringLiteral("KorvaneManager is already running.\n\nYou cannot run multiple instances of this application");

// Runs the event loop until it is quit, or fails after limitMs; returns how long it ran.
static qint64 runUntilQuit(int limitMs)
{
    bool timedOut = false;
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [&] {
        timedOut = true;
        qApp->exit(1);
    });
    guard.start(limitMs);
    QElapsedTimer clock;
    clock.start();
    qApp->exec();
    return timedOut ? -1 : clock.elapsed();
}

static QSettings *seededStore()
{
    QSettings *store = newSettings();
    seedPreferences(store, freeTcpPort(), freeUdpPort());
    return store;
}

static QByteArray settingsFileBytes()
{
    QSettings s(QStringLiteral("Halvard"), QStringLiteral("korvane_server"));
    QFile f(s.fileName());
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

class TestStartup : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        QSettings(QStringLiteral("Halvard"), QStringLiteral("korvane_server")).clear();
    }

    void firstRun_data()
    {
        QTest::addColumn<bool>("emptyStore");
        QTest::addColumn<bool>("wizard");
        QTest::addColumn<QString>("key");       // of a seeded store, changed to value
        QTest::addColumn<QVariant>("value");    // invalid: removed
        QTest::newRow("empty store") << true << false << QString() << QVariant();
        QTest::newRow("empty store, wizard asked for") << true << true << QString() << QVariant();
        QTest::newRow("only the working directory missing")
            << false << false << QStringLiteral("zorWorkingDir") << QVariant();
        // Neither names a directory: files would go to the root or to
        // whatever folder the console was started in.
        QTest::newRow("temporary directory empty") << false << false << QStringLiteral("tempDir") << QVariant(QString());
        QTest::newRow("firmware directory relative")
            << false << false << QStringLiteral("firmwareImageDir") << QVariant(QStringLiteral("firmware"));
        // Offered again, "." would put every data directory under the folder
        // the console was started in, and the next start would ask again.
        QTest::newRow("working directory relative")
            << false << false << QStringLiteral("zorWorkingDir") << QVariant(QStringLiteral("."));
        // A blank before the slash makes the path relative to the folder
        // the console was started in, wherever a reader opens or makes it.
        QTest::newRow("temporary directory after a blank")
            << false << false << QStringLiteral("tempDir")
            << QVariant(QLatin1Char(' ') + QDir::tempPath() + QStringLiteral("/korvane/temp"));
    }

    void firstRun()
    {
        QFETCH(bool, emptyStore);
        QFETCH(bool, wizard);
        QFETCH(QString, key);
        QFETCH(QVariant, value);
        QTemporaryDir startedIn;
        QVERIFY(startedIn.isValid());
        const QString before = QDir::currentPath();
        QVERIFY(QDir::setCurrent(startedIn.path()));
        const auto restore = qScopeGuard([&before] { QDir::setCurrent(before); });
        const quint16 sslPort = freeTcpPort();
        const quint16 udpPort = freeUdpPort();
        QSettings *store = newSettings();
        if (!emptyStore) {
            seedPreferences(store, 1, 2);
            if (value.isValid())
                store->setValue(key, value);
            else
                store->remove(key);
        }
        ScriptedPrompter prompter;
        bool wizardOffered = false;
        prompter.answerDialog([&](QDialog *d) {
            wizardOffered = !d->findChild<QCheckBox *>(QStringLiteral("chbxRunWizard"))->isHidden();
            d->findChild<QLineEdit *>(QStringLiteral("tbxSSLPort"))->setText(QString::number(sslPort));
            d->findChild<QLineEdit *>(QStringLiteral("tbxUDPBroadcastPort"))->setText(QString::number(udpPort));
            d->findChild<QLineEdit *>(QStringLiteral("tbxBroadcastFrequency"))->setText(QStringLiteral("3"));
            d->findChild<QCheckBox *>(QStringLiteral("chbxRunWizard"))->setChecked(wizard);
            d->findChild<QPushButton *>(QStringLiteral("btnSaveSettings"))->click();
            return d->result();
        });
        MainWindow w(nullptr, environment(store));

        QCOMPARE(prompter.calls.size(), 1);
        QVERIFY(wizardOffered);

        const QString work = QDir::tempPath() + QStringLiteral("/korvane");
        // The server and the broadcast use what was just saved.
        QCOMPARE(w.sslServer->serverPort(), sslPort);
        QCOMPARE(w.broadcastTimer->interval(), 3000);
        QCOMPARE(w.runWizardAtStart, wizard);
        QCOMPARE(w.wizardTimer->isActive(), wizard);

        // Saved for good: the next start is no first run.
        w.settings->sync();
        const QSettings onDisk(QStringLiteral("Halvard"), QStringLiteral("korvane_server"));
        QCOMPARE(onDisk.value(QStringLiteral("zorWorkingDir")).toString(), work);
        QCOMPARE(onDisk.value(QStringLiteral("tempDir")).toString(), work + QStringLiteral("/temp"));
        QCOMPARE(onDisk.value(QStringLiteral("firmwareImageDir")).toString(), work + QStringLiteral("/firmware"));
        QCOMPARE(onDisk.value(QStringLiteral("SSLPort")).toInt(), int(sslPort));
        QCOMPARE(QDir(startedIn.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList());
    }

    // The working directory in the shared temporary folder went with a
    // reboot, and the preferences at start make the default anew, at the same
    // path; or a store was removed since the last run, and will be made anew
    // by hand or by the preferences: the stores are empty, so the next check
    // fetches the packages again. A waiting console installer stays remembered.
    void goneWorkingDirectoryForgetsUnpacked_data()
    {
        QTest::addColumn<QString>("removed");   // under the working directory
        QTest::addColumn<bool>("shared");
        QTest::newRow("working directory gone from the shared folder") << QString() << true;
        QTest::newRow("store removed") << QStringLiteral("/firmware") << false;
    }

    void goneWorkingDirectoryForgetsUnpacked()
    {
        QFETCH(QString, removed);
        QFETCH(bool, shared);
        const QByteArray temp = QFile::encodeName(QDir::tempPath());
        QVERIFY(::chmod(temp.constData(), shared ? 01777 : 0755) == 0);
        const auto restore = qScopeGuard([&] { ::chmod(temp.constData(), 0755); });
        QSettings *store = seededStore();
        const QString work = store->value(QStringLiteral("zorWorkingDir")).toString();
        const auto clear = qScopeGuard([&] { QDir(work).removeRecursively(); });
        store->setValue(QStringLiteral("firmwareVersionORL_K1"), QStringLiteral("fw-ORL_K1-2.0.7z"));
        store->setValue(QStringLiteral("zorServerVersionExe"), QStringLiteral("KorvaneManager-7.8.8-linux.run"));
        QVERIFY(QDir(work + removed).removeRecursively());
        ScriptedPrompter prompter;
        QString shown;
        prompter.answerDialog([&](QDialog *d) {
            shown = d->findChild<QLineEdit *>(QStringLiteral("tbxTempDir"))->text();
            d->findChild<QPushButton *>(QStringLiteral("btnSaveSettings"))->click();
            return d->result();
        });
        MainWindow w(nullptr, environment(store));

        QCOMPARE(shown, shared ? work : QString());
        QCOMPARE(w.settings->value(QStringLiteral("firmwareVersionORL_K1")).toString(), QStringLiteral("unknown"));
        QCOMPARE(w.settings->value(QStringLiteral("zorServerVersionExe")).toString(),
                 QStringLiteral("KorvaneManager-7.8.8-linux.run"));
    }

    void refusesWorkingDirectoryOthersMade_data()
    {
        QTest::addColumn<QString>("found");
        QTest::addColumn<bool>("offered");   // the default, made anew
        QTest::newRow("gone") << QStringLiteral("gone") << true;
        QTest::newRow("link") << QStringLiteral("link") << false;
        QTest::newRow("another user's folder") << QStringLiteral("folder") << false;
        QTest::newRow("in another user's folder") << QStringLiteral("inside") << true;
        QTest::newRow("the shared folder itself") << QStringLiteral("shared") << true;
    }

    void refusesWorkingDirectoryOthersMade()
    {
        // The shared temporary folder was emptied since the preferences were
        // saved, and anybody may make the working directory there again.
        QFETCH(QString, found);
        QFETCH(bool, offered);
        const QString shared = QDir::tempPath();
        QVERIFY(::chmod(QFile::encodeName(shared).constData(), 01777) == 0);
        const auto restore = qScopeGuard([&] { ::chmod(QFile::encodeName(shared).constData(), 0755); });
        QSettings *store = seededStore();
        const QString work = store->value(QStringLiteral("zorWorkingDir")).toString();
        QTemporaryDir elsewhere, chosen;
        const QString theirs = shared + QStringLiteral("/theirs");
        const auto clear = qScopeGuard([&] {
            QFile::remove(work);
            QDir(work).removeRecursively();
            QDir(theirs).removeRecursively();
        });
        QString given = work;   // to another user
        if (found == QLatin1String("shared")) {
            store->setValue(QStringLiteral("zorWorkingDir"), shared);
        } else if (found == QLatin1String("inside")) {
            QVERIFY(QDir().mkpath(theirs + QStringLiteral("/korvane")));
            store->setValue(QStringLiteral("zorWorkingDir"), theirs + QStringLiteral("/korvane"));
            given = theirs;
        } else if (found != QLatin1String("folder")) {
            QVERIFY(QDir(work).removeRecursively());
            QVERIFY(found == QLatin1String("gone") || QFile::link(elsewhere.path(), work));
        }
        if ((found == QLatin1String("folder") || found == QLatin1String("inside"))
            && ::chown(QFile::encodeName(given).constData(), ::geteuid() + 1, ::getegid()) != 0) {
            delete store;
            QSKIP("a folder of another user needs the right to give it away");
        }
        ScriptedPrompter prompter;
        QString shown = QStringLiteral("(not asked)");
        prompter.answerDialog([&](QDialog *d) {
            auto *field = d->findChild<QLineEdit *>(QStringLiteral("tbxTempDir"));
            shown = field->text();
            field->setText(chosen.path());
            d->findChild<QPushButton *>(QStringLiteral("btnSaveSettings"))->click();
            return d->result();
        });
        MainWindow w(nullptr, environment(store));

        QCOMPARE(shown, offered ? work : QString());
        QCOMPARE(w.settings->value(QStringLiteral("tempDir")).toString(), chosen.path() + QStringLiteral("/temp"));
        QCOMPARE(w.departmentFilePath(), chosen.path() + QStringLiteral("/temp/KorvaneManager.ini"));
    }

    // A working directory of the administrator's in the shared temporary
    // folder, under any name a folder may have, is taken as saved.
    void savedWorkingDirectoryInTheSharedFolder_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("blanks, a trailing one too") << QStringLiteral("Korvane files ");
        QTest::newRow("a trailing dot") << QStringLiteral("korvane.");
        QTest::newRow("a leading dash") << QStringLiteral("-korvane");
        QTest::newRow("letters past ASCII") << QStringLiteral("K\u00f6rvane \u65e5\u672c");
    }

    void savedWorkingDirectoryInTheSharedFolder()
    {
        QFETCH(QString, name);
        const QString shared = QDir::tempPath();
        QVERIFY(::chmod(QFile::encodeName(shared).constData(), 01777) == 0);
        const auto restore = qScopeGuard([&] { ::chmod(QFile::encodeName(shared).constData(), 0755); });
        QSettings *store = seededStore();
        const QString work = shared + QLatin1Char('/') + name;
        const auto clear = qScopeGuard([&] { QDir(work).removeRecursively(); });
        store->setValue(QStringLiteral("zorWorkingDir"), work);
        for (const char *key : {"firmwareImageDir", "appImageDir", "hotfixDir", "tempDir", "profileDir"}) {
            const QString dir = work + QLatin1Char('/') + QLatin1String(key);
            QVERIFY(QDir().mkpath(dir));
            store->setValue(QLatin1String(key), dir);
        }
        ScriptedPrompter prompter;
        MainWindow w(nullptr, environment(store));
        QVERIFY2(prompter.calls.isEmpty(), qPrintable(prompter.texts().join(QLatin1Char('|'))));
        QCOMPARE(w.departmentFilePath(), work + QStringLiteral("/tempDir/KorvaneManager.ini"));
    }

    void startWithSavedPreferences_data()
    {
        QTest::addColumn<QVariant>("discovery");    // stored state; invalid: never stored
        QTest::addColumn<bool>("on");
        // Discovery comes on by itself the first time and is remembered.
        QTest::newRow("first start") << QVariant() << true;
        QTest::newRow("switched off before") << QVariant(false) << false;
    }

    void startWithSavedPreferences()
    {
        QFETCH(QVariant, discovery);
        QFETCH(bool, on);
        QSettings *store = newSettings();
        seedPreferences(store, freeTcpPort(), freeUdpPort(), 7);
        if (discovery.isValid())
            store->setValue(QStringLiteral("discoveryState"), discovery);
        store->setValue(QStringLiteral("platform"), QStringLiteral("linux"));
        store->setValue(QStringLiteral("zorClientVersion"), QStringLiteral("2.1.0"));
        store->setValue(QStringLiteral("hotfixVersionORL_K1"), QStringLiteral("hf-12"));
        ScriptedPrompter prompter;
        MainWindow w(nullptr, environment(store));

        QVERIFY2(prompter.calls.isEmpty(), qPrintable(prompter.texts().join(QLatin1Char('|'))));
        QVERIFY(!w.noSaveOnExit);
        QVERIFY(w.programDir.endsWith(QLatin1String("tests/")));
        QCOMPARE(store->value(QStringLiteral("platform")).toString(), QStringLiteral("windows"));
        QCOMPARE(store->value(QStringLiteral("zorClientVersion")).toString(), QStringLiteral("2.1.0"));
        QVERIFY(w.isSettingEqual(QStringLiteral("hotfixVersionORL_K1"), QStringLiteral("hf-12")));
        QVERIFY(!w.isSettingEqual(QStringLiteral("hotfixVersionORL_K1"), QStringLiteral("HF-12")));
        QVERIFY(!w.isSettingEqual(QStringLiteral("absentKey"), QString()));

        QCOMPARE(store->value(QStringLiteral("discoveryState")).toBool(), on);
        QCOMPARE(w.ui->btnUdpBroadcast->isChecked(), on);
        QCOMPARE(w.broadcastTimer->isActive(), on);
        QCOMPARE(w.discoveryDatagram.isEmpty(), !on);
        if (on)
            QCOMPARE(w.broadcastTimer->interval(), 7000);
        QVERIFY(w.sslServer && w.sslServer->isListening());
        QCOMPARE(w.sslServer->serverPort(), quint16(store->value(QStringLiteral("SSLPort")).toInt()));
        QVERIFY(!w.wizardTimer->isActive());
    }

    // A port changed in the preferences: the server moves there, and the
    // datagrams name it. A port that cannot be taken, at the start or then,
    // is said so; the server stays where it was, and the datagrams keep
    // sending devices there.
    void sslPortChanged_data()
    {
        QTest::addColumn<bool>("takenAtStart");
        QTest::addColumn<bool>("takenAfter");
        QTest::newRow("free port") << false << false;
        QTest::newRow("port taken") << false << true;
        QTest::newRow("taken at the start, then a free one") << true << false;
    }

    void sslPortChanged()
    {
        QFETCH(bool, takenAtStart);
        QFETCH(bool, takenAfter);
        QTcpServer holder;
        QVERIFY(holder.listen(QHostAddress::Any, 0));
        QSettings *store = newSettings();
        const quint16 first = takenAtStart ? holder.serverPort() : freeTcpPort();
        seedPreferences(store, first, freeUdpPort(), 7);
        const QString notListening = QStringLiteral("\nKorvane cannot accept devices on SSL port %1:\n\n");
        ScriptedPrompter prompter;
        MainWindow w(nullptr, environment(store));
        QCOMPARE(w.sslServer->isListening(), !takenAtStart);
        QCOMPARE(prompter.texts().size(), int(takenAtStart));
        if (takenAtStart)
            QVERIFY(prompter.texts().first().startsWith(notListening.arg(first)));
        prompter.clear();

        const quint16 second = takenAfter ? holder.serverPort() : freeTcpPort();
        prompter.answerDialog([&](QDialog *d) {
            d->findChild<QLineEdit *>(QStringLiteral("tbxSSLPort"))->setText(QString::number(second));
            d->findChild<QPushButton *>(QStringLiteral("btnSaveSettings"))->click();
            return d->result();
        });
        w.ui->actionPreferences->trigger();
        QCOMPARE(store->value(QStringLiteral("SSLPort")).toInt(), int(second));
        QCOMPARE(prompter.texts(QStringLiteral("warning")).size(), int(takenAfter));
        if (takenAfter)
            QVERIFY(prompter.texts(QStringLiteral("warning")).first().startsWith(notListening.arg(second)));
        const quint16 reachable = takenAfter ? first : second;
        QVERIFY(w.sslServer->isListening());
        QCOMPARE(w.sslServer->serverPort(), reachable);
        QVERIFY(!w.localAddresses.isEmpty());
        w.sendDiscoveryNow();
        QCOMPARE(w.discoveryDatagram, Discovery::datagram(w.localAddresses.last().ip().toString(), reachable));
    }

    void programDirectory_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QString>("dir");
        QTest::newRow("path") << "/opt/korvane/KorvaneManager" << "/opt/korvane/";
        QTest::newRow("relative") << "bin/KorvaneManager" << "bin/";
        QTest::newRow("both, slash wins") << "C:\\Korvane/bin\\KorvaneManager.exe" << "C:\\Korvane/";
        // Started through PATH: the folder the program was found in.
        const QString found = QCoreApplication::applicationDirPath() + QLatin1Char('/');
        QTest::newRow("bare name") << "KorvaneManager" << found;
        QTest::newRow("bare name with backslashes") << "C:\\Korvane\\KorvaneManager.exe" << found;
        QTest::newRow("none") << "" << "";
    }

    void programDirectory()
    {
        QFETCH(QString, program);
        QFETCH(QString, dir);
        QCOMPARE(MainWindow::programDirectory(program), dir);
    }

    void broadcastButtonOnlyEverSwitchedOff()
    {
        QSettings *store = seededStore();
        ScriptedPrompter prompter;
        MainWindow w(nullptr, environment(store));
        emit w.sslServer->onSetBroadcastBtnState(true);
        QVERIFY(w.ui->btnUdpBroadcast->isEnabled());
        emit w.sslServer->onSetBroadcastBtnState(false);
        QVERIFY(!w.ui->btnUdpBroadcast->isEnabled());
        emit w.sslServer->onSetBroadcastBtnState(true);
        QVERIFY(!w.ui->btnUdpBroadcast->isEnabled());
        // Broadcasting goes on: the button is locked, not switched off.
        QVERIFY(w.ui->btnUdpBroadcast->isChecked());
        QVERIFY(w.broadcastTimer->isActive());
    }

    void secondInstanceQuitsAndWritesNothing()
    {
        QSettings *store = seededStore();
        ScriptedPrompter prompter;
        MainWindow first(nullptr, environment(store));
        first.settings->sync();
        const QByteArray before = settingsFileBytes();
        QVERIFY(!before.isEmpty());

        {
            QSettings *secondStore = newSettings();
            MainWindow second(nullptr, environment(secondStore));
            QCOMPARE(prompter.texts(QStringLiteral("information")), QStringList{AlreadyRunning});
            QVERIFY(second.noSaveOnExit);
            QVERIFY(!second.settings);
            QVERIFY(!second.sslServer);
            second.close();
            const qint64 ran = runUntilQuit(5000);
            QVERIFY2(ran >= 0, "the second instance did not quit");
        }
        QCOMPARE(settingsFileBytes(), before);
        // The first instance still owns the name.
        QLocalSocket probe;
        probe.connectToServer(QStringLiteral("KorvaneManager"));
        QVERIFY(probe.waitForConnected(500));
    }

    // The instance socket lives in the temporary folder, and a socket's path
    // holds fewer than sizeof(sun_path) bytes: a long temporary folder must
    // not let a second console start beside the first.
    void secondInstanceWhateverTheTemporaryFolder_data()
    {
        const int room = int(sizeof(sockaddr_un::sun_path)) - 1 - int(qstrlen("/KorvaneManager"));
        QTest::addColumn<int>("length");
        QTest::newRow("a socket path's length") << room;
        QTest::newRow("one byte longer") << room + 1;
        QTest::newRow("far longer") << 300;
    }

    void secondInstanceWhateverTheTemporaryFolder()
    {
        QFETCH(int, length);
        QString dir = QDir::tempPath() + QStringLiteral("/t");
        while (dir.size() < length)
            dir += dir.size() % 60 ? QLatin1Char('t') : QLatin1Char('/');
        QVERIFY(QDir().mkpath(dir));
        const QByteArray usual = qgetenv("TMPDIR");
        const auto restore = qScopeGuard([&] { qputenv("TMPDIR", usual); });
        qputenv("TMPDIR", QFile::encodeName(dir));

        ScriptedPrompter prompter;
        MainWindow first(nullptr, environment(seededStore()));
        MainWindow second(nullptr, environment(newSettings()));
        QCOMPARE(prompter.texts(QStringLiteral("information")), QStringList{AlreadyRunning});
        second.close();
        QVERIFY2(runUntilQuit(5000) >= 0, "the second instance did not quit");
    }

    // A temporary folder that cannot hold the socket (TMPDIR naming no
    // folder, a file, or a folder the user may not write into) sends it to
    // the runtime folder: a path fallen to the root, under a file or in a
    // closed folder could neither be listened on nor found, and a second
    // console would start beside the first.
    // The start lock goes with it, or two starts at once would both find
    // nobody and both run.
    void instanceSocketWhereTheFolderIsNot_data()
    {
        QTest::addColumn<QString>("tmpdir");   // under this test's temporary folder
        QTest::newRow("a folder that is not there") << QStringLiteral("gone");
        QTest::newRow("a file") << QStringLiteral("plain");
        QTest::newRow("a folder closed to the user") << QStringLiteral("closed");
    }

    void instanceSocketWhereTheFolderIsNot()
    {
        QFETCH(QString, tmpdir);
        const QString base = QDir::tempPath();
        QFile plain(base + QStringLiteral("/plain"));
        QVERIFY(plain.open(QIODevice::WriteOnly));
        plain.close();
        const QString closed = base + QStringLiteral("/closed");
        QVERIFY(QDir().mkpath(closed));
        QVERIFY(QFile::setPermissions(closed, QFile::ReadOwner | QFile::ExeOwner));
        const auto reopen = qScopeGuard([&closed] {
            QFile::setPermissions(closed, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        });
        const QByteArray usual = qgetenv("TMPDIR");
        const auto restore = qScopeGuard([&] { qputenv("TMPDIR", usual); });
        qputenv("TMPDIR", QFile::encodeName(base + QLatin1Char('/') + tmpdir));

        const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
        QString socket, lockPath;
        QVERIFY(withoutFolderOverride([&] {
            socket = MainWindow::instanceSocketName(QStringLiteral("KorvaneManager"));
            lockPath = MainWindow::startupLockPath(QStringLiteral("KorvaneManager"));
        }));
        QCOMPARE(QFileInfo(socket).absolutePath(), runtime);
        QCOMPARE(QFileInfo(lockPath).absolutePath(), runtime);
        QLockFile lock(lockPath);
        QVERIFY(lock.tryLock(0));
    }

    // Anybody may take the instance socket's name, and the start lock's, in
    // a shared temporary folder before the console starts: it must start all
    // the same, and a second console of the user still find it, also once
    // their names have gone again.
    void namesAnotherUserTookFirst_data()
    {
        QTest::addColumn<bool>("theirsGone");   // before the second console starts
        // No XDG_RUNTIME_DIR, and the folder the system then names in the
        // temporary folder taken by them as well.
        QTest::addColumn<bool>("runtimeTaken");
        QTest::addColumn<bool>("runtimeGone");   // theirs, before the second console starts
        QTest::newRow("still theirs") << false << false << false;
        QTest::newRow("gone since") << true << false << false;
        QTest::newRow("still theirs, their runtime folder") << false << true << false;
        QTest::newRow("gone since, their runtime folder") << true << true << false;
        QTest::newRow("still theirs, their runtime folder gone since") << false << true << true;
        QTest::newRow("gone since, their runtime folder too") << true << true << true;
    }

    void namesAnotherUserTookFirst()
    {
        QFETCH(bool, theirsGone);
        QFETCH(bool, runtimeTaken);
        QFETCH(bool, runtimeGone);
        const QString socket = QDir::tempPath() + QStringLiteral("/KorvaneManager");
        const QString lock = QDir::tempPath() + QStringLiteral("/KorvaneManager.startlock");
        const QByteArray runtimeDir = qgetenv("XDG_RUNTIME_DIR");
        // Named after the user, as the system names it; a user without a name
        // gets no such folder.
        const passwd *me = ::getpwuid(::geteuid());
        const QString theirRuntime =
            me ? QDir::tempPath() + QStringLiteral("/runtime-") + QString::fromLocal8Bit(me->pw_name) : QString();
        const auto clear = qScopeGuard([&] {
            QFile::remove(lock);
            if (!theirRuntime.isEmpty())
                QDir().rmdir(theirRuntime);
            qputenv("XDG_RUNTIME_DIR", runtimeDir);
        });
        if (runtimeTaken && theirRuntime.isEmpty())
            QSKIP("the user has no name to name a runtime folder after");
        if (runtimeTaken) {
            qunsetenv("XDG_RUNTIME_DIR");
            QVERIFY(QDir().mkdir(theirRuntime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
            if (::lchown(QFile::encodeName(theirRuntime).constData(), ::geteuid() + 1, ::getegid()) != 0)
                QSKIP("a folder of another user needs the right to give it away");
            QCOMPARE(QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation), QString());
        }
        QLocalServer others;
        others.setSocketOptions(QLocalServer::WorldAccessOption);
        QVERIFY(others.listen(socket));
        QFile planted(lock);
        QVERIFY(planted.open(QIODevice::WriteOnly));
        planted.write(QByteArray::number(QCoreApplication::applicationPid()) + "\nKorvaneManager\n\n");
        planted.close();
        for (const QString &path : {socket, lock})
            if (::lchown(QFile::encodeName(path).constData(), ::geteuid() + 1, ::getegid()) != 0)
                QSKIP("a file of another user needs the right to give it away");

        ScriptedPrompter prompter;
        MainWindow first(nullptr, environment(seededStore()));
        QVERIFY2(prompter.calls.isEmpty(), qPrintable(prompter.texts().join(QLatin1Char('|'))));
        QVERIFY(first.localServer->isListening());
        QVERIFY(MainWindow::startupLockPath(QStringLiteral("KorvaneManager")) != lock);
        if (theirsGone) {
            others.close();
            QVERIFY(QFile::remove(lock));
            QVERIFY(!QFileInfo::exists(socket));
        }
        if (runtimeGone)
            QVERIFY(QDir().rmdir(theirRuntime));
        MainWindow second(nullptr, environment(newSettings()));
        QCOMPARE(prompter.texts(QStringLiteral("information")), QStringList{AlreadyRunning});
        second.close();
        QVERIFY2(runUntilQuit(5000) >= 0, "the second instance did not quit");
    }

    // Every start of a second console probes the first; the first must
    // still answer after as many probes as a long uptime brings.
    void probedOftenStillAnswers()
    {
        ScriptedPrompter prompter;
        MainWindow first(nullptr, environment(seededStore()));
        for (int i = 0; i < 150; ++i) {
            QLocalSocket probe;
            probe.connectToServer(QStringLiteral("KorvaneManager"));
            QVERIFY2(probe.waitForConnected(500), qPrintable(QStringLiteral("probe %1 found no console").arg(i)));
            probe.disconnectFromServer();
            QCoreApplication::processEvents();
        }
        // Each held its own descriptor: kept, a long uptime runs out of them.
        QTRY_VERIFY(first.localServer->findChildren<QLocalSocket *>().isEmpty());
    }

    // A probe that comes while the console is out of descriptors closes its
    // instance socket and removes the file; the console takes its name again
    // once descriptors are free, so a later start still finds it.
    void nameTakenAgainAfterDescriptorsRanOut()
    {
        ScriptedPrompter prompter;
        MainWindow first(nullptr, environment(seededStore()));
        QVERIFY(first.localServer->isListening());
        QLocalSocket early;
        early.connectToServer(QStringLiteral("KorvaneManager"));
        NoDescriptorsLeft none;
        const bool lost = QTest::qWaitFor([&] { return !first.localServer->isListening(); }, 10000);
        none.give();
        QVERIFY(none.exhausted());
        QVERIFY(lost);

        QTRY_VERIFY_WITH_TIMEOUT(first.localServer->isListening(), 10000);
        QLocalSocket probe;
        probe.connectToServer(QStringLiteral("KorvaneManager"));
        QVERIFY(probe.waitForConnected(500));
        QVERIFY(prompter.calls.isEmpty());
    }

    void staleSocketFileAfterCrash()
    {
        // What a crashed console leaves: the socket file, and nobody behind it.
        const QString path = QDir::tempPath() + QStringLiteral("/KorvaneManager");
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un addr = {};
        addr.sun_family = AF_UNIX;
        qstrncpy(addr.sun_path, QFile::encodeName(path).constData(), sizeof(addr.sun_path));
        QCOMPARE(::bind(fd, reinterpret_cast<sockaddr *>(&addr), sizeof(addr)), 0);
        ::close(fd);
        QVERIFY(QFile::exists(path));

        QSettings *store = seededStore();
        ScriptedPrompter prompter;
        MainWindow w(nullptr, environment(store));
        QVERIFY(prompter.calls.isEmpty());
        QVERIFY(w.localServer->isListening());
        QLocalSocket probe;
        probe.connectToServer(QStringLiteral("KorvaneManager"));
        QVERIFY(probe.waitForConnected(500));
    }

    void twoStartsAtOnce()
    {
        // Another console that is between its probe and its listen when this
        // one starts: this one must wait for it and then give way.
        QSemaphore locked, done;
        QThread *other = QThread::create([&] {
            QLockFile lock(MainWindow::startupLockPath(QStringLiteral("KorvaneManager")));
            lock.lock();
            locked.release();
            QThread::msleep(300);
            QLocalServer server;
            server.listen(QStringLiteral("KorvaneManager"));
            lock.unlock();
            done.acquire();
        });
        other->start();
        locked.acquire();

        QSettings *store = seededStore();
        store->sync();
        const QByteArray before = settingsFileBytes();
        ScriptedPrompter prompter;
        {
            MainWindow w(nullptr, environment(store));
            QCOMPARE(prompter.texts(QStringLiteral("information")), QStringList{AlreadyRunning});
            QVERIFY(w.noSaveOnExit);
            runUntilQuit(5000);
        }
        QCOMPARE(settingsFileBytes(), before);
        done.release();
        other->wait();
        delete other;
    }

    void noNetwork()
    {
        QSettings *store = seededStore();
        ScriptedPrompter prompter;
        MainWindowEnvironment env = environment(store);
        env.addresses = QList<QNetworkAddressEntry>();
        // The quit is timed from within the constructor: so is the wait for
        // it, or a busy machine pausing this test before the event loop
        // starts would shorten what it measures.
        QElapsedTimer shown;
        shown.start();
        MainWindow w(nullptr, env);

        QCOMPARE(prompter.texts(QStringLiteral("warning")),
                 QStringList{QStringLiteral("No network was detected. Korvane will now close\n\n"
                                            "Fix your network, then restart Korvane")});
        QVERIFY(!w.sslServer);
        QVERIFY(!w.udpSocket);
        QVERIFY(!w.broadcastTimer);
        // The window is up until the quit, but the services behind its
        // actions were never made: none of them may run meanwhile.
        for (QAction *action : w.findChildren<QAction *>())
            action->trigger();
        QCOMPARE(prompter.calls.size(), 1);
        QVERIFY2(runUntilQuit(10000) >= 0, "the console did not quit");
        QVERIFY2(shown.elapsed() >= 900, qPrintable(QString::number(shown.elapsed())));
    }

    void addressesOfTheInterfacesThatAreUp()
    {
        QSettings *store = seededStore();
        ScriptedPrompter prompter;
        MainWindowEnvironment env = environment(store);
        env.addresses.reset();
        MainWindow w(nullptr, env);
        QStringList ips;
        for (const QNetworkAddressEntry &e : std::as_const(w.localAddresses))
            ips << e.ip().toString() + QLatin1Char(' ') + e.broadcast().toString();
        ips.sort();
        // Loop-back left out; IPv6 link-local addresses of the veth pair too.
        QCOMPARE(ips, (QStringList{QStringLiteral("10.77.0.1 10.77.0.255"), QStringLiteral("10.77.0.2 10.77.0.255")}));
    }
};

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
