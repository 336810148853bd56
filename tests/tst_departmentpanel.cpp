// The department panel's rules: where a dragged label lands, new, rename and
// delete with their refusals, and moving dropped devices between departments.
#include "commands/dlggettext.h"
#include "devicelink/columns.h"
#include "devicelink/thinclientinfo.h"
#include "mainwindow/deptedit.h"
#include "mainwindow/deptinfo.h"
#include "mainwindow/deptlabelorder.h"
#include "mainwindow/devicedrop.h"
#include "mainwindow/devicetree.h"
#include "mainwindow/orldroplabel.h"
#include "mainwindow/orltreeview.h"
#include "mainwindow/treerows.h"
#include "scriptedprompter.h"

#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QSettings>
#include <QStandardItemModel>
#include <QVBoxLayout>
#include <QtTest>

namespace {
// Types a name into the prompt and presses OK; an empty name cancels.
ScriptedPrompter::DialogHandler typeName(const QString &name)
{
    return [name](QDialog *dlg) {
        if (!name.isEmpty()) {
            dlg->findChild<QLineEdit *>("tbxText")->setText(name);
            dlg->findChild<QPushButton *>("btnOK")->click();
        }
        return 0;
    };
}

DeptInfo *department(int id, const QString &name)
{
    auto *d = new DeptInfo;
    d->id = id;
    d->name = name;
    return d;
}
} // namespace

class TestDepartmentPanel : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void targetSlot_data();
    void targetSlot();
    void moveEntry_data();
    void moveEntry();
    void dragGeometry();
    void newDepartment();
    void newDepartmentCancelled();
    void rename_data();
    void rename();
    void deleteRefusals_data();
    void deleteRefusals();
    void deleteDepartment_data();
    void deleteDepartment();
    void dropMovesDevices();
    void dropIntoOrphans();
    void dropOnOwnTree();

private:
    ThinclientInfo *device(DeptInfo *dept, const QString &model, const QString &mac);
    void select(DeptInfo *dept, QStandardItem *item);
    QSettings settings{QStringLiteral("Halvard"), QStringLiteral("korvane_server")};
    QList<DeptInfo *> list;
    QObject records;
};

void TestDepartmentPanel::init()
{
    settings.clear();
    Columns::initDefaults(&settings);
    list = {department(0, "Orphans"), department(3, "Hall"), department(8, "Lab")};
    for (DeptInfo *d : list)
        DeviceTree::createDeviceTreeView(d, &settings);
}

void TestDepartmentPanel::cleanup()
{
    for (DeptInfo *d : list)
        DeviceTree::destroyDeviceTree(d);
    qDeleteAll(list);
    list.clear();
    qDeleteAll(records.children());
}

ThinclientInfo *TestDepartmentPanel::device(DeptInfo *dept, const QString &model, const QString &mac)
{
    auto *r = new ThinclientInfo(&records);
    r->model = model;
    r->deviceName = mac;
    r->macAddress = mac;
    r->online = true;
    if (dept->id != 0)
        dept->macs << mac;
    DeviceTree::fileDevice(dept, &settings, r);
    return r;
}

void TestDepartmentPanel::select(DeptInfo *dept, QStandardItem *item)
{
    dept->treeView->selectionModel()->select(dept->model->indexFromItem(item),
                                             QItemSelectionModel::Select | QItemSelectionModel::Rows);
}

void TestDepartmentPanel::targetSlot_data()
{
    QTest::addColumn<int>("scroll");
    QTest::addColumn<int>("y");
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("slot");

    QTest::newRow("upper half of slot 2") << 0 << 150 << 5 << 2;
    QTest::newRow("lower half of slot 2") << 0 << 175 << 5 << 3;
    QTest::newRow("just above the lower half") << 0 << 174 << 5 << 2;
    QTest::newRow("near the top: first place") << 0 << 31 << 5 << 0;
    QTest::newRow("near the top while scrolled") << 500 << 20 << 10 << 0;
    QTest::newRow("above the panel") << 200 << -40 << 10 << 0;
    QTest::newRow("first slot's lower half") << 0 << 40 << 5 << 1;
    QTest::newRow("scrolled") << 140 << 40 << 5 << 3;
    QTest::newRow("upper half of the last label") << 0 << 290 << 5 << 4;
    QTest::newRow("lower half of the last label") << 0 << 320 << 5 << 5;
    QTest::newRow("far below the last label") << 0 << 2000 << 5 << 5;
    QTest::newRow("a single department") << 0 << 300 << 1 << 1;
}

