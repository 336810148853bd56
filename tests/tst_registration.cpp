// Device registration: parsing both versions, filing new devices, taking over
// the record of a returning device, and the row refresh.
#include "devicelink/columns.h"
#include "devicelink/sslserver.h"
#include "devicelink/thinclientinfo.h"
#include "devicelink/wire.h"
#include "devicemessages.h"
#include "serverfixture.h"
#include "statusmessages.h"

#include <QPointer>
#include <QScopeGuard>
#include <QSet>
#include <QtTest>

#include <memory>
#include <vector>

namespace {

void addModes(WireWriter &w, int count)
{
    for (int i = 0; i < count; ++i) {
        const QString n = QString::number(i);
        w.asciiZ("res" + n).asciiZ("clk" + n).asciiZ("h" + n).asciiZ("v" + n).asciiZ("sync" + n).asciiZ("pol" + n);
    }
}

// Version 1, laid out field by field as a device sends it.
QByteArray v1Frame(quint8 subCode, quint8 countByte, int modes)
{
    WireWriter w(5, subCode);
    w.asciiZ("ORL QB64").asciiZ("desk-1").asciiZ("10.0.0.5").asciiZ("AA:BB:CC:00:11:22").asciiZ("fw-9")
        .asciiZ("1280x720").asciiZ("rs.example").asciiZ("cv-2").u8(countByte);
    addModes(w, modes);
    w.asciiZ("hdx").u16(3).asciiZ("ica").asciiZ("-x").asciiZ("e1").asciiZ("SN42").u16(1).asciiZ("ts.example");
    w.asciiZ("board-1").asciiZ("hf-7").asciiZ("10.0.0.1").asciiZ("5808").asciiZ("e2").asciiZ("e3");
    return w.finish();
}

QByteArray v2Frame(const QString &wired, const QString &wireless, int modes)
{
    WireWriter w(5, 3);
    w.u16(quint16(modes));
    addModes(w, modes);
    for (const char *s : {"Pyrel PC", "desk-2", "10.0.0.6", "AA:BB:CC:00:11:33", "fw-10", "hf-8", "1920x1200",
                          "rs2", "cv-3", "rfx", "SN43", "ts2", "board-2", "Europe/Oslo", "-y", "10.0.0.2", "5809",
                          "1.1.1.1", "8.8.8.8", "corp.example"})
        w.wireString(QString::fromLatin1(s));
    w.wireString(wired);
    if (wired.compare("yes", Qt::CaseInsensitive) == 0)
        w.wireString("static").wireString("10.0.0.7").wireString("255.255.0.0").wireString("10.0.0.254");
    w.wireString(wireless);
    if (wireless.compare("yes", Qt::CaseInsensitive) == 0)
        w.wireString("dhcp").wireString("10.1.0.7").wireString("255.0.0.0").wireString("10.1.0.1").wireString("ssid")
            .wireString("wpa2");
    for (const char *s : {"pc105", "no", "nodeadkeys", "ctrl:nocaps", "Yes", "No", "Yes", "No", "10.0.0.100",
                          "10.0.0.200"})
        w.wireString(QString::fromLatin1(s));
    w.u16(1).u16(2).u16(1).u16(0).u16(1).u16(2);
    return w.finish();
}

SimDeviceConfig deviceConfig(int index, int version)
{
    SimDeviceConfig c = SimDeviceConfig::numbered(index);
    c.registrationVersion = version;
    c.subCode = version == 1 ? 1 : 3;
    return c;
}

// A listening server that no device reaches: each registration is handed in
// on a socket that never connects, after the pending record its handshake
// would have made.
class Registrar
{
public:
    QSslSocket *pendingSocket()
    {
        m_sockets.push_back(std::make_unique<QSslSocket>());
        auto *pending = new ThinclientInfo;
        pending->socket = m_sockets.back().get();
        pending->online = true;
        fx.server()->pendingDevices << pending;
        return pending->socket;
    }
    ThinclientInfo *registerAs(const SimDeviceConfig &c, QSslSocket *socket = nullptr)
    {
        socket = socket ? socket : pendingSocket();
        fx.server()->dispatchFrame(socket, DeviceMessages::registration(c));
        return fx.devices.value(socket);
    }

private:
    std::vector<std::unique_ptr<QSslSocket>> m_sockets;   // outlive the server

public:
    ServerFixture fx;
};
} // namespace

class TestRegistration : public QObject
{
    Q_OBJECT
private slots:
    void parseVersion1_data();
    void parseVersion1();
    void parseVersion2_data();
    void parseVersion2();
    void displayModesCapped_data();
    void displayModesCapped();
    void truncatedFramesStayInside();
    void longTextsKeptShort_data();
    void longTextsKeptShort();
    void notARegistration();

    void registersNewDevice_data();
    void registersNewDevice();
    void returningDeviceTakesNewValues_data();
    void returningDeviceTakesNewValues();
    void macMatching_data();
    void macMatching();
    void returningDeviceFoundAfterOwnerChangesMap_data();
    void returningDeviceFoundAfterOwnerChangesMap();
    void secondRegistrationIgnored();
    void fleetTextsShared_data();
    void fleetTextsShared();
    void displayModesShared_data();
    void displayModesShared();
    void rowRefresh_data();
    void rowRefresh();

