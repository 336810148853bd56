// How the main window ends: close, exit, clearing the settings, and the
// About and logo actions.
#include "mainwindow.h"
#include "ui_mainwindow.h"

#include "aboutdialog.h"
#include "deptinfo.h"
#include "devicetree.h"
#include "devicelink/sslserver.h"
#include "devicelink/thinclientinfo.h"
#include "devicelink/utils.h"
#include "displayaccess/remprotohelp.h"
#include "links.h"
#include "prompter.h"

#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QLocalServer>
#include <QScopeGuard>
#include <QSettings>
#include <QSplashScreen>
#include <QSslSocket>
#include <QStatusBar>
#include <QTimer>
#include <QUdpSocket>
#include <QUrl>

void MainWindow::closeEvent(QCloseEvent *event)
{
    // The name goes once the boxes below are answered: while they are open
    // this console still holds the devices' port and the settings store,
    // and a console started meanwhile would start beside it, unable to take
    // the port, and lose its settings to a started installer's clearing.
    const auto giveUpName = qScopeGuard([this] {
        if (localServer)
            localServer->close();
    });
    // The boxes below run event loops of their own, in which the wizard's
    // next step or the update run would open theirs over a closing window.
    stopScheduledWork();
    abortPackageInstall();
    if (noSaveOnExit) {
        event->accept();
        return;
    }

    saveColumnWidths(currentDepartment ? currentDepartment->header : nullptr);

    if (updateDownloaded) {
        const QString title = tr("Install Korvane update");
        prompter()->information(this, title, tr("A new version of Korvane has been downloaded. Click OK to install it"),
                                QMessageBox::Ok);
        // The installer waits in the directory devices upload into, and they
        // still may while the box is open: only the file that arrived is
        // started, never what took its name. Once it is checked no upload
        // takes a name any more: devices are served until the console is
        // gone, and the installer started may not have read its file yet.
        if (sslServer)
            sslServer->closeUploads();
        // The installer's name is the update server's: it adds no lines to
        // the boxes below.
        QString md5;
        if (!Utils::fileMd5(installerPath, &md5) || md5.isEmpty() || md5 != updates.installerMd5) {
            prompter()->warning(this, title,
                                tr("\nThe downloaded installer was changed after it arrived, so it is not started:\n\n")
                                    + Utils::oneLine(installerPath),
                                QMessageBox::Ok);
            // The run remembered the installer as fetched when it arrived;
            // it is gone now, and a check that skipped it would never bring
            // the update again.
            const QString key = QStringLiteral("zorServerVersionExe");
            if (settings->value(key).toString() == QFileInfo(installerPath).fileName())
                settings->setValue(key, QStringLiteral("unknown"));
        } else if (prompter()->openUrl(QUrl::fromLocalFile(installerPath))) {
            // The next start is a first run, for the new version.
            settings->clear();
        } else {
            // Named as the system's file manager shows it: a path in another
            // system's separators names no file here.
            installerPath = QDir::toNativeSeparators(installerPath);
            prompter()->information(this, title,
                                    tr("Failed to start the installer. You can install it manually by opening "
                                       "file manager and doubleclicking on file\n\n")
                                        + Utils::oneLine(installerPath),
                                    QMessageBox::Ok);
        }
    }
    event->accept();
}

void MainWindow::stopScheduledWork()
{
    // Some are never made when the window did not come up.
    for (QTimer *timer : {wizardTimer, autoUpdateTimer, broadcastTimer, whiteListTimer})
        if (timer)
            timer->stop();
    // A transfer still under way ends unheard of (onDownloadCompleted); the
    // download manager keeps what a later start can resume.
    closing = true;
    // Takes a viewer's start that waits in the event queue with it.
    delete remProtoHelp;
    remProtoHelp = nullptr;
}

void MainWindow::saveColumnWidths(QHeaderView *header)
{
    if (header)
        DeviceTree::saveColumnWidths(header, settings);
}

void MainWindow::on_actionExit_triggered()
{
    close();
}

void MainWindow::on_actionAbout_ZOR_triggered()
{
    auto *dialog = new AboutDialog(this, versionText);
    prompter()->exec(dialog);
    delete dialog;
}

void MainWindow::onLogoClicked()
{
    prompter()->openUrl(QUrl(QLatin1String(Links::MakerPage)));
}

void MainWindow::on_actionClear_application_settings_triggered()
{
    const QMessageBox::StandardButton answer = prompter()->question(
        this, tr("Clear application settings"),
        tr("Are you sure you want to clear application settings?\n\n"
           "If you click on Yes, all application settings will be cleared and Korvane will exit"),
        QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes);
    if (answer == QMessageBox::No)
        return;
    settings->clear();
    settings->sync();
    // A store that cannot be written (a read-only or network home, a file
    // left by a run as root) keeps every setting, and the next start would
    // find them all after the console had gone as if they were cleared.
    if (QFileInfo(settings->fileName()).size() != 0)
        prompter()->warning(this, tr("Clear application settings"),
                            tr("\nKorvane could not clear its settings in\n\n") + settings->fileName()
                                + tr("\n\nThe next start finds them as they were."),
                            QMessageBox::Ok);
    // Keeps the close from writing column widths back into the empty store.
    noSaveOnExit = true;
    close();
}

MainWindow::~MainWindow()
{
    // Devices' sockets belong to the server; take each one's connections
    // down first so no slot runs into a half-destroyed window.
    for (auto it = devices.cbegin(); it != devices.cend(); ++it) {
        ThinclientInfo *record = it.value();
        if (record && record->socket) {
            QObject::disconnect(record->socket, nullptr, nullptr, nullptr);
            delete record->socket;
        }
        // A transfer still open at exit is closed here: the record does not
        // own its file past the end of the transfer.
        if (record)
            delete record->transferFile;
        delete record;
    }
    devices.clear();
    destroyDepartmentPanel();
    if (departments) {
        qDeleteAll(*departments);
        delete departments;
        departments = nullptr;
    }
    delete sslServer;
    sslServer = nullptr;
    delete settings;
    settings = nullptr;
    delete m_splash;
    delete ui;
}
