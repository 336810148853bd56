#ifndef TIMEZONERESPONDER_H
#define TIMEZONERESPONDER_H

#include <QObject>
#include <QString>

class SimDevice;
struct ReceivedFrame;

// Makes a simulated device take the console's set-time-zone command (0x04)
// as the device agent does: it keeps the zone id and the time server and
// reports them back in its time-zone message (4).
class TimezoneResponder : public QObject
{
    Q_OBJECT
public:
    struct Setting {
        QString zoneId;
        QString timeServer;
    };
    // The two wire strings of a set-time-zone frame; false for another type,
    // or when a string is cut short or bytes follow the second one.
    static bool decode(const ReceivedFrame &frame, Setting *setting);

    explicit TimezoneResponder(SimDevice *device);

    // What the last well-formed command set.
    Setting setting() const { return m_setting; }
    int taken() const { return m_taken; }

private:
    void onFrame(const ReceivedFrame &frame);

    SimDevice *m_device;
    Setting m_setting;
    int m_taken = 0;
};

#endif // TIMEZONERESPONDER_H
