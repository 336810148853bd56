#ifndef DEVICEROW_H
#define DEVICEROW_H

#include <QColor>
#include <QString>
#include <QStringList>

#include <vector>

class QSettings;
class QStandardItem;
class ThinclientInfo;

// Writing a device's values into its tree row. Model column 0 is the name,
// 1 the status, and a configurable column at position p is model column
// p + 2 (a position of -1 is hidden). Every write checks that the row and
// the cell exist: the column layout can change while the console runs.
// A cell holds its new value at once; the model tells its views about each
// changed row once, when the posted events of the same pass of the event
// loop run, so a view repaints it before the pass is over. Rows that no
// view shows are not told of at all (see Viewer).
//
// While a Batch is open the writes are held per row instead, the last value
// of each cell winning, and stored when the outermost Batch closes: a device
// sends its reports in bursts, and storing each into its item cost far more
// than reading it. Anything that lets other code run before the batch
// closes (a signal to the window, a nested event loop) must flush() first,
// so that no reader outside the batch ever sees a held value missing.
namespace DeviceRow {
class Batch
{
public:
    Batch();
    ~Batch();
    Batch(const Batch &) = delete;
    Batch &operator=(const Batch &) = delete;
};
// Stores every held value into its cell now.
void flush();

// The item type of the cells the tree builds (QStandardItem::UserType + 1).
// Such a cell emits nothing while writingQuietly() is true: the writes here
// tell the views themselves, once a pass.
constexpr int CellType = 1001;
bool writingQuietly();

// A view of device rows that needs to hear only of the rows it shows: a
// fleet's reports change a few cells each of thousands of rows, most of
// them out of sight. While every viewer lists its rows, a changed row that
// none of them shows is told of to nobody; reaching it costs a walk through
// memory spread over the whole fleet.
class Viewer
{
public:
    Viewer();
    virtual ~Viewer();
    Viewer(const Viewer &) = delete;
    Viewer &operator=(const Viewer &) = delete;
    // Appends the first items of the rows it shows; false when it must hear
    // of every changed row.
    virtual bool shownRows(std::vector<const QStandardItem *> *rows) = 0;
};

// Nothing waits to be told about the record's row any more: the record or
// its row's model is going.
void forget(const ThinclientInfo *record);

// The row's item at a model column, or null when there is none.
QStandardItem *cell(const ThinclientInfo *record, int modelColumn);
bool hasRow(const ThinclientInfo *record);
void setText(const ThinclientInfo *record, int modelColumn, const QString &text);
void setColumnText(QSettings *settings, const ThinclientInfo *record, const char *key, const QString &text);
void setForeground(const ThinclientInfo *record, int modelColumn, const QColor &colour);
// Enables (or greys) the row's items in columns 0 .. columnCount - 1.
void setEnabled(const ThinclientInfo *record, int columnCount, bool enabled);

QString detectionText(quint16 serverDetection);
// The cell texts of the configurable columns, in the order of Columns::table.
QStringList columnTexts(const ThinclientInfo *record);
// Writes every configurable column from the record, by the position keys.
void writeColumns(QSettings *settings, const ThinclientInfo *record);
}

#endif // DEVICEROW_H
