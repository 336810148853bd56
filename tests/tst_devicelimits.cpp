// ctest-timeout: 300
// What a device cannot take from the console over a real connection: memory
// for answers it never reads, a descriptor it never registers with.
#include "devicemessages.h"
#include "fileclient.h"
#include "nodescriptorsleft.h"
#include "serverfixture.h"
#include "testfiles.h"

#include "devicelink/thinclientinfo.h"
#include "devicelink/wire.h"

#include <QDir>
#include <QFileInfo>
#include <QPointer>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTcpSocket>
#include <QTimer>
#include <QtTest>

#include <QProcess>
#include <QSemaphore>
#include <QThread>

#include <arpa/inet.h>
#include <fcntl.h>
#include <linux/sockios.h>
#include <netinet/in.h>
#include <sched.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

const QString HostileMac = QStringLiteral("0a:0b:0c:0d:0e:0f");
constexpr int Requests = 10000;

QByteArray pattern(int size)
{
    QByteArray data(size, Qt::Uninitialized);
    for (int i = 0; i < size; ++i)
        data[i] = char((i * 13 + 5) % 251);
    return data;
}

// Whole frames of a type in what the console sent after its handshake answer.
int countFrames(const QByteArray &stream, quint8 type, int size)
{
    int count = 0;
    for (int at = 32; at + Wire::HeaderSize <= stream.size();) {
        const int whole = Wire::HeaderSize + (quint8(stream[at + 2]) << 8 | quint8(stream[at + 3]));
        if (quint8(stream[at]) == type && whole == size)
            ++count;
        at += whole;
    }
    return count;
}

int openDescriptors()
{
    return int(QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::Files | QDir::System).size());
}

// The descriptor limit a desktop session hands a program, for as long as
// one lives: room for only a few more than are open now.
class SessionLimit
{
public:
    explicit SessionLimit(int room)
    {
        if (getrlimit(RLIMIT_NOFILE, &m_old) != 0)
            return;
        rlimit low = m_old;
        low.rlim_cur = rlim_t(openDescriptors() + room);
        m_lowered = low.rlim_cur < m_old.rlim_cur && setrlimit(RLIMIT_NOFILE, &low) == 0;
    }
    ~SessionLimit()
    {
        if (m_lowered)
            setrlimit(RLIMIT_NOFILE, &m_old);
    }
    bool lowered() const { return m_lowered; }

private:
    rlimit m_old{};
    bool m_lowered = false;
};

// What the system still holds of a socket's output: unsent or not yet
// acknowledged by the peer.
int unacknowledged(QAbstractSocket *socket)
{
    int bytes = -1;
    return ioctl(int(socket->socketDescriptor()), SIOCOUTQ, &bytes) == 0 ? bytes : -1;
}

// Runs a command line of words split at blanks.
bool runTool(const QString &line)
{
    const QStringList words = line.split(QLatin1Char(' '));
    return QProcess::execute(words.first(), words.mid(1)) == 0;
}

// A device on a network of its own, behind a link the test can cut. The
// test's thread moves to a namespace of its own for the console's side,
// so that other tests, which may be running beside it, never see the
// link; a thread of this class makes the device's side and a socket there,
// and a veth pair joins the two. Cutting the link drops every packet
// without a word, as a device that lost its power or its cable does.
class FarNetwork : public QThread
{
public:
    static constexpr const char *ConsoleAddress = "10.78.0.1";

    ~FarNetwork() override
    {
        if (m_socket >= 0)
            ::close(m_socket);
        m_release.release();
        wait();
        // Both sides go with their last socket, the link with them.
        if (m_home >= 0) {
            setns(m_home, CLONE_NEWNET);
            ::close(m_home);
        }
    }

    // False where namespaces cannot be made.
    bool setUp()
    {
        m_home = ::open("/proc/thread-self/ns/net", O_RDONLY | O_CLOEXEC);
        if (m_home < 0 || unshare(CLONE_NEWNET) != 0)
            return false;
        start();
        m_made.acquire();
        if (m_socket < 0)
            return false;
        m_inFar = QStringLiteral("nsenter --net=/proc/%1/task/%2/ns/net ").arg(getpid()).arg(m_tid);
        return runTool(QStringLiteral("ip link add kvfar0 type veth peer name kvfar1"))
               && runTool(QStringLiteral("ip addr add 10.78.0.1/30 dev kvfar0"))
               && runTool(QStringLiteral("ip link set kvfar0 up"))
               && runTool(QStringLiteral("ip link set kvfar1 netns %1").arg(m_tid))
               && runTool(m_inFar + QStringLiteral("ip addr add 10.78.0.2/30 dev kvfar1"))
               && runTool(m_inFar + QStringLiteral("ip link set kvfar1 up"));
    }

