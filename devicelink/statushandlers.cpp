#include "sslserver.h"
#include "devicerow.h"
#include "thinclientinfo.h"
#include "wire.h"

#include <QColor>

#include <iterator>

// What a device reports about itself. Each handler reads its payload through
// a PayloadReader bounded by the frame, so a short or lying device ends up
// with empty fields, never with bytes from outside the frame. Only registered
// devices may change a record; a pending device's reports are dropped.
// Before a signal lets the window's code run, the row writes held for the
// batch are stored, so that it reads the rows as the reports left them.

namespace {

quint8 subCodeOf(const char *message, int length)
{
    return length > 1 ? quint8(message[1]) : 0;
}

// The texts of a report, each kept to what a real device could send.
PayloadReader deviceTexts(const char *message, int length)
{
    PayloadReader in(message, length);
    in.limitTexts(Wire::MaxStoredText);
    return in;
}

QString yesNo(bool value)
{
    return value ? QStringLiteral("Yes") : QStringLiteral("No");
}

// A configurable column by its position key; hidden columns get nothing.
void showInColumn(QSettings *settings, const ThinclientInfo *record, const char *key, const QString &text)
{
    if (settings)
        DeviceRow::setColumnText(settings, record, key, text);
}

} // namespace

bool SSLServer::statusColour(quint8 subCode, QColor *colour)
{
    // Asked for every status report a storm's look-ahead reads, mostly
    // without a colour to fill in: none is made then.
    static constexpr QRgb colours[] = {qRgb(0, 0, 0), qRgb(255, 0, 0), qRgb(0, 0, 255)};
    if (subCode >= std::size(colours))
        return false;
    if (colour)
        *colour = QColor(colours[subCode]);
    return true;
}

void SSLServer::handleFirmwareVersion(QSslSocket *socket, const char *message, int length)
{
    ThinclientInfo *record = registeredRecord(socket);
    if (!record)
        return;
    PayloadReader in = deviceTexts(message, length);
    record->firmwareVersion = in.asciiZ();
    showInColumn(settings, record, "colFirmwareVersion", record->firmwareVersion);
}

void SSLServer::handleTimezoneInfo(QSslSocket *socket, const char *message, int length)
{
    ThinclientInfo *record = registeredRecord(socket);
    if (!record)
        return;
    PayloadReader in = deviceTexts(message, length);
    record->timezone = in.wireString();
    record->timeServer = in.wireString();
    showInColumn(settings, record, "colTimezone", record->timezone);
    showInColumn(settings, record, "colTimeServerIp", record->timeServer);
}

void SSLServer::handleDeviceName(QSslSocket *socket, const char *message, int length)
{
    ThinclientInfo *record = registeredRecord(socket);
    if (!record)
        return;
    PayloadReader in = deviceTexts(message, length);
    record->deviceName = in.wireString();
    DeviceRow::setText(record, 0, record->deviceName);
}

void SSLServer::handleStatusMessage(QSslSocket *socket, const char *message, int length)
{
    ThinclientInfo *record = registeredRecord(socket);
    if (!record)
        return;
    PayloadReader in = deviceTexts(message, length);
    const QString text = in.asciiZ();
    // The colour goes first so the new text never shows in the old colour.
    QColor colour;
    if (statusColour(subCodeOf(message, length), &colour))
        DeviceRow::setForeground(record, 1, colour);
    DeviceRow::setText(record, 1, text);
}

void SSLServer::handleRemoteServer(QSslSocket *socket, const char *message, int length)
{
    ThinclientInfo *record = registeredRecord(socket);
    if (!record)
        return;
    PayloadReader in = deviceTexts(message, length);
    record->remoteServer = in.wireString();
    record->autoReconnect = in.u8() == 1;
    record->autoLogin = in.u8() == 1;
    showInColumn(settings, record, "colRemoteServer", record->remoteServer);
}

void SSLServer::handleDeviceOffline(QSslSocket *socket, const char *, int)
{
    ThinclientInfo *record = registeredRecord(socket);
    if (!record)
        return;
    // The connection stays up; commands skip the device until it registers again.
    record->online = false;
    DeviceRow::setEnabled(record, columnCount, false);
}

void SSLServer::handleProtocolType(QSslSocket *socket, const char *message, int length)
{
    if (subCodeOf(message, length) == 1) {
        handleProtocolAndServer(socket, message, length);
        return;
    }
    ThinclientInfo *record = registeredRecord(socket);
    if (!record)
        return;
    PayloadReader in = deviceTexts(message, length);
    record->protocolType = in.wireString();
    showInColumn(settings, record, "colProtocolType", record->protocolType.toUpper());
}

