// The main window's access-protocol slots: glue between the form's actions,
// the wizard's state and the command that does the work.
#include "mainwindow/mainwindow.h"

#include "displayaccess/accessprotocolcommand.h"
#include "displayaccess/dlgconnectiontype.h"
#include "mainwindow/prompter.h"

void MainWindow::on_actionSet_connection_type_triggered()
{
    const QList<ThinclientInfo *> *department = targetDepartmentDevices();
    if (!AccessProtocolCommand::hasDevices(this, department))
        return;

    DlgConnectionType dialog(this, wizardRunning, settings);
    // Ends with the dialog: a help answer after that still arrives, as a
    // message of its own.
    connect(&dialog, &DlgConnectionType::onGetRemoteProtocolHelp, this,
            &MainWindow::onActionGet_remote_protocol_help_triggered);
    if (prompter()->exec(&dialog) == 0) {
        if (wizardRunning)
            wizardState = QStringLiteral("aborted");
        return;
    }
    if (!AccessProtocolCommand::confirm(this, dialog.connType, wizardRunning))
        return;
    // The devices or the department may have changed while the boxes were
    // open: the department is looked up again.
    department = targetDepartmentDevices();
    switch (dialog.connType) {
    case AccessProtocolPackets::ConnectionManagerType:
        sendConnectionManagerImages();
        break;
    case AccessProtocolPackets::DigitalSignageType:
        sendSignageFileLists(dialog);
        break;
    default:
        AccessProtocolCommand::sendSettings(this, department, dialog);
        break;
    }
}

void MainWindow::on_actionSet_remote_server_protocol_triggered()
{
    on_actionSet_connection_type_triggered();
}

void MainWindow::onActionGet_remote_protocol_help_triggered(int typeCode)
{
    AccessProtocolCommand::requestProtocolHelp(this, targetDepartmentDevices(), typeCode);
}

void MainWindow::sendConnectionManagerImages()
{
    AccessProtocolCommand::sendConnectionManagerImages(this, targetDepartmentDevices());
}

void MainWindow::sendSignageFileLists(const DlgConnectionType &dialog)
{
    AccessProtocolCommand::sendSignageFileLists(this, settings, targetDepartmentDevices(), dialog);
}
