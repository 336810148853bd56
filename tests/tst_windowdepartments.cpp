// The main window's department panel wired to its file: devices dropped on
// another department's label, a save that fails, new, rename, delete and
// reordered labels, each kept after a restart, and the device list exported
// as the departments stand; the panel's own rules are tested on the panel.
#include "mainwindow/departmentfile.h"
#include "mainwindow/deptinfo.h"
#include "mainwindow/mainwindow.h"
#include "mainwindow/orldroplabel.h"
#include "mainwindow/orlscrollarea.h"
#include "mainwindow/orltreeview.h"
#include "deptsupport.h"
#include "scriptedprompter.h"
#include "testfiles.h"
#include "windowfixture.h"

#include "devicelink/sslserver.h"
#include "devicelink/thinclientinfo.h"
#include "ui_mainwindow.h"

#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QPointer>
#include <QSslSocket>
#include <QPushButton>
#include <QScopeGuard>
#include <QScrollBar>
#include <QStandardItemModel>
#include <QTemporaryDir>
#include <QVBoxLayout>
#include <QtTest>

#include <memory>

#include <sys/stat.h>

using namespace WindowFixture;
using DeptSupport::FileHeader;
using DeptSupport::section;
using DeptSupport::typeName;

namespace {
QStringList names(const QList<DeptInfo *> &list)
{
    QStringList out;
    for (const DeptInfo *d : list)
        out << d->name;
    return out;
}

// The names of the departments in the file's bytes, in order.
QStringList savedNames(const QByteArray &bytes)
{
    const QList<DeptInfo *> list = DepartmentFile::parse(bytes);
    const QStringList out = names(list);
    qDeleteAll(list);
    return out;
}

// The departments in the panel, top to bottom, by their labels.
QStringList labelNames(MainWindow *w)
{
    QStringList out;
    for (int i = 0; i < w->deptLayout->count(); ++i) {
        auto *label = qobject_cast<OrlDropLabel *>(w->deptLayout->itemAt(i)->widget());
        const auto *dept = label ? static_cast<const DeptInfo *>(label->dept) : nullptr;
        out << (dept && dept->label == label ? dept->name : QStringLiteral("?"));
    }
    return out;
}

// Shown as an administrator sees it, for the mouse to reach its labels.
bool shownOnScreen(MainWindow *w)
{
    w->resize(800, 600);
    w->show();
    return QTest::qWaitForWindowExposed(w);
}

// A mouse event at (10, y) of a label, as the window system hands it on.
void mouse(OrlDropLabel *label, QEvent::Type type, Qt::MouseButton button, Qt::MouseButtons buttons, int y)
{
    QMouseEvent e(type, QPoint(10, y), label->mapToGlobal(QPoint(10, y)), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(label, &e);
}
} // namespace

class TestWindowDepartments : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void dropMovesDevicesAndSurvivesRestart();
    void moveOfAMemberListedTwice_data();
    void moveOfAMemberListedTwice();
    void failedSaveKeepsTheChange_data();
    void failedSaveKeepsTheChange();
    void newAndRenameAreSaved();
    void deleteDepartment_data();
    void deleteDepartment();
    void memberRegistersWhileAskingToDelete();
    void wizardPickDeleted();
    void exportHoldsDevicesRegisteredWhileAsked();
    void reorderLabels_data();
    void reorderLabels();
    void labelDragCutShort();
    void labelDragEndsWhenTheWindowIsTaken_data();
    void labelDragEndsWhenTheWindowIsTaken();
    void columnWidthsAtClose();
    void workingDirectoryChanged_data();
    void workingDirectoryChanged();
    void refusedFileIsNotReplaced_data();
    void refusedFileIsNotReplaced();
    void fileMissingAtTheStart_data();
    void fileMissingAtTheStart();

private:
    std::unique_ptr<MainWindow> openWindow();
    ThinclientInfo *registerDevice(MainWindow *w, const QString &model, const QString &mac);
    void select(DeptInfo *dept, const QList<QStandardItem *> &items);
    QByteArray fileBytes() const;
    void writeFile(const QByteArray &sections) { QVERIFY(DeptSupport::writeDepartmentFile(tempDir, sections)); }

    QString tempDir;
    QObject records;
};

void TestWindowDepartments::init()
{
    QSettings(QStringLiteral("Halvard"), QStringLiteral("korvane_server")).clear();
    QDir(QDir::tempPath() + QStringLiteral("/korvane")).removeRecursively();
    QSettings store(QStringLiteral("Halvard"), QStringLiteral("korvane_server"));
    seedPreferences(&store, freeTcpPort(), freeUdpPort());
    store.setValue(QStringLiteral("discoveryState"), false);
    tempDir = store.value(QStringLiteral("tempDir")).toString();
}

