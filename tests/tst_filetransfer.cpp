// Downloads, uploads and the white list, handler by handler and without a
// network: which files a device may read, what lands in the temporary
// directory, and the replies byte by byte.
#include "fileclient.h"
#include "handlerfixture.h"

#include "devicelink/wire.h"
#include "simdeviceconfig.h"
#include "devicemessages.h"
#include "testfiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <thread>

namespace {

using FileMessages::openRead;
using FileMessages::openWrite;
using FileMessages::readChunk;
using FileMessages::writeChunk;
const QByteArray closeFile = FileMessages::close();

// A reply as a device reads it, byte by byte: type 7, the code, the 16-bit
// length, then the text and its NUL when there is one.
QByteArray reply(quint8 code, const QByteArray &text = QByteArray())
{
    QByteArray r = QByteArray::fromHex("07") + char(code);
    const int n = text.isEmpty() ? 0 : int(text.size()) + 1;
    r += char(n >> 8);
    r += char(n);
    if (n)
        r += text + '\0';
    return r;
}

QByteArray pattern(int size, int seed = 0)
{
    QByteArray data(size, Qt::Uninitialized);
    for (int i = 0; i < size; ++i)
        data[i] = char((i * 7 + seed) % 251);
    return data;
}

// A disk that fails after the first read or write.
class FailingFile : public QFile
{
public:
    using QFile::QFile;

protected:
    qint64 readData(char *data, qint64 maxSize) override
    {
        return m_reads++ ? -1 : QFile::readData(data, maxSize);
    }
    qint64 writeData(const char *data, qint64 size) override
    {
        return m_writes++ ? -1 : QFile::writeData(data, size);
    }

private:
    int m_reads = 0;
    int m_writes = 0;
};

} // namespace

class TestFileTransfer : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void readableFiles_data();
    void readableFiles();
    void downloadWholeFile();
    void oneTransferAtATime();
    void nothingOpen();
    void readErrorIsNotEndOfFile();
    void fileCutWhileRead();
    void upload();
    void uploadChunkSizes_data();
    void uploadChunkSizes();
    void uploadNames_data();
    void uploadNames();
    void uploadCannotCreate();
    void failedWriteRemovesPartialFile();
    void uploadLimits_data();
    void uploadLimits();
    void cutUploadLeavesNothing();
    void crashedUploadsRemovedAtStart();
    void malformedRequests_data();
    void malformedRequests();
    void whiteList_data();
    void whiteList();
    void whiteListFromPendingOnly();
    void whiteListNotAFile();
    void fileSwappedForALink();

private:
    QString at(const QString &relative) const { return m_root->path() + QLatin1Char('/') + relative; }
    QString expand(QString text) const { return text.replace(QLatin1String("$root"), m_root->path()); }

    HandlerFixture *f = nullptr;
    QTemporaryDir *m_root = nullptr;
};

void TestFileTransfer::init()
{
    f = new HandlerFixture;
    m_root = new QTemporaryDir;
    QVERIFY(m_root->isValid());
    QDir root(m_root->path());
    for (const char *dir : {"fw", "app", "hotfix", "tmp/sub", "sig", "outside", "tmpx"})
        QVERIFY(root.mkpath(QLatin1String(dir)));
    QVERIFY(TestFiles::write(at("fw/image.bin"), pattern(100)));
    QVERIFY(TestFiles::write(at("app/client.bin"), pattern(200)));
    QVERIFY(TestFiles::write(at("hotfix/hf.bin"), pattern(300)));
    QVERIFY(TestFiles::write(at("tmp/list.txt"), "list"));
    QVERIFY(TestFiles::write(at("tmp/KorvaneManager.ini"), "[Orphans]"));
    QVERIFY(TestFiles::write(at("tmp/001122334455_blkdev_list.lst"), "own"));
    QVERIFY(TestFiles::write(at("tmp/aabbccddeeff_blkdev_list.lst"), "theirs"));
    QVERIFY(TestFiles::write(at("sig/content.png"), pattern(50)));
    QVERIFY(TestFiles::write(at("sig/20240315-0930_welcome.png"), pattern(60)));
    QVERIFY(TestFiles::write(at("outside/secret.txt"), "secret"));
    QVERIFY(TestFiles::write(at("tmpx/near.txt"), "near"));
    // The temporary directory's path again, below a directory that is not allowed.
    QVERIFY(root.mkpath(at("outside") + at("tmp")));
    QVERIFY(TestFiles::write(at("outside") + at("tmp/x.txt"), "x"));
    QVERIFY(QFile::link(at("outside/secret.txt"), at("tmp/link-out")));
    QVERIFY(QFile::link(at("fw/image.bin"), at("tmp/link-in")));
    QVERIFY(QFile::link(at("outside"), at("tmp/dirlink")));
    QVERIFY(QFile::link(at("tmp"), at("tmplink")));
    QVERIFY(QFile::link(at("tmp"), at("outside/totmp")));
    QVERIFY(QFile::link(at("tmp/aabbccddeeff_blkdev_list.lst"), at("fw/theirs")));
    QCOMPARE(::mkfifo(qPrintable(at("tmp/pipe")), 0600), 0);

    f->settings.setValue("firmwareImageDir", at("fw"));
    f->settings.setValue("appImageDir", at("app"));
    f->settings.setValue("hotfixDir", at("hotfix"));
    f->settings.setValue("tempDir", at("tmp"));
    f->settings.setValue("signageContentDir1", at("sig"));
    f->settings.setValue("signageContentDir2", QString());
    f->settings.setValue("signageContentDir3", at("missing"));
    f->record->macAddress = QStringLiteral("00:11:22:33:44:55");
    SSLServer::setFreeSpaceProbe([](const QString &) { return qint64(1) << 40; });
}

