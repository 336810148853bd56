#ifndef DEVICEDROP_H
#define DEVICEDROP_H

#include <QMap>
#include <QString>

class DeptInfo;
class QSettings;

// Device rows dragged from one department's tree and dropped on another
// department's label.
namespace DeviceDrop {
// Moves the devices whose rows are selected in from's tree into to: the
// MAC address leaves from's member list and joins to's, the MAC map points
// at to, the record changes device lists and gets a new row in to's tree;
// the old rows go; a device without a MAC address moves without a member
// entry. Selected group rows stay where they are. Returns how many devices
// moved; none when either department is missing or both are the same, so a
// drop on the tree's own label changes nothing. The caller saves the
// department file when the result is not 0.
int moveSelectedDevices(DeptInfo *from, DeptInfo *to, QMap<QString, int> *deviceDepartments, QSettings *settings);
}

#endif // DEVICEDROP_H
