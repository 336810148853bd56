#include "devicerow.h"
#include "columns.h"
#include "thinclientinfo.h"

#include <QBrush>
#include <QCoreApplication>
#include <QScopedValueRollback>
#include <QHash>
#include <QSettings>
#include <QSignalBlocker>
#include <QStandardItemModel>

#include <algorithm>
#include <memory>
#include <unordered_map>
#include <utility>
#include <vector>

namespace {
// The rows whose cells changed in this pass of the event loop, by record. A
// view answers a changed cell by looking its row up among all the rows it
// shows, from the last one it found, and a range of cells by doing so for
// each of them. The views hear of each changed row they show once, when the
// pass's posted events run (before anything is painted): each run of
// neighbouring changed cells, rows in the order they are shown, so that
// each search starts next to the last. The rows are found from their
// records only then, and only for the rows shown: a report of a device out
// of sight touches its record and its cell, nothing of its row's place.
class ChangedRows
{
public:
    static ChangedRows &instance()
    {
        static ChangedRows rows;
        return rows;
    }

    void mark(const ThinclientInfo *record, int column)
    {
        // A report writes several cells of one row in a row.
        if (m_rows.empty() || record != m_lastRecord) {
            if (m_rows.empty() && !schedule())
                return;
            m_last = m_rows.try_emplace(record, 0).first;
            m_lastRecord = record;
        }
        m_last->second |= columnBit(column);
    }

    void forget(const ThinclientInfo *record)
    {
        m_rows.erase(record);
        m_lastRecord = nullptr;
    }

    void flush()
    {
        // The lists are the ones kept from the last pass; a flush that a
        // view's answer to a change starts anew gets lists of its own.
        std::vector<Changed> rows;
        rows.swap(m_sorted);
        std::vector<const QStandardItem *> shown;
        shown.swap(m_shown);
        const bool onlyShown = shownRows(&shown);
        for (const auto &[record, columns] : m_rows) {
            const QStandardItem *head = record->item;
            if (!head || (onlyShown && !std::binary_search(shown.begin(), shown.end(), head)))
                continue;
            // A row taken out of its model has nothing left to show.
            QStandardItemModel *model = head->model();
            if (!model)
                continue;
            const QModelIndex row = head->index();
            rows.push_back({model, row.parent(), row, columns});
        }
        m_rows.clear();
        m_lastRecord = nullptr;
        std::sort(rows.begin(), rows.end(), [](const Changed &a, const Changed &b) {
            if (a.model != b.model)
                return a.model < b.model;
            return a.parent != b.parent ? a.parent < b.parent : a.row.row() < b.row.row();
        });
        // Each run of neighbouring changed cells on its own: a view then
        // repaints the changed cells and not those between.
        for (const Changed &changed : std::as_const(rows)) {
            const int last = changed.model->columnCount(changed.parent) - 1;
            for (int first = 0; first <= last; ++first) {
                if (!(changed.columns & columnBit(first)))
                    continue;
                int end = first;
                while (end < last && (changed.columns & columnBit(end + 1)))
                    ++end;
                emit changed.model->dataChanged(changed.row.siblingAtColumn(first),
                                                changed.row.siblingAtColumn(end));
                first = end;
            }
        }
        rows.clear();
        rows.swap(m_sorted);
        shown.clear();
        shown.swap(m_shown);
    }

    std::vector<DeviceRow::Viewer *> viewers;

private:
    // A bit per changed column; the last stands for every column from its
    // own on, all taken as changed.
    static constexpr int LastBit = 63;
    static quint64 columnBit(int column) { return quint64(1) << qMin(column, LastBit); }

    struct Changed {
        QStandardItemModel *model;
        QModelIndex parent;
        QModelIndex row;   // its column 0
        quint64 columns;
    };

    // The flush runs when the pass's posted events do; without an
    // application there is no view to tell.
    static bool schedule()
    {
        QCoreApplication *app = QCoreApplication::instance();
        if (!app)
            return false;
        QMetaObject::invokeMethod(app, [] { instance().flush(); }, Qt::QueuedConnection);
        return true;
    }

    // The first items of the rows the viewers show, sorted; false when one
    // of them must hear of every row, or there is none to ask.
    bool shownRows(std::vector<const QStandardItem *> *shown) const
    {
        if (viewers.empty())
            return false;
        for (DeviceRow::Viewer *viewer : viewers)
            if (!viewer->shownRows(shown))
                return false;
        std::sort(shown->begin(), shown->end());
        return true;
    }