void TestFileTransfer::cleanup()
{
    SSLServer::setFreeSpaceProbe(nullptr);
    delete f;
    f = nullptr;
    delete m_root;
    m_root = nullptr;
}

// Which files a device may open for reading. code -1 expects success with
// the file's size; settings lists "key=value" changes made first.
void TestFileTransfer::readableFiles_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("subCode");
    QTest::addColumn<QStringList>("settings");
    QTest::addColumn<int>("code");
    const QStringList none;
    const QStringList noDirs{"firmwareImageDir=", "appImageDir=", "hotfixDir=", "tempDir="};

    QTest::newRow("firmware") << "$root/fw/image.bin" << 0 << none << -1;
    QTest::newRow("client") << "$root/app/client.bin" << 0 << none << -1;
    QTest::newRow("hotfix") << "$root/hotfix/hf.bin" << 0 << none << -1;
    QTest::newRow("temp") << "$root/tmp/list.txt" << 0 << none << -1;
    QTest::newRow("dotdot that stays inside") << "$root/tmp/sub/../list.txt" << 0 << none << -1;
    QTest::newRow("dotdot out of temp") << "$root/tmp/../outside/secret.txt" << 0 << none << 2;
    QTest::newRow("absolute elsewhere") << "/etc/passwd" << 0 << none << 2;
    QTest::newRow("temp path inside another path") << "$root/outside$root/tmp/x.txt" << 0 << none << 2;
    QTest::newRow("sibling with the same prefix") << "$root/tmpx/near.txt" << 0 << none << 2;
    QTest::newRow("signage, sub-code 0") << "$root/sig/content.png" << 0 << none << 2;
    QTest::newRow("signage, sub-code 1") << "$root/sig/content.png" << 1 << none << -1;
    QTest::newRow("signage, sub-code 7") << "$root/sig/content.png" << 7 << none << -1;
    QTest::newRow("link out of temp") << "$root/tmp/link-out" << 0 << none << 2;
    QTest::newRow("link into firmware") << "$root/tmp/link-in" << 0 << none << -1;
    QTest::newRow("named outside, a link leads into temp") << "$root/outside/totmp/list.txt" << 0 << none << 2;
    QTest::newRow("through a directory link") << "$root/tmp/dirlink/secret.txt" << 0 << none << 2;
    QTest::newRow("allowed directory is a link")
        << "$root/tmp/list.txt" << 0 << QStringList{"tempDir=$root/tmplink"} << -1;
    QTest::newRow("file named through the linked directory")
        << "$root/tmplink/list.txt" << 0 << QStringList{"tempDir=$root/tmplink"} << -1;
    QTest::newRow("missing file") << "$root/tmp/none.bin" << 0 << none << 2;
    QTest::newRow("directory") << "$root/tmp/sub" << 0 << none << 3;
    QTest::newRow("pipe") << "$root/tmp/pipe" << 0 << none << 3;
    QTest::newRow("no directories set") << "$root/fw/image.bin" << 0 << noDirs << 2;
    QTest::newRow("only signage set") << "$root/sig/content.png" << 1 << noDirs << -1;
    QTest::newRow("blank directory") << "$root/tmp/list.txt" << 0 << QStringList{"tempDir=  "} << 2;
    QTest::newRow("missing directory") << "$root/tmp/list.txt" << 0 << QStringList{"tempDir=$root/missing"} << 2;
    QTest::newRow("relative path") << "list.txt" << 0 << none << 2;
    // Read against the folder the console was started in (here $root), a
    // relative directory would open all of it to the devices.
    QTest::newRow("relative signage directory")
        << "$root/outside/secret.txt" << 1 << QStringList{"signageContentDir1=outside"} << 2;
    QTest::newRow("signage directory \".\"")
        << "$root/outside/secret.txt" << 1 << QStringList{"signageContentDir1=."} << 2;
    QTest::newRow("empty path") << "" << 0 << none << 2;
    QTest::newRow("backslashes") << "$root\\tmp\\list.txt" << 0 << none << 2;
    QTest::newRow("department file") << "$root/tmp/KorvaneManager.ini" << 0 << none << 2;
    QTest::newRow("own upload") << "$root/tmp/001122334455_blkdev_list.lst" << 0 << none << -1;
    QTest::newRow("another device's upload") << "$root/tmp/aabbccddeeff_blkdev_list.lst" << 0 << none << 2;
    QTest::newRow("another device's upload, named through a link")
        << "$root/fw/theirs" << 0 << none << 2;
    // Devices upload only into the temporary directory: elsewhere a name
    // that merely looks like a device's (a time stamp) is served.
    QTest::newRow("content named with a time stamp")
        << "$root/sig/20240315-0930_welcome.png" << 1 << none << -1;
}

