// The set-up wizard's steps: what each state asks of the console and which
// state it leaves, with a host that records; and which devices its last
// step upgrades.
#include "updates/core/setupwizard.h"

#include "devicelink/thinclientinfo.h"

#include <QTemporaryDir>
#include <QtTest>

#include <functional>

namespace {
// Records every request as one text, in order.
class RecordingHost : public WizardHost
{
public:
    QStringList log;
    bool confirm = true;
    QStringList models;
    QString *state = nullptr;
    bool abortProtocol = false;
    QList<ThinclientInfo *> devices;
    QString store;
    // What happens meanwhile when a device is upgraded (a box about its
    // firmware runs an event loop).
    std::function<void()> duringUpgrade;

    bool confirmStart(const QString &title, const QString &text) override
    {
        log << QStringLiteral("confirm ") + title + QStringLiteral(": ") + text;
        return confirm;
    }
    void inform(const QString &title, const QString &text) override { log << QStringLiteral("inform ") + title + QStringLiteral(": ") + text; }
    void setStatus(const QString &text) override { log << QStringLiteral("status ") + text; }
    void setDeviceActionsEnabled(bool on) override { log << QStringLiteral("device actions %1").arg(on); }
    void setWizardActionEnabled(bool on) override { log << QStringLiteral("wizard action %1").arg(on); }
    void startWizardTimer(int ms) override { log << QStringLiteral("timer %1").arg(ms); }
    void sendDiscovery() override { log << QStringLiteral("discovery"); }
    QStringList collectSelectedModels() override { return models; }
    void startUpdateCheck() override { log << QStringLiteral("update check"); }
    void sendWhiteList() override { log << QStringLiteral("white list"); }
    void setAccessProtocol() override
    {
        log << QStringLiteral("access protocol");
        if (abortProtocol)
            *state = QLatin1String(WizardState::Aborted);
    }
    QList<ThinclientInfo *> pickedDevices() override { return devices; }
    QString firmwareStore() override { return store; }
    void upgradeFirmware(ThinclientInfo *device, const QString &directory) override
    {
        log << QStringLiteral("upgrade ") + device->deviceName + QLatin1Char(' ') + directory.mid(store.size());
        if (duringUpgrade)
            std::exchange(duringUpgrade, nullptr)();
    }
};
} // namespace

class TestSetupWizard : public QObject
{
    Q_OBJECT
private slots:
    void steps_data();
    void steps();
    void upgradesOnlyWhatDiffers();
    void upgradeWeighsEachDeviceAtItsTurn_data();
    void upgradeWeighsEachDeviceAtItsTurn();
};

void TestSetupWizard::steps_data()
{
    QTest::addColumn<QString>("state");
    QTest::addColumn<bool>("confirm");
    QTest::addColumn<QStringList>("models");
    QTest::addColumn<bool>("abortProtocol");
    QTest::addColumn<QString>("nextState");
    QTest::addColumn<bool>("running");   // after the step; it was running before unless not_running
    QTest::addColumn<QStringList>("log");

    const QString confirm = QStringLiteral(
        "confirm Korvane Wizard: Korvane Wizard will perform the following actions:\n\n1. Download latest firmware\n"
        "2. Configure access protocol\n3. Install latest firmware on all devices\n\nProgress messages will be "
        "displayed in the status bar in the bottom left of the window");
    QTest::newRow("cancel at the start") << "not_running" << false << QStringList() << false << "not_running"
                                         << false << QStringList{confirm};
    QTest::newRow("start") << "not_running" << true << QStringList() << false << "waiting_discovery" << true
                           << QStringList{confirm, "device actions 0",
                                          "status Sending discovery message", "timer 1000"};
    QTest::newRow("discovery") << "waiting_discovery" << true << QStringList() << false
                               << "waiting_client_connections" << true
                               << QStringList{"discovery", "status Waiting 10 seconds for thinclients to connect",
                                              "timer 10000"};
    QTest::newRow("ask for the pick") << "waiting_client_connections" << true << QStringList() << false
                                      << "waiting_wizard_restart" << true
                                      << QStringList{"status Select thinclients then click on Wizard icon",
                                                     "inform Korvane Wizard: \nPlease select the clients that you want the wizard to "
                                                     "update.\n\nWhen done, click the Wizard icon again",
                                                     "wizard action 1"};
    QTest::newRow("nobody picked") << "waiting_wizard_restart" << true << QStringList() << false << "not_running"
                                   << false
                                   << QStringList{"wizard action 0", "inform Korvane Wizard: Did not find any thinclients to configure. Please "
                                                  "ensure that the devices are powered up and connected to your "
                                                  "network.\n\nThe wizard will now terminate",
                                                  "device actions 1"};
    QTest::newRow("picked: update check") << "waiting_wizard_restart" << true << QStringList{"ORL_K1"} << false
                                          << "waiting_wizard_restart" << true
                                          << QStringList{"wizard action 0", "status Checking for updates",
                                                         "update check"};
    QTest::newRow("white list") << "download_updates_completed" << true << QStringList() << false
                                << "download_updates_completed" << true
                                << QStringList{"status Setting up dedicated storage list", "white list"};
    QTest::newRow("access protocol") << "whitelist_completed" << true << QStringList() << false
                                     << "access_protocol_completed" << true
                                     << QStringList{"status setting access protocol", "access protocol", "timer 1000"};
    QTest::newRow("protocol dialog rejected") << "whitelist_completed" << true << QStringList() << true
                                              << "not_running" << false
                                              << QStringList{"status setting access protocol", "access protocol",
                                                             "device actions 1", "status "};
    QTest::newRow("firmware and the end") << "access_protocol_completed" << true << QStringList() << false
                                          << "not_running" << false
                                          << QStringList{"status upgrading firmware", "device actions 1", "status ",
                                                         "inform Korvane wizard: \nKorvane wizard has completed"};
    QTest::newRow("unknown state does nothing") << "aborted" << true << QStringList() << false << "aborted" << true
                                                << QStringList();
}

