// How the main window ends: close, Exit, clearing the settings, the
// installer offer, and the About box.
#include "mainwindow/aboutdialog.h"
#include "mainwindow/deptinfo.h"
#include "mainwindow/mainwindow.h"
#include "updates/core/downloadmanager.h"
#include "ui_mainwindow.h"
#include "fakedevices.h"
#include "scriptedprompter.h"
#include "testfiles.h"
#include "windowfixture.h"
#include "windowdevices.h"
#include "withoutoverride.h"
#include "fileclient.h"
#include "simdevice.h"
#include "devicelink/thinclientinfo.h"

#include <QCheckBox>
#include <QDialog>
#include <QLineEdit>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

using namespace WindowFixture;

static QSettings *store()
{
    QSettings *s = newSettings();
    seedPreferences(s, freeTcpPort(), freeUdpPort());
    return s;
}

// A console installer that a finished update run left in temp, offered at exit.
static QString downloadedInstaller(const QTemporaryDir &temp,
                                   const QString &name = QStringLiteral("setup-7.8.9-win.exe"))
{
    const QString path = temp.filePath(name);
    return TestFiles::write(path, "installer") ? path : QString();
}

static QStringList storedKeys()
{
    return QSettings(QStringLiteral("Halvard"), QStringLiteral("korvane_server")).allKeys();
}

