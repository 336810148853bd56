// One update check: the list is fetched, parsed and chosen from, then the
// queued files are downloaded one after another and installed by kind.
// Every finished transfer comes back through onDownloadCompleted.
#include "mainwindow/mainwindow.h"
#include "ui_mainwindow.h"

#include "core/downloadlist.h"
#include "core/downloadmanager.h"
#include "core/packageinstaller.h"
#include "dlgselectdownloads.h"
#include "dlgselectupdateserver.h"
#include "devicelink/utils.h"
#include "mainwindow/department.h"
#include "mainwindow/prompter.h"

#include <QDebug>
#include <QFile>
#include <QSettings>
#include <QTimer>

namespace {
const char ListName[] = "downloadlist.txt";
const int MaxRetries = 5;
} // namespace

QString MainWindow::downloadListPath() const
{
    return settings->value(QStringLiteral("tempDir")).toString() + QLatin1Char('/') + QLatin1String(ListName);
}

void MainWindow::onAutoUpdateTimerFired()
{
    autoUpdateTimer->stop();
    // The run under way re-arms the timer when it ends.
    if (updates.running)
        return;
    setStatusText(tr("Checking for updates"));
    ui->download_updates->setEnabled(false);
    updates.updateQueue.clear();
    updates.running = true;
    updates.wizardWaits = updates.wizardAsked;
    updates.wizardAsked = false;
    updates.listPath = downloadListPath();
    if (updates.downloadManager->startDownloadNoResume(updates.listBase, QLatin1String(ListName), updates.listPath,
                                                       QStringLiteral("Upgrade list"))
        != 0) {
        // A temporary folder that takes no file (made read-only, or gone) is
        // no website that may be down: the administrator would look for the
        // fault in the wrong place, at every check.
        const QString error = updates.downloadManager->startError();
        if (!error.isEmpty()) {
            setStatusText(QString());
            prompter()->warning(this, tr("Download error"), error, QMessageBox::Ok);
            // What stands under the list's partial name and cannot be opened
            // (a link, a pipe) goes, as after any other failed check: the
            // list is never resumed, and kept it would fail every check.
            DownloadManager::discardPartial(updates.listPath);
            endUpdateRun();
            return;
        }
        // No signal will come: end the check as one that brought nothing.
        onDownloadCompleted(0, 0);
    }
}

int MainWindow::parseDownloadList(QString *serverBase)
{
    QFile file(updates.listPath);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return -1;
    QByteArray text = file.read(DownloadList::MaxBytes);
    // A line cut at the bound would be read with a shortened value.
    const bool tooLong = !file.atEnd();
    if (tooLong)
        text.truncate(text.lastIndexOf('\n') + 1);
    file.close();
    DownloadList::Parsed list = DownloadList::parse(QString::fromUtf8(text), *settings);
    list.cut = list.cut || tooLong;
    for (const QString &reason : std::as_const(list.skipped))
        qWarning().noquote() << reason;
    if (list.cut)
        qWarning().noquote() << "The update list was cut: only its first" << list.files.size() << "files are offered";
    QList<UpgradeFile> &queue = updates.updateQueue;
    queue.append(list.files);
    if (queue.isEmpty())
        return 0;
    if (wizardRunning) {
        DlgSelectUpdateServer dialog(this, serverBase, &list.servers);
        prompter()->exec(&dialog);
        queue = DownloadList::filterForWizard(queue, selectedModels);
    } else {
        DlgSelectDownloads dialog(this, &queue, serverBase, &list.servers, updates.listBase);
        dialog.setListCut(list.cut);
        prompter()->exec(&dialog);
    }
    return 0;
}

