// The main window's side of the departments: loading their member lists
// and filing each registered device into its department.
#include "mainwindow.h"

#include "department.h"
#include "deptinfo.h"
#include "departmentfile.h"
#include "devicetree.h"

#include "devicelink/thinclientinfo.h"

#include <QSettings>
#include <QStandardItemModel>

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

void MainWindow::onDeviceModelChanged(ThinclientInfo *record)
{
    if (!departments || !record || !record->item)
        return;
    for (DeptInfo *dept : std::as_const(*departments))
        if (dept->model && record->item->model() == dept->model)
            DeviceTree::regroupDeviceRow(dept, record);
}

void MainWindow::addDeviceToDepartment(ThinclientInfo *info)
{
    DeviceTree::addDeviceToDepartment(departments, deviceDepartments, settings, info);
}
