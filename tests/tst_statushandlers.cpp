// What devices report about themselves: dispatch, length rules, record
// fields, row cells and the two signals, without a network.
#include "handlerfixture.h"
#include "statusmessages.h"

#include "devicelink/columns.h"
#include "devicelink/wire.h"

#include <QSignalSpy>
#include <QtTest>

using namespace StatusMessages;

namespace {

// Record fields by name, so that a data row can say what it expects.
QString field(const ThinclientInfo *r, const QString &name)
{
    static const QMap<QString, QString ThinclientInfo::*> texts = {
        {"firmwareVersion", &ThinclientInfo::firmwareVersion},
        {"timezone", &ThinclientInfo::timezone},
        {"timeServer", &ThinclientInfo::timeServer},
        {"deviceName", &ThinclientInfo::deviceName},
        {"remoteServer", &ThinclientInfo::remoteServer},
        {"protocolType", &ThinclientInfo::protocolType},
        {"dns1", &ThinclientInfo::dns1},
        {"dns2", &ThinclientInfo::dns2},
        {"domainSearchPath", &ThinclientInfo::domainSearchPath},
        {"wiredEnabled", &ThinclientInfo::wiredEnabled},
        {"wiredMethod", &ThinclientInfo::wiredMethod},
        {"ipAddress", &ThinclientInfo::ipAddress},
        {"wiredNetmask", &ThinclientInfo::wiredNetmask},
        {"wiredGateway", &ThinclientInfo::wiredGateway},
        {"wirelessEnabled", &ThinclientInfo::wirelessEnabled},
        {"wirelessMethod", &ThinclientInfo::wirelessMethod},
        {"wirelessIp", &ThinclientInfo::wirelessIp},
        {"wirelessNetmask", &ThinclientInfo::wirelessNetmask},
        {"wirelessGateway", &ThinclientInfo::wirelessGateway},
        {"wirelessSsid", &ThinclientInfo::wirelessSsid},
        {"wirelessSecurity", &ThinclientInfo::wirelessSecurity},
        {"boardHostname", &ThinclientInfo::boardHostname},
        {"keyboardModel", &ThinclientInfo::keyboardModel},
        {"keyboardLayout", &ThinclientInfo::keyboardLayout},
        {"keyboardVariant", &ThinclientInfo::keyboardVariant},
        {"keyboardOption", &ThinclientInfo::keyboardOption},
        {"firewallEnabled", &ThinclientInfo::firewallEnabled},
        {"powerSaveEnabled", &ThinclientInfo::powerSaveEnabled},
        {"pxeServerEnabled", &ThinclientInfo::pxeServerEnabled},
        {"pxeOnly", &ThinclientInfo::pxeOnly},
        {"dhcpStart", &ThinclientInfo::dhcpStart},
        {"dhcpEnd", &ThinclientInfo::dhcpEnd},
    };
    if (name == QLatin1String("autoReconnect"))
        return r->autoReconnect ? "true" : "false";
    if (name == QLatin1String("autoLogin"))
        return r->autoLogin ? "true" : "false";
    if (name == QLatin1String("online"))
        return r->online ? "true" : "false";
    const auto it = texts.find(name);
    return it == texts.end() ? QStringLiteral("<no such field %1>").arg(name) : r->*it.value();
}

// Values the record holds before each report, to see what a report keeps.
void prefill(ThinclientInfo *r)
{
    r->firmwareVersion = "old-fw";
    r->remoteServer = "old-server";
    r->protocolType = "old-proto";
    r->wiredMethod = "old-method";
    r->ipAddress = "old-ip";
    r->wirelessSsid = "old-ssid";
    r->pxeOnly = "old-pxeonly";
    r->dhcpStart = "old-start";
    r->dhcpEnd = "old-end";
    r->autoReconnect = true;
    r->autoLogin = true;
}

QByteArray withType(QByteArray frame, quint8 typeByte)
{
    frame[0] = char(typeByte);
    return frame;
}

Network fullNetwork(const QString &wired, const QString &wireless)
{
    Network n;
    n.dns1 = "10.0.0.53";
    n.dns2 = "10.0.0.54";
    n.domainSearchPath = "corp.example";
    n.wiredEnabled = wired;
    n.wiredMethod = "static";
    n.wiredIp = "10.0.0.7";
    n.wiredNetmask = "255.255.255.0";
    n.wiredGateway = "10.0.0.1";
    n.wirelessEnabled = wireless;
    n.wirelessMethod = "dhcp";
    n.wirelessIp = "10.1.0.7";
    n.wirelessNetmask = "255.255.0.0";
    n.wirelessGateway = "10.1.0.1";
    n.wirelessSsid = "office";
    n.wirelessSecurity = "wpa2";
    n.wirelessExtra = "ignored";
    n.boardHostname = "board-7";
    return n;
}

} // namespace

