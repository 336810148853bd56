// Update checks of the console against the test's own update server, with
// packages that the test builds and the console unpacks with 7-Zip.
// ctest-timeout: 300
#include "mainwindow/mainwindow.h"
#include "ui_mainwindow.h"
#include "updates/core/downloadlist.h"
#include "updates/core/downloadmanager.h"
#include "updates/core/updateversions.h"
#include "updates/dlgselectdownloads.h"
#include "httptestserver.h"
#include "testfiles.h"
#include "scriptedprompter.h"
#include "windowdevices.h"
#include "windowfixture.h"
#include "withoutoverride.h"
#include "updates/core/setupwizard.h"

#include <QTableWidgetItem>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSettings>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <optional>

#include <sys/stat.h>

using namespace WindowFixture;

// Answers the download chooser by taking the first file of the first server.
static int takeAll(QDialog *dialog)
{
    auto *select = qobject_cast<DlgSelectDownloads *>(dialog);
    select->findChild<QComboBox *>()->setCurrentIndex(0);
    select->checkItem(0)->setCheckState(Qt::Checked);
    select->accept();
    return int(QDialog::Accepted);
}

class TestUpdateRun : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    HttpTestServer *m_server = nullptr;
    QStringList m_lines;

    QString served(const QString &name) const { return m_dir.filePath(QStringLiteral("served/") + name); }

    // Packs the tree (paths relative to it, with their contents) into the served archive.
    bool pack(const QString &archive, const QList<QPair<QString, QByteArray>> &tree)
    {
        const QString root = m_dir.filePath(QStringLiteral("trees/") + archive);
        QStringList tops;
        for (const auto &entry : tree) {
            if (!TestFiles::write(root + QLatin1Char('/') + entry.first, entry.second))
                return false;
            tops << entry.first.section(QLatin1Char('/'), 0, 0);
        }
        tops.removeDuplicates();
        QProcess zip;
        zip.setWorkingDirectory(root);
        zip.start(QStringLiteral("7zz"), QStringList{QStringLiteral("a"), served(archive)} + tops);
        return zip.waitForFinished(30000) && zip.exitCode() == 0;
    }

    // A list line for a served file; md5 empty: the file's own.
    void list(const QString &kind, const QString &board, const QString &file, const QString &comment,
              const QString &md5 = QString())
    {
        const QByteArray data = TestFiles::read(served(file));
        const QString sum = md5.isEmpty()
                                ? QString::fromLatin1(QCryptographicHash::hash(data, QCryptographicHash::Md5).toHex())
                                : md5;
        m_lines << QStringLiteral("type=%1,board=%2,file=%3,md5sum=%4,size=%5,release_date=2026-12-01,comment=%6")
                       .arg(kind, board, file, sum)
                       .arg(data.size())
                       .arg(comment);
    }

    bool publishList()
    {
        const QString server = QStringLiteral("type=server,name=Local,value=") + m_server->base();
        return TestFiles::write(served(QStringLiteral("downloadlist.txt")),
                                (QStringList{server} + m_lines).join('\n').toUtf8());
    }

    // Runs one check as the administrator would, and waits for its end.
    static bool runCheck(MainWindow &w, HttpTestServer &server)
    {
        server.requests.clear();
        w.ui->actionDownload_updates->trigger();
        return QTest::qWaitFor([&] { return !server.requests.isEmpty() && !w.updates.running; }, 120000);
    }

    MainWindow *newWindow(const QString &autoUpdate)
    {
        QSettings *settings = newSettings();
        seedPreferences(settings, freeTcpPort(), freeUdpPort());
        settings->setValue(QStringLiteral("autoUpdate"), autoUpdate);
        qputenv("KORVANE_UPDATE_BASE", m_server->base().toLatin1());
        return new MainWindow(nullptr, environment(settings));
    }

    // Serves the installers named, in that list order, and runs one check
    // that fetches them all; the window is left as the check left it.
    MainWindow *fetchInstallers(const QStringList &names, ScriptedPrompter &prompter)
    {
        for (const QString &name : names) {
            if (!TestFiles::write(served(name), name.toLatin1()))
                return nullptr;
            list("zor_server_exe", "any", name, name);
        }
        if (!publishList())
            return nullptr;
        MainWindow *w = newWindow(QStringLiteral("disabled"));
        prompter.answerDialog([](QDialog *dialog) {
            auto *select = qobject_cast<DlgSelectDownloads *>(dialog);
            select->findChild<QComboBox *>()->setCurrentIndex(0);
            select->checkItem(0)->setCheckState(Qt::Checked);
            select->checkItem(1)->setCheckState(Qt::Checked);
            select->accept();
            return int(QDialog::Accepted);
        });
        if (!runCheck(*w, *m_server)) {
            delete w;
            return nullptr;
        }
        return w;
    }

