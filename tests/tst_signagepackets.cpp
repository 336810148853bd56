// Signage sync and dedicated-storage command frames, byte by byte.
#include "commands/packets/signagepackets.h"

#include <QtTest>

using namespace SignagePackets;

Q_DECLARE_METATYPE(SignagePackets::SyncOutputs)

// A WireString spelled out by hand: u16 count (text + NUL), text, NUL.
static QByteArray ws(const QByteArray &text)
{
    const int n = int(text.size()) + 1;
    return QByteArray(1, char(n >> 8)) + char(n & 0xFF) + text + '\0';
}

static SyncOutput synced(const QString &dir, const QString &list)
{
    SyncOutput o;
    o.sync = true;
    o.contentDir = dir;
    o.listFile = list;
    return o;
}

class TestSignagePackets : public QObject
{
    Q_OBJECT
private slots:
    void syncBlocks_data()
    {
        QTest::addColumn<SyncOutputs>("outputs");
        QTest::addColumn<QByteArray>("frame");

        QTest::newRow("none synced") << SyncOutputs{} << QByteArray::fromHex("2d01000300" "0000");

        SyncOutputs second;
        second[1] = synced(QStringLiteral("/srv/op2"), QStringLiteral("/tmp/dsi_file_list_op2.txt"));
        QByteArray body = QByteArray(1, '\0') + '\x01' + ws("/srv/op2") + ws("/tmp/dsi_file_list_op2.txt") + '\0';
        QTest::newRow("only output 2")
            << second << QByteArray::fromHex("2d01") + char(body.size() >> 8) + char(body.size()) + body;

        SyncOutputs all;
        all[0] = synced(QStringLiteral("/a"), QStringLiteral("/t/1"));
        all[1] = synced(QStringLiteral("/b"), QStringLiteral("/t/2"));
        all[2] = synced(QString::fromUtf8("/c\xc3\xa9"), QStringLiteral("/t/3"));   // Latin-1 on the wire
        body = '\x01' + ws("/a") + ws("/t/1") + '\x01' + ws("/b") + ws("/t/2") + '\x01' + ws("/c\xe9") + ws("/t/3");
        QTest::newRow("all three") << all << QByteArray::fromHex("2d01") + char(body.size() >> 8) + char(body.size()) + body;

        // A cleared output sends no strings even when a directory is known.
        SyncOutputs cleared;
        cleared[0].contentDir = QStringLiteral("/kept");
        cleared[0].listFile = QStringLiteral("/t/1");
        cleared[2] = synced(QString(), QString());
        body = QByteArray(2, '\0') + '\x01' + ws("") + ws("");
        QTest::newRow("cleared output, empty strings")
            << cleared << QByteArray::fromHex("2d01") + char(body.size() >> 8) + char(body.size()) + body;
    }

    void syncBlocks()
    {
        QFETCH(SyncOutputs, outputs);
        QFETCH(QByteArray, frame);
        QCOMPARE(syncSignageDir(outputs).toHex(' '), frame.toHex(' '));
    }

    void syncBufferLimit()
    {
        // header 4 + (1 + dir + 3 + list "L" 1 + 3) + 1 + 1 = dir + 14
        SyncOutputs outputs;
        outputs[0] = synced(QString(4082, QLatin1Char('d')), QStringLiteral("L"));
        const QByteArray fits = syncSignageDir(outputs);
        QCOMPARE(fits.size(), SyncBufferSize);
        QCOMPARE(quint8(fits[2]) << 8 | quint8(fits[3]), SyncBufferSize - 4);

        outputs[0].contentDir.append(QLatin1Char('d'));
        QVERIFY(syncSignageDir(outputs).isEmpty());
    }

    void syncPathLatin1CannotHold()
    {
        // The devices fetch the list and the content by these paths.
        SyncOutputs outputs;
        outputs[1] = synced(QString::fromUtf8("/m/\u0414\u043e\u043a"), QStringLiteral("/t/l2"));
        QVERIFY(syncSignageDir(outputs).isEmpty());
        outputs[1] = synced(QStringLiteral("/m/d"), QString::fromUtf8("/t/\u0414/l2"));
        QVERIFY(syncSignageDir(outputs).isEmpty());
        outputs[1] = synced(QString::fromUtf8("/m/B\u00fcro"), QStringLiteral("/t/l2"));
        QVERIFY(!syncSignageDir(outputs).isEmpty());
    }

    void blockDeviceScan()
    {
        QCOMPARE(getBlockDevices(), QByteArray::fromHex("30000000"));
    }

    void whiteList_data()
    {
        QTest::addColumn<QByteArray>("frame");
        QTest::addColumn<QByteArray>("expected");

        QTest::newRow("auto-select") << storageWhiteListAutoSelect()
                                     << QByteArray::fromHex("3100000c" "4155544f2d53454c4543540a");
        QTest::newRow("empty list") << storageWhiteList(QByteArray()) << QByteArray::fromHex("31000000");
        QTest::newRow("two lines") << storageWhiteList("1,V,M,T,N\n2,V,M,T,N\n")
                                   << QByteArray::fromHex("31000014") + QByteArray("1,V,M,T,N\n2,V,M,T,N\n");
        const QByteArray full(MaxWhiteListPayload, 'x');
        QTest::newRow("16380 bytes") << storageWhiteList(full) << QByteArray::fromHex("31003ffc") + full;
        QTest::newRow("one byte too many") << storageWhiteList(full + 'x') << QByteArray();
    }

    void whiteList()
    {
        QFETCH(QByteArray, frame);
        QFETCH(QByteArray, expected);
        QCOMPARE(frame, expected);
    }

    void whiteListModels_data()
    {
        QTest::addColumn<QString>("model");
        QTest::addColumn<bool>("takes");
        QTest::newRow("ORL QB64") << QStringLiteral("ORL QB64") << true;
        QTest::newRow("orl qb64") << QStringLiteral("orl qb64") << false;
        QTest::newRow("ORL GZ2") << QStringLiteral("ORL GZ2") << true;
        QTest::newRow("inside text") << QStringLiteral("XORL QBY") << true;
        QTest::newRow("ORL_QB64") << QStringLiteral("ORL_QB64") << false;
        QTest::newRow("Pyrel PC") << QStringLiteral("Pyrel PC") << true;
        QTest::newRow("Pyrel PC with more") << QStringLiteral("Pyrel PC 2") << false;
        QTest::newRow("ORL K1") << QStringLiteral("ORL K1") << false;
    }

    void whiteListModels()
    {
        QFETCH(QString, model);
        QFETCH(bool, takes);
        QCOMPARE(takesStorageWhiteList(model), takes);
    }
};

QTEST_APPLESS_MAIN(TestSignagePackets)
#include "tst_signagepackets.moc"
