// Frames of the configuration commands, byte by byte, with their refusals;
// the file-install read and the PXE model filter.
#include "commands/packets/configpackets.h"
#include "devicelink/thinclientinfo.h"
#include "pipepeer.h"
#include "testfiles.h"

#include <QSslSocket>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>

using namespace ConfigPackets;

Q_DECLARE_METATYPE(ConfigPackets::NicSettings)
Q_DECLARE_METATYPE(ConfigPackets::PxeConfig)

static QByteArray hex(const char *h)
{
    return QByteArray::fromHex(QByteArray(h).replace(' ', ""));
}

class TestConfigPackets : public QObject
{
    Q_OBJECT
private slots:
    void configureNic_data();
    void configureNic();
    void configureNicLengthLimit();
    void serverDetection_data();
    void serverDetection();
    void serverIdentificationIntoRecord();
    void credentials_data();
    void credentials();
    void usb_data();
    void usb();
    void installFile_data();
    void installFile();
    void installFileSizeLimit();
    void readFileExactly_data();
    void readFileExactly();
    void readOnlyRegularFiles();
    void pxeConfig_data();
    void pxeConfig();
    void pxeModelFilter_data();
    void pxeModelFilter();
    void pxeRecipientsAndSummary();
};

void TestConfigPackets::configureNic_data()
{
    QTest::addColumn<NicSettings>("settings");
    QTest::addColumn<QByteArray>("frame");

    NicSettings off;
    off.domainSearchPath = QStringLiteral("corp.lan");
    off.wiredEnabled = QStringLiteral("No");
    off.wirelessEnabled = QStringLiteral("No");
    off.hostname = QStringLiteral("tc1");
    // Both interfaces off: six strings, the two blocks absent.
    QTest::newRow("both off") << off
        << hex("1d 00 0021  000100 000100 0009636f72702e6c616e00  00034e6f00  00034e6f00  000474633100");

    NicSettings lower = off;
    lower.wiredEnabled = QStringLiteral("no");
    lower.wiredMethod = QStringLiteral("Yes");
    lower.wirelessEnabled = QStringLiteral("NO");
    QTest::newRow("'no' in any case drops the block") << lower
        << hex("1d 00 0021  000100 000100 0009636f72702e6c616e00  00036e6f00  00034e4f00  000474633100");

    NicSettings dhcp;
    dhcp.wiredEnabled = QStringLiteral("Yes");
    dhcp.wiredMethod = QStringLiteral("Yes");
    dhcp.wirelessEnabled = QStringLiteral("No");
    // DHCP still carries the three (empty) address strings.
    QTest::newRow("wired DHCP") << dhcp
        << hex("1d 00 0026  000100 000100 000100  000459657300 000459657300 000100 000100 000100"
               "  00034e6f00  000100");

    NicSettings wifi;
    wifi.dns1 = QStringLiteral("8.8.8.8");
    wifi.wiredEnabled = QStringLiteral("No");
    wifi.wirelessEnabled = QStringLiteral("Yes");
    wifi.wirelessMethod = QStringLiteral("No");
    wifi.wirelessIp = QStringLiteral("10.0.0.5");
    wifi.wirelessNetmask = QStringLiteral("255.0.0.0");
    wifi.wirelessGateway = QStringLiteral("10.0.0.1");
    wifi.wirelessSsid = QStringLiteral("net");
    wifi.wirelessSecurity = QStringLiteral("Wpa2_personal");
    wifi.wirelessPassword = QStringLiteral("pw");
    wifi.hostname = QStringLiteral("h");
    QTest::newRow("wireless static") << wifi
        << hex("1d 00 0061  0008382e382e382e3800 000100 000100  00034e6f00"
               "  000459657300 00034e6f00 000931302e302e302e3500 000a3235352e302e302e3000"
               "  000931302e302e302e3100 00046e657400 000e577061325f706572736f6e616c00 0003707700"
               "  00026800");
}

