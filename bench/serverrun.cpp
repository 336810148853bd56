#include "serverrun.h"

#include "bareserver.h"
#include "consoleworld.h"
#include "procstats.h"

#include "commands/packets/delivery.h"
#include "commands/packets/everydaypackets.h"
#include "devicelink/sslserver.h"
#include "devicelink/thinclientinfo.h"
#include "mainwindow/deptinfo.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QSslSocket>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <functional>
#include <malloc.h>
#include <memory>

namespace {

constexpr int StepTimeoutMs = 300000;

// Spins the event loop until done() holds; false after the time-out.
bool waitFor(const std::function<bool()> &done, int timeoutMs = StepTimeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    }
    return true;
}

void settle(int ms)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
}

// The client processes and what they said.
class Clients : public QObject
{
public:
    Clients(const ServerRunOptions &options, quint16 port, QElapsedTimer *clock)
        : m_clock(clock)
    {
        const int perClient = (options.devices + options.clients - 1) / options.clients;
        for (int first = 0; first < options.devices; first += perClient) {
            auto *process = new QProcess(this);
            process->setProgram(QCoreApplication::applicationFilePath());
            process->setArguments({QStringLiteral("--client"), QStringLiteral("--port"), QString::number(port),
                                   QStringLiteral("--count"), QString::number(qMin(perClient, options.devices - first)),
                                   QStringLiteral("--first"), QString::number(first), QStringLiteral("--messages"),
                                   QString::number(options.messages)});
            process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
            process->setChildProcessModifier(&ProcStats::leaveProcessor);
            connect(process, &QProcess::readyReadStandardOutput, this, [this, process] { onOutput(process); });
            m_processes << process;
        }
    }
    ~Clients() override
    {
        // Closing their input ends them; a client that hangs is killed.
        for (QProcess *p : std::as_const(m_processes))
            p->closeWriteChannel();
        for (QProcess *p : std::as_const(m_processes))
            if (!p->waitForFinished(10000))
                p->kill();
        for (QProcess *p : std::as_const(m_processes))
            p->waitForFinished(5000);
    }

    void start()
    {
        for (QProcess *p : std::as_const(m_processes))
            p->start();
    }
    void tell(const QByteArray &line)
    {
        for (QProcess *p : std::as_const(m_processes))
            p->write(line + '\n');
    }
    qint64 count(const QByteArray &word) const { return m_counts.value(word); }
    int lines(const QByteArray &word) const { return m_lines.value(word); }
    int size() const { return int(m_processes.size()); }
    qint64 firstConnectingAt = -1;
    QByteArrayList failures;

private:
    void onOutput(QProcess *process)
    {
        while (process->canReadLine()) {
            const QByteArray line = process->readLine().trimmed();
            const QList<QByteArray> words = line.split(' ');
            if (words.first() == "connecting") {
                if (firstConnectingAt < 0)
                    firstConnectingAt = m_clock->elapsed();
            } else if (words.first() == "failed" || words.first() == "refused") {
                failures << line;
            } else if (words.size() >= 2) {
                ++m_lines[words.first()];
                m_counts[words.first()] += words.at(1).toLongLong();
                if (words.size() >= 3)
                    m_counts[words.first() + "_ok"] += words.at(2).toLongLong();
            }
        }
    }

    QElapsedTimer *m_clock;
    QList<QProcess *> m_processes;
    QHash<QByteArray, qint64> m_counts;
    QHash<QByteArray, int> m_lines;
};

// A timer that measures how late the event loop lets it fire.
class LatenessProbe : public QObject
{
public:
    static constexpr int IntervalMs = 10;
    LatenessProbe()
    {
        m_timer.setTimerType(Qt::PreciseTimer);
        m_timer.setInterval(IntervalMs);
        connect(&m_timer, &QTimer::timeout, this, [this] {
            const qint64 now = m_clock.nsecsElapsed();
            samples << qMax(0.0, double(now - m_last) / 1e6 - IntervalMs);
            m_last = now;
            if (onTick)
                onTick();
        });
    }
    void start()
    {
        m_clock.start();
        m_last = 0;
        m_timer.start();
    }
    void stop() { m_timer.stop(); }
    QList<double> samples;
    std::function<void()> onTick;

private:
    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_last = 0;
};

