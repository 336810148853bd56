// ctest-timeout: 240
// Upgrades end to end: the window's actions, simulated devices over TLS
// that receive the commands and fetch the named files through the console.
#include "mainwindow/mainwindow.h"
#include "scriptedprompter.h"
#include "testfiles.h"
#include "windowdevices.h"
#include "windowfixture.h"

#include "deviceagent.h"
#include "simdevice.h"
#include "upgradeagent.h"

#include "devicelink/sslserver.h"
#include "devicelink/thinclientinfo.h"
#include "updates/core/devicemodels.h"
#include "updates/dlgselecthotfixes.h"

#include <QDir>
#include <QRandomGenerator>
#include <QtTest>

using namespace WindowFixture;

namespace {
enum Upgrade { Firmware, Client, Hotfix };

// An upgrade file of the model with a payload of its own.
QByteArray writeImage(const QString &path, int modelId, int payload)
{
    QByteArray data = DeviceModels::imageHeader(modelId);
    for (int i = 0; i < payload / 4; ++i) {
        const quint32 word = QRandomGenerator::global()->generate();
        data.append(reinterpret_cast<const char *>(&word), 4);
    }
    return TestFiles::write(path, data) ? data : QByteArray();
}

ScriptedPrompter::DialogHandler accept(bool tickAll = false)
{
    return [tickAll](QDialog *d) {
        if (auto *hotfixes = qobject_cast<DlgSelectHotfixes *>(d); hotfixes && tickAll)
            for (int row = 0; row < hotfixes->rowCount(); ++row)
                hotfixes->setChecked(row, true);
        d->accept();
        return d->result();
    };
}
} // namespace

class TestUpgradeEndToEnd : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void devicesFetchWhatTheyAreTold_data();
    void devicesFetchWhatTheyAreTold();

private:
    QString dir(const char *key) const { return m_window->settings->value(QLatin1String(key)).toString(); }
    static UpgradeAgent *upgrades(const SimDevice *d) { return d->findChild<DeviceAgent *>()->upgrades(); }

    ScriptedPrompter *m_prompter = nullptr;
    MainWindow *m_window = nullptr;
    WindowDevices *m_devices = nullptr;
    // Two "ORL K1" devices on firmware 4.2.1, an "ORL K2", an "ORL WY2" and an
    // "ORL K1" that went offline.
    QList<SimDevice *> m_k1;
    SimDevice *m_k2 = nullptr;
    SimDevice *m_wy2 = nullptr;
    SimDevice *m_gone = nullptr;
};

void TestUpgradeEndToEnd::initTestCase()
{
    requireNamespace();
    QSettings(QStringLiteral("Halvard"), QStringLiteral("korvane_server")).clear();
    m_prompter = new ScriptedPrompter;
    QSettings *store = newSettings();
    seedPreferences(store, freeTcpPort(), freeUdpPort(), 600);
    m_window = new MainWindow(nullptr, environment(store));
    QVERIFY(m_window->sslServer->isListening());
    m_devices = new WindowDevices(m_window);
    for (int i = 0; i < 2; ++i)
        m_k1 << m_devices->add(QStringLiteral("ORL K1"), true, [](SimDeviceConfig &c) { c.firmwareVersion = "4.2.1"; });
    m_k2 = m_devices->add(QStringLiteral("ORL K2"), false);
    m_wy2 = m_devices->add(QStringLiteral("ORL WY2"), false);
    m_gone = m_devices->add(QStringLiteral("ORL K1"));
    QVERIFY(m_k1.last() && m_k2 && m_wy2 && m_gone);
    QVERIFY(m_devices->drop(m_gone));
}

void TestUpgradeEndToEnd::cleanupTestCase()
{
    delete m_devices;
    // Let the console see the devices go and close their transfers.
    const bool gone = QTest::qWaitFor(
        [this] {
            for (const ThinclientInfo *info : std::as_const(m_window->devices))
                if (info->online)
                    return false;
            return true;
        },
        10000);
    delete m_window;
    delete m_prompter;
    QVERIFY(gone);
}

void TestUpgradeEndToEnd::devicesFetchWhatTheyAreTold_data()
{
    QTest::addColumn<int>("upgrade");
    QTest::addColumn<bool>("k2Ticked");
    QTest::newRow("firmware") << int(Firmware) << false;
    QTest::newRow("client application") << int(Client) << true;
    QTest::newRow("hotfix") << int(Hotfix) << false;
}

