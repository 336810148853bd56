// The signage sync list, its progress dialog, the output dialog and the sync
// command as the main window runs it.
#include "commands/core/syncfilelist.h"
#include "commands/dlgdsisync.h"
#include "commands/dlggetfilelist.h"
#include "commands/packets/signagepackets.h"
#include "commands/signagesync.h"
#include "devicelink/sslserver.h"
#include "devicelink/thinclientinfo.h"
#include "failingwrites.h"
#include "fakedevices.h"
#include "nowriteroom.h"
#include "scriptedprompter.h"
#include "withoutoverride.h"

#include <QCheckBox>
#include <QCryptographicHash>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

#include <atomic>
#include <functional>
#include <thread>

#include <unistd.h>

static void writeFile(const QString &path, const QByteArray &data)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(data);
}

static QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

static QByteArray fileLine(const QString &path, const QByteArray &data)
{
    return "file=" + path.toLatin1() + " md5sum=" + QCryptographicHash::hash(data, QCryptographicHash::Md5).toHex()
        + '\n';
}

// Stops the walk when it comes to a given directory or entry.
class CancelAt : public SyncFileListObserver
{
public:
    QString dir;
    int entry = -1;            // cancel when this entry of dir is reached; -1: on entering dir
    bool cancel = false;
    QString current;

    void directoryShown(const QString &d, int) override
    {
        current = d;
        if (d == dir && entry < 0)
            cancel = true;
    }
    void entryReached(int index) override
    {
        if (current == dir && index == entry)
            cancel = true;
    }
    bool cancelled() override { return cancel; }
};

// Accepts a number of bytes, then fails every write.
class FailingDevice : public QIODevice
{
public:
    explicit FailingDevice(qint64 room) : m_room(room) { open(QIODevice::WriteOnly | QIODevice::Text); }

protected:
    qint64 readData(char *, qint64) override { return -1; }
    qint64 writeData(const char *, qint64 len) override
    {
        if (len > m_room)
            return -1;
        m_room -= len;
        return len;
    }

private:
    qint64 m_room;
};

// One department whose devices' writes are recorded instead of sent.
struct Department {
    explicit Department(int selected, int unselected = 0)
    {
        for (int i = 0; i < selected + unselected; ++i)
            devices << fake.add(QStringLiteral("ORL K1"), i < selected);
    }
    QList<QByteArray> frames() const
    {
        QList<QByteArray> out;
        for (const auto &w : fake.writes)
            out << w.second;
        return out;
    }
    FakeDevices fake;
    QList<ThinclientInfo *> devices;
};

class TestSyncFileList : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void listOrderAndContent();
    void emptyDirectory();
    void cancelNeverSucceeds_data();
    void cancelNeverSucceeds();
    void cancelKeepsPreviousList();
    void cancelAtAnUnlistableEntryWarnsOfNothing();
    void writeFailure();
    void namesTheListCannotCarry_data();
    void namesTheListCannotCarry();
    void directoriesThatCannotBeListed();
    void cancelWhileAFileIsSummed();

    void dialogCancelInLastSubdirectory();
    void dialogWarnings();
    void leftOutFileNamedOnOneLine();

    void outputDialog();
    void commandSendsBlocksAndStoresSettings();
    void commandCancelOnSecondOutput();
    void commandRefusals();

private:
    // root/ with Beta/{inner/deep.bin, z.txt}, alpha/, A.txt, B.txt, a.txt,
    // .hidden, .hiddendir/x, link -> a.txt, dirlink -> Beta
    QString makeTree();
    QByteArray expectedTree() const;

    QTemporaryDir m_tmp;
    QString m_root;
};

void TestSyncFileList::init()
{
    QVERIFY(m_tmp.isValid());
    QSettings(QStringLiteral("Halvard"), QStringLiteral("korvane_server")).clear();
}