void TestWindowDepartments::cleanup()
{
    qDeleteAll(records.children());
}

std::unique_ptr<MainWindow> TestWindowDepartments::openWindow()
{
    return std::make_unique<MainWindow>(nullptr, environment(newSettings()));
}

ThinclientInfo *TestWindowDepartments::registerDevice(MainWindow *w, const QString &model, const QString &mac)
{
    ThinclientInfo *r = DeptSupport::device(&records, model, mac, mac);
    emit w->sslServer->onDeviceRegistered(r);
    return r;
}

void TestWindowDepartments::select(DeptInfo *dept, const QList<QStandardItem *> &items)
{
    for (QStandardItem *item : items)
        dept->treeView->selectionModel()->select(dept->model->indexFromItem(item),
                                                 QItemSelectionModel::Select | QItemSelectionModel::Rows);
}

QByteArray TestWindowDepartments::fileBytes() const
{
    QFile file(tempDir + QStringLiteral("/KorvaneManager.ini"));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(none)");
}

void TestWindowDepartments::dropMovesDevicesAndSurvivesRestart()
{
    writeFile(section(0, "Orphans") + section(3, "Lab", {"AA"}) + section(5, "Hall"));
    ScriptedPrompter prompter;
    {
        auto w = openWindow();
        DeptInfo *orphans = w->departments->at(0);
        DeptInfo *lab = w->departments->at(1);
        DeptInfo *hall = w->departments->at(2);
        ThinclientInfo *inLab = registerDevice(w.get(), "ORL K1", "AA");
        ThinclientInfo *x = registerDevice(w.get(), "ORL K1", "XX");
        ThinclientInfo *y = registerDevice(w.get(), "Pyrel PC", "YY");
        ThinclientInfo *z = registerDevice(w.get(), "ORL K1", "ZZ");

        // Two devices of the shown tree onto Hall's label.
        select(orphans, {x->item, y->item});
        emit hall->label->onDeviceDropped(hall->label->dept, orphans->treeView);
        QCOMPARE(hall->devices, QList<ThinclientInfo *>({x, y}));
        QCOMPARE(x->item->model(), hall->model);
        QCOMPARE(fileBytes(), FileHeader + section(0, "Orphans") + section(3, "Lab", {"AA"})
                                  + section(5, "Hall", {"XX", "YY"}));

        // Out of Lab, once it is shown, into "Orphans".
        emit lab->label->onDepartmentSelected(lab);
        QCOMPARE(w->currentDepartment, lab);
        QCOMPARE(w->centralLayout->itemAt(1)->widget(), lab->treeView);
        select(lab, {inLab->item});
        emit orphans->label->onDeviceDropped(orphans, lab->treeView);
        QCOMPARE(orphans->devices, QList<ThinclientInfo *>({z, inLab}));
        QVERIFY(prompter.calls.isEmpty());
    }

    // After a restart the devices register into their new departments.
    auto w = openWindow();
    ThinclientInfo *x = registerDevice(w.get(), "ORL K1", "XX");
    ThinclientInfo *a = registerDevice(w.get(), "ORL K1", "AA");
    emit w->sslServer->onDeviceRegistered(nullptr);
    QCOMPARE(w->departments->at(2)->devices, QList<ThinclientInfo *>{x});
    QCOMPARE(w->departments->at(0)->devices, QList<ThinclientInfo *>{a});
}

void TestWindowDepartments::moveOfAMemberListedTwice_data()
{
    QTest::addColumn<QByteArray>("sections");
    QTest::addColumn<QString>("home");    // where the member registers

    // A hand-edited file: the member registers where its last listing is.
    QTest::newRow("in two departments")
        << section(0, "Orphans") + section(3, "Lab", {"AA"}) + section(5, "Hall", {"AA"}) << "Hall";
    QTest::newRow("twice in one department")
        << section(0, "Orphans") + section(3, "Lab", {"AA", "AA"}) + section(5, "Hall") << "Lab";
    QTest::newRow("two sections share an id")
        << section(0, "Orphans") + section(3, "Lab") + section(3, "Hall", {"AA"}) << "Hall";
}

