// The device simulator: its stream cutter, its messages against the server's
// own checks, and the korvane-sim program against a test server.
// ctest-timeout: 300
#include "devicelink/discovery.h"
#include "devicelink/sslserver.h"
#include "devicelink/thinclientinfo.h"
#include "devicelink/wire.h"
#include "devicemessages.h"
#include "receivedframe.h"
#include "serverfixture.h"
#include "simfleet.h"

#include <QProcess>
#include <QSet>
#include <QUdpSocket>
#include <QtTest>

namespace {

QByteArray transferFrame(quint8 type, int payload)
{
    return WireWriter::withTransferHeader(type, 0, qint64(payload) + 6).raw(QByteArray(payload, 'x')).finish();
}

QStringList drain(QProcess &p)
{
    return QString::fromLatin1(p.readAllStandardOutput() + p.readAllStandardError()).split('\n', Qt::SkipEmptyParts);
}

} // namespace

class TestSimulator : public QObject
{
    Q_OBJECT
private slots:
    void consoleStream_data();
    void consoleStream();
    void consoleStreamRefusesHugeFrame();
    void handshakeLinePassesServerCheck_data();
    void handshakeLinePassesServerCheck();
    void allowedAddresses_data();
    void allowedAddresses();
    void fleetDevicesDistinct();
    void durationOption_data();
    void durationOption();

    void deviceRecordsConsoleFrames();
    void fleetKeepsNoFrames();
    void deviceChecksTheAnswer();
    void programFindsConsoleByDiscovery();
    void programRefusesOutsideHost();
};

void TestSimulator::consoleStream_data()
{
    QTest::addColumn<QByteArray>("stream");
    QTest::addColumn<int>("chunk");
    QTest::addColumn<QList<int>>("types");
    QTest::addColumn<QList<int>>("sizes");

    const QByteArray date = SSLServer::serverDateFrame(QDate(2024, 3, 5));
    const QByteArray push = transferFrame(0x18, 70000);   // beyond what a u16 length counts
    const QByteArray install = transferFrame(0x26, 3);
    const QByteArray reply = WireWriter(7, 2).wireString("ok").finish();
    const QByteArray all = date + push + install + reply;
    const QList<int> types{5, 0x18, 0x26, 7};
    const QList<int> sizes{int(date.size()), int(push.size()), int(install.size()), int(reply.size())};
    QTest::newRow("one chunk") << all << int(all.size()) << types << sizes;
    QTest::newRow("byte by byte") << all << 1 << types << sizes;
    QTest::newRow("odd chunks") << all << 4093 << types << sizes;
    QTest::newRow("bit 7 set") << QByteArray(reply).replace(0, 1, "\x87") << 2 << QList<int>{7}
                               << QList<int>{int(reply.size())};
}

void TestSimulator::consoleStream()
{
    QFETCH(QByteArray, stream);
    QFETCH(int, chunk);
    QFETCH(QList<int>, types);
    QFETCH(QList<int>, sizes);
    ConsoleStream cs;
    QList<ReceivedFrame> frames;
    for (int i = 0; i < stream.size(); i += chunk) {
        cs.append(stream.mid(i, chunk));
        ReceivedFrame f;
        while (cs.next(&f))
            frames.append(f);
    }
    QCOMPARE(cs.pending(), 0);
    QList<int> gotTypes, gotSizes;
    QByteArray joined;
    for (const ReceivedFrame &f : frames) {
        gotTypes.append(f.type);
        gotSizes.append(int(f.bytes.size()));
        QCOMPARE(qint64(f.length), qint64(f.bytes.size() - f.headerSize));
        QCOMPARE(f.headerSize, ConsoleStream::hasTransferHeader(f.type) ? 6 : 4);
        joined += f.bytes;
    }
    QCOMPARE(gotTypes, types);
    QCOMPARE(gotSizes, sizes);
    QCOMPARE(joined, stream);
}

void TestSimulator::consoleStreamRefusesHugeFrame()
{
    ConsoleStream cs;
    cs.append(QByteArray::fromHex("18007fffffff"));
    ReceivedFrame f;
    QVERIFY(!cs.next(&f));
    QVERIFY(cs.failed());
}

void TestSimulator::handshakeLinePassesServerCheck_data()
{
    QTest::addColumn<QString>("mac");
    QTest::addColumn<QByteArray>("fields");
    QTest::newRow("upper") << "02:4B:56:00:00:0A" << QByteArray("02:4B:56:00:00:0A");
    QTest::newRow("lower, dashes") << "aa-bb-cc-dd-ee-ff" << QByteArray("aa:bb:cc:dd:ee:ff");
    QTest::newRow("short mac") << "02:4B" << QByteArray("02:4B:00:00:00:00");
}

