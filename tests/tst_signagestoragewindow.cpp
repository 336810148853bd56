// ctest-timeout: 300
// Signage sync and dedicated storage end to end: the main window's slots,
// simulated devices whose agents move files over TLS, and the dialogs
// answered by script.
#include "mainwindow/deptinfo.h"
#include "mainwindow/mainwindow.h"
#include "scriptedprompter.h"
#include "windowfixture.h"

#include "deviceagent.h"
#include "fileclient.h"
#include "signageagent.h"
#include "simdevice.h"
#include "storageagent.h"
#include "transferqueue.h"

#include "devicelink/sslserver.h"
#include "devicelink/thinclientinfo.h"
#include "devicelink/wire.h"

#include <QCheckBox>
#include <QDir>
#include <QDirIterator>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <QtTest>

using namespace WindowFixture;

namespace {

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void writeFile(const QString &path, const QByteArray &data)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(data), qint64(data.size()));
}

QByteArray pattern(int size, quint32 seed)
{
    QByteArray data(size, Qt::Uninitialized);
    for (int i = 0; i < size; ++i) {
        seed ^= seed << 13;
        seed ^= seed >> 17;
        seed ^= seed << 5;
        data[i] = char(seed);
    }
    return data;
}

// Every regular file under dir with its contents, by absolute path.
QMap<QString, QByteArray> filesUnder(const QString &dir)
{
    QMap<QString, QByteArray> out;
    QDirIterator it(dir, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        out.insert(QFileInfo(path).absoluteFilePath(), readFile(path));
    }
    return out;
}

// The rows of the white-list dialog's table as "size|model|vendor|type|name|count".
QStringList tableRows(QDialog *dialog)
{
    auto *table = dialog->findChild<QTableWidget *>(QStringLiteral("table"));
    QStringList rows;
    for (int r = 0; r < table->rowCount(); ++r) {
        QStringList cells;
        for (int c = 1; c < table->columnCount(); ++c)
            cells << table->item(r, c)->text();
        rows << cells.join(QLatin1Char('|'));
    }
    return rows;
}

const QString UpdatesDone = QStringLiteral("download_updates_completed");
const QString WhiteListDone = QStringLiteral("whitelist_completed");
const QString ReconnectText =
    QStringLiteral("Setting up dedicated storage list: waiting 30 seconds for clients to reconnect");

} // namespace

class TestSignageStorageWindow : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void scanThenWhiteListToStorageModels();
    void syncFetchesListsAndContent();
    void wizardHandBack_data();
    void wizardHandBack();
    void simulatorProgramAnswersTheScan();

private:
    // A device of this model registered with the window, ticked or not in
    // the department shown.
    SimDevice *addDevice(const QString &model, bool ticked);
    ThinclientInfo *record(const SimDevice *device) const;
    static DeviceAgent *agent(const SimDevice *device) { return device->findChild<DeviceAgent *>(); }
    // Everything the console sent the device before this call has arrived
    // once the console has answered one more request (one stream, in order):
    // a download of a file that does not exist.
    static bool drain(SimDevice *device);
    QString temp() const { return m_window->settings->value(QStringLiteral("tempDir")).toString(); }

    ScriptedPrompter *m_prompter = nullptr;
    MainWindow *m_window = nullptr;
    QList<SimDevice *> m_devices;
};

void TestSignageStorageWindow::init()
{
    QSettings(QStringLiteral("Halvard"), QStringLiteral("korvane_server")).clear();
    m_prompter = new ScriptedPrompter;
    QSettings *store = newSettings();
    // A long broadcast period: the discovery datagrams are of no interest here.
    seedPreferences(store, freeTcpPort(), freeUdpPort(), 600);
    m_window = new MainWindow(nullptr, environment(store));
    QVERIFY(m_window->sslServer && m_window->sslServer->isListening());
    QCOMPARE(m_window->departments->first()->id, 0);
    m_window->currentDepartment = m_window->departments->first();
}

void TestSignageStorageWindow::cleanup()
{
    qDeleteAll(m_devices);
    m_devices.clear();
    // The console ends a device's open transfer when it sees the connection
    // go; a window destroyed before that leaves the transfer's file behind.
    if (m_window) {
        QTest::qWaitFor(
            [this] {
                for (const ThinclientInfo *info : std::as_const(m_window->devices))
                    if (info->transferFile)
                        return false;
                return true;
            },
            10000);
    }
    delete m_window;
    m_window = nullptr;
    delete m_prompter;
    m_prompter = nullptr;
}

