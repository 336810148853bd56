#include "storagewhitelist.h"

#include "commands/core/blockdevicelist.h"
#include "commands/core/whitelistfile.h"
#include "commands/dlgeditwhitelist.h"
#include "commands/packets/signagepackets.h"
#include "devicelink/sslserver.h"
#include "devicelink/thinclientinfo.h"
#include "devicelink/utils.h"
#include "mainwindow/prompter.h"

#include <QLabel>
#include <QTimer>

namespace StorageWhiteList {

int scan(QWidget *window, const QString &tempDir, int departmentDevices, const SendFunction &send)
{
    if (departmentDevices == 0) {
        prompter()->information(window, QStringLiteral("Scan for storage devices"),
                                QStringLiteral("Cannot scan for storage devices. No devices found!"),
                                QMessageBox::Ok);
        return -1;
    }
    // Lists of an earlier scan would show devices that no longer answer.
    Utils::removeFiles(tempDir, QString::fromLatin1(BlockDeviceList::FilePattern));
    return send(SignagePackets::getBlockDevices());
}

bool start(QWidget *window, const QString &tempDir, int departmentDevices, const SendFunction &send)
{
    prompter()->information(window, QStringLiteral("Dedicated storage"),
                            QStringLiteral("Click OK to obtain a list of storage devices from selected clients."
                                           "\n\nThis will take about 5 seconds!"),
                            QMessageBox::Ok);
    return scan(window, tempDir, departmentDevices, send) == 0;
}

QList<ThinclientInfo *> recipients(const QList<ThinclientInfo *> &devices)
{
    QList<ThinclientInfo *> out;
    for (ThinclientInfo *device : devices) {
        if (device && device->checked && device->online && device->socket
            && SignagePackets::takesStorageWhiteList(device->model))
            out.append(device);
    }
    return out;
}

WhiteListOutcome send(QWidget *window, const QString &tempDir, const QList<ThinclientInfo *> &devices)
{
    if (devices.isEmpty()) {
        prompter()->information(window, QStringLiteral("Send dedicated storage whitelist"),
                                QStringLiteral("Cannot send dedicated storage whitelist. No devices found!"),
                                QMessageBox::Ok);
        return WhiteListOutcome::NoDevices;
    }

    DlgEditWhiteList dialog(window, tempDir);
    if (prompter()->exec(&dialog) == 0)
        return WhiteListOutcome::Cancelled;

    const QByteArray frame = dialog.letClientsChoose
        ? SignagePackets::storageWhiteListAutoSelect()
        : SignagePackets::storageWhiteList(WhiteListFile::payload(tempDir, SignagePackets::MaxWhiteListPayload));

    int sent = 0;
    for (ThinclientInfo *device : recipients(devices)) {
        if (SSLServer::writeToDevice(device->socket, frame) >= 0)
            ++sent;
    }
    if (sent == 0) {
        prompter()->warning(window, QStringLiteral("Send dedicated storage list"),
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
