#include "commanddelivery.h"

#include "commands/packets/delivery.h"
#include "commands/packets/everydaypackets.h"
#include "devicelink/utils.h"
#include "mainwindow/prompter.h"

#include <QFile>

namespace CommandDelivery {

namespace {

// Only a plain file is read: opening a named pipe waits for a writer, for
// good when there is none, and one may take the name after a check. One
// byte past the limit is enough to know the file is too large; a huge file
// or an endless device file is never read whole.
bool readLocalFile(const QString &localPath, QByteArray *data)
{
    QFile file(localPath);
    if (!Utils::openRegular(&file, false))
        return false;
    return Utils::readUpTo(&file, Packets::MaxFileTransferData + 1, data);
}

} // namespace

int sendToSelectedDevices(QWidget *parent, const QList<ThinclientInfo *> *department, const QByteArray &frame)
{
    if (!department || frame.isEmpty())
        return -1;
    if (Delivery::writeToSelected(department, frame) > 0)
        return 0;
    prompter()->warning(parent, QStringLiteral("Status update"),
                        QStringLiteral("\nCommand was not sent to any device(s) because none are selected!"));
    return -1;
}

int sendFileToDevice(QWidget *parent, const QString &remoteName, const QByteArray &data, ThinclientInfo *device)
{
    Packets::FileRefusal why = Packets::FileRefusal::None;
    const QByteArray frame = device ? Packets::fileTransfer(remoteName, data, &why) : QByteArray();
    if (!device || why == Packets::FileRefusal::InvalidParameter) {
        prompter()->warning(parent, QStringLiteral("Invalid parameter"),
                            QStringLiteral("\nAn invalid parameter was passed"));
        return -1;
    }
    if (why == Packets::FileRefusal::TooLarge) {
        prompter()->warning(parent, QStringLiteral("File size error"),
                            QStringLiteral("\nKorvane does not support files larger than 3MB"));
        return -1;
    }
    return sendFileFrame(parent, frame, device);
}

int sendFileFrame(QWidget *parent, const QByteArray &frame, ThinclientInfo *device)
{
    if (!device || frame.isEmpty())
        return -1;
    // The device may have gone since it was chosen; its old socket is gone too.
    if (!Delivery::writeIfReachable(device, frame)) {
        prompter()->warning(parent, QStringLiteral("Status update"),
                            QStringLiteral("\nThe file was not sent because the device is not connected"));
        return -1;
    }
    return 0;
}

int uploadFileToDevice(QWidget *parent, const QString &remoteName, const QString &localPath, ThinclientInfo *device)
{
    if (remoteName.isEmpty() || localPath.isEmpty() || !device)
        return -1;
    QByteArray data;
    if (!readLocalFile(localPath, &data)) {
        prompter()->warning(parent, QStringLiteral("Open error"),
                            QStringLiteral("\nError opening file ") + localPath);
        return -1;
    }
    return sendFileToDevice(parent, remoteName, data, device);
}

QByteArray fileFrame(const QString &remoteName, const QString &localPath)
{
    QByteArray data;
    if (remoteName.isEmpty() || localPath.isEmpty() || !readLocalFile(localPath, &data))
        return QByteArray();
    Packets::FileRefusal why = Packets::FileRefusal::None;
    const QByteArray frame = Packets::fileTransfer(remoteName, data, &why);
    return why == Packets::FileRefusal::None ? frame : QByteArray();
}

} // namespace CommandDelivery
