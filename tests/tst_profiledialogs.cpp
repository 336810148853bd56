// The profile editor's enabling rules, loading and OK/Cancel flows, and the
// profile manager's list and buttons, answered through the prompter.
#include "failingrenames.h"
#include "failingwrites.h"
#include "nowriteroom.h"
#include "profiles/core/profile.h"
#include "profiles/dlgprofileeditor.h"
#include "profiles/dlgprofilemanager.h"
#include "scriptedprompter.h"
#include "testfiles.h"

#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QtTest>

#include <optional>

static const char *const settings[] = {"Connector", "Position", "Referent", "Orientation", "Resolution"};
static const QString idle = QStringLiteral("0+ 0- 0- 0- 0-");

template <typename W>
static W *child(QObject *dialog, const QString &name)
{
    W *w = dialog->findChild<W *>(name);
    if (!w)
        qFatal("missing widget %s", qPrintable(name));
    return w;
}

static QComboBox *combo(QDialog *editor, int output, int setting)
{
    return child<QComboBox>(editor, QStringLiteral("dispCmbxOp%1%2").arg(output).arg(QLatin1String(settings[setting])));
}

// Steps as the administrator takes them: "clone", "extend", "static", "dhcp",
// "name=text", "host=text", or a combo and its row ("c1=1": connector of
// output 1; p position, r referent, o orientation, s resolution).
static void act(QDialog *editor, const QStringList &steps)
{
    const QMap<QString, const char *> radios{{"clone", "dispRdbtnClone"}, {"extend", "dispRdbtnRandR"},
                                             {"static", "zorServerRdbtnStatic"}, {"dhcp", "zorServerRdbtnDHCP"}};
    for (const QString &s : steps) {
        if (radios.contains(s))
            child<QRadioButton>(editor, QLatin1String(radios.value(s)))->click();
        else if (s.startsWith(QLatin1String("name=")))
            child<QLineEdit>(editor, QStringLiteral("tbxProfileName"))->setText(s.mid(5));
        else if (s.startsWith(QLatin1String("host=")))
            child<QLineEdit>(editor, QStringLiteral("zorServerTbxHostname"))->setText(s.mid(5));
        else
            combo(editor, s.at(1).digitValue(), QStringLiteral("cpros").indexOf(s.at(0)))->setCurrentIndex(s.mid(3).toInt());
    }
}

// Per output, each combo as its row and "+" (enabled) or "-".
static QStringList outputs(QDialog *editor)
{
    QStringList out;
    for (int n = 1; n <= 3; ++n) {
        QStringList line;
        for (int s = 0; s < 5; ++s)
            line << QString::number(combo(editor, n, s)->currentIndex()) + (combo(editor, n, s)->isEnabled() ? "+" : "-");
        out << line.join(QLatin1Char(' '));
    }
    return out;
}

static void writeProfile(const QString &dir, const QString &name, const QString &host = QString())
{
    Profile p(dir);
    p.name = name;
    p.zorServerHostname = host;
    p.dispOpConnector[0] = QStringLiteral("hdmi");
    p.dispCmbxIndexes[0] = 1;
    QVERIFY(p.save());
}

static QString hostIn(const QString &dir, const QString &fileName)
{
    Profile p(dir);
    return p.load(fileName) ? p.zorServerHostname : QStringLiteral("<unreadable>");
}

static QStringList listed(QDialog *manager)
{
    QStringList out;
    auto *list = child<QListWidget>(manager, QStringLiteral("listWidget"));
    for (int i = 0; i < list->count(); ++i)
        out << list->item(i)->text() + (list->currentRow() == i ? QStringLiteral("*") : QString());
    return out;
}

static void click(QDialog *d, const char *button)
{
    child<QPushButton>(d, QLatin1String(button))->click();
}

// Presses OK: the editor's accept(), as the button box reaches it.
static void pressOk(QDialog *editor)
{
    editor->show();
    editor->accept();
}

class TestProfileDialogs : public QObject
{
    Q_OBJECT
    QTemporaryDir *dir = nullptr;
    QString path(const QString &file) const { return dir->filePath(file); }
    QStringList files() const { return QDir(dir->path()).entryList(QDir::Files); }

private slots:
    void init() { dir = new QTemporaryDir; }
    void cleanup() { delete dir; }

