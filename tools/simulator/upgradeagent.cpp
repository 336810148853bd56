#include "upgradeagent.h"
#include "simdevice.h"
#include "transferqueue.h"

#include "devicelink/wire.h"

namespace UpgradeMessages {

bool parse(const QByteArray &frame, Command *command)
{
    const quint8 type = Frame::type(frame);
    const quint8 sub = Frame::subCode(frame);
    const bool known = (type == 0x03 && sub == 0x01) || (type == 0x0C && sub == 0x01) || (type == 0x1A && sub == 0x02);
    if (!known || frame.size() != Wire::HeaderSize + Frame::payloadLength(frame))
        return false;
    PayloadReader in(frame);
    Command out;
    out.type = type;
    if (type == 0x0C)   // the client package's path comes first, NUL-ended
        out.paths << in.asciiZ();
    out.month = in.wireString();
    out.day = in.wireString();
    out.year = in.wireString();
    if (type == 0x03) {
        out.model = in.wireString();
        while (!in.atEnd())
            out.paths << in.wireString();
    } else if (type == 0x1A) {
        out.model = in.wireString();
        const int count = in.u8();
        for (int i = 0; i < count; ++i)
            out.paths << in.wireString();
    }
    if (in.shortRead() || !in.atEnd())
        return false;
    *command = out;
    return true;
}

} // namespace UpgradeMessages

UpgradeAgent::UpgradeAgent(SimDevice *device, TransferQueue *transfers, QObject *parent)
    : QObject(parent), m_transfers(transfers)
{
    connect(device, &SimDevice::frameReceived, this, &UpgradeAgent::onFrame);
}

void UpgradeAgent::onFrame(const ReceivedFrame &frame)
{
    if (frame.type != 0x03 && frame.type != 0x0C && frame.type != 0x1A)
        return;
    UpgradeMessages::Command command;
    if (!UpgradeMessages::parse(frame.bytes, &command)) {
        ++m_failures;
        return;
    }
    m_commands.append(command);
    for (int i = 0; i < command.paths.size(); ++i) {
        const QString path = command.paths.at(i);
        const bool last = i == command.paths.size() - 1;
        m_transfers->download(path, 0, [this, path, last](bool ok, const QByteArray &data) {
            if (ok)
                m_files.insert(path, data);
            else
                ++m_failures;
            if (last)
                emit upgradeFetched();
        });
    }
}
