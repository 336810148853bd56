// The main window's upgrade actions: firmware, client application, hotfix.
#include "mainwindow/mainwindow.h"

#include "upgradecommands.h"

void MainWindow::on_updateFirmware_triggered()
{
    UpgradeCommands::upgradeFirmwareAction(this, shownDepartmentDevices(), settings);
}

void MainWindow::on_actionUpgrade_firmware_triggered()
{
    on_updateFirmware_triggered();
}

int MainWindow::upgradeFirmware(ThinclientInfo *device, const QString &directory)
{
    return UpgradeCommands::upgradeFirmware(this, shownDepartmentDevices(), device, directory, settings);
}

void MainWindow::on_actionUpgrade_ZOR_Client_triggered()
{
    onActionUpgrade_application_triggered();
}

void MainWindow::onActionUpgrade_application_triggered()
{
    UpgradeCommands::upgradeClient(this, shownDepartmentDevices(), settings);
}

void MainWindow::on_actionInstall_Hotfix_triggered()
{
    UpgradeCommands::installHotfix(this, shownDepartmentDevices(), settings);
}