void makeFile(const QString &path, int mib)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return;
    QByteArray block(1 << 20, Qt::Uninitialized);
    QRandomGenerator rng(99);
    for (int i = 0; i < mib; ++i) {
        rng.fillRange(reinterpret_cast<quint32 *>(block.data()), block.size() / 4);
        file.write(block);
    }
}

} // namespace

int runServer(const ServerRunOptions &options)
{
    ProcStats::raiseFileLimit(4 * options.devices + 256);
    std::unique_ptr<ConsoleWorld> console;
    std::unique_ptr<BareServer> bare;
    std::function<int()> registered;
    quint16 port = 0;
    QString fileDir;
    QTemporaryDir bareDir;
    if (options.bare) {
        bare = std::make_unique<BareServer>();
        if (!bare->start())
            return 2;
        port = bare->serverPort();
        registered = [&bare] { return bare->registrations(); };
        fileDir = bareDir.path();
    } else {
        console = std::make_unique<ConsoleWorld>();
        if (!console->start())
            return 2;
        port = console->port();
        registered = [&console] { return console->registered(); };
        fileDir = console->firmwareDir();
    }
    const QString file = fileDir + QStringLiteral("/image.bin");
    if (options.bench == QLatin1String("download"))
        makeFile(file, options.fileMiB);
    if (options.bench == QLatin1String("unread"))
        makeFile(file, int((qint64(options.chunks) * 4092 + (1 << 20) - 1) >> 20));

    settle(300);
    const qint64 rssBefore = ProcStats::residentBytes();
    const qint64 heapBefore = ProcStats::heapInUse();
    QElapsedTimer clock;
    clock.start();
    Clients clients(options, port, &clock);
    clients.start();
    if (!waitFor([&] { return registered() >= options.devices || !clients.failures.isEmpty(); })
        || registered() < options.devices) {
        fprintf(stderr, "registration stalled at %d of %d: %s\n", registered(), options.devices,
                clients.failures.join("; ").constData());
        return 1;
    }
    const double registrationMs = double(clock.elapsed() - clients.firstConnectingAt);
    QStringList result;
    result << QStringLiteral("registration_ms=%1").arg(registrationMs, 0, 'f', 1);

    if (options.bench == QLatin1String("registration")) {
        settle(1000);
        const double perDevice = double(ProcStats::residentBytes() - rssBefore) / options.devices;
        result << QStringLiteral("rss_per_device=%1").arg(perDevice, 0, 'f', 0);

        // One command to every device, until each has it.
        const QByteArray command = Packets::setName(QStringLiteral("fan-out"));
        const qint64 start = clock.nsecsElapsed();
        if (bare) {
            for (QSslSocket *socket : bare->sockets())
                socket->write(command);
        } else {
            for (ThinclientInfo *record : std::as_const(console->orphans()->devices))
                record->checked = true;
            Delivery::writeToSelected(&console->orphans()->devices, command);
        }
        if (!waitFor([&] { return clients.count("received") >= options.devices; }))
            return 1;
        result << QStringLiteral("fanout_ms=%1").arg(double(clock.nsecsElapsed() - start) / 1e6, 0, 'f', 2);
    } else if (options.bench == QLatin1String("download")) {
        settle(200);
        LatenessProbe probe;
        const qint64 start = clock.nsecsElapsed();
        probe.start();
        clients.tell("download " + file.toLocal8Bit());
        if (!waitFor([&] { return clients.lines("downloaded") == clients.size(); }))
            return 1;
        probe.stop();
        const double seconds = double(clock.nsecsElapsed() - start) / 1e9;
        result << QStringLiteral("download_lateness_p99_ms=%1").arg(ProcStats::percentile(probe.samples, 0.99), 0, 'f', 2);
        const qint64 bytes = clients.count("downloaded");
        if (bytes != qint64(options.devices) * options.fileMiB * 1024 * 1024) {
            fprintf(stderr, "downloaded %lld bytes\n", static_cast<long long>(bytes));
            return 1;
        }
        result << QStringLiteral("download_mib_s=%1").arg(double(bytes) / (1 << 20) / seconds, 0, 'f', 1);
    } else if (options.bench == QLatin1String("unread") && console) {
        // Devices that ask for a file's chunks and read none of the answers,
        // against devices that download as much and read it all.
        settle(200);
        if (options.reading) {
            clients.tell("download " + file.toLocal8Bit());
            if (!waitFor([&] { return clients.lines("downloaded") == clients.size(); }))
                return 1;
        } else {
            clients.tell("ask " + file.toLocal8Bit() + ' ' + QByteArray::number(options.chunks));
            if (!waitFor([&] { return clients.lines("asked") == clients.size(); }))
                return 1;
        }
        // Until the answers waiting stop growing.
        qint64 queued = -1, last = -2, most = 0;
        while (queued != last) {
            last = queued;
            settle(1000);
            queued = most = 0;
            // An offline device's key is no socket: ask the records.
            for (const ThinclientInfo *record : std::as_const(console->devices)) {
                const qint64 waiting = record->online ? SSLServer::queuedAnswers(record->socket) : 0;
                queued += waiting;
                most = qMax(most, waiting);
            }
        }
        result << QStringLiteral("rss=%1").arg(ProcStats::residentBytes())
               << QStringLiteral("queued=%1").arg(queued) << QStringLiteral("queued_max=%1").arg(most);
    } else if (options.bench == QLatin1String("offline")) {
        // Every device goes away; the console keeps each one's record and
        // row, and should keep little else.
        settle(500);
        clients.tell("disconnect");
        auto gone = [&]() -> bool {
            if (bare)
                return bare->sockets().isEmpty();
            for (const ThinclientInfo *record : std::as_const(console->devices))
                if (record->online)
                    return false;
            return true;
        };
        if (!waitFor([&] { return clients.lines("disconnected") == clients.size() && gone(); }))
            return 1;
        settle(1000);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        // The handshakes of a whole fleet at once leave the allocator with
        // free memory it keeps for the next ones; what is resident beyond
        // that is what the offline devices cost.
        malloc_trim(0);
        result << QStringLiteral("offline_rss_per_device=%1")
                      .arg(double(ProcStats::residentBytes() - rssBefore) / options.devices, 0, 'f', 0)
               << QStringLiteral("offline_heap_per_device=%1")
                      .arg(double(ProcStats::heapInUse() - heapBefore) / options.devices, 0, 'f', 0);
    } else if (options.bench == QLatin1String("status")) {
        settle(500);
        const qint64 expectedFrames = qint64(options.devices) * (options.messages + 1);
        // A device's last report names it "done", and it stays so: the walk
        // goes on from the first device that was not.
        qsizetype firstNotDone = 0;
        auto applied = [&]() -> bool {
            if (bare)
                return bare->framesReceived() >= expectedFrames;
            const QList<ThinclientInfo *> &records = console->orphans()->devices;
            while (firstNotDone < records.size() && records.at(firstNotDone)->deviceName == QLatin1String("done"))
                ++firstNotDone;
            return firstNotDone == records.size();
        };
        LatenessProbe probe;
        bool done = false;
        qint64 doneAt = 0;
        // Looked at each time the event loop comes round, so that the end is
        // seen when it comes and not at the probe's next tick, 10 ms on.
        auto look = [&] {
            if (!done && applied()) {
                done = true;
                doneAt = clock.nsecsElapsed();
            }
        };
        QAbstractEventDispatcher *loop = QAbstractEventDispatcher::instance();
        const QMetaObject::Connection onAwake = QObject::connect(loop, &QAbstractEventDispatcher::awake, look);
        const QMetaObject::Connection onBlock = QObject::connect(loop, &QAbstractEventDispatcher::aboutToBlock, look);
        const qint64 start = clock.nsecsElapsed();
        probe.start();
        clients.tell("status");
        const bool finished = waitFor([&] { return done; });
        probe.stop();
        QObject::disconnect(onAwake);
        QObject::disconnect(onBlock);
        if (!finished)
            return 1;
        result << QStringLiteral("status_ms=%1").arg(double(doneAt - start) / 1e6, 0, 'f', 1)
               << QStringLiteral("lateness_p99_ms=%1").arg(ProcStats::percentile(probe.samples, 0.99), 0, 'f', 2)
               << QStringLiteral("lateness_max_ms=%1").arg(ProcStats::percentile(probe.samples, 1.0), 0, 'f', 2);
    }
    printf("result %s\n", qPrintable(result.join(QLatin1Char(' '))));
    fflush(stdout);
    return 0;
}
