// The configuration commands from the administrator's side: which boxes
// appear in which words, and which device receives what.
#include "commands/configcommands.h"
#include "commands/dlginstallondevice.h"
#include "commands/dlgusbredirection.h"
#include "commands/usbredirectionroundtrip.h"
#include "devicelink/sslserver.h"
#include "devicelink/thinclientinfo.h"
#include "fakedevices.h"
#include "scriptedprompter.h"

#include <QCheckBox>
#include <QFile>
#include <QGroupBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

using namespace ConfigCommands;

namespace {
enum Command { Network, Server, Cloud, Gateway, UsbRequest, Install, Pxe };

bool run(int command, const DeviceList *dept)
{
    switch (Command(command)) {
    case Network: return configureNetwork(nullptr, dept);
    case Server: return setServerIdentification(nullptr, dept);
    case Cloud: return setCloudPrint(nullptr, dept);
    case Gateway: return setTsGateway(nullptr, dept);
    case UsbRequest: return requestUsbDevices(nullptr, dept);
    case Install: return installOnDevices(nullptr, dept);
    case Pxe: return setPxeConfiguration(nullptr, dept);
    }
    return false;
}

// A dialog answer that presses OK as it stands, or after a few changes.
ScriptedPrompter::DialogHandler pressOk(std::function<void(QDialog *)> edit = nullptr)
{
    return [edit](QDialog *d) {
        d->show();
        if (edit)
            edit(d);
        d->accept();
        return d->result();
    };
}

void setText(QDialog *d, const char *name, const QString &value)
{
    d->findChild<QLineEdit *>(QLatin1String(name))->setText(value);
}

void uncheck(QDialog *d, const char *group)
{
    d->findChild<QGroupBox *>(QLatin1String(group))->setChecked(false);
}
} // namespace

class TestConfigCommands : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void emptyDepartment_data();
    void emptyDepartment();
    void noDepartmentShown_data();
    void noDepartmentShown();
    void singleDeviceCommandsRefuseSeveral();
    void networkGoesToTheOneSelectedDevice();
    void networkStopsOnNoOrCancel();
    void serverIdentificationUpdatesRecords();
    void credentials();
    void usbRoundTrip();
    void usbDeviceGoneWhileListOpen();
    void usbListRefused_data();
    void usbListRefused();
    void installSendsTheFile();
    void installFileShrankAfterDialog();
    void pxeSkipsOtherModels();

private:
    ThinclientInfo *device(const QString &model = QStringLiteral("ORL K1"), bool checked = true, bool online = true);
    QByteArray writtenTo(const ThinclientInfo *d) const { return m_fake.writtenTo(d); }
    int writeCount() const { return int(m_writes.size()); }
    FakeDevices m_fake;
    QList<QPair<QSslSocket *, QByteArray>> &m_writes = m_fake.writes;
    UsbRedirectionRoundTrip m_roundTrip;
};

ThinclientInfo *TestConfigCommands::device(const QString &model, bool checked, bool online)
{
    return m_fake.add(model, checked, online);
}

void TestConfigCommands::init()
{
    m_writes.clear();
    m_roundTrip.release();
}

void TestConfigCommands::cleanup()
{
    m_fake.reset();
}

void TestConfigCommands::emptyDepartment_data()
{
    QTest::addColumn<int>("command");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("text");
    QTest::newRow("network") << int(Network) << "Configure networks"
                             << "No devices found! You must select at least one device!";
    QTest::newRow("server") << int(Server) << "Korvane server configuration"
                            << "\nNo devices selected! You must select at least one device";
    QTest::newRow("cloud print") << int(Cloud) << "Configure Google Cloud Print"
                                 << "\nCannot configure Google Cloud Print. No devices found!";
    QTest::newRow("gateway") << int(Gateway) << "Configure terminal services gateway"
                             << "\nCannot configure Terminal services gateway. No devices found!";
    QTest::newRow("usb") << int(UsbRequest) << "Setup USB redirection"
                         << "\nCannot setup USB redirection. No devices found!";
    QTest::newRow("install") << int(Install) << "Install file on device"
                             << "\nCannot install file on device. No devices found!";
    QTest::newRow("pxe") << int(Pxe) << "Set PXE server configuration"
                         << "\nCannot set PXE server configuration. No devices found!";
}

void TestConfigCommands::emptyDepartment()
{
    QFETCH(int, command);
    QFETCH(QString, title);
    QFETCH(QString, text);
    ScriptedPrompter p;
    const DeviceList empty;
    QVERIFY(!run(command, &empty));
    QCOMPARE(p.calls.size(), 1);
    QCOMPARE(p.last().kind, QStringLiteral("information"));
    QCOMPARE(p.last().title, title);
    QCOMPARE(p.last().text, text);
    QCOMPARE(writeCount(), 0);
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
    QCOMPARE(p.texts(), QStringList({"Multiple devices selected. Please select just one device",
                                     "\nMultiple devices selected. Please select just one device"}));
    QCOMPARE(p.calls.at(0).title, QStringLiteral("Configure networks"));
    QCOMPARE(p.calls.at(1).title, QStringLiteral("Setup USB redirection"));
    QCOMPARE(writeCount(), 0);
}