class TestStatusHandlers : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { qRegisterMetaType<ThinclientInfo *>(); }
    void init() { f = new HandlerFixture; }
    void cleanup() { delete f; f = nullptr; }

    void builderBytes_data();
    void builderBytes();
    void reports_data();
    void reports();
    void statusColours();
    void rowRepaintedOnce_data();
    void rowRepaintedOnce();
    void offlineGreysTheRow();
    void movedAndHiddenColumns();
    void protocolHelp_data();
    void protocolHelp();
    void usbDevices_data();
    void usbDevices();
    void notFromPendingOrUnknown_data();
    void notFromPendingOrUnknown();
    void brokenFrames_data();
    void brokenFrames();

private:
    HandlerFixture *f = nullptr;
};

// The simulator's frames, byte by byte.
void TestStatusHandlers::builderBytes_data()
{
    QTest::addColumn<QByteArray>("frame");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("3") << firmwareVersion("1.2") << QByteArray::fromHex("03000004" "312e3200");
    QTest::newRow("4") << timezoneInfo("UTC", "") << QByteArray::fromHex("04000009" "0004555443" "00" "000100");
    QTest::newRow("6") << deviceName("ab") << QByteArray::fromHex("06000005" "00036162" "00");
    QTest::newRow("7") << status(2, "ok") << QByteArray::fromHex("07020003" "6f6b00");
    QTest::newRow("8") << remoteServer("s", true, false) << QByteArray::fromHex("08000006" "00027300" "0100");
    QTest::newRow("17") << deviceOffline() << QByteArray::fromHex("11000000");
    QTest::newRow("18") << protocolType("x", 2) << QByteArray::fromHex("12020004" "00027800");
    QTest::newRow("18/1") << protocolAndServer("x", "y", false, true)
                          << QByteArray::fromHex("1201000a" "00027800" "00027900" "0001");
    QTest::newRow("29 off") << networkInfo(Network{}) << QByteArray::fromHex("1d000016" "000100" "000100" "000100"
                                                                             "00036e6f00" "00036e6f00" "000100");
    QTest::newRow("33") << StatusMessages::protocolHelp("h") << QByteArray::fromHex("21000002" "6800");
    QTest::newRow("34") << keyboardInfo("a", "", "", "") << QByteArray::fromHex("2200000d" "00026100" "000100"
                                                                                "000100" "000100");
    QTest::newRow("36") << firewallStatus(true) << QByteArray::fromHex("24000001" "01");
    QTest::newRow("37 off") << pxeInfo(false, false) << QByteArray::fromHex("25000002" "0000");
    QTest::newRow("37 on") << pxeInfo(true, true, true, "a", "b")
                           << QByteArray::fromHex("2500000b" "010101" "00026100" "00026200");
    QTest::newRow("43") << StatusMessages::usbDevices({"a"}, 3) << QByteArray::fromHex("2b000005" "03" "00026100");
    QTest::newRow("short") << spoil(deviceName("ab"), Fault::Short) << QByteArray::fromHex("06000005" "00036162");
    QTest::newRow("long") << spoil(deviceName("ab"), Fault::Long) << QByteArray::fromHex("06000005" "00036162" "00a5");
    QTest::newRow("truncated") << spoil(deviceName("ab"), Fault::TruncatedString)
                               << QByteArray::fromHex("06000004" "00036162");
}

