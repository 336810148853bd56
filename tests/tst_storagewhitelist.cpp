// Dedicated storage: merging the clients' block-device lists, the white-list
// file and dialog, the scan and send steps and the hand-back to the wizard.
#include "commands/core/blockdevicelist.h"
#include "commands/core/whitelistfile.h"
#include "commands/core/wizardhandback.h"
#include "commands/dlgeditwhitelist.h"
#include "commands/packets/signagepackets.h"
#include "commands/storagewhitelist.h"
#include "devicelink/sslserver.h"
#include "devicelink/thinclientinfo.h"
#include "failingreads.h"
#include "failingwrites.h"
#include "fakedevices.h"
#include "nowriteroom.h"
#include "pipepeer.h"
#include "scriptedprompter.h"

#include <QCheckBox>
#include <QLabel>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <sys/stat.h>

Q_DECLARE_METATYPE(WhiteListOutcome)

static const QString WarningText = QStringLiteral(
    "*** WARNING! ***\n\nBy proceeding with this action, you are permitting the TarnelX installer to overwrite the "
    "selected storage devices without further prompting. If you enable a Tarnel PXE server, this could result in "
    "destruction of valuable data on PCs in the same VLAN and IP subnet that you didn't intend for use as thin "
    "clients, if they happen to have the same storage devices and are network booted for any reason.\n\nYou should "
    "not allow the client to automatically select a storage device unless you can guarantee that there is no "
    "valuable data on ANY of the listed storage devices.\n\nAre you sure that you want to dedicate the selected "
    "devices for Tarnel' exclusive use?");

static void writeFile(const QString &path, const QByteArray &data)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(data);
}

static QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

class TestStorageWhiteList : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void mergeCountsEveryLine();
    void loadDirectory();
    void listLimits_data();
    void listLimits();
    void listKeepsBytes_data();
    void listKeepsBytes();
    void allListsBounded();
    void sizeInMb_data();
    void sizeInMb();
    void rowsOfWellFormedLines_data();
    void rowsOfWellFormedLines();

    void fileRoundTrip();
    void fullDiskKeepsList();
    void loadReadsOnlyAFile();
    void payload_data();
    void payload();

    void dialogTable();
    void dialogSaysWhenListsWereCut();
    void dialogSaves();
    void dialogKeepsChosenPastBound();
    void dialogRefusalsAndFailures();

    void scanAndStart();
    void sendToStorageModels();
    void sendOutcomes();

    void wizardHandBack_data();
    void wizardHandBack();

private:
    ThinclientInfo *device(const QString &model, bool checked = true, bool online = true);

    QTemporaryDir m_tmp;
    QString m_dir;
    FakeDevices m_fake;
    QList<ThinclientInfo *> m_devices;   // the department shown
    QList<QPair<QSslSocket *, QByteArray>> &m_written = m_fake.writes;
};

void TestStorageWhiteList::init()
{
    QVERIFY(m_tmp.isValid());
    static int run = 0;
    m_dir = m_tmp.path() + QStringLiteral("/run%1").arg(++run);
    QDir().mkpath(m_dir);
    m_written.clear();
}

void TestStorageWhiteList::cleanup()
{
    m_fake.reset();
    m_devices.clear();
    QDir(m_dir).removeRecursively();
}

ThinclientInfo *TestStorageWhiteList::device(const QString &model, bool checked, bool online)
{
    m_devices << m_fake.add(model, checked, online);
    return m_devices.last();
}

void TestStorageWhiteList::mergeCountsEveryLine()
{
    BlockDeviceList merged;
    QStringList first, second;
    // 150 distinct lines, each reported by both clients: a table that only
    // counted the first 100 would show 1 for the rest.
    for (int i = 0; i < 150; ++i) {
        first << QStringLiteral("%1,V,M,disk,sd%2").arg(1000 + i).arg(i);
        second.prepend(first.last());
    }
    first << QStringLiteral("malformed") << QStringLiteral("1,2,3") << QStringLiteral("malformed");
    merged.addLines(first);
    merged.addLines(second);
    merged.addLines({first.at(149)});   // a third report of the last line

    QCOMPARE(merged.lines().size(), 152);
    QCOMPARE(merged.lines().first(), first.first());
    QCOMPARE(merged.lines().at(150), QStringLiteral("malformed"));
    for (int i = 0; i < 149; ++i)
        QCOMPARE(merged.occurrences(i), 2);
    QCOMPARE(merged.occurrences(149), 3);
    QCOMPARE(merged.occurrences(150), 2);   // the malformed line, counted but never a row
    QCOMPARE(merged.occurrences(151), 1);
    QCOMPARE(merged.occurrences(152), 0);   // out of range reads nothing

    const QList<BlockDeviceList::Row> rows = merged.rows();
    QCOMPARE(rows.size(), 150);
    QCOMPARE(rows.at(120).line, first.at(120));
    QCOMPARE(rows.at(120).occurrences, 2);
}

