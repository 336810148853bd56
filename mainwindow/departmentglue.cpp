// The main window's side of the departments: loading their member lists
// and filing each registered device into its department.
#include "mainwindow.h"

#include "department.h"
#include "departmentfile.h"
#include "devicetree.h"

#include <QSettings>

QString MainWindow::departmentFilePath() const
{
    // No temporary directory set: no path, rather than a file at the root.
    const QString dir = settings->value(QStringLiteral("tempDir")).toString();
    return dir.isEmpty() ? QString() : dir + QLatin1Char('/') + QLatin1String(DepartmentFile::Name);
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
    DeviceTree::addDeviceToDepartment(departments, deviceDepartments, settings, info);
}
