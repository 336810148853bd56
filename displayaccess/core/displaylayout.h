#ifndef DISPLAYLAYOUT_H
#define DISPLAYLAYOUT_H

#include <QString>
#include <QStringList>

// The display layout the administrator sends to the selected devices: the
// combo tables of the display dialog, its checks and the values its choices
// stand for. Everything works on item indexes, as the combos carry no data.
namespace DisplayLayout {

constexpr int OutputCount = 3;

// Indexes of the "None" items, which the enable rules and checks rely on.
constexpr int ConnectorNone = 7;
constexpr int PositionNone = 4;
constexpr int ReferentNone = 2;

enum class Column { Connector, Position, Referent, Orientation, Resolution };

// Item texts of a combo of output `output` (1 to 3), in index order. Only
// the referent combo differs between outputs: it names the two others.
QStringList items(Column column, int output);

// The index each combo shows when the dialog opens.
int initialIndex(Column column);

// One output's choices, as combo indexes.
struct OutputChoice {
    int connector = 0;
    int position = PositionNone;
    int referent = ReferentNone;
    int orientation = 0;
    int resolution = 0;
};

// What the dialog holds when OK is pressed.
struct LayoutForm {
    bool clone = true;
    QString timeout = QStringLiteral("20");
    OutputChoice outputs[OutputCount];
};

// The values of one output as the command carries them.
struct OutputSettings {
    QString connector;
    QString position;
    QString referent;
    QString orientation;
    QString resolution;
};

struct DisplaySettings {
    QString videoMode;            // "clone" or "extendr"
    QString screensaverTimeout;   // as typed
    OutputSettings outputs[OutputCount];
};

// Longest timeout text the command's 4096-byte buffer still carries beside
// the longest values of every other field.
constexpr int MaxTimeoutLength = 3923;

// The first check the form fails, as the warning's text, or an empty text
// when it passes.
QString validate(const LayoutForm &form);
// The values of a form that passed validate().
DisplaySettings settings(const LayoutForm &form);

} // namespace DisplayLayout

#endif // DISPLAYLAYOUT_H
