#include "sslserver.h"
#include "thinclientinfo.h"

// Placeholder bodies: replaced as this part of the server is written.

void SSLServer::handleFirmwareVersion(QSslSocket *, const char *, int)
{
}

void SSLServer::handleTimezoneInfo(QSslSocket *, const char *, int)
{
}

void SSLServer::handleDeviceName(QSslSocket *, const char *, int)
{
}

void SSLServer::handleStatusMessage(QSslSocket *, const char *, int)
{
}

void SSLServer::handleRemoteServer(QSslSocket *, const char *, int)
{
}

void SSLServer::handleDeviceOffline(QSslSocket *, const char *, int)
{
}

void SSLServer::handleProtocolType(QSslSocket *, const char *, int)
{
}

void SSLServer::handleProtocolAndServer(QSslSocket *, const char *, int)
{
}

void SSLServer::handleNetworkInfo(QSslSocket *, const char *, int)
{
}

void SSLServer::handleRemoteProtocolHelp(QSslSocket *, const char *, int)
{
}

void SSLServer::handleKeyboardSettings(QSslSocket *, const char *, int)
{
}

void SSLServer::handleFirewallStatus(QSslSocket *, const char *, int)
{
}

void SSLServer::handlePxeConfiguration(QSslSocket *, const char *, int)
{
}

void SSLServer::handleUsbDeviceList(QSslSocket *, const char *, int)
{
}