void TestConfigPackets::configureNic()
{
    QFETCH(NicSettings, settings);
    QFETCH(QByteArray, frame);
    QCOMPARE(ConfigPackets::configureNic(settings).toHex(' '), frame.toHex(' '));
}

void TestConfigPackets::configureNicLengthLimit()
{
    // Everything empty but the host name: 22 bytes + the host name's text.
    NicSettings s;
    s.wiredEnabled = QStringLiteral("No");
    s.wirelessEnabled = QStringLiteral("No");
    s.hostname = QString(65535 - 22, QLatin1Char('h'));
    const QByteArray full = ConfigPackets::configureNic(s);
    QCOMPARE(full.size(), 65539);
    QCOMPARE(quint8(full[2]), quint8(0xFF));
    QCOMPARE(quint8(full[3]), quint8(0xFF));
    s.hostname.append(QLatin1Char('h'));
    QVERIFY(ConfigPackets::configureNic(s).isEmpty());
    QVERIFY(nicMethodText(3).isEmpty());
}

void TestConfigPackets::serverDetection_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("port");
    QTest::addColumn<QByteArray>("frame");

    QTest::newRow("broadcast ignores texts") << 1 << QStringLiteral("x") << QStringLiteral("1") << hex("1e 00 0001 01");
    QTest::newRow("static") << 2 << QStringLiteral("10.1.2.30") << QStringLiteral("5808")
                            << hex("1e 00 0014 02 000a31302e312e322e333000 00053538303800");
    QTest::newRow("unknown mode") << 3 << QString() << QString() << QByteArray();
    QTest::newRow("no mode") << 0 << QString() << QString() << QByteArray();
    // 4096-byte buffer: 15 bytes of frame around the address.
    QTest::newRow("longest address") << 2 << QString(4081, QLatin1Char('a')) << QStringLiteral("5808")
                                     << QByteArray();
    QTest::newRow("address too long") << 2 << QString(4082, QLatin1Char('a')) << QStringLiteral("5808")
                                      << QByteArray();
}

void TestConfigPackets::serverDetection()
{
    QFETCH(int, mode);
    QFETCH(QString, address);
    QFETCH(QString, port);
    QFETCH(QByteArray, frame);
    ServerIdentification id;
    id.mode = mode;
    id.address = address;
    id.port = port;
    const QByteArray built = setServerDetection(id);
    if (QByteArray(QTest::currentDataTag()) == "longest address") {
        QCOMPARE(built.size(), 4096);
        QCOMPARE(built.left(5).toHex(), QByteArray("1e000ffc02"));
        return;
    }
    QCOMPARE(built.toHex(' '), frame.toHex(' '));
}

void TestConfigPackets::serverIdentificationIntoRecord()
{
    ThinclientInfo device;
    ServerIdentification id;
    id.mode = DetectStatic;
    id.address = QStringLiteral("mgr.lan");
    id.port = QStringLiteral("5808");
    applyServerIdentification(&device, id);
    QCOMPARE(device.serverDetection, quint16(2));
    QCOMPARE(device.serverIp, QStringLiteral("mgr.lan"));
    QCOMPARE(device.serverPort, QStringLiteral("5808"));

    // Back to the broadcast: detection 0, old address and port cleared.
    applyServerIdentification(&device, ServerIdentification());
    QCOMPARE(device.serverDetection, quint16(0));
    QVERIFY(device.serverIp.isEmpty());
    QVERIFY(device.serverPort.isEmpty());
    applyServerIdentification(nullptr, id);   // no record: no crash
}