    void disconnectAndReturnOverTls_data();
    void disconnectAndReturnOverTls();
    void freedSocketNeverKeysOfflineRecord_data();
    void freedSocketNeverKeysOfflineRecord();
    void framesBeforeCloseHandled_data();
    void framesBeforeCloseHandled();
    void lateSenderServedDuringFlood();
};

void TestRegistration::parseVersion1_data()
{
    QTest::addColumn<quint8>("subCode");
    QTest::addColumn<bool>("tail");
    QTest::newRow("sub-code 0") << quint8(0) << false;
    QTest::newRow("sub-code 1") << quint8(1) << true;
    QTest::newRow("sub-code 2") << quint8(2) << false;
    QTest::newRow("sub-code 200, signed") << quint8(200) << false;
}

void TestRegistration::parseVersion1()
{
    QFETCH(quint8, subCode);
    QFETCH(bool, tail);
    const QByteArray frame = v1Frame(subCode, 2, 2);
    ThinclientInfo r;
    QVERIFY(SSLServer::parseRegistration(frame.constData(), int(frame.size()), &r));
    QCOMPARE((QStringList{r.model, r.deviceName, r.ipAddress, r.macAddress, r.firmwareVersion, r.resolution,
                          r.remoteServer, r.clientVersion, r.protocolType, r.protocolDefault, r.cmdLineArgs,
                          r.extraText1, r.serialNumber, r.timeServer}),
             (QStringList{"ORL QB64", "desk-1", "10.0.0.5", "AA:BB:CC:00:11:22", "fw-9", "1280x720", "rs.example",
                          "cv-2", "HDX", "ica", "-x", "e1", "SN42", "ts.example"}));
    QCOMPARE(r.edidCount, quint16(2));
    const EdidInfo &m = r.edid[1];
    QCOMPARE((QStringList{m.resolution, m.pixelClock, m.horizontal, m.vertical, m.sync, m.polarity}),
             (QStringList{"res1", "clk1", "h1", "v1", "sync1", "pol1"}));
    QCOMPARE(r.bootMode, quint16(3));
    QCOMPARE(r.serverDetection, quint16(1));
    const QStringList tailValues{r.boardHostname, r.hotfixVersion, r.serverIp, r.serverPort, r.extraText2, r.extraText3};
    const QStringList expectedTail =
        tail ? QStringList{"board-1", "hf-7", "10.0.0.1", "5808", "e2", "e3"} : QStringList(6, QString());
    QCOMPARE(tailValues, expectedTail);
    QVERIFY(r.timezone.isEmpty());
    QVERIFY(r.keyboardModel.isEmpty());
}

void TestRegistration::parseVersion2_data()
{
    QTest::addColumn<QString>("wired");
    QTest::addColumn<QString>("wireless");
    QTest::newRow("both on") << "yes" << "YES";
    QTest::newRow("both off") << "no" << "no";
    QTest::newRow("wired only") << "Yes" << "off";
}

void TestRegistration::parseVersion2()
{
    QFETCH(QString, wired);
    QFETCH(QString, wireless);
    const QByteArray frame = v2Frame(wired, wireless, 1);
    ThinclientInfo r;
    QVERIFY(SSLServer::parseRegistration(frame.constData(), int(frame.size()), &r));
    const bool wiredOn = wired.toLower() == "yes";
    const bool wirelessOn = wireless.toLower() == "yes";
    QCOMPARE(r.edidCount, quint16(1));
    QCOMPARE(r.edid[0].polarity, "pol0");
    const QStringList texts{r.model, r.deviceName, r.macAddress, r.firmwareVersion, r.hotfixVersion, r.resolution,
                            r.remoteServer, r.clientVersion, r.protocolType, r.serialNumber, r.timeServer,
                            r.boardHostname, r.timezone, r.cmdLineArgs, r.serverIp, r.serverPort, r.dns1, r.dns2,
                            r.domainSearchPath, r.wiredEnabled};
    QCOMPARE(texts, (QStringList{"Pyrel PC", "desk-2", "AA:BB:CC:00:11:33", "fw-10", "hf-8", "1920x1200", "rs2", "cv-3",
                                 "rfx", "SN43", "ts2", "board-2", "Europe/Oslo", "-y", "10.0.0.2", "5809", "1.1.1.1",
                                 "8.8.8.8", "corp.example", wired}));
    QCOMPARE(r.ipAddress, wiredOn ? "10.0.0.7" : "10.0.0.6");
    const QStringList wiredDetails =
        wiredOn ? QStringList{"static", "255.255.0.0", "10.0.0.254"} : QStringList(3, QString());
    QCOMPARE((QStringList{r.wiredMethod, r.wiredNetmask, r.wiredGateway}), wiredDetails);
    QCOMPARE(r.wirelessEnabled, wireless);
    const QStringList wirelessDetails =
        wirelessOn ? QStringList{"dhcp", "10.1.0.7", "255.0.0.0", "10.1.0.1", "ssid", "wpa2"} : QStringList(6, QString());
    QCOMPARE((QStringList{r.wirelessMethod, r.wirelessIp, r.wirelessNetmask, r.wirelessGateway, r.wirelessSsid,
                          r.wirelessSecurity}),
             wirelessDetails);
    QCOMPARE((QStringList{r.keyboardModel, r.keyboardLayout, r.keyboardVariant, r.keyboardOption, r.firewallEnabled,
                          r.powerSaveEnabled, r.pxeServerEnabled, r.pxeOnly, r.dhcpStart, r.dhcpEnd}),
             (QStringList{"pc105", "no", "nodeadkeys", "ctrl:nocaps", "Yes", "No", "Yes", "No", "10.0.0.100",
                          "10.0.0.200"}));
    QCOMPARE(r.bootMode, quint16(1));
    QCOMPARE(r.serverDetection, quint16(2));
    QVERIFY(r.autoLogin);
    QVERIFY(!r.autoReconnect);
    QVERIFY(r.swapServer);
    QVERIFY(!r.printServer);   // 2 is not 1
    QVERIFY(r.protocolDefault.isEmpty());
}