void TestWindowDepartments::moveOfAMemberListedTwice()
{
    QFETCH(QByteArray, sections);
    QFETCH(QString, home);
    writeFile(sections);
    ScriptedPrompter prompter;
    {
        auto w = openWindow();
        ThinclientInfo *a = registerDevice(w.get(), "ORL K1", "AA");
        DeptInfo *from = w->departments->at(int(names(*w->departments).indexOf(home)));
        QCOMPARE(from->devices, QList<ThinclientInfo *>{a});
        DeptInfo *orphans = w->departments->at(0);
        emit from->label->onDepartmentSelected(from);
        select(from, {a->item});
        emit orphans->label->onDeviceDropped(orphans, from->treeView);
        QCOMPARE(orphans->devices, QList<ThinclientInfo *>{a});
    }

    // The move holds after a restart: no other listing takes the member back.
    auto w = openWindow();
    ThinclientInfo *a = registerDevice(w.get(), "ORL K1", "AA");
    QCOMPARE(w->departments->at(0)->devices, QList<ThinclientInfo *>{a});
    QCOMPARE(fileBytes().count("mac=AA\n"), 1);
    QVERIFY(prompter.calls.isEmpty());
}

void TestWindowDepartments::failedSaveKeepsTheChange_data()
{
    QTest::addColumn<bool>("noTempDir");
    QTest::newRow("directory is a file") << false;
    // An empty setting must not put the file at the filesystem root.
    QTest::newRow("no temporary directory") << true;
}

void TestWindowDepartments::failedSaveKeepsTheChange()
{
    QFETCH(bool, noTempDir);
    writeFile(section(0, "Orphans") + section(4, "Lab"));
    ScriptedPrompter prompter;
    auto w = openWindow();
    DeptInfo *orphans = w->departments->at(0);
    DeptInfo *lab = w->departments->at(1);
    ThinclientInfo *x = registerDevice(w.get(), "ORL K1", "XX");
    ThinclientInfo *y = registerDevice(w.get(), "ORL K1", "YY");

    // The directory of the file has become a plain file, or the setting is empty.
    QString blocked;
    if (!noTempDir) {
        blocked = QDir::tempPath() + QStringLiteral("/blocked");
        QFile(blocked).open(QIODevice::WriteOnly);
    }
    const QString atRoot = QStringLiteral("/") + QLatin1String(DepartmentFile::Name);
    const bool wasAtRoot = QFileInfo::exists(atRoot);
    w->settings->setValue(QStringLiteral("tempDir"), blocked);
    select(orphans, {x->item, y->item});
    emit lab->label->onDeviceDropped(lab, orphans->treeView);

    const bool wroteAtRoot = !wasAtRoot && QFileInfo::exists(atRoot);
    if (wroteAtRoot)
        QFile::remove(atRoot);
    QVERIFY(!wroteAtRoot);
    QCOMPARE(prompter.texts(QStringLiteral("warning")),
             QStringList{"Error opening configuration file. Configuration data will not be saved"});
    QCOMPARE(lab->devices, QList<ThinclientInfo *>({x, y}));
    QCOMPARE(w->deviceDepartments.value("YY"), 4);

    // The next save that succeeds writes the change.
    w->settings->setValue(QStringLiteral("tempDir"), tempDir);
    prompter.answerDialog(typeName("Lab 2"));
    lab->label->onRename();
    QCOMPARE(fileBytes(), FileHeader + section(0, "Orphans") + section(4, "Lab 2", {"XX", "YY"}));
}

void TestWindowDepartments::newAndRenameAreSaved()
{
    writeFile(section(0, "Orphans") + section(6, "Lab"));
    ScriptedPrompter prompter;
    auto w = openWindow();
    DeptInfo *current = w->currentDepartment;

    prompter.answerDialog(typeName("Stock <2>"));
    w->deptScrollArea->onNewDept();
    QCOMPARE(labelNames(w.get()), QStringList({"Orphans", "Lab", "Stock <2>"}));
    DeptInfo *stock = w->departments->last();
    QCOMPARE(w->currentDepartment, current);
    QCOMPARE(fileBytes(), FileHeader + section(0, "Orphans") + section(6, "Lab") + section(7, "Stock <2>"));

    // Devices can be dropped into it at once.
    ThinclientInfo *x = registerDevice(w.get(), "ORL K1", "XX");
    select(current, {x->item});
    emit stock->label->onDeviceDropped(stock, current->treeView);
    QCOMPARE(stock->devices, QList<ThinclientInfo *>{x});

    prompter.answerDialog(typeName("R&D name=x"));
    current->label->onRename();
    w.reset();
    w = openWindow();
    QCOMPARE(names(*w->departments), QStringList({"R&D name=x", "Lab", "Stock <2>"}));
    QCOMPARE(w->departments->last()->macs, QStringList{"XX"});
}