void TestDepartmentPanel::targetSlot()
{
    QFETCH(int, scroll);
    QFETCH(int, y);
    QFETCH(int, count);
    QFETCH(int, slot);
    QCOMPARE(DeptLabelOrder::targetSlot(scroll, y, count), slot);
}

void TestDepartmentPanel::moveEntry_data()
{
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("slot");
    QTest::addColumn<QString>("order");
    QTest::addColumn<int>("index");

    QTest::newRow("up to the top") << 3 << 0 << "DABCE" << 0;
    QTest::newRow("up by one") << 2 << 1 << "ACBDE" << 1;
    QTest::newRow("own slot") << 2 << 2 << "ABCDE" << 2;
    QTest::newRow("upper half of the next slot") << 2 << 3 << "ABCDE" << 2;
    QTest::newRow("down lands before the slot") << 1 << 4 << "ACDBE" << 3;
    QTest::newRow("down to the end") << 0 << 5 << "BCDEA" << 4;
    QTest::newRow("last to the end") << 4 << 5 << "ABCDE" << 4;
    QTest::newRow("slot past the end is the end") << 1 << 9 << "ACDEB" << 4;
}

void TestDepartmentPanel::moveEntry()
{
    QFETCH(int, from);
    QFETCH(int, slot);
    QFETCH(QString, order);
    QFETCH(int, index);

    QList<QChar> entries{'A', 'B', 'C', 'D', 'E'};
    QCOMPARE(DeptLabelOrder::moveEntry(entries, from, slot), index);
    QCOMPARE(QString(entries.constData(), entries.size()), order);
}

void TestDepartmentPanel::dragGeometry()
{
    // Label 3 of a panel scrolled by 100, pointer 20 pixels into the label.
    QCOMPARE(DeptLabelOrder::dragY(3, 100, 20), 130);
    QCOMPARE(DeptLabelOrder::dragY(0, 0, -15), -15);
    // Near the edges of a 400-pixel area the panel scrolls by 15.
    QCOMPARE(DeptLabelOrder::edgeScrollValue(9, 100, 400), 85);
    QCOMPARE(DeptLabelOrder::edgeScrollValue(10, 100, 400), 100);
    QCOMPARE(DeptLabelOrder::edgeScrollValue(336, 100, 400), 100);
    QCOMPARE(DeptLabelOrder::edgeScrollValue(337, 100, 400), 115);
}

void TestDepartmentPanel::newDepartment()
{
    ScriptedPrompter prompts;
    QString promptText;
    prompts.answerDialog([&](QDialog *dlg) {
        promptText = dlg->findChild<QLabel *>("lblText")->text();
        return typeName("Sales <east>")(dlg);
    });
    DeptInfo *added = DeptEdit::newDepartment(&list, nullptr);
    QVERIFY(added);
    QCOMPARE(prompts.calls.size(), 1);
    QCOMPARE(prompts.last().dialogClass, QStringLiteral("DlgGetText"));
    QCOMPARE(promptText, QStringLiteral("Enter department name"));
    QCOMPARE(added->name, QStringLiteral("Sales <east>"));
    QCOMPARE(added->id, 9);
    QVERIFY(added->imageFile.isEmpty());
    QVERIFY(added->macs.isEmpty());
    QCOMPARE(list.size(), 4);
    QCOMPARE(list.last(), added);
    QVERIFY(prompts.unexpected.isEmpty());
}

void TestDepartmentPanel::newDepartmentCancelled()
{
    ScriptedPrompter prompts;
    prompts.answerDialog(typeName(QString()));
    QCOMPARE(DeptEdit::newDepartment(&list, nullptr), nullptr);
    QCOMPARE(list.size(), 3);
    QCOMPARE(prompts.calls.size(), 1);
}

