#ifndef DEVICESELECTION_H
#define DEVICESELECTION_H

#include <QPoint>
#include <functional>

class QMenu;
class QStandardItem;
class QStandardItemModel;
class QTreeView;
class QWidget;

// Selecting devices in a tree: a device row's check box is mirrored into
// its record's checked flag, which commands and the wizard read.
namespace DeviceSelection {
// After a click anywhere in a device row: copies the row's box into the
// record. Group rows, and offline devices (whose rows are greyed), are left
// alone. Returns whether a flag was written.
bool syncChecked(QStandardItem *clicked);

// Tick, untick or invert every device of a model group, online or not, box
// and flag alike. Return false, changing nothing, for a null group or one
// without devices; the caller then keeps its remembered item.
bool checkAll(QStandardItem *group);
bool uncheckAll(QStandardItem *group);
bool invertCheck(QStandardItem *group);

// The item at a point of the view (in viewport coordinates); null off the rows.
QStandardItem *itemAt(QTreeView *view, QStandardItemModel *model, const QPoint &pos);

// The tree's context menu for item: "Select all", "Deselect all", "Invert
// selection" on a group's model name (the item with children), else "Show
// device info". Each entry calls its handler. The caller runs and deletes it.
struct MenuHandlers {
    std::function<void()> checkAll;
    std::function<void()> uncheckAll;
    std::function<void()> invertCheck;
    std::function<void()> showDeviceInfo;
};
QMenu *buildContextMenu(const QStandardItem *item, QWidget *parent, const MenuHandlers &handlers);
}

#endif // DEVICESELECTION_H
