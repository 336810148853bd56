// The department panel's rules: where a dragged label lands, new, rename and
// delete with their refusals, and moving dropped devices between departments.
#include "devicelink/columns.h"
#include "devicelink/devicerow.h"
#include "devicelink/thinclientinfo.h"
#include "mainwindow/deptedit.h"
#include "mainwindow/deptinfo.h"
#include "mainwindow/deptlabelorder.h"
#include "mainwindow/devicedrop.h"
#include "mainwindow/devicetree.h"
#include "mainwindow/orldroplabel.h"
#include "mainwindow/orltreeview.h"
#include "mainwindow/treerows.h"
#include "deptsupport.h"
#include "scriptedprompter.h"

#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QSettings>
#include <QStandardItemModel>
#include <QVBoxLayout>
#include <QtTest>

using DeptSupport::typeName;

namespace {
// The texts of a device's row, cell by cell.
QStringList rowTexts(const ThinclientInfo *r)
{
    QStringList out;
    for (int column = 0; const QStandardItem *cell = DeviceRow::cell(r, column); ++column)
        out << cell->text();
    return out;
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
    void rename_data();
    void rename();
    void deleteRefusals_data();
    void deleteRefusals();
    void deleteDepartment_data();
    void deleteDepartment();
    void dropMovesDevices();
    void moveKeepsTheBoxOfAnOfflineDevice_data();
    void moveKeepsTheBoxOfAnOfflineDevice();
    void moveKeepsTheReportedStatus_data();
    void moveKeepsTheReportedStatus();
    void moveOfADeviceWithoutAddress_data();
    void moveOfADeviceWithoutAddress();
    void dropOfManyLeavesTheRest_data();
    void dropOfManyLeavesTheRest();

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
    ThinclientInfo *r = DeptSupport::device(&records, model, mac, mac);
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
    QTest::newRow("just below the top edge while scrolled") << 70 << 32 << 5 << 1;
    QTest::newRow("above the panel") << 200 << -40 << 10 << 0;
    QTest::newRow("scrolled") << 140 << 40 << 5 << 3;
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
    // Near the edges of a 400-pixel area the panel scrolls by 15.
    QCOMPARE(DeptLabelOrder::edgeScrollValue(9, 100, 400), 85);
    QCOMPARE(DeptLabelOrder::edgeScrollValue(10, 100, 400), 100);
    QCOMPARE(DeptLabelOrder::edgeScrollValue(336, 100, 400), 100);
    QCOMPARE(DeptLabelOrder::edgeScrollValue(337, 100, 400), 115);
}

void TestDepartmentPanel::newDepartment()
{
    ScriptedPrompter prompts;
    prompts.answerDialog(typeName(QString()));
    QCOMPARE(DeptEdit::newDepartment(&list, nullptr), nullptr);
    QCOMPARE(list.size(), 3);

    QString promptText;
    prompts.answerDialog([&](QDialog *dlg) {
        promptText = dlg->findChild<QLabel *>("lblText")->text();
        return typeName("Sales <east>")(dlg);
    });
    DeptInfo *added = DeptEdit::newDepartment(&list, nullptr);
    QVERIFY(added);
    QCOMPARE(prompts.calls.size(), 2);
    QCOMPARE(promptText, QStringLiteral("Enter department name"));
    QCOMPARE(added->name, QStringLiteral("Sales <east>"));
    QCOMPARE(added->id, 9);
    QCOMPARE(list.last(), added);
}

void TestDepartmentPanel::rename_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("name");

    QTest::newRow("new name") << 1 << "<b>R&D</b>" << "<b>R&D</b>";
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
    QTest::addColumn<QString>("text");    // "" : nothing asked
    QTest::addColumn<bool>("allowed");
    QTest::addColumn<QString>("name");    // as the department file gave it; "" : as it is

