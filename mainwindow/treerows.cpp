#include "treerows.h"

#include "devicelink/columns.h"
#include "devicelink/devicerow.h"
#include "devicelink/thinclientinfo.h"

#include <QBrush>
#include <QSettings>
#include <QStandardItem>

#include <memory>

static_assert(TreeRows::RecordRole == Qt::UserRole + 1, "record role");

namespace {
QStandardItem *readOnlyItem(const QString &text)
{
    auto *item = new QStandardItem(text);
    item->setEditable(false);
    item->setCheckable(false);
    return item;
}

// A device row is thousands of times as many small blocks as there are
// devices, and what is left of an offline fleet is the pages they pin. An
// item's values are a list that grows role by role to twice the room it
// needs; a copy of an item shares the values of the original until its
// first write, which copies them into a block of exactly their size. So a
// row's items are copies of one finished item, each given its own text.
// Cells without text get their own block too: a device that leaves greys
// its whole row, and a block still shared then would be copied while the
// connections of a leaving fleet are torn down, among their buffers, where
// it pins a page of its own once they are gone.

// An item built on the stack, or copied from another.
struct Values : QStandardItem
{
    Values() = default;
    explicit Values(const QStandardItem &other) : QStandardItem(other) {}
};

// Any write, even of the value already held, gives the copy its own block.
QStandardItem *exactCopy(const QStandardItem &item)
{
    QStandardItem *copy = item.clone();
    copy->setFlags(copy->flags());
    return copy;
}

QStandardItem *withText(const QStandardItem &model, const QString &text)
{
    if (text.isEmpty())
        return exactCopy(model);
    QStandardItem *item = model.clone();
    item->setText(text);
    return item;
}

QStandardItem *statusItem(const QStandardItem &cellModel, ThinclientInfo *info)
{
    QString text;
    if (info->bootMode == 1)
        text = QStringLiteral("In factory mode");
    else if (info->bootMode == 3)
        text = QStringLiteral("Awaiting firmware upgrade");
    if (text.isEmpty())
        return exactCopy(cellModel);
    Values values(cellModel);
    values.setText(text);
    values.setForeground(QBrush(QColor(0, 0, 255, 255)));
    return exactCopy(values);
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
    // A device row never has rows under it. Saying so spares the view a
    // look for children and an expansion lookup for each of thousands of
    // rows every time it lays the tree out again, which it does whenever a
    // device joins an expanded group.
    // Enabled like any new row even for an offline device (a drop into
    // another department), so that it can be ticked there and the tick
    // carries over when the device registers again.
    const Qt::ItemFlags flags = (QStandardItem().flags() & ~Qt::ItemIsEditable) | Qt::ItemIsEnabled
                                | Qt::ItemNeverHasChildren;
    Values cellValues;
    cellValues.setText(QString());
    cellValues.setFlags(flags);
    cellValues.setData(QVariant::fromValue(static_cast<void *>(info)), RecordRole);
    const std::unique_ptr<QStandardItem> cellModel(exactCopy(cellValues));

    Values nameValues(cellValues);
    nameValues.setCheckable(true);
    if (info->checked)
        nameValues.setCheckState(Qt::Checked);
    QStandardItem *name = withText(*std::unique_ptr<QStandardItem>(exactCopy(nameValues)), info->deviceName);
    info->item = name;

    QList<QStandardItem *> row{name, statusItem(*cellModel, info)};

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
        cells[position] = withText(*cellModel, texts.at(i));
    }
    for (QStandardItem *cell : cells)
        if (cell)
            row << cell;
    return row;
}
