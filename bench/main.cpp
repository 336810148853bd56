// korvane-bench: the device link's figures against bare baselines measured
// in the same run, printed as one table. Without arguments it runs every
// benchmark; each server and each group of simulated devices runs in a
// process of its own (this program, started again with --server or
// --client). Loopback only; run it through scripts/bench.sh.
#include "benchclient.h"
#include "procstats.h"
#include "serverrun.h"
#include "treebench.h"
#include "unpackbench.h"

#include "devicelink/utils.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QHash>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

using Figures = QHash<QString, double>;

constexpr int FleetDevices = 100;         // fetching one image at once
constexpr int FleetRegistration = 5000;   // connecting at once
constexpr int UnpackMiB = 500;            // an update package as large as firmware gets
constexpr int OfflineDevices = 3000;      // registering, then switched off

// Runs this program with the arguments and reads its "result" line.
Figures runChild(const QStringList &arguments)
{
    QProcess child;
    child.setProgram(QCoreApplication::applicationFilePath());
    child.setArguments(arguments);
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start();
    Figures figures;
    if (!child.waitForFinished(15 * 60 * 1000) || child.exitCode() != 0) {
        fprintf(stderr, "korvane-bench: %s failed\n", qPrintable(arguments.join(QLatin1Char(' '))));
        child.kill();
        child.waitForFinished();
        return figures;
    }
    for (const QByteArray &line : child.readAllStandardOutput().split('\n')) {
        if (!line.startsWith("result "))
            continue;
        for (const QByteArray &pair : line.mid(7).split(' ')) {
            const qsizetype eq = pair.indexOf('=');
            if (eq > 0)
                figures.insert(QString::fromLatin1(pair.left(eq)), pair.mid(eq + 1).toDouble());
        }
    }
    return figures;
}

double median(QList<double> values)
{
    if (values.isEmpty())
        return 0;
    std::sort(values.begin(), values.end());
    return values.at(values.size() / 2);
}

// The runs in the order taken, e.g. "61.2 58.0 70.4".
QString spread(const QList<double> &values)
{
    QStringList texts;
    for (double v : values)
        texts << QString::number(v, 'g', 4);
    return texts.join(QLatin1Char(' '));
}

// Runs the server process of a benchmark `repeat` times for the console and
// for the bare loop, in turn, and keeps the median of each figure.
QPair<Figures, Figures> runPair(const QStringList &arguments, int repeat)
{
    QHash<QString, QList<double>> console, bare;
    for (int r = 0; r < repeat; ++r) {
        for (bool isBare : {true, false}) {
            QStringList args = QStringList{QStringLiteral("--server")} + arguments;
            if (isBare)
                args << QStringLiteral("--bare");
            const Figures f = runChild(args);
            for (auto it = f.cbegin(); it != f.cend(); ++it)
                (isBare ? bare : console)[it.key()] << it.value();
        }
    }
    Figures c, b;
    // A median hides how far the runs of a loaded machine lie apart.
    for (const auto *runs : {&console, &bare})
        for (auto it = runs->cbegin(); it != runs->cend(); ++it)
            fprintf(stderr, "korvane-bench:   %s %s: %s\n", runs == &console ? "console" : "bare",
                    qPrintable(it.key()), qPrintable(spread(it.value())));
    for (auto it = console.cbegin(); it != console.cend(); ++it)
        c.insert(it.key(), median(it.value()));
    for (auto it = bare.cbegin(); it != bare.cend(); ++it)
        b.insert(it.key(), median(it.value()));
    return {c, b};
}

// Utils::fileMd5 against md5sum on the same file, read from the page cache
// by both; the best of three runs each.
Figures md5Bench(int mib)
{
    Figures f;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("image.bin"));
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            return f;
        QByteArray block(1 << 20, Qt::Uninitialized);
        QRandomGenerator rng(5);
        for (int i = 0; i < mib; ++i) {
            rng.fillRange(reinterpret_cast<quint32 *>(block.data()), block.size() / 4);
            file.write(block);
        }
    }
    QString ours;
    QByteArray theirs;
    double bestOurs = 1e18, bestTheirs = 1e18;
    for (int run = 0; run < 4; ++run) {
        QElapsedTimer clock;
        clock.start();
        QProcess md5sum;
        md5sum.start(QStringLiteral("md5sum"), {path});
        md5sum.waitForFinished(120000);
        theirs = md5sum.readAllStandardOutput().left(32);
        if (run > 0)   // the first run warms the page cache
            bestTheirs = std::min(bestTheirs, double(clock.nsecsElapsed()));
        clock.restart();
        Utils::fileMd5(path, &ours);
        if (run > 0)
            bestOurs = std::min(bestOurs, double(clock.nsecsElapsed()));
    }
    if (ours.toLatin1() != theirs) {
        fprintf(stderr, "md5: digests differ: %s %s\n", qPrintable(ours), theirs.constData());
        return f;
    }
    f.insert(QStringLiteral("ours_mib_s"), mib / (bestOurs / 1e9));
    f.insert(QStringLiteral("md5sum_mib_s"), mib / (bestTheirs / 1e9));
    return f;
}