QString TestSyncFileList::makeTree()
{
    m_root = m_tmp.path() + QStringLiteral("/content");
    QDir().mkpath(m_root + QStringLiteral("/Beta/inner"));
    QDir().mkpath(m_root + QStringLiteral("/alpha"));
    QDir().mkpath(m_root + QStringLiteral("/.hiddendir"));
    writeFile(m_root + QStringLiteral("/Beta/inner/deep.bin"), QByteArray(30000, '\x7f'));
    writeFile(m_root + QStringLiteral("/Beta/z.txt"), "zz");
    writeFile(m_root + QStringLiteral("/A.txt"), "upper a");
    writeFile(m_root + QStringLiteral("/B.txt"), "upper b");
    writeFile(m_root + QStringLiteral("/a.txt"), "lower a");
    writeFile(m_root + QStringLiteral("/.hidden"), "hidden");
    writeFile(m_root + QStringLiteral("/.hiddendir/x"), "x");
    QFile::link(m_root + QStringLiteral("/a.txt"), m_root + QStringLiteral("/link"));
    QFile::link(m_root + QStringLiteral("/Beta"), m_root + QStringLiteral("/dirlink"));
    return m_root;
}

QByteArray TestSyncFileList::expectedTree() const
{
    const QString r = m_root;
    return "dir=" + (r + "/Beta").toLatin1() + '\n'
        + "dir=" + (r + "/Beta/inner").toLatin1() + '\n'
        + fileLine(r + "/Beta/inner/deep.bin", QByteArray(30000, '\x7f'))
        + fileLine(r + "/Beta/z.txt", "zz")
        + "dir=" + (r + "/alpha").toLatin1() + '\n'
        + fileLine(r + "/A.txt", "upper a")
        + fileLine(r + "/B.txt", "upper b")
        + fileLine(r + "/a.txt", "lower a");
}

void TestSyncFileList::listOrderAndContent()
{
    const QString root = makeTree();
    const QString list = m_tmp.path() + QStringLiteral("/list.txt");
    writeFile(list, QByteArray(5000, 'o'));   // an old, longer list is replaced, not overwritten in part
    QCOMPARE(SyncFileList::create(root, list), SyncFileList::Result::Written);
    QCOMPARE(readFile(list), expectedTree());
}

void TestSyncFileList::emptyDirectory()
{
    QDir().mkpath(m_tmp.path() + QStringLiteral("/empty"));
    const QString list = m_tmp.path() + QStringLiteral("/empty.txt");
    QCOMPARE(SyncFileList::create(m_tmp.path() + QStringLiteral("/empty"), list), SyncFileList::Result::Written);
    QVERIFY(QFile::exists(list));
    QCOMPARE(readFile(list), QByteArray());
    // A cancel on entering it has no entry after it to be noticed at.
    CancelAt observer;
    observer.dir = m_tmp.path() + QStringLiteral("/empty");
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly | QIODevice::Text);
    QCOMPARE(SyncFileList::write(observer.dir, &buffer, &observer), SyncFileList::Result::Cancelled);

    QCOMPARE(SyncFileList::listPath(QStringLiteral("/t"), 2), QStringLiteral("/t/dsi_file_list_op2.txt"));
    QVERIFY(SyncFileList::listPath(QString(), 1).isEmpty());
    QCOMPARE(SyncFileList::create(m_tmp.path(), QString()), SyncFileList::Result::MissingArgument);
}

void TestSyncFileList::cancelNeverSucceeds_data()
{
    QTest::addColumn<QString>("dir");
    QTest::addColumn<int>("entry");
    // /two holds empty/, f1 and f2, in that order.
    QTest::newRow("entering the last subdirectory") << QStringLiteral("/two") << -1;
    QTest::newRow("at the last file of the last subdirectory") << QStringLiteral("/two") << 2;
    QTest::newRow("at the last subdirectory's entry") << QString() << 1;
    QTest::newRow("in an empty last subdirectory") << QStringLiteral("/two/empty") << -1;
}

