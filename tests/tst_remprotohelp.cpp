// ctest-timeout: 300
// A device's help text on its remote protocols, handed to a text viewer: one
// window per console, opened after the device message's handling, whatever
// the devices do meanwhile.
#include "mainwindow/mainwindow.h"
#include "scriptedprompter.h"
#include "simdevice.h"
#include "simdeviceconfig.h"
#include "statusmessages.h"
#include "windowfixture.h"

#include "devicelink/sslserver.h"
#include "devicelink/thinclientinfo.h"

#include <QDir>
#include <QFile>
#include <QPointer>
#include <QSignalSpy>
#include <QtTest>

#include <memory>
#include <vector>

using namespace WindowFixture;

namespace {

QString helpPath(QSettings *store)
{
    return store->value(QStringLiteral("tempDir")).toString() + QStringLiteral("/rem_proto_help.txt");
}

QByteArray fileText(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(none)");
}

// A window with simulated devices on real TLS.
struct Console {
    ScriptedPrompter prompter;
    QSettings *store = newSettings();
    quint16 port = freeTcpPort();
    std::unique_ptr<MainWindow> window;
    std::vector<std::unique_ptr<SimDevice>> sims;

    Console()
    {
        seedPreferences(store, port, freeUdpPort());
        QFile::remove(helpPath(store));
        window = std::make_unique<MainWindow>(nullptr, environment(store));
    }

    ThinclientInfo *record(const SimDevice *sim) const
    {
        for (ThinclientInfo *r : std::as_const(window->devices))
            if (r && r->macAddress == sim->config().macAddress)
                return r;
        return nullptr;
    }

    bool addDevices(int count)
    {
        for (int i = 0; i < count; ++i) {
            sims.emplace_back(new SimDevice(SimDeviceConfig::numbered(int(sims.size()) + 1)));
            sims.back()->connectToConsole(QStringLiteral("127.0.0.1"), port);
        }
        return QTest::qWaitFor(
            [this] {
                for (const auto &sim : sims) {
                    const ThinclientInfo *r = record(sim.get());
                    if (!r || !r->online)
                        return false;
                }
                return true;
            },
            60000);
    }
};

} // namespace

class TestRemProtoHelp : public QObject
{
    Q_OBJECT
private slots:
    void viewers_data()
    {
        QTest::addColumn<QList<bool>>("starts");
        QTest::addColumn<QStringList>("tried");
        QTest::addColumn<bool>("warned");
        QTest::newRow("first viewer") << QList<bool>{true} << QStringList{"gedit"} << false;
        QTest::newRow("second viewer") << QList<bool>{false, true} << QStringList{"gedit", "pluma"} << false;
        QTest::newRow("none") << QList<bool>{false, false, false} << QStringList{"gedit", "pluma", "notepad"} << true;
    }

    void viewers()
    {
        QFETCH(QList<bool>, starts);
        QFETCH(QStringList, tried);
        QFETCH(bool, warned);
        QSettings *store = newSettings();
        seedPreferences(store, freeTcpPort(), freeUdpPort());
        const QString path = helpPath(store);
        QFile::remove(path);
        ScriptedPrompter prompter;
        MainWindow w(nullptr, environment(store));
        for (bool s : starts)
            prompter.answerBool(s);

        emit w.sslServer->onGetRemProtoHelp(QStringLiteral("RDP: rdesktop\nICA: wfica\n"));
        // Nothing opens inside the device's message.
        QVERIFY(prompter.calls.isEmpty());
        QTRY_COMPARE(prompter.texts(QStringLiteral("startDetached")), tried);

        QCOMPARE(fileText(path), QByteArray("RDP: rdesktop\nICA: wfica\n"));
        for (const ScriptedPrompter::Call &c : std::as_const(prompter.calls))
            if (c.kind == QLatin1String("startDetached"))
                QCOMPARE(c.arguments, QStringList{path});
        if (warned) {
            QCOMPARE(prompter.last().kind, QStringLiteral("warning"));
            QCOMPARE(prompter.last().title, QStringLiteral("Application error"));
            QCOMPARE(prompter.last().text, QStringLiteral("Could not find an application to display a text file. "
                                                          "You can manually view the file: \n\n")
                                               + path);
        }
    }

