// ctest-timeout: 300
// The configuration commands end to end: the window's actions, the dialogs
// answered as an administrator would, and simulated devices over TLS that
// record what reaches them.
#include "mainwindow/deptinfo.h"
#include "mainwindow/mainwindow.h"
#include "formfill.h"
#include "scriptedprompter.h"
#include "simdevice.h"
#include "statusmessages.h"
#include "usbresponder.h"
#include "windowdevices.h"
#include "windowfixture.h"

#include "devicelink/sslserver.h"
#include "devicelink/thinclientinfo.h"
#include "devicelink/wire.h"

#include <QAction>
#include <QCryptographicHash>
#include <QFile>
#include <QLabel>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>
#include <functional>
#include <memory>

using namespace WindowFixture;

namespace {

const QString QuestionNetwork = QStringLiteral("question Configuring networks: "
                                               "Are you sure you want to configure network on selected device?");
const QString QuestionInstall = QStringLiteral("question Install file on device: "
                                               "Are you sure you want to install file on selected devices?");
const QString QuestionPxe = QStringLiteral("question Set PXE server configuration: Are you sure you want to send "
                                           "PXE server configuration command to selected devices?");
const QString TooLong = QStringLiteral(": \nThe values entered are too long to send.");

QStringList readStrings(PayloadReader &in)
{
    QStringList out;
    while (in.remaining() >= 2)
        out << in.wireString();
    return out;
}

QByteArray md5(const QByteArray &data)
{
    return QCryptographicHash::hash(data, QCryptographicHash::Md5).toHex();
}

} // namespace

class TestConfigEndToEnd : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void actionsReachTheirCommands_data();
    void actionsReachTheirCommands();
    void networkGoesToOneDevice_data();
    void networkGoesToOneDevice();
    void selectedDevicesGetTheCommand_data();
    void selectedDevicesGetTheCommand();
    void pxeOnlyToPxeServers_data();
    void pxeOnlyToPxeServers();
    void usbChoiceGoesToTheDeviceWhoseListIsShown_data();
    void usbChoiceGoesToTheDeviceWhoseListIsShown();
    void installedFileArrivesIntact_data();
    void installedFileArrivesIntact();

private:
    SimDevice *addDevice(const QString &model, bool ticked = true);
    ThinclientInfo *record(const SimDevice *sim) const;
    void tick(SimDevice *sim, bool on);
    void trigger(const char *action);
    // Answers the next dialog: the edits, OK, then whatever happens before
    // the command goes on (false when it did not come about).
    void answerDialog(const QStringList &edits, std::function<bool()> meanwhile = nullptr);
    // Drops the device's connection and waits until the console saw it.
    bool drop(SimDevice *sim);
    // The frames the device got from the console so far, then forgets them.
    QList<ReceivedFrame> receivedSoFar(SimDevice *sim);

    std::unique_ptr<ScriptedPrompter> m_prompter;
    std::unique_ptr<MainWindow> m_window;
    std::unique_ptr<WindowDevices> m_devices;
    QStringList m_answerFaults;
    quint16 m_port = 0;
};

void TestConfigEndToEnd::init()
{
    QSettings(QStringLiteral("Halvard"), QStringLiteral("korvane_server")).clear();
    m_prompter = std::make_unique<ScriptedPrompter>();
    QSettings *store = newSettings();
    m_port = freeTcpPort();
    seedPreferences(store, m_port, freeUdpPort());
    m_window = std::make_unique<MainWindow>(nullptr, environment(store));
    QVERIFY(m_window->sslServer->isListening());
    QVERIFY(m_window->currentDepartment);
    QVERIFY(m_prompter->calls.isEmpty());
    m_devices = std::make_unique<WindowDevices>(m_window.get());
}

void TestConfigEndToEnd::cleanup()
{
    QVERIFY2(m_answerFaults.isEmpty(), qPrintable(m_answerFaults.join(QLatin1String(", "))));
    m_answerFaults.clear();
    QVERIFY2(m_prompter->unexpected.isEmpty(), qPrintable(m_prompter->unexpected.join(QLatin1String(", "))));
    m_window.reset();
    m_devices.reset();
    m_prompter.reset();
}

