#include "signagesync.h"

#include "commands/commanddelivery.h"
#include "commands/core/syncfilelist.h"
#include "commands/dlgdsisync.h"
#include "commands/dlggetfilelist.h"
#include "commands/packets/delivery.h"
#include "commands/packets/signagepackets.h"
#include "devicelink/utils.h"
#include "mainwindow/prompter.h"

#include <QSettings>

namespace SignageSync {

static const char *const Title = "Sync directory to device(s)";

bool run(QWidget *parent, QSettings *settings, const QList<ThinclientInfo *> *department)
{
    if (Delivery::countSelectedDevices(department) == 0) {
        prompter()->information(parent, QString::fromLatin1(Title),
                                QStringLiteral("\nCannot sync directory to device(s). No device(s) selected!"),
                                QMessageBox::Ok);
        return false;
    }

    const QString keys[] = {QStringLiteral("signageContentDir1"), QStringLiteral("signageContentDir2"),
                            QStringLiteral("signageContentDir3")};
    QString dirs[3];
    for (int i = 0; i < 3; ++i)
        dirs[i] = settings->value(keys[i]).toString();

    DlgDsiSync dialog(parent, &dirs[0], &dirs[1], &dirs[2]);
    if (prompter()->exec(&dialog) == 0)
        return false;
    for (int i = 0; i < 3; ++i)
        settings->setValue(keys[i], dirs[i]);

    const QString tempDir = settings->value(QStringLiteral("tempDir")).toString();
    const bool sync[] = {dialog.sync1, dialog.sync2, dialog.sync3};
    SignagePackets::SyncOutputs outputs;
    for (int i = 0; i < 3; ++i) {
        outputs[i].sync = sync[i];
        if (sync[i]) {
            outputs[i].contentDir = dirs[i];
            outputs[i].listFile = SyncFileList::listPath(tempDir, i + 1);
        }
    }

    // Known before any list is walked: refuse at once rather than after it.
    const QByteArray frame = SignagePackets::syncSignageDir(outputs);
    if (frame.isEmpty()) {
        bool readable = true;
        for (const SignagePackets::SyncOutput &output : outputs)
            readable = readable && Utils::holdsOnWire(output.contentDir) && Utils::holdsOnWire(output.listFile);
        prompter()->warning(parent, QString::fromLatin1(Title),
                            readable ? QStringLiteral("\nCannot sync directory to device(s). The directory names are "
                                                      "too long!")
                                     : QStringLiteral("\nCannot sync directory to device(s). The directory names "
                                                      "hold characters that devices cannot read!"));
        return false;
    }

    for (const SignagePackets::SyncOutput &output : outputs) {
        if (output.sync && !DlgGetFileList::writeList(parent, output.contentDir, output.listFile))
            return false;
    }
    return CommandDelivery::sendToSelectedDevices(parent, department, frame) == 0;
}

} // namespace SignageSync
