#include "treebench.h"

#include "consoleworld.h"
#include "procstats.h"

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
// devices as it would between reads. Returns the nanoseconds spent; *grown
// gets what the resident memory grew by meanwhile.
qint64 registerDevices(ConsoleWorld &world, QList<QSslSocket *> &sockets, int first, int count, bool timed,
                       qint64 *grown = nullptr)
{
    QList<QByteArray> frames;
    for (int i = first; i < first + count; ++i) {
        frames << DeviceMessages::registration(SimDeviceConfig::numbered(i));
        sockets << new QSslSocket;   // a key only: nothing is sent or received
    }
    const qint64 rssBefore = ProcStats::residentBytes();
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
    const qint64 spent = clock.nsecsElapsed();
    if (grown)
        *grown = ProcStats::residentBytes() - rssBefore;
    return timed ? spent : 0;
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
    // The records, rows and map entries of the bulk of the fleet: what the
    // console keeps per device besides its connection.
    qint64 grown = 0;
    const int bulk = large - small - batch;
    registerDevices(world, sockets, small + batch, bulk, false, &grown);
    const qint64 largeNs = registerDevices(world, sockets, large, batch, true);
    if (world.registered() != large + batch) {
        fprintf(stderr, "tree: %d of %d devices registered\n", world.registered(), large + batch);
        return 1;
    }
    qDeleteAll(sockets);
    printf("result tree_small_us=%.1f tree_large_us=%.1f state_per_device=%.0f\n", double(smallNs) / batch / 1e3,
           double(largeNs) / batch / 1e3, double(grown) / bulk);
    fflush(stdout);
    return 0;
}