void TestConfigPackets::credentials_data()
{
    QTest::addColumn<bool>("gateway");
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<QString>("hostname");
    QTest::addColumn<QString>("userId");
    QTest::addColumn<QString>("password");
    QTest::addColumn<QByteArray>("frame");

    QTest::newRow("cloud print off") << false << false << QString() << QStringLiteral("bob")
                                     << QStringLiteral("x") << hex("28 00 0001 00");
    QTest::newRow("cloud print on") << false << true << QString() << QStringLiteral("bob")
                                    << QStringLiteral("secret")
                                    << hex("28 00 0010 01 0004626f6200 000773656372657400");
    QTest::newRow("gateway off") << true << false << QStringLiteral("gw") << QStringLiteral("u")
                                 << QStringLiteral("p") << hex("2a 00 0001 00");
    QTest::newRow("gateway on") << true << true << QStringLiteral("gw.lan.io") << QStringLiteral("alice")
                                << QStringLiteral("p4ssw0rd")
                                << hex("2a 00 0020 01 000a67772e6c616e2e696f00 0006616c69636500"
                                       " 0009703473737730726400");
    QTest::newRow("cloud password too long") << false << true << QString() << QStringLiteral("bob")
                                             << QString(4096, QLatin1Char('p')) << QByteArray();
    QTest::newRow("gateway host too long") << true << true << QString(70000, QLatin1Char('h'))
                                           << QStringLiteral("u") << QStringLiteral("p") << QByteArray();
}

void TestConfigPackets::credentials()
{
    QFETCH(bool, gateway);
    QFETCH(bool, enabled);
    QFETCH(QString, hostname);
    QFETCH(QString, userId);
    QFETCH(QString, password);
    QFETCH(QByteArray, frame);
    QByteArray built;
    if (gateway)
        built = setTsGateway({enabled, hostname, userId, password});
    else
        built = setCloudPrint({enabled, userId, password});
    QCOMPARE(built.toHex(' '), frame.toHex(' '));
}

void TestConfigPackets::usb_data()
{
    QTest::addColumn<QStringList>("ids");
    QTest::addColumn<QByteArray>("frame");

    QTest::newRow("none chosen") << QStringList() << hex("2c 00 0001 00");
    QTest::newRow("two") << QStringList{QStringLiteral("1d6b_0002"), QStringLiteral("0781_5567")}
                         << hex("2c 00 0019 02 000a316436625f3030303200 000a303738315f3535363700");
    QTest::newRow("256 ids do not fit the count") << QStringList(256, QStringLiteral("1")) << QByteArray();
    QTest::newRow("over the buffer") << QStringList(2, QString(2100, QLatin1Char('i'))) << QByteArray();
}

void TestConfigPackets::usb()
{
    QFETCH(QStringList, ids);
    QFETCH(QByteArray, frame);
    QCOMPARE(setUsbRedirection(ids).toHex(' '), frame.toHex(' '));
    QCOMPARE(getUsbDevices().toHex(' '), hex("2b 00 0000").toHex(' '));

    // The largest list a device can report (255 IDs of nine characters) fits.
    const QByteArray most = setUsbRedirection(QStringList(255, QStringLiteral("abcd_0123")));
    QCOMPARE(most.size(), 5 + 255 * 12);
    QCOMPARE(quint8(most[4]), quint8(255));
}

void TestConfigPackets::installFile_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QByteArray>("frame");

    const QByteArray abc("ABC");
    QTest::newRow("certificate") << 1 << QStringLiteral("ca.pem") << abc
                                 << hex("26 00 00000011 01 000763612e70656d00 00000003 414243");
    QTest::newRow("ssh key") << 3 << QStringLiteral("k") << QByteArray("Z")
                             << hex("26 00 0000000a 03 00026b00 00000001 5a");
    QTest::newRow("png") << 4 << QStringLiteral("ca.pem") << abc
                         << hex("26 00 00000011 04 000763612e70656d00 00000003 414243");
    QTest::newRow("kind 0") << 0 << QStringLiteral("ca.pem") << abc << QByteArray();
    QTest::newRow("kind 5") << 5 << QStringLiteral("ca.pem") << abc << QByteArray();
    QTest::newRow("no data") << 1 << QStringLiteral("ca.pem") << QByteArray() << QByteArray();
    QTest::newRow("longest name a 16-bit count holds")
        << 1 << QString(65534, QLatin1Char('n')) << abc
        << hex("26 00 00010009 01 ffff") + QByteArray(65534, 'n') + hex("00 00000003 414243");
    QTest::newRow("name over a 16-bit count") << 1 << QString(65535, QLatin1Char('n')) << abc << QByteArray();
}

