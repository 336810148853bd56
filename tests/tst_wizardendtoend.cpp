// ctest-timeout: 240
// The set-up wizard end to end: every step on the real window, with four
// simulated devices, a test update server and the dialogs answered by script.
#include "mainwindow/mainwindow.h"
#include "ui_mainwindow.h"
#include "deptsupport.h"
#include "httptestserver.h"
#include "scriptedprompter.h"
#include "testfiles.h"
#include "windowdevices.h"
#include "windowfixture.h"

#include "deviceagent.h"
#include "simdevice.h"
#include "upgradeagent.h"

#include "devicelink/thinclientinfo.h"
#include "mainwindow/deptinfo.h"
#include "updates/core/devicemodels.h"
#include "updates/core/downloadmanager.h"
#include "updates/dlgselectupdateserver.h"

#include <QAction>
#include <QComboBox>
#include <QProcess>
#include <QRandomGenerator>
#include <QCryptographicHash>
#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

using namespace WindowFixture;

namespace {
QByteArray writeImage(const QString &path, int modelId)
{
    const QByteArray data = DeviceModels::imageHeader(modelId) + path.toLatin1().repeated(500);
    return TestFiles::write(path, data) ? data : QByteArray();
}

// Fires the wizard's next step at once instead of waiting for its timer,
// after checking that the step before asked for it.
bool fireWizardStep(MainWindow &window, int expectedMs)
{
    QTimer *timer = window.wizardTimer;
    if (!timer->isActive() || timer->interval() != expectedMs)
        return false;
    timer->stop();
    window.onWizardTimerFired();
    return true;
}
} // namespace

class TestWizardEndToEnd : public QObject
{
    Q_OBJECT
private slots:
    void everyStep_data();
    void everyStep();
    void failingServer_data();
    void failingServer();
    void cancelledAtTheStart();
    void downloadedFirmwareReachesTheDevice();
};

// However the update check ends, the wizard goes on with what is on disk.
void TestWizardEndToEnd::everyStep_data()
{
    QTest::addColumn<int>("fault");   // 0 none, else an HttpTestServer::Kind + 1
    QTest::addColumn<int>("number");
    // After the pick another department is shown, with a device of its own
    // ticked: the later steps still act on the pick alone.
    QTest::addColumn<bool>("otherShown");
    QTest::newRow("nothing new on the server") << 0 << 0 << false;
    QTest::newRow("server error") << int(HttpTestServer::Kind::Status) + 1 << 500 << false;
    QTest::newRow("list cut after data arrived") << int(HttpTestServer::Kind::CloseAfter) + 1 << 20 << false;
    QTest::newRow("list drips") << int(HttpTestServer::Kind::Drip) + 1 << 50 << false;
    QTest::newRow("another department shown after the pick") << 0 << 0 << true;
}

