// What devices report about themselves: dispatch, length rules, record
// fields, row cells and the two signals, without a network.
#include "handlerfixture.h"
#include "devicemessages.h"
#include "statusmessages.h"

#include "devicelink/columns.h"
#include "devicelink/devicerow.h"
#include "devicelink/wire.h"

#include <QRandomGenerator>
#include <QSignalSpy>
#include <QtTest>

#include <climits>

using namespace StatusMessages;

namespace {

// Record fields by name, so that a data row can say what it expects.
#define TEXT(name) {#name, &ThinclientInfo::name}
const QMap<QString, QString ThinclientInfo::*> &textFields()
{
    static const QMap<QString, QString ThinclientInfo::*> texts = {
        TEXT(firmwareVersion), TEXT(timezone), TEXT(timeServer), TEXT(deviceName), TEXT(remoteServer),
        TEXT(protocolType), TEXT(dns1), TEXT(dns2), TEXT(domainSearchPath), TEXT(wiredEnabled), TEXT(wiredMethod),
        TEXT(ipAddress), TEXT(wiredNetmask), TEXT(wiredGateway), TEXT(wirelessEnabled), TEXT(wirelessMethod),
        TEXT(wirelessIp), TEXT(wirelessNetmask), TEXT(wirelessGateway), TEXT(wirelessSsid), TEXT(wirelessSecurity),
        TEXT(boardHostname), TEXT(keyboardModel), TEXT(keyboardLayout), TEXT(keyboardVariant), TEXT(keyboardOption),
        TEXT(firewallEnabled), TEXT(powerSaveEnabled), TEXT(pxeServerEnabled), TEXT(pxeOnly), TEXT(dhcpStart),
        TEXT(dhcpEnd),
    };
    return texts;
}
#undef TEXT

QString field(const ThinclientInfo *r, const QString &name)
{
    const QMap<QString, bool> switches{{"autoReconnect", r->autoReconnect}, {"autoLogin", r->autoLogin},
                                       {"online", r->online}};
    if (switches.contains(name))
        return switches.value(name) ? "true" : "false";
    const auto it = textFields().find(name);
    return it == textFields().end() ? QStringLiteral("<no such field %1>").arg(name) : r->*it.value();
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
    r->keyboardModel = "old-model";
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
    return Network{"10.0.0.53", "10.0.0.54", "corp.example", wired, "static", "10.0.0.7", "255.255.255.0", "10.0.0.1",
                   wireless, "dhcp", "10.1.0.7", "255.255.0.0", "10.1.0.1", "office", "wpa2", "ignored", "board-7"};
}

} // namespace

class TestStatusHandlers : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { qRegisterMetaType<ThinclientInfo *>(); }
    void init() { f = new HandlerFixture; }
    void cleanup() { delete f; f = nullptr; }

    void reports_data();
    void reports();
    void statusColours();
    void rowRepaintedOnce_data();
    void rowRepaintedOnce();
    void offlineGreysTheRow();
    void movedAndHiddenColumns();
    void positionsOutsideTheRow_data();
    void positionsOutsideTheRow();
    void signalled_data();
    void signalled();
    void notFromPendingOrUnknown_data();
    void notFromPendingOrUnknown();
    void reportsSpreadOverPasses();
    void burstShowsItsLastValues();
    void replacedReports_data();
    void replacedReports();
    void burstSeenAsSent_data();
    void burstSeenAsSent();

