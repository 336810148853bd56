// A device tree view takes rows appended to expanded rows in place, all those
// of a pass at once: what it then shows, and where, must be what a full
// layout of the same rows gives.
#include "mainwindow/orltreeview.h"
#include "paintspy.h"

#include <QScrollBar>
#include <QStandardItemModel>
#include <QStyleFactory>
#include <QtTest>
#include <private/qtreeview_p.h>
#include <qpa/qwindowsysteminterface.h>

#include <memory>

namespace {
// Counts the rows a view asks about: laying the tree out asks about every
// row it shows, rows joining in place only about themselves.
class CountingModel : public QStandardItemModel
{
public:
    mutable int asked = 0;
    bool hasChildren(const QModelIndex &parent = QModelIndex()) const override
    {
        ++asked;
        return QStandardItemModel::hasChildren(parent);
    }
};

QList<QStandardItem *> row(const QString &text)
{
    return {new QStandardItem(text), new QStandardItem(text + QStringLiteral(" b"))};
}

// Three groups of rows; the middle group's last row has rows of its own.
void fill(QStandardItemModel *model)
{
    for (int g = 0; g < 3; ++g) {
        QStandardItem *group = new QStandardItem(QStringLiteral("group %1").arg(g));
        model->appendRow({group, new QStandardItem});
        for (int i = 0; i < 5; ++i)
            group->appendRow(row(QStringLiteral("device %1.%2").arg(g).arg(i)));
    }
    QStandardItem *nested = model->item(1)->child(4);
    for (int i = 0; i < 3; ++i)
        nested->appendRow(row(QStringLiteral("nested %1").arg(i)));
    model->appendRow({new QStandardItem(QStringLiteral("empty group")), new QStandardItem});
}

QList<QModelIndex> allIndexes(const QAbstractItemModel *model, const QModelIndex &parent = {})
{
    QList<QModelIndex> all;
    for (int r = 0; r < model->rowCount(parent); ++r)
        for (int c = 0; c < model->columnCount(parent); ++c) {
            all << model->index(r, c, parent);
            if (c == 0)
                all << allIndexes(model, all.last());
        }
    return all;
}

// The rows a view has laid out, as it keeps them: each row's parent among
// them, depth, rows below it and its flags. Joining rows in place must leave
// exactly what laying everything out again gives, or a later change that
// walks them (a row opening, closing or joining) goes astray.
QStringList laidOutRows(QTreeView *view)
{
    QStringList rows;
    view->visualRect(view->model()->index(0, 0));   // lays out what waits
    for (const QTreeViewItem &item : static_cast<QTreeViewPrivate *>(QObjectPrivate::get(view))->viewItems)
        rows << QStringLiteral("%1 parent %2 level %3 total %4 flags %5%6%7%8")
                    .arg(item.index.data().toString())
                    .arg(item.parentItem)
                    .arg(item.level)
                    .arg(item.total)
                    .arg(item.expanded)
                    .arg(item.spanning)
                    .arg(item.hasChildren)
                    .arg(item.hasMoreSiblings);
    return rows;
}

struct Looks {
    QImage image;
    QList<QRect> rects;
    int scrollMaximum;
};

Looks looks(QTreeView *view)
{
    QList<QRect> rects;
    for (const QModelIndex &index : allIndexes(view->model()))
        rects << view->visualRect(index);
    return {view->viewport()->grab().toImage(), rects, view->verticalScrollBar()->maximum()};
}
} // namespace

class TestOrlTreeView : public QObject
{
    Q_OBJECT
private slots:
    void appendedRows_data();
    void appendedRows();
    void joinsAmongOtherChanges_data();
    void joinsAmongOtherChanges();
    void joinsUnderARowWithSiblingsBelow();
    void changedCellsDrawnAlone_data();
    void changedCellsDrawnAlone();
    void keysActOnTheCurrentRow_data();
    void keysActOnTheCurrentRow();
};