void TestWindowDepartments::deleteDepartment_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<int>("answer");
    QTest::addColumn<QStringList>("left");    // departments afterwards
    QTest::addColumn<QString>("current");

    QTest::newRow("answered no") << "Spare" << int(QMessageBox::No)
                                 << QStringList{"Hall", "Orphans", "Lab", "Spare"} << "Hall";
    // The first department, shown: the one below it is shown instead.
    QTest::newRow("shown and first") << "Hall" << int(QMessageBox::Yes)
                                     << QStringList{"Orphans", "Lab", "Spare"} << "Orphans";
}

void TestWindowDepartments::deleteDepartment()
{
    QFETCH(QString, target);
    QFETCH(int, answer);
    QFETCH(QStringList, left);
    QFETCH(QString, current);

    // Hall's members are offline in this run: it can still go, and its
    // members then register into "Orphans".
    writeFile(section(5, "Hall", {"HH"}) + section(0, "Orphans") + section(2, "Lab", {"LL"}) + section(9, "Spare"));
    ScriptedPrompter prompter;
    auto w = openWindow();
    registerDevice(w.get(), "ORL K1", "LL");
    const QByteArray before = fileBytes();
    DeptInfo *dept = w->departments->at(int(names(*w->departments).indexOf(target)));

    prompter.answer(QMessageBox::StandardButton(answer));
    dept->label->onDelete();

    QVERIFY(prompter.unexpected.isEmpty());
    QCOMPARE(labelNames(w.get()), left);
    QCOMPARE(w->currentDepartment->name, current);
    QCOMPARE(w->currentDepartment->label->styleSheet(), QLatin1String(OrlDropLabel::SelectedStyle));
    QCOMPARE(w->centralLayout->count(), 2);
    QCOMPARE(w->centralLayout->itemAt(1)->widget(), w->currentDepartment->treeView);
    QVERIFY(w->currentDepartment->treeView->isVisibleTo(w.get()));
    if (left.size() == 4) {
        QCOMPARE(fileBytes(), before);
        return;
    }
    QCOMPARE(savedNames(fileBytes()), left);
    ThinclientInfo *member = registerDevice(w.get(), "ORL K1", "HH");
    QCOMPARE(w->departments->at(0)->devices, QList<ThinclientInfo *>{member});
}

void TestWindowDepartments::memberRegistersWhileAskingToDelete()
{
    writeFile(section(0, "Orphans") + section(5, "Hall", {"HH"}));
    ScriptedPrompter prompter;
    prompter.setAutoOk(true);
    auto w = openWindow();
    DeptInfo *hall = w->departments->at(1);
    ThinclientInfo *member = nullptr;
    prompter.duringNextBox([&] { member = registerDevice(w.get(), "ORL K1", "HH"); });
    prompter.answer(QMessageBox::Yes);
    hall->label->onDelete();

    // A department that is no longer empty stays, and its member's row with it.
    QVERIFY(prompter.unexpected.isEmpty());
    QCOMPARE(names(*w->departments), QStringList({"Orphans", "Hall"}));
    QCOMPARE(hall->devices, QList<ThinclientInfo *>{member});
    QCOMPARE(member->item->model(), hall->model);
    QCOMPARE(prompter.texts().last(), QStringLiteral("Cannot delete Department:\n\nHall\n\nIt is not empty!"));
}

void TestWindowDepartments::reorderLabels_data()
{
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("posY");    // pointer's y in the dragged label at release
    QTest::addColumn<QStringList>("order");

    // Labels sit in slots of 70 pixels; the pointer's y in the panel is
    // index * 70 + posY.
    QTest::newRow("to the top") << 3 << -200 << QStringList{"C", "Orphans", "A", "B"};
    QTest::newRow("down past the end") << 1 << 400 << QStringList{"Orphans", "B", "C", "A"};
}

void TestWindowDepartments::reorderLabels()
{
    QFETCH(int, from);
    QFETCH(int, posY);
    QFETCH(QStringList, order);

    writeFile(section(0, "Orphans") + section(1, "A") + section(2, "B") + section(3, "C"));
    ScriptedPrompter prompter;
    auto w = openWindow();
    w->resize(800, 600);
    DeptInfo *dragged = w->departments->at(from);
    QPointer<OrlDropLabel> oldLabel(dragged->label);

    emit oldLabel->onDepartmentDragged(dragged, QPoint(10, 30), false);
    emit oldLabel->onDepartmentDragged(dragged, QPoint(10, posY), true);

    QCOMPARE(names(*w->departments), order);
    QCOMPARE(labelNames(w.get()), order);
    QCOMPARE(w->currentDepartment, dragged);
    // Only the dragged department's label is highlighted.
    for (DeptInfo *d : std::as_const(*w->departments))
        QCOMPARE(d->label->styleSheet(),
                 QLatin1String(d == dragged ? OrlDropLabel::SelectedStyle : OrlDropLabel::NormalStyle));
    QCOMPARE(savedNames(fileBytes()), order);
    QVERIFY(prompter.calls.isEmpty());
    // The old labels go once the event loop runs.
    QTRY_VERIFY(!oldLabel);
}