void TestDepartmentPanel::rename_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("name");

    QTest::newRow("new name") << 1 << "Hall B" << "Hall B";
    QTest::newRow("markup kept in the name") << 1 << "<b>R&D</b>" << "<b>R&D</b>";
    QTest::newRow("Orphans can be renamed") << 0 << "Unsorted" << "Unsorted";
    QTest::newRow("empty changes nothing") << 2 << "" << "Lab";
}

void TestDepartmentPanel::rename()
{
    QFETCH(int, index);
    QFETCH(QString, typed);
    QFETCH(QString, name);

    DeptInfo *dept = list.at(index);
    OrlDropLabel label(nullptr, dept);
    label.applyLook(dept->name, false);
    dept->label = &label;

    ScriptedPrompter prompts;
    QString preset = QStringLiteral("unset");
    prompts.answerDialog([&](QDialog *dlg) {
        preset = dlg->findChild<QLineEdit *>("tbxText")->text();
        return typeName(typed)(dlg);
    });
    QCOMPARE(DeptEdit::renameDepartment(dept, nullptr), !typed.isEmpty());
    QCOMPARE(preset, QString());
    QCOMPARE(dept->name, name);
    QCOMPARE(label.text(), OrlDropLabel::labelText(name));
    dept->label = nullptr;
}

void TestDepartmentPanel::deleteRefusals_data()
{
    QTest::addColumn<int>("index");       // -1: a department not in the list
    QTest::addColumn<bool>("withDevice");
    QTest::addColumn<int>("answer");      // button for the question, 0: none asked
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("allowed");

    QTest::newRow("Orphans, even empty") << 0 << false << 0 << "information"
                                         << "Department:\n\nOrphans\n\nis a special case and cannot be deleted!"
                                         << false;
    QTest::newRow("Orphans with devices") << 0 << true << 0 << "information"
                                          << "Department:\n\nOrphans\n\nis a special case and cannot be deleted!"
                                          << false;
    QTest::newRow("devices online") << 1 << true << 0 << "information"
                                    << "Cannot delete Department:\n\nHall\n\nIt is not empty!" << false;
    QTest::newRow("answered No") << 2 << false << int(QMessageBox::No) << "question"
                                 << "Do you really want to delete department:\n\nLab\n\nThis action cannot be undone!"
                                 << false;
    QTest::newRow("answered Yes") << 2 << false << int(QMessageBox::Yes) << "question"
                                  << "Do you really want to delete department:\n\nLab\n\nThis action cannot be undone!"
                                  << true;
    QTest::newRow("not in the list") << -1 << false << 0 << "" << "" << false;
}

