#include "keyboardresponder.h"

#include "simdevice.h"
#include "statusmessages.h"
#include "devicelink/wire.h"

KeyboardResponder::KeyboardResponder(SimDevice *device) : QObject(device), m_device(device)
{
    connect(device, &SimDevice::frameReceived, this, &KeyboardResponder::onFrame);
}

bool KeyboardResponder::parse(const QByteArray &frame, KeyboardPacket::KeyboardChoice *choice)
{
    if (Frame::type(frame) != KeyboardPacket::CMD_SET_KEYBOARD
        || Frame::subCode(frame) != KeyboardPacket::SetKeyboardSubCode
        || Frame::payloadLength(frame) != frame.size() - Wire::HeaderSize)
        return false;
    PayloadReader in(frame);
    KeyboardPacket::KeyboardChoice c;
    c.modelCode = in.wireString();
    c.layoutCode = in.wireString();
    c.variantCode = in.wireString();
    c.optionCode = in.wireString();
    c.modelRow = in.u16();
    c.layoutRow = in.u16();
    c.variantRow = in.u16();
    c.optionRow = in.u16();
    if (in.shortRead() || !in.atEnd())
        return false;
    *choice = c;
    return true;
}

void KeyboardResponder::onFrame(const ReceivedFrame &frame)
{
    KeyboardPacket::KeyboardChoice choice;
    if (!parse(frame.bytes, &choice))
        return;
    m_current = choice;
    const QByteArray report = StatusMessages::keyboardInfo(choice.modelCode, choice.layoutCode, choice.variantCode,
                                                           choice.optionCode);
    if (m_device->sendFrame(report) >= 0)
        ++m_answered;
}