void TestConfigCommands::networkGoesToTheOneSelectedDevice()
{
    ScriptedPrompter p;
    ThinclientInfo *offline = device(QStringLiteral("ORL K1"), true, false);
    ThinclientInfo *unchecked = device(QStringLiteral("ORL K1"), false);
    ThinclientInfo *target = device();
    const DeviceList dept{offline, unchecked, target};
    p.answerDialog(pressOk([](QDialog *d) {
        uncheck(d, "gboxWired");
        uncheck(d, "gboxWireless");
        setText(d, "tbxHostname", QStringLiteral("tc1"));
    }));
    p.answer(QMessageBox::Yes);
    QVERIFY(configureNetwork(nullptr, &dept));
    QCOMPARE(p.calls.at(1).title, QStringLiteral("Configuring networks"));
    QCOMPARE(p.calls.at(1).text, QStringLiteral("Are you sure you want to configure network on selected device?"));
    QCOMPARE(p.calls.at(1).defaultButton, QMessageBox::Yes);
    QCOMPARE(writeCount(), 1);
    QCOMPARE(writtenTo(target).toHex(), QByteArray("1d000019000100000100000100" "00034e6f00" "00034e6f00"
                                                   "000474633100"));
}

void TestConfigCommands::networkStopsOnNoOrCancel()
{
    ScriptedPrompter p;
    ThinclientInfo *d = device();
    const DeviceList dept{d};
    p.answerDialog([](QDialog *dlg) {
        dlg->reject();
        return dlg->result();
    });
    QVERIFY(!configureNetwork(nullptr, &dept));
    QCOMPARE(p.calls.size(), 1);   // no question after Cancel

    p.clear();
    p.answerDialog(pressOk([](QDialog *dlg) { uncheck(dlg, "gboxWireless"); }));
    p.answer(QMessageBox::No);
    QVERIFY(!configureNetwork(nullptr, &dept));

    // The device drops while the question is open: nothing is sent.
    p.clear();
    p.answerDialog(pressOk([](QDialog *dlg) { uncheck(dlg, "gboxWireless"); }));
    p.answer(QMessageBox::Yes);
    d->online = false;
    QVERIFY(!configureNetwork(nullptr, &dept));
    QCOMPARE(writeCount(), 0);
    QVERIFY(p.unexpected.isEmpty());
}

void TestConfigCommands::serverIdentificationUpdatesRecords()
{
    ScriptedPrompter p;
    ThinclientInfo *a = device();
    ThinclientInfo *offline = device(QStringLiteral("ORL K1"), true, false);
    ThinclientInfo *b = device();
    offline->serverIp = QStringLiteral("keep");
    offline->serverDetection = 2;
    const DeviceList dept{a, offline, b};

    // Cancel is 1 for this dialog: nothing sent, nothing changed.
    p.answerDialog([](QDialog *d) {
        d->reject();
        return d->result();
    });
    QVERIFY(!setServerIdentification(nullptr, &dept));
    QCOMPARE(writeCount(), 0);

    p.answerDialog(pressOk([](QDialog *d) {
        d->findChild<QRadioButton *>(QStringLiteral("rdbtnStatic"))->click();
        setText(d, "tbxIP", QStringLiteral("10.1.2.30"));
    }));
    p.answer(QMessageBox::Yes);
    QVERIFY(setServerIdentification(nullptr, &dept));
    QCOMPARE(p.last().title, QStringLiteral("Korvane server identification"));
    const QByteArray frame = QByteArray::fromHex("1e00001402000a31302e312e322e33300000053538303800");
    QCOMPARE(writtenTo(a), frame);
    QCOMPARE(writtenTo(b), frame);
    QCOMPARE(writeCount(), 2);
    for (ThinclientInfo *d : {a, b}) {
        QCOMPARE(d->serverDetection, quint16(2));
        QCOMPARE(d->serverIp, QStringLiteral("10.1.2.30"));
        QCOMPARE(d->serverPort, QStringLiteral("5808"));
    }
    QCOMPARE(offline->serverIp, QStringLiteral("keep"));
    QCOMPARE(offline->serverDetection, quint16(2));
}