private:
    HandlerFixture *f = nullptr;
};

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
    QTest::newRow("34 keyboard")
        << keyboardInfo("pc105", "no", "nodeadkeys", "caps:none")
        << QStringList{"keyboardModel=pc105", "keyboardLayout=no", "keyboardVariant=nodeadkeys",
                       "keyboardOption=caps:none"};
    QTest::newRow("36 on") << firewallStatus(true) << QStringList{"firewallEnabled=Yes"};
    QTest::newRow("36 byte 2") << QByteArray::fromHex("2400000102") << QStringList{"firewallEnabled=No"};
    QTest::newRow("37 pxe server")
        << pxeInfo(true, true, true, "10.0.0.100", "10.0.0.200")
        << QStringList{"powerSaveEnabled=Yes", "pxeServerEnabled=Yes", "pxeOnly=Yes", "dhcpStart=10.0.0.100",
                       "dhcpEnd=10.0.0.200"};
    QTest::newRow("37 no pxe server keeps the range")
        << pxeInfo(true, false)
        << QStringList{"powerSaveEnabled=Yes", "pxeServerEnabled=No", "pxeOnly=old-pxeonly",
                       "dhcpStart=old-start", "dhcpEnd=old-end"};
    QTest::newRow("unknown type 12") << QByteArray::fromHex("0c000000") << QStringList{"deviceName=desk-1"};
    // A device's texts are kept to 1,024 bytes, however long it sends them.
    const QString huge(40000, QLatin1Char('x'));
    const QString kept(1024, QLatin1Char('x'));
    QTest::newRow("6 name of 40 KB") << deviceName(huge) << QStringList{"deviceName=" + kept, "cell:#0=" + kept};
    QTest::newRow("4 timezone of 40 KB, then the time server")
        << timezoneInfo(huge, "ntp") << QStringList{"timezone=" + kept, "timeServer=ntp"};
    QTest::newRow("3 firmware of 40 KB without NUL")
        << spoil(firmwareVersion(huge), Fault::TruncatedString) << QStringList{"firmwareVersion=" + kept};

    // Broken frames handed in raw: exact-length messages are dropped whole,
    // "at least" and "none" messages are read from their own bytes only (every
    // frame sits in a buffer of its exact size, so a read past it would fault).
    const QStringList untouched{"firmwareVersion=old-fw", "deviceName=desk-1", "remoteServer=old-server",
                                "cell:#0=cell0", "cell:#1=cell1"};
    QTest::newRow("too short for a header") << QByteArray::fromHex("110000") << QStringList{"online=true"};
    QTest::newRow("3 short") << spoil(firmwareVersion("new"), Fault::Short) << untouched;
    QTest::newRow("3 long") << spoil(firmwareVersion("new"), Fault::Long) << untouched;
    QTest::newRow("3 without NUL") << spoil(firmwareVersion("new"), Fault::TruncatedString)
                                   << QStringList{"firmwareVersion=new"};
    QTest::newRow("6 count past the end") << QByteArray::fromHex("06000004" "ffff6162")
                                          << QStringList{"deviceName=ab"};
    QTest::newRow("6 count field cut") << QByteArray::fromHex("06000001" "00") << QStringList{"deviceName="};
    QTest::newRow("8 without switches")
        << WireWriter(8, 0).wireString("srv").finish()
        << QStringList{"remoteServer=srv", "autoReconnect=false", "autoLogin=false"};
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

// However many of its cells a pass changes, the view hears of the row once
// per run of neighbouring changed cells, after one pass of the event loop.
void TestStatusHandlers::rowRepaintedOnce_data()
{
    QTest::addColumn<QByteArrayList>("frames");
    QTest::addColumn<bool>("removeRow");
    QTest::addColumn<QList<QPoint>>("runs");   // first and last column of each
    QTest::newRow("status: colour and text") << QByteArrayList{status(1, "Upgrading")} << false
                                             << QList<QPoint>{{1, 1}};
    QTest::newRow("offline greys every cell") << QByteArrayList{deviceOffline()} << false
                                              << QList<QPoint>{{0, HandlerFixture::RowColumns - 1}};
    QTest::newRow("name, firmware, status")
        << QByteArrayList{deviceName("n"), firmwareVersion("2.0"), status(0, "Ready")} << false
        << QList<QPoint>{{0, 1}, {4, 4}};
    QTest::newRow("row removed before the pass") << QByteArrayList{status(1, "Upgrading")} << true << QList<QPoint>{};
    // The fixture's cells read "cell<column>"; sub-code 3 keeps the colour.
    QTest::newRow("values the cells hold") << QByteArrayList{deviceName("cell0"), firmwareVersion("cell4"),
                                                             status(3, "cell1")}
                                           << false << QList<QPoint>{};
    QTest::newRow("one value new") << QByteArrayList{deviceName("cell0"), firmwareVersion("2.0")} << false
                                   << QList<QPoint>{{4, 4}};
}

