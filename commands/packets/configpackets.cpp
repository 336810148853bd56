#include "configpackets.h"

#include "delivery.h"
#include "devicelink/thinclientinfo.h"
#include "devicelink/utils.h"
#include "devicelink/wire.h"

#include <QFile>

namespace ConfigPackets {

QString nicMethodText(int index)
{
    static const char *const methods[] = {"No", "Yes", "YesIgnoreDns"};
    if (index < 0 || index >= int(sizeof methods / sizeof methods[0]))
        return QString();
    return QString::fromLatin1(methods[index]);
}

static bool isNo(const QString &enabled)
{
    return enabled.compare(QLatin1String("no"), Qt::CaseInsensitive) == 0;
}

QByteArray configureNic(const NicSettings &s)
{
    WireWriter w(CMD_CONFIGURE_NIC, 0, Wire::MaxFrame);
    w.wireString(s.dns1).wireString(s.dns2).wireString(s.domainSearchPath);
    w.wireString(s.wiredEnabled);
    if (!isNo(s.wiredEnabled))
        w.wireString(s.wiredMethod).wireString(s.wiredIp).wireString(s.wiredNetmask).wireString(s.wiredGateway);
    w.wireString(s.wirelessEnabled);
    if (!isNo(s.wirelessEnabled)) {
        w.wireString(s.wirelessMethod).wireString(s.wirelessIp).wireString(s.wirelessNetmask);
        w.wireString(s.wirelessGateway).wireString(s.wirelessSsid).wireString(s.wirelessSecurity);
        w.wireString(s.wirelessPassword);
    }
    w.wireString(s.hostname);
    return w.finish();
}

QByteArray setServerDetection(const ServerIdentification &id)
{
    if (id.mode != DetectByBroadcast && id.mode != DetectStatic)
        return QByteArray();
    WireWriter w(CMD_SET_SERVER_DETECTION, 0, CommandBufferSize);
    w.u8(quint8(id.mode));
    if (id.mode == DetectStatic)
        w.wireString(id.address).wireString(id.port);
    return w.finish();
}

void applyServerIdentification(ThinclientInfo *device, const ServerIdentification &id)
{
    if (!device)
        return;
    const bool fixed = id.mode == DetectStatic;
    device->serverDetection = fixed ? 2 : 0;
    device->serverIp = fixed ? id.address : QString();
    device->serverPort = fixed ? id.port : QString();
}

QByteArray setCloudPrint(const CloudPrintCredentials &c)
{
    WireWriter w(CMD_SET_CLOUD_PRINT, 0, CommandBufferSize);
    w.u8(c.enabled ? 1 : 0);
    if (c.enabled)
        w.wireString(c.userId).wireString(c.password);
    return w.finish();
}

QByteArray setTsGateway(const GatewayCredentials &c)
{
    WireWriter w(CMD_SET_TS_GATEWAY, 0, CommandBufferSize);
    w.u8(c.enabled ? 1 : 0);
    if (c.enabled)
        w.wireString(c.hostname).wireString(c.userId).wireString(c.password);
    return w.finish();
}

QByteArray getUsbDevices()
{
    return WireWriter(CMD_GET_USB_DEVICES, 0, CommandBufferSize).finish();
}

QByteArray setUsbRedirection(const QStringList &ids)
{
    if (ids.size() > 255)
        return QByteArray();
    WireWriter w(CMD_SET_USB_REDIRECTION, 0, CommandBufferSize);
    w.u8(quint8(ids.size()));
    for (const QString &id : ids)
        w.wireString(id);
    return w.finish();
}

QByteArray installFile(quint8 installType, const QString &fileName, const QByteArray &data)
{
    if (installType < InstallSslCertificate || installType > InstallPngImage)
        return QByteArray();
    if (data.isEmpty() || data.size() > MaxInstallFileSize)
        return QByteArray();
    // type + name field (at most a 16-bit count + 2) + size + data
    const qint64 limit = Wire::TransferHeaderSize + 1 + (0xFFFF + 2) + 4 + data.size();
    WireWriter w = WireWriter::withTransferHeader(CMD_INSTALL_FILE, 0, limit);
    w.u8(installType).wireString(fileName).u32(quint32(data.size())).raw(data);
    return w.finish();
}

FileReadResult readFileExactly(const QString &path, qint64 size, QByteArray *out)
{
    if (!out || size <= 0 || size > MaxInstallFileSize)
        return FileReadResult::ReadFailed;
    QFile file(path);
    // Checked when chosen, read after a confirmation: a pipe that took the
    // name meanwhile would hold the console on open, waiting for a writer.
    if (!Utils::openRegular(&file, false))
        return FileReadResult::OpenFailed;
    QByteArray data(size, Qt::Uninitialized);
    qint64 done = 0;
    // A single read may return less than asked (network file systems):
    // keep reading until the size is reached or the file has no more.
    while (done < size) {
        const qint64 n = file.read(data.data() + done, size - done);
        if (n <= 0)
            break;
        done += n;
    }
    if (done != size)
        return FileReadResult::ReadFailed;
    // A file that has grown since it was chosen (written again meanwhile)
    // would reach the devices cut to its old size, and be installed so.
    char more = 0;
    if (file.read(&more, 1) != 0)
        return FileReadResult::ReadFailed;
    *out = data;
    return FileReadResult::Ok;
}

QByteArray setPxeConfig(const PxeConfig &c)
{
    WireWriter w(CMD_SET_PXE_CONFIG, 1, CommandBufferSize);
    w.u8(c.spareFlag).u8(c.enabled ? 1 : 0);
    if (c.enabled) {
        // The range comes before subnet and netmask on the wire.
        w.u8(c.pxeOnly ? 1 : 0);
        w.wireString(c.dhcpStart).wireString(c.dhcpEnd).wireString(c.subnet).wireString(c.netmask);
    }
    return w.finish();
}

bool isPxeServerModel(const QString &model)
{
    static const char *const tokens[] = {"Pyrel PC", "QB", "WY"};
    for (const char *token : tokens)
        if (model.contains(QLatin1String(token), Qt::CaseInsensitive))
            return true;
    return false;
}

PxeRecipients pxeRecipients(const QList<ThinclientInfo *> &devices)
{
    PxeRecipients r;
    for (ThinclientInfo *device : devices) {
        if (!Delivery::isSelected(device))
            continue;
        ++r.selected;
        if (isPxeServerModel(device->model))
            r.recipients.append(device);
    }
    return r;
}

QString pxeIgnoredSummary(int sent, int selected)
{
    if (sent == selected)
        return QString();
    return QStringLiteral("PXE server configuration command sent to %1 PXE servers.\n\n"
                          "%2 device(s) ignored because they are not PXE servers")
        .arg(sent)
        .arg(selected - sent);
}

} // namespace ConfigPackets
