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

QTEST_MAIN(TestOrlTreeView)
#include "tst_orltreeview.moc"
