#include "orltreeview.h"
#include "orlmimedata.h"

#include <QAccessible>
#include <QContextMenuEvent>
#include <QDrag>
#include <QHeaderView>
#include <QPaintEvent>
#include <QPainter>
#include <QMouseEvent>
#include <QPixmap>
#include <QScrollBar>
#include <QStandardItemModel>
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
    if (holdAppended(parent, start, end)) {
        QAbstractItemView::rowsInserted(parent, start, end);
        return;
    }
    // The base class lays everything out at the next pass, rows held or not.
    m_heldSpoilt = true;
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

OrlTreeView::HeldAgainst OrlTreeView::heldAgainstNow() const
{
    const auto *d = static_cast<const QTreeViewPrivate *>(d_ptr.data());
    return {model(), d->viewItems.size(), d->expandedIndexes, d->hiddenIndexes, d->spanningIndexes};
}

void OrlTreeView::watchModel()
{
    if (m_watched == model())
        return;
    for (const QMetaObject::Connection &c : std::as_const(m_spoilers))
        disconnect(c);
    m_spoilers.clear();
    m_watched = model();
    if (!m_watched)
        return;
    const auto spoil = [this] { m_heldSpoilt = true; };
    // Columns matter to the rows laid out at the top, or where rows hang
    // from the first column; a row's first child gives it columns first.
    const auto spoilColumns = [this](const QModelIndex &parent, int start) {
        if (!parent.isValid() || (start == 0 && m_watched->rowCount(parent) > 0))
            m_heldSpoilt = true;
    };
    using M = QAbstractItemModel;
    m_spoilers << connect(m_watched, &M::rowsAboutToBeRemoved, this, spoil)
               << connect(m_watched, &M::rowsAboutToBeMoved, this, spoil)
               << connect(m_watched, &M::columnsAboutToBeInserted, this, spoilColumns)
               << connect(m_watched, &M::columnsAboutToBeRemoved, this, spoilColumns)
               << connect(m_watched, &M::columnsAboutToBeMoved, this, spoil)
               << connect(m_watched, &M::layoutAboutToBeChanged, this, spoil)
               << connect(m_watched, &M::modelAboutToBeReset, this, spoil)
               << connect(m_watched, &M::destroyed, this, [this] { m_watched = nullptr; });
}

bool OrlTreeView::holdAppended(const QModelIndex &parent, int start, int end)
{
    auto *d = static_cast<QTreeViewPrivate *>(d_ptr.data());
    // Held rows are those of a layout still waiting; a layout made without
    // this view's doItemsLayout (expandAll) has taken them in.
    if (!m_held.isEmpty() && !d->delayedPendingLayout)
        dropHeld();
    // Only the plain case: rows added at the end of a shown, expanded row of
    // a tree of rows of one height, with nothing hidden, not animating.
    if (!uniformRowHeights() || !parent.isValid() || parent.column() != 0 || parent.model() != model()
        || rootIndex().isValid() || !d->hiddenIndexes.isEmpty() || end != model()->rowCount(parent) - 1
        || (state() != NoState && state() != DraggingState && state() != DragSelectingState))
        return false;
    if (m_held.isEmpty() ? !laidOut() : m_heldSpoilt || !(heldAgainstNow() == m_heldAgainst))
        return false;
    for (int row = start; row <= end; ++row)
        if (d->isIndexExpanded(model()->index(row, 0, parent)))
            return false;
    // A row appended to again: its rows join from the first one held on.
    for (const Held &held : std::as_const(m_held))
        if (held.parent == parent)
            return true;
    const int group = laidOutRow(parent);
    if (group < 0 || !d->viewItems.at(group).expanded)
        return false;
    if (m_held.isEmpty()) {
        watchModel();
        m_heldAgainst = heldAgainstNow();
        m_heldSpoilt = false;
        // The base class's own wait for a layout: everything that reads the
        // rows lays them out first, through doItemsLayout.
        scheduleDelayedItemsLayout();
    }
    m_held.append({QPersistentModelIndex(parent), start});
    return true;
}

void OrlTreeView::dropHeld()
{
    m_held.clear();
    m_heldAgainst = HeldAgainst();
    m_heldSpoilt = false;
}

void OrlTreeView::doItemsLayout()
{
    // Called while the layout still waits, not by the base class ending
    // its wait: the wait ends first (its timer would lay out once more).
    const auto *d = static_cast<const QTreeViewPrivate *>(d_ptr.data());
    if (!m_held.isEmpty() && d->delayedPendingLayout && state() != CollapsingState) {
        executeDelayedItemsLayout();
        return;
    }
    const bool joined = !m_held.isEmpty() && joinHeld();
    dropHeld();
    if (!joined)
        QTreeView::doItemsLayout();
}

