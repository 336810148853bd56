// Which devices a command reaches and the send helpers around the writes.
#include "commands/commanddelivery.h"
#include "commands/packets/delivery.h"
#include "commands/packets/everydaypackets.h"
#include "devicelink/sslserver.h"
#include "devicelink/thinclientinfo.h"
#include "failingreads.h"
#include "fakedevices.h"
#include "scriptedprompter.h"
#include "testfiles.h"

#include <QTemporaryDir>
#include <QtTest>
#include <optional>

#include <sys/stat.h>

class TestCommandDelivery : public QObject
{
    Q_OBJECT
private slots:
    // Each test gets its own records and a fresh write hook.
    void init() { m_fake.emplace(); }
    void cleanup() { m_fake.reset(); }
    void selection_data();
    void selection();
    void sendToSelected();
    void noneSelectedWarns();
    void deviceDropsDuringWrites();
    void sendFile_data();
    void sendFile();
    void uploadFile();

private:
    ThinclientInfo *device(bool checked, bool online, bool socket = true)
    {
        return m_fake->add(QStringLiteral("ORL K1"), checked, online, socket);
    }
    std::optional<FakeDevices> m_fake;
    QList<QPair<QSslSocket *, QByteArray>> &writes() { return m_fake->writes; }
};

void TestCommandDelivery::selection_data()
{
    QTest::addColumn<bool>("checked");
    QTest::addColumn<bool>("online");
    QTest::addColumn<bool>("socket");
    QTest::addColumn<bool>("selected");
    QTest::newRow("checked, online, socket") << true << true << true << true;
    QTest::newRow("unchecked") << false << true << true << false;
    QTest::newRow("offline") << true << false << true << false;
    QTest::newRow("no socket") << true << true << false << false;
}

void TestCommandDelivery::selection()
{
    QFETCH(bool, checked);
    QFETCH(bool, online);
    QFETCH(bool, socket);
    QFETCH(bool, selected);
    ThinclientInfo *d = device(checked, online, socket);
    const QList<ThinclientInfo *> dept{device(true, true), d};
    QCOMPARE(Delivery::isSelected(d), selected);
    QCOMPARE(Delivery::countSelectedDevices(&dept), selected ? 2 : 1);
    QCOMPARE(Delivery::selectedDevices(&dept).contains(d), selected);
    QCOMPARE(Delivery::writeToSelected(&dept, Packets::reboot()), selected ? 2 : 1);
    QCOMPARE(Delivery::countSelectedDevices(nullptr), 0);
}

void TestCommandDelivery::sendToSelected()
{
    ScriptedPrompter prompts;
    const QList<ThinclientInfo *> dept{device(true, true), device(false, true), device(true, true)};
    ThinclientInfo *elsewhere = device(true, true);
    const QByteArray frame = Packets::factoryReset();

    QCOMPARE(CommandDelivery::sendToSelectedDevices(nullptr, &dept, frame), 0);
    QCOMPARE(writes().size(), 2);
    QCOMPARE(writes()[0].first, dept[0]->socket);
    QCOMPARE(writes()[1].first, dept[2]->socket);
    QCOMPARE(writes()[1].second, frame);
    for (const auto &w : writes())
        QVERIFY(w.first != elsewhere->socket);
    QVERIFY(prompts.calls.isEmpty());

    // No department shown or nothing to send: refused without a word.
    QCOMPARE(CommandDelivery::sendToSelectedDevices(nullptr, nullptr, frame), -1);
    QCOMPARE(CommandDelivery::sendToSelectedDevices(nullptr, &dept, QByteArray()), -1);
    QCOMPARE(writes().size(), 2);
    QVERIFY(prompts.calls.isEmpty());
}

void TestCommandDelivery::noneSelectedWarns()
{
    const QList<QList<ThinclientInfo *>> departments{
        {},
        {device(false, true), device(false, true)},
        {device(true, false), device(true, false, false)},
    };
    for (const QList<ThinclientInfo *> &dept : departments) {
        ScriptedPrompter prompts;
        QCOMPARE(CommandDelivery::sendToSelectedDevices(nullptr, &dept, Packets::reboot()), -1);
        QCOMPARE(prompts.trail(),
                 QStringList{"warning Status update: \nCommand was not sent to any device(s) because none are selected!"});
    }
    QVERIFY(writes().isEmpty());
}

void TestCommandDelivery::deviceDropsDuringWrites()
{
    // The second device disconnects while the first is written to: its
    // record goes offline and loses its socket before its turn comes.
    QList<ThinclientInfo *> dept{device(true, true), device(true, true), device(true, true)};
    ThinclientInfo *dropping = dept[1];
    SSLServer::setWriteHook([&](QSslSocket *s, const QByteArray &d) {
        writes().append({s, d});
        dropping->online = false;
        dropping->socket = nullptr;
        dept.append(device(true, true));   // a registration changing the list meanwhile
        return qint64(d.size());
    });
    QCOMPARE(Delivery::writeToSelected(&dept, Packets::reboot()), 2);
    QCOMPARE(writes().size(), 2);
    QCOMPARE(writes()[0].first, dept[0]->socket);
    QCOMPARE(writes()[1].first, dept[2]->socket);
    QVERIFY(!Delivery::writeIfReachable(dropping, Packets::reboot()));
}

