#include "sslserver.h"
#include "columns.h"
#include "thinclientinfo.h"

#include <QDate>
#include <QSettings>

// Placeholder bodies: replaced as this part of the server is written.

const char *const SSLServer::DevicePassPhrase = "qaZimoRTelUvaNKowS";
const char *const SSLServer::ConsolePassPhrase = "....doRQuaLimPetaSoLvIRenk";

static SSLServer::WriteHook writeHook;

SSLServer::SSLServer(QObject *parent, QMap<QSslSocket *, ThinclientInfo *> *devices, QSettings *settings)
    : QTcpServer(parent), devices(devices), settings(settings)
{
    columnCount = Columns::countFromSettings(settings);
}

SSLServer::SSLServer(QObject *parent) : QTcpServer(parent) {}

SSLServer::~SSLServer() = default;

bool SSLServer::startServer(const QNetworkAddressEntry &entry, quint16 port, const QString &cert,
                            const QString &key, const QHostAddress &address)
{
    addressEntry = entry;
    certPath = cert;
    keyPath = key;
    return listen(address, port);
}

void SSLServer::setWriteHook(WriteHook hook) { writeHook = hook; }

qint64 SSLServer::writeToDevice(QSslSocket *socket, const char *data, int length)
{
    return writeToDevice(socket, QByteArray(data, length));
}

qint64 SSLServer::writeToDevice(QSslSocket *socket, const QByteArray &data)
{
    if (writeHook)
        return writeHook(socket, data);
    if (!socket)
        return -1;
    return socket->write(data);
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

void SSLServer::authenticateClient(QSslSocket *) {}
bool SSLServer::checkHandshakeLine(const QByteArray &, QByteArray *) { return false; }
QByteArray SSLServer::serverDateFrame(const QDate &) { return QByteArray(); }
void SSLServer::incomingConnection(qintptr) {}
void SSLServer::onReadyToRead() {}
void SSLServer::onSslErrors(const QList<QSslError> &) {}
void SSLServer::onEncrypted() {}
void SSLServer::onPeerVerifyError(const QSslError &) {}
void SSLServer::onModeChanged(QSslSocket::SslMode) {}
void SSLServer::onDisconnected() {}
void SSLServer::onConnected() {}
void SSLServer::onError(QAbstractSocket::SocketError) {}
void SSLServer::onStateChanged(QAbstractSocket::SocketState) {}
SSLServer::Connection *SSLServer::connectionFor(QSslSocket *) { return nullptr; }
void SSLServer::releaseConnection(QSslSocket *) {}
void SSLServer::onHandshakeTimeout(QSslSocket *) {}
bool SSLServer::loadTlsMaterial() { return false; }