void TestStatusHandlers::builderBytes()
{
    QFETCH(QByteArray, frame);
    QFETCH(QByteArray, bytes);
    QCOMPARE(frame.toHex(), bytes.toHex());
}

// Each row: a frame, then "field=value" for record fields and
// "cell:<key or #column>=text" for row cells that the frame must produce.
void TestStatusHandlers::reports_data()
{
    QTest::addColumn<QByteArray>("frame");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("3 firmware") << firmwareVersion("7.8.8")
                                << QStringList{"firmwareVersion=7.8.8", "cell:colFirmwareVersion=7.8.8"};
    QTest::newRow("3 with bit 7") << withType(firmwareVersion("7.9"), 0x83)
                                  << QStringList{"firmwareVersion=7.9", "cell:colFirmwareVersion=7.9"};
    QTest::newRow("3 empty payload") << QByteArray::fromHex("03000000")
                                     << QStringList{"firmwareVersion=", "cell:colFirmwareVersion="};
    QTest::newRow("4 timezone") << timezoneInfo("Europe/Oslo", "pool.ntp.example")
                                << QStringList{"timezone=Europe/Oslo", "timeServer=pool.ntp.example",
                                               "cell:colTimezone=Europe/Oslo",
                                               "cell:colTimeServerIp=pool.ntp.example"};
    QTest::newRow("6 name") << deviceName("Reception") << QStringList{"deviceName=Reception", "cell:#0=Reception"};
    QTest::newRow("6 latin-1") << deviceName(QString::fromUtf8("Kjøkken"))
                               << QStringList{QString::fromUtf8("deviceName=Kjøkken")};
    QTest::newRow("8 remote server")
        << remoteServer("rds.example", true, false)
        << QStringList{"remoteServer=rds.example", "autoReconnect=true", "autoLogin=false",
                       "cell:colRemoteServer=rds.example"};
    QTest::newRow("8 switch byte 2 is not on")
        << WireWriter(8, 0).wireString("x").u8(2).u8(1).finish()
        << QStringList{"autoReconnect=false", "autoLogin=true"};
    QTest::newRow("18 protocol only")
        << protocolType("rdp", 2)
        << QStringList{"protocolType=rdp", "cell:colProtocolType=RDP", "remoteServer=old-server",
                       "autoReconnect=true", "cell:colRemoteServer=cell7"};
    QTest::newRow("18 protocol and server")
        << protocolAndServer("hdx", "farm.example", false, true)
        << QStringList{"protocolType=hdx", "remoteServer=farm.example", "autoReconnect=false", "autoLogin=true",
                       "cell:colProtocolType=HDX", "cell:colRemoteServer=FARM.EXAMPLE"};
    QTest::newRow("29 both blocks")
        << networkInfo(fullNetwork("yes", "yes"))
        << QStringList{"dns1=10.0.0.53", "dns2=10.0.0.54", "domainSearchPath=corp.example", "wiredEnabled=yes",
                       "wiredMethod=static", "ipAddress=10.0.0.7", "wiredNetmask=255.255.255.0",
                       "wiredGateway=10.0.0.1", "wirelessEnabled=yes", "wirelessMethod=dhcp",
                       "wirelessIp=10.1.0.7", "wirelessNetmask=255.255.0.0", "wirelessGateway=10.1.0.1",
                       "wirelessSsid=office", "wirelessSecurity=wpa2", "boardHostname=board-7",
                       "cell:colIpAddress=10.0.0.7", "cell:colBoardHostname=board-7"};
    QTest::newRow("29 upper-case switches")
        << networkInfo(fullNetwork("YES", "Yes"))
        << QStringList{"ipAddress=10.0.0.7", "wirelessSsid=office", "boardHostname=board-7"};
    QTest::newRow("29 no blocks")
        << networkInfo(fullNetwork("no", "no"))
        << QStringList{"wiredEnabled=no", "wiredMethod=old-method", "ipAddress=old-ip", "wirelessEnabled=no",
                       "wirelessSsid=old-ssid", "boardHostname=board-7", "cell:colIpAddress=old-ip",
                       "cell:colBoardHostname=board-7"};
    QTest::newRow("29 wireless only")
        << networkInfo(fullNetwork("off", "yes"))
        << QStringList{"ipAddress=old-ip", "wirelessIp=10.1.0.7", "boardHostname=board-7"};
    QTest::newRow("34 keyboard")
        << keyboardInfo("pc105", "no", "nodeadkeys", "caps:none")
        << QStringList{"keyboardModel=pc105", "keyboardLayout=no", "keyboardVariant=nodeadkeys",
                       "keyboardOption=caps:none"};
    QTest::newRow("36 on") << firewallStatus(true) << QStringList{"firewallEnabled=Yes"};
    QTest::newRow("36 off") << firewallStatus(false) << QStringList{"firewallEnabled=No"};
    QTest::newRow("36 byte 2") << QByteArray::fromHex("2400000102") << QStringList{"firewallEnabled=No"};
    QTest::newRow("37 pxe server")
        << pxeInfo(true, true, true, "10.0.0.100", "10.0.0.200")
        << QStringList{"powerSaveEnabled=Yes", "pxeServerEnabled=Yes", "pxeOnly=Yes", "dhcpStart=10.0.0.100",
                       "dhcpEnd=10.0.0.200"};
    QTest::newRow("37 pxe server, not only")
        << pxeInfo(false, true, false, "a", "b")
        << QStringList{"powerSaveEnabled=No", "pxeServerEnabled=Yes", "pxeOnly=No", "dhcpStart=a", "dhcpEnd=b"};
    QTest::newRow("37 no pxe server keeps the range")
        << pxeInfo(true, false)
        << QStringList{"powerSaveEnabled=Yes", "pxeServerEnabled=No", "pxeOnly=old-pxeonly",
                       "dhcpStart=old-start", "dhcpEnd=old-end"};
    QTest::newRow("37 range cut short")
        << QByteArray::fromHex("25000006" "000101" "000361")
        << QStringList{"pxeServerEnabled=Yes", "pxeOnly=Yes", "dhcpStart=a", "dhcpEnd="};
    QTest::newRow("unknown type 12") << QByteArray::fromHex("0c000000") << QStringList{"deviceName=desk-1"};
    // A device's texts are kept to 1,024 bytes, however long it sends them.
    const QString huge(40000, QLatin1Char('x'));
    const QString kept(1024, QLatin1Char('x'));
    QTest::newRow("6 name of 40 KB") << deviceName(huge) << QStringList{"deviceName=" + kept, "cell:#0=" + kept};
    QTest::newRow("7 status of 40 KB") << status(0, huge) << QStringList{"cell:#1=" + kept};
    QTest::newRow("4 timezone of 40 KB, then the time server")
        << timezoneInfo(huge, "ntp") << QStringList{"timezone=" + kept, "timeServer=ntp"};
}