SimDevice *TestConfigEndToEnd::addDevice(const QString &model, bool ticked)
{
    return m_devices->add(model, ticked, [](SimDeviceConfig &config) {
        config.registrationVersion = 2;
        config.subCode = 3;
    });
}

ThinclientInfo *TestConfigEndToEnd::record(const SimDevice *sim) const
{
    return m_devices->record(sim);
}

void TestConfigEndToEnd::tick(SimDevice *sim, bool on)
{
    QVERIFY(m_devices->tick(sim, on));
}

void TestConfigEndToEnd::trigger(const char *action)
{
    QAction *a = m_window->findChild<QAction *>(QLatin1String(action));
    QVERIFY2(a, action);
    a->trigger();
}

void TestConfigEndToEnd::answerDialog(const QStringList &edits, std::function<bool()> meanwhile)
{
    m_prompter->answerDialog([this, edits, meanwhile](QDialog *d) {
        d->show();
        for (const QString &name : fillForm(d, edits))
            m_answerFaults << QStringLiteral("no widget ") + name;
        d->accept();
        if (meanwhile && !meanwhile())
            m_answerFaults << QStringLiteral("what happens meanwhile did not come about");
        return d->result();
    });
}

bool TestConfigEndToEnd::drop(SimDevice *sim)
{
    return m_devices->drop(sim);
}

QList<ReceivedFrame> TestConfigEndToEnd::receivedSoFar(SimDevice *sim)
{
    return m_devices->receivedSoFar(sim);
}

// ---- Which action reaches which command --------------------------------------

void TestConfigEndToEnd::actionsReachTheirCommands_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("box");   // what the command says of a department without devices

    const QString network = QStringLiteral(
        "information Configure networks: No devices found! You must select at least one device!");
    const QString install = QStringLiteral(
        "information Install file on device: \nCannot install file on device. No devices found!");
    QTest::newRow("Network configuration") << "actionConfigureNIC" << network;
    QTest::newRow("Network") << "config_network" << network;
    QTest::newRow("Korvane server configuration")
        << "actionSet_ZOR_server_configuration"
        << "information Korvane server configuration: \nNo devices selected! You must select at least one device";
    QTest::newRow("Google Cloud Print Configuration")
        << "actionSet_Cloud_Print_creds"
        << "information Configure Google Cloud Print: \nCannot configure Google Cloud Print. No devices found!";
    QTest::newRow("Terminal services gateway configuration")
        << "actionTSG"
        << "information Configure terminal services gateway: "
           "\nCannot configure Terminal services gateway. No devices found!";
    QTest::newRow("Setup USB redirection")
        << "actionSetup_USB_redirection"
        << "information Setup USB redirection: \nCannot setup USB redirection. No devices found!";
    QTest::newRow("Install file on device") << "actionInstall" << install;
    QTest::newRow("Upload") << "install_file" << install;
    QTest::newRow("Set PXE server configuration")
        << "actionSet_pxe_configuration"
        << "information Set PXE server configuration: \nCannot set PXE server configuration. No devices found!";
}

void TestConfigEndToEnd::actionsReachTheirCommands()
{
    QFETCH(QString, action);
    QFETCH(QString, box);
    QVERIFY(m_window->currentDepartment->devices.isEmpty());
    trigger(action.toLatin1().constData());
    QCOMPARE(m_prompter->trail(), QStringList{box});
}

// ---- Network configuration: exactly one device -------------------------------

