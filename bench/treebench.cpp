#include "treebench.h"

#include "consoleworld.h"

#include "devicelink/sslserver.h"
#include "devicelink/thinclientinfo.h"
#include "devicemessages.h"
#include "simdeviceconfig.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSslSocket>

#include <cstdio>

namespace {
// Registers devices first .. first + count - 1 as the handshake and the
// registration frame would, letting the event loop run every hundred
// devices as it would between reads. Returns the nanoseconds spent.
qint64 registerDevices(ConsoleWorld &world, QList<QSslSocket *> &sockets, int first, int count, bool timed)
{
    QList<QByteArray> frames;
    for (int i = first; i < first + count; ++i) {
        frames << DeviceMessages::registration(SimDeviceConfig::numbered(i));
        sockets << new QSslSocket;   // a key only: nothing is sent or received
    }
    QElapsedTimer clock;
    clock.start();
    for (int n = 0; n < count; ++n) {
        QSslSocket *socket = sockets.at(first + n);
        // What a passed handshake leaves behind.
        auto *record = new ThinclientInfo;
        record->authenticated = 1;
        record->socket = socket;
        record->online = true;
        world.server()->pendingDevices.append(record);
        world.server()->dispatchFrame(socket, frames.at(n));
        if (n % 100 == 99)
            QCoreApplication::processEvents();
    }
    QCoreApplication::processEvents();
    return timed ? clock.nsecsElapsed() : 0;
}
} // namespace

int runTreeBench(int small, int large, int batch)
{
    ConsoleWorld world;
    if (!world.start(false))
        return 2;
    QList<QSslSocket *> sockets;
    registerDevices(world, sockets, 0, small, false);
    const qint64 smallNs = registerDevices(world, sockets, small, batch, true);
    registerDevices(world, sockets, small + batch, large - small - batch, false);
    const qint64 largeNs = registerDevices(world, sockets, large, batch, true);
    if (world.registered() != large + batch) {
        fprintf(stderr, "tree: %d of %d devices registered\n", world.registered(), large + batch);
        return 1;
    }
    qDeleteAll(sockets);
    printf("result tree_small_us=%.1f tree_large_us=%.1f\n", double(smallNs) / batch / 1e3,
           double(largeNs) / batch / 1e3);
    fflush(stdout);
    return 0;
}
