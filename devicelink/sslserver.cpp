#include "sslserver.h"
#include "columns.h"
#include "devicerow.h"
#include "thinclientinfo.h"
#include "utils.h"
#include "wire.h"

#include <QAbstractEventDispatcher>
#include <QDate>
#include <QDebug>
#include <QFile>
#include <QSettings>
#include <QSslCertificate>
#include <QSslKey>
#include <QTimer>

#include <algorithm>
#include <utility>

#ifdef Q_OS_UNIX
#include <sys/resource.h>
#endif
#ifdef Q_OS_LINUX
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#endif

const char *const SSLServer::DevicePassPhrase = "qaZimoRTelUvaNKowS";
const char *const SSLServer::ConsolePassPhrase = "....doRQuaLimPetaSoLvIRenk";

namespace {

// TLS material compiled into the program; used when startServer names none.
const char DefaultCertPath[] = ":/certs/resources/certs/server.crt";
const char DefaultKeyPath[] = ":/certs/resources/certs/server.pknp";

constexpr int ReadBufferSize = 8192;
constexpr qint64 FlushSlice = 16 * 1024;
constexpr int ListenBacklog = 4096;
// QTcpServer stops accepting for good after an accept that failed for want
// of descriptors or memory. The server tries again a second later:
// handshakes that time out give descriptors back, and the devices'
// connections wait in the backlog meanwhile.
constexpr int AcceptRetryMs = 1000;
constexpr quint8 CmdServerDate = 0x05;
constexpr quint8 ServerDateSubCode = 0x01;

// A desktop session starts programs with a soft limit of 1024 descriptors,
// kept low for programs that still wait on select(). The console waits with
// poll() and holds one descriptor per device connection and one more per
// file a device fetches or uploads: some five hundred devices fetching an
// update at once would find their files failing to open, and the rest of
// the fleet refused at the door. Its soft limit goes up to the hard one,
// or to 65,536 (far past any fleet one console serves) where that is higher.
void raiseDescriptorLimit()
{
#ifdef Q_OS_UNIX
    constexpr rlim_t MaxDescriptors = 1 << 16;
    rlimit limit{};
    if (getrlimit(RLIMIT_NOFILE, &limit) != 0)
        return;
    const rlim_t wanted = limit.rlim_max == RLIM_INFINITY ? MaxDescriptors : std::min(limit.rlim_max, MaxDescriptors);
    if (limit.rlim_cur == RLIM_INFINITY || limit.rlim_cur >= wanted)
        return;
    limit.rlim_cur = wanted;
    setrlimit(RLIMIT_NOFILE, &limit);
#endif
}

// A device that loses its power, or its cable, sends no FIN: its idle
// connection would stay up, and the device online in the tree, until the
// console next wrote to it. The system probes an idle connection and closes
// it when the probes go unanswered: after half the limit without traffic,
// six probes a twelfth of the limit apart. A device that is up answers them
// from its own system, whatever its agent is doing, and they change nothing
// on the wire the agent reads.
void probeWhenIdle(QSslSocket *socket, int limitS)
{
    socket->setSocketOption(QAbstractSocket::KeepAliveOption, 1);
#ifdef Q_OS_LINUX
    const int idle = qMax(1, limitS / 2);
    const int interval = qMax(1, limitS / 12);
    const int probes = 6;
    const auto fd = int(socket->socketDescriptor());
    setsockopt(fd, IPPROTO_TCP, TCP_KEEPIDLE, &idle, sizeof idle);
    setsockopt(fd, IPPROTO_TCP, TCP_KEEPINTVL, &interval, sizeof interval);
    setsockopt(fd, IPPROTO_TCP, TCP_KEEPCNT, &probes, sizeof probes);
#else
    Q_UNUSED(limitS);
#endif
}

QByteArray readWhole(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return file.readAll();
}

} // namespace

static SSLServer::WriteHook writeHook;
static SSLServer::QueueProbe queueProbe;
// The socket writeToDevice is dropping, while it does.
static QSslSocket *droppedByConsole = nullptr;

