#ifndef DEPARTMENTFILE_H
#define DEPARTMENTFILE_H

#include <QByteArray>
#include <QList>

class DeptInfo;

// The department file KorvaneManager.ini as pure functions: bytes in,
// departments out, and back. The file is written in UTF-8; one that is not
// UTF-8 (an 8-bit code page's) is read as Latin-1, and one behind a UTF-16
// byte order mark as UTF-16. Lines end with the platform's line end and the
// reader takes LF, CR LF and CR alone.
namespace DepartmentFile {
constexpr const char *Name = "KorvaneManager.ini";
#ifdef Q_OS_WIN
constexpr const char *LineEnd = "\r\n";
#else
constexpr const char *LineEnd = "\n";
#endif
// Far beyond any real file; more would have the console read, or build a
// tree and a label for, whatever a broken or planted file holds.
constexpr qint64 MaxBytes = 16 * 1024 * 1024;
constexpr int MaxDepartments = 1000;

// The number of "[department]" lines, each of which starts a department.
qsizetype sectionCount(const QByteArray &data);
// The departments of a file's bytes (the caller owns them); always holds id 0.
QList<DeptInfo *> parse(const QByteArray &data);
// The departments into a file's bytes.
QByteArray format(const QList<DeptInfo *> &list, const char *lineEnd = LineEnd);

// A new "Orphans", id 0, without members.
DeptInfo *defaultDepartment();
// One more than the highest id, at least 1; never past the largest int.
int nextId(const QList<DeptInfo *> &list);
}

#endif // DEPARTMENTFILE_H
