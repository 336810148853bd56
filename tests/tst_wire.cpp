// Wire values, digests and the frame assembler.
#include "devicelink/frameassembler.h"
#include "devicelink/thinclientinfo.h"
#include "devicelink/utils.h"
#include "devicelink/wire.h"
#include "testfiles.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>

class TestWire : public QObject
{
    Q_OBJECT
private slots:
    void wireString_data();
    void wireString();
    void digests();
    void fileMd5();
    void fileMd5OfNoFile();
    void writerFrames();
    void writerRefusesOverflow();
    void readerBounds();
    void assembler();
    void recordLeavesTransferFileAlone();
};

void TestWire::wireString_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("empty") << QString() << QByteArray::fromHex("000100");
    QTest::newRow("abc") << QStringLiteral("abc") << QByteArray::fromHex("0004616263" "00");
    QTest::newRow("latin1") << QString::fromUtf8("é") << QByteArray::fromHex("0002e900");
    QTest::newRow("not latin1") << QString::fromUtf8("a€b") << QByteArray::fromHex("0004613f6200");
}

void TestWire::wireString()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    QCOMPARE(WireWriter(1, 2).wireString(text).finish().mid(4), bytes);
}

void TestWire::digests()
{
    QCOMPARE(Utils::md5Hex(QString()), QString());
    QCOMPARE(Utils::md5Hex(nullptr, 3), QString());
    const QString abc = QStringLiteral("900150983cd24fb0d6963f7d28e17f72");
    QCOMPARE(Utils::md5Hex(QStringLiteral("abc")), abc);
    QCOMPARE(Utils::md5Hex(QByteArray("abc")), abc);
    QCOMPARE(Utils::md5Hex("abcdef", 3), abc);
    // A character outside Latin-1 is hashed as "?".
    QCOMPARE(Utils::md5Hex(QString::fromUtf8("a€")), Utils::md5Hex(QStringLiteral("a?")));
}

void TestWire::fileMd5()
{
    QTemporaryDir dir;
    QString out = QStringLiteral("unchanged");
    QVERIFY(!Utils::fileMd5(dir.filePath(QStringLiteral("missing")), &out));
    QCOMPARE(out, QStringLiteral("unchanged"));
    QVERIFY(TestFiles::write(dir.filePath(QStringLiteral("empty")), QByteArray()));
    QVERIFY(Utils::fileMd5(dir.filePath(QStringLiteral("empty")), &out));
    QCOMPARE(out, QStringLiteral("d41d8cd98f00b204e9800998ecf8427e"));

    // Larger than one read chunk, so the chunks must be joined in order.
    QByteArray big;
    for (int i = 0; i < 3 * 1024 * 1024 + 17; ++i)
        big.append(char(i * 7));
    QVERIFY(TestFiles::write(dir.filePath(QStringLiteral("big")), big));
    QVERIFY(Utils::fileMd5(dir.filePath(QStringLiteral("big")), &out));
    QCOMPARE(out, Utils::md5Hex(big));

    // Opens, then fails its first read (nothing is mapped at address 0): a
    // sum of what was read before the error is no sum of the file.
    out = QStringLiteral("unchanged");
    QVERIFY(!Utils::fileMd5(QStringLiteral("/proc/self/mem"), &out));
    QCOMPARE(out, QStringLiteral("unchanged"));
}

