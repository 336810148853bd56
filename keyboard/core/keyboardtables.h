#ifndef KEYBOARDTABLES_H
#define KEYBOARDTABLES_H

#include <QString>
#include <QStringList>

// The XKB vocabulary the keyboard setting offers, built into the console:
// models, layouts, options and the variants of each layout. Each table is a
// list of (code, description) rows; the code is what a device is sent, the
// row number goes with it, so rows keep their places.
namespace KeyboardTables {

struct KeyboardPair {
    const char *code;
    const char *description;
};

// A read-only view of one table. A row outside it reads as an empty text.
class Table
{
public:
    constexpr Table() = default;
    constexpr Table(const KeyboardPair *rows, int count) : m_rows(rows), m_count(count) {}

    int size() const { return m_count; }
    bool isEmpty() const { return m_count == 0; }
    QString code(int row) const;
    QString description(int row) const;
    QStringList codes() const { return column(&KeyboardPair::code); }
    QStringList descriptions() const { return column(&KeyboardPair::description); }

private:
    QStringList column(const char *KeyboardPair::*field) const;

    const KeyboardPair *m_rows = nullptr;
    int m_count = 0;
};

// What the dialog opens on: "pc105" and "us".
constexpr int DefaultModelRow = 3;
constexpr int DefaultLayoutRow = 29;

Table models();
Table layouts();
// Rows whose code has no colon are group headers (besides row 0, "none");
// they are offered and sent like any other row.
Table options();
// The variants of a layout row, "none" first. Empty for a layout without
// variants and for a row outside the layout table.
Table variants(int layoutRow);

} // namespace KeyboardTables

#endif // KEYBOARDTABLES_H