SSLServer::SSLServer(QObject *parent, DeviceMap *devices, QSettings *settings)
    : QTcpServer(parent), devices(devices), settings(settings)
{
    columnCount = settings ? Columns::countFromSettings(settings) : Columns::FixedColumns;
    retryFailedAccepts();
    startPasses();
    startPushPacing();
}

SSLServer::SSLServer(QObject *parent) : QTcpServer(parent)
{
    retryFailedAccepts();
    startPasses();
    startPushPacing();
}

void SSLServer::retryFailedAccepts()
{
    auto *acceptRetry = new QTimer(this);
    acceptRetry->setSingleShot(true);
    acceptRetry->setInterval(AcceptRetryMs);
    connect(acceptRetry, &QTimer::timeout, this, [this] {
        if (isListening())
            resumeAccepting();
    });
    connect(this, &QTcpServer::acceptError, this, [this, acceptRetry](QAbstractSocket::SocketError) {
        qWarning().noquote() << "SSLServer: a connection could not be accepted:" << errorString();
        acceptRetry->start();
    });
}

void SSLServer::startPasses()
{
    // A zero timer fires once the event loop has come round to its timers,
    // after painting and input have had their turn.
    m_passEnd = new QTimer(this);
    m_passEnd->setSingleShot(true);
    m_passEnd->setInterval(0);
    connect(m_passEnd, &QTimer::timeout, this, &SSLServer::nextPass);
    // Where the event loop says when it comes round, passes follow it and
    // the timer is needed only for devices left waiting: a timer started
    // for every pass kept the loop from sleeping, and each extra round polls
    // every connection.
    if (QAbstractEventDispatcher *loop = QAbstractEventDispatcher::instance(thread())) {
        connect(loop, &QAbstractEventDispatcher::aboutToBlock, this, &SSLServer::loopCameRound);
        connect(loop, &QAbstractEventDispatcher::awake, this, &SSLServer::loopCameRound);
        m_passesFollowLoop = true;
    }
}

void SSLServer::startPushPacing()
{
    // Waiting pushes go out from the event loop, never from inside the
    // signal or the write that freed a place: a write can drop its device.
    m_pushKick = new QTimer(this);
    m_pushKick->setSingleShot(true);
    m_pushKick->setInterval(0);
    connect(m_pushKick, &QTimer::timeout, this, &SSLServer::sendWaitingPushes);
    m_pushWatch = new QTimer(this);
    connect(m_pushWatch, &QTimer::timeout, this, &SSLServer::giveUpStalledPushes);
    setPushStallLimit(DefaultPushStallMs);
}

void SSLServer::setPushStallLimit(int ms)
{
    m_pushStallMs = qMax(1, ms);
    m_pushWatch->setInterval(qMax(1, m_pushStallMs / 4));
}

void SSLServer::loopCameRound()
{
    if (m_waiting.isEmpty())
        m_passFrames = 0;
}

SSLServer::~SSLServer()
{
    // The sockets are children and die with the base class; make sure none of
    // them reaches this half-destroyed server on its way out.
    for (QSslSocket *socket : findChildren<QSslSocket *>(Qt::FindDirectChildrenOnly))
        socket->disconnect(this);
    for (Connection *c : std::as_const(m_connections)) {
        delete c->deadline;
        delete c;
    }
    m_connections.clear();
    m_heldWrites.clear();
    m_pushTurns.clear();
    m_pushPlaces.clear();
    // Records of devices that never registered belong to nobody else.
    qDeleteAll(pendingDevices);
    pendingDevices.clear();
}

