#include "simdevice.h"
#include "devicemessages.h"

#include <QSslConfiguration>

namespace {
constexpr int AnswerSize = 32;
}

SimDevice::SimDevice(const SimDeviceConfig &config, QObject *parent) : QObject(parent), m_config(config)
{
    qRegisterMetaType<ReceivedFrame>();
}

SimDevice::~SimDevice()
{
    if (m_socket) {
        m_socket->disconnect(this);
        m_socket->abort();
        delete m_socket;
    }
}

void SimDevice::connectToConsole(const QString &host, quint16 port)
{
    if (m_socket) {
        m_socket->disconnect(this);
        m_socket->abort();
        m_socket->deleteLater();
    }
    m_host = host;
    m_port = port;
    m_inbox.clear();
    m_stream.clear();
    m_answer.clear();
    m_consoleDate = QDate();
    m_lastError.clear();
    m_registrationSent = false;
    m_fields = DeviceMessages::handshakeFields(m_config.macAddress);

    m_socket = new QSslSocket(this);
    // The console's certificate is self-signed and made at build time; the
    // agent trusts the pass-phrase handshake instead.
    QSslConfiguration tls = m_socket->sslConfiguration();
    tls.setProtocol(QSsl::TlsV1_2OrLater);
    tls.setPeerVerifyMode(QSslSocket::VerifyNone);
    m_socket->setSslConfiguration(tls);
    connect(m_socket, &QSslSocket::encrypted, this, &SimDevice::onEncrypted);
    connect(m_socket, &QSslSocket::readyRead, this, &SimDevice::onReadyRead);
    connect(m_socket, &QSslSocket::disconnected, this, &SimDevice::onDisconnected);
    // A refused connection or a failed TLS handshake ends without
    // disconnected(); treat it the same.
    connect(m_socket, &QSslSocket::errorOccurred, this, [this](QAbstractSocket::SocketError) {
        if (m_socket && m_socket->state() == QAbstractSocket::UnconnectedState)
            onDisconnected();
    });
    m_state = State::Connecting;
    m_socket->connectToHostEncrypted(host, port);
}

void SimDevice::disconnectFromConsole()
{
    if (m_socket)
        m_socket->disconnectFromHost();
}

void SimDevice::reconnect()
{
    connectToConsole(m_host, m_port);
}

void SimDevice::onEncrypted()
{
    m_state = State::AwaitingAnswer;
    const QByteArray line = m_lineOverride.isEmpty() ? DeviceMessages::handshakeLine(m_fields) : m_lineOverride;
    // The console answers over the field part exactly as it was sent.
    const qsizetype split = line.indexOf("::");
    m_sentFields = split < 0 ? line : line.left(split);
    m_socket->write(line + '\n');
}

void SimDevice::onReadyRead()
{
    if (!m_socket)
        return;
    const QByteArray bytes = m_socket->readAll();
    if (m_state == State::AwaitingAnswer || m_state == State::AwaitingDate) {
        m_inbox.append(bytes);
        if (m_state == State::AwaitingAnswer) {
            if (m_inbox.size() < AnswerSize)
                return;
            m_answer = m_inbox.left(AnswerSize);
            m_inbox.remove(0, AnswerSize);
            if (m_answer != DeviceMessages::expectedAnswer(m_sentFields)) {
                fail(QStringLiteral("the console's answer digest is wrong"));
                return;
            }
            m_state = State::AwaitingDate;
        }
        m_stream.append(m_inbox);
        m_inbox.clear();
        ReceivedFrame date;
        if (!m_stream.next(&date)) {
            if (m_stream.failed())
                fail(QStringLiteral("the console's first frame is too large"));
            return;
        }
        if (m_keepFrames)
            m_frames.append(date);
        if (!DeviceMessages::parseServerDate(date.bytes, &m_consoleDate)) {
            fail(QStringLiteral("the console's first frame is not its date"));
            return;
        }
        m_state = State::Ready;
        emit frameReceived(date);
        emit handshakeDone();
        if (m_config.autoRegister)
            sendRegistration();
        takeFrames();
        return;
    }
    if (m_state == State::Ready) {
        m_stream.append(bytes);
        takeFrames();
    }
}

void SimDevice::takeFrames()
{
    ReceivedFrame frame;
    while (m_state == State::Ready && m_stream.next(&frame)) {
        if (m_keepFrames)
            m_frames.append(frame);
        emit frameReceived(frame);
    }
    if (m_stream.failed())
        fail(QStringLiteral("the console sent a frame over the simulator's limit"));
}

bool SimDevice::sendRegistration()
{
    if (m_state != State::Ready)
        return false;
    const QByteArray frame = DeviceMessages::registration(m_config);
    if (frame.isEmpty() || sendFrame(frame) != frame.size())
        return false;
    m_registrationSent = true;
    emit registered();
    return true;
}

qint64 SimDevice::sendFrame(const QByteArray &frame)
{
    if (!m_socket || !m_socket->isEncrypted())
        return -1;
    return m_socket->write(frame);
}

qint64 SimDevice::sendRaw(const QByteArray &bytes)
{
    return sendFrame(bytes);
}

void SimDevice::fail(const QString &reason)
{
    m_lastError = reason;
    emit failed(reason);
    if (m_socket)
        m_socket->abort();
}

void SimDevice::onDisconnected()
{
    if (m_state == State::Disconnected)
        return;
    const bool handshaking = m_state != State::Ready;
    m_state = State::Disconnected;
    if (handshaking && m_lastError.isEmpty()) {
        m_lastError = m_socket ? m_socket->errorString() : QStringLiteral("the connection closed");
        emit failed(m_lastError);
    }
    emit disconnected();
}
