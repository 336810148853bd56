#include "devicemessages.h"
#include "simdeviceconfig.h"

#include "sslserver.h"
#include "utils.h"
#include "wire.h"

#include <QRegularExpression>

QByteArray DeviceMessages::handshakeFields(const QString &macAddress)
{
    QStringList octets = macAddress.split(QRegularExpression(QStringLiteral("[:-]")));
    // The agent always sends six fields; a malformed MAC still gets a
    // well-formed line (and a record the console cannot match).
    while (octets.size() < 6)
        octets.append(QStringLiteral("00"));
    return Utils::toWire(octets.mid(0, 6).join(QLatin1Char(':')));
}

QByteArray DeviceMessages::handshakeLine(const QByteArray &fields)
{
    // The console compares against the fields in alternating case: even
    // fields lower, odd fields upper, each followed by ":".
    const QList<QByteArray> parts = fields.split(':');
    QByteArray text;
    for (int i = 0; i < 6; ++i) {
        const QByteArray f = i < parts.size() ? parts.at(i) : QByteArray();
        text += (i % 2 ? f.toUpper() : f.toLower()) + ':';
    }
    text += SSLServer::DevicePassPhrase;
    return fields + "::" + Utils::toWire(Utils::md5Hex(text));
}

QByteArray DeviceMessages::expectedAnswer(const QByteArray &fields)
{
    return Utils::toWire(Utils::md5Hex(fields + QByteArray(SSLServer::ConsolePassPhrase)));
}

static void writeModesAsciiZ(WireWriter &w, const SimDeviceConfig &c)
{
    for (const SimDisplayMode &m : c.displayModes)
        w.asciiZ(m.resolution).asciiZ(m.pixelClock).asciiZ(m.horizontal).asciiZ(m.vertical).asciiZ(m.sync).asciiZ(
            m.polarity);
}

QByteArray DeviceMessages::registrationV1(const SimDeviceConfig &c, quint8 subCode)
{
    WireWriter w(MsgRegistration, subCode);
    w.asciiZ(c.model)
        .asciiZ(c.deviceName)
        .asciiZ(c.ipAddress)
        .asciiZ(c.macAddress)
        .asciiZ(c.firmwareVersion)
        .asciiZ(c.resolution)
        .asciiZ(c.remoteServer)
        .asciiZ(c.clientVersion)
        .u8(quint8(c.displayModes.size()));
    writeModesAsciiZ(w, c);
    w.asciiZ(c.protocolType)
        .u16(c.bootMode)
        .asciiZ(c.protocolDefault)
        .asciiZ(c.cmdLineArgs)
        .asciiZ(c.extraText1)
        .asciiZ(c.serialNumber)
        .u16(c.serverDetection)
        .asciiZ(c.timeServer);
    if (subCode == 1)
        w.asciiZ(c.boardHostname)
            .asciiZ(c.hotfixVersion)
            .asciiZ(c.serverIp)
            .asciiZ(c.serverPort)
            .asciiZ(c.extraText2)
            .asciiZ(c.extraText3);
    return w.finish();
}

QByteArray DeviceMessages::registrationV2(const SimDeviceConfig &c, quint8 subCode)
{
    WireWriter w(MsgRegistration, subCode);
    w.u16(quint16(c.displayModes.size()));
    writeModesAsciiZ(w, c);
    for (const QString *s : {&c.model, &c.deviceName, &c.ipAddress, &c.macAddress, &c.firmwareVersion,
                             &c.hotfixVersion, &c.resolution, &c.remoteServer, &c.clientVersion, &c.protocolType,
                             &c.serialNumber, &c.timeServer, &c.boardHostname, &c.timezone, &c.cmdLineArgs,
                             &c.serverIp, &c.serverPort, &c.dns1, &c.dns2, &c.domainSearchPath, &c.wiredEnabled})
        w.wireString(*s);
    if (c.wiredEnabled.compare(QLatin1String("yes"), Qt::CaseInsensitive) == 0)
        w.wireString(c.wiredMethod).wireString(c.ipAddress).wireString(c.wiredNetmask).wireString(c.wiredGateway);
    w.wireString(c.wirelessEnabled);
    if (c.wirelessEnabled.compare(QLatin1String("yes"), Qt::CaseInsensitive) == 0)
        for (const QString *s : {&c.wirelessMethod, &c.wirelessIp, &c.wirelessNetmask, &c.wirelessGateway,
                                 &c.wirelessSsid, &c.wirelessSecurity})
            w.wireString(*s);
    for (const QString *s : {&c.keyboardModel, &c.keyboardLayout, &c.keyboardVariant, &c.keyboardOption,
                             &c.firewallEnabled, &c.powerSaveEnabled, &c.pxeServerEnabled, &c.pxeOnly, &c.dhcpStart,
                             &c.dhcpEnd})
        w.wireString(*s);
    w.u16(c.bootMode)
        .u16(c.serverDetection)
        .u16(c.autoLogin ? 1 : 0)
        .u16(c.autoReconnect ? 1 : 0)
        .u16(c.swapServer ? 1 : 0)
        .u16(c.printServer ? 1 : 0);
    return w.finish();
}

QByteArray DeviceMessages::registration(const SimDeviceConfig &c)
{
    if (c.registrationVersion == 1)
        return registrationV1(c, c.subCode);
    // Sub-codes below 3 would make the console read a version-1 layout.
    return registrationV2(c, qMax<quint8>(c.subCode, 3));
}

bool DeviceMessages::parseServerDate(const QByteArray &frame, QDate *date)
{
    if (frame.size() < Wire::HeaderSize || Frame::type(frame) != CmdServerDate || Frame::subCode(frame) != 1
        || Wire::HeaderSize + Frame::payloadLength(frame) != frame.size())
        return false;
    PayloadReader r(frame);
    bool okMonth = false, okDay = false, okYear = false;
    const int month = r.wireString().toInt(&okMonth);
    const int day = r.wireString().toInt(&okDay);
    const int year = r.wireString().toInt(&okYear);
    if (!okMonth || !okDay || !okYear || r.shortRead())
        return false;
    const QDate d(year, month, day);
    if (!d.isValid())
        return false;
    if (date)
        *date = d;
    return true;
}