bool SSLServer::startServer(const QNetworkAddressEntry &entry, quint16 port, const QString &cert,
                            const QString &key, const QHostAddress &address)
{
    addressEntry = entry;
    if (cert != certPath || key != keyPath)
        m_tlsLoaded = false;
    certPath = cert;
    keyPath = key;
    if (!m_tlsLoaded && !loadTlsMaterial()) {
        // Without a certificate no device could ever connect; accepting
        // connections only to drop them would hide the fault.
        qWarning() << "SSLServer::startServer: cannot load the TLS certificate or key";
        return false;
    }
    // A fleet that comes back at once (after a power cut, a switch reboot)
    // connects faster than one thread finishes TLS handshakes. With Qt's
    // default queue of 50 the kernel drops the rest: the devices see a
    // connection that the console never accepted and wait out their own
    // timeouts before trying again. The kernel caps this at somaxconn.
    setListenBacklogSize(ListenBacklog);
    raiseDescriptorLimit();
    return listen(address, port);
}

bool SSLServer::loadTlsMaterial()
{
    const QString cert = certPath.isEmpty() ? QString::fromLatin1(DefaultCertPath) : certPath;
    const QString key = keyPath.isEmpty() ? QString::fromLatin1(DefaultKeyPath) : keyPath;
    const QSslCertificate certificate(readWhole(cert), QSsl::Pem);
    const QSslKey privateKey(readWhole(key), QSsl::Rsa, QSsl::Pem, QSsl::PrivateKey, QByteArray());
    if (certificate.isNull() || privateKey.isNull())
        return false;

    // Built once and shared by every connection. Devices carry no client
    // certificate, so none is asked for or verified.
    QSslConfiguration config = QSslConfiguration::defaultConfiguration();
    config.setProtocol(QSsl::TlsV1_2OrLater);
    config.setLocalCertificate(certificate);
    config.setPrivateKey(privateKey);
    config.setPeerVerifyMode(QSslSocket::VerifyNone);
    m_tlsConfig = config;
    m_tlsLoaded = true;
    return true;
}

void SSLServer::setWriteHook(WriteHook hook) { writeHook = hook; }
void SSLServer::setQueueProbe(QueueProbe probe) { queueProbe = probe; }

qint64 SSLServer::unsentBytes(QSslSocket *socket)
{
    if (queueProbe)
        return queueProbe(socket);
    // Plain bytes not yet encrypted, then records not yet taken by the kernel.
    return socket ? socket->bytesToWrite() + socket->encryptedBytesToWrite() : 0;
}

qint64 SSLServer::queuedAnswers(QSslSocket *socket)
{
    const auto *server = socket ? qobject_cast<const SSLServer *>(socket->parent()) : nullptr;
    return server ? server->answersWaiting(socket) : unsentBytes(socket);
}

qint64 SSLServer::answersWaiting(QSslSocket *socket) const
{
    // And what waits behind a push for its turn.
    return unsentBytes(socket) + (queueProbe ? 0 : heldBytes(socket));
}

qint64 SSLServer::writeToDevice(QSslSocket *socket, const char *data, int length)
{
    if (!socket || !data || length < 0)
        return -1;
    return writeToDevice(socket, QByteArray(data, length));
}

qint64 SSLServer::writeToDevice(QSslSocket *socket, const QByteArray &data)
{
    // A disconnected device's record keeps a null socket; commands that
    // reach it anyway must not crash the console.
    if (!socket)
        return -1;
    if (writeHook)
        return writeHook(socket, data);
    if (auto *server = qobject_cast<SSLServer *>(socket->parent()))
        return server->pacedWrite(socket, data);
    return writeNow(socket, data);
}

qint64 SSLServer::pacedWrite(QSslSocket *socket, const QByteArray &data)
{
    const bool push = data.size() > PushFrameSize;
    if (socket->state() == QAbstractSocket::ConnectedState) {
        const auto held = m_heldWrites.find(socket);
        if (held != m_heldWrites.end()) {
            held->frames.append(data);
            held->bytes += data.size();
            return data.size();
        }
        if (push && !m_pushPlaces.contains(socket) && m_pushPlaces.size() >= MaxUnsentPushes) {
            m_heldWrites.insert(socket, HeldWrites{{data}, data.size()});
            m_pushTurns.append(socket);
            if (!m_pushWatch->isActive())
                m_pushWatch->start();
            return data.size();
        }
    }
    const qint64 written = writeNow(socket, data);
    // A device holding a place takes its further pushes at once: its unsent
    // bytes still drop it past MaxUnsentCommands.
    if (push && written > 0 && socket->state() == QAbstractSocket::ConnectedState)
        m_pushPlaces[socket].start();
    return written;
}

