// The configuration commands from the administrator's side, without a
// network: which boxes stop them and which device receives what.
#include "commands/configcommands.h"
#include "commands/usbredirectionroundtrip.h"
#include "devicelink/thinclientinfo.h"
#include "fakedevices.h"
#include "formfill.h"
#include "scriptedprompter.h"
#include "testfiles.h"

#include <QDialog>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace ConfigCommands;

namespace {
enum Command { Network, Server, Cloud, Gateway, UsbRequest, Install, Pxe };

bool run(int command, const DeviceList *dept, QWidget *window = nullptr)
{
    switch (Command(command)) {
    case Network: return configureNetwork(window, dept);
    case Server: return setServerIdentification(window, dept);
    case Cloud: return setCloudPrint(window, dept);
    case Gateway: return setTsGateway(window, dept);
    case UsbRequest: return requestUsbDevices(window, dept);
    case Install: return installOnDevices(window, dept);
    case Pxe: return setPxeConfiguration(window, dept);
    }
    return false;
}

// Fills the dialog as given, presses OK, then runs `after` (the world
// changing while the question is open).
ScriptedPrompter::DialogHandler pressOk(const QStringList &edits, std::function<void()> after = nullptr)
{
    return [edits, after](QDialog *d) {
        d->show();
        if (!fillForm(d, edits).isEmpty())
            qFatal("the dialog lacks a widget of %s", qPrintable(edits.join(QLatin1Char(' '))));
        d->accept();
        if (after)
            after();
        return d->result();
    };
}

ScriptedPrompter::DialogHandler cancel()
{
    return [](QDialog *d) {
        d->reject();
        return d->result();
    };
}

const QStringList noInterfaces{"gboxWired=off", "gboxWireless=off"};
const QStringList usbList{"0011d6b:0002 Linux Foundation root hub", "0020781:5567 SanDisk Cruzer Blade"};
} // namespace

class TestConfigCommands : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void noDepartmentShown_data();
    void noDepartmentShown();
    void singleDeviceCommandsRefuseSeveral();
    void networkGoesToTheOneSelectedDevice();
    void networkStopsOnNoOrCancel();
    void networkRefusesWhenASecondDeviceReturns();
    void networkNotHandedToAnotherDevice();
    void oversizeSendsNothing_data();
    void oversizeSendsNothing();
    void serverIdentificationUpdatesRecords();
    void nobodySelected();
    void usbListRefused_data();
    void usbListRefused();
    void installFileGoneAfterDialog();
    void pxeSkipsOtherModels();
    void dialogsOpenOnTheWindow_data();
    void dialogsOpenOnTheWindow();

private:
    ThinclientInfo *device(const QString &model = QStringLiteral("ORL K1"), bool checked = true, bool online = true)
    {
        return m_fake.add(model, checked, online);
    }
    int writeCount() const { return int(m_fake.writes.size()); }
    FakeDevices m_fake;
    UsbRedirectionRoundTrip m_roundTrip;
};

void TestConfigCommands::init()
{
    m_fake.writes.clear();
    m_roundTrip.release();
}

void TestConfigCommands::cleanup()
{
    m_fake.reset();
}

void TestConfigCommands::noDepartmentShown_data()
{
    QTest::addColumn<int>("command");
    QTest::addColumn<bool>("says");   // the two commands that speak of an empty department then
    QTest::newRow("network") << int(Network) << true;
    QTest::newRow("server") << int(Server) << true;
    QTest::newRow("cloud print") << int(Cloud) << false;
    QTest::newRow("gateway") << int(Gateway) << false;
    QTest::newRow("usb") << int(UsbRequest) << false;
    QTest::newRow("install") << int(Install) << false;
    QTest::newRow("pxe") << int(Pxe) << false;
}

void TestConfigCommands::noDepartmentShown()
{
    QFETCH(int, command);
    QFETCH(bool, says);
    ScriptedPrompter p;
    QVERIFY(!run(command, nullptr));
    QCOMPARE(p.calls.size(), says ? 1 : 0);
    QCOMPARE(writeCount(), 0);
}