    // A TLS client on the far side, connected to the console's port.
    QSslSocket *connect(quint16 port)
    {
        sockaddr_in to{};
        to.sin_family = AF_INET;
        to.sin_port = htons(port);
        inet_pton(AF_INET, ConsoleAddress, &to.sin_addr);
        // The kernel answers the connection for the listening console.
        if (::connect(m_socket, reinterpret_cast<sockaddr *>(&to), sizeof to) != 0)
            return nullptr;
        auto *socket = new QSslSocket;
        if (!socket->setSocketDescriptor(m_socket)) {
            delete socket;
            return nullptr;
        }
        m_socket = -1;
        QSslConfiguration tls = socket->sslConfiguration();
        tls.setPeerVerifyMode(QSslSocket::VerifyNone);
        socket->setSslConfiguration(tls);
        socket->startClientEncryption();
        return socket;
    }

    bool cut() { return runTool(m_inFar + QStringLiteral("ip link set kvfar1 down")); }

protected:
    void run() override
    {
        if (unshare(CLONE_NEWNET) == 0) {
            m_tid = pid_t(syscall(SYS_gettid));
            // A socket belongs to the namespace it was made in, whichever
            // thread uses it later.
            m_socket = ::socket(AF_INET, SOCK_STREAM, 0);
        }
        m_made.release();
        // The namespace lives as long as this thread, for nsenter.
        m_release.acquire();
    }

private:
    int m_home = -1;   // the namespace the test's thread came from
    pid_t m_tid = 0;
    int m_socket = -1;
    QString m_inFar;   // runs a command in the device's namespace
    QSemaphore m_made;
    QSemaphore m_release;
};

} // namespace

class TestDeviceLimits : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void unreadAnswersWait_data();
    void unreadAnswersWait();
    void unreadCommandsDropTheDevice();
    void pushesGoOutAFewAtATime_data();
    void pushesGoOutAFewAtATime();
    void waitingPushesGoOutOneByOne_data();
    void waitingPushesGoOutOneByOne();
    void requestsWaitBehindAWaitingPush();
    void silentConnectionClosed();
    void endedTlsSessionClosed_data();
    void endedTlsSessionClosed();
    void acceptsAgainAfterDescriptorsRanOut();
    void fleetPastTheSessionLimit();
    void vanishedDeviceGoesOffline();

private:
    // A device past the handshake, registered when asked, whose socket
    // takes nothing from the network until the test reads it.
    QSslSocket *connectHostile(bool registers);
    // count simulated devices, numbered from 1, each registered.
    bool registerFleet(int count, QList<SimDevice *> *sims, QList<ThinclientInfo *> *records);
    QString dir(const char *name) const { return fx->tempPath() + QLatin1Char('/') + QLatin1String(name); }

    ServerFixture *fx = nullptr;
};

void TestDeviceLimits::init()
{
    fx = new ServerFixture;
    for (const char *name : {"fw", "tmp"}) {
        QVERIFY(QDir().mkpath(dir(name)));
        fx->settings()->setValue(name == QByteArray("fw") ? "firmwareImageDir" : "tempDir", dir(name));
    }
    QVERIFY(TestFiles::write(dir("fw/image.bin"), pattern(10000)));
    QVERIFY(TestFiles::write(dir("tmp/whitelist.txt"), pattern(4000).replace('\r', 'r')));
    QVERIFY(fx->start());
}

void TestDeviceLimits::cleanup()
{
    delete fx;
    fx = nullptr;
}

bool TestDeviceLimits::registerFleet(int count, QList<SimDevice *> *sims, QList<ThinclientInfo *> *records)
{
    for (int i = 0; i < count; ++i)
        sims->append(fx->addDevice(SimDeviceConfig::numbered(i + 1)));
    for (SimDevice *sim : std::as_const(*sims)) {
        records->append(fx->waitForRegistered(sim->config().macAddress));
        if (!records->last())
            return false;
    }
    return true;
}