void TestCommandDelivery::sendFile_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("size");
    QTest::addColumn<bool>("hasDevice");
    QTest::addColumn<bool>("online");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("text");
    const QString invalid = QStringLiteral("\nAn invalid parameter was passed");
    QTest::newRow("sent") << QStringLiteral("f.bin") << 10 << true << true << QString() << QString();
    QTest::newRow("3 MiB sent") << QStringLiteral("f.bin") << int(Packets::MaxFileTransferData) << true << true
                                << QString() << QString();
    QTest::newRow("3 MiB + 1") << QStringLiteral("f.bin") << int(Packets::MaxFileTransferData) + 1 << true
                               << true << QStringLiteral("File size error")
                               << QStringLiteral("\nKorvane does not support files larger than 3MB");
    QTest::newRow("empty data") << QStringLiteral("f.bin") << 0 << true << true
                                << QStringLiteral("Invalid parameter") << invalid;
    QTest::newRow("empty name") << QString() << 10 << true << true << QStringLiteral("Invalid parameter") << invalid;
    QTest::newRow("no device") << QStringLiteral("f.bin") << 10 << false << true
                               << QStringLiteral("Invalid parameter") << invalid;
    QTest::newRow("device gone") << QStringLiteral("f.bin") << 10 << true << false << QStringLiteral("Status update")
                                 << QStringLiteral("\nThe file was not sent because the device is not connected");
}

void TestCommandDelivery::sendFile()
{
    QFETCH(QString, name);
    QFETCH(int, size);
    QFETCH(bool, hasDevice);
    QFETCH(bool, online);
    QFETCH(QString, title);
    QFETCH(QString, text);
    ScriptedPrompter prompts;
    const QByteArray data(size, 'd');
    ThinclientInfo *target = hasDevice ? device(false, online) : nullptr;
    const int result = CommandDelivery::sendFileToDevice(nullptr, name, data, target);
    if (title.isEmpty()) {
        QCOMPARE(result, 0);
        QVERIFY(prompts.calls.isEmpty());
        QCOMPARE(writes().size(), 1);
        QCOMPARE(writes()[0].first, target->socket);
        QVERIFY(writes()[0].second == Packets::fileTransfer(name, data));
    } else {
        QCOMPARE(result, -1);
        QVERIFY(writes().isEmpty());
        QCOMPARE(prompts.texts(QStringLiteral("warning")), QStringList{text});
        QCOMPARE(prompts.last().title, title);
    }
}

void TestCommandDelivery::uploadFile()
{
    QTemporaryDir dir;
    QVERIFY(TestFiles::write(dir.filePath(QStringLiteral("ok.bin")), QByteArray(100, 'u')));
    QVERIFY(TestFiles::write(dir.filePath(QStringLiteral("big.bin")), QByteArray(Packets::MaxFileTransferData + 1, 'u')));
    QVERIFY(TestFiles::write(dir.filePath(QStringLiteral("empty.bin")), QByteArray()));
    ThinclientInfo *target = device(false, true);

    ScriptedPrompter prompts;
    QCOMPARE(CommandDelivery::uploadFileToDevice(nullptr, QStringLiteral("r.bin"), dir.filePath("ok.bin"), target), 0);
    QCOMPARE(writes().size(), 1);
    QVERIFY(writes()[0].second == Packets::fileTransfer(QStringLiteral("r.bin"), QByteArray(100, 'u')));

    const QString missing = dir.filePath(QStringLiteral("missing.bin"));
    QCOMPARE(CommandDelivery::uploadFileToDevice(nullptr, QStringLiteral("r.bin"), missing, target), -1);
    QCOMPARE(CommandDelivery::uploadFileToDevice(nullptr, QStringLiteral("r.bin"), dir.filePath("big.bin"), target), -1);
    QCOMPARE(CommandDelivery::uploadFileToDevice(nullptr, QStringLiteral("r.bin"), dir.filePath("empty.bin"), target), -1);
    QCOMPARE(prompts.texts(), (QStringList{QStringLiteral("\nError opening file ") + missing,
                                           QStringLiteral("\nKorvane does not support files larger than 3MB"),
                                           QStringLiteral("\nAn invalid parameter was passed")}));
    QCOMPARE(prompts.calls[0].title, QStringLiteral("Open error"));

    // A named pipe chosen as the file would be waited on for a writer for
    // good; it is no file to send.
    prompts.calls.clear();
    const QString pipe = dir.filePath(QStringLiteral("pipe.jpg"));
    QCOMPARE(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    QCOMPARE(CommandDelivery::uploadFileToDevice(nullptr, QStringLiteral("r.bin"), pipe, target), -1);
    QCOMPARE(prompts.texts(), QStringList{QStringLiteral("\nError opening file ") + pipe});

    // A disk that fails part-way through the file: what came before the
    // failure is no file to send.
    prompts.calls.clear();
    const int cut = [&] {
        const FailingReads failing(dir.filePath("ok.bin"));
        return CommandDelivery::uploadFileToDevice(nullptr, QStringLiteral("r.bin"), dir.filePath("ok.bin"), target);
    }();
    QCOMPARE(cut, -1);
    QCOMPARE(prompts.texts(), QStringList{QStringLiteral("\nError opening file ") + dir.filePath("ok.bin")});

    // Missing arguments are refused silently.
    QCOMPARE(CommandDelivery::uploadFileToDevice(nullptr, QString(), dir.filePath("ok.bin"), target), -1);
    QCOMPARE(CommandDelivery::uploadFileToDevice(nullptr, QStringLiteral("r.bin"), dir.filePath("ok.bin"), nullptr), -1);
    QCOMPARE(prompts.calls.size(), 1);
    QCOMPARE(writes().size(), 1);
}

QTEST_MAIN(TestCommandDelivery)
#include "tst_commanddelivery.moc"
