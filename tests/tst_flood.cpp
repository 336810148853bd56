// The device server under a flood of junk on loopback, while well-behaved
// devices are served: TCP connections that never start TLS, TLS peers that
// send garbage instead of a handshake line, and registered devices that send
// random frames. Every count is bounded and everything stops by itself.
// The well-behaved devices register, take a command and download a file in
// the middle of it; afterwards the server's bookkeeping is back at rest.
// ctest-timeout: 900
#include "commands/packets/delivery.h"
#include "commands/packets/everydaypackets.h"
#include "devicelink/sslserver.h"
#include "devicelink/thinclientinfo.h"
#include "fileclient.h"
#include "serverfixture.h"
#include "simdevice.h"
#include "simdeviceconfig.h"

#include <QDir>
#include <QElapsedTimer>
#include <QPointer>
#include <QRandomGenerator>
#include <QTcpSocket>
#include <QTimer>
#include <QtTest>

#include <memory>
#include <sys/resource.h>

namespace {

constexpr int SilentConnections = 200;
constexpr int GarbagePeers = 50;
constexpr int NoisyDevices = 50;
constexpr int GoodDevices = 10;
constexpr int FramesPerNoisyDevice = 60;
// Memcheck runs everything many times slower; its script says how much.
int timeScale()
{
    bool ok = false;
    const int scale = qEnvironmentVariableIntValue("KORVANE_TEST_TIMEOUT_SCALE", &ok);
    return ok && scale > 0 ? scale : 1;
}
// Shortened so the test sees the server's own timeout at work on the junk
// connections; the limit is taken when a connection is accepted.
const int HandshakeTimeoutMs = 10000 * timeScale();
// A loaded, sanitized build on two cores may be late by seconds, but never by
// the default 30 s that the shortened timeout replaces.
const int LatenessAllowedMs = 15000 * timeScale();
// What the devices get once the junk connections have theirs: on a busy
// machine a good device among hundreds of others may need longer than the
// shortened limit, and being closed then says nothing about the flood.
const int DeviceHandshakeTimeoutMs = 10 * 60 * 1000;

// Types a device may send, and a few it may not.
const quint8 frameTypes[] = {3, 4, 5, 6, 7, 8, 9, 10, 11, 17, 18, 22, 23, 29, 33, 34, 36, 37, 43, 49, 0, 2, 60, 127};

QByteArray randomBytes(QRandomGenerator &rng, int size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    for (char &c : bytes)
        c = char(rng.bounded(256));
    return bytes;
}

// One junk frame: a known or unknown type, any sub-code, random payload.
// Most announce their true length; some lie, which leaves the stream waiting
// for bytes that never come or cuts the next frame short.
QByteArray randomFrame(QRandomGenerator &rng)
{
    const quint8 type = frameTypes[rng.bounded(int(sizeof frameTypes))] | (rng.bounded(8) == 0 ? 0x80 : 0);
    QByteArray payload;
    switch (rng.bounded(4)) {
    case 0: payload = randomBytes(rng, int(rng.bounded(8))); break;
    case 1: payload = randomBytes(rng, int(rng.bounded(600))); break;
    case 2: payload = "x" + QByteArray("noise-") + QByteArray::number(rng.bounded(1000)) + '\0'; break;
    default: payload = randomBytes(rng, int(rng.bounded(5000))); break;
    }
    int announced = int(payload.size());
    if (rng.bounded(10) == 0)
        announced = int(rng.bounded(65536));
    QByteArray frame;
    frame.append(char(type)).append(char(rng.bounded(256)));
    frame.append(char(announced >> 8)).append(char(announced & 0xFF));
    return frame + payload;
}

struct SilentConnection {
    QTcpSocket *socket = nullptr;
    qint64 startedAt = -1;      // before connecting: the server's clock starts later
    bool connected = false;
    qint64 closedAt = -1;
};

} // namespace

class TestFlood : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void floodWhileServingDevices();
};

void TestFlood::initTestCase()
{
    // Each connection costs a descriptor on both ends, in this one process.
    rlimit limit{};
    QCOMPARE(getrlimit(RLIMIT_NOFILE, &limit), 0);
    const rlim_t wanted = 4096;
    if (limit.rlim_cur < wanted) {
        limit.rlim_cur = limit.rlim_max == RLIM_INFINITY ? wanted : qMin(wanted, limit.rlim_max);
        QCOMPARE(setrlimit(RLIMIT_NOFILE, &limit), 0);
    }
    QVERIFY2(limit.rlim_cur >= 2 * (SilentConnections + GarbagePeers + NoisyDevices + GoodDevices) + 100,
             "the descriptor limit is too low for this test");
}