void TestFileTransfer::readableFiles()
{
    QFETCH(QString, path);
    QFETCH(int, subCode);
    QFETCH(QStringList, settings);
    QFETCH(int, code);
    const QString startedIn = QDir::currentPath();
    QVERIFY(QDir::setCurrent(m_root->path()));
    const auto restore = qScopeGuard([&startedIn] { QDir::setCurrent(startedIn); });
    for (const QString &s : settings) {
        const int eq = int(s.indexOf(QLatin1Char('=')));
        f->settings.setValue(s.left(eq), expand(s.mid(eq + 1)));
    }
    f->send(openRead(expand(path), quint8(subCode)));
    const QList<QByteArray> writes = f->takeWrites();
    if (code >= 0) {
        QCOMPARE(writes, QList<QByteArray>{reply(quint8(code))});
        QCOMPARE(f->record->transferFile, nullptr);
        return;
    }
    const QFileInfo file(expand(path));
    QCOMPARE(writes, QList<QByteArray>{reply(0, QByteArray::number(file.size()))});
    QVERIFY(f->record->transferFile);
    QVERIFY(f->record->transferFile->isOpen());
    QCOMPARE(f->record->transferFile->fileName(), file.canonicalFilePath());
}

void TestFileTransfer::downloadWholeFile()
{
    const QByteArray content = pattern(10000, 3);
    QVERIFY(TestFiles::write(at("fw/big.bin"), content));
    f->send(openRead(at("fw/big.bin")));
    QCOMPARE(f->takeWrites(), QList<QByteArray>{reply(0, "10000")});
    // Chunks of at most 4,092 bytes, however many are asked for.
    for (int from = 0; from < content.size(); from += 4092) {
        f->send(readChunk(10000));
        QCOMPARE(f->takeWrites(), QList<QByteArray>{WireWriter(7, 0).raw(content.mid(from, 4092)).finish()});
    }
    // End of file leaves the file open until the device closes it.
    f->send(readChunk(1));
    QCOMPARE(f->takeWrites(), QList<QByteArray>{reply(2)});
    QVERIFY(f->record->transferFile && f->record->transferFile->isOpen());
    f->send(closeFile);
    QCOMPARE(f->record->transferFile, nullptr);
    QVERIFY(f->takeWrites().isEmpty());
}

