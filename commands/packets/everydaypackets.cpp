#include "everydaypackets.h"

#include "devicelink/utils.h"
#include "devicelink/wire.h"

namespace Packets {

namespace {
// The one-byte setting commands: type, 00, 00 01, then 1 for on or 0 for off.
QByteArray statusCommand(quint8 type, bool enabled)
{
    return WireWriter(type, 0, Wire::HeaderSize + 1).u8(enabled ? 1 : 0).finish();
}

// Name, digest, size and data after the six-byte header, at most.
constexpr qint64 MaxFileTransferFrame =
    Wire::TransferHeaderSize + (0xFFFF + 2) + 35 + 4 + MaxFileTransferData;
} // namespace

QByteArray bareCommand(quint8 type)
{
    return WireWriter(type, 0, Wire::HeaderSize).finish();
}

QByteArray setName(const QString &name)
{
    // Header, then u16 count (bytes + 1), the bytes and a NUL. The frame is
    // sized to the name, so only the 16-bit payload length bounds it.
    if (Utils::toWire(name).size() > MaxNameBytes)
        return QByteArray();
    return WireWriter(CMD_SET_NAME, 0).wireString(name).finish();
}

QByteArray setConfigPassword(const QString &password)
{
    // 39 bytes: header with length 0x23, then the 32 hex digits as a wire
    // string (count 0x21). An empty password has no digest to send.
    const QString digest = Utils::md5Hex(password);
    if (digest.isEmpty())
        return QByteArray();
    return WireWriter(CMD_SET_CONFIG_PASSWORD, 0, Wire::HeaderSize + 35).wireString(digest).finish();
}

bool statusIsEnabled(const QString &status)
{
    return status.compare(QLatin1String("Enabled"), Qt::CaseInsensitive) == 0;
}

QByteArray setFirewall(bool enabled) { return statusCommand(CMD_SET_FIREWALL, enabled); }
QByteArray setLogState(bool enabled) { return statusCommand(CMD_SET_LOG_STATE, enabled); }
QByteArray setPowerSave(bool enabled) { return statusCommand(CMD_SET_POWER_SAVE, enabled); }

FileRefusal checkFileTransfer(const QString &remoteName, qint64 dataSize)
{
    if (remoteName.isEmpty() || dataSize < 1)
        return FileRefusal::InvalidParameter;
    if (dataSize > MaxFileTransferData)
        return FileRefusal::TooLarge;
    return FileRefusal::None;
}

QByteArray fileTransfer(const QString &remoteName, const QByteArray &data, FileRefusal *why)
{
    // The payload can exceed what a 16-bit length counts, so this message has
    // the six-byte header with a 32-bit length of everything after it: name,
    // MD5 of the data (always 35 bytes as a wire string), u32 data size, data.
    FileRefusal refusal = checkFileTransfer(remoteName, data.size());
    QByteArray frame;
    if (refusal == FileRefusal::None) {
        frame = WireWriter::withTransferHeader(CMD_FILE_TRANSFER, 0, MaxFileTransferFrame)
                    .wireString(remoteName)
                    .wireString(Utils::md5Hex(data))
                    .u32(quint32(data.size()))
                    .raw(data)
                    .finish();
        // Only a name beyond what a wire string can count gets here.
        if (frame.isEmpty())
            refusal = FileRefusal::InvalidParameter;
    }
    if (why)
        *why = refusal;
    return frame;
}

} // namespace Packets
