// Wire values, digests and the frame assembler.
#include "devicelink/frameassembler.h"
#include "devicelink/thinclientinfo.h"
#include "devicelink/utils.h"
#include "devicelink/wire.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

class TestWire : public QObject
{
    Q_OBJECT
private slots:
    void putString_data();
    void putString();
    void putStringNullBuffer();
    void getStringStopsAtNulOrEnd();
    void numbers();
    void digests();
    void fileMd5();
    void writerFrames();
    void writerRefusesOverflow();
    void readerBounds();
    void assembler();
    void assemblerSplitEverywhere();
    void recordLeavesTransferFileAlone();
};

void TestWire::putString_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("empty") << QString() << QByteArray::fromHex("000100");
    QTest::newRow("abc") << QStringLiteral("abc") << QByteArray::fromHex("0004616263" "00");
    QTest::newRow("latin1") << QString::fromUtf8("é") << QByteArray::fromHex("0002e900");
    QTest::newRow("not latin1") << QString::fromUtf8("a€b") << QByteArray::fromHex("0004613f6200");
}

void TestWire::putString()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    quint8 buf[64];
    memset(buf, 0xAA, sizeof buf);
    QCOMPARE(Utils::putString(buf, text, 5), bytes.size());
    QCOMPARE(QByteArray(reinterpret_cast<char *>(buf + 5), int(bytes.size())), bytes);
    QCOMPARE(buf[4], quint8(0xAA));
    QCOMPARE(buf[5 + bytes.size()], quint8(0xAA));

    QCOMPARE(WireWriter(1, 2).wireString(text).finish().mid(4), bytes);
}

void TestWire::putStringNullBuffer()
{
    QCOMPARE(Utils::putString(nullptr, QStringLiteral("abc"), 0), 0);
}

void TestWire::getStringStopsAtNulOrEnd()
{
    QString out = QStringLiteral("x");
    const QByteArray empty = QByteArray::fromHex("000100");
    QCOMPARE(Utils::getString(reinterpret_cast<const quint8 *>(empty.constData()), empty.size(), &out, 0), 3);
    QVERIFY(out.isEmpty());

    // Count 10, NUL after two bytes: the text is the two bytes, the step is 12.
    const QByteArray early = QByteArray::fromHex("000a6162006465666768696a");
    QCOMPARE(Utils::getString(reinterpret_cast<const quint8 *>(early.constData()), early.size(), &out, 0), 12);
    QCOMPARE(out, QStringLiteral("ab"));

    // Count beyond the data and no NUL: the text ends at the received bytes.
    const QByteArray cut = QByteArray::fromHex("00ff616263");
    QCOMPARE(Utils::getString(reinterpret_cast<const quint8 *>(cut.constData()), cut.size(), &out, 0), 0x101);
    QCOMPARE(out, QStringLiteral("abc"));

    // The count field itself cut off.
    const QByteArray half = QByteArray::fromHex("00");
    Utils::getString(reinterpret_cast<const quint8 *>(half.constData()), half.size(), &out, 0);
    QVERIFY(out.isEmpty());
}

void TestWire::numbers()
{
    quint8 b[4];
    Utils::putU16BE(b, 0x1234);
    QCOMPARE(b[0], quint8(0x12));
    QCOMPARE(b[1], quint8(0x34));
    quint16 v16;
    Utils::getU16BE(&v16, b);
    QCOMPARE(v16, quint16(0x1234));
    Utils::putU32BE(b, 0xC0A80102u);
    QCOMPARE(QByteArray(reinterpret_cast<char *>(b), 4), QByteArray::fromHex("c0a80102"));
    quint32 v32 = 0;
    QCOMPARE(Utils::getU32BE(&v32, b), 0xC0A80102u);
    QCOMPARE(v32, 0xC0A80102u);

    char z[8];
    QCOMPARE(Utils::copyAsciiZ(z, QString()), 1);
    QCOMPARE(z[0], '\0');
    QCOMPARE(Utils::copyAsciiZ(z, QStringLiteral("ab")), 3);
    QCOMPARE(QByteArray(z, 3), QByteArray("ab\0", 3));
}

