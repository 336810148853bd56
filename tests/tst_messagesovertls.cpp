// Status messages and file transfer end to end: a simulated device talks to
// the device server over TLS on loopback.
// ctest-timeout: 240
#include "devicelink/sslserver.h"
#include "devicelink/thinclientinfo.h"
#include "devicelink/utils.h"
#include "devicelink/wire.h"
#include "fileclient.h"
#include "serverfixture.h"
#include "simdeviceconfig.h"
#include "statusmessages.h"

#include <QDir>
#include <QFile>
#include <QPointer>
#include <QSignalSpy>
#include <QtTest>

using namespace StatusMessages;

namespace {

QByteArray pattern(int size)
{
    QByteArray data(size, Qt::Uninitialized);
    quint32 x = 2463534242u;
    for (int i = 0; i < size; ++i) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        data[i] = char(x);
    }
    return data;
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestMessagesOverTls : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void framesTogetherAndSplit();
    void largeHelpText();
    void downloadIsIdentical();
    void uploadRoundTrip();
    void refusalsArriveAsCodes();
    void whiteList();
    void disconnectDuringDownload();
    void disconnectDuringUpload();

private:
    QString dir(const QString &name) const { return m_fixture->tempPath() + QLatin1Char('/') + name; }
    void waitForTransferClosed();

    ServerFixture *m_fixture = nullptr;
    SimDevice *m_device = nullptr;
    ThinclientInfo *m_record = nullptr;
};

void TestMessagesOverTls::init()
{
    m_fixture = new ServerFixture;
    for (const char *name : {"fw", "tmp"})
        QVERIFY(QDir().mkpath(dir(QLatin1String(name))));
    m_fixture->settings()->setValue("firmwareImageDir", dir("fw"));
    m_fixture->settings()->setValue("tempDir", dir("tmp"));
    QVERIFY(m_fixture->start());
    const SimDeviceConfig config = SimDeviceConfig::numbered(1);
    m_device = m_fixture->addDevice(config);
    QVERIFY(ServerFixture::waitForReady(m_device));
    m_record = m_fixture->waitForRegistered(config.macAddress);
    QVERIFY(m_record);
}

void TestMessagesOverTls::cleanup()
{
    delete m_fixture;
    m_fixture = nullptr;
    m_device = nullptr;
    m_record = nullptr;
}

void TestMessagesOverTls::waitForTransferClosed()
{
    QTRY_COMPARE_WITH_TIMEOUT(m_record->transferFile, nullptr, 10000);
}

void TestMessagesOverTls::framesTogetherAndSplit()
{
    // Two frames in one write, so in one TLS record.
    QVERIFY(m_device->sendRaw(deviceName("joined") + firmwareVersion("9.9.9")) > 0);
    QTRY_COMPARE(m_record->deviceName, QStringLiteral("joined"));
    QTRY_COMPARE(m_record->firmwareVersion, QStringLiteral("9.9.9"));

    // One frame in three writes, each given time to arrive on its own.
    const QByteArray frame = timezoneInfo("America/Halifax", "ntp.split.example");
    const QList<QByteArray> pieces{frame.left(2), frame.mid(2, 9), frame.mid(11)};
    for (int i = 0; i < pieces.size(); ++i) {
        QVERIFY(m_device->sendRaw(pieces.at(i)) > 0);
        if (i + 1 < pieces.size()) {
            QTest::qWait(150);
            QVERIFY(m_record->timezone != QLatin1String("America/Halifax"));
        }
    }
    QTRY_COMPARE(m_record->timezone, QStringLiteral("America/Halifax"));
    QCOMPARE(m_record->timeServer, QStringLiteral("ntp.split.example"));

    // The tail of one frame and a whole second one in the same write.
    const QByteArray first = status(1, "Working");
    const QByteArray second = firewallStatus(true);
    QVERIFY(m_device->sendRaw(first.left(5)) > 0);
    QTest::qWait(100);
    QVERIFY(m_device->sendRaw(first.mid(5) + second) > 0);
    QTRY_COMPARE(m_record->firewallEnabled, QStringLiteral("Yes"));
    QCOMPARE(m_fixture->cellText(m_record, 1), QStringLiteral("Working"));
}

void TestMessagesOverTls::largeHelpText()
{
    QSignalSpy spy(m_fixture->server(), &SSLServer::onGetRemProtoHelp);
    QByteArray text = pattern(20000);
    for (char &c : text)
        c = char('a' + quint8(c) % 26);
    // Spans several TLS records; a frame behind it in the same write.
    QVERIFY(m_device->sendRaw(StatusMessages::protocolHelp(QString::fromLatin1(text)) + deviceName("after help")) > 0);
    QTRY_COMPARE(m_record->deviceName, QStringLiteral("after help"));
    QCOMPARE(spy.size(), 1);
    QCOMPARE(spy.at(0).at(0).toString(), QString::fromLatin1(text));
}

