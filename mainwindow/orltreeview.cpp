#include "orltreeview.h"
#include "orlmimedata.h"

#include <QAccessible>
#include <QDrag>
#include <QHeaderView>
#include <QPaintEvent>
#include <QPainter>
#include <QMouseEvent>
#include <QPixmap>
#include <QScrollBar>
#include <QVarLengthArray>
#include <QtWidgets/private/qtreeview_p.h>

#include <algorithm>

OrlTreeView::OrlTreeView(QWidget *parent) : QTreeView(parent), m_repaint(new QTimer(this))
{
    m_repaint->setSingleShot(true);
    connect(m_repaint, &QTimer::timeout, this, &OrlTreeView::repaintNow);
}

OrlTreeView::~OrlTreeView() = default;

namespace {
// Rows from the root down: their order is the order in which the tree
// shows them, a parent before its children.
QVarLengthArray<int, 4> rowPath(QModelIndex index)
{
    QVarLengthArray<int, 4> path;
    for (; index.isValid(); index = index.parent())
        path.append(index.row());
    std::reverse(path.begin(), path.end());
    return path;
}

bool before(const QVarLengthArray<int, 4> &a, const QVarLengthArray<int, 4> &b)
{
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end());
}
} // namespace

bool OrlTreeView::laidOut() const
{
    const auto *d = static_cast<const QTreeViewPrivate *>(d_ptr.data());
    return !d->delayedPendingLayout && !d->viewItems.isEmpty();
}

void OrlTreeView::rowsInserted(const QModelIndex &parent, int start, int end)
{
    if (appendInPlace(parent, start, end)) {
        QAbstractItemView::rowsInserted(parent, start, end);
        return;
    }
    QTreeView::rowsInserted(parent, start, end);
}

int OrlTreeView::laidOutRow(const QModelIndex &index) const
{
    const auto *d = static_cast<const QTreeViewPrivate *>(d_ptr.data());
    const QList<QTreeViewItem> &rows = d->viewItems;
    int found = -1;
    int from = 0;
    int to = int(rows.size());
    for (int row : rowPath(index)) {
        int i = from;
        while (i < to && rows.at(i).index.row() != row)
            i += 1 + int(rows.at(i).total);
        if (i >= to)
            return -1;
        found = i;
        from = i + 1;
        to = from + int(rows.at(i).total);
    }
    return found >= 0 && rows.at(found).index == index ? found : -1;
}

bool OrlTreeView::appendInPlace(const QModelIndex &parent, int start, int end)
{
    auto *d = static_cast<QTreeViewPrivate *>(d_ptr.data());
    // Only the plain case: rows added at the end of a shown, expanded row of
    // a tree that is laid out, has nothing hidden and is not animating.
    if (!laidOut() || !parent.isValid() || parent.column() != 0 || parent.model() != model()
        || rootIndex().isValid() || !d->hiddenIndexes.isEmpty() || end != model()->rowCount(parent) - 1
        || (state() != NoState && state() != DraggingState && state() != DragSelectingState))
        return false;
    const int group = laidOutRow(parent);
    if (group < 0 || !d->viewItems.at(group).expanded)
        return false;
    const int count = end - start + 1;
    for (int row = start; row <= end; ++row)
        if (d->isIndexExpanded(model()->index(row, 0, parent)))
            return false;

    // Rows joining above the last shown one move the shown rows down.
    const int lastShown = d->lastVisibleItem();
    const int at = group + 1 + int(d->viewItems.at(group).total);
    // The group's last child so far, reached from the last row under it,
    // now has siblings after it.
    int previous = at - 1;
    while (previous > group && d->viewItems.at(previous).parentItem != group)
        previous = d->viewItems.at(previous).parentItem;
    if (previous > group)
        d->viewItems[previous].hasMoreSiblings = true;
    QTreeViewItem joining;
    joining.parentItem = group;
    joining.level = d->viewItems.at(group).level + 1;
    joining.hasMoreSiblings = true;
    d->insertViewItems(at, count, joining);
    for (int k = 0; k < count; ++k) {
        QTreeViewItem &item = d->viewItems[at + k];
        item.index = model()->index(start + k, 0, parent);
        item.spanning = isFirstColumnSpanned(start + k, parent);
        item.hasChildren = d->hasVisibleChildren(item.index);
    }
    d->viewItems[at + count - 1].hasMoreSiblings = false;
    d->viewItems[group].hasChildren = true;
    for (int above = group; above >= 0; above = d->viewItems.at(above).parentItem)
        d->viewItems[above].total += uint(count);

    // Only the scroll range follows the rows; the header stays as it is (its
    // geometry, worked out again, would measure every column's label).
    d->updateScrollBars();
    if (lastShown < 0 || at <= lastShown + 1)
        viewport()->update();
    return true;
}

