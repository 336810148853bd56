// The preferences dialog: validation, keys, directories, closing rules and the column page.
#include "mainwindow/dlgsettings.h"
#include "childwidget.h"
#include "scriptedprompter.h"
#include "nowriteroom.h"
#include "testfiles.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <memory>
#include <optional>

#include <sys/stat.h>
#include <unistd.h>

namespace {

// Records where the directory chooser starts, which the shared prompter does not keep.
class BrowsePrompter : public ScriptedPrompter
{
public:
    QStringList startDirs;
    QString existingDirectory(QWidget *parent, const QString &caption, const QString &dir,
                              QFileDialog::Options options = QFileDialog::ShowDirsOnly) override
    {
        startDirs << dir;
        return ScriptedPrompter::existingDirectory(parent, caption, dir, options);
    }
};

void setFields(DlgSettings &dlg, const QString &dir, const QString &ssl, const QString &udp, const QString &freq)
{
    child<QLineEdit>(&dlg, "tbxTempDir")->setText(dir);
    child<QLineEdit>(&dlg, "tbxSSLPort")->setText(ssl);
    child<QLineEdit>(&dlg, "tbxUDPBroadcastPort")->setText(udp);
    child<QLineEdit>(&dlg, "tbxBroadcastFrequency")->setText(freq);
}

void save(DlgSettings &dlg)
{
    child<QPushButton>(&dlg, "btnSaveSettings")->click();
}

// Saves with valid entries and a working directory that exists.
void saveValid(DlgSettings &dlg, const QTemporaryDir &dir)
{
    setFields(dlg, dir.path(), "5808", "7909", "5");
    save(dlg);
}

const char *const dataDirNames[] = {"firmware", "korvaneclient", "hotfix", "temp", "profiles"};

// The list's column indexes, top to bottom.
QList<int> listOrder(DlgSettings &dlg)
{
    QListWidget *list = child<QListWidget>(&dlg, "listWidget");
    QList<int> order;
    for (int row = 0; row < list->count(); ++row)
        for (int i = 0; i < Columns::Count; ++i)
            if (dlg.columnItems[i] == list->item(row))
                order << i;
    return order;
}

// Position keys in table order, then the fifteen header texts.
QString layout(QSettings &s)
{
    QStringList parts;
    for (const ColumnDef &c : Columns::table)
        parts << s.value(QLatin1String(c.key)).toString();
    for (int i = 0; i < Columns::Count; ++i)
        parts << s.value(Columns::textKey(i)).toString();
    return parts.join(QLatin1Char('|'));
}

} // namespace

class TestDlgSettings : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void firstRun();
    void firstRunRefusesLinkedDefault_data();
    void firstRunRefusesLinkedDefault();
    void showsStoredValues();
    void validation_data();
    void validation();
    void createsOnlyMissingDirectories();
    void directoryCreationFails_data();
    void directoryCreationFails();
    void rejectKeepsOpen();
    void enterSaves_data();
    void enterSaves();
    void storeNotWritten_data();
    void storeNotWritten();
    void runWizardChoice_data();
    void runWizardChoice();
    void autoUpdate_data();
    void autoUpdate();
    void browse();
    void columns_data();
    void columns();

private:
    QSettings settings{QStringLiteral("Halvard"), QStringLiteral("korvane_server")};
};

void TestDlgSettings::init()
{
    settings.clear();
    Columns::initDefaults(&settings);
}

