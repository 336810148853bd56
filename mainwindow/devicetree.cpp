#include "devicetree.h"
#include "celldelegate.h"
#include "department.h"
#include "deptinfo.h"
#include "orltreeview.h"
#include "treerows.h"

#include "commands/packets/delivery.h"
#include "devicelink/columns.h"
#include "devicelink/devicerow.h"
#include "devicelink/thinclientinfo.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QSettings>
#include <QStandardItemModel>

QStringList DeviceTree::headerLabels(QSettings *settings)
{
    QStringList labels{QStringLiteral("Device name"), QStringLiteral("Status")};
    const QStringList texts = Columns::headerTexts(settings);
    for (int i = 0; i < Columns::Count; ++i)
        if (!texts.at(i).isEmpty())
            labels << texts.at(i);
    return labels;
}

void DeviceTree::applyColumnWidths(QHeaderView *header, QSettings *settings)
{
    if (!settings->contains(Columns::sizeKey(0))) {
        header->setDefaultSectionSize(DefaultSectionSize);
        header->resizeSection(0, DefaultNameWidth);
        header->resizeSection(1, DefaultStatusWidth);
        return;
    }
    for (int i = 0; i < Columns::MaxSizeKeys; ++i) {
        // A key lost from a hand-edited store would otherwise read as 0 and
        // hide its column.
        bool ok = false;
        const int width = settings->value(Columns::sizeKey(i)).toInt(&ok);
        if (!ok)
            continue;
        if (width < 0)
            break;
        header->resizeSection(i, width);
    }
}

void DeviceTree::saveColumnWidths(QHeaderView *header, QSettings *settings)
{
    const int n = qMin(header->count(), int(Columns::MaxSizeKeys));
    for (int i = 0; i < n; ++i)
        settings->setValue(Columns::sizeKey(i), header->sectionSize(i));
    for (int i = n; i < Columns::MaxSizeKeys; ++i)
        settings->setValue(Columns::sizeKey(i), -1);
}

void DeviceTree::createDeviceTreeView(DeptInfo *dept, QSettings *settings)
{
    dept->treeView = new OrlTreeView(nullptr);
    dept->model = new QStandardItemModel(nullptr);
    dept->rootItem = dept->model->invisibleRootItem();
    dept->contextItem = nullptr;

    OrlTreeView *view = dept->treeView;
    view->setModel(dept->model);
    view->setContextMenuPolicy(Qt::CustomContextMenu);
    view->setDragEnabled(true);
    view->setDragDropMode(QAbstractItemView::DragOnly);
    view->setSelectionMode(QAbstractItemView::ExtendedSelection);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setUniformRowHeights(true);
    view->setItemDelegate(new CellDelegate(view));

    // The header keeps a model of its own: its labels come from the column
    // settings, not from the rows, whose group rows are wider.
    dept->headerModel = new QStandardItemModel(nullptr);
    dept->header = new QHeaderView(Qt::Horizontal, nullptr);
    dept->header->setModel(dept->headerModel);
    dept->header->setStretchLastSection(true);
    view->setHeader(dept->header);
    dept->headerModel->setHorizontalHeaderLabels(headerLabels(settings));
    applyColumnWidths(dept->header, settings);
}

void DeviceTree::destroyDeviceTree(DeptInfo *dept)
{
    // The view owns its header; the models go after the view that shows them.
    // Nothing may wait to be told about rows that go with them.
    for (const ThinclientInfo *record : std::as_const(dept->devices))
        DeviceRow::forget(record);
    delete dept->treeView;
    delete dept->model;
    delete dept->headerModel;
    dept->treeView = nullptr;
    dept->header = nullptr;
    dept->model = nullptr;
    dept->headerModel = nullptr;
    dept->rootItem = nullptr;
    dept->contextItem = nullptr;
    dept->groupItems.clear();
}

namespace {

void appendToGroup(DeptInfo *dept, const QString &model, const QList<QStandardItem *> &deviceRow)
{
    QStandardItem *group = dept->groupItems.value(model);
    if (!group) {
        const QList<QStandardItem *> row = TreeRows::createModelRow(model);
        group = row.first();
        dept->groupItems.insert(model, group);
        dept->rootItem->appendRow(row);
    }
    group->appendRow(deviceRow);
    // The whole tree opens, a group the user closed as well. Only group rows
    // have children, so opening the groups is all that expandAll would do,
    // without laying out every row again for each device that joins.
    if (!dept->treeView)
        return;
    for (QStandardItem *each : std::as_const(dept->groupItems)) {
        const QModelIndex index = dept->model->indexFromItem(each);
        if (!dept->treeView->isExpanded(index))
            dept->treeView->expand(index);
    }
}

} // namespace

void DeviceTree::insertDeviceRow(DeptInfo *dept, QSettings *settings, ThinclientInfo *info)
{
    if (!dept || !dept->rootItem || !info)
        return;
    appendToGroup(dept, info->model, TreeRows::buildDeviceRow(settings, info));
}

void DeviceTree::regroupDeviceRow(DeptInfo *dept, ThinclientInfo *info)
{
    if (!dept || !dept->rootItem || !info || !info->item)
        return;
    QStandardItem *group = info->item->parent();
    if (!group || group->model() != dept->model || dept->groupItems.value(info->model) == group)
        return;
    // Taken, not rebuilt: the tick, the status the device last reported
    // and its colour stay with the row. The view forgets a row taken out,
    // yet the drop moves the rows selected, and the keys act on the current
    // one: a drag under way would leave the device behind, and the space bar
    // tick its neighbour.
    QItemSelectionModel *selection = dept->treeView ? dept->treeView->selectionModel() : nullptr;
    const QModelIndex index = info->item->index();
    const bool selected = selection && selection->isSelected(index);
    const QModelIndex current = selection ? selection->currentIndex() : QModelIndex();
    const bool wasCurrent = current.isValid() && current.siblingAtColumn(0) == index;
    appendToGroup(dept, info->model, group->takeRow(index.row()));
    if (selected)
        selection->select(info->item->index(), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    if (wasCurrent)
        selection->setCurrentIndex(info->item->index().siblingAtColumn(current.column()),
                                   QItemSelectionModel::NoUpdate);
}

void DeviceTree::fileDevice(DeptInfo *dept, QSettings *settings, ThinclientInfo *info)
{
    if (!dept || !info)
        return;
    dept->devices.append(info);
    insertDeviceRow(dept, settings, info);
}

DeptInfo *DeviceTree::addDeviceToDepartment(QList<DeptInfo *> *departments,
                                            const QMap<QString, int> &deviceDepartments, QSettings *settings,
                                            ThinclientInfo *info)
{
    if (!info)
        return nullptr;
    // A device without a MAC address cannot be a member: a blank entry that
    // an older department file holds must not claim every such device.
    const int id = info->macAddress.trimmed().isEmpty() ? 0 : deviceDepartments.value(info->macAddress, 0);
    DeptInfo *dept = Department::findDeptById(departments, id);
    // The map never names a missing department (deletion drops its entries);
    // should it, the device still gets a home.
    if (!dept)
        dept = Department::findDeptById(departments, 0);
    fileDevice(dept, settings, info);
    return dept;
}

QStringList DeviceTree::collectSelectedModels(const DeptInfo *dept)
{
    QStringList models;
    if (!dept)
        return models;
    for (const ThinclientInfo *device : Delivery::selectedDevices(&dept->devices))
        models << QString(device->model).replace(QLatin1Char(' '), QLatin1Char('_'));
    return models;
}
