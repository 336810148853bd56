#include "deviceagent.h"
#include "signageagent.h"
#include "simdevice.h"
#include "storageagent.h"
#include "transferqueue.h"
#include "upgradeagent.h"

DeviceAgent::DeviceAgent(SimDevice *device)
    : QObject(device),
      m_transfers(new TransferQueue(device, this)),
      m_storage(new StorageAgent(device, m_transfers, this)),
      m_signage(new SignageAgent(device, m_transfers, this)),
      m_upgrades(new UpgradeAgent(device, m_transfers, this))
{
}
