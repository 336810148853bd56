// A device's help text on its remote protocols, handed to a text viewer.
#include "mainwindow/mainwindow.h"
#include "scriptedprompter.h"
#include "windowfixture.h"

#include "devicelink/sslserver.h"

#include <QDir>
#include <QFile>
#include <QTest>

using namespace WindowFixture;

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
        const QString path = store->value(QStringLiteral("tempDir")).toString() + QStringLiteral("/rem_proto_help.txt");
        QFile::remove(path);
        ScriptedPrompter prompter;
        MainWindow w(nullptr, environment(store));
        for (bool s : starts)
            prompter.answerBool(s);

        emit w.sslServer->onGetRemProtoHelp(QStringLiteral("RDP: rdesktop\nICA: wfica\n"));

        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("RDP: rdesktop\nICA: wfica\n"));
        QCOMPARE(prompter.texts(QStringLiteral("startDetached")), tried);
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
        QCOMPARE(prompter.calls.size(), 1);
        QCOMPARE(prompter.last().kind, QStringLiteral("warning"));
        QCOMPARE(prompter.last().title, QStringLiteral("File create error"));
        QCOMPARE(prompter.last().text, QStringLiteral("Error creating file to store remote protocol settings"));
    }
};

QTEST_MAIN(TestRemProtoHelp)
#include "tst_remprotohelp.moc"