QSslSocket *TestDeviceLimits::connectHostile(bool registers)
{
    QSslSocket *socket = fx->connectRaw();
    if (!socket)
        return nullptr;
    socket->setReadBufferSize(64);
    SimDeviceConfig config = SimDeviceConfig::numbered(7);
    config.macAddress = HostileMac;
    QByteArray hello = DeviceMessages::handshakeLine(DeviceMessages::handshakeFields(HostileMac)) + '\n';
    if (registers)
        hello += DeviceMessages::registration(config);
    socket->write(hello);
    const bool passed = registers ? fx->waitForRegistered(HostileMac) != nullptr : fx->waitForPendingCount(1);
    return passed ? socket : nullptr;
}

// A device that asks and never reads makes the console hold its further
// requests once a megabyte of answers waits; another device is served
// meanwhile, and the held requests are all answered once the device reads.
void TestDeviceLimits::unreadAnswersWait_data()
{
    QTest::addColumn<bool>("registers");
    QTest::addColumn<bool>("download");
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<int>("answerType");
    QTest::addColumn<int>("answerSize");
    QTest::newRow("chunks, registered") << true << true << FileMessages::readChunk(4092) << 7 << 4096;
    QTest::newRow("white lists, not registered") << false << false << FileMessages::whiteListRequest() << 49 << 4004;
}

void TestDeviceLimits::unreadAnswersWait()
{
    QFETCH(bool, registers);
    QFETCH(bool, download);
    QFETCH(QByteArray, request);
    QFETCH(int, answerType);
    QFETCH(int, answerSize);
    if (download)
        QVERIFY(TestFiles::write(dir("fw/image.bin"), pattern(Requests * 4092)));
    // The device that does not register would be closed half a minute after
    // its line, which a slow, sanitized run of what follows can outlast; the
    // registration limit has its own test below.
    fx->server()->setRegistrationTimeout(10 * 60 * 1000);
    QSslSocket *hostile = connectHostile(registers);
    QVERIFY(hostile);
    QSslSocket *served = registers ? fx->recordByMac(HostileMac)->socket : fx->server()->pendingDevices.value(0)->socket;
    QVERIFY(served);

    qint64 most = 0;
    QTimer sampler;
    connect(&sampler, &QTimer::timeout, this, [&] { most = qMax(most, SSLServer::queuedAnswers(served)); });
    sampler.start(0);
    hostile->write((download ? FileMessages::openRead(dir("fw/image.bin")) : QByteArray()) + request.repeated(Requests));
    QVERIFY2(QTest::qWaitFor([&] { return most > SSLServer::MaxQueuedAnswers; }, 60000), qPrintable(QString::number(most)));

    SimDevice *good = fx->addDevice(SimDeviceConfig::numbered(1));
    QVERIFY(ServerFixture::waitForReady(good));
    FileClient client(good);
    client.download(dir("fw/image.bin"));
    QVERIFY(client.waitForFinished(60000));
    QVERIFY(client.succeeded());
    QCOMPARE(client.data(), pattern(int(QFileInfo(dir("fw/image.bin")).size())));
    QVERIFY2(most <= SSLServer::MaxQueuedAnswers + Wire::MaxFrame, qPrintable(QString::number(most)));

    // Nothing was dropped: every request is answered once the device reads.
    QByteArray received;
    hostile->setReadBufferSize(0);
    QVERIFY(QTest::qWaitFor(
        [&] {
            received += hostile->readAll();
            return countFrames(received, quint8(answerType), answerSize) == Requests;
        },
        120000));
    // Nor did the answers pile up once it read.
    QVERIFY2(most <= SSLServer::MaxQueuedAnswers + Wire::MaxFrame, qPrintable(QString::number(most)));
}