void TestDlgSettings::firstRun()
{
    ScriptedPrompter p;
    QTimer timer;
    timer.start(60000);
    const QString dir = QDir::tempPath() + QStringLiteral("/korvane");
    QDir(dir).removeRecursively();

    DlgSettings dlg(nullptr, &settings, &timer, true);
    dlg.show();
    QVERIFY(QDir(dir).exists());
    // The shared temporary folder is every user's to look into.
    QCOMPARE(QFileInfo(dir).permissions() & (QFile::ReadGroup | QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther),
             QFile::Permissions());
    const QString defaults = layout(settings);

    save(dlg);
    QCOMPARE(p.calls.size(), 0);
    QCOMPARE(dlg.result(), int(QDialog::Accepted));
    QVERIFY(!timer.isActive());

    const struct { const char *key; QString value; } dirs[] = {
        {"zorWorkingDir", dir},
        {"firmwareImageDir", dir + "/firmware"},
        {"appImageDir", dir + "/korvaneclient"},
        {"hotfixDir", dir + "/hotfix"},
        {"tempDir", dir + "/temp"},
        {"profileDir", dir + "/profiles"},
    };
    for (const auto &d : dirs) {
        const QVariant v = settings.value(QLatin1String(d.key));
        QCOMPARE(v.typeId(), int(QMetaType::QString));
        QCOMPARE(v.toString(), d.value);
        QVERIFY2(QDir(d.value).exists(), d.key);
    }
    const struct { const char *key; int value; } numbers[] = {{"SSLPort", 5808}, {"UDPPort", 7909}, {"UDPFrequency", 5}};
    for (const auto &n : numbers) {
        const QVariant v = settings.value(QLatin1String(n.key));
        QCOMPARE(v.typeId(), int(QMetaType::Int));
        QCOMPARE(v.toInt(), n.value);
    }
    QCOMPARE(settings.value("autoUpdate").toString(), QStringLiteral("disabled"));
    QCOMPARE(layout(settings), defaults);
}

void TestDlgSettings::firstRunRefusesLinkedDefault_data()
{
    QTest::addColumn<QString>("found");   // what stands at the default name
    QTest::newRow("link") << "link";
    QTest::newRow("another user's folder") << "foreign";
    // The system then has no temporary folder to name: the default would
    // be a folder at the root.
    QTest::newRow("temporary folder gone") << "no temp";
    // The next start would refuse a working directory there, and open the
    // preferences again, at every start.
    QTest::newRow("temporary folder in another user's") << "in foreign";
}

void TestDlgSettings::firstRunRefusesLinkedDefault()
{
    // In a shared temporary folder the default name is anybody's to take: a
    // link or a folder made there by someone else would receive every file
    // of the console.
    QFETCH(QString, found);
    ScriptedPrompter p;
    QTimer timer;
    const QString dir = QDir::tempPath() + QStringLiteral("/korvane");
    QDir(dir).removeRecursively();
    QTemporaryDir elsewhere;
    const QByteArray tmpdir = qgetenv("TMPDIR");
    const bool atRoot = QFileInfo::exists(QStringLiteral("/korvane"));
    const auto remove = qScopeGuard([&] {
        qputenv("TMPDIR", tmpdir);
        QFile::remove(dir);
        QDir().rmdir(dir);
        if (!atRoot)
            QDir().rmdir(QStringLiteral("/korvane"));
    });
    if (found == QLatin1String("link")) {
        QVERIFY(QFile::link(elsewhere.path(), dir));
    } else if (found == QLatin1String("foreign")) {
        QVERIFY(QDir().mkdir(dir));
        if (::chown(QFile::encodeName(dir).constData(), ::geteuid() + 1, ::getegid()) != 0)
            QSKIP("a folder of another user needs the right to give it away");
    } else if (found == QLatin1String("in foreign")) {
        const QString theirs = elsewhere.path() + QStringLiteral("/theirs");
        QVERIFY(QDir().mkdir(theirs));
        for (const QString &shared : {elsewhere.path(), theirs})
            QVERIFY(::chmod(QFile::encodeName(shared).constData(), 01777) == 0);
        if (::chown(QFile::encodeName(theirs).constData(), ::geteuid() + 1, ::getegid()) != 0)
            QSKIP("a folder of another user needs the right to give it away");
        qputenv("TMPDIR", QFile::encodeName(theirs));
    } else {
        qputenv("TMPDIR", QFile::encodeName(elsewhere.path() + QStringLiteral("/gone")));
    }

    DlgSettings dlg(nullptr, &settings, &timer, true);
    QCOMPARE(child<QLineEdit>(&dlg, "tbxTempDir")->text(), QString());
    if (found == QLatin1String("in foreign"))   // nor left made there
        QVERIFY(!QFileInfo::exists(QDir::tempPath() + QStringLiteral("/korvane")));
    QVERIFY(p.calls.isEmpty());
    QCOMPARE(QFileInfo::exists(QStringLiteral("/korvane")), atRoot);
}

