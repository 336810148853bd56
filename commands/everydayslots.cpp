// The main window's everyday and prompt commands and the device-list
// export. Each slot hands the shown department to the command's body; the
// alias slots of the second menu entries only call their target.
#include "mainwindow/mainwindow.h"

#include "everydaycommands.h"
#include "exportdevicelist.h"
#include "mainwindow/deptinfo.h"

using EverydayCommands::BareCommand;
using EverydayCommands::StatusCommand;

void MainWindow::on_rebootDevice_triggered()
{
    EverydayCommands::rebootDevices(this, shownDepartmentDevices());
}

void MainWindow::on_actionReboot_device_triggered()
{
    on_rebootDevice_triggered();
}

void MainWindow::on_actionEnter_upgrade_mode_triggered()
{
    EverydayCommands::runBareCommand(this, BareCommand::EnterUpgradeMode, shownDepartmentDevices());
}

void MainWindow::on_actionEnter_upgrade_mode_1_triggered()
{
    on_actionEnter_upgrade_mode_triggered();
}

void MainWindow::on_actionGet_Client_Log_Files_triggered()
{
    EverydayCommands::runBareCommand(this, BareCommand::GetLogFiles, shownDepartmentDevices());
}

void MainWindow::on_actionView_serial_number_triggered()
{
    EverydayCommands::runBareCommand(this, BareCommand::GetSerialNumber, shownDepartmentDevices());
}

void MainWindow::on_actionReset_to_factory_defaults_triggered()
{
    EverydayCommands::runBareCommand(this, BareCommand::FactoryReset, shownDepartmentDevices());
}

void MainWindow::on_exitUpgradeMode_triggered()
{
    EverydayCommands::runBareCommand(this, BareCommand::ExitUpgradeMode, shownDepartmentDevices());
}

void MainWindow::on_changeName_triggered()
{
    EverydayCommands::setDeviceName(this, shownDepartmentDevices());
}

void MainWindow::on_actionChange_device_name_triggered()
{
    on_changeName_triggered();
}

void MainWindow::on_actionSet_Orlconfig_password_triggered()
{
    EverydayCommands::setConfigPassword(this, shownDepartmentDevices());
}

void MainWindow::on_actionSet_firewall_status_triggered()
{
    EverydayCommands::setStatus(this, StatusCommand::Firewall, shownDepartmentDevices());
}

void MainWindow::on_config_firewall_triggered()
{
    on_actionSet_firewall_status_triggered();
}

void MainWindow::on_actionSet_log_level_triggered()
{
    EverydayCommands::setStatus(this, StatusCommand::LogState, shownDepartmentDevices());
}

void MainWindow::on_actionSet_power_save_mode_triggered()
{
    EverydayCommands::setStatus(this, StatusCommand::PowerSave, shownDepartmentDevices());
}

void MainWindow::on_actionCreate_Netop_data_file_triggered()
{
    // Every department goes into the file, online devices or not; only the
    // shown one decides whether there is anything to export. They are
    // listed when the file is written, not before the chooser opens.
    DeviceListExport::run(this, shownDepartmentDevices(), [this] {
        QList<DeviceListExport::Department> all;
        if (departments)
            for (const DeptInfo *dept : std::as_const(*departments))
                all.append({dept->name, QList<const ThinclientInfo *>(dept->devices.cbegin(), dept->devices.cend())});
        return all;
    });
}
