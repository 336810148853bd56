#include "treerows.h"
#include "deviceselection.h"

#include "devicelink/columns.h"
#include "devicelink/devicerow.h"
#include "devicelink/thinclientinfo.h"

#include <QBrush>
#include <QSettings>
#include <QStandardItem>
#include <QStandardItemModel>

#include <algorithm>
#include <iterator>
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
// devices, and what is left of an offline fleet is the pages they pin: a
// plain item keeps its values in a list of its own, one more block beside
// the item and its private part, grown role by role to twice the room it
// needs. A device cell holds the values every cell has (text, flags,
// record, check state) in the item itself; any other role (a colour) is
// kept by the item as usual. Greying the row when its device leaves then
// allocates nothing, so nothing is carved out of the leaving connections'
// buffers to pin their pages later.
class DeviceCell : public QStandardItem
{
public:
    DeviceCell() = default;

    QVariant data(int role) const override
    {
        role = role == Qt::EditRole ? Qt::DisplayRole : role;
        if (m_held & held(role)) {
            switch (role) {
            case Qt::DisplayRole: return m_text;
            case FlagsRole: return m_flags;
            case Qt::CheckStateRole: return m_check;
            case Qt::ForegroundRole: return m_foreground;
            default: return QVariant::fromValue(m_record);
            }
        }
        return QStandardItem::data(role);
    }

    void multiData(QModelRoleDataSpan roleDataSpan) const override
    {
        for (QModelRoleData &roleData : roleDataSpan)
            roleData.setData(data(roleData.role()));
    }

    void setData(const QVariant &value, int role) override
    {
        role = role == Qt::EditRole ? Qt::DisplayRole : role;
        store(value, role);
        // A box also changes from the keyboard (Space on the current row),
        // and no click follows: the record follows the box of a shown row
        // however it changed, or a device unticked that way would still get
        // commands. A row being built takes its box from the record.
        if (role == Qt::CheckStateRole && model())
            DeviceSelection::syncChecked(this);
    }

    QStandardItem *clone() const override { return new DeviceCell(*this); }
    int type() const override { return DeviceRow::CellType; }

private:
    DeviceCell(const DeviceCell &other) = default;

    void store(const QVariant &value, int role)
    {
        const quint8 bit = held(role);
        if (bit && value.typeId() == heldType(bit)) {
            if ((m_held & bit) && data(role) == value)
                return;
            if (!(m_held & bit) && QStandardItem::data(role).isValid())
                QStandardItem::setData(QVariant(), role);
            switch (bit) {
            case Text: m_text = value.toString(); break;
            case Flags: m_flags = value.toInt(); break;
            case Check: m_check = value.toInt(); break;
            case Foreground: m_foreground = value.value<QBrush>(); break;
            default: m_record = value.value<void *>(); break;
            }
            m_held |= bit;
            changed();
            return;
        }
        // A value of another type is kept by the item as usual.
        if (m_held & bit) {
            m_held &= ~bit;
            if (bit == Text)
                m_text.clear();
            if (bit == Foreground)
                m_foreground = QBrush();
            if (!value.isValid()) {
                changed();
                return;
            }
        }
        QStandardItem::setData(value, role);
    }

    // A model kept quiet tells nobody: its index is then not worked out,
    // a walk up to the row's parent, for a signal that goes nowhere. The
    // device rows' own writes tell the views themselves.
    void changed()
    {
        if (DeviceRow::writingQuietly())
            return;
        const QStandardItemModel *owner = model();
        if (owner && !owner->signalsBlocked())
            emitDataChanged();
    }

    // Where QStandardItem keeps an item's flags.
    static constexpr int FlagsRole = Qt::UserRole - 1;
    enum Held : quint8 { Text = 1, Flags = 2, Check = 4, Record = 8, Foreground = 16 };
    static quint8 held(int role)
    {
        switch (role) {
        case Qt::DisplayRole: return Text;
        case FlagsRole: return Flags;
        case Qt::CheckStateRole: return Check;
        case TreeRows::RecordRole: return Record;
        case Qt::ForegroundRole: return Foreground;
        default: return 0;
        }
    }
    static int heldType(quint8 bit)
    {
        switch (bit) {
        case Text: return QMetaType::QString;
        case Record: return QMetaType::VoidStar;
        case Foreground: return QMetaType::QBrush;
        default: return QMetaType::Int;
        }
    }

    QString m_text;
    QBrush m_foreground;
    void *m_record = nullptr;
    int m_flags = 0;
    int m_check = 0;
    quint8 m_held = 0;
};

QStandardItem *statusItem(const QStandardItem &cellModel, ThinclientInfo *info)
{
    QStandardItem *item = cellModel.clone();
    if (info->bootMode == 1)
        item->setText(QStringLiteral("In factory mode"));
    else if (info->bootMode == 3)
        item->setText(QStringLiteral("Awaiting firmware upgrade"));
    if (!item->text().isEmpty())
        item->setForeground(QBrush(QColor(0, 0, 255, 255)));
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
    // A device row never has rows under it. Saying so spares the view a
    // look for children and an expansion lookup for each of thousands of
    // rows every time it lays the tree out again, which it does whenever a
    // device joins an expanded group.
    // Enabled like any new row even for an offline device (a drop into
    // another department), so that it can be ticked there and the tick
    // carries over when the device registers again.
    const Qt::ItemFlags flags = (QStandardItem().flags() & ~Qt::ItemIsEditable) | Qt::ItemIsEnabled
                                | Qt::ItemNeverHasChildren;
    DeviceCell cellModel;
    cellModel.setText(QString());
    cellModel.setFlags(flags);
    cellModel.setData(QVariant::fromValue(static_cast<void *>(info)), RecordRole);

    QStandardItem *name = cellModel.clone();
    name->setCheckable(true);
    if (info->checked)
        name->setCheckState(Qt::Checked);
    name->setText(info->deviceName);
    info->item = name;

    QList<QStandardItem *> row{name, statusItem(cellModel, info)};

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
        cells[position] = cellModel.clone();
        cells[position]->setText(texts.at(i));
    }
    for (QStandardItem *cell : cells)
        if (cell)
            row << cell;
    std::fill(std::begin(info->rowCells), std::end(info->rowCells), nullptr);
    std::copy_n(row.cbegin(), qMin(row.size(), qsizetype(ThinclientInfo::MaxRowCells)), info->rowCells);
    return row;
}
