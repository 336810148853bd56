// Check boxes mirrored into the records, the per-group Select / Deselect /
// Invert, and the tree's context menu.
#include "devicelink/columns.h"
#include "devicelink/thinclientinfo.h"
#include "mainwindow/deptinfo.h"
#include "mainwindow/deviceselection.h"
#include "mainwindow/devicetree.h"
#include "mainwindow/orltreeview.h"
#include "mainwindow/treerows.h"
#include "deptsupport.h"

#include <QMenu>
#include <QSettings>
#include <QStandardItemModel>
#include <QtTest>

class TestDeviceSelection : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void clickCopiesBox_data();
    void clickCopiesBox();
    void keyboardTickReachesRecord_data();
    void keyboardTickReachesRecord();
    void groupActions_data();
    void groupActions();
    void groupActionsNeedDevices();
    void contextMenu_data();
    void contextMenu();

private:
    ThinclientInfo *add(const QString &model, const QString &name, bool online = true);
    QSettings settings{QStringLiteral("Halvard"), QStringLiteral("korvane_server")};
    DeptInfo *dept = nullptr;
    QObject records;
};

void TestDeviceSelection::init()
{
    settings.clear();
    Columns::initDefaults(&settings);
    dept = new DeptInfo;
    DeviceTree::createDeviceTreeView(dept, &settings);
}

void TestDeviceSelection::cleanup()
{
    DeviceTree::destroyDeviceTree(dept);
    delete dept;
    qDeleteAll(records.children());
}

ThinclientInfo *TestDeviceSelection::add(const QString &model, const QString &name, bool online)
{
    ThinclientInfo *r = DeptSupport::device(&records, model, name);
    r->online = online;
    DeviceTree::fileDevice(dept, &settings, r);
    return r;
}

void TestDeviceSelection::clickCopiesBox_data()
{
    QTest::addColumn<bool>("online");
    QTest::addColumn<bool>("flagBefore");
    QTest::addColumn<bool>("boxTicked");
    QTest::addColumn<int>("clickedColumn");
    QTest::addColumn<bool>("written");
    QTest::addColumn<bool>("flagAfter");

    QTest::newRow("tick on the box") << true << false << true << 0 << true << true;
    QTest::newRow("untick on the box") << true << true << false << 0 << true << false;
    QTest::newRow("click on the status text") << true << false << true << 1 << true << true;
    QTest::newRow("click on a column cell") << true << true << false << 3 << true << false;
    QTest::newRow("offline keeps its flag") << false << false << true << 0 << false << false;
    QTest::newRow("offline keeps a set flag") << false << true << false << 2 << false << true;
}

void TestDeviceSelection::clickCopiesBox()
{
    QFETCH(bool, online);
    QFETCH(bool, flagBefore);
    QFETCH(bool, boxTicked);
    QFETCH(int, clickedColumn);
    QFETCH(bool, written);
    QFETCH(bool, flagAfter);

    ThinclientInfo *r = add("ORL K1", "a", online);
    r->item->setCheckState(boxTicked ? Qt::Checked : Qt::Unchecked);
    r->checked = flagBefore;
    QStandardItem *clicked = r->item->parent()->child(r->item->row(), clickedColumn);
    QCOMPARE(DeviceSelection::syncChecked(clicked), written);
    QCOMPARE(r->checked, flagAfter);
}

void TestDeviceSelection::keyboardTickReachesRecord_data()
{
    QTest::addColumn<bool>("ticked");
    QTest::newRow("space ticks") << false;
    QTest::newRow("space unticks") << true;
}

// The box also changes from the keyboard, with no click to report it: a
// device unticked that way must not get the next command.
void TestDeviceSelection::keyboardTickReachesRecord()
{
    QFETCH(bool, ticked);
    ThinclientInfo *r = add("ORL K1", "a");
    r->item->setCheckState(ticked ? Qt::Checked : Qt::Unchecked);
    r->checked = ticked;
    dept->treeView->setCurrentIndex(dept->model->indexFromItem(r->item));
    QTest::keyClick(dept->treeView, Qt::Key_Space);
    QCOMPARE(r->item->checkState(), ticked ? Qt::Unchecked : Qt::Checked);
    QCOMPARE(r->checked, !ticked);
}

