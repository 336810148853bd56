#ifndef USBRESPONDER_H
#define USBRESPONDER_H

#include <QObject>
#include <QStringList>

class SimDevice;
struct ReceivedFrame;

// Makes a simulated device answer the console's USB list request (0x2B)
// with its USB list (message 43), as the device agent does. Each entry is
// one text as the agent writes it: three characters of bus position, the
// nine-character ID, a blank and the description.
class UsbResponder : public QObject
{
    Q_OBJECT
public:
    static constexpr quint8 UsbListRequest = 0x2B;

    // What a simulated device reports unless told otherwise: a root hub and
    // a memory stick.
    static QStringList sampleEntries();

    UsbResponder(SimDevice *device, const QStringList &entries = sampleEntries());

    void setEntries(const QStringList &entries) { m_entries = entries; }
    int answered() const { return m_answered; }

private:
    void onFrame(const ReceivedFrame &frame);

    SimDevice *m_device;
    QStringList m_entries;
    int m_answered = 0;
};

#endif // USBRESPONDER_H