void TestConfigCommands::credentials()
{
    ScriptedPrompter p;
    ThinclientInfo *d = device();
    ThinclientInfo *other = device(QStringLiteral("ORL K1"), false);
    const DeviceList dept{d, other};

    p.answerDialog(pressOk([](QDialog *dlg) { uncheck(dlg, "groupBox"); }));
    p.answer(QMessageBox::Yes);
    QVERIFY(setCloudPrint(nullptr, &dept));
    QCOMPARE(p.last().text, QStringLiteral("Are you sure you want to configure Google Cloud Print on selected devices?"));
    QCOMPARE(writtenTo(d).toHex(), QByteArray("2800000100"));

    p.answerDialog(pressOk([](QDialog *dlg) { uncheck(dlg, "grbxTSG"); }));
    p.answer(QMessageBox::Yes);
    QVERIFY(setTsGateway(nullptr, &dept));
    QCOMPARE(p.calls.at(2).title, QStringLiteral("Terminal services gateway"));   // the dialog's title
    QCOMPARE(p.last().text,
             QStringLiteral("Are you sure you want to configure terminal services gateway on selected devices?"));
    QCOMPARE(writtenTo(d).toHex(), QByteArray("2800000100" "2a00000100"));
    QCOMPARE(writtenTo(other), QByteArray());

    // Nobody selected: cloud print warns, the gateway stays silent.
    d->checked = false;
    p.clear();
    p.answerDialog(pressOk([](QDialog *dlg) { uncheck(dlg, "groupBox"); }));
    p.answer(QMessageBox::Yes);
    QVERIFY(!setCloudPrint(nullptr, &dept));
    QCOMPARE(p.last().kind, QStringLiteral("warning"));
    QCOMPARE(p.last().text, QStringLiteral("\nCommand was not sent to any device(s) because none are selected!"));
    p.clear();
    p.answerDialog(pressOk([](QDialog *dlg) { uncheck(dlg, "grbxTSG"); }));
    p.answer(QMessageBox::Yes);
    QVERIFY(!setTsGateway(nullptr, &dept));
    QCOMPARE(p.calls.size(), 2);
    QVERIFY(p.unexpected.isEmpty());
}

static const QStringList usbList{QStringLiteral("0011d6b:0002 Linux Foundation root hub"),
                                 QStringLiteral("0020781:5567 SanDisk Cruzer Blade")};

static ScriptedPrompter::DialogHandler tickRow(int row)
{
    return [row](QDialog *d) {
        auto *table = d->findChild<QTableWidget *>(QStringLiteral("table"));
        qobject_cast<QCheckBox *>(table->cellWidget(row, 0))->setChecked(true);
        d->accept();
        return d->result();
    };
}

// A is asked; before its list arrives the administrator selects B instead.
// The choice made from A's list still goes to A.
void TestConfigCommands::usbRoundTrip()
{
    ScriptedPrompter p;
    ThinclientInfo *a = device();
    ThinclientInfo *b = device(QStringLiteral("ORL K1"), false);
    const DeviceList dept{a, b};
    QVERIFY(requestUsbDevices(nullptr, &dept));
    QCOMPARE(writtenTo(a).toHex(), QByteArray("2b000000"));
    QVERIFY(p.calls.isEmpty());

    a->checked = false;
    b->checked = true;
    QVERIFY(m_roundTrip.keep(a, usbList));
    p.answerDialog(tickRow(1));
    QVERIFY(showUsbDevices(nullptr, &dept, m_roundTrip));
    QCOMPARE(p.calls.first().dialogClass, QStringLiteral("DlgUsbRedirection"));
    QCOMPARE(writtenTo(a).toHex(), QByteArray("2b000000" "2c00000d01000a303738315f3535363700"));
    QCOMPARE(writtenTo(b), QByteArray());
    // The dialog is over: the next list may come.
    QVERIFY(!m_roundTrip.isBusy());
}

void TestConfigCommands::usbDeviceGoneWhileListOpen()
{
    ScriptedPrompter p;
    ThinclientInfo *a = device();
    const DeviceList dept{a, device(QStringLiteral("ORL K1"), false)};
    QVERIFY(m_roundTrip.keep(a, usbList));
    p.answerDialog([a](QDialog *d) {
        a->online = false;   // the device drops while the administrator chooses
        a->checked = true;
        d->accept();
        return d->result();
    });
    QVERIFY(!showUsbDevices(nullptr, &dept, m_roundTrip));
    QCOMPARE(p.last().kind, QStringLiteral("warning"));
    QCOMPARE(p.last().text,
             QStringLiteral("\nThe USB redirection was not sent because the device is no longer connected"));
    QCOMPARE(writeCount(), 0);
}