void TestWizardEndToEnd::everyStep()
{
    QFETCH(int, fault);
    QFETCH(int, number);
    QFETCH(bool, otherShown);
    requireNamespace();
    QTemporaryDir www;
    QVERIFY(TestFiles::write(www.filePath(QStringLiteral("downloadlist.txt")), QByteArray(200, '\n')));   // nothing new
    HttpTestServer server(www.path());
    QVERIFY(server.listen());
    if (fault)
        server.addFault(HttpTestServer::Fault(HttpTestServer::Kind(fault - 1), number), 10);
    qputenv("KORVANE_UPDATE_BASE", server.base().toLatin1());

    QSettings(QStringLiteral("Halvard"), QStringLiteral("korvane_server")).clear();
    ScriptedPrompter prompter;
    prompter.setAutoOk(true);
    QSettings *store = newSettings();
    seedPreferences(store, freeTcpPort(), freeUdpPort(), 600);
    // The fifth device added is filed in the second department.
    QVERIFY(DeptSupport::writeDepartmentFile(store->value(QStringLiteral("tempDir")).toString(),
                                             DeptSupport::section(0, QStringLiteral("Orphans"))
                                                 + DeptSupport::section(3, QStringLiteral("Lab"),
                                                                        {SimDeviceConfig::numbered(5).macAddress})));
    MainWindow window(nullptr, environment(store));
    DeptInfo *picked = window.departments->at(0);
    DeptInfo *lab = window.departments->at(1);
    // A dripping list meets the transfer's deadline in a second, not a minute.
    if (fault == int(HttpTestServer::Kind::Drip) + 1)
        window.updates.downloadManager->setDeadlineRule(DownloadManager::FloorRate, 1000);
    QTimer *timer = window.wizardTimer;
    const auto fire = [&](int expectedMs) { return fireWizardStep(window, expectedMs); };
    const auto waitForState = [&](const char *state) {
        return QTest::qWaitFor([&] { return window.wizardState == QLatin1String(state); }, 60000);
    };

    const QString store1 = window.settings->value(QStringLiteral("firmwareImageDir")).toString();
    writeImage(store1 + QStringLiteral("/ORL K1/4.3.0/uImage.bin"), 1);
    const QByteArray kernel = writeImage(store1 + QStringLiteral("/ORL K2/2.0/uImage.bin"), 6);
    const QByteArray rootFs = writeImage(store1 + QStringLiteral("/ORL K2/2.0/rfs_jffs2.img"), 6);
    writeImage(store1 + QStringLiteral("/ORL K2/1.0/uImage.bin"), 6);
    writeImage(store1 + QStringLiteral("/Pyrel Instance/9.9/uImage.bin"), 2);

    WindowDevices devices(&window);
    const auto firmware = [](const char *version) {
        return [version](SimDeviceConfig &c) { c.firmwareVersion = QLatin1String(version); };
    };
    SimDevice *current = devices.add(QStringLiteral("ORL K1"), false, firmware("4.3.0"));
    SimDevice *instance = devices.add(QStringLiteral("Pyrel Instance"), false, firmware("1.0"));
    // Ticked, then gone: a tick the wizard must not act on.
    SimDevice *gone = devices.add(QStringLiteral("ORL K2"), true, firmware("1.0"));
    SimDevice *old = devices.add(QStringLiteral("ORL K2"), false, firmware("1.0"));
    QVERIFY(current && instance && gone && old);
    QVERIFY(devices.drop(gone));
    SimDevice *stray = nullptr;
    if (otherShown) {
        // Ticked earlier for something else, in the other department.
        window.onDepartmentSelected(lab);
        stray = devices.add(QStringLiteral("ORL K2"), true, firmware("1.0"));
        QVERIFY(stray);
        window.onDepartmentSelected(picked);
    }

    // Start, discovery, and the wait for the administrator's pick.
    QAction *wizard = window.findChild<QAction *>(QStringLiteral("actionWizard"));
    prompter.answer(QMessageBox::Ok);
    wizard->trigger();
    QVERIFY(fire(300));
    QVERIFY(!window.findChild<QAction *>(QStringLiteral("rebootDevice"))->isEnabled());
    QVERIFY(fire(1000));
    QVERIFY(fire(10000));
    QVERIFY(wizard->isEnabled());
    if (!fault) {
        // The hourly check ending before the pick leaves the wizard waiting for it.
        window.onAutoUpdateTimerFired();
        QVERIFY(QTest::qWaitFor([&] { return !window.updates.running; }, 60000));
        QCOMPARE(window.wizardState, QStringLiteral("waiting_wizard_restart"));
        QVERIFY(!timer->isActive());
    }

    for (SimDevice *d : {current, instance, old})
        QVERIFY(devices.tick(d, true));
    wizard->trigger();
    QVERIFY(fire(300));
    QVERIFY(!wizard->isEnabled());
    if (otherShown)
        window.onDepartmentSelected(lab);
    // The update check runs on its own timer and hands back.
    QVERIFY(waitForState("download_updates_completed"));
    QVERIFY(!server.requests.isEmpty());
    // A list that failed leaves nothing for a resume: it is fetched whole or not at all.
    QVERIFY(!QFile::exists(window.downloadListPath() + QStringLiteral(".part")));
    if (fault == int(HttpTestServer::Kind::Drip) + 1)
        QCOMPARE(prompter.texts(QStringLiteral("warning")),
                 QStringList{"Error downloading Upgrade list:\n\nThe transfer did not finish within 1 seconds"});

    // The storage step: the scan, then the white-list dialog, cancelled.
    prompter.answerDialog([](QDialog *d) {
        d->reject();
        return d->result();
    });
    QVERIFY(fire(1000));
    QVERIFY(waitForState("whitelist_completed"));

    // The access protocol in wizard mode: no question, straight to the devices.
    prompter.answerDialog([](QDialog *d) {
        d->findChild<QComboBox *>(QStringLiteral("cmbxConxType"))->setCurrentIndex(2);
        d->accept();
        return d->result();
    });
    QVERIFY(fire(1000));

    // Only the device behind the newest version on disk is upgraded.
    QVERIFY(fire(1000));
    QCOMPARE(window.wizardState, QStringLiteral("not_running"));
    QVERIFY(!window.wizardRunning);
    QCOMPARE(prompter.last().text, QStringLiteral("\nKorvane wizard has completed"));
    QVERIFY(window.findChild<QAction *>(QStringLiteral("rebootDevice"))->isEnabled());
    QVERIFY(wizard->isEnabled());

    // No scan, protocol or firmware for the other department's tick.
    if (stray)
        QCOMPARE(devices.receivedSoFar(stray).size(), 0);
    UpgradeAgent *upgrade = old->findChild<DeviceAgent *>()->upgrades();
    const QString dir = store1 + QStringLiteral("/ORL K2/2.0");
    QVERIFY(QTest::qWaitFor([&] { return upgrade->files().size() == 2; }, 30000));
    QCOMPARE(upgrade->files().value(dir + QStringLiteral("/uImage.bin")), kernel);
    QCOMPARE(upgrade->files().value(dir + QStringLiteral("/rfs_jffs2.img")), rootFs);
    for (SimDevice *d : {current, instance, gone})
        QVERIFY(d->findChild<DeviceAgent *>()->upgrades()->commands().isEmpty());
    QVERIFY2(prompter.unexpected.isEmpty(), qPrintable(prompter.unexpected.join(", ")));
    qunsetenv("KORVANE_UPDATE_BASE");
}

