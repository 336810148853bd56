#include "delivery.h"

#include "devicelink/sslserver.h"
#include "devicelink/thinclientinfo.h"

namespace Delivery {

bool isSelected(const ThinclientInfo *device)
{
    return device && device->checked && device->online && device->socket;
}

QList<ThinclientInfo *> selectedDevices(const QList<ThinclientInfo *> *department)
{
    QList<ThinclientInfo *> out;
    if (department)
        for (ThinclientInfo *device : *department)
            if (isSelected(device))
                out << device;
    return out;
}

int countSelectedDevices(const QList<ThinclientInfo *> *department)
{
    return int(selectedDevices(department).size());
}

bool writeIfReachable(ThinclientInfo *device, const QByteArray &frame)
{
    if (!device || !device->online || !device->socket || frame.isEmpty())
        return false;
    // The result is not looked at: a failing socket reports itself through
    // its own error and disconnect handling, which marks the device offline.
    SSLServer::writeToDevice(device->socket, frame);
    return true;
}

int writeToSelected(const QList<ThinclientInfo *> *department, const QByteArray &frame)
{
    if (!department || frame.isEmpty())
        return 0;
    // A copy: a socket's error handling may run while we write and change
    // the department's list under us.
    const QList<ThinclientInfo *> devices = *department;
    int reached = 0;
    for (ThinclientInfo *device : devices)
        if (isSelected(device) && writeIfReachable(device, frame))
            ++reached;
    return reached;
}

} // namespace Delivery
