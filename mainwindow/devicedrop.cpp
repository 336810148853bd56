#include "devicedrop.h"
#include "deptinfo.h"
#include "devicetree.h"
#include "orltreeview.h"
#include "treerows.h"

#include "devicelink/devicerow.h"
#include "devicelink/thinclientinfo.h"

#include <QHash>
#include <QItemSelectionModel>
#include <QSet>
#include <QStringList>
#include <QStandardItemModel>
#include <algorithm>

namespace {
// Takes out the first `count` entries equal to each key, as that many calls
// of removeOne would, in one pass over the list: a drop of thousands of
// devices would otherwise walk the whole list once per device.
template <typename T>
void removeFirst(QList<T> &list, QHash<T, int> &counts)
{
    if (counts.isEmpty())
        return;
    QList<T> kept;
    kept.reserve(list.size());
    for (const T &entry : std::as_const(list)) {
        const auto it = counts.find(entry);
        if (it != counts.end() && it.value() > 0)
            --it.value();
        else
            kept.append(entry);
    }
    list = kept;
}
} // namespace

int DeviceDrop::moveSelectedDevices(DeptInfo *from, DeptInfo *to, QMap<QString, int> *deviceDepartments,
                                    QSettings *settings)
{
    if (!from || !to || from == to || !from->treeView || !from->model || from->treeView == to->treeView)
        return 0;
    QItemSelectionModel *selection = from->treeView->selectionModel();
    if (!selection)
        return 0;

    // The old rows, by parent, are removed only after every move: row
    // numbers taken now must stay valid until then.
    QMap<QStandardItem *, QSet<int>> movedRows;
    // Likewise the records and member entries that leave the department.
    QHash<ThinclientInfo *, int> leaving;
    QHash<QString, int> leavingMacs;
    int moved = 0;
    const QModelIndexList rows = selection->selectedRows(0);
    for (const QModelIndex &index : rows) {
        QStandardItem *item = from->model->itemFromIndex(index);
        ThinclientInfo *info = TreeRows::recordOf(item);
        if (!info)
            continue;    // a group row
        QStandardItem *parent = item->parent() ? item->parent() : from->model->invisibleRootItem();
        QSet<int> &done = movedRows[parent];
        if (done.contains(item->row()))
            continue;
        done.insert(item->row());

        ++leaving[info];
        // Devices that report no MAC address cannot be told apart (nor are
        // they at registration): a blank member entry would file every
        // such device into this department when it next registers.
        if (!info->macAddress.trimmed().isEmpty()) {
            ++leavingMacs[info->macAddress];
            to->macs.append(info->macAddress);
            if (deviceDepartments)
                deviceDepartments->insert(info->macAddress, to->id);
        }
        // An offline device's box may differ from its flag (a tick on its
        // row leaves the flag alone), and registering again takes the tick
        // from the box: its new row keeps the box the administrator left.
        const Qt::CheckState box = item->checkState();
        // The cells show what the device last reported as it was shown,
        // which its record does not keep (the status, a remote server shown
        // in capitals while the record keeps it as sent): the new row is
        // built from the record, so the texts, and the status colour, come
        // over from the old row.
        QStringList shown;
        for (int column = 1; const QStandardItem *cell = DeviceRow::cell(info, column); ++column)
            shown << cell->text();
        const QStandardItem *oldStatus = DeviceRow::cell(info, 1);
        const QVariant statusColour = oldStatus ? oldStatus->data(Qt::ForegroundRole) : QVariant();
        DeviceTree::fileDevice(to, settings, info);
        if (!info->online && info->item && info->item->checkState() != box)
            info->item->setCheckState(box);
        if (QStandardItem *newStatus = oldStatus ? DeviceRow::cell(info, 1) : nullptr)
            newStatus->setData(statusColour, Qt::ForegroundRole);
        for (int column = 1; column <= shown.size(); ++column) {
            QStandardItem *cell = DeviceRow::cell(info, column);
            if (cell && cell->text() != shown.at(column - 1))
                cell->setText(shown.at(column - 1));
        }
        ++moved;
    }

    removeFirst(from->devices, leaving);
    removeFirst(from->macs, leavingMacs);
    selection->clearSelection();
    // The view pays for each removal it is told of with work that grows with
    // the rows of the group: a row at a time, a drop of thousands grew with
    // its square. Rows that lie together go in one removal, from the bottom
    // up, so that the numbers of the rows above stay valid.
    for (auto it = movedRows.begin(); it != movedRows.end(); ++it) {
        QList<int> numbers = it.value().values();
        std::sort(numbers.begin(), numbers.end(), std::greater<int>());
        for (qsizetype first = 0; first < numbers.size();) {
            qsizetype last = first;
            while (last + 1 < numbers.size() && numbers.at(last + 1) == numbers.at(last) - 1)
                ++last;
            it.key()->removeRows(numbers.at(last), int(last - first + 1));
            first = last + 1;
        }
    }
    // The remembered context item may have been one of the removed rows.
    if (moved)
        from->contextItem = nullptr;
    return moved;
}