void TestSimulator::handshakeLinePassesServerCheck()
{
    QFETCH(QString, mac);
    QFETCH(QByteArray, fields);
    QCOMPARE(DeviceMessages::handshakeFields(mac), fields);
    QByteArray answer;
    QVERIFY(SSLServer::checkHandshakeLine(DeviceMessages::handshakeLine(fields), &answer));
    QCOMPARE(answer, DeviceMessages::expectedAnswer(fields));
}

void TestSimulator::allowedAddresses_data()
{
    QTest::addColumn<QString>("host");
    QTest::addColumn<bool>("allowed");
    QTest::newRow("loopback") << "127.0.0.1" << true;
    QTest::newRow("other loopback") << "127.3.2.1" << true;
    QTest::newRow("localhost") << "localhost" << true;
    QTest::newRow("ipv6 loopback") << "::1" << true;
    QTest::newRow("namespace") << "10.77.0.2" << true;
    QTest::newRow("next to the namespace") << "10.77.1.2" << false;
    QTest::newRow("private") << "192.168.1.10" << false;
    QTest::newRow("public") << "192.0.2.1" << false;
    QTest::newRow("name") << "example.com" << false;
}

void TestSimulator::allowedAddresses()
{
    QFETCH(QString, host);
    QFETCH(bool, allowed);
    QCOMPARE(!SimFleet::resolveAllowed(host).isNull(), allowed);
}

void TestSimulator::fleetDevicesDistinct()
{
    QSet<QString> macs, names, models;
    for (int i = 0; i < 50; ++i) {
        const SimDeviceConfig c = SimDeviceConfig::numbered(i);
        macs.insert(c.macAddress);
        names.insert(c.deviceName);
        models.insert(c.model);
    }
    QCOMPARE(macs.size(), 50);
    QCOMPARE(names.size(), 50);
    QVERIFY(models.contains("ORL K1") && models.contains("Pyrel PC") && models.contains("ORL QB64"));
}

// A timer waits at most INT_MAX ms: a longer run must not wrap round into a
// stop within the second, or into a negative wait that never ends it.
void TestSimulator::durationOption_data()
{
    QTest::addColumn<QString>("seconds");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<int>("ms");

    QTest::newRow("a minute") << "60" << true << 60000;
    QTest::newRow("until stopped") << "0" << true << 0;
    QTest::newRow("longest a timer waits") << "2147483" << true << 2147483000;
    QTest::newRow("one second more") << "2147484" << false << 0;
    QTest::newRow("wraps to 704 ms") << "4294968" << false << 0;
    QTest::newRow("wraps negative") << "3000000" << false << 0;
    QTest::newRow("negative") << "-5" << false << 0;
    QTest::newRow("not a number") << "1h" << false << 0;
}

void TestSimulator::durationOption()
{
    QFETCH(QString, seconds);
    QFETCH(bool, accepted);
    QFETCH(int, ms);
    int got = -1;
    QCOMPARE(SimFleet::durationMs(seconds, &got), accepted);
    if (accepted)
        QCOMPARE(got, ms);
}

void TestSimulator::deviceRecordsConsoleFrames()
{
    ServerFixture fx;
    QVERIFY(fx.start());
    SimDeviceConfig c = SimDeviceConfig::numbered(0);
    const QDate before = QDate::currentDate();
    SimDevice *d = fx.addDevice(c);
    QSignalSpy received(d, &SimDevice::frameReceived);
    ThinclientInfo *r = fx.waitForRegistered(c.macAddress);
    QVERIFY(r);
    // The date may turn over while the device connects.
    QVERIFY(d->consoleDate() >= before && d->consoleDate() <= QDate::currentDate());
    QCOMPARE(d->answerDigest(), DeviceMessages::expectedAnswer(DeviceMessages::handshakeFields(c.macAddress)));
    QCOMPARE(received.size(), 1);   // the date frame

    const QByteArray command = WireWriter(0x06, 0).wireString("new-name").finish();
    const QByteArray push = transferFrame(0x18, 100000);
    SSLServer::writeToDevice(r->socket, command + push);
    QTRY_COMPARE(d->receivedFrames().size(), 3);
    QCOMPARE(received.size(), 3);
    QCOMPARE(d->receivedFrames().at(1).bytes, command);
    QCOMPARE(d->receivedFrames().at(1).payload(), command.mid(4));
    const ReceivedFrame &f = d->receivedFrames().at(2);
    QCOMPARE(f.type, quint8(0x18));
    QCOMPARE(f.length, quint32(100000));
    QCOMPARE(f.bytes, push);
}

