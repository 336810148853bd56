#include "usbredirectionroundtrip.h"

#include "devicelink/thinclientinfo.h"

#include <QSslSocket>

void UsbRedirectionRoundTrip::prune()
{
    m_awaiting.removeIf([](const QPointer<ThinclientInfo> &p) { return p.isNull(); });
}

void UsbRedirectionRoundTrip::requestSent(ThinclientInfo *device)
{
    prune();
    if (device && !isAwaitingList(device))
        m_awaiting.append(device);
}

bool UsbRedirectionRoundTrip::isAwaitingList(ThinclientInfo *device) const
{
    if (!device)
        return false;
    for (const QPointer<ThinclientInfo> &p : m_awaiting)
        if (p.data() == device)
            return true;
    return false;
}

int UsbRedirectionRoundTrip::awaitingCount() const
{
    int n = 0;
    for (const QPointer<ThinclientInfo> &p : m_awaiting)
        n += p.isNull() ? 0 : 1;
    return n;
}

bool UsbRedirectionRoundTrip::take(ThinclientInfo *device)
{
    prune();
    for (int i = 0; i < m_awaiting.size(); ++i) {
        if (m_awaiting.at(i).data() == device) {
            m_awaiting.removeAt(i);
            return true;
        }
    }
    return false;
}

UsbRedirectionRoundTrip::Shown::Shown(UsbRedirectionRoundTrip &roundTrip, ThinclientInfo *device)
{
    if (!device || !roundTrip.take(device))
        return;
    m_device = device;
    m_socket = device->socket;
}

ThinclientInfo *UsbRedirectionRoundTrip::Shown::device() const
{
    return m_device.data();
}

ThinclientInfo *UsbRedirectionRoundTrip::Shown::recipient() const
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
