// The main window's signage sync and dedicated-storage slots: glue between
// the form's actions, the window's state and the commands that do the work.
#include "mainwindow/mainwindow.h"

#include "commands/core/syncfilelist.h"
#include "commands/dlggetfilelist.h"
#include "commands/signagesync.h"
#include "commands/storagewhitelist.h"
#include "mainwindow/deptinfo.h"

#include <QSettings>
#include <QTimer>

namespace {

QString tempDir(const MainWindow *window)
{
    return window->settings->value(QStringLiteral("tempDir")).toString();
}

} // namespace

void MainWindow::on_actionSync_dsi_dir_triggered()
{
    SignageSync::run(this, settings, shownDepartmentDevices());
}

int MainWindow::on_GetBlockDeviceList_triggered()
{
    return StorageWhiteList::scan(this, tempDir(this), shownDepartmentDevices());
}

void MainWindow::on_SendWhiteList_triggered()
{
    if (StorageWhiteList::start(this, tempDir(this), targetDepartmentDevices())) {
        whiteListTimer->start(StorageWhiteList::ScanWaitMs);
        return;
    }
    // No device was asked: nothing will arrive and the white-list timer
    // stays off, so the wizard must be handed back here or it waits for ever.
    StorageWhiteList::apply(
        WizardHandBack::afterWhiteList(wizardRunning, wizardState, WhiteListOutcome::ScanReachedNoDevice),
        &wizardState, wizardTimer, statusLabel);
}

void MainWindow::on_btnSendWhiteList_triggered()
{
    on_SendWhiteList_triggered();
}

void MainWindow::onWhiteListTimerTriggered()
{
    whiteListTimer->stop();
    const WhiteListOutcome outcome = StorageWhiteList::send(this, tempDir(this), targetDepartmentDevices());
    StorageWhiteList::apply(WizardHandBack::afterWhiteList(wizardRunning, wizardState, outcome), &wizardState,
                            wizardTimer, statusLabel);
}

bool MainWindow::createDirFileList(const QString &directory, const QString &listFile)
{
    SyncFileListWarner warner(this);
    return SyncFileList::create(directory, listFile, &warner) == SyncFileList::Result::Written;
}

bool MainWindow::writeDirFileList(const QString &directory, QIODevice *listFile)
{
    SyncFileListWarner warner(this);
    return SyncFileList::write(directory, listFile, &warner) == SyncFileList::Result::Written;
}
