#include "accessprotocolcommand.h"

#include "commands/commanddelivery.h"
#include "commands/core/syncfilelist.h"
#include "commands/dlggetfilelist.h"
#include "commands/packets/delivery.h"
#include "devicelink/thinclientinfo.h"
#include "devicelink/utils.h"
#include "displayaccess/core/accessprotocolpackets.h"
#include "displayaccess/core/accessprotocoltable.h"
#include "displayaccess/dlgconnectiontype.h"
#include "mainwindow/prompter.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QSettings>

namespace AccessProtocolCommand {

namespace {

const char *const SetTitle = "Set access protocol";
const char *const HelpTitle = "Get remote protocol help";

QString deviceLines(const ThinclientInfo *device)
{
    return QStringLiteral("\n\nSerial number: ") + Utils::oneLine(device->serialNumber.toUpper())
           + QStringLiteral("\nDescription: ") + Utils::oneLine(device->deviceName);
}

void refuseTooLong(QWidget *parent)
{
    prompter()->warning(parent, QLatin1String(SetTitle),
                        QStringLiteral("\nThe settings are too long to send to the devices. Shorten the command "
                                       "line arguments, the host name or the login details."),
                        QMessageBox::Ok);
}

} // namespace

bool hasDevices(QWidget *parent, const DeviceList *department)
{
    if (department && !department->isEmpty())
        return true;
    prompter()->information(parent, QLatin1String(SetTitle),
                            QStringLiteral("\nCannot set access protocol. No devices found!"), QMessageBox::Ok);
    return false;
}

bool confirm(QWidget *parent, int typeCode, bool wizardRunning)
{
    if (wizardRunning)
        return true;
    return prompter()->question(parent, QStringLiteral("Setting remote server protocol"),
                                QStringLiteral("Are you sure you want to set the remote server protocol to\n\n")
                                    + AccessProtocolTable::questionName(typeCode)
                                    + QStringLiteral("\n\nfor selected devices?"),
                                QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes)
           != QMessageBox::No;
}

bool sendSettings(QWidget *parent, const DeviceList *department, const AccessProtocolSettings &settings)
{
    if (!AccessProtocolPackets::holdsOnWire(settings)) {
        prompter()->warning(parent, QLatin1String(SetTitle),
                            QStringLiteral("\nThe command line arguments, the host name or the login details hold "
                                           "characters that devices cannot read."),
                            QMessageBox::Ok);
        return false;
    }
    const QByteArray frame = AccessProtocolPackets::accessProtocol(settings);
    if (frame.isEmpty()) {
        refuseTooLong(parent);
        return false;
    }
    return CommandDelivery::sendToSelectedDevices(parent, department, frame) == 0;
}

void sendConnectionManagerImages(QWidget *parent, const DeviceList *department)
{
    prompter()->information(parent, QStringLiteral("Select QNV image file"),
                            QStringLiteral("\nClick OK to select QNV image file.\n\nKorvane expects the thinclient "
                                           "configuration files to be present in the same directory as theQNV image "
                                           "file"),
                            QMessageBox::Ok);
    const QString image = prompter()->openFileName(
        parent, QCoreApplication::translate("MainWindow", "Select QNV image"), QStringLiteral("/"),
        QStringLiteral("Images (*.jpg)"));
    if (image.isEmpty())
        return;
    const QString imageDir = QFileInfo(image).absolutePath();

    const QByteArray command = AccessProtocolPackets::connectionManager();
    // The image is the same for every device: read and digested once, and
    // every device's socket is handed the same bytes. Device by device, a
    // 3 MiB image cost its read, its MD5 and a copy of its own waiting in
    // each socket, some 9 ms a device: the window stood still for most of a
    // minute over a few thousand devices. An image that cannot go out is
    // tried device by device as before, so that each one is warned about.
    const QString imageName = QStringLiteral("netconnect.jpg");
    const QByteArray imageFrame = CommandDelivery::fileFrame(imageName, image);
    for (ThinclientInfo *device : Delivery::selectedDevices(department)) {
        const QString configName = AccessProtocolPackets::connectionManagerConfigName(device->serialNumber);
        const QString configPath = imageDir + QLatin1Char('/') + configName;
        if (configName.isEmpty() || !QFileInfo(configPath).isFile()) {
            prompter()->warning(parent, QStringLiteral("File not found"),
                                QStringLiteral("A QNV configuration file for thinclient specified below was not "
                                               "found. This thinclient will not be placed in QNV mode")
                                    + deviceLines(device),
                                QMessageBox::Ok);
            continue;
        }
        const int imageSent = imageFrame.isEmpty()
            ? CommandDelivery::uploadFileToDevice(parent, imageName, image, device)
            : CommandDelivery::sendFileFrame(parent, imageFrame, device);
        if (imageSent != 0) {
            prompter()->warning(parent, QStringLiteral("Upload error"),
                                QStringLiteral("\nThere was an error uploading QNV image file to thinclient "
                                               "specified below. This thinclient will not be placed in QNV mode")
                                    + deviceLines(device),
                                QMessageBox::Ok);
            continue;
        }
        if (CommandDelivery::uploadFileToDevice(parent, configName, configPath, device) != 0) {
            prompter()->warning(parent, QStringLiteral("Upload error"),
                                QStringLiteral("\nThere was an error uploading QNV config file to thinclient "
                                               "specified below. This thinclient will not be placed in QNV mode")
                                    + deviceLines(device),
                                QMessageBox::Ok);
            continue;
        }
        Delivery::writeIfReachable(device, command);
    }
}

bool sendSignageFileLists(QWidget *parent, QSettings *settings, const DeviceList *department,
                          const DlgConnectionType &dialog)
{
    const QString tempDir = settings->value(QStringLiteral("tempDir")).toString();
    std::array<QString, SignageOutputCount> dirs;
    std::array<QString, SignageOutputCount> lists;
    for (int k = 0; k < SignageOutputCount; ++k) {
        dirs[size_t(k)] = settings->value(QStringLiteral("signageContentDir%1").arg(k + 1)).toString();
        lists[size_t(k)] = SyncFileList::listPath(tempDir, k + 1);
    }
    // Known before any list is walked: refuse at once rather than after it.
    // A device would open a web address with "?" in place of what the wire
    // cannot carry: another page, or none.
    for (const SignageOutput &output : dialog.signageOutputs) {
        if (output.enabled && !Utils::holdsOnWire(output.url)) {
            prompter()->warning(parent, QLatin1String(SetTitle),
                                QStringLiteral("\nThe web address of a signage output holds characters that devices "
                                               "cannot read."),
                                QMessageBox::Ok);
            return false;
        }
    }
    const QByteArray frame =
        AccessProtocolPackets::digitalSignage(dialog.connTypeIndex, dialog.signageOutputs, dirs, lists);
    if (frame.isEmpty()) {
        bool readable = true;
        for (size_t k = 0; k < dirs.size(); ++k) {
            const SignageOutput &output = dialog.signageOutputs[k];
            if (output.enabled && output.syncNow && (!Utils::holdsOnWire(dirs[k]) || !Utils::holdsOnWire(lists[k])))
                readable = false;
        }
        if (readable)
            refuseTooLong(parent);
        else
            prompter()->warning(parent, QLatin1String(SetTitle),
                                QStringLiteral("\nThe signage content directories or the temporary directory hold "
                                               "characters that devices cannot read."),
                                QMessageBox::Ok);
        return false;
    }
    for (int k = 0; k < SignageOutputCount; ++k) {
        const SignageOutput &output = dialog.signageOutputs[size_t(k)];
        if (output.enabled && output.syncNow
            && !DlgGetFileList::writeList(parent, dirs[size_t(k)], lists[size_t(k)]))
            return false;
    }
    return CommandDelivery::sendToSelectedDevices(parent, department, frame) == 0;
}

bool requestProtocolHelp(QWidget *parent, const DeviceList *department, int typeCode)
{
    if (!department || department->isEmpty()) {
        prompter()->information(parent, QLatin1String(HelpTitle),
                                QStringLiteral("Cannot get remote protocol help. No devices found!"), QMessageBox::Ok);
        return false;
    }
    const QList<ThinclientInfo *> selected = Delivery::selectedDevices(department);
    if (selected.size() > 1) {
        prompter()->information(parent, QLatin1String(HelpTitle),
                                QStringLiteral("Multiple devices selected. Please select just one device"),
                                QMessageBox::Ok);
        return false;
    }
    return !selected.isEmpty()
           && Delivery::writeIfReachable(selected.first(), AccessProtocolPackets::protocolHelpRequest(typeCode));
}

} // namespace AccessProtocolCommand