void TestDeviceSelection::groupActions_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<QList<bool>>("before");
    QTest::addColumn<QList<bool>>("after");

    QTest::newRow("select all") << "check" << QList<bool>{false, true, false} << QList<bool>{true, true, true};
    QTest::newRow("deselect all") << "uncheck" << QList<bool>{true, false, true}
                                  << QList<bool>{false, false, false};
    QTest::newRow("invert") << "invert" << QList<bool>{false, true, false} << QList<bool>{true, false, true};
}

void TestDeviceSelection::groupActions()
{
    QFETCH(QString, action);
    QFETCH(QList<bool>, before);
    QFETCH(QList<bool>, after);

    // The third device is offline: the group actions reach it all the same.
    QList<ThinclientInfo *> group{add("ORL K1", "a"), add("ORL K1", "b"), add("ORL K1", "c", false)};
    ThinclientInfo *other = add("Pyrel PC", "p");
    for (int i = 0; i < group.size(); ++i) {
        group[i]->checked = before[i];
        group[i]->item->setCheckState(before[i] ? Qt::Checked : Qt::Unchecked);
    }

    QStandardItem *g = dept->groupItems.value("ORL K1");
    const bool done = action == "check" ? DeviceSelection::checkAll(g)
                      : action == "uncheck" ? DeviceSelection::uncheckAll(g)
                                            : DeviceSelection::invertCheck(g);
    QVERIFY(done);
    for (int i = 0; i < group.size(); ++i) {
        QCOMPARE(group[i]->checked, after[i]);
        QCOMPARE(group[i]->item->checkState(), after[i] ? Qt::Checked : Qt::Unchecked);
    }
    QVERIFY(!other->checked);
    QCOMPARE(other->item->checkState(), Qt::Unchecked);
}

void TestDeviceSelection::groupActionsNeedDevices()
{
    QStandardItem empty(QStringLiteral("ORL K1"));
    QVERIFY(!DeviceSelection::checkAll(nullptr));
    QVERIFY(!DeviceSelection::uncheckAll(&empty));
    QVERIFY(!DeviceSelection::invertCheck(&empty));
}

void TestDeviceSelection::contextMenu_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<QStringList>("entries");

    const QStringList group{"Select all", "Deselect all", "Invert selection"};
    QTest::newRow("group name") << "group" << group;
    QTest::newRow("device name") << "device" << QStringList{"Show device info"};
    QTest::newRow("device cell") << "cell" << QStringList{"Show device info"};
    QTest::newRow("empty cell of a group row") << "groupcell" << QStringList{"Show device info"};
}

void TestDeviceSelection::contextMenu()
{
    QFETCH(QString, target);
    QFETCH(QStringList, entries);

    ThinclientInfo *r = add("ORL K1", "a");
    QStandardItem *group = dept->groupItems.value("ORL K1");
    QStandardItem *item = target == "group" ? group
                          : target == "device" ? r->item
                          : target == "cell" ? group->child(0, 2)
                                             : dept->rootItem->child(0, 4);

    QStringList called;
    DeviceSelection::MenuHandlers handlers;
    handlers.checkAll = [&] { called << "Select all"; };
    handlers.uncheckAll = [&] { called << "Deselect all"; };
    handlers.invertCheck = [&] { called << "Invert selection"; };
    handlers.showDeviceInfo = [&] { called << "Show device info"; };

    QMenu *menu = DeviceSelection::buildContextMenu(item, dept->treeView, handlers);
    QCOMPARE(menu->parent(), dept->treeView);
    QStringList texts;
    for (QAction *a : menu->actions()) {
        texts << a->text();
        a->trigger();
    }
    QCOMPARE(texts, entries);
    QCOMPARE(called, entries);
    delete menu;
}

QTEST_MAIN(TestDeviceSelection)
#include "tst_deviceselection.moc"
