// The update list: its lines, the wizard's choice, the installer version
// test, and the two dialogs that pick the server and the files.
#include "updates/core/downloadlist.h"
#include "updates/core/updateversions.h"
#include "updates/dlgselectdownloads.h"
#include "updates/dlgselectupdateserver.h"
#include "scriptedprompter.h"

#include <QTableWidgetItem>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QSettings>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

namespace {

QString describe(const UpgradeFile &f)
{
    return QStringList{f.kind, f.board, f.fileName, f.localPath, QString::number(f.size), f.comment}.join(QLatin1Char('|'));
}

UpgradeFile record(const QString &kind, const QString &board, const QString &comment = QString())
{
    UpgradeFile f;
    f.kind = kind;
    f.board = board;
    f.fileName = kind + QLatin1Char('-') + board;
    f.comment = comment;
    return f;
}

QStringList kindsAndBoards(const QList<UpgradeFile> &files)
{
    QStringList out;
    for (const UpgradeFile &f : files)
        out << f.kind + QLatin1Char('/') + f.board;
    return out;
}

const char FirmwareLine[] =
    "type=firmware,board=ORL_K1,file=fw-1.7z,md5sum=0123abcd,size=1234,release_date=2024-01-01,comment=\"Firmware 1\"";

} // namespace

class TestUpdateList : public QObject
{
    Q_OBJECT
private slots:
    void parse_data()
    {
        QTest::addColumn<QString>("list");
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QStringList>("servers");
        const QString fw = QStringLiteral("firmware|ORL_K1|fw-1.7z|/f/fw-1.7z|1234|\"Firmware 1\"");
        QTest::newRow("update line") << QString::fromLatin1(FirmwareLine) << QStringList{fw} << QStringList();
        QTest::newRow("servers") << "type=server,name=\"Europe\",value=\"http://eu/get?file=\"\n"
                                    "type=serverlist,name=Asia,value=http://as/get?file=\n"
                                    "type=server,name=Seven,value=S,a,b,c,d\n"
                                    "type=server,nam=Bad,value=B\n"
                                 << QStringList()
                                 << QStringList{"Europe", "http://eu/get?file=", "Asia", "http://as/get?file=", "Seven", "S"};
        QTest::newRow("kind in any case, blanks and CR around")
            << "  type=HOTFIX , board=ORL_K2,file=hf1.7z,md5sum=m,size=10,release_date=d,comment=c \r\n"
            << QStringList{"HOTFIX|ORL_K2|hf1.7z|/h/hf1.7z|10|c"} << QStringList();
        QTest::newRow("every kind's directory")
            << "type=download,board=x,file=a.pdf,md5sum=m,size=1,release_date=d,comment=c\n"
               "type=zor_client,board=ORL_K1,file=c.7z,md5sum=m,size=1,release_date=d,comment=c\n"
               "type=zor_server_exe,board=x,file=setup-7.9.0-win.exe,md5sum=m,size=1,release_date=d,comment=c\n"
            << QStringList{"download|x|a.pdf|/t/a.pdf|1|c", "zor_client|ORL_K1|c.7z|/a/c.7z|1|c",
                           "zor_server_exe|x|setup-7.9.0-win.exe|/t/setup-7.9.0-win.exe|1|c"}
            << QStringList();
        QTest::newRow("malformed lines")
            << "# comment\n\nfile=x\ntype=firmware,board=ORL_K1,file=fw-1.7z,md5sum=m,size=1,release_date=d\n"
               "type=firmware,file=fw-1.7z,board=ORL_K1,md5sum=m,size=1,release_date=d,comment=c\n"
               "type=firmware,board=ORL_K1,file=fw\n"
               "type=rootfs,board=ORL_K1,file=fw-1.7z,md5sum=m,size=1,release_date=d,comment=c\n"
            << QStringList() << QStringList();
        QTest::newRow("sizes") << "type=hotfix,board=B,file=a,md5sum=m,size=12a,release_date=d,comment=c\n"
                                  "type=hotfix,board=B,file=b,md5sum=m,size=-1,release_date=d,comment=c\n"
                                  "type=hotfix,board=B,file=c,md5sum=m,size=010,release_date=d,comment=c\n"
                               << QStringList{"hotfix|B|b|/h/b|-1|c", "hotfix|B|c|/h/c|10|c"} << QStringList();
        QTest::newRow("installed versions")
            << "type=firmware,board=ORL_K1,file=fw-old.7z,md5sum=m,size=1,release_date=d,comment=c\n"
               "type=firmware,board=ORL_K2,file=fw-old.7z,md5sum=m,size=1,release_date=d,comment=c\n"
               "type=zor_server_exe,board=any,file=setup-7.8.9-win.exe,md5sum=m,size=1,release_date=d,comment=c\n"
            << QStringList{"firmware|ORL_K2|fw-old.7z|/f/fw-old.7z|1|c"} << QStringList();
        QTest::newRow("names that are paths")
            << "type=download,board=x,file=../x,md5sum=m,size=1,release_date=d,comment=c\n"
               "type=download,board=x,file=a/b,md5sum=m,size=1,release_date=d,comment=c\n"
               "type=download,board=x,file=a\\b,md5sum=m,size=1,release_date=d,comment=c\n"
               "type=download,board=x,file=..,md5sum=m,size=1,release_date=d,comment=c\n"
               "type=download,board=x,file=,md5sum=m,size=1,release_date=d,comment=c\n"
            << QStringList() << QStringList();
        // Opened, the name would end at the NUL: the department file itself.
        QTest::newRow("NUL inside a name")
            << QString(QLatin1String("type=download,board=x,file=KorvaneManager.ini") + QChar(0)
                       + QLatin1String(".bin,md5sum=m,size=1,release_date=d,comment=c\n"))
            << QStringList() << QStringList();
        // Shown in boxes and the status line: one line, of a bounded length.
        QTest::newRow("comment on one line")
            << QStringLiteral("type=hotfix,board=B,file=a,md5sum=m,size=1,release_date=d,comment=x\ry\u2028z\u2029.")
            << QStringList{"hotfix|B|a|/h/a|1|x y z ."} << QStringList();
        QTest::newRow("long comment")
            << QStringLiteral("type=hotfix,board=B,file=a,md5sum=m,size=1,release_date=d,comment=") + QString(1 << 20, u'c')
            << QStringList{QStringLiteral("hotfix|B|a|/h/a|1|") + QString(DownloadList::MaxComment, u'c')}
            << QStringList();
        QTest::newRow("same file twice") << QString::fromLatin1(FirmwareLine) + QLatin1Char('\n') + QLatin1String(FirmwareLine)
                                         << QStringList{fw, fw} << QStringList();
    }