void SSLServer::handleProtocolAndServer(QSslSocket *socket, const char *message, int length)
{
    ThinclientInfo *record = registeredRecord(socket);
    if (!record)
        return;
    PayloadReader in = deviceTexts(message, length);
    record->protocolType = in.wireString();
    record->remoteServer = in.wireString();
    record->autoReconnect = in.u8() == 1;
    record->autoLogin = in.u8() == 1;
    // The tree shows both in upper case; the record keeps them as sent.
    showInColumn(settings, record, "colProtocolType", record->protocolType.toUpper());
    showInColumn(settings, record, "colRemoteServer", record->remoteServer.toUpper());
}

void SSLServer::handleNetworkInfo(QSslSocket *socket, const char *message, int length)
{
    ThinclientInfo *record = registeredRecord(socket);
    if (!record)
        return;
    PayloadReader in = deviceTexts(message, length);
    record->dns1 = in.wireString();
    record->dns2 = in.wireString();
    record->domainSearchPath = in.wireString();
    record->wiredEnabled = in.wireString();
    // A block whose switch is off is absent from the message: its fields keep
    // what an earlier report said.
    if (Wire::isYes(record->wiredEnabled)) {
        record->wiredMethod = in.wireString();
        record->ipAddress = in.wireString();
        record->wiredNetmask = in.wireString();
        record->wiredGateway = in.wireString();
    }
    record->wirelessEnabled = in.wireString();
    if (Wire::isYes(record->wirelessEnabled)) {
        record->wirelessMethod = in.wireString();
        record->wirelessIp = in.wireString();
        record->wirelessNetmask = in.wireString();
        record->wirelessGateway = in.wireString();
        record->wirelessSsid = in.wireString();
        record->wirelessSecurity = in.wireString();
        in.wireString();   // sent by the device, not kept
    }
    record->boardHostname = in.wireString();
    showInColumn(settings, record, "colIpAddress", record->ipAddress);
    showInColumn(settings, record, "colBoardHostname", record->boardHostname);
}

void SSLServer::handleRemoteProtocolHelp(QSslSocket *socket, const char *message, int length)
{
    if (!registeredRecord(socket))
        return;
    // The help text is the whole frame's payload, up to 65,535 bytes.
    PayloadReader in(message, length);
    DeviceRow::flush();
    emit onGetRemProtoHelp(in.asciiZ());
}

void SSLServer::handleKeyboardSettings(QSslSocket *socket, const char *message, int length)
{
    ThinclientInfo *record = registeredRecord(socket);
    if (!record)
        return;
    PayloadReader in = deviceTexts(message, length);
    record->keyboardModel = in.wireString();
    record->keyboardLayout = in.wireString();
    record->keyboardVariant = in.wireString();
    record->keyboardOption = in.wireString();
}

void SSLServer::handleFirewallStatus(QSslSocket *socket, const char *message, int length)
{
    ThinclientInfo *record = registeredRecord(socket);
    if (!record)
        return;
    PayloadReader in = deviceTexts(message, length);
    record->firewallEnabled = yesNo(in.u8() == 1);
}

void SSLServer::handlePxeConfiguration(QSslSocket *socket, const char *message, int length)
{
    ThinclientInfo *record = registeredRecord(socket);
    if (!record)
        return;
    PayloadReader in = deviceTexts(message, length);
    record->powerSaveEnabled = yesNo(in.u8() == 1);
    const bool pxeServer = in.u8() == 1;
    record->pxeServerEnabled = yesNo(pxeServer);
    // Without the PXE server the device sends no range; the old one stays.
    if (pxeServer) {
        record->pxeOnly = yesNo(in.u8() == 1);
        record->dhcpStart = in.wireString();
        record->dhcpEnd = in.wireString();
    }
}

void SSLServer::handleUsbDeviceList(QSslSocket *socket, const char *message, int length)
{
    ThinclientInfo *record = registeredRecord(socket);
    if (!record)
        return;
    PayloadReader in = deviceTexts(message, length);
    const int count = in.s8();
    QStringList usbDevices;
    // A count larger than what was sent yields only the strings present.
    for (int i = 0; i < count && in.remaining() >= 2; ++i)
        usbDevices.append(in.wireString());
    DeviceRow::flush();
    emit onEnumerateUsb(record, usbDevices);
}
