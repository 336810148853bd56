// Runs a fuzz target without libFuzzer: every file named on the command line
// (or found in a directory named there) is fed once, then random mutations of
// those inputs are fed until the time given with -seconds=N runs out. Used
// for the short runs of the test suite; scripts/fuzz.sh uses libFuzzer.
#include <QByteArray>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cstdio>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);
extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv) __attribute__((weak));

static void feed(const QByteArray &input)
{
    LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t *>(input.constData()), size_t(input.size()));
}

static QByteArray mutate(QByteArray in, QRandomGenerator &rng)
{
    const int steps = 1 + int(rng.bounded(8));
    for (int i = 0; i < steps; ++i) {
        switch (rng.bounded(6)) {
        case 0: // flip a byte
            if (!in.isEmpty())
                in[int(rng.bounded(quint32(in.size())))] = char(rng.bounded(256));
            break;
        case 1: // insert random bytes
            in.insert(in.isEmpty() ? 0 : int(rng.bounded(quint32(in.size()))), QByteArray(1 + int(rng.bounded(16)), char(rng.bounded(256))));
            break;
        case 2: // cut
            if (!in.isEmpty())
                in.truncate(int(rng.bounded(quint32(in.size()))));
            break;
        case 3: // duplicate a slice
            if (!in.isEmpty()) {
                const int from = int(rng.bounded(quint32(in.size())));
                in.append(in.mid(from, 1 + int(rng.bounded(64))));
            }
            break;
        case 4: // interesting values
            if (in.size() >= 4) {
                const char values[] = {0, 1, 2, 3, 5, char(0x7f), char(0x80), char(0xff)};
                in[int(rng.bounded(quint32(in.size())))] = values[rng.bounded(8)];
            }
            break;
        default: // random tail
            in.append(QByteArray(int(rng.bounded(32)), char(rng.bounded(256))));
        }
    }
    if (in.size() > 70000)
        in.truncate(70000);
    return in;
}

int main(int argc, char **argv)
{
    if (LLVMFuzzerInitialize)
        LLVMFuzzerInitialize(&argc, &argv);
    int seconds = 0;
    QList<QByteArray> seeds;
    for (int i = 1; i < argc; ++i) {
        if (strncmp(argv[i], "-seconds=", 9) == 0) {
            seconds = atoi(argv[i] + 9);
            continue;
        }
        const QFileInfo info(QString::fromLocal8Bit(argv[i]));
        QStringList files;
        if (info.isDir()) {
            for (const QFileInfo &f : QDir(info.filePath()).entryInfoList(QDir::Files, QDir::Name))
                files << f.filePath();
        } else {
            files << info.filePath();
        }
        for (const QString &path : files) {
            QFile f(path);
            if (f.open(QIODevice::ReadOnly))
                seeds << f.readAll();
        }
    }
    if (seeds.isEmpty())
        seeds << QByteArray();
    for (const QByteArray &s : seeds)
        feed(s);

    QRandomGenerator rng(12345);
    QElapsedTimer clock;
    clock.start();
    qint64 runs = seeds.size();
    while (clock.elapsed() < seconds * 1000LL) {
        feed(mutate(seeds.at(int(rng.bounded(quint32(seeds.size())))), rng));
        ++runs;
    }
    fprintf(stderr, "standalone fuzz driver: %lld inputs, no crash\n", static_cast<long long>(runs));
    return 0;
}