void TestConfigCommands::singleDeviceCommandsRefuseSeveral()
{
    ScriptedPrompter p;
    const DeviceList dept{device(), device()};
    QVERIFY(!configureNetwork(nullptr, &dept));
    QVERIFY(!requestUsbDevices(nullptr, &dept));
    QCOMPARE(p.trail(), QStringList({"information Configure networks: Multiple devices selected. Please select just "
                                     "one device",
                                     "information Setup USB redirection: \nMultiple devices selected. Please select "
                                     "just one device"}));
    QCOMPARE(writeCount(), 0);
}

void TestConfigCommands::networkGoesToTheOneSelectedDevice()
{
    ScriptedPrompter p;
    ThinclientInfo *offline = device(QStringLiteral("ORL K1"), true, false);
    ThinclientInfo *unchecked = device(QStringLiteral("ORL K1"), false);
    ThinclientInfo *target = device();
    const DeviceList dept{offline, unchecked, target};
    p.answerDialog(pressOk(noInterfaces + QStringList{"tbxHostname=tc1"}));
    p.answer(QMessageBox::Yes);
    QVERIFY(configureNetwork(nullptr, &dept));
    QCOMPARE(p.calls.at(1).text, QStringLiteral("Are you sure you want to configure network on selected device?"));
    QCOMPARE(p.calls.at(1).defaultButton, QMessageBox::Yes);
    QCOMPARE(writeCount(), 1);
    QCOMPARE(m_fake.writtenTo(target).toHex(),
             QByteArray("1d000019000100000100000100" "00034e6f00" "00034e6f00" "000474633100"));
}

void TestConfigCommands::networkStopsOnNoOrCancel()
{
    ScriptedPrompter p;
    ThinclientInfo *d = device();
    const DeviceList dept{d};
    p.answerDialog(cancel());
    QVERIFY(!configureNetwork(nullptr, &dept));
    QCOMPARE(p.calls.size(), 1);   // no question after Cancel

    p.answerDialog(pressOk(noInterfaces));
    p.answer(QMessageBox::No);
    QVERIFY(!configureNetwork(nullptr, &dept));

    // The device drops while the question is open: nothing is sent.
    p.answerDialog(pressOk(noInterfaces, [d] { d->online = false; }));
    p.answer(QMessageBox::Yes);
    QVERIFY(!configureNetwork(nullptr, &dept));
    QCOMPARE(writeCount(), 0);
    QVERIFY(p.unexpected.isEmpty());
}

void TestConfigCommands::networkRefusesWhenASecondDeviceReturns()
{
    ScriptedPrompter p;
    // Ticked before it went offline: its row stays ticked, so it is selected
    // again once it registers anew while the dialog is open.
    ThinclientInfo *returning = device(QStringLiteral("ORL K1"), true, false);
    ThinclientInfo *chosen = device();
    const DeviceList dept{returning, chosen};
    p.answerDialog(pressOk(noInterfaces, [returning] { returning->online = true; }));
    p.answer(QMessageBox::Yes);
    QVERIFY(!configureNetwork(nullptr, &dept));
    QCOMPARE(p.trail().last(),
             QStringLiteral("information Configure networks: Multiple devices selected. Please select just one device"));
    QCOMPARE(writeCount(), 0);
}

void TestConfigCommands::networkNotHandedToAnotherDevice()
{
    ScriptedPrompter p;
    // While the dialog is open the chosen device drops and another, ticked
    // before it went offline, registers anew: the one selected device is now
    // another than the one the settings (an address, perhaps) were made for.
    ThinclientInfo *returning = device(QStringLiteral("ORL K1"), true, false);
    ThinclientInfo *chosen = device();
    const DeviceList dept{returning, chosen};
    p.answerDialog(pressOk(noInterfaces, [returning, chosen] {
        chosen->online = false;
        returning->online = true;
    }));
    p.answer(QMessageBox::Yes);
    QVERIFY(!configureNetwork(nullptr, &dept));
    QCOMPARE(writeCount(), 0);
    QVERIFY(p.unexpected.isEmpty());
}

