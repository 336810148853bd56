// Containment, IPv4 and the directory helpers.
#include "devicelink/utils.h"

#include <QDir>
#include <QFile>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

class TestPathHelpers : public QObject
{
    Q_OBJECT
private slots:
    void pathContains_data();
    void pathContains();
    void isValidIPv4_data();
    void isValidIPv4();
    void ipv4ToUInt();
    void latestVersionSubdir_data();
    void latestVersionSubdir();
    void latestVersionSubdirEmpty();
    void listAndRemoveFiles();
    void folderOnTheWayInSharedFolder_data();
    void folderOnTheWayInSharedFolder();
    void folderOnTheWayOpenToAll_data();
    void folderOnTheWayOpenToAll();
};

void TestPathHelpers::pathContains_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("dir");
    QTest::addColumn<bool>("inside");
    // A backslash is a letter of a name here, not a separator.
    QTest::newRow("backslashes") << "C:\\data\\fw\\img.bin" << "C:/data/fw" << false;
    QTest::newRow("sibling named with a backslash") << "/data/fw\\secret" << "/data/fw" << false;
    QTest::newRow("dir itself") << "/data/fw" << "/data/fw" << true;
    QTest::newRow("trailing slash on dir") << "/data/fw/a" << "/data/fw/" << true;
    QTest::newRow("nested") << "/data/fw/x/y/z.bin" << "/data/fw" << true;
    QTest::newRow("substring elsewhere") << "/tmp/x/C:/data/fw/a" << "C:/data/fw" << false;
    QTest::newRow("case differs") << "/data/FW/a" << "/data/fw" << false;
    QTest::newRow("sibling prefix") << "/data/fwx/a" << "/data/fw" << false;
    QTest::newRow("dotdot escape") << "/data/fw/../../etc/passwd" << "/data/fw" << false;
    QTest::newRow("dotdot stays inside") << "/data/fw/a/../b" << "/data/fw" << true;
    QTest::newRow("backslash dotdot") << "C:\\data\\fw\\..\\secret" << "C:/data/fw" << false;
    QTest::newRow("empty dir") << "/etc/passwd" << "" << false;
    QTest::newRow("blank dir") << "/etc/passwd" << "  " << false;
    QTest::newRow("blank dir, blank path") << "  " << "  " << false;
    QTest::newRow("current dir, itself") << "." << "." << false;
    QTest::newRow("empty path") << "" << "/data/fw" << false;
    QTest::newRow("relative") << "fw/a" << "/data/fw" << false;
    QTest::newRow("root dir") << "/etc/passwd" << "/" << true;
}

void TestPathHelpers::pathContains()
{
    QFETCH(QString, path);
    QFETCH(QString, dir);
    QFETCH(bool, inside);
    QCOMPARE(Utils::pathContains(path, dir), inside);
}

void TestPathHelpers::isValidIPv4_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::newRow("plain") << "10.0.0.1" << true;
    QTest::newRow("zeros") << "0.0.0.0" << true;
    QTest::newRow("max") << "255.255.255.255" << true;
    QTest::newRow("three parts") << "10.0.0" << false;
    QTest::newRow("five parts") << "10.0.0.1.5" << false;
    QTest::newRow("256") << "10.0.0.256" << false;
    QTest::newRow("empty part") << "10.0..1" << false;
    QTest::newRow("negative") << "-1.0.0.1" << false;
    QTest::newRow("letters") << "10.a.0.1" << false;
    QTest::newRow("empty") << "" << false;
    QTest::newRow("trailing dot") << "10.0.0.1." << false;
    // The text goes to the devices as typed: only digits make a part.
    QTest::newRow("leading blank") << " 10.0.0.1" << false;
    QTest::newRow("trailing blank") << "10.0.0.1 " << false;
    QTest::newRow("blank in a part") << "10.0. 0.1" << false;
    QTest::newRow("trailing line break") << "10.0.0.1\n" << false;
    QTest::newRow("plus sign") << "+10.0.0.1" << false;
    QTest::newRow("part padded with zeros") << "192.168.001.010" << false;
}

void TestPathHelpers::isValidIPv4()
{
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QCOMPARE(Utils::isValidIPv4(text), valid);
}