namespace {
enum Shown { AllRows, TopRows, BottomRows };
}

void TestOrlTreeView::appendedRows_data()
{
    QTest::addColumn<QList<int>>("parentPath");   // rows from the top
    QTest::addColumn<int>("count");
    QTest::addColumn<bool>("atEnd");
    QTest::addColumn<int>("shown");
    QTest::addColumn<bool>("hideARow");
    QTest::addColumn<QList<int>>("alsoJoined");   // groups that get a row each as well
    QTest::addColumn<QString>("then");            // in the same pass
    QTest::addColumn<bool>("inPlace");

    const QList<int> none;
    const QString nothing;
    QTest::newRow("last group, shown") << QList<int>{2} << 1 << true << int(AllRows) << false << none << nothing
                                       << true;
    QTest::newRow("first group, the rest moves down") << QList<int>{0} << 3 << true << int(AllRows) << false << none
                                                      << nothing << true;
    QTest::newRow("rows above those shown") << QList<int>{0} << 2 << true << int(BottomRows) << false << none
                                            << nothing << true;
    QTest::newRow("rows below those shown") << QList<int>{2} << 2 << true << int(TopRows) << false << none << nothing
                                            << true;
    QTest::newRow("after a row with rows of its own") << QList<int>{1} << 2 << true << int(AllRows) << false << none
                                                      << nothing << true;
    QTest::newRow("under a row's own rows") << QList<int>{1, 4} << 2 << true << int(AllRows) << false << none
                                            << nothing << true;
    QTest::newRow("first rows of an expanded empty group") << QList<int>{3} << 2 << true << int(AllRows) << false
                                                           << none << nothing << true;
    QTest::newRow("several groups, in any order") << QList<int>{1} << 2 << true << int(AllRows) << false
                                                  << QList<int>{3, 0, 1, 2, 0} << nothing << true;
    QTest::newRow("a row's own rows and its group") << QList<int>{1, 4} << 1 << true << int(AllRows) << false
                                                    << QList<int>{1, 2} << nothing << true;
    QTest::newRow("not at the end") << QList<int>{0} << 1 << false << int(AllRows) << false << none << nothing
                                    << false;
    QTest::newRow("a hidden row in the tree") << QList<int>{2} << 1 << true << int(AllRows) << true << none
                                              << nothing << false;
    // What the view hears of only as a layout to make. The sort swaps two
    // groups of as many rows.
    for (const QString &then : {QStringLiteral("collapse a group"), QStringLiteral("hide a row"),
                                QStringLiteral("sort the groups"), QStringLiteral("a row leaves")})
        QTest::newRow(qPrintable(QStringLiteral("then ") + then))
            << QList<int>{3} << 2 << true << int(AllRows) << false << none << then << false;
}

