#ifndef DEPTEDIT_H
#define DEPTEDIT_H

#include <QList>
#include <QMap>
#include <QString>

class DeptInfo;
class QWidget;

// Creating, renaming and deleting departments from the panel. Each step
// that changes something returns so; saving the department file and
// placing labels and trees in the window stay with the caller.
namespace DeptEdit {
extern const char *const NamePrompt;       // "Enter department name"
extern const char *const DeleteTitle;      // "Deleting department"

// Asks for a name; on a non-empty one appends a new department (next free
// id, no image file, no label or tree yet) to the list and returns it.
// A cancelled or empty prompt creates nothing and returns null.
DeptInfo *newDepartment(QList<DeptInfo *> *departments, QWidget *parent);
// Asks for a new name; a non-empty one becomes the department's name and
// its label's text. Returns whether the name changed.
bool renameDepartment(DeptInfo *dept, QWidget *parent);

// The refusals ("Orphans"; a department with devices online in this run)
// and the confirmation. True when the department may be deleted.
bool confirmDelete(QList<DeptInfo *> *departments, DeptInfo *dept, QWidget *parent);
// Deletes dept: its tree, its label (removed from its layout, deleted
// later, since it may be the sender of the current signal), its entry in
// the list and the MAC map entries that lead to it, then the record.
// Returns the department to show now: current itself, or, when dept was
// current, the one above it (below it when it was the first), which the
// caller shows and marks. Null when dept is not in the list (nothing done).
DeptInfo *deleteDepartment(QList<DeptInfo *> *departments, DeptInfo *dept, DeptInfo *current,
                           QMap<QString, int> *deviceDepartments);
}

#endif // DEPTEDIT_H