    void enabling_data();
    void enabling();
    void loading_data();
    void loading();
    void createRefusedThenSaved();
    void diskTrouble_data();
    void diskTrouble();
    void renameRefusedThenRetried_data();
    void renameRefusedThenRetried();
    void setDefaults();

    void listing();
    void nothingSelected_data();
    void nothingSelected();
    void deleting();
    void deletingNamesProfileOnOneLine();
    void editorRunsFromTheList();
    void enterInTheListCloses();
};

void TestProfileDialogs::enabling_data()
{
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("new profile") << QStringList() << QStringList{idle, idle, idle};
    QTest::newRow("connector in clone mode") << QStringList{"c1=1"} << QStringList{"1+ 0- 0- 0+ 0+", idle, idle};
    QTest::newRow("extend enables connected positions")
        << QStringList{"c1=1", "extend"} << QStringList{"1+ 0+ 0- 0+ 0+", idle, idle};
    QTest::newRow("position enables referent")
        << QStringList{"extend", "c2=2", "p2=3"} << QStringList{idle, "2+ 3+ 0+ 0+ 0+", idle};
    QTest::newRow("position back to none resets referent")
        << QStringList{"extend", "c1=1", "p1=1", "r1=2", "p1=0"} << QStringList{"1+ 0+ 0- 0+ 0+", idle, idle};
    QTest::newRow("clone resets positions and referents")
        << QStringList{"extend", "c1=1", "p1=2", "r1=1", "c3=4", "p3=1", "r3=1", "clone"}
        << QStringList{"1+ 0- 0- 0+ 0+", idle, "4+ 0- 0- 0+ 0+"};
    QTest::newRow("back to extend leaves positions at none")
        << QStringList{"extend", "c1=1", "p1=2", "r1=1", "clone", "extend"} << QStringList{"1+ 0+ 0- 0+ 0+", idle, idle};
    QTest::newRow("connector none keeps orientation and resolution")
        << QStringList{"extend", "c3=3", "p3=1", "r3=2", "o3=1", "s3=5", "c3=0"} << QStringList{idle, idle, "0+ 0- 0- 1- 5-"};
}

void TestProfileDialogs::enabling()
{
    QFETCH(QStringList, steps);
    Profile p(dir->path());
    DlgProfileEditor editor(nullptr, dir->path(), &p, false);
    act(&editor, steps);
    QTEST(outputs(&editor), "expected");
}

void TestProfileDialogs::loading_data()
{
    QTest::addColumn<QString>("videoMode");
    QTest::addColumn<QList<int>>("rows");
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<QString>("storedMode");
    // connector 1-3, position 1-3, referent 1-3, orientation 1-3, resolution 1-3
    QTest::newRow("extend, output 2 left of output 1")
        << "extendr" << QList<int>{1, 1, 0, 0, 2, 0, 0, 1, 0, 0, 1, 0, 0, 3, 0}
        << QStringList{"1+ 0+ 0- 0+ 0+", "1+ 2+ 1+ 1+ 3+", idle} << "extendr";
    QTest::newRow("clone ignores stored positions")
        << "clone" << QList<int>{1, 0, 0, 2, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0}
        << QStringList{"1+ 0- 0- 0+ 0+", idle, idle} << "clone";
    QTest::newRow("unknown mode opens as extend")
        << "mirror" << QList<int>{0, 0, 5, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}
        << QStringList{idle, idle, "5+ 0+ 0- 0+ 0+"} << "extendr";
    QTest::newRow("rows beyond the lists show row 0")
        << "extendr" << QList<int>{9, 1, 0, -4, 0, 0, 0, 0, 0, 2, 0, 0, 16, 0, 0}
        << QStringList{idle, "1+ 0+ 0- 0+ 0+", idle} << "extendr";
}