void TestDepartmentPanel::deleteRefusals()
{
    QFETCH(int, index);
    QFETCH(bool, withDevice);
    QFETCH(int, answer);
    QFETCH(QString, kind);
    QFETCH(QString, text);
    QFETCH(bool, allowed);

    QScopedPointer<DeptInfo> stray(department(12, "Stray"));
    DeptInfo *dept = index < 0 ? stray.data() : list.at(index);
    // Offline members alone (listed, not registered) do not block deletion.
    dept->macs << "00:aa:bb:cc:dd:ee";
    if (withDevice)
        device(dept, "ORL K1", "00:11:22:33:44:55");

    ScriptedPrompter prompts;
    if (answer)
        prompts.answer(QMessageBox::StandardButton(answer));
    QCOMPARE(DeptEdit::confirmDelete(&list, dept, nullptr), allowed);
    if (kind.isEmpty()) {
        QVERIFY(prompts.calls.isEmpty());
        return;
    }
    QCOMPARE(prompts.calls.size(), 1);
    const ScriptedPrompter::Call call = prompts.last();
    QCOMPARE(call.kind, kind);
    QCOMPARE(call.title, QStringLiteral("Deleting department"));
    QCOMPARE(call.text, text);
    if (kind == "question") {
        QCOMPARE(call.buttons, QMessageBox::Yes | QMessageBox::No);
        QCOMPARE(call.defaultButton, QMessageBox::No);
    } else {
        QCOMPARE(call.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    }
    QVERIFY(prompts.unexpected.isEmpty());
}

void TestDepartmentPanel::deleteDepartment_data()
{
    QTest::addColumn<QStringList>("names");    // the list, in order
    QTest::addColumn<int>("deleted");
    QTest::addColumn<int>("current");
    QTest::addColumn<int>("shownAfter");       // index in the original list

    const QStringList names{"Hall", "Orphans", "Lab", "Store"};
    QTest::newRow("current: the one above") << names << 2 << 2 << 1;
    QTest::newRow("first and current: the one below") << names << 0 << 0 << 1;
    QTest::newRow("last and current") << names << 3 << 3 << 2;
    QTest::newRow("not current: current stays") << names << 2 << 3 << 3;
}

void TestDepartmentPanel::deleteDepartment()
{
    QFETCH(QStringList, names);
    QFETCH(int, deleted);
    QFETCH(int, current);
    QFETCH(int, shownAfter);

    cleanup();
    const QMap<QString, int> ids{{"Orphans", 0}, {"Hall", 3}, {"Lab", 8}, {"Store", 4}};
    for (const QString &name : names) {
        list << department(ids.value(name), name);
        DeviceTree::createDeviceTreeView(list.last(), &settings);
    }
    // The labels live in the panel's layout.
    QWidget panel;
    auto *layout = new QVBoxLayout(&panel);
    for (DeptInfo *d : list) {
        d->label = new OrlDropLabel(nullptr, d);
        layout->addWidget(d->label);
    }
    DeptInfo *victim = list.at(deleted);
    victim->macs << "m1" << "m2";
    QMap<QString, int> map{{"m1", victim->id}, {"m2", victim->id}, {"m3", 0}};
    QPointer<OrlDropLabel> label(victim->label);
    QPointer<OrlTreeView> view(victim->treeView);
    QPointer<QStandardItemModel> model(victim->model);
    DeptInfo *expected = list.at(shownAfter);

    QCOMPARE(DeptEdit::deleteDepartment(&list, victim, list.at(current), &map), expected);
    QCOMPARE(list.size(), names.size() - 1);
    QVERIFY(!list.contains(victim));
    QVERIFY(!view && !model);
    QCOMPARE(layout->count(), names.size() - 1);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!label);
    // Its offline members land in "Orphans" when they register later.
    QCOMPARE(map, (QMap<QString, int>{{"m3", 0}}));

    // A department sharing the deleted one's id keeps its members' entries.
    DeptInfo *twin = list.first();
    twin->macs << "t1";
    map.insert("t1", twin->id);
    const int twinId = twin->id;
    auto *victim2 = department(twinId, "Twin");
    list << victim2;
    DeptEdit::deleteDepartment(&list, victim2, list.first(), &map);
    QCOMPARE(map.value("t1", -1), twinId);

    DeptInfo outsider;
    QCOMPARE(DeptEdit::deleteDepartment(&list, &outsider, list.first(), &map), nullptr);
    QCOMPARE(list.size(), names.size() - 1);
    for (DeptInfo *d : list) {
        delete d->label;
        d->label = nullptr;
    }
}

