// The widgets of the device tree and the department panel: the drag source,
// its mime data, the department label and the panel's scrolling.
#include "mainwindow/orldroplabel.h"
#include "mainwindow/orlmimedata.h"
#include "mainwindow/orlscrollarea.h"
#include "mainwindow/orltreeview.h"

#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QScrollBar>
#include <QStandardItemModel>
#include <QTextDocument>
#include <QVBoxLayout>

#include <memory>
#include <QtTest>

namespace {
// Counts the drags instead of running one: a real drag waits for the mouse.
class CountingTreeView : public OrlTreeView
{
public:
    int drags = 0;
    QStringList carried;    // the rows selected when the last drag started
    bool moves = false;     // each drag is dropped on another department
    void performDrag() override
    {
        ++drags;
        carried = selectedNames();
        if (!moves)
            return;
        // As the drop and a drag that ended in a move leave the tree.
        QList<QPersistentModelIndex> rows;
        for (const QModelIndex &row : selectionModel()->selectedRows(0))
            rows << row;
        for (const QPersistentModelIndex &row : rows)
            model()->removeRow(row.row(), row.parent());
        clearSelection();
    }
    QStringList selectedNames() const
    {
        QStringList names;
        for (const QModelIndex &row : selectionModel()->selectedRows(0))
            names << row.data().toString();
        names.sort();
        return names;
    }
};

void sendMouse(QWidget *w, QEvent::Type type, QPoint pos, Qt::MouseButton button, Qt::MouseButtons buttons)
{
    QMouseEvent e(type, pos, w->mapToGlobal(pos), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

int dummy;
void *const deptTag = &dummy;

// A panel 300 pixels high over 2000 pixels of labels, shown.
void showPanel(OrlScrollArea *panel)
{
    auto *content = new QWidget;
    content->setFixedSize(80, 2000);
    panel->setWidget(content);
    panel->setFixedSize(100, 300);
    panel->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    panel->show();
    QVERIFY(QTest::qWaitForWindowExposed(panel));
}
} // namespace

class TestDeptWidgets : public QObject
{
    Q_OBJECT
private slots:
    void treeViewStartsDrag();
    void dragCarriesThePressedRows_data();
    void dragCarriesThePressedRows();
    void labelText_data();
    void labelText();
    void labelMouse();
    void menus();
    void labelDragEnterAndDrop_data();
    void labelDragEnterAndDrop();
    void autoScrollTick_data();
    void autoScrollTick();
    void placeholder();
    void labelDragSteps();
};

void TestDeptWidgets::treeViewStartsDrag()
{
    CountingTreeView view;
    QStandardItemModel model;
    model.appendRow(new QStandardItem("ORL K1"));
    view.setModel(&model);
    view.resize(300, 200);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    QWidget *port = view.viewport();
    QCOMPARE(view.dragStartPosition, QPoint(0, 0));

    // Any movement with the left button held starts a drag.
    sendMouse(port, QEvent::MouseButtonPress, QPoint(20, 10), Qt::LeftButton, Qt::LeftButton);
    QCOMPARE(view.dragStartPosition, QPoint(20, 10));
    sendMouse(port, QEvent::MouseMove, QPoint(21, 10), Qt::NoButton, Qt::LeftButton);
    QCOMPARE(view.drags, 1);
    // No movement yet: no drag.
    sendMouse(port, QEvent::MouseMove, QPoint(20, 10), Qt::NoButton, Qt::LeftButton);
    QCOMPARE(view.drags, 1);
    sendMouse(port, QEvent::MouseButtonRelease, QPoint(20, 10), Qt::LeftButton, Qt::NoButton);

    // Other buttons never move the start point nor start a drag.
    sendMouse(port, QEvent::MouseButtonPress, QPoint(60, 30), Qt::RightButton, Qt::RightButton);
    QCOMPARE(view.dragStartPosition, QPoint(20, 10));
    sendMouse(port, QEvent::MouseMove, QPoint(90, 40), Qt::NoButton, Qt::RightButton);
    sendMouse(port, QEvent::MouseButtonRelease, QPoint(90, 40), Qt::RightButton, Qt::NoButton);
    sendMouse(port, QEvent::MouseButtonPress, QPoint(60, 30), Qt::LeftButton, Qt::LeftButton | Qt::RightButton);
    QCOMPARE(view.dragStartPosition, QPoint(20, 10));
    QCOMPARE(view.drags, 1);
}

void TestDeptWidgets::dragCarriesThePressedRows_data()
{
    QTest::addColumn<QStringList>("before");
    QTest::addColumn<QString>("pressed");    // a device's row; empty: below the rows
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<bool>("moves");
    QTest::addColumn<QStringList>("carried");    // empty: no drag starts

    const int none = Qt::NoModifier;
    const int ctrl = Qt::ControlModifier;
    const QStringList nothing;
    QTest::newRow("unselected row") << QStringList{"A"} << "B" << none << false << QStringList{"B"};
    QTest::newRow("one of the selected rows") << QStringList{"A", "B"} << "A" << none << false
                                              << QStringList{"A", "B"};
    QTest::newRow("row added with Ctrl") << QStringList{"A"} << "B" << ctrl << false << QStringList{"A", "B"};
    QTest::newRow("selected rows moved") << QStringList{"A", "B"} << "B" << none << true << QStringList{"A", "B"};
    QTest::newRow("offline device's row") << QStringList{"A", "B"} << "C" << none << false << nothing;
    QTest::newRow("below the rows") << QStringList{"A", "B"} << "" << none << false << nothing;
    QTest::newRow("below the rows with Ctrl") << QStringList{"A", "B"} << "" << ctrl << false << nothing;
}

void TestDeptWidgets::dragCarriesThePressedRows()
{
    QFETCH(QStringList, before);
    QFETCH(QString, pressed);
    QFETCH(int, modifiers);
    QFETCH(bool, moves);
    QFETCH(QStringList, carried);

    CountingTreeView view;
    view.moves = moves;
    QStandardItemModel model;
    auto *group = new QStandardItem("ORL K1");
    model.appendRow(group);
    for (const char *name : {"A", "B", "C", "D"})
        group->appendRow(new QStandardItem(name));
    group->child(2)->setEnabled(false);    // C is offline
    view.setModel(&model);
    view.setSelectionMode(QAbstractItemView::ExtendedSelection);
    view.setSelectionBehavior(QAbstractItemView::SelectRows);
    view.expandAll();
    view.resize(300, 300);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    QPoint at(40, view.viewport()->height() - 5);
    for (int i = 0; i < group->rowCount(); ++i) {
        const QModelIndex row = group->child(i)->index();
        if (before.contains(row.data().toString()))
            view.selectionModel()->select(row, QItemSelectionModel::Select | QItemSelectionModel::Rows);
        if (row.data().toString() == pressed)
            at = view.visualRect(row).center();
    }

    const auto mods = Qt::KeyboardModifiers(modifiers);
    QWidget *port = view.viewport();
    QTest::mousePress(port, Qt::LeftButton, mods, at);
    QTest::mouseMove(port, at + QPoint(1, 0));
    QTest::mouseRelease(port, Qt::LeftButton, mods, at + QPoint(1, 0));
    QCOMPARE(view.drags, carried.isEmpty() ? 0 : 1);
    QCOMPARE(view.carried, carried);
    // A drag that moved nothing leaves the rows it carried selected; one
    // that moved them, none.
    if (!carried.isEmpty())
        QCOMPARE(view.selectedNames(), moves ? QStringList() : carried);
}

void TestDeptWidgets::labelText_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");

    QTest::newRow("plain") << "Sales" << "<font color='white'>Sales</font>";
    QTest::newRow("markup characters") << "<R&D> \"1\""
                                       << "<font color='white'>&lt;R&amp;D&gt; &quot;1&quot;</font>";
    QTest::newRow("empty") << "" << "<font color='white'></font>";
    // A department file may hold one of megabytes: the label shows its start.
    QTest::newRow("a name of a megabyte") << QString(1 << 20, u'n')
                                          << "<font color='white'>" + QString(1024, u'n') + "</font>";
}

void TestDeptWidgets::labelText()
{
    QFETCH(QString, name);
    QFETCH(QString, text);

    QCOMPARE(OrlDropLabel::labelText(name), text);
    OrlDropLabel label(nullptr, deptTag);
    label.applyLook(name, false);
    QCOMPARE(label.text(), text);
    // What the label shows is the name as typed (of a long one, its start).
    QTextDocument shown;
    shown.setHtml(label.text());
    QCOMPARE(shown.toPlainText(), name.left(1024));
}

void TestDeptWidgets::labelMouse()
{
    OrlDropLabel label(nullptr, deptTag);
    label.applyLook("Hall", false);
    QSignalSpy selected(&label, &OrlDropLabel::onDepartmentSelected);
    QSignalSpy dragged(&label, &OrlDropLabel::onDepartmentDragged);
    const int distance = QApplication::startDragDistance();

    // A release without a drag is nothing.
    sendMouse(&label, QEvent::MouseButtonPress, QPoint(10, 10), Qt::LeftButton, Qt::LeftButton);
    QCOMPARE(selected.count(), 1);
    QCOMPARE(selected.at(0).at(0).value<void *>(), deptTag);
    QCOMPARE(label.pressPos, QPoint(10, 10));
    sendMouse(&label, QEvent::MouseMove, QPoint(10, 10 + distance - 1), Qt::NoButton, Qt::LeftButton);
    QVERIFY(!label.dragging);
    sendMouse(&label, QEvent::MouseButtonRelease, QPoint(10, 10), Qt::LeftButton, Qt::NoButton);
    QCOMPARE(dragged.count(), 0);

    // Past the drag distance every move reports, and the release drops.
    sendMouse(&label, QEvent::MouseButtonPress, QPoint(10, 10), Qt::LeftButton, Qt::LeftButton);
    sendMouse(&label, QEvent::MouseMove, QPoint(10, 10 + distance), Qt::NoButton, Qt::LeftButton);
    sendMouse(&label, QEvent::MouseMove, QPoint(12, 50), Qt::NoButton, Qt::LeftButton);
    // Another button held as well: not a label drag.
    sendMouse(&label, QEvent::MouseMove, QPoint(12, 70), Qt::NoButton, Qt::LeftButton | Qt::MiddleButton);
    QVERIFY(label.dragging);
    sendMouse(&label, QEvent::MouseButtonRelease, QPoint(12, 60), Qt::LeftButton, Qt::NoButton);
    QVERIFY(!label.dragging);
    QCOMPARE(dragged.count(), 3);
    QCOMPARE(dragged.at(0).at(1).toPoint(), QPoint(10, 10 + distance));
    QCOMPARE(dragged.at(0).at(2).toBool(), false);
    QCOMPARE(dragged.at(1).at(1).toPoint(), QPoint(12, 50));
    QCOMPARE(dragged.at(2).at(1).toPoint(), QPoint(12, 60));
    QCOMPARE(dragged.at(2).at(2).toBool(), true);
    QCOMPARE(dragged.at(2).at(0).value<void *>(), deptTag);
    QCOMPARE(selected.count(), 2);
}

void TestDeptWidgets::menus()
{
    OrlDropLabel label(nullptr, deptTag);
    QSignalSpy rename(&label, &OrlDropLabel::onDepartmentRename);
    QSignalSpy remove(&label, &OrlDropLabel::onDepartmentDelete);
    std::unique_ptr<QMenu> menu(label.createContextMenu());
    QCOMPARE(menu->actions().size(), 2);
    menu->actions().at(0)->trigger();
    menu->actions().at(1)->trigger();
    QCOMPARE(rename.count(), 1);
    QCOMPARE(remove.count(), 1);
    QCOMPARE(remove.at(0).at(0).value<void *>(), deptTag);

    OrlScrollArea panel;
    QSignalSpy wanted(&panel, &OrlScrollArea::onNewDepartment);
    std::unique_ptr<QMenu> panelMenu(panel.createContextMenu());
    panelMenu->actions().at(0)->trigger();
    QCOMPARE(wanted.count(), 1);
}

void TestDeptWidgets::labelDragEnterAndDrop_data()
{
    QTest::addColumn<QString>("data");
    QTest::addColumn<bool>("entered");
    QTest::addColumn<bool>("dropped");

    QTest::newRow("a tree's drag") << "tree" << true << true;
    QTest::newRow("no source tree") << "nosource" << true << false;
    // The format alone, from elsewhere: recognised on entry, nothing to move.
    QTest::newRow("foreign data with the format") << "foreign" << true << false;
    QTest::newRow("text") << "text" << false << false;
}

void TestDeptWidgets::labelDragEnterAndDrop()
{
    QFETCH(QString, data);
    QFETCH(bool, entered);
    QFETCH(bool, dropped);

    OrlTreeView tree;
    QMimeData *mime = nullptr;
    if (data == "tree")
        mime = new OrlMimeData(&tree);
    else if (data == "nosource")
        mime = new OrlMimeData(nullptr);
    else {
        mime = new QMimeData;
        if (data == "foreign")
            mime->setData("orltreeview", QByteArray("x"));
        else
            mime->setText("Hall");
    }
    QScopedPointer<QMimeData> owner(mime);

    OrlDropLabel label(nullptr, deptTag);
    QSignalSpy enter(&label, &OrlDropLabel::onDragEnter);
    QSignalSpy drop(&label, &OrlDropLabel::onDeviceDropped);

    QDragEnterEvent enterEvent(QPoint(5, 6), Qt::MoveAction, mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&label, &enterEvent);
    QCOMPARE(enterEvent.isAccepted(), entered);
    QCOMPARE(enter.count(), entered ? 1 : 0);
    if (entered) {
        QCOMPARE(enter.at(0).at(0).value<void *>(), deptTag);
        QCOMPARE(enter.at(0).at(1).toPoint(), QPoint(5, 6));
    }

    QDropEvent dropEvent(QPointF(5, 6), Qt::MoveAction, mime, Qt::LeftButton, Qt::NoModifier);
    dropEvent.ignore();
    QApplication::sendEvent(&label, &dropEvent);
    QCOMPARE(dropEvent.isAccepted(), dropped);
    QCOMPARE(drop.count(), dropped ? 1 : 0);
    if (dropped) {
        QCOMPARE(drop.at(0).at(0).value<void *>(), deptTag);
        QCOMPARE(drop.at(0).at(1).value<OrlTreeView *>(), &tree);
        QCOMPARE(dropEvent.dropAction(), Qt::MoveAction);
    }
}

void TestDeptWidgets::autoScrollTick_data()
{
    QTest::addColumn<int>("buttons");
    QTest::addColumn<QPoint>("cursor");
    QTest::addColumn<int>("change");
    QTest::addColumn<bool>("running");

    const int left = Qt::LeftButton;
    QTest::newRow("top edge") << left << QPoint(40, 0) << -12 << true;
    QTest::newRow("near the top") << left << QPoint(40, 31) << -12 << true;
    QTest::newRow("below the top band") << left << QPoint(40, 32) << 0 << true;
    QTest::newRow("near the bottom") << left << QPoint(40, 300 - 31) << 12 << true;
    QTest::newRow("bottom edge") << left << QPoint(40, 300) << 12 << true;
    QTest::newRow("below the panel") << left << QPoint(40, 301) << 0 << true;
    QTest::newRow("left of the panel") << left << QPoint(-1, 10) << 0 << true;
    QTest::newRow("button released") << int(Qt::NoButton) << QPoint(40, 10) << 0 << false;
    QTest::newRow("only the right button") << int(Qt::RightButton) << QPoint(40, 10) << 0 << false;
}

void TestDeptWidgets::autoScrollTick()
{
    QFETCH(int, buttons);
    QFETCH(QPoint, cursor);
    QFETCH(int, change);
    QFETCH(bool, running);

    OrlScrollArea panel;
    showPanel(&panel);
    QScrollBar *bar = panel.verticalScrollBar();
    bar->setValue(400);

    panel.startAutoScroll();
    panel.autoScrollTick(Qt::MouseButtons(buttons), cursor);
    QCOMPARE(bar->value(), 400 + change);
    QCOMPARE(panel.autoScrollTimer()->isActive(), running);
}

void TestDeptWidgets::placeholder()
{
    OrlScrollArea panel;
    showPanel(&panel);
    QVERIFY(!panel.dragPlaceholder());

    panel.showDragPlaceholder("<Lab>", QPoint(1, 85));
    QCOMPARE(panel.dragPlaceholder()->text(), OrlDropLabel::labelText(QStringLiteral("<Lab>")));
    panel.moveDragPlaceholder(QPoint(1, 120));
    QCOMPARE(panel.dragPlaceholder()->pos(), QPoint(1, 120));

    // The scroll position comes back after the labels were rebuilt.
    panel.verticalScrollBar()->setValue(0);
    panel.restoreScrollPositionLater(210);
    QCOMPARE(panel.verticalScrollBar()->value(), 0);
    QTRY_COMPARE(panel.verticalScrollBar()->value(), 210);
}

void TestDeptWidgets::labelDragSteps()
{
    OrlScrollArea panel;
    showPanel(&panel);
    QScrollBar *bar = panel.verticalScrollBar();
    bar->setValue(140);

    // Label 3, scrolled by 140: the first move only shows the placeholder.
    QCOMPARE(panel.followLabelDrag(3, "Lab", 5, 20, 400, 10, false), -1);
    QVERIFY(panel.dragPlaceholder());
    QCOMPARE(bar->value(), 140);
    // Above the top: the panel scrolls up by 15 and the placeholder follows.
    QCOMPARE(panel.followLabelDrag(3, "Lab", 5, -75, 400, 10, false), -1);
    QCOMPARE(bar->value(), 125);
    // Released near the bottom: scrolls down, then names the slot under the
    // pointer as it was before that scroll (upper half of slot 7).
    QCOMPARE(panel.followLabelDrag(3, "Lab", 5, 300, 400, 10, true), 7);
    QCOMPARE(bar->value(), 140);
    QVERIFY(!panel.dragPlaceholder());
}

QTEST_MAIN(TestDeptWidgets)
#include "tst_deptwidgets.moc"