    void parse()
    {
        QFETCH(QString, list);
        QFETCH(QStringList, files);
        QFETCH(QStringList, servers);
        QTemporaryDir dir;
        QSettings settings(dir.filePath(QStringLiteral("s.ini")), QSettings::IniFormat);
        const char *const values[][2] = {{"tempDir", "/t"},
                                         {"hotfixDir", "/h"},
                                         {"firmwareImageDir", "/f"},
                                         {"appImageDir", "/a"},
                                         {"firmwareVersionORL_K1", "fw-old.7z"},
                                         {"zorServerVersionExe", "setup-7.8.9-win.exe"}};
        for (const auto &v : values)
            settings.setValue(QLatin1String(v[0]), QLatin1String(v[1]));

        const DownloadList::Parsed parsed = DownloadList::parse(list, settings);
        QStringList got;
        for (const UpgradeFile &f : parsed.files)
            got << describe(f);
        QCOMPARE(got, files);
        QCOMPARE(parsed.servers, servers);
    }

    // An install remembers its file under the list's board as written;
    // clearing the cache must offer that file again, whatever the board.
    void offeredAgainAfterClear_data()
    {
        QTest::addColumn<QString>("line");
        QTest::newRow("board of the model table")
            << "type=firmware,board=ORL_K1,file=fw.7z,md5sum=m,size=1,release_date=d,comment=c";
        QTest::newRow("board outside the table")
            << "type=hotfix,board=Pyrel_Instance,file=hf.7z,md5sum=m,size=1,release_date=d,comment=c";
        QTest::newRow("board in another case")
            << "type=firmware,board=orl_k1,file=fw.7z,md5sum=m,size=1,release_date=d,comment=c";
        QTest::newRow("client for every board")
            << "type=zor_client,board=all,file=c.7z,md5sum=m,size=1,release_date=d,comment=c";
    }