void TestConfigEndToEnd::networkGoesToOneDevice_data()
{
    QTest::addColumn<bool>("tickSecond");
    QTest::addColumn<bool>("dropDuringDialog");
    QTest::addColumn<QStringList>("edits");
    QTest::addColumn<QStringList>("prompts");
    QTest::addColumn<QStringList>("received");   // the strings of the frame; empty: no frame

    const QStringList staticWired{"cmbxWired=0",          "tbxIp=10.77.0.50",   "tbxNetmask=255.255.255.0",
                                  "tbxGateway=10.77.0.1", "tbxDns1=10.77.0.53", "gboxWireless=off",
                                  "tbxDsp=lab.example",   "tbxHostname=tc-50"};
    // DNS 1 and 2, search path, wired on and static with its addresses,
    // wireless off, host name.
    QTest::newRow("one device ticked")
        << false << false << staticWired << QStringList{"exec DlgGetNicInfo", QuestionNetwork}
        << QStringList{"10.77.0.53", "", "lab.example", "Yes", "No", "10.77.0.50", "255.255.255.0", "10.77.0.1",
                       "No", "tc-50"};
    QTest::newRow("two devices ticked")
        << true << false << staticWired
        << QStringList{"information Configure networks: Multiple devices selected. Please select just one device"}
        << QStringList();
    QTest::newRow("device drops during the dialog")
        << false << true << staticWired << QStringList{"exec DlgGetNicInfo", QuestionNetwork} << QStringList();
    QTest::newRow("texts over a 16-bit length")
        << false << false
        << QStringList{"gboxWired=off", "gboxWireless=off", "tbxDsp=" + QString(32767, QLatin1Char('d')),
                       "tbxHostname=" + QString(32767, QLatin1Char('h'))}
        << QStringList{"exec DlgGetNicInfo", QuestionNetwork, "warning Configure networks" + TooLong}
        << QStringList();
}

void TestConfigEndToEnd::networkGoesToOneDevice()
{
    QFETCH(bool, tickSecond);
    QFETCH(bool, dropDuringDialog);
    QFETCH(QStringList, edits);
    QFETCH(QStringList, prompts);
    QFETCH(QStringList, received);

    SimDevice *first = addDevice(QStringLiteral("ORL K1"));
    SimDevice *second = addDevice(QStringLiteral("ORL K2"), tickSecond);
    answerDialog(edits, dropDuringDialog ? std::function<bool()>([&] { return drop(first); }) : nullptr);
    m_prompter->answer(QMessageBox::Yes);
    trigger("config_network");
    QCOMPARE(m_prompter->trail(), prompts);

    const QList<ReceivedFrame> frames = receivedSoFar(first);
    QCOMPARE(receivedSoFar(second).size(), 0);
    if (received.isEmpty()) {
        QCOMPARE(frames.size(), 0);
        return;
    }
    QCOMPARE(frames.size(), 1);
    QCOMPARE(frames.first().type, quint8(0x1D));
    QCOMPARE(int(frames.first().length), frames.first().bytes.size() - 4);
    PayloadReader in(frames.first().bytes);
    QCOMPARE(readStrings(in), received);
    QVERIFY(in.atEnd());
}

// ---- Commands for every ticked device ----------------------------------------

void TestConfigEndToEnd::selectedDevicesGetTheCommand_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<QStringList>("edits");
    QTest::addColumn<QByteArray>("frame");      // empty: nothing may be sent
    QTest::addColumn<QString>("refusal");       // the box after the question, if any

    const QString longText(4096, QLatin1Char('x'));
    QTest::newRow("server identification")
        << "actionSet_ZOR_server_configuration" << QStringList{"rdbtnStatic=", "tbxIP=10.77.0.1"}
        << QByteArray::fromHex("1e000014" "02" "000a31302e37372e302e3100" "00053538303800") << QString();
    QTest::newRow("cloud print")
        << "actionSet_Cloud_Print_creds"
        << QStringList{"tbxUserId=ops", "tbxPassword=s3cret", "tbxConfirmPassword=s3cret"}
        << QByteArray::fromHex("28000010" "01" "00046f707300" "0007733363726574" "00") << QString();
    QTest::newRow("gateway")
        << "actionTSG"
        << QStringList{"tbxHostname=gw.lab", "tbxUserId=ops", "tbxPassword=pw", "tbxConfirmPassword=pw"}
        << QByteArray::fromHex("2a000015" "01" "000767772e6c616200" "00046f707300" "0003707700") << QString();
    QTest::newRow("server address too long")
        << "actionSet_ZOR_server_configuration" << QStringList{"rdbtnStatic=", "tbxIP=" + longText}
        << QByteArray() << "warning Korvane server configuration" + TooLong;
    QTest::newRow("cloud print password too long")
        << "actionSet_Cloud_Print_creds"
        << QStringList{"tbxUserId=ops", "tbxPassword=" + longText, "tbxConfirmPassword=" + longText}
        << QByteArray() << "warning Configure Google Cloud Print" + TooLong;
    QTest::newRow("gateway host name too long")
        << "actionTSG"
        << QStringList{"tbxHostname=" + longText, "tbxUserId=ops", "tbxPassword=pw", "tbxConfirmPassword=pw"}
        << QByteArray() << "warning Configure terminal services gateway" + TooLong;
}