void TestConfigCommands::usbListRefused_data()
{
    QTest::addColumn<bool>("twoSelected");
    QTest::addColumn<bool>("goneBeforeShown");
    QTest::addColumn<QString>("box");
    QTest::newRow("two devices selected")
        << true << false << "Multiple thinclient devices selected. Please select just one thinclient device";
    QTest::newRow("device gone before the dialog opened")
        << false << true << "\nThe USB list was not shown because the device is no longer connected";
}

void TestConfigCommands::usbListRefused()
{
    QFETCH(bool, twoSelected);
    QFETCH(bool, goneBeforeShown);
    QFETCH(QString, box);
    ScriptedPrompter p;
    ThinclientInfo *a = device();
    const DeviceList dept{a, device(QStringLiteral("ORL K1"), twoSelected)};
    QVERIFY(m_roundTrip.keep(a, usbList));
    if (goneBeforeShown)
        a->online = false;
    QVERIFY(!showUsbDevices(nullptr, &dept, m_roundTrip));
    QCOMPARE(p.texts(), QStringList{box});
    QCOMPARE(p.last().title, QStringLiteral("USB redirection"));
    QCOMPARE(writeCount(), 0);
    QVERIFY(!m_roundTrip.isBusy());
}

static ScriptedPrompter::DialogHandler chooseFile(const QString &path, std::function<void()> after = nullptr)
{
    return [path, after](QDialog *d) {
        d->show();
        d->findChild<QRadioButton *>(QStringLiteral("rdbtnPpdFile"))->setChecked(true);
        setText(d, "tbxFile", path);
        d->accept();
        if (after)
            after();
        return d->result();
    };
}

void TestConfigCommands::installSendsTheFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("printer.ppd"));
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("PPD");
    f.close();

    ScriptedPrompter p;
    ThinclientInfo *a = device();
    ThinclientInfo *b = device();
    const DeviceList dept{a, b};
    p.answerDialog(chooseFile(path));
    p.answer(QMessageBox::No);
    QVERIFY(!installOnDevices(nullptr, &dept));
    QCOMPARE(writeCount(), 0);

    p.answerDialog(chooseFile(path));
    p.answer(QMessageBox::Yes);
    QVERIFY(installOnDevices(nullptr, &dept));
    QCOMPARE(p.last().text, QStringLiteral("Are you sure you want to install file on selected devices?"));
    const QByteArray frame = QByteArray::fromHex("2600000000160200" "0c7072696e7465722e70706400" "00000003505044");
    QCOMPARE(writtenTo(a).toHex(), frame.toHex());
    QCOMPARE(writtenTo(b).toHex(), frame.toHex());
}

void TestConfigCommands::installFileShrankAfterDialog()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("key.pub"));
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(QByteArray(64, 'k'));
    f.close();

    ScriptedPrompter p;
    const DeviceList dept{device()};
    p.answerDialog(chooseFile(path, [path] { QFile::resize(path, 10); }));
    p.answer(QMessageBox::Yes);
    QVERIFY(!installOnDevices(nullptr, &dept));
    QCOMPARE(p.last().kind, QStringLiteral("information"));
    QCOMPARE(p.last().title, QStringLiteral("Install file on device"));
    QCOMPARE(p.last().text, QStringLiteral("Error reading from file\n\n") + path);
    QCOMPARE(writeCount(), 0);

    p.answerDialog(chooseFile(path, [path] { QFile::remove(path); }));
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
    ThinclientInfo *k2 = device(QStringLiteral("ORL K2"));
    ThinclientInfo *qbUnchecked = device(QStringLiteral("ORL QB64"), false);
    const DeviceList dept{k1, pyrel, qbUnchecked, k2};
    p.answerDialog(pressOk([](QDialog *d) { uncheck(d, "groupBox"); }));
    p.answer(QMessageBox::Yes);
    QVERIFY(setPxeConfiguration(nullptr, &dept));
    QCOMPARE(writeCount(), 1);
    QCOMPARE(writtenTo(pyrel).toHex(), QByteArray("250100020000"));
    QCOMPARE(p.last().kind, QStringLiteral("information"));
    QCOMPARE(p.last().title, QStringLiteral("Status update"));
    QCOMPARE(p.last().text, QStringLiteral("PXE server configuration command sent to 1 PXE servers.\n\n"
                                           "2 device(s) ignored because they are not PXE servers"));

    // All selected devices capable: no summary.
    p.clear();
    k1->checked = k2->checked = false;
    p.answerDialog(pressOk([](QDialog *d) { uncheck(d, "groupBox"); }));
    p.answer(QMessageBox::Yes);
    QVERIFY(setPxeConfiguration(nullptr, &dept));
    QCOMPARE(p.calls.size(), 2);
    QCOMPARE(p.last().text,
             QStringLiteral("Are you sure you want to send PXE server configuration command to selected devices?"));
}

QTEST_MAIN(TestConfigCommands)
#include "tst_configcommands.moc"
