// The device server's accept path and handshake, over real TLS on loopback.
#include "devicelink/sslserver.h"
#include "devicelink/thinclientinfo.h"
#include "devicemessages.h"
#include "serverfixture.h"
#include "simdeviceconfig.h"

#include <QCryptographicHash>
#include <QPointer>
#include <QtTest>

namespace {

QByteArray md5(const QByteArray &text)
{
    return QCryptographicHash::hash(text, QCryptographicHash::Md5).toHex();
}

const QByteArray devicePhrase = "qaZimoRTelUvaNKowS";
const QByteArray consolePhrase = "....doRQuaLimPetaSoLvIRenk";
const QByteArray abcdefDigest = md5("a:B:c:D:e:F:" + devicePhrase);

int socketsOf(SSLServer *server)
{
    return int(server->findChildren<QSslSocket *>(Qt::FindDirectChildrenOnly).size());
}

} // namespace

class TestHandshake : public QObject
{
    Q_OBJECT
private slots:
    void checkLine_data();
    void checkLine();
    void serverDateFrameBytes();

    void goodHandshake();
    void refusedLine();
    void lineOverLimitRefused();
    void wholeLineLength_data();
    void wholeLineLength();
    void pendingSocketReleasedOnClose();
    void framesAfterLineInSameWrite();
    void writeToNullSocketRefused();
};

void TestHandshake::checkLine_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<QByteArray>("answer");

    QTest::newRow("a to f") << "a:b:c:d:e:f::" + abcdefDigest << true << md5("a:b:c:d:e:f" + consolePhrase);
    QTest::newRow("other case, same digest")
        << "A:b:C:d:E:f::" + abcdefDigest << true << md5("A:b:C:d:E:f" + consolePhrase);
    QTest::newRow("mac octets") << "00:1A:2B:3C:4D:5E::" + md5("00:1A:2b:3C:4d:5E:" + devicePhrase) << true
                                << md5("00:1A:2B:3C:4D:5E" + consolePhrase);
    QTest::newRow("seven fields, answer covers all")
        << "a:b:c:d:e:f:g::" + abcdefDigest << true << md5("a:b:c:d:e:f:g" + consolePhrase);
    QTest::newRow("upper-case digest") << "a:b:c:d:e:f::" + abcdefDigest.toUpper() << false << QByteArray();
    QTest::newRow("five fields") << "a:b:c:d:e::" + md5("a:B:c:D:e::" + devicePhrase) << false << QByteArray();
    QTest::newRow("empty") << QByteArray() << false << QByteArray();
    QTest::newRow("three parts") << "a:b:c:d:e:f::" + abcdefDigest + "::x" << false << QByteArray();
    QTest::newRow("wrong phrase") << "a:b:c:d:e:f::" + md5("a:B:c:D:e:F:" + consolePhrase) << false << QByteArray();
    QTest::newRow("trailing blank") << "a:b:c:d:e:f::" + abcdefDigest + " " << false << QByteArray();
}

void TestHandshake::checkLine()
{
    QFETCH(QByteArray, line);
    QFETCH(bool, accepted);
    QFETCH(QByteArray, answer);
    QByteArray got = "untouched";
    QCOMPARE(SSLServer::checkHandshakeLine(line, &got), accepted);
    QCOMPARE(got, accepted ? answer : QByteArray("untouched"));
}

void TestHandshake::serverDateFrameBytes()
{
    QCOMPARE(SSLServer::serverDateFrame(QDate(2024, 3, 5)),
             QByteArray::fromHex("0501000f" "00023300" "00023500" "00053230323400"));
    QCOMPARE(SSLServer::serverDateFrame(QDate(1999, 12, 31)),
             QByteArray::fromHex("05010011" "0003313200" "0003333100" "00053139393900"));
}

// Over TLS: the answer and the date frame go back for a line that came in
// pieces and ended in CR LF; a refused line gets no answer and its socket is
// released. Which lines pass is the table above.
void TestHandshake::goodHandshake()
{
    ServerFixture fx;
    QVERIFY(fx.start());
    QSslSocket *client = fx.connectRaw();
    QVERIFY(client);
    const QDate before = QDate::currentDate();
    for (const QByteArray &w : QList<QByteArray>{"a:b:c:d:", "e:f::" + abcdefDigest.left(10), abcdefDigest.mid(10) + "\r"}) {
        client->write(w);
        QTest::qWait(30);
    }
    client->write("\n");
    QVERIFY(fx.waitForPendingCount(1));
    QByteArray got;
    const QByteArray answer = md5("a:b:c:d:e:f" + consolePhrase);
    // The date may turn over while the line is sent.
    QTRY_VERIFY((got += client->readAll()) == answer + SSLServer::serverDateFrame(before)
                || got == answer + SSLServer::serverDateFrame(QDate::currentDate()));
    QVERIFY(fx.devices.isEmpty());
}