void TestUpgradeEndToEnd::devicesFetchWhatTheyAreTold()
{
    QFETCH(int, upgrade);
    QFETCH(bool, k2Ticked);
    QVERIFY(m_devices->tick(m_k2, k2Ticked));
    QVERIFY(m_devices->tick(m_wy2, k2Ticked));
    QMap<SimDevice *, int> commandsBefore;
    for (SimDevice *d : {m_k1[0], m_k1[1], m_k2, m_wy2, m_gone})
        commandsBefore[d] = int(upgrades(d)->commands().size());

    // What each device is expected to fetch, by console path.
    QMap<SimDevice *, QMap<QString, QByteArray>> expected;
    switch (Upgrade(upgrade)) {
    case Firmware: {
        const QString version = dir("firmwareImageDir") + QStringLiteral("/ORL K1/4.3.0");
        writeImage(dir("firmwareImageDir") + QStringLiteral("/ORL K1/4.2.9/uImage.bin"), 1, 1000);
        const QByteArray kernel = writeImage(version + QStringLiteral("/uImage.bin"), 1, 300000);
        const QByteArray rootFs = writeImage(version + QStringLiteral("/rfs_jffs2.img"), 5, 200000);
        for (SimDevice *d : m_k1)
            expected[d] = {{version + "/uImage.bin", kernel}, {version + "/rfs_jffs2.img", rootFs}};
        m_prompter->answerDialog(accept());   // the newest version, as offered
        m_prompter->answer(QMessageBox::Yes);
        m_window->findChild<QAction *>(QStringLiteral("updateFirmware"))->trigger();
        break;
    }
    case Client: {
        const QString version = dir("appImageDir") + QStringLiteral("/7.2.0");
        const QByteArray k1 = writeImage(version + QStringLiteral("/k1.pkg"), 1, 50000);
        const QByteArray k2 = writeImage(version + QStringLiteral("/k2.pkg"), 6, 60000);
        writeImage(version + QStringLiteral("/wy.pkg"), 11, 1000);
        for (SimDevice *d : m_k1)
            expected[d] = {{version + "/k1.pkg", k1}};
        expected[m_k2] = {{version + "/k2.pkg", k2}};
        m_prompter->answerDialog(accept());
        m_window->findChild<QAction *>(QStringLiteral("actionUpgrade_ZOR_Client"))->trigger();
        break;
    }
    case Hotfix: {
        const QString path = dir("hotfixDir") + QStringLiteral("/ORL K1/hf%4.2.1%.bin");
        const QByteArray hotfix = writeImage(path, 5, 20000);
        for (SimDevice *d : m_k1)
            expected[d] = {{path, hotfix}};
        m_prompter->answerDialog(accept(true));
        m_prompter->answer(QMessageBox::Yes);
        m_window->findChild<QAction *>(QStringLiteral("actionInstall_Hotfix"))->trigger();
        break;
    }
    }
    QVERIFY2(m_prompter->unexpected.isEmpty(), qPrintable(m_prompter->unexpected.join(", ")));

    for (auto it = expected.cbegin(); it != expected.cend(); ++it) {
        UpgradeAgent *agent = upgrades(it.key());
        const QStringList paths = it.value().keys();
        QVERIFY(QTest::qWaitFor(
            [&] {
                for (const QString &path : paths)
                    if (!agent->files().contains(path))
                        return false;
                return true;
            },
            60000));
        for (const QString &path : paths)
            QVERIFY2(agent->files().value(path) == it.value().value(path), qPrintable(path));
        QStringList named = agent->commands().last().paths;
        named.sort();
        QCOMPARE(named, paths);
        QCOMPARE(agent->failures(), 0);
    }
    // Devices of other models, unticked ones and the one that left got nothing.
    for (auto it = commandsBefore.cbegin(); it != commandsBefore.cend(); ++it)
        if (!expected.contains(it.key()))
            QCOMPARE(int(upgrades(it.key())->commands().size()), it.value());
}

QTEST_MAIN(TestUpgradeEndToEnd)
#include "tst_upgradeendtoend.moc"