void TestPathHelpers::ipv4ToUInt()
{
    QCOMPARE(Utils::ipv4ToUInt(QStringLiteral("192.168.1.2")), 3232235778u);
    QVERIFY(Utils::ipv4ToUInt(QStringLiteral("10.0.0.9")) < Utils::ipv4ToUInt(QStringLiteral("10.0.0.10")));
    QVERIFY(Utils::ipv4ToUInt(QStringLiteral("10.0.1.0")) > Utils::ipv4ToUInt(QStringLiteral("10.0.0.255")));
    QCOMPARE(Utils::ipv4ToUInt(QStringLiteral("0.0.0.0")), 0u);
    QCOMPARE(Utils::ipv4ToUInt(QStringLiteral("255.255.255.255")), 0xFFFFFFFFu);
}

void TestPathHelpers::latestVersionSubdir_data()
{
    QTest::addColumn<QStringList>("dirs");
    QTest::addColumn<QString>("expected");
    QTest::newRow("numeric not text order") << QStringList{"1.2.9", "1.2.10"} << "1.2.10";
    QTest::newRow("dashes kept") << QStringList{"2.0.0", "2-0-1"} << "2-0-1";
    QTest::newRow("more parts is not newer") << QStringList{"1.10", "1.9.1"} << "1.10";
    QTest::newRow("fewer parts, newer") << QStringList{"1.9.9", "2.0"} << "2.0";
    QTest::newRow("tie keeps first in name order") << QStringList{"1.2", "1.02"} << "1.02";
    QTest::newRow("missing part is 0") << QStringList{"1.2", "1.2.0"} << "1.2";
    QTest::newRow("past 255") << QStringList{"1.256", "1.255"} << "1.256";
    QTest::newRow("past 64 bits") << QStringList{"1.18446744073709551616", "1.5"} << "1.18446744073709551616";
    QTest::newRow("past eight parts") << QStringList{"1.0.0.0.0.0.0.0.2", "2.0.0.0.0.0.0.0.1"} << "2.0.0.0.0.0.0.0.1";
    QTest::newRow("non-numeric") << QStringList{"beta", "alpha"} << "alpha";
}

void TestPathHelpers::latestVersionSubdir()
{
    QFETCH(QStringList, dirs);
    QFETCH(QString, expected);
    QTemporaryDir tmp;
    for (const QString &d : dirs)
        QVERIFY(QDir(tmp.path()).mkdir(d));
    // A file and a symbolic link are never candidates.
    QFile f(tmp.filePath(QStringLiteral("99.99")));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.close();
    QVERIFY(QFile::link(tmp.filePath(dirs.first()), tmp.filePath(QStringLiteral("98.0"))));
    QString out;
    Utils::latestVersionSubdir(tmp.path(), &out);
    QCOMPARE(out, expected);
}

void TestPathHelpers::latestVersionSubdirEmpty()
{
    QTemporaryDir tmp;
    QString out = QStringLiteral("keep");
    Utils::latestVersionSubdir(tmp.path(), &out);
    QCOMPARE(out, QStringLiteral("keep"));
    Utils::latestVersionSubdir(QString(), &out);
    QCOMPARE(out, QStringLiteral("keep"));
}

void TestPathHelpers::listAndRemoveFiles()
{
    QTemporaryDir tmp;
    QDir d(tmp.path());
    for (const char *name : {"b_blkdev_list.lst", "A_blkdev_list.lst", "other.txt"}) {
        QFile f(d.filePath(QLatin1String(name)));
        QVERIFY(f.open(QIODevice::WriteOnly));
    }
    QVERIFY(d.mkpath(QStringLiteral("sub")));
    QFile nested(d.filePath(QStringLiteral("sub/c_blkdev_list.lst")));
    QVERIFY(nested.open(QIODevice::WriteOnly));
    nested.close();
    // A link is not one of the folder's files, whatever its name.
    QVERIFY(QFile::link(d.filePath(QStringLiteral("other.txt")), d.filePath(QStringLiteral("c_blkdev_list.lst"))));

    QStringList out{QStringLiteral("first")};
    Utils::listFiles(&out, tmp.path(), QString());
    QCOMPARE(out, QStringList{QStringLiteral("first")});
    Utils::listFiles(&out, tmp.path(), QStringLiteral("*_blkdev_list.lst"));
    QCOMPARE(out, (QStringList{QStringLiteral("first"), d.absoluteFilePath(QStringLiteral("A_blkdev_list.lst")),
                               d.absoluteFilePath(QStringLiteral("b_blkdev_list.lst"))}));

    QVERIFY(Utils::removeFiles(tmp.path(), QStringLiteral("*_blkdev_list.lst")));
    QVERIFY(!QFile::exists(d.filePath(QStringLiteral("A_blkdev_list.lst"))));
    QVERIFY(!QFile::exists(d.filePath(QStringLiteral("b_blkdev_list.lst"))));
    QVERIFY(QFile::exists(d.filePath(QStringLiteral("other.txt"))));
    QVERIFY(QFile::exists(d.filePath(QStringLiteral("sub/c_blkdev_list.lst"))));
}