void TestStorageWhiteList::loadDirectory()
{
    // Read in name order without case: A before b; other files and links ignored.
    writeFile(m_dir + QStringLiteral("/b_blkdev_list.lst"), "2,V,M,T,sdb\r\n1,V,M,T,sda\r\n");
    writeFile(m_dir + QStringLiteral("/A_blkdev_list.lst"), "1,V,M,T,sda\n3,V\xe9,M,T,sdc\n");
    writeFile(m_dir + QStringLiteral("/other.txt"), "9,V,M,T,sdz\n");
    QFile::link(m_dir + QStringLiteral("/A_blkdev_list.lst"), m_dir + QStringLiteral("/L_blkdev_list.lst"));
    QDir().mkpath(m_dir + QStringLiteral("/D_blkdev_list.lst"));

    BlockDeviceList merged;
    merged.loadDirectory(m_dir);
    QCOMPARE(merged.lines(), (QStringList{QStringLiteral("1,V,M,T,sda"), QString::fromLatin1("3,V\xe9,M,T,sdc"),
                                          QStringLiteral("2,V,M,T,sdb")}));
    QCOMPARE(merged.occurrences(0), 2);
    QCOMPARE(merged.occurrences(1), 1);
    QCOMPARE(merged.occurrences(2), 1);

    BlockDeviceList none;
    none.loadDirectory(m_dir + QStringLiteral("/missing"));
    QVERIFY(none.lines().isEmpty());

    // A list the disk fails to read part-way is left out: its last line, cut
    // short, would name another disk ("sd" for "sdab").
    const QString cutDir = m_dir + QStringLiteral("/cut");
    QVERIFY(QDir().mkpath(cutDir));
    writeFile(cutDir + QStringLiteral("/C_blkdev_list.lst"), "1,V,M,T,sdab\n");
    const FailingReads failing(cutDir + QStringLiteral("/C_blkdev_list.lst"));
    BlockDeviceList cut;
    cut.loadDirectory(cutDir);
    QCOMPARE(cut.lines(), QStringList());
}

// One client's list is read up to 64 KiB and 256 distinct lines.
void TestStorageWhiteList::listLimits_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<int>("lines");
    QTest::addColumn<int>("firstCount");
    QTest::addColumn<bool>("whole");
    auto distinct = [](int count) {
        QByteArray out;
        for (int i = 0; i < count; ++i)
            out += QByteArray::number(1000 + i) + ",V,M,disk,sd" + QByteArray::number(i) + '\n';
        return out;
    };
    const QByteArray line("1,V,M,T,sda\n");
    QTest::newRow("short list") << distinct(3) << 3 << 1 << true;
    QTest::newRow("256 distinct lines") << distinct(256) << 256 << 1 << true;
    QTest::newRow("257 distinct lines") << distinct(257) << 256 << 1 << false;
    QTest::newRow("4.6 MB list") << distinct(200000) << 256 << 1 << false;
    QTest::newRow("64 KiB exactly") << line.repeated(5461) + "123\n" << 2 << 5461 << true;
    QTest::newRow("a line across 64 KiB is dropped") << line.repeated(5461) + "12345,x\n" << 1 << 5461 << false;
    QTest::newRow("one line repeated past 64 KiB") << line.repeated(20000) << 1 << 65536 / 12 << false;
}

void TestStorageWhiteList::listLimits()
{
    QFETCH(QByteArray, data);
    QFETCH(int, lines);
    QFETCH(int, firstCount);
    QFETCH(bool, whole);
    BlockDeviceList merged;
    QCOMPARE(merged.addList(data), whole);
    QCOMPARE(merged.lines().size(), lines);
    QCOMPARE(merged.occurrences(0), firstCount);
}

// A list is Latin-1 byte for byte, whatever its first bytes look like.
void TestStorageWhiteList::listKeepsBytes_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::newRow("UTF-16 little-endian mark") << QByteArray("\xff\xfe" "1,V,M,T,sda");
    QTest::newRow("UTF-16 big-endian mark") << QByteArray("\xfe\xff" "1,V,M,T,sda");
    QTest::newRow("UTF-8 mark") << QByteArray("\xef\xbb\xbf" "1,V,M,T,sda");
}

void TestStorageWhiteList::listKeepsBytes()
{
    QFETCH(QByteArray, line);
    BlockDeviceList merged;
    QVERIFY(merged.addList(line + "\n2,V,M,T,sdb\n"));
    QCOMPARE(merged.lines(), (QStringList{QString::fromLatin1(line), QStringLiteral("2,V,M,T,sdb")}));
    // Ticked and saved, it reads back the same.
    QVERIFY(WhiteListFile::save(m_dir, merged.lines()));
    QCOMPARE(WhiteListFile::load(m_dir), merged.lines());
}