void TestWire::digests()
{
    QCOMPARE(Utils::md5Hex(QString()), QString());
    QCOMPARE(Utils::md5Hex(QByteArray()), QString());
    QCOMPARE(Utils::md5Hex(nullptr, 3), QString());
    QCOMPARE(Utils::md5Hex("abc", 0), QString());
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
    const QString emptyPath = dir.filePath(QStringLiteral("empty"));
    QFile f(emptyPath);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.close();
    QString out = QStringLiteral("unchanged");
    QVERIFY(Utils::fileMd5(emptyPath, &out));
    QCOMPARE(out, QStringLiteral("d41d8cd98f00b204e9800998ecf8427e"));

    // Larger than one read chunk, so the chunks must be joined in order.
    QByteArray big;
    for (int i = 0; i < 3 * 1024 * 1024 + 17; ++i)
        big.append(char(i * 7));
    const QString bigPath = dir.filePath(QStringLiteral("big"));
    QFile g(bigPath);
    QVERIFY(g.open(QIODevice::WriteOnly));
    g.write(big);
    g.close();
    QVERIFY(Utils::fileMd5(bigPath, &out));
    QCOMPARE(out, Utils::md5Hex(big));

    out = QStringLiteral("unchanged");
    QVERIFY(!Utils::fileMd5(dir.filePath(QStringLiteral("missing")), &out));
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
}

void TestWire::readerBounds()
{
    const QByteArray frame = QByteArray::fromHex("03000000" "0003" "616200" "6364");
    PayloadReader r(frame);
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

    // Reading a frame shorter than its header.
    PayloadReader tiny(QByteArray("\x03", 1));
    QCOMPARE(tiny.u8(), quint8(0));
    QVERIFY(tiny.shortRead());

    QCOMPARE(Frame::type(QByteArray::fromHex("83000000")), quint8(3));
    QCOMPARE(Frame::payloadLength(QByteArray::fromHex("0300ffee")), 0xffee);
}

void TestWire::assembler()
{
    FrameAssembler a;
    QByteArray f;
    QVERIFY(!a.next(&f));

    const QByteArray one = QByteArray::fromHex("03000003616200");
    const QByteArray two = QByteArray::fromHex("11000000");
    const QByteArray three = WireWriter(0x21, 0).raw(QByteArray(20000, 'h')).finish();

    // Coalesced: all come out, in order.
    a.append(one + two + three);
    QVERIFY(a.next(&f));
    QCOMPARE(f, one);
    QVERIFY(a.next(&f));
    QCOMPARE(f, two);
    QVERIFY(a.next(&f));
    QCOMPARE(f, three);
    QVERIFY(!a.next(&f));
    QCOMPARE(a.pending(), 0);

    // A frame whose header arrives in two pieces.
    a.append(one.left(1));
    QVERIFY(!a.next(&f));
    a.append(one.mid(1, 2));
    QVERIFY(!a.next(&f));
    a.append(one.mid(3) + two.left(2));
    QVERIFY(a.next(&f));
    QCOMPARE(f, one);
    QVERIFY(!a.next(&f));
    QCOMPARE(a.pending(), 2);
    a.append(two.mid(2));
    QVERIFY(a.next(&f));
    QCOMPARE(f, two);

    // The largest frame passes whole.
    const QByteArray max = WireWriter(0x21, 0).raw(QByteArray(Wire::MaxPayload, 'm')).finish();
    a.append(max);
    QVERIFY(a.next(&f));
    QCOMPARE(f.size(), Wire::MaxFrame);
}

void TestWire::assemblerSplitEverywhere()
{
    QByteArray stream;
    QList<QByteArray> frames;
    for (int i = 0; i < 50; ++i) {
        frames << WireWriter(quint8(i % 50), quint8(i)).raw(QByteArray(i * 37 % 300, char('a' + i % 26))).finish();
        stream += frames.last();
    }
    for (int step : {1, 3, 7, 4096, 8192}) {
        FrameAssembler a;
        QList<QByteArray> got;
        for (int pos = 0; pos < stream.size(); pos += step) {
            a.append(stream.mid(pos, step));
            QByteArray f;
            while (a.next(&f))
                got << f;
        }
        QCOMPARE(got, frames);
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