    QTest::newRow("Orphans, even with devices") << 0 << true << 0
                             << "Department:\n\nOrphans\n\nis a special case and cannot be deleted!" << false << "";
    QTest::newRow("devices online") << 1 << true << 0
                                    << "Cannot delete Department:\n\nHall\n\nIt is not empty!" << false << "";
    const QString question = "Do you really want to delete department:\n\nLab\n\nThis action cannot be undone!";
    QTest::newRow("answered No") << 2 << false << int(QMessageBox::No) << question << false << "";
    QTest::newRow("answered Yes") << 2 << false << int(QMessageBox::Yes) << question << true << "";
    QTest::newRow("not in the list") << -1 << false << 0 << "" << false << "";
    // The file's text: its line separators add no lines to the boxes.
    QTest::newRow("a name with line separators, with devices")
        << 1 << true << 0 << "Cannot delete Department:\n\nHall  It is empty.\n\nIt is not empty!" << false
        << "Hall\u2028\u2028It is empty.";
    QTest::newRow("a name with line separators, asked")
        << 2 << false << int(QMessageBox::No)
        << "Do you really want to delete department:\n\nLab  Press Yes \n\nThis action cannot be undone!" << false
        << "Lab\u2029\u2028Press Yes\u0085";
    QTest::newRow("a name of a megabyte")
        << 1 << true << 0 << "Cannot delete Department:\n\n" + QString(1024, u'n') + "\n\nIt is not empty!" << false
        << QString(1 << 20, u'n');
}

void TestDepartmentPanel::deleteRefusals()
{
    QFETCH(int, index);
    QFETCH(bool, withDevice);
    QFETCH(int, answer);
    QFETCH(QString, text);
    QFETCH(bool, allowed);
    QFETCH(QString, name);

    QScopedPointer<DeptInfo> stray(department(12, "Stray"));
    DeptInfo *dept = index < 0 ? stray.data() : list.at(index);
    if (!name.isEmpty())
        dept->name = name;
    // Offline members alone (listed, not registered) do not block deletion.
    dept->macs << "00:aa:bb:cc:dd:ee";
    if (withDevice)
        device(dept, "ORL K1", "00:11:22:33:44:55");

    ScriptedPrompter prompts;
    if (answer)
        prompts.answer(QMessageBox::StandardButton(answer));
    QCOMPARE(DeptEdit::confirmDelete(&list, dept, nullptr), allowed);
    QCOMPARE(prompts.texts(), text.isEmpty() ? QStringList() : QStringList{text});
    if (text.isEmpty())
        return;
    const ScriptedPrompter::Call call = prompts.last();
    QCOMPARE(call.title, QStringLiteral("Deleting department"));
    QCOMPARE(call.kind, QLatin1String(answer ? "question" : "information"));
    if (answer)
        QCOMPARE(call.defaultButton, QMessageBox::No);
    QVERIFY(prompts.unexpected.isEmpty());
}

void TestDepartmentPanel::deleteDepartment_data()
{
    QTest::addColumn<int>("deleted");
    QTest::addColumn<int>("current");
    QTest::addColumn<int>("shownAfter");    // index in the original list

    // The list: Hall, Orphans, Lab, Store.
    QTest::newRow("current: the one above") << 2 << 2 << 1;
    QTest::newRow("first and current: the one below") << 0 << 0 << 1;
    QTest::newRow("last and current") << 3 << 3 << 2;
    QTest::newRow("not current: current stays") << 2 << 3 << 3;
}