qint64 SSLServer::writeNow(QSslSocket *socket, const QByteArray &data)
{
    // Answers wait while the device's requests are held; what the console
    // sends of its own accord has nothing to hold it back. A device that
    // keeps its connection but reads nothing would have every later command
    // kept for it, as long as the console runs: it is taken for gone, and
    // its disconnect handling marks it offline and frees what waited.
    if (socket->bytesToWrite() + socket->encryptedBytesToWrite() > MaxUnsentCommands) {
        droppedByConsole = socket;
        socket->abort();
        droppedByConsole = nullptr;
        return -1;
    }
    return socket->write(data);
}

qint64 SSLServer::heldBytes(QSslSocket *socket) const
{
    const auto held = m_heldWrites.constFind(socket);
    return held == m_heldWrites.constEnd() ? 0 : held->bytes;
}

void SSLServer::pushProgress(QSslSocket *socket)
{
    const auto place = m_pushPlaces.find(socket);
    if (place == m_pushPlaces.end())
        return;
    if (unsentBytes(socket) > 0) {
        place->start();
        return;
    }
    m_pushPlaces.erase(place);
    // Its next push goes on from where it left off.
    if (m_heldWrites.contains(socket))
        m_pushTurns.prepend(socket);
    if (!m_heldWrites.isEmpty())
        m_pushKick->start();
}

void SSLServer::sendWaitingPushes()
{
    while (!m_pushTurns.isEmpty() && m_pushPlaces.size() < MaxUnsentPushes) {
        QSslSocket *socket = m_pushTurns.takeFirst();
        // Gone since: its writes went with it.
        HeldWrites held = m_heldWrites.take(socket);
        // The push first takes a place; what followed it goes out behind it,
        // up to the device's next push, which waits for the place to free.
        // A device that waited its turn through several pushes would have
        // them all at once, past MaxUnsentCommands, and be dropped though it
        // reads.
        qsizetype sent = 0;
        bool gone = false;
        while (!gone && sent < held.frames.size() && (sent == 0 || held.frames.at(sent).size() <= PushFrameSize)) {
            const QByteArray frame = held.frames.at(sent++);
            held.bytes -= frame.size();
            gone = pacedWrite(socket, frame) < 0;
        }
        if (gone || sent == held.frames.size())
            continue;
        held.frames.remove(0, sent);
        m_heldWrites.insert(socket, held);
        if (!m_pushPlaces.contains(socket))
            m_pushTurns.append(socket);
    }
    if (m_heldWrites.isEmpty()) {
        m_pushTurns.clear();
        m_pushWatch->stop();
    }
}

void SSLServer::giveUpStalledPushes()
{
    for (auto place = m_pushPlaces.begin(); place != m_pushPlaces.end();) {
        if (unsentBytes(place.key()) > 0 && !place->hasExpired(m_pushStallMs)) {
            ++place;
            continue;
        }
        if (m_heldWrites.contains(place.key()))
            m_pushTurns.append(place.key());
        place = m_pushPlaces.erase(place);
    }
    sendWaitingPushes();
}

void SSLServer::dropPushes(QSslSocket *socket)
{
    // Its turn, if it had one, is passed over when it comes.
    m_heldWrites.remove(socket);
    if (m_pushPlaces.remove(socket) && !m_heldWrites.isEmpty())
        m_pushKick->start();
}

qint64 SSLServer::readFromDevice(QSslSocket *socket, char *data, int length)
{
    return socket ? socket->read(data, length) : -1;
}

