// Upgrade files and commands byte by byte: the image header, the model
// table's matching rules and the three upgrade commands.
#include "updates/core/devicemodels.h"
#include "updates/core/upgradepackets.h"
#include "pipepeer.h"
#include "testfiles.h"

#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>

using namespace DeviceModels;

class TestUpgradePackets : public QObject
{
    Q_OBJECT
private slots:
    void headerCheck_data();
    void headerCheck();
    void headerOnlyOfRegularFiles_data();
    void headerOnlyOfRegularFiles();
    void isModelRule_data();
    void isModelRule();
    void percentTag_data();
    void percentTag();
    void commands_data();
    void commands();
    void tooLongRefused();
    void hotfixListsWhatFits_data();
    void hotfixListsWhatFits();
    void unreadablePathsRefused();

private:
    QTemporaryDir m_dir;
};

void TestUpgradePackets::headerCheck_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<int>("modelId");   // 99: the output is left untouched

    // As stored: the first ten bytes complemented, the model id in byte 1.
    const QByteArray k1 = QByteArray::fromHex("21fe95ff70ff6bffffff") + QByteArray(41, '\0');
    QCOMPARE(imageHeader(1), k1);
    QByteArray badMagic = k1;
    badMagic[6] = char(0x00);
    QTest::newRow("exactly the header") << k1 << true << 1;
    QTest::newRow("header and payload") << imageHeader(15) + QByteArray(4000, 'x') << true << 15;
    QTest::newRow("one byte short") << k1.left(50) << false << 99;
    QTest::newRow("wrong magic") << badMagic << false << 99;
    QTest::newRow("model id 0") << imageHeader(0) << false << -1;
    QTest::newRow("model id 16") << imageHeader(16) << false << -1;
}

void TestUpgradePackets::headerCheck()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, valid);
    QFETCH(int, modelId);
    const QString path = m_dir.filePath(QString::fromLatin1(QTest::currentDataTag()));
    QVERIFY(TestFiles::write(path, bytes));

    int id = 99;
    QCOMPARE(readImageModelId(path, &id), valid);
    QCOMPARE(id, modelId);
}

void TestUpgradePackets::headerOnlyOfRegularFiles_data()
{
    QTest::addColumn<bool>("throughLink");
    // The listing of a firmware folder shows a link to a pipe as a file.
    QTest::newRow("pipe") << false;
    QTest::newRow("link to a pipe") << true;
}

// A pipe under an image's name is no image: its header is not waited for.
void TestUpgradePackets::headerOnlyOfRegularFiles()
{
    QFETCH(bool, throughLink);
    QTemporaryDir dir;
    const QByteArray fifo = QFile::encodeName(dir.filePath(QStringLiteral("pipe")));
    QCOMPARE(::mkfifo(fifo.constData(), 0600), 0);
    const QString path = dir.filePath(QStringLiteral("uimage.bin"));
    if (throughLink)
        QVERIFY(QFile::link(QFile::decodeName(fifo), path));
    else
        QVERIFY(QFile::rename(QFile::decodeName(fifo), path));
    const QByteArray opened = QFile::encodeName(path);
    int id = 99;
    bool read = true;
    QVERIFY(returnsUnaided(opened, [&] { read = readImageModelId(path, &id); }));
    QVERIFY(!read);
    QCOMPARE(id, 99);
}

void TestUpgradePackets::isModelRule_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("id");
    QTest::addColumn<bool>("matches");
    QTest::newRow("same case") << "orl k1" << 1 << true;
    QTest::newRow("any case, second id") << "ORL K1" << 5 << true;
    QTest::newRow("trailing blank") << "ORL K1 " << 1 << false;
    QTest::newRow("longer model") << "ORL WY2" << 11 << false;
    QTest::newRow("id 16") << "hv qb" << 16 << false;
    QTest::newRow("id 0") << "orl k1" << 0 << false;
}

void TestUpgradePackets::isModelRule()
{
    QFETCH(QString, name);
    QFETCH(int, id);
    QTEST(isModel(name, id), "matches");
}

void TestUpgradePackets::percentTag_data()
{
    QTest::addColumn<QString>("firmware");
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("matches");
    QTest::newRow("exact version") << "4.2.1" << "/h/ORL K1/hf%4.2.1%.bin" << true;
    QTest::newRow("longer version") << "4.2.10" << "/h/ORL K1/hf%4.2.1%.bin" << false;
    QTest::newRow("a third percent sign") << "4.2.1" << "/h/hf%4.2.1%x%.bin" << true;
    QTest::newRow("one percent sign") << "4.2.1" << "/h/hf%4.2.1.bin" << false;
    QTest::newRow("adjacent, empty version") << "" << "/h/hf%%.bin" << true;
    QTest::newRow("adjacent, some version") << "4.2.1" << "/h/hf%%.bin" << false;
    // Only the file name carries the tag.
    QTest::newRow("percent in directory") << "4.2.1" << "/h/50%/hf%4.2.1%.bin" << true;
    QTest::newRow("tag only in directory") << "x" << "/h/%x%/hf.bin" << false;
}

void TestUpgradePackets::percentTag()
{
    QFETCH(QString, firmware);
    QFETCH(QString, path);
    QTEST(matchesPercentTag(firmware, path), "matches");
}

