#include "configcommands.h"

#include "commanddelivery.h"
#include "configvalidation.h"
#include "dlgconfigdorn.h"
#include "dlggetnicinfo.h"
#include "dlggooglecloudprint.h"
#include "dlghostcredentials.h"
#include "dlginstallondevice.h"
#include "dlgusbredirection.h"
#include "dlgzorserverinfo.h"
#include "usbredirectionroundtrip.h"
#include "commands/packets/configpackets.h"
#include "commands/packets/delivery.h"
#include "devicelink/thinclientinfo.h"
#include "mainwindow/prompter.h"

namespace ConfigCommands {

namespace {

QString text(const char *s)
{
    return QString::fromLatin1(s);
}

// Empty department (or none shown): says so and tells the caller to stop.
bool refuseEmpty(QWidget *parent, const DeviceList *department, ConfigCommand command)
{
    if (department && !department->isEmpty())
        return false;
    const CommandPrompts &p = commandPrompts(command);
    prompter()->information(parent, text(p.emptyTitle), text(p.emptyText));
    return true;
}

// Single-device commands refuse a selection of two or more.
bool refuseMultiple(QWidget *parent, const DeviceList *department, ConfigCommand command)
{
    if (Delivery::countSelectedDevices(department) < 2)
        return false;
    const CommandPrompts &p = commandPrompts(command);
    prompter()->information(parent, text(p.multipleTitle), text(p.multipleText));
    return true;
}

bool confirmed(QWidget *parent, ConfigCommand command)
{
    const CommandPrompts &p = commandPrompts(command);
    return prompter()->question(parent, text(p.questionTitle), text(p.questionText),
                                QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes)
        == QMessageBox::Yes;
}

// An empty frame means the builder refused the values: say so, send nothing.
bool refuseOversize(QWidget *parent, const QByteArray &frame, ConfigCommand command)
{
    if (!frame.isEmpty())
        return false;
    showRefusal(parent, oversizeRefusal(text(commandPrompts(command).emptyTitle)));
    return true;
}

ThinclientInfo *firstSelected(const DeviceList *department)
{
    const DeviceList selected = Delivery::selectedDevices(department);
    return selected.isEmpty() ? nullptr : selected.first();
}

} // namespace

bool configureNetwork(QWidget *parent, const DeviceList *department)
{
    const ConfigCommand command = ConfigCommand::Network;
    if (refuseEmpty(parent, department, command) || refuseMultiple(parent, department, command))
        return false;
    // The device the administrator fills the dialog in for.
    ThinclientInfo *const chosen = firstSelected(department);
    DlgGetNicInfo dialog(parent);
    if (prompter()->exec(&dialog) == 0 || !confirmed(parent, command))
        return false;
    // Looked up after the question: the device may have gone meanwhile, and
    // a ticked device that registered again meanwhile is selected once more,
    // which makes the one device this configuration is meant for unclear.
    if (refuseMultiple(parent, department, command))
        return false;
    // The one selected now may be another device than the chosen one (which
    // dropped while a device ticked before registered anew): an address
    // meant for one device must not go to another.
    ThinclientInfo *device = firstSelected(department);
    if (!device || device != chosen)
        return false;
    const QByteArray frame = ConfigPackets::configureNic(dialog.settings);
    if (refuseOversize(parent, frame, command))
        return false;
    return Delivery::writeIfReachable(device, frame);
}

bool setServerIdentification(QWidget *parent, const DeviceList *department)
{
    const ConfigCommand command = ConfigCommand::ServerIdentification;
    if (refuseEmpty(parent, department, command))
        return false;
    int mode = 0;
    QString address, port;
    DlgZorServerInfo dialog(parent, &mode, &address, &port);
    if (prompter()->exec(&dialog) != DlgZorServerInfo::Accepted || !confirmed(parent, command))
        return false;
    const QByteArray frame = ConfigPackets::setServerDetection(dialog.identification);
    if (refuseOversize(parent, frame, command))
        return false;
    int reached = 0;
    for (ThinclientInfo *device : Delivery::selectedDevices(department)) {
        ConfigPackets::applyServerIdentification(device, dialog.identification);
        if (Delivery::writeIfReachable(device, frame))
            ++reached;
    }
    return reached > 0;
}

bool setCloudPrint(QWidget *parent, const DeviceList *department)
{
    const ConfigCommand command = ConfigCommand::CloudPrint;
    if (!department || refuseEmpty(parent, department, command))
        return false;
    DlgGoogleCloudPrint dialog(parent);
    if (prompter()->exec(&dialog) == 0 || !confirmed(parent, command))
        return false;
    const QByteArray frame = ConfigPackets::setCloudPrint(dialog.credentials);
    if (refuseOversize(parent, frame, command))
        return false;
    return CommandDelivery::sendToSelectedDevices(parent, department, frame) == 0;
}

bool setTsGateway(QWidget *parent, const DeviceList *department)
{
    const ConfigCommand command = ConfigCommand::Gateway;
    if (!department || refuseEmpty(parent, department, command))
        return false;
    DlgHostCredentials dialog(parent, QStringLiteral("Terminal services gateway"));
    if (prompter()->exec(&dialog) == 0 || !confirmed(parent, command))
        return false;
    const QByteArray frame = ConfigPackets::setTsGateway(dialog.credentials);
    if (refuseOversize(parent, frame, command))
        return false;
    // This command stays silent when no device was selected.
    return Delivery::writeToSelected(department, frame) > 0;
}

bool requestUsbDevices(QWidget *parent, const DeviceList *department, UsbRedirectionRoundTrip *roundTrip)
{
    const ConfigCommand command = ConfigCommand::UsbRequest;
    if (!department || refuseEmpty(parent, department, command) || refuseMultiple(parent, department, command))
        return false;
    ThinclientInfo *device = firstSelected(department);
    if (!device || !Delivery::writeIfReachable(device, ConfigPackets::getUsbDevices()))
        return false;
    if (roundTrip)
        roundTrip->asked(device);
    return true;
}

bool showUsbDevices(QWidget *parent, const DeviceList *department, UsbRedirectionRoundTrip &roundTrip)
{
    if (!roundTrip.isBusy())
        return false;
    // Whatever way this ends, the next list may come.
    struct ReleaseOnExit {
        UsbRedirectionRoundTrip &roundTrip;
        ~ReleaseOnExit() { roundTrip.release(); }
    } releaseOnExit{roundTrip};
    const QString title = QStringLiteral("USB redirection");
    if (!roundTrip.recipient()) {
        prompter()->warning(parent, title,
                            QStringLiteral("\nThe USB list was not shown because the device is no longer connected"));
        return false;
    }
    const ConfigCommand command = ConfigCommand::UsbReply;
    if (refuseEmpty(parent, department, command) || refuseMultiple(parent, department, command))
        return false;
    // A list is shown only while a device is selected, as a request needs
    // one: with none (a list sent unasked, or the tick taken off before it
    // came) it would open a dialog nobody asked for, for a device nobody chose.
    if (Delivery::countSelectedDevices(department) == 0)
        return false;
    DlgUsbRedirection dialog(parent, roundTrip.entries());
    if (prompter()->exec(&dialog) == 0)
        return false;
    const QByteArray frame = ConfigPackets::setUsbRedirection(dialog.selectedIds);
    if (refuseOversize(parent, frame, command))
        return false;
    // The choice belongs to the device whose list was shown, whatever is
    // selected now; if that device went away meanwhile, nothing is sent.
    ThinclientInfo *device = roundTrip.recipient();
    if (!device || !Delivery::writeIfReachable(device, frame)) {
        prompter()->warning(parent, title,
                            QStringLiteral("\nThe USB redirection was not sent because the device is no "
                                           "longer connected"));
        return false;
    }
    return true;
}

bool installOnDevices(QWidget *parent, const DeviceList *department)
{
    const ConfigCommand command = ConfigCommand::Install;
    if (!department || refuseEmpty(parent, department, command))
        return false;
    DlgInstallOnDevice dialog(parent);
    if (prompter()->exec(&dialog) == 0 || !confirmed(parent, command))
        return false;
    QByteArray data;
    const ConfigPackets::FileReadResult read =
        ConfigPackets::readFileExactly(dialog.filePath, dialog.fileSize, &data);
    if (showRefusal(parent, installReadRefusal(read, dialog.filePath)))
        return false;
    const QByteArray frame = ConfigPackets::installFile(dialog.installType, dialog.fileName, data);
    if (refuseOversize(parent, frame, command))
        return false;
    return CommandDelivery::sendToSelectedDevices(parent, department, frame) == 0;
}

bool setPxeConfiguration(QWidget *parent, const DeviceList *department)
{
    const ConfigCommand command = ConfigCommand::Pxe;
    if (!department || refuseEmpty(parent, department, command))
        return false;
    DlgConfigDorn dialog(parent);
    if (prompter()->exec(&dialog) == 0 || !confirmed(parent, command))
        return false;
    const QByteArray frame = ConfigPackets::setPxeConfig(dialog.config);
    if (refuseOversize(parent, frame, command))
        return false;
    const ConfigPackets::PxeRecipients pxe = ConfigPackets::pxeRecipients(*department);
    int sent = 0;
    for (ThinclientInfo *device : pxe.recipients)
        if (Delivery::writeIfReachable(device, frame))
            ++sent;
    const QString summary = ConfigPackets::pxeIgnoredSummary(sent, pxe.selected);
    if (!summary.isEmpty())
        prompter()->information(parent, QStringLiteral("Status update"), summary);
    return sent > 0;
}

} // namespace ConfigCommands