SimDevice *TestSignageStorageWindow::addDevice(const QString &model, bool ticked)
{
    SimDeviceConfig config = SimDeviceConfig::numbered(int(m_devices.size()));
    config.model = model;
    auto *device = new SimDevice(config);
    new DeviceAgent(device);
    m_devices << device;
    device->connectToConsole(QStringLiteral("127.0.0.1"), m_window->sslServer->serverPort());
    const bool registered = QTest::qWaitFor(
        [&] {
            const ThinclientInfo *info = record(device);
            return info && info->online;
        },
        15000);
    if (!registered)
        QTest::qFail("the device did not register", __FILE__, __LINE__);
    else
        record(device)->checked = ticked;
    return device;
}

ThinclientInfo *TestSignageStorageWindow::record(const SimDevice *device) const
{
    for (ThinclientInfo *info : m_window->currentDepartment->devices)
        if (info->macAddress == device->config().macAddress)
            return info;
    return nullptr;
}

bool TestSignageStorageWindow::drain(SimDevice *device)
{
    // The agent's own transfer would take the reply for its own.
    if (!QTest::qWaitFor([device] { return agent(device)->transfers()->isIdle(); }, 15000))
        return false;
    FileClient client(device);
    client.download(QDir::tempPath() + QStringLiteral("/no-such-file"));
    return client.waitForFinished() && client.lastCode() == TransferReply::NotAllowed;
}

void TestSignageStorageWindow::scanThenWhiteListToStorageModels()
{
    // A list left by an earlier scan names a device that may be gone.
    writeFile(temp() + QStringLiteral("/gone_blkdev_list.lst"), "1,OLD,GONE,hdd,sdz\n");

    const QString flash = QStringLiteral("31277232,ATA,FLASH16,ssd,sda");
    const QString data1 = QStringLiteral("62914560,WDC,DATA1,hdd,sdb");
    const QString stick = QStringLiteral("4095,USB,STICK,removable,sdc");
    const QString evo = QStringLiteral("500118192,SAMSUNG,EVO,ssd,nvme0n1");
    const QString tiny = QStringLiteral("2048,ATA,TINY,ssd,sdd");
    struct Plan {
        const char *model;
        bool ticked;
        QStringList lines;
        bool takesWhiteList;
    };
    const QList<Plan> plans = {
        {"ORL QB64", true, {flash, data1}, true},
        {"ORL GZ2", true, {flash, stick}, true},
        {"Pyrel PC", true, {evo}, true},
        {"ORL K1", true, {flash, QStringLiteral("not five fields")}, false},
        {"Pyrel PC Pro", true, {tiny}, false},
        {"ORL QB64", false, {QStringLiteral("999,NOT,ASKED,ssd,sdx")}, false},
    };
    for (const Plan &plan : plans)
        agent(addDevice(QLatin1String(plan.model), plan.ticked))->storage()->setBlockDevices(plan.lines);

    m_window->on_SendWhiteList_triggered();
    QCOMPARE(m_prompter->texts(), QStringList(QStringLiteral("Click OK to obtain a list of storage devices from "
                                                             "selected clients.\n\nThis will take about 5 seconds!")));
    QVERIFY(m_window->whiteListTimer->isActive());
    QCOMPARE(m_window->whiteListTimer->interval(), 5000);
    QVERIFY(!QFile::exists(temp() + QStringLiteral("/gone_blkdev_list.lst")));

    // Every ticked device uploads its list through file transfer.
    for (int i = 0; i < plans.size(); ++i) {
        if (!plans[i].ticked)
            continue;
        const QString path = temp() + QLatin1Char('/') + StorageAgent::listFileName(m_devices[i]->config());
        QTRY_COMPARE_WITH_TIMEOUT(readFile(path), StorageAgent::listFileContents(plans[i].lines), 10000);
    }

    // The timer fires after its five seconds and opens the dialog.
    QStringList rows;
    m_prompter->answerDialog([&rows](QDialog *d) {
        rows = tableRows(d);
        auto *table = d->findChild<QTableWidget *>(QStringLiteral("table"));
        d->findChild<QCheckBox *>(QStringLiteral("checkBox"))->click();   // pick the devices by hand
        for (int r : {1, 3})
            qobject_cast<QCheckBox *>(table->cellWidget(r, 0))->setChecked(true);
        d->accept();
        return d->result();
    });
    m_prompter->answer(QMessageBox::Yes);
    QTRY_VERIFY_WITH_TIMEOUT(!m_window->whiteListTimer->isActive(), 15000);
    QVERIFY2(m_prompter->unexpected.isEmpty(), qPrintable(m_prompter->unexpected.join(QLatin1Char(','))));

    // One row per distinct well-formed line, in the order the lists name them.
    QCOMPARE(rows, (QStringList{QStringLiteral("15272|FLASH16|ATA|ssd|sda|3"),
                                QStringLiteral("30720|DATA1|WDC|hdd|sdb|1"),
                                QStringLiteral("1|STICK|USB|removable|sdc|1"),
                                QStringLiteral("244198|EVO|SAMSUNG|ssd|nvme0n1|1"),
                                QStringLiteral("1|TINY|ATA|ssd|sdd|1")}));
    const QByteArray chosen = (data1 + QLatin1Char('\n') + evo + QLatin1Char('\n')).toLatin1();
    QCOMPARE(readFile(temp() + QStringLiteral("/whitelist.txt")), chosen);

    // Only the ticked devices of the storage models get the list.
    for (int i = 0; i < plans.size(); ++i) {
        StorageAgent *storage = agent(m_devices[i])->storage();
        if (plans[i].takesWhiteList)
            QTRY_COMPARE_WITH_TIMEOUT(storage->whiteLists(), QList<QByteArray>{chosen}, 10000);
        QVERIFY(drain(m_devices[i]));
        if (!plans[i].takesWhiteList)
            QVERIFY2(storage->whiteLists().isEmpty(), plans[i].model);
        QCOMPARE(storage->scansAnswered(), plans[i].ticked ? 1 : 0);
        QCOMPARE(storage->uploadsFailed(), 0);
    }
    QVERIFY(!QFile::exists(temp() + QLatin1Char('/') + StorageAgent::listFileName(m_devices[5]->config())));

    // Outside the wizard nothing is handed back.
    QVERIFY(!m_window->wizardTimer->isActive());
    QCOMPARE(m_window->wizardState, QStringLiteral("not_running"));
    QCOMPARE(m_prompter->calls.size(), 3);   // the explanation, the dialog and its question
}