class TestShutdown : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        QSettings(QStringLiteral("Halvard"), QStringLiteral("korvane_server")).clear();
    }

    void clearSettings_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("writable");   // the store's file
        QTest::addColumn<bool>("cleared");
        QTest::newRow("yes") << int(QMessageBox::Yes) << true << true;
        QTest::newRow("no") << int(QMessageBox::No) << true << false;
        // A file root left after a run through sudo, or a read-only home:
        // the next start finds every setting.
        QTest::newRow("yes, the store cannot be written") << int(QMessageBox::Yes) << false << false;
    }

    void clearSettings()
    {
        QFETCH(int, answer);
        QFETCH(bool, writable);
        QFETCH(bool, cleared);
        QSettings *settings = store();
        settings->sync();
        const QString file = settings->fileName();
        QVERIFY(QFile::setPermissions(file, writable ? QFile::ReadOwner | QFile::WriteOwner : QFile::ReadOwner));
        const auto restore = qScopeGuard([&file] { QFile::setPermissions(file, QFile::ReadOwner | QFile::WriteOwner); });
        ScriptedPrompter prompter;
        {
            NoFolderOverrideHere asUser;
            QVERIFY(asUser.dropped());
            MainWindow w(nullptr, environment(settings));
            w.show();
            prompter.answer(QMessageBox::StandardButton(answer));
            w.ui->actionClear_application_settings->trigger();

            QCOMPARE(prompter.texts(QStringLiteral("question")),
                     QStringList{QStringLiteral("Are you sure you want to clear application settings?\n\n"
                                                "If you click on Yes, all application settings will be cleared "
                                                "and Korvane will exit")});
            QCOMPARE(prompter.texts(QStringLiteral("warning")),
                     answer == QMessageBox::Yes && !writable
                         ? QStringList{QStringLiteral("\nKorvane could not clear its settings in\n\n") + file
                                       + QStringLiteral("\n\nThe next start finds them as they were.")}
                         : QStringList());
            QCOMPARE(w.isVisible(), answer == QMessageBox::No);
            QCOMPARE(w.noSaveOnExit, answer == QMessageBox::Yes);
            if (answer == QMessageBox::No)
                w.close();
        }
        // Nothing was written back on the way out: the next start is a first run.
        QFile stored(file);
        QVERIFY(stored.open(QIODevice::ReadOnly));
        const QByteArray bytes = stored.readAll();
        QCOMPARE(bytes.isEmpty(), cleared);
        if (!cleared)
            QVERIFY(bytes.contains("tempDir="));
    }

    void exitClosesTheWindow()
    {
        ScriptedPrompter prompter;
        MainWindow w(nullptr, environment(store()));
        w.show();
        w.ui->actionExit->trigger();
        QVERIFY(!w.isVisible());
        QVERIFY(prompter.calls.isEmpty());
    }

    void preferencesFromTheMenu()
    {
        ScriptedPrompter prompter;
        MainWindow w(nullptr, environment(store()));
        bool wizardOffered = true;
        prompter.answerDialog([&](QDialog *d) {
            wizardOffered = !d->findChild<QCheckBox *>(QStringLiteral("chbxRunWizard"))->isHidden();
            d->findChild<QLineEdit *>(QStringLiteral("tbxBroadcastFrequency"))->setText(QStringLiteral("8"));
            d->findChild<QPushButton *>(QStringLiteral("btnSaveSettings"))->click();
            return d->result();
        });
        w.ui->actionPreferences->trigger();
        QCOMPARE(prompter.last().dialogClass, QStringLiteral("DlgSettings"));
        QVERIFY(!wizardOffered);
        QCOMPARE(w.settings->value(QStringLiteral("UDPFrequency")).toInt(), 8);
    }

    void installerOfferedOnClose_data()
    {
        QTest::addColumn<bool>("opens");
        QTest::addColumn<QString>("replaced");   // when a device's upload took its name
        QTest::addColumn<QString>("name");       // as the update list gave it
        QTest::addColumn<QString>("shown");      // in the boxes
        const QString name = QStringLiteral("setup-7.8.9-win.exe");
        QTest::newRow("installer starts") << true << QString() << name << name;
        QTest::newRow("installer does not start") << false << QString() << name << name;
        // It waits in the temporary directory, where devices upload files.
        QTest::newRow("installer replaced before closing") << true << QStringLiteral("before") << name << name;
        QTest::newRow("installer replaced while the box is open") << true << QStringLiteral("box") << name << name;
        // The name is the update server's: it adds no lines to the boxes.
        const QString separated = QStringLiteral("setup-7.8.9-win\u2028\u2028It is safe.exe");
        const QString oneLine = QStringLiteral("setup-7.8.9-win  It is safe.exe");
        QTest::newRow("a name with line separators, not started") << false << QString() << separated << oneLine;
        QTest::newRow("a name with line separators, replaced") << true << QStringLiteral("before") << separated
                                                               << oneLine;
    }

    void installerOfferedOnClose()
    {
        QFETCH(bool, opens);
        QFETCH(QString, replaced);
        QFETCH(QString, name);
        QFETCH(QString, shown);
        QTemporaryDir temp;
        const QString path = downloadedInstaller(temp, name);
        QVERIFY(!path.isEmpty());
        ScriptedPrompter prompter;
        {
            MainWindow w(nullptr, environment(store()));
            w.onUpdateDownloaded(path, QStringLiteral("Korvane 7.8.9"));
            prompter.clear();
            const auto upload = [&path] { QVERIFY(TestFiles::write(path, "a device's upload")); };
            if (replaced == QLatin1String("before"))
                upload();
            else if (replaced == QLatin1String("box"))
                prompter.duringNextBox(upload);
            prompter.answerBool(opens);
            w.close();

            QCOMPARE(prompter.calls.at(0).text,
                     QStringLiteral("A new version of Korvane has been downloaded. Click OK to install it"));
            if (!replaced.isEmpty()) {
                QCOMPARE(prompter.calls.size(), 2);
                QCOMPARE(prompter.calls.at(1).kind, QStringLiteral("warning"));
                QCOMPARE(prompter.calls.at(1).text,
                         QStringLiteral("\nThe downloaded installer was changed after it arrived, so it is not "
                                        "started:\n\n")
                             + temp.filePath(shown));
            } else if (opens) {
                QCOMPARE(prompter.calls.size(), 2);
                QCOMPARE(prompter.calls.at(1).kind, QStringLiteral("openUrl"));
                QCOMPARE(prompter.calls.at(1).text, QUrl::fromLocalFile(path).toString());
            } else {
                QCOMPARE(prompter.calls.size(), 3);
                QCOMPARE(prompter.calls.at(1).kind, QStringLiteral("openUrl"));
                // Named as the file manager finds it.
                QCOMPARE(prompter.calls.at(2).text,
                         QStringLiteral("Failed to start the installer. You can install it manually by opening file "
                                        "manager and doubleclicking on file\n\n")
                             + temp.filePath(shown));
            }
        }
        // A started installer leaves a first run behind for the new version.
        QCOMPARE(storedKeys().isEmpty(), opens && replaced.isEmpty());
    }

    // A list may offer several installers: the one started at exit is the
    // newest that arrived, never one that came after it but is older.
    void newestInstallerIsKept_data()
    {
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("second");
        QTest::addColumn<QString>("started");
        QTest::newRow("older one after") << "setup-7.9.0-win.exe" << "setup-7.8.9-win.exe" << "setup-7.9.0-win.exe";
        QTest::newRow("one not newer than this console after")
            << "setup-7.8.9-win.exe" << "setup-7.8.7-win.exe" << "setup-7.8.9-win.exe";
        QTest::newRow("same version after") << "setup-7.8.9-win.exe" << "other-7.8.9-linux.run"
                                            << "setup-7.8.9-win.exe";
        QTest::newRow("newer one after") << "setup-7.8.9-win.exe" << "setup-7.10.0-win.exe" << "setup-7.10.0-win.exe";
        QTest::newRow("first not newer") << "setup-7.8.8-win.exe" << "setup-7.8.9-win.exe" << "setup-7.8.9-win.exe";
        // A name without a version counts as newer; an older one after it
        // must not be started in its place.
        QTest::newRow("older one after one without a version")
            << "setup.exe" << "setup-7.8.7-win.exe" << "setup.exe";
        QTest::newRow("newer one after one without a version")
            << "setup.exe" << "setup-7.8.9-win.exe" << "setup-7.8.9-win.exe";
    }

    void newestInstallerIsKept()
    {
        QFETCH(QString, first);
        QFETCH(QString, second);
        QFETCH(QString, started);
        QTemporaryDir temp;
        ScriptedPrompter prompter;
        {
            MainWindow w(nullptr, environment(store()));
            for (const QString &name : {first, second}) {
                QVERIFY(TestFiles::write(temp.filePath(name), name.toLatin1()));
                w.onUpdateDownloaded(temp.filePath(name), name);
            }
            prompter.clear();
            prompter.answerBool(false);
            w.close();
            QCOMPARE(prompter.calls.size(), 3);
            QCOMPARE(prompter.calls.at(1).kind, QStringLiteral("openUrl"));
            QCOMPARE(prompter.calls.at(1).text, QUrl::fromLocalFile(temp.filePath(started)).toString());
        }
    }

    // The installer's box runs its own event loop: work that falls due
    // meanwhile must not open boxes of its own over a closing window.
    void nothingStartsWhileTheExitBoxIsOpen_data()
    {
        QTest::addColumn<QString>("due");
        QTest::newRow("the wizard's next step") << QStringLiteral("wizard");
        QTest::newRow("a transfer of the update run ends") << QStringLiteral("transfer");
        QTest::newRow("a transfer of the update run fails") << QStringLiteral("failure");
        // What devices send meanwhile opens nothing either.
        QTest::newRow("a device's USB list") << QStringLiteral("usb");
        QTest::newRow("a device's protocol help") << QStringLiteral("help");
    }

    void nothingStartsWhileTheExitBoxIsOpen()
    {
        QFETCH(QString, due);
        QTemporaryDir temp;
        const QString path = downloadedInstaller(temp);
        QVERIFY(!path.isEmpty());
        ScriptedPrompter prompter;
        MainWindow w(nullptr, environment(store()));
        w.onUpdateDownloaded(path, QStringLiteral("Korvane 7.8.9"));
        if (due == QLatin1String("wizard")) {
            // Waiting for devices; its next step asks the administrator to pick some.
            w.wizardRunning = true;
            w.wizardState = QStringLiteral("waiting_client_connections");
            w.wizardTimer->start(0);
        } else if (due == QLatin1String("transfer")) {
            // The list arrived: the run would go on to offer its files.
            w.updates.running = true;
            emit w.updates.downloadManager->downloadCompleted(0, 100);
        } else if (due == QLatin1String("failure")) {
            w.updates.running = true;
            emit w.updates.downloadManager->downloadError(QStringLiteral("The downloads website is not reachable"));
            emit w.updates.downloadManager->downloadCompleted(1, 0);
        }
        FakeDevices fake;
        ThinclientInfo *device = fake.add();
        prompter.clear();
        prompter.duringNextBox([&] {
            if (due == QLatin1String("usb"))
                w.onEnumerateUsb(device, QStringList{QStringLiteral("1234:5678 Stick")});
            else if (due == QLatin1String("help"))
                w.onGetRemProtoHelp(QStringLiteral("help"));
            QCoreApplication::sendPostedEvents();
            QCoreApplication::processEvents();
        });
        prompter.answerBool(true);
        w.close();
        QCOMPARE(prompter.trail(),
                 (QStringList{QStringLiteral("information Install Korvane update: A new version of Korvane has been "
                                             "downloaded. Click OK to install it"),
                              QStringLiteral("openUrl : ") + QUrl::fromLocalFile(path).toString()}));
    }

    // The window asks about the installer before it goes; until then this
    // console still holds the devices' port and the settings store. A
    // console started meanwhile is told that one runs, and does not start
    // beside it, unable to take the port; the name is free once it closed.
    void secondStartWhileTheExitBoxesAreOpen_data()
    {
        QTest::addColumn<QString>("installer");
        QTest::addColumn<int>("boxes");
        QTest::newRow("installer starts") << QStringLiteral("starts") << 1;
        QTest::newRow("installer does not start") << QStringLiteral("fails") << 2;
        QTest::newRow("installer changed while the box is open") << QStringLiteral("changed") << 2;
    }

    void secondStartWhileTheExitBoxesAreOpen()
    {
        QFETCH(QString, installer);
        QFETCH(int, boxes);
        QTemporaryDir temp;
        const QString path = downloadedInstaller(temp);
        QVERIFY(!path.isEmpty());
        ScriptedPrompter prompter;
        const MainWindowEnvironment env = environment(store());
        const QString name = MainWindow::instanceSocketName(env.localServerName);
        MainWindow w(nullptr, env);
        w.show();
        w.onUpdateDownloaded(path, QStringLiteral("Korvane 7.8.9"));
        prompter.clear();
        QList<bool> found;
        const auto probe = [&] { found << w.isAnotherInstanceRunning(name); };
        prompter.duringNextBox([&] {
            probe();
            if (installer == QLatin1String("changed"))
                QVERIFY(TestFiles::write(path, "a device's upload"));
        });
        prompter.duringNextBox(probe);
        prompter.answerBool(installer == QLatin1String("starts"));
        w.close();

        QCOMPARE(prompter.calls.size() - prompter.texts(QStringLiteral("openUrl")).size(), boxes);
        QCOMPARE(found, QList<bool>(boxes, true));
        QVERIFY(!w.isAnotherInstanceRunning(name));
    }

    // The installer waits in the folder devices upload into, and the console
    // still serves them after the exit checked and started it, until it is
    // gone. An upload that ends then does not take the started one's place.
    void installerKeptOnceStarted()
    {
        ScriptedPrompter prompter;
        QSettings *settings = store();
        const QString path = settings->value(QStringLiteral("tempDir")).toString() + "/setup-7.8.9-win.exe";
        QVERIFY(TestFiles::write(path, "installer"));
        MainWindow w(nullptr, environment(settings));
        WindowDevices devices(&w);
        SimDevice *device = devices.add(QStringLiteral("ORL K1"));
        QVERIFY(device);
        const ThinclientInfo *record = devices.record(device);
        w.onUpdateDownloaded(path, QStringLiteral("Korvane 7.8.9"));
        device->sendFrame(FileMessages::openWrite(QFileInfo(path).fileName()));
        device->sendFrame(FileMessages::writeChunk("a device's file"));
        QTRY_VERIFY(record->transferFile && record->transferFile->size() > 0);
        prompter.answerBool(true);
        w.close();
        QCOMPARE(prompter.texts(QStringLiteral("openUrl")), QStringList{QUrl::fromLocalFile(path).toString()});

        device->sendFrame(FileMessages::close());
        QTRY_VERIFY(!record->transferFile);
        QCOMPARE(TestFiles::read(path), QByteArray("installer"));
    }

    // The update list is never resumed: one whose transfer fails while the
    // exit box is open leaves no partial file behind, as at any other time.
    void listCutAtCloseLeavesNoPartialFile()
    {
        QTemporaryDir temp;
        const QString path = downloadedInstaller(temp);
        QVERIFY(!path.isEmpty());
        ScriptedPrompter prompter;
        MainWindow w(nullptr, environment(store()));
        w.onUpdateDownloaded(path, QStringLiteral("Korvane 7.8.9"));
        w.updates.running = true;
        w.updates.listPath = w.downloadListPath();
        const QString partial = w.updates.listPath + QLatin1String(ConsoleFiles::PartialSuffix);
        prompter.clear();
        prompter.duringNextBox([&] {
            // What the download manager keeps of a list cut short.
            QVERIFY(TestFiles::write(partial, "[ORL_K1]\n"));
            emit w.updates.downloadManager->downloadCompleted(1, 9);
            QCoreApplication::sendPostedEvents();
            QCoreApplication::processEvents();
        });
        prompter.answerBool(true);
        w.close();
        QVERIFY(!QFileInfo::exists(partial));
    }

    void links()
    {
        ScriptedPrompter prompter;
        MainWindow w(nullptr, environment(store()));
        w.ui->actionOnline_help->trigger();
        w.logoButton->click();
        QCOMPARE(prompter.texts(QStringLiteral("openUrl")),
                 (QStringList{QStringLiteral("http://www.halvard.example/korvane/support"),
                              QStringLiteral("http://www.halvard.example/")}));
    }

    void aboutBox_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QStringList>("opened");
        QTest::newRow("close") << QStringLiteral("btnClose") << QStringList();
        QTest::newRow("online help") << QStringLiteral("btnWebsite")
                                     << QStringList{QStringLiteral("http://www.halvard.example/korvane/support")};
    }

    void aboutBox()
    {
        QFETCH(QString, button);
        QFETCH(QStringList, opened);
        ScriptedPrompter prompter;
        MainWindow w(nullptr, environment(store()));
        QString version;
        bool closed = false;
        prompter.answerDialog([&](QDialog *d) {
            version = d->findChild<QLabel *>(QStringLiteral("lblVersion"))->text();
            d->show();
            d->findChild<QPushButton *>(button)->click();
            closed = !d->isVisible();
            return d->result();
        });
        w.ui->actionAbout_ZOR->trigger();
        QCOMPARE(prompter.calls.at(0).dialogClass, QStringLiteral("AboutDialog"));
        QCOMPARE(version, QStringLiteral("Halvard Device Manager 3.0 v7.8.8"));
        QVERIFY(closed);
        QCOMPARE(prompter.texts(QStringLiteral("openUrl")), opened);
    }
};

QTEST_MAIN(TestShutdown)
#include "tst_shutdown.moc"