// A box that opens while a department label is dragged (a wizard step, the
// end of a download) takes the release for itself: the label never hears of
// it. The next press on a label is a new gesture: the drag cut short ends
// where it was, and a click selects as any click does, moving nothing.
void TestWindowDepartments::labelDragCutShort()
{
    QByteArray sections = section(0, "Orphans");
    for (int id = 1; id < 20; ++id)
        sections += section(id, "D" + QByteArray::number(id));
    writeFile(sections);
    ScriptedPrompter prompter;
    auto w = openWindow();
    QVERIFY(shownOnScreen(w.get()));
    const QByteArray saved = fileBytes();
    // Scrolled so that D5 is the first label shown.
    QScrollBar *bar = w->deptScrollArea->verticalScrollBar();
    QTRY_VERIFY(bar->maximum() >= 350);
    bar->setValue(350);
    OrlDropLabel *label = w->departments->at(5)->label;
    mouse(label, QEvent::MouseButtonPress, Qt::LeftButton, Qt::LeftButton, 15);
    mouse(label, QEvent::MouseMove, Qt::NoButton, Qt::LeftButton, 200);
    QVERIFY(w->deptScrollArea->dragPlaceholder());
    // The release went to the box. Then a click near the top of the panel:
    mouse(label, QEvent::MouseButtonPress, Qt::LeftButton, Qt::LeftButton, 15);
    mouse(label, QEvent::MouseButtonRelease, Qt::LeftButton, Qt::NoButton, 15);

    QCOMPARE(w->departments->at(5)->name, QStringLiteral("D5"));
    QCOMPARE(w->departments->at(5)->label, label);
    QCOMPARE(fileBytes(), saved);
    QVERIFY(!w->deptScrollArea->dragPlaceholder());
    QVERIFY(prompter.calls.isEmpty());
}

void TestWindowDepartments::labelDragEndsWhenTheWindowIsTaken_data()
{
    QTest::addColumn<QString>("taker");
    QTest::newRow("a window opens modal over it") << "modal";
    QTest::newRow("the window is hidden") << "hidden";
    // Another button pressed while the label is dragged opens its menu.
    QTest::newRow("its menu opens") << "menu";
}

// A box that opens over the window while a label is dragged takes the
// release, and so do the window going away and a menu. The drag ends there:
// a release the label hears later without a press of its own (the press
// that closed a menu, on a platform that does not hand that press on)
// drops nothing.
void TestWindowDepartments::labelDragEndsWhenTheWindowIsTaken()
{
    QFETCH(QString, taker);
    writeFile(section(0, "Orphans") + section(1, "A") + section(2, "B") + section(3, "C"));
    ScriptedPrompter prompter;
    auto w = openWindow();
    QVERIFY(shownOnScreen(w.get()));
    const QByteArray saved = fileBytes();
    OrlDropLabel *label = w->departments->at(3)->label;
    mouse(label, QEvent::MouseButtonPress, Qt::LeftButton, Qt::LeftButton, 15);
    mouse(label, QEvent::MouseMove, Qt::NoButton, Qt::LeftButton, -200);
    QVERIFY(w->deptScrollArea->dragPlaceholder());

    QDialog box(w.get());
    bool menuShown = false;
    if (taker == "modal") {
        box.setModal(true);
        box.show();
    } else if (taker == "hidden") {
        w->hide();
    } else {
        QTimer::singleShot(0, qApp, [&menuShown] {
            if (QWidget *menu = QApplication::activePopupWidget()) {
                menuShown = true;
                menu->close();
            }
        });
        mouse(label, QEvent::MouseButtonPress, Qt::RightButton, Qt::LeftButton | Qt::RightButton, -200);
        QVERIFY(menuShown);
    }
    QVERIFY(!w->deptScrollArea->dragPlaceholder());
    box.hide();
    w->show();
    mouse(label, QEvent::MouseButtonRelease, Qt::LeftButton, Qt::NoButton, -200);

    QCOMPARE(names(*w->departments), QStringList({"Orphans", "A", "B", "C"}));
    QCOMPARE(w->departments->at(3)->label, label);
    QCOMPARE(fileBytes(), saved);
    QVERIFY(prompter.calls.isEmpty());
}

