#include "unpackbench.h"

#include "updates/core/packageinstaller.h"

#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>

QHash<QString, double> runUnpackBench(int mib)
{
    QHash<QString, double> figures;
    const QString archiver = PackageInstaller::findArchiver(QString());
    QTemporaryDir dir;
    if (archiver.isEmpty() || !dir.isValid())
        return figures;
    const QString package = dir.filePath(QStringLiteral("package.7z"));
    QProcess pack;
    pack.start(QStringLiteral("sh"), {QStringLiteral("-c"), QStringLiteral("head -c %1 /dev/urandom | \"$0\" a -bd -mx0 -siimage.bin \"$1\"")
                                                                .arg(qint64(mib) << 20),
                                      archiver, package});
    if (!pack.waitForFinished(120000) || pack.exitCode() != 0)
        return figures;
    const QString target = dir.filePath(QStringLiteral("store/firmware"));
    QDir().mkpath(target);

    QElapsedTimer clock;
    clock.start();
    qint64 last = 0;
    qint64 worst = 0;
    QTimer tick;
    tick.setTimerType(Qt::PreciseTimer);
    tick.setInterval(10);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        const qint64 now = clock.elapsed();
        worst = std::max(worst, now - last - 10);
        last = now;
    });
    QEventLoop loop;
    qint64 unpackMs = 0;
    QElapsedTimer install;
    PackageInstaller::Unpack unpack(archiver, package, target);
    QObject::connect(&unpack, &PackageInstaller::Unpack::finished, [&] {
        unpackMs = install.elapsed();
        QTimer::singleShot(50, &loop, &QEventLoop::quit);
    });
    QTimer::singleShot(50, [&] {
        install.start();
        unpack.start();
    });
    tick.start();
    loop.exec();
    if (unpack.result() != PackageInstaller::Result::Unpacked) {
        fprintf(stderr, "korvane-bench: the package was not installed: %s\n", qPrintable(unpack.reason()));
        return figures;
    }
    figures.insert(QStringLiteral("unpack_ms"), double(unpackMs));
    figures.insert(QStringLiteral("lateness_ms"), double(worst));
    return figures;
}