void TestRegistration::displayModesCapped_data()
{
    QTest::addColumn<QByteArray>("frame");
    QTest::addColumn<int>("count");
    QTest::addColumn<QString>("model");
    QTest::newRow("v2, 40 modes") << v2Frame("no", "no", 40) << 32 << "Pyrel PC";
    QTest::newRow("v1, 40 modes") << v1Frame(0, 40, 40) << 32 << "ORL QB64";
    QTest::newRow("v1, count byte 200 is none") << v1Frame(0, 200, 0) << 0 << "ORL QB64";
}

void TestRegistration::displayModesCapped()
{
    QFETCH(QByteArray, frame);
    QFETCH(int, count);
    QFETCH(QString, model);
    ThinclientInfo r;
    QVERIFY(SSLServer::parseRegistration(frame.constData(), int(frame.size()), &r));
    QCOMPARE(int(r.edidCount), count);
    QCOMPARE(r.model, model);
    if (count) {
        QCOMPARE(r.edid[31].resolution, "res31");
        QCOMPARE(r.edid[31].polarity, "pol31");
    }
    // The fields after the modes are read past all of them.
    QCOMPARE(r.bootMode, quint16(frame.at(1) == 3 ? 1 : 3));
}

void TestRegistration::longTextsKeptShort_data()
{
    QTest::addColumn<int>("version");
    QTest::newRow("version 1") << 1;
    QTest::newRow("version 2") << 2;
}

void TestRegistration::longTextsKeptShort()
{
    QFETCH(int, version);
    SimDeviceConfig config = deviceConfig(1, version);
    config.deviceName = QString(40000, QLatin1Char('n'));
    const QByteArray frame = DeviceMessages::registration(config);
    QVERIFY(frame.size() > 40000);
    ThinclientInfo record;
    QVERIFY(SSLServer::parseRegistration(frame.constData(), int(frame.size()), &record));
    QCOMPARE(record.deviceName, QString(1024, QLatin1Char('n')));
    // The fields after it are read from where the long one really ended.
    QCOMPARE(record.macAddress, config.macAddress);
    QCOMPARE(record.timeServer, config.timeServer);
}

void TestRegistration::truncatedFramesStayInside()
{
    // Every prefix of a whole registration is parsed within its bytes (the
    // sanitizers catch a read past them); each text stops where the bytes stop.
    const QList<QString ThinclientInfo::*> texts{&ThinclientInfo::model, &ThinclientInfo::macAddress,
                                                 &ThinclientInfo::timeServer, &ThinclientInfo::extraText3,
                                                 &ThinclientInfo::dhcpEnd};
    for (const QByteArray &whole : {v1Frame(1, 3, 3), v2Frame("yes", "yes", 3)}) {
        ThinclientInfo full;
        QVERIFY(SSLServer::parseRegistration(whole.constData(), int(whole.size()), &full));
        for (int n = 4; n < whole.size(); ++n) {
            const QByteArray cut(whole.constData(), n);   // its own allocation, exactly n bytes
            ThinclientInfo r;
            QVERIFY(SSLServer::parseRegistration(cut.constData(), n, &r));
            for (auto f : texts)
                QVERIFY2((full.*f).startsWith(r.*f), qPrintable(QString::number(n)));
        }
    }
}

void TestRegistration::notARegistration()
{
    ThinclientInfo r;
    const QByteArray frame = v1Frame(0, 0, 0);
    QByteArray other = frame;
    other[0] = 6;
    QVERIFY(!SSLServer::parseRegistration(other.constData(), int(other.size()), &r));
    QVERIFY(!SSLServer::parseRegistration(frame.constData(), 3, &r));
    QVERIFY(r.model.isEmpty());
    QByteArray bit7 = frame;
    bit7[0] = char(0x85);
    QVERIFY(SSLServer::parseRegistration(bit7.constData(), int(bit7.size()), &r));
}

