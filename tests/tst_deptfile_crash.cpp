// The department file survives a console killed while saving it: a child
// process (this test program, started again with --save-loop) saves two
// department lists in turn as fast as it can and is killed with SIGKILL at a
// random moment; the file must then hold one of the two lists, whole.
// ctest-timeout: 300
#include "mainwindow/department.h"
#include "mainwindow/departmentfile.h"
#include "mainwindow/deptinfo.h"
#include "scriptedprompter.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <cstring>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// Two lists of different sizes, large enough that a save takes a while and a
// kill can land in the middle of writing.
QList<DeptInfo *> departments(int generation)
{
    QList<DeptInfo *> list{DepartmentFile::defaultDepartment()};
    const int count = generation == 0 ? 300 : 420;
    for (int i = 1; i <= count; ++i) {
        auto *d = new DeptInfo;
        d->id = i;
        d->name = QStringLiteral("Floor %1, generation %2").arg(i).arg(generation);
        for (int m = 0; m < 12; ++m)
            d->macs << QStringLiteral("00:1a:%1:%2:%3:%4")
                           .arg(generation, 2, 16, QLatin1Char('0'))
                           .arg(i >> 8, 2, 16, QLatin1Char('0'))
                           .arg(i & 0xff, 2, 16, QLatin1Char('0'))
                           .arg(m, 2, 16, QLatin1Char('0'));
        list << d;
    }
    return list;
}

QByteArray bytesOf(int generation)
{
    const QList<DeptInfo *> list = departments(generation);
    const QByteArray bytes = DepartmentFile::format(list);
    qDeleteAll(list);
    return bytes;
}

// The child: saves generation 1 and 0 in turn until it is killed (or, should
// the parent be gone, for a minute at most). It says "ready" once, just
// before its first save, and "saved" after each.
int saveLoop(const QString &path)
{
    ScriptedPrompter prompts;
    QList<DeptInfo *> lists[2] = {departments(0), departments(1)};
    fputs("ready\n", stdout);
    fflush(stdout);
    int rc = 0;
    QElapsedTimer clock;
    clock.start();
    for (unsigned n = 0; clock.elapsed() < 60000; ++n) {
        if (Department::saveDepartments(path, &lists[(n + 1) % 2]) != 0) {
            rc = 3;   // a failed save is a fault of its own; the parent sees it
            break;
        }
        fputs("saved\n", stdout);
        fflush(stdout);
    }
    qDeleteAll(lists[0]);
    qDeleteAll(lists[1]);
    return rc;
}

} // namespace

class TestDeptFileCrash : public QObject
{
    Q_OBJECT
private slots:
    void killedWhileSaving();
};

void TestDeptFileCrash::killedWhileSaving()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QLatin1String(DepartmentFile::Name));
    const QByteArray old = bytesOf(0);
    const QByteArray fresh = bytesOf(1);
    QVERIFY(old != fresh);
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QCOMPARE(file.write(old), old.size());
    }

    QRandomGenerator rng(20240611);
    int sawOld = 0;
    int sawNew = 0;
    for (int round = 0; round < 100; ++round) {
        QProcess child;
        child.setProgram(QCoreApplication::applicationFilePath());
        child.setArguments({QStringLiteral("--save-loop"), path});
        child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        child.start();
        QVERIFY2(child.waitForStarted(10000), qPrintable(child.errorString()));
        QVERIFY(child.waitForReadyRead(30000));
        QCOMPARE(child.readLine().trimmed(), QByteArray("ready"));

        // After a few saves, counted whatever the machine's speed, and then
        // anywhere in the ones that follow: an odd count leaves the new list,
        // an even one the old, unless the kill lands later.
        const int saves = int(rng.bounded(4));
        for (int seen = 0; seen < saves;) {
            if (child.canReadLine()) {
                QCOMPARE(child.readLine().trimmed(), QByteArray("saved"));
                ++seen;
            } else {
                QVERIFY2(child.waitForReadyRead(30000), "the child stopped saving");
            }
        }
        ::usleep(useconds_t(rng.bounded(5000)));
        QCOMPARE(::kill(pid_t(child.processId()), SIGKILL), 0);
        QVERIFY(child.waitForFinished(10000));
        QCOMPARE(child.exitStatus(), QProcess::CrashExit);

        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray now = file.readAll();
        if (now == old)
            ++sawOld;
        else if (now == fresh)
            ++sawNew;
        else
            QFAIL(qPrintable(QStringLiteral("round %1: the file holds %2 bytes that are neither list")
                                 .arg(round)
                                 .arg(now.size())));
    }
    // Both outcomes must occur, or the kills did not land during the saves.
    qInfo("killed 100 saves: %d left the old list, %d the new one", sawOld, sawNew);
    QVERIFY(sawOld > 0);
    QVERIFY(sawNew > 0);

    // What the console reads back at its next start is the list in the file.
    const QList<DeptInfo *> *loaded = Department::loadDepartments(path);
    QVERIFY(loaded->size() == 301 || loaded->size() == 421);
    qDeleteAll(*loaded);
    delete loaded;
}

int main(int argc, char *argv[])
{
    if (argc == 3 && std::strcmp(argv[1], "--save-loop") == 0) {
        QCoreApplication app(argc, argv);
        return saveLoop(QString::fromLocal8Bit(argv[2]));
    }
    QCoreApplication app(argc, argv);
    TestDeptFileCrash test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_deptfile_crash.moc"
