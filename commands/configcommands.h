#ifndef CONFIGCOMMANDS_H
#define CONFIGCOMMANDS_H

#include <QList>
#include <QStringList>

class QWidget;
class ThinclientInfo;
class UsbRedirectionRoundTrip;

// The bodies of the main window's configuration command slots. Each takes
// the window as the parent of its boxes and the device list of the
// department shown (null when none is shown): refuse an empty department,
// open the dialog, ask, build, send. Each returns true when the command
// reached at least one device.
namespace ConfigCommands {

using DeviceList = QList<ThinclientInfo *>;

// Network settings of the one selected device.
bool configureNetwork(QWidget *parent, const DeviceList *department);
// How the selected devices find the console; their records take the new
// values as the command is written to them.
bool setServerIdentification(QWidget *parent, const DeviceList *department);
bool setCloudPrint(QWidget *parent, const DeviceList *department);
bool setTsGateway(QWidget *parent, const DeviceList *department);

// Asks the one selected device for its USB list; the round trip, when
// given, takes that device as the one asked.
bool requestUsbDevices(QWidget *parent, const DeviceList *department,
                       UsbRedirectionRoundTrip *roundTrip = nullptr);
// Shows the USB list kept in the round trip (asked for or not) and sends the
// choice back to the device that sent it, provided it is still connected on
// the same connection when the administrator presses OK. Runs after the
// device message's handling, never inside it; releases the round trip.
bool showUsbDevices(QWidget *parent, const DeviceList *department, UsbRedirectionRoundTrip &roundTrip);

bool installOnDevices(QWidget *parent, const DeviceList *department);
// Only PXE-capable models get it; the others are counted and reported.
bool setPxeConfiguration(QWidget *parent, const DeviceList *department);

} // namespace ConfigCommands

#endif // CONFIGCOMMANDS_H
