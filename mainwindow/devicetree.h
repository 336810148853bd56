#ifndef DEVICETREE_H
#define DEVICETREE_H

#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

class DeptInfo;
class QHeaderView;
class QSettings;
class ThinclientInfo;

// A department's device tree: its view, models and header, and filing
// devices into it. The view's signals (clicked, doubleClicked,
// customContextMenuRequested) are the caller's to connect.
namespace DeviceTree {
constexpr int DefaultSectionSize = 120;
constexpr int DefaultNameWidth = 200;
constexpr int DefaultStatusWidth = 340;

// "Device name", "Status", then every non-empty colText0 .. colText14.
QStringList headerLabels(QSettings *settings);
// The stored widths colSize0, colSize1, ... up to the first negative one;
// without colSize0, the default widths. A key that is missing or not a
// number leaves its section at the default width.
void applyColumnWidths(QHeaderView *header, QSettings *settings);
// colSize<i> for every section of the header, then -1 up to colSize16, so
// that no key of a wider layout outlives it.
void saveColumnWidths(QHeaderView *header, QSettings *settings);

// Creates the department's view, device model (with its root item), header
// model and header; the department owns them from then on.
void createDeviceTreeView(DeptInfo *dept, QSettings *settings);
// Destroys what createDeviceTreeView made, with every row; the department's
// pointers to them are cleared.
void destroyDeviceTree(DeptInfo *dept);

// Appends a row for the device under its model's group row, creating the
// group for the first device of a model.
void insertDeviceRow(DeptInfo *dept, QSettings *settings, ThinclientInfo *info);
// Moves the device's row, as it is, under the group row of the model its
// record now holds, when it sits under another one's.
void regroupDeviceRow(DeptInfo *dept, ThinclientInfo *info);
// Makes the device a member of dept for this run: its record joins
// dept->devices and its row the tree. Membership in the file (macs) is not
// touched.
void fileDevice(DeptInfo *dept, QSettings *settings, ThinclientInfo *info);
// Files a newly registered device into the department the MAC map gives
// for its address, else into "Orphans" (id 0). Returns that department,
// null for a null record or a list without either.
DeptInfo *addDeviceToDepartment(QList<DeptInfo *> *departments, const QMap<QString, int> &deviceDepartments,
                                QSettings *settings, ThinclientInfo *info);

// The models of the department's selected devices, in list order, once per
// device, for the wizard. Blanks become "_", the form the settings keys
// and the download list use for boards ("ORL K1" -> "ORL_K1").
QStringList collectSelectedModels(const DeptInfo *dept);
}

#endif // DEVICETREE_H