int OrlTreeView::lastShownRow() const
{
    const auto *d = static_cast<const QTreeViewPrivate *>(d_ptr.data());
    if (!uniformRowHeights())
        return d->lastVisibleItem();
    // With rows of one height the answer depends on nothing else; the base
    // class walks every shown row for it, and a storm asks once a changed row.
    const ShownRows now{verticalScrollBar()->value(), viewport()->height(), int(d->viewItems.size()),
                        d->defaultItemHeight, int(verticalScrollMode())};
    if (!(now == m_shownRows)) {
        m_shownRows = now;
        m_lastShownRow = d->lastVisibleItem();
    }
    return m_lastShownRow;
}

bool OrlTreeView::showsRow(const QModelIndex &index) const
{
    if (!isVisible())
        return false;
    // The rows at the top and the bottom of the viewport, read off the
    // laid-out rows as indexAt would find them, without its look-up of the
    // column under the point.
    const auto *d = static_cast<const QTreeViewPrivate *>(d_ptr.data());
    const int top = d->firstVisibleItem();
    if (top < 0 || top >= d->viewItems.size())
        return true;   // nothing to compare with: let the view decide
    const auto path = rowPath(index);
    if (before(path, rowPath(d->viewItems.at(top).index)))
        return false;
    const int bottom = lastShownRow();
    return bottom < 0 || bottom >= d->viewItems.size() || !before(rowPath(d->viewItems.at(bottom).index), path);
}

void OrlTreeView::dataChanged(const QModelIndex &topLeft, const QModelIndex &bottomRight, const QList<int> &roles)
{
    // With rows of one height the view keeps nothing per row that a changed
    // value could alter, so a row off screen needs nothing; the base class
    // would first look it up among all the rows it shows, a walk through the
    // whole fleet for each report of a device out of sight.
    if (!uniformRowHeights() || !laidOut() || QAccessible::isActive() || topLeft.parent() != bottomRight.parent()
        || topLeft.row() != bottomRight.row()) {
        QTreeView::dataChanged(topLeft, bottomRight, roles);
        return;
    }
    if (!showsRow(topLeft))
        return;
    // Several cells of one shown row: the base class would repaint the
    // whole view for them; their part of the row's band is enough.
    const QRect cell = visualRect(topLeft);
    if (!cell.isValid()) {
        QTreeView::dataChanged(topLeft, bottomRight, roles);
        return;
    }
    const QHeaderView *columns = header();
    int left = viewport()->width(), right = 0;
    for (int column = topLeft.column(); column <= bottomRight.column(); ++column) {
        if (columns->isSectionHidden(column))
            continue;
        const int x = columns->sectionViewportPosition(column);
        left = qMin(left, x);
        right = qMax(right, x + columns->sectionSize(column));
    }
    const QRect band = QRect(left, cell.top(), right - left, cell.height()) & viewport()->rect();
    if (!band.isEmpty())
        repaintSoon(band);
}

void OrlTreeView::repaintSoon(const QRect &band)
{
    m_dirty += band;
    if (m_repaint->isActive())
        return;
    const qint64 since = m_lastRepaint.isValid() ? m_lastRepaint.elapsed() : FrameMs;
    m_repaint->start(int(qBound(qint64(0), qint64(FrameMs) - since, qint64(FrameMs))));
}