void TestOrlTreeView::appendedRows()
{
    QFETCH(QList<int>, parentPath);
    QFETCH(int, count);
    QFETCH(bool, atEnd);
    QFETCH(int, shown);
    QFETCH(bool, hideARow);
    QFETCH(QList<int>, alsoJoined);
    QFETCH(QString, then);
    QFETCH(bool, inPlace);

    CountingModel model;
    fill(&model);
    OrlTreeView view;
    // Branch lines show which rows have siblings after them.
    std::unique_ptr<QStyle> style(QStyleFactory::create(QStringLiteral("Windows")));
    QVERIFY(style);
    view.setStyle(style.get());
    view.setFocusPolicy(Qt::NoFocus);
    view.setUniformRowHeights(true);
    view.setModel(&model);
    view.expandAll();
    if (hideARow)
        view.setRowHidden(3, model.index(2, 0), true);
    // Every row on screen, or a few at the top or the bottom.
    view.resize(320, shown == AllRows ? 700 : 150);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    if (shown == BottomRows)
        view.verticalScrollBar()->setValue(view.verticalScrollBar()->maximum());
    QCoreApplication::processEvents();

    QStandardItem *parent = model.item(parentPath.first());
    for (int i = 1; i < parentPath.size(); ++i)
        parent = parent->child(parentPath.at(i));
    // A shown row that changes while rows join is repainted all the same.
    const QModelIndex changed = model.index(0, 1);
    PaintSpy spy(view.viewport());
    const qsizetype rowsBefore = allIndexes(&model).size() / model.columnCount();
    model.asked = 0;
    for (int i = 0; i < count; ++i) {
        const QString text = QStringLiteral("joined %1").arg(i);
        if (atEnd)
            parent->appendRow(row(text));
        else
            parent->insertRow(0, row(text));
    }
    for (int g : alsoJoined)
        model.item(g)->appendRow(row(QStringLiteral("also %1").arg(g)));
    if (then == QLatin1String("collapse a group"))
        view.collapse(model.index(2, 0));
    else if (then == QLatin1String("hide a row"))
        view.setRowHidden(0, model.index(2, 0), true);
    else if (then == QLatin1String("sort the groups"))
        model.sort(0, Qt::DescendingOrder);
    else if (then == QLatin1String("a row leaves"))
        model.item(2)->removeRow(0);
    model.setData(changed, QStringLiteral("changed"));
    QCoreApplication::processEvents();
    QCOMPARE(model.asked < rowsBefore / 2, inPlace);   // even with a group collapsed
    if (view.viewport()->rect().contains(view.visualRect(changed)))
        QTRY_VERIFY(spy.painted.contains(view.visualRect(changed)));

    // What the view shows now, against what it shows once it has laid out
    // every row again; a shift of the shown rows must have been repainted.
    const QModelIndex joined = parent->child(atEnd ? parent->rowCount() - 1 : 0)->index();
    if (view.viewport()->rect().intersects(view.visualRect(joined)) || shown == BottomRows)
        QTRY_VERIFY(spy.painted.contains(view.viewport()->rect()));
    const Looks now = looks(&view);
    view.doItemsLayout();
    const Looks laidOut = looks(&view);
    QCOMPARE(now.scrollMaximum, laidOut.scrollMaximum);
    QCOMPARE(now.rects, laidOut.rects);
    QCOMPARE(now.image, laidOut.image);
}

// Rows joining groups and rows within them, with the changes the view lays
// out itself (new groups, rows leaving, a sort, collapsed and expanded rows,
// hidden rows, scrolling), several in one pass: after every pass the view places every
// cell where a view that laid everything out does.
void TestOrlTreeView::joinsAmongOtherChanges_data()
{
    QTest::addColumn<quint32>("seed");
    QTest::newRow("1") << 1u;
    QTest::newRow("2") << 2u;
    QTest::newRow("3") << 3u;
    QTest::newRow("4") << 4u;
}