void TestWire::fileMd5OfNoFile()
{
    // A name in a folder others write to may turn into a pipe after it was
    // listed as a file: the sum must not wait on it for a writer.
    QTemporaryDir dir;
    const QString pipe = dir.filePath(QStringLiteral("pipe"));
    QCOMPARE(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    QString out = QStringLiteral("unchanged");
    bool summed = true;
    QThread *sum = QThread::create([&] { summed = Utils::fileMd5(pipe, &out); });
    sum->start();
    const bool returned = sum->wait(10000);
    if (!returned) {
        // Set it free: a writer that closes at once ends the pipe.
        QFile writer(pipe);
        writer.open(QIODevice::WriteOnly);
        writer.close();
        sum->wait();
    }
    delete sum;
    QVERIFY(returned);
    QVERIFY(!summed);
    QCOMPARE(out, QStringLiteral("unchanged"));
}

void TestWire::writerFrames()
{
    const QByteArray f = WireWriter(0x05, 0x01).u8(7).u16(0x0102).u32(0x03040506).asciiZ(QStringLiteral("hi")).finish();
    QCOMPARE(f, QByteArray::fromHex("0501000a" "07" "0102" "03040506" "686900"));

    const QByteArray empty = WireWriter(0x10, 0).finish();
    QCOMPARE(empty, QByteArray::fromHex("10000000"));

    // The transfer header counts from byte 6, in 32 bits.
    const QByteArray t = WireWriter::withTransferHeader(0x18, 0, 1 << 20).raw("abcd").finish();
    QCOMPARE(t, QByteArray::fromHex("180000000004" "61626364"));
}

void TestWire::writerRefusesOverflow()
{
    WireWriter w(1, 0, 10);
    w.wireString(QStringLiteral("abc"));  // 4 + 6 = 10: fits exactly
    QVERIFY(w.ok());
    w.u8(1);
    QVERIFY(!w.ok());
    QVERIFY(w.finish().isEmpty());

    // A payload too long for the 16-bit length is refused, not wrapped.
    WireWriter big(1, 0);
    big.raw(QByteArray(Wire::MaxPayload, 'x'));
    QVERIFY(big.ok());
    QCOMPARE(big.finish().size(), Wire::MaxFrame);
    big.u8(0);
    QVERIFY(!big.ok());

    WireWriter s(1, 0);
    s.wireString(QString(70000, QLatin1Char('a')));
    QVERIFY(!s.ok());

    // Even where the frame has room, a count of 65,536 does not fit its u16.
    const QString longest(0xFFFE, QLatin1Char('a'));
    QVERIFY(WireWriter::withTransferHeader(0x18, 0, 1 << 20).wireString(longest).ok());
    QVERIFY(!WireWriter::withTransferHeader(0x18, 0, 1 << 20).wireString(longest + QLatin1Char('a')).ok());
}

void TestWire::readerBounds()
{
    const QByteArray frame = QByteArray::fromHex("03000000" "c0a80102" "000a6162006465666768696a" "0003" "616200" "6364");
    PayloadReader r(frame);
    QCOMPARE(r.u32(), 0xC0A80102u);
    // Count 10, NUL after two bytes: the text is the two bytes, the next
    // field follows all ten.
    QCOMPARE(r.wireString(), QStringLiteral("ab"));
    QCOMPARE(r.u16(), quint16(3));
    QCOMPARE(r.asciiZ(), QStringLiteral("ab"));
    QVERIFY(!r.shortRead());
    QCOMPARE(r.asciiZ(), QStringLiteral("cd"));   // no NUL: ends with the data
    QVERIFY(r.shortRead());
    QCOMPARE(r.u8(), quint8(0));
    QCOMPARE(r.u16(), quint16(0));
    QCOMPARE(r.u32(), 0u);
    QVERIFY(r.wireString().isEmpty());
    QVERIFY(r.asciiZ().isEmpty());
    QVERIFY(r.bytes(10).isEmpty());

    // A WireString whose count points past the data still yields its bytes.
    const QByteArray cut = QByteArray::fromHex("04000000" "0010" "414243");
    PayloadReader c(cut);
    QCOMPARE(c.wireString(), QStringLiteral("ABC"));
    QVERIFY(c.shortRead());
    QVERIFY(c.wireString().isEmpty());
    PayloadReader half(QByteArray::fromHex("0400000000"));   // the count itself cut
    QVERIFY(half.wireString().isEmpty());

    // A number whose last bytes are missing is 0, not made up of the bytes
    // that follow the data.
    PayloadReader u16Cut(QByteArray::fromHex("0300000012"));
    QCOMPARE(u16Cut.u16(), quint16(0));
    QVERIFY(u16Cut.shortRead());
    PayloadReader u32Cut(QByteArray::fromHex("03000000123456"));
    QCOMPARE(u32Cut.u32(), 0u);
    QVERIFY(u32Cut.shortRead());

    // Reading a frame shorter than its header.
    PayloadReader tiny(QByteArray("\x03", 1));
    QCOMPARE(tiny.u8(), quint8(0));
    QVERIFY(tiny.shortRead());

    QCOMPARE(Frame::type(QByteArray::fromHex("83000000")), quint8(3));
    QCOMPARE(Frame::payloadLength(QByteArray::fromHex("0300ffee")), 0xffee);
}

// Frames of every size up to the largest, cut at every step size, come out
// whole and in order.
void TestWire::assembler()
{
    QByteArray stream;
    QList<QByteArray> frames;
    for (int i = 0; i < 50; ++i) {
        frames << WireWriter(quint8(i % 50), quint8(i)).raw(QByteArray(i * 37 % 300, char('a' + i % 26))).finish();
        stream += frames.last();
    }
    frames << WireWriter(0x21, 0).raw(QByteArray(Wire::MaxPayload, 'm')).finish();
    stream += frames.last();
    // Frames after the first 64 KiB come from a buffer whose consumed front
    // has been dropped.
    for (int i = 0; i < 3; ++i) {
        frames << WireWriter(0x07, quint8(i)).asciiZ(QStringLiteral("after")).finish();
        stream += frames.last();
    }
    // Frames left in place and then dropped read as those taken.
    for (bool peeking : {false, true}) {
        for (int step : {1, 3, 7, 4096, 8192, int(stream.size())}) {
            FrameAssembler a;
            QList<QByteArray> got;
            for (int pos = 0; pos < stream.size(); pos += step) {
                a.append(stream.mid(pos, step));
                QByteArray f;
                while (!peeking && a.next(&f))
                    got << f;
                QByteArrayView ahead[3];
                for (int seen; peeking && (seen = a.peek(ahead, 3)) > 0; a.skipThrough(ahead[seen - 1])) {
                    for (int i = 0; i < seen; ++i)
                        got << ahead[i].toByteArray();
                }
                // A device that never ends a read on a frame's end must not
                // make the consumed front pile up.
                QVERIFY(a.held() - a.pending() <= 65536);
            }
            QCOMPARE(got, frames);
            QCOMPARE(a.pending(), 0);
        }
    }
}

void TestWire::recordLeavesTransferFileAlone()
{
    // The server closes a device's transfer when its connection goes; the
    // record only points at the file.
    QTemporaryDir dir;
    QFile *file = new QFile(dir.filePath(QStringLiteral("t")));
    QVERIFY(file->open(QIODevice::WriteOnly));
    {
        ThinclientInfo owner;
        owner.transferFile = file;
    }
    QVERIFY(file->isOpen());
    delete file;
}

QTEST_GUILESS_MAIN(TestWire)
#include "tst_wire.moc"
