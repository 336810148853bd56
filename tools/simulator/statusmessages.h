#ifndef STATUSMESSAGES_H
#define STATUSMESSAGES_H

#include <QByteArray>
#include <QString>
#include <QStringList>

// What a device sends to report its state, as pure frame builders: values in,
// bytes out. Each builder makes a well-formed frame; spoil() turns one into
// the kinds of broken frame a faulty or hostile device sends.
namespace StatusMessages {

enum Type : quint8 {
    FirmwareVersion = 3,
    TimezoneInfo = 4,
    DeviceName = 6,
    Status = 7,
    RemoteServer = 8,
    DeviceOffline = 17,
    ProtocolInfo = 18,
    NetworkInfo = 29,
    ProtocolHelp = 33,
    KeyboardInfo = 34,
    FirewallStatus = 36,
    PxeInfo = 37,
    UsbDevices = 43,
};

enum class Fault {
    Short,             // the frame ends one byte before its announced length
    Long,              // one byte more than announced follows the frame
    TruncatedString,   // the last byte (a string's NUL) is gone, the header agrees
};
QByteArray spoil(const QByteArray &frame, Fault fault);

struct Network {
    QString dns1, dns2, domainSearchPath;
    QString wiredEnabled = QStringLiteral("no");   // "yes" in any case sends the wired block
    QString wiredMethod, wiredIp, wiredNetmask, wiredGateway;
    QString wirelessEnabled = QStringLiteral("no");
    QString wirelessMethod, wirelessIp, wirelessNetmask, wirelessGateway, wirelessSsid, wirelessSecurity;
    QString wirelessExtra;   // sent after the security, unused by the console
    QString boardHostname;
};

QByteArray firmwareVersion(const QString &version);
QByteArray timezoneInfo(const QString &zone, const QString &timeServer);
QByteArray deviceName(const QString &name);
// subCode 0 black, 1 red, 2 blue, anything else keeps the colour.
QByteArray status(quint8 subCode, const QString &text);
QByteArray remoteServer(const QString &server, bool autoReconnect, bool autoLogin);
QByteArray deviceOffline();
// Any sub-code but 1: the protocol alone.
QByteArray protocolType(const QString &protocol, quint8 subCode = 0);
QByteArray protocolAndServer(const QString &protocol, const QString &server, bool autoReconnect, bool autoLogin);
QByteArray networkInfo(const Network &network);
// Up to 65,534 bytes of text; empty when it does not fit one frame.
QByteArray protocolHelp(const QString &text);
QByteArray keyboardInfo(const QString &model, const QString &layout, const QString &variant, const QString &option);
QByteArray firewallStatus(bool enabled);
// The PXE fields follow only when pxeServer is set.
QByteArray pxeInfo(bool powerSave, bool pxeServer, bool pxeOnly = false, const QString &dhcpStart = QString(),
                   const QString &dhcpEnd = QString());
// claimedCount -1 sends the list's own size; anything else is sent as the
// count byte, whatever the list holds.
QByteArray usbDevices(const QStringList &devices, int claimedCount = -1);

} // namespace StatusMessages

#endif // STATUSMESSAGES_H
