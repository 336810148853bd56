// The main window's display slots: each hands its command the device list of
// the department shown.
#include "mainwindow/mainwindow.h"

#include "displaycommands.h"

void MainWindow::on_configureDisplay_triggered()
{
    DisplayCommands::configureDisplays(this, shownDepartmentDevices());
}

void MainWindow::on_actionSet_monitor_res_opts_triggered()
{
    on_configureDisplay_triggered();
}

void MainWindow::on_actionSet_EDID_Resolution_triggered()
{
    DisplayCommands::setEdidResolution(this, shownDepartmentDevices(), resolutionList);
}
