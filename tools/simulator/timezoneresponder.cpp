#include "timezoneresponder.h"

#include "receivedframe.h"
#include "simdevice.h"
#include "statusmessages.h"

#include "devicelink/wire.h"
#include "timezone/core/timezonecommand.h"

bool TimezoneResponder::decode(const ReceivedFrame &frame, Setting *setting)
{
    if (frame.type != TimezoneCommand::CMD_SET_TIMEZONE || frame.subCode != 0 || frame.headerSize != Wire::HeaderSize)
        return false;
    PayloadReader in(frame.bytes);
    Setting s;
    s.zoneId = in.wireString();
    s.timeServer = in.wireString();
    if (in.shortRead() || !in.atEnd())
        return false;
    if (setting)
        *setting = s;
    return true;
}

TimezoneResponder::TimezoneResponder(SimDevice *device) : QObject(device), m_device(device)
{
    connect(device, &SimDevice::frameReceived, this, &TimezoneResponder::onFrame);
}

void TimezoneResponder::onFrame(const ReceivedFrame &frame)
{
    Setting s;
    if (!decode(frame, &s))
        return;
    m_setting = s;
    ++m_taken;
    m_device->sendFrame(StatusMessages::timezoneInfo(s.zoneId, s.timeServer));
}