    void fileCannotBeWritten()
    {
        QSettings *store = newSettings();
        seedPreferences(store, freeTcpPort(), freeUdpPort());
        store->setValue(QStringLiteral("tempDir"), QDir::tempPath() + QStringLiteral("/no/such/dir"));
        ScriptedPrompter prompter;
        MainWindow w(nullptr, environment(store));
        emit w.sslServer->onGetRemProtoHelp(QStringLiteral("text"));
        QTRY_COMPARE(prompter.calls.size(), 1);
        QCOMPARE(prompter.last().kind, QStringLiteral("warning"));
        QCOMPARE(prompter.last().title, QStringLiteral("File create error"));
        QCOMPARE(prompter.last().text, QStringLiteral("Error creating file to store remote protocol settings"));
    }

    // Devices may send their help text unasked and at any rate: the viewer
    // opens once, and later texts only replace the file's.
    void manyAnswersOpenOneViewer()
    {
        constexpr int Devices = 200;
        constexpr int AnswersEach = 10;
        Console c;
        QVERIFY(c.addDevices(Devices));
        QSignalSpy answers(c.window->sslServer, &SSLServer::onGetRemProtoHelp);
        for (int round = 0; round < AnswersEach; ++round)
            for (const auto &sim : c.sims)
                sim->sendFrame(StatusMessages::protocolHelp(sim->config().macAddress + QLatin1Char(' ')
                                                            + QString::number(round)));
        QTRY_COMPARE_WITH_TIMEOUT(answers.size(), Devices * AnswersEach, 60000);
        QTest::qWait(50);

        QCOMPARE(c.prompter.texts(QStringLiteral("startDetached")), QStringList{"gedit"});
        QCOMPARE(c.prompter.calls.size(), 1);
        QCOMPARE(QString::fromLatin1(fileText(helpPath(c.store))), answers.last().at(0).toString());
    }

    // With no viewer the box names the file. While it is up, the device
    // reconnects (its old socket goes) and another device sends texts: they
    // reach the file, open nothing more, and the console lives on.
    void devicesCarryOnWhileTheBoxIsUp()
    {
        Console c;
        QVERIFY(c.addDevices(2));
        SimDevice *first = c.sims.at(0).get();
        SimDevice *second = c.sims.at(1).get();
        QPointer<QSslSocket> oldSocket = c.record(first)->socket;
        for (int i = 0; i < 3; ++i)
            c.prompter.answerBool(false);
        bool carriedOn = false;
        c.prompter.duringNextBox([&] {
            first->reconnect();
            for (int i = 0; i < 5; ++i)
                second->sendFrame(StatusMessages::protocolHelp(QStringLiteral("second %1").arg(i)));
            carriedOn = QTest::qWaitFor(
                [&] {
                    const ThinclientInfo *r = c.record(first);
                    return oldSocket.isNull() && r && r->online && r->socket
                        && fileText(helpPath(c.store)) == "second 4";
                },
                20000);
        });

        first->sendFrame(StatusMessages::protocolHelp(QStringLiteral("first")));
        QTRY_COMPARE(c.prompter.texts(QStringLiteral("warning")).size(), 1);
        QVERIFY(carriedOn);
        QTest::qWait(100);
        QCOMPARE(c.prompter.texts(QStringLiteral("warning")).size(), 1);

        // Once the box is closed, the next text opens a window again.
        c.prompter.answerBool(true);
        second->sendFrame(StatusMessages::protocolHelp(QStringLiteral("again")));
        QTRY_COMPARE(c.prompter.texts(QStringLiteral("startDetached")).size(), 4);
        QCOMPARE(fileText(helpPath(c.store)), QByteArray("again"));
    }
};

QTEST_MAIN(TestRemProtoHelp)
#include "tst_remprotohelp.moc"
