#include "devicerow.h"
#include "columns.h"
#include "thinclientinfo.h"

#include <QBrush>
#include <QPointer>
#include <QSet>
#include <QSettings>
#include <QSignalBlocker>
#include <QStandardItemModel>

#include <algorithm>
#include <utility>

namespace {
// The rows of one model whose cells changed in this pass of the event loop.
// A view answers a changed cell by looking its row up among all the rows it
// shows, from the last one it found; a fleet's reports change a few cells
// each of thousands of rows, so a signal per cell would make that search
// thousands of times a second. The views hear of each changed row once,
// when the pass's posted events run (before anything is painted), in the
// order they show the rows, so that each search starts next to the last.
class PendingRows : public QObject
{
public:
    explicit PendingRows(QStandardItemModel *model) : QObject(model), m_model(model) {}

    static PendingRows *of(QStandardItemModel *model)
    {
        // Reports come in runs for one department's model.
        static QPointer<PendingRows> last;
        if (last && last->m_model == model)
            return last;
        for (QObject *child : model->children())
            if (auto *pending = dynamic_cast<PendingRows *>(child))
                return last = pending;
        return last = new PendingRows(model);
    }

    // A report writes several cells of one row in a row; the row is noted
    // once.
    void mark(const QStandardItem *cell)
    {
        const QStandardItem *parent = cell->parent();
        const int row = cell->row();
        if (parent == m_lastParent && row == m_lastRow && !m_rows.isEmpty())
            return;
        if (m_rows.isEmpty())
            QMetaObject::invokeMethod(this, [this] { flush(); }, Qt::QueuedConnection);
        m_lastParent = parent;
        m_lastRow = row;
        m_rows.insert(QPersistentModelIndex(cell->index().siblingAtColumn(0)));
    }

    void flush()
    {
        // Rows removed since their cells changed have nothing left to show.
        QList<QModelIndex> rows;
        for (const QPersistentModelIndex &row : std::as_const(m_rows))
            if (row.isValid())
                rows << QModelIndex(row);
        m_rows.clear();
        std::sort(rows.begin(), rows.end(), [](const QModelIndex &a, const QModelIndex &b) {
            const QModelIndex pa = a.parent(), pb = b.parent();
            return pa != pb ? pa < pb : a.row() < b.row();
        });
        for (const QModelIndex &first : rows)
            emit m_model->dataChanged(first, first.siblingAtColumn(m_model->columnCount(first.parent()) - 1));
    }

private:
    QStandardItemModel *m_model;
    QSet<QPersistentModelIndex> m_rows;
    const QStandardItem *m_lastParent = nullptr;
    int m_lastRow = -1;
};

// Changes a cell now; its views hear of it with the rest of its row.
template <typename Change>
void changeCell(QStandardItem *cell, Change change)
{
    QStandardItemModel *model = cell->model();
    if (!model) {
        change(cell);
        return;
    }
    {
        const QSignalBlocker quiet(model);
        change(cell);
    }
    PendingRows::of(model)->mark(cell);
}
} // namespace

QStandardItem *DeviceRow::cell(const ThinclientInfo *record, int modelColumn)
{
    if (!record || !record->item || modelColumn < 0)
        return nullptr;
    QStandardItem *parent = record->item->parent();
    if (!parent)
        return nullptr;
    return parent->child(record->item->row(), modelColumn);
}

bool DeviceRow::hasRow(const ThinclientInfo *record)
{
    return record && record->item && record->item->parent();
}

void DeviceRow::setText(const ThinclientInfo *record, int modelColumn, const QString &text)
{
    if (QStandardItem *c = cell(record, modelColumn))
        changeCell(c, [&text](QStandardItem *item) { item->setText(text); });
}

void DeviceRow::setColumnText(QSettings *settings, const ThinclientInfo *record, const char *key, const QString &text)
{
    if (!hasRow(record))
        return;
    const int column = Columns::modelColumn(settings, key);
    if (column >= 0)
        setText(record, column, text);
}

void DeviceRow::setForeground(const ThinclientInfo *record, int modelColumn, const QColor &colour)
{
    if (QStandardItem *c = cell(record, modelColumn))
        changeCell(c, [&colour](QStandardItem *item) { item->setForeground(QBrush(colour)); });
}

void DeviceRow::setEnabled(const ThinclientInfo *record, int columnCount, bool enabled)
{
    for (int column = 0; column < columnCount; ++column)
        if (QStandardItem *c = cell(record, column))
            changeCell(c, [enabled](QStandardItem *item) { item->setEnabled(enabled); });
}

QString DeviceRow::detectionText(quint16 serverDetection)
{
    switch (serverDetection) {
    case 0: return QStringLiteral("UDP Broadcast");
    case 1: return QStringLiteral("DHCP");
    case 2: return QStringLiteral("Static IP");
    default: return QStringLiteral("Undefined");
    }
}

QStringList DeviceRow::columnTexts(const ThinclientInfo *r)
{
    // One text per row of Columns::table, in its order.
    return {
        r->ipAddress,
        r->macAddress,
        r->firmwareVersion,
        r->hotfixVersion,
        r->resolution,
        r->remoteServer,
        r->clientVersion,
        r->protocolType.toUpper(),
        r->serialNumber,
        r->timeServer,
        r->boardHostname,
        detectionText(r->serverDetection),
        r->serverIp,
        r->serverPort,
        r->timezone,
    };
}

void DeviceRow::writeColumns(QSettings *settings, const ThinclientInfo *r)
{
    if (!hasRow(r))
        return;
    const QStringList texts = columnTexts(r);
    for (int i = 0; i < Columns::Count; ++i)
        setColumnText(settings, r, Columns::table[i].key, texts.at(i));
}