void TestSignageStorageWindow::syncFetchesListsAndContent()
{
    // Content outside the update directories: devices reach it only because
    // they ask for signage files.
    const QString base = QDir::tempPath() + QStringLiteral("/signage");
    const QString out1 = base + QStringLiteral("/out1");
    const QString out2 = base + QStringLiteral("/out2");
    const QString out3 = base + QStringLiteral("/out3");
    writeFile(out1 + QStringLiteral("/index.html"), "<html>first</html>\n");
    writeFile(out1 + QStringLiteral("/empty.txt"), QByteArray());
    writeFile(out1 + QStringLiteral("/caf\u00e9 menu.txt"), "espresso\r\n");
    writeFile(out1 + QStringLiteral("/clips/a.bin"), pattern(10000, 7));        // three chunks
    writeFile(out1 + QStringLiteral("/clips/deep/b.bin"), pattern(4092, 11));   // exactly one chunk
    writeFile(out2 + QStringLiteral("/not-synced.txt"), "x");
    writeFile(out3 + QStringLiteral("/notice.txt"), pattern(5000, 13));
    m_window->settings->setValue(QStringLiteral("signageContentDir1"), out1);
    m_window->settings->setValue(QStringLiteral("signageContentDir2"), out2);
    m_window->settings->setValue(QStringLiteral("signageContentDir3"), out3);

    QList<SimDevice *> ticked = {addDevice(QStringLiteral("ORL K1"), true), addDevice(QStringLiteral("Pyrel PC"), true)};
    SimDevice *unticked = addDevice(QStringLiteral("ORL K2"), false);
    const QString list1 = temp() + QStringLiteral("/dsi_file_list_op1.txt");
    const QString list3 = temp() + QStringLiteral("/dsi_file_list_op3.txt");

    const auto skipOutput2 = [](QDialog *d) {
        d->findChild<QCheckBox *>(QStringLiteral("chbxOp2SyncNow"))->setChecked(false);
        d->accept();
        return d->result();
    };

    // Cancel while the first list is walked: nothing may go out.
    m_prompter->answerDialog(skipOutput2);
    m_prompter->answerDialog([](QDialog *d) {
        auto *cancel = d->findChild<QPushButton *>(QStringLiteral("btnCancel"));
        connect(d->findChild<QProgressBar *>(QStringLiteral("progressBar")), &QProgressBar::valueChanged, cancel,
                &QPushButton::click, Qt::SingleShotConnection);
        return d->exec();
    });
    m_window->on_actionSync_dsi_dir_triggered();
    QVERIFY(m_prompter->unexpected.isEmpty());
    QCOMPARE(m_prompter->calls.size(), 2);
    QVERIFY(!QFile::exists(list1));
    for (SimDevice *device : std::as_const(m_devices)) {
        QVERIFY(drain(device));
        QCOMPARE(agent(device)->signage()->syncsReceived(), 0);
    }

    // The real sync: outputs 1 and 3.
    m_prompter->clear();
    m_prompter->answerDialog(skipOutput2);
    m_prompter->answerDialog([](QDialog *d) { return d->exec(); });
    m_prompter->answerDialog([](QDialog *d) { return d->exec(); });
    m_window->on_actionSync_dsi_dir_triggered();
    QVERIFY(m_prompter->unexpected.isEmpty());
    QCOMPARE(m_window->settings->value(QStringLiteral("signageContentDir2")).toString(), out2);

    QMap<QString, QByteArray> expected = filesUnder(out1);
    expected.insert(filesUnder(out3));
    QCOMPARE(expected.size(), 6);
    const QMap<QString, QByteArray> lists = {{list1, readFile(list1)}, {list3, readFile(list3)}};
    for (SimDevice *device : std::as_const(ticked)) {
        SignageAgent *signage = agent(device)->signage();
        QTRY_COMPARE_WITH_TIMEOUT(signage->syncsCompleted(), 1, 15000);
        QCOMPARE(signage->failures(), 0);
        QCOMPARE(signage->lists(), lists);
        // Byte for byte what the console holds, and nothing of output 2.
        QCOMPARE(signage->content(), expected);
        QCOMPARE(signage->directories(),
                 (QSet<QString>{out1 + QStringLiteral("/clips"), out1 + QStringLiteral("/clips/deep")}));
    }
    QVERIFY(drain(unticked));
    QCOMPARE(agent(unticked)->signage()->syncsReceived(), 0);

    // The window's own list writer writes the same list.
    const QString check = temp() + QStringLiteral("/check.txt");
    QVERIFY(m_window->createDirFileList(out1, check));
    QCOMPARE(readFile(check), lists.value(list1));

    // A changed file: the next sync's lists carry its new sum, and the
    // devices fetch that file alone.
    const QString changed = out1 + QStringLiteral("/index.html");
    writeFile(changed, "<html>second</html>\n");
    m_prompter->answerDialog(skipOutput2);
    m_prompter->answerDialog([](QDialog *d) { return d->exec(); });
    m_prompter->answerDialog([](QDialog *d) { return d->exec(); });
    m_window->on_actionSync_dsi_dir_triggered();
    for (SimDevice *device : std::as_const(ticked)) {
        SignageAgent *signage = agent(device)->signage();
        QTRY_COMPARE_WITH_TIMEOUT(signage->syncsCompleted(), 2, 15000);
        QCOMPARE(signage->failures(), 0);
        QCOMPARE(signage->fetched(), (QStringList{list1, list3, changed}));
        QCOMPARE(signage->content().value(changed), QByteArray("<html>second</html>\n"));
    }
    QVERIFY(m_prompter->unexpected.isEmpty());
}