    // All keep their room from pass to pass. Room made anew at every pass
    // (a block of a kilobyte or more) had the allocator sweep up all the
    // small blocks freed meanwhile, the old texts of the rows written,
    // touching memory all over the fleet.
    std::unordered_map<const ThinclientInfo *, quint64> m_rows;   // changed columns
    std::unordered_map<const ThinclientInfo *, quint64>::iterator m_last;
    const ThinclientInfo *m_lastRecord = nullptr;
    std::vector<Changed> m_sorted;
    std::vector<const QStandardItem *> m_shown;
};

bool quietWrites = false;

// Changes a cell now; its views hear of it with the rest of its row. The
// tree's own cells are told to keep quiet without reaching their model.
template <typename Change>
void changeCell(const ThinclientInfo *record, int modelColumn, QStandardItem *cell, Change change)
{
    if (cell->type() == DeviceRow::CellType) {
        const QScopedValueRollback quiet(quietWrites, true);
        change(cell);
    } else if (QStandardItemModel *model = cell->model()) {
        const QSignalBlocker quiet(model);
        change(cell);
    } else {
        change(cell);
        return;
    }
    ChangedRows::instance().mark(record, modelColumn);
}

// The values written to rows while a Batch is open, per record. A burst
// comes from one device, so a batch holds one row or very few; the entries
// are kept for the next batch to spare building them again.
struct HeldRow
{
    static constexpr int Cells = 32;    // wider rows (a hand-edited layout) are written at once

    // Cleared by forget() when the record goes. A guarded pointer would
    // reach the record's private part and its guard's block, two more
    // places in memory, at the first report of every burst.
    const ThinclientInfo *record = nullptr;
    quint32 texts = 0;      // bit per model column: a text is held
    quint32 colours = 0;
    quint32 enabled = 0;    // an enabled state is held ...
    quint32 enabledOn = 0;  // ... and this is it
    QString text[Cells];
    QColor colour[Cells];
};

int batchDepth = 0;
std::vector<std::unique_ptr<HeldRow>> heldRows;
qsizetype heldCount = 0;

HeldRow *held(const ThinclientInfo *record, int modelColumn)
{
    if (batchDepth == 0 || modelColumn < 0 || modelColumn >= HeldRow::Cells || !DeviceRow::hasRow(record))
        return nullptr;
    for (qsizetype i = heldCount - 1; i >= 0; --i)
        if (heldRows[size_t(i)]->record == record)
            return heldRows[size_t(i)].get();
    if (size_t(heldCount) == heldRows.size())
        heldRows.push_back(std::make_unique<HeldRow>());
    HeldRow *row = heldRows[size_t(heldCount++)].get();
    row->record = record;
    return row;
}

void writeCellText(const ThinclientInfo *record, int modelColumn, const QString &text);
void writeCellForeground(const ThinclientInfo *record, int modelColumn, const QColor &colour);
void writeCellEnabled(const ThinclientInfo *record, int modelColumn, bool enabled);
} // namespace

DeviceRow::Batch::Batch()
{
    ++batchDepth;
}

DeviceRow::Batch::~Batch()
{
    if (--batchDepth == 0)
        flush();
}

void DeviceRow::flush()
{
    // Storing a cell emits nothing (its model is kept quiet), so no value can
    // join the list while it is emptied.
    const qsizetype count = std::exchange(heldCount, 0);
    for (qsizetype i = 0; i < count; ++i) {
        HeldRow &row = *heldRows[size_t(i)];
        const ThinclientInfo *record = row.record;
        for (int column = 0; column < HeldRow::Cells; ++column) {
            const quint32 bit = 1u << column;
            if (record && (row.colours & bit))
                writeCellForeground(record, column, row.colour[column]);
            if (record && (row.enabled & bit))
                writeCellEnabled(record, column, (row.enabledOn & bit) != 0);
            if (row.texts & bit) {
                if (record)
                    writeCellText(record, column, row.text[column]);
                row.text[column] = QString();
            }
        }
        row.record = nullptr;
        row.texts = row.colours = row.enabled = row.enabledOn = 0;
    }
}

namespace {
// The record's list of its row's cells, where it is the row's: a row built
// elsewhere (or by hand) is found through its model.
bool rowCellsKept(const ThinclientInfo *record)
{
    return record->rowCells[0] == record->item;
}
} // namespace

