#ifndef EXPORTDEVICELIST_H
#define EXPORTDEVICELIST_H

#include "commands/packets/devicelistexport.h"

#include <functional>

class QWidget;

namespace DeviceListExport {

// The export command: refuses when the department shown has no device,
// asks for the file name, writes every department's devices and says how
// many went out, or that the file could not be created or written.
// Returns true when the file was written. The departments are listed once
// the file name is settled: devices register while the chooser and the
// question are open, and those go into the file too.
bool run(QWidget *parent, const QList<ThinclientInfo *> *shownDepartment,
         const std::function<QList<Department>()> &departmentsNow);

} // namespace DeviceListExport

#endif // EXPORTDEVICELIST_H
