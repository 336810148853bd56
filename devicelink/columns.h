#ifndef COLUMNS_H
#define COLUMNS_H

#include <QString>
#include <QStringList>

class QSettings;

// The fifteen optional device-list columns, in their fixed table order.
struct ColumnDef {
    const char *key;           // position key in the settings
    const char *header;        // tree header text
    const char *listText;      // text in the preferences list
    int defaultPosition;       // -1: hidden by default
};

namespace Columns {
constexpr int Count = 15;
constexpr int FixedColumns = 2;        // "Device name" and "Status"
constexpr int MaxSizeKeys = 17;        // colSize0 .. colSize16
extern const ColumnDef table[Count];

// Keeps the store's present layout for the rest of the run: every reader
// below answers from it from then on. The console does this at start. The
// preferences write a new layout that takes effect at the next start; the
// headers were made from the old one, so a row writer that followed the new
// one would put values under the wrong headings.
void keepLayout(QSettings *settings);

// Every status report writes a few cells by their position keys; reading
// the store for each would cost about as much as the rest of the report. The
// positions are read once per store object and kept with it; whatever
// writes the layout (the preferences, the defaults, keepLayout) renews them,
// and so must anything else that writes a position key.
void renewLayout(QSettings *settings);

// The model column of a position key: -1 when hidden, else position + 2.
int modelColumn(QSettings *settings, const char *key);
// The same for the column at index i of the table.
int modelColumnAt(QSettings *settings, int index);
// 2 plus the number of consecutive non-empty colText<i>, i = 0..16.
int countFromSettings(QSettings *settings);
// colText<i> for i = 0..16.
QStringList headerTexts(QSettings *settings);
// Writes the default layout unless the store already has colIpAddress.
void initDefaults(QSettings *settings);

QString textKey(int i);    // "colText<i>"
QString sizeKey(int i);    // "colSize<i>"
}

#endif // COLUMNS_H