void TestFileTransfer::oneTransferAtATime()
{
    f->send(openRead(at("fw/image.bin")));
    f->takeWrites();
    QFile *open = f->record->transferFile;
    f->send(readChunk(10));
    f->takeWrites();

    f->send(openRead(at("app/client.bin")));
    f->send(openWrite("upload.txt"));
    // A download is never written to.
    f->send(writeChunk("overwrite"));
    QCOMPARE(f->takeWrites(), (QList<QByteArray>{reply(1), reply(1), reply(5)}));
    QCOMPARE(f->record->transferFile, open);
    QVERIFY(!QFile::exists(at("tmp/upload.txt")));
    QCOMPARE(TestFiles::read(at("fw/image.bin")), pattern(100));
    // The open download goes on where it was.
    f->send(readChunk(5));
    QCOMPARE(f->takeWrites(), QList<QByteArray>{QByteArray::fromHex("07000005") + pattern(100).mid(10, 5)});
}

void TestFileTransfer::nothingOpen()
{
    f->send(readChunk(100));
    f->send(writeChunk("data"));
    f->send(closeFile);
    QCOMPARE(f->takeWrites(), (QList<QByteArray>{reply(3), reply(5)}));
    QCOMPARE(f->record->transferFile, nullptr);
}

void TestFileTransfer::readErrorIsNotEndOfFile()
{
    auto *file = new FailingFile(at("fw/image.bin"));
    QVERIFY(file->open(QIODevice::ReadOnly | QIODevice::Unbuffered));
    f->record->transferFile = file;

    f->send(readChunk(40));
    QCOMPARE(f->takeWrites(), QList<QByteArray>{QByteArray::fromHex("07000028") + pattern(100).left(40)});
    f->send(readChunk(40));
    f->send(readChunk(40));
    QCOMPARE(f->takeWrites(), (QList<QByteArray>{reply(3), reply(3)}));
    f->send(closeFile);
    QCOMPARE(f->record->transferFile, nullptr);
}

// Saved again in place, shorter, while the device reads it: its end is no
// end of the file the device was told of.
void TestFileTransfer::fileCutWhileRead()
{
    QVERIFY(TestFiles::write(at("fw/big.bin"), pattern(50000)));
    f->send(openRead(at("fw/big.bin")));
    QCOMPARE(f->takeWrites(), QList<QByteArray>{reply(0, "50000")});
    QVERIFY(QFile::resize(at("fw/big.bin"), 20000));
    QList<QByteArray> writes;
    for (int n = 0; n < 20 && (writes.isEmpty() || writes.last().at(1) == 0); ++n) {
        f->send(readChunk(4092));
        writes += f->takeWrites();
    }
    QCOMPARE(writes.last(), reply(3));
}

void TestFileTransfer::upload()
{
    QVERIFY(TestFiles::write(at("tmp/blocks.txt"), "old content that must go"));
    f->send(openWrite("blocks.txt"));
    QCOMPARE(f->takeWrites(), QList<QByteArray>{reply(0)});
    // Replaced only by a whole upload.
    QCOMPARE(TestFiles::read(at("tmp/blocks.txt")), "old content that must go");

    const QByteArray big = pattern(4092, 1);
    f->send(writeChunk("sda 8G\n"));
    f->send(writeChunk(big));
    // The header promises 100 bytes; only 10 came.
    QByteArray shortFrame = writeChunk("0123456789");
    shortFrame[3] = 100;
    f->send(shortFrame);
    // The header counts 3 bytes; what follows belongs to no chunk.
    QByteArray longFrame = writeChunk("abcdefgh");
    longFrame[3] = 3;
    f->send(longFrame);
    f->send(writeChunk(QByteArray()));
    QVERIFY(f->takeWrites().isEmpty());
    f->send(closeFile);
    QCOMPARE(f->record->transferFile, nullptr);
    QCOMPARE(TestFiles::read(at("tmp/blocks.txt")), "sda 8G\n" + big + "0123456789" + "abc");
    QVERIFY(f->takeWrites().isEmpty());
}

// Every byte a chunk carries reaches the file, whatever the device's chunk
// size: the upload takes its name as a whole file at the close.
void TestFileTransfer::uploadChunkSizes_data()
{
    QTest::addColumn<int>("size");
    QTest::newRow("one byte") << 1;
    QTest::newRow("a chunk reply's room") << 4092;
    QTest::newRow("past a chunk reply's room") << 5000;
    QTest::newRow("the largest frame") << 0xFFFF;
}

