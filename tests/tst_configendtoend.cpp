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
#include "testfiles.h"
#include "usbresponder.h"
#include "windowdevices.h"
#include "windowfixture.h"

#include "devicelink/sslserver.h"
#include "devicelink/thinclientinfo.h"
#include "devicelink/wire.h"

#include <QAction>
#include <QCryptographicHash>
#include <QLabel>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>
#include <functional>
#include <memory>

using namespace WindowFixture;

class TestConfigEndToEnd : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void actionsReachTheirCommands_data();
    void actionsReachTheirCommands();
    void selectedDevicesGetTheCommand_data();
    void selectedDevicesGetTheCommand();
    void networkGoesToTheTickedDevice();
    void usbChoiceGoesToTheDeviceWhoseListIsShown_data();
    void usbChoiceGoesToTheDeviceWhoseListIsShown();
    void largestFileArrivesIntact();

private:
    SimDevice *addDevice(const QString &model, bool ticked = true);
    ThinclientInfo *record(const SimDevice *sim) const { return m_devices->record(sim); }
    void trigger(const char *action);
    // Answers the next dialog: the edits, OK, then whatever happens before
    // the command goes on (false when it did not come about).
    void answerDialog(const QStringList &edits, std::function<bool()> meanwhile = nullptr);
    // The frames the device got from the console so far, then forgets them.
    QList<ReceivedFrame> receivedSoFar(SimDevice *sim) { return m_devices->receivedSoFar(sim); }

    std::unique_ptr<ScriptedPrompter> m_prompter;
    std::unique_ptr<MainWindow> m_window;
    std::unique_ptr<WindowDevices> m_devices;
    QStringList m_answerFaults;
};

void TestConfigEndToEnd::init()
{
    QSettings(QStringLiteral("Halvard"), QStringLiteral("korvane_server")).clear();
    m_prompter = std::make_unique<ScriptedPrompter>();
    QSettings *store = newSettings();
    seedPreferences(store, freeTcpPort(), freeUdpPort());
    m_window = std::make_unique<MainWindow>(nullptr, environment(store));
    QVERIFY(m_window->sslServer->isListening());
    QVERIFY(m_window->currentDepartment);
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

// ---- Commands for every ticked device ----------------------------------------

void TestConfigEndToEnd::selectedDevicesGetTheCommand_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<QStringList>("edits");
    QTest::addColumn<QString>("question");
    QTest::addColumn<QByteArray>("frame");

    QTest::newRow("server identification")
        << "actionSet_ZOR_server_configuration" << QStringList{"rdbtnStatic=", "tbxIP=10.77.0.1"}
        << "Korvane server identification: Are you sure you want to set Korvane server identification on "
           "selected devices?"
        << QByteArray::fromHex("1e000014" "02" "000a31302e37372e302e3100" "00053538303800");
    QTest::newRow("cloud print")
        << "actionSet_Cloud_Print_creds"
        << QStringList{"tbxUserId=ops", "tbxPassword=s3cret", "tbxConfirmPassword=s3cret"}
        << "Configure Google Cloud Print: Are you sure you want to configure Google Cloud Print on selected devices?"
        << QByteArray::fromHex("28000010" "01" "00046f707300" "0007733363726574" "00");
    QTest::newRow("gateway")
        << "actionTSG"
        << QStringList{"tbxHostname=gw.lab", "tbxUserId=ops", "tbxPassword=pw", "tbxConfirmPassword=pw"}
        << "Configure terminal services gateway: Are you sure you want to configure terminal services gateway on "
           "selected devices?"
        << QByteArray::fromHex("2a000015" "01" "000767772e6c616200" "00046f707300" "0003707700");
}

void TestConfigEndToEnd::selectedDevicesGetTheCommand()
{
    QFETCH(QString, action);
    QFETCH(QStringList, edits);
    QFETCH(QString, question);
    QFETCH(QByteArray, frame);

    SimDevice *a = addDevice(QStringLiteral("ORL K1"));
    SimDevice *unticked = addDevice(QStringLiteral("ORL K1"), false);
    SimDevice *c = addDevice(QStringLiteral("ORL QB64"));
    answerDialog(edits);
    m_prompter->answer(QMessageBox::Yes);
    trigger(action.toLatin1().constData());
    QCOMPARE(m_prompter->trail().size(), 2);
    QCOMPARE(m_prompter->trail().at(1), "question " + question);

    for (SimDevice *ticked : {a, c}) {
        const QList<ReceivedFrame> frames = receivedSoFar(ticked);
        QCOMPARE(frames.size(), 1);
        QCOMPARE(frames.first().bytes.toHex(), frame.toHex());
    }
    QCOMPARE(receivedSoFar(unticked).size(), 0);

    // The identification is noted in the records of the devices it went to.
    const bool identified = action == QLatin1String("actionSet_ZOR_server_configuration");
    QCOMPARE(record(a)->serverIp, identified ? QStringLiteral("10.77.0.1") : QString());
    QCOMPARE(record(c)->serverDetection, quint16(identified ? 2 : 0));
    QCOMPARE(record(unticked)->serverIp, QString());
}