// The wizard's devices were picked in a department deleted since (its
// devices moved out first): the later steps act on no device, not on the
// department shown.
void TestWindowDepartments::wizardPickDeleted()
{
    writeFile(section(0, "Orphans") + section(3, "Lab", {"AA"}));
    ScriptedPrompter prompter;
    prompter.setAutoOk(true);
    auto w = openWindow();
    DeptInfo *orphans = w->departments->at(0);
    DeptInfo *lab = w->departments->at(1);
    ThinclientInfo *picked = registerDevice(w.get(), "ORL K1", "AA");
    picked->checked = true;
    picked->socket = new QSslSocket(picked);   // never connected: nothing is sent here
    emit lab->label->onDepartmentSelected(lab);
    // The pick, confirmed at the wizard's icon; the update check it starts is not wanted here.
    w->wizardRunning = true;
    w->wizardState = QStringLiteral("waiting_wizard_restart");
    w->onWizardTimerFired();
    w->autoUpdateTimer->stop();
    QVERIFY(w->wizardRunning);

    select(lab, {picked->item});
    emit orphans->label->onDeviceDropped(orphans, lab->treeView);
    prompter.answer(QMessageBox::Yes);
    lab->label->onDelete();
    QCOMPARE(w->currentDepartment, orphans);
    QCOMPARE(w->targetDepartmentDevices(), nullptr);
    w->wizardState = QStringLiteral("access_protocol_completed");
    w->onWizardTimerFired();
    QCOMPARE(prompter.last().text, QStringLiteral("\nKorvane wizard has completed"));
    // Without the wizard, commands go to the shown department again.
    QCOMPARE(w->targetDepartmentDevices(), &orphans->devices);
    QVERIFY(prompter.unexpected.isEmpty());
}

// The device list is written as the departments are once the file name is
// settled: a device that registered while the question about replacing the
// file was up goes into it, and into the count.
void TestWindowDepartments::exportHoldsDevicesRegisteredWhileAsked()
{
    writeFile(section(0, "Orphans") + section(5, "Hall", {"HH"}));
    ScriptedPrompter prompter;
    prompter.setAutoOk(true);
    auto w = openWindow();
    registerDevice(w.get(), "ORL K1", "AA");
    const QString typed = tempDir + QStringLiteral("/list");
    QFile old(typed + QStringLiteral(".txt"));
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.close();
    prompter.answerText(typed);
    prompter.duringNextBox([&] { registerDevice(w.get(), "ORL K1", "HH"); });
    prompter.answer(QMessageBox::Yes);
    w->on_actionCreate_Netop_data_file_triggered();

    QVERIFY(prompter.unexpected.isEmpty());
    QCOMPARE(prompter.last().text, QStringLiteral("\nData for 2 thinclients has been exported"));
    QFile written(typed + QStringLiteral(".txt"));
    QVERIFY(written.open(QIODevice::ReadOnly));
    QVERIFY(written.readAll().endsWith("\n,,,AA\n,,,HH\n"));
}

void TestWindowDepartments::columnWidthsAtClose()
{
    ScriptedPrompter prompter;
    auto w = openWindow();
    QHeaderView *header = w->currentDepartment->header;
    header->resizeSection(0, 250);
    header->resizeSection(4, 77);
    w->close();
    // The next start builds its trees with the widths at close.
    w.reset();
    w = openWindow();
    QCOMPARE(w->currentDepartment->header->sectionSize(0), 250);
    QCOMPARE(w->currentDepartment->header->sectionSize(4), 77);
}

void TestWindowDepartments::workingDirectoryChanged_data()
{
    QTest::addColumn<bool>("move");
    QTest::addColumn<QByteArray>("foundThere");
    QTest::addColumn<QByteArray>("whiteList");        // here; empty: none
    QTest::addColumn<QByteArray>("whiteListThere");   // in the new place; empty: none
    QTest::addColumn<bool>("refused");                // this one open to others by then
    const QByteArray disk = "62914560,WDC,DATA1,hdd,sdb\n";
    const QByteArray older = "500118192,SAMSUNG,EVO,ssd,nvme0n1\n";
    QTest::newRow("to an empty directory") << true << QByteArray() << disk << QByteArray() << false;
    QTest::newRow("to one holding older departments and white list")
        << true << section(0, "Orphans") + section(4, "Old") << disk << older << false;
    QTest::newRow("to one holding a white list, none here") << true << QByteArray() << QByteArray() << older << false;
    QTest::newRow("kept") << false << QByteArray() << disk << QByteArray() << false;
    // Its list may be anybody's; the one the administrator left there stays.
    QTest::newRow("from one others may have made") << true << QByteArray() << disk << older << true;
}