QString number(double v, int decimals) { return QString::number(v, 'f', decimals); }
QString signedNumber(double v, int decimals) { return (v >= 0 ? QStringLiteral("+") : QString()) + number(v, decimals); }

struct Row {
    QString name, console, bare, ratio, goal;
    bool met;
};

void printTable(const QList<Row> &rows)
{
    QList<QStringList> cells{{QStringLiteral("Benchmark"), QStringLiteral("Console"), QStringLiteral("Bare baseline"),
                              QStringLiteral("Ratio"), QStringLiteral("Goal"), QStringLiteral("Met")}};
    for (const Row &r : rows)
        cells << QStringList{r.name, r.console, r.bare, r.ratio, r.goal,
                             r.goal == QLatin1String("-") ? r.goal : r.met ? QStringLiteral("yes") : QStringLiteral("NO")};
    QList<int> widths(cells.first().size(), 0);
    for (const QStringList &row : cells)
        for (int i = 0; i < row.size(); ++i)
            widths[i] = std::max(widths[i], int(row.at(i).size()));
    for (int r = 0; r < cells.size(); ++r) {
        QString line = QStringLiteral("|");
        for (int i = 0; i < cells[r].size(); ++i)
            line += QLatin1Char(' ') + cells[r].at(i).leftJustified(widths[i]) + QStringLiteral(" |");
        printf("%s\n", qPrintable(line));
        if (r == 0) {
            QString rule = QStringLiteral("|");
            for (int w : widths)
                rule += QString(w + 2, QLatin1Char('-')) + QLatin1Char('|');
            printf("%s\n", qPrintable(rule));
        }
    }
    fflush(stdout);
}

// The install of a large package: the window must keep answering meanwhile.
Row unpackRow()
{
    fprintf(stderr, "korvane-bench: install of a %d MiB package\n", UnpackMiB);
    const Figures f = runUnpackBench(UnpackMiB);
    const double late = f.value(QStringLiteral("lateness_ms"), -1), took = f.value(QStringLiteral("unpack_ms"));
    return Row{QStringLiteral("install of a %1 MiB package, worst event-loop lateness").arg(UnpackMiB),
               number(late, 0) + QStringLiteral(" ms"), number(took, 0) + QStringLiteral(" ms (the install)"),
               QString(), QStringLiteral("<= 100 ms"), late >= 0 && late <= 100};
}

