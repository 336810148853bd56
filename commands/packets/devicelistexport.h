#ifndef DEVICELISTEXPORT_H
#define DEVICELISTEXPORT_H

#include <QByteArray>
#include <QList>
#include <QString>

class QIODevice;
class ThinclientInfo;

// The device-list file for the remote-control tool: a comment header, then
// "serial,,,name" for every device of every department.
namespace DeviceListExport {

// One department as the main window lists it: its name and its devices in
// tree order.
struct Department {
    QString name;
    QList<const ThinclientInfo *> devices;
};

// The whole file, departments in the given order, every device whether
// online or not, with "\n" line ends. Latin-1: serials and names arrived
// from the devices as Latin-1, so this hands back the devices' own bytes,
// one byte per character; a line break inside a field becomes a blank.
// *count receives the number of device lines.
QByteArray content(const QList<Department> &departments, int *count = nullptr);

// The chosen name with ".txt" appended unless it already ends so (any case).
QString withTxtSuffix(const QString &fileName);

// Writes the bytes to an open device and makes sure they reached it.
bool write(QIODevice *device, const QByteArray &bytes);

enum class FileResult { Written, CannotCreate, WriteFailed };
// Creates or replaces the file, in text mode so each "\n" becomes the
// platform's line end, and writes the bytes; a file that was there is
// replaced only once the new one is whole. A short or failed write or a
// failing close is reported, never taken for success. A named pipe or a
// socket cannot be created as the file.
FileResult writeFile(const QString &path, const QByteArray &bytes);

} // namespace DeviceListExport

#endif // DEVICELISTEXPORT_H
