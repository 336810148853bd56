#ifndef COMMANDDELIVERY_H
#define COMMANDDELIVERY_H

#include <QByteArray>
#include <QList>
#include <QString>

class QWidget;
class ThinclientInfo;

// The send helpers behind the main window's commands: they write through
// Delivery and tell the administrator when nothing went out. `department`
// is the device list of the department shown, null when none is shown.
namespace CommandDelivery {

// Writes the frame to every selected device of the department. Returns 0
// when at least one device got it; otherwise -1, after the "Status update"
// warning when there was a department and a frame to send.
int sendToSelectedDevices(QWidget *parent, const QList<ThinclientInfo *> *department, const QByteArray &frame);

// Pushes a file to one device in a single message. Returns 0 when written,
// -1 when refused (each refusal warns) or when the device is not connected.
int sendFileToDevice(QWidget *parent, const QString &remoteName, const QByteArray &data, ThinclientInfo *device);

// Reads a local plain file and pushes it with sendFileToDevice. Never reads
// more than the push can carry; anything but a plain file cannot be opened.
int uploadFileToDevice(QWidget *parent, const QString &remoteName, const QString &localPath, ThinclientInfo *device);

// The push of a local file that goes to many devices alike, read and built
// once as uploadFileToDevice would; empty, with nothing shown, when the file
// cannot be read or pushed (uploadFileToDevice then says why, device by device).
QByteArray fileFrame(const QString &remoteName, const QString &localPath);
// Writes such a push to one device. Returns 0 when written, -1 when the
// device is not connected (after the warning sendFileToDevice gives).
int sendFileFrame(QWidget *parent, const QByteArray &frame, ThinclientInfo *device);

} // namespace CommandDelivery

#endif // COMMANDDELIVERY_H