int SSLServer::indexOfPendingDevice(QSslSocket *socket) const
{
    for (int i = 0; i < pendingDevices.size(); ++i)
        if (pendingDevices.at(i)->socket == socket)
            return i;
    return -1;
}

ThinclientInfo *SSLServer::registeredRecord(QSslSocket *socket) const
{
    return devices ? devices->value(socket, nullptr) : nullptr;
}

void SSLServer::incomingConnection(qintptr socketDescriptor)
{
    auto *socket = new QSslSocket(this);
    newSocket = socket;
    if (!socket->setSocketDescriptor(socketDescriptor, QAbstractSocket::ConnectedState, QIODevice::ReadWrite)) {
        qWarning().nospace() << "SSLServer::incomingConnection: Couldn't setSocketDescriptor(" << socketDescriptor
                             << ") for this connection";
        delete socket;
        newSocket = nullptr;
        return;
    }
    if (!m_tlsLoaded && !loadTlsMaterial()) {
        qWarning() << "SSLServer::incomingConnection: no TLS certificate or key";
        delete socket;
        newSocket = nullptr;
        return;
    }
    socket->setReadBufferSize(ReadBufferSize);
    probeWhenIdle(socket, m_silenceLimitS);

    // readyRead and disconnected reach the server with their socket bound:
    // QObject::sender() walks every connection made to the server, eight per
    // device, so a slot that asks it pays for the whole fleet on every read.
    connect(socket, &QSslSocket::readyRead, this, [this, socket] { readSocket(socket); });
    connect(socket, &QSslSocket::peerVerifyError, this, &SSLServer::onPeerVerifyError);
    connect(socket, &QSslSocket::encrypted, this, &SSLServer::onEncrypted);
    connect(socket, &QSslSocket::modeChanged, this, &SSLServer::onModeChanged);
    connect(socket, &QSslSocket::disconnected, this, [this, socket] {
        finishWaiting(socket);
        socketDisconnected(socket);
    });
    connect(socket, &QSslSocket::connected, this, &SSLServer::onConnected);
    connect(socket, &QSslSocket::stateChanged, this, &SSLServer::onStateChanged);
    connect(socket, &QSslSocket::sslErrors, this, &SSLServer::onSslErrors);
    // A TLS session the peer ended (its close_notify) or broke (a record that
    // does not decrypt) leaves the TCP connection up with nothing more to be
    // read from it, and whatever the peer sends then piles up in the TLS
    // layer, without bound. Such a connection is closed as if the peer had
    // closed it. Later, not inside the TLS layer's own report; a socket gone
    // by then takes the call with it.
    connect(socket, &QSslSocket::errorOccurred, this, [socket](QAbstractSocket::SocketError) {
        if (socket->state() == QAbstractSocket::ConnectedState)
            QMetaObject::invokeMethod(socket, &QSslSocket::abort, Qt::QueuedConnection);
    });
    connect(socket, &QSslSocket::encryptedBytesWritten, this, [this, socket] {
        pushProgress(socket);
        answersSent(socket);
    });
    // Whoever deletes a socket, its connection state and pending records go
    // with it, so nothing keeps a dangling pointer.
    connect(socket, &QObject::destroyed, this, [this, socket] { forget(socket); });
    track(socket);
    socket->setSslConfiguration(m_tlsConfig);
    socket->startServerEncryption();
}

void SSLServer::track(QSslSocket *socket)
{
    if (!socket || m_connections.contains(socket))
        return;
    auto *c = new Connection;
    // A socket that never finishes its handshake, or never registers after
    // it, would hold its descriptor and buffers for good.
    c->deadline = new QTimer;
    c->deadline->setSingleShot(true);
    connect(c->deadline, &QTimer::timeout, this, [this, socket] { onDeadline(socket); });
    m_connections.insert(socket, c);
    c->deadline->start(m_handshakeTimeoutMs);
}