// An edit that keeps its name saves over its own file; DHCP keeps the host.
void TestProfileDialogs::loading()
{
    QFETCH(QString, videoMode);
    QFETCH(QList<int>, rows);
    ScriptedPrompter prompter;
    Profile p(dir->path());
    p.name = QStringLiteral("lab");
    p.zorServerUseDHCP = false;
    p.zorServerHostname = QStringLiteral("srv");
    p.dispVideoMode = videoMode;
    for (int i = 0; i < rows.size(); ++i)
        p.dispCmbxIndexes[i] = rows[i];
    QVERIFY(p.save());
    DlgProfileEditor editor(nullptr, dir->path(), &p, true);
    QTEST(outputs(&editor), "expected");
    QVERIFY(child<QLineEdit>(&editor, QStringLiteral("zorServerTbxHostname"))->isEnabled());
    act(&editor, {"dhcp"});
    QVERIFY(!child<QLineEdit>(&editor, QStringLiteral("zorServerTbxPort"))->isEnabled());

    pressOk(&editor);
    QCOMPARE(prompter.texts(), QStringList());
    QCOMPARE(editor.result(), 1);
    Profile back(dir->path());
    QVERIFY(back.load(QStringLiteral("lab.prf")));
    QTEST(back.dispVideoMode, "storedMode");
    QCOMPARE(back.zorServerHostname, QStringLiteral("srv"));
    QVERIFY(back.zorServerUseDHCP);
}

void TestProfileDialogs::createRefusedThenSaved()
{
    ScriptedPrompter prompter;
    Profile p(dir->path());
    DlgProfileEditor editor(nullptr, dir->path(), &p, false);
    // One message per OK, the first failing check's.
    pressOk(&editor);
    act(&editor, {"name= lab "});
    pressOk(&editor);
    QCOMPARE(prompter.texts(), (QStringList{"\nPlease enter a name for this profile!",
                                            "\nIn Display tab, you must configure at least one output connector"}));
    QVERIFY(editor.isVisible());
    QVERIFY(files().isEmpty());
    QCOMPARE(p.name, QString());

    act(&editor, {"c1=2", "static", "host=srv"});
    pressOk(&editor);
    QCOMPARE(prompter.calls.size(), 2);
    QCOMPARE(editor.result(), 1);
    QCOMPARE(files(), QStringList{"lab.prf"});
    QCOMPARE(hostIn(dir->path(), QStringLiteral("lab.prf")), QStringLiteral("srv"));
}

void TestProfileDialogs::diskTrouble_data()
{
    QTest::addColumn<bool>("fileGone");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("verb");
    QTest::addColumn<QStringList>("left");
    // Besides the rename, the step at which the disk fails; with none, it
    // is full.
    QTest::addColumn<int>("failing");
    QTest::newRow("rename fails") << true << "Renaming profile" << "renaming" << QStringList() << -1;
    // The file keeps its new name after a failed save, so the next OK only saves.
    QTest::newRow("save fails after the rename") << false << "Saving profile" << "saving" << QStringList{"b.prf"}
                                                 << -1;
    // A network or USB disk refuses the rename, and tells a lost write only
    // at the close, or only at the sync: no copy takes the new name, and the
    // file keeps its own.
    QTest::newRow("disk fails the rename and the close")
        << false << "Renaming profile" << "renaming" << QStringList{"a.prf"} << int(FailingWrites::Close);
    QTest::newRow("disk fails the rename and the sync")
        << false << "Renaming profile" << "renaming" << QStringList{"a.prf"} << int(FailingWrites::Sync);
}