void TestFlood::floodWhileServingDevices()
{
    ServerFixture fx;
    const QString temp = fx.tempPath() + QStringLiteral("/temp");
    const QString firmware = fx.tempPath() + QStringLiteral("/firmware");
    QVERIFY(QDir().mkpath(temp) && QDir().mkpath(firmware));
    fx.settings()->setValue(QStringLiteral("tempDir"), temp);
    fx.settings()->setValue(QStringLiteral("firmwareImageDir"), firmware);
    QVERIFY(fx.start());
    SSLServer *server = fx.server();
    server->setHandshakeTimeout(HandshakeTimeoutMs);
    QCOMPARE(server->connectionCount(), 0);

    QElapsedTimer clock;
    clock.start();
    QRandomGenerator rng(7411);

    // TCP connections that never say anything.
    QList<SilentConnection> silent(SilentConnections);
    for (SilentConnection &c : silent) {
        c.socket = new QTcpSocket(this);
        SilentConnection *entry = &c;
        connect(c.socket, &QTcpSocket::connected, this, [entry] { entry->connected = true; });
        connect(c.socket, &QTcpSocket::disconnected, this, [entry, &clock] { entry->closedAt = clock.elapsed(); });
        c.startedAt = clock.elapsed();
        c.socket->connectToHost(QHostAddress::LocalHost, fx.port());
    }
    // Accepted, each with the short limit: a connection the server closed
    // was accepted before.
    QVERIFY(QTest::qWaitFor(
        [&] {
            const auto closed = std::count_if(silent.cbegin(), silent.cend(),
                                              [](const SilentConnection &c) { return c.closedAt >= 0; });
            return server->connectionCount() + closed >= SilentConnections;
        },
        120000));

    // TLS peers that send garbage where the handshake line belongs: binary
    // lines, text lines, a line that never ends and outgrows the limit, and
    // half a line followed by silence.
    QList<QSslSocket *> garbage;
    for (int i = 0; i < GarbagePeers; ++i) {
        auto *socket = new QSslSocket(this);
        QSslConfiguration tls = socket->sslConfiguration();
        tls.setPeerVerifyMode(QSslSocket::VerifyNone);
        socket->setSslConfiguration(tls);
        QByteArray junk;
        switch (i % 5) {
        case 0: junk = randomBytes(rng, 1 + int(rng.bounded(300))).replace('\n', ' ') + '\n'; break;
        case 1: junk = "GET / HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n"; break;
        case 2: junk = QByteArray(9000, 'A'); break;
        case 3: junk = "00:1A:2B:3C"; break;
        default: junk = "a:b:c:d:e:f::" + QByteArray(32, '0') + "\n" + randomBytes(rng, 100); break;
        }
        connect(socket, &QSslSocket::encrypted, socket, [socket, junk] { socket->write(junk); });
        socket->connectToHostEncrypted(QStringLiteral("127.0.0.1"), fx.port());
        garbage << socket;
    }
    // A peer past its TLS handshake, or closed, was accepted with the short limit.
    QVERIFY(QTest::qWaitFor(
        [&garbage] {
            return std::all_of(garbage.cbegin(), garbage.cend(), [](QSslSocket *s) {
                return s->isEncrypted() || s->state() == QAbstractSocket::UnconnectedState;
            });
        },
        120000));
    server->setHandshakeTimeout(DeviceHandshakeTimeoutMs);

    // Registered devices that then send random frames in bursts.
    QList<SimDevice *> noisy;
    int noisyFramesSent = 0;
    for (int i = 0; i < NoisyDevices; ++i) {
        SimDevice *device = fx.addDevice(SimDeviceConfig::numbered(1000 + i));
        noisy << device;
        connect(device, &SimDevice::registered, this, [device, &rng, &noisyFramesSent] {
            auto *burst = new QTimer(device);
            burst->setInterval(20);
            auto left = std::make_shared<int>(FramesPerNoisyDevice);
            connect(burst, &QTimer::timeout, device, [device, burst, left, &rng, &noisyFramesSent] {
                for (int n = 0; n < 3 && *left > 0; ++n, --*left) {
                    if (device->sendRaw(randomFrame(rng)) > 0)
                        ++noisyFramesSent;
                }
                if (*left == 0)
                    burst->stop();
            });
            burst->start();
        });
    }

    // The devices the administrator cares about, arriving in the middle of it.
    const QByteArray fileData = randomBytes(rng, 300 * 1024 + 17);
    {
        QFile image(firmware + QStringLiteral("/image.bin"));
        QVERIFY(image.open(QIODevice::WriteOnly));
        QCOMPARE(image.write(fileData), fileData.size());
    }
    QList<SimDevice *> good;
    for (int i = 0; i < GoodDevices; ++i)
        good << fx.addDevice(SimDeviceConfig::numbered(i));

    QList<ThinclientInfo *> goodRecords;
    for (SimDevice *device : std::as_const(good)) {
        ThinclientInfo *record = fx.waitForRegistered(device->config().macAddress, 120000);
        QVERIFY2(record, qPrintable(device->config().deviceName + QStringLiteral(" was not registered: ")
                                    + device->lastError()));
        record->checked = true;
        goodRecords << record;
    }

    // A command reaches every one of them.
    const QByteArray command = Packets::setName(QStringLiteral("flood-survivor"));
    QCOMPARE(Delivery::writeToSelected(&goodRecords, command), GoodDevices);
    for (SimDevice *device : std::as_const(good)) {
        QVERIFY2(QTest::qWaitFor(
                     [device, &command] {
                         for (const ReceivedFrame &f : device->receivedFrames())
                             if (f.bytes == command)
                                 return true;
                         return false;
                     },
                     60000),
                 qPrintable(device->config().deviceName + QStringLiteral(" did not get the command")));
    }

    // And each downloads an image through messages 9, 11 and 10, all at once.
    QList<FileClient *> downloads;
    for (SimDevice *device : std::as_const(good)) {
        auto *client = new FileClient(device, device);
        client->download(firmware + QStringLiteral("/image.bin"));
        downloads << client;
    }
    for (FileClient *client : std::as_const(downloads)) {
        QVERIFY(client->waitForFinished(120000));
        QVERIFY(client->succeeded());
        QVERIFY(client->data() == fileData);
    }

    // Every junk connection is closed by the server, the silent ones by the
    // handshake timeout: not before it, and not much after it.
    QVERIFY(QTest::qWaitFor(
        [&silent] {
            return std::all_of(silent.cbegin(), silent.cend(), [](const SilentConnection &c) { return c.closedAt >= 0; });
        },
        HandshakeTimeoutMs + LatenessAllowedMs + 30000));
    for (const SilentConnection &c : std::as_const(silent)) {
        QVERIFY(c.connected);
        const qint64 open = c.closedAt - c.startedAt;
        // Coarse timers may fire up to 5 % early.
        QVERIFY2(open >= HandshakeTimeoutMs * 9 / 10, qPrintable(QString::number(open)));
        QVERIFY2(open <= HandshakeTimeoutMs + LatenessAllowedMs, qPrintable(QString::number(open)));
    }
    QVERIFY(QTest::qWaitFor(
        [&garbage] {
            return std::all_of(garbage.cbegin(), garbage.cend(), [](QSslSocket *s) {
                return s->state() == QAbstractSocket::UnconnectedState;
            });
        },
        HandshakeTimeoutMs + LatenessAllowedMs));

    // All noisy devices had their say, then leave.
    QVERIFY(QTest::qWaitFor([&] { return noisyFramesSent >= NoisyDevices * FramesPerNoisyDevice * 9 / 10; }, 120000));
    QTest::qWait(200);
    for (SimDevice *device : std::as_const(noisy))
        device->disconnectFromConsole();

    // The server is back at rest: state only for the good devices' live
    // connections, no pending record, and no socket but theirs (a device that
    // left keeps its record, not its socket).
    QVERIFY2(QTest::qWaitFor([&] { return server->connectionCount() == GoodDevices; }, 60000),
             qPrintable(QString::number(server->connectionCount())));
    QCOMPARE(server->pendingDevices.size(), 0);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QTest::qWait(100);
    QCOMPARE(int(server->findChildren<QSslSocket *>(Qt::FindDirectChildrenOnly).size()), int(goodRecords.size()));
    for (ThinclientInfo *record : std::as_const(fx.devices)) {
        if (!goodRecords.contains(record))
            QVERIFY(!record->socket && !record->transferFile);
    }
    for (ThinclientInfo *record : std::as_const(goodRecords))
        QVERIFY(record->online && record->socket);

    // And it still takes new devices.
    SimDevice *late = fx.addDevice(SimDeviceConfig::numbered(5000));
    QVERIFY(fx.waitForRegistered(late->config().macAddress, 60000));
    qInfo("flood: %d silent, %d garbage, %d noisy devices (%d frames), %d served, in %lld ms", SilentConnections,
          GarbagePeers, NoisyDevices, noisyFramesSent, GoodDevices, static_cast<long long>(clock.elapsed()));

    for (const SilentConnection &c : std::as_const(silent))
        delete c.socket;
    qDeleteAll(garbage);
}

QTEST_MAIN(TestFlood)
#include "tst_flood.moc"