void TestRegistration::registersNewDevice_data()
{
    QTest::addColumn<int>("version");
    QTest::addColumn<quint16>("detection");
    QTest::addColumn<QList<bool>>("broadcast");
    QTest::newRow("v1, broadcast") << 1 << quint16(0) << QList<bool>{true};
    QTest::newRow("v1, DHCP") << 1 << quint16(1) << QList<bool>{false};
    QTest::newRow("v1, static") << 1 << quint16(2) << QList<bool>{true};
    QTest::newRow("v2, DHCP") << 2 << quint16(1) << QList<bool>{};
}

void TestRegistration::registersNewDevice()
{
    QFETCH(int, version);
    QFETCH(quint16, detection);
    QFETCH(QList<bool>, broadcast);
    Registrar reg;
    QVERIFY(reg.fx.start());
    SimDeviceConfig c = deviceConfig(3, version);
    c.serverDetection = detection;
    ThinclientInfo *r = reg.registerAs(c);
    QVERIFY(r);
    QCOMPARE(reg.fx.registeredSignals, 1);
    QCOMPARE(reg.fx.broadcastStates, broadcast);
    QCOMPARE(r->deviceName, c.deviceName);
    QCOMPARE(r->timezone, version == 2 ? c.timezone : QString());
    QVERIFY(!r->checked);
    QVERIFY(reg.fx.server()->pendingDevices.isEmpty());
    QSslSocket *socket = nullptr;
    ThinclientInfo *found = nullptr;
    QCOMPARE(reg.fx.server()->findDeviceByMac(c.macAddress, &socket, &found), 0);
    QCOMPARE(found, r);
    QCOMPARE(socket, r->socket);
}

// A device registers again on a new connection (its old one is gone): it
// takes its old record over with every value its registration carries.
void TestRegistration::returningDeviceTakesNewValues_data()
{
    QTest::addColumn<int>("version");
    QTest::addColumn<quint8>("subCode");
    QTest::addColumn<bool>("withRow");
    QTest::addColumn<bool>("ticked");
    QTest::newRow("v2, ticked") << 2 << quint8(3) << true << true;
    QTest::newRow("v2, unticked") << 2 << quint8(3) << true << false;
    QTest::newRow("v2, ticked without a row") << 2 << quint8(3) << false << true;
    QTest::newRow("v1, ticked") << 1 << quint8(1) << true << true;
    QTest::newRow("v1 without the server fields") << 1 << quint8(0) << true << false;
}

void TestRegistration::returningDeviceTakesNewValues()
{
    QFETCH(int, version);
    QFETCH(quint8, subCode);
    QFETCH(bool, withRow);
    QFETCH(bool, ticked);
    Registrar reg;
    reg.fx.setCreateRows(withRow);
    QVERIFY(reg.fx.start());
    SimDeviceConfig c = deviceConfig(5, version);
    ThinclientInfo *r = reg.registerAs(c);
    QVERIFY(r);
    QStandardItem *item = r->item;
    if (item)
        item->setCheckState(ticked ? Qt::Checked : Qt::Unchecked);
    r->checked = ticked;
    r->online = false;
    r->keyboardModel = QStringLiteral("kept");   // as a keyboard report would set it
    r->timezone = QStringLiteral("Europe/Oslo");   // as a time-zone report would set it

    // It comes back with different values in every field its version carries.
    c.subCode = subCode;
    c.model = QStringLiteral("ORL WY");
    c.timezone = QStringLiteral("UTC");
    c.deviceName += QStringLiteral("-new");
    c.protocolType = QStringLiteral("rfx");
    c.protocolDefault = QStringLiteral("pcoip");
    c.hotfixVersion = QStringLiteral("hf-9");
    c.bootMode = 3;
    c.keyboardModel = QStringLiteral("pc104");
    c.dhcpEnd = QStringLiteral("10.0.0.99");
    c.autoReconnect = c.swapServer = true;
    c.displayModes = {{"800x600", "40", "h", "v", "s", "p"}};
    QSslSocket *socket = reg.pendingSocket();
    QCOMPARE(reg.registerAs(c, socket), r);

    QCOMPARE(reg.fx.devices.size(), 1);
    QCOMPARE(reg.fx.registeredSignals, 1);
    QCOMPARE(r->socket, socket);
    QCOMPARE(r->item, item);
    QCOMPARE(r->checked, ticked && withRow);
    QVERIFY(r->online);
    QCOMPARE(r->model, c.model);
    QCOMPARE(r->deviceName, c.deviceName);
    QCOMPARE(r->bootMode, quint16(3));
    QCOMPARE(r->edidCount, quint16(1));
    QCOMPARE(r->edid[0].resolution, "800x600");
    if (withRow) {
        QCOMPARE(reg.fx.cellText(r, 0), c.deviceName);
        QCOMPARE(reg.fx.cellText(r, 1), "In upgrade mode");
    }
    if (version == 2) {
        QCOMPARE(r->protocolType, "rfx");
        QCOMPARE(r->keyboardModel, "pc104");
        QCOMPARE(r->dhcpEnd, "10.0.0.99");
        QCOMPARE(r->timezone, "UTC");
        QVERIFY(r->autoReconnect && r->swapServer);
    } else {
        QCOMPARE(r->protocolType, "RFX");
        QCOMPARE(r->protocolDefault, "pcoip");
        QCOMPARE(r->keyboardModel, "kept");   // version 1 does not carry it
        // Nor a time zone, nor (without sub-code 1) the server fields: what
        // was reported before no longer holds.
        QVERIFY(r->timezone.isEmpty());
        QCOMPARE(r->hotfixVersion, subCode == 1 ? c.hotfixVersion : QString());
    }
}