// Commands the console sends to a device that reads nothing wait in the
// console: past a bound the device counts as gone, and its connection goes
// with what waited, rather than every later command piling up on it.
void TestDeviceLimits::unreadCommandsDropTheDevice()
{
    QSslSocket *hostile = connectHostile(true);
    QVERIFY(hostile);
    ThinclientInfo *record = fx->recordByMac(HostileMac);
    QPointer<QSslSocket> served = record->socket;
    const QByteArray command = pattern(1 << 20);   // a file push's size
    qint64 most = 0;
    for (int i = 0; i < 100 && record->online; ++i) {
        SSLServer::writeToDevice(record->socket, command);
        // The socket hands what it can to the system before the next one.
        QCoreApplication::processEvents();
        if (served)
            most = qMax(most, SSLServer::queuedAnswers(served));
    }
    QVERIFY2(!record->online, qPrintable(QString::number(most)));
    // The last command taken, and the few bytes per record that encrypting
    // what waited adds.
    QVERIFY2(most <= SSLServer::MaxUnsentCommands + 2 * command.size(), qPrintable(QString::number(most)));
    QCOMPARE(fx->server()->connectionCount(), 0);
    QTRY_VERIFY(served.isNull());
}

// A push to many devices goes out to a few at a time, each device's later
// frames behind its push; a device that leaves, or stops taking its push,
// lets the next ones go.
void TestDeviceLimits::pushesGoOutAFewAtATime_data()
{
    QTest::addColumn<int>("leaving");   // the device the console drops after the pushes, or -1
    QTest::addColumn<bool>("firstStall");   // the first devices' pushes never seem to drain
    QTest::addColumn<int>("size");          // of the pushed file
    const int last = SSLServer::MaxUnsentPushes * 2 + 2;
    QTest::newRow("every device reads") << -1 << false << (2 << 20);
    QTest::newRow("one sending leaves") << 0 << false << (2 << 20);
    QTest::newRow("one waiting leaves") << last << false << (2 << 20);
    QTest::newRow("the first ones stall") << -1 << true << (2 << 20);
    QTest::newRow("a small picture") << -1 << false << (100 << 10);
}

void TestDeviceLimits::pushesGoOutAFewAtATime()
{
    QFETCH(int, leaving);
    QFETCH(bool, firstStall);
    QFETCH(int, size);
    const int count = SSLServer::MaxUnsentPushes * 2 + 3;
    QList<SimDevice *> sims;
    QList<ThinclientInfo *> records;
    QVERIFY(registerFleet(count, &sims, &records));
    auto unsent = [](QSslSocket *s) { return s ? s->bytesToWrite() + s->encryptedBytesToWrite() : 0; };
    QSet<QSslSocket *> stalled;
    // However slow the machine, a device that reads keeps its place.
    fx->server()->setPushStallLimit(firstStall ? 50 : 3600 * 1000);
    if (firstStall) {
        for (int i = 0; i < SSLServer::MaxUnsentPushes; ++i)
            stalled.insert(records.at(i)->socket);
        SSLServer::setQueueProbe([&](QSslSocket *s) { return unsent(s) + (stalled.contains(s) ? 1 : 0); });
    }
    const auto probeReset = qScopeGuard([] { SSLServer::setQueueProbe({}); });

    const QByteArray push = WireWriter::withTransferHeader(0x18, 0, 4 << 20).raw(pattern(size)).finish();
    const QByteArray after = SSLServer::serverDateFrame(QDate(2031, 7, 9));
    auto sending = [&] {
        int n = 0;
        for (ThinclientInfo *r : std::as_const(records))
            n += r->online && unsent(r->socket) > 0;
        return n;
    };
    for (ThinclientInfo *r : std::as_const(records)) {
        QCOMPARE(SSLServer::writeToDevice(r->socket, push), qint64(push.size()));
        QCOMPARE(SSLServer::writeToDevice(r->socket, after), qint64(after.size()));
    }
    int most = sending();
    QVERIFY2(most <= SSLServer::MaxUnsentPushes, qPrintable(QString::number(most)));
    if (leaving >= 0)
        records.at(leaving)->socket->abort();
    QTimer sampler;
    connect(&sampler, &QTimer::timeout, this, [&] { most = qMax(most, sending()); });
    sampler.start(0);

    for (int i = 0; i < count; ++i) {
        if (i == leaving)
            continue;
        const QList<ReceivedFrame> &frames = sims.at(i)->receivedFrames();
        auto indexOf = [&](const QByteArray &bytes) {
            for (qsizetype at = 0; at < frames.size(); ++at)
                if (frames.at(at).bytes == bytes)
                    return at;
            return qsizetype(-1);
        };
        QVERIFY2(QTest::qWaitFor([&] { return indexOf(push) >= 0 && indexOf(after) >= 0; }, 120000),
                 qPrintable(QString::number(i)));
        QVERIFY(indexOf(push) < indexOf(after));
    }
    // Stalled ones drain unseen while others go out beside them.
    if (!firstStall)
        QVERIFY2(most <= SSLServer::MaxUnsentPushes, qPrintable(QString::number(most)));
    QCOMPARE(fx->server()->connectionCount(), count - (leaving >= 0 ? 1 : 0));
}