SSLServer::Connection *SSLServer::connectionFor(QSslSocket *socket)
{
    return m_connections.value(socket, nullptr);
}

void SSLServer::releaseConnection(QSslSocket *socket)
{
    Connection *c = m_connections.take(socket);
    if (!c)
        return;
    delete c->deadline;
    delete c;
}

void SSLServer::forget(QSslSocket *socket)
{
    if (newSocket == socket)
        newSocket = nullptr;
    releaseConnection(socket);
    dropPushes(socket);
    for (int i = pendingDevices.size() - 1; i >= 0; --i)
        if (pendingDevices.at(i)->socket == socket)
            delete pendingDevices.takeAt(i);
}

void SSLServer::retireSocket(QSslSocket *socket)
{
    if (!socket)
        return;
    socket->disconnect(this);
    forget(socket);
    socket->abort();
    socket->deleteLater();
}

void SSLServer::onDeadline(QSslSocket *socket)
{
    if (connectionFor(socket) && !registeredRecord(socket))
        retireSocket(socket);
}

void SSLServer::onReadyToRead()
{
    if (auto *socket = qobject_cast<QSslSocket *>(sender()))
        readSocket(socket);
}

void SSLServer::readSocket(QSslSocket *socket)
{
    Connection *c = connectionFor(socket);
    if (!c) {
        socket->readAll();
        return;
    }
    // Held bytes stay in the socket, whose bounded buffer then stops taking
    // from the network: the device's own sending stalls, not the console.
    if (c->held || c->waiting)
        return;
    if (c->passed && passFull()) {
        waitForNextPass(socket);
        return;
    }
    receive(socket, socket->readAll());
}

void SSLServer::receive(QSslSocket *socket, const QByteArray &bytes)
{
    Connection *c = connectionFor(socket);
    if (!c)
        return;
    if (c->passed) {
        c->frames.append(bytes);
        dispatchBuffered(socket);
        return;
    }
    c->lineBuffer.append(bytes);
    const qsizetype end = c->lineBuffer.indexOf('\n');
    if (end < 0) {
        if (c->lineBuffer.size() > MaxHandshakeLine)
            retireSocket(socket);
        return;
    }
    QByteArray line = c->lineBuffer.left(end);
    if (line.endsWith('\r'))
        line.chop(1);
    QByteArray answer;
    if (line.size() > MaxHandshakeLine || !checkHandshakeLine(line, &answer)) {
        // No answer: a stranger learns nothing about what was wrong.
        retireSocket(socket);
        return;
    }

    // Whatever followed the line in the same read is the device's first
    // frame bytes.
    const QByteArray rest = c->lineBuffer.mid(end + 1);
    c->lineBuffer = QByteArray();
    c->passed = true;
    c->deadline->start(m_registrationTimeoutMs);

    auto *record = new ThinclientInfo;
    record->checked = false;
    record->authenticated = 1;
    record->socket = socket;
    record->online = true;
    record->edidCount = 0;
    pendingDevices.append(record);

    writeToDevice(socket, answer);
    writeToDevice(socket, serverDateFrame(QDate::currentDate()));

    c->frames.append(rest);
    dispatchBuffered(socket);
}

void SSLServer::dispatchBuffered(QSslSocket *socket, bool bounded)
{
    // A device's reports arrive in bursts: its row's cells take the last
    // values once, when the batch ends.
    const DeviceRow::Batch batch;
    QByteArray frame;
    // A handler, or anything its nested event loop runs, may close the
    // connection and delete the socket; the state is looked up again before
    // the socket is touched.
    for (Connection *c = connectionFor(socket); c; c = connectionFor(socket)) {
        // Encrypting a long run of answers in one go leaves TLS buffers of
        // its size behind for the rest of the connection: hand them on in
        // slices.
        if (socket->bytesToWrite() > FlushSlice) {
            socket->flush();
            if (!(c = connectionFor(socket)))
                return;
        }
        // A device that is leaving reads no answers any more: what it sent
        // is applied however many of them wait.
        c->held = bounded && answersWaiting(socket) > MaxQueuedAnswers;
        if (c->held || (bounded && c->waiting))
            return;
        // Reports passed over run no code and write nothing: what was
        // checked above still holds after them.
        while (passOverReplaced(c->frames, bounded)) {
        }
        if (!c->frames.hasFrame())
            return;
        if (bounded && !takeFromPass()) {
            waitForNextPass(socket);
            return;
        }
        c->frames.next(&frame);
        dispatchFrame(socket, frame);
    }
}

