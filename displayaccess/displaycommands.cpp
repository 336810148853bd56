#include "displaycommands.h"

#include "dlgconfiguredisplays.h"
#include "dlgsetedidresolution.h"
#include "commands/commanddelivery.h"
#include "commands/configvalidation.h"
#include "commands/packets/delivery.h"
#include "devicelink/thinclientinfo.h"
#include "devicelink/utils.h"
#include "displayaccess/core/displaypackets.h"
#include "mainwindow/prompter.h"

#include <QPointer>
#include <QSslSocket>

namespace DisplayCommands {

namespace {
const QString DisplayTitle = QStringLiteral("Set display configuration");
const QString EdidTitle = QStringLiteral("Set EDID Resolution");

bool confirmed(QWidget *parent, const QString &title, const QString &text)
{
    return prompter()->question(parent, title, text, QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes)
        == QMessageBox::Yes;
}
} // namespace

bool configureDisplays(QWidget *parent, const DeviceList *department)
{
    if (!department)
        return false;
    if (department->isEmpty()) {
        prompter()->information(parent, DisplayTitle,
                                QStringLiteral("\nCannot set display configuration. No devices found!"));
        return false;
    }
    DlgConfigureDisplays dialog(parent);
    if (prompter()->exec(&dialog) == 0
        || !confirmed(parent, DisplayTitle,
                      QStringLiteral("\nAre you sure you want to set display configuration on selected devices?")))
        return false;
    const QByteArray frame = DisplayPackets::configureDisplays(dialog.settings);
    if (showRefusal(parent, frame.isEmpty() ? oversizeRefusal(DisplayTitle) : Refusal()))
        return false;
    return CommandDelivery::sendToSelectedDevices(parent, department, frame) == 0;
}

bool setEdidResolution(QWidget *parent, const DeviceList *department, const QString &supported)
{
    if (!department)
        return false;
    if (department->isEmpty()) {
        prompter()->information(parent, EdidTitle, QStringLiteral("Cannot set EDID resolution. No devices found!"));
        return false;
    }
    const DeviceList selected = Delivery::selectedDevices(department);
    if (selected.size() > 1) {
        prompter()->information(parent, EdidTitle,
                                QStringLiteral("Multiple devices selected. Please select just one device"));
        return false;
    }
    if (selected.isEmpty())
        return false;
    ThinclientInfo *device = selected.first();
    if (device->edidCount == 0) {
        prompter()->information(parent, EdidTitle,
                                QStringLiteral("The selected device did not report any EDID information.\n"
                                               "Make sure the monitor is connected to the device and powered on"));
        return false;
    }
    // The modes shown are those the device reported on this connection. A
    // device that registers again meanwhile takes the same record over with
    // the modes it reports now (another monitor, perhaps): a mode picked from
    // the old list must not reach it.
    const QPointer<QSslSocket> connection = device->socket;
    QString resolution;
    DlgSetEdidResolution dialog(parent, device, supported, &resolution);
    // OK without a picked mode leaves no resolution: a device must not be
    // told to boot with an empty mode.
    if (prompter()->exec(&dialog) == 0 || resolution.isEmpty())
        return false;
    // The mode is the device's own text: it adds no lines to the question.
    if (!confirmed(parent, QStringLiteral("Changing screen resolution"),
                   QStringLiteral("Are you sure you want to set the screen resolution on selected device to ")
                       + Utils::oneLine(resolution) + QStringLiteral(" ?")))
        return false;
    const QByteArray frame = DisplayPackets::setEdidResolution(resolution);
    if (showRefusal(parent, frame.isEmpty() ? oversizeRefusal(EdidTitle) : Refusal()))
        return false;
    // The device may have gone while the dialog and the question were open.
    if (connection.isNull() || device->socket != connection.data())
        return false;
    return Delivery::writeIfReachable(device, frame);
}

} // namespace DisplayCommands