// A device that waited its turn through more pushes than the bound that
// drops a device reading nothing takes them one after another as it reads,
// in order, and stays. One that seems to stop taking each of them loses its
// place every time and takes its next push when its turn comes again.
void TestDeviceLimits::waitingPushesGoOutOneByOne_data()
{
    QTest::addColumn<bool>("waitingStalls");
    QTest::newRow("it reads") << false;
    QTest::newRow("it stalls on each") << true;
}

void TestDeviceLimits::waitingPushesGoOutOneByOne()
{
    QFETCH(bool, waitingStalls);
    QList<SimDevice *> sims;
    QList<ThinclientInfo *> records;
    QVERIFY(registerFleet(SSLServer::MaxUnsentPushes + 1, &sims, &records));
    // The others hold every place until they count as stalled.
    QSet<QSslSocket *> stalled;
    for (int i = 0; i < SSLServer::MaxUnsentPushes; ++i)
        stalled.insert(records.at(i)->socket);
    if (waitingStalls)
        stalled.insert(records.last()->socket);
    fx->server()->setPushStallLimit(500);
    SSLServer::setQueueProbe([&](QSslSocket *s) {
        return s ? s->bytesToWrite() + s->encryptedBytesToWrite() + (stalled.contains(s) ? 1 : 0) : 0;
    });
    const auto probeReset = qScopeGuard([] { SSLServer::setQueueProbe({}); });
    const int size = 2 << 20;
    const QByteArray other = WireWriter::withTransferHeader(0x18, 0, 4 << 20).raw(pattern(size)).finish();
    for (int i = 0; i < SSLServer::MaxUnsentPushes; ++i)
        QCOMPARE(SSLServer::writeToDevice(records.at(i)->socket, other), qint64(other.size()));

    ThinclientInfo *waiting = records.last();
    QList<QByteArray> pushes;
    for (int i = 0; i < SSLServer::MaxUnsentCommands / size + 2; ++i) {
        pushes.append(WireWriter::withTransferHeader(0x18, 0, 4 << 20).raw(pattern(size + i)).finish());
        QCOMPARE(SSLServer::writeToDevice(waiting->socket, pushes.last()), qint64(pushes.last().size()));
    }
    const QList<ReceivedFrame> &frames = sims.last()->receivedFrames();
    const qsizetype before = frames.size();
    QVERIFY(QTest::qWaitFor([&] { return !waiting->online || frames.size() - before == pushes.size(); }, 120000));
    QVERIFY(waiting->online);
    for (qsizetype i = 0; i < pushes.size(); ++i)
        QVERIFY2(frames.at(before + i).bytes == pushes.at(i), qPrintable(QString::number(i)));
}

// What a device asks for while its push waits its turn waits too: the held
// push counts as answers it has not read yet, so the console does not pile
// up answers behind it however much the device asks. Once the push has gone
// out, the device is answered.
void TestDeviceLimits::requestsWaitBehindAWaitingPush()
{
    QList<SimDevice *> sims;
    QList<ThinclientInfo *> records;
    QVERIFY(registerFleet(SSLServer::MaxUnsentPushes + 1, &sims, &records));
    const QByteArray push = WireWriter::withTransferHeader(0x18, 0, 4 << 20).raw(pattern(100 << 10)).finish();
    for (ThinclientInfo *r : std::as_const(records))
        QCOMPARE(SSLServer::writeToDevice(r->socket, push), qint64(push.size()));
    ThinclientInfo *waiting = records.last();
    const QList<ReceivedFrame> &frames = sims.last()->receivedFrames();
    const qsizetype before = frames.size();
    // The request arrives while every place is taken.
    fx->server()->receive(waiting->socket, FileMessages::openRead(dir("fw/image.bin")));
    QVERIFY(!waiting->transferFile);

    QTRY_VERIFY_WITH_TIMEOUT(frames.size() - before == 2, 120000);
    QVERIFY(frames.at(before).bytes == push);
    QVERIFY(frames.at(before + 1).bytes == SSLServer::replyFrame(TransferReply::Done, QStringLiteral("10000")));
    QVERIFY(waiting->transferFile);
}

