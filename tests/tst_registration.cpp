// Device registration: parsing both versions, filing new devices, taking over
// the record of a returning device, and the row refresh.
#include "devicelink/sslserver.h"
#include "devicelink/thinclientinfo.h"
#include "devicelink/wire.h"
#include "devicemessages.h"
#include "serverfixture.h"

#include <QFile>
#include <QPointer>
#include <QSet>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

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
    void registrationSplitOverReads();
    void returningDeviceTakesNewValues_data();
    void returningDeviceTakesNewValues();
    void returningVersion1EmptiesWhatItDoesNotCarry();
    void returningWithoutRow();
    void takeoverOfLiveConnection();
    void emptyMacNeverMatched();
    void macCaseMatters();
    void returningDeviceFoundAfterOwnerChangesMap_data();
    void returningDeviceFoundAfterOwnerChangesMap();
    void secondRegistrationIgnored();
    void disconnectGreysRowKeepsRecord();
    void rowRefresh_data();
    void rowRefresh();
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
    ThinclientInfo r;
    QVERIFY(SSLServer::parseRegistration(v1Frame(subCode, 2, 2).constData(), int(v1Frame(subCode, 2, 2).size()), &r));
    QCOMPARE(r.model, "ORL QB64");
    QCOMPARE(r.deviceName, "desk-1");
    QCOMPARE(r.ipAddress, "10.0.0.5");
    QCOMPARE(r.macAddress, "AA:BB:CC:00:11:22");
    QCOMPARE(r.firmwareVersion, "fw-9");
    QCOMPARE(r.resolution, "1280x720");
    QCOMPARE(r.remoteServer, "rs.example");
    QCOMPARE(r.clientVersion, "cv-2");
    QCOMPARE(r.edidCount, quint16(2));
    QCOMPARE(r.edid[1].resolution, "res1");
    QCOMPARE(r.edid[1].pixelClock, "clk1");
    QCOMPARE(r.edid[1].horizontal, "h1");
    QCOMPARE(r.edid[1].vertical, "v1");
    QCOMPARE(r.edid[1].sync, "sync1");
    QCOMPARE(r.edid[1].polarity, "pol1");
    QCOMPARE(r.protocolType, "HDX");
    QCOMPARE(r.bootMode, quint16(3));
    QCOMPARE(r.protocolDefault, "ica");
    QCOMPARE(r.cmdLineArgs, "-x");
    QCOMPARE(r.extraText1, "e1");
    QCOMPARE(r.serialNumber, "SN42");
    QCOMPARE(r.serverDetection, quint16(1));
    QCOMPARE(r.timeServer, "ts.example");
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
    ServerFixture fx;
    fx.settings()->setValue("colSerialNumber", 8);
    fx.settings()->setValue("colText8", "Serial number");
    QVERIFY(fx.start());
    QCOMPARE(fx.server()->columnCount, 11);

    SimDeviceConfig c = deviceConfig(3, version);
    c.serverDetection = detection;
    c.bootMode = 1;
    fx.addDevice(c);
    ThinclientInfo *r = fx.waitForRegistered(c.macAddress);
    QVERIFY(r);
    QCOMPARE(fx.registeredSignals, 1);
    QCOMPARE(fx.broadcastStates, broadcast);
    QCOMPARE(r->model, c.model);
    QCOMPARE(r->deviceName, c.deviceName);
    QCOMPARE(r->serialNumber, c.serialNumber);
    QCOMPARE(r->serverDetection, detection);
    QCOMPARE(r->edidCount, quint16(c.displayModes.size()));
    QCOMPARE(r->hotfixVersion, c.hotfixVersion);
    QCOMPARE(r->timezone, version == 2 ? c.timezone : QString());
    QVERIFY(!r->checked);
    QVERIFY(fx.server()->pendingDevices.isEmpty());
    QCOMPARE(fx.server()->socketForDevice(r), r->socket);
    QSslSocket *socket = nullptr;
    ThinclientInfo *found = nullptr;
    QCOMPARE(fx.server()->findDeviceByMac(c.macAddress, &socket, &found), 0);
    QCOMPARE(found, r);
    QCOMPARE(fx.server()->findDeviceByMac(c.macAddress.toLower(), &socket, &found), -1);
    QVERIFY(!socket && !found);

    // The main window fills a new row itself; a refresh writes the record's
    // values by the column settings.
    fx.server()->refreshDeviceRow(r);
    QCOMPARE(fx.cellText(r, 0), c.deviceName);
    QCOMPARE(fx.cellText(r, 1), "In factory mode");
    QCOMPARE(fx.cellText(r, 2), c.ipAddress);
    QCOMPARE(fx.cellText(r, 3), c.macAddress);
    QCOMPARE(fx.cellText(r, 9), c.protocolType.toUpper());
    QCOMPARE(fx.cellText(r, 10), c.serialNumber);
}