void TestStatusHandlers::reports()
{
    QFETCH(QByteArray, frame);
    QFETCH(QStringList, expected);
    prefill(f->record);
    f->send(frame);

    for (const QString &e : expected) {
        const int eq = int(e.indexOf(QLatin1Char('=')));
        const QString name = e.left(eq);
        const QString value = e.mid(eq + 1);
        if (name.startsWith(QLatin1String("cell:"))) {
            const QString key = name.mid(5);
            const int column = key.startsWith(QLatin1Char('#')) ? key.mid(1).toInt()
                                                                : f->modelColumnOf(key.toLatin1().constData());
            QCOMPARE(f->cellText(column), value);
        } else {
            QCOMPARE(field(f->record, name), value);
        }
    }
    QVERIFY(f->takeWrites().isEmpty());   // no status message is answered
}

void TestStatusHandlers::statusColours()
{
    QStandardItem *statusCell = f->cell(1);
    f->send(status(1, "Upgrading"));
    QCOMPARE(statusCell->text(), QStringLiteral("Upgrading"));
    QCOMPARE(statusCell->foreground().color(), QColor(255, 0, 0));

    f->send(status(5, "Still going"));
    QCOMPARE(statusCell->text(), QStringLiteral("Still going"));
    QCOMPARE(statusCell->foreground().color(), QColor(255, 0, 0));
    f->send(status(2, "Rebooting"));
    QCOMPARE(statusCell->foreground().color(), QColor(0, 0, 255));
    f->send(status(0, "Ready"));
    QCOMPARE(statusCell->foreground().color(), QColor(0, 0, 0));
    QCOMPARE(statusCell->text(), QStringLiteral("Ready"));
    QCOMPARE(f->cellText(0), QStringLiteral("cell0"));
    QCOMPARE(f->cellText(2), QStringLiteral("cell2"));

    // A device without a row only updates what it can: nothing, here.
    QStandardItem *item = f->record->item;
    f->record->item = nullptr;
    f->send(status(1, "No row"));
    f->record->item = item;
    QCOMPARE(statusCell->text(), QStringLiteral("Ready"));
}

