#ifndef DEVICEMESSAGES_H
#define DEVICEMESSAGES_H

#include <QByteArray>
#include <QDate>
#include <QString>

struct SimDeviceConfig;

// What a device sends to the console, one pure function per message:
// values in, bytes out. Status messages and file requests live beside this
// in their own files.
namespace DeviceMessages {
constexpr quint8 MsgRegistration = 0x05;
constexpr quint8 CmdServerDate = 0x05;

// The six handshake fields: the MAC address's octets in hexadecimal, as the
// MAC text writes them, joined by ":".
QByteArray handshakeFields(const QString &macAddress);
// fields + "::" + the device's digest, without a line end.
QByteArray handshakeLine(const QByteArray &fields);
// The 32 digits the console must answer to that field part.
QByteArray expectedAnswer(const QByteArray &fields);

// Registration, version 1 (sub-code 0, 1 or 2: AsciiZ fields) and version 2
// (sub-code 3 and above: WireString fields). Empty when the values do not
// fit one frame.
QByteArray registrationV1(const SimDeviceConfig &config, quint8 subCode);
QByteArray registrationV2(const SimDeviceConfig &config, quint8 subCode = 3);
// The registration the config asks for.
QByteArray registration(const SimDeviceConfig &config);

// The console's CMD_SERVER_DATE frame; false when the frame is not one.
bool parseServerDate(const QByteArray &frame, QDate *date);
}

#endif // DEVICEMESSAGES_H