void TestFileTransfer::uploadChunkSizes()
{
    QFETCH(int, size);
    f->send(openWrite("blocks.txt"));
    QCOMPARE(f->takeWrites(), QList<QByteArray>{reply(0)});
    const QByteArray first = pattern(size, 1), second = pattern(size, 2);
    f->send(writeChunk(first));
    f->send(writeChunk(second));
    f->send(closeFile);
    QVERIFY(f->takeWrites().isEmpty());
    QCOMPARE(TestFiles::read(at("tmp/blocks.txt")), first + second);
}

void TestFileTransfer::uploadNames_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("code");
    QTest::newRow("plain") << "sda.txt" << 0;
    QTest::newRow("hidden file") << ".blocks" << 0;
    QTest::newRow("empty") << "" << 4;
    QTest::newRow("dot") << "." << 4;
    QTest::newRow("dotdot") << ".." << 4;
    QTest::newRow("slash") << "sub/x.txt" << 4;
    QTest::newRow("escape") << "../outside/evil.txt" << 4;
    QTest::newRow("backslash") << "..\\evil.txt" << 4;
    QTest::newRow("department file") << "KorvaneManager.ini" << 4;
    QTest::newRow("white list, other case") << "WhiteList.TXT" << 4;
    QTest::newRow("an update's partial file") << "setup-7.9.0-win.exe.part" << 4;
    QTest::newRow("partial file, other case") << "fw.bin.PART" << 4;
    // Removed at the next start as an upload a crash cut off.
    QTest::newRow("an upload's own file") << ".upload-Ab12Cd" << 4;
    QTest::newRow("upload prefix, other case") << ".UPLOAD-list" << 4;
    QTest::newRow("own list") << "001122334455_blkdev_list.lst" << 0;
    QTest::newRow("prefix that is no address") << "00112233445_x" << 0;
    QTest::newRow("another device's list") << "AABBCCDDEEFF_blkdev_list.lst" << 4;
    QTest::newRow("another device's list, colons") << "aa:bb:cc:dd:ee:ff_blkdev_list.lst" << 4;
    // The file system counts a name's bytes; past ASCII a Latin-1 letter
    // takes two of them.
    QTest::newRow("255 bytes") << QString(255, QLatin1Char('a')) << 0;
    QTest::newRow("256 bytes") << QString(256, QLatin1Char('a')) << 4;
    QTest::newRow("128 accented letters") << QString(128, QChar(0xE9)) << 4;
    QTest::newRow("existing pipe") << "pipe" << 3;
    QTest::newRow("existing directory") << "sub" << 3;
    QTest::newRow("link out of the directory") << "link-out" << 3;
}

void TestFileTransfer::uploadNames()
{
    QFETCH(QString, name);
    QFETCH(int, code);
    f->send(openWrite(name));
    QCOMPARE(f->takeWrites(), QList<QByteArray>{reply(quint8(code))});
    f->send(writeChunk("x"));
    f->send(closeFile);
    if (code == 0) {
        QCOMPARE(TestFiles::read(at("tmp/") + name), "x");
    } else {
        QCOMPARE(f->record->transferFile, nullptr);
        QVERIFY(!QFile::exists(at("outside/evil.txt")));
        QCOMPARE(TestFiles::read(at("outside/secret.txt")), "secret");
    }
}

void TestFileTransfer::uploadCannotCreate()
{
    f->settings.setValue("tempDir", at("missing"));
    f->send(openWrite("blocks.txt"));
    QCOMPARE(f->takeWrites(), QList<QByteArray>{reply(3)});
    // The failed upload is the device's transfer until it closes it.
    f->send(openRead(at("fw/image.bin")));
    f->send(openWrite("other.txt"));
    f->send(writeChunk("data"));
    f->send(readChunk(10));
    QCOMPARE(f->takeWrites(), (QList<QByteArray>{reply(1), reply(1), reply(5), reply(3)}));
    f->send(closeFile);
    QCOMPARE(f->record->transferFile, nullptr);
    f->send(openRead(at("fw/image.bin")));
    QCOMPARE(f->takeWrites(), QList<QByteArray>{reply(0, "100")});
    f->send(closeFile);

    // Without a temporary directory nothing is created anywhere.
    f->settings.setValue("tempDir", QString());
    f->send(openWrite("blocks.txt"));
    QCOMPARE(f->takeWrites(), QList<QByteArray>{reply(3)});
    QCOMPARE(f->record->transferFile, nullptr);
}

