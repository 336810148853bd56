#ifndef EVERYDAYCOMMANDS_H
#define EVERYDAYCOMMANDS_H

#include <QList>

class QWidget;
class ThinclientInfo;

// The bodies of the main window's everyday command slots. Each takes the
// window as the parent of its boxes and the device list of the department
// shown (null when none is shown), and follows the same steps: refuse an
// empty department, open its dialog if it has one, ask, build, send. Each
// returns true when the command reached at least one device.
namespace EverydayCommands {

using DeviceList = QList<ThinclientInfo *>;

// The one-click commands that send a bare header to the selection.
enum class BareCommand { EnterUpgradeMode, ExitUpgradeMode, GetLogFiles, GetSerialNumber, FactoryReset };
bool runBareCommand(QWidget *parent, BareCommand command, const DeviceList *department);

// Reboot asks once more for each selected print or swap server.
bool rebootDevices(QWidget *parent, const DeviceList *department);

bool setDeviceName(QWidget *parent, const DeviceList *department);
bool setConfigPassword(QWidget *parent, const DeviceList *department);

// The Enabled/Disabled settings.
enum class StatusCommand { Firewall, LogState, PowerSave };
bool setStatus(QWidget *parent, StatusCommand command, const DeviceList *department);

} // namespace EverydayCommands

#endif // EVERYDAYCOMMANDS_H