// An update server that fails the wizard's check in other ways: the
// administrator is told with the check's own boxes, the wizard waits at its
// storage step with the device actions still locked, no partial file stays,
// and the wizard's end unlocks them.
void TestWizardEndToEnd::failingServer_data()
{
    QTest::addColumn<QString>("setup");
    QTest::addColumn<QStringList>("boxes");   // of the check
    const QString chooser = QStringLiteral("exec DlgSelectUpdateServer");
    const QString givingUp = QStringLiteral("warning Download error: Multiple attempts to download the following "
                                            "upgrade failed. Giving up!\n\nFirmware 2.0");
    const QString unzip = QStringLiteral("information Firmware Update: Firmware 2.0 has been downloaded. But an "
                                         "attempt to unzip it has failed.");
    const QString refused = QStringLiteral("Server refused connection");
    const QString listError = QStringLiteral("warning Download error: Error downloading Upgrade list:\n\n");
    QTest::newRow("unreachable") << "unreachable" << QStringList{listError + refused};
    QTest::newRow("404") << "404" << QStringList{listError + "File not found"};
    QTest::newRow("empty list") << "empty list" << QStringList();
    QTest::newRow("installed only") << "installed"
                                    << QStringList{"information Checking for updates: \nThere are no updates to download"};
    QTest::newRow("every sum wrong")
        << "bad md5"
        << (QStringList{chooser}
            + QStringList(6, "warning Download error: Downloaded Firmware 2.0 but got a checksum mismatch. Data is corrupted")
            + QStringList{givingUp});
    QTest::newRow("package refused") << "refused" << QStringList{chooser, unzip};
    QTest::newRow("gone mid-file") << "gone"
                                   << (QStringList{chooser}
                                       + QStringList(5, "warning Download error: Error downloading Firmware 2.0:\n\n" + refused)
                                       + QStringList{givingUp});
    QTest::newRow("devices dropped meanwhile") << "drop" << QStringList{chooser, unzip};
}

