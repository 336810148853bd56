#include "usbredirectionroundtrip.h"

#include "devicelink/thinclientinfo.h"

#include <QSslSocket>

void UsbRedirectionRoundTrip::asked(ThinclientInfo *device)
{
    m_asked = device;
    m_askedSocket = device ? device->socket : nullptr;
}

bool UsbRedirectionRoundTrip::mayShow(ThinclientInfo *device, bool selected) const
{
    if (!device)
        return false;
    return selected || (device == m_asked.data() && !m_askedSocket.isNull() && device->socket == m_askedSocket.data());
}

bool UsbRedirectionRoundTrip::keep(ThinclientInfo *device, const QStringList &entries)
{
    if (m_busy || !device)
        return false;
    // The answer came: a later list of that device counts as unasked.
    if (device == m_asked.data()) {
        m_asked.clear();
        m_askedSocket.clear();
    }
    m_busy = true;
    m_device = device;
    m_socket = device->socket;
    m_entries = entries;
    return true;
}

void UsbRedirectionRoundTrip::release()
{
    m_busy = false;
    m_device.clear();
    m_socket.clear();
    m_entries.clear();
}

ThinclientInfo *UsbRedirectionRoundTrip::device() const
{
    return m_device.data();
}

ThinclientInfo *UsbRedirectionRoundTrip::recipient() const
{
    ThinclientInfo *device = m_device.data();
    if (!device || !device->online || !device->socket)
        return nullptr;
    // A reconnect gives the record a new socket: the device that answered
    // has gone in between, and its list may no longer hold.
    if (m_socket.isNull() || device->socket != m_socket.data())
        return nullptr;
    return device;
}