// Devices are told apart by their MAC address, as sent; one without an
// address, or with blanks for one, matches nobody.
void TestRegistration::macMatching_data()
{
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("second");
    QTest::addColumn<int>("records");
    QTest::newRow("same address") << "02:AB:CD:EF:00:01" << "02:AB:CD:EF:00:01" << 1;
    QTest::newRow("other case") << "02:AB:CD:EF:00:01" << "02:ab:cd:ef:00:01" << 2;
    QTest::newRow("no address") << "" << "" << 2;
    QTest::newRow("blank address") << "   " << "   " << 2;
}

void TestRegistration::macMatching()
{
    QFETCH(QString, first);
    QFETCH(QString, second);
    QFETCH(int, records);
    Registrar reg;
    QVERIFY(reg.fx.start());
    SimDeviceConfig c = deviceConfig(12, 2);
    c.macAddress = first;
    ThinclientInfo *r = reg.registerAs(c);
    c.macAddress = second;
    ThinclientInfo *again = reg.registerAs(c);
    QCOMPARE(int(QSet<ThinclientInfo *>(reg.fx.devices.cbegin(), reg.fx.devices.cend()).size()), records);
    QCOMPARE(reg.fx.registeredSignals, records);
    QCOMPARE(again == r, records == 1);
}

// Registration looks returning devices up by MAC in an index of its own; the
// main window owns the map and may change it too.
void TestRegistration::returningDeviceFoundAfterOwnerChangesMap_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<bool>("firstFound");      // the first device's MAC is still filed
    QTest::addColumn<bool>("firstMoved");      // under the spare socket
    QTest::addColumn<bool>("replacementFound");

    QTest::newRow("unchanged") << "none" << true << false << false;
    QTest::newRow("record removed") << "remove" << false << false << false;
    QTest::newRow("record filed under another socket") << "move" << true << true << false;
    QTest::newRow("another record under the same socket") << "replace" << false << false << true;
    QTest::newRow("map cleared") << "clear" << false << false << false;
}

void TestRegistration::returningDeviceFoundAfterOwnerChangesMap()
{
    QFETCH(QString, change);
    QFETCH(bool, firstFound);
    QFETCH(bool, firstMoved);
    QFETCH(bool, replacementFound);

    Registrar reg;
    QVERIFY(reg.fx.start());
    auto &devices = reg.fx.devices;
    const QString first = deviceConfig(40, 2).macAddress;
    const QString second = deviceConfig(41, 2).macAddress;
    QSslSocket *firstSocket = reg.pendingSocket();
    reg.registerAs(deviceConfig(40, 2), firstSocket);
    reg.registerAs(deviceConfig(41, 2));
    QSslSocket spare;
    QCOMPARE(devices.size(), 2);

    std::vector<std::unique_ptr<ThinclientInfo>> gone;
    auto replacement = std::make_unique<ThinclientInfo>();
    replacement->macAddress = QStringLiteral("02:00:00:00:00:99");
    if (change == QLatin1String("remove")) {
        gone.emplace_back(devices.take(firstSocket));
    } else if (change == QLatin1String("move")) {
        devices.insert(&spare, devices.take(firstSocket));
    } else if (change == QLatin1String("replace")) {
        gone.emplace_back(devices.value(firstSocket));
        devices.insert(firstSocket, replacement.release());
    } else if (change == QLatin1String("clear")) {
        for (ThinclientInfo *r : std::as_const(devices))
            gone.emplace_back(r);
        devices.clear();
    }

    QSslSocket *socket = nullptr;
    ThinclientInfo *record = nullptr;
    QCOMPARE(reg.fx.server()->findDeviceByMac(first, &socket, &record), firstFound ? 0 : -1);
    if (firstFound) {
        QCOMPARE(socket, firstMoved ? &spare : firstSocket);
        QCOMPARE(record, devices.value(socket));
    }
    QCOMPARE(reg.fx.server()->findDeviceByMac(QStringLiteral("02:00:00:00:00:99"), &socket, &record),
             replacementFound ? 0 : -1);
    QCOMPARE(reg.fx.server()->findDeviceByMac(second, &socket, &record), change == QLatin1String("clear") ? -1 : 0);

    // The first device comes back: it takes its record over when the map
    // still has one, and is filed anew otherwise.
    const int before = int(devices.size());
    QSslSocket *back = reg.pendingSocket();
    reg.registerAs(deviceConfig(40, 2), back);
    QCOMPARE(int(devices.size()), before + (firstFound ? 0 : 1));
    QCOMPARE(reg.fx.server()->findDeviceByMac(first, &socket, &record), 0);
    QCOMPARE(socket, back);
}

