// Status messages and file transfer end to end: a simulated device talks to
// the device server over TLS on loopback.
// ctest-timeout: 240
#include "devicelink/sslserver.h"
#include "devicelink/thinclientinfo.h"
#include "devicelink/wire.h"
#include "fileclient.h"
#include "serverfixture.h"
#include "simdeviceconfig.h"
#include "statusmessages.h"
#include "testfiles.h"

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

} // namespace

class TestMessagesOverTls : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void framesTogetherAndSplit();
    void uploadThenDownload();
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
    QVERIFY(QDir().mkpath(dir("tmp")));
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

    // The tail of one frame and a whole second one in the same write.
    const QByteArray first = status(1, "Working");
    const QByteArray second = firewallStatus(true);
    QVERIFY(m_device->sendRaw(first.left(5)) > 0);
    QTest::qWait(100);
    QVERIFY(m_device->sendRaw(first.mid(5) + second) > 0);
    QTRY_COMPARE(m_record->firewallEnabled, QStringLiteral("Yes"));
    QCOMPARE(m_fixture->cellText(m_record, 1), QStringLiteral("Working"));

    // A frame larger than one read, and one behind it in the same write.
    QSignalSpy help(m_fixture->server(), &SSLServer::onGetRemProtoHelp);
    const QString text(20000, QLatin1Char('h'));
    QVERIFY(m_device->sendRaw(StatusMessages::protocolHelp(text) + deviceName("after help")) > 0);
    QTRY_COMPARE(m_record->deviceName, QStringLiteral("after help"));
    QCOMPARE(help.size(), 1);
    QCOMPARE(help.at(0).at(0).toString(), text);
}

void TestMessagesOverTls::uploadThenDownload()
{
    const QByteArray content = pattern(50000);
    FileClient client(m_device);
    client.upload(QStringLiteral("blocks-1.txt"), content);
    QVERIFY(client.waitForFinished());
    QVERIFY(client.succeeded());
    waitForTransferClosed();
    QCOMPARE(TestFiles::read(dir("tmp/blocks-1.txt")), content);

    client.download(dir("tmp/blocks-1.txt"), 0, 10000);
    QVERIFY(client.waitForFinished(30000));
    QVERIFY(client.succeeded());
    QCOMPARE(client.announcedSize(), qint64(content.size()));
    QCOMPARE(client.data(), content);
    waitForTransferClosed();
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
