#include "usbresponder.h"

#include "simdevice.h"
#include "statusmessages.h"

QStringList UsbResponder::sampleEntries()
{
    return {QStringLiteral("0011d6b:0002 Linux Foundation 2.0 root hub"),
            QStringLiteral("0020781:5567 SanDisk Cruzer Blade")};
}

UsbResponder::UsbResponder(SimDevice *device, const QStringList &entries)
    : QObject(device), m_device(device), m_entries(entries)
{
    connect(device, &SimDevice::frameReceived, this, &UsbResponder::onFrame);
}

void UsbResponder::onFrame(const ReceivedFrame &frame)
{
    if (frame.type != UsbListRequest)
        return;
    if (m_device->sendFrame(StatusMessages::usbDevices(m_entries)) >= 0)
        ++m_answered;
}