void TestFileTransfer::failedWriteRemovesPartialFile()
{
    auto *file = new FailingFile(at("tmp/upload.bin"));
    QVERIFY(file->open(QIODevice::ReadWrite | QIODevice::Truncate));
    f->record->transferFile = file;

    f->send(writeChunk("first"));
    QVERIFY(QFile::exists(at("tmp/upload.bin")));
    f->send(writeChunk("second"));
    QVERIFY(!QFile::exists(at("tmp/upload.bin")));
    f->send(writeChunk("third"));
    f->send(openWrite("again.bin"));
    QCOMPARE(f->takeWrites(), (QList<QByteArray>{reply(5), reply(1)}));
    QVERIFY(!QFile::exists(at("tmp/upload.bin")));
    f->send(closeFile);
    QCOMPARE(f->record->transferFile, nullptr);
}

// Uploads against the disk: at most 64 MiB each, none while the temporary
// directory's file system has less than 256 MiB free. A refused upload
// leaves no file, neither under its name nor under a temporary one.
void TestFileTransfer::uploadLimits_data()
{
    QTest::addColumn<qint64>("size");
    QTest::addColumn<qint64>("freeAtOpen");
    QTest::addColumn<qint64>("freeLater");
    QTest::addColumn<int>("openCode");
    QTest::addColumn<bool>("kept");
    const qint64 MiB = 1 << 20;
    const qint64 plenty = 1024 * MiB;
    QTest::newRow("64 MiB") << 64 * MiB << plenty << plenty << 0 << true;
    QTest::newRow("one byte over 64 MiB") << 64 * MiB + 1 << plenty << plenty << 0 << false;
    QTest::newRow("exactly 256 MiB free") << MiB << 256 * MiB << 256 * MiB << 0 << true;
    QTest::newRow("less than 256 MiB free") << MiB << 256 * MiB - 1 << plenty << 3 << false;
    QTest::newRow("disk runs low during the upload") << 3 * MiB << plenty << 100 * MiB << 0 << false;
}

void TestFileTransfer::uploadLimits()
{
    QFETCH(qint64, size);
    QFETCH(qint64, freeAtOpen);
    QFETCH(qint64, freeLater);
    QFETCH(int, openCode);
    QFETCH(bool, kept);
    int probes = 0;
    SSLServer::setFreeSpaceProbe([&](const QString &dir) {
        // Always asked about the temporary directory, never elsewhere.
        return QFileInfo(dir).canonicalFilePath() == QFileInfo(at("tmp")).canonicalFilePath()
            ? (probes++ ? freeLater : freeAtOpen)
            : 0;
    });
    QVERIFY(TestFiles::write(at("tmp/big.bin"), "old"));
    f->send(openWrite("big.bin"));
    QCOMPARE(f->takeWrites(), QList<QByteArray>{reply(quint8(openCode))});
    const QByteArray chunk = pattern(TransferReply::MaxChunk);
    QList<QByteArray> refusals;
    for (qint64 sent = 0; openCode == 0 && sent < size && refusals.isEmpty(); sent += chunk.size()) {
        f->send(writeChunk(chunk.left(int(qMin<qint64>(chunk.size(), size - sent)))));
        refusals = f->takeWrites();
    }
    QCOMPARE(refusals, kept || openCode ? QList<QByteArray>{} : QList<QByteArray>{reply(5)});
    f->send(closeFile);
    QCOMPARE(QFileInfo(at("tmp/big.bin")).size(), kept ? size : 3);
    QCOMPARE(QDir(at("tmp")).entryList({QStringLiteral(".upload-*")}, QDir::Files | QDir::Hidden), QStringList());
}

// An upload that a new connection of the same device cuts short is removed;
// what the name held before stays.
void TestFileTransfer::cutUploadLeavesNothing()
{
    QVERIFY(TestFiles::write(at("tmp/blocks.txt"), "before"));
    f->send(openWrite("blocks.txt"));
    f->send(writeChunk("half of a list"));
    QCOMPARE(f->takeWrites(), QList<QByteArray>{reply(0)});
    const QStringList before = QDir(at("tmp")).entryList(QDir::Files | QDir::Hidden | QDir::System);
    SimDeviceConfig config;
    config.macAddress = f->record->macAddress;
    f->sendFrom(f->pendingSocket, DeviceMessages::registration(config));
    QCOMPARE(f->devices.value(f->pendingSocket), f->record);
    f->pendingRecord = nullptr;   // merged into the device's record and gone
    QCOMPARE(f->record->transferFile, nullptr);
    QCOMPARE(QDir(at("tmp")).entryList(QDir::Files | QDir::Hidden | QDir::System), before);
    QCOMPARE(TestFiles::read(at("tmp/blocks.txt")), "before");
}