void TestConfigEndToEnd::selectedDevicesGetTheCommand()
{
    QFETCH(QString, action);
    QFETCH(QStringList, edits);
    QFETCH(QByteArray, frame);
    QFETCH(QString, refusal);

    SimDevice *a = addDevice(QStringLiteral("ORL K1"));
    SimDevice *unticked = addDevice(QStringLiteral("ORL K1"), false);
    SimDevice *c = addDevice(QStringLiteral("ORL QB64"));
    answerDialog(edits);
    m_prompter->answer(QMessageBox::Yes);
    trigger(action.toLatin1().constData());
    const QStringList prompts = m_prompter->trail();
    QCOMPARE(prompts.size(), refusal.isEmpty() ? 2 : 3);
    QVERIFY(prompts.at(1).startsWith(QLatin1String("question ")));
    if (!refusal.isEmpty())
        QCOMPARE(prompts.at(2), refusal);

    for (SimDevice *ticked : {a, c}) {
        const QList<ReceivedFrame> frames = receivedSoFar(ticked);
        QCOMPARE(frames.size(), frame.isEmpty() ? 0 : 1);
        if (!frame.isEmpty())
            QCOMPARE(frames.first().bytes.toHex(), frame.toHex());
    }
    QCOMPARE(receivedSoFar(unticked).size(), 0);

    // The identification is noted in the records of the devices it went to.
    const bool identified = !frame.isEmpty() && action == QLatin1String("actionSet_ZOR_server_configuration");
    QCOMPARE(record(a)->serverIp, identified ? QStringLiteral("10.77.0.1") : QString());
    QCOMPARE(record(c)->serverDetection, quint16(identified ? 2 : 0));
    QCOMPARE(record(unticked)->serverIp, QString());
}

// ---- PXE: only to models that can serve ---------------------------------------

void TestConfigEndToEnd::pxeOnlyToPxeServers_data()
{
    QTest::addColumn<QString>("ticks");          // one character per device of the test
    QTest::addColumn<int>("dropDuringDialog");   // index of a device, or -1
    QTest::addColumn<QString>("receivers");
    QTest::addColumn<QString>("summary");        // empty: no summary box

    QTest::newRow("mixed models")
        << "1110" << -1 << "1010"
        << "information Status update: PXE server configuration command sent to 2 PXE servers.\n\n"
           "1 device(s) ignored because they are not PXE servers";
    QTest::newRow("only PXE servers ticked") << "1011" << -1 << "1011" << QString();
    QTest::newRow("a PXE server drops during the dialog")
        << "1110" << 0 << "0010"
        << "information Status update: PXE server configuration command sent to 1 PXE servers.\n\n"
           "1 device(s) ignored because they are not PXE servers";
}