void TestStatusHandlers::rowRepaintedOnce()
{
    QFETCH(QByteArrayList, frames);
    QFETCH(bool, removeRow);
    QFETCH(QList<QPoint>, runs);
    QSignalSpy changed(&f->model, &QStandardItemModel::dataChanged);
    for (const QByteArray &frame : frames)
        f->send(frame);
    if (removeRow) {
        f->model.removeRow(0);
        f->record->item = nullptr;
    }
    QCoreApplication::processEvents();
    QCOMPARE(changed.size(), runs.size());
    for (int i = 0; i < runs.size(); ++i) {
        QCOMPARE(changed.at(i).at(0).toModelIndex(), f->cell(runs.at(i).x())->index());
        QCOMPARE(changed.at(i).at(1).toModelIndex(), f->cell(runs.at(i).y())->index());
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
    Columns::renewLayout(&f->settings);
    f->send(firmwareVersion("hidden"));
    QCOMPARE(f->record->firmwareVersion, QStringLiteral("hidden"));
    for (int column = 0; column < HandlerFixture::RowColumns; ++column)
        QCOMPARE(f->cellText(column), QStringLiteral("cell%1").arg(column));

    f->settings.setValue("colFirmwareVersion", 9);
    Columns::renewLayout(&f->settings);
    f->send(firmwareVersion("moved"));
    QCOMPARE(f->cellText(11), QStringLiteral("moved"));

    // A position beyond the row's cells (a layout change under way) writes nothing.
    f->settings.setValue("colTimezone", 40);
    f->settings.setValue("colTimeServerIp", 0);
    Columns::renewLayout(&f->settings);
    f->send(timezoneInfo("UTC", "ntp"));
    QCOMPARE(f->cellText(2), QStringLiteral("ntp"));
    QCOMPARE(f->model.item(0)->columnCount(), HandlerFixture::RowColumns);

    f->settings.setValue("colProtocolType", -1);
    f->settings.setValue("colRemoteServer", 1);
    Columns::renewLayout(&f->settings);
    f->send(protocolAndServer("rdp", "host", false, false));
    QCOMPARE(f->cellText(3), QStringLiteral("HOST"));
}

// A hand-edited store may hold any number as a position: one the row has no
// cell for writes nothing, least of all over the name or status cell.
void TestStatusHandlers::positionsOutsideTheRow_data()
{
    QTest::addColumn<QVariant>("position");
    QTest::newRow("-2") << QVariant(-2);
    QTest::newRow("-3") << QVariant(-3);
    QTest::newRow("lowest int") << QVariant(INT_MIN);
    QTest::newRow("highest int") << QVariant(INT_MAX);
    QTest::newRow("one below the highest") << QVariant(INT_MAX - 1);
    // A report's writes are held for the first 32 model columns and stored
    // when it ends; positions either side of that bound write nothing.
    QTest::newRow("last held cell") << QVariant(29);
    QTest::newRow("first cell past the held") << QVariant(30);
}

void TestStatusHandlers::positionsOutsideTheRow()
{
    QFETCH(QVariant, position);
    f->settings.setValue("colFirmwareVersion", position);
    Columns::renewLayout(&f->settings);
    {
        // As reports arrive: the row takes their values when the burst ends.
        const DeviceRow::Batch burst;
        f->send(firmwareVersion("9.9"));
    }
    QCOMPARE(f->record->firmwareVersion, QStringLiteral("9.9"));
    for (int column = 0; column < HandlerFixture::RowColumns; ++column)
        QCOMPARE(f->cellText(column), QStringLiteral("cell%1").arg(column));
}

// Protocol help and USB lists go on to the window as signals.
void TestStatusHandlers::signalled_data()
{
    QTest::addColumn<QByteArray>("frame");
    QTest::addColumn<QVariant>("expected");   // help text, or USB list
    const QString biggest = QString(65534, QLatin1Char('z'));
    QTest::newRow("help") << StatusMessages::protocolHelp("rdp options") << QVariant("rdp options");
    QTest::newRow("help, largest frame") << StatusMessages::protocolHelp(biggest) << QVariant(biggest);
    QTest::newRow("help stops at NUL") << WireWriter(33, 0).raw(QByteArray("ab\0cd", 5)).finish() << QVariant("ab");
    QTest::newRow("help without NUL") << WireWriter(33, 0).raw("abc").finish() << QVariant("abc");
    QTest::newRow("help, empty") << QByteArray::fromHex("21000000") << QVariant("");
    const QStringList two{"1d6b:0002 hub", "046d:c31c keyboard"};
    QTest::newRow("usb, two") << StatusMessages::usbDevices(two) << QVariant(two);
    QTest::newRow("usb, negative count") << StatusMessages::usbDevices(two, 0xFF) << QVariant(QStringList());
    QTest::newRow("usb, count 0 with strings") << StatusMessages::usbDevices(two, 0) << QVariant(QStringList());
    QTest::newRow("usb, count beyond strings") << StatusMessages::usbDevices(two, 9) << QVariant(two);
    QTest::newRow("usb, count below strings") << StatusMessages::usbDevices(two, 1) << QVariant(QStringList{two.first()});
    QTest::newRow("usb, no count byte") << QByteArray::fromHex("2b000000") << QVariant(QStringList());
    QTest::newRow("usb, last string cut") << spoil(StatusMessages::usbDevices({"abc", "defg"}), Fault::TruncatedString)
                                          << QVariant(QStringList{"abc", "defg"});
}

void TestStatusHandlers::signalled()
{
    QFETCH(QByteArray, frame);
    QFETCH(QVariant, expected);
    QSignalSpy help(f->server, &SSLServer::onGetRemProtoHelp);
    QSignalSpy usb(f->server, &SSLServer::onEnumerateUsb);
    f->send(frame);
    const bool isHelp = expected.typeId() == QMetaType::QString;
    QCOMPARE(help.size(), isHelp ? 1 : 0);
    QCOMPARE(usb.size(), isHelp ? 0 : 1);
    const QList<QVariant> args = isHelp ? help.first() : usb.first();
    QCOMPARE(args.last(), expected);
    if (!isHelp)
        QCOMPARE(args.first().value<ThinclientInfo *>(), f->record);
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
    for (QString ThinclientInfo::*text : textFields())
        QCOMPARE(p->*text, before.*text);
    QCOMPARE(p->autoLogin, false);
    QCOMPARE(help.size(), 0);
    QCOMPARE(usb.size(), 0);
    QVERIFY(f->takeWrites(f->pendingSocket).isEmpty());
}

// A pass of the event loop takes a bounded number of frames from all
// devices; the rest follow in later passes, every device's in the order it
// sent them, and a device that sent many does not keep the others waiting.
void TestStatusHandlers::reportsSpreadOverPasses()
{
    QSslSocket other;
    ThinclientInfo otherRecord;
    otherRecord.socket = &other;
    otherRecord.online = true;
    f->devices.insert(&other, &otherRecord);
    const QByteArray handshake = DeviceMessages::handshakeLine(DeviceMessages::handshakeFields("00:11:22:33:44:55")) + '\n';
    for (QSslSocket *s : {f->socket, &other}) {
        f->server->track(s);
        f->server->receive(s, handshake);
    }
    f->server->setFramesPerPass(4);
    QSignalSpy usb(f->server, &SSLServer::onEnumerateUsb);

    QStringList sent, otherSent;
    QByteArray bytes, otherBytes;
    for (int i = 0; i < 10; ++i) {
        sent << QStringLiteral("a%1").arg(i);
        otherSent << QStringLiteral("b%1").arg(i);
        bytes += usbDevices({sent.last()});
        otherBytes += usbDevices({otherSent.last()});
    }
    f->server->receive(f->socket, bytes);
    f->server->receive(&other, otherBytes);
    QCOMPARE(usb.size(), 4);
    QTRY_COMPARE(usb.size(), 20);

    QStringList got, otherGot, order;
    for (const QList<QVariant> &report : std::as_const(usb)) {
        const QString text = report.at(1).toStringList().value(0);
        (report.at(0).value<ThinclientInfo *>() == f->record ? got : otherGot) << text;
        order << text;
    }
    QCOMPARE(got, sent);
    QCOMPARE(otherGot, otherSent);
    QVERIFY(order.indexOf(otherSent.first()) < order.indexOf(sent.last()));

    for (QSslSocket *s : {f->socket, &other})
        f->server->forget(s);
    f->devices.remove(&other);
}

// A burst read in one go leaves the row with its last values; code that a
// report's signal runs in the middle of it reads the values sent before.
void TestStatusHandlers::burstShowsItsLastValues()
{
    const QByteArray handshake = DeviceMessages::handshakeLine(DeviceMessages::handshakeFields("00:11:22:33:44:55")) + '\n';
    f->server->track(f->socket);
    f->server->receive(f->socket, handshake);
    QStringList seen;
    connect(f->server, &SSLServer::onEnumerateUsb, this, [&] {
        seen << f->cellText(0) << f->cellText(1) << f->cell(1)->foreground().color().name()
             << QString::number(f->cell(3)->isEnabled());
    });
    QSignalSpy changed(&f->model, &QStandardItemModel::dataChanged);

    QByteArray burst = deviceName("n1") + status(1, "s1") + deviceOffline() + usbDevices({"u"});
    for (int i = 0; i < 50; ++i)
        burst += deviceName(QStringLiteral("n%1").arg(i)) + status(quint8(i % 3), QStringLiteral("s%1").arg(i));
    burst += firmwareVersion("fw") + status(2, "last") + deviceName("done");
    f->server->receive(f->socket, burst);

    QCOMPARE(seen, (QStringList{"n1", "s1", "#ff0000", "0"}));
    QCOMPARE(f->cellText(0), QStringLiteral("done"));
    QCOMPARE(f->cellText(1), QStringLiteral("last"));
    QCOMPARE(f->cell(1)->foreground().color(), QColor(0, 0, 255));
    QCOMPARE(f->cellText(f->modelColumnOf("colFirmwareVersion")), QStringLiteral("fw"));
    for (int column = 0; column < HandlerFixture::RowColumns; ++column)
        QVERIFY2(!f->cell(column)->isEnabled(), qPrintable(QString::number(column)));

    QCoreApplication::processEvents();
    QCOMPARE(changed.size(), 1);
    QCOMPARE(changed.first().at(0).toModelIndex(), f->cell(0)->index());
    QCOMPARE(changed.first().at(1).toModelIndex(), f->cell(HandlerFixture::RowColumns - 1)->index());
    f->server->forget(f->socket);
}

// Which reports of a run the later ones leave nothing of; "r" marks one.
void TestStatusHandlers::replacedReports_data()
{
    QTest::addColumn<QByteArrayList>("frames");
    QTest::addColumn<QString>("marks");
    const QByteArray name = deviceName("n"), firmware = firmwareVersion("f"), usb = usbDevices({"u"});
    QByteArray shortName = name;
    shortName.chop(1);
    QTest::newRow("name, name") << QByteArrayList{name, name} << "r.";
    QTest::newRow("the other reports between") << QByteArrayList{name, status(1, "s"), firmware, name, firmware}
                                               << "r.r..";
    QTest::newRow("type with bit 7") << QByteArrayList{name, withType(name, 0x86)} << "r.";
    QTest::newRow("another message ends the run") << QByteArrayList{name, usb, name} << "...";
    QTest::newRow("time zone is never replaced") << QByteArrayList{timezoneInfo("a", "b"), timezoneInfo("c", "d")}
                                                 << "..";
    QTest::newRow("a frame cut short") << QByteArrayList{name, shortName} << "..";
    // Sub-codes 0 to 2 set the colour; any other keeps it.
    QTest::newRow("colour kept by the next") << QByteArrayList{status(1, "a"), status(3, "b")} << "..";
    QTest::newRow("colour set later") << QByteArrayList{status(1, "a"), status(3, "b"), status(0, "c")} << "rr.";
    QTest::newRow("no colour, replaced") << QByteArrayList{status(4, "a"), status(3, "b")} << "r.";
}

void TestStatusHandlers::replacedReports()
{
    QFETCH(QByteArrayList, frames);
    QFETCH(QString, marks);
    QList<QByteArrayView> views(frames.begin(), frames.end());
    QList<bool> replaced(views.size(), true);
    SSLServer::markReplaced(views.constData(), int(views.size()), replaced.data());
    QString got;
    for (bool r : std::as_const(replaced))
        got += r ? QLatin1Char('r') : QLatin1Char('.');
    QCOMPARE(got, marks);
}

// Reports passed over in a burst are never missed: whenever the event loop
// runs, the row and record show what handling the frames one by one up to
// some point would have shown, and at the end what handling them all does.
void TestStatusHandlers::burstSeenAsSent_data()
{
    QTest::addColumn<quint32>("seed");
    QTest::addColumn<int>("framesPerPass");
    QTest::newRow("one pass") << 1u << 1000;
    QTest::newRow("passes of 5") << 2u << 5;
    QTest::newRow("passes of 2") << 3u << 2;
    QTest::newRow("passes of 13, reports only") << 4u << 13;
}

void TestStatusHandlers::burstSeenAsSent()
{
    QFETCH(quint32, seed);
    QFETCH(int, framesPerPass);
    QRandomGenerator rng(seed);
    QByteArrayList frames;
    for (int i = 0; i < 120; ++i) {
        const QString text = QString::number(i);
        const int pick = int(rng.bounded(seed == 4 ? 3u : 5u));
        frames << (pick == 0   ? deviceName(text)
                   : pick == 1 ? firmwareVersion(text)
                   : pick == 2 ? status(quint8(rng.bounded(5u)), text)
                   : pick == 3 ? timezoneInfo(text, text)
                               : deviceOffline());
    }
    const int firmwareColumn = f->modelColumnOf("colFirmwareVersion");
    auto state = [&] {
        return QStringList{f->record->deviceName, f->record->firmwareVersion, f->record->timezone, f->cellText(0),
                           f->cellText(1), f->cell(1)->foreground().color().name(), f->cellText(firmwareColumn),
                           QString::number(f->cell(0)->isEnabled())};
    };
    QList<QStringList> oneByOne{state()};
    for (const QByteArray &frame : std::as_const(frames)) {
        f->send(frame);
        oneByOne << state();
    }
    delete f;
    f = new HandlerFixture;

    f->server->track(f->socket);
    f->server->receive(f->socket, DeviceMessages::handshakeLine(DeviceMessages::handshakeFields("00:11:22:33:44:55")) + '\n');
    f->server->setFramesPerPass(framesPerPass);
    f->server->receive(f->socket, frames.join());
    qsizetype upTo = 0;
    for (int turn = 0; turn < 1000 && upTo < oneByOne.size() - 1; ++turn) {
        const qsizetype at = oneByOne.indexOf(state(), upTo);
        QVERIFY2(at >= 0, qPrintable(state().join(QLatin1Char(' '))));
        upTo = at;
        QCoreApplication::processEvents();
    }
    QCOMPARE(state(), oneByOne.last());
    f->server->forget(f->socket);
}

QTEST_MAIN(TestStatusHandlers)
#include "tst_statushandlers.moc"