void TestDepartmentPanel::deleteDepartment()
{
    QFETCH(int, deleted);
    QFETCH(int, current);
    QFETCH(int, shownAfter);

    cleanup();
    list = {department(3, "Hall"), department(0, "Orphans"), department(8, "Lab"), department(4, "Store")};
    // The labels live in the panel's layout.
    QWidget panel;
    auto *layout = new QVBoxLayout(&panel);
    for (DeptInfo *d : list) {
        DeviceTree::createDeviceTreeView(d, &settings);
        d->label = new OrlDropLabel(nullptr, d);
        layout->addWidget(d->label);
    }
    DeptInfo *victim = list.at(deleted);
    victim->macs << "m1" << "m2";
    QMap<QString, int> map{{"m1", victim->id}, {"m2", victim->id}, {"m3", 0}};
    QPointer<OrlDropLabel> label(victim->label);
    QPointer<OrlTreeView> view(victim->treeView);
    DeptInfo *expected = list.at(shownAfter);

    QCOMPARE(DeptEdit::deleteDepartment(&list, victim, list.at(current), &map), expected);
    QCOMPARE(list.size(), 3);
    QVERIFY(!list.contains(victim));
    QVERIFY(!view);
    QCOMPARE(layout->count(), 3);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!label);
    // Its offline members land in "Orphans" when they register later.
    QCOMPARE(map, (QMap<QString, int>{{"m3", 0}}));

    // A department sharing the deleted one's id keeps its members' entries.
    DeptInfo *twin = list.first();
    twin->macs << "t1";
    map.insert("t1", twin->id);
    list << department(twin->id, "Twin");
    DeptEdit::deleteDepartment(&list, list.last(), list.first(), &map);
    QCOMPARE(map.value("t1", -1), twin->id);

    DeptInfo outsider;
    QCOMPARE(DeptEdit::deleteDepartment(&list, &outsider, list.first(), &map), nullptr);
    QCOMPARE(list.size(), 3);
    for (DeptInfo *d : list) {
        delete d->label;
        d->label = nullptr;
    }
}

void TestDepartmentPanel::dropMovesDevices()
{
    DeptInfo *orphans = list.at(0);
    DeptInfo *hall = list.at(1);
    DeptInfo *lab = list.at(2);
    ThinclientInfo *a = device(hall, "ORL K1", "aa");
    ThinclientInfo *b = device(hall, "ORL K1", "bb");
    ThinclientInfo *c = device(hall, "ORL K1", "cc");
    ThinclientInfo *p = device(hall, "Pyrel PC", "pp");
    ThinclientInfo *l = device(lab, "ORL K1", "ll");
    ThinclientInfo *o = device(orphans, "ORL K1", "oo");
    a->checked = true;
    QMap<QString, int> map{{"aa", 3}, {"bb", 3}, {"cc", 3}, {"pp", 3}, {"ll", 8}};

    // A group row comes along in the selection; it stays where it is.
    QStandardItem *k1 = hall->groupItems.value("ORL K1");
    select(hall, c->item);
    select(hall, k1);
    select(hall, a->item);
    select(hall, p->item);
    hall->contextItem = a->item;

    // Onto its own tree or nowhere: nothing moves.
    QCOMPARE(DeviceDrop::moveSelectedDevices(hall, hall, &map, &settings), 0);
    QCOMPARE(DeviceDrop::moveSelectedDevices(hall, nullptr, &map, &settings), 0);
    QCOMPARE(DeviceDrop::moveSelectedDevices(nullptr, hall, &map, &settings), 0);
    QCOMPARE(DeviceDrop::moveSelectedDevices(hall, lab, &map, &settings), 3);

    QCOMPARE(hall->macs, QStringList{"bb"});
    QCOMPARE(lab->macs, (QStringList{"ll", "cc", "aa", "pp"}));
    QCOMPARE(map, (QMap<QString, int>{{"aa", 8}, {"bb", 3}, {"cc", 8}, {"pp", 8}, {"ll", 8}}));
    QCOMPARE(hall->devices, QList<ThinclientInfo *>{b});
    QCOMPARE(lab->devices, (QList<ThinclientInfo *>{l, c, a, p}));

    QCOMPARE(k1->rowCount(), 1);
    QCOMPARE(k1->child(0), b->item);
    QCOMPARE(hall->groupItems.value("Pyrel PC")->rowCount(), 0);
    QVERIFY(!hall->treeView->selectionModel()->hasSelection());
    QVERIFY(!hall->contextItem);
    QStandardItem *labK1 = lab->groupItems.value("ORL K1");
    QCOMPARE(labK1->child(2), a->item);
    QCOMPARE(a->item->checkState(), Qt::Checked);
    QCOMPARE(TreeRows::recordOf(labK1->child(2, 1)), a);

    // Nothing selected: nothing moves, so nothing is to be saved.
    QCOMPARE(DeviceDrop::moveSelectedDevices(hall, lab, &map, &settings), 0);

    // Out of "Orphans" nothing is removed from a member list; into it, the
    // MAC address is listed under department 0.
    select(orphans, o->item);
    QCOMPARE(DeviceDrop::moveSelectedDevices(orphans, hall, &map, &settings), 1);
    QCOMPARE(hall->macs, (QStringList{"bb", "oo"}));
    select(hall, b->item);
    QCOMPARE(DeviceDrop::moveSelectedDevices(hall, orphans, &map, &settings), 1);
    QCOMPARE(orphans->macs, QStringList{"bb"});
    QCOMPARE(map.value("bb"), 0);
    QCOMPARE(map.value("oo"), 3);
}

