#ifndef TREEROWS_H
#define TREEROWS_H

#include <QList>
#include <QString>

class QSettings;
class QStandardItem;
class ThinclientInfo;

// The rows of a department's device tree: one model-group row per device
// model, and under it one row per device. Every item of a device row
// carries its record; the first one carries the check box that selects it.
namespace TreeRows {
constexpr int RecordRole = 0x0100 + 1;    // Qt::UserRole + 1
constexpr int GroupRowItems = 9;
constexpr int ColumnSlots = 30;

// The record an item stands for; null for items of group rows.
ThinclientInfo *recordOf(const QStandardItem *item);
// The item's check state as a number; 0 when it holds none.
int checkState(const QStandardItem *item);

// The nine items of a model-group row; the first shows the model text as
// the device reported it.
QList<QStandardItem *> createModelRow(const QString &model);
// The items of a new device row: name (with the check box), status, then
// the shown configurable columns by their stored positions. Sets the
// record's item to the name item. The row is enabled even for an offline
// record, so that it can be ticked where it was dropped. The caller takes
// ownership by inserting the items.
QList<QStandardItem *> buildDeviceRow(QSettings *settings, ThinclientInfo *info);
}

#endif // TREEROWS_H
