#ifndef EDIDMODES_H
#define EDIDMODES_H

#include "devicelink/thinclientinfo.h"

#include <QList>
#include <QString>

// The table of display modes a device reported from its monitor's EDID,
// as the resolution chooser shows it.
namespace EdidModes {

// One shown mode.
struct Row {
    EdidInfo mode;
    bool selectable = false;   // the console knows how to send this mode
    bool current = false;      // the device named it as its present mode
};

// An entry whose timing fields are all "0" is no mode of its own: it names
// the device's present mode by its resolution and pixel clock.
bool isCurrentModeMarker(const EdidInfo &entry);

// The rows for the first `count` entries, in order. A mode is selectable
// when `supported` (modes separated by blanks) contains its resolution. A
// marker marks the matching rows before it, not those after it.
QList<Row> rows(const EdidInfo *entries, int count, const QString &supported);

// The row picked when the chooser opens: the last one marked current, or -1.
int initialPick(const QList<Row> &rows);

} // namespace EdidModes

#endif // EDIDMODES_H