bool OrlTreeView::joinHeld()
{
    auto *d = static_cast<QTreeViewPrivate *>(d_ptr.data());
    if (m_heldSpoilt || !uniformRowHeights() || !(heldAgainstNow() == m_heldAgainst))
        return false;
    QList<QTreeViewItem> &items = d->viewItems;
    struct Join {
        int at;      // where its rows go among the laid-out rows
        int group;
        int lastChild;   // the row's last child laid out, or -1
        QModelIndex parent;
        int first, count;
    };
    QVarLengthArray<Join, 8> joins;
    int added = 0;
    for (const Held &held : std::as_const(m_held)) {
        const QModelIndex parent(held.parent);
        const int group = parent.isValid() ? laidOutRow(parent) : -1;
        if (group < 0 || !items.at(group).expanded)
            return false;
        const int count = model()->rowCount(parent) - held.first;
        const int at = group + 1 + int(items.at(group).total);
        // The row's last child laid out, reached from the last row under
        // it, must be the one just before the first held: the held rows are
        // all that is new under it.
        int previous = at - 1;
        while (previous > group && items.at(previous).parentItem != group)
            previous = items.at(previous).parentItem;
        const int lastLaidOut = previous > group ? items.at(previous).index.row() : -1;
        if (count <= 0 || lastLaidOut != held.first - 1)
            return false;
        for (int row = held.first; row < held.first + count; ++row)
            if (d->isIndexExpanded(model()->index(row, 0, parent)))
                return false;
        joins.append({at, group, previous > group ? previous : -1, parent, held.first, count});
        added += count;
    }
    // Rows joining a row's last child go before those joining the row itself.
    std::sort(joins.begin(), joins.end(), [&items](const Join &a, const Join &b) {
        return a.at != b.at ? a.at < b.at : items.at(a.group).level > items.at(b.group).level;
    });
    // Where a laid-out row moves to: down by the rows joining above it.
    const auto moved = [&joins](int row) {
        int to = row;
        for (const Join &join : joins) {
            if (join.at > row)
                break;
            to += join.count;
        }
        return to;
    };

    // Rows joining above the last shown one move the shown rows down.
    const int lastShown = d->lastVisibleItem();
    const int oldSize = int(items.size());
    items.resize(oldSize + added);
    // From the bottom up: each laid-out row below the first join moves once,
    // to its place, and learns its parent's new place. The rows above keep
    // theirs, and so do their parents, which are above them. This walk is
    // most of what a pass of joining rows costs in a large fleet, so it runs
    // over the rows' storage itself.
    QTreeViewItem *rows = items.data();
    int from = oldSize, to = oldSize + added;
    for (int j = int(joins.size()) - 1; j >= 0; --j) {
        // The rows from this join's place to the next one's all move by the
        // same distance, and so does a parent among them; a parent above
        // this place (rows joining a deeper row) is looked up.
        const int segment = joins[j].at;
        const int shift = to - from;
        while (from > segment) {
            QTreeViewItem &row = rows[--to];
            row = rows[--from];
            if (row.parentItem >= segment)
                row.parentItem += shift;
            else if (row.parentItem >= 0)
                row.parentItem = moved(row.parentItem);
        }
        to -= joins[j].count;
    }
    int shift = 0;
    for (const Join &join : joins) {
        const int group = moved(join.group);
        const int at = join.at + shift;   // the first joining row, now
        shift += join.count;
        // The row's last child so far now has siblings after it.
        if (join.lastChild >= 0)
            items[moved(join.lastChild)].hasMoreSiblings = true;
        for (int k = 0; k < join.count; ++k) {
            QTreeViewItem &item = items[at + k];
            item = QTreeViewItem();
            item.index = model()->index(join.first + k, 0, join.parent);
            item.parentItem = group;
            item.level = items.at(group).level + 1;
            item.spanning = isFirstColumnSpanned(join.first + k, join.parent);
            item.hasChildren = d->hasVisibleChildren(item.index);
            item.hasMoreSiblings = k + 1 < join.count;
        }
        items[group].hasChildren = true;
        for (int above = group; above >= 0; above = items.at(above).parentItem)
            items[above].total += uint(join.count);
    }
    // Only the scroll range follows the rows; the header stays as it is (its
    // geometry, worked out again, would measure every column's label).
    d->updateScrollBars();
    if (lastShown < 0 || joins.first().at <= lastShown + 1)
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

bool OrlTreeView::shownRows(std::vector<const QStandardItem *> *rows)
{
    // As dataChanged below decides which changed rows it needs: every one
    // where it would hand them to the base class. A view that shows no rows
    // (hidden, or an empty department's) needs none, laid out or not.
    if (QAccessible::isActive())
        return false;
    if (!isVisible() || !model() || model()->rowCount(rootIndex()) == 0)
        return true;
    if (!m_held.isEmpty())
        executeDelayedItemsLayout();
    if (!uniformRowHeights() || !laidOut())
        return false;
    const auto *items = qobject_cast<const QStandardItemModel *>(model());
    if (!items)
        return true;   // no device rows here
    const auto *d = static_cast<const QTreeViewPrivate *>(d_ptr.data());
    const int top = d->firstVisibleItem();
    const int bottom = lastShownRow();
    if (top < 0 || top >= d->viewItems.size() || bottom < 0 || bottom >= d->viewItems.size())
        return false;
    for (int i = top; i <= bottom; ++i)
        rows->push_back(items->itemFromIndex(d->viewItems.at(i).index.siblingAtColumn(0)));
    return true;
}

void OrlTreeView::dataChanged(const QModelIndex &topLeft, const QModelIndex &bottomRight, const QList<int> &roles)
{
    // The base class skips a change while a layout waits, since laying out
    // repaints everything; joining held rows repaints only what moved.
    if (!m_held.isEmpty())
        executeDelayedItemsLayout();
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

bool OrlTreeView::event(QEvent *e)
{
    // The menu key asks for the menu of the current row, the one moved to
    // with the keys, at its first cell. The base class would ask at the
    // middle of the view when there is none, offering whatever row lies
    // there, and at a current row scrolled out of sight, with the menu away
    // from the tree.
    if (e->type() == QEvent::ContextMenu && contextMenuPolicy() == Qt::CustomContextMenu
        && static_cast<QContextMenuEvent *>(e)->reason() == QContextMenuEvent::Keyboard) {
        const QModelIndex current = keyRow();
        if (current.isValid()) {
            scrollTo(current);
            emit customContextMenuRequested(visualRect(current).center());
        }
        e->accept();
        return true;
    }
    return QTreeView::event(e);
}

QModelIndex OrlTreeView::keyRow()
{
    // Rows are selected whole and the keys act on rows, through their first
    // cell: a device's box and name, a group's model. A click leaves the
    // current cell where it hit; from another cell the space bar ticked
    // nothing, and typing searched that cell's column instead of the names.
    QModelIndex row = currentIndex().siblingAtColumn(0);
    // A group folded with a click keeps the current row inside it, out of
    // sight: the space bar would tick a device nobody sees.
    for (QModelIndex up = row.parent(); up.isValid(); up = up.parent())
        if (!isExpanded(up))
            row = up;
    if (row.isValid() && row != currentIndex() && selectionModel())
        selectionModel()->setCurrentIndex(row, QItemSelectionModel::NoUpdate);
    return row;
}

void OrlTreeView::keyPressEvent(QKeyEvent *e)
{
    // The space bar ticks the row's box. Other keys move from the cell as
    // Qt moves, keeping the column the administrator scrolled to.
    if (e->key() == Qt::Key_Space || e->key() == Qt::Key_Select)
        keyRow();
    QTreeView::keyPressEvent(e);
}

void OrlTreeView::keyboardSearch(const QString &search)
{
    keyRow();
    QTreeView::keyboardSearch(search);
}

void OrlTreeView::mousePressEvent(QMouseEvent *e)
{
    if (e->buttons() == Qt::LeftButton)
        dragStartPosition = e->position().toPoint();
    QTreeView::mousePressEvent(e);
    // The drop moves the rows selected in this tree. A press that selects
    // nothing (on an offline device's greyed row, below the rows) leaves
    // the rows selected before, which the pointer never touched: moving
    // from there carries nothing.
    const QModelIndex pressed = indexAt(e->position().toPoint());
    m_pressedSelected = pressed.isValid() && selectionModel() && selectionModel()->isSelected(pressed);
}

void OrlTreeView::mouseReleaseEvent(QMouseEvent *e)
{
    QTreeView::mouseReleaseEvent(e);
}

void OrlTreeView::mouseMoveEvent(QMouseEvent *e)
{
    // Any movement at all starts the drag: the platform's drag distance is
    // deliberately not used.
    const bool drag = m_pressedSelected && (e->buttons() & Qt::LeftButton)
                      && (e->position().toPoint() - dragStartPosition).manhattanLength() > 0;
    if (drag)
        performDrag();
    // The drag swallowed the release, so the view is told the press is over.
    // Told so, it would finish the press on a selected row as a click and
    // select that row alone: a drag that moved nothing keeps the rows it
    // carried, and one that moved them leaves none.
    const QItemSelection kept = drag && selectionModel() ? selectionModel()->selection() : QItemSelection();
    QTreeView::mouseMoveEvent(e);
    QTreeView::mouseReleaseEvent(e);
    if (drag && selectionModel())
        selectionModel()->select(kept, QItemSelectionModel::ClearAndSelect);
}

void OrlTreeView::performDrag()
{
    auto *drag = new QDrag(this);
    drag->setMimeData(new OrlMimeData(this));
    drag->setPixmap(QPixmap(QString::fromLatin1(DragPixmap)));
    if (drag->exec(Qt::MoveAction) == Qt::MoveAction)
        clearSelection();
}
