#include "treerows.h"

#include "devicelink/columns.h"
#include "devicelink/devicerow.h"
#include "devicelink/thinclientinfo.h"

#include <QBrush>
#include <QSettings>
#include <QStandardItem>

static_assert(TreeRows::RecordRole == Qt::UserRole + 1, "record role");

namespace {
QStandardItem *readOnlyItem(const QString &text)
{
    auto *item = new QStandardItem(text);
    item->setEditable(false);
    item->setCheckable(false);
    return item;
}

QStandardItem *deviceItem(const QString &text, ThinclientInfo *info)
{
    QStandardItem *item = readOnlyItem(text);
    item->setData(QVariant::fromValue(static_cast<void *>(info)), TreeRows::RecordRole);
    return item;
}

QStandardItem *statusItem(ThinclientInfo *info)
{
    QStandardItem *item = deviceItem(QString(), info);
    const QBrush blue(QColor(0, 0, 255, 255));
    if (info->bootMode == 1) {
        item->setText(QStringLiteral("In factory mode"));
        item->setForeground(blue);
    } else if (info->bootMode == 3) {
        item->setText(QStringLiteral("Awaiting firmware upgrade"));
        item->setForeground(blue);
    }
    return item;
}
} // namespace

ThinclientInfo *TreeRows::recordOf(const QStandardItem *item)
{
    if (!item)
        return nullptr;
    const QVariant v = item->data(RecordRole);
    if (v.typeId() == QMetaType::VoidStar)
        return static_cast<ThinclientInfo *>(v.value<void *>());
    QVariant converted = v;
    if (!converted.isValid() || !converted.convert(QMetaType(QMetaType::VoidStar)))
        return nullptr;
    return static_cast<ThinclientInfo *>(converted.value<void *>());
}

int TreeRows::checkState(const QStandardItem *item)
{
    bool ok = false;
    const int state = item ? item->data(Qt::CheckStateRole).toInt(&ok) : 0;
    return ok ? state : 0;
}

QList<QStandardItem *> TreeRows::createModelRow(const QString &model)
{
    QList<QStandardItem *> row;
    row << readOnlyItem(model);
    for (int i = 1; i < GroupRowItems; ++i)
        row << readOnlyItem(QString());
    return row;
}

QList<QStandardItem *> TreeRows::buildDeviceRow(QSettings *settings, ThinclientInfo *info)
{
    QStandardItem *name = deviceItem(info->deviceName, info);
    name->setCheckable(true);
    if (info->checked)
        name->setCheckState(Qt::Checked);
    info->item = name;

    QList<QStandardItem *> row{name, statusItem(info)};

    // Cells go into slots by their stored position, so the row follows the
    // order of the header; a hidden column leaves no gap. Positions outside
    // the slots (a hand-edited store) are left out.
    QStandardItem *cells[ColumnSlots] = {};
    const QStringList texts = DeviceRow::columnTexts(info);
    for (int i = 0; i < Columns::Count; ++i) {
        const int position = Columns::modelColumnAt(settings, i) - Columns::FixedColumns;
        if (position < 0 || position >= ColumnSlots)
            continue;
        delete cells[position];    // a repeated position: the later column wins
        cells[position] = deviceItem(texts.at(i), info);
    }
    for (QStandardItem *cell : cells)
        if (cell)
            row << cell;

    // A device row never has rows under it. Saying so spares the view a
    // look for children and an expansion lookup for each of thousands of
    // rows every time it lays the tree out again, which it does whenever a
    // device joins an expanded group.
    // Enabled like any new row even for an offline device (a drop into
    // another department), so that it can be ticked there and the tick
    // carries over when the device registers again.
    for (QStandardItem *item : row)
        item->setFlags(item->flags() | Qt::ItemIsEnabled | Qt::ItemNeverHasChildren);
    return row;
}
