#ifndef FORMFILL_H
#define FORMFILL_H

#include <QStringList>

class QDialog;

// Applies "objectName=value" edits to a dialog's widgets as an administrator
// would: a line edit takes the text, a checkable group box "on" or "off", a
// button is clicked, a combo box takes the row, a table ticks the check box
// of that row. Returns the names that matched no widget.
QStringList fillForm(QDialog *dialog, const QStringList &edits);

#endif // FORMFILL_H
