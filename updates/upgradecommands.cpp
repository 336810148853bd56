#include "upgradecommands.h"
#include "dlggetchoice.h"
#include "dlgselecthotfixes.h"

#include "core/devicemodels.h"
#include "core/upgradepackets.h"
#include "core/upgradescan.h"
#include "devicelink/sslserver.h"
#include "devicelink/thinclientinfo.h"
#include "devicelink/utils.h"
#include "mainwindow/prompter.h"

#include <QDir>
#include <QPointer>
#include <QSettings>
#include <QSslSocket>

namespace UpgradeCommands {

using UpgradeScan::Outcome;

static const QString FirmwareTitle = QStringLiteral("Upgrading firmware");
static const QString ClientTitle = QStringLiteral("Upgrading Korvane client");
static const QString HotfixTitle = QStringLiteral("Hotfix installation");

static void inform(QWidget *parent, const QString &title, const QString &text)
{
    prompter()->information(parent, title, text, QMessageBox::Ok);
}

static void warn(QWidget *parent, const QString &title, const QString &text)
{
    prompter()->warning(parent, title, text, QMessageBox::Ok);
}

static bool isSelected(const ThinclientInfo *device)
{
    return device->checked && device->online && device->socket;
}

// The newest version directory, or one the administrator picks; empty
// when the choice was cancelled.
static QString chooseVersionDirectory(QWidget *parent, const QString &what, const QString &storeDir,
                                      const QString &baseDir, const QString &version, const QString &caption)
{
    // The version is a folder's name, as a package brought it: it adds no
    // lines to the choice.
    DlgGetChoice choice(parent, QStringLiteral("Upgrade ") + what, QStringLiteral("Upgrade ") + what,
                        QStringLiteral("Install latest ") + what + QStringLiteral(" version ") + Utils::oneLine(version),
                        QStringLiteral("Let me select the ") + what + QStringLiteral(" to install"), 1);
    if (prompter()->exec(&choice) != QDialog::Accepted)
        return QString();
    if (choice.choice == 1)
        return baseDir + QLatin1Char('/') + version;
    // A version kept behind a link is chosen as the link, inside the store.
    return prompter()->existingDirectory(parent, caption, storeDir,
                                         QFileDialog::ShowDirsOnly | QFileDialog::DontResolveSymlinks);
}

void upgradeFirmwareAction(QWidget *parent, const QList<ThinclientInfo *> *devices, QSettings *settings,
                           const QDate &today)
{
    if (!devices || devices->isEmpty()) {
        inform(parent, FirmwareTitle, QStringLiteral("\nCannot upgrade firmware. No devices found!"));
        return;
    }
    QString model;
    const QString models = UpgradeScan::selectedModels(*devices, &model);
    if (models.compare(model, Qt::CaseInsensitive) != 0) {
        inform(parent, FirmwareTitle,
               QStringLiteral("You have selected multiple models:\n\n") + Utils::oneLine(models)
                   + QStringLiteral("\n\nPlease select just one model to upgrade firmware"));
        return;
    }
    if (model.isEmpty()) {
        inform(parent, FirmwareTitle, QStringLiteral("\nCannot upgrade firmware. No devices selected!"));
        return;
    }
    const QString storeDir = settings->value(QStringLiteral("firmwareImageDir")).toString();
    const QString modelDir = storeDir + QLatin1Char('/') + model;
    QString version;
    if (DeviceModels::isDirectoryName(model))
        Utils::latestVersionSubdir(modelDir, &version);
    if (version.isEmpty()) {
        inform(parent, FirmwareTitle,
               QStringLiteral("\nNo firmware upgrades were found.\n\nYou can download firmware upgrades by "
                              "clicking on the Download button in the toolbar"));
        return;
    }
    const QString directory = chooseVersionDirectory(parent, QStringLiteral("firmware"), storeDir, modelDir, version,
                                                     QStringLiteral("Select firmware version"));
    if (directory.isEmpty())
        return;
    if (prompter()->question(parent, FirmwareTitle,
                             QStringLiteral("\nNote: it takes 4-6 minutes to upgrade firmware on most storage\n"
                                            "devices, and 10-25 minutes on slow flash media such as SD cards.\n"
                                            "Please be patient!\n\nAre you sure you want to upgrade firmware on "
                                            "selected devices?"),
                             QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes)
        != QMessageBox::Yes)
        return;
    upgradeFirmware(parent, devices, nullptr, directory, settings, today);
}

int upgradeFirmware(QWidget *parent, const QList<ThinclientInfo *> *devices, ThinclientInfo *device,
                    const QString &chosen, QSettings *settings, const QDate &today)
{
    const QString storeDir = settings->value(QStringLiteral("firmwareImageDir")).toString();
    const QString directory = UpgradeScan::inStore(chosen, storeDir);
    if (directory.isEmpty()) {
        inform(parent, QStringLiteral("Wrong directory selected"),
               QStringLiteral("Firmware files must be present in:\n\n") + storeDir
                   + QStringLiteral("\n\nbut you selected\n\n") + chosen
                   + QStringLiteral("\n\nYou can change this directory in Edit->Settings menu"));
        return -1;
    }
    const UpgradeScan::FirmwareImages images = UpgradeScan::scanFirmware(directory);
    if (images.outcome == Outcome::InvalidModel) {
        inform(parent, QStringLiteral("Invalid firmware file"),
               QStringLiteral("The files you have selected are not valid firmware images"));
        return -1;
    }
    if (images.outcome == Outcome::NoFiles) {
        inform(parent, QStringLiteral("Firmware upgrade"),
               QStringLiteral("No upgrade files found in \n\n") + Utils::oneLine(directory));
        return -1;
    }
    const QByteArray command = UpgradePackets::upgradeFirmware(today, images.model, images.kernelPath, images.rootFsPath);
    if (command.isEmpty()) {
        const bool readable = Utils::holdsOnWire(images.kernelPath) && Utils::holdsOnWire(images.rootFsPath);
        warn(parent, FirmwareTitle,
             (readable ? QStringLiteral("\nThe firmware paths are too long to send:\n\n")
                       : QStringLiteral("\nThe firmware paths hold characters that devices cannot read:\n\n"))
                 + Utils::oneLine(directory));
        return -1;
    }

    if (device) {
        // The wizard's single device: it must be online, its tick does not count.
        if (!device->online || !device->socket)
            return -1;
        for (const QString &model : images.models)
            if (model.compare(device->model, Qt::CaseInsensitive) == 0) {
                SSLServer::writeToDevice(device->socket, command);
                break;
            }
        return 0;
    }

    int written = 0;
    for (ThinclientInfo *target : devices ? *devices : QList<ThinclientInfo *>()) {
        if (isSelected(target) && !UpgradeScan::firmwareModelFor(target->model, images).isEmpty()) {
            SSLServer::writeToDevice(target->socket, command);
            ++written;
        }
    }
    if (written == 0)
        inform(parent, FirmwareTitle, QStringLiteral("\nFirmware upgrade command has NOT been sent to any devices\n\n"));
    return 0;
}

void upgradeClient(QWidget *parent, const QList<ThinclientInfo *> *devices, QSettings *settings, const QDate &today)
{
    if (!devices || devices->isEmpty()) {
        inform(parent, ClientTitle, QStringLiteral("Cannot upgrade Korvane client. No devices found!"));
        return;
    }
    const QString storeDir = settings->value(QStringLiteral("appImageDir")).toString();
    QString version;
    Utils::latestVersionSubdir(storeDir, &version);
    if (version.isEmpty()) {
        inform(parent, ClientTitle,
               QStringLiteral("\nNo Korvane client upgrades were found.\n\nYou can download Korvane client "
                              "upgrades by clicking on the Download button in the toolbar"));
        return;
    }
    const QString chosen = chooseVersionDirectory(parent, QStringLiteral("Korvane client"), storeDir, storeDir,
                                                  version, QStringLiteral("Select application version"));
    if (chosen.isEmpty())
        return;
    const QString directory = UpgradeScan::inStore(chosen, storeDir);
    if (directory.isEmpty()) {
        inform(parent, QStringLiteral("Wrong directory selected"),
               QStringLiteral("Korvane client files must be present in:\n\n") + storeDir
                   + QStringLiteral("\n\nBut you selected\n\n") + chosen
                   + QStringLiteral("\n\nYou can change this directory in Edit->Settings menu"));
        return;
    }
    const UpgradeScan::ClientPackages packages = UpgradeScan::scanClient(directory);
    if (packages.outcome == Outcome::InvalidModel) {
        inform(parent, QStringLiteral("Invalid firmware file"),
               QStringLiteral("The files you have selected are not valid firmware images"));
        return;
    }
    if (packages.outcome == Outcome::NoFiles) {
        inform(parent, QStringLiteral("Upgrade Korvane client"),
               QStringLiteral("No upgrade files found in \n\n") + Utils::oneLine(directory));
        return;
    }
    for (const UpgradeScan::ClientPackage &package : packages.packages) {
        if (UpgradePackets::upgradeClient(today, package.path).isEmpty()) {
            warn(parent, ClientTitle,
                 (Utils::holdsOnWire(package.path)
                      ? QStringLiteral("\nThe package path is too long to send:\n\n")
                      : QStringLiteral("\nThe package path holds characters that devices cannot read:\n\n"))
                     + Utils::oneLine(package.path));
            return;
        }
    }
    int written = 0;
    for (ThinclientInfo *target : *devices) {
        if (!isSelected(target))
            continue;
        if (const UpgradeScan::ClientPackage *package = UpgradeScan::clientPackageFor(target->model, packages)) {
            SSLServer::writeToDevice(target->socket, UpgradePackets::upgradeClient(today, package->path));
            ++written;
        }
    }
    if (written == 0)
        inform(parent, ClientTitle, QStringLiteral("\nUpgrade command has NOT been sent to any device(s)\n\n"));
}

void installHotfix(QWidget *parent, const QList<ThinclientInfo *> *devices, QSettings *settings, const QDate &today)
{
    if (!devices || devices->isEmpty()) {
        inform(parent, HotfixTitle, QStringLiteral("Cannot install hotfix. No devices found!"));
        return;
    }
    QString model;
    const QString models = UpgradeScan::selectedModels(*devices, &model);
    if (models.compare(model, Qt::CaseInsensitive) != 0) {
        inform(parent, HotfixTitle,
               QStringLiteral("You have selected multiple models:\n\n") + Utils::oneLine(models)
                   + QStringLiteral("\n\nPlease select just one model to install Hotfix"));
        return;
    }
    if (model.isEmpty()) {
        inform(parent, HotfixTitle, QStringLiteral("\nCannot install Hotfix. No devices selected!"));
        return;
    }
    const QString store = settings->value(QStringLiteral("hotfixDir")).toString();
    const QString directory = store + QLatin1Char('/') + model;
    if (!DeviceModels::isDirectoryName(model) || !QDir(directory).exists()) {
        // The model is the device's own text: a line break in it is shown as a blank.
        warn(parent, QStringLiteral("Hotfix selection"),
             QStringLiteral("Hotfix directory does not exist:\n\n") + store + QLatin1Char('/') + Utils::oneLine(model));
        return;
    }
    QStringList chosen;
    DlgSelectHotfixes selection(parent, &chosen, directory);
    if (prompter()->exec(&selection) != QDialog::Accepted || chosen.isEmpty())
        return;
    if (prompter()->question(parent, HotfixTitle,
                             QStringLiteral("Are you sure you want to install hotfix on selected devices?"),
                             QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes)
        != QMessageBox::Yes)
        return;

    // A copy: the warnings below run their own event loops, in which devices
    // register into the department and its list grows under the loop.
    const QList<ThinclientInfo *> targets = *devices;
    for (ThinclientInfo *target : targets) {
        if (!target->online || !target->checked || !target->socket)
            continue;
        // The files are checked against what the device reported on this
        // connection. One that registers again while a warning is up (after
        // a firmware upgrade, perhaps), or reports another firmware version
        // on the same connection, may run another version by then: a hotfix
        // accepted for the old one must not reach it.
        const QPointer<QSslSocket> connection = target->socket;
        const QString checkedVersion = target->firmwareVersion;
        QStringList accepted;
        for (const QString &path : chosen) {
            // The file's name is as a package brought it: it adds no lines
            // to the warnings.
            const QString shown = Utils::oneLine(path);
            int id = 0;
            if (!DeviceModels::readImageModelId(path, &id))
                warn(parent, HotfixTitle, QStringLiteral("This is not a valid hotfix file:\n\n") + shown);
            else if (!DeviceModels::isModel(target->model, id))
                warn(parent, HotfixTitle,
                     QStringLiteral("This is not a valid hotfix file for ") + Utils::oneLine(target->model)
                         + QStringLiteral(" devices:\n\n") + shown);
            else if (!DeviceModels::matchesPercentTag(target->firmwareVersion, path))
                warn(parent, HotfixTitle,
                     QStringLiteral("The following hotfix file cannot be installed due to a firmware version "
                                    "mismatch\n\n")
                         + shown);
            else if (!Utils::holdsOnWire(path))
                warn(parent, HotfixTitle,
                     QStringLiteral("The path of the following hotfix file holds characters that devices cannot "
                                    "read\n\n")
                         + shown);
            else
                accepted.append(path);
        }
        if (connection.isNull() || target->socket != connection.data() || !target->online
            || target->firmwareVersion != checkedVersion)
            continue;
        const QByteArray command = UpgradePackets::installHotfix(today, target->model, accepted);
        if (!command.isEmpty())
            SSLServer::writeToDevice(target->socket, command);
    }
}

} // namespace UpgradeCommands