void TestConfigPackets::installFile()
{
    QFETCH(int, type);
    QFETCH(QString, name);
    QFETCH(QByteArray, data);
    QFETCH(QByteArray, frame);
    QCOMPARE(ConfigPackets::installFile(quint8(type), name, data).toHex(' '), frame.toHex(' '));
}

void TestConfigPackets::installFileSizeLimit()
{
    QByteArray data(int(MaxInstallFileSize), 'x');
    const QByteArray frame = ConfigPackets::installFile(InstallPngImage, QStringLiteral("w.png"), data);
    QCOMPARE(frame.size(), 11 + 8 + 2097152);
    QCOMPARE(frame.mid(2, 4).toHex(), QByteArray("0020000d"));   // total - 6
    QCOMPARE(frame.mid(15, 4).toHex(), QByteArray("00200000"));  // size field
    data.append('x');
    QVERIFY(ConfigPackets::installFile(InstallPngImage, QStringLiteral("w.png"), data).isEmpty());
}

void TestConfigPackets::readFileExactly_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<qint64>("size");
    QTest::addColumn<int>("result");
    QTest::addColumn<QByteArray>("out");

    const int ok = int(FileReadResult::Ok);
    const int failed = int(FileReadResult::ReadFailed);
    QTest::newRow("the size chosen") << "ten.bin" << qint64(10) << ok << QByteArray("0123456789");
    // Grown or shrunk since it was chosen: its first bytes alone would go
    // out as the whole file, or the packet would announce bytes it lacks.
    QTest::newRow("grown since chosen") << "ten.bin" << qint64(4) << failed << QByteArray("untouched");
    QTest::newRow("shrunk since chosen") << "ten.bin" << qint64(11) << failed << QByteArray("untouched");
    QTest::newRow("no size") << "ten.bin" << qint64(0) << failed << QByteArray("untouched");
    QTest::newRow("over the limit") << "ten.bin" << qint64(MaxInstallFileSize + 1) << failed
                                    << QByteArray("untouched");
    QTest::newRow("gone") << "gone" << qint64(10) << int(FileReadResult::OpenFailed) << QByteArray("untouched");
}

void TestConfigPackets::readFileExactly()
{
    QFETCH(QString, file);
    QFETCH(qint64, size);
    QFETCH(int, result);
    QFETCH(QByteArray, out);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(TestFiles::write(dir.filePath(QStringLiteral("ten.bin")), "0123456789"));

    QByteArray read("untouched");
    QCOMPARE(int(ConfigPackets::readFileExactly(dir.filePath(file), size, &read)), result);
    QCOMPARE(read, out);
}

// The file is read a confirmation after it was checked: a pipe that took its
// name meanwhile is not waited on for a writer.
void TestConfigPackets::readOnlyRegularFiles()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("cert.pem"));
    const QByteArray fifo = QFile::encodeName(path);
    QCOMPARE(::mkfifo(fifo.constData(), 0600), 0);
    QByteArray read("untouched");
    FileReadResult result = FileReadResult::Ok;
    QVERIFY(returnsUnaided(fifo, [&] { result = ConfigPackets::readFileExactly(path, 10, &read); }));
    QCOMPARE(int(result), int(FileReadResult::OpenFailed));
    QCOMPARE(read, QByteArray("untouched"));
}