// However many of its cells a pass changes, the view hears of the row once,
// after one pass of the event loop: the span of the cells that changed.
void TestStatusHandlers::rowRepaintedOnce_data()
{
    QTest::addColumn<QByteArrayList>("frames");
    QTest::addColumn<bool>("removeRow");
    QTest::addColumn<int>("updates");
    QTest::addColumn<int>("firstColumn");
    QTest::addColumn<int>("lastColumn");
    QTest::newRow("status: colour and text") << QByteArrayList{status(1, "Upgrading")} << false << 1 << 1 << 1;
    QTest::newRow("offline greys every cell") << QByteArrayList{deviceOffline()} << false << 1 << 0
                                              << HandlerFixture::RowColumns - 1;
    QTest::newRow("name, firmware, status")
        << QByteArrayList{deviceName("n"), firmwareVersion("2.0"), status(0, "Ready")} << false << 1 << 0 << 4;
    QTest::newRow("row removed before the pass") << QByteArrayList{status(1, "Upgrading")} << true << 0 << 0 << 0;
}

void TestStatusHandlers::rowRepaintedOnce()
{
    QFETCH(QByteArrayList, frames);
    QFETCH(bool, removeRow);
    QFETCH(int, updates);
    QFETCH(int, firstColumn);
    QFETCH(int, lastColumn);
    QSignalSpy changed(&f->model, &QStandardItemModel::dataChanged);
    for (const QByteArray &frame : frames)
        f->send(frame);
    if (removeRow) {
        f->model.removeRow(0);
        f->record->item = nullptr;
    }
    QCoreApplication::processEvents();
    QCOMPARE(changed.size(), updates);
    for (const QList<QVariant> &range : std::as_const(changed)) {
        QCOMPARE(range.at(0).toModelIndex(), f->cell(firstColumn)->index());
        QCOMPARE(range.at(1).toModelIndex(), f->cell(lastColumn)->index());
    }
}

void TestStatusHandlers::offlineGreysTheRow()
{
    f->send(deviceOffline());
    QCOMPARE(f->record->online, false);
    QCOMPARE(f->record->socket, f->socket);
    for (int column = 0; column < HandlerFixture::RowColumns; ++column)
        QVERIFY2(!f->cell(column)->isEnabled(), qPrintable(QString::number(column)));
    // Later reports still reach the record of an offline device.
    f->send(deviceName("after"));
    QCOMPARE(f->record->deviceName, QStringLiteral("after"));
}

