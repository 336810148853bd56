// The package installer: its reading of 7-Zip's listing, its bounds, and
// installs with the real 7zz of packages the test makes (a bomb, "../"
// entries, a link, corrupt ones, good ones) into a store that must end
// either merged or as it was, with nothing left beside it.
#include "updates/core/packageinstaller.h"
#include "failingwrites.h"
#include "testfiles.h"

#include <QDir>
#include <QDirIterator>
#include <QProcess>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QStorageInfo>
#include <QTemporaryDir>
#include <QTest>

#include <fstream>
#include <csignal>

#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

using namespace PackageInstaller;

namespace {

using Tree = QMap<QString, QByteArray>;   // relative path -> contents ("/" for a folder)

Tree snapshot(const QString &root)
{
    Tree tree;
    QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo info(it.next());
        tree.insert(QDir(root).relativeFilePath(info.filePath()), info.isDir() ? QByteArray("/") : TestFiles::read(info.filePath()));
    }
    return tree;
}

bool run(const QStringList &arguments, const QString &dir)
{
    QProcess p;
    p.setWorkingDirectory(dir);
    p.start(QStringLiteral("sh"), QStringList{QStringLiteral("-c")} + arguments);
    return p.waitForFinished(60000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

QByteArray entry(const QByteArray &path, const char *size)
{
    return QByteArray("Path = ") + path + "\nSize = " + size + "\nPacked Size = 9\nAttributes = A -rw-r--r--\n\n";
}

// Set for the copy of this program that killedConsoleTakesTheArchiver
// starts as a console to kill: it installs <dir>/p.7z with <dir>/slow7z.
const char KilledConsoleDir[] = "KORVANE_KILLED_CONSOLE_DIR";

// A process that has not ended (a zombie has).
bool running(pid_t pid)
{
    if (pid <= 0 || ::kill(pid, 0) != 0)
        return false;
    const QByteArray stat = TestFiles::read(QStringLiteral("/proc/%1/stat").arg(pid));
    const qsizetype close = stat.lastIndexOf(')');
    return close < 0 || stat.mid(close + 2, 1) != "Z";
}

// Set for the copy of this program that killedWhileMoving starts: it moves
// <dir>/from into <dir>/store and kills itself at the rename this names.
const char KillAtRename[] = "KORVANE_KILL_AT_RENAME";
int renamesLeft = -1;

// failedMoveIsUndone's: no exchange of two files in one step, and a rename
// onto this path that fails as one onto another disk.
bool exchangeRefused = false;
QByteArray refusedRename;

bool renamed(const char *to)
{
    if (renamesLeft > 0 && --renamesLeft == 0)
        ::raise(SIGKILL);
    if (to != refusedRename)
        return true;
    errno = EXDEV;
    return false;
}

const QByteArray Head = "7-Zip (z)\n\nListing archive: p.7z\n\n--\nPath = p.7z\nType = 7z\nPhysical Size = 99\n\n----------\n";

} // namespace

class TestPackageInstaller : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    QString m_7z;
    QString m_store;   // <dir>/work/firmware

    // The package made in <dir>/make by the shell command: $P, a 7z
    // archive, or one of another format named $P.tar, $P.gz... (7-Zip
    // warns of a package whose name is not its format's).
    QString makePackage(const QString &command)
    {
        const QString make = m_dir.filePath(QStringLiteral("make"));
        QDir(make).removeRecursively();
        QDir().mkpath(make + QStringLiteral("/sub"));
        const QString package = m_dir.filePath(QStringLiteral("package.7z"));
        const QStringList pattern{QStringLiteral("package.7z*")};
        for (const QString &old : QDir(m_dir.path()).entryList(pattern))
            QFile::remove(m_dir.filePath(old));
        if (!run({QStringLiteral("Z=\"$0\" P=\"$1\"; ") + command, m_7z, package}, make))
            return QString();
        const QStringList made = QDir(m_dir.path()).entryList(pattern);
        return made.size() == 1 ? m_dir.filePath(made.first()) : QString();
    }

    Unpack *unpack(const QString &program, const QString &package)
    {
        auto *u = new Unpack(program, package, m_store, this);
        return u;
    }

    static bool waitFinished(Unpack *u)
    {
        QSignalSpy done(u, &Unpack::finished);
        u->start();
        return done.wait(60000) && done.size() == 1;
    }

    QStringList siblings() const
    {
        return QDir(m_dir.filePath(QStringLiteral("work"))).entryList({QStringLiteral(".firmware.unpack-*")},
                                                                         QDir::AllEntries | QDir::Hidden);
    }

    // A stand-in for 7-Zip: lists one small file, then on "x" writes into
    // its output folder and sleeps.
    QString slowArchiver()
    {
        const QString path = m_dir.filePath(QStringLiteral("slow7z"));
        TestFiles::write(path, "#!/bin/sh\n"
                               "if [ \"$1\" = l ]; then printf -- '----------\\nPath = a.bin\\nSize = 10\\n\\n'; exit 0; fi\n"
                               "out=${3#-o}; echo partial > \"$out/a.bin\"; exec sleep 60\n");
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        return path;
    }

private slots:
    void initTestCase()
    {
        m_7z = findArchiver(QString());
        if (m_7z.isEmpty())
            QSKIP("7-Zip is not installed (scripts/setup.sh installs it)");
        m_store = m_dir.filePath(QStringLiteral("work/firmware"));
    }

    void init()
    {
        setFreeSpaceProbe(nullptr);
        QDir(m_dir.filePath(QStringLiteral("work"))).removeRecursively();
        // What the store holds before every install.
        QVERIFY(TestFiles::write(m_store + QStringLiteral("/keep.txt"), "kept"));
        QVERIFY(TestFiles::write(m_store + QStringLiteral("/ORL_K1/1.0/uImage.bin"), "old kernel"));
    }

    void readListing_data()
    {
        QTest::addColumn<QByteArray>("output");
        QTest::addColumn<qint64>("total");
        QTest::addColumn<QString>("refusal");   // start of the refusal; empty: none
        const QString outside = QStringLiteral("it names a file outside");
        const QString unreadable = QStringLiteral("its list of contents could not be read");
        QTest::newRow("files and folders") << Head + entry("a", "0") + entry("a/b.bin", "300") + entry("c", "7") << qint64(307) << QString();
        QTest::newRow("no blank line at the end") << Head + entry("a", "5").chopped(2) << qint64(5) << QString();
        QTest::newRow("CR LF lines") << QByteArray(Head + entry("a", "5")).replace("\n", "\r\n") << qint64(5) << QString();
        QTest::newRow("dot-dot") << Head + entry("ok", "1") + entry("../evil", "1") << qint64(0) << outside;
        QTest::newRow("dot-dot inside") << Head + entry("a/../../evil", "1") << qint64(0) << outside;
        QTest::newRow("dot-dot, backslash") << Head + entry("a\\..\\evil", "1") << qint64(0) << outside;
        QTest::newRow("absolute") << Head + entry("/etc/cron.d/x", "1") << qint64(0) << outside;
        QTest::newRow("absolute, backslash") << Head + entry("\\etc\\cron.d\\x", "1") << qint64(0) << outside;
        QTest::newRow("drive") << Head + entry("C:evil", "1") << qint64(0) << outside;
        QTest::newRow("empty path") << Head + entry("", "1") << qint64(0) << outside;
        QTest::newRow("long name outside") << Head + entry("../" + QByteArray(1 << 20, 'a'), "1") << qint64(0) << outside;
        QTest::newRow("line separator in a name outside") << Head + entry("../a\u2028b", "1") << qint64(0) << outside;
        QTest::newRow("name in UTF-8") << Head + entry("caf\303\251", "1") << qint64(1) << QString();
        QTest::newRow("name not in UTF-8") << Head + entry("caf\351", "1") << qint64(0) << unreadable;
        QTest::newRow("negative size") << Head + entry("a", "-5") << qint64(0) << unreadable;
        QTest::newRow("size not a number") << Head + entry("a", "12k") << qint64(0) << unreadable;
        QTest::newRow("size missing") << Head + entry("a", "") << qint64(0) << unreadable;
        QTest::newRow("sum overflows") << Head + entry("a", "9223372036854775807") + entry("b", "1") << qint64(0) << unreadable;
        QTest::newRow("size too long") << Head + entry("a", "00000000000000000001") << qint64(0) << unreadable;
        QTest::newRow("two sizes in one entry") << Head + "Path = a\nSize = 1\nSize = 1\n\n" << qint64(0) << unreadable;
        QTest::newRow("no size line") << Head + "Path = a\nAttributes = D\n\n" << qint64(0) << unreadable;
        QTest::newRow("no path line") << Head + entry("a", "1") + "Size = 5\n\n" << qint64(0) << unreadable;
        QTest::newRow("line without a key") << Head + entry("a", "1") + " = x\n" << qint64(0) << unreadable;
        QTest::newRow("stray line") << Head + entry("a", "1") + "Warnings: 1\n" << qint64(0) << unreadable;
        QTest::newRow("no entries") << Head << qint64(0) << unreadable;
        QTest::newRow("no listing") << QByteArray("Path = a\nSize = 1\n") << qint64(0) << unreadable;
    }

    void readListing()
    {
        QFETCH(QByteArray, output);
        QFETCH(qint64, total);
        QFETCH(QString, refusal);
        const Listing listing = PackageInstaller::readListing(output);
        QVERIFY2(refusal.isEmpty() ? listing.refusal.isEmpty() : listing.refusal.startsWith(refusal),
                 qPrintable(listing.refusal));
        // Its box shows the refusal: one line, of a bounded length.
        QVERIFY(listing.refusal.size() <= 64 + PackageInstaller::MaxShownName);
        QVERIFY(!listing.refusal.contains(QChar::LineSeparator));
        QCOMPARE(listing.total, total);
    }

    void checkBounds_data()
    {
        QTest::addColumn<qint64>("archive");
        QTest::addColumn<qint64>("total");
        QTest::addColumn<qint64>("free");
        QTest::addColumn<bool>("allowed");
        const qint64 lots = qint64(1) << 40;
        QTest::newRow("20 times") << qint64(1000) << qint64(20000) << lots << true;
        QTest::newRow("more than 20 times") << qint64(1000) << qint64(20001) << lots << false;
        QTest::newRow("4 GiB from a large package") << qint64(1) << MaxUnpacked << lots << false;
        QTest::newRow("at 4 GiB") << MaxUnpacked << MaxUnpacked << lots << true;
        QTest::newRow("past 4 GiB") << MaxUnpacked << MaxUnpacked + 1 << lots << false;
        QTest::newRow("huge package, no overflow") << (qint64(1) << 61) << MaxUnpacked + 1 << lots << false;
        QTest::newRow("free less the reserve") << 10 * MiB << 100 * MiB << 356 * MiB << true;
        QTest::newRow("into the reserve") << 10 * MiB << 100 * MiB + 1 << 356 * MiB << false;
        QTest::newRow("disk unknown") << qint64(1000) << qint64(0) << qint64(-1) << false;
    }

    void checkBounds()
    {
        QFETCH(qint64, archive);
        QFETCH(qint64, total);
        QFETCH(qint64, free);
        QFETCH(bool, allowed);
        QCOMPARE(PackageInstaller::checkBounds(archive, total, free, QStringLiteral("/w")).isEmpty(), allowed);
    }

    void install_data()
    {
        QTest::addColumn<QString>("command");   // makes $P with $Z in make/ (and make/sub)
        QTest::addColumn<qint64>("freeSpace");  // 0: the real disk
        QTest::addColumn<int>("result");
        QTest::addColumn<QString>("reason");    // start of the refusal shown
        const QString good = QStringLiteral("mkdir -p ORL_K1/1.0 ORL_K1/2.0 && echo -n new kernel > ORL_K1/1.0/uImage.bin"
                                            " && echo -n rootfs > ORL_K1/2.0/rfs.img && head -c 100000 /dev/urandom > big"
                                            " && \"$Z\" a -bd \"$P\" ORL_K1 big >/dev/null");
        QTest::newRow("good") << good << qint64(0) << int(Result::Unpacked) << QString();
        QTest::newRow("bomb") << QStringLiteral("head -c 314572800 /dev/zero | \"$Z\" a -bd -mx1 -sizeros.bin \"$P\" >/dev/null")
                              << qint64(0) << int(Result::Refused) << QStringLiteral("it would unpack to 300.0 MiB, more than");
        QTest::newRow("dot-dot") << QStringLiteral("echo evil > evil && cd sub && \"$Z\" a -bd -spf \"$P\" ../evil >/dev/null")
                                 << qint64(0) << int(Result::Refused) << QStringLiteral("it names a file outside its folder: ../evil");
        QTest::newRow("link") << QStringLiteral("ln -s /etc etc && \"$Z\" a -bd -snl \"$P\" etc >/dev/null") << qint64(0)
                              << int(Result::Refused) << QStringLiteral("it holds a link: etc");
        QTest::newRow("link to a file") << QStringLiteral("echo x > f && ln -s f h && \"$Z\" a -bd -snl \"$P\" f h >/dev/null")
                                        << qint64(0) << int(Result::Refused) << QStringLiteral("it holds a link: h");
        // A line separator in a name adds no line of the package's own to the refusal box.
        QTest::newRow("link named across lines")
            << QStringLiteral("ln -s /etc \"$(printf 'e\\342\\200\\250tc')\" && \"$Z\" a -bd -snl \"$P\" e*tc >/dev/null")
            << qint64(0) << int(Result::Refused) << QStringLiteral("it holds a link: e tc");
        QTest::newRow("not an archive") << QStringLiteral("head -c 5000 /dev/urandom > \"$P\"") << qint64(0) << int(Result::Failed)
                                        << QString();
        QTest::newRow("cut short") << good + QStringLiteral(" && truncate -s 50000 \"$P\"") << qint64(0) << int(Result::Failed) << QString();
        QTest::newRow("damaged data") << good + QStringLiteral(" && printf 'XXXXXXXX' | dd of=\"$P\" bs=1 seek=4000 conv=notrunc 2>/dev/null")
                                      << qint64(0) << int(Result::Failed) << QString();
        QTest::newRow("small disk") << good << 256 * MiB + 50000 << int(Result::Refused)
                                    << QStringLiteral("it would unpack to 97.7 KiB, but the disk of");
        QTest::newRow("folder over a file") << QStringLiteral("mkdir -p keep.txt && echo x > keep.txt/a && \"$Z\" a -bd \"$P\" keep.txt >/dev/null")
                                            << qint64(0) << int(Result::Refused)
                                            << QStringLiteral("it would replace a file with a folder: keep.txt");
        // 7-Zip makes links only once every file is written, and drops those
        // that point out of its folder: nothing is written through them.
        QTest::newRow("link, then a file through it")
            << QStringLiteral("ln -s ../../.. lnk && \"$Z\" a -bd -snl \"$P\" lnk >/dev/null && rm lnk && mkdir lnk"
                              " && echo x > lnk/pwn && \"$Z\" a -bd \"$P\" lnk/pwn >/dev/null")
            << qint64(0) << int(Result::Failed) << QStringLiteral("7-Zip ended with exit code 2");
        QTest::newRow("hard link out of its folder")
            << QStringLiteral("echo secret > ../outside && echo secret > outside && ln outside h"
                              " && tar -P -cf \"$P.tar\" --transform='s,^outside$,../../../outside,RS' outside h")
            << qint64(0) << int(Result::Failed) << QStringLiteral("7-Zip ended with exit code 2");
        // Its listing gives the last member's size: 7-Zip writes them all.
        QTest::newRow("gzip of two members, the first unlisted")
            << QStringLiteral("head -c 30000000 /dev/zero | gzip -1 > \"$P.gz\" && echo hi | gzip >> \"$P.gz\"")
            << qint64(0) << int(Result::Failed) << QStringLiteral("7-Zip ended with exit code 2");
        // Sixteen folders of 254 letters: 7-Zip writes the file by a path
        // relative to its folder, just within the system's longest; with
        // the store's path in front of it, the path is past it.
        QTest::newRow("folder past the longest path")
            << QStringLiteral("echo x > f && a=$(printf 'a%.0s' $(seq 254)) && tar -cf \"$P.tar\""
                              " --transform=\"s,^f\\$,$(printf \"$a/%.0s\" $(seq 16))ffffffffff,\" f")
            << qint64(0) << int(Result::Refused) << QStringLiteral("it holds a folder that cannot be read: aaa");
        QTest::newRow("file over a folder") << QStringLiteral("echo x > ORL_K1 && \"$Z\" a -bd \"$P\" ORL_K1 >/dev/null") << qint64(0)
                                            << int(Result::Refused) << QStringLiteral("it would replace a folder with a file: ORL_K1");
    }

    void install()
    {
        QFETCH(QString, command);
        QFETCH(qint64, freeSpace);
        QFETCH(int, result);
        QFETCH(QString, reason);
        const QString package = makePackage(command);
        QVERIFY(!package.isEmpty());
        if (freeSpace)
            setFreeSpaceProbe([freeSpace](const QString &) { return freeSpace; });
        const Tree before = snapshot(m_store);
        std::unique_ptr<Unpack> u(unpack(m_7z, package));
        QVERIFY(waitFinished(u.get()));
        QCOMPARE(int(u->result()), result);
        if (!reason.isEmpty())
            QVERIFY2(u->reason().startsWith(reason), qPrintable(u->reason()));
        QCOMPARE(siblings(), QStringList());
        // Nothing written beside the store, nor above it.
        QCOMPARE(QDir(m_dir.filePath(QStringLiteral("work"))).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList{QStringLiteral("firmware")});
        QCOMPARE(QDir(m_dir.path()).entryList({QStringLiteral("pwn")}), QStringList());
        if (u->result() != Result::Unpacked) {
            QCOMPARE(snapshot(m_store), before);
            return;
        }
        // Same names replaced, the rest kept: as 7-Zip's -aoa straight into the store.
        Tree after = before;
        after.insert(QStringLiteral("ORL_K1/1.0/uImage.bin"), "new kernel");
        after.insert(QStringLiteral("ORL_K1/2.0"), "/");
        after.insert(QStringLiteral("ORL_K1/2.0/rfs.img"), "rootfs");
        after.insert(QStringLiteral("big"), TestFiles::read(m_dir.filePath(QStringLiteral("make/big"))));
        QCOMPARE(snapshot(m_store), after);
    }

    void installIntoNewStore()
    {
        QDir(m_store).removeRecursively();
        const QString package = makePackage(QStringLiteral("echo -n a > a && \"$Z\" a -bd \"$P\" a >/dev/null"));
        std::unique_ptr<Unpack> u(unpack(m_7z, package));
        QVERIFY(waitFinished(u.get()));
        QCOMPARE(int(u->result()), int(Result::Unpacked));
        QCOMPARE(snapshot(m_store), (Tree{{QStringLiteral("a"), "a"}}));
        QCOMPARE(siblings(), QStringList());
    }

    // The install is reported (and its version then recorded) only once
    // the store's new files are on the disk: after a power cut the store
    // must not hold their names without their bytes.
    void installedFilesAreOnTheDisk()
    {
        const QString package = makePackage(QStringLiteral("head -c 1000000 /dev/urandom > a && mkdir d"
                                                           " && head -c 300000 /dev/urandom > d/b"
                                                           " && \"$Z\" a -bd -mx0 \"$P\" a d >/dev/null"));
        QVERIFY(!package.isEmpty());
        std::unique_ptr<Unpack> u(unpack(m_7z, package));
        QVERIFY(waitFinished(u.get()));
        QCOMPARE(int(u->result()), int(Result::Unpacked));
        for (const char *name : {"a", "d/b"}) {
            const qint64 pending = TestFiles::pagesNotOnDisk(m_store + QLatin1Char('/') + QLatin1String(name));
            if (pending < 0)
                QSKIP("This system cannot tell which pages of a file reached the disk");
            QVERIFY2(pending == 0, name);
        }
    }

    // The update list names the package; 7-Zip would read "*" or "?" in
    // that name as a pattern and take every archive beside it that matches.
    void patternInPackageName_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("star") << QStringLiteral("fw*.7z");
        QTest::newRow("question mark") << QStringLiteral("fw?.7z");
    }

    void patternInPackageName()
    {
        QFETCH(QString, name);
        const QString named = m_dir.filePath(name), beside = m_dir.filePath(QStringLiteral("fwX.7z"));
        for (const QString &old : QDir(m_dir.path()).entryList({QStringLiteral("fw*")}))
            QVERIFY(QFile::remove(m_dir.filePath(old)));
        const QString other = makePackage(QStringLiteral("echo -n other > other && \"$Z\" a -bd \"$P\" other >/dev/null"));
        QVERIFY(!other.isEmpty() && QFile::rename(other, beside));
        const QString mine = makePackage(QStringLiteral("echo -n mine > mine && \"$Z\" a -bd \"$P\" mine >/dev/null"));
        QVERIFY(!mine.isEmpty() && QFile::rename(mine, named));
        Tree expected = snapshot(m_store);
        expected.insert(QStringLiteral("mine"), "mine");
        std::unique_ptr<Unpack> u(unpack(m_7z, named));
        QVERIFY(waitFinished(u.get()));
        QVERIFY2(u->result() == Result::Unpacked, qPrintable(u->reason()));
        QCOMPARE(snapshot(m_store), expected);
    }

    // What an install cut short left beside the store goes with the next
    // one; a link of that name stays, and so does what it points to.
    void staleUnpackFoldersGo()
    {
        const QString work = m_dir.filePath(QStringLiteral("work"));
        const QString elsewhere = m_dir.filePath(QStringLiteral("elsewhere"));
        QVERIFY(TestFiles::write(work + QStringLiteral("/.firmware.unpack-old/new/a"), "stale"));
        // A name Qt cannot read, left by a package that held one.
        {
            std::ofstream odd(QFile::encodeName(work + QStringLiteral("/.firmware.unpack-old/new/")).toStdString() + "caf\351");
            QVERIFY(odd << "stale");
        }
        QVERIFY(TestFiles::write(elsewhere + QStringLiteral("/b"), "kept"));
        QVERIFY(QFile::link(elsewhere, work + QStringLiteral("/.firmware.unpack-link")));
        // Deeper than the folders a process may hold open at the usual limit.
        QVERIFY(TestFiles::write(work + QStringLiteral("/.firmware.unpack-deep") + QStringLiteral("/a").repeated(1100)
                                     + QStringLiteral("/f"),
                                 "stale"));
        rlimit files;
        QVERIFY(::getrlimit(RLIMIT_NOFILE, &files) == 0);
        const rlimit usual{qMin<rlim_t>(files.rlim_cur, 1024), files.rlim_max};
        QVERIFY(::setrlimit(RLIMIT_NOFILE, &usual) == 0);
        const auto restore = qScopeGuard([&files] { ::setrlimit(RLIMIT_NOFILE, &files); });
        const QString package = makePackage(QStringLiteral("echo -n a > a && \"$Z\" a -bd \"$P\" a >/dev/null"));
        std::unique_ptr<Unpack> u(unpack(m_7z, package));
        QVERIFY(waitFinished(u.get()));
        QCOMPARE(int(u->result()), int(Result::Unpacked));
        QCOMPARE(siblings(), QStringList{QStringLiteral(".firmware.unpack-link")});
        QCOMPARE(TestFiles::read(elsewhere + QStringLiteral("/b")), QByteArray("kept"));
    }

    void archiverLookup_data()
    {
        QTest::addColumn<QString>("programDir");   // under <dir>/find; "-": none
        QTest::addColumn<QStringList>("present");  // under <dir>/find; "*": not executable
        QTest::addColumn<QString>("found");        // under <dir>/find
        QTest::newRow("beside first") << "app/" << QStringList{"app/7zip/7z", "path/7zz"} << "app/7zip/7z";
        QTest::newRow("beside, not executable") << "app/" << QStringList{"*app/7zip/7z", "path/7zz"} << "path/7zz";
        QTest::newRow("7zz before 7z") << "app/" << QStringList{"path/7z", "path/7zz"} << "path/7zz";
        QTest::newRow("7z") << "app/" << QStringList{"path/7z"} << "path/7z";
        QTest::newRow("none") << "app/" << QStringList{"app/7z", "path/7za"} << QString();
        // Started by name from PATH: the folder it runs in is not its own.
        QTest::newRow("no program folder") << "-" << QStringList{"7zip/7z", "path/7zz"} << "path/7zz";
    }

    void archiverLookup()
    {
        QFETCH(QString, programDir);
        QFETCH(QStringList, present);
        QFETCH(QString, found);
        const QString root = m_dir.filePath(QStringLiteral("find")) + QLatin1Char('/');
        QDir(root).removeRecursively();
        QDir().mkpath(root + QStringLiteral("path"));
        for (QString name : present) {
            const bool executable = !name.startsWith(QLatin1Char('*'));
            name.remove(QLatin1Char('*'));
            QVERIFY(TestFiles::write(root + name, "#!/bin/sh\n"));
            QVERIFY(QFile::setPermissions(root + name, executable ? QFile::ReadOwner | QFile::ExeOwner : QFile::ReadOwner));
        }
        const QByteArray path = qgetenv("PATH");
        const QString cwd = QDir::currentPath();
        qputenv("PATH", QFile::encodeName(root + QStringLiteral("path")));
        QDir::setCurrent(root);
        const QString result = PackageInstaller::findArchiver(programDir == QLatin1String("-") ? QString() : root + programDir);
        QDir::setCurrent(cwd);
        qputenv("PATH", path);
        QCOMPARE(result, found.isEmpty() ? QString() : root + found);
    }

    void archiverMissing()
    {
        std::unique_ptr<Unpack> u(unpack(m_dir.filePath(QStringLiteral("no-such-7z")), m_dir.filePath(QStringLiteral("p.7z"))));
        QVERIFY(waitFinished(u.get()));
        QCOMPARE(int(u->result()), int(Result::NotStarted));
        QCOMPARE(siblings(), QStringList());
    }

    void listingIsBounded()
    {
        const QString path = m_dir.filePath(QStringLiteral("chatty7z"));
        QVERIFY(TestFiles::write(path, "#!/bin/sh\nexec head -c 40000000 /dev/zero\n"));
        QFile::setPermissions(path, QFile::ReadOwner | QFile::ExeOwner);
        const Tree before = snapshot(m_store);
        std::unique_ptr<Unpack> u(unpack(path, m_dir.filePath(QStringLiteral("p.7z"))));
        QVERIFY(waitFinished(u.get()));
        QCOMPARE(int(u->result()), int(Result::Refused));
        QVERIFY2(u->reason().startsWith(QLatin1String("its list of contents is longer than")), qPrintable(u->reason()));
        QCOMPARE(snapshot(m_store), before);
    }

    // 7-Zip stopped while it writes: the run fails with its reason.
    void boundEndsTheRun_data()
    {
        QTest::addColumn<bool>("diskRunsLow");
        QTest::addColumn<QString>("reason");
        QTest::newRow("time limit") << false << "7-Zip took longer";
        QTest::newRow("disk runs low") << true << "the disk ran low on space";
    }

    void boundEndsTheRun()
    {
        QFETCH(bool, diskRunsLow);
        QFETCH(QString, reason);
        QVERIFY(TestFiles::write(m_dir.filePath(QStringLiteral("p.7z")), QByteArray(1000, 'p')));
        const Tree before = snapshot(m_store);
        std::unique_ptr<Unpack> u(unpack(slowArchiver(), m_dir.filePath(QStringLiteral("p.7z"))));
        if (diskRunsLow) {
            // Room enough for what the package lists, then less than half the reserve beside the store.
            setFreeSpaceProbe([](const QString &dir) {
                return dir.contains(QLatin1String(".unpack-")) ? MinFreeSpace / 2 - 1 : 100 * MinFreeSpace;
            });
            u->limits.unpackFloorMs = 30000;
        } else {
            u->limits.unpackFloorMs = 300;
        }
        QVERIFY(waitFinished(u.get()));
        QCOMPARE(int(u->result()), int(Result::Failed));
        QVERIFY2(u->reason().startsWith(reason), qPrintable(u->reason()));
        QCOMPARE(siblings(), QStringList());
        QCOMPARE(snapshot(m_store), before);
    }

    void destroyingStopsTheArchiver()
    {
        QVERIFY(TestFiles::write(m_dir.filePath(QStringLiteral("p.7z")), QByteArray(1000, 'p')));
        const Tree before = snapshot(m_store);
        std::unique_ptr<Unpack> u(unpack(slowArchiver(), m_dir.filePath(QStringLiteral("p.7z"))));
        QSignalSpy done(u.get(), &Unpack::finished);
        u->start();
        // The stand-in has written into the folder beside the store.
        QTRY_VERIFY_WITH_TIMEOUT(siblings().size() == 1
                                     && QFile::exists(m_dir.filePath(QStringLiteral("work/")) + siblings().first()
                                                      + QStringLiteral("/new/a.bin")),
                                 30000);
        u.reset();
        QCOMPARE(siblings(), QStringList());
        QCOMPARE(snapshot(m_store), before);
        QCOMPARE(done.size(), 0);
    }

    // 7-Zip reads a "*" in its output folder as the archive's name, and a
    // folder list reads "*", "?" and "[...]" as patterns: a store whose path
    // holds them is still where the package lands, nothing is written
    // elsewhere, and what a cut-short install left beside it goes.
    void storeNamedLikeAPattern_data()
    {
        QTest::addColumn<QString>("store");   // under <dir>/work
        QTest::newRow("star in its name") << QStringLiteral("fw*");
        QTest::newRow("star in its parent's name") << QStringLiteral("a*b/firmware");
        QTest::newRow("brackets in its name") << QStringLiteral("fw[1]");
    }

    void storeNamedLikeAPattern()
    {
        QFETCH(QString, store);
        const QString work = m_dir.filePath(QStringLiteral("work"));
        const QFileInfo target(work + QLatin1Char('/') + store);
        const QString package = makePackage(QStringLiteral("echo -n a > a && \"$Z\" a -bd \"$P\" a >/dev/null"));
        QDir(work).removeRecursively();
        QVERIFY(TestFiles::write(target.path() + QStringLiteral("/.") + target.fileName() + QStringLiteral(".unpack-old/new/a"),
                                 "stale"));
        Unpack u(m_7z, package, target.filePath());
        QVERIFY(waitFinished(&u));
        QVERIFY2(u.result() == Result::Unpacked, qPrintable(u.reason()));
        QCOMPARE(snapshot(target.filePath()), (Tree{{QStringLiteral("a"), "a"}}));
        QCOMPARE(QDir(work).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList{store.section(QLatin1Char('/'), 0, 0)});
        QCOMPARE(QDir(target.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList{target.fileName()});
    }

    // A console started by a relative path finds 7-Zip beside it by one.
    void archiverByRelativePath()
    {
        QDir(m_dir.filePath(QStringLiteral("bin"))).removeRecursively();
        QVERIFY(QDir().mkpath(m_dir.filePath(QStringLiteral("bin/7zip"))));
        QVERIFY(QFile::link(m_7z, m_dir.filePath(QStringLiteral("bin/7zip/7z"))));
        const QString package = makePackage(QStringLiteral("echo -n a > a && \"$Z\" a -bd \"$P\" a >/dev/null"));
        const QString cwd = QDir::currentPath();
        QDir::setCurrent(m_dir.path());
        const QString program = findArchiver(QStringLiteral("bin/"));
        std::unique_ptr<Unpack> u(unpack(program, package));
        QDir::setCurrent(cwd);
        QCOMPARE(program, QStringLiteral("bin/7zip/7z"));
        QVERIFY(waitFinished(u.get()));
        QVERIFY2(u->result() == Result::Unpacked, qPrintable(u->reason()));
        QCOMPARE(TestFiles::read(m_store + QStringLiteral("/a")), QByteArray("a"));
    }

    // An archiver that says it succeeded but wrote none of what it listed
    // has not installed the package.
    void archiverThatWritesNothing()
    {
        const QString path = m_dir.filePath(QStringLiteral("idle7z"));
        QVERIFY(TestFiles::write(path, "#!/bin/sh\n"
                                       "if [ \"$1\" = l ]; then printf -- '----------\\nPath = a.bin\\nSize = 10\\n\\n'; fi\n"
                                       "exit 0\n"));
        QFile::setPermissions(path, QFile::ReadOwner | QFile::ExeOwner);
        QVERIFY(TestFiles::write(m_dir.filePath(QStringLiteral("p.7z")), QByteArray(1000, 'p')));
        const Tree before = snapshot(m_store);
        std::unique_ptr<Unpack> u(unpack(path, m_dir.filePath(QStringLiteral("p.7z"))));
        QVERIFY(waitFinished(u.get()));
        QCOMPARE(int(u->result()), int(Result::Failed));
        QCOMPARE(snapshot(m_store), before);
        QCOMPARE(siblings(), QStringList());
    }

    // A store that is a link to a folder on another disk is unpacked beside
    // that folder: the moves into it stay renames on one disk.
    void storeLinkedToAnotherDisk()
    {
        const QString shm = QStringLiteral("/dev/shm");
        if (!QFileInfo(shm).isDir() || QStorageInfo(shm).device() == QStorageInfo(m_dir.path()).device())
            QSKIP("no second file system to link the store to");
        QTemporaryDir elsewhere(shm + QStringLiteral("/korvane-store-XXXXXX"));
        const QString real = elsewhere.filePath(QStringLiteral("firmware"));
        QVERIFY(TestFiles::write(real + QStringLiteral("/keep.txt"), "kept"));
        QVERIFY(QDir(m_store).removeRecursively() && QFile::link(real, m_store));
        Tree expected = snapshot(real);
        expected.insert(QStringLiteral("a"), "a");
        const QString package = makePackage(QStringLiteral("echo -n a > a && \"$Z\" a -bd \"$P\" a >/dev/null"));
        std::unique_ptr<Unpack> u(unpack(m_7z, package));
        QVERIFY(waitFinished(u.get()));
        QVERIFY2(u->result() == Result::Unpacked, qPrintable(u->reason()));
        QCOMPARE(snapshot(real), expected);
        QVERIFY(QFileInfo(m_store).isSymLink());
        QCOMPARE(QDir(elsewhere.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList{QStringLiteral("firmware")});
        QCOMPARE(siblings(), QStringList());
    }

    // A store mounted at its path, a disk of its own or a folder of the
    // same disk mounted there again, is unpacked on that mount: from a
    // folder beside it every move would cross mounts, which no rename does.
    void storeIsADiskOfItsOwn_data()
    {
        QTest::addColumn<bool>("bind");
        QTest::newRow("a disk of its own") << false;
        QTest::newRow("a folder of the same disk") << true;
    }

    void storeIsADiskOfItsOwn()
    {
        QFETCH(bool, bind);
        // The disk is mounted in a namespace of this test's own.
        const QByteArray at = QFile::encodeName(m_store);
        const QString folder = m_dir.filePath(QStringLiteral("disk"));
        const QByteArray from = QFile::encodeName(folder);
        if (::unshare(CLONE_NEWNS) != 0 || ::mount("none", "/", "none", MS_REC | MS_PRIVATE, nullptr) != 0
            || !QDir().mkpath(folder)
            || (bind ? ::mount(from.constData(), at.constData(), "none", MS_BIND, nullptr)
                     : ::mount("korvane-store", at.constData(), "tmpfs", 0, "size=1g"))
                   != 0)
            QSKIP("no disk could be mounted at the store");
        const auto unmount = qScopeGuard([&at] { ::umount2(at.constData(), MNT_DETACH); });
        QVERIFY(TestFiles::write(m_store + QStringLiteral("/ORL_K1/1.0/uImage.bin"), "old kernel"));
        const QString package = makePackage(QStringLiteral("mkdir -p ORL_K1/1.0 && echo -n new > ORL_K1/1.0/uImage.bin"
                                                           " && echo -n a > a && \"$Z\" a -bd \"$P\" ORL_K1 a >/dev/null"));
        std::unique_ptr<Unpack> u(unpack(m_7z, package));
        QVERIFY(waitFinished(u.get()));
        QVERIFY2(u->result() == Result::Unpacked, qPrintable(u->reason()));
        QCOMPARE(snapshot(m_store), (Tree{{QStringLiteral("a"), "a"},
                                          {QStringLiteral("ORL_K1"), "/"},
                                          {QStringLiteral("ORL_K1/1.0"), "/"},
                                          {QStringLiteral("ORL_K1/1.0/uImage.bin"), "new"}}));
        QCOMPARE(siblings(), QStringList());
    }

    // A console killed while 7-Zip unpacks takes 7-Zip with it: nothing
    // goes on writing beside the store, past the next start's clearing up.
    void killedConsoleTakesTheArchiver()
    {
        const QString pidFile = m_dir.filePath(QStringLiteral("archiver.pid"));
        QFile::remove(pidFile);
        QVERIFY(TestFiles::write(m_dir.filePath(QStringLiteral("p.7z")), QByteArray(1000, 'p')));
        // The stand-in names itself once it unpacks, then sleeps.
        QVERIFY(TestFiles::write(m_dir.filePath(QStringLiteral("slow7z")),
                                 "#!/bin/sh\n"
                                 "if [ \"$1\" = l ]; then printf -- '----------\\nPath = a.bin\\nSize = 10\\n\\n'; exit 0; fi\n"
                                 "d=$(dirname \"$0\"); echo $$ > \"$d/archiver.pid.new\"; mv \"$d/archiver.pid.new\" \"$d/archiver.pid\"\n"
                                 "exec sleep 60\n"));
        QFile::setPermissions(m_dir.filePath(QStringLiteral("slow7z")), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QProcess console;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QLatin1String(KilledConsoleDir), m_dir.path());
        console.setProcessEnvironment(env);
        console.start(QCoreApplication::applicationFilePath(), QStringList());
        QVERIFY(console.waitForStarted(10000));
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(pidFile), 30000);
        const pid_t archiver = TestFiles::read(pidFile).trimmed().toInt();
        QVERIFY(running(archiver));
        console.kill();
        QVERIFY(console.waitForFinished(10000));
        const bool gone = QTest::qWaitFor([archiver] { return !running(archiver); }, 10000);
        if (!gone)
            ::kill(archiver, SIGKILL);
        QVERIFY(gone);
    }

    // Killed at any rename of a merge, the store holds under every name the
    // file it had or the one the package brings, never no file at all.
    void killedWhileMoving()
    {
        const QString dir = m_dir.filePath(QStringLiteral("kill")), store = dir + QStringLiteral("/store");
        for (int k = 1;; ++k) {
            QDir(dir).removeRecursively();
            QVERIFY(TestFiles::write(store + QStringLiteral("/keep.txt"), "kept"));
            QVERIFY(TestFiles::write(store + QStringLiteral("/ORL_K1/1.0/uImage.bin"), "old kernel"));
            QVERIFY(TestFiles::write(dir + QStringLiteral("/from/ORL_K1/1.0/uImage.bin"), "new kernel"));
            QVERIFY(TestFiles::write(dir + QStringLiteral("/from/ORL_K1/1.0/rfs.img"), "rootfs"));
            QVERIFY(TestFiles::write(dir + QStringLiteral("/from/a.txt"), "a"));
            const Tree old = snapshot(store), package = snapshot(dir + QStringLiteral("/from"));
            Tree merged = old;
            merged.insert(package);
            QProcess mover;
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert(QLatin1String(KillAtRename), QString::number(k));
            mover.setProcessEnvironment(env);
            mover.start(QCoreApplication::applicationFilePath(), {dir});
            QVERIFY(mover.waitForFinished(30000));
            const Tree now = snapshot(store);
            for (const QString &name : now.keys())
                QVERIFY2(merged.contains(name), qPrintable(name));
            for (const QString &name : merged.keys()) {
                const QByteArray is = now.value(name, "nothing");
                QVERIFY2(is == old.value(name, "nothing") || is == package.value(name),
                         qPrintable(QStringLiteral("killed at rename %1: %2 holds %3").arg(k).arg(name, is)));
            }
            if (mover.exitStatus() == QProcess::NormalExit) {
                QCOMPARE(mover.exitCode(), 0);
                QCOMPARE(now, merged);
                break;
            }
        }
    }

    // A store whose new names the disk does not take (a network or USB disk
    // that tells it only at the sync) is put back as it was: no install is
    // reported, nor its version recorded, for files it may not hold. A
    // folder of the store the package leaves alone is no part of that (a
    // disk's lost+found cannot even be opened).
    void moveTheDiskDoesNotTakeIsUndone_data()
    {
        QTest::addColumn<QString>("failing");
        QTest::addColumn<bool>("undone");
        QTest::newRow("the store") << QString() << true;
        QTest::newRow("a folder it leaves alone") << QStringLiteral("/lost+found") << false;
    }

    void moveTheDiskDoesNotTakeIsUndone()
    {
        QFETCH(QString, failing);
        QFETCH(bool, undone);
        const QString from = m_dir.filePath(QStringLiteral("from"));
        QDir(from).removeRecursively();
        QVERIFY(TestFiles::write(from + QStringLiteral("/ORL_K1/1.0/uImage.bin"), "new kernel"));
        QVERIFY(TestFiles::write(from + QStringLiteral("/z.txt"), "z"));
        QVERIFY(QDir().mkpath(m_store + failing));
        const Tree before = snapshot(m_store), package = snapshot(from);
        Tree merged = before;
        merged.insert(package);
        QTemporaryDir attic(m_dir.filePath(QStringLiteral("attic-XXXXXX")));
        QString problem;
        {
            FailingWrites disk(m_store + failing, failing.isEmpty() ? FailingWrites::Sync : FailingWrites::FolderSync);
            problem = moveIntoPlace(from, m_store, attic.path());
        }
        QCOMPARE(problem, undone ? QStringLiteral("its files could not be written to the disk") : QString());
        QCOMPARE(snapshot(m_store), undone ? before : merged);
        if (undone)
            QCOMPARE(snapshot(from), package);
    }

    // A disk that does not take the store's new names fails the install, as
    // 7-Zip's own write errors do: nothing in the package is refused.
    void installTheDiskDoesNotTake()
    {
        const QString package = makePackage(QStringLiteral("echo -n a > a && \"$Z\" a -bd \"$P\" a >/dev/null"));
        const Tree before = snapshot(m_store);
        std::unique_ptr<Unpack> u(unpack(m_7z, package));
        {
            FailingWrites disk(m_store, FailingWrites::FolderSync);
            QVERIFY(waitFinished(u.get()));
        }
        QCOMPARE(int(u->result()), int(Result::Failed));
        QCOMPARE(snapshot(m_store), before);
    }

    void failedMoveIsUndone_data()
    {
        QTest::addColumn<bool>("exchange");
        QTest::newRow("a file replaced through the attic") << false;
        QTest::newRow("a file exchanged in one step") << true;
    }

    void failedMoveIsUndone()
    {
        QFETCH(bool, exchange);
        // A rename onto another disk fails: the attic on a RAM disk makes the
        // replacement of uImage.bin fail after ORL_K1/0.9 has already moved,
        // or z.txt fails to move after uImage.bin was exchanged.
        const QString shm = QStringLiteral("/dev/shm");
        if (!exchange && (!QFileInfo(shm).isDir() || QStorageInfo(shm).device() == QStorageInfo(m_dir.path()).device()))
            QSKIP("no second file system to fail a rename onto");
        QTemporaryDir attic(shm + QStringLiteral("/korvane-attic-XXXXXX"));
        const QString from = m_dir.filePath(QStringLiteral("from"));
        QDir(from).removeRecursively();
        QVERIFY(TestFiles::write(from + QStringLiteral("/ORL_K1/0.9/rfs.img"), "rootfs"));
        QVERIFY(TestFiles::write(from + QStringLiteral("/ORL_K1/1.0/uImage.bin"), "new kernel"));
        QVERIFY(TestFiles::write(from + QStringLiteral("/z.txt"), "z"));
        const Tree before = snapshot(m_store), package = snapshot(from);
        exchangeRefused = !exchange;
        refusedRename = exchange ? QFile::encodeName(m_store + QStringLiteral("/z.txt")) : QByteArray();
        const QString problem = moveIntoPlace(from, m_store, attic.path());
        exchangeRefused = false;
        refusedRename.clear();
        QVERIFY2(problem.startsWith(QLatin1String("it could not be moved to")), qPrintable(problem));
        QCOMPARE(snapshot(m_store), before);
        QCOMPARE(snapshot(from), package);
    }
};