void TestDepartmentPanel::moveKeepsTheBoxOfAnOfflineDevice_data()
{
    QTest::addColumn<bool>("flag");    // the record's tick when it went offline
    QTest::addColumn<bool>("box");     // its box since, in a row a drop gave it

    QTest::newRow("unticked while away") << true << false;
    QTest::newRow("ticked while away") << false << true;
}

void TestDepartmentPanel::moveKeepsTheBoxOfAnOfflineDevice()
{
    QFETCH(bool, flag);
    QFETCH(bool, box);
    DeptInfo *hall = list.at(1);
    DeptInfo *lab = list.at(2);
    ThinclientInfo *r = device(hall, "ORL K1", "aa");
    r->online = false;
    r->checked = flag;
    // The box of an offline device leaves its flag alone; registering again
    // takes the tick from the box.
    r->item->setCheckState(box ? Qt::Checked : Qt::Unchecked);
    QCOMPARE(r->checked, flag);

    QMap<QString, int> map;
    select(hall, r->item);
    QCOMPARE(DeviceDrop::moveSelectedDevices(hall, lab, &map, &settings), 1);
    QCOMPARE(r->item->model(), lab->model);
    QCOMPARE(r->item->checkState(), box ? Qt::Checked : Qt::Unchecked);
}

void TestDepartmentPanel::moveKeepsTheReportedStatus_data()
{
    QTest::addColumn<QByteArray>("key");    // the cell's column; none: the status cell
    QTest::addColumn<int>("bootMode");      // of the registration the row was built from
    QTest::addColumn<QString>("shown");     // reported since, as the cell shows it
    QTest::addColumn<QColor>("colour");
    QTest::newRow("reported status") << QByteArray() << 0 << "Downloading firmware" << QColor(Qt::red);
    QTest::newRow("reported after the boot mode") << QByteArray() << 3 << "Firmware upgraded" << QColor(Qt::black);
    // The record keeps the server as sent; the report that came with the
    // protocol showed it in capitals.
    QTest::newRow("server shown in capitals") << QByteArray("colRemoteServer") << 0 << "SRV01.CORP.LOCAL" << QColor();
}

void TestDepartmentPanel::moveKeepsTheReportedStatus()
{
    QFETCH(QByteArray, key);
    QFETCH(int, bootMode);
    QFETCH(QString, shown);
    QFETCH(QColor, colour);
    ThinclientInfo *r = DeptSupport::device(&records, "ORL K1", "aa", "aa");
    r->bootMode = quint16(bootMode);
    r->remoteServer = QStringLiteral("srv01.corp.local");
    DeviceTree::fileDevice(list.at(1), &settings, r);
    const int column = key.isEmpty() ? 1 : Columns::modelColumn(&settings, key.constData());
    QVERIFY(column > 0);
    if (colour.isValid())
        DeviceRow::setForeground(r, column, colour);
    DeviceRow::setText(r, column, shown);
    const QStringList before = rowTexts(r);
    QMap<QString, int> map;
    select(list.at(1), r->item);
    QCOMPARE(DeviceDrop::moveSelectedDevices(list.at(1), list.at(2), &map, &settings), 1);
    QCOMPARE(rowTexts(r), before);
    if (colour.isValid())
        QCOMPARE(DeviceRow::cell(r, column)->foreground().color(), colour);
}