void TestSyncFileList::cancelNeverSucceeds()
{
    QFETCH(QString, dir);
    QFETCH(int, entry);
    // The last entry of the content directory is a subdirectory, so a cancel
    // inside it has no later entry at the top to be noticed at.
    const QString root = m_tmp.path() + QStringLiteral("/c");
    QDir().mkpath(root + QStringLiteral("/one"));
    QDir().mkpath(root + QStringLiteral("/two/empty"));
    writeFile(root + QStringLiteral("/two/f1"), "1");
    writeFile(root + QStringLiteral("/two/f2"), "2");

    CancelAt observer;
    observer.dir = root + dir;
    observer.entry = entry;
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly | QIODevice::Text);
    QCOMPARE(SyncFileList::write(root, &buffer, &observer), SyncFileList::Result::Cancelled);
}

void TestSyncFileList::cancelKeepsPreviousList()
{
    const QString root = makeTree();
    const QString list = m_tmp.path() + QStringLiteral("/keep.txt");
    writeFile(list, "previous list\n");
    CancelAt observer;
    observer.dir = root + QStringLiteral("/alpha");
    QCOMPARE(SyncFileList::create(root, list, &observer), SyncFileList::Result::Cancelled);
    QCOMPARE(readFile(list), QByteArray("previous list\n"));
    QCOMPARE(QDir(m_tmp.path()).entryList(QStringList(QStringLiteral("keep.txt*"))), QStringList("keep.txt"));
}

// Cancel seen while the walk shows an entry it then leaves out: the
// administrator is not warned about a file of a list that is not written.
void TestSyncFileList::cancelAtAnUnlistableEntryWarnsOfNothing()
{
    QTemporaryDir own;
    writeFile(own.path() + QString::fromUtf8("/\u0414.png"), "bad");
    struct : CancelAt {
        QStringList told;
        void unreadableFile(const QString &path) override { told << path; }
    } observer;
    observer.dir = own.path();
    observer.entry = 0;
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly | QIODevice::Text);
    QCOMPARE(SyncFileList::write(own.path(), &buffer, &observer), SyncFileList::Result::Cancelled);
    QCOMPARE(observer.told, QStringList());
}

void TestSyncFileList::writeFailure()
{
    const QString root = makeTree();
    for (qint64 room : {qint64(0), qint64(40), qint64(300)}) {
        FailingDevice device(room);
        QCOMPARE(SyncFileList::write(root, &device), SyncFileList::Result::WriteFailed);
    }
    // A full disk is a failed list, never a written one, and the earlier
    // list stays whole.
    const QString list = m_tmp.path() + QStringLiteral("/full.txt");
    writeFile(list, "previous list\n");
    SyncFileList::Result result = SyncFileList::Result::Written;
    {
        NoWriteRoom full;
        result = SyncFileList::create(root, list);
    }
    QCOMPARE(result, SyncFileList::Result::WriteFailed);
    QCOMPARE(readFile(list), QByteArray("previous list\n"));
    // A network or USB disk that lost the write says so at the sync alone.
    {
        FailingWrites failing(m_tmp.path(), FailingWrites::Sync);
        result = SyncFileList::create(root, list);
    }
    QCOMPARE(result, SyncFileList::Result::WriteFailed);
    QCOMPARE(readFile(list), QByteArray("previous list\n"));
}

// Records the entries the walk leaves out.
class LeftOut : public SyncFileListObserver
{
public:
    void unreadableFile(const QString &path) override { paths << path; }
    QStringList paths;
};

void TestSyncFileList::namesTheListCannotCarry_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("isDir");
    // A line end would cut the entry in two (and let a name add lines of its
    // own); a character Latin-1 cannot hold turns into '?' on the wire.
    QTest::newRow("line feed in a file") << QStringLiteral("a\nfile=b md5sum=0") << false;
    QTest::newRow("carriage return in a file") << QStringLiteral("a\rb") << false;
    QTest::newRow("non-Latin-1 file") << QString::fromUtf8("\u0414\u043e\u043a.png") << false;
    QTest::newRow("line feed in a directory") << QStringLiteral("d\nir") << true;
    QTest::newRow("non-Latin-1 directory") << QString::fromUtf8("\u65e5\u672c") << true;
}

