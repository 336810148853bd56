#ifndef STORAGEAGENT_H
#define STORAGEAGENT_H

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QStringList>

#include "receivedframe.h"

class SimDevice;
class TransferQueue;
struct SimDeviceConfig;

// The dedicated-storage side of a device's agent: answers the console's scan
// (0x30) by uploading its block-device list through file transfer, and keeps
// every white list (0x31) the console sends.
class StorageAgent : public QObject
{
    Q_OBJECT
public:
    static constexpr quint8 CmdGetBlockDevices = 0x30;
    static constexpr quint8 CmdSetStorageWhiteList = 0x31;

    StorageAgent(SimDevice *device, TransferQueue *transfers, QObject *parent = nullptr);

    // The upload's name: the device's MAC address without separators, then
    // "_blkdev_list.lst" (the console collects "*_blkdev_list.lst").
    static QString listFileName(const SimDeviceConfig &config);
    // Two disks per device, "size,vendor,model,type,name" with the size in
    // 512-byte sectors; the system disk is the same on every device of a
    // model, the second one differs from device to device.
    static QStringList defaultBlockDevices(const SimDeviceConfig &config);
    // The bytes of a list file: one line each, every line ending in "\n".
    static QByteArray listFileContents(const QStringList &lines);

    void setBlockDevices(const QStringList &lines) { m_lines = lines; }
    const QStringList &blockDevices() const { return m_lines; }

    int scansAnswered() const { return m_scans; }
    int uploadsFailed() const { return m_failedUploads; }
    // The payloads of the white lists received, in order. The console's
    // answer to a device's own white-list request (49) has the command's
    // type, so it counts here too.
    const QList<QByteArray> &whiteLists() const { return m_whiteLists; }

signals:
    void listUploaded(bool ok);
    void whiteListReceived(const QByteArray &payload);

private:
    void onFrame(const ReceivedFrame &frame);

    SimDevice *m_device;
    TransferQueue *m_transfers;
    QStringList m_lines;
    int m_scans = 0;
    int m_failedUploads = 0;
    QList<QByteArray> m_whiteLists;
};

#endif // STORAGEAGENT_H
