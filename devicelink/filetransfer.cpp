#include "sslserver.h"
#include "thinclientinfo.h"

// Placeholder bodies: replaced as this part of the server is written.

void SSLServer::sendReply(QSslSocket *, quint8, const QString &)
{
}

void SSLServer::handleFileOpenRead(QSslSocket *, const char *, int)
{
}

void SSLServer::handleFileReadChunk(QSslSocket *, const char *, int)
{
}

void SSLServer::handleFileClose(QSslSocket *, const char *, int)
{
}

void SSLServer::handleFileOpenWrite(QSslSocket *, const char *, int)
{
}

void SSLServer::handleFileWriteChunk(QSslSocket *, const char *, int)
{
}

void SSLServer::handleWhiteListRequest(QSslSocket *, const char *, int)
{
}
QByteArray SSLServer::replyFrame(quint8, const QString &)
{
    return QByteArray();
}