// Every distinct line is a row of the dialog: one device uploading list
// after list under names of its own cannot make the table grow without end.
void TestStorageWhiteList::allListsBounded()
{
    BlockDeviceList merged;
    const int lists = BlockDeviceList::MaxLines / BlockDeviceList::MaxListLines;
    for (int list = 0; list <= lists; ++list) {
        // The last list is within its own limits, and one of its lines is
        // known already: that one is still counted.
        QByteArray data = list == lists ? "0,V,M,disk,sda\n" : "";
        for (int i = data.isEmpty() ? 0 : 1; i < BlockDeviceList::MaxListLines; ++i)
            data += QByteArray::number(list * 1000 + i) + ",V,M,disk,sda\n";
        QCOMPARE(merged.addList(data), list < lists);
    }
    QCOMPARE(merged.lines().size(), BlockDeviceList::MaxLines);
    QCOMPARE(merged.occurrences(0), 2);
}

void TestStorageWhiteList::sizeInMb_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("shown");
    QTest::newRow("2048") << "2048" << "1";
    QTest::newRow("2047") << "2047" << "0";
    QTest::newRow("empty") << "" << "0";
    QTest::newRow("trailing text") << "2048x" << "0";
    QTest::newRow("hex is not decimal") << "0x800" << "0";
    QTest::newRow("negative truncates toward zero") << "-4095" << "-1";
    QTest::newRow("largest 64-bit") << "9223372036854775807" << "4503599627370495";
    QTest::newRow("beyond 64 bits") << "9223372036854775808" << "0";
}

void TestStorageWhiteList::sizeInMb()
{
    QFETCH(QString, field);
    QFETCH(QString, shown);
    QCOMPARE(BlockDeviceList::sizeInMb(field), shown);
}

void TestStorageWhiteList::rowsOfWellFormedLines_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QStringList>("cells");   // size, vendor, model, type, name; empty: no row
    QTest::newRow("five fields") << "4096,ATA,SSD 128,disk,sda" << QStringList{"2", "ATA", "SSD 128", "disk", "sda"};
    QTest::newRow("empty fields kept") << ",,,," << QStringList{"0", "", "", "", ""};
    QTest::newRow("four fields") << "1,2,3,4" << QStringList();
    QTest::newRow("six fields") << "1,2,3,4,5,6" << QStringList();
    QTest::newRow("empty line") << "" << QStringList();
    // Saved in the white list, it would read back as "1,2,3,4,sda".
    QTest::newRow("carriage return") << "1,2,3,4,sd\ra" << QStringList();
}

void TestStorageWhiteList::rowsOfWellFormedLines()
{
    QFETCH(QString, line);
    QFETCH(QStringList, cells);
    BlockDeviceList::Row row;
    QCOMPARE(BlockDeviceList::parseLine(line, &row), !cells.isEmpty());
    if (cells.isEmpty())
        return;
    QCOMPARE((QStringList{row.sizeMb, row.vendor, row.model, row.type, row.name}), cells);
    QCOMPARE(row.line, line);
}

void TestStorageWhiteList::fileRoundTrip()
{
    const QStringList lines{QStringLiteral("1,V,M,T,sda"), QString::fromLatin1("2,V\xe9,M,T,sdb")};
    QVERIFY(WhiteListFile::save(m_dir, lines));
    QCOMPARE(readFile(m_dir + QStringLiteral("/whitelist.txt")), QByteArray("1,V,M,T,sda\n2,V\xe9,M,T,sdb\n"));
    QCOMPARE(WhiteListFile::load(m_dir), lines);
    QVERIFY(WhiteListFile::save(m_dir, {}));
    QCOMPARE(readFile(m_dir + QStringLiteral("/whitelist.txt")), QByteArray());
    QVERIFY(WhiteListFile::load(m_dir + QStringLiteral("/missing")).isEmpty());
    // Nor is one whose read fails part-way: its last line, cut short, would
    // tick another disk ("sd" for "sdab").
    QVERIFY(WhiteListFile::save(m_dir, {QStringLiteral("1,V,M,T,sdab")}));
    QVERIFY(QDir().mkpath(m_dir + QStringLiteral("/moved")));
    {
        const FailingReads failing(WhiteListFile::path(m_dir));
        QCOMPARE(WhiteListFile::load(m_dir), QStringList());
        // A device asking for it, or a new working directory taking it
        // along, gets no list rather than that cut line.
        QCOMPARE(WhiteListFile::payload(m_dir, 16380), QByteArray());
        QVERIFY(!WhiteListFile::carry(m_dir, m_dir + QStringLiteral("/moved")));
    }
    QVERIFY(!QFile::exists(WhiteListFile::path(m_dir + QStringLiteral("/moved"))));
    // No temporary directory set: nothing is written at the file-system root.
    QVERIFY(!WhiteListFile::save(QString(), lines));
    QVERIFY(WhiteListFile::path(QString()).isEmpty());
}

