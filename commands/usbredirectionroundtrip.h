#ifndef USBREDIRECTIONROUNDTRIP_H
#define USBREDIRECTIONROUNDTRIP_H

#include <QPointer>
#include <QStringList>

class QSslSocket;
class ThinclientInfo;

// Bookkeeping of the USB-redirection round trip: a device's USB list comes
// in (asked for or not), the administrator ticks entries, and the choice must
// go back to the device whose list was shown. Answering whichever device
// happens to be selected when the list arrives would hand one device's USB
// IDs to another.
//
// The list arrives inside the device socket's signal, where no dialog may
// run; it is kept here until the dialog opens after the message's handling.
// One list at a time: a list that comes while another waits or is shown is
// turned away, so that devices cannot stack dialogs on one another.
//
// The dialog does not say whose list it shows: the administrator takes it
// for the list of the device asked. A list is taken from that device, or
// from a device selected when it comes; one from any other device (unasked,
// unticked) would stand in for the answer, which is then turned away.
class UsbRedirectionRoundTrip
{
public:
    // The device the request went to; its list is taken while it stays on
    // that connection, whatever is selected by then.
    void asked(ThinclientInfo *device);
    // Whether a list of device may be shown: it was asked, or it is selected.
    bool mayShow(ThinclientInfo *device, bool selected) const;
    // Keeps the list of device for the dialog; false when another list is
    // kept already (or there is no device).
    bool keep(ThinclientInfo *device, const QStringList &entries);
    bool isBusy() const { return m_busy; }
    // The dialog closed: the next list may come.
    void release();

    const QStringList &entries() const { return m_entries; }
    ThinclientInfo *device() const;
    // The device that takes the choice: the one whose list is kept, as long
    // as it is online on the connection that delivered the list. Null when
    // it went away meanwhile: then nothing is sent.
    ThinclientInfo *recipient() const;

private:
    bool m_busy = false;
    QPointer<ThinclientInfo> m_device;
    QPointer<QSslSocket> m_socket;
    QStringList m_entries;
    QPointer<ThinclientInfo> m_asked;
    QPointer<QSslSocket> m_askedSocket;
};

#endif // USBREDIRECTIONROUNDTRIP_H