void TestUpgradePackets::commands_data()
{
    QTest::addColumn<QByteArray>("frame");
    QTest::addColumn<QByteArray>("expected");
    const QDate date(2026, 3, 7);
    // Date texts carry no leading zeros; the kernel path comes first.
    QTest::newRow("firmware, both images")
        << UpgradePackets::upgradeFirmware(date, "ORL K1", "/f/k", "/f/r")
        << QByteArray::fromHex("0301002600023300000237000005323032360000074f524c204b310000052f662f6b0000052f662f7200");
    QTest::newRow("firmware, root file system only")
        << UpgradePackets::upgradeFirmware(date, "ORL K1", QString(), "/f/r")
        << QByteArray::fromHex("0301001f00023300000237000005323032360000074f524c204b310000052f662f7200");
    QTest::newRow("firmware, kernel only")
        << UpgradePackets::upgradeFirmware(date, "ORL K1", "/f/k", QString())
        << QByteArray::fromHex("0301001f00023300000237000005323032360000074f524c204b310000052f662f6b00");
    QTest::newRow("client: path first, no count field")
        << UpgradePackets::upgradeClient(date, "/a/p")
        << QByteArray::fromHex("0c0100142f612f7000000233000002370000053230323600");
    QTest::newRow("hotfix")
        << UpgradePackets::installHotfix(date, "ORL K1", {"/h/1", "/h/2"})
        << QByteArray::fromHex("1a02002700023300000237000005323032360000074f524c204b31000200052f682f310000052f682f3200");
}

void TestUpgradePackets::commands()
{
    QFETCH(QByteArray, frame);
    QFETCH(QByteArray, expected);
    QCOMPARE(frame.toHex(), expected.toHex());
}

void TestUpgradePackets::tooLongRefused()
{
    const QDate date(2026, 12, 31);
    const QString longPath = QLatin1String("/f/") + QString(4096, QLatin1Char('k'));
    QVERIFY(UpgradePackets::upgradeFirmware(date, "ORL K1", longPath, "/f/r").isEmpty());
    QVERIFY(UpgradePackets::upgradeClient(date, longPath).isEmpty());
    // The longest path that still fits the 4096-byte buffer: header, NUL and
    // the date's "12", "31" and "2026" take the rest.
    const int longest = 4096 - 4 - 1 - 5 - 5 - 7;
    QCOMPARE(UpgradePackets::upgradeClient(date, QString(longest, QLatin1Char('p'))).size(), 4096);
    QVERIFY(UpgradePackets::upgradeClient(date, QString(longest + 1, QLatin1Char('p'))).isEmpty());
}

void TestUpgradePackets::hotfixListsWhatFits_data()
{
    QTest::addColumn<QStringList>("paths");
    QTest::addColumn<int>("listed");
    QStringList many;
    for (int i = 0; i < 300; ++i)
        many << QStringLiteral("/h/%1").arg(i);
    QStringList long6;
    for (int i = 0; i < 6; ++i)
        long6 << QString(3000, QLatin1Char('a' + i));
    QTest::newRow("count byte caps at 255") << many << 255;
    QTest::newRow("buffer caps long paths") << long6 << 5;
    // Date and model take 28 bytes and the count one more; each path its
    // text, NUL and count field.
    const int room = UpgradePackets::HotfixBufferSize - 29 - 2 * 3;
    QTest::newRow("two paths fill the buffer exactly")
        << QStringList{QString(8000, QLatin1Char('a')), QString(room - 8000, QLatin1Char('b'))} << 2;
    QTest::newRow("one byte over keeps the first")
        << QStringList{QString(8000, QLatin1Char('a')), QString(room - 7999, QLatin1Char('b'))} << 1;
    QTest::newRow("nothing fits") << QStringList{QString(17000, QLatin1Char('x'))} << 0;
    // Devices fetch a listed file by the path they were sent, in Latin-1.
    QTest::newRow("stops at a path Latin-1 cannot hold")
        << QStringList{"/h/\u00e9t\u00e9.bin", QString::fromUtf8("/h/\u0414\u043e\u043a.bin"), "/h/b.bin"} << 1;
}

void TestUpgradePackets::hotfixListsWhatFits()
{
    QFETCH(QStringList, paths);
    QFETCH(int, listed);
    int count = -1;
    const QByteArray frame = UpgradePackets::installHotfix(QDate(2026, 1, 1), "ORL K1", paths, &count);
    QCOMPARE(count, listed);
    QCOMPARE(frame.isEmpty(), listed == 0);
    QVERIFY(frame.size() <= UpgradePackets::HotfixBufferSize);
    if (listed) {
        // The count byte follows date and model: 4 + 4 + 4 + 7 + 9 bytes.
        QCOMPARE(int(quint8(frame.at(28))), listed);
        QVERIFY(frame.endsWith(paths.at(listed - 1).toLatin1() + '\0'));
    }
}

void TestUpgradePackets::unreadablePathsRefused()
{
    // With "?" in place of each character it could not hold, the command
    // would name a file that is not there for the device to fetch.
    const QDate date(2026, 12, 31);
    const QString cyrillic = QString::fromUtf8("/f/\u0414\u043e\u043a/img");
    QVERIFY(UpgradePackets::upgradeFirmware(date, "ORL K1", cyrillic, "/f/r").isEmpty());
    QVERIFY(UpgradePackets::upgradeFirmware(date, "ORL K1", "/f/k", cyrillic).isEmpty());
    QVERIFY(UpgradePackets::upgradeClient(date, cyrillic).isEmpty());
    QVERIFY(!UpgradePackets::upgradeClient(date, QString::fromUtf8("/f/B\u00fcro/img")).isEmpty());
}

QTEST_GUILESS_MAIN(TestUpgradePackets)
#include "tst_upgradepackets.moc"