// A full disk is a failed save, never a saved list, and the earlier list
// stays whole.
void TestStorageWhiteList::fullDiskKeepsList()
{
    QVERIFY(WhiteListFile::save(m_dir, {QStringLiteral("1,V,M,T,sda")}));
    bool saved = true;
    {
        NoWriteRoom full;
        saved = WhiteListFile::save(m_dir, {QStringLiteral("2,V,M,T,sdb")});
    }
    QVERIFY(!saved);
    QCOMPARE(readFile(m_dir + QStringLiteral("/whitelist.txt")), QByteArray("1,V,M,T,sda\n"));
    // A network or USB disk that lost the write says so at the sync alone.
    {
        FailingWrites failing(m_dir, FailingWrites::Sync);
        saved = WhiteListFile::save(m_dir, {QStringLiteral("2,V,M,T,sdb")});
    }
    QVERIFY(!saved);
    QCOMPARE(readFile(m_dir + QStringLiteral("/whitelist.txt")), QByteArray("1,V,M,T,sda\n"));
    // A file system that offers no sync at all loses nothing by it.
    {
        FailingWrites noSync(m_dir, FailingWrites::NoSync);
        saved = WhiteListFile::save(m_dir, {QStringLiteral("2,V,M,T,sdb")});
    }
    QVERIFY(saved);
    QCOMPARE(readFile(m_dir + QStringLiteral("/whitelist.txt")), QByteArray("2,V,M,T,sdb\n"));
}

// A pipe planted under the list's name would hold the dialog on open for
// good, waiting for a writer: it is no saved list.
void TestStorageWhiteList::loadReadsOnlyAFile()
{
    const QByteArray path = QFile::encodeName(WhiteListFile::path(m_dir));
    QCOMPARE(::mkfifo(path.constData(), 0600), 0);
    QStringList lines{QStringLiteral("<not returned>")};
    QVERIFY(returnsUnaided(path, [&] { lines = WhiteListFile::load(m_dir); }));
    QVERIFY(lines.isEmpty());
    // Nor is it carried to a new working directory.
    QVERIFY(QDir().mkpath(m_dir + QStringLiteral("/moved")));
    bool carried = true;
    QVERIFY(returnsUnaided(path, [&] { carried = WhiteListFile::carry(m_dir, m_dir + QStringLiteral("/moved")); }));
    QVERIFY(!carried);
}

void TestStorageWhiteList::payload_data()
{
    QTest::addColumn<QByteArray>("file");   // "<none>": no file
    QTest::addColumn<int>("limit");
    QTest::addColumn<QByteArray>("payload");
    QTest::newRow("missing file") << QByteArray("<none>") << 16380 << QByteArray();
    QTest::newRow("empty file") << QByteArray() << 16380 << QByteArray();
    QTest::newRow("line ends as LF") << QByteArray("1,V,M,T,a\r\n2,V,M,T,b\r\n") << 16380
                                     << QByteArray("1,V,M,T,a\n2,V,M,T,b\n");
    QTest::newRow("exactly the limit") << QByteArray("abc\ndef\n") << 8 << QByteArray("abc\ndef\n");
    QTest::newRow("whole lines only") << QByteArray("abc\ndef\n") << 7 << QByteArray("abc\n");
    QTest::newRow("CRLF counted after the drop") << QByteArray("abc\r\ndef\r\n") << 8 << QByteArray("abc\ndef\n");
    QTest::newRow("no line end within the limit") << QByteArray("abcdefgh\n") << 8 << QByteArray("abcdefgh");
    QByteArray big;
    while (big.size() < 20000)
        big += "976773168,ATA,SSD,disk,sda\n";
    QTest::newRow("large list")
        << big << SignagePackets::MaxWhiteListPayload << big.left(big.lastIndexOf('\n', 16379) + 1);
}

void TestStorageWhiteList::payload()
{
    QFETCH(QByteArray, file);
    QFETCH(int, limit);
    QFETCH(QByteArray, payload);
    if (file != "<none>")
        writeFile(m_dir + QStringLiteral("/whitelist.txt"), file);
    const QByteArray got = WhiteListFile::payload(m_dir, limit);
    QVERIFY(got.size() <= limit);
    QCOMPARE(got, payload);
}