void TestConfigEndToEnd::pxeOnlyToPxeServers()
{
    QFETCH(QString, ticks);
    QFETCH(int, dropDuringDialog);
    QFETCH(QString, receivers);
    QFETCH(QString, summary);

    const QStringList models{"Pyrel PC", "ORL K1", "orl qb64", "WY 3040"};
    QList<SimDevice *> sims;
    for (int i = 0; i < models.size(); ++i)
        sims << addDevice(models.at(i), ticks.at(i) == QLatin1Char('1'));
    answerDialog({"tbxSubnet=10.77.0.0", "tbxNetmask=255.255.255.0", "tbxDhcpStart=10.77.0.100",
                  "tbxDhcpEnd=10.77.0.199", "rdbtnAllDhcpReq="},
                 [&] { return dropDuringDialog < 0 || drop(sims.at(dropDuringDialog)); });
    m_prompter->answer(QMessageBox::Yes);
    trigger("actionSet_pxe_configuration");
    QStringList prompts{"exec DlgConfigDorn", QuestionPxe};
    if (!summary.isEmpty())
        prompts << summary;
    QCOMPARE(m_prompter->trail(), prompts);

    for (int i = 0; i < sims.size(); ++i) {
        const QList<ReceivedFrame> frames = receivedSoFar(sims.at(i));
        QCOMPARE(frames.size(), receivers.at(i) == QLatin1Char('1') ? 1 : 0);
        if (frames.isEmpty())
            continue;
        const ReceivedFrame &f = frames.first();
        QCOMPARE(f.type, quint8(0x25));
        QCOMPARE(f.subCode, quint8(1));
        QCOMPARE(int(f.length), f.bytes.size() - 4);
        PayloadReader in(f.bytes);
        QCOMPARE(in.u8(), quint8(0));   // spare
        QCOMPARE(in.u8(), quint8(1));   // enabled
        QCOMPARE(in.u8(), quint8(0));   // all DHCP requests
        // The range first, then subnet and netmask.
        QCOMPARE(readStrings(in), QStringList({"10.77.0.100", "10.77.0.199", "10.77.0.0", "255.255.255.0"}));
        QVERIFY(in.atEnd());
    }
}

// ---- USB redirection round trip ------------------------------------------------

namespace {
enum UsbChange { Unchanged, Unasked, MovedBeforeList, MovedWhileShown, DroppedWhileShown, ReconnectedWhileShown };
} // namespace

void TestConfigEndToEnd::usbChoiceGoesToTheDeviceWhoseListIsShown_data()
{
    QTest::addColumn<int>("change");
    QTest::addColumn<bool>("sent");

    QTest::newRow("selection unchanged") << int(Unchanged) << true;
    QTest::newRow("a list nobody asked for") << int(Unasked) << true;
    QTest::newRow("selection moves before the list arrives") << int(MovedBeforeList) << true;
    QTest::newRow("selection moves while the list is shown") << int(MovedWhileShown) << true;
    QTest::newRow("device drops while the list is shown") << int(DroppedWhileShown) << false;
    QTest::newRow("device reconnects while the list is shown") << int(ReconnectedWhileShown) << false;
}

void TestConfigEndToEnd::usbChoiceGoesToTheDeviceWhoseListIsShown()
{
    QFETCH(int, change);
    QFETCH(bool, sent);

    SimDevice *asked = addDevice(QStringLiteral("ORL K1"));
    SimDevice *other = addDevice(QStringLiteral("ORL K2"), false);
    const QStringList usbList{"0011d6b:0002 Linux Foundation 2.0 root hub", "0020781:5567 SanDisk Cruzer Blade"};
    auto *responder = new UsbResponder(asked, usbList);
    const auto moveSelection = [&] {
        tick(asked, false);
        tick(other, true);
    };
    answerDialog({"table=1"}, [&] {
        if (change == MovedWhileShown)
            moveSelection();
        if (change == DroppedWhileShown)
            return drop(asked);
        if (change == ReconnectedWhileShown) {
            // Meanwhile another device sends its list too: one dialog at a time.
            QSslSocket *old = record(asked)->socket;
            asked->reconnect();
            other->sendFrame(StatusMessages::usbDevices(usbList));
            return QTest::qWaitFor(
                [&] {
                    const ThinclientInfo *r = record(asked);
                    return r && r->online && r->socket && r->socket != old
                        && m_window->statusLabel->text().contains(record(other)->deviceName);
                },
                15000);
        }
        return true;
    });

    if (change == Unasked)
        asked->sendFrame(StatusMessages::usbDevices(usbList));
    else
        trigger("actionSetup_USB_redirection");
    // Nothing has reached the device yet: the list comes back later.
    if (change == MovedBeforeList)
        moveSelection();
    QTRY_VERIFY_WITH_TIMEOUT(!m_prompter->calls.isEmpty(), 15000);
    QCOMPARE(responder->answered(), change == Unasked ? 0 : 1);

    QStringList prompts{"exec DlgUsbRedirection"};
    if (!sent)
        prompts << "warning USB redirection: \nThe USB redirection was not sent because the device is no longer connected";
    QCOMPARE(m_prompter->trail(), prompts);

    QList<QByteArray> toAsked;
    for (const ReceivedFrame &f : receivedSoFar(asked))
        toAsked << f.bytes.toHex();
    QList<QByteArray> expected;
    if (change != Unasked)
        expected << "2b000000";
    if (sent)
        expected << "2c00000d01000a303738315f3535363700";   // "0781_5567"
    QCOMPARE(toAsked, expected);
    QCOMPARE(receivedSoFar(other).size(), 0);
}

