#include "upgradepackets.h"

#include "devicelink/utils.h"
#include "devicelink/wire.h"

namespace UpgradePackets {

static void writeDate(WireWriter &out, const QDate &date)
{
    out.wireString(QString::number(date.month()))
        .wireString(QString::number(date.day()))
        .wireString(QString::number(date.year()));
}

QByteArray upgradeFirmware(const QDate &date, const QString &model, const QString &kernelPath,
                           const QString &rootFsPath)
{
    if (!Utils::holdsOnWire(kernelPath) || !Utils::holdsOnWire(rootFsPath))
        return QByteArray();
    WireWriter out(CMD_UPGRADE_FIRMWARE, 0x01, UpgradeBufferSize);
    writeDate(out, date);
    out.wireString(model);
    if (!kernelPath.isEmpty())
        out.wireString(kernelPath);
    if (!rootFsPath.isEmpty())
        out.wireString(rootFsPath);
    return out.finish();
}

QByteArray upgradeClient(const QDate &date, const QString &packagePath)
{
    if (!Utils::holdsOnWire(packagePath))
        return QByteArray();
    // The path comes first and without a count field, unlike the date.
    WireWriter out(CMD_UPGRADE_CLIENT, 0x01, UpgradeBufferSize);
    out.asciiZ(packagePath);
    writeDate(out, date);
    return out.finish();
}

QByteArray installHotfix(const QDate &date, const QString &model, const QStringList &paths, int *listed)
{
    WireWriter head(CMD_INSTALL_HOTFIX, 0x02, HotfixBufferSize);
    writeDate(head, date);
    head.wireString(model);
    int size = head.size() + 1;
    QStringList fitting;
    for (const QString &path : paths) {
        const int entry = int(Utils::toWire(path).size()) + 3;
        if (fitting.size() == MaxHotfixFiles || size + entry > HotfixBufferSize || !Utils::holdsOnWire(path))
            break;
        fitting.append(path);
        size += entry;
    }
    if (listed)
        *listed = int(fitting.size());
    if (!head.ok() || fitting.isEmpty())
        return QByteArray();
    head.u8(quint8(fitting.size()));
    for (const QString &path : fitting)
        head.wireString(path);
    return head.finish();
}

} // namespace UpgradePackets
