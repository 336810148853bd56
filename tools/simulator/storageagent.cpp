#include "storageagent.h"
#include "simdevice.h"
#include "transferqueue.h"

StorageAgent::StorageAgent(SimDevice *device, TransferQueue *transfers, QObject *parent)
    : QObject(parent), m_device(device), m_transfers(transfers), m_lines(defaultBlockDevices(device->config()))
{
    connect(device, &SimDevice::frameReceived, this, &StorageAgent::onFrame);
}

QString StorageAgent::listFileName(const SimDeviceConfig &config)
{
    QString mac = config.macAddress;
    mac.remove(QLatin1Char(':'));
    return mac + QStringLiteral("_blkdev_list.lst");
}

QStringList StorageAgent::defaultBlockDevices(const SimDeviceConfig &config)
{
    QString model = config.model;
    model.replace(QLatin1Char(' '), QLatin1Char('_'));
    // 16 GB of sectors for the system disk; the data disk's size follows
    // the MAC address so that devices differ.
    const QString serial = config.macAddress.right(5).remove(QLatin1Char(':'));
    const qint64 dataSectors = 62914560 + (serial.toLongLong(nullptr, 16) % 64) * 2048;
    return {QStringLiteral("31277232,ATA,FLASH-%1,ssd,sda").arg(model),
            QStringLiteral("%1,WDC,DATA-%2,hdd,sdb").arg(dataSectors).arg(serial)};
}

QByteArray StorageAgent::listFileContents(const QStringList &lines)
{
    QByteArray out;
    for (const QString &line : lines)
        out += line.toLatin1() + '\n';
    return out;
}

void StorageAgent::onFrame(const ReceivedFrame &frame)
{
    if (frame.type == CmdGetBlockDevices) {
        ++m_scans;
        m_transfers->upload(listFileName(m_device->config()), listFileContents(m_lines),
                            [this](bool ok, const QByteArray &) {
                                if (!ok)
                                    ++m_failedUploads;
                                emit listUploaded(ok);
                            });
    } else if (frame.type == CmdSetStorageWhiteList) {
        m_whiteLists.append(frame.payload());
        emit whiteListReceived(frame.payload());
    }
}