bool SSLServer::passOverReplaced(FrameAssembler &frames, bool bounded)
{
    // As many as the pass has room for were every one handled.
    const int room = bounded ? (m_framesPerPass * HandledShare - m_passFrames) / HandledShare : MaxPlannedReports;
    // A frame that is no report goes on before room is made for a plan.
    QByteArrayView head;
    if (room < 2 || frames.peek(&head, 1, isReport) == 0)
        return false;
    const int count = frames.peek(m_ahead, qMin(room, MaxPlannedReports), isReport);
    if (count < 2)
        return false;
    markReplaced(m_ahead, count, m_replaced);
    if (!m_replaced[0])
        return false;
    // A status storm's reports replace one another: the row shows each
    // device's last ones, and the batch holds its cells until it ends, so
    // nobody could see the ones passed over.
    int passed = 1;
    while (passed < count && m_replaced[passed])
        ++passed;
    if (bounded)
        takeFromPass(passed * PassedOverShare);
    frames.skipThrough(m_ahead[passed - 1]);
    return true;
}

bool SSLServer::passFull() const
{
    return m_passFrames >= m_framesPerPass * HandledShare;
}

bool SSLServer::takeFromPass(int share)
{
    if (passFull())
        return false;
    if (m_passFrames == 0 && !m_passesFollowLoop)
        m_passEnd->start();
    m_passFrames += share;
    return true;
}

void SSLServer::waitForNextPass(QSslSocket *socket)
{
    Connection *c = connectionFor(socket);
    if (!c || c->waiting)
        return;
    c->waiting = true;
    m_waiting.append(socket);
    if (!m_passEnd->isActive())
        m_passEnd->start();
}

void SSLServer::nextPass()
{
    m_passFrames = 0;
    const QList<QSslSocket *> turn = std::exchange(m_waiting, {});
    for (qsizetype i = 0; i < turn.size(); ++i) {
        QSslSocket *socket = turn.at(i);
        Connection *c = connectionFor(socket);
        // Gone since, or a new connection's socket at a freed one's address.
        if (!c || !c->waiting)
            continue;
        if (passFull()) {
            // The rest keep their place ahead of those that queued since.
            m_waiting = turn.mid(i) + m_waiting;
            m_passEnd->start();
            return;
        }
        c->waiting = false;
        dispatchBuffered(socket);
        c = connectionFor(socket);
        if (c && !c->held && !c->waiting && socket->bytesAvailable() > 0)
            readSocket(socket);
    }
}

void SSLServer::finishWaiting(QSslSocket *socket)
{
    // Frames wait in the socket for a later pass or for answers to drain;
    // neither comes for a closed connection. A device the console drops
    // because it reads none of its answers is gone from inside whatever was
    // sending to it (a command's loop over devices): what it held back is
    // not handled in the middle of that work.
    Connection *c = connectionFor(socket);
    if (!c || !(c->waiting || (c->held && socket != droppedByConsole)))
        return;
    c->waiting = false;
    c->frames.append(socket->readAll());
    dispatchBuffered(socket, false);
}

void SSLServer::answersSent(QSslSocket *socket)
{
    const Connection *c = connectionFor(socket);
    if (!c || !c->held || answersWaiting(socket) > MaxQueuedAnswers)
        return;
    dispatchBuffered(socket);
    // What arrived while held raised no further signal.
    c = connectionFor(socket);
    if (c && !c->held && socket->bytesAvailable() > 0)
        readSocket(socket);
}