void TestStorageWhiteList::dialogTable()
{
    writeFile(m_dir + QStringLiteral("/c1_blkdev_list.lst"), "4095,ATA,SSD 64,disk,sda\nbroken line\n,USB,,usb,\n");
    writeFile(m_dir + QStringLiteral("/c2_blkdev_list.lst"), "4095,ATA,SSD 64,disk,sda\n2047,SD,Card,mmc,mmcblk0\n");
    writeFile(m_dir + QStringLiteral("/whitelist.txt"), "2047,SD,Card,mmc,mmcblk0\n");

    ScriptedPrompter prompter;
    DlgEditWhiteList dialog(nullptr, m_dir);
    auto *table = dialog.findChild<QTableWidget *>(QStringLiteral("table"));
    auto *letChoose = dialog.findChild<QCheckBox *>(QStringLiteral("checkBox"));

    const QList<QStringList> expected{{"1", "SSD 64", "ATA", "disk", "sda", "2"},
                                      {"0", "", "USB", "usb", "", "1"},
                                      {"0", "Card", "SD", "mmc", "mmcblk0", "1"}};
    QCOMPARE(table->rowCount(), expected.size());
    for (int r = 0; r < expected.size(); ++r) {
        QStringList cells;
        for (int c = 1; c < 7; ++c)
            cells << table->item(r, c)->text();
        QCOMPARE(cells, expected.at(r));
    }
    QList<bool> ticked;
    for (int r = 0; r < 3; ++r)
        ticked << qobject_cast<QCheckBox *>(table->cellWidget(r, 0))->isChecked();
    QCOMPARE(ticked, (QList<bool>{false, false, true}));

    // Letting the clients choose makes the table moot.
    QVERIFY(letChoose->isChecked());
    QVERIFY(!table->isEnabled());
    letChoose->click();
    QVERIFY(table->isEnabled());
    QVERIFY(prompter.calls.isEmpty());
}

void TestStorageWhiteList::dialogSaysWhenListsWereCut()
{
    QByteArray huge;
    for (int i = 0; i < 300; ++i)
        huge += QByteArray::number(i) + ",V,M,disk,sd\n";
    writeFile(m_dir + QStringLiteral("/c1_blkdev_list.lst"), "4095,ATA,SSD 64,disk,sda\n");
    {
        ScriptedPrompter prompter;
        DlgEditWhiteList dialog(nullptr, m_dir);
        QVERIFY(!dialog.findChild<QLabel *>(QStringLiteral("label"))->text().contains(QStringLiteral("too long")));
    }
    writeFile(m_dir + QStringLiteral("/c2_blkdev_list.lst"), huge);
    ScriptedPrompter prompter;
    DlgEditWhiteList dialog(nullptr, m_dir);
    QVERIFY(dialog.findChild<QLabel *>(QStringLiteral("label"))
                ->text()
                .contains(QStringLiteral("1 of the clients' lists were too long")));
    QCOMPARE(dialog.findChild<QTableWidget *>(QStringLiteral("table"))->rowCount(), 257);
}

void TestStorageWhiteList::dialogSaves()
{
    writeFile(m_dir + QStringLiteral("/c1_blkdev_list.lst"), "1,A,B,C,sda\n2,A,B,C,sdb\n3,A,B,C,sdc\n");
    writeFile(m_dir + QStringLiteral("/whitelist.txt"), "1,A,B,C,sda\n9,gone,x,y,z\n");

    ScriptedPrompter prompter;
    DlgEditWhiteList dialog(nullptr, m_dir);
    auto *table = dialog.findChild<QTableWidget *>(QStringLiteral("table"));
    dialog.findChild<QCheckBox *>(QStringLiteral("checkBox"))->click();
    qobject_cast<QCheckBox *>(table->cellWidget(2, 0))->setChecked(true);

    prompter.answer(QMessageBox::Yes);
    dialog.accept();
    QCOMPARE(dialog.result(), 1);
    QVERIFY(!dialog.letClientsChoose);
    QCOMPARE(prompter.trail(), QStringList{"question Create dedicated storage list: " + WarningText});
    QCOMPARE(prompter.last().defaultButton, QMessageBox::No);
    // Only ticked rows, in row order; a chosen line no client reported is dropped.
    QCOMPARE(readFile(m_dir + QStringLiteral("/whitelist.txt")), QByteArray("1,A,B,C,sda\n3,A,B,C,sdc\n"));

    // No list arrived: empty table, OK still writes an empty white list.
    const QString empty = m_dir + QStringLiteral("/empty");
    QDir().mkpath(empty);
    DlgEditWhiteList none(nullptr, empty);
    QCOMPARE(none.findChild<QTableWidget *>(QStringLiteral("table"))->rowCount(), 0);
    prompter.answer(QMessageBox::Yes);
    none.accept();
    QCOMPARE(none.result(), 1);
    QVERIFY(none.letClientsChoose);
    QCOMPARE(readFile(empty + QStringLiteral("/whitelist.txt")), QByteArray());
    QVERIFY(prompter.unexpected.isEmpty());
}