void TestDlgSettings::showsStoredValues()
{
    settings.setValue("zorWorkingDir", "/srv/korvane");
    settings.setValue("SSLPort", 6000);
    settings.setValue("UDPPort", "7000");
    settings.setValue("UDPFrequency", 30);
    DlgSettings dlg(nullptr, &settings, nullptr, false);
    QCOMPARE(child<QLineEdit>(&dlg, "tbxTempDir")->text(), QStringLiteral("/srv/korvane"));
    QCOMPARE(child<QLineEdit>(&dlg, "tbxSSLPort")->text(), QStringLiteral("6000"));
    QCOMPARE(child<QLineEdit>(&dlg, "tbxUDPBroadcastPort")->text(), QStringLiteral("7000"));
    QCOMPARE(child<QLineEdit>(&dlg, "tbxBroadcastFrequency")->text(), QStringLiteral("30"));
}

void TestDlgSettings::validation_data()
{
    QTest::addColumn<QString>("dir");    // "@" stands for an existing directory, "@missing" for one that is not there
    QTest::addColumn<QString>("ssl");
    QTest::addColumn<QString>("udp");
    QTest::addColumn<QString>("freq");
    QTest::addColumn<QString>("kind");   // empty: saved
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("text");

    const QString info = QStringLiteral("information");
    const QString iv = QStringLiteral("Input Validation");
    const QString noDir = QStringLiteral("You must specify a directory where Korvane can store temporary files");
    const QString noSsl = QStringLiteral("You must enter a value for SSL port number");
    const QString noUdp = QStringLiteral("You must enter a value for UDP port number");
    const QString noFreq = QStringLiteral("You must enter a value for UDP broadcast frequency");
    const QString badSsl = QStringLiteral("You must enter an SSL port number from 1 to 65535");
    const QString badUdp = QStringLiteral("You must enter a UDP port number from 1 to 65535");
    const QString badFreq = QStringLiteral("You must enter a UDP broadcast frequency from 1 to 86400 seconds");

    QTest::newRow("dir empty") << "" << "5808" << "7909" << "5" << info << iv << noDir;
    QTest::newRow("ssl empty") << "@" << "" << "7909" << "5" << info << iv << noSsl;
    QTest::newRow("udp empty") << "@" << "5808" << "" << "5" << info << iv << noUdp;
    QTest::newRow("freq empty") << "@" << "5808" << "7909" << "" << info << iv << noFreq;
    QTest::newRow("emptiness before numbers") << "@" << "abc" << "" << "5" << info << iv << noUdp;
    QTest::newRow("ssl text") << "@" << "abc" << "7909" << "5" << info << iv << badSsl;
    QTest::newRow("ssl zero") << "@" << "0" << "7909" << "5" << info << iv << badSsl;
    QTest::newRow("ssl too big") << "@" << "65536" << "7909" << "5" << info << iv << badSsl;
    QTest::newRow("ssl before udp") << "@" << "0" << "0" << "0" << info << iv << badSsl;
    QTest::newRow("udp zero") << "@" << "5808" << "0" << "5" << info << iv << badUdp;
    QTest::newRow("udp too big") << "@" << "5808" << "99999" << "5" << info << iv << badUdp;
    QTest::newRow("freq zero") << "@" << "5808" << "7909" << "0" << info << iv << badFreq;
    QTest::newRow("freq over a day") << "@" << "5808" << "7909" << "86401" << info << iv << badFreq;
    QTest::newRow("numbers before directory") << "@missing" << "abc" << "7909" << "5" << info << iv << badSsl;
    QTest::newRow("missing directory") << "@missing" << "5808" << "7909" << "5" << "warning"
                                       << "Directory not found"
                                       << "Korvane temp directory\n\n@missing\n\ndoes not exist!";
    // One every user may write into is refused as the next start would.
    QTest::newRow("shared directory") << "@shared" << "5808" << "7909" << "5" << "warning" << iv
                                      << "Korvane temp directory\n\n@shared\n\nis open to other users. "
                                         "Choose a directory of your own.";
    QTest::newRow("lowest values") << "@" << "1" << "1" << "1" << "" << "" << "";
    QTest::newRow("highest values") << "@" << "65535" << "65535" << "86400" << "" << "" << "";
}