int runAll(int devices, int clients, int repeat, int fileMiB, int md5MiB, int treeLarge)
{
    const QString n = QString::number(devices);
    const QStringList common{QStringLiteral("--devices"), n, QStringLiteral("--clients"), QString::number(clients)};
    QList<Row> rows;

    fprintf(stderr, "korvane-bench: registration, memory and fan-out (%d devices)\n", devices);
    const auto reg = runPair(QStringList{QStringLiteral("--bench"), QStringLiteral("registration")} + common, repeat);
    {
        const double c = reg.first.value(QStringLiteral("registration_ms")), b = reg.second.value(QStringLiteral("registration_ms"));
        rows << Row{QStringLiteral("registration, %1 devices").arg(devices), number(c, 0) + QStringLiteral(" ms"),
                    number(b, 0) + QStringLiteral(" ms"), number(c / b, 2) + QStringLiteral(" x"), QStringLiteral("<= 1.25 x"),
                    b > 0 && c / b <= 1.25};
        const double cm = reg.first.value(QStringLiteral("rss_per_device")) / 1024,
                     bm = reg.second.value(QStringLiteral("rss_per_device")) / 1024;
        rows << Row{QStringLiteral("resident memory per device"), number(cm, 1) + QStringLiteral(" KiB"),
                    number(bm, 1) + QStringLiteral(" KiB"), signedNumber(cm - bm, 1) + QStringLiteral(" KiB"),
                    QStringLiteral("<= +40 KiB"), cm - bm <= 40};
        const double cf = reg.first.value(QStringLiteral("fanout_ms")), bf = reg.second.value(QStringLiteral("fanout_ms"));
        rows << Row{QStringLiteral("fan-out, 1 command to %1 devices").arg(devices), number(cf, 1) + QStringLiteral(" ms"),
                    number(bf, 1) + QStringLiteral(" ms"), number(cf / bf, 2) + QStringLiteral(" x"),
                    QStringLiteral("<= 1.5 x"), bf > 0 && cf / bf <= 1.5};
    }

    // A site whose devices are switched off at night: the console keeps
    // their records and rows, and should keep nothing of their connections.
    fprintf(stderr, "korvane-bench: offline devices (%d register and disconnect)\n", OfflineDevices);
    const auto off = runPair({QStringLiteral("--bench"), QStringLiteral("offline"), QStringLiteral("--devices"),
                              QString::number(OfflineDevices), QStringLiteral("--clients"), QString::number(clients)},
                             repeat);
    {
        const double c = off.first.value(QStringLiteral("offline_rss_per_device")) / 1024,
                     b = off.second.value(QStringLiteral("offline_rss_per_device")) / 1024;
        rows << Row{QStringLiteral("offline device, resident growth per device (%1)").arg(OfflineDevices),
                    number(c, 1) + QStringLiteral(" KiB"), number(b, 1) + QStringLiteral(" KiB"),
                    signedNumber(c - b, 1) + QStringLiteral(" KiB"), QStringLiteral("<= 16 KiB"), c > 0 && c <= 16};
        // What the allocator has handed out and still counts as used: the
        // resident figure adds the pages that freed connections left partly
        // filled between the records and rows.
        const double ch = off.first.value(QStringLiteral("offline_heap_per_device")) / 1024,
                     bh = off.second.value(QStringLiteral("offline_heap_per_device")) / 1024;
        rows << Row{QStringLiteral("  heap in use per offline device"), number(ch, 1) + QStringLiteral(" KiB"),
                    number(bh, 1) + QStringLiteral(" KiB"), signedNumber(ch - bh, 1) + QStringLiteral(" KiB"),
                    QStringLiteral("<= 16 KiB"), ch > 0 && ch <= 16};
    }

    // A large site's fleet connecting at once; each device takes a descriptor
    // on both ends, which the server process raises its limit for.
    fprintf(stderr, "korvane-bench: registration (%d TLS devices)\n", FleetRegistration);
    const auto big = runPair({QStringLiteral("--bench"), QStringLiteral("registration"), QStringLiteral("--devices"),
                              QString::number(FleetRegistration), QStringLiteral("--clients"), QString::number(clients)},
                             repeat);
    {
        const double c = big.first.value(QStringLiteral("registration_ms")), b = big.second.value(QStringLiteral("registration_ms"));
        rows << Row{QStringLiteral("registration, %1 devices").arg(FleetRegistration), number(c, 0) + QStringLiteral(" ms"),
                    number(b, 0) + QStringLiteral(" ms"), number(c / b, 2) + QStringLiteral(" x"), QStringLiteral("<= 1.25 x"),
                    b > 0 && c / b <= 1.25};
    }

    fprintf(stderr, "korvane-bench: file serving (10 x %d MiB)\n", fileMiB);
    const auto dl = runPair({QStringLiteral("--bench"), QStringLiteral("download"), QStringLiteral("--devices"),
                             QStringLiteral("10"), QStringLiteral("--clients"), QStringLiteral("1"),
                             QStringLiteral("--file-mib"), QString::number(fileMiB)},
                            repeat);
    {
        const double c = dl.first.value(QStringLiteral("download_mib_s")), b = dl.second.value(QStringLiteral("download_mib_s"));
        rows << Row{QStringLiteral("file serving, 10 x %1 MiB (9/11/10)").arg(fileMiB), number(c, 1) + QStringLiteral(" MiB/s"),
                    number(b, 1) + QStringLiteral(" MiB/s"), number(c / b, 2), QStringLiteral(">= 0.7"), b > 0 && c / b >= 0.7};
    }

    // The whole fleet fetching one upgrade image at once: the console's
    // heaviest job, and the window must stay responsive meanwhile.
    fprintf(stderr, "korvane-bench: fleet download (%d x %d MiB)\n", FleetDevices, fileMiB);
    const auto fleet = runPair({QStringLiteral("--bench"), QStringLiteral("download"), QStringLiteral("--devices"),
                                QString::number(FleetDevices), QStringLiteral("--clients"), QString::number(clients),
                                QStringLiteral("--file-mib"), QString::number(fileMiB)},
                               repeat);
    {
        const double c = fleet.first.value(QStringLiteral("download_mib_s")),
                     b = fleet.second.value(QStringLiteral("download_mib_s"));
        rows << Row{QStringLiteral("fleet download, %1 x %2 MiB at once (9/11/10)").arg(FleetDevices).arg(fileMiB),
                    number(c, 1) + QStringLiteral(" MiB/s"), number(b, 1) + QStringLiteral(" MiB/s"), number(c / b, 2),
                    QStringLiteral(">= 0.9"), b > 0 && c / b >= 0.9};
        const double cl = fleet.first.value(QStringLiteral("download_lateness_p99_ms")),
                     bl = fleet.second.value(QStringLiteral("download_lateness_p99_ms"));
        rows << Row{QStringLiteral("  event-loop lateness, 99th percentile"), number(cl, 1) + QStringLiteral(" ms"),
                    number(bl, 1) + QStringLiteral(" ms"), signedNumber(cl - bl, 1) + QStringLiteral(" ms"),
                    QStringLiteral("<= 50 ms"), c > 0 && cl <= 50};
    }

    fprintf(stderr, "korvane-bench: status load (%d devices x 100 messages)\n", devices);
    const auto st = runPair(QStringList{QStringLiteral("--bench"), QStringLiteral("status")} + common, repeat);
    {
        const double c = st.first.value(QStringLiteral("status_ms")), b = st.second.value(QStringLiteral("status_ms"));
        rows << Row{QStringLiteral("status load, %1 x 100 messages, all applied").arg(devices), number(c, 0) + QStringLiteral(" ms"),
                    number(b, 0) + QStringLiteral(" ms"), number(c / b, 2) + QStringLiteral(" x"), QStringLiteral("<= 1.25 x"),
                    b > 0 && c / b <= 1.25};
        const double cl = st.first.value(QStringLiteral("lateness_p99_ms")), bl = st.second.value(QStringLiteral("lateness_p99_ms"));
        rows << Row{QStringLiteral("  event-loop lateness, 99th percentile"), number(cl, 1) + QStringLiteral(" ms"),
                    number(bl, 1) + QStringLiteral(" ms"), number(cl / bl, 2) + QStringLiteral(" x"),
                    QStringLiteral("<= 2 x"), bl > 0 && cl / bl <= 2};
    }

    fprintf(stderr, "korvane-bench: tree (registration cost at 1000 and %d devices)\n", treeLarge);
    QList<double> small, large, state, statusSmall, statusLarge, bareSmall, bareLarge;
    for (int r = 0; r < repeat; ++r) {
        const Figures t = runChild({QStringLiteral("--tree"), QStringLiteral("--large"), QString::number(treeLarge)});
        small << t.value(QStringLiteral("tree_small_us"));
        large << t.value(QStringLiteral("tree_large_us"));
        state << t.value(QStringLiteral("state_per_device"));
        statusSmall << t.value(QStringLiteral("status_small_us"));
        statusLarge << t.value(QStringLiteral("status_large_us"));
        bareSmall << t.value(QStringLiteral("bare_status_small_us"));
        bareLarge << t.value(QStringLiteral("bare_status_large_us"));
    }
    QStringList ratios, statusRatios, growths, bareGrowths;
    for (int r = 0; r < repeat; ++r) {
        ratios << number(large.at(r) / small.at(r), 2);
        statusRatios << number(statusLarge.at(r) / statusSmall.at(r), 2);
        growths << number((statusLarge.at(r) - statusSmall.at(r)) * 1000, 0);
        bareGrowths << number((bareLarge.at(r) - bareSmall.at(r)) * 1000, 0);
    }
    fprintf(stderr, "korvane-bench:   tree ratio per run: %s; status update ratio per run: %s\n",
            qPrintable(ratios.join(QLatin1Char(' '))), qPrintable(statusRatios.join(QLatin1Char(' '))));
    fprintf(stderr, "korvane-bench:   status update growth per run (ns): console %s; bare %s\n",
            qPrintable(growths.join(QLatin1Char(' '))), qPrintable(bareGrowths.join(QLatin1Char(' '))));
    {
        const double s = median(small), l = median(large);
        rows << Row{QStringLiteral("tree, registration per device at %1 vs 1000").arg(treeLarge),
                    number(l, 1) + QStringLiteral(" us"), number(s, 1) + QStringLiteral(" us (at 1000)"),
                    number(l / s, 2) + QStringLiteral(" x"), QStringLiteral("<= 1.15 x"), s > 0 && l / s <= 1.15};
        const double ss = median(statusSmall), sl = median(statusLarge);
        rows << Row{QStringLiteral("  status update, random off-screen device, %1 vs 2000").arg(treeLarge + 1000),
                    number(sl, 1) + QStringLiteral(" us"), number(ss, 1) + QStringLiteral(" us (at 2000)"),
                    number(sl / ss, 2) + QStringLiteral(" x"),
                    QStringLiteral("<= 1.1 x"), ss > 0 && sl / ss <= 1.1};
        // No goal: what reaching more devices' memory costs at all, so that
        // the console's own growth can be told from it.
        const double bs = median(bareSmall), bl = median(bareLarge);
        rows << Row{QStringLiteral("  growth per update, %1 vs 2000, console against a bare look-up and store").arg(treeLarge + 1000),
                    signedNumber((sl - ss) * 1000, 0) + QStringLiteral(" ns"), signedNumber((bl - bs) * 1000, 0) + QStringLiteral(" ns"),
                    signedNumber((sl - ss - bl + bs) * 1000, 0) + QStringLiteral(" ns"), QStringLiteral("-"), true};
        // What the memory row's TLS-dominated difference cannot show.
        const double kib = median(state) / 1024;
        rows << Row{QStringLiteral("  record, row and map entry per device (no TLS)"), number(kib, 1) + QStringLiteral(" KiB"),
                    QStringLiteral("-"), QStringLiteral("-"), QStringLiteral("<= 40 KiB"), kib > 0 && kib <= 40};
    }

    fprintf(stderr, "korvane-bench: devices that ask and never read (200 x 1000 chunks)\n");
    QList<double> unread, reading;
    const QStringList unreadArgs{QStringLiteral("--server"), QStringLiteral("--bench"), QStringLiteral("unread"),
                                 QStringLiteral("--devices"), QStringLiteral("200"), QStringLiteral("--clients"),
                                 QString::number(clients)};
    for (int r = 0; r < repeat; ++r) {
        unread << runChild(unreadArgs).value(QStringLiteral("rss"));
        reading << runChild(unreadArgs + QStringList{QStringLiteral("--reading")}).value(QStringLiteral("rss"));
    }
    {
        const double u = median(unread) / (1 << 20), w = median(reading) / (1 << 20);
        rows << Row{QStringLiteral("resident memory, 200 devices ask 1000 chunks, read none"),
                    number(u, 0) + QStringLiteral(" MiB"), number(w, 0) + QStringLiteral(" MiB (reading)"),
                    number(u / w, 2) + QStringLiteral(" x"), QStringLiteral("<= 1.5 x"), w > 0 && u / w <= 1.5};
    }

    fprintf(stderr, "korvane-bench: Utils::fileMd5 on %d MiB\n", md5MiB);
    const Figures md5 = md5Bench(md5MiB);
    {
        const double o = md5.value(QStringLiteral("ours_mib_s")), t = md5.value(QStringLiteral("md5sum_mib_s"));
        rows << Row{QStringLiteral("Utils::fileMd5, %1 MiB").arg(md5MiB), number(o, 0) + QStringLiteral(" MiB/s"),
                    number(t, 0) + QStringLiteral(" MiB/s (md5sum)"), number(o / t, 2), QStringLiteral(">= 0.9"),
                    t > 0 && o / t >= 0.9};
    }
    rows << unpackRow();
    printTable(rows);
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    bool client = false, gui = false;
    for (int i = 1; i < argc; ++i) {
        client = client || std::strcmp(argv[i], "--client") == 0;
        gui = gui || std::strcmp(argv[i], "--server") == 0 || std::strcmp(argv[i], "--tree") == 0;
    }
    // The console's side builds device trees: widgets, drawn offscreen.
    if (gui && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QScopedPointer<QCoreApplication> app(gui ? new QApplication(argc, argv) : new QCoreApplication(argc, argv));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Benchmarks of the device link (loopback only)"));
    parser.addHelpOption();
    const QCommandLineOption clientOpt(QStringLiteral("client"), QStringLiteral("Run simulated devices."));
    const QCommandLineOption serverOpt(QStringLiteral("server"), QStringLiteral("Run one benchmark's server."));
    const QCommandLineOption treeOpt(QStringLiteral("tree"), QStringLiteral("Run the tree benchmark."));
    const QCommandLineOption unpackOpt(QStringLiteral("unpack"), QStringLiteral("Run only the package install benchmark."));
    const QCommandLineOption bareOpt(QStringLiteral("bare"), QStringLiteral("Use the bare TLS loop."));
    const QCommandLineOption readingOpt(QStringLiteral("reading"), QStringLiteral("Devices read their answers (unread)."));
    const QCommandLineOption benchOpt(QStringLiteral("bench"), QStringLiteral("registration, download, status, unread or offline."),
                                      QStringLiteral("name"));
    const QCommandLineOption portOpt(QStringLiteral("port"), QStringLiteral("Server port (client)."), QStringLiteral("port"));
    const QCommandLineOption countOpt(QStringLiteral("count"), QStringLiteral("Devices of this client."), QStringLiteral("n"), QStringLiteral("1"));
    const QCommandLineOption firstOpt(QStringLiteral("first"), QStringLiteral("Number of the first device."), QStringLiteral("n"), QStringLiteral("0"));
    const QCommandLineOption devicesOpt(QStringLiteral("devices"), QStringLiteral("Devices in all."), QStringLiteral("n"), QStringLiteral("1000"));
    const QCommandLineOption clientsOpt(QStringLiteral("clients"), QStringLiteral("Client processes."), QStringLiteral("n"), QStringLiteral("4"));
    const QCommandLineOption messagesOpt(QStringLiteral("messages"), QStringLiteral("Status messages per device."), QStringLiteral("n"), QStringLiteral("100"));
    const QCommandLineOption fileOpt(QStringLiteral("file-mib"), QStringLiteral("Downloaded file size."), QStringLiteral("MiB"), QStringLiteral("32"));
    const QCommandLineOption md5Opt(QStringLiteral("md5-mib"), QStringLiteral("Size of the digested file."), QStringLiteral("MiB"), QStringLiteral("256"));
    const QCommandLineOption largeOpt(QStringLiteral("large"), QStringLiteral("Fleet size of the tree benchmark."), QStringLiteral("n"), QStringLiteral("10000"));
    const QCommandLineOption repeatOpt(QStringLiteral("repeat"), QStringLiteral("Runs of each benchmark (median)."), QStringLiteral("n"), QStringLiteral("3"));
    parser.addOptions({clientOpt, serverOpt, treeOpt, bareOpt, benchOpt, portOpt, countOpt, firstOpt, devicesOpt, clientsOpt,
                       messagesOpt, fileOpt, md5Opt, largeOpt, repeatOpt, readingOpt, unpackOpt});
    parser.process(*app);

    if (parser.isSet(clientOpt)) {
        ClientOptions options;
        options.port = quint16(parser.value(portOpt).toUInt());
        options.count = qMax(1, parser.value(countOpt).toInt());
        options.firstIndex = qMax(0, parser.value(firstOpt).toInt());
        options.messages = qMax(1, parser.value(messagesOpt).toInt());
        BenchClient client(options);
        QTimer::singleShot(0, &client, &BenchClient::start);
        return app->exec();
    }
    if (parser.isSet(serverOpt)) {
        ServerRunOptions options;
        options.bench = parser.value(benchOpt);
        options.bare = parser.isSet(bareOpt);
        options.reading = parser.isSet(readingOpt);
        options.devices = qMax(1, parser.value(devicesOpt).toInt());
        options.clients = qBound(1, parser.value(clientsOpt).toInt(), options.devices);
        options.messages = qMax(1, parser.value(messagesOpt).toInt());
        options.fileMiB = qMax(1, parser.value(fileOpt).toInt());
        ProcStats::keepProcessor();   // its devices run beside it
        return runServer(options);
    }
    if (parser.isSet(unpackOpt)) {
        printTable({unpackRow()});
        return 0;
    }
    if (parser.isSet(treeOpt)) {
        ProcStats::keepProcessor();
        return runTreeBench(1000, qMax(2000, parser.value(largeOpt).toInt()), 1000);
    }
    return runAll(qMax(1, parser.value(devicesOpt).toInt()), qMax(1, parser.value(clientsOpt).toInt()),
                  qMax(1, parser.value(repeatOpt).toInt()), qMax(1, parser.value(fileOpt).toInt()),
                  qMax(1, parser.value(md5Opt).toInt()), qMax(2000, parser.value(largeOpt).toInt()));
}
