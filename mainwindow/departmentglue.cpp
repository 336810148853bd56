// The main window's side of the departments: loading their member lists
// and filing each registered device into its department.
#include "mainwindow.h"

#include "department.h"
#include "departmentfile.h"
#include "devicetree.h"

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
    DeviceTree::addDeviceToDepartment(departments, deviceDepartments, settings, info);
}
