#include "deviceselection.h"
#include "treerows.h"

#include "devicelink/thinclientinfo.h"

#include <QMenu>
#include <QStandardItemModel>
#include <QTreeView>

namespace {
void setRowChecked(QStandardItem *item, bool checked)
{
    item->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
    if (ThinclientInfo *record = TreeRows::recordOf(item))
        record->checked = checked;
}

// Applies rule to the name item of every device row under group.
template <typename Rule>
bool forEachDevice(QStandardItem *group, Rule rule)
{
    if (!group || group->rowCount() == 0)
        return false;
    for (int i = 0; i < group->rowCount(); ++i)
        if (QStandardItem *item = group->child(i, 0))
            rule(item);
    return true;
}

void addEntry(QMenu *menu, const QString &text, const std::function<void()> &handler)
{
    QAction *action = menu->addAction(text);
    if (handler)
        QObject::connect(action, &QAction::triggered, menu, [handler] { handler(); });
}
} // namespace

bool DeviceSelection::syncChecked(QStandardItem *clicked)
{
    ThinclientInfo *record = TreeRows::recordOf(clicked);
    if (!record || !record->online)
        return false;
    QStandardItem *parent = clicked->parent();
    QStandardItem *first = parent ? parent->child(clicked->row(), 0) : clicked;
    record->checked = TreeRows::checkState(first) == Qt::Checked;
    return true;
}

bool DeviceSelection::checkAll(QStandardItem *group)
{
    return forEachDevice(group, [](QStandardItem *item) { setRowChecked(item, true); });
}

bool DeviceSelection::uncheckAll(QStandardItem *group)
{
    return forEachDevice(group, [](QStandardItem *item) { setRowChecked(item, false); });
}

bool DeviceSelection::invertCheck(QStandardItem *group)
{
    return forEachDevice(group, [](QStandardItem *item) {
        setRowChecked(item, TreeRows::checkState(item) != Qt::Checked);
    });
}

QStandardItem *DeviceSelection::itemAt(QTreeView *view, QStandardItemModel *model, const QPoint &pos)
{
    if (!view || !model)
        return nullptr;
    return model->itemFromIndex(view->indexAt(pos));
}

QMenu *DeviceSelection::buildContextMenu(const QStandardItem *item, QWidget *parent, const MenuHandlers &handlers)
{
    auto *menu = new QMenu(parent);
    if (item && item->hasChildren()) {
        addEntry(menu, QStringLiteral("Select all"), handlers.checkAll);
        addEntry(menu, QStringLiteral("Deselect all"), handlers.uncheckAll);
        addEntry(menu, QStringLiteral("Invert selection"), handlers.invertCheck);
    } else {
        addEntry(menu, QStringLiteral("Show device info"), handlers.showDeviceInfo);
    }
    return menu;
}