// What uploads a crash cut off is removed, and nothing else, whatever a
// device named its files.
void TestFileTransfer::crashedUploadsRemovedAtStart()
{
    for (const char *name : {".upload-Ab12Cd", ".upload-000000"})
        QVERIFY(TestFiles::write(at("tmp/") + QLatin1String(name), "cut"));
    const QStringList kept{".blocks", ".upload-", ".upload-Ab12C", ".upload-Ab12Cd7", ".upload-Ab-2Cd", "x.upload-Ab12Cd"};
    for (const QString &name : kept)
        QVERIFY(TestFiles::write(at("tmp/") + name, "kept"));
    QVERIFY(QDir(at("tmp")).mkdir(QStringLiteral(".upload-dir123")));
    QVERIFY(QFile::link(at("outside/secret.txt"), at("tmp/.upload-link12")));
    const QStringList before = QDir(at("tmp")).entryList(QDir::AllEntries | QDir::Hidden | QDir::System);

    QCOMPARE(f->server->removeUnfinishedUploads(), 2);
    QStringList expected = before;
    expected.removeOne(QStringLiteral(".upload-Ab12Cd"));
    expected.removeOne(QStringLiteral(".upload-000000"));
    QCOMPARE(QDir(at("tmp")).entryList(QDir::AllEntries | QDir::Hidden | QDir::System), expected);
    QCOMPARE(TestFiles::read(at("outside/secret.txt")), "secret");
}

// Requests that are dropped without a reply and without a change. Had they
// been handled, any of them would have been answered.
void TestFileTransfer::malformedRequests_data()
{
    QTest::addColumn<bool>("fromPending");
    QTest::addColumn<bool>("downloadOpen");
    QTest::addColumn<QByteArray>("frame");
    const QString path = QStringLiteral("/etc/passwd");
    QTest::newRow("9 long") << false << false << openRead(path) + '\0';
    QTest::newRow("9 short") << false << false << openRead(path).chopped(1);
    QTest::newRow("22 long") << false << false << openWrite("x.txt") + 'x';
    QTest::newRow("10 long keeps the transfer") << false << true << closeFile + 'x';
    QTest::newRow("11 without its size") << false << true << QByteArray::fromHex("0b000000");
    QTest::newRow("11 with half its size") << false << true << QByteArray::fromHex("0b00000110");
    QTest::newRow("9 from pending") << true << false << openRead(path);
    QTest::newRow("22 from pending") << true << false << openWrite("x.txt");
    QTest::newRow("11 from pending") << true << false << readChunk(10);
    QTest::newRow("23 from pending") << true << false << writeChunk("x");
    QTest::newRow("10 from pending") << true << false << closeFile;
}

void TestFileTransfer::malformedRequests()
{
    QFETCH(bool, fromPending);
    QFETCH(bool, downloadOpen);
    QFETCH(QByteArray, frame);
    if (downloadOpen) {
        f->send(openRead(at("fw/image.bin")));
        f->takeWrites();
    }
    QFile *before = f->record->transferFile;
    f->sendFrom(fromPending ? f->pendingSocket : f->socket, frame);
    QVERIFY(f->takeWrites(fromPending ? f->pendingSocket : f->socket).isEmpty());
    QCOMPARE(f->record->transferFile, before);
    QCOMPARE(f->pendingRecord->transferFile, nullptr);
    QVERIFY(!QFile::exists(at("tmp/x.txt")));
}

void TestFileTransfer::whiteList_data()
{
    QTest::addColumn<bool>("present");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QByteArray>("sent");
    // Two lines fill the device's 16,380 bytes exactly; a third does not fit.
    const QByteArray line(8189, 'a');
    QTest::newRow("missing") << false << QByteArray() << QByteArray();
    QTest::newRow("empty") << true << QByteArray() << QByteArray();
    QTest::newRow("CRLF") << true << QByteArray("sda\r\nsdb\r\n") << QByteArray("sda\nsdb\n");
    // Cut as the white-list command cuts it: whole lines only.
    QTest::newRow("long CRLF list") << true << (line + "\r\n").repeated(2) + "b\r\n" << (line + '\n').repeated(2);
}