void TestRegistration::registrationSplitOverReads()
{
    ServerFixture fx;
    QVERIFY(fx.start());
    SimDeviceConfig c = deviceConfig(4, 2);
    c.autoRegister = false;
    SimDevice *d = fx.addDevice(c);
    QVERIFY(ServerFixture::waitForReady(d));
    const QByteArray frame = DeviceMessages::registration(c);
    d->sendFrame(frame.left(9));
    QTest::qWait(100);
    QCOMPARE(fx.server()->pendingDevices.size(), 1);
    d->sendFrame(frame.mid(9));
    QVERIFY(fx.waitForRegistered(c.macAddress));
}

void TestRegistration::returningDeviceTakesNewValues_data()
{
    QTest::addColumn<bool>("ticked");
    QTest::addColumn<int>("version");
    QTest::newRow("ticked, v2") << true << 2;
    QTest::newRow("unticked, v2") << false << 2;
    QTest::newRow("ticked, v1") << true << 1;
}

void TestRegistration::returningDeviceTakesNewValues()
{
    QFETCH(bool, ticked);
    QFETCH(int, version);
    ServerFixture fx;
    QVERIFY(fx.start());
    SimDeviceConfig c = deviceConfig(5, version);
    SimDevice *d = fx.addDevice(c);
    ThinclientInfo *r = fx.waitForRegistered(c.macAddress);
    QVERIFY(r);
    QStandardItem *item = r->item;
    QStandardItem *department = item->parent();
    item->setCheckState(ticked ? Qt::Checked : Qt::Unchecked);
    r->checked = ticked;
    QPointer<QSslSocket> oldSocket = r->socket;
    r->keyboardModel = QStringLiteral("kept");   // as a keyboard report would set it

    d->disconnectFromConsole();
    QTRY_VERIFY(!r->online);
    QVERIFY(!item->isEnabled());

    // It comes back with different values in every field its version carries.
    c.model = QStringLiteral("ORL WY");
    c.deviceName += QStringLiteral("-new");
    c.firmwareVersion = QStringLiteral("5.0");
    c.protocolType = QStringLiteral("rfx");
    c.protocolDefault = QStringLiteral("pcoip");
    c.extraText1 = QStringLiteral("x1");
    c.bootMode = 3;
    c.serverDetection = 2;
    c.keyboardModel = QStringLiteral("pc104");
    c.pxeServerEnabled = QStringLiteral("Yes");
    c.dhcpEnd = QStringLiteral("10.0.0.99");
    c.autoReconnect = c.swapServer = c.printServer = c.autoLogin = true;
    c.displayModes = {{"800x600", "40", "h", "v", "s", "p"}};
    d->config() = c;
    d->reconnect();
    QTRY_VERIFY(r->online);

    QCOMPARE(fx.devices.size(), 1);
    QCOMPARE(fx.recordByMac(c.macAddress), r);
    QCOMPARE(fx.registeredSignals, 1);
    QCOMPARE(r->item, item);
    QCOMPARE(item->parent(), department);
    QCOMPARE(r->checked, ticked);
    QVERIFY(item->isEnabled());
    QVERIFY(r->socket && r->socket != oldSocket);
    QCOMPARE(fx.devices.value(r->socket), r);
    QTRY_VERIFY(oldSocket.isNull());

    QCOMPARE(r->model, c.model);
    QCOMPARE(r->deviceName, c.deviceName);
    QCOMPARE(r->firmwareVersion, c.firmwareVersion);
    QCOMPARE(r->bootMode, quint16(3));
    QCOMPARE(r->serverDetection, quint16(2));
    QCOMPARE(r->edidCount, quint16(1));
    QCOMPARE(r->edid[0].resolution, "800x600");
    QCOMPARE(fx.cellText(r, 0), c.deviceName);
    QCOMPARE(fx.cellText(r, 1), "In upgrade mode");
    QCOMPARE(item->parent()->child(item->row(), 1)->foreground().color(), QColor(0, 0, 255));
    if (version == 2) {
        QCOMPARE(r->protocolType, "rfx");
        QCOMPARE(r->keyboardModel, "pc104");
        QCOMPARE(r->pxeServerEnabled, "Yes");
        QCOMPARE(r->dhcpEnd, "10.0.0.99");
        QVERIFY(r->autoReconnect && r->swapServer && r->printServer && r->autoLogin);
    } else {
        QCOMPARE(r->protocolType, "RFX");
        QCOMPARE(r->protocolDefault, "pcoip");
        QCOMPARE(r->extraText1, "x1");
        QCOMPARE(r->keyboardModel, "kept");   // version 1 does not carry it
    }
}