void TestStatusHandlers::movedAndHiddenColumns()
{
    f->settings.setValue("colFirmwareVersion", -1);
    f->send(firmwareVersion("hidden"));
    QCOMPARE(f->record->firmwareVersion, QStringLiteral("hidden"));
    for (int column = 0; column < HandlerFixture::RowColumns; ++column)
        QCOMPARE(f->cellText(column), QStringLiteral("cell%1").arg(column));

    f->settings.setValue("colFirmwareVersion", 9);
    f->send(firmwareVersion("moved"));
    QCOMPARE(f->cellText(11), QStringLiteral("moved"));

    // A position beyond the row's cells (a layout change under way) writes nothing.
    f->settings.setValue("colTimezone", 40);
    f->settings.setValue("colTimeServerIp", 0);
    f->send(timezoneInfo("UTC", "ntp"));
    QCOMPARE(f->cellText(2), QStringLiteral("ntp"));
    QCOMPARE(f->model.item(0)->columnCount(), HandlerFixture::RowColumns);

    f->settings.setValue("colProtocolType", -1);
    f->settings.setValue("colRemoteServer", 1);
    f->send(protocolAndServer("rdp", "host", false, false));
    QCOMPARE(f->cellText(3), QStringLiteral("HOST"));
}

void TestStatusHandlers::protocolHelp_data()
{
    QTest::addColumn<QByteArray>("frame");
    QTest::addColumn<QString>("text");
    const QString big = QString(20000, QLatin1Char('h'));
    const QString biggest = QString(65534, QLatin1Char('z'));
    QTest::newRow("short") << StatusMessages::protocolHelp("rdp options") << "rdp options";
    QTest::newRow("20,000 bytes") << StatusMessages::protocolHelp(big) << big;
    QTest::newRow("largest frame") << StatusMessages::protocolHelp(biggest) << biggest;
    QTest::newRow("stops at NUL") << WireWriter(33, 0).raw(QByteArray("ab\0cd", 5)).finish() << "ab";
    QTest::newRow("no NUL") << WireWriter(33, 0).raw("abc").finish() << "abc";
    QTest::newRow("empty") << QByteArray::fromHex("21000000") << "";
}

void TestStatusHandlers::protocolHelp()
{
    QFETCH(QByteArray, frame);
    QFETCH(QString, text);
    QSignalSpy spy(f->server, &SSLServer::onGetRemProtoHelp);
    f->send(frame);
    QCOMPARE(spy.size(), 1);
    QCOMPARE(spy.at(0).at(0).toString(), text);
}

void TestStatusHandlers::usbDevices_data()
{
    QTest::addColumn<QByteArray>("frame");
    QTest::addColumn<QStringList>("list");
    const QStringList two{"1d6b:0002 hub", "046d:c31c keyboard"};
    QTest::newRow("two") << StatusMessages::usbDevices(two) << two;
    QTest::newRow("none") << StatusMessages::usbDevices({}) << QStringList();
    QTest::newRow("negative count") << StatusMessages::usbDevices(two, 0xFF) << QStringList();
    QTest::newRow("count 0 with strings") << StatusMessages::usbDevices(two, 0) << QStringList();
    QTest::newRow("count beyond strings") << StatusMessages::usbDevices(two, 9) << two;
    QTest::newRow("count below strings") << StatusMessages::usbDevices(two, 1) << QStringList{two.first()};
    QTest::newRow("no count byte") << QByteArray::fromHex("2b000000") << QStringList();
    QTest::newRow("last string cut")
        << spoil(StatusMessages::usbDevices({"abc", "defg"}), Fault::TruncatedString)
        << QStringList{"abc", "defg"};
}

void TestStatusHandlers::usbDevices()
{
    QFETCH(QByteArray, frame);
    QFETCH(QStringList, list);
    QSignalSpy spy(f->server, &SSLServer::onEnumerateUsb);
    f->send(frame);
    QCOMPARE(spy.size(), 1);
    QCOMPARE(spy.at(0).at(0).value<ThinclientInfo *>(), f->record);
    QCOMPARE(spy.at(0).at(1).toStringList(), list);
}