void MainWindow::onDownloadCompleted(int errorCount, qint64 bytes)
{
    // A closing window shows nothing more of the run, not even its errors.
    if (closing) {
        updates.pendingErrors.clear();
        // No later attempt comes for the list, which is never resumed: what
        // arrived of it goes, as at the end of any other check. A listed
        // file keeps its part for the next start to resume.
        if (updates.running && updates.updateQueue.isEmpty() && !updates.listPath.isEmpty())
            DownloadManager::discardPartial(updates.listPath);
        return;
    }
    // The transfer's own errors come first, each answered before anything
    // else of the run happens.
    while (!updates.pendingErrors.isEmpty()) {
        prompter()->warning(this, tr("Download error"), updates.pendingErrors.takeFirst(), QMessageBox::Ok);
        setStatusText(QString());
    }
    if (!updates.running)
        return;
    QList<UpgradeFile> &queue = updates.updateQueue;

    if (bytes == 0) {
        // Nothing arrived: not retried. The file that was there stays; so
        // does the list, which is only read after a whole transfer.
        const QString text = tr("Online updates: error downloading update file; website may be down");
        setStatusText(text);
        if (userStartedUpdate)
            prompter()->warning(this, tr("Online updates"), tr("\nError downloading update file; website may be down"),
                                QMessageBox::Ok);
        DownloadManager::discardPartial(queue.isEmpty() ? updates.listPath : queue.takeFirst().localPath);
        startNextUpdateOrEnd();
        return;
    }

    if (errorCount != 0) {
        // Not every failed transfer had a box that cleared its progress
        // (a connection cut short has none): a retry shows its own again.
        setStatusText(QString());
        if (queue.isEmpty()) {
            // The list is fetched whole or not at all.
            DownloadManager::discardPartial(updates.listPath);
            endUpdateRun();
            return;
        }
        UpgradeFile &head = queue.first();
        if (++head.attempts > MaxRetries) {
            DownloadManager::discardPartial(head.localPath);
            prompter()->warning(this, tr("Download error"),
                                tr("Multiple attempts to download the following upgrade failed. Giving up!\n\n")
                                    + head.comment,
                                QMessageBox::Ok);
            queue.removeFirst();
            startNextUpdateOrEnd();
        } else if (!startHeadDownload()) {
            DownloadManager::discardPartial(queue.takeFirst().localPath);
            startNextUpdateOrEnd();
        }
        return;
    }

    if (queue.isEmpty()) {
        setStatusText(QString());
        parseDownloadList(&updateBaseUrl);
        if (queue.isEmpty()) {
            prompter()->information(this, tr("Checking for updates"), tr("\nThere are no updates to download"),
                                    QMessageBox::Ok);
            endUpdateRun();
        } else if (!startHeadDownload()) {
            endUpdateRun();
        }
        return;
    }

    installUpdate(queue.takeFirst());
}

// False after its warning when the download manager refused the start.
bool MainWindow::startHeadDownload()
{
    const UpgradeFile &head = updates.updateQueue.first();
    if (updates.downloadManager->startDownload(updateBaseUrl, head.fileName, head.localPath, head.size, head.md5sum,
                                               head.comment)
        == 0)
        return true;
    const QString localPath = head.localPath;
    prompter()->warning(this, tr("Error starting download"),
                        tr("Download did not start for the following upgrade\n\n") + head.comment, QMessageBox::Ok);
    // A link or a pipe under the file's partial name would stop every later
    // check at this file; a partial file is kept for the next one to resume,
    // whatever refused this start.
    DownloadManager::discardUnopenablePartial(localPath);
    return false;
}

void MainWindow::startNextUpdateOrEnd()
{
    if (updates.updateQueue.isEmpty() || !startHeadDownload())
        endUpdateRun();
}

// Every end of a check: the hourly check comes back when enabled, and the
// Download action, or the wizard, goes on.
void MainWindow::endUpdateRun()
{
    updates.running = false;
    if (wizardRunning && updates.wizardAsked)
        autoUpdateTimer->start(1000);
    else if (isSettingEqual(QStringLiteral("autoUpdate"), QStringLiteral("enabled")))
        autoUpdateTimer->start(3600000);
    userStartedUpdate = false;
    if (wizardRunning) {
        if (updates.wizardWaits) {
            updates.wizardWaits = false;
            wizardState = QStringLiteral("download_updates_completed");
            wizardTimer->start(1000);
        }
    } else {
        ui->download_updates->setEnabled(true);
    }
}

