#ifndef DEPARTMENT_H
#define DEPARTMENT_H

#include <QList>
#include <QMap>
#include <QObject>
#include <QString>

class DeptInfo;
class OrlTreeView;

// The department operations, and loading and saving the department file
// (its format is DepartmentFile's).
class Department : public QObject
{
    Q_OBJECT
public:
    explicit Department(QObject *parent = nullptr);

    // 0 for no list, else one more than the highest id (at least 1).
    static int nextDeptId(QList<DeptInfo *> *list);
    static DeptInfo *findDeptById(QList<DeptInfo *> *list, int id);
    static DeptInfo *findDeptByTreeView(QList<DeptInfo *> *list, OrlTreeView *view);
    // The department a label's untyped pointer names, when the list still
    // holds it; null otherwise.
    static DeptInfo *findDept(QList<DeptInfo *> *list, const void *dept);

    // A new list holding only "Orphans" (id 0); the caller owns list and record.
    static QList<DeptInfo *> *defaultDepartments();
    // The departments of the file at path, or the default list when there is
    // none, it cannot be read, or it is past DepartmentFile's bounds (the
    // last two after a warning, and *refused set). The caller owns list and
    // records.
    static QList<DeptInfo *> *loadDepartments(const QString &path, bool *refused = nullptr);
    // Replaces the file at path as a whole: 0 when written, -1 (after a
    // warning) when not, and then the old file is left as it was.
    static int saveDepartments(const QString &path, QList<DeptInfo *> *list);
    // Whether nothing is at path: a look-up that fails otherwise (a folder
    // that cannot be searched) says nothing about the file.
    static bool isMissing(const QString &path);
    // The warning of a save that did not happen.
    static void warnNotSaved();
    // The file at path by its own place where it has one (links followed),
    // else by its cleaned path: one file under two spellings is one.
    static QString fileIdentity(const QString &path);
};

// Enters every member MAC address of list into map with its department's id,
// in list order, so an address listed twice maps to the later department.
void addDeviceDepartments(QMap<QString, int> *map, const QList<DeptInfo *> *list);

#endif // DEPARTMENT_H