// ---- File install --------------------------------------------------------------

namespace {
enum InstallChange { NoChange, FileShrinks, SecondDrops };
}

void TestConfigEndToEnd::installedFileArrivesIntact_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("change");
    QTest::addColumn<QString>("receivers");
    QTest::addColumn<QString>("refusal");   // %1: the file's path

    QTest::newRow("the largest file, two devices") << 2 * 1024 * 1024 << int(NoChange) << "11" << QString();
    QTest::newRow("the file shrinks after it was chosen")
        << 4096 << int(FileShrinks) << "00"
        << "information Install file on device: Error reading from file\n\n%1";
    QTest::newRow("a device drops during the dialog") << 300000 << int(SecondDrops) << "10" << QString();
}

void TestConfigEndToEnd::installedFileArrivesIntact()
{
    QFETCH(int, size);
    QFETCH(int, change);
    QFETCH(QString, receivers);
    QFETCH(QString, refusal);

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("wallpaper.png"));
    QByteArray data(size, Qt::Uninitialized);
    QRandomGenerator(quint32(size)).fillRange(reinterpret_cast<quint32 *>(data.data()), size / 4);
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QCOMPARE(file.write(data), qint64(size));
    }

    const QList<SimDevice *> sims{addDevice(QStringLiteral("ORL K1")), addDevice(QStringLiteral("ORL K2"))};
    // The dialog took the file's size when OK was pressed.
    answerDialog({"rdbtnPngFile=", "tbxFile=" + path}, [&] {
        if (change == FileShrinks)
            return QFile::resize(path, 1000);
        return change != SecondDrops || drop(sims.at(1));
    });
    m_prompter->answer(QMessageBox::Yes);
    trigger("install_file");
    QStringList prompts{"exec DlgInstallOnDevice", QuestionInstall};
    if (!refusal.isEmpty())
        prompts << refusal.arg(path);
    QCOMPARE(m_prompter->trail(), prompts);

    for (int i = 0; i < sims.size(); ++i) {
        const QList<ReceivedFrame> frames = receivedSoFar(sims.at(i));
        QCOMPARE(frames.size(), receivers.at(i) == QLatin1Char('1') ? 1 : 0);
        if (frames.isEmpty())
            continue;
        const ReceivedFrame &f = frames.first();
        QCOMPARE(f.type, quint8(0x26));
        QCOMPARE(qint64(f.length), qint64(f.bytes.size()) - 6);
        PayloadReader in(f.bytes, 6);
        QCOMPARE(in.u8(), quint8(4));   // wallpaper PNG image
        QCOMPARE(in.wireString(), QStringLiteral("wallpaper.png"));
        QCOMPARE(in.u32(), quint32(size));
        QCOMPARE(md5(in.bytes(size)), md5(data));
        QVERIFY(in.atEnd());
    }
}

QTEST_MAIN(TestConfigEndToEnd)
#include "tst_configendtoend.moc"
