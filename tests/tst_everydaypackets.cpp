// The frames of the everyday commands and of the file push, byte by byte.
#include "commands/packets/everydaypackets.h"
#include "devicelink/wire.h"

#include <QCryptographicHash>
#include <QtTest>

using namespace Packets;

class TestEverydayPackets : public QObject
{
    Q_OBJECT
private slots:
    void frames_data();
    void frames();
    void nameLimit();
    void passwordDigest();
    void fileTransfer_data();
    void fileTransfer();
};

void TestEverydayPackets::frames_data()
{
    QTest::addColumn<QByteArray>("frame");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("reboot") << reboot() << QByteArray::fromHex("01000000");
    QTest::newRow("enter upgrade") << enterUpgradeMode() << QByteArray::fromHex("0d000000");
    QTest::newRow("log files") << getLogFiles() << QByteArray::fromHex("15000000");
    QTest::newRow("serial number") << getSerialNumber() << QByteArray::fromHex("0f000000");
    QTest::newRow("factory reset") << factoryReset() << QByteArray::fromHex("1b000000");
    QTest::newRow("exit upgrade") << exitUpgradeMode() << QByteArray::fromHex("32000000");
    QTest::newRow("firewall on") << setFirewall(true) << QByteArray::fromHex("2400000101");
    QTest::newRow("firewall off") << setFirewall(false) << QByteArray::fromHex("2400000100");
    QTest::newRow("log on") << setLogState(true) << QByteArray::fromHex("1f00000101");
    QTest::newRow("log off") << setLogState(false) << QByteArray::fromHex("1f00000100");
    QTest::newRow("power save on") << setPowerSave(true) << QByteArray::fromHex("2900000101");
    QTest::newRow("power save off") << setPowerSave(false) << QByteArray::fromHex("2900000100");
    QTest::newRow("status word any case") << setFirewall(statusIsEnabled(QStringLiteral("eNaBlEd")))
                                          << QByteArray::fromHex("2400000101");
    QTest::newRow("status word other") << setFirewall(statusIsEnabled(QStringLiteral("Enabled ")))
                                       << QByteArray::fromHex("2400000100");
    QTest::newRow("ten-character name") << setName(QStringLiteral("Desk-07 B_"))
                                        << QByteArray::fromHex("0600000d000b") + "Desk-07 B_" + QByteArray(1, 0);
    QTest::newRow("empty name") << setName(QString()) << QByteArray::fromHex("06000003000100");
    QTest::newRow("latin-1 name") << setName(QString::fromUtf8("Büro"))
                                  << QByteArray::fromHex("06000007000542fc726f00");
    QTest::newRow("name beyond latin-1") << setName(QString::fromUtf8("Зал 1"))
                                         << QByteArray::fromHex("060000080006") + "??? 1" + QByteArray(1, 0);
}

void TestEverydayPackets::frames()
{
    QFETCH(QByteArray, frame);
    QFETCH(QByteArray, bytes);
    QCOMPARE(frame.toHex(' '), bytes.toHex(' '));
}

void TestEverydayPackets::nameLimit()
{
    // The longest name fills the 16-bit payload length exactly.
    const QByteArray longest = setName(QString(MaxNameBytes, QLatin1Char('n')));
    QCOMPARE(longest.size(), Wire::MaxFrame);
    QCOMPARE(longest.left(6).toHex(), QByteArray("0600fffffffd"));
    QCOMPARE(longest.back(), '\0');
    QVERIFY(setName(QString(MaxNameBytes + 1, QLatin1Char('n'))).isEmpty());
    QVERIFY(setName(QString(100000, QLatin1Char('n'))).isEmpty());
}

void TestEverydayPackets::passwordDigest()
{
    const QByteArray frame = setConfigPassword(QStringLiteral("secret"));
    const QByteArray digest = QCryptographicHash::hash("secret", QCryptographicHash::Md5).toHex();
    QCOMPARE(frame.size(), 39);
    QCOMPARE(frame.toHex(' '), (QByteArray::fromHex("230000230021") + digest + QByteArray(1, 0)).toHex(' '));
    QVERIFY(!frame.contains("secret"));
    // Characters beyond Latin-1 are hashed as "?", like every wire text.
    QCOMPARE(setConfigPassword(QString::fromUtf8("пароль")), setConfigPassword(QStringLiteral("??????")));
    QVERIFY(setConfigPassword(QString()).isEmpty());
}

void TestEverydayPackets::fileTransfer_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("refusal");
    const int none = int(FileRefusal::None);
    const int invalid = int(FileRefusal::InvalidParameter);
    const int tooLarge = int(FileRefusal::TooLarge);
    QTest::newRow("one byte") << QStringLiteral("a.bin") << 1 << none;
    QTest::newRow("exactly 3 MiB") << QStringLiteral("image.png") << int(MaxFileTransferData) << none;
    QTest::newRow("3 MiB + 1") << QStringLiteral("image.png") << int(MaxFileTransferData) + 1 << tooLarge;
    QTest::newRow("empty data") << QStringLiteral("a.bin") << 0 << invalid;
    QTest::newRow("empty name") << QString() << 10 << invalid;
    QTest::newRow("empty name and too large") << QString() << int(MaxFileTransferData) + 1 << invalid;
    QTest::newRow("name past a wire string") << QString(0xFFFF, QLatin1Char('x')) << 10 << invalid;
}

void TestEverydayPackets::fileTransfer()
{
    QFETCH(QString, name);
    QFETCH(int, size);
    QFETCH(int, refusal);
    QByteArray data(size, '\0');
    for (int i = 0; i < size; ++i)
        data[i] = char(i * 7 + 3);

    FileRefusal why = FileRefusal::None;
    const QByteArray frame = Packets::fileTransfer(name, data, &why);
    QCOMPARE(int(why), refusal);
    if (refusal != int(FileRefusal::None)) {
        QVERIFY(frame.isEmpty());
        return;
    }
    const QByteArray nameBytes = name.toLatin1();
    QCOMPARE(frame.size(), 48 + nameBytes.size() + size);
    PayloadReader r(frame, 0);
    QCOMPARE(r.u8(), quint8(0x18));
    QCOMPARE(r.u8(), quint8(0));
    QCOMPARE(r.u32(), quint32(frame.size() - 6));
    QCOMPARE(frame.mid(6, 2 + nameBytes.size() + 1), QByteArray::fromHex("00") + char(nameBytes.size() + 1)
                                                          + nameBytes + QByteArray(1, 0));
    r.wireString();
    const int md5At = r.offset();
    QCOMPARE(frame.mid(md5At, 2).toHex(), QByteArray("0021"));
    QCOMPARE(r.wireString().toLatin1(), QCryptographicHash::hash(data, QCryptographicHash::Md5).toHex());
    QCOMPARE(r.offset(), md5At + 35);
    QCOMPARE(r.u32(), quint32(size));
    QVERIFY(frame.mid(r.offset()) == data);
}

QTEST_GUILESS_MAIN(TestEverydayPackets)
#include "tst_everydaypackets.moc"