void TestConfigPackets::pxeConfig_data()
{
    QTest::addColumn<PxeConfig>("config");
    QTest::addColumn<QByteArray>("frame");

    PxeConfig off;
    off.subnet = QStringLiteral("10.0.0.0");
    off.dhcpStart = QStringLiteral("10.0.0.1");
    QTest::newRow("off ignores fields") << off << hex("25 01 0002 00 00");

    PxeConfig range;
    range.enabled = true;
    range.dhcpStart = QStringLiteral("10.0.0.100");
    range.dhcpEnd = QStringLiteral("10.0.0.200");
    QTest::newRow("range only") << range
        << hex("25 01 0023 00 01 01 000b31302e302e302e31303000 000b31302e302e302e32303000 000100 000100");

    PxeConfig empty;
    empty.enabled = true;
    empty.pxeOnly = false;
    QTest::newRow("all DHCP, empty fields") << empty << hex("25 01 000f 00 01 00 000100 000100 000100 000100");

    PxeConfig full;
    full.enabled = true;
    full.subnet = QStringLiteral("10.0.0.0");
    full.netmask = QStringLiteral("255.255.255.0");
    full.dhcpStart = QStringLiteral("10.0.0.10");
    full.dhcpEnd = QStringLiteral("10.0.0.20");
    // The range goes before subnet and netmask.
    QTest::newRow("full") << full
        << hex("25 01 0036 00 01 01 000a31302e302e302e313000 000a31302e302e302e323000"
               " 000931302e302e302e3000 000e3235352e3235352e3235352e3000");

    PxeConfig huge = full;
    huge.subnet = QString(4100, QLatin1Char('1'));
    QTest::newRow("over the buffer") << huge << QByteArray();
}

void TestConfigPackets::pxeConfig()
{
    QFETCH(PxeConfig, config);
    QFETCH(QByteArray, frame);
    QCOMPARE(setPxeConfig(config).toHex(' '), frame.toHex(' '));
}

void TestConfigPackets::pxeModelFilter_data()
{
    QTest::addColumn<QString>("model");
    QTest::addColumn<bool>("capable");
    QTest::newRow("Pyrel PC") << QStringLiteral("Pyrel PC") << true;
    QTest::newRow("lower case") << QStringLiteral("pyrel pc") << true;
    QTest::newRow("QB inside") << QStringLiteral("ORL QB64") << true;
    QTest::newRow("WY") << QStringLiteral("ORL WY2") << true;
    QTest::newRow("wy lower") << QStringLiteral("wyvern") << true;
    QTest::newRow("K1") << QStringLiteral("ORL K1") << false;
    QTest::newRow("Pyrel without PC") << QStringLiteral("Pyrel") << false;
    QTest::newRow("underscore") << QStringLiteral("Pyrel_PC") << false;
    QTest::newRow("empty") << QString() << false;
}

void TestConfigPackets::pxeModelFilter()
{
    QFETCH(QString, model);
    QFETCH(bool, capable);
    QCOMPARE(isPxeServerModel(model), capable);
}

void TestConfigPackets::pxeRecipientsAndSummary()
{
    ThinclientInfo pyrel, k1, k2, offlineQb, uncheckedQb;
    pyrel.model = QStringLiteral("pyrel pc");
    k1.model = QStringLiteral("ORL K1");
    k2.model = QStringLiteral("ORL K2");
    offlineQb.model = QStringLiteral("ORL QB64");
    uncheckedQb.model = QStringLiteral("ORL QB64");
    QSslSocket socket;
    for (ThinclientInfo *d : {&pyrel, &k1, &k2, &offlineQb, &uncheckedQb}) {
        d->checked = true;
        d->online = true;
        d->socket = &socket;
    }
    offlineQb.online = false;
    uncheckedQb.checked = false;

    const PxeRecipients r = pxeRecipients({&k1, &pyrel, nullptr, &offlineQb, &k2, &uncheckedQb});
    QCOMPARE(r.selected, 3);
    QCOMPARE(r.recipients, QList<ThinclientInfo *>{&pyrel});
    QCOMPARE(r.ignored(), 2);
    QCOMPARE(pxeIgnoredSummary(int(r.recipients.size()), r.selected),
             QStringLiteral("PXE server configuration command sent to 1 PXE servers.\n\n"
                            "2 device(s) ignored because they are not PXE servers"));

    QVERIFY(pxeIgnoredSummary(0, 0).isEmpty());
}

QTEST_GUILESS_MAIN(TestConfigPackets)
#include "tst_configpackets.moc"
