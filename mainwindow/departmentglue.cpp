// The main window's side of the departments: loading their member lists
// and filing each registered device into its department.
#include "mainwindow.h"

#include "department.h"
#include "departmentfile.h"
#include "deptinfo.h"
#include "devicelink/thinclientinfo.h"

#include <QSettings>

QString MainWindow::departmentFilePath() const
{
    return settings->value(QStringLiteral("tempDir")).toString() + QLatin1Char('/') + QLatin1String(DepartmentFile::Name);
}

void MainWindow::buildDeviceDepartmentMap()
{
    addDeviceDepartments(&deviceDepartments, departments);
}

void MainWindow::onDeviceRegistered(ThinclientInfo *record)
{
    addDeviceToDepartment(record);
}

void MainWindow::addDeviceToDepartment(ThinclientInfo *info)
{
    if (!info)
        return;
    // Unlisted devices go to the default department, which loading always makes.
    const int id = deviceDepartments.value(info->macAddress, 0);
    DeptInfo *department = Department::findDeptById(departments, id);
    if (!department)
        department = Department::findDeptById(departments, 0);
    if (!department)
        return;
    department->devices.append(info);
}
