#ifndef PROFILEPAGES_H
#define PROFILEPAGES_H

#include <QString>
#include <QStringList>

class Profile;

// The profile editor's two live pages as values: their vocabularies, how
// their rows become the fields of a Profile, and when OK refuses them.
namespace ProfilePages {

// The five combos of each output, in the order of the record's rows.
enum Setting { Connector, Position, Referent, Orientation, Resolution };
constexpr int SettingCount = 5;
constexpr int RowCount = 15;

// Index of an output's (0 to 2) combo of a setting among the fifteen rows.
constexpr int rowIndex(Setting setting, int output) { return setting * 3 + output; }

// Texts of the rows of output's combo of a setting; rows mean the same in
// every output except for the referent, which lists the two other outputs.
QStringList rowTexts(Setting setting, int output);
// The value that a profile stores for a row.
QString rowValue(Setting setting, int output, int row);

// What the display page holds when OK is pressed.
struct DisplayPage {
    bool clone = true;
    QString timeout;
    int rows[RowCount] = {};

    bool connected(int output) const { return rows[rowIndex(Connector, output)] != 0; }
};

// Video mode, timeout, the fifteen values and the fifteen rows.
void storeDisplay(const DisplayPage &page, Profile *profile);
// A row the combo can show: stored rows outside the list (a hand-edited
// file) come back as row 0.
int shownRow(Setting setting, int output, int storedRow);

// Why OK refuses the pages: an empty text means accepted. Name, rename and
// save messages are shown over the editor's caller, the others over the editor.
struct Refusal {
    QString title;
    QString text;
    bool overCaller = false;

    bool refused() const { return !text.isEmpty(); }
};

// name is the trimmed name field; mustBeFree asks whether another profile
// file of that name already exists in dir.
Refusal checkName(const QString &name, const QString &dir, bool mustBeFree);
Refusal checkServer(bool dhcp, const QString &host, const QString &port);
Refusal checkDisplay(const DisplayPage &page);

Refusal renameFailed(const QString &dir);
Refusal saveFailed(const QString &dir);

} // namespace ProfilePages

#endif // PROFILEPAGES_H
