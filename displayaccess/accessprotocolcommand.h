#ifndef ACCESSPROTOCOLCOMMAND_H
#define ACCESSPROTOCOLCOMMAND_H

#include <QList>

class DlgConnectionType;
class QSettings;
class QWidget;
class ThinclientInfo;
struct AccessProtocolSettings;

// The bodies of the main window's access-protocol slots. Each takes the
// window as the parent of its boxes and the device list of the department
// shown (null when none is shown).
namespace AccessProtocolCommand {

using DeviceList = QList<ThinclientInfo *>;

// Refuses a department without devices: true when there are devices.
bool hasDevices(QWidget *parent, const DeviceList *department);
// Asks before sending unless the wizard runs: true to go on.
bool confirm(QWidget *parent, int typeCode, bool wizardRunning);

// Sub-type 5 to every selected device. Settings that do not fit the
// devices' buffer are refused with a warning and nothing is sent.
bool sendSettings(QWidget *parent, const DeviceList *department, const AccessProtocolSettings &settings);

// Pushes the chosen image and each device's own configuration file, then
// switches the device to the connection manager; a device missing either
// keeps its protocol and is named in a warning.
void sendConnectionManagerImages(QWidget *parent, const DeviceList *department);

// Writes the sync list of every output synchronised now, then sends the
// signage command. A cancelled list sends nothing.
bool sendSignageFileLists(QWidget *parent, QSettings *settings, const DeviceList *department,
                          const DlgConnectionType &dialog);

// Asks the one selected device for its help text on the protocol.
bool requestProtocolHelp(QWidget *parent, const DeviceList *department, int typeCode);

} // namespace AccessProtocolCommand

#endif // ACCESSPROTOCOLCOMMAND_H