void TestProfileDialogs::diskTrouble()
{
    QFETCH(bool, fileGone);
    QFETCH(QString, title);
    QFETCH(QString, verb);
    QFETCH(int, failing);
    ScriptedPrompter prompter;
    writeProfile(dir->path(), QStringLiteral("a"), QStringLiteral("old"));
    Profile p(dir->path());
    QVERIFY(p.load(QStringLiteral("a.prf")));
    DlgProfileEditor editor(nullptr, dir->path(), &p, true);
    if (fileGone)
        QVERIFY(QFile::remove(path(QStringLiteral("a.prf"))));
    act(&editor, {"name=b", "static", "host=new"});
    {
        std::optional<NoWriteRoom> full;
        std::optional<FailingRenames> renames;
        std::optional<FailingWrites> disk;
        if (failing < 0) {
            full.emplace();
        } else {
            renames.emplace(dir->path());
            disk.emplace(dir->path(), FailingWrites::Step(failing));
        }
        pressOk(&editor);
    }
    QCOMPARE(prompter.last().title, title);
    QCOMPARE(prompter.last().text, QStringLiteral("\nError %1 profile! Either the disk is full, you have entered some weird "
                                                  "characters in the profile name or you don't have write permission "
                                                  "to the following directory:\n\n").arg(verb) + dir->path());
    QVERIFY(editor.isVisible());
    QTEST(files(), "left");
    if (fileGone || failing >= 0) {
        if (!fileGone)
            QCOMPARE(hostIn(dir->path(), QStringLiteral("a.prf")), QStringLiteral("old"));
        return;
    }
    QCOMPARE(hostIn(dir->path(), QStringLiteral("b.prf")), QStringLiteral("old"));
    pressOk(&editor);
    QCOMPARE(prompter.calls.size(), 1);
    QCOMPARE(editor.result(), 1);
    QCOMPARE(hostIn(dir->path(), QStringLiteral("b.prf")), QStringLiteral("new"));
}

void TestProfileDialogs::renameRefusedThenRetried_data()
{
    QTest::addColumn<QString>("retry");
    QTest::addColumn<QString>("refusal");
    QTest::addColumn<QStringList>("left");
    const QString taken = QStringLiteral("\nA profile named\n\nm\n\nalready exists. Please enter a unique profile name");
    // The file still has the name it was opened by: it is the profile's own.
    QTest::newRow("back to the opened name") << "a" << QString() << QStringList{"a.prf", "m.prf"};
    QTest::newRow("onto another profile") << "m" << taken << QStringList{"a.prf", "m.prf"};
    QTest::newRow("a free name") << "c" << QString() << QStringList{"c.prf", "m.prf"};
}

void TestProfileDialogs::renameRefusedThenRetried()
{
    QFETCH(QString, retry);
    QFETCH(QString, refusal);
    ScriptedPrompter prompter;
    writeProfile(dir->path(), QStringLiteral("a"), QStringLiteral("old"));
    writeProfile(dir->path(), QStringLiteral("m"), QStringLiteral("other"));
    Profile p(dir->path());
    QVERIFY(p.load(QStringLiteral("a.prf")));
    DlgProfileEditor editor(nullptr, dir->path(), &p, true);
    // The file is away for the moment: the rename fails.
    QVERIFY(QFile::rename(path(QStringLiteral("a.prf")), path(QStringLiteral("a.away"))));
    act(&editor, {QStringLiteral("name=x"), "static", "host=new"});
    pressOk(&editor);
    QCOMPARE(prompter.last().title, QStringLiteral("Renaming profile"));
    QVERIFY(editor.isVisible());
    QVERIFY(QFile::rename(path(QStringLiteral("a.away")), path(QStringLiteral("a.prf"))));

    prompter.clear();
    act(&editor, {QStringLiteral("name=") + retry});
    pressOk(&editor);
    QCOMPARE(prompter.texts(), refusal.isEmpty() ? QStringList() : QStringList{refusal});
    QCOMPARE(editor.result(), refusal.isEmpty() ? 1 : 0);
    QTEST(files(), "left");
    QCOMPARE(hostIn(dir->path(), QStringLiteral("m.prf")), QStringLiteral("other"));
    if (refusal.isEmpty())
        QCOMPARE(hostIn(dir->path(), retry + QStringLiteral(".prf")), QStringLiteral("new"));
}