// The network settings are meant for one device: the one ticked in the
// department shown.
void TestConfigEndToEnd::networkGoesToTheTickedDevice()
{
    SimDevice *unticked = addDevice(QStringLiteral("ORL K1"), false);
    SimDevice *ticked = addDevice(QStringLiteral("ORL QB64"));
    answerDialog({"gboxWireless=off"});
    m_prompter->answer(QMessageBox::Yes);
    trigger("actionConfigureNIC");
    QCOMPARE(m_prompter->trail().size(), 2);
    QCOMPARE(receivedSoFar(ticked).size(), 1);
    QCOMPARE(receivedSoFar(unticked).size(), 0);
}

// ---- USB redirection round trip ------------------------------------------------

namespace {
enum UsbChange {
    Unchanged,
    Unasked,
    OtherUnasked,
    MovedBeforeList,
    MovedWhileShown,
    DroppedWhileShown,
    ReconnectedWhileShown
};
} // namespace

void TestConfigEndToEnd::usbChoiceGoesToTheDeviceWhoseListIsShown_data()
{
    QTest::addColumn<int>("change");
    QTest::addColumn<bool>("sent");

    QTest::newRow("selection unchanged") << int(Unchanged) << true;
    QTest::newRow("a list nobody asked for") << int(Unasked) << true;
    QTest::newRow("an unticked device's list before the answer") << int(OtherUnasked) << true;
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
    const auto moveSelection = [&] { return m_devices->tick(asked, false) && m_devices->tick(other, true); };
    // The list reaches the window inside the device's message, before this
    // later receiver of it; its dialog opens only once that handling is over.
    bool listHandled = false;
    QObject afterWindow;
    connect(m_window->sslServer, &SSLServer::onEnumerateUsb, &afterWindow, [&] { listHandled = true; });
    answerDialog({"table=1"}, [&] {
        if (!listHandled)
            m_answerFaults << QStringLiteral("the list's dialog opened inside the device's message");
        if (change == MovedWhileShown)
            return moveSelection();
        if (change == DroppedWhileShown)
            return m_devices->drop(asked);
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

    if (change == OtherUnasked) {
        // It stands in for nobody's answer: the asked device's list is shown.
        other->sendFrame(StatusMessages::usbDevices(usbList));
        QTRY_VERIFY_WITH_TIMEOUT(listHandled, 15000);
        listHandled = false;
    }
    if (change == Unasked)
        asked->sendFrame(StatusMessages::usbDevices(usbList));
    else
        trigger("actionSetup_USB_redirection");
    // Nothing has reached the device yet: the list comes back later.
    if (change == MovedBeforeList)
        QVERIFY(moveSelection());
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

// The largest file goes whole to the ticked devices; one that drops while the
// dialog is open is skipped.
void TestConfigEndToEnd::largestFileArrivesIntact()
{
    const int size = 2 * 1024 * 1024;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("wallpaper.png"));
    QByteArray data(size, Qt::Uninitialized);
    QRandomGenerator(7).fillRange(reinterpret_cast<quint32 *>(data.data()), size / 4);
    QVERIFY(TestFiles::write(path, data));

    const QList<SimDevice *> sims{addDevice(QStringLiteral("ORL K1")), addDevice(QStringLiteral("ORL K2")),
                                  addDevice(QStringLiteral("ORL K3"))};
    answerDialog({"rdbtnPngFile=", "tbxFile=" + path}, [&] { return m_devices->drop(sims.at(2)); });
    m_prompter->answer(QMessageBox::Yes);
    trigger("install_file");
    QCOMPARE(m_prompter->trail(), QStringList({"exec DlgInstallOnDevice", "question Install file on device: "
                                               "Are you sure you want to install file on selected devices?"}));

    QCOMPARE(receivedSoFar(sims.at(2)).size(), 0);
    const QByteArray md5 = QCryptographicHash::hash(data, QCryptographicHash::Md5);
    for (SimDevice *sim : {sims.at(0), sims.at(1)}) {
        const QList<ReceivedFrame> frames = receivedSoFar(sim);
        QCOMPARE(frames.size(), 1);
        const ReceivedFrame &f = frames.first();
        QCOMPARE(f.type, quint8(0x26));
        QCOMPARE(qint64(f.length), qint64(f.bytes.size()) - 6);
        PayloadReader in(f.bytes, 6);
        QCOMPARE(in.u8(), quint8(4));   // wallpaper PNG image
        QCOMPARE(in.wireString(), QStringLiteral("wallpaper.png"));
        QCOMPARE(in.u32(), quint32(size));
        QVERIFY(QCryptographicHash::hash(in.bytes(size), QCryptographicHash::Md5) == md5);
        QVERIFY(in.atEnd());
    }
}

QTEST_MAIN(TestConfigEndToEnd)
#include "tst_configendtoend.moc"