void TestDepartmentPanel::dropMovesDevices()
{
    DeptInfo *hall = list.at(1);
    DeptInfo *lab = list.at(2);
    ThinclientInfo *a = device(hall, "ORL K1", "aa");
    ThinclientInfo *b = device(hall, "ORL K1", "bb");
    ThinclientInfo *c = device(hall, "ORL K1", "cc");
    ThinclientInfo *p = device(hall, "Pyrel PC", "pp");
    ThinclientInfo *l = device(lab, "ORL K1", "ll");
    a->checked = true;
    QMap<QString, int> map{{"aa", 3}, {"bb", 3}, {"cc", 3}, {"pp", 3}, {"ll", 8}};

    // A group row comes along in the selection; it stays where it is.
    QStandardItem *k1 = hall->groupItems.value("ORL K1");
    select(hall, c->item);
    select(hall, k1);
    select(hall, a->item);
    select(hall, p->item);
    hall->contextItem = a->item;

    QCOMPARE(DeviceDrop::moveSelectedDevices(hall, lab, &map, &settings), 3);

    QCOMPARE(hall->macs, QStringList{"bb"});
    QCOMPARE(lab->macs, (QStringList{"ll", "cc", "aa", "pp"}));
    QCOMPARE(map, (QMap<QString, int>{{"aa", 8}, {"bb", 3}, {"cc", 8}, {"pp", 8}, {"ll", 8}}));
    QCOMPARE(hall->devices, QList<ThinclientInfo *>{b});
    QCOMPARE(lab->devices, (QList<ThinclientInfo *>{l, c, a, p}));

    QCOMPARE(hall->rootItem->rowCount(), 2);
    QCOMPARE(k1->rowCount(), 1);
    QCOMPARE(k1->child(0), b->item);
    QCOMPARE(hall->groupItems.value("Pyrel PC")->rowCount(), 0);
    QVERIFY(!hall->treeView->selectionModel()->hasSelection());
    QVERIFY(!hall->contextItem);

    QStandardItem *labK1 = lab->groupItems.value("ORL K1");
    QCOMPARE(labK1->rowCount(), 3);
    QCOMPARE(labK1->child(1), c->item);
    QCOMPARE(labK1->child(2), a->item);
    QCOMPARE(a->item->model(), lab->model);
    QCOMPARE(a->item->checkState(), Qt::Checked);
    QCOMPARE(TreeRows::recordOf(labK1->child(2, 1)), a);
    QCOMPARE(lab->groupItems.value("Pyrel PC")->child(0), p->item);
}

void TestDepartmentPanel::dropIntoOrphans()
{
    DeptInfo *orphans = list.at(0);
    DeptInfo *hall = list.at(1);
    ThinclientInfo *o = device(orphans, "ORL K1", "oo");
    ThinclientInfo *h = device(hall, "ORL K1", "hh");
    QMap<QString, int> map{{"hh", 3}};

    // Out of "Orphans": nothing to remove there, listed in the target.
    select(orphans, o->item);
    QCOMPARE(DeviceDrop::moveSelectedDevices(orphans, hall, &map, &settings), 1);
    QVERIFY(orphans->macs.isEmpty());
    QCOMPARE(hall->macs, (QStringList{"hh", "oo"}));
    QCOMPARE(map.value("oo"), 3);

    // Into "Orphans": its MAC address is listed under department 0.
    select(hall, h->item);
    QCOMPARE(DeviceDrop::moveSelectedDevices(hall, orphans, &map, &settings), 1);
    QCOMPARE(orphans->macs, QStringList{"hh"});
    QCOMPARE(hall->macs, QStringList{"oo"});
    QCOMPARE(map.value("hh"), 0);
    QCOMPARE(orphans->devices, QList<ThinclientInfo *>{h});
}

void TestDepartmentPanel::dropOnOwnTree()
{
    DeptInfo *hall = list.at(1);
    ThinclientInfo *a = device(hall, "ORL K1", "aa");
    QMap<QString, int> map{{"aa", 3}};
    select(hall, a->item);

    QCOMPARE(DeviceDrop::moveSelectedDevices(hall, hall, &map, &settings), 0);
    QCOMPARE(DeviceDrop::moveSelectedDevices(nullptr, hall, &map, &settings), 0);
    QCOMPARE(DeviceDrop::moveSelectedDevices(hall, nullptr, &map, &settings), 0);
    QCOMPARE(hall->macs, QStringList{"aa"});
    QCOMPARE(hall->devices, QList<ThinclientInfo *>{a});
    QCOMPARE(a->item->model(), hall->model);
    QVERIFY(hall->treeView->selectionModel()->hasSelection());
    QCOMPARE(map.value("aa"), 3);

    // Nothing selected: nothing moves, so nothing is to be saved.
    hall->treeView->clearSelection();
    QCOMPARE(DeviceDrop::moveSelectedDevices(hall, list.at(2), &map, &settings), 0);
}

QTEST_MAIN(TestDepartmentPanel)
#include "tst_departmentpanel.moc"