// The console that killedConsoleTakesTheArchiver kills.
static int installUntilKilled(int argc, char **argv, const QString &dir)
{
    QCoreApplication app(argc, argv);
    Unpack install(dir + QStringLiteral("/slow7z"), dir + QStringLiteral("/p.7z"), dir + QStringLiteral("/work/firmware"));
    install.start();
    return app.exec();
}

// Every rename the installer makes: counted for killedWhileMoving, refused
// for failedMoveIsUndone.
extern "C" int rename(const char *from, const char *to)
{
    if (!renamed(to))
        return -1;
    return int(::syscall(SYS_renameat2, AT_FDCWD, from, AT_FDCWD, to, 0));
}

extern "C" int renameat2(int fromDir, const char *from, int toDir, const char *to, unsigned int flags)
{
    if (!renamed(to))
        return -1;
    if (exchangeRefused && (flags & RENAME_EXCHANGE)) {
        errno = EINVAL;
        return -1;
    }
    return int(::syscall(SYS_renameat2, fromDir, from, toDir, to, flags));
}

int main(int argc, char **argv)
{
    const QByteArray killAt = qgetenv(KillAtRename);
    if (!killAt.isEmpty() && argc == 2) {
        renamesLeft = killAt.toInt();
        const QString dir = QFile::decodeName(argv[1]);
        const QString problem = moveIntoPlace(dir + QStringLiteral("/from"), dir + QStringLiteral("/store"),
                                              dir + QStringLiteral("/attic"));
        return problem.isEmpty() ? 0 : 1;
    }
    const QString killed = qEnvironmentVariable(KilledConsoleDir);
    if (!killed.isEmpty())
        return installUntilKilled(argc, argv, killed);
    QCoreApplication app(argc, argv);
    TestPackageInstaller test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}
#include "tst_packageinstaller.moc"