void TestProfileDialogs::setDefaults()
{
    ScriptedPrompter prompter;
    writeProfile(dir->path(), QStringLiteral("a"), QStringLiteral("srv"));
    const QByteArray before = TestFiles::read(path(QStringLiteral("a.prf")));
    Profile p(dir->path());
    QVERIFY(p.load(QStringLiteral("a.prf")));
    p.zorServerUseDHCP = false;
    DlgProfileEditor editor(nullptr, dir->path(), &p, true);
    act(&editor, {"name=typed", "extend", "c2=1"});
    const QStringList changed = outputs(&editor);

    prompter.answer(QMessageBox::No);
    click(&editor, "btnGlobalDefaults");
    QCOMPARE(outputs(&editor), changed);
    QCOMPARE(prompter.texts(),
             QStringList{"\nAre you sure you want to set all settings in all tabs to their default values?"});
    QCOMPARE(prompter.last().defaultButton, QMessageBox::No);

    prompter.answer(QMessageBox::Yes);
    click(&editor, "btnGlobalDefaults");
    QCOMPARE(outputs(&editor), (QStringList{idle, idle, idle}));
    QCOMPARE(child<QLineEdit>(&editor, QStringLiteral("tbxProfileName"))->text(), QStringLiteral("a"));
    QVERIFY(child<QRadioButton>(&editor, QStringLiteral("dispRdbtnClone"))->isChecked());
    QVERIFY(child<QRadioButton>(&editor, QStringLiteral("zorServerRdbtnDHCP"))->isChecked());
    QCOMPARE(child<QLineEdit>(&editor, QStringLiteral("zorServerTbxHostname"))->text(), QString());
    editor.reject();
    QCOMPARE(editor.result(), 0);
    QCOMPARE(TestFiles::read(path(QStringLiteral("a.prf"))), before);
}

void TestProfileDialogs::listing()
{
    for (const char *name : {"b.prf", "A.prf", "c.txt", "site.office.prf", "X.PRF", ".hidden.prf"})
        QVERIFY(TestFiles::write(path(QLatin1String(name)), QByteArray()));
    QVERIFY(QDir(dir->path()).mkdir(QStringLiteral("d.prf")));
    ScriptedPrompter prompter;
    DlgProfileManager manager(nullptr, dir->path());
    QCOMPARE(listed(&manager), (QStringList{"A*", "b", "site.office", "X"}));

    // Edit loads the base name with a lower-case suffix.
    child<QListWidget>(&manager, QStringLiteral("listWidget"))->setCurrentRow(3);
    click(&manager, "btnEditProfile");
    QCOMPARE(prompter.texts(), QStringList{"\nError loading profile information from disk"});
    QCOMPARE(listed(&manager), (QStringList{"A", "b", "site.office", "X*"}));
}

void TestProfileDialogs::nothingSelected_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("text");
    QTest::newRow("edit") << "btnEditProfile" << "\nPlease select a profile to edit!";
    QTest::newRow("clone") << "btnCloneProfile" << "\nPlease select a profile to clone!";
    QTest::newRow("delete") << "btnDeleteProfile" << "\nPlease select a profile to delete!";
}

void TestProfileDialogs::nothingSelected()
{
    QFETCH(QString, button);
    QFETCH(QString, text);
    ScriptedPrompter prompter;
    for (const QString &d : {dir->path(), QString()}) {
        prompter.clear();
        DlgProfileManager manager(nullptr, d);
        click(&manager, qPrintable(button));
        QCOMPARE(prompter.texts(), QStringList{text});
    }
}

void TestProfileDialogs::deleting()
{
    ScriptedPrompter prompter;
    writeProfile(dir->path(), QStringLiteral("a"));
    writeProfile(dir->path(), QStringLiteral("b"));
    DlgProfileManager manager(nullptr, dir->path());
    child<QListWidget>(&manager, QStringLiteral("listWidget"))->setCurrentRow(1);

    prompter.answer(QMessageBox::No);
    click(&manager, "btnDeleteProfile");
    QCOMPARE(prompter.last().text, QStringLiteral("\nAre you sure you want to delete profile:\n\nb\n\nThis action cannot be undone!"));
    QCOMPARE(prompter.last().defaultButton, QMessageBox::No);
    QCOMPARE(listed(&manager), (QStringList{"a", "b*"}));

    prompter.answer(QMessageBox::Yes);
    click(&manager, "btnDeleteProfile");
    QCOMPARE(listed(&manager), QStringList{"a*"});
    QCOMPARE(files(), QStringList{"a.prf"});

    QVERIFY(QFile::remove(path(QStringLiteral("a.prf"))));
    prompter.answer(QMessageBox::Yes);
    click(&manager, "btnDeleteProfile");
    QCOMPARE(prompter.last().text, QStringLiteral("\nFailed to delete selected profile"));
    QCOMPARE(listed(&manager), QStringList{"a*"});
}