void TestWizardEndToEnd::failingServer()
{
    QFETCH(QString, setup);
    requireNamespace();
    QTemporaryDir www;
    const QString package = QStringLiteral("fw-ORL_K1-2.0.7z");
    const QByteArray packageData(5000, 'p');   // not an archive
    QVERIFY(TestFiles::write(www.filePath(package), packageData));
    const QString md5 = setup == QLatin1String("bad md5")
                            ? QStringLiteral("0123456789abcdef0123456789abcdef")
                            : QString::fromLatin1(QCryptographicHash::hash(packageData, QCryptographicHash::Md5).toHex());
    auto server = std::make_unique<HttpTestServer>(www.path());
    QVERIFY(server->listen());
    const QString list = QStringLiteral("type=server,name=Local,value=%1\n"
                                        "type=firmware,board=ORL_K1,file=%2,md5sum=%3,size=%4,release_date=2026-12-01,"
                                        "comment=Firmware 2.0\n")
                             .arg(server->base(), package, md5)
                             .arg(packageData.size());
    QVERIFY(TestFiles::write(www.filePath(QStringLiteral("downloadlist.txt")),
                             setup == QLatin1String("empty list") ? QByteArray() : list.toLatin1()));
    if (setup == QLatin1String("404"))
        server->addFault(HttpTestServer::Fault(HttpTestServer::Kind::Status, 404));
    qputenv("KORVANE_UPDATE_BASE", setup == QLatin1String("unreachable")
                                       ? QStringLiteral("http://127.0.0.1:%1/get?file=").arg(freeTcpPort()).toLatin1()
                                       : server->base().toLatin1());

    QSettings(QStringLiteral("Halvard"), QStringLiteral("korvane_server")).clear();
    ScriptedPrompter prompter;
    QSettings *store = newSettings();
    seedPreferences(store, freeTcpPort(), freeUdpPort(), 600);
    if (setup == QLatin1String("installed"))
        store->setValue(QStringLiteral("firmwareVersionORL_K1"), package);
    MainWindow window(nullptr, environment(store));
    QTimer *timer = window.wizardTimer;
    const auto fire = [&](int expectedMs) { return fireWizardStep(window, expectedMs); };
    WindowDevices devices(&window);
    SimDevice *device = devices.add(QStringLiteral("ORL K1"), false);
    QVERIFY(device);
    QAction *wizard = window.findChild<QAction *>(QStringLiteral("actionWizard"));
    QAction *reboot = window.findChild<QAction *>(QStringLiteral("rebootDevice"));
    prompter.answer(QMessageBox::Ok);
    wizard->trigger();
    QVERIFY(fire(300) && fire(1000) && fire(10000));
    QVERIFY(devices.tick(device, true));

    // The server chooser takes the list's server; every other dialog is cancelled.
    bool dropped = true;
    const auto answer = [&](QDialog *d) {
        if (auto *chooser = qobject_cast<DlgSelectUpdateServer *>(d)) {
            chooser->findChild<QComboBox *>()->setCurrentIndex(0);
            if (setup == QLatin1String("gone"))
                server->addFault(HttpTestServer::Fault(HttpTestServer::Kind::CloseAfter, 100));
            if (setup == QLatin1String("drop"))
                dropped = devices.drop(device);
            chooser->onBtnOKClicked();
        } else {
            d->reject();
        }
        return d->result();
    };
    for (int i = 0; i < 3; ++i)
        prompter.answerDialog(answer);
    // The server goes away after the first part of the package.
    connect(window.updates.downloadManager.get(), &DownloadManager::downloadCompleted, this, [&] {
        if (setup == QLatin1String("gone") && server && server->requests.size() == 2)
            server.reset();
    });
    prompter.calls.clear();
    wizard->trigger();
    QVERIFY(fire(300));
    QVERIFY(QTest::qWaitFor([&] { return window.wizardState == QLatin1String("download_updates_completed"); }, 120000));
    QVERIFY(dropped);
    QTEST(prompter.trail(), "boxes");
    QVERIFY(timer->isActive());
    QVERIFY(!reboot->isEnabled() && !wizard->isEnabled() && !window.ui->download_updates->isEnabled());
    for (const QString &key : {QStringLiteral("tempDir"), QStringLiteral("firmwareImageDir")})
        QCOMPARE(QDir(window.settings->value(key).toString()).entryList({QStringLiteral("*.part")}, QDir::Files),
                 QStringList());

    // Storage step, then the access protocol refused: the wizard ends.
    QVERIFY(fire(1000));
    if (window.whiteListTimer->isActive()) {
        window.whiteListTimer->stop();
        window.onWhiteListTimerTriggered();
    }
    QCOMPARE(window.wizardState, QStringLiteral("whitelist_completed"));
    prompter.answer(QMessageBox::Yes);
    QVERIFY(fire(1000));
    QCOMPARE(window.wizardState, QStringLiteral("not_running"));
    QVERIFY(reboot->isEnabled() && wizard->isEnabled() && window.ui->download_updates->isEnabled());
    QVERIFY2(prompter.unexpected.isEmpty(), qPrintable(prompter.unexpected.join(", ")));
    qunsetenv("KORVANE_UPDATE_BASE");
}