void TestSyncFileList::namesTheListCannotCarry()
{
    QFETCH(QString, name);
    QFETCH(bool, isDir);
    QTemporaryDir own;
    const QString root = own.path();
    const QString bad = root + QLatin1Char('/') + name;
    if (isDir) {
        QVERIFY(QDir().mkpath(bad));
        writeFile(bad + QStringLiteral("/inside.txt"), "in");
    } else {
        writeFile(bad, "bad");
    }
    writeFile(root + QStringLiteral("/\xe9t\xe9.txt"), "latin");   // Latin-1 is fine

    LeftOut observer;
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly | QIODevice::Text);
    QCOMPARE(SyncFileList::write(root, &buffer, &observer), SyncFileList::Result::Written);
    QCOMPARE(buffer.data(), fileLine(root + QStringLiteral("/\xe9t\xe9.txt"), "latin"));
    QCOMPARE(observer.paths, QStringList(bad));
}

// Removes a directory when the walk reaches a given entry.
class RemoveAt : public LeftOut
{
public:
    QString current;
    QString dir;
    int entry = -1;
    QString victim;

    void directoryShown(const QString &d, int) override { current = d; }
    void entryReached(int index) override
    {
        if (current == dir && index == entry)
            QDir(victim).removeRecursively();
    }
};

void TestSyncFileList::directoriesThatCannotBeListed()
{
    // A directory that cannot be listed looks empty: its list would tell
    // the devices it holds nothing.
    QTemporaryDir own;
    const QString root = own.path();
    RemoveAt gone;
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly | QIODevice::Text);
    QCOMPARE(SyncFileList::write(root + QStringLiteral("/missing"), &buffer, &gone),
             SyncFileList::Result::Unreadable);
    QCOMPARE(gone.paths, QStringList(root + QStringLiteral("/missing")));
    QCOMPARE(buffer.data(), QByteArray());

    // A subdirectory gone by the time the walk comes to it.
    QDir().mkpath(root + QStringLiteral("/sub"));
    writeFile(root + QStringLiteral("/sub/f"), "f");
    writeFile(root + QStringLiteral("/z"), "z");
    gone.paths.clear();
    gone.dir = root;
    gone.entry = 0;
    gone.victim = root + QStringLiteral("/sub");
    QCOMPARE(SyncFileList::write(root, &buffer, &gone), SyncFileList::Result::Written);
    QCOMPARE(buffer.data(), fileLine(root + QStringLiteral("/z"), "z"));
    QCOMPARE(gone.paths, QStringList(root + QStringLiteral("/sub")));

    QDir().mkpath(root + QStringLiteral("/closed/inner"));
    QFile::setPermissions(root + QStringLiteral("/closed"), QFileDevice::WriteOwner);
    LeftOut closed;
    QByteArray second;
    SyncFileList::Result result = SyncFileList::Result::Cancelled;
    const bool dropped = withoutFolderOverride([&] {
        QBuffer buffer(&second);
        buffer.open(QIODevice::WriteOnly | QIODevice::Text);
        result = SyncFileList::write(root, &buffer, &closed);
    });
    QFile::setPermissions(root + QStringLiteral("/closed"), QFileDevice::ReadOwner | QFileDevice::WriteOwner
                                                                 | QFileDevice::ExeOwner);
    if (!dropped)
        QSKIP("no thread without the right to read every directory");
    QCOMPARE(result, SyncFileList::Result::Written);
    QCOMPARE(second, fileLine(root + QStringLiteral("/z"), "z"));
    QCOMPARE(closed.paths, QStringList(root + QStringLiteral("/closed")));
}

