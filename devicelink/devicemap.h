#ifndef DEVICEMAP_H
#define DEVICEMAP_H

#include <QHash>

class QSslSocket;
class ThinclientInfo;

// The registered devices, by their connection's socket; an offline device
// stays under a key of its own (SSLServer::offlineKey). Every report is
// looked up here: a hash finds a device in a step or two at any fleet size,
// where an ordered map's search walked a path of nodes spread over the heap.
// The order of a walk over it means nothing.
using DeviceMap = QHash<QSslSocket *, ThinclientInfo *>;

#endif // DEVICEMAP_H