void TestSignageStorageWindow::wizardHandBack_data()
{
    QTest::addColumn<bool>("running");
    QTest::addColumn<QString>("deviceModel");   // the one ticked device; empty: none ticked
    QTest::addColumn<QString>("whenDue");       // "dialog OK", "dialog cancelled", "no department shown"
    QTest::addColumn<bool>("listsRequested");
    QTest::addColumn<QString>("state");
    QTest::addColumn<int>("interval");          // of the wizard's timer; 0: not started
    QTest::addColumn<QString>("status");

    const QString ok = QStringLiteral("dialog OK");
    const QString qb = QStringLiteral("ORL QB64");
    const QString k1 = QStringLiteral("ORL K1");
    QTest::newRow("scan reached no device") << true << QString() << QString() << false << WhiteListDone << 1000
                                            << QString();
    QTest::newRow("no department shown when the lists are due")
        << true << qb << QStringLiteral("no department shown") << true << WhiteListDone << 1000 << QString();
    QTest::newRow("dialog cancelled") << true << qb << QStringLiteral("dialog cancelled") << true << WhiteListDone
                                      << 1000 << QString();
    QTest::newRow("no storage model: the step again") << true << k1 << ok << true << UpdatesDone << 1000 << QString();
    QTest::newRow("sent") << true << qb << ok << true << WhiteListDone << 30000 << ReconnectText;
    QTest::newRow("sent, no wizard") << false << qb << ok << true << UpdatesDone << 0 << QString();
    QTest::newRow("scan reached no device, no wizard") << false << QString() << QString() << false << UpdatesDone << 0
                                                       << QString();
}

