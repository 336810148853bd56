#include "signagepackets.h"

#include "devicelink/utils.h"
#include "devicelink/wire.h"

namespace SignagePackets {

QByteArray syncSignageDir(const SyncOutputs &outputs)
{
    WireWriter w(CmdSyncSignageDir, 0x01, SyncBufferSize);
    for (const SyncOutput &output : outputs) {
        if (!output.sync) {
            w.u8(0);
            continue;
        }
        // The devices fetch the list and the content by these paths.
        if (!Utils::holdsOnWire(output.contentDir) || !Utils::holdsOnWire(output.listFile))
            return QByteArray();
        w.u8(1).wireString(output.contentDir).wireString(output.listFile);
    }
    return w.finish();
}

QByteArray getBlockDevices()
{
    return WireWriter(CmdGetBlockDevices, 0x00, Wire::HeaderSize).finish();
}

QByteArray storageWhiteList(const QByteArray &payload)
{
    return WireWriter(CmdSetStorageWhiteList, 0x00, WhiteListBufferSize).raw(payload).finish();
}

QByteArray autoSelectText()
{
    return QByteArrayLiteral("AUTO-SELECT\n");
}

QByteArray storageWhiteListAutoSelect()
{
    return storageWhiteList(autoSelectText());
}

bool takesStorageWhiteList(const QString &model)
{
    return model.contains(QLatin1String("ORL QB"), Qt::CaseSensitive)
        || model.contains(QLatin1String("ORL GZ"), Qt::CaseSensitive)
        || model == QLatin1String("Pyrel PC");
}

} // namespace SignagePackets
