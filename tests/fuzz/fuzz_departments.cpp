// The department file reader over any bytes: never a crash, always a default
// department, and what it writes back reads back to the same bytes.
#include "mainwindow/departmentfile.h"
#include "mainwindow/deptinfo.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray input(reinterpret_cast<const char *>(data), int(size));
    const QList<DeptInfo *> first = DepartmentFile::parse(input);
    bool hasDefault = false;
    for (const DeptInfo *d : first)
        hasDefault = hasDefault || d->id == 0;
    const QByteArray written = DepartmentFile::format(first);
    const QList<DeptInfo *> second = DepartmentFile::parse(written);
    const bool stable = DepartmentFile::format(second) == written && second.size() == first.size();
    qDeleteAll(first);
    qDeleteAll(second);
    if (!hasDefault || !stable)
        abort();
    return 0;
}