// The progress dialog, run as the commands run it.
// Cancelled from outside once the walk has come to its first entry.
class CancelFromOutside : public SyncFileListObserver
{
public:
    std::atomic<bool> started{false};
    std::atomic<bool> cancel{false};
    std::atomic<bool> warned{false};

    void entryReached(int) override { started = true; }
    bool cancelled() override { return cancel; }
    void unreadableFile(const QString &) override { warned = true; }
};

void TestSyncFileList::cancelWhileAFileIsSummed()
{
    // A file of a terabyte (sparse: it takes no room) stands for a disk
    // image or a long video on a slow share: its sum takes far longer than
    // anyone waits, and Cancel must end the walk while it is summed.
    const QString root = m_tmp.path() + QStringLiteral("/huge");
    QDir().mkpath(root);
    const QString image = root + QStringLiteral("/disk.img");
    {
        QFile f(image);
        QVERIFY(f.open(QIODevice::WriteOnly));
        QVERIFY(f.resize(qint64(1) << 40));
    }
    CancelFromOutside observer;
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly | QIODevice::Text);
    std::atomic<bool> done{false};
    SyncFileList::Result result = SyncFileList::Result::Written;
    std::thread walk([&] {
        result = SyncFileList::write(root, &buffer, &observer);
        done = true;
    });
    QVERIFY(QTest::qWaitFor([&] { return observer.started.load(); }, 10000));
    observer.cancel = true;
    const bool returned = QTest::qWaitFor([&] { return done.load(); }, 10000);
    // A walk still summing is let go: the file ends where it is read.
    if (!returned)
        QFile::resize(image, 0);
    walk.join();
    QVERIFY2(returned, "the walk went on summing the file after Cancel");
    QCOMPARE(result, SyncFileList::Result::Cancelled);
    QVERIFY(buffer.data().isEmpty());
    // A file whose sum was cancelled is not one that could not be read.
    QVERIFY(!observer.warned);
}

void TestSyncFileList::dialogCancelInLastSubdirectory()
{
    const QString root = m_tmp.path() + QStringLiteral("/c");
    QDir().mkpath(root + QStringLiteral("/one"));
    QDir().mkpath(root + QStringLiteral("/two"));
    writeFile(root + QStringLiteral("/two/only"), "1");
    const QString list = m_tmp.path() + QStringLiteral("/cancel.txt");

    ScriptedPrompter prompter;
    // Cancel is clicked while the walk shows the last subdirectory, whose
    // one file is the last entry of the whole list.
    prompter.answerDialog([&](QDialog *d) {
        auto *bar = d->findChild<QProgressBar *>(QStringLiteral("progressBar"));
        auto *label = d->findChild<QLabel *>(QStringLiteral("lblDir"));
        auto *cancel = d->findChild<QPushButton *>(QStringLiteral("btnCancel"));
        connect(bar, &QProgressBar::valueChanged, d, [=] {
            if (label->text() == root + QStringLiteral("/two"))
                cancel->click();
        });
        return d->exec();
    });
    QVERIFY(!DlgGetFileList::writeList(nullptr, root, list));
    QVERIFY(!QFile::exists(list));
}

