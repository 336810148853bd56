// A device tree view takes rows appended to an expanded row in place: what it
// then shows, and where, must be what a full layout of the same rows gives.
#include "mainwindow/orltreeview.h"
#include "paintspy.h"

#include <QScrollBar>
#include <QStandardItemModel>
#include <QStyleFactory>
#include <QtTest>

#include <memory>

namespace {
class CountingView : public OrlTreeView
{
public:
    int layouts = 0;
    void doItemsLayout() override
    {
        ++layouts;
        OrlTreeView::doItemsLayout();
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
    void changedCellsDrawnAlone_data();
    void changedCellsDrawnAlone();
};

void TestOrlTreeView::appendedRows_data()
{
    QTest::addColumn<QList<int>>("parentPath");   // rows from the top
    QTest::addColumn<int>("count");
    QTest::addColumn<bool>("atEnd");
    QTest::addColumn<bool>("scrolledDown");
    QTest::addColumn<bool>("hideARow");
    QTest::addColumn<bool>("inPlace");

    QTest::newRow("last group, shown") << QList<int>{2} << 1 << true << false << false << true;
    QTest::newRow("first group, the rest moves down") << QList<int>{0} << 3 << true << false << false << true;
    QTest::newRow("rows above those shown") << QList<int>{0} << 2 << true << true << false << true;
    QTest::newRow("after a row with rows of its own") << QList<int>{1} << 2 << true << false << false << true;
    QTest::newRow("under a row's own rows") << QList<int>{1, 4} << 2 << true << false << false << true;
    QTest::newRow("first rows of an expanded empty group") << QList<int>{3} << 2 << true << false << false << true;
    QTest::newRow("not at the end") << QList<int>{0} << 1 << false << false << false << false;
    QTest::newRow("a hidden row in the tree") << QList<int>{2} << 1 << true << false << true << false;
}

void TestOrlTreeView::appendedRows()
{
    QFETCH(QList<int>, parentPath);
    QFETCH(int, count);
    QFETCH(bool, atEnd);
    QFETCH(bool, scrolledDown);
    QFETCH(bool, hideARow);
    QFETCH(bool, inPlace);

    QStandardItemModel model;
    fill(&model);
    CountingView view;
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
    // Every row on screen, or a few at the end.
    view.resize(320, scrolledDown ? 150 : 700);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    if (scrolledDown)
        view.verticalScrollBar()->setValue(view.verticalScrollBar()->maximum());
    QCoreApplication::processEvents();

    QStandardItem *parent = model.item(parentPath.first());
    for (int i = 1; i < parentPath.size(); ++i)
        parent = parent->child(parentPath.at(i));
    view.layouts = 0;
    PaintSpy spy(view.viewport());
    for (int i = 0; i < count; ++i) {
        const QString text = QStringLiteral("joined %1").arg(i);
        if (atEnd)
            parent->appendRow(row(text));
        else
            parent->insertRow(0, row(text));
    }
    QCoreApplication::processEvents();
    QCOMPARE(view.layouts == 0, inPlace);

    // What the view shows now, against what it shows once it has laid out
    // every row again; a shift of the shown rows must have been repainted.
    const QModelIndex joined = parent->child(atEnd ? parent->rowCount() - 1 : 0)->index();
    if (view.viewport()->rect().intersects(view.visualRect(joined)) || scrolledDown)
        QTRY_VERIFY(spy.painted.contains(view.viewport()->rect()));
    const Looks now = looks(&view);
    view.doItemsLayout();
    const Looks laidOut = looks(&view);
    QCOMPARE(now.scrollMaximum, laidOut.scrollMaximum);
    QCOMPARE(now.rects, laidOut.rects);
    QCOMPARE(now.image, laidOut.image);
}

// Rows joining groups in turn with the changes the view lays out itself
// (new groups, collapsed and expanded groups, scrolling): after every step
// the view places every cell where a view that laid everything out does.
void TestOrlTreeView::joinsAmongOtherChanges_data()
{
    QTest::addColumn<quint32>("seed");
    QTest::newRow("1") << 1u;
    QTest::newRow("2") << 2u;
    QTest::newRow("3") << 3u;
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
        const int groups = model.rowCount();
        QStandardItem *group = model.item(int(rng.bounded(quint32(groups))));
        const quint32 what = rng.bounded(20u);
        if (what < 14) {
            const int count = 1 + int(rng.bounded(3u));
            for (int i = 0; i < count; ++i)
                group->appendRow(row(QStringLiteral("joined %1").arg(joined++)));
        } else if (what < 16) {
            model.appendRow({new QStandardItem(QStringLiteral("group %1").arg(groups)), new QStandardItem});
        } else if (what < 18) {
            const bool open = !view.isExpanded(group->index());
            view.setExpanded(group->index(), open);
            reference.setExpanded(group->index(), open);
        } else {
            const int value = int(rng.bounded(quint32(view.verticalScrollBar()->maximum() + 1)));
            view.verticalScrollBar()->setValue(value);
            reference.verticalScrollBar()->setValue(value);
        }
        QCoreApplication::processEvents();
        reference.doItemsLayout();
        QCOMPARE(view.verticalScrollBar()->maximum(), reference.verticalScrollBar()->maximum());
        reference.verticalScrollBar()->setValue(view.verticalScrollBar()->value());
        for (const QModelIndex &index : allIndexes(&model))
            QCOMPARE(view.visualRect(index), reference.visualRect(index));
    }
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

QTEST_MAIN(TestOrlTreeView)
#include "tst_orltreeview.moc"