// A connection past the handshake that does not register within the limit
// is closed and forgotten; a registered one stays.
void TestDeviceLimits::silentConnectionClosed()
{
    SimDevice *good = fx->addDevice(SimDeviceConfig::numbered(1));
    QVERIFY(fx->waitForRegistered(good->config().macAddress));
    // Shortened only now, as the limit is taken when a line passes: a good
    // device on a busy machine may need longer than this to register. The
    // silent one is counted before its line goes out, since it may be gone
    // any time after.
    fx->server()->setRegistrationTimeout(300);
    QSslSocket *silent = fx->connectRaw();
    QVERIFY(silent);
    QCOMPARE(fx->server()->connectionCount(), 2);
    QByteArray answered;
    QObject reading;
    connect(silent, &QSslSocket::readyRead, &reading, [&] { answered += silent->readAll(); });
    silent->write(DeviceMessages::handshakeLine(DeviceMessages::handshakeFields(HostileMac)) + '\n');
    QVERIFY(ServerFixture::waitForClosed(silent));
    // A refused line gets no answer: this one passed, and the registration
    // limit closed it, long before the handshake's own.
    QVERIFY(!answered.isEmpty());
    QCOMPARE(fx->server()->pendingDevices.size(), 0);
    QCOMPARE(fx->server()->connectionCount(), 1);
    QVERIFY(good->isReady());
    QVERIFY(fx->recordByMac(good->config().macAddress)->online);
}

// A peer whose TLS session ended (its close_notify) or broke (a record that
// does not decrypt) while its TCP connection stays up can send nothing more
// that the console reads, yet all it sends would pile up in the TLS layer.
// The console closes it as if the peer had: a device goes offline at once,
// a connection that never registered goes long before its time limit.
void TestDeviceLimits::endedTlsSessionClosed_data()
{
    QTest::addColumn<bool>("registers");
    QTest::addColumn<bool>("closeNotify");   // otherwise a record that fails to decrypt
    QTest::newRow("close_notify mid-frame, registered") << true << true;
    QTest::newRow("undecryptable record, registered") << true << false;
    QTest::newRow("close_notify before the line") << false << true;
}

void TestDeviceLimits::endedTlsSessionClosed()
{
    QFETCH(bool, registers);
    QFETCH(bool, closeNotify);
    fx->server()->setHandshakeTimeout(10 * 60 * 1000);
    QSslSocket *peer = fx->connectRaw();
    QVERIFY(peer);
    ThinclientInfo *record = nullptr;
    if (registers) {
        SimDeviceConfig config = SimDeviceConfig::numbered(7);
        config.macAddress = HostileMac;
        peer->write(DeviceMessages::handshakeLine(DeviceMessages::handshakeFields(HostileMac)) + '\n'
                    + DeviceMessages::registration(config) + DeviceMessages::registration(config).left(9));
        record = fx->waitForRegistered(HostileMac);
        QVERIFY(record);
    }
    QCOMPARE(fx->server()->connectionCount(), 1);
    QPointer<QSslSocket> served = fx->server()->findChildren<QSslSocket *>(Qt::FindDirectChildrenOnly).value(0);
    QVERIFY(served);

    // The peer keeps the TCP connection through a second descriptor, so
    // closing its socket sends the close_notify and nothing else.
    const int tcp = dup(int(peer->socketDescriptor()));
    QVERIFY(tcp >= 0);
    if (closeNotify) {
        peer->disconnectFromHost();
    } else {
        const QByteArray junk = QByteArray::fromHex("1703030020") + QByteArray(32, 'z');
        QCOMPARE(::send(tcp, junk.constData(), size_t(junk.size()), MSG_NOSIGNAL), ssize_t(junk.size()));
    }
    QTRY_COMPARE_WITH_TIMEOUT(fx->server()->connectionCount(), 0, 20000);
    QTRY_VERIFY(served.isNull());
    QVERIFY(fx->server()->pendingDevices.isEmpty());
    if (record) {
        QVERIFY(!record->online);
        QCOMPARE(record->socket, nullptr);
    }
    ::close(tcp);
}

