#ifndef DISPLAYCOMMANDS_H
#define DISPLAYCOMMANDS_H

#include <QList>
#include <QString>

class QWidget;
class ThinclientInfo;

// The bodies of the main window's display slots. Each takes the window as
// the parent of its boxes and the device list of the department shown (null
// when none is shown, which does nothing) and returns true when the command
// reached a device.
namespace DisplayCommands {

using DeviceList = QList<ThinclientInfo *>;

// The output layout, to every selected device.
bool configureDisplays(QWidget *parent, const DeviceList *department);
// One mode of the one selected device's EDID list, to that device;
// `supported` names the modes the console can send, separated by blanks.
bool setEdidResolution(QWidget *parent, const DeviceList *department, const QString &supported);

} // namespace DisplayCommands

#endif // DISPLAYCOMMANDS_H
