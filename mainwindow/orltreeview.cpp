#include "orltreeview.h"
#include "orlmimedata.h"

#include <QAccessible>
#include <QDrag>
#include <QMouseEvent>
#include <QPixmap>
#include <QVarLengthArray>

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

void OrlTreeView::setModel(QAbstractItemModel *model)
{
    m_layoutPending = true;
    QTreeView::setModel(model);
}

void OrlTreeView::reset()
{
    m_layoutPending = true;
    QTreeView::reset();
}

void OrlTreeView::doItemsLayout()
{
    QTreeView::doItemsLayout();
    m_layoutPending = false;
}

void OrlTreeView::rowsInserted(const QModelIndex &parent, int start, int end)
{
    m_layoutPending = true;
    QTreeView::rowsInserted(parent, start, end);
}

void OrlTreeView::rowsAboutToBeRemoved(const QModelIndex &parent, int start, int end)
{
    m_layoutPending = true;
    QTreeView::rowsAboutToBeRemoved(parent, start, end);
}

bool OrlTreeView::showsAnyRow(const QModelIndex &topLeft, const QModelIndex &bottomRight) const
{
    if (!isVisible())
        return false;
    const QModelIndex first = indexAt(QPoint(0, 0));
    if (!first.isValid())
        return true;   // nothing to compare with: let the view decide
    if (before(rowPath(bottomRight), rowPath(first)))
        return false;
    const QModelIndex last = indexAt(QPoint(0, viewport()->height() - 1));
    return !last.isValid() || !before(rowPath(last), rowPath(topLeft));
}

void OrlTreeView::dataChanged(const QModelIndex &topLeft, const QModelIndex &bottomRight, const QList<int> &roles)
{
    // With rows of one height the view keeps nothing per row that a changed
    // value could alter, so a row off screen needs nothing; the base class
    // would first look it up among all the rows it shows, a walk through the
    // whole fleet for each report of a device out of sight.
    if (!uniformRowHeights() || m_layoutPending || QAccessible::isActive() || topLeft.parent() != bottomRight.parent()
        || topLeft.row() != bottomRight.row()) {
        QTreeView::dataChanged(topLeft, bottomRight, roles);
        return;
    }
    if (!showsAnyRow(topLeft, bottomRight))
        return;
    // Several cells of one shown row: the base class would repaint the
    // whole view for them; the row's band is enough.
    const QRect cell = visualRect(topLeft);
    if (!cell.isValid()) {
        QTreeView::dataChanged(topLeft, bottomRight, roles);
        return;
    }
    repaintSoon(QRect(0, cell.top(), viewport()->width(), cell.height()));
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