QStandardItem *DeviceRow::cell(const ThinclientInfo *record, int modelColumn)
{
    if (!record || !record->item || modelColumn < 0)
        return nullptr;
    if (rowCellsKept(record))
        return modelColumn < ThinclientInfo::MaxRowCells ? record->rowCells[modelColumn] : nullptr;
    QStandardItem *parent = record->item->parent();
    if (!parent)
        return nullptr;
    return parent->child(record->item->row(), modelColumn);
}

bool DeviceRow::hasRow(const ThinclientInfo *record)
{
    return record && record->item && (rowCellsKept(record) || record->item->parent());
}

bool DeviceRow::writingQuietly()
{
    return quietWrites;
}

DeviceRow::Viewer::Viewer()
{
    ChangedRows::instance().viewers.push_back(this);
}

DeviceRow::Viewer::~Viewer()
{
    auto &viewers = ChangedRows::instance().viewers;
    viewers.erase(std::remove(viewers.begin(), viewers.end(), this), viewers.end());
}

void DeviceRow::forget(const ThinclientInfo *record)
{
    ChangedRows::instance().forget(record);
    for (qsizetype i = 0; i < heldCount; ++i)
        if (heldRows[size_t(i)]->record == record)
            heldRows[size_t(i)]->record = nullptr;
}

namespace {
// Devices repeat their reports unchanged; a cell that already shows the
// value is neither written nor repainted.
void writeCellText(const ThinclientInfo *record, int modelColumn, const QString &text)
{
    QStandardItem *c = DeviceRow::cell(record, modelColumn);
    if (!c)
        return;
    const QVariant old = c->data(Qt::DisplayRole);
    if (old.typeId() != QMetaType::QString || old.toString() != text)
        changeCell(record, modelColumn, c, [&text](QStandardItem *item) { item->setText(text); });
}

// A solid brush of the colour. Status colours are a handful, so the last
// few brushes made are kept and shared: each cell then holds a reference to
// one of them instead of a brush of its own.
QBrush solidBrush(const QColor &colour)
{
    static QBrush recent[4];
    static int next = 0;
    for (const QBrush &brush : recent)
        if (brush.style() == Qt::SolidPattern && brush.color() == colour)
            return brush;
    recent[next] = QBrush(colour);
    return recent[std::exchange(next, (next + 1) % 4)];
}

void writeCellForeground(const ThinclientInfo *record, int modelColumn, const QColor &colour)
{
    const QBrush brush = solidBrush(colour);
    QStandardItem *c = DeviceRow::cell(record, modelColumn);
    if (c && c->data(Qt::ForegroundRole) != QVariant(brush))
        changeCell(record, modelColumn, c, [&brush](QStandardItem *item) { item->setForeground(brush); });
}

void writeCellEnabled(const ThinclientInfo *record, int modelColumn, bool enabled)
{
    QStandardItem *c = DeviceRow::cell(record, modelColumn);
    if (c && c->isEnabled() != enabled)
        changeCell(record, modelColumn, c, [enabled](QStandardItem *item) { item->setEnabled(enabled); });
}
} // namespace

void DeviceRow::setText(const ThinclientInfo *record, int modelColumn, const QString &text)
{
    if (HeldRow *row = held(record, modelColumn)) {
        row->texts |= 1u << modelColumn;
        row->text[modelColumn] = text;
        return;
    }
    writeCellText(record, modelColumn, text);
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
    if (HeldRow *row = held(record, modelColumn)) {
        row->colours |= 1u << modelColumn;
        row->colour[modelColumn] = colour;
        return;
    }
    writeCellForeground(record, modelColumn, colour);
}

void DeviceRow::setEnabled(const ThinclientInfo *record, int columnCount, bool enabled)
{
    for (int column = 0; column < columnCount; ++column) {
        if (HeldRow *row = held(record, column)) {
            const quint32 bit = 1u << column;
            row->enabled |= bit;
            row->enabledOn = enabled ? row->enabledOn | bit : row->enabledOn & ~bit;
        } else {
            writeCellEnabled(record, column, enabled);
        }
    }
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
    for (int i = 0; i < Columns::Count; ++i) {
        const int column = Columns::modelColumnAt(settings, i);
        if (column >= 0)
            setText(r, column, texts.at(i));
    }
}
