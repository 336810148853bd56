#include "treebench.h"

#include "consoleworld.h"
#include "procstats.h"

#include "devicelink/sslserver.h"
#include "devicelink/thinclientinfo.h"
#include "mainwindow/deptinfo.h"
#include "mainwindow/orltreeview.h"
#include "devicemessages.h"
#include "simdeviceconfig.h"
#include "statusmessages.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QRandomGenerator>
#include <QSslSocket>
#include <QStandardItem>

#include <cstdio>

namespace {

// Registers devices first .. first + count - 1 as the handshake and the
// registration frame would, letting the event loop run every hundred
// devices as it would between reads. Returns the thread's CPU time spent,
// in nanoseconds; *grown
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
    const qint64 cpuBefore = ProcStats::threadCpuNs();
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
    const qint64 spent = ProcStats::threadCpuNs() - cpuBefore;
    if (grown)
        *grown = ProcStats::residentBytes() - rssBefore;
    return timed ? spent : 0;
}
// Whether the device's row is in the view's viewport now.
bool shown(const ConsoleWorld &world, QSslSocket *socket)
{
    const ThinclientInfo *record = world.devices.value(socket, nullptr);
    const OrlTreeView *view = world.orphans()->treeView;
    return record && record->item && view
           && view->visualRect(record->item->index()).intersects(view->viewport()->rect());
}

// Status messages (name, status text, firmware version in turn) from
// registered devices picked at random, as a fleet's reports arrive. The
// event loop runs every hundred messages, as it would between reads; the
// dispatch and those passes are timed, since the view hears of changed rows
// there. The devices are picked among those off screen: a shown row's
// repaint costs the same at any fleet size and would only blur what the
// update itself costs. The fleet is spread over several groups, so the
// shown rows are not simply the first devices registered: the view is asked.
// Returns nanoseconds per message.
double statusCost(ConsoleWorld &world, const QList<QSslSocket *> &sockets, int messages)
{
    // The repaints that the registrations left waiting (a frame's time on)
    // are theirs, not the reports'; the rows are laid out by then.
    QElapsedTimer settle;
    settle.start();
    while (settle.elapsed() < 100)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    QList<QSslSocket *> offScreen;
    for (QSslSocket *socket : sockets)
        if (!shown(world, socket))
            offScreen << socket;
    QRandomGenerator rng(17);
    QList<QPair<QSslSocket *, QByteArray>> frames;
    for (int k = 0; k < messages; ++k) {
        QSslSocket *socket = offScreen.at(int(rng.bounded(quint32(offScreen.size()))));
        const QString text = QStringLiteral("report %1").arg(k);
        frames << qMakePair(socket, k % 3 == 0   ? StatusMessages::deviceName(text)
                                    : k % 3 == 1 ? StatusMessages::status(quint8(k % 4), text)
                                                 : StatusMessages::firmwareVersion(text));
    }
    const qint64 before = ProcStats::threadCpuNs();
    for (int k = 0; k < messages; ++k) {
        world.server()->dispatchFrame(frames.at(k).first, frames.at(k).second);
        if (k % 100 == 99)
            QCoreApplication::processEvents();
    }
    QCoreApplication::processEvents();
    return double(ProcStats::threadCpuNs() - before) / messages;
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
    const double statusSmallNs = statusCost(world, sockets, 20000);
    // The records, rows and map entries of the bulk of the fleet: what the
    // console keeps per device besides its connection.
    qint64 grown = 0;
    const int bulk = large - small - batch;
    registerDevices(world, sockets, small + batch, bulk, false, &grown);
    const qint64 largeNs = registerDevices(world, sockets, large, batch, true);
    const double statusLargeNs = statusCost(world, sockets, 20000);
    if (world.registered() != large + batch) {
        fprintf(stderr, "tree: %d of %d devices registered\n", world.registered(), large + batch);
        return 1;
    }
    qDeleteAll(sockets);
    printf("result tree_small_us=%.1f tree_large_us=%.1f state_per_device=%.0f status_small_us=%.2f "
           "status_large_us=%.2f\n",
           double(smallNs) / batch / 1e3, double(largeNs) / batch / 1e3, double(grown) / bulk, statusSmallNs / 1e3,
           statusLargeNs / 1e3);
    fflush(stdout);
    return 0;
}