void TestStorageWhiteList::dialogKeepsChosenPastBound()
{
    // Lists that fill the bound on their own come first in name order; the
    // disk chosen before keeps its row and its tick, a new one does not.
    for (int list = 0; list < BlockDeviceList::MaxLines / BlockDeviceList::MaxListLines; ++list) {
        QByteArray data;
        for (int i = 0; i < BlockDeviceList::MaxListLines; ++i)
            data += QByteArray::number(list * 1000 + i) + ",V,M,disk,sd\n";
        writeFile(m_dir + QStringLiteral("/a%1_blkdev_list.lst").arg(list, 2, 10, QLatin1Char('0')), data);
    }
    writeFile(m_dir + QStringLiteral("/z_blkdev_list.lst"), "7,ATA,SSD,disk,sdz\n8,ATA,SSD,disk,sdy\n");
    writeFile(m_dir + QStringLiteral("/whitelist.txt"), "7,ATA,SSD,disk,sdz\n");

    ScriptedPrompter prompter;
    DlgEditWhiteList dialog(nullptr, m_dir);
    QCOMPARE(dialog.findChild<QTableWidget *>(QStringLiteral("table"))->rowCount(), BlockDeviceList::MaxLines + 1);
    prompter.answer(QMessageBox::Yes);
    dialog.accept();
    QCOMPARE(dialog.result(), 1);
    QCOMPARE(readFile(m_dir + QStringLiteral("/whitelist.txt")), QByteArray("7,ATA,SSD,disk,sdz\n"));
    QVERIFY(prompter.unexpected.isEmpty());
}

void TestStorageWhiteList::dialogRefusalsAndFailures()
{
    writeFile(m_dir + QStringLiteral("/c1_blkdev_list.lst"), "1,A,B,C,sda\n");
    writeFile(m_dir + QStringLiteral("/whitelist.txt"), "old\n");
    ScriptedPrompter prompter;

    DlgEditWhiteList refused(nullptr, m_dir);
    QSignalSpy refusedDone(&refused, &QDialog::finished);
    prompter.answer(QMessageBox::No);
    refused.accept();
    QCOMPARE(refusedDone.count(), 1);
    QCOMPARE(refused.result(), 0);
    QCOMPARE(readFile(m_dir + QStringLiteral("/whitelist.txt")), QByteArray("old\n"));

    // The list cannot be written: warned, and the dialog stays open.
    const QString blocked = m_dir + QStringLiteral("/blocked");
    QDir().mkpath(blocked + QStringLiteral("/whitelist.txt"));
    DlgEditWhiteList failing(nullptr, blocked);
    QSignalSpy failingDone(&failing, &QDialog::finished);
    prompter.answer(QMessageBox::Yes);
    failing.accept();
    QCOMPARE(failingDone.count(), 0);
    QCOMPARE(prompter.trail().last(),
             QStringLiteral("warning Saving whitelist: There was an error saving whitelist to disk"));
    QVERIFY(prompter.unexpected.isEmpty());
}

void TestStorageWhiteList::scanAndStart()
{
    writeFile(m_dir + QStringLiteral("/old_blkdev_list.lst"), "1,A,B,C,sda\n");
    ScriptedPrompter prompter;
    const QList<ThinclientInfo *> empty;
    QCOMPARE(StorageWhiteList::scan(nullptr, m_dir, &empty), -1);
    QCOMPARE(prompter.trail(),
             QStringList{"information Scan for storage devices: Cannot scan for storage devices. No devices found!"});
    QVERIFY(m_written.isEmpty());
    QVERIFY(QFile::exists(m_dir + QStringLiteral("/old_blkdev_list.lst")));

    // Every selected device is asked, whatever its model.
    ThinclientInfo *k1 = device(QStringLiteral("ORL K1"));
    device(QStringLiteral("ORL QB64"), false);
    prompter.clear();
    QVERIFY(StorageWhiteList::start(nullptr, m_dir, &m_devices));
    QCOMPARE(prompter.texts(QStringLiteral("information")),
             QStringList(QStringLiteral("Click OK to obtain a list of storage devices from selected clients.\n\nThis "
                                        "will take about 5 seconds!")));
    QCOMPARE(prompter.last().title, QStringLiteral("Dedicated storage"));
    QCOMPARE(m_written.size(), 1);
    QCOMPARE(m_written[0].first, k1->socket);
    QCOMPARE(m_written[0].second, QByteArray::fromHex("30000000"));
    QVERIFY(!QFile::exists(m_dir + QStringLiteral("/old_blkdev_list.lst")));

    // Reaching no device: no timer; the caller hands back to the wizard.
    k1->checked = false;
    prompter.clear();
    QVERIFY(!StorageWhiteList::start(nullptr, m_dir, &m_devices));
    QCOMPARE(prompter.last().title, QStringLiteral("Status update"));
    QVERIFY(!StorageWhiteList::start(nullptr, m_dir, &empty));
    QVERIFY(!StorageWhiteList::start(nullptr, m_dir, nullptr));
    QCOMPARE(m_written.size(), 1);
    QVERIFY(prompter.unexpected.isEmpty());
}