void TestFileTransfer::whiteList()
{
    QFETCH(bool, present);
    QFETCH(QByteArray, content);
    QFETCH(QByteArray, sent);
    if (present)
        QVERIFY(TestFiles::write(at("tmp/whitelist.txt"), content));
    f->send(QByteArray::fromHex("31000000"));
    const QList<QByteArray> writes = f->takeWrites();
    QCOMPARE(writes.size(), 1);
    const QByteArray r = writes.first();
    QCOMPARE(r.left(2), QByteArray::fromHex("3100"));
    QCOMPARE(Frame::payloadLength(r), int(sent.size()));
    QCOMPARE(r.mid(4), sent);
}

void TestFileTransfer::whiteListFromPendingOnly()
{
    QVERIFY(TestFiles::write(at("tmp/whitelist.txt"), "sda\n"));
    const QByteArray answer = QByteArray::fromHex("31000004") + "sda\n";
    f->sendFrom(f->pendingSocket, QByteArray::fromHex("b1000000"));   // bit 7 set
    QCOMPARE(f->takeWrites(f->pendingSocket), QList<QByteArray>{answer});
    f->sendFrom(f->strangerSocket, QByteArray::fromHex("31000000"));
    QVERIFY(f->takeWrites(f->strangerSocket).isEmpty());

    // A directory where the list should be, or no temporary directory at all.
    QVERIFY(QFile::remove(at("tmp/whitelist.txt")));
    QVERIFY(QDir().mkpath(at("tmp/whitelist.txt")));
    f->send(QByteArray::fromHex("31000000"));
    f->settings.setValue("tempDir", QString());
    f->send(QByteArray::fromHex("31000000"));
    QCOMPARE(f->takeWrites(), (QList<QByteArray>{QByteArray::fromHex("31000000"), QByteArray::fromHex("31000000")}));
}

// Nobody writes into a pipe planted under the list's name: opening it for
// the list would hold the console for good.
void TestFileTransfer::whiteListNotAFile()
{
    QCOMPARE(::mkfifo(qPrintable(at("tmp/whitelist.txt")), 0600), 0);
    f->send(QByteArray::fromHex("31000000"));
    QCOMPARE(f->takeWrites(), QList<QByteArray>{QByteArray::fromHex("31000000")});
}

// A content folder others may write to can change between the check of a
// requested file and its open: a file turned into a link meanwhile must not
// send what the link leads to.
void TestFileTransfer::fileSwappedForALink()
{
    const QByteArray swap = QFile::encodeName(at("sig/swap.png"));
    const QByteArray file = QFile::encodeName(at("sig/.file"));
    const QByteArray link = QFile::encodeName(at("sig/.link"));
    const QByteArray content = QFile::encodeName(at("sig/content.png"));
    const QByteArray secret = QFile::encodeName(at("outside/secret.txt"));
    std::atomic<bool> stop{false};
    // Now and then the test asks for the file to stay a while: where threads
    // take turns at every system call (under memcheck), the name would
    // otherwise change between any two of the checks, and no request would
    // ever be served.
    std::atomic<bool> hold{false}, held{false};
    QThread *swapper = QThread::create([&] {
        while (!stop) {
            if (::link(content.constData(), file.constData()) == 0)
                ::rename(file.constData(), swap.constData());
            held = hold.load();
            while (hold && !stop)
                std::this_thread::yield();
            held = false;
            if (::symlink(secret.constData(), link.constData()) == 0)
                ::rename(link.constData(), swap.constData());
        }
    });
    swapper->start();
    int served = 0;
    bool leaked = false;
    for (int i = 0; i < 5000 && served < 1000 && !leaked; ++i) {
        hold = i % 100 == 99;
        while (hold && !held)
            std::this_thread::yield();
        f->send(openRead(at("sig/swap.png"), 1));
        hold = false;
        const QByteArray opened = f->takeWrites().value(0);
        if (opened.size() < 2 || opened.at(1) != 0)
            continue;
        ++served;
        f->send(readChunk(100));
        leaked = f->takeWrites().value(0).contains("secret");
        f->send(closeFile);
    }
    stop = true;
    swapper->wait();
    delete swapper;
    QVERIFY(!leaked);
    QVERIFY(served > 0);
}

QTEST_MAIN(TestFileTransfer)
#include "tst_filetransfer.moc"
