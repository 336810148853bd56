#include "sslserver.h"
#include "thinclientinfo.h"

// Placeholder bodies: replaced as this part of the server is written.

void SSLServer::handleRegistration(QSslSocket *, const char *, int)
{
}

void SSLServer::handleRegistrationV2(QSslSocket *, const char *, int)
{
}

void SSLServer::refreshDeviceRow(ThinclientInfo *)
{
}
bool SSLServer::parseRegistration(const char *, int, ThinclientInfo *)
{
    return false;
}

int SSLServer::findDeviceByMac(const QString &, QSslSocket **socketOut, ThinclientInfo **recordOut) const
{
    *socketOut = nullptr;
    *recordOut = nullptr;
    return -1;
}

QSslSocket *SSLServer::socketForDevice(ThinclientInfo *) const
{
    return nullptr;
}
