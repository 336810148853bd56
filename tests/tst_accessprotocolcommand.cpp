// The access-protocol command's rules between the dialog and the devices:
// who is asked for help, what a too-long command does, and when the signage
// command goes out after its sync lists.
#include "displayaccess/accessprotocolcommand.h"
#include "displayaccess/core/accessprotocolpackets.h"
#include "displayaccess/dlgconnectiontype.h"
#include "commands/packets/everydaypackets.h"
#include "fakedevices.h"
#include "scriptedprompter.h"
#include "testfiles.h"

#include "devicelink/thinclientinfo.h"

#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

class TestAccessProtocolCommand : public QObject
{
    Q_OBJECT
private slots:
    void cleanup() { m_fake.reset(); }

    void helpRequest_data()
    {
        QTest::addColumn<QString>("states");
        QTest::addColumn<QString>("box");
        QTest::addColumn<int>("asked");
        QTest::newRow("no devices") << "" << "Cannot get remote protocol help. No devices found!" << -1;
        QTest::newRow("two selected") << "on,un,on" << "Multiple devices selected. Please select just one device" << -1;
        QTest::newRow("the ticked one is offline") << "off" << "" << -1;
        QTest::newRow("none ticked") << "un,un" << "" << -1;
        QTest::newRow("the one selected") << "un,off,on" << "" << 2;
    }

    void helpRequest()
    {
        QFETCH(QString, states);
        QFETCH(QString, box);
        QFETCH(int, asked);
        const QList<ThinclientInfo *> list = devices(states);
        ScriptedPrompter p;
        QCOMPARE(AccessProtocolCommand::requestProtocolHelp(nullptr, &list, 7), asked >= 0);
        QCOMPARE(p.texts(), box.isEmpty() ? QStringList() : QStringList{box});
        QCOMPARE(m_fake.writes.size(), asked >= 0 ? 1 : 0);
        if (asked >= 0)
            QCOMPARE(m_fake.writtenTo(list.at(asked)), QByteArray::fromHex("2100000107"));
    }

    void tooLongSettingsAreRefused()
    {
        const QList<ThinclientInfo *> list = devices(QStringLiteral("on"));
        AccessProtocolSettings settings;
        settings.hostnamePort = QString(4096, QLatin1Char('h'));
        ScriptedPrompter p;
        QVERIFY(!AccessProtocolCommand::sendSettings(nullptr, &list, settings));
        QCOMPARE(p.texts(QStringLiteral("warning")).size(), 1);
        QVERIFY(m_fake.writes.isEmpty());
    }