// Texts devices report alike are kept once, up to a bound on their length;
// every record still reads its own values.
void TestRegistration::fleetTextsShared_data()
{
    QTest::addColumn<int>("versionLength");
    QTest::addColumn<bool>("shared");
    QTest::newRow("a short version") << 8 << true;
    QTest::newRow("a version past the bound") << 129 << false;
}

void TestRegistration::fleetTextsShared()
{
    QFETCH(int, versionLength);
    QFETCH(bool, shared);
    Registrar reg;
    QVERIFY(reg.fx.start());
    SimDeviceConfig a = deviceConfig(50, 2), b = deviceConfig(51, 2);
    a.firmwareVersion = b.firmwareVersion = QString(versionLength, QLatin1Char('7'));
    const ThinclientInfo *ra = reg.registerAs(a), *rb = reg.registerAs(b);
    QVERIFY(ra && rb && ra != rb);
    QCOMPARE(ra->firmwareVersion, a.firmwareVersion);
    QCOMPARE(rb->firmwareVersion, a.firmwareVersion);
    QCOMPARE(rb->firmwareVersion.isSharedWith(ra->firmwareVersion), shared);
    QCOMPARE(rb->edid.size(), a.displayModes.size());
    QVERIFY(rb->edid.at(0).horizontal.isSharedWith(ra->edid.at(0).horizontal));
    // Names differ from device to device: never looked up for sharing.
    QCOMPARE(rb->deviceName, b.deviceName);
}

// A list of display modes devices report alike is kept once; a list that
// differs in any text, or whose texts are too long to look up, is the
// record's own.
void TestRegistration::displayModesShared_data()
{
    QTest::addColumn<QString>("otherPolarity");
    QTest::addColumn<int>("modeCount");
    QTest::addColumn<bool>("shared");
    QTest::newRow("the same modes") << QString() << 2 << true;
    QTest::newRow("the last text differs") << QStringLiteral("-hsync -vsync") << 2 << false;
    QTest::newRow("one mode") << QString() << 1 << true;
    QTest::newRow("modes past the bound") << QString() << 32 << false;
}

void TestRegistration::displayModesShared()
{
    QFETCH(QString, otherPolarity);
    QFETCH(int, modeCount);
    QFETCH(bool, shared);
    Registrar reg;
    QVERIFY(reg.fx.start());
    SimDeviceConfig a = deviceConfig(52, 2), b = deviceConfig(53, 2);
    // Long texts take a list of many modes past the bound.
    const SimDisplayMode mode = a.displayModes.first();
    a.displayModes.resize(qMin(modeCount, 2));
    while (a.displayModes.size() < modeCount)
        a.displayModes << SimDisplayMode{mode.resolution, QString(30, QLatin1Char('9')), mode.horizontal,
                                         mode.vertical, mode.sync, mode.polarity};
    b.displayModes = a.displayModes;
    if (!otherPolarity.isEmpty())
        b.displayModes.last().polarity = otherPolarity;
    const ThinclientInfo *ra = reg.registerAs(a), *rb = reg.registerAs(b);
    QVERIFY(ra && rb && ra != rb);
    QCOMPARE(rb->edid.size(), modeCount);
    QCOMPARE(rb->edid.constData() == ra->edid.constData(), shared);
    QCOMPARE(ra->edid.last().polarity, a.displayModes.last().polarity);
    QCOMPARE(rb->edid.last().polarity, b.displayModes.last().polarity);
}

void TestRegistration::secondRegistrationIgnored()
{
    Registrar reg;
    QVERIFY(reg.fx.start());
    SimDeviceConfig c = deviceConfig(13, 1);
    QSslSocket *socket = reg.pendingSocket();
    ThinclientInfo *r = reg.registerAs(c, socket);
    QVERIFY(r);
    const QString name = r->deviceName;
    c.deviceName = QStringLiteral("renamed");
    c.macAddress = QStringLiteral("02:00:00:00:00:99");
    reg.registerAs(c, socket);
    QCOMPARE(r->deviceName, name);
    QCOMPARE(reg.fx.devices.size(), 1);
    QCOMPARE(reg.fx.registeredSignals, 1);
    QCOMPARE(reg.fx.broadcastStates.size(), 1);
}

void TestRegistration::rowRefresh_data()
{
    QTest::addColumn<quint16>("bootMode");
    QTest::addColumn<QString>("status");
    QTest::addColumn<QColor>("colour");
    QTest::newRow("factory") << quint16(1) << "In factory mode" << QColor(0, 0, 255);
    QTest::newRow("upgrade") << quint16(3) << "In upgrade mode" << QColor(0, 0, 255);
    QTest::newRow("other") << quint16(2) << QString() << QColor(Qt::green);
}

