#include "statusmessages.h"
#include "devicelink/wire.h"

namespace StatusMessages {

QByteArray spoil(const QByteArray &frame, Fault fault)
{
    QByteArray out = frame;
    switch (fault) {
    case Fault::Short:
        out.chop(1);
        break;
    case Fault::Long:
        out.append(char(0xA5));
        break;
    case Fault::TruncatedString:
        if (out.size() > Wire::HeaderSize) {
            out.chop(1);
            const int n = int(out.size()) - Wire::HeaderSize;
            out[2] = char(n >> 8);
            out[3] = char(n);
        }
        break;
    }
    return out;
}

QByteArray firmwareVersion(const QString &version)
{
    return WireWriter(FirmwareVersion, 0).asciiZ(version).finish();
}

QByteArray timezoneInfo(const QString &zone, const QString &timeServer)
{
    return WireWriter(TimezoneInfo, 0).wireString(zone).wireString(timeServer).finish();
}

QByteArray deviceName(const QString &name)
{
    return WireWriter(DeviceName, 0).wireString(name).finish();
}

QByteArray status(quint8 subCode, const QString &text)
{
    return WireWriter(Status, subCode).asciiZ(text).finish();
}

QByteArray remoteServer(const QString &server, bool autoReconnect, bool autoLogin)
{
    return WireWriter(RemoteServer, 0).wireString(server).u8(autoReconnect ? 1 : 0).u8(autoLogin ? 1 : 0).finish();
}

QByteArray deviceOffline()
{
    return WireWriter(DeviceOffline, 0).finish();
}

QByteArray protocolType(const QString &protocol, quint8 subCode)
{
    return WireWriter(ProtocolInfo, subCode).wireString(protocol).finish();
}

QByteArray protocolAndServer(const QString &protocol, const QString &server, bool autoReconnect, bool autoLogin)
{
    return WireWriter(ProtocolInfo, 1)
        .wireString(protocol)
        .wireString(server)
        .u8(autoReconnect ? 1 : 0)
        .u8(autoLogin ? 1 : 0)
        .finish();
}

QByteArray networkInfo(const Network &n)
{
    const auto on = [](const QString &s) { return s.compare(QLatin1String("yes"), Qt::CaseInsensitive) == 0; };
    WireWriter w(NetworkInfo, 0);
    w.wireString(n.dns1).wireString(n.dns2).wireString(n.domainSearchPath).wireString(n.wiredEnabled);
    if (on(n.wiredEnabled))
        w.wireString(n.wiredMethod).wireString(n.wiredIp).wireString(n.wiredNetmask).wireString(n.wiredGateway);
    w.wireString(n.wirelessEnabled);
    if (on(n.wirelessEnabled))
        w.wireString(n.wirelessMethod)
            .wireString(n.wirelessIp)
            .wireString(n.wirelessNetmask)
            .wireString(n.wirelessGateway)
            .wireString(n.wirelessSsid)
            .wireString(n.wirelessSecurity)
            .wireString(n.wirelessExtra);
    w.wireString(n.boardHostname);
    return w.finish();
}

QByteArray protocolHelp(const QString &text)
{
    return WireWriter(ProtocolHelp, 0).asciiZ(text).finish();
}

QByteArray keyboardInfo(const QString &model, const QString &layout, const QString &variant, const QString &option)
{
    return WireWriter(KeyboardInfo, 0).wireString(model).wireString(layout).wireString(variant).wireString(option)
        .finish();
}

QByteArray firewallStatus(bool enabled)
{
    return WireWriter(FirewallStatus, 0).u8(enabled ? 1 : 0).finish();
}

QByteArray pxeInfo(bool powerSave, bool pxeServer, bool pxeOnly, const QString &dhcpStart, const QString &dhcpEnd)
{
    WireWriter w(PxeInfo, 0);
    w.u8(powerSave ? 1 : 0).u8(pxeServer ? 1 : 0);
    if (pxeServer)
        w.u8(pxeOnly ? 1 : 0).wireString(dhcpStart).wireString(dhcpEnd);
    return w.finish();
}

QByteArray usbDevices(const QStringList &devices, int claimedCount)
{
    WireWriter w(UsbDevices, 0);
    w.u8(quint8(claimedCount < 0 ? devices.size() : claimedCount));
    for (const QString &d : devices)
        w.wireString(d);
    return w.finish();
}

} // namespace StatusMessages