void TestRegistration::returningVersion1EmptiesWhatItDoesNotCarry()
{
    ServerFixture fx;
    QVERIFY(fx.start());
    SimDeviceConfig c = deviceConfig(6, 1);   // sub-code 1 carries the server fields
    SimDevice *d = fx.addDevice(c);
    ThinclientInfo *r = fx.waitForRegistered(c.macAddress);
    QVERIFY(r);
    r->timezone = QStringLiteral("Europe/Oslo");   // as a time-zone report would set it
    d->disconnectFromConsole();
    QTRY_VERIFY(!r->online);

    c.subCode = 0;
    c.hotfixVersion = QStringLiteral("not sent");
    c.clientVersion = QStringLiteral("9.9");
    d->config() = c;
    d->reconnect();
    QTRY_VERIFY(r->online);
    QCOMPARE(r->clientVersion, "9.9");
    QVERIFY(r->hotfixVersion.isEmpty());
    QVERIFY(r->boardHostname.isEmpty());
    QVERIFY(r->serverIp.isEmpty());
    QVERIFY(r->serverPort.isEmpty());
    QVERIFY(r->timezone.isEmpty());
    QVERIFY(!r->model.isEmpty());
}

void TestRegistration::returningWithoutRow()
{
    ServerFixture fx;
    fx.setCreateRows(false);
    QVERIFY(fx.start());
    SimDeviceConfig c = deviceConfig(8, 2);
    SimDevice *d = fx.addDevice(c);
    ThinclientInfo *r = fx.waitForRegistered(c.macAddress);
    QVERIFY(r);
    QVERIFY(!r->item);
    r->checked = true;
    d->disconnectFromConsole();
    QTRY_VERIFY(!r->online);
    d->reconnect();
    QTRY_VERIFY(r->online);
    QVERIFY(!r->checked);
    QCOMPARE(fx.devices.size(), 1);
}

void TestRegistration::takeoverOfLiveConnection()
{
    ServerFixture fx;
    QVERIFY(fx.start());
    SimDeviceConfig c = deviceConfig(9, 2);
    SimDevice *first = fx.addDevice(c);
    ThinclientInfo *r = fx.waitForRegistered(c.macAddress);
    QVERIFY(r);
    QSslSocket *firstSocket = r->socket;
    QSignalSpy dropped(first, &SimDevice::disconnected);

    // The same device again before its old connection is seen to end.
    fx.addDevice(c);
    QTRY_VERIFY(r->socket && r->socket != firstSocket);
    QCOMPARE(fx.devices.size(), 1);
    QVERIFY(r->online);
    QTRY_COMPARE(dropped.size(), 1);
    QVERIFY(r->online);
    QCOMPARE(fx.devices.value(r->socket), r);
}