void TestStorageWhiteList::sendToStorageModels()
{
    writeFile(m_dir + QStringLiteral("/c_blkdev_list.lst"), "1,A,B,C,sda\n2,A,B,C,sdb\n");
    ThinclientInfo *qb = device(QStringLiteral("ORL QB64"));
    device(QStringLiteral("orl qb64"));
    ThinclientInfo *pc = device(QStringLiteral("Pyrel PC"));
    device(QStringLiteral("Pyrel PC 2"));
    device(QStringLiteral("ORL GZ1"), false);
    device(QStringLiteral("ORL GZ1"), true, false);
    ThinclientInfo *gz = device(QStringLiteral("ORL GZ1"));
    device(QStringLiteral("ORL K1"));
    QCOMPARE(StorageWhiteList::recipients(&m_devices), (QList<ThinclientInfo *>{qb, pc, gz}));

    ScriptedPrompter prompter;
    prompter.answerDialog([](QDialog *d) {
        auto *table = d->findChild<QTableWidget *>(QStringLiteral("table"));
        d->findChild<QCheckBox *>(QStringLiteral("checkBox"))->click();
        qobject_cast<QCheckBox *>(table->cellWidget(1, 0))->setChecked(true);
        d->accept();
        return d->result();
    });
    prompter.answer(QMessageBox::Yes);
    QCOMPARE(StorageWhiteList::send(nullptr, m_dir, &m_devices), WhiteListOutcome::Sent);
    const QByteArray frame = QByteArray::fromHex("3100000c") + "2,A,B,C,sdb\n";
    QCOMPARE(m_written.size(), 3);
    QCOMPARE(m_written[0].first, qb->socket);
    QCOMPARE(m_written[1].first, pc->socket);
    QCOMPARE(m_written[2].first, gz->socket);
    for (const auto &w : m_written)
        QCOMPARE(w.second, frame);

    // Letting the clients choose sends the auto-select text instead.
    m_written.clear();
    prompter.answerDialog([](QDialog *d) {
        d->accept();
        return d->result();
    });
    prompter.answer(QMessageBox::Yes);
    QCOMPARE(StorageWhiteList::send(nullptr, m_dir, &m_devices), WhiteListOutcome::Sent);
    QCOMPARE(m_written.size(), 3);
    QCOMPARE(m_written[0].second, QByteArray::fromHex("3100000c4155544f2d53454c4543540a"));

    // A list longer than the devices' buffer goes as the whole lines that
    // fit: lines of 256 bytes, the 64th of which would end the payload at
    // 16,384 bytes, four past what the frame can carry.
    m_written.clear();
    QByteArray lines;
    for (int i = 0; i < 80; ++i) {
        const QByteArray n = QByteArray::number(i).rightJustified(3, '0');
        lines += n + ",V," + QByteArray(238, 'm') + ",disk,sd" + n + '\n';
    }
    writeFile(m_dir + QStringLiteral("/c_blkdev_list.lst"), lines);
    prompter.answerDialog([](QDialog *d) {
        auto *table = d->findChild<QTableWidget *>(QStringLiteral("table"));
        d->findChild<QCheckBox *>(QStringLiteral("checkBox"))->click();
        for (int row = 0; row < table->rowCount(); ++row)
            qobject_cast<QCheckBox *>(table->cellWidget(row, 0))->setChecked(true);
        d->accept();
        return d->result();
    });
    prompter.answer(QMessageBox::Yes);
    QCOMPARE(StorageWhiteList::send(nullptr, m_dir, &m_devices), WhiteListOutcome::Sent);
    const QByteArray saved = readFile(m_dir + QStringLiteral("/whitelist.txt"));
    QVERIFY(saved.size() > SignagePackets::MaxWhiteListPayload);
    const QByteArray fits = saved.left(saved.lastIndexOf('\n', SignagePackets::MaxWhiteListPayload - 1) + 1);
    QCOMPARE(m_written.size(), 3);
    QCOMPARE(fits.size(), 63 * 256);
    QCOMPARE(m_written[2].second, SignagePackets::storageWhiteList(fits));
    QVERIFY(prompter.unexpected.isEmpty());
}