// The department file and the white list lie in the working directory's
// "temp": they go along when the preferences move it, so the next start
// shows the departments, with their members, and devices asking for the
// white list get the one chosen, not whatever was (or was not) there before.
void TestWindowDepartments::workingDirectoryChanged()
{
    QFETCH(bool, move);
    QFETCH(QByteArray, foundThere);
    QFETCH(QByteArray, whiteList);
    QFETCH(QByteArray, whiteListThere);
    QFETCH(bool, refused);
    writeFile(section(0, "Orphans") + section(3, "Lab", {"AA"}));
    if (!whiteList.isEmpty())
        QVERIFY(TestFiles::write(tempDir + QStringLiteral("/whitelist.txt"), whiteList));
    QTemporaryDir work;
    QVERIFY(work.isValid());
    const QString there = work.path() + QStringLiteral("/temp");
    QVERIFY(QDir().mkpath(there));
    if (!foundThere.isEmpty())
        QVERIFY(DeptSupport::writeDepartmentFile(there, foundThere));
    if (!whiteListThere.isEmpty())
        QVERIFY(TestFiles::write(there + QStringLiteral("/whitelist.txt"), whiteListThere));
    ScriptedPrompter prompter;
    {
        auto w = openWindow();
        const QByteArray old = QFile::encodeName(QFileInfo(tempDir).path());
        if (refused)
            QVERIFY(::chmod(old.constData(), 0777) == 0);
        const auto restore = qScopeGuard([&] {
            if (refused)
                ::chmod(old.constData(), 0755);
        });
        prompter.answerDialog([&](QDialog *d) {
            if (move)
                d->findChild<QLineEdit *>(QStringLiteral("tbxTempDir"))->setText(work.path());
            d->findChild<QPushButton *>(QStringLiteral("btnSaveSettings"))->click();
            return d->result();
        });
        w->ui->actionPreferences->trigger();
        QVERIFY(prompter.texts(QStringLiteral("warning")).isEmpty());
    }
    const QSettings store(QStringLiteral("Halvard"), QStringLiteral("korvane_server"));
    QCOMPARE(store.value(QStringLiteral("tempDir")).toString(), move ? there : tempDir);
    QFile list(store.value(QStringLiteral("tempDir")).toString() + QStringLiteral("/whitelist.txt"));
    QCOMPARE(list.open(QIODevice::ReadOnly) ? list.readAll() : QByteArray(), refused ? whiteListThere : whiteList);

    auto w = openWindow();
    QCOMPARE(names(*w->departments), QStringList({"Orphans", "Lab"}));
    ThinclientInfo *a = registerDevice(w.get(), "ORL K1", "AA");
    QCOMPARE(w->departments->at(1)->devices, QList<ThinclientInfo *>{a});
}

void TestWindowDepartments::refusedFileIsNotReplaced_data()
{
    QTest::addColumn<QString>("typed");   // the working directory typed, if any
    QTest::addColumn<bool>("elsewhere");
    QTest::addColumn<bool>("throughLink");   // the same one, typed through a link
    QTest::newRow("changed in place") << QString() << false << false;
    QTest::newRow("working directory moved") << QStringLiteral("new") << true << false;
    QTest::newRow("same working directory spelled otherwise") << QStringLiteral("same/") << false << false;
    QTest::newRow("same working directory through a link") << QStringLiteral("link") << false << true;
    // The file could not be looked up at the start (a link loop stands for
    // a folder that could not be searched): where it lies was not known.
    QTest::newRow("out of reach behind a link at the start") << QStringLiteral("reach") << false << true;
    QTest::newRow("out of reach at the start, then typed where the link leads")
        << QStringLiteral("reach/") << false << false;
}