void TestSetupWizard::steps()
{
    QFETCH(QString, state);
    QFETCH(bool, confirm);
    QFETCH(QStringList, models);
    QFETCH(bool, abortProtocol);
    RecordingHost host;
    host.confirm = confirm;
    host.models = models;
    host.abortProtocol = abortProtocol;
    host.state = &state;
    bool running = state != QLatin1String(WizardState::NotRunning);

    runWizardStep(host, state, running);
    QTEST(state, "nextState");
    QTEST(running, "running");
    QTEST(host.log, "log");
}

void TestSetupWizard::upgradesOnlyWhatDiffers()
{
    QTemporaryDir root;
    const QString store = root.path() + QStringLiteral("/fw");
    // The instance's model in its own letter case has a newer version on disk
    // too; beside the store lies a version that only a model naming a path
    // (or the store itself) reaches.
    for (const char *dir : {"fw/ORL K1/4.2.1", "fw/ORL K1/4.3.0", "fw/ORL K2/1.0", "fw/Pyrel Instance/9.9",
                            "fw/pyrel INSTANCE/9.9", "outside/9.9"})
        QVERIFY(QDir(root.path()).mkpath(QLatin1String(dir)));
    std::vector<std::unique_ptr<ThinclientInfo>> records;
    QList<ThinclientInfo *> devices;
    const struct { const char *name, *model, *firmware; bool checked, online; } rows[] = {
        {"old", "ORL K1", "4.2.1", true, true},          {"current", "ORL K2", "1.0", true, true},
        {"instance", "pyrel INSTANCE", "1.0", true, true}, {"offline", "ORL K1", "4.2.1", true, false},
        {"unticked", "ORL K1", "4.2.1", false, true},    {"no store", "HV QB", "1.0", true, true},
        {"climbs", "../outside", "1.0", true, true},     {"store", ".", "1.0", true, true},
        // Already past the store's newest (by number, not by text): the
        // wizard installs the latest firmware, it does not go back.
        {"newer", "ORL K1", "4.10.0", true, true},        {"newer by dashes", "ORL K1", "5-0", true, true},
    };
    for (const auto &row : rows) {
        records.emplace_back(new ThinclientInfo);
        ThinclientInfo *d = records.back().get();
        d->deviceName = QLatin1String(row.name);
        d->model = QLatin1String(row.model);
        d->firmwareVersion = QLatin1String(row.firmware);
        d->checked = row.checked;
        d->online = row.online;
        devices << d;
    }
    const auto jobs = wizardUpgrades(devices, store);
    QCOMPARE(jobs.size(), 1);
    QCOMPARE(jobs.first().first->deviceName, QStringLiteral("old"));
    QCOMPARE(jobs.first().second, store + QStringLiteral("/ORL K1/4.3.0"));
}

void TestSetupWizard::upgradeWeighsEachDeviceAtItsTurn_data()
{
    // What the second device reports while the first one is upgraded.
    QTest::addColumn<QString>("firmware");
    QTest::addColumn<bool>("online");
    QTest::addColumn<QStringList>("upgrades");
    const QString first = QStringLiteral("upgrade first /ORL K1/4.3.0");
    QTest::newRow("nothing new") << "4.2.1" << true << QStringList{first, "upgrade second /ORL K1/4.3.0"};
    QTest::newRow("back on a newer firmware") << "4.10.0" << true << QStringList{first};
    QTest::newRow("back on the newest in the store") << "4.3.0" << true << QStringList{first};
    QTest::newRow("gone offline") << "4.2.1" << false << QStringList{first};
}

void TestSetupWizard::upgradeWeighsEachDeviceAtItsTurn()
{
    QFETCH(QString, firmware);
    QFETCH(bool, online);
    QTemporaryDir root;
    RecordingHost host;
    host.store = root.path();
    QVERIFY(QDir(root.path()).mkpath(QStringLiteral("ORL K1/4.3.0")));
    ThinclientInfo first, second;
    for (ThinclientInfo *d : {&first, &second}) {
        d->model = QStringLiteral("ORL K1");
        d->firmwareVersion = QStringLiteral("4.2.1");
        d->checked = d->online = true;
        host.devices << d;
    }
    first.deviceName = QStringLiteral("first");
    second.deviceName = QStringLiteral("second");
    host.duringUpgrade = [&] {
        second.firmwareVersion = firmware;
        second.online = online;
    };
    QString state = QLatin1String(WizardState::AccessProtocolCompleted);
    bool running = true;

    runWizardStep(host, state, running);
    QTEST(host.log.filter(QStringLiteral("upgrade ")), "upgrades");
}

QTEST_GUILESS_MAIN(TestSetupWizard)
#include "tst_setupwizard.moc"