// Installs by kind, then goes on with the run; a package goes on once it
// has been unpacked, off this call.
void MainWindow::installUpdate(const UpgradeFile &file)
{
    if (const PackageInstaller::Member *member = PackageInstaller::memberFor(file.kind)) {
        installPackage(*member, file);
        return;
    }
    if (file.kind.compare(QLatin1String("zor_server_exe"), Qt::CaseInsensitive) == 0) {
        onUpdateDownloaded(file.localPath, file.comment);
        // The sum of the bytes that arrived, listed or not, not one of
        // whatever has the name now: the run hears of the download a turn of
        // the event loop after it took its name, and a device's upload into
        // the same directory may have taken the name in between. Only for
        // the installer that now waits: an older one does not take its
        // place, nor that of the waiting one's name in the record, which
        // would have the next check fetch the waiting one again.
        if (installerPath == file.localPath) {
            if (const QString arrived = updates.downloadManager->arrivedMd5(); !arrived.isEmpty())
                updates.installerMd5 = arrived;
            settings->setValue(DownloadList::versionKey(file), file.fileName);
        }
    } else {
        // The file's name is the update server's: it adds no lines to the box.
        prompter()->information(this, tr("Download completed"),
                                tr("The following file has been downloaded\n\n") + Utils::oneLine(file.localPath),
                                QMessageBox::Ok);
        setStatusText(QString());
    }
    startNextUpdateOrEnd();
}

void MainWindow::installPackage(const PackageInstaller::Member &member, const UpgradeFile &file)
{
    setStatusText(tr("Online updates: installing ") + file.comment);
    updates.installing = file;
    updates.installMember = &member;
    updates.install = std::make_unique<PackageInstaller::Unpack>(
        PackageInstaller::findArchiver(programDir), file.localPath,
        settings->value(QLatin1String(member.directoryKey)).toString());
    // Queued: its box opens from the event loop, never inside 7-Zip's signals.
    connect(updates.install.get(), &PackageInstaller::Unpack::finished, this, &MainWindow::onPackageUnpacked,
            Qt::QueuedConnection);
    updates.install->start();
}

void MainWindow::onPackageUnpacked()
{
    // Gone when the window closed meanwhile.
    if (!updates.install)
        return;
    PackageInstaller::Unpack *unpack = updates.install.release();
    unpack->deleteLater();
    const PackageInstaller::Member &member = *updates.installMember;
    const UpgradeFile file = updates.installing;
    const QString title = tr(member.failureTitle);
    switch (unpack->result()) {
    case PackageInstaller::Result::NotStarted: {
        const QString program = unpack->program().isEmpty() ? QStringLiteral("7zz") : unpack->program();
        prompter()->information(this, title,
                                tr("The following command failed to start:\n\n") + program + tr(member.notUnzippedSuffix),
                                QMessageBox::Ok);
        break;
    }
    case PackageInstaller::Result::Failed:
        qWarning().noquote() << "Online updates:" << file.localPath << "was not unpacked:" << unpack->reason();
        prompter()->information(this, title, file.comment + tr(" has been downloaded. But an attempt to unzip it has failed."),
                                QMessageBox::Ok);
        break;
    case PackageInstaller::Result::Refused:
        qWarning().noquote() << "Online updates:" << file.localPath << "was refused:" << unpack->reason();
        prompter()->information(this, title,
                                file.comment + tr(" has been downloaded. But it was not unpacked: ") + unpack->reason(),
                                QMessageBox::Ok);
        break;
    case PackageInstaller::Result::Unpacked: {
        // The preferences may have moved the store while 7-Zip ran: the
        // package is then in the old one only, where no upgrade looks for
        // it, and the next check offers it again for the new one.
        const QString store = settings->value(QLatin1String(member.directoryKey)).toString();
        if (Department::fileIdentity(unpack->targetDir()) != Department::fileIdentity(store)) {
            prompter()->information(this, title,
                                    file.comment + tr(" has been downloaded. But its folder was changed while it was "
                                                      "unpacked: it is in\n\n")
                                        + unpack->targetDir() + tr("\n\nand the next check fetches it again for\n\n")
                                        + store,
                                    QMessageBox::Ok);
            break;
        }
        settings->setValue(DownloadList::versionKey(file), file.fileName);
        if (!wizardRunning)
            prompter()->information(this, tr(member.successTitle), file.comment + tr(member.successSuffix),
                                    QMessageBox::Ok);
        break;
    }
    }
    setStatusText(QString());
    startNextUpdateOrEnd();
}

void MainWindow::abortPackageInstall()
{
    // Kills 7-Zip and removes what it wrote beside the store.
    updates.install.reset();
}