void OrlTreeView::repaintNow()
{
    if (m_dirty.isEmpty())
        return;
    viewport()->update(m_dirty);
    m_dirty = QRegion();
    m_lastRepaint.start();
}

void OrlTreeView::paintEvent(QPaintEvent *event)
{
    auto *d = static_cast<QTreeViewPrivate *>(d_ptr.data());
    const QRegion region = event->region();
    if (region.rectCount() < 2 || d->isAnimating() || state() == DraggingState || !uniformRowHeights()
        || !laidOut()) {
        QTreeView::paintEvent(event);
        return;
    }
    // The base class draws every row that a region of several rectangles
    // touches across the whole width, but under a single rectangle only
    // the columns it crosses. A storm changes a few cells of many rows:
    // those are drawn a rectangle at a time when that draws fewer cells.
    // The region's rectangles come top to bottom; one goes on down while
    // the next band has one in the same place.
    QVarLengthArray<QRect, 16> parts;
    qint64 rows = 0;
    int lastBottom = -1;
    for (const QRect &rect : region) {
        auto above = std::find_if(parts.begin(), parts.end(), [&](const QRect &part) {
            return part.left() == rect.left() && part.right() == rect.right() && part.bottom() + 1 == rect.top();
        });
        if (above != parts.end())
            above->setBottom(rect.bottom());
        else
            parts.append(rect);
        rows += qMax(0, rect.bottom() - qMax(rect.top(), lastBottom + 1) + 1);
        lastBottom = qMax(lastBottom, rect.bottom());
    }
    const QHeaderView *columns = header();
    auto columnsUnder = [columns](int left, int right) {
        const int last = columns->visualIndexAt(right);
        return (last < 0 ? columns->count() - 1 : last) - qMax(0, columns->visualIndexAt(left)) + 1;
    };
    // Areas in cells' heights (rows have one height) by columns.
    qint64 byParts = 0;
    for (const QRect &part : parts)
        byParts += qint64(part.height()) * columnsUnder(part.left(), part.right());
    if (byParts >= rows * columnsUnder(0, viewport()->width() - 1)) {
        QTreeView::paintEvent(event);
        return;
    }
    QPainter painter(viewport());
    for (const QRect &part : parts) {
        // A cell that crosses a part's edge is drawn by each part it
        // crosses, each within its own part.
        painter.setClipRect(part);
        drawTree(&painter, QRegion(part));
    }
}

void OrlTreeView::scrollContentsBy(int dx, int dy)
{
    // The waiting bands name rows by where they were: what moves with the
    // scroll is repainted whole.
    if (!m_dirty.isEmpty()) {
        m_dirty = QRegion();
        viewport()->update();
    }
    QTreeView::scrollContentsBy(dx, dy);
}

void OrlTreeView::mousePressEvent(QMouseEvent *e)
{
    if (e->buttons() == Qt::LeftButton)
        dragStartPosition = e->position().toPoint();
    QTreeView::mousePressEvent(e);
}

void OrlTreeView::mouseReleaseEvent(QMouseEvent *e)
{
    QTreeView::mouseReleaseEvent(e);
}

void OrlTreeView::mouseMoveEvent(QMouseEvent *e)
{
    // Any movement at all starts the drag: the platform's drag distance is
    // deliberately not used.
    if ((e->buttons() & Qt::LeftButton) && (e->position().toPoint() - dragStartPosition).manhattanLength() > 0)
        performDrag();
    // The drag swallowed the release, so the view is told the press is over.
    QTreeView::mouseMoveEvent(e);
    QTreeView::mouseReleaseEvent(e);
}

void OrlTreeView::performDrag()
{
    auto *drag = new QDrag(this);
    drag->setMimeData(new OrlMimeData(this));
    drag->setPixmap(QPixmap(QString::fromLatin1(DragPixmap)));
    if (drag->exec(Qt::MoveAction) == Qt::MoveAction)
        clearSelection();
}