    void unreadableSettingsAreRefused_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<bool>("autoLogin");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("sent");
        const QString cyrillic = QString::fromUtf8("\u043f\u0430\u0440\u043e\u043b\u044c");
        QTest::newRow("password") << "password" << true << cyrillic << false;
        QTest::newRow("user name") << "username" << true << cyrillic << false;
        QTest::newRow("domain") << "domain" << true << cyrillic << false;
        QTest::newRow("host") << "host" << false << QString::fromUtf8("\u0441\u0435\u0440\u0432\u0435\u0440") << false;
        QTest::newRow("arguments") << "args" << false << QString::fromUtf8("-t \u20ac") << false;
        QTest::newRow("host pasted with its line end") << "host" << false << "rdp.lan\r\n" << false;
        QTest::newRow("Latin-1 password") << "password" << true << QString::fromUtf8("p\u00e4ss") << true;
        QTest::newRow("credentials not sent") << "password" << false << cyrillic << true;
    }

    // A text the devices would get with "?" in place of a character (a
    // password that then fails, a host that is not there) is not sent.
    void unreadableSettingsAreRefused()
    {
        QFETCH(QString, field);
        QFETCH(bool, autoLogin);
        QFETCH(QString, text);
        QFETCH(bool, sent);
        const QList<ThinclientInfo *> list = devices(QStringLiteral("on"));
        AccessProtocolSettings settings;
        settings.hostnamePort = QStringLiteral("0.0.0.0");
        settings.username = settings.domain = settings.password = QStringLiteral("x");
        settings.autoLogin = autoLogin;
        QString *target = field == "password" ? &settings.password
                          : field == "username" ? &settings.username
                          : field == "domain" ? &settings.domain
                          : field == "host" ? &settings.hostnamePort
                                            : &settings.cmdlineArgs;
        *target = text;
        ScriptedPrompter p;
        QCOMPARE(AccessProtocolCommand::sendSettings(nullptr, &list, settings), sent);
        QCOMPARE(p.texts(QStringLiteral("warning")),
                 sent ? QStringList()
                      : QStringList{QStringLiteral("\nThe command line arguments, the host name or the login details "
                                                   "hold characters that devices cannot read.")});
        QCOMPARE(m_fake.writtenTo(list.first()),
                 sent ? AccessProtocolPackets::accessProtocol(settings) : QByteArray());
    }

    void signageAfterLists_data()
    {
        QTest::addColumn<bool>("sync");
        QTest::addColumn<int>("cancelAt");     // the list dialog that is cancelled, -1 none
        QTest::addColumn<QString>("firstDir"); // output 1's directory when it is not the usual one
        QTest::addColumn<int>("listDialogs");
        QTest::addColumn<QString>("warning");
        QTest::addColumn<QString>("url");      // output 2 shows this web address when it is given
        const QString tooLong = QStringLiteral("\nThe settings are too long to send to the devices. Shorten the "
                                               "command line arguments, the host name or the login details.");
        const QString unreadable = QStringLiteral("\nThe signage content directories or the temporary directory "
                                                  "hold characters that devices cannot read.");
        QTest::newRow("three lists, then the command") << true << -1 << QString() << 3 << QString() << QString();
        QTest::newRow("third list cancelled") << true << 2 << QString() << 3 << QString() << QString();
        QTest::newRow("no sync, no list") << false << -1 << QString() << 0 << QString() << QString();
        QTest::newRow("too long, refused before any list")
            << true << -1 << QString(4096, QLatin1Char('d')) << 0 << tooLong << QString();
        QTest::newRow("not Latin-1, refused before any list")
            << true << -1 << QString::fromUtf8("/m/\u0414\u043e\u043a") << 0 << unreadable << QString();
        QTest::newRow("web address")
            << true << -1 << QString() << 3 << QString() << QString::fromUtf8("http://caf\u00e9.example/");
        QTest::newRow("web address not Latin-1, refused before any list")
            << true << -1 << QString() << 0
            << QStringLiteral("\nThe web address of a signage output holds characters that devices cannot read.")
            << QString::fromUtf8("http://\u043f\u0440\u0438\u043c\u0435\u0440.example/");
    }

    void signageAfterLists()
    {
        QFETCH(bool, sync);
        QFETCH(int, cancelAt);
        QFETCH(QString, firstDir);
        QFETCH(int, listDialogs);
        QFETCH(QString, warning);
        QFETCH(QString, url);
        const bool sent = warning.isEmpty() && cancelAt < 0;
        QTemporaryDir dir;
        QSettings settings(dir.filePath(QStringLiteral("s.ini")), QSettings::IniFormat);
        settings.setValue(QStringLiteral("tempDir"), dir.path());
        std::array<QString, SignageOutputCount> dirs;
        std::array<QString, SignageOutputCount> lists;
        for (int k = 0; k < SignageOutputCount; ++k) {
            dirs[size_t(k)] = !firstDir.isEmpty() && k == 0 ? firstDir : dir.filePath(QString::number(k));
            lists[size_t(k)] = dir.path() + QStringLiteral("/dsi_file_list_op%1.txt").arg(k + 1);
            settings.setValue(QStringLiteral("signageContentDir%1").arg(k + 1), dirs[size_t(k)]);
        }
        DlgConnectionType dialog(nullptr, false, &settings);
        dialog.connTypeIndex = 14;
        for (SignageOutput &o : dialog.signageOutputs) {
            o.enabled = true;
            o.syncNow = sync;
            o.mode = QStringLiteral("movies");
        }
        if (!url.isEmpty()) {
            dialog.signageOutputs[1].mode = QStringLiteral("browser");
            dialog.signageOutputs[1].url = url;
        }
        const QList<ThinclientInfo *> list = devices(QStringLiteral("on,un"));
        ScriptedPrompter p;
        for (int i = 0; i < listDialogs; ++i)
            p.answerDialog([=](QDialog *) { return i == cancelAt ? 0 : 1; });

        QCOMPARE(AccessProtocolCommand::sendSignageFileLists(nullptr, &settings, &list, dialog), sent);
        QCOMPARE(p.texts(QStringLiteral("exec")).size(), listDialogs);
        QCOMPARE(p.texts(QStringLiteral("warning")), warning.isEmpty() ? QStringList() : QStringList{warning});
        QCOMPARE(m_fake.writtenTo(list.first()),
                 sent ? AccessProtocolPackets::digitalSignage(14, dialog.signageOutputs, dirs, lists) : QByteArray());
        QVERIFY(m_fake.writtenTo(list.last()).isEmpty());
    }

    // A connection-manager push to many devices reads and digests the image
    // once: every ticked device's socket is handed the same buffer, not a
    // copy of its own.
    void connectionManagerImageIsReadOnce()
    {
        QTemporaryDir dir;
        const QString imagePath = dir.filePath(QStringLiteral("qnv.jpg"));
        QVERIFY(TestFiles::write(imagePath, QByteArray(100000, 'j')));
        const QList<ThinclientInfo *> list = devices(QStringLiteral("on,un,on,on"));
        for (int i = 0; i < list.size(); ++i) {
            list.at(i)->serialNumber = QStringLiteral("sn%1").arg(i);
            QVERIFY(TestFiles::write(dir.filePath(QStringLiteral("SN%1.conf").arg(i)), "conf"));
        }
        ScriptedPrompter p;
        p.answerText(imagePath);
        AccessProtocolCommand::sendConnectionManagerImages(nullptr, &list);
        QCOMPARE(p.texts(QStringLiteral("warning")), QStringList());
        QList<const void *> images;
        for (const auto &w : std::as_const(m_fake.writes))
            if (w.second == Packets::fileTransfer(QStringLiteral("netconnect.jpg"), QByteArray(100000, 'j')))
                images << w.second.constData();
        QCOMPARE(images.size(), 3);
        QCOMPARE(QSet<const void *>(images.cbegin(), images.cend()).size(), 1);
    }

private:
    // "on" ticked and online, "off" ticked but offline, "un" not ticked.
    QList<ThinclientInfo *> devices(const QString &states)
    {
        QList<ThinclientInfo *> list;
        for (const QString &s : states.split(QLatin1Char(','), Qt::SkipEmptyParts))
            list << m_fake.add(QStringLiteral("ORL K1"), s != QLatin1String("un"), s != QLatin1String("off"));
        return list;
    }

    FakeDevices m_fake;
};

QTEST_MAIN(TestAccessProtocolCommand)
#include "tst_accessprotocolcommand.moc"