private slots:
    void init()
    {
        QSettings(QStringLiteral("Halvard"), QStringLiteral("korvane_server")).clear();
        QDir(m_dir.path()).removeRecursively();
        QDir().mkpath(served(QString()));
        m_lines.clear();
        m_server = new HttpTestServer(served(QString()));
        QVERIFY(m_server->listen());
    }

    void cleanup()
    {
        delete m_server;
    }

    void downloadsAndInstallsEveryKind()
    {
        QVERIFY(pack(QStringLiteral("fw-ORL_K1-1.2.3.7z"), {{"ORL_K1/1.2.3/uImage.bin", "kernel"},
                                                             {"ORL_K1/1.2.3/rfs_jffs2.img", "rootfs"}}));
        QVERIFY(pack(QStringLiteral("client-3.1.0.7z"), {{"3.1.0/korvaneclient.bin", "client"}}));
        QVERIFY(pack(QStringLiteral("hf-ORL_K1-101.7z"), {{"ORL_K1/hf101.bin", "hotfix"}}));
        QVERIFY(TestFiles::write(served(QStringLiteral("fw-ORL_K2-broken.7z")), "7z but not really"));
        // 10 MiB of zeros in a package of a few KiB: far past 20 times its size.
        QVERIFY(pack(QStringLiteral("fw-ORL_QB64-bomb.7z"), {{"ORL_QB64/9.9/uImage.bin", QByteArray(10 << 20, '\0')}}));
        QVERIFY(TestFiles::write(served(QStringLiteral("guide.pdf")), QByteArray(5000, 'g')));
        QVERIFY(TestFiles::write(served(QStringLiteral("notes.txt")), "release notes"));
        QVERIFY(TestFiles::write(served(QStringLiteral("empty.bin")), QByteArray()));
        QVERIFY(TestFiles::write(served(QStringLiteral("KorvaneManager-7.8.9-linux.run")), "installer"));
        list("firmware", "ORL_K1", "fw-ORL_K1-1.2.3.7z", "Firmware 1.2.3");
        list("download", "any", "guide.pdf", "Guide", QStringLiteral("0123456789abcdef0123456789abcdef"));
        list("Firmware", "ORL_K2", "fw-ORL_K2-broken.7z", "Broken firmware");
        list("firmware", "ORL_QB64", "fw-ORL_QB64-bomb.7z", "Bomb firmware");
        list("hotfix", "ORL_K1", "hf-ORL_K1-101.7z", "Hotfix 101");
        list("zor_client", "ORL_K1", "client-3.1.0.7z", "Client 3.1.0");
        list("download", "any", "empty.bin", "Empty");
        list("download", "any", "notes.txt", "Notes");
        list("zor_server_exe", "any", "KorvaneManager-7.8.9-linux.run", "Console 7.8.9");
        QVERIFY(publishList());

        ScriptedPrompter prompter;
        std::unique_ptr<MainWindow> w(newWindow(QStringLiteral("disabled")));
        QSettings *settings = w->settings;
        const QString temp = settings->value(QStringLiteral("tempDir")).toString();
        int listRequests = 0;
        prompter.answerDialog([&](QDialog *dialog) {
            auto *select = qobject_cast<DlgSelectDownloads *>(dialog);
            // Neither a timer nor the action may start a check over this one.
            w->onAutoUpdateTimerFired();
            w->on_actionDownload_updates_triggered();
            listRequests = int(m_server->requests.size());
            select->findChild<QComboBox *>()->setCurrentIndex(0);
            for (int row = 0; select->checkItem(row); ++row)
                select->checkItem(row)->setCheckState(Qt::Checked);
            select->accept();
            return int(QDialog::Accepted);
        });
        QVERIFY(runCheck(*w, *m_server));
        QVERIFY2(prompter.unexpected.isEmpty(), qPrintable(prompter.unexpected.join('|')));
        QCOMPARE(listRequests, 1);
        QVERIFY(!w->autoUpdateTimer->isActive());
        QVERIFY(w->ui->download_updates->isEnabled());

        // Unpacked into the store, versions remembered.
        const QString firmware = settings->value(QStringLiteral("firmwareImageDir")).toString();
        QCOMPARE(TestFiles::read(firmware + QStringLiteral("/ORL_K1/1.2.3/uImage.bin")), QByteArray("kernel"));
        QCOMPARE(TestFiles::read(firmware + QStringLiteral("/ORL_K1/1.2.3/rfs_jffs2.img")), QByteArray("rootfs"));
        QCOMPARE(TestFiles::read(settings->value(QStringLiteral("hotfixDir")).toString() + QStringLiteral("/ORL_K1/hf101.bin")),
                 QByteArray("hotfix"));
        QCOMPARE(TestFiles::read(settings->value(QStringLiteral("appImageDir")).toString()
                          + QStringLiteral("/3.1.0/korvaneclient.bin")),
                 QByteArray("client"));
        const char *const keys[][2] = {{"firmwareVersionORL_K1", "fw-ORL_K1-1.2.3.7z"},
                                       {"hotfixVersionORL_K1", "hf-ORL_K1-101.7z"},
                                       {"zorClientVersionORL_K1", "client-3.1.0.7z"},
                                       {"zorServerVersionExe", "KorvaneManager-7.8.9-linux.run"},
                                       {"firmwareVersionORL_K2", "unknown"},
                                       {"firmwareVersionORL_QB64", ""}};
        for (const auto &k : keys)
            QCOMPARE(settings->value(QLatin1String(k[0])).toString(), QLatin1String(k[1]));
        // Refused and failed packages leave nothing in the store or beside it.
        QVERIFY(!QFileInfo::exists(firmware + QStringLiteral("/ORL_QB64")));
        QVERIFY(!QFileInfo::exists(firmware + QStringLiteral("/ORL_K2")));
        QCOMPARE(QDir(firmware + QStringLiteral("/..")).entryList({QStringLiteral(".*.unpack-*")}, QDir::AllEntries | QDir::Hidden),
                 QStringList());
        const QString installer = temp + QStringLiteral("/KorvaneManager-7.8.9-linux.run");
        QVERIFY(w->updateDownloaded);
        QCOMPARE(w->installerPath, installer);

        QStringList infos = prompter.texts(QStringLiteral("information"));
        // The refusal comes in the run's order, and the run went on after it.
        QVERIFY(infos.size() > 2);
        QVERIFY2(infos.takeAt(2).startsWith(QLatin1String(
                     "Bomb firmware has been downloaded. But it was not unpacked: it would unpack to 10.0 MiB, more than its limit of ")),
                 qPrintable(prompter.texts(QStringLiteral("information")).value(2)));
        const QStringList expectedInfos{
            "Firmware 1.2.3 has been downloaded to this system. You can now install it on thinclient devices",
            "Broken firmware has been downloaded. But an attempt to unzip it has failed.",
            "Hotfix 101 has been downloaded to this system.You can now install it on thinclient devices",
            "Client 3.1.0 has been downloaded to this sytem. You can now install it on thinclient devices",
            "The following file has been downloaded\n\n" + temp + "/notes.txt",
            "Console 7.8.9 has been downloaded. The installation will begin when you exit Korvane"};
        QCOMPARE(infos, expectedInfos);
        // The guide's sum never matches: five retries, then the queue goes on.
        const QStringList warnings = prompter.texts(QStringLiteral("warning"));
        QCOMPARE(warnings.count("Downloaded Guide but got a checksum mismatch. Data is corrupted"), 6);
        QCOMPARE(warnings.at(6), QStringLiteral("Multiple attempts to download the following upgrade failed. Giving up!\n\nGuide"));
        // Nothing arrived for the empty file: dropped without a retry.
        QCOMPARE(warnings.mid(7), QStringList{"\nError downloading update file; website may be down"});
        QVERIFY(!QFile::exists(temp + QStringLiteral("/empty.bin")));

        // Installed files are not offered again; "download" files always are.
        m_lines.removeIf([](const QString &line) { return line.startsWith(QLatin1String("type=download")); });
        m_lines.removeIf([](const QString &line) { return line.contains(QLatin1String("broken")) || line.contains(QLatin1String("bomb")); });
        QVERIFY(publishList());
        prompter.clear();
        QVERIFY(runCheck(*w, *m_server));
        QCOMPARE(m_server->requests.size(), 1);
        QCOMPARE(prompter.texts(), QStringList{"\nThere are no updates to download"});

        // Forgetting the installed versions offers everything again.
        w->ui->actionClear_updates_cache->trigger();
        const QStringList remembered = UpdateVersions::allKeys();
        QCOMPARE(remembered.size(), 44);
        for (const QString &key : remembered)
            QCOMPARE(settings->value(key).toString(), QStringLiteral("unknown"));

        // The newer installer is offered at exit.
        prompter.clear();
        w->close();
        QCOMPARE(prompter.texts(QStringLiteral("openUrl")), QStringList{QUrl::fromLocalFile(installer).toString()});
    }

    // A file whose sum never matches: each box is answered before the next
    // attempt starts, "Giving up" comes last, and the old file stays.
    void boxesOneAtATime()
    {
        QVERIFY(TestFiles::write(served(QStringLiteral("guide.pdf")), QByteArray(5000, 'g')));
        QVERIFY(TestFiles::write(served(QStringLiteral("notes.txt")), "release notes"));
        list("download", "any", "guide.pdf", "Guide", QStringLiteral("0123456789abcdef0123456789abcdef"));
        list("download", "any", "notes.txt", "Notes");
        // An installer older than the console: no box, and nothing to run at exit.
        QVERIFY(TestFiles::write(served(QStringLiteral("KorvaneManager-0.1.0-linux.run")), "old installer"));
        list("zor_server_exe", "any", "KorvaneManager-0.1.0-linux.run", "Console 0.1.0");
        QVERIFY(publishList());
        ScriptedPrompter prompter;
        std::unique_ptr<MainWindow> w(newWindow(QStringLiteral("disabled")));
        const QString temp = w->settings->value(QStringLiteral("tempDir")).toString();
        QVERIFY(TestFiles::write(temp + QStringLiteral("/guide.pdf"), "old guide"));
        prompter.answerDialog([](QDialog *dialog) {
            auto *select = qobject_cast<DlgSelectDownloads *>(dialog);
            select->findChild<QComboBox *>()->setCurrentIndex(0);
            for (int row = 0; select->checkItem(row); ++row)
                select->checkItem(row)->setCheckState(Qt::Checked);
            select->accept();
            return int(QDialog::Accepted);
        });
        // A box opens only once the transfer's completion has been signalled
        // to every receiver, this later one too: never inside that signal.
        int completions = 0;
        QObject later;
        connect(w->updates.downloadManager.get(), &DownloadManager::downloadCompleted, &later, [&] { ++completions; });
        QList<bool> busyDuringBox;
        QList<int> completedBeforeBox;
        for (int i = 0; i < 8; ++i)
            prompter.duringNextBox([&] {
                completedBeforeBox << completions;
                // What a real box's own event loop runs meanwhile.
                QCoreApplication::sendPostedEvents();
                QCoreApplication::processEvents();
                busyDuringBox << w->updates.downloadManager->isBusy();
            });
        QVERIFY(runCheck(*w, *m_server));

        QCOMPARE(busyDuringBox, QList<bool>(8, false));
        // The list came first; the guide's six tries end with two boxes; then the notes.
        QCOMPARE(completedBeforeBox, (QList<int>{2, 3, 4, 5, 6, 7, 7, 8}));
        QStringList expected{QStringLiteral("exec DlgSelectDownloads")};
        for (int i = 0; i < 6; ++i)
            expected << "warning Download error: Downloaded Guide but got a checksum mismatch. Data is corrupted";
        expected << "warning Download error: Multiple attempts to download the following upgrade failed. Giving up!\n\nGuide"
                 << "information Download completed: The following file has been downloaded\n\n" + temp + "/notes.txt";
        QCOMPARE(prompter.trail(), expected);
        QCOMPARE(TestFiles::read(temp + QStringLiteral("/guide.pdf")), QByteArray("old guide"));
        QVERIFY(!QFile::exists(temp + QStringLiteral("/guide.pdf.part")));
        QVERIFY(!w->updateDownloaded);
    }

    // A listed file's name is the server's: it adds no lines to the box that
    // says it arrived, and the file keeps it.
    void downloadedFileNamedOnOneLine()
    {
        const QString name = QStringLiteral("notes\u2028\u2028Open it at once.txt");
        QVERIFY(TestFiles::write(served(name), "release notes"));
        list("download", "any", name, "Notes");
        QVERIFY(publishList());
        ScriptedPrompter prompter;
        std::unique_ptr<MainWindow> w(newWindow(QStringLiteral("disabled")));
        const QString temp = w->settings->value(QStringLiteral("tempDir")).toString();
        prompter.answerDialog([](QDialog *dialog) {
            auto *select = qobject_cast<DlgSelectDownloads *>(dialog);
            select->findChild<QComboBox *>()->setCurrentIndex(0);
            select->checkItem(0)->setCheckState(Qt::Checked);
            select->accept();
            return int(QDialog::Accepted);
        });
        QVERIFY(runCheck(*w, *m_server));
        QCOMPARE(prompter.trail(), (QStringList{"exec DlgSelectDownloads",
                                                "information Download completed: The following file has been "
                                                "downloaded\n\n" + temp + "/notes  Open it at once.txt"}));
        QCOMPARE(TestFiles::read(temp + QLatin1Char('/') + name), QByteArray("release notes"));
    }

    // A file cut short at every attempt: after the last one the old file
    // is as it was, and nothing a resume would have used stays.
    void givingUpLeavesNoPartialFile()
    {
        QVERIFY(TestFiles::write(served(QStringLiteral("notes.txt")), QByteArray(5000, 'n')));
        list("download", "any", "notes.txt", "Notes");
        QVERIFY(publishList());
        ScriptedPrompter prompter;
        std::unique_ptr<MainWindow> w(newWindow(QStringLiteral("disabled")));
        const QString temp = w->settings->value(QStringLiteral("tempDir")).toString();
        QVERIFY(TestFiles::write(temp + QStringLiteral("/notes.txt"), "old notes"));
        prompter.answerDialog([&](QDialog *dialog) {
            auto *select = qobject_cast<DlgSelectDownloads *>(dialog);
            select->findChild<QComboBox *>()->setCurrentIndex(0);
            select->checkItem(0)->setCheckState(Qt::Checked);
            // Every attempt brings 500 bytes more, then the connection closes.
            m_server->addFault({HttpTestServer::Kind::CloseAfter, 500}, 6);
            select->accept();
            return int(QDialog::Accepted);
        });
        QVERIFY(runCheck(*w, *m_server));
        QCOMPARE(m_server->requests.last().range, QByteArray("bytes=2500-"));
        QCOMPARE(prompter.texts(QStringLiteral("warning")),
                 QStringList{"Multiple attempts to download the following upgrade failed. Giving up!\n\nNotes"});
        QCOMPARE(TestFiles::read(temp + QStringLiteral("/notes.txt")), QByteArray("old notes"));
        QVERIFY(!QFile::exists(temp + QStringLiteral("/notes.txt.part")));
        // The cut attempts had no box of their own to clear their progress.
        QCOMPARE(w->statusLabel->text(), QString());
    }

    // A list cut without a reason to show ends the check with no box: once
    // the run has ended, the status line no longer says it downloads.
    void statusClearedAfterCutList()
    {
        QVERIFY(TestFiles::write(served(QStringLiteral("notes.txt")), QByteArray(5000, 'n')));
        list("download", "any", "notes.txt", "Notes");
        QVERIFY(publishList());
        ScriptedPrompter prompter;
        std::unique_ptr<MainWindow> w(newWindow(QStringLiteral("disabled")));
        m_server->addFault({HttpTestServer::Kind::CloseAfter, 60});
        QVERIFY(runCheck(*w, *m_server));
        QVERIFY(prompter.calls.isEmpty());
        QCOMPARE(w->statusLabel->text(), QString());
    }

    // In the wizard only the packages of its devices' boards are fetched.
    void wizardFetchesItsBoardsOnly()
    {
        for (const QString &board : {QStringLiteral("ORL_K1"), QStringLiteral("ORL_K2")}) {
            QVERIFY(TestFiles::write(served("fw-" + board + ".7z"), "not a package"));
            list("firmware", board, "fw-" + board + ".7z", board);
        }
        QVERIFY(publishList());
        ScriptedPrompter prompter;
        prompter.answerDialog([](QDialog *dialog) {
            dialog->reject();
            return int(QDialog::Rejected);
        });
        std::unique_ptr<MainWindow> w(newWindow(QStringLiteral("disabled")));
        w->wizardRunning = true;
        w->selectedModels = QStringList{QStringLiteral("ORL_K1")};
        QVERIFY(runCheck(*w, *m_server));
        QStringList fetched;
        for (const HttpTestServer::Request &request : std::as_const(m_server->requests))
            fetched << QString::fromLatin1(request.target);
        QCOMPARE(fetched, (QStringList{"/get?file=downloadlist.txt", "/get?file=fw-ORL_K1.7z"}));
    }

    // The wizard asks for its check while the hourly one is under way: the
    // wizard goes on only after a check of its own, not at the end of the
    // one it found running.
    void wizardWaitsForItsOwnCheck()
    {
        QVERIFY(publishList());
        ScriptedPrompter prompter;
        std::unique_ptr<MainWindow> w(newWindow(QStringLiteral("disabled")));
        WindowDevices devices(w.get());
        QVERIFY(devices.add(QStringLiteral("ORL K1")));
        // The list of the check under way comes slowly.
        m_server->addFault({HttpTestServer::Kind::Drip, 20});
        w->ui->actionDownload_updates->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(!m_server->requests.isEmpty(), 30000);
        QVERIFY(w->updates.running);

        w->wizardRunning = true;
        w->wizardState = QLatin1String(WizardState::WaitingWizardRestart);
        w->onWizardTimerFired();
        QTRY_COMPARE_WITH_TIMEOUT(w->wizardState, QLatin1String(WizardState::DownloadUpdatesCompleted), 60000);
        w->wizardTimer->stop();
        QVERIFY(!w->updates.running);
        QCOMPARE(m_server->requests.size(), 2);   // the hourly list, then the wizard's
        QCOMPARE(prompter.texts(), QStringList(2, "\nThere are no updates to download"));
        w->wizardRunning = false;
        w->wizardState = QLatin1String(WizardState::NotRunning);
    }

    // The temporary directory moved in the preferences while the list
    // comes: the list read is the one that came, not one the new directory
    // held from before.
    void listReadWhereItCame()
    {
        QVERIFY(publishList());
        ScriptedPrompter prompter;
        std::unique_ptr<MainWindow> w(newWindow(QStringLiteral("disabled")));
        const QString moved = m_dir.filePath(QStringLiteral("moved"));
        QVERIFY(TestFiles::write(moved + QStringLiteral("/downloadlist.txt"),
                                 "type=download,board=any,file=old.bin,md5sum=0123456789abcdef0123456789abcdef,"
                                 "size=10,release_date=2020-01-01,comment=Old"));
        m_server->addFault({HttpTestServer::Kind::Drip, 20});
        w->ui->actionDownload_updates->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(!m_server->requests.isEmpty(), 30000);
        w->settings->setValue(QStringLiteral("tempDir"), moved);
        QTRY_VERIFY_WITH_TIMEOUT(!w->updates.running, 60000);
        QCOMPARE(prompter.texts(), QStringList{"\nThere are no updates to download"});
        QVERIFY(prompter.unexpected.isEmpty());
    }

    void storeMovedFetchesAgain_data()
    {
        QTest::addColumn<QString>("typed");    // the working directory typed in the preferences
        QTest::newRow("moved") << QStringLiteral("moved");
        QTest::newRow("kept") << QString();
        // Gone from the shared temporary folder, and made anew at the same path.
        QTest::newRow("gone, made anew") << QStringLiteral("gone");
        // The store alone removed by hand, and made anew at the same path.
        QTest::newRow("store removed, made anew") << QStringLiteral("store");
    }

    // What a check installed lies in the store it installed it to: once the
    // preferences move the working directory, the next check fetches it again
    // for the new one, rather than finding nothing to download.
    void storeMovedFetchesAgain()
    {
        QFETCH(QString, typed);
        QVERIFY(pack(QStringLiteral("fw-ORL_K1-2.0.7z"), {{"ORL K1/2.0/uImage.bin", "kernel"}}));
        list("firmware", "ORL_K1", "fw-ORL_K1-2.0.7z", "Firmware 2.0");
        QVERIFY(publishList());
        ScriptedPrompter prompter;
        std::unique_ptr<MainWindow> w(newWindow(QStringLiteral("disabled")));
        prompter.answerDialog(takeAll);
        QVERIFY(runCheck(*w, *m_server));
        const QString image = QStringLiteral("/ORL K1/2.0/uImage.bin");
        QCOMPARE(TestFiles::read(w->settings->value(QStringLiteral("firmwareImageDir")).toString() + image),
                 QByteArray("kernel"));

        const bool gone = typed == QLatin1String("gone");
        const bool store = typed == QLatin1String("store");
        const QString kept = w->settings->value(QStringLiteral("zorWorkingDir")).toString();
        const QString work = typed.isEmpty() || gone || store ? kept : m_dir.filePath(typed);
        QVERIFY(QDir().mkpath(work));
        const QByteArray shared = QFile::encodeName(QDir::tempPath());
        struct stat before;
        QVERIFY(::stat(shared.constData(), &before) == 0);
        const auto restore = qScopeGuard([&] { ::chmod(shared.constData(), before.st_mode & 07777); });
        if (gone)
            QVERIFY(::chmod(shared.constData(), 01777) == 0);
        if (gone || store)
            QVERIFY(QDir(work + (store ? QStringLiteral("/firmware") : QString())).removeRecursively());
        // A console installer waits where it is: it is not fetched again.
        const QString installer = QStringLiteral("KorvaneManager-7.8.8-linux.run");
        w->settings->setValue(QStringLiteral("zorServerVersionExe"), installer);
        prompter.answerDialog([&](QDialog *d) {
            d->findChild<QLineEdit *>(QStringLiteral("tbxTempDir"))->setText(work);
            d->findChild<QPushButton *>(QStringLiteral("btnSaveSettings"))->click();
            return d->result();
        });
        w->ui->actionPreferences->trigger();
        prompter.calls.clear();
        if (!typed.isEmpty())
            prompter.answerDialog(takeAll);
        QVERIFY(runCheck(*w, *m_server));
        QVERIFY2(prompter.unexpected.isEmpty(), qPrintable(prompter.unexpected.join(", ")));
        QCOMPARE(w->settings->value(QStringLiteral("zorServerVersionExe")).toString(), installer);
        if (typed.isEmpty()) {
            QCOMPARE(prompter.texts(), QStringList{"\nThere are no updates to download"});
            return;
        }
        QCOMPARE(TestFiles::read(work + QStringLiteral("/firmware") + image), QByteArray("kernel"));
    }

    // The preferences move the stores while 7-Zip unpacks into the old one:
    // the package is not counted as in the new one, nor told as ready to
    // install, and the next check fetches it again.
    void storeMovedWhileUnpacking()
    {
        QVERIFY(pack(QStringLiteral("fw-ORL_K1-2.0.7z"), {{"ORL K1/2.0/uImage.bin", "kernel"}}));
        list("firmware", "ORL_K1", "fw-ORL_K1-2.0.7z", "Firmware 2.0");
        QVERIFY(publishList());
        // A 7-Zip that holds its extraction until the test lets it go on.
        const QString archiver = QStandardPaths::findExecutable(QStringLiteral("7zz"));
        QVERIFY(!archiver.isEmpty());
        const QString bin = m_dir.filePath(QStringLiteral("bin"));
        const QString gate = m_dir.filePath(QStringLiteral("gate"));
        QVERIFY(TestFiles::write(bin + QStringLiteral("/7zz"),
                                 QStringLiteral("#!/bin/sh\nif [ \"$1\" = x ]; then : > '%1.held'; "
                                                "while [ ! -e '%1.open' ]; do sleep 0.05; done; fi\nexec '%2' \"$@\"\n")
                                     .arg(gate, archiver)
                                     .toLocal8Bit()));
        QVERIFY(QFile::setPermissions(bin + QStringLiteral("/7zz"), QFile::ReadOwner | QFile::ExeOwner));
        const QByteArray path = qgetenv("PATH");
        const auto restore = qScopeGuard([&] { qputenv("PATH", path); });
        qputenv("PATH", QFile::encodeName(bin) + ':' + path);

        ScriptedPrompter prompter;
        std::unique_ptr<MainWindow> w(newWindow(QStringLiteral("disabled")));
        prompter.answerDialog(takeAll);
        const QString oldStore = w->settings->value(QStringLiteral("firmwareImageDir")).toString();
        w->ui->actionDownload_updates->trigger();
        QVERIFY(QTest::qWaitFor([&] { return QFile::exists(gate + QStringLiteral(".held")); }, 60000));
        const QString work = m_dir.filePath(QStringLiteral("moved"));
        QVERIFY(QDir().mkpath(work));
        prompter.answerDialog([&](QDialog *d) {
            d->findChild<QLineEdit *>(QStringLiteral("tbxTempDir"))->setText(work);
            d->findChild<QPushButton *>(QStringLiteral("btnSaveSettings"))->click();
            return d->result();
        });
        w->ui->actionPreferences->trigger();
        QVERIFY(TestFiles::write(gate + QStringLiteral(".open"), QByteArray()));
        QVERIFY(QTest::qWaitFor([&] { return !w->updates.running; }, 120000));
        QCOMPARE(prompter.texts(QStringLiteral("information")),
                 QStringList{"Firmware 2.0 has been downloaded. But its folder was changed while it was unpacked: it "
                             "is in\n\n" + oldStore + "\n\nand the next check fetches it again for\n\n" + work
                             + "/firmware"});

        prompter.answerDialog(takeAll);
        QVERIFY(runCheck(*w, *m_server));
        QVERIFY2(prompter.unexpected.isEmpty(), qPrintable(prompter.unexpected.join(", ")));
        QCOMPARE(TestFiles::read(work + QStringLiteral("/firmware/ORL K1/2.0/uImage.bin")), QByteArray("kernel"));
    }

    // A list that names the console's own files changes none of them.
    void hostileListKeepsConsoleFiles()
    {
        const QStringList names{"KorvaneManager.ini", "whitelist.txt", "001122334455_cfg.txt", "fw.7z.part"};
        for (const QString &name : names) {
            QVERIFY(TestFiles::write(served(name), "from the server"));
            list(name == QLatin1String("whitelist.txt") ? QStringLiteral("zor_server_exe") : QStringLiteral("download"),
                 "any", name, "Hostile");
        }
        QVERIFY(publishList());
        ScriptedPrompter prompter;
        std::unique_ptr<MainWindow> w(newWindow(QStringLiteral("disabled")));
        const QString temp = w->settings->value(QStringLiteral("tempDir")).toString();
        for (const QString &name : names)
            QVERIFY(TestFiles::write(temp + QLatin1Char('/') + name, "the console's " + name.toLatin1()));
        const char *const reasons[] = {"the department file", "the storage white list", "a device's file",
                                       "another download's partial file"};
        for (int i = 0; i < names.size(); ++i)
            QTest::ignoreMessage(QtWarningMsg, qPrintable(QStringLiteral("Update list line %1 skipped: \"%2\" is %3")
                                                              .arg(i + 2)
                                                              .arg(names[i], QLatin1String(reasons[i]))));
        QVERIFY(runCheck(*w, *m_server));
        QCOMPARE(prompter.texts(), QStringList{"\nThere are no updates to download"});
        QCOMPARE(m_server->requests.size(), 1);   // the list alone
        for (const QString &name : names)
            QCOMPARE(TestFiles::read(temp + QLatin1Char('/') + name), "the console's " + name.toLatin1());
    }

    // Devices upload into the directory the installer lands in. One whose
    // upload takes the installer's name after the download was checked,
    // before the run comes back to it, does not get its file started at exit.
    void installerTakenOverAfterItArrived_data()
    {
        QTest::addColumn<bool>("summed");
        QTest::newRow("sum listed") << true;
        // Nothing to check it against: what arrived is what may be started.
        QTest::newRow("no sum listed") << false;
    }

    void installerTakenOverAfterItArrived()
    {
        QFETCH(bool, summed);
        const QString name = QStringLiteral("KorvaneManager-7.8.9-linux.run");
        QVERIFY(TestFiles::write(served(name), "installer"));
        list("zor_server_exe", "any", name, "Console 7.8.9");
        if (!summed)
            m_lines.last().replace(QRegularExpression(QStringLiteral("md5sum=[0-9a-f]*")), QStringLiteral("md5sum="));
        QVERIFY(publishList());
        ScriptedPrompter prompter;
        std::unique_ptr<MainWindow> w(newWindow(QStringLiteral("disabled")));
        const QString installer = w->settings->value(QStringLiteral("tempDir")).toString() + QLatin1Char('/') + name;
        prompter.answerDialog([](QDialog *dialog) {
            auto *select = qobject_cast<DlgSelectDownloads *>(dialog);
            select->findChild<QComboBox *>()->setCurrentIndex(0);
            select->checkItem(0)->setCheckState(Qt::Checked);
            select->accept();
            return int(QDialog::Accepted);
        });
        // Where a device's upload would land: after the file was checked and
        // took its name, before the run hears of it.
        connect(w->updates.downloadManager.get(), &DownloadManager::downloadCompleted, this,
                [&](int errors, qint64) {
                    if (errors == 0 && QFile::exists(installer))
                        QVERIFY(TestFiles::write(installer, "a device's file"));
                },
                Qt::DirectConnection);
        QVERIFY(runCheck(*w, *m_server));
        QVERIFY(w->updateDownloaded);

        prompter.clear();
        w->close();
        QCOMPARE(prompter.texts(QStringLiteral("openUrl")), QStringList());
        QCOMPARE(prompter.texts(QStringLiteral("warning")),
                 QStringList{"\nThe downloaded installer was changed after it arrived, so it is not started:\n\n"
                             + installer});
        // Never started, so never had: the next check fetches it again.
        QCOMPARE(w->settings->value(QStringLiteral("zorServerVersionExe")).toString(), QStringLiteral("unknown"));
    }

    // Two installers in one list, the newer first: the exit starts the
    // newer one, checked against its own sum, not the later one's.
    void newerInstallerKeptWithItsSum()
    {
        const QStringList names{QStringLiteral("KorvaneManager-7.9.0-linux.run"),
                                QStringLiteral("KorvaneManager-7.8.9-linux.run")};
        ScriptedPrompter prompter;
        std::unique_ptr<MainWindow> w(fetchInstallers(names, prompter));
        QVERIFY(w);
        QVERIFY(w->updateDownloaded);

        prompter.clear();
        prompter.answerBool(false);
        w->close();
        const QString tempDir = w->settings->value(QStringLiteral("tempDir")).toString();
        QCOMPARE(prompter.texts(QStringLiteral("warning")), QStringList());
        QCOMPARE(prompter.texts(QStringLiteral("openUrl")),
                 QStringList{QUrl::fromLocalFile(tempDir + QLatin1Char('/') + names.first()).toString()});
    }

    // A console that ended without its close (killed, or the machine went
    // down) never started the newer installer it had fetched: the next start
    // fetches it again, for its exit to offer.
    void installerNotStartedFetchedAgain()
    {
        const QString name = QStringLiteral("KorvaneManager-7.8.9-linux.run");
        QVERIFY(TestFiles::write(served(name), "installer"));
        list("zor_server_exe", "any", name, "Console 7.8.9");
        QVERIFY(publishList());
        ScriptedPrompter prompter;
        std::unique_ptr<MainWindow> w(newWindow(QStringLiteral("disabled")));
        prompter.answerDialog(takeAll);
        QVERIFY(runCheck(*w, *m_server));
        QVERIFY(w->updateDownloaded);

        w.reset();
        w.reset(newWindow(QStringLiteral("disabled")));
        prompter.answerDialog(takeAll);
        QVERIFY(runCheck(*w, *m_server));
        QVERIFY(w->updateDownloaded);
    }

    // However a check the administrator started ends, the Download action is
    // free again, nothing of the check is left running, and the next check
    // runs through to its file.
    void nextCheckAfterEachEnd_data()
    {
        QTest::addColumn<QString>("end");
        QTest::addColumn<QStringList>("boxes");
        QTest::newRow("list not found")
            << "list 404"
            << QStringList{"warning Download error: Error downloading Upgrade list:\n\nFile not found",
                           "warning Online updates: \nError downloading update file; website may be down"};
        // Told by nothing but the status bar, as before.
        QTest::newRow("list cut") << "list cut" << QStringList();
        QTest::newRow("choice cancelled")
            << "cancel"
            << QStringList{"exec DlgSelectDownloads", "information Checking for updates: \nThere are no updates to download"};
        QTest::newRow("file not found")
            << "file 404"
            << QStringList{"exec DlgSelectDownloads",
                           "warning Download error: Error downloading Notes:\n\nFile not found",
                           "warning Online updates: \nError downloading update file; website may be down"};
        QTest::newRow("package not unpacked")
            << "package"
            << QStringList{"exec DlgSelectDownloads", "information Firmware Update: Firmware 2.0 has been downloaded. "
                                                      "But an attempt to unzip it has failed."};
        // No request goes out: the list cannot be made where it goes.
        QTest::newRow("temporary folder read-only")
            << "read-only"
            << QStringList{"warning Download error: Error downloading Upgrade list:\n\n"
                           "Could not write TEMP/downloadlist.txt.part: Permission denied"};
        QTest::newRow("list's partial name a link")
            << "link"
            << QStringList{"warning Download error: Error downloading Upgrade list:\n\n"
                           "Could not write TEMP/downloadlist.txt.part: Too many levels of symbolic links"};
        const QStringList notStarted{"exec DlgSelectDownloads", "warning Error starting download: Download did not "
                                                                "start for the following upgrade\n\nNotes"};
        // Cleared after its box, not what it leads to.
        QTest::newRow("file's partial name a link") << "file link" << notStarted;
        // A resume part, whatever refused its start: the next check goes on from it.
        QTest::newRow("file's partial file read-only") << "part read-only" << notStarted;
    }

    void nextCheckAfterEachEnd()
    {
        QFETCH(QString, end);
        QVERIFY(TestFiles::write(served(QStringLiteral("notes.txt")), "release notes"));
        QVERIFY(TestFiles::write(served(QStringLiteral("fw-ORL_K1-2.0.7z")), "7z but not really"));
        list("download", "any", "notes.txt", "Notes");
        list("firmware", "ORL_K1", "fw-ORL_K1-2.0.7z", "Firmware 2.0");
        QVERIFY(publishList());
        ScriptedPrompter prompter;
        std::unique_ptr<MainWindow> w(newWindow(QStringLiteral("disabled")));
        const QString temp = w->settings->value(QStringLiteral("tempDir")).toString();
        const QString part = temp + QStringLiteral("/notes.txt.part");
        // Row -1 cancels; a fault answers the file's request.
        const auto choose = [&](int row, std::optional<HttpTestServer::Fault> fault = {}) {
            prompter.answerDialog([this, row, fault](QDialog *dialog) {
                auto *select = qobject_cast<DlgSelectDownloads *>(dialog);
                if (row < 0) {
                    select->reject();
                    return int(QDialog::Rejected);
                }
                if (fault)
                    m_server->addFault(*fault);
                select->findChild<QComboBox *>()->setCurrentIndex(0);
                select->checkItem(row)->setCheckState(Qt::Checked);
                select->accept();
                return int(QDialog::Accepted);
            });
        };
        if (end == QLatin1String("list 404"))
            m_server->addFault({HttpTestServer::Kind::Status, 404});
        else if (end == QLatin1String("list cut"))
            m_server->addFault({HttpTestServer::Kind::CloseAfter, 20});
        else if (end == QLatin1String("cancel"))
            choose(-1);
        else if (end == QLatin1String("file 404"))
            choose(0, HttpTestServer::Fault(HttpTestServer::Kind::Status, 404));
        else if (end == QLatin1String("package"))
            choose(1);
        if (end == QLatin1String("read-only")) {
            QVERIFY(QFile::setPermissions(temp, QFile::ReadOwner | QFile::ExeOwner));
            const auto reopen = qScopeGuard([&temp] {
                QFile::setPermissions(temp, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
            });
            NoFolderOverrideHere asUser;
            QVERIFY(asUser.dropped());
            w->ui->actionDownload_updates->trigger();
            QVERIFY(QTest::qWaitFor([&] { return !w->userStartedUpdate; }, 120000));
        } else if (end == QLatin1String("link")) {
            QVERIFY(TestFiles::write(temp + QStringLiteral("/elsewhere"), "kept"));
            QVERIFY(QFile::link(temp + QStringLiteral("/elsewhere"), temp + QStringLiteral("/downloadlist.txt.part")));
            w->ui->actionDownload_updates->trigger();
            QVERIFY(QTest::qWaitFor([&] { return !w->userStartedUpdate; }, 120000));
        } else if (end == QLatin1String("file link")) {
            choose(0);
            QVERIFY(TestFiles::write(temp + QStringLiteral("/elsewhere"), "kept"));
            QVERIFY(QFile::link(temp + QStringLiteral("/elsewhere"), part));
            QVERIFY(runCheck(*w, *m_server));
            QCOMPARE(TestFiles::read(temp + QStringLiteral("/elsewhere")), QByteArray("kept"));
        } else if (end == QLatin1String("part read-only")) {
            choose(0);
            QVERIFY(TestFiles::write(part, "release"));
            QVERIFY(QFile::setPermissions(part, QFile::ReadOwner));
            {
                NoFolderOverrideHere asUser;
                QVERIFY(asUser.dropped());
                QVERIFY(runCheck(*w, *m_server));
            }
            QVERIFY(QFile::setPermissions(part, QFile::ReadOwner | QFile::WriteOwner));
            QCOMPARE(TestFiles::read(part), QByteArray("release"));
        } else {
            QVERIFY(runCheck(*w, *m_server));
        }
        QFETCH(QStringList, boxes);
        QCOMPARE(prompter.trail(), boxes.replaceInStrings(QStringLiteral("TEMP"), temp));

        QVERIFY(w->ui->download_updates->isEnabled());
        QVERIFY(!w->updates.downloadManager->isBusy());
        QVERIFY(!w->updates.install);
        QVERIFY(!w->autoUpdateTimer->isActive());
        QVERIFY(!w->userStartedUpdate);

        prompter.clear();
        choose(0);
        QVERIFY(runCheck(*w, *m_server));
        QCOMPARE(prompter.trail(), (QStringList{"exec DlgSelectDownloads", "information Download completed: The "
                                                "following file has been downloaded\n\n" + temp + "/notes.txt"}));
        QCOMPARE(TestFiles::read(temp + QStringLiteral("/notes.txt")), QByteArray("release notes"));
        QVERIFY(w->ui->download_updates->isEnabled());
        QVERIFY(prompter.unexpected.isEmpty());
    }

    // Two installers in one list: the one left waiting is the one the
    // console counts as fetched, so the next check does not offer it again.
    void waitingInstallerNotOfferedAgain_data()
    {
        QTest::addColumn<QStringList>("names");   // in list order
        QTest::addColumn<QString>("waiting");
        const QString older = QStringLiteral("KorvaneManager-7.8.9-linux.run");
        const QString newer = QStringLiteral("KorvaneManager-7.9.0-linux.run");
        QTest::newRow("newer first") << QStringList{newer, older} << newer;
        QTest::newRow("older first") << QStringList{older, newer} << newer;
    }

    void waitingInstallerNotOfferedAgain()
    {
        QFETCH(QStringList, names);
        QFETCH(QString, waiting);
        ScriptedPrompter prompter;
        std::unique_ptr<MainWindow> w(fetchInstallers(names, prompter));
        QVERIFY(w);
        QCOMPARE(QFileInfo(w->installerPath).fileName(), waiting);

        const QString text = QString::fromLatin1(TestFiles::read(served(QStringLiteral("downloadlist.txt"))));
        for (const UpgradeFile &offered : DownloadList::parse(text, *w->settings).files)
            QVERIFY2(offered.fileName != waiting, qPrintable(offered.fileName));
    }

    void hourlyCheckOnlyWhenEnabled_data()
    {
        QTest::addColumn<QString>("autoUpdate");
        QTest::addColumn<bool>("armed");
        QTest::newRow("enabled") << "enabled" << true;
        QTest::newRow("other case") << "Enabled" << false;
    }

    void hourlyCheckOnlyWhenEnabled()
    {
        QFETCH(QString, autoUpdate);
        QFETCH(bool, armed);
        QVERIFY(publishList());
        ScriptedPrompter prompter;
        std::unique_ptr<MainWindow> w(newWindow(autoUpdate));
        QCOMPARE(w->autoUpdateTimer->isActive(), armed);
        if (armed)
            QVERIFY(w->autoUpdateTimer->remainingTime() > 25000);

        QVERIFY(runCheck(*w, *m_server));
        QCOMPARE(prompter.texts(), QStringList{"\nThere are no updates to download"});
        QCOMPARE(w->autoUpdateTimer->isActive(), armed);
        if (armed)
            QCOMPARE(w->autoUpdateTimer->interval(), 3600000);
    }
};

QTEST_MAIN(TestUpdateRun)
#include "tst_updaterun.moc"