void TestStatusHandlers::notFromPendingOrUnknown_data()
{
    QTest::addColumn<QByteArray>("frame");
    QTest::newRow("3") << firmwareVersion("x");
    QTest::newRow("4") << timezoneInfo("x", "y");
    QTest::newRow("6") << deviceName("x");
    QTest::newRow("7") << status(1, "x");
    QTest::newRow("8") << remoteServer("x", true, true);
    QTest::newRow("17") << deviceOffline();
    QTest::newRow("18") << protocolType("x");
    QTest::newRow("18/1") << protocolAndServer("x", "y", true, true);
    QTest::newRow("29") << networkInfo(fullNetwork("yes", "yes"));
    QTest::newRow("33") << StatusMessages::protocolHelp("x");
    QTest::newRow("34") << keyboardInfo("a", "b", "c", "d");
    QTest::newRow("36") << firewallStatus(true);
    QTest::newRow("37") << pxeInfo(true, true, true, "a", "b");
    QTest::newRow("43") << StatusMessages::usbDevices({"x"});
}

void TestStatusHandlers::notFromPendingOrUnknown()
{
    QFETCH(QByteArray, frame);
    QSignalSpy help(f->server, &SSLServer::onGetRemProtoHelp);
    QSignalSpy usb(f->server, &SSLServer::onEnumerateUsb);
    ThinclientInfo before;
    f->pendingRecord->online = true;
    f->sendFrom(f->pendingSocket, frame);
    f->sendFrom(f->strangerSocket, frame);

    const ThinclientInfo *p = f->pendingRecord;
    QVERIFY(p->online);
    QCOMPARE(p->firmwareVersion, before.firmwareVersion);
    QCOMPARE(p->deviceName, before.deviceName);
    QCOMPARE(p->timezone, before.timezone);
    QCOMPARE(p->remoteServer, before.remoteServer);
    QCOMPARE(p->protocolType, before.protocolType);
    QCOMPARE(p->dns1, before.dns1);
    QCOMPARE(p->keyboardModel, before.keyboardModel);
    QCOMPARE(p->firewallEnabled, before.firewallEnabled);
    QCOMPARE(p->pxeServerEnabled, before.pxeServerEnabled);
    QCOMPARE(p->autoLogin, false);
    QCOMPARE(help.size(), 0);
    QCOMPARE(usb.size(), 0);
    QVERIFY(f->takeWrites(f->pendingSocket).isEmpty());
}

