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
#include <QHash>
#include <QRandomGenerator>
#include <QSslSocket>
#include <QStandardItem>

#include <cstdio>
#include <vector>

namespace {

// The thread's CPU time per item over runs of a given number of items; the
// median run stands for the whole.
class Runs
{
public:
    explicit Runs(int length) : m_length(length), m_start(ProcStats::threadCpuNs()) {}

    // After item k of count (from 0): a run ends at every length-th item
    // and at the last.
    void after(int k, int count)
    {
        if (k % m_length != m_length - 1 && k != count - 1)
            return;
        const qint64 now = ProcStats::threadCpuNs();
        m_runs << double(now - m_start) / (k % m_length + 1);
        m_start = now;
    }
    double median() const { return ProcStats::percentile(m_runs, 0.5); }

private:
    int m_length;
    qint64 m_start;
    QList<double> m_runs;
};

// Registers devices first .. first + count - 1 as the handshake and the
// registration frame would, letting the event loop run every hundred
// devices as it would between reads. Returns the thread's CPU time per
// device in nanoseconds, the median over those runs of a hundred: a short
// burst of other guests' work on a shared machine then weighs as one run,
// not as the whole. *grown gets what the resident memory grew by meanwhile.
double registerDevices(ConsoleWorld &world, QList<QSslSocket *> &sockets, int first, int count,
                       qint64 *grown = nullptr)
{
    QList<QByteArray> frames;
    for (int i = first; i < first + count; ++i) {
        frames << DeviceMessages::registration(SimDeviceConfig::numbered(i));
        sockets << new QSslSocket;   // a key only: nothing is sent or received
    }
    const qint64 rssBefore = ProcStats::residentBytes();
    Runs runs(100);
    for (int n = 0; n < count; ++n) {
        QSslSocket *socket = sockets.at(first + n);
        // What a passed handshake leaves behind.
        auto *record = new ThinclientInfo;
        record->authenticated = 1;
        record->socket = socket;
        record->online = true;
        world.server()->pendingDevices.append(record);
        world.server()->dispatchFrame(socket, frames.at(n));
        if (n % 100 == 99 || n == count - 1)
            QCoreApplication::processEvents();
        runs.after(n, count);
    }
    if (grown)
        *grown = ProcStats::residentBytes() - rssBefore;
    return runs.median();
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
// there. The median over runs of a thousand messages is kept, which leaves
// out the first runs' cold caches as well as bursts of other work. The
// devices are picked among those off screen: a shown row's repaint costs
// the same at any fleet size and would only blur what the update itself
// costs. The fleet is spread over several groups, so the shown rows are not
// simply the first devices registered: the view is asked.
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
    Runs runs(1000);
    for (int k = 0; k < messages; ++k) {
        world.server()->dispatchFrame(frames.at(k).first, frames.at(k).second);
        if (k % 100 == 99 || k == messages - 1)
            QCoreApplication::processEvents();
        runs.after(k, messages);
    }
    return runs.median();
}

// The least any console could do with such reports: find the device's
// record by its key and store the text into it and into its row's cell.
// Each device's blocks are as large as the console's own (a record, a
// row's cells, what else a device keeps) and lie apart in memory as those
// do. What this grows by from the smaller fleet to the larger is the cost
// of reaching that many devices' memory at random, however the rows are
// kept; the console's own growth is measured against it.
class BareFleet
{
public:
    ~BareFleet()
    {
        for (Device &d : m_devices) {
            for (Cell *c : d.record->cells)
                delete c;
            delete d.record;
            delete[] d.key;
            delete[] d.rest;
        }
    }

    void grow(int count)
    {
        for (int i = 0; i < count; ++i) {
            Device d;
            d.key = new char[512];   // the connection's object, here only a key
            d.record = new Record;
            for (Cell *&c : d.record->cells)
                c = new Cell;
            d.rest = new char[1536];
            m_map.insert(d.key, d.record);
            m_devices.push_back(d);
        }
    }

    // Nanoseconds per report, as statusCost measures the console's.
    double statusCost(int messages)
    {
        QRandomGenerator rng(17);
        QList<QPair<const char *, QString>> reports;
        for (int k = 0; k < messages; ++k)
            reports << qMakePair(m_devices.at(rng.bounded(quint32(m_devices.size()))).key,
                                 QStringLiteral("report %1").arg(k));
        Runs runs(1000);
        for (int k = 0; k < messages; ++k) {
            Record *record = m_map.value(reports.at(k).first);
            const int column = k % 3;
            record->texts[column] = reports.at(k).second;
            Cell *cell = record->cells[column];
            if (cell->text != record->texts[column])
                cell->text = record->texts[column];
            runs.after(k, messages);
        }
        return runs.median();
    }

private:
    struct Cell {
        QString text;
        char rest[96];   // an item and its private part
    };
    struct Record {
        QString texts[3];
        Cell *cells[3];
        char rest[1280];   // the record's other fields
    };
    struct Device {
        char *key;
        Record *record;
        char *rest;
    };
    QHash<const char *, Record *> m_map;
    std::vector<Device> m_devices;
};

} // namespace

int runTreeBench(int small, int large, int batch)
{
    ConsoleWorld world;
    if (!world.start(false))
        return 2;
    QList<QSslSocket *> sockets;
    registerDevices(world, sockets, 0, small);
    const double smallNs = registerDevices(world, sockets, small, batch);
    const double statusSmallNs = statusCost(world, sockets, 20000);
    // The records, rows and map entries of the bulk of the fleet: what the
    // console keeps per device besides its connection.
    qint64 grown = 0;
    const int bulk = large - small - batch;
    registerDevices(world, sockets, small + batch, bulk, &grown);
    const double largeNs = registerDevices(world, sockets, large, batch);
    const double statusLargeNs = statusCost(world, sockets, 20000);
    if (world.registered() != large + batch) {
        fprintf(stderr, "tree: %d of %d devices registered\n", world.registered(), large + batch);
        return 1;
    }
    qDeleteAll(sockets);
    BareFleet bare;
    bare.grow(small + batch);
    const double bareSmallNs = bare.statusCost(20000);
    bare.grow(large - small);
    const double bareLargeNs = bare.statusCost(20000);
    printf("result tree_small_us=%.1f tree_large_us=%.1f state_per_device=%.0f status_small_us=%.2f "
           "status_large_us=%.2f bare_status_small_us=%.3f bare_status_large_us=%.3f\n",
           smallNs / 1e3, largeNs / 1e3, double(grown) / bulk, statusSmallNs / 1e3, statusLargeNs / 1e3,
           bareSmallNs / 1e3, bareLargeNs / 1e3);
    fflush(stdout);
    return 0;
}