void TestSyncFileList::dialogWarnings()
{
    const QString root = makeTree();
    const QString title = QStringLiteral("Sync directory to device");
    ScriptedPrompter prompter;

    DlgGetFileList empty(nullptr, QString(), QStringLiteral("/x"));
    QVERIFY(!empty.buildFileList(QString(), m_tmp.path() + QStringLiteral("/x")));
    QVERIFY(prompter.calls.isEmpty());

    DlgGetFileList missing(nullptr, QStringLiteral("/no/such"), QStringLiteral("/x"));
    QVERIFY(!missing.buildFileList(QStringLiteral("/no/such"), m_tmp.path() + QStringLiteral("/x")));
    QCOMPARE(prompter.last().title, title);
    QCOMPARE(prompter.last().text, QStringLiteral("Specified directory does not exist:\n\n/no/suchFiles will not be synced"));

    for (const QString &badList : {m_tmp.path() + QStringLiteral("/no/list.txt"), root + QStringLiteral("/Beta")}) {
        QVERIFY(!missing.buildFileList(root, badList));
        QCOMPARE(prompter.last().title, title);
        QCOMPARE(prompter.last().text, QStringLiteral("Error creating temporary file:\n\n") + badList
                                           + QStringLiteral("Files will not be synced"));
    }

    // A file gone while the walk runs: warned about, left out, the list still written.
    prompter.clear();
    prompter.answerDialog([&](QDialog *d) {
        auto *bar = d->findChild<QProgressBar *>(QStringLiteral("progressBar"));
        auto *label = d->findChild<QLabel *>(QStringLiteral("lblDir"));
        connect(bar, &QProgressBar::valueChanged, d, [=] {
            if (label->text() == root + QStringLiteral("/Beta"))
                QFile::remove(root + QStringLiteral("/Beta/z.txt"));
        });
        return d->exec();
    });
    const QString list = m_tmp.path() + QStringLiteral("/l.txt");
    QVERIFY(DlgGetFileList::writeList(nullptr, root, list));
    QCOMPARE(prompter.texts(QStringLiteral("warning")),
             QStringList(QStringLiteral("Error opening file: \n\n") + root
                         + QStringLiteral("/Beta/z.txt\n\nThis file will not be synced to selected devices")));
    QVERIFY(!readFile(list).contains("z.txt"));
    QVERIFY(readFile(list).contains("deep.bin"));

    // A list cut short by a full disk is no list to sync to.
    const QString cut = m_tmp.path() + QStringLiteral("/cut.txt");
    bool written = true;
    {
        NoWriteRoom full;
        written = missing.buildFileList(root, cut);
    }
    QVERIFY(!written);
    QCOMPARE(prompter.last().text, QStringLiteral("Error writing temporary file:\n\n") + cut
                                       + QStringLiteral("\n\nFiles will not be synced"));
}

// A content folder may be written by others: a name the list cannot carry
// adds no lines of its own to the warning that leaves it out.
void TestSyncFileList::leftOutFileNamedOnOneLine()
{
    ScriptedPrompter prompter;
    SyncFileListWarner(nullptr).unreadableFile(QStringLiteral("/c/a\n\nIt is safe.\u2028png"));
    QCOMPARE(prompter.last().text, QStringLiteral("Error opening file: \n\n/c/a  It is safe. png\n\n"
                                                  "This file will not be synced to selected devices"));
}

void TestSyncFileList::outputDialog()
{
    ScriptedPrompter prompter;
    QString d1 = QStringLiteral("/one"), d2, d3 = QStringLiteral("/three");
    DlgDsiSync dialog(nullptr, &d1, &d2, &d3);
    auto edit = [&](int n) { return dialog.findChild<QLineEdit *>(QStringLiteral("tbxOp%1ContDir").arg(n)); };
    auto box = [&](int n) { return dialog.findChild<QCheckBox *>(QStringLiteral("chbxOp%1SyncNow").arg(n)); };
    QCOMPARE(edit(1)->text(), d1);
    QCOMPARE(edit(3)->text(), d3);
    QVERIFY(box(1)->isChecked() && box(2)->isChecked() && box(3)->isChecked());

    // A checked output without a directory keeps the dialog open.
    QSignalSpy finished(&dialog, &QDialog::finished);
    dialog.accept();
    QCOMPARE(finished.count(), 0);
    QCOMPARE(prompter.trail(),
             QStringList{"warning Cannot sync Output-2 content: \nYou must specify a directory for Output-2 content"});

    // Browse: a chosen directory replaces the text, a cancelled chooser keeps it.
    prompter.answerText(QStringLiteral("/chosen"));
    dialog.findChild<QPushButton *>(QStringLiteral("btnOp2Browse"))->click();
    QCOMPARE(prompter.last().title, QStringLiteral("Select digital content directory"));
    QCOMPARE(prompter.last().options, QFileDialog::ShowDirsOnly | QFileDialog::DontResolveSymlinks);
    QCOMPARE(edit(2)->text(), QStringLiteral("/chosen"));
    prompter.answerText(QString());
    dialog.findChild<QPushButton *>(QStringLiteral("btnOp2Browse"))->click();
    QCOMPARE(edit(2)->text(), QStringLiteral("/chosen"));

    // The last output is checked as well as the first two.
    edit(3)->clear();
    dialog.accept();
    QCOMPARE(finished.count(), 0);
    QCOMPARE(prompter.last().text, QStringLiteral("\nYou must specify a directory for Output-3 content"));

    // A cleared output may be empty; its text is still handed back.
    box(3)->setChecked(false);
    dialog.accept();
    QCOMPARE(finished.count(), 1);
    QCOMPARE(dialog.result(), 1);
    QCOMPARE(d1, QStringLiteral("/one"));
    QCOMPARE(d2, QStringLiteral("/chosen"));
    QCOMPARE(d3, QString());
    QVERIFY(dialog.sync1 && dialog.sync2 && !dialog.sync3);
    QVERIFY(prompter.unexpected.isEmpty());
}

