#ifndef USBREDIRECTIONROUNDTRIP_H
#define USBREDIRECTIONROUNDTRIP_H

#include <QList>
#include <QPointer>

class QSslSocket;
class ThinclientInfo;

// Bookkeeping of the USB-redirection round trip: the console asks one device
// for its USB list, the list comes back some time later, the administrator
// ticks entries, and the choice must go back to the device whose list was
// shown. Answering whichever device happens to be selected when the list
// arrives would hand one device's USB IDs to another.
class UsbRedirectionRoundTrip
{
public:
    // The list request went to device.
    void requestSent(ThinclientInfo *device);
    bool isAwaitingList(ThinclientInfo *device) const;
    int awaitingCount() const;

    // The list of one device while its dialog is open. Created when the list
    // arrives; invalid when nobody asked that device for its list, so a list
    // no request called for opens no dialog. Several may exist at once when a
    // second list arrives while the first dialog is open.
    class Shown
    {
    public:
        Shown(UsbRedirectionRoundTrip &roundTrip, ThinclientInfo *device);
        bool isValid() const { return !m_device.isNull(); }
        // Out of line: the main window holds the round trip and knows the
        // record type only by name.
        ThinclientInfo *device() const;
        // The device that takes the choice: the one whose list is shown, as
        // long as it is online on the connection that delivered the list.
        // Null when it went away meanwhile: then nothing is sent.
        ThinclientInfo *recipient() const;

    private:
        QPointer<ThinclientInfo> m_device;
        QPointer<QSslSocket> m_socket;
    };

private:
    bool take(ThinclientInfo *device);
    void prune();

    QList<QPointer<ThinclientInfo>> m_awaiting;
};

#endif // USBREDIRECTIONROUNDTRIP_H