void TestHandshake::refusedLine()
{
    ServerFixture fx;
    QVERIFY(fx.start());
    QSslSocket *client = fx.connectRaw();
    QVERIFY(client);
    QCOMPARE(socketsOf(fx.server()), 1);
    client->write("a:b:c:d:e:f::" + abcdefDigest.toUpper() + "\n");
    QVERIFY(ServerFixture::waitForClosed(client));
    QCOMPARE(client->readAll(), QByteArray());
    QVERIFY(fx.server()->pendingDevices.isEmpty());
    // Released, not kept as a child for the rest of the run.
    QTRY_COMPARE(socketsOf(fx.server()), 0);
}

void TestHandshake::lineOverLimitRefused()
{
    ServerFixture fx;
    QVERIFY(fx.start());
    QSslSocket *client = fx.connectRaw();
    QVERIFY(client);
    // Exactly the limit is still waited on...
    client->write(QByteArray(SSLServer::MaxHandshakeLine, 'a'));
    QTest::qWait(200);
    QCOMPARE(client->state(), QAbstractSocket::ConnectedState);
    // ...one byte more without a line end closes.
    client->write("a");
    QVERIFY(ServerFixture::waitForClosed(client));
    QCOMPARE(client->readAll(), QByteArray());
    QTRY_COMPARE(socketsOf(fx.server()), 0);
}

// A whole line may be as long as the limit; one byte more is refused even
// with its line end in the same write. A seventh field pads the line: only
// the first six count for the digest.
void TestHandshake::wholeLineLength_data()
{
    QTest::addColumn<int>("length");   // without the line end
    QTest::addColumn<bool>("accepted");
    QTest::newRow("the limit") << SSLServer::MaxHandshakeLine << true;
    QTest::newRow("one byte more") << SSLServer::MaxHandshakeLine + 1 << false;
}

void TestHandshake::wholeLineLength()
{
    QFETCH(int, length);
    QFETCH(bool, accepted);
    const QByteArray head = "a:b:c:d:e:f:";
    const QByteArray tail = "::" + abcdefDigest;
    const QByteArray line = head + QByteArray(length - head.size() - tail.size(), 'x') + tail;
    QCOMPARE(line.size(), length);
    ServerFixture fx;
    QVERIFY(fx.start());
    QSslSocket *client = fx.connectRaw();
    QVERIFY(client);
    client->write(line + "\n");
    if (accepted) {
        QVERIFY(fx.waitForPendingCount(1));
    } else {
        QVERIFY(ServerFixture::waitForClosed(client));
        QCOMPARE(client->readAll(), QByteArray());
        QVERIFY(fx.server()->pendingDevices.isEmpty());
    }
}

void TestHandshake::pendingSocketReleasedOnClose()
{
    ServerFixture fx;
    QVERIFY(fx.start());
    QSslSocket *client = fx.connectRaw();
    QVERIFY(client);
    client->write("a:b:c:d:e:f::" + abcdefDigest + "\n");
    QVERIFY(fx.waitForPendingCount(1));
    QPointer<QSslSocket> serverSide = fx.server()->pendingDevices.first()->socket;
    client->disconnectFromHost();
    QVERIFY(fx.waitForPendingCount(0));
    QTRY_VERIFY(serverSide.isNull());
    QVERIFY(fx.devices.isEmpty());
}

void TestHandshake::framesAfterLineInSameWrite()
{
    ServerFixture fx;
    QVERIFY(fx.start());
    QSslSocket *client = fx.connectRaw();
    QVERIFY(client);
    SimDeviceConfig config = SimDeviceConfig::numbered(7);
    const QByteArray fields = DeviceMessages::handshakeFields(config.macAddress);
    // A device that does not wait for the answer: line and registration in one write.
    client->write(DeviceMessages::handshakeLine(fields) + "\n" + DeviceMessages::registrationV2(config));
    ThinclientInfo *record = fx.waitForRegistered(config.macAddress);
    QVERIFY(record);
    QCOMPARE(record->deviceName, config.deviceName);
    QVERIFY(fx.server()->pendingDevices.isEmpty());
}

void TestHandshake::writeToNullSocketRefused()
{
    QCOMPARE(SSLServer::writeToDevice(nullptr, "abc", 3), qint64(-1));
    QCOMPARE(SSLServer::writeToDevice(nullptr, QByteArray("abc")), qint64(-1));
}

QTEST_MAIN(TestHandshake)
#include "tst_handshake.moc"
