#ifndef KEYBOARDRESPONDER_H
#define KEYBOARDRESPONDER_H

#include "keyboard/core/keyboardpacket.h"

#include <QObject>

class SimDevice;
struct ReceivedFrame;

// Makes a simulated device take the console's set-keyboard command (0x22,
// sub-code 1) and report its new keyboard (message 34), as the device agent
// does. A command that does not parse is ignored and not answered.
class KeyboardResponder : public QObject
{
    Q_OBJECT
public:
    explicit KeyboardResponder(SimDevice *device);

    // The four codes and four rows of a whole set-keyboard frame; false when
    // the frame is of another kind, ends early or carries more.
    static bool parse(const QByteArray &frame, KeyboardPacket::KeyboardChoice *choice);

    const KeyboardPacket::KeyboardChoice &current() const { return m_current; }
    int answered() const { return m_answered; }

private:
    void onFrame(const ReceivedFrame &frame);

    SimDevice *m_device;
    KeyboardPacket::KeyboardChoice m_current;
    int m_answered = 0;
};

#endif // KEYBOARDRESPONDER_H
