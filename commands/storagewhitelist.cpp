#include "storagewhitelist.h"

#include "commands/commanddelivery.h"
#include "commands/core/blockdevicelist.h"
#include "commands/core/whitelistfile.h"
#include "commands/dlgeditwhitelist.h"
#include "commands/packets/delivery.h"
#include "commands/packets/signagepackets.h"
#include "devicelink/thinclientinfo.h"
#include "devicelink/utils.h"
#include "mainwindow/prompter.h"

#include <QLabel>
#include <QTimer>

namespace StorageWhiteList {

int scan(QWidget *parent, const QString &tempDir, const DeviceList *department)
{
    if (!department || department->isEmpty()) {
        prompter()->information(parent, QStringLiteral("Scan for storage devices"),
                                QStringLiteral("Cannot scan for storage devices. No devices found!"),
                                QMessageBox::Ok);
        return -1;
    }
    // Lists of an earlier scan would show devices that no longer answer.
    Utils::removeFiles(tempDir, QString::fromLatin1(BlockDeviceList::FilePattern));
    return CommandDelivery::sendToSelectedDevices(parent, department, SignagePackets::getBlockDevices());
}

bool start(QWidget *parent, const QString &tempDir, const DeviceList *department)
{
    prompter()->information(parent, QStringLiteral("Dedicated storage"),
                            QStringLiteral("Click OK to obtain a list of storage devices from selected clients."
                                           "\n\nThis will take about 5 seconds!"),
                            QMessageBox::Ok);
    return scan(parent, tempDir, department) == 0;
}

DeviceList recipients(const DeviceList *department)
{
    DeviceList out;
    for (ThinclientInfo *device : Delivery::selectedDevices(department)) {
        if (SignagePackets::takesStorageWhiteList(device->model))
            out.append(device);
    }
    return out;
}

WhiteListOutcome send(QWidget *parent, const QString &tempDir, const DeviceList *department)
{
    if (!department || department->isEmpty()) {
        prompter()->information(parent, QStringLiteral("Send dedicated storage whitelist"),
                                QStringLiteral("Cannot send dedicated storage whitelist. No devices found!"),
                                QMessageBox::Ok);
        return WhiteListOutcome::NoDevices;
    }

    DlgEditWhiteList dialog(parent, tempDir);
    if (prompter()->exec(&dialog) == 0)
        return WhiteListOutcome::Cancelled;

    const QByteArray frame = dialog.letClientsChoose
        ? SignagePackets::storageWhiteListAutoSelect()
        : SignagePackets::storageWhiteList(WhiteListFile::payload(tempDir, SignagePackets::MaxWhiteListPayload));

    // Chosen after the dialog: devices may have come or gone while it was open.
    int sent = 0;
    for (ThinclientInfo *device : recipients(department)) {
        if (Delivery::writeIfReachable(device, frame))
            ++sent;
    }
    if (sent == 0) {
        prompter()->warning(parent, QStringLiteral("Send dedicated storage list"),
                            QStringLiteral("\nCommand was not sent to any device(s) because none are selected or "
                                           "dedicated storage has not been auto-selected"));
        return WhiteListOutcome::SentToNone;
    }
    return WhiteListOutcome::Sent;
}

void apply(const WizardHandBack &handBack, QString *wizardState, QTimer *wizardTimer, QLabel *statusLabel)
{
    if (!handBack.startTimer)
        return;
    if (wizardState)
        *wizardState = handBack.state;
    if (statusLabel && !handBack.statusText.isEmpty())
        statusLabel->setText(handBack.statusText);
    if (wizardTimer)
        wizardTimer->start(handBack.intervalMs);
}

} // namespace StorageWhiteList