void TestConfigCommands::oversizeSendsNothing_data()
{
    QTest::addColumn<int>("command");
    QTest::addColumn<QStringList>("edits");
    QTest::addColumn<QString>("title");

    const QString longText(4096, QLatin1Char('x'));
    QTest::newRow("network texts over a 16-bit length")
        << int(Network)
        << noInterfaces + QStringList{"tbxDsp=" + QString(32767, QLatin1Char('d')), "tbxHostname=" + QString(32767, QLatin1Char('h'))}
        << "Configure networks";
    QTest::newRow("server address") << int(Server) << QStringList{"rdbtnStatic=", "tbxIP=" + longText}
                                    << "Korvane server configuration";
    QTest::newRow("cloud print password")
        << int(Cloud) << QStringList{"tbxUserId=ops", "tbxPassword=" + longText, "tbxConfirmPassword=" + longText}
        << "Configure Google Cloud Print";
    QTest::newRow("gateway host name")
        << int(Gateway)
        << QStringList{"tbxHostname=" + longText, "tbxUserId=ops", "tbxPassword=pw", "tbxConfirmPassword=pw"}
        << "Configure terminal services gateway";
}

void TestConfigCommands::oversizeSendsNothing()
{
    QFETCH(int, command);
    QFETCH(QStringList, edits);
    QFETCH(QString, title);
    ScriptedPrompter p;
    const DeviceList dept{device()};
    p.answerDialog(pressOk(edits));
    p.answer(QMessageBox::Yes);
    QVERIFY(!run(command, &dept));
    QCOMPARE(p.trail().size(), 3);
    QCOMPARE(p.trail().last(), "warning " + title + ": \nThe values entered are too long to send.");
    QCOMPARE(writeCount(), 0);
}

void TestConfigCommands::serverIdentificationUpdatesRecords()
{
    ScriptedPrompter p;
    ThinclientInfo *a = device();
    ThinclientInfo *offline = device(QStringLiteral("ORL K1"), true, false);
    offline->serverIp = QStringLiteral("keep");
    const DeviceList dept{a, offline};

    // Cancel is 1 for this dialog: nothing sent, nothing changed.
    p.answerDialog(cancel());
    QVERIFY(!setServerIdentification(nullptr, &dept));
    QCOMPARE(writeCount(), 0);

    p.answerDialog(pressOk({"rdbtnStatic=", "tbxIP=10.1.2.30"}));
    p.answer(QMessageBox::Yes);
    QVERIFY(setServerIdentification(nullptr, &dept));
    QCOMPARE(writeCount(), 1);
    QCOMPARE(a->serverDetection, quint16(2));
    QCOMPARE(a->serverIp, QStringLiteral("10.1.2.30"));
    QCOMPARE(a->serverPort, QStringLiteral("5808"));
    QCOMPARE(offline->serverIp, QStringLiteral("keep"));
}

// Nobody selected after the question: cloud print warns, the gateway stays silent.
void TestConfigCommands::nobodySelected()
{
    ScriptedPrompter p;
    const DeviceList dept{device(QStringLiteral("ORL K1"), false)};
    p.answerDialog(pressOk({"groupBox=off"}));
    p.answer(QMessageBox::Yes);
    QVERIFY(!setCloudPrint(nullptr, &dept));
    QCOMPARE(p.last().kind, QStringLiteral("warning"));
    QCOMPARE(p.last().text, QStringLiteral("\nCommand was not sent to any device(s) because none are selected!"));
    p.clear();
    p.answerDialog(pressOk({"grbxTSG=off"}));
    p.answer(QMessageBox::Yes);
    QVERIFY(!setTsGateway(nullptr, &dept));
    QCOMPARE(p.calls.size(), 2);
    QVERIFY(p.unexpected.isEmpty());
    QCOMPARE(writeCount(), 0);
}

void TestConfigCommands::usbListRefused_data()
{
    QTest::addColumn<int>("selected");   // of the department's two devices, the sender first
    QTest::addColumn<bool>("goneBeforeShown");
    QTest::addColumn<QString>("box");    // none when nothing is to be said
    QTest::newRow("two devices selected")
        << 2 << false << "Multiple thinclient devices selected. Please select just one thinclient device";
    QTest::newRow("device gone before the dialog opened")
        << 1 << true << "\nThe USB list was not shown because the device is no longer connected";
    QTest::newRow("nobody selected") << 0 << false << "";
}