// Broken frames handed in raw: exact-length messages are dropped whole,
// "at least" and "none" messages are read from their own bytes only (every
// frame sits in a buffer of its exact size, so a read past it would fault).
void TestStatusHandlers::brokenFrames_data()
{
    QTest::addColumn<QByteArray>("frame");
    QTest::addColumn<QStringList>("expected");

    const QStringList untouched{"firmwareVersion=old-fw", "deviceName=desk-1", "remoteServer=old-server",
                                "cell:#0=cell0", "cell:#1=cell1"};
    QTest::newRow("too short for a header") << QByteArray::fromHex("110000") << QStringList{"online=true"};
    QTest::newRow("3 short") << spoil(firmwareVersion("new"), Fault::Short) << untouched;
    QTest::newRow("3 long") << spoil(firmwareVersion("new"), Fault::Long) << untouched;
    QTest::newRow("3 without NUL") << spoil(firmwareVersion("new"), Fault::TruncatedString)
                                   << QStringList{"firmwareVersion=new"};
    QTest::newRow("6 short") << spoil(deviceName("new"), Fault::Short) << untouched;
    QTest::newRow("6 long") << spoil(deviceName("new"), Fault::Long) << untouched;
    QTest::newRow("6 without NUL") << spoil(deviceName("newname"), Fault::TruncatedString)
                                   << QStringList{"deviceName=newname"};
    QTest::newRow("6 count past the end") << QByteArray::fromHex("06000004" "ffff6162")
                                          << QStringList{"deviceName=ab"};
    QTest::newRow("6 count field cut") << QByteArray::fromHex("06000001" "00") << QStringList{"deviceName="};
    QTest::newRow("7 long") << spoil(status(1, "new"), Fault::Long) << untouched;
    QTest::newRow("8 short") << spoil(remoteServer("new", false, false), Fault::Short) << untouched;
    QTest::newRow("8 without switches")
        << WireWriter(8, 0).wireString("srv").finish()
        << QStringList{"remoteServer=srv", "autoReconnect=false", "autoLogin=false"};
    QTest::newRow("43 short") << spoil(StatusMessages::usbDevices({"a"}), Fault::Short) << untouched;
    QTest::newRow("33 short") << spoil(StatusMessages::protocolHelp("help"), Fault::Short) << untouched;
    QTest::newRow("two frames together, exact") << firmwareVersion("a") + firmwareVersion("b") << untouched;
    QTest::newRow("29 short") << spoil(networkInfo(fullNetwork("yes", "yes")), Fault::Short)
                              << QStringList{"dns1=", "ipAddress=old-ip", "boardHostname="};
    QTest::newRow("29 cut after the wired switch")
        << WireWriter(29, 0).wireString("d1").wireString("d2").wireString("dom").wireString("yes").finish()
        << QStringList{"dns1=d1", "wiredEnabled=yes", "ipAddress=", "wirelessEnabled=", "boardHostname="};
    QTest::newRow("29 long: first frame only")
        << networkInfo(fullNetwork("no", "no")) + deviceName("second")
        << QStringList{"boardHostname=board-7", "deviceName=desk-1"};
    // The header counts three strings; the fourth follows outside the frame.
    QByteArray keyboard = keyboardInfo("m", "l", "v", "o");
    keyboard[3] = 12;
    QTest::newRow("34 long: own bytes only")
        << keyboard << QStringList{"keyboardModel=m", "keyboardVariant=v", "keyboardOption="};
    QTest::newRow("34 short") << spoil(keyboardInfo("m", "l", "v", "o"), Fault::Short)
                              << QStringList{"keyboardModel=old-model"};
    QTest::newRow("4 short: read what is there")
        << spoil(timezoneInfo("Europe/Oslo", "ntp"), Fault::Short)
        << QStringList{"timezone=Europe/Oslo", "timeServer=ntp"};
    QTest::newRow("4 long: first frame only")
        << WireWriter(4, 0).wireString("UTC").finish() + QByteArray::fromHex("0003414200")
        << QStringList{"timezone=UTC", "timeServer="};
    QTest::newRow("36 empty") << QByteArray::fromHex("24000000") << QStringList{"firewallEnabled=No"};
    QTest::newRow("37 pxe fields missing")
        << QByteArray::fromHex("25000002" "0101")
        << QStringList{"powerSaveEnabled=Yes", "pxeServerEnabled=Yes", "pxeOnly=No", "dhcpStart=", "dhcpEnd="};
    QTest::newRow("18 long: first frame only")
        << protocolType("rdp") + deviceName("x")
        << QStringList{"protocolType=rdp", "deviceName=desk-1"};
}

void TestStatusHandlers::brokenFrames()
{
    QFETCH(QByteArray, frame);
    QFETCH(QStringList, expected);
    prefill(f->record);
    f->record->keyboardModel = "old-model";
    f->send(frame);
    for (const QString &e : expected) {
        const int eq = int(e.indexOf(QLatin1Char('=')));
        const QString name = e.left(eq);
        const QString value = e.mid(eq + 1);
        if (name.startsWith(QLatin1String("cell:#")))
            QCOMPARE(f->cellText(name.mid(6).toInt()), value);
        else
            QCOMPARE(field(f->record, name), value);
    }
}

QTEST_MAIN(TestStatusHandlers)
#include "tst_statushandlers.moc"