void TestSignageStorageWindow::wizardHandBack()
{
    QFETCH(bool, running);
    QFETCH(QString, deviceModel);
    QFETCH(QString, whenDue);
    QFETCH(bool, listsRequested);
    QFETCH(QString, state);
    QFETCH(int, interval);
    QFETCH(QString, status);

    SimDevice *other = addDevice(QStringLiteral("ORL GZ1"), false);
    if (!deviceModel.isEmpty())
        addDevice(deviceModel, true);
    m_window->wizardRunning = running;
    m_window->wizardState = UpdatesDone;
    m_window->statusLabel->setText(QStringLiteral("Setting up dedicated storage list"));

    // The wizard's dedicated-storage step calls the slot itself.
    m_window->on_SendWhiteList_triggered();
    QCOMPARE(m_window->whiteListTimer->isActive(), listsRequested);
    if (listsRequested) {
        QVERIFY(!m_window->wizardTimer->isActive());
        QCOMPARE(m_window->wizardState, UpdatesDone);
        if (whenDue == QLatin1String("no department shown"))
            m_window->currentDepartment = nullptr;
        else
            m_prompter->answerDialog([cancel = whenDue == QLatin1String("dialog cancelled")](QDialog *d) {
                cancel ? d->reject() : d->accept();
                return d->result();
            });
        if (whenDue == QLatin1String("dialog OK"))
            m_prompter->answer(QMessageBox::Yes);
        // Through the timer's connection, without its five seconds.
        QVERIFY(QMetaObject::invokeMethod(m_window->whiteListTimer, "timeout"));
        QVERIFY(!m_window->whiteListTimer->isActive());
    } else {
        QCOMPARE(m_prompter->last().title, QStringLiteral("Status update"));
    }
    QVERIFY2(m_prompter->unexpected.isEmpty(), qPrintable(m_prompter->unexpected.join(QLatin1Char(','))));

    QCOMPARE(m_window->wizardState, state);
    QCOMPARE(m_window->wizardTimer->isActive(), interval != 0);
    if (interval)
        QCOMPARE(m_window->wizardTimer->interval(), interval);
    QCOMPARE(m_window->statusLabel->text(),
             status.isEmpty() ? QStringLiteral("Setting up dedicated storage list") : status);
    // The wizard's timer is not the test's business beyond this point.
    m_window->wizardTimer->stop();
    // An unticked device is never asked, whatever the outcome.
    QVERIFY(drain(other));
    QCOMPARE(agent(other)->storage()->scansAnswered(), 0);
}

void TestSignageStorageWindow::simulatorProgramAnswersTheScan()
{
    QProcess devices;
    devices.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    devices.start(QStringLiteral(KORVANE_SIM_PROGRAM),
                  {QStringLiteral("--agents"), QStringLiteral("--port"),
                   QString::number(m_window->sslServer->serverPort()), QStringLiteral("--count"),
                   QStringLiteral("2"), QStringLiteral("--duration"), QStringLiteral("60")});
    QVERIFY(devices.waitForStarted());
    QTRY_COMPARE_WITH_TIMEOUT(m_window->currentDepartment->devices.size(), 2, 20000);
    for (ThinclientInfo *info : std::as_const(m_window->currentDepartment->devices))
        info->checked = true;

    QCOMPARE(m_window->on_GetBlockDeviceList_triggered(), 0);
    QByteArray said;
    for (int i = 0; i < 2; ++i) {
        const SimDeviceConfig config = SimDeviceConfig::numbered(i);
        QTRY_COMPARE_WITH_TIMEOUT(readFile(temp() + QLatin1Char('/') + StorageAgent::listFileName(config)),
                                  StorageAgent::listFileContents(StorageAgent::defaultBlockDevices(config)), 10000);
        QTRY_VERIFY_WITH_TIMEOUT((said += devices.readAllStandardOutput())
                                     .contains(config.deviceName.toLatin1() + ": block-device list uploaded"),
                                 10000);
    }
    QVERIFY(m_prompter->calls.isEmpty());

    // With no department shown there is nobody to ask.
    m_window->currentDepartment = nullptr;
    QCOMPARE(m_window->on_GetBlockDeviceList_triggered(), -1);
    QCOMPARE(m_prompter->last().text, QStringLiteral("Cannot scan for storage devices. No devices found!"));

    devices.terminate();
    QVERIFY(devices.waitForFinished(10000));
    QCOMPARE(devices.exitCode(), 0);
}

QTEST_MAIN(TestSignageStorageWindow)
#include "tst_signagestoragewindow.moc"