void TestPathHelpers::folderOnTheWayInSharedFolder_data()
{
    QTest::addColumn<uint>("owner");   // of the folder between the shared one and the user's
    QTest::addColumn<bool>("notOwn");
    // A temporary folder of one's own in the shared one, as a session module
    // makes it (/tmp/user/<uid>): the system's folder around it is no other
    // user's, and the working directory made there is the user's own.
    QTest::newRow("the system's") << 0u << false;
    QTest::newRow("another user's") << 4243u << true;
}

void TestPathHelpers::folderOnTheWayInSharedFolder()
{
    QFETCH(uint, owner);
    QFETCH(bool, notOwn);
    if (::geteuid() != 0)
        QSKIP("a folder of the system's, seen by a user, needs the right to be that user");
    const uid_t user = 4242;
    // The user must be able to pass through this test's own folders.
    QList<QPair<QByteArray, mode_t>> opened;
    const auto restore = qScopeGuard([&] {
        for (const auto &folder : std::as_const(opened))
            ::chmod(folder.first.constData(), folder.second);
    });
    for (QString at = QDir::tempPath(); !QDir(at).isRoot(); at = QFileInfo(at).absolutePath()) {
        struct stat folder;
        const QByteArray name = QFile::encodeName(at);
        QVERIFY(::stat(name.constData(), &folder) == 0);
        if ((folder.st_mode & 0111) == 0111)
            continue;
        opened.append({name, folder.st_mode & 07777});
        QVERIFY(::chmod(name.constData(), (folder.st_mode & 07777) | 0111) == 0);
    }

    QTemporaryDir shared;
    QVERIFY(::chmod(QFile::encodeName(shared.path()).constData(), 01777) == 0);
    const QString between = shared.path() + QStringLiteral("/user");
    const QString mine = between + QLatin1Char('/') + QString::number(user);
    const QString work = mine + QStringLiteral("/korvane");
    QVERIFY(QDir().mkpath(work));
    QVERIFY(::chmod(QFile::encodeName(between).constData(), 0711) == 0);
    // Root of a user namespace that maps no other user cannot give folders away.
    bool given = ::chown(QFile::encodeName(between).constData(), owner, 0) == 0;
    for (const QString &path : {mine, work})
        given = given && ::chown(QFile::encodeName(path).constData(), user, 0) == 0;
    if (!given)
        QSKIP("folders of other users need the right to give them away");

    QVERIFY(::seteuid(user) == 0);
    const bool found = Utils::isNotOwnInSharedFolder(work);
    QVERIFY(::seteuid(0) == 0);
    QCOMPARE(found, notOwn);
}

void TestPathHelpers::folderOnTheWayOpenToAll_data()
{
    QTest::addColumn<uint>("mode");   // of a folder of the user's own above the working directory
    QTest::addColumn<bool>("notOwn");
    QTest::newRow("the user's alone") << 0700u << false;
    // Others may add to it but not move what is the user's.
    QTest::newRow("open to all, sticky") << 01777u << false;
    // Anybody may move the working directory away and put another in its place.
    QTest::newRow("open to all") << 0777u << true;
}

void TestPathHelpers::folderOnTheWayOpenToAll()
{
    QFETCH(uint, mode);
    QFETCH(bool, notOwn);
    QTemporaryDir tmp;
    const QString open = tmp.path() + QStringLiteral("/open");
    const QString work = open + QStringLiteral("/korvane");
    QVERIFY(QDir().mkpath(work));
    QVERIFY(::chmod(QFile::encodeName(work).constData(), 0700) == 0);
    QVERIFY(::chmod(QFile::encodeName(open).constData(), mode_t(mode)) == 0);
    QCOMPARE(Utils::isNotOwnInSharedFolder(work), notOwn);
}

QTEST_GUILESS_MAIN(TestPathHelpers)
#include "tst_pathhelpers.moc"