// Fills the output dialog: directories, then which outputs to sync.
static ScriptedPrompter::DialogHandler fillOutputs(const QStringList &dirs, const QList<bool> &sync)
{
    return [=](QDialog *d) {
        for (int n = 1; n <= 3; ++n) {
            d->findChild<QLineEdit *>(QStringLiteral("tbxOp%1ContDir").arg(n))->setText(dirs.at(n - 1));
            d->findChild<QCheckBox *>(QStringLiteral("chbxOp%1SyncNow").arg(n))->setChecked(sync.at(n - 1));
        }
        d->accept();
        return d->result();
    };
}

void TestSyncFileList::commandSendsBlocksAndStoresSettings()
{
    const QString root = makeTree();
    const QString temp = m_tmp.path() + QStringLiteral("/temp");
    QDir().mkpath(temp);
    QSettings settings(QStringLiteral("Halvard"), QStringLiteral("korvane_server"));
    settings.setValue(QStringLiteral("tempDir"), temp);
    settings.setValue(QStringLiteral("signageContentDir2"), QStringLiteral("/was"));

    ScriptedPrompter prompter;
    const QString other = root + QStringLiteral("/alpha");
    prompter.answerDialog([&](QDialog *d) {
        // Stored values are shown at start; a missing key shows empty.
        if (d->findChild<QLineEdit *>(QStringLiteral("tbxOp2ContDir"))->text() != QLatin1String("/was")
            || !d->findChild<QLineEdit *>(QStringLiteral("tbxOp1ContDir"))->text().isEmpty())
            return 0;
        return fillOutputs({root, QStringLiteral("/not/synced"), other}, {true, false, true})(d);
    });
    prompter.answerDialog([](QDialog *d) { return d->exec(); });
    prompter.answerDialog([](QDialog *d) { return d->exec(); });
    Department department(1, 1);
    QVERIFY(SignageSync::run(nullptr, &settings, &department.devices));
    QVERIFY(prompter.unexpected.isEmpty());

    QCOMPARE(settings.value(QStringLiteral("signageContentDir1")).toString(), root);
    QCOMPARE(settings.value(QStringLiteral("signageContentDir2")).toString(), QStringLiteral("/not/synced"));
    QCOMPARE(settings.value(QStringLiteral("signageContentDir3")).toString(), other);

    const QString list1 = temp + QStringLiteral("/dsi_file_list_op1.txt");
    const QString list3 = temp + QStringLiteral("/dsi_file_list_op3.txt");
    QCOMPARE(readFile(list1), expectedTree());
    QCOMPARE(readFile(list3), QByteArray());
    QVERIFY(!QFile::exists(temp + QStringLiteral("/dsi_file_list_op2.txt")));

    SignagePackets::SyncOutputs outputs;
    outputs[0] = {true, root, list1};
    outputs[2] = {true, other, list3};
    QCOMPARE(department.frames(), QList<QByteArray>{SignagePackets::syncSignageDir(outputs)});
}

