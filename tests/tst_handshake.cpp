// The device server's accept path and handshake, over real TLS on loopback.
#include "devicelink/sslserver.h"
#include "devicelink/thinclientinfo.h"
#include "devicemessages.h"
#include "serverfixture.h"
#include "simdeviceconfig.h"

#include <QCryptographicHash>
#include <QPointer>
#include <QTcpSocket>
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

    void goodHandshake_data();
    void goodHandshake();
    void refusedLine_data();
    void refusedLine();
    void lineOverLimitRefused();
    void silentSocketClosed_data();
    void silentSocketClosed();
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

void TestHandshake::goodHandshake_data()
{
    QTest::addColumn<QList<QByteArray>>("writes");
    QTest::addColumn<QByteArray>("answer");

    QTest::newRow("a to f") << QList<QByteArray>{"a:b:c:d:e:f::" + abcdefDigest + "\n"}
                            << md5("a:b:c:d:e:f" + consolePhrase);
    const QByteArray macFields = DeviceMessages::handshakeFields(QStringLiteral("02:4B:56:00:0a:Ff"));
    QTest::newRow("mac line") << QList<QByteArray>{DeviceMessages::handshakeLine(macFields) + "\n"}
                              << md5(macFields + consolePhrase);
    QTest::newRow("seven fields") << QList<QByteArray>{"a:b:c:d:e:f:g::" + abcdefDigest + "\n"}
                                  << md5("a:b:c:d:e:f:g" + consolePhrase);
    QTest::newRow("split, CR LF") << QList<QByteArray>{"a:b:c:d:", "e:f::" + abcdefDigest.left(10),
                                                      abcdefDigest.mid(10) + "\r", "\n"}
                                  << md5("a:b:c:d:e:f" + consolePhrase);
}

void TestHandshake::goodHandshake()
{
    QFETCH(QList<QByteArray>, writes);
    QFETCH(QByteArray, answer);

    ServerFixture fx;
    QVERIFY(fx.start());
    QSslSocket *client = fx.connectRaw();
    QVERIFY(client);
    for (const QByteArray &w : writes) {
        client->write(w);
        QTest::qWait(30);
    }
    QVERIFY(fx.waitForPendingCount(1));
    QByteArray got;
    const QByteArray date = SSLServer::serverDateFrame(QDate::currentDate());
    QTRY_VERIFY((got += client->readAll()).size() >= answer.size() + date.size());
    QCOMPARE(got.left(32), answer);
    QCOMPARE(got.mid(32), date);

    ThinclientInfo *record = fx.server()->pendingDevices.first();
    QCOMPARE(record->authenticated, quint8(1));
    QVERIFY(record->online);
    QVERIFY(!record->checked);
    QCOMPARE(record->edidCount, quint16(0));
    QVERIFY(record->socket);
    QCOMPARE(fx.server()->indexOfPendingDevice(record->socket), 0);
    QVERIFY(fx.devices.isEmpty());
}

void TestHandshake::refusedLine_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::newRow("upper-case digest") << "a:b:c:d:e:f::" + abcdefDigest.toUpper() + "\n";
    QTest::newRow("five fields") << "a:b:c:d:e::" + md5("a:B:c:D:e::" + devicePhrase) + "\n";
    QTest::newRow("empty line") << QByteArray("\n");
    QTest::newRow("three parts") << "a:b:c:d:e:f::" + abcdefDigest + "::\n";
}

void TestHandshake::refusedLine()
{
    QFETCH(QByteArray, line);
    ServerFixture fx;
    QVERIFY(fx.start());
    QSslSocket *client = fx.connectRaw();
    QVERIFY(client);
    QCOMPARE(socketsOf(fx.server()), 1);
    client->write(line);
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

void TestHandshake::silentSocketClosed_data()
{
    QTest::addColumn<bool>("tls");
    QTest::newRow("no TLS handshake") << false;
    QTest::newRow("TLS, no line") << true;
}

void TestHandshake::silentSocketClosed()
{
    QFETCH(bool, tls);
    ServerFixture fx;
    QVERIFY(fx.start());
    fx.server()->setHandshakeTimeout(300);
    QCOMPARE(fx.server()->handshakeTimeout(), 300);

    QTcpSocket plain;
    QAbstractSocket *client = nullptr;
    if (tls) {
        client = fx.connectRaw();
        QVERIFY(client);
    } else {
        plain.connectToHost(QHostAddress::LocalHost, fx.port());
        QTRY_COMPARE(plain.state(), QAbstractSocket::ConnectedState);
        client = &plain;
    }
    QTRY_COMPARE(socketsOf(fx.server()), 1);
    QVERIFY(ServerFixture::waitForClosed(client, 10000));
    QTRY_COMPARE(socketsOf(fx.server()), 0);
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