void TestRegistration::rowRefresh()
{
    QFETCH(quint16, bootMode);
    QFETCH(QString, status);
    QFETCH(QColor, colour);
    ServerFixture fx;
    fx.settings()->setValue("colIpAddress", -1);
    fx.settings()->setValue("colProtocolType", -1);
    fx.settings()->setValue("colTimezone", 7);
    Columns::renewLayout(fx.settings());
    SSLServer server(nullptr, &fx.devices, fx.settings());
    ThinclientInfo r;
    r.deviceName = QStringLiteral("desk");
    r.ipAddress = QStringLiteral("10.0.0.9");
    r.timezone = QStringLiteral("UTC");
    r.bootMode = bootMode;
    QStandardItem *item = fx.addRow(&r);
    QStandardItem *status1 = item->parent()->child(item->row(), 1);
    status1->setText("old");
    status1->setForeground(QColor(Qt::green));
    item->parent()->child(item->row(), 2)->setText("left alone");
    for (int column = 0; column < server.columnCount; ++column)
        item->parent()->child(item->row(), column)->setEnabled(false);

    server.refreshDeviceRow(&r);
    QCOMPARE(fx.cellText(&r, 0), "desk");
    QCOMPARE(fx.cellText(&r, 1), status);
    QCOMPARE(status1->foreground().color(), colour);
    QCOMPARE(fx.cellText(&r, 2), "left alone");   // hidden column: not written
    QCOMPARE(fx.cellText(&r, 9), "UTC");
    QVERIFY(item->parent()->child(item->row(), server.columnCount - 1)->isEnabled());

    // A position beyond the row's cells: nothing written, no crash.
    fx.settings()->setValue("colZorServerDetection", 40);
    Columns::renewLayout(fx.settings());
    server.refreshDeviceRow(&r);
}

// Over TLS: a device that drops keeps its record and greyed row; when it
// connects again, whether or not its old connection was seen to end, it
// takes its record back and the old connection is closed.
void TestRegistration::disconnectAndReturnOverTls_data()
{
    QTest::addColumn<bool>("dropFirst");
    QTest::newRow("after a disconnect") << true;
    QTest::newRow("over the live connection") << false;
}

void TestRegistration::disconnectAndReturnOverTls()
{
    QFETCH(bool, dropFirst);
    ServerFixture fx;
    QVERIFY(fx.start());
    SimDeviceConfig c = deviceConfig(14, 2);
    SimDevice *d = fx.addDevice(c);
    ThinclientInfo *r = fx.waitForRegistered(c.macAddress);
    QVERIFY(r);
    QPointer<QSslSocket> oldSocket = r->socket;
    QSignalSpy dropped(d, &SimDevice::disconnected);
    if (dropFirst) {
        d->disconnectFromConsole();
        QTRY_VERIFY(!r->online);
        QVERIFY(!r->socket);
        // Still filed, but no longer under the closed socket, which goes.
        QCOMPARE(fx.devices.values(), QList<ThinclientInfo *>{r});
        QVERIFY(!fx.devices.contains(oldSocket));
        QTRY_VERIFY(oldSocket.isNull());
        QStandardItem *group = r->item->parent();
        for (int column = 0; column < fx.server()->columnCount; ++column)
            QVERIFY(!group->child(r->item->row(), column)->isEnabled());
        d->reconnect();
    } else {
        fx.addDevice(c);
        QTRY_COMPARE(dropped.size(), 1);
    }
    QTRY_VERIFY(r->online && r->socket && r->socket != oldSocket);
    QCOMPARE(fx.devices.size(), 1);
    QCOMPARE(fx.devices.value(r->socket), r);
    QCOMPARE(fx.registeredSignals, 1);
    QVERIFY(r->item->isEnabled());
    QTRY_VERIFY(oldSocket.isNull());
}

// Offline devices' sockets are freed, and the allocator may give a later
// connection's socket the same address: it must find no old record there,
// and the offline device must still find its own when it comes back.
void TestRegistration::freedSocketNeverKeysOfflineRecord_data()
{
    QTest::addColumn<bool>("strangerFirst");
    QTest::newRow("another device connects") << true;
    QTest::newRow("the device returns") << false;
}

