#include "department.h"
#include "departmentfile.h"
#include "deptinfo.h"
#include "devicelink/utils.h"
#include "prompter.h"
#include "updates/core/disksync.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>
#include <sys/stat.h>

Department::Department(QObject *parent)
    : QObject(parent)
{
}

int Department::nextDeptId(QList<DeptInfo *> *list)
{
    return list ? DepartmentFile::nextId(*list) : 0;
}

DeptInfo *Department::findDeptById(QList<DeptInfo *> *list, int id)
{
    if (!list)
        return nullptr;
    for (DeptInfo *d : *list)
        if (d && d->id == id)
            return d;
    return nullptr;
}

DeptInfo *Department::findDeptByTreeView(QList<DeptInfo *> *list, OrlTreeView *view)
{
    if (!list)
        return nullptr;
    for (DeptInfo *d : *list)
        if (d && d->treeView == view)
            return d;
    return nullptr;
}

DeptInfo *Department::findDept(QList<DeptInfo *> *list, const void *dept)
{
    if (!list || !dept)
        return nullptr;
    for (DeptInfo *d : *list)
        if (d == dept)
            return d;
    return nullptr;
}

QList<DeptInfo *> *Department::defaultDepartments()
{
    return new QList<DeptInfo *>{DepartmentFile::defaultDepartment()};
}

QList<DeptInfo *> *Department::loadDepartments(const QString &path, bool *refused)
{
    if (refused)
        *refused = false;
    QFile file(path);
    // QFile::exists() is false on any failing look-up, not only for a file
    // that is not there: a folder that cannot be searched, or a share that
    // does not answer, would start with the default department alone, and
    // the first change once the folder is back would save it over the rest.
    if (isMissing(path))
        return defaultDepartments();
    const auto refuse = [refused] {
        if (refused)
            *refused = true;
        prompter()->warning(nullptr, QStringLiteral("Opening configuration file"),
                            QStringLiteral("Error opening configuration file for departments.\n\n Using default department"),
                            QMessageBox::Ok);
        return defaultDepartments();
    };
    // Only a regular file: a pipe under its name would hold the start-up on
    // open, waiting for a writer.
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly) || file.size() > DepartmentFile::MaxBytes)
        return refuse();
    // One byte past the limit tells a file that grew since its size was read.
    // A read that fails gives no bytes, or part-way the bytes before it as if
    // the file ended there: departments left out would be saved over.
    QByteArray bytes;
    if (!Utils::readUpTo(&file, DepartmentFile::MaxBytes + 1, &bytes) || bytes.size() > DepartmentFile::MaxBytes
        || DepartmentFile::sectionCount(bytes) > DepartmentFile::MaxDepartments)
        return refuse();
    return new QList<DeptInfo *>(DepartmentFile::parse(bytes));
}

int Department::saveDepartments(const QString &path, QList<DeptInfo *> *list)
{
    if (!list)
        return -1;
    const QByteArray bytes = DepartmentFile::format(*list);
    // A file the next start would refuse would leave it with the default
    // department alone, and its first change would write that over every
    // department: the saved file stays as it is instead.
    const bool readable = bytes.size() <= DepartmentFile::MaxBytes
                          && DepartmentFile::sectionCount(bytes) <= DepartmentFile::MaxDepartments;
    // The new content goes to a temporary file that replaces the old one only
    // once it is complete: a crash or a full disk leaves the old departments.
    // The explicit flush matters: commit() would not notice that writing out
    // the buffer failed and would put a truncated file in place.
    QSaveFile file(path);
    if (!readable || !file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.flush()
        || !DiskSync::commit(file)) {
        warnNotSaved();
        return -1;
    }
    return 0;
}

bool Department::isMissing(const QString &path)
{
    struct stat info;
    return ::stat(QFile::encodeName(path).constData(), &info) != 0 && (errno == ENOENT || errno == ENOTDIR);
}

void Department::warnNotSaved()
{
    prompter()->warning(nullptr, QStringLiteral("Saving configuration file"),
                        QStringLiteral("Error opening configuration file. Configuration data will not be saved"),
                        QMessageBox::Ok);
}

QString Department::fileIdentity(const QString &path)
{
    const QString canonical = QFileInfo(path).canonicalFilePath();
    return canonical.isEmpty() ? QDir::cleanPath(path) : canonical;
}

void addDeviceDepartments(QMap<QString, int> *map, const QList<DeptInfo *> *list)
{
    if (!map || !list)
        return;
    for (const DeptInfo *d : *list) {
        if (!d)
            continue;
        for (const QString &mac : d->macs)
            map->insert(mac, d->id);
    }
}