void TestRegistration::emptyMacNeverMatched()
{
    ServerFixture fx;
    QVERIFY(fx.start());
    for (int i = 0; i < 2; ++i) {
        SimDeviceConfig c = deviceConfig(10 + i, 2);
        c.macAddress.clear();
        fx.addDevice(c);
    }
    QVERIFY(fx.waitForDeviceCount(2));
    QCOMPARE(fx.registeredSignals, 2);
    const QList<ThinclientInfo *> records = fx.recordsByMac(QString());
    QCOMPARE(records.size(), 2);
    QVERIFY(records.at(0)->item != records.at(1)->item);
}

void TestRegistration::macCaseMatters()
{
    ServerFixture fx;
    QVERIFY(fx.start());
    SimDeviceConfig upper = deviceConfig(12, 2);
    upper.macAddress = QStringLiteral("02:AB:CD:EF:00:01");
    SimDeviceConfig lower = upper;
    lower.macAddress = upper.macAddress.toLower();
    fx.addDevice(upper);
    QVERIFY(fx.waitForRegistered(upper.macAddress));
    fx.addDevice(lower);
    QVERIFY(fx.waitForDeviceCount(2));
    QCOMPARE(fx.registeredSignals, 2);
}

// Registration looks returning devices up by MAC in an index of its own; the
// main window owns the map and may change it too. Without sockets: the
// handshake's pending record and the registration frame are handed in.
void TestRegistration::returningDeviceFoundAfterOwnerChangesMap_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<bool>("firstFound");      // the first device's MAC is still filed
    QTest::addColumn<int>("firstSocket");      // 0: its own socket, 2: the spare socket
    QTest::addColumn<bool>("replacementFound");

    QTest::newRow("unchanged") << "none" << true << 0 << false;
    QTest::newRow("record removed") << "remove" << false << 0 << false;
    QTest::newRow("record filed under another socket") << "move" << true << 2 << false;
    QTest::newRow("another record under the same socket") << "replace" << false << 0 << true;
    QTest::newRow("map cleared") << "clear" << false << 0 << false;
}

void TestRegistration::returningDeviceFoundAfterOwnerChangesMap()
{
    QFETCH(QString, change);
    QFETCH(bool, firstFound);
    QFETCH(int, firstSocket);
    QFETCH(bool, replacementFound);

    QTemporaryDir dir;
    QSettings settings(dir.filePath(QStringLiteral("s.ini")), QSettings::IniFormat);
    QMap<QSslSocket *, ThinclientInfo *> devices;
    SSLServer server(nullptr, &devices, &settings);
    QSslSocket sockets[3];
    const auto registerOn = [&server](QSslSocket *socket, int index) {
        auto *pending = new ThinclientInfo;
        pending->socket = socket;
        pending->online = true;
        server.pendingDevices << pending;
        server.dispatchFrame(socket, DeviceMessages::registration(deviceConfig(index, 2)));
    };
    const QString first = deviceConfig(40, 2).macAddress;
    const QString second = deviceConfig(41, 2).macAddress;
    registerOn(&sockets[0], 40);
    registerOn(&sockets[1], 41);
    QCOMPARE(devices.size(), 2);

    QList<ThinclientInfo *> gone;
    auto *replacement = new ThinclientInfo;
    replacement->macAddress = QStringLiteral("02:00:00:00:00:99");
    if (change == QLatin1String("remove")) {
        gone << devices.take(&sockets[0]);
    } else if (change == QLatin1String("move")) {
        devices.insert(&sockets[2], devices.take(&sockets[0]));
    } else if (change == QLatin1String("replace")) {
        gone << devices.value(&sockets[0]);
        devices.insert(&sockets[0], replacement);
        replacement = nullptr;
    } else if (change == QLatin1String("clear")) {
        gone << devices.values();
        devices.clear();
    }

    QSslSocket *socket = nullptr;
    ThinclientInfo *record = nullptr;
    QCOMPARE(server.findDeviceByMac(first, &socket, &record), firstFound ? 0 : -1);
    if (firstFound) {
        QCOMPARE(socket, &sockets[firstSocket]);
        QCOMPARE(record, devices.value(socket));
    }
    QCOMPARE(server.findDeviceByMac(QStringLiteral("02:00:00:00:00:99"), &socket, &record),
             replacementFound ? 0 : -1);
    QCOMPARE(server.findDeviceByMac(second, &socket, &record), change == QLatin1String("clear") ? -1 : 0);

    // The first device comes back: it takes its record over when the map
    // still has one, and is filed anew otherwise.
    const int before = int(devices.size());
    QSslSocket back;
    registerOn(&back, 40);
    QCOMPARE(int(devices.size()), before + (firstFound ? 0 : 1));
    QCOMPARE(server.findDeviceByMac(first, &socket, &record), 0);
    QCOMPARE(socket, &back);

    delete replacement;
    qDeleteAll(gone);
    qDeleteAll(QSet<ThinclientInfo *>(devices.cbegin(), devices.cend()));
}