// A profile's name is its file's, which may have come from anywhere: it
// adds no lines to the question.
void TestProfileDialogs::deletingNamesProfileOnOneLine()
{
    ScriptedPrompter prompter;
    QVERIFY(TestFiles::write(path(QStringLiteral("b\u2028\u2028It is unused.prf")), "name=b\n"));
    DlgProfileManager manager(nullptr, dir->path());
    prompter.answer(QMessageBox::No);
    click(&manager, "btnDeleteProfile");
    QCOMPARE(prompter.last().text,
             QStringLiteral("\nAre you sure you want to delete profile:\n\nb  It is unused\n\n"
                            "This action cannot be undone!"));
}

void TestProfileDialogs::editorRunsFromTheList()
{
    ScriptedPrompter prompter;
    writeProfile(dir->path(), QStringLiteral("a"));
    writeProfile(dir->path(), QStringLiteral("m"), QStringLiteral("old"));
    DlgProfileManager manager(nullptr, dir->path());
    auto *list = child<QListWidget>(&manager, QStringLiteral("listWidget"));
    const QString taken = QStringLiteral("\nA profile named\n\n%1\n\nalready exists. Please enter a unique profile name");

    // A cancelled new profile leaves the list and its selection alone.
    list->setCurrentRow(1);
    prompter.answerDialog([](QDialog *d) { d->reject(); return d->result(); });
    click(&manager, "btnNewProfile");
    QCOMPARE(prompter.last().title, QStringLiteral("Korvane: Create new profile"));
    QCOMPARE(listed(&manager), (QStringList{"a", "m*"}));

    // Clone: the source name is taken, a new one makes a second file.
    prompter.answerDialog([](QDialog *d) {
        pressOk(d);
        act(d, {"name=z"});
        pressOk(d);
        return d->result();
    });
    click(&manager, "btnCloneProfile");
    QCOMPARE(prompter.texts("warning"), QStringList{taken.arg("m")});
    QCOMPARE(listed(&manager), (QStringList{"a*", "m", "z"}));

    // Edit, reached by a double click on the row: renaming onto another
    // profile is refused, a free name renames the file.
    list->setCurrentRow(2);
    prompter.clear();
    prompter.answerDialog([](QDialog *d) {
        act(d, {"name=m"});
        pressOk(d);
        act(d, {"name=b", "static", "host=new"});
        pressOk(d);
        return d->result();
    });
    manager.show();
    const QRect row = list->visualItemRect(list->item(2));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, row.center());
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, row.center());
    QCOMPARE(prompter.texts(), (QStringList{"", taken.arg("m")}));
    QCOMPARE(prompter.calls.first().title, QStringLiteral("Korvane: Edit profile"));
    QCOMPARE(listed(&manager), (QStringList{"a*", "b", "m"}));
    QCOMPARE(hostIn(dir->path(), QStringLiteral("b.prf")), QStringLiteral("new"));
    QCOMPARE(hostIn(dir->path(), QStringLiteral("m.prf")), QStringLiteral("old"));
}

// Enter on the list closes the manager, as its Close button does; it had
// opened the editor for a new profile, the first button of the form.
void TestProfileDialogs::enterInTheListCloses()
{
    ScriptedPrompter prompter;
    writeProfile(dir->path(), QStringLiteral("a"));
    DlgProfileManager manager(nullptr, dir->path());
    auto *list = child<QListWidget>(&manager, QStringLiteral("listWidget"));
    manager.show();
    QVERIFY(QTest::qWaitForWindowActive(&manager));
    list->setFocus();
    QTRY_VERIFY(list->hasFocus());
    QTest::keyClick(list, Qt::Key_Return);
    QCOMPARE(prompter.trail(), QStringList());
    QVERIFY(!manager.isVisible());
}

QTEST_MAIN(TestProfileDialogs)
#include "tst_profiledialogs.moc"