void TestStorageWhiteList::sendOutcomes()
{
    ScriptedPrompter prompter;
    QCOMPARE(StorageWhiteList::send(nullptr, m_dir, nullptr), WhiteListOutcome::NoDevices);
    QCOMPARE(prompter.trail(), QStringList{"information Send dedicated storage whitelist: Cannot send dedicated storage "
                                           "whitelist. No devices found!"});

    device(QStringLiteral("ORL QB64"));
    prompter.clear();
    prompter.answerDialog([](QDialog *d) {
        d->reject();
        return d->result();
    });
    QCOMPARE(StorageWhiteList::send(nullptr, m_dir, &m_devices), WhiteListOutcome::Cancelled);
    QCOMPARE(prompter.calls.size(), 1);
    QCOMPARE(prompter.last().dialogClass, QStringLiteral("DlgEditWhiteList"));

    // Only devices of other models selected.
    m_devices.first()->model = QStringLiteral("ORL K1");
    prompter.clear();
    prompter.answerDialog([](QDialog *d) {
        d->accept();
        return d->result();
    });
    prompter.answer(QMessageBox::Yes);
    QCOMPARE(StorageWhiteList::send(nullptr, m_dir, &m_devices), WhiteListOutcome::SentToNone);
    QCOMPARE(prompter.last().kind, QStringLiteral("warning"));
    QCOMPARE(prompter.last().title, QStringLiteral("Send dedicated storage list"));
    QCOMPARE(prompter.last().text, QStringLiteral("\nCommand was not sent to any device(s) because none are "
                                                  "selected or dedicated storage has not been auto-selected"));

    QVERIFY(m_written.isEmpty());
    QVERIFY(prompter.unexpected.isEmpty());
}

void TestStorageWhiteList::wizardHandBack_data()
{
    QTest::addColumn<bool>("running");
    QTest::addColumn<QString>("before");   // the wizard state when the run ends
    QTest::addColumn<WhiteListOutcome>("outcome");
    QTest::addColumn<bool>("startTimer");
    QTest::addColumn<int>("interval");
    QTest::addColumn<QString>("state");
    QTest::addColumn<QString>("status");
    const QString step = QStringLiteral("download_updates_completed");
    const QString done = QStringLiteral("whitelist_completed");
    const QString wait = QStringLiteral("Setting up dedicated storage list: waiting 30 seconds for clients to reconnect");
    QTest::newRow("scan reached no device") << true << step << WhiteListOutcome::ScanReachedNoDevice << true << 1000
                                            << done << QString();
    QTest::newRow("empty department") << true << step << WhiteListOutcome::NoDevices << true << 1000 << done
                                      << QString();
    QTest::newRow("dialog cancelled") << true << step << WhiteListOutcome::Cancelled << true << 1000 << done
                                      << QString();
    QTest::newRow("sent to none: step again") << true << step << WhiteListOutcome::SentToNone << true << 1000 << step
                                              << QString();
    QTest::newRow("sent") << true << step << WhiteListOutcome::Sent << true << 30000 << done << wait;
    for (WhiteListOutcome o : {WhiteListOutcome::ScanReachedNoDevice, WhiteListOutcome::NoDevices,
                               WhiteListOutcome::Cancelled, WhiteListOutcome::SentToNone, WhiteListOutcome::Sent})
        QTest::addRow("outside the wizard %d", int(o)) << false << step << o << false << 0 << step << QString();
    // The administrator's own run, started just before the wizard, ends
    // while the wizard is at an earlier step: the wizard is not moved on.
    const QString earlier[] = {QStringLiteral("waiting_discovery"), QStringLiteral("waiting_client_connections"),
                               QStringLiteral("waiting_wizard_restart")};
    for (const QString &at : earlier)
        for (WhiteListOutcome o : {WhiteListOutcome::Cancelled, WhiteListOutcome::Sent})
            QTest::addRow("wizard at %s %d", qPrintable(at), int(o)) << true << at << o << false << 0 << at
                                                                      << QString();
}

void TestStorageWhiteList::wizardHandBack()
{
    QFETCH(bool, running);
    QFETCH(QString, before);
    QFETCH(WhiteListOutcome, outcome);
    QFETCH(bool, startTimer);
    QFETCH(int, interval);
    QFETCH(QString, state);
    QFETCH(QString, status);
    // What the window's wizard state, timer and status line become.
    QString wizardState = before;
    QTimer timer;
    QLabel label(QStringLiteral("before"));
    StorageWhiteList::apply(WizardHandBack::afterWhiteList(running, wizardState, outcome), &wizardState, &timer,
                            &label);
    QCOMPARE(timer.isActive(), startTimer);
    if (startTimer)
        QCOMPARE(timer.interval(), interval);
    QCOMPARE(wizardState, state);
    QCOMPARE(label.text(), status.isEmpty() ? QStringLiteral("before") : status);
}

QTEST_MAIN(TestStorageWhiteList)
#include "tst_storagewhitelist.moc"