void TestRegistration::secondRegistrationIgnored()
{
    ServerFixture fx;
    QVERIFY(fx.start());
    SimDeviceConfig c = deviceConfig(13, 1);
    SimDevice *d = fx.addDevice(c);
    ThinclientInfo *r = fx.waitForRegistered(c.macAddress);
    QVERIFY(r);
    const QString name = r->deviceName;
    d->config().deviceName = QStringLiteral("renamed");
    d->config().macAddress = QStringLiteral("02:00:00:00:00:99");
    QVERIFY(d->sendRegistration());
    // The server reads in order: once it has seen the disconnect, it has
    // handled the registration before it.
    d->disconnectFromConsole();
    QTRY_VERIFY(!r->online);
    QCOMPARE(r->deviceName, name);
    QCOMPARE(fx.devices.size(), 1);
    QCOMPARE(fx.registeredSignals, 1);
    QCOMPARE(fx.broadcastStates.size(), 1);
}

void TestRegistration::disconnectGreysRowKeepsRecord()
{
    ServerFixture fx;
    QVERIFY(fx.start());
    SimDeviceConfig c = deviceConfig(14, 2);
    SimDevice *d = fx.addDevice(c);
    ThinclientInfo *r = fx.waitForRegistered(c.macAddress);
    QVERIFY(r);
    QSslSocket *key = r->socket;
    const QString path = fx.tempPath() + QStringLiteral("/transfer.bin");
    r->transferFile = new QFile(path);
    QVERIFY(r->transferFile->open(QIODevice::WriteOnly));

    d->disconnectFromConsole();
    QTRY_VERIFY(!r->online);
    QVERIFY(!r->socket);
    QVERIFY(!r->transferFile);
    QCOMPARE(fx.devices.value(key), r);
    QCOMPARE(r->deviceName, c.deviceName);
    QCOMPARE(r->keyboardLayout, c.keyboardLayout);
    QStandardItem *group = r->item->parent();
    for (int column = 0; column < fx.server()->columnCount; ++column)
        QVERIFY(!group->child(r->item->row(), column)->isEnabled());
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
    SSLServer server(nullptr, &fx.devices, fx.settings());
    ThinclientInfo r;
    r.deviceName = QStringLiteral("desk");
    r.ipAddress = QStringLiteral("10.0.0.9");
    r.timezone = QStringLiteral("UTC");
    r.serverDetection = 7;
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

    // Detection text for a value outside the table; the column exists only
    // when configured.
    fx.settings()->setValue("colZorServerDetection", 5);
    server.refreshDeviceRow(&r);
    QCOMPARE(fx.cellText(&r, 7), "Undefined");
    fx.settings()->setValue("colZorServerDetection", 40);
    server.refreshDeviceRow(&r);   // no such cell: nothing written, no crash
}

QTEST_MAIN(TestRegistration)
#include "tst_registration.moc"