void TestOrlTreeView::joinsAmongOtherChanges()
{
    QFETCH(quint32, seed);
    QRandomGenerator rng(seed);
    QStandardItemModel model;
    fill(&model);
    OrlTreeView view;
    QTreeView reference;
    for (QTreeView *v : {static_cast<QTreeView *>(&view), &reference}) {
        v->setFocusPolicy(Qt::NoFocus);
        v->setUniformRowHeights(true);
        v->setModel(&model);
        v->expandAll();
        v->resize(320, 200);
        v->show();
        QVERIFY(QTest::qWaitForWindowExposed(v));
    }
    int joined = 0;
    for (int step = 0; step < 150; ++step) {
        const int changes = 1 + int(rng.bounded(4u));
        for (int c = 0; c < changes; ++c) {
            const int groups = model.rowCount();
            QStandardItem *group = model.item(int(rng.bounded(quint32(groups))));
            // Now and then a row with rows of its own instead, one level down:
            // the rows above it in the tree must still be found when it
            // joins, opens or closes after rows joined above it.
            QStandardItem *nested = nullptr;
            for (int r = 0; r < group->rowCount() && !nested; ++r)
                if (group->child(r)->rowCount() > 0)
                    nested = group->child(r);
            if (nested && rng.bounded(3u) == 0)
                group = nested;
            const quint32 what = rng.bounded(30u);
            if (what < 18) {
                const int count = 1 + int(rng.bounded(3u));
                for (int i = 0; i < count; ++i)
                    group->appendRow(row(QStringLiteral("joined %1").arg(joined++)));
            } else if (what < 20) {
                model.appendRow({new QStandardItem(QStringLiteral("group %1").arg(groups)), new QStandardItem});
            } else if (what < 22) {
                if (group->rowCount() > 0)
                    group->removeRow(int(rng.bounded(quint32(group->rowCount()))));
            } else if (what < 23) {
                model.sort(0, rng.bounded(2u) ? Qt::AscendingOrder : Qt::DescendingOrder);
            } else if (what < 25) {
                const bool open = !view.isExpanded(group->index());
                view.setExpanded(group->index(), open);
                reference.setExpanded(group->index(), open);
            } else if (what < 26) {
                if (group->rowCount() > 0) {
                    const int r = int(rng.bounded(quint32(group->rowCount())));
                    const bool hide = !view.isRowHidden(r, group->index());
                    view.setRowHidden(r, group->index(), hide);
                    reference.setRowHidden(r, group->index(), hide);
                }
            } else if (what < 28) {
                group->setText(group->text() + QLatin1Char('*'));
            } else {
                const int value = int(rng.bounded(quint32(view.verticalScrollBar()->maximum() + 1)));
                view.verticalScrollBar()->setValue(value);
                reference.verticalScrollBar()->setValue(value);
            }
        }
        QCoreApplication::processEvents();
        reference.doItemsLayout();
        QCOMPARE(view.verticalScrollBar()->maximum(), reference.verticalScrollBar()->maximum());
        reference.verticalScrollBar()->setValue(view.verticalScrollBar()->value());
        for (const QModelIndex &index : allIndexes(&model))
            QCOMPARE(view.visualRect(index), reference.visualRect(index));
        QCOMPARE(laidOutRows(&view), laidOutRows(&reference));
    }
}

// Rows joining a row that has siblings below it: those siblings move down
// with it, but their group, above the join, moves only by what joined
// above the group.
void TestOrlTreeView::joinsUnderARowWithSiblingsBelow()
{
    CountingModel model;
    fill(&model);
    QStandardItem *nested = model.item(1)->child(4);
    model.item(1)->appendRow(row(QStringLiteral("below the nested rows")));
    OrlTreeView view;
    view.setUniformRowHeights(true);
    view.setModel(&model);
    view.expandAll();
    view.resize(320, 700);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    QCoreApplication::processEvents();

    const qsizetype rowsBefore = allIndexes(&model).size() / model.columnCount();
    model.asked = 0;
    model.item(0)->appendRow(row(QStringLiteral("joined 0")));
    nested->appendRow(row(QStringLiteral("joined nested")));
    model.item(1)->appendRow(row(QStringLiteral("joined 1")));
    model.item(2)->appendRow(row(QStringLiteral("joined 2")));
    QCoreApplication::processEvents();
    QVERIFY(model.asked < rowsBefore / 2);   // joined in place

    QTreeView reference;
    reference.setUniformRowHeights(true);
    reference.setModel(&model);
    for (const QModelIndex &index : allIndexes(&model))
        reference.setExpanded(index, view.isExpanded(index));
    QCOMPARE(laidOutRows(&view), laidOutRows(&reference));
}

