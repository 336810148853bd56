// ctest-timeout: 240
// The set-up wizard end to end: every step on the real window, with four
// simulated devices, a test update server and the dialogs answered by script.
#include "mainwindow/mainwindow.h"
#include "httptestserver.h"
#include "scriptedprompter.h"
#include "testfiles.h"
#include "windowdevices.h"
#include "windowfixture.h"

#include "deviceagent.h"
#include "simdevice.h"
#include "upgradeagent.h"

#include "devicelink/thinclientinfo.h"
#include "updates/core/devicemodels.h"
#include "updates/core/downloadmanager.h"

#include <QAction>
#include <QComboBox>
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
} // namespace

class TestWizardEndToEnd : public QObject
{
    Q_OBJECT
private slots:
    void everyStep_data();
    void everyStep();
};

// However the update check ends, the wizard goes on with what is on disk.
void TestWizardEndToEnd::everyStep_data()
{
    QTest::addColumn<int>("fault");   // 0 none, else an HttpTestServer::Kind + 1
    QTest::addColumn<int>("number");
    QTest::newRow("nothing new on the server") << 0 << 0;
    QTest::newRow("server error") << int(HttpTestServer::Kind::Status) + 1 << 500;
    QTest::newRow("list cut after data arrived") << int(HttpTestServer::Kind::CloseAfter) + 1 << 20;
    QTest::newRow("list drips") << int(HttpTestServer::Kind::Drip) + 1 << 50;
}

void TestWizardEndToEnd::everyStep()
{
    QFETCH(int, fault);
    QFETCH(int, number);
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
    MainWindow window(nullptr, environment(store));
    // A dripping list meets the transfer's deadline in a second, not a minute.
    if (fault == int(HttpTestServer::Kind::Drip) + 1)
        window.updates.downloadManager->setDeadlineRule(DownloadManager::FloorRate, 1000);
    QTimer *timer = window.wizardTimer;
    // Fires the wizard's next step at once instead of waiting for its timer,
    // after checking that the step before asked for it.
    const auto fire = [&](int expectedMs) {
        if (!timer->isActive() || timer->interval() != expectedMs)
            return false;
        timer->stop();
        window.onWizardTimerFired();
        return true;
    };
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

QTEST_MAIN(TestWizardEndToEnd)
#include "tst_wizardendtoend.moc"
