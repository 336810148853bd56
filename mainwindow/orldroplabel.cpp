#include "orldroplabel.h"
#include "orlmimedata.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMenu>
#include <QMouseEvent>

OrlDropLabel::OrlDropLabel(QWidget *parent, void *dept) : QLabel(parent), dept(dept)
{
    setAcceptDrops(true);
}

OrlDropLabel::~OrlDropLabel() = default;

QString OrlDropLabel::labelText(const QString &name)
{
    return QLatin1String("<font color='white'>") + name.left(MaxShownName).toHtmlEscaped() + QLatin1String("</font>");
}

void OrlDropLabel::applyLook(const QString &name, bool selected)
{
    setGeometry(0, 0, Side, Side);
    setMinimumSize(Side, Side);
    setMaximumSize(Side, Side);
    setTextFormat(Qt::RichText);
    setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
    setAutoFillBackground(true);
    setDepartmentName(name);
    setSelected(selected);
}

void OrlDropLabel::setDepartmentName(const QString &name)
{
    setText(labelText(name));
}

void OrlDropLabel::setSelected(bool selected)
{
    setStyleSheet(QLatin1String(selected ? SelectedStyle : NormalStyle));
}

QMenu *OrlDropLabel::createContextMenu()
{
    auto *menu = new QMenu(this);
    menu->addAction(QStringLiteral("Rename"), this, &OrlDropLabel::onRename);
    menu->addAction(QStringLiteral("Delete"), this, &OrlDropLabel::onDelete);
    return menu;
}

void OrlDropLabel::onRename()
{
    emit onDepartmentRename(dept);
}

void OrlDropLabel::onDelete()
{
    emit onDepartmentDelete(dept);
}

void OrlDropLabel::mousePressEvent(QMouseEvent *e)
{
    if (e->buttons() == Qt::LeftButton) {
        pressPos = e->position().toPoint();
        emit onDepartmentSelected(dept);
        return;
    }
    // Another button pressed while this label is dragged: the menu takes
    // the release, and a release heard later must not drop the label.
    if (dragging) {
        dragging = false;
        emit onDepartmentDragEnded(dept);
    }
    QMenu *menu = createContextMenu();
    menu->exec(mapToGlobal(e->position().toPoint()));
    delete menu;
}

void OrlDropLabel::mouseMoveEvent(QMouseEvent *e)
{
    if (e->buttons() != Qt::LeftButton)
        return;
    const QPoint pos = e->position().toPoint();
    if ((pos - pressPos).manhattanLength() < QApplication::startDragDistance())
        return;
    dragging = true;
    emit onDepartmentDragged(dept, pos, false);
}

void OrlDropLabel::mouseReleaseEvent(QMouseEvent *e)
{
    if (!dragging)
        return;
    dragging = false;
    emit onDepartmentDragged(dept, e->position().toPoint(), true);
}

void OrlDropLabel::dragEnterEvent(QDragEnterEvent *e)
{
    if (!e->mimeData()->hasFormat(QLatin1String(OrlMimeData::Format)))
        return;
    e->acceptProposedAction();
    emit onDragEnter(dept, e->position().toPoint());
}

void OrlDropLabel::dropEvent(QDropEvent *e)
{
    // Only a drag of this console's own trees names a source; the same
    // format from elsewhere carries nothing to move.
    const auto *data = qobject_cast<const OrlMimeData *>(e->mimeData());
    if (!data || !data->sourceView)
        return;
    e->acceptProposedAction();
    emit onDeviceDropped(dept, data->sourceView);
}
