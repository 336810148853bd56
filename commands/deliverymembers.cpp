// The main window's delivery operations: the shown department decides who
// is selected, the send helpers write and warn.
#include "mainwindow/mainwindow.h"

#include "commanddelivery.h"
#include "commands/packets/delivery.h"
#include "mainwindow/deptinfo.h"

const QList<ThinclientInfo *> *MainWindow::shownDepartmentDevices() const
{
    return currentDepartment ? &currentDepartment->devices : nullptr;
}

const QList<ThinclientInfo *> *MainWindow::targetDepartmentDevices() const
{
    if (wizardRunning && updates.wizardPicked)
        return updates.wizardDepartment ? &updates.wizardDepartment->devices : nullptr;
    return shownDepartmentDevices();
}

int MainWindow::sendToSelectedDevices(const char *packet, int length)
{
    if (!packet || length < 1)
        return -1;
    return CommandDelivery::sendToSelectedDevices(this, shownDepartmentDevices(), QByteArray(packet, length));
}

int MainWindow::countSelectedDevices() const
{
    return Delivery::countSelectedDevices(shownDepartmentDevices());
}

int MainWindow::sendFileToDevice(const QString &remoteName, const QByteArray &data, ThinclientInfo *device)
{
    return CommandDelivery::sendFileToDevice(this, remoteName, data, device);
}

int MainWindow::uploadFileToDevice(const QString &remoteName, const QString &localPath, ThinclientInfo *device)
{
    return CommandDelivery::uploadFileToDevice(this, remoteName, localPath, device);
}