void SSLServer::authenticateClient(QSslSocket *socket)
{
    const Connection *c = connectionFor(socket);
    if (c && !c->passed)
        receive(socket, socket->readAll());
}

bool SSLServer::checkHandshakeLine(const QByteArray &line, QByteArray *answer)
{
    const QString text = Utils::fromWire(line.constData(), int(line.size()));
    const QStringList parts = text.split(QStringLiteral("::"), Qt::KeepEmptyParts);
    if (parts.size() != 2)
        return false;
    const QString &fieldPart = parts.at(0);
    const QStringList fields = fieldPart.split(QLatin1Char(':'), Qt::KeepEmptyParts);
    if (fields.size() < 6)
        return false;

    // The device hashes its fields with alternating case, so any case it
    // writes them in is accepted; only the first six take part.
    QString normalised;
    for (int i = 0; i < 6; ++i)
        normalised += (i % 2 ? fields.at(i).toUpper() : fields.at(i).toLower()) + QLatin1Char(':');
    normalised += QLatin1String(DevicePassPhrase);
    if (Utils::md5Hex(normalised) != parts.at(1))
        return false;

    if (answer)
        *answer = Utils::toWire(Utils::md5Hex(fieldPart + QLatin1String(ConsolePassPhrase)));
    return true;
}

QByteArray SSLServer::serverDateFrame(const QDate &date)
{
    return WireWriter(CmdServerDate, ServerDateSubCode)
        .wireString(QString::number(date.month()))
        .wireString(QString::number(date.day()))
        .wireString(QString::number(date.year()))
        .finish();
}

void SSLServer::onDisconnected()
{
    if (auto *socket = qobject_cast<QSslSocket *>(sender()))
        socketDisconnected(socket);
}

void SSLServer::socketDisconnected(QSslSocket *socket)
{
    ThinclientInfo *record = registeredRecord(socket);
    if (!record) {
        retireSocket(socket);
        return;
    }
    // A registered device keeps its record and its map entry until it
    // registers again; its receive state goes now.
    releaseConnection(socket);
    record->online = false;
    record->socket = nullptr;
    if (record->transferFile) {
        record->transferFile->close();
        delete record->transferFile;
        record->transferFile = nullptr;
    }
    DeviceRow::setEnabled(record, columnCount, false);
    fileOffline(socket, record);
    // Only sockets this server accepted are its to release; this one is
    // inside its own signal, so it goes once the signal has returned.
    if (socket->parent() == this)
        retireSocket(socket);
}

void SSLServer::fileOffline(QSslSocket *socket, ThinclientInfo *record)
{
    // A closed socket holds on to its TLS state and Qt's buffers, some
    // 60 KiB that an offline device never needs again, so the socket goes.
    // Its address must not stay a key: a later connection's socket may be
    // given the same address, and would find this device's record.
    devices->remove(socket);
    devices->insert(offlineKey(record), record);
    indexDevice(record->macAddress, offlineKey(record));
}

QSslSocket *SSLServer::offlineKey(ThinclientInfo *record)
{
    // The record's own address: no socket can be given it while the record
    // lives, and the record lives as long as its entry. Any object made to
    // stand in would cost each offline device an allocation of its own (a
    // socket that never connects costs 2 KiB). The key is only compared,
    // never used as a socket.
    return reinterpret_cast<QSslSocket *>(record);
}

// TLS failures are left to Qt: the handshake fails and the socket closes.
void SSLServer::onSslErrors(const QList<QSslError> &) {}
void SSLServer::onEncrypted() {}
void SSLServer::onPeerVerifyError(const QSslError &) {}
void SSLServer::onModeChanged(QSslSocket::SslMode) {}
void SSLServer::onConnected() {}
void SSLServer::onError(QAbstractSocket::SocketError) {}
void SSLServer::onStateChanged(QAbstractSocket::SocketState) {}