// Cells whose values changed are repainted where they are, a few at a time;
// what the screen then shows must be what painting the whole view shows:
// alternating rows, a selected row, the current row's focus frame across
// every column, a group row spanning the width, branch lines.
void TestOrlTreeView::changedCellsDrawnAlone_data()
{
    QTest::addColumn<QList<QPoint>>("cells");   // (column, row under the group); row -1: the group
    QTest::addColumn<QRect>("alsoUpdated");     // a part of the view repainted for another reason
    QTest::newRow("scattered") << QList<QPoint>{{0, 1}, {3, 1}, {2, 4}, {5, 9}, {0, 10}, {4, 30}} << QRect();
    QTest::newRow("two columns of every row") << [] {
        QList<QPoint> cells;
        for (int r = 0; r < 40; ++r)
            cells << QPoint(0, r) << QPoint(3, r);
        return cells;
    }() << QRect();
    QTest::newRow("the current row") << QList<QPoint>{{1, 3}, {4, 3}, {4, 7}} << QRect();
    QTest::newRow("the selected row and those round it") << QList<QPoint>{{2, 4}, {2, 5}, {5, 5}, {2, 6}}
                                                         << QRect();
    QTest::newRow("the group row and a row") << QList<QPoint>{{0, -1}, {5, 2}} << QRect();
    QTest::newRow("with a part across cells") << QList<QPoint>{{1, 2}, {4, 6}} << QRect(150, 20, 260, 47);
}

void TestOrlTreeView::changedCellsDrawnAlone()
{
    QFETCH(QList<QPoint>, cells);
    QFETCH(QRect, alsoUpdated);
    QStandardItemModel model;
    auto *group = new QStandardItem(QStringLiteral("group"));
    model.appendRow({group, new QStandardItem, new QStandardItem, new QStandardItem, new QStandardItem,
                     new QStandardItem});
    for (int r = 0; r < 40; ++r) {
        QList<QStandardItem *> items;
        for (int c = 0; c < 6; ++c)
            items << new QStandardItem(QStringLiteral("row %1 column %2").arg(r).arg(c));
        group->appendRow(items);
    }
    OrlTreeView view;
    std::unique_ptr<QStyle> style(QStyleFactory::create(QStringLiteral("Windows")));
    view.setStyle(style.get());
    view.setUniformRowHeights(true);
    view.setAlternatingRowColors(true);
    view.setAllColumnsShowFocus(true);
    view.setModel(&model);
    view.setFirstColumnSpanned(0, QModelIndex(), true);
    view.expandAll();
    view.resize(700, 500);
    view.show();
    QVERIFY(QTest::qWaitForWindowActive(&view));
    view.setFocus();
    view.setCurrentIndex(model.index(3, 0, group->index()));
    view.selectionModel()->select(model.index(5, 0, group->index()),
                                  QItemSelectionModel::Select | QItemSelectionModel::Rows);
    QCoreApplication::processEvents();
    QTRY_VERIFY(view.hasFocus());

    PaintSpy spy(view.viewport());
    QRegion changed;
    for (const QPoint &cell : std::as_const(cells)) {
        QStandardItem *item = cell.y() < 0 ? group : group->child(cell.y(), cell.x());
        item->setText(item->text() + QStringLiteral(" now"));
        changed += view.visualRect(item->index()) & view.viewport()->rect();
    }
    if (!alsoUpdated.isNull()) {
        view.viewport()->update(alsoUpdated);
        changed += alsoUpdated;
    }
    QTRY_VERIFY(spy.painted.contains(changed.boundingRect()) || (changed - spy.painted).isEmpty());
    QCoreApplication::processEvents();
    const QRect shownAt(view.viewport()->mapTo(&view, QPoint(0, 0)), view.viewport()->size());
    const QImage shown = view.screen()->grabWindow(view.winId()).toImage().copy(shownAt);
    const QImage whole = view.viewport()->grab().toImage().convertToFormat(shown.format());
    QCOMPARE(shown.size(), whole.size());
    QVERIFY(shown == whole);
}