void TestDlgSettings::validation()
{
    QFETCH(QString, dir);
    QFETCH(QString, ssl);
    QFETCH(QString, udp);
    QFETCH(QString, freq);
    QFETCH(QString, kind);
    QFETCH(QString, title);
    QFETCH(QString, text);

    QTemporaryDir tmp;
    QVERIFY(tmp.isValid());
    const QString missing = tmp.path() + QStringLiteral("/absent");
    if (dir == QLatin1String("@shared")) {
        QVERIFY(::chmod(QFile::encodeName(tmp.path()).constData(), 01777) == 0);
        dir = tmp.path();
        text.replace(QStringLiteral("@shared"), tmp.path());
    }
    dir.replace(QStringLiteral("@missing"), missing);
    dir.replace(QStringLiteral("@"), tmp.path());
    text.replace(QStringLiteral("@missing"), missing);

    ScriptedPrompter p;
    DlgSettings dlg(nullptr, &settings, nullptr, false);
    dlg.show();
    setFields(dlg, dir, ssl, udp, freq);
    const QStringList keysBefore = settings.allKeys();
    save(dlg);

    if (kind.isEmpty()) {
        QCOMPARE(p.calls.size(), 0);
        QVERIFY(!dlg.isVisible());
        QCOMPARE(settings.value("SSLPort").toInt(), ssl.toInt());
        QCOMPARE(settings.value("UDPPort").toInt(), udp.toInt());
        QCOMPARE(settings.value("UDPFrequency").toInt(), freq.toInt());
        return;
    }
    QCOMPARE(p.calls.size(), 1);
    QCOMPARE(p.calls[0].kind, kind);
    QCOMPARE(p.calls[0].title, title);
    QCOMPARE(p.calls[0].text, text);
    QCOMPARE(p.calls[0].buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    QVERIFY(dlg.isVisible());
    QCOMPARE(settings.allKeys(), keysBefore);
    QCOMPARE(QDir(tmp.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList());
}

void TestDlgSettings::createsOnlyMissingDirectories()
{
    QTemporaryDir tmp;
    QVERIFY(QDir(tmp.path()).mkdir("firmware"));
    QVERIFY(QDir(tmp.path()).mkdir("temp"));
    QFile marker(tmp.path() + "/firmware/image.bin");
    QVERIFY(marker.open(QIODevice::WriteOnly));
    marker.close();

    ScriptedPrompter p;
    DlgSettings dlg(nullptr, &settings, nullptr, false);
    saveValid(dlg, tmp);
    QCOMPARE(p.calls.size(), 0);
    for (const char *name : dataDirNames)
        QVERIFY2(QDir(tmp.path()).exists(name), name);
    QVERIFY(marker.exists());
}

void TestDlgSettings::directoryCreationFails_data()
{
    QTest::addColumn<bool>("link");
    // Neither is a directory, yet nothing can be created under its name.
    QTest::newRow("dangling link") << true;
    QTest::newRow("plain file") << false;
}

void TestDlgSettings::directoryCreationFails()
{
    QFETCH(bool, link);
    QTemporaryDir tmp;
    if (link)
        QVERIFY(QFile::link(tmp.path() + "/nowhere/at/all", tmp.path() + "/hotfix"));
    else
        QVERIFY(TestFiles::write(tmp.path() + "/hotfix", "not a folder"));

    ScriptedPrompter p;
    DlgSettings dlg(nullptr, &settings, nullptr, false);
    dlg.show();
    setFields(dlg, tmp.path(), "5808", "7909", "5");
    const QStringList keysBefore = settings.allKeys();
    save(dlg);

    QCOMPARE(p.calls.size(), 1);
    QCOMPARE(p.calls[0].kind, QStringLiteral("warning"));
    QCOMPARE(p.calls[0].title, QStringLiteral("Creating directory"));
    QCOMPARE(p.calls[0].text, "Unable to create directory\n\n" + tmp.path() + "/hotfix");
    QVERIFY(dlg.isVisible());
    QVERIFY(QDir(tmp.path()).exists("firmware"));
    QVERIFY(QDir(tmp.path()).exists("korvaneclient"));
    QVERIFY(!QDir(tmp.path()).exists("temp"));
    QVERIFY(!QDir(tmp.path()).exists("profiles"));
    QCOMPARE(settings.allKeys(), keysBefore);
}

void TestDlgSettings::rejectKeepsOpen()
{
    ScriptedPrompter p;
    DlgSettings dlg(nullptr, &settings, nullptr, false);
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    QTest::keyClick(&dlg, Qt::Key_Escape);
    QVERIFY(dlg.isVisible());
    dlg.close();
    QVERIFY(dlg.isVisible());
    dlg.reject();
    QVERIFY(dlg.isVisible());

    QCOMPARE(p.texts(QStringLiteral("warning")),
             QStringList(3, QStringLiteral("\nClick on 'Save settings' to close this dialog box")));
    QVERIFY(!settings.contains("zorWorkingDir"));
}

// Enter in a field, or on the dialog as it opens, runs the save with its
// checks; it never opens the directory chooser.
void TestDlgSettings::enterSaves_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("refusal");
    QTest::newRow("ssl port") << "tbxSSLPort" << "5808" << QString();
    QTest::newRow("udp port out of range") << "tbxUDPBroadcastPort" << "0"
                                           << "You must enter a UDP port number from 1 to 65535";
    QTest::newRow("frequency") << "tbxBroadcastFrequency" << "5" << QString();
    QTest::newRow("as it opens") << QString() << QString() << QString();
}

void TestDlgSettings::enterSaves()
{
    QFETCH(QString, field);
    QFETCH(QString, value);
    QFETCH(QString, refusal);
    ScriptedPrompter p;
    p.setAutoOk(true);
    QTemporaryDir tmp;
    DlgSettings dlg(nullptr, &settings, nullptr, false);
    setFields(dlg, tmp.path(), "5808", "7909", "5");
    QWidget *target = nullptr;
    if (!field.isEmpty())
        child<QLineEdit>(&dlg, qPrintable(field))->setText(value);
    dlg.show();
    QVERIFY(QTest::qWaitForWindowActive(&dlg));
    if (field.isEmpty()) {
        QTRY_VERIFY(target = QApplication::focusWidget());
    } else {
        target = child<QLineEdit>(&dlg, qPrintable(field));
        target->setFocus();
        QTRY_VERIFY(target->hasFocus());
    }
    QTest::keyClick(target, Qt::Key_Return);

    QCOMPARE(p.texts(), refusal.isEmpty() ? QStringList() : QStringList(refusal));
    QCOMPARE(dlg.isVisible(), !refusal.isEmpty());
    QCOMPARE(settings.contains("zorWorkingDir"), refusal.isEmpty());
}

void TestDlgSettings::storeNotWritten_data()
{
    QTest::addColumn<bool>("folderTaken");   // a file stands where the store's folder goes
    QTest::addColumn<bool>("fullBefore");    // a write before the dialog found the disk full
    QTest::addColumn<bool>("fullAtSave");
    QTest::newRow("folder taken by a file") << true << false << false;
    QTest::newRow("disk full") << false << false << true;
    QTest::newRow("disk full since the start") << false << true << true;
    QTest::newRow("disk freed since the start") << false << true << false;
}

void TestDlgSettings::storeNotWritten()
{
    // Saved into a store that cannot be written, the preferences last only
    // until the console closes, and every start is a first run again: the
    // administrator is told, and the console still goes on with them.
    QFETCH(bool, folderTaken);
    QFETCH(bool, fullBefore);
    QFETCH(bool, fullAtSave);
    QTemporaryDir tmp;
    QSettings store(QStringLiteral("Halvard"), QStringLiteral("korvane_server"));
    const QString folder = QFileInfo(store.fileName()).absolutePath();
    QVERIFY(QDir(folder).removeRecursively());
    if (folderTaken)
        QVERIFY(TestFiles::write(folder, "not a folder"));
    const auto restore = qScopeGuard([&folder] { QFile::remove(folder); });

    std::optional<NoWriteRoom> full;
    if (fullBefore) {
        // What the window sets at its start, written by the store itself.
        full.emplace();
        store.setValue(QStringLiteral("platform"), QStringLiteral("windows"));
        QTRY_COMPARE(store.status(), QSettings::AccessError);
        full.reset();
    }
    ScriptedPrompter p;
    DlgSettings dlg(nullptr, &store, nullptr, true);
    dlg.show();
    if (fullAtSave)
        full.emplace();
    saveValid(dlg, tmp);
    full.reset();

    const QString warning = "\nKorvane could not save its settings to\n\n" + store.fileName()
                            + "\n\nThey apply only until Korvane closes: the next start finds the file as it was.";
    QCOMPARE(p.texts(QStringLiteral("warning")), fullAtSave || folderTaken ? QStringList(warning) : QStringList());
    QVERIFY(!dlg.isVisible());
    QCOMPARE(store.value("zorWorkingDir").toString(), tmp.path());
}

void TestDlgSettings::runWizardChoice_data()
{
    QTest::addColumn<bool>("show");
    QTest::addColumn<bool>("tick");
    QTest::addColumn<bool>("expected");
    QTest::newRow("first run, ticked") << true << true << true;
    QTest::newRow("first run, not ticked") << true << false << false;
    QTest::newRow("from the menu") << false << false << false;
}

void TestDlgSettings::runWizardChoice()
{
    QFETCH(bool, show);
    QFETCH(bool, tick);
    QFETCH(bool, expected);
    QTemporaryDir tmp;
    ScriptedPrompter p;
    DlgSettings dlg(nullptr, &settings, nullptr, show);
    QCOMPARE(child<QCheckBox>(&dlg, "chbxRunWizard")->isHidden(), !show);
    child<QCheckBox>(&dlg, "chbxRunWizard")->setChecked(tick);
    QVERIFY(!dlg.runWizard());
    saveValid(dlg, tmp);
    QCOMPARE(p.calls.size(), 0);
    QCOMPARE(dlg.runWizard(), expected);
}

void TestDlgSettings::autoUpdate_data()
{
    QTest::addColumn<QVariant>("stored");
    QTest::addColumn<bool>("checked");
    QTest::newRow("absent") << QVariant() << false;
    QTest::newRow("enabled") << QVariant("enabled") << true;
    QTest::newRow("letter case differs") << QVariant("Enabled") << false;
    QTest::newRow("disabled") << QVariant("disabled") << false;
}

void TestDlgSettings::autoUpdate()
{
    QFETCH(QVariant, stored);
    QFETCH(bool, checked);
    if (stored.isValid())
        settings.setValue("autoUpdate", stored);
    QTemporaryDir tmp;
    QTimer timer;
    timer.start(3600000);
    ScriptedPrompter p;
    DlgSettings dlg(nullptr, &settings, &timer, false);
    QCOMPARE(child<QCheckBox>(&dlg, "chbxAutoUpdate")->isChecked(), checked);
    saveValid(dlg, tmp);
    QCOMPARE(settings.value("autoUpdate").toString(), QString(checked ? "enabled" : "disabled"));
    QCOMPARE(timer.isActive(), checked);
    if (checked)
        QCOMPARE(timer.interval(), 1000);
}

void TestDlgSettings::browse()
{
    settings.setValue("zorWorkingDir", "");
    BrowsePrompter p;
    DlgSettings dlg(nullptr, &settings, nullptr, false);
    QLineEdit *field = child<QLineEdit>(&dlg, "tbxTempDir");
    QVERIFY(!field->isEnabled());
    QVERIFY(field->isReadOnly());

    p.answerText("/data/korvane");
    child<QPushButton>(&dlg, "btnBrowseTemp")->click();
    QCOMPARE(field->text(), QStringLiteral("/data/korvane"));
    p.answerText(QString());
    child<QPushButton>(&dlg, "btnBrowseTemp")->click();
    QCOMPARE(field->text(), QStringLiteral("/data/korvane"));

    QCOMPARE(p.startDirs, QStringList({"/", "/data/korvane"}));
    QVERIFY(p.unexpected.isEmpty());
    QVERIFY(!settings.value("zorWorkingDir").toString().size());
}

void TestDlgSettings::columns_data()
{
    // Stored positions in table order ("-" for a missing key; none: the
    // defaults), what the administrator does in the list ("14>0+": column 14
    // to row 0, ticked; "$" the last row; "*-" untick all, "*+" tick all;
    // "3~": column 3 dropped just below where it started, which Qt does by
    // copying the row through its drag data and removing the original),
    // and the list order: on opening when nothing is done, else on reopening.
    QTest::addColumn<QString>("positions");
    QTest::addColumn<QString>("moves");
    QTest::addColumn<QList<int>>("order");
    auto row = [](const char *name, const char *stored, const char *moves, QList<int> order) {
        QTest::newRow(name) << QString::fromLatin1(stored) << QString::fromLatin1(moves) << order;
    };
    const QList<int> tableOrder{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14};
    row("defaults unchanged", "", "", tableOrder);
    row("reordered", "", "14>0+", {14, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13});
    row("hidden between shown", "", "8>2 10>$+", {0, 1, 2, 3, 4, 5, 6, 7, 10, 8, 9, 11, 12, 13, 14});
    row("none shown", "", "*-", tableOrder);
    row("all shown", "", "*+", tableOrder);
    row("dropped on its own place", "", "1~", tableOrder);
    row("the one shown, dropped on its own place", "", "*- 8>2+ 8~",
        {8, 0, 1, 2, 3, 4, 5, 6, 7, 9, 10, 11, 12, 13, 14});
    row("out of range", "0 1 15 99 -1 -1 -1 -1 -1 -1 -1 -1 -1 -1 2", "",
        {0, 1, 14, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13});
    row("repeated", "0 0 1 1 2 -1 -1 -1 -1 -1 -1 -1 -1 -1 -1", "",
        {0, 2, 4, 1, 3, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14});
    row("missing keys", "- 1 2 - -1 -1 -1 -1 -1 -1 -1 -1 -1 -1 -1", "", tableOrder);
    row("not a number", "x 5 -1 -1 -1 -1 -1 -1 -1 -1 -1 -1 -1 -1 -7", "", tableOrder);
    row("all missing", "- - - - - - - - - - - - - - -", "", tableOrder);
    row("gaps", "14 -1 7 -1 -1 -1 -1 -1 -1 -1 -1 -1 -1 -1 3", "",
        {14, 2, 0, 1, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13});
}

void TestDlgSettings::columns()
{
    QFETCH(QString, positions);
    QFETCH(QString, moves);
    QFETCH(QList<int>, order);
    const QStringList stored = positions.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    for (int i = 0; i < stored.size(); ++i) {
        const QString key = QLatin1String(Columns::table[i].key);
        if (stored[i] == QLatin1String("-"))
            settings.remove(key);
        else
            settings.setValue(key, stored[i]);
    }

    // Row writers have read the layout before the dialog changes it.
    for (const ColumnDef &c : Columns::table)
        Columns::modelColumn(&settings, c.key);

    QTemporaryDir tmp;
    ScriptedPrompter p;
    QList<int> saved;
    {
        DlgSettings dlg(nullptr, &settings, nullptr, false);
        QListWidget *list = child<QListWidget>(&dlg, "listWidget");
        QCOMPARE(list->count(), Columns::Count);
        if (moves.isEmpty())
            QCOMPARE(listOrder(dlg), order);
        for (const QString &move : moves.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            const bool tick = move.endsWith(QLatin1Char('+'));
            if (move.startsWith(QLatin1Char('*'))) {
                for (QListWidgetItem *item : dlg.columnItems)
                    item->setCheckState(tick ? Qt::Checked : Qt::Unchecked);
                continue;
            }
            if (move.endsWith(QLatin1Char('~'))) {
                QListWidgetItem *original = dlg.columnItems[move.chopped(1).toInt()];
                const int from = list->row(original);
                auto *model = static_cast<QAbstractListModel *>(list->model());
                std::unique_ptr<QMimeData> data(model->mimeData({model->index(from, 0)}));
                // The list's own entry would read the drop position of a drag under way.
                QVERIFY(model->QAbstractListModel::dropMimeData(data.get(), Qt::MoveAction, from + 1, 0, {}));
                QVERIFY(model->removeRow(list->row(original)));
                continue;
            }
            // What an internal drag does: the same item, another row.
            const QStringList parts = move.chopped(tick ? 1 : 0).split(QLatin1Char('>'));
            QListWidgetItem *item = list->takeItem(list->row(dlg.columnItems[parts[0].toInt()]));
            list->insertItem(parts[1] == QLatin1String("$") ? list->count() : parts[1].toInt(), item);
            if (tick)
                item->setCheckState(Qt::Checked);
        }
        saved = listOrder(dlg);
        saveValid(dlg, tmp);

        // The saved layout is gap-free: shown columns 0..n-1 in list order.
        int shown = 0;
        for (int i : saved) {
            const char *key = Columns::table[i].key;
            const bool checked = dlg.columnItems[i]->checkState() == Qt::Checked;
            QCOMPARE(settings.value(QLatin1String(key)).toInt(), checked ? shown : -1);
            QCOMPARE(Columns::modelColumn(&settings, key), checked ? shown + 2 : -1);
            if (checked)
                QCOMPARE(settings.value(Columns::textKey(shown++)).toString(), QLatin1String(Columns::table[i].header));
        }
        for (int i = shown; i < Columns::Count; ++i)
            QCOMPARE(settings.value(Columns::textKey(i)).toString(), QString());
        QCOMPARE(Columns::countFromSettings(&settings), 2 + shown);
    }
    DlgSettings again(nullptr, &settings, nullptr, false);
    QCOMPARE(listOrder(again), order);
}

QTEST_MAIN(TestDlgSettings)
#include "tst_dlgsettings.moc"