void TestMessagesOverTls::downloadIsIdentical()
{
    const QByteArray content = pattern(300001);
    const QString path = dir("fw/image-4.3.0.bin");
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
    }
    FileClient client(m_device);
    client.download(path, 0, 10000);
    QVERIFY(client.waitForFinished(60000));
    QVERIFY(client.succeeded());
    QCOMPARE(client.announcedSize(), qint64(content.size()));
    QCOMPARE(client.chunkReplies(), (content.size() + 4091) / 4092);
    QString expected;
    QVERIFY(Utils::fileMd5(path, &expected));
    QCOMPARE(Utils::md5Hex(client.data()), expected);
    waitForTransferClosed();
}

void TestMessagesOverTls::uploadRoundTrip()
{
    const QByteArray content = pattern(50000);
    FileClient client(m_device);
    client.upload(QStringLiteral("blocks-1.txt"), content);
    QVERIFY(client.waitForFinished());
    QVERIFY(client.succeeded());
    waitForTransferClosed();
    QCOMPARE(readFile(dir("tmp/blocks-1.txt")), content);

    // And back again from the temporary directory.
    client.download(dir("tmp/blocks-1.txt"));
    QVERIFY(client.waitForFinished(30000));
    QVERIFY(client.succeeded());
    QCOMPARE(Utils::md5Hex(client.data()), Utils::md5Hex(content));
    waitForTransferClosed();
}

void TestMessagesOverTls::refusalsArriveAsCodes()
{
    FileClient client(m_device);
    client.download(QStringLiteral("/etc/passwd"), 1);
    QVERIFY(client.waitForFinished());
    QVERIFY(!client.succeeded());
    QCOMPARE(client.lastCode(), quint8(TransferReply::NotAllowed));

    client.upload(QStringLiteral("../escape.txt"), "x");
    QVERIFY(client.waitForFinished());
    QCOMPARE(client.lastCode(), quint8(TransferReply::BadName));
    QVERIFY(!QFile::exists(dir("escape.txt")));
    QCOMPARE(m_record->transferFile, nullptr);
}

void TestMessagesOverTls::whiteList()
{
    {
        QFile file(dir("tmp/whitelist.txt"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("usb-0781:5581\r\nusb-090c:1000\r\n");
    }
    FileClient client(m_device);
    client.requestWhiteList();
    QVERIFY(client.waitForFinished());
    QVERIFY(client.succeeded());
    QCOMPARE(client.data(), QByteArray("usb-0781:5581\nusb-090c:1000\n"));
}

void TestMessagesOverTls::disconnectDuringDownload()
{
    const QString path = dir("fw/big.bin");
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(pattern(100000));
    }
    QSignalSpy replies(m_device, &SimDevice::frameReceived);
    m_device->sendFrame(FileMessages::openRead(path));
    m_device->sendFrame(FileMessages::readChunk(4092));
    QTRY_COMPARE(replies.size(), 2);
    QPointer<QFile> file = m_record->transferFile;
    QVERIFY(file);
    QVERIFY(file->isOpen());

    m_device->disconnectFromConsole();
    QTRY_VERIFY(file.isNull());
    QCOMPARE(m_record->transferFile, nullptr);
    QVERIFY(!m_record->online);
}

void TestMessagesOverTls::disconnectDuringUpload()
{
    QSignalSpy replies(m_device, &SimDevice::frameReceived);
    m_device->sendFrame(FileMessages::openWrite(QStringLiteral("partial.txt")));
    QTRY_COMPARE(replies.size(), 1);
    m_device->sendFrame(FileMessages::writeChunk("first chunk\n"));
    QPointer<QFile> file = m_record->transferFile;
    QVERIFY(file);

    m_device->disconnectFromConsole();
    QTRY_VERIFY(file.isNull());
    QCOMPARE(m_record->transferFile, nullptr);
    // A cut upload leaves nothing that could pass for the whole file.
    QCOMPARE(QDir(dir("tmp")).entryList({QStringLiteral("*partial*"), QStringLiteral(".upload-*")},
                                        QDir::Files | QDir::Hidden),
             QStringList());
}

QTEST_MAIN(TestMessagesOverTls)
#include "tst_messagesovertls.moc"