    void offeredAgainAfterClear()
    {
        QFETCH(QString, line);
        QTemporaryDir dir;
        QSettings settings(dir.filePath(QStringLiteral("s.ini")), QSettings::IniFormat);
        const QList<UpgradeFile> listed = DownloadList::parse(line, settings).files;
        QCOMPARE(listed.size(), 1);
        settings.setValue(DownloadList::versionKey(listed.first()), listed.first().fileName);
        QVERIFY(DownloadList::parse(line, settings).files.isEmpty());

        UpdateVersions::clear(settings);
        QCOMPARE(DownloadList::parse(line, settings).files.size(), 1);
    }

    // A file name the console keeps for itself never becomes a download.
    void refusedNames_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("reason");   // empty: accepted
        QTest::newRow("department file") << "KorvaneManager.ini" << "the department file";
        QTest::newRow("white list, any case") << "WhiteList.TXT" << "the storage white list";
        QTest::newRow("signage list") << "dsi_file_list_op3.txt" << "a signage sync list";
        QTest::newRow("help text") << "rem_proto_help.txt" << "the remote-protocol help text";
        QTest::newRow("update list") << "downloadlist.txt" << "the update list";
        QTest::newRow("device file") << "001122aabbcc_log.txt" << "a device's file";
        QTest::newRow("device file, dashes") << "00-11-22-AA-BB-CC_cfg" << "a device's file";
        QTest::newRow("partial file") << "fw-2.7z.PART" << "another download's partial file";
        // Removed at the next start as what a crash left of a device's upload.
        QTest::newRow("upload under way") << ".upload-Ab12Cd" << "a device's upload under way";
        QTest::newRow("not a MAC") << "0011223344_x.bin" << "";
        QTest::newRow("plain") << "fw_2.7z" << "";
    }

    void refusedNames()
    {
        QFETCH(QString, name);
        QFETCH(QString, reason);
        QTemporaryDir dir;
        QSettings settings(dir.filePath(QStringLiteral("s.ini")), QSettings::IniFormat);
        const QString line = QStringLiteral("# first\ntype=download,board=x,file=%1,md5sum=m,size=1,release_date=d,comment=c")
                                 .arg(name);
        const DownloadList::Parsed parsed = DownloadList::parse(line, settings);
        QCOMPARE(parsed.files.size(), reason.isEmpty() ? 1 : 0);
        QCOMPARE(parsed.skipped, reason.isEmpty() ? QStringList()
                                                  : QStringList{QStringLiteral("Update list line 2 skipped: \"%1\" is %2")
                                                                    .arg(name, reason)});
    }

    void listBounds_data()
    {
        QTest::addColumn<int>("lines");
        QTest::addColumn<int>("kept");
        QTest::addColumn<bool>("cut");
        QTest::newRow("at the bound") << DownloadList::MaxFiles << DownloadList::MaxFiles << false;
        QTest::newRow("one more") << DownloadList::MaxFiles + 1 << DownloadList::MaxFiles << true;
    }

    void listBounds()
    {
        QFETCH(int, lines);
        QFETCH(int, kept);
        QFETCH(bool, cut);
        QTemporaryDir dir;
        QSettings settings(dir.filePath(QStringLiteral("s.ini")), QSettings::IniFormat);
        QString list;
        for (int i = 0; i < lines; ++i)
            list += QStringLiteral("type=download,board=x,file=f%1,md5sum=m,size=1,release_date=d,comment=c\n").arg(i);
        const DownloadList::Parsed parsed = DownloadList::parse(list, settings);
        QCOMPARE(parsed.files.size(), kept);
        QCOMPARE(parsed.files.last().fileName, QStringLiteral("f%1").arg(kept - 1));
        QCOMPARE(parsed.cut, cut);

        // The dialog says so.
        QList<UpgradeFile> queue = parsed.files;
        QString base;
        QStringList servers;
        DlgSelectDownloads dialog(nullptr, &queue, &base, &servers, QStringLiteral("http://default/?file="));
        dialog.setListCut(parsed.cut);
        auto *notice = dialog.findChild<QLabel *>(QStringLiteral("lblCut"));
        QCOMPARE(!notice->isHidden(), cut);
        QCOMPARE(notice->text(), QStringLiteral("The update list was cut to its first 2000 entries"));
    }

    void wizardFilter_data()
    {
        QTest::addColumn<QList<UpgradeFile>>("files");
        QTest::addColumn<QStringList>("models");
        QTest::addColumn<QStringList>("kept");
        const QList<UpgradeFile> mixed{record("zor_client", "ORL_K1"), record("zor_client", "ORL_K2"),
                                       record("zor_server_exe", "x"),  record("hotfix", "ORL_K1"),
                                       record("firmware", "ORL_K2"),   record("download", "ORL_K1"),
                                       record("FIRMWARE", "ORL_K1")};
        QTest::newRow("devices of one board")
            << mixed << QStringList{"ORL_K1"}
            << QStringList{"zor_client/ORL_K1", "zor_server_exe/x", "hotfix/ORL_K1", "FIRMWARE/ORL_K1"};
        QTest::newRow("two boards") << mixed << QStringList{"ORL_K2", "ORL_K1"}
                                    << QStringList{"zor_client/ORL_K1", "zor_server_exe/x", "hotfix/ORL_K1",
                                                   "firmware/ORL_K2", "FIRMWARE/ORL_K1"};
        QTest::newRow("kinds in upper case")
            << QList<UpgradeFile>{record("ZOR_CLIENT", "ORL_K1"), record("ZOR_CLIENT", "ORL_K2"),
                                  record("Zor_Server_exe", "x"), record("HOTFIX", "ORL_K2")}
            << QStringList{"ORL_K2"} << QStringList{"ZOR_CLIENT/ORL_K1", "Zor_Server_exe/x", "HOTFIX/ORL_K2"};
        QTest::newRow("no devices") << mixed << QStringList()
                                    << QStringList{"zor_client/ORL_K1", "zor_server_exe/x"};
        QTest::newRow("board in another case") << mixed << QStringList{"orl_k1"}
                                               << QStringList{"zor_client/ORL_K1", "zor_server_exe/x"};
    }

    void wizardFilter()
    {
        QFETCH(QList<UpgradeFile>, files);
        QFETCH(QStringList, models);
        QFETCH(QStringList, kept);
        QCOMPARE(kindsAndBoards(DownloadList::filterForWizard(files, models)), kept);
    }

    void installerIsNewer_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("newer");
        QTest::newRow("next patch") << "C:/tmp/setup-7.8.9-win.exe" << true;
        QTest::newRow("same") << "C:/tmp/setup-7.8.8-win.exe" << false;
        QTest::newRow("two digits") << "C:/tmp/setup-7.8.10-win.exe" << true;
        QTest::newRow("fewer components, higher major") << "/tmp/setup-8.0-win.exe" << true;
        QTest::newRow("fewer components, lower") << "/tmp/setup-7.8-win.exe" << false;
        QTest::newRow("more components") << "/tmp/setup-7.8.8.1-win.exe" << true;
        QTest::newRow("older") << "/tmp/setup-7.7.99-win.exe" << false;
        QTest::newRow("past 255") << "/tmp/setup-7.8.256-win.exe" << true;
        QTest::newRow("dash in a directory") << "/srv/korvane-work/temp/setup-7.8.7-win.exe" << false;
        QTest::newRow("no version in the name") << "/tmp/setup.exe" << true;
        QTest::newRow("four parts, lower version") << "/tmp/setup-7.8.7-linux-x64.run" << false;
        QTest::newRow("four parts, higher version") << "/tmp/setup-7.9.0-linux-x64.run" << true;
        QTest::newRow("dash in the name") << "/tmp/korvane-manager-7.8.7-linux.run" << false;
        QTest::newRow("three parts, no number") << "/tmp/a-b-c" << false;
        QTest::newRow("four parts, no number") << "/tmp/a-b-c-d" << true;
    }

    void installerIsNewer()
    {
        QFETCH(QString, path);
        QFETCH(bool, newer);
        QCOMPARE(UpdateVersions::isNewer(path, QStringLiteral("7.8.8")), newer);
    }

    // The list may bring a megabyte in one text, which the selection
    // dialogs laid out again at every paint: they show the text's start.
    void longTextsShownCut()
    {
        const QString mega(1 << 20, u'x');
        QList<UpgradeFile> files{record("firmware", mega, "A")};
        files[0].releaseDate = mega;
        QStringList servers{mega, QStringLiteral("http://x/?file=")};
        QString base;
        DlgSelectDownloads select(nullptr, &files, &base, &servers, QStringLiteral("http://default/?file="));
        auto *table = select.findChild<QTableWidget *>(QStringLiteral("table"));
        QCOMPARE(table->item(0, 2)->text(), mega.left(1024));
        QCOMPARE(table->item(0, 3)->text(), mega.left(1024));
        QCOMPARE(select.findChild<QComboBox *>(QStringLiteral("cmbxServers"))->itemText(0), mega.left(1024));
        DlgSelectUpdateServer wizard(nullptr, &base, &servers);
        QCOMPARE(wizard.findChild<QComboBox *>(QStringLiteral("cmbxServers"))->itemText(0), mega.left(1024));
    }

    void selectDownloads_data()
    {
        QTest::addColumn<QStringList>("servers");
        QTest::addColumn<int>("server");       // -1: none chosen
        QTest::addColumn<QList<int>>("ticked");
        QTest::addColumn<bool>("ok");          // false: Cancel
        QTest::addColumn<QStringList>("queue");
        QTest::addColumn<QString>("base");
        const QStringList two{"Europe", "http://eu/get?file=", "Asia", "http://as/get?file="};
        const QString before = QStringLiteral("http://before/?file=");
        QTest::newRow("ok without a server") << two << -1 << QList<int>{0} << true << QStringList{"A x", "B"} << before;
        QTest::newRow("ok, second server, first row")
            << two << 1 << QList<int>{0} << true << QStringList{"A x"} << QStringLiteral("http://as/get?file=");
        QTest::newRow("ok, nothing ticked") << two << 0 << QList<int>() << true << QStringList()
                                            << QStringLiteral("http://eu/get?file=");
        QTest::newRow("cancel") << two << 1 << QList<int>{0, 1} << false << QStringList() << before;
        QTest::newRow("no server in the list") << QStringList() << 0 << QList<int>{1} << true << QStringList{"B"}
                                               << QStringLiteral("http://default/?file=");
    }

    void selectDownloads()
    {
        QFETCH(QStringList, servers);
        QFETCH(int, server);
        QFETCH(QList<int>, ticked);
        QFETCH(bool, ok);
        QFETCH(QStringList, queue);
        QFETCH(QString, base);
        ScriptedPrompter prompter;
        QList<UpgradeFile> files{record("firmware", "ORL_K1", "\"A\" x"), record("hotfix", "ORL_K1", "B")};
        QString serverBase = QStringLiteral("http://before/?file=");
        DlgSelectDownloads dialog(nullptr, &files, &serverBase, &servers, QStringLiteral("http://default/?file="));
        auto *table = dialog.findChild<QTableWidget *>(QStringLiteral("table"));
        QVERIFY(table->isHidden());
        dialog.findChild<QComboBox *>(QStringLiteral("cmbxServers"))->setCurrentIndex(server);
        QCOMPARE(table->isHidden(), server < 0);
        for (int row : ticked)
            dialog.checkItem(row)->setCheckState(Qt::Checked);
        dialog.show();
        dialog.findChild<QDialogButtonBox *>()->button(ok ? QDialogButtonBox::Ok : QDialogButtonBox::Cancel)->click();

        const bool refused = ok && server < 0;
        QCOMPARE(dialog.isVisible(), refused);
        QCOMPARE(prompter.texts(QStringLiteral("warning")),
                 refused ? QStringList{"\nPlease select a server that is closest to your location"} : QStringList());
        if (refused)
            QCOMPARE(prompter.last().title, QStringLiteral("Invalid server"));
        QStringList comments;
        for (const UpgradeFile &f : files)
            comments << f.comment;
        QCOMPARE(comments, queue);
        QCOMPARE(serverBase, base);
    }

    void selectUpdateServer_data()
    {
        QTest::addColumn<int>("server");
        QTest::addColumn<QString>("base");
        QTest::newRow("none chosen") << -1 << QStringLiteral("kept");
        QTest::newRow("second") << 1 << QStringLiteral("http://as/get?file=");
    }

    void selectUpdateServer()
    {
        QFETCH(int, server);
        QFETCH(QString, base);
        QString serverBase = QStringLiteral("kept");
        QStringList servers{"Europe", "http://eu/get?file=", "Asia", "http://as/get?file="};
        DlgSelectUpdateServer dialog(nullptr, &serverBase, &servers);
        dialog.show();
        dialog.findChild<QComboBox *>(QStringLiteral("cmbxServers"))->setCurrentIndex(server);
        dialog.findChild<QPushButton *>(QStringLiteral("btnOK"))->click();
        QCOMPARE(serverBase, base);
        QCOMPARE(dialog.isVisible(), server < 0);
    }
};

QTEST_MAIN(TestUpdateList)
#include "tst_updatelist.moc"