// Cancel (or Escape) at the start question: no step follows, nothing is locked.
void TestWizardEndToEnd::cancelledAtTheStart()
{
    requireNamespace();
    QSettings(QStringLiteral("Halvard"), QStringLiteral("korvane_server")).clear();
    ScriptedPrompter prompter;
    QSettings *store = newSettings();
    seedPreferences(store, freeTcpPort(), freeUdpPort(), 600);
    MainWindow window(nullptr, environment(store));
    QAction *wizard = window.findChild<QAction *>(QStringLiteral("actionWizard"));
    QAction *reboot = window.findChild<QAction *>(QStringLiteral("rebootDevice"));
    prompter.answer(QMessageBox::Cancel);
    wizard->trigger();
    QVERIFY(fireWizardStep(window, 300));
    QCOMPARE(prompter.calls.size(), 1);
    QCOMPARE(prompter.last().kind, QStringLiteral("question"));
    QCOMPARE(window.wizardState, QStringLiteral("not_running"));
    QVERIFY(!window.wizardRunning);
    QVERIFY(!window.wizardTimer->isActive());
    QVERIFY(reboot->isEnabled() && wizard->isEnabled() && window.ui->download_updates->isEnabled());
    QVERIFY2(prompter.unexpected.isEmpty(), qPrintable(prompter.unexpected.join(", ")));
}

