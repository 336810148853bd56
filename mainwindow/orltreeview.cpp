#include "orltreeview.h"
#include "orlmimedata.h"

#include <QDrag>
#include <QMouseEvent>
#include <QPixmap>

OrlTreeView::OrlTreeView(QWidget *parent) : QTreeView(parent)
{
}

OrlTreeView::~OrlTreeView() = default;

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