void TestDepartmentPanel::moveOfADeviceWithoutAddress_data()
{
    QTest::addColumn<QString>("mac");
    QTest::newRow("none") << QString();
    QTest::newRow("blanks") << QStringLiteral("  ");
}

// Devices that report no MAC address cannot be told apart: the one dragged
// moves, but no member entry names the blank, or every other such device
// would be filed into that department when it registers.
void TestDepartmentPanel::moveOfADeviceWithoutAddress()
{
    QFETCH(QString, mac);
    DeptInfo *orphans = list.at(0);
    DeptInfo *hall = list.at(1);
    ThinclientInfo *dragged = device(orphans, "ORL K1", mac);
    QMap<QString, int> map{{"aa", 3}};
    select(orphans, dragged->item);
    QCOMPARE(DeviceDrop::moveSelectedDevices(orphans, hall, &map, &settings), 1);
    QCOMPARE(hall->devices, QList<ThinclientInfo *>{dragged});
    QCOMPARE(hall->macs, QStringList());
    QCOMPARE(map, (QMap<QString, int>{{"aa", 3}}));

    ThinclientInfo *other = DeptSupport::device(&records, "ORL K1", "other", mac);
    QCOMPARE(DeviceTree::addDeviceToDepartment(&list, map, &settings, other), orphans);
}


// A large drop: single devices or blocks of them out of two groups, and
// the department keeps the rest, rows and members, in their order.
void TestDepartmentPanel::dropOfManyLeavesTheRest_data()
{
    QTest::addColumn<int>("period");   // of each `period` devices in turn,
    QTest::addColumn<int>("taken");    // the last `taken` are dropped
    QTest::newRow("every other") << 2 << 1;
    QTest::newRow("blocks") << 7 << 5;
}

void TestDepartmentPanel::dropOfManyLeavesTheRest()
{
    QFETCH(int, period);
    QFETCH(int, taken);
    DeptInfo *hall = list.at(1);
    DeptInfo *lab = list.at(2);
    hall->macs << "away-1";
    QList<ThinclientInfo *> stay, go, rowsLeft[2];
    QStringList stayingMacs{"away-1"}, goneMacs;
    for (int i = 0; i < 600; ++i) {
        const QString mac = QStringLiteral("m%1").arg(i);
        ThinclientInfo *r = device(hall, i % 3 ? "ORL K1" : "Pyrel PC", mac);
        const bool goes = i % period >= period - taken;
        (goes ? go : stay) << r;
        (goes ? goneMacs : stayingMacs) << mac;
        if (goes)
            select(hall, r->item);
        else
            rowsLeft[i % 3 ? 0 : 1] << r;
    }
    hall->macs << "away-2";
    stayingMacs << "away-2";
    QMap<QString, int> map;
    QCOMPARE(DeviceDrop::moveSelectedDevices(hall, lab, &map, &settings), int(go.size()));
    QCOMPARE(hall->devices, stay);
    QCOMPARE(hall->macs, stayingMacs);
    QCOMPARE(QSet<ThinclientInfo *>(lab->devices.cbegin(), lab->devices.cend()),
             QSet<ThinclientInfo *>(go.cbegin(), go.cend()));
    QCOMPARE(QSet<QString>(lab->macs.cbegin(), lab->macs.cend()), QSet<QString>(goneMacs.cbegin(), goneMacs.cend()));
    QCOMPARE(lab->macs.size(), go.size());
    // Each row left is whole: its status cell is its own device's.
    const char *const models[] = {"ORL K1", "Pyrel PC"};
    for (int g = 0; g < 2; ++g) {
        QStandardItem *group = hall->groupItems.value(models[g]);
        QList<ThinclientInfo *> rows;
        for (int row = 0; row < group->rowCount(); ++row) {
            rows << TreeRows::recordOf(group->child(row, 0));
            QCOMPARE(TreeRows::recordOf(group->child(row, 1)), rows.last());
        }
        QCOMPARE(rows, rowsLeft[g]);
    }
}

QTEST_MAIN(TestDepartmentPanel)
#include "tst_departmentpanel.moc"
