// ctest-timeout: 300
// A device's help text on its remote protocols, handed to a text viewer: one
// window per console, opened after the device message's handling, whatever
// the devices do meanwhile.
#include "displayaccess/remprotohelp.h"
#include "failingwrites.h"
#include "mainwindow/mainwindow.h"
#include "nowriteroom.h"
#include "pipepeer.h"
#include "scriptedprompter.h"
#include "simdevice.h"
#include "statusmessages.h"
#include "windowdevices.h"
#include "windowfixture.h"

#include "devicelink/thinclientinfo.h"

#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

#include <optional>
#include <sys/stat.h>

using namespace WindowFixture;

namespace {

QByteArray fileText(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(none)");
}

} // namespace

class TestRemProtoHelp : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        m_settings = std::make_unique<QSettings>(m_dir.filePath(QStringLiteral("s.ini")), QSettings::IniFormat);
        m_settings->setValue(QStringLiteral("tempDir"), m_dir.path());
        m_path = m_dir.filePath(QStringLiteral("rem_proto_help.txt"));
        QFile::remove(m_path);
    }

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
        ScriptedPrompter prompter;
        for (bool s : starts)
            prompter.answerBool(s);
        QWidget window;
        RemProtoHelp help(&window, m_settings.get());

        help.received(QStringLiteral("RDP: rdesktop\nICA: wfica\n"));
        // Nothing opens inside the device's message.
        QVERIFY(prompter.calls.isEmpty());
        QTRY_COMPARE(prompter.texts(QStringLiteral("startDetached")), tried);

        QCOMPARE(fileText(m_path), QByteArray("RDP: rdesktop\nICA: wfica\n"));
        QCOMPARE(prompter.calls.first().arguments, QStringList{m_path});
        QCOMPARE(prompter.texts(QStringLiteral("warning")).size(), warned ? 1 : 0);
        if (warned)
            QCOMPARE(prompter.last().text, QStringLiteral("Could not find an application to display a text file. "
                                                          "You can manually view the file: \n\n")
                                               + m_path);
    }

    void fileCannotBeWritten_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("directory missing") << "no parent";
        // Opens, but every byte written to it fails, as on a full disk.
        QTest::newRow("disk full") << "full";
        // An empty setting must not put the file at the filesystem root.
        QTest::newRow("no temporary directory") << "empty";
        // The viewer shows the file: a text that did not reach it left it
        // empty under the viewer.
        QTest::newRow("disk full while the viewer is up") << "full, viewer up";
        // A network or USB disk that lost the text says so at the close alone.
        QTest::newRow("disk fails at the close") << "close";
    }

    void fileCannotBeWritten()
    {
        QFETCH(QString, how);
        if (!how.startsWith("full") && how != "close")
            m_settings->setValue(QStringLiteral("tempDir"),
                                 how == "empty" ? QString() : m_dir.filePath(QStringLiteral("no/such/dir")));
        const QString atRoot = QStringLiteral("/rem_proto_help.txt");
        const bool wasAtRoot = QFileInfo::exists(atRoot);
        ScriptedPrompter prompter;
        QWidget window;
        RemProtoHelp help(&window, m_settings.get());
        const bool viewerUp = how.endsWith("viewer up");
        if (viewerUp) {
            prompter.answerBool(true);
            help.received(QStringLiteral("earlier text"));
            QTRY_COMPARE(prompter.texts(QStringLiteral("startDetached")).size(), 1);
        }
        {
            std::optional<NoWriteRoom> full;
            std::optional<FailingWrites> failing;
            if (how.startsWith("full"))
                full.emplace();
            else if (how == "close")
                failing.emplace(m_settings->value(QStringLiteral("tempDir")).toString(), FailingWrites::Close);
            help.received(QStringLiteral("text"));
        }
        const bool wroteAtRoot = !wasAtRoot && QFileInfo::exists(atRoot);
        if (wroteAtRoot)
            QFile::remove(atRoot);
        QVERIFY(!wroteAtRoot);
        QTRY_COMPARE(prompter.calls.size(), viewerUp ? 2 : 1);
        QCOMPARE(prompter.last().kind, QStringLiteral("warning"));
        QCOMPARE(prompter.last().text, QStringLiteral("Error creating file to store remote protocol settings"));
    }

    // The box about a text that could not be stored is up when the next
    // text reaches the file: that one is shown once the box is answered.
    void textStoredWhileTheBoxIsUp()
    {
        const QString dir = m_settings->value(QStringLiteral("tempDir")).toString();
        m_settings->setValue(QStringLiteral("tempDir"), m_dir.filePath(QStringLiteral("no/such/dir")));
        ScriptedPrompter prompter;
        QWidget window;
        RemProtoHelp help(&window, m_settings.get());
        prompter.duringNextBox([&] {
            m_settings->setValue(QStringLiteral("tempDir"), dir);
            help.received(QStringLiteral("later text"));
        });
        prompter.answerBool(true);
        help.received(QStringLiteral("text"));
        QTRY_COMPARE(prompter.texts(QStringLiteral("startDetached")), QStringList{"gedit"});
        QCOMPARE(prompter.last().arguments, QStringList{m_path});
        QCOMPARE(fileText(m_path), QByteArray("later text"));
    }

    void notAFile_data()
    {
        QTest::addColumn<bool>("pipe");
        QTest::newRow("link out of the directory") << false;
        QTest::newRow("pipe") << true;
    }

    // The device's text reaches no file but the console's own, and a pipe
    // under its name does not hold the console inside the device's message.
    void notAFile()
    {
        QFETCH(bool, pipe);
        QTemporaryDir elsewhere;
        const QString target = elsewhere.filePath(QStringLiteral("kept.txt"));
        const QByteArray path = QFile::encodeName(m_path);
        if (pipe) {
            QCOMPARE(::mkfifo(path.constData(), 0600), 0);
        } else {
            QFile kept(target);
            QVERIFY(kept.open(QIODevice::WriteOnly) && kept.write("kept") == 4);
            kept.close();
            QVERIFY(QFile::link(target, m_path));
        }
        ScriptedPrompter prompter;
        QWidget window;
        RemProtoHelp help(&window, m_settings.get());
        QVERIFY(returnsUnaided(path, [&] { help.received(QStringLiteral("device text")); }));
        QTRY_COMPARE(prompter.calls.size(), 1);
        QCOMPARE(prompter.last().kind, QStringLiteral("warning"));
        QCOMPARE(prompter.last().text, QStringLiteral("Error creating file to store remote protocol settings"));
        if (!pipe)
            QCOMPARE(fileText(target), QByteArray("kept"));
    }

    // Devices may send their help text unasked and at any rate: the viewer
    // opens once, and later texts only replace the file's.
    void manyAnswersOpenOneViewer()
    {
        ScriptedPrompter prompter;
        QWidget window;
        RemProtoHelp help(&window, m_settings.get());
        for (int round = 0; round < 10; ++round) {
            for (int device = 0; device < 200; ++device)
                help.received(QStringLiteral("device %1, round %2").arg(device).arg(round));
            QCoreApplication::processEvents();
        }
        QCOMPARE(prompter.texts(QStringLiteral("startDetached")), QStringList{"gedit"});
        QCOMPARE(prompter.calls.size(), 1);
        QCOMPARE(fileText(m_path), QByteArray("device 199, round 9"));
    }

    // A viewer shows the file it was started on: once the working directory
    // moves, later texts land in another file, which needs a viewer of its own.
    void movedDirectoryGetsItsOwnViewer()
    {
        ScriptedPrompter prompter;
        QWidget window;
        RemProtoHelp help(&window, m_settings.get());
        help.received(QStringLiteral("before"));
        QCoreApplication::processEvents();
        QTemporaryDir moved;
        m_settings->setValue(QStringLiteral("tempDir"), moved.path());
        help.received(QStringLiteral("after"));
        QCoreApplication::processEvents();
        const QString path = moved.filePath(QStringLiteral("rem_proto_help.txt"));
        QCOMPARE(prompter.texts(QStringLiteral("startDetached")), (QStringList{"gedit", "gedit"}));
        QCOMPARE(prompter.last().arguments, QStringList{path});
        QCOMPARE(fileText(path), QByteArray("after"));
    }

    // With no viewer the box names the file. While it is up, the device
    // reconnects (its old socket goes) and another device sends texts: they
    // reach the file, open nothing more, and the console lives on.
    void devicesCarryOnWhileTheBoxIsUp()
    {
        ScriptedPrompter prompter;
        QSettings *store = newSettings();
        seedPreferences(store, freeTcpPort(), freeUdpPort());
        const QString path = store->value(QStringLiteral("tempDir")).toString() + "/rem_proto_help.txt";
        MainWindow window(nullptr, environment(store));
        WindowDevices devices(&window);
        SimDevice *first = devices.add(QStringLiteral("ORL K1"));
        SimDevice *second = devices.add(QStringLiteral("ORL K1"));
        QVERIFY(first && second);
        QPointer<QSslSocket> oldSocket = devices.record(first)->socket;
        for (int i = 0; i < 3; ++i)
            prompter.answerBool(false);
        bool carriedOn = false;
        prompter.duringNextBox([&] {
            first->reconnect();
            for (int i = 0; i < 5; ++i)
                second->sendFrame(StatusMessages::protocolHelp(QStringLiteral("second %1").arg(i)));
            carriedOn = QTest::qWaitFor(
                [&] {
                    const ThinclientInfo *r = devices.record(first);
                    return oldSocket.isNull() && r && r->online && r->socket && fileText(path) == "second 4";
                },
                20000);
        });

        first->sendFrame(StatusMessages::protocolHelp(QStringLiteral("first")));
        QTRY_COMPARE(prompter.texts(QStringLiteral("warning")).size(), 1);
        QVERIFY(carriedOn);
        QTest::qWait(100);
        QCOMPARE(prompter.texts(QStringLiteral("warning")).size(), 1);

        // Once the box is closed, the next text opens a window again.
        prompter.answerBool(true);
        second->sendFrame(StatusMessages::protocolHelp(QStringLiteral("again")));
        QTRY_COMPARE(prompter.texts(QStringLiteral("startDetached")).size(), 4);
        QCOMPARE(fileText(path), QByteArray("again"));
    }

private:
    QTemporaryDir m_dir;
    std::unique_ptr<QSettings> m_settings;
    QString m_path;
};

QTEST_MAIN(TestRemProtoHelp)
#include "tst_remprotohelp.moc"