void TestSyncFileList::commandCancelOnSecondOutput()
{
    const QString root = makeTree();
    const QString temp = m_tmp.path();
    QSettings settings(QStringLiteral("Halvard"), QStringLiteral("korvane_server"));
    settings.setValue(QStringLiteral("tempDir"), temp);

    ScriptedPrompter prompter;
    prompter.answerDialog(fillOutputs({root, root, root}, {true, true, true}));
    prompter.answerDialog([](QDialog *d) { return d->exec(); });
    prompter.answerDialog([](QDialog *d) {
        d->reject();   // Cancel before the walk starts
        return d->result();
    });
    Department department(2);
    QVERIFY(!SignageSync::run(nullptr, &settings, &department.devices));
    QVERIFY(department.frames().isEmpty());
    QCOMPARE(prompter.calls.size(), 3);   // the third output's list is never started
    QCOMPARE(readFile(temp + QStringLiteral("/dsi_file_list_op1.txt")), expectedTree());
    QVERIFY(!QFile::exists(temp + QStringLiteral("/dsi_file_list_op2.txt")));
    QCOMPARE(settings.value(QStringLiteral("signageContentDir3")).toString(), root);
}

void TestSyncFileList::commandRefusals()
{
    QSettings settings(QStringLiteral("Halvard"), QStringLiteral("korvane_server"));
    settings.setValue(QStringLiteral("tempDir"), m_tmp.path());
    ScriptedPrompter prompter;
    Department none(0, 2);
    QVERIFY(!SignageSync::run(nullptr, &settings, &none.devices));
    QVERIFY(!SignageSync::run(nullptr, &settings, nullptr));
    QCOMPARE(prompter.trail(), QStringList(2, QStringLiteral("information Sync directory to device(s): \nCannot sync "
                                                             "directory to device(s). No device(s) selected!")));

    // A cancelled output dialog stores nothing.
    prompter.clear();
    prompter.answerDialog([](QDialog *d) {
        d->findChild<QLineEdit *>(QStringLiteral("tbxOp1ContDir"))->setText(QStringLiteral("/typed"));
        d->reject();
        return d->result();
    });
    Department department(1);
    QVERIFY(!SignageSync::run(nullptr, &settings, &department.devices));
    QVERIFY(!settings.contains(QStringLiteral("signageContentDir1")));

    // Directories too long for the devices' command buffer: refused before any walk.
    prompter.clear();
    const QString longDir = m_tmp.path() + QLatin1Char('/') + QString(2100, QLatin1Char('d'));
    prompter.answerDialog(fillOutputs({longDir, longDir, QString()}, {true, true, false}));
    QVERIFY(!SignageSync::run(nullptr, &settings, &department.devices));
    QCOMPARE(prompter.calls.size(), 2);
    QCOMPARE(prompter.last().kind, QStringLiteral("warning"));
    QCOMPARE(prompter.last().text,
             QStringLiteral("\nCannot sync directory to device(s). The directory names are too long!"));

    // A directory Latin-1 cannot name: the devices could not fetch from it.
    prompter.clear();
    const QString unreadable = m_tmp.path() + QString::fromUtf8("/\u0414\u043e\u043a");
    prompter.answerDialog(fillOutputs({unreadable, QString(), QString()}, {true, false, false}));
    QVERIFY(!SignageSync::run(nullptr, &settings, &department.devices));
    QCOMPARE(prompter.calls.size(), 2);
    QCOMPARE(prompter.last().text, QStringLiteral("\nCannot sync directory to device(s). The directory names hold "
                                                  "characters that devices cannot read!"));
    QVERIFY(department.frames().isEmpty());
    QVERIFY(prompter.unexpected.isEmpty());
}

QTEST_MAIN(TestSyncFileList)
#include "tst_syncfilelist.moc"
