// The main window's update hooks: the download manager made at start-up,
// the status text and error box of downloads, the Download, Wizard and
// Clear-cache actions, the lock of the device actions while the wizard
// runs, and the notice of a downloaded console installer.
#include "mainwindow/mainwindow.h"
#include "ui_mainwindow.h"

#include "core/downloadmanager.h"
#include "core/updateversions.h"
#include "devicelink/utils.h"
#include "mainwindow/links.h"
#include "mainwindow/prompter.h"

#include <QLabel>
#include <QSettings>
#include <QTimer>

void MainWindow::startUpdates()
{
    updates.downloadManager = std::make_unique<DownloadManager>();
    DownloadManager *manager = updates.downloadManager.get();
    connect(manager, &DownloadManager::downloadProgress, this, &MainWindow::onDownloadProgress);
    // An error is only noted where it is signalled. The completion is
    // queued: the boxes and dialogs that follow run event loops of their
    // own, which must not run inside the reply's signal that ended the
    // transfer. The completion shows the noted errors first, and starts the
    // next attempt only after their boxes were answered: boxes come one at a
    // time, in order.
    connect(manager, &DownloadManager::downloadError, this, &MainWindow::onDownloadError, Qt::DirectConnection);
    connect(manager, &DownloadManager::downloadCompleted, this, &MainWindow::onDownloadCompleted,
            Qt::QueuedConnection);

    // Tests and the demo point the console at their own update server.
    updates.listBase = qEnvironmentVariable("KORVANE_UPDATE_BASE", QLatin1String(Links::UpdateBase));
    updateBaseUrl = updates.listBase;

    connect(autoUpdateTimer, &QTimer::timeout, this, &MainWindow::onAutoUpdateTimerFired);
    if (isSettingEqual(QStringLiteral("autoUpdate"), QStringLiteral("enabled")))
        autoUpdateTimer->start(30000);
}

void MainWindow::onDownloadProgress(const QString &name, int percent)
{
    setStatusText(QStringLiteral("Downloading ") + name + QStringLiteral(" : ") + QString::number(percent)
                  + QStringLiteral(" %"));
}

void MainWindow::onDownloadError(const QString &text)
{
    updates.pendingErrors << text;
}

void MainWindow::on_actionWizard_triggered()
{
    wizardTimer->start(300);
}

void MainWindow::on_actionClear_updates_cache_triggered()
{
    UpdateVersions::clear(*settings);
}

void MainWindow::on_actionDownload_updates_triggered()
{
    if (updates.running)
        return;
    userStartedUpdate = true;
    setStatusText(QString());
    autoUpdateTimer->stop();
    autoUpdateTimer->start(250);
}

void MainWindow::on_download_updates_triggered()
{
    prompter()->information(this, tr("Download updates"),
                            tr("Click OK to start downloading updates. Progress messages are displayed on the status bar"),
                            QMessageBox::Ok);
    on_actionDownload_updates_triggered();
}

void MainWindow::setDeviceActionsEnabled(bool enabled)
{
    ui->menuEdit->setEnabled(enabled);
    ui->menuView->setEnabled(enabled);
    QAction *const actions[] = {ui->btnUdpBroadcast,  ui->changeName,      ui->actionSet_connection_type,
                                ui->configureDisplay, ui->rebootDevice,    ui->btnSetTimezone,
                                ui->updateFirmware,   ui->config_network,  ui->config_keyboard,
                                ui->config_firewall,  ui->install_file,    ui->download_updates,
                                ui->actionWizard,     ui->btnSendWhiteList};
    for (QAction *action : actions)
        action->setEnabled(enabled);
}

void MainWindow::disableDeviceActions()
{
    setDeviceActionsEnabled(false);
}

void MainWindow::enableDeviceActions()
{
    setDeviceActionsEnabled(true);
}

bool MainWindow::isNewerVersion(const QString &path) const
{
    return UpdateVersions::isNewer(path, version);
}

int MainWindow::onUpdateDownloaded(const QString &localPath, const QString &comment)
{
    // A list may offer several installers. Once one waits, another takes
    // its place only when newer than this console and than the waiting one
    // (when that one's name gives a version): the exit would start an older
    // installer as the new version, and clear the settings. The same name
    // fetched again is the waiting one, renewed.
    const QString waiting = updateDownloaded ? UpdateVersions::installerVersion(installerPath) : QString();
    if (updateDownloaded && localPath != installerPath
        && (!isNewerVersion(localPath) || (!waiting.isEmpty() && !UpdateVersions::isNewer(localPath, waiting)))) {
        setStatusText(QString());
        return 0;
    }
    installerPath = localPath;
    if (!Utils::fileMd5(localPath, &updates.installerMd5))
        updates.installerMd5.clear();
    if (isNewerVersion(localPath)) {
        updateDownloaded = true;
        if (!wizardRunning)
            prompter()->information(this, tr("Korvane Update"),
                                    comment + tr(" has been downloaded. The installation will begin when you exit Korvane"),
                                    QMessageBox::Ok);
    }
    setStatusText(QString());
    return 0;
}
