#include "accessprotocolagent.h"

#include "receivedframe.h"
#include "simdevice.h"
#include "statusmessages.h"

#include "devicelink/wire.h"

namespace {

constexpr quint8 SubConnectionManager = 0x00;
constexpr quint8 SubSettings = 0x05;
constexpr quint8 SubDigitalSignage = 0x14;
constexpr quint16 WebType = 8;
constexpr quint16 CitrixHdxType = 1;

void readSettings(PayloadReader &in, ReceivedAccessProtocol *c)
{
    for (int i = 0; i < 8; ++i)
        c->options << in.wireString();
    c->percentage = in.wireString();
    c->cmdlineArgs = in.wireString();
    c->host = in.wireString();
    c->autoReconnect = in.u8() != 0;
    c->autoLogin = in.u8() != 0;
    if (c->autoLogin) {
        c->domain = in.wireString();
        c->username = in.wireString();
        c->password = in.wireString();
    }
    for (int i = 0; i < 8; ++i)
        c->indexes << in.u16();
    c->redirectVideo = in.wireString();
    c->indexes << in.u16();
    if (c->typeCode == WebType)
        c->kioskMode = in.u8();
    else if (c->typeCode == CitrixHdxType)
        in.u16();
}

void readSignage(PayloadReader &in, ReceivedAccessProtocol *c)
{
    for (int k = 0; k < 3; ++k) {
        if (in.u8() == 0) {
            c->signageOutputs << QStringLiteral("off");
            continue;
        }
        QStringList fields{in.wireString(), in.wireString(), in.wireString()};
        const bool sync = in.u8() != 0;
        fields << QString::number(sync ? 1 : 0);
        if (sync)
            fields << in.wireString() << in.wireString();
        c->signageOutputs << fields.join(QLatin1Char('|'));
    }
}

} // namespace

bool ReceivedAccessProtocol::parse(const ReceivedFrame &frame, ReceivedAccessProtocol *out)
{
    if (frame.type != AccessProtocolAgent::CmdAccessProtocol || frame.headerSize != Wire::HeaderSize
        || frame.length != quint32(frame.bytes.size() - Wire::HeaderSize))
        return false;
    ReceivedAccessProtocol c;
    c.subCode = frame.subCode;
    PayloadReader in(frame.bytes);
    c.typeCode = in.u16();
    c.listIndex = in.u16();
    if (c.subCode == SubSettings)
        readSettings(in, &c);
    else if (c.subCode == SubDigitalSignage)
        readSignage(in, &c);
    else if (c.subCode != SubConnectionManager)
        return false;
    if (in.shortRead() || !in.atEnd())
        return false;
    *out = c;
    return true;
}

AccessProtocolAgent::AccessProtocolAgent(SimDevice *device) : QObject(device), m_device(device)
{
    connect(device, &SimDevice::frameReceived, this, &AccessProtocolAgent::onFrame);
}

void AccessProtocolAgent::record(const QString &event)
{
    m_events << event;
    emit eventRecorded(event);
}

void AccessProtocolAgent::onFrame(const ReceivedFrame &frame)
{
    if (frame.type == CmdFilePush) {
        FilePush push;
        if (FilePush::parse(frame, &push) && push.intact()) {
            m_files.insert(push.name, push.data);
            record(QStringLiteral("file ") + push.name);
        } else {
            record(QStringLiteral("bad 24"));
        }
    } else if (frame.type == CmdAccessProtocol) {
        ReceivedAccessProtocol command;
        if (!ReceivedAccessProtocol::parse(frame, &command)) {
            record(QStringLiteral("bad 18"));
            return;
        }
        m_commands << command;
        record(QStringLiteral("command %1").arg(command.subCode));
    } else if (frame.type == CmdGetProtocolHelp) {
        // The request is one byte, the protocol's code.
        const int code = frame.bytes.size() == Wire::HeaderSize + 1 ? quint8(frame.bytes.at(Wire::HeaderSize)) : -1;
        record(QStringLiteral("help %1").arg(code));
        const QString text =
            m_helpText.isEmpty() ? QStringLiteral("Help on access protocol %1\n").arg(code) : m_helpText;
        m_device->sendFrame(StatusMessages::protocolHelp(text));
    }
}