// A fleet runs for as long as it is asked to: what the console sends is
// signalled, never piled up.
void TestSimulator::fleetKeepsNoFrames()
{
    ServerFixture fx;
    QVERIFY(fx.start());
    SimFleetOptions options;
    options.count = 2;
    SimFleet fleet(options);
    QSignalSpy received(fleet.devices().first(), &SimDevice::frameReceived);
    QString error;
    QVERIFY2(fleet.start(QStringLiteral("127.0.0.1"), fx.port(), &error), qPrintable(error));
    QVERIFY(fx.waitForDeviceCount(2));
    ThinclientInfo *r = fx.waitForRegistered(fleet.devices().first()->config().macAddress);
    QVERIFY(r);
    const QByteArray push = transferFrame(0x18, 60000);
    for (int i = 0; i < 5; ++i)
        SSLServer::writeToDevice(r->socket, push);
    QTRY_COMPARE(received.size(), 6);   // the date frame and the pushes
    for (const SimDevice *device : fleet.devices())
        QVERIFY(device->receivedFrames().isEmpty());
}

void TestSimulator::deviceChecksTheAnswer()
{
    ServerFixture fx;
    QVERIFY(fx.start());
    // A console that answers with a wrong digest is not trusted.
    SSLServer::setWriteHook([](QSslSocket *socket, const QByteArray &data) {
        QByteArray bytes = data;
        if (bytes.size() == 32)
            bytes[0] = bytes[0] == '0' ? '1' : '0';
        return socket->write(bytes);
    });
    SimDevice fooled(SimDeviceConfig::numbered(2));
    QSignalSpy fooledFailed(&fooled, &SimDevice::failed);
    fooled.connectToConsole(QStringLiteral("127.0.0.1"), fx.port());
    const bool failedInTime = QTest::qWaitFor([&] { return !fooledFailed.isEmpty(); }, 15000);
    SSLServer::setWriteHook(nullptr);
    QVERIFY(failedInTime);
    QVERIFY(fooled.lastError().contains("answer digest"));
    QVERIFY(!fooled.isReady());

    // A refused line ends in a failure, not a hang.
    SimDevice refused(SimDeviceConfig::numbered(3));
    QSignalSpy refusedFailed(&refused, &SimDevice::failed);
    refused.setHandshakeLine("aa:bb::0");
    refused.connectToConsole(QStringLiteral("127.0.0.1"), fx.port());
    QTRY_COMPARE(refusedFailed.size(), 1);
    QVERIFY(!refused.isReady());
}

void TestSimulator::programFindsConsoleByDiscovery()
{
    ServerFixture fx;
    QVERIFY(fx.start());
    QUdpSocket probe;
    QVERIFY(probe.bind(QHostAddress::LocalHost, 0));
    const quint16 udpPort = probe.localPort();
    probe.close();

    QProcess sim;
    sim.start(QStringLiteral(KORVANE_SIM_PROGRAM), {"--discover", "--udp-port", QString::number(udpPort), "--bind",
                                                    "127.0.0.1", "--count", "3", "--duration", "60"});
    QVERIFY(sim.waitForStarted());
    QUdpSocket sender;
    // A datagram from an impostor first: wrong digest, ignored.
    QByteArray forged = Discovery::datagram("127.0.0.1", fx.port() + 1);
    forged.replace(forged.size() - 10, 4, "0000");
    const QByteArray genuine = Discovery::datagram("127.0.0.1", fx.port());
    const bool registered = QTest::qWaitFor(
        [&] {
            sender.writeDatagram(forged, QHostAddress::LocalHost, udpPort);
            sender.writeDatagram(genuine, QHostAddress::LocalHost, udpPort);
            return fx.devices.size() == 3;
        },
        60000);
    QVERIFY2(registered, qPrintable(drain(sim).join('\n')));
    QCOMPARE(fx.registeredSignals, 3);
    sim.terminate();
    QTRY_COMPARE_WITH_TIMEOUT(sim.state(), QProcess::NotRunning, 30000);
    QCOMPARE(sim.exitStatus(), QProcess::NormalExit);
    QCOMPARE(sim.exitCode(), 0);
    QVERIFY(drain(sim).contains("korvane-sim: 3 of 3 devices registered"));
    // Every device is gone: records stay, offline.
    QTRY_VERIFY(std::none_of(fx.devices.cbegin(), fx.devices.cend(), [](const ThinclientInfo *r) { return r->online; }));
}

void TestSimulator::programRefusesOutsideHost()
{
    QProcess sim;
    sim.start(QStringLiteral(KORVANE_SIM_PROGRAM), {"--host", "192.0.2.1", "--duration", "1"});
    QVERIFY(sim.waitForFinished(30000));
    QCOMPARE(sim.exitCode(), 2);
    QVERIFY(QString::fromLatin1(sim.readAllStandardError()).contains("only loopback and 10.77.0.0/24"));
}

QTEST_MAIN(TestSimulator)
#include "tst_simulator.moc"
