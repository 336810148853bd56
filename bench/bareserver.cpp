#include "bareserver.h"

#include "devicelink/sslserver.h"

#include <QCryptographicHash>
#include <QDate>
#include <QFile>
#include <QSslKey>
#include <QSslSocket>

namespace {
QByteArray readWhole(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void putHeader(char *p, quint8 type, quint8 code, int length)
{
    p[0] = char(type);
    p[1] = char(code);
    p[2] = char(length >> 8);
    p[3] = char(length & 0xFF);
}
} // namespace

BareServer::BareServer(QObject *parent) : QTcpServer(parent)
{
}

BareServer::~BareServer()
{
    for (auto it = m_connections.cbegin(); it != m_connections.cend(); ++it) {
        it.key()->disconnect(this);
        delete it.value()->file;
        delete it.value();
    }
}

bool BareServer::start()
{
    m_tls = QSslConfiguration::defaultConfiguration();
    m_tls.setProtocol(QSsl::TlsV1_2OrLater);
    m_tls.setLocalCertificate(
        QSslCertificate(readWhole(QStringLiteral(":/certs/resources/certs/server.crt")), QSsl::Pem));
    m_tls.setPrivateKey(QSslKey(readWhole(QStringLiteral(":/certs/resources/certs/server.pknp")), QSsl::Rsa,
                                QSsl::Pem));
    m_tls.setPeerVerifyMode(QSslSocket::VerifyNone);
    // The same queue as the console's, so neither drops connections.
    setListenBacklogSize(4096);
    return listen(QHostAddress::LocalHost, 0);
}

void BareServer::incomingConnection(qintptr descriptor)
{
    auto *socket = new QSslSocket(this);
    if (!socket->setSocketDescriptor(descriptor)) {
        delete socket;
        return;
    }
    m_connections.insert(socket, new Connection);
    connect(socket, &QSslSocket::readyRead, this, [this, socket] { onReadyRead(socket); });
    connect(socket, &QSslSocket::disconnected, this, [this, socket] { drop(socket); });
    socket->setSslConfiguration(m_tls);
    socket->startServerEncryption();
}

void BareServer::drop(QSslSocket *socket)
{
    Connection *c = m_connections.take(socket);
    if (c) {
        delete c->file;
        delete c;
    }
    socket->deleteLater();
}

void BareServer::onReadyRead(QSslSocket *socket)
{
    Connection *c = m_connections.value(socket);
    if (!c)
        return;
    c->buffer.append(socket->readAll());
    if (!c->passed) {
        const qsizetype end = c->buffer.indexOf('\n');
        if (end < 0)
            return;
        const qsizetype split = c->buffer.indexOf("::");
        const QByteArray fields = c->buffer.left(split < 0 ? end : split);
        socket->write(QCryptographicHash::hash(fields + SSLServer::ConsolePassPhrase, QCryptographicHash::Md5).toHex());
        socket->write(SSLServer::serverDateFrame(QDate::currentDate()));
        c->buffer.remove(0, end + 1);
        c->passed = true;
    }
    qsizetype at = 0;
    while (c->buffer.size() - at >= 4) {
        const uchar *p = reinterpret_cast<const uchar *>(c->buffer.constData() + at);
        const int whole = 4 + (p[2] << 8 | p[3]);
        if (c->buffer.size() - at < whole)
            break;
        onFrame(socket, c, c->buffer.constData() + at, whole);
        at += whole;
    }
    c->buffer.remove(0, at);
}

void BareServer::onFrame(QSslSocket *socket, Connection *c, const char *frame, int size)
{
    ++m_frames;
    switch (quint8(frame[0]) & 0x7F) {
    case 5:
        emit registered(++m_registrations);
        break;
    case 9: {
        // The path from byte 5 to its NUL; opened as asked.
        const QByteArray path = size > 5 ? QByteArray(frame + 5, int(qstrnlen(frame + 5, size_t(size - 5)))) : QByteArray();
        delete c->file;
        c->file = new QFile(QString::fromLocal8Bit(path));
        const bool ok = c->file->open(QIODevice::ReadOnly);
        const QByteArray text = ok ? QByteArray::number(c->file->size()) : QByteArray();
        QByteArray reply(4, Qt::Uninitialized);
        putHeader(reply.data(), 7, ok ? 0 : 2, ok ? int(text.size()) + 1 : 0);
        if (ok)
            reply += text + '\0';
        socket->write(reply);
        break;
    }
    case 11: {
        char reply[4 + 4092];
        const int wanted = qMin(4092, size >= 6 ? (quint8(frame[4]) << 8 | quint8(frame[5])) : 0);
        const qint64 got = c->file ? c->file->read(reply + 4, wanted) : -1;
        putHeader(reply, 7, got > 0 ? 0 : 2, got > 0 ? int(got) : 0);
        socket->write(reply, 4 + (got > 0 ? got : 0));
        break;
    }
    case 10:
        delete c->file;
        c->file = nullptr;
        break;
    default:
        break;
    }
}