void TestOrlTreeView::keysActOnTheCurrentRow_data()
{
    QTest::addColumn<QString>("current");   // none: no row was moved to
    QTest::addColumn<int>("column");         // of the current cell, where a click left it
    QTest::addColumn<QString>("folded");     // a group folded afterwards, as a click on its branch does
    QTest::addColumn<bool>("scrolledAway");
    QTest::addColumn<QString>("keys");       // "" stands for the menu key
    QTest::addColumn<QString>("acted");      // the row the keys reached: the menu's, or the current one
    QTest::addColumn<bool>("ticked");        // the first current row's box

    const QString none, menu;
    QTest::newRow("menu, no current row") << none << 0 << none << false << menu << none << false;
    QTest::newRow("menu, device row") << "device 1.2" << 0 << none << false << menu << "device 1.2" << false;
    QTest::newRow("menu, row out of sight") << "group 0" << 0 << none << true << menu << "group 0" << false;
    QTest::newRow("menu, group's other cell") << "group 2" << 1 << none << false << menu << "group 2" << false;
    QTest::newRow("menu, folded group") << "device 2.3" << 0 << "group 2" << false << menu << "group 2" << false;
    QTest::newRow("space, other cell") << "device 0.1" << 1 << none << false << " " << "device 0.1" << true;
    QTest::newRow("typing, other cell") << "device 0.1" << 1 << none << false << "gro" << "group 0" << false;
    QTest::newRow("space, folded group") << "device 2.3" << 1 << "group 2" << false << " " << "group 2" << false;
}

// The keys act on the row moved to, through its first cell, where it is seen.
void TestOrlTreeView::keysActOnTheCurrentRow()
{
    QFETCH(QString, current);
    QFETCH(int, column);
    QFETCH(QString, folded);
    QFETCH(bool, scrolledAway);
    QFETCH(QString, keys);
    QFETCH(QString, acted);
    QFETCH(bool, ticked);
    QStandardItemModel model;
    OrlTreeView view;
    view.setModel(&model);
    view.setContextMenuPolicy(Qt::CustomContextMenu);
    view.setSelectionMode(QAbstractItemView::ExtendedSelection);
    view.setSelectionBehavior(QAbstractItemView::SelectRows);
    view.resize(300, 120);   // shows fewer rows than the tree has
    view.show();
    QVERIFY(QTest::qWaitForWindowActive(&view));
    view.setFocus();
    QTRY_VERIFY(view.hasFocus());
    fill(&model);   // the rows come after the focus, with no current row
    view.expandAll();
    const auto row = [&model](const QString &text) { return model.findItems(text, Qt::MatchRecursive).value(0); };
    for (const QModelIndex &index : allIndexes(&model))
        if (index.column() == 0)
            model.itemFromIndex(index)->setCheckable(true);
    if (!current.isEmpty())
        view.setCurrentIndex(row(current)->index().siblingAtColumn(column));
    if (!folded.isEmpty())
        view.collapse(row(folded)->index());
    if (scrolledAway)
        view.verticalScrollBar()->setValue(view.verticalScrollBar()->maximum());

    QSignalSpy menus(&view, &QWidget::customContextMenuRequested);
    if (keys.isEmpty()) {
        // What the menu key makes of it: the window system asks the window.
        QWindowSystemInterface::handleContextMenuEvent(view.windowHandle(), false, {}, {}, Qt::NoModifier);
        QWindowSystemInterface::flushWindowSystemEvents();
        QCOMPARE(menus.size(), acted.isEmpty() ? 0 : 1);
        const QPoint at = menus.value(0).value(0).toPoint();
        QVERIFY(acted.isEmpty() || view.viewport()->rect().contains(at));
        QVERIFY(acted.isEmpty() || view.indexAt(at) == row(acted)->index());
    } else {
        QTest::keyClicks(&view, keys);
        QCOMPARE(view.currentIndex(), row(acted)->index());
    }
    QCOMPARE(current.isEmpty() || row(current)->checkState() == Qt::Checked, current.isEmpty() || ticked);
}

QTEST_MAIN(TestOrlTreeView)
#include "tst_orltreeview.moc"