// A console out of descriptors cannot take a connection; once some are free
// again it accepts devices, rather than staying deaf until it is restarted.
void TestDeviceLimits::acceptsAgainAfterDescriptorsRanOut()
{
    QSignalSpy refused(fx->server(), &QTcpServer::acceptError);
    // Connected before the descriptors run out; the console's accept comes
    // from the event loop, after they have.
    QTcpSocket early;
    early.connectToHost(QHostAddress::LocalHost, fx->port());
    NoDescriptorsLeft none;
    const bool wasRefused = refused.wait(10000);
    none.give();
    QVERIFY(none.exhausted());
    QVERIFY(wasRefused);
    QCOMPARE(fx->server()->connectionCount(), 0);

    // A device gets through its handshake again: the server accepts once
    // more (the connection that waited in the backlog comes in too, but
    // memcheck takes that one out of the backlog and closes it when it
    // refuses the accept itself).
    QVERIFY(fx->connectRaw(15000));
    QVERIFY(fx->server()->connectionCount() >= 1);
}

// A desktop session starts a program with room for about a thousand
// descriptors; a fleet takes one per connection and one per file a device
// fetches. Started in such a session, the console still serves every device.
void TestDeviceLimits::fleetPastTheSessionLimit()
{
    // Each device costs this process three descriptors (its own end of the
    // connection too): the room is for a third of the fleet.
    constexpr int Fleet = 24;
    const SessionLimit session(Fleet);
    QVERIFY(session.lowered());
    ServerFixture fleet;
    fleet.settings()->setValue("firmwareImageDir", dir("fw"));
    QVERIFY(fleet.start());
    for (int i = 1; i <= Fleet; ++i) {
        SimDevice *device = fleet.addDevice(SimDeviceConfig::numbered(i));
        ThinclientInfo *record = fleet.waitForRegistered(device->config().macAddress);
        QVERIFY2(record, qPrintable(QString::number(i)));
        QSignalSpy replies(device, &SimDevice::frameReceived);
        device->sendFrame(FileMessages::openRead(dir("fw/image.bin")));
        QVERIFY(replies.wait(15000));
        QVERIFY2(record->transferFile, qPrintable(QString::number(i)));
    }
}

QTEST_GUILESS_MAIN(TestDeviceLimits)
// A device whose link goes dead while it is idle sends nothing more, not
// even a FIN. The console's probes go unanswered and the device goes
// offline, its connection closed.
void TestDeviceLimits::vanishedDeviceGoesOffline()
{
    FarNetwork network;
    if (!network.setUp())
        QSKIP("no network namespace of its own for the far device");
    ServerFixture far;
    QVERIFY(far.start(QHostAddress(QLatin1String(FarNetwork::ConsoleAddress))));
    far.server()->setSilenceLimit(2);
    QScopedPointer<QSslSocket> device(network.connect(far.port()));
    QVERIFY(device);
    QTRY_VERIFY_WITH_TIMEOUT(device->isEncrypted(), 15000);
    device->write(DeviceMessages::handshakeLine(DeviceMessages::handshakeFields(HostileMac)) + '\n');
    SimDeviceConfig config = SimDeviceConfig::numbered(7);
    config.macAddress = HostileMac;
    device->write(DeviceMessages::registration(config));
    ThinclientInfo *record = far.waitForRegistered(HostileMac);
    QVERIFY(record);
    // Idle: nothing left for the console to send the device, nor waiting
    // for the device's acknowledgement.
    QSslSocket *served = record->socket;
    QTRY_VERIFY_WITH_TIMEOUT(served->bytesToWrite() == 0 && served->encryptedBytesToWrite() == 0
                                 && unacknowledged(served) == 0,
                             15000);
    QVERIFY(network.cut());
    QTRY_VERIFY_WITH_TIMEOUT(!record->online, 60000);
    QCOMPARE(far.server()->connectionCount(), 0);
    device->abort();
}

#include "tst_devicelimits.moc"