void TestRegistration::freedSocketNeverKeysOfflineRecord()
{
    QFETCH(bool, strangerFirst);
    ServerFixture fx;
    QVERIFY(fx.start());
    const SimDeviceConfig gone = deviceConfig(21, 2);
    SimDevice *d = fx.addDevice(gone);
    ThinclientInfo *r = fx.waitForRegistered(gone.macAddress);
    QVERIFY(r);
    QPointer<QSslSocket> oldSocket = r->socket;
    const auto oldAddress = quintptr(oldSocket.data());
    d->disconnectFromConsole();
    QTRY_VERIFY(oldSocket.isNull());
    QVERIFY(!r->online);

    if (strangerFirst) {
        ThinclientInfo *s = nullptr;
        for (int i = 0; i < 4; ++i) {   // a few connections, to give the address a chance of coming back
            const SimDeviceConfig c = deviceConfig(30 + i, 1);
            fx.addDevice(c);
            QVERIFY((s = fx.waitForRegistered(c.macAddress)));
            QVERIFY(s != r);
            QCOMPARE(fx.devices.value(s->socket), s);
        }
        QCOMPARE(fx.registeredSignals, 5);
        QCOMPARE(fx.devices.size(), 5);
        QVERIFY(!r->online);
        QCOMPARE(fx.cellText(r, 0), gone.deviceName);
    }
    for (auto it = fx.devices.cbegin(); it != fx.devices.cend(); ++it)
        QVERIFY(quintptr(it.key()) != oldAddress || it.value()->socket == it.key());

    d->reconnect();
    QTRY_VERIFY(r->online && r->socket);
    QCOMPARE(fx.devices.value(r->socket), r);
    QCOMPARE(fx.recordsByMac(gone.macAddress), QList<ThinclientInfo *>{r});
    QCOMPARE(fx.registeredSignals, strangerFirst ? 5 : 1);
}

// What a device sent before it closed is handled, even when the console
// had put its frames off to a later pass of the event loop, or held them
// while its answers waited unsent: its last reports are the ones its row
// keeps while it is offline.
void TestRegistration::framesBeforeCloseHandled_data()
{
    QTest::addColumn<int>("framesPerPass");
    QTest::addColumn<bool>("answersQueued");
    QTest::newRow("one pass") << 4096 << false;
    QTest::newRow("passes of 1") << 1 << false;
    QTest::newRow("passes of 3") << 3 << false;
    QTest::newRow("answers queued") << 4096 << true;
}

void TestRegistration::framesBeforeCloseHandled()
{
    QFETCH(int, framesPerPass);
    QFETCH(bool, answersQueued);
    qRegisterMetaType<ThinclientInfo *>();
    ServerFixture fx;
    QVERIFY(fx.start());
    fx.server()->setFramesPerPass(framesPerPass);
    if (answersQueued)
        SSLServer::setQueueProbe([](QSslSocket *) { return SSLServer::MaxQueuedAnswers + 1; });
    const auto probeReset = qScopeGuard([] { SSLServer::setQueueProbe({}); });
    QSslSocket *device = fx.connectRaw();
    QVERIFY(device);
    const SimDeviceConfig c = deviceConfig(31, 2);
    QByteArray bytes = DeviceMessages::handshakeLine(DeviceMessages::handshakeFields(c.macAddress)) + '\n';
    bytes += DeviceMessages::registration(c);
    for (int i = 0; i < 40; ++i)
        bytes += StatusMessages::usbDevices({QStringLiteral("u%1").arg(i)});
    bytes += StatusMessages::deviceName(QStringLiteral("last"));
    QSignalSpy usb(fx.server(), &SSLServer::onEnumerateUsb);
    device->write(bytes);
    device->flush();
    device->disconnectFromHost();
    QTRY_COMPARE(fx.devices.size(), 1);
    ThinclientInfo *r = fx.devices.values().first();
    QTRY_VERIFY(!r->online);
    QCOMPARE(usb.size(), 40);
    QCOMPARE(r->deviceName, QStringLiteral("last"));
}

// A device whose bytes arrive while another's flood fills every pass waits
// for its turn, and is then served without sending anything more.
void TestRegistration::lateSenderServedDuringFlood()
{
    qRegisterMetaType<ThinclientInfo *>();
    ServerFixture fx;
    QVERIFY(fx.start());
    QList<QSslSocket *> sockets;
    for (int d = 0; d < 2; ++d) {
        QSslSocket *device = fx.connectRaw();
        QVERIFY(device);
        const SimDeviceConfig c = deviceConfig(41 + d, 2);
        device->write(DeviceMessages::handshakeLine(DeviceMessages::handshakeFields(c.macAddress)) + '\n'
                      + DeviceMessages::registration(c));
        QVERIFY(fx.waitForRegistered(c.macAddress));
        sockets << device;
    }
    fx.server()->setFramesPerPass(1);
    QSignalSpy usb(fx.server(), &SSLServer::onEnumerateUsb);
    QByteArray flood;
    for (int i = 0; i < 200; ++i)
        flood += StatusMessages::usbDevices({QStringLiteral("f%1").arg(i)});
    sockets[0]->write(flood);
    QTRY_VERIFY(usb.size() >= 2);
    QByteArray late;
    for (int i = 0; i < 5; ++i)
        late += StatusMessages::usbDevices({QStringLiteral("l%1").arg(i)});
    sockets[1]->write(late);
    QTRY_COMPARE(usb.size(), 205);
    const QString floodMac = deviceConfig(41, 2).macAddress;
    QStringList lateSeen;
    for (const QList<QVariant> &report : std::as_const(usb))
        if (report.at(0).value<ThinclientInfo *>()->macAddress != floodMac)
            lateSeen << report.at(1).toStringList().value(0);
    QCOMPARE(lateSeen, (QStringList{"l0", "l1", "l2", "l3", "l4"}));
}

QTEST_MAIN(TestRegistration)
#include "tst_registration.moc"
