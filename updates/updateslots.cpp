// The main window's side of the update downloads: the download manager made
// at start-up and the status text and error box of running downloads.
#include "mainwindow/mainwindow.h"
#include "mainwindow/prompter.h"
#include "core/downloadmanager.h"

#include <QLabel>

void MainWindow::startUpdates()
{
    updates.downloadManager = std::make_unique<DownloadManager>();
    DownloadManager *manager = updates.downloadManager.get();
    connect(manager, &DownloadManager::downloadProgress, this, &MainWindow::onDownloadProgress);
    // Queued: the box runs an event loop of its own, which must not run
    // inside the reply's signal that reported the error.
    connect(manager, &DownloadManager::downloadError, this, &MainWindow::onDownloadError, Qt::QueuedConnection);
}

void MainWindow::onDownloadProgress(const QString &name, int percent)
{
    setStatusText(QStringLiteral("Downloading ") + name + QStringLiteral(" : ") + QString::number(percent)
                  + QStringLiteral(" %"));
}

void MainWindow::onDownloadError(const QString &text)
{
    prompter()->warning(this, tr("Download error"), text, QMessageBox::Ok);
    setStatusText(QString());
}
