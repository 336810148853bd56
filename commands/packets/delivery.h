#ifndef DELIVERY_H
#define DELIVERY_H

#include <QByteArray>
#include <QList>

class ThinclientInfo;

// Which devices a command reaches, and the writes themselves. The main
// window passes the device list of the department it shows (null when it
// shows none); devices of other departments are never reached.
namespace Delivery {

// A device can take a frame now: ticked, online and with a live socket. A
// disconnected record keeps no usable socket, so all three are needed.
bool isSelected(const ThinclientInfo *device);
// The selected devices of the shown department, in list order.
QList<ThinclientInfo *> selectedDevices(const QList<ThinclientInfo *> *department);
int countSelectedDevices(const QList<ThinclientInfo *> *department);

// Writes the frame to one device when it is still online with a socket;
// returns whether it was handed over. Callers that asked a question first
// rely on this: the device may have dropped while the question was open.
bool writeIfReachable(ThinclientInfo *device, const QByteArray &frame);
// Writes the frame to each selected device of the department in list order,
// checking each one at the moment of its write. Returns how many got it.
int writeToSelected(const QList<ThinclientInfo *> *department, const QByteArray &frame);

} // namespace Delivery

#endif // DELIVERY_H
