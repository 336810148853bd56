// The main window's configuration command slots: each hands the command the
// device list of the department shown (none when no department is shown).
#include "mainwindow/mainwindow.h"

#include "configcommands.h"
#include "mainwindow/deptinfo.h"

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
    ConfigCommands::requestUsbDevices(this, shownDepartmentDevices(), usbRoundTrip);
}

// Shown only when that device was asked for it; the choice goes back to it.
void MainWindow::onEnumerateUsb(ThinclientInfo *record, const QStringList &usbDevices)
{
    ConfigCommands::showUsbDevices(this, shownDepartmentDevices(), usbRoundTrip, record, usbDevices);
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