void TestConfigCommands::usbListRefused()
{
    QFETCH(int, selected);
    QFETCH(bool, goneBeforeShown);
    QFETCH(QString, box);
    ScriptedPrompter p;
    ThinclientInfo *a = device(QStringLiteral("ORL K1"), selected >= 1);
    const DeviceList dept{a, device(QStringLiteral("ORL K1"), selected >= 2)};
    QVERIFY(m_roundTrip.keep(a, usbList));
    if (goneBeforeShown)
        a->online = false;
    QVERIFY(!showUsbDevices(nullptr, &dept, m_roundTrip));
    QCOMPARE(p.texts(), box.isEmpty() ? QStringList() : QStringList{box});
    if (!box.isEmpty())
        QCOMPARE(p.last().title, QStringLiteral("USB redirection"));
    QVERIFY(p.unexpected.isEmpty());
    QCOMPARE(writeCount(), 0);
    QVERIFY(!m_roundTrip.isBusy());
}

// The file changes between OK and the send: nothing goes out half read.
void TestConfigCommands::installFileGoneAfterDialog()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("key.pub"));
    QVERIFY(TestFiles::write(path, QByteArray(64, 'k')));

    ScriptedPrompter p;
    const DeviceList dept{device()};
    const QStringList chosen{"rdbtnPpdFile=", "tbxFile=" + path};
    p.answerDialog(pressOk(chosen));
    p.answer(QMessageBox::No);
    QVERIFY(!installOnDevices(nullptr, &dept));
    QCOMPARE(p.last().text, QStringLiteral("Are you sure you want to install file on selected devices?"));

    p.answerDialog(pressOk(chosen, [path] { QFile::resize(path, 10); }));
    p.answer(QMessageBox::Yes);
    QVERIFY(!installOnDevices(nullptr, &dept));
    QCOMPARE(p.trail().last(), "information Install file on device: Error reading from file\n\n" + path);

    p.answerDialog(pressOk(chosen, [path] { QFile::remove(path); }));
    p.answer(QMessageBox::Yes);
    QVERIFY(!installOnDevices(nullptr, &dept));
    QCOMPARE(p.last().text, QStringLiteral("Error opening file\n\n") + path);
    QCOMPARE(writeCount(), 0);
}

void TestConfigCommands::pxeSkipsOtherModels()
{
    ScriptedPrompter p;
    ThinclientInfo *pyrel = device(QStringLiteral("pyrel pc"));
    ThinclientInfo *k1 = device(QStringLiteral("ORL K1"));
    ThinclientInfo *qbUnchecked = device(QStringLiteral("ORL QB64"), false);
    const DeviceList dept{k1, pyrel, qbUnchecked};
    p.answerDialog(pressOk({"groupBox=off"}));
    p.answer(QMessageBox::Yes);
    QVERIFY(setPxeConfiguration(nullptr, &dept));
    QCOMPARE(writeCount(), 1);
    QCOMPARE(m_fake.writtenTo(pyrel).toHex(), QByteArray("250100020000"));
    QCOMPARE(p.trail().last(), QStringLiteral("information Status update: PXE server configuration command sent to "
                                              "1 PXE servers.\n\n1 device(s) ignored because they are not PXE servers"));

    // All selected devices capable: no summary.
    p.clear();
    k1->checked = false;
    p.answerDialog(pressOk({"groupBox=off"}));
    p.answer(QMessageBox::Yes);
    QVERIFY(setPxeConfiguration(nullptr, &dept));
    QCOMPARE(p.trail(), QStringList({"exec DlgConfigDorn", "question Set PXE server configuration: Are you sure you "
                                     "want to send PXE server configuration command to selected devices?"}));
}

// Centred on the window, without a task-bar entry of their own.
void TestConfigCommands::dialogsOpenOnTheWindow_data()
{
    QTest::addColumn<int>("command");
    QTest::newRow("network") << int(Network);
    QTest::newRow("server") << int(Server);
    QTest::newRow("cloud print") << int(Cloud);
    QTest::newRow("gateway") << int(Gateway);
    QTest::newRow("install") << int(Install);
    QTest::newRow("pxe") << int(Pxe);
}

void TestConfigCommands::dialogsOpenOnTheWindow()
{
    QFETCH(int, command);
    ScriptedPrompter p;
    QWidget window;
    const DeviceList dept{device()};
    QWidget *parent = nullptr;
    p.answerDialog([&parent](QDialog *d) {
        parent = d->parentWidget();
        return cancel()(d);
    });
    QVERIFY(!run(command, &dept, &window));
    QCOMPARE(p.trail().size(), 1);
    QCOMPARE(parent, &window);
}

QTEST_MAIN(TestConfigCommands)
#include "tst_configcommands.moc"