// A file the start refused (here one department past the bound; a read that
// failed is the same) may still hold every department: the default one shown
// instead never takes its place, though it goes to a new working directory.
void TestWindowDepartments::refusedFileIsNotReplaced()
{
    QFETCH(QString, typed);
    QFETCH(bool, elsewhere);
    QFETCH(bool, throughLink);
    QByteArray sections = section(0, "Orphans") + section(3, "Lab", {"AA"});
    for (int i = 0; i < DepartmentFile::MaxDepartments; ++i)
        sections += section(10 + i, "Spare");
    writeFile(sections);
    const QByteArray before = fileBytes();
    QTemporaryDir work;
    QVERIFY(work.isValid());
    const QString link = work.path() + QStringLiteral("/link");
    const bool reach = typed.startsWith(QLatin1String("reach"));
    if (reach) {
        QVERIFY(QFile::link(link, link));
        QSettings(QStringLiteral("Halvard"), QStringLiteral("korvane_server"))
            .setValue(QStringLiteral("tempDir"), link + QStringLiteral("/temp"));
    }
    ScriptedPrompter prompter;
    auto w = openWindow();
    QStringList warnings{"Error opening configuration file for departments.\n\n Using default department"};
    QCOMPARE(prompter.texts(QStringLiteral("warning")), warnings);
    if (reach) {
        QVERIFY(QFile::remove(link));
        QVERIFY(QFile::link(QFileInfo(tempDir).path(), link));
    }
    if (throughLink && !reach) {
        // The preferences take no link below the shared temporary folder,
        // where the test's folders lie: the store as they would leave it.
        QVERIFY(QFile::link(QFileInfo(tempDir).path(), link));
        w->settings->setValue(QStringLiteral("tempDir"), link + QStringLiteral("/temp"));
    } else if (!typed.isEmpty() && typed != QLatin1String("reach")) {
        const QString dir = elsewhere ? work.path() : QFileInfo(tempDir).path() + QLatin1Char('/');
        prompter.answerDialog([&](QDialog *d) {
            d->findChild<QLineEdit *>(QStringLiteral("tbxTempDir"))->setText(dir);
            d->findChild<QPushButton *>(QStringLiteral("btnSaveSettings"))->click();
            return d->result();
        });
        w->ui->actionPreferences->trigger();
    }
    prompter.answerDialog(typeName("Stock"));
    w->deptScrollArea->onNewDept();

    QCOMPARE(names(*w->departments), QStringList({"Orphans", "Stock"}));
    QCOMPARE(fileBytes(), before);
    if (!elsewhere)
        warnings << QStringLiteral("Error opening configuration file. Configuration data will not be saved");
    QCOMPARE(prompter.texts(QStringLiteral("warning")).last(), warnings.last());
    QFile moved(work.path() + QStringLiteral("/temp/") + QLatin1String(DepartmentFile::Name));
    QCOMPARE(moved.open(QIODevice::ReadOnly) ? moved.readAll() : QByteArray(),
             elsewhere ? FileHeader + section(0, "Orphans") + section(1, "Stock") : QByteArray());
}

void TestWindowDepartments::fileMissingAtTheStart_data()
{
    QTest::addColumn<bool>("appears");       // a file comes while the console runs
    QTest::addColumn<bool>("throughLink");   // the first change saved through a link to the folder
    QTest::newRow("made by the first change") << false << false;
    QTest::newRow("appeared since the start") << true << false;
    QTest::newRow("made by the first change through a link") << false << true;
    QTest::newRow("appeared, then reached through a link") << true << true;
}

// With no department file at the start (here the working directory's folder
// is not there: a disk not mounted yet) the default department alone shows.
// A file found there later was never read: it keeps its departments. The
// same file reached through a link is the same file, found or written.
void TestWindowDepartments::fileMissingAtTheStart()
{
    QFETCH(bool, appears);
    QFETCH(bool, throughLink);
    QVERIFY(QDir(tempDir).removeRecursively());
    ScriptedPrompter prompter;
    auto w = openWindow();
    QVERIFY(prompter.texts(QStringLiteral("warning")).isEmpty());
    QVERIFY(QDir().mkpath(tempDir));
    if (appears)
        writeFile(section(0, "Orphans") + section(3, "Lab", {"AA"}));
    const QByteArray before = fileBytes();
    QTemporaryDir work;
    const QString link = work.path() + QStringLiteral("/link");
    if (throughLink) {
        QVERIFY(QFile::link(tempDir, link));
        w->settings->setValue(QStringLiteral("tempDir"), link);
    }
    prompter.answerDialog(typeName("Stock"));
    w->deptScrollArea->onNewDept();
    w->settings->setValue(QStringLiteral("tempDir"), tempDir);
    prompter.answerDialog(typeName("Hall"));
    w->deptScrollArea->onNewDept();

    if (appears) {
        QCOMPARE(fileBytes(), before);
        QCOMPARE(prompter.texts(QStringLiteral("warning")).size(), 2);
    } else {
        QCOMPARE(fileBytes(), FileHeader + section(0, "Orphans") + section(1, "Stock") + section(2, "Hall"));
        QVERIFY(prompter.texts(QStringLiteral("warning")).isEmpty());
    }
}

QTEST_MAIN(TestWindowDepartments)
#include "tst_windowdepartments.moc"
