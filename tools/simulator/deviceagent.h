#ifndef DEVICEAGENT_H
#define DEVICEAGENT_H

#include <QObject>

class SignageAgent;
class SimDevice;
class StorageAgent;
class TransferQueue;
class UpgradeAgent;

// The parts of a device's agent that move files: the storage scan and white
// list, the signage sync and the upgrades, sharing the device's one file
// transfer.
// Made a child of the device, it lives as long as the device does.
class DeviceAgent : public QObject
{
    Q_OBJECT
public:
    explicit DeviceAgent(SimDevice *device);

    TransferQueue *transfers() const { return m_transfers; }
    StorageAgent *storage() const { return m_storage; }
    SignageAgent *signage() const { return m_signage; }
    UpgradeAgent *upgrades() const { return m_upgrades; }

private:
    TransferQueue *m_transfers;
    StorageAgent *m_storage;
    SignageAgent *m_signage;
    UpgradeAgent *m_upgrades;
};

#endif // DEVICEAGENT_H