// The firmware the wizard's check downloads and unpacks is what its last
// step sends the picked device to, and the device fetches it whole.
void TestWizardEndToEnd::downloadedFirmwareReachesTheDevice()
{
    requireNamespace();
    QTemporaryDir www;
    QTemporaryDir tree;
    // Random bodies: the package must not unpack to far more than its size.
    const auto image = [&](const char *name) {
        QByteArray data = DeviceModels::imageHeader(1);
        for (int i = 0; i < 5000; ++i)
            data.append(char(QRandomGenerator::global()->bounded(256)));
        return TestFiles::write(tree.filePath(QLatin1String(name)), data) ? data : QByteArray();
    };
    const QByteArray kernel = image("ORL K1/2.0/uImage.bin");
    const QByteArray rootFs = image("ORL K1/2.0/rfs_jffs2.img");
    QVERIFY(!kernel.isEmpty() && !rootFs.isEmpty());
    const QString package = QStringLiteral("fw-ORL_K1-2.0.7z");
    QProcess zip;
    zip.setWorkingDirectory(tree.path());
    zip.start(QStringLiteral("7zz"), {QStringLiteral("a"), www.filePath(package), QStringLiteral("ORL K1")});
    QVERIFY(zip.waitForFinished(30000) && zip.exitCode() == 0);
    const QByteArray packageData = TestFiles::read(www.filePath(package));
    HttpTestServer server(www.path());
    QVERIFY(server.listen());
    const QString list = QStringLiteral("type=server,name=Local,value=%1\n"
                                        "type=firmware,board=ORL_K1,file=%2,md5sum=%3,size=%4,release_date=2026-12-01,"
                                        "comment=Firmware 2.0\n")
                             .arg(server.base(), package,
                                  QString::fromLatin1(QCryptographicHash::hash(packageData, QCryptographicHash::Md5).toHex()))
                             .arg(packageData.size());
    QVERIFY(TestFiles::write(www.filePath(QStringLiteral("downloadlist.txt")), list.toLatin1()));
    qputenv("KORVANE_UPDATE_BASE", server.base().toLatin1());

    QSettings(QStringLiteral("Halvard"), QStringLiteral("korvane_server")).clear();
    ScriptedPrompter prompter;
    QSettings *store = newSettings();
    seedPreferences(store, freeTcpPort(), freeUdpPort(), 600);
    // Only what this check brings: the tests before may have left firmware.
    QVERIFY(QDir(store->value(QStringLiteral("firmwareImageDir")).toString() + QStringLiteral("/ORL K1")).removeRecursively());
    MainWindow window(nullptr, environment(store));
    const auto fire = [&](int expectedMs) { return fireWizardStep(window, expectedMs); };
    const auto waitForState = [&](const char *state) {
        return QTest::qWaitFor([&] { return window.wizardState == QLatin1String(state); }, 120000);
    };
    WindowDevices devices(&window);
    SimDevice *device = devices.add(QStringLiteral("ORL K1"), false, [](SimDeviceConfig &c) { c.firmwareVersion = "1.0"; });
    QVERIFY(device);

    QAction *wizard = window.findChild<QAction *>(QStringLiteral("actionWizard"));
    prompter.answer(QMessageBox::Ok);
    wizard->trigger();
    QVERIFY(fire(300) && fire(1000) && fire(10000));
    QVERIFY(devices.tick(device, true));
    // The list's server, the storage dialog cancelled, an access protocol.
    const auto answer = [](QDialog *d) {
        if (auto *chooser = qobject_cast<DlgSelectUpdateServer *>(d)) {
            chooser->findChild<QComboBox *>()->setCurrentIndex(0);
            chooser->onBtnOKClicked();
        } else if (auto *protocol = d->findChild<QComboBox *>(QStringLiteral("cmbxConxType"))) {
            protocol->setCurrentIndex(2);
            d->accept();
        } else {
            d->reject();
        }
        return d->result();
    };
    for (int i = 0; i < 3; ++i)
        prompter.answerDialog(answer);
    prompter.setAutoOk(true);
    prompter.calls.clear();
    wizard->trigger();
    QVERIFY(fire(300));
    QVERIFY(waitForState("download_updates_completed"));
    QCOMPARE(window.settings->value(QStringLiteral("firmwareVersionORL_K1")).toString(), package);
    QVERIFY(fire(1000));
    if (window.whiteListTimer->isActive()) {
        window.whiteListTimer->stop();
        window.onWhiteListTimerTriggered();
    }
    QVERIFY(waitForState("whitelist_completed"));
    QVERIFY(fire(1000));
    QVERIFY(fire(1000));
    QCOMPARE(window.wizardState, QStringLiteral("not_running"));
    QCOMPARE(prompter.last().text, QStringLiteral("\nKorvane wizard has completed"));

    UpgradeAgent *upgrade = device->findChild<DeviceAgent *>()->upgrades();
    const QString dir = window.settings->value(QStringLiteral("firmwareImageDir")).toString() + QStringLiteral("/ORL K1/2.0");
    QVERIFY(QTest::qWaitFor([&] { return upgrade->files().size() == 2; }, 30000));
    QCOMPARE(upgrade->files().value(dir + QStringLiteral("/uImage.bin")), kernel);
    QCOMPARE(upgrade->files().value(dir + QStringLiteral("/rfs_jffs2.img")), rootFs);
    QVERIFY2(prompter.unexpected.isEmpty(), qPrintable(prompter.unexpected.join(", ")));
    qunsetenv("KORVANE_UPDATE_BASE");
}

QTEST_MAIN(TestWizardEndToEnd)
#include "tst_wizardendtoend.moc"
