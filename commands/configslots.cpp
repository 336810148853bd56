// The main window's configuration command slots: each hands the command the
// device list of the department shown (none when no department is shown).
#include "mainwindow/mainwindow.h"

#include "configcommands.h"
#include "commands/packets/delivery.h"
#include "mainwindow/deptinfo.h"
#include "devicelink/thinclientinfo.h"

void MainWindow::on_actionConfigureNIC_triggered()
{
    ConfigCommands::configureNetwork(this, shownDepartmentDevices());
}

void MainWindow::on_config_network_triggered()
{
    on_actionConfigureNIC_triggered();
}

void MainWindow::on_actionSet_ZOR_server_configuration_triggered()
{
    ConfigCommands::setServerIdentification(this, shownDepartmentDevices());
}

void MainWindow::on_actionSet_Cloud_Print_creds_triggered()
{
    ConfigCommands::setCloudPrint(this, shownDepartmentDevices());
}

void MainWindow::on_actionTSG_triggered()
{
    ConfigCommands::setTsGateway(this, shownDepartmentDevices());
}

void MainWindow::on_actionSetup_USB_redirection_triggered()
{
    ConfigCommands::requestUsbDevices(this, shownDepartmentDevices(), &usbRoundTrip);
}

// Reached inside the device socket's signal: the list is kept, and the
// dialog opens once the message's handling is over. The choice goes back to
// the device that sent the list.
void MainWindow::onEnumerateUsb(ThinclientInfo *record, const QStringList &usbDevices)
{
    if (closing)
        return;
    if (record && usbRoundTrip.isBusy()) {
        if (statusLabel)
            setStatusText(tr("The USB list of %1 was not shown: another USB list is open").arg(record->deviceName));
        return;
    }
    // Neither asked nor selected: not the list the administrator waits for.
    if (!usbRoundTrip.mayShow(record, Delivery::selectedDevices(shownDepartmentDevices()).contains(record))
        || !usbRoundTrip.keep(record, usbDevices))
        return;
    QMetaObject::invokeMethod(
        this,
        [this] {
            // The window may have begun to close since the list came.
            if (closing)
                usbRoundTrip.release();
            else
                ConfigCommands::showUsbDevices(this, shownDepartmentDevices(), usbRoundTrip);
        },
        Qt::QueuedConnection);
}

void MainWindow::on_actionInstall_triggered()
{
    ConfigCommands::installOnDevices(this, shownDepartmentDevices());
}

void MainWindow::on_install_file_triggered()
{
    on_actionInstall_triggered();
}

void MainWindow::on_actionSet_pxe_configuration_triggered()
{
    ConfigCommands::setPxeConfiguration(this, shownDepartmentDevices());
}
