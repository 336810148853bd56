#include "orlscrollarea.h"
#include "deptlabelorder.h"
#include "orldroplabel.h"

#include <QApplication>
#include <QCursor>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTimer>

namespace {
constexpr int PlaceholderWidth = 64;
constexpr int PlaceholderHeight = 15;
constexpr int RestoreDelay = 10;    // ms
}

OrlScrollArea::OrlScrollArea(QWidget *parent) : QScrollArea(parent)
{
}

OrlScrollArea::~OrlScrollArea() = default;

QMenu *OrlScrollArea::createContextMenu()
{
    auto *menu = new QMenu(this);
    menu->addAction(QStringLiteral("New Department"), this, &OrlScrollArea::onNewDept);
    return menu;
}

void OrlScrollArea::mousePressEvent(QMouseEvent *e)
{
    if (e->button() == Qt::LeftButton)
        return;
    QMenu *menu = createContextMenu();
    menu->exec(mapToGlobal(e->position().toPoint()));
    delete menu;
}

void OrlScrollArea::onNewDept()
{
    emit onNewDepartment();
}

void OrlScrollArea::startAutoScroll()
{
    if (!scrollTimer) {
        scrollTimer = new QTimer(this);
        connect(scrollTimer, &QTimer::timeout, this, &OrlScrollArea::onScrollTimerFired);
    } else if (scrollTimer->isActive()) {
        return;
    }
    scrollTimer->start(AutoScrollInterval);
}

void OrlScrollArea::onScrollTimerFired()
{
    autoScrollTick(QApplication::mouseButtons(), mapFromGlobal(QCursor::pos()));
}

void OrlScrollArea::autoScrollTick(Qt::MouseButtons buttons, const QPoint &cursor)
{
    // The drag is over once the button is up; the timer stays for the next one.
    if (!(buttons & Qt::LeftButton)) {
        if (scrollTimer)
            scrollTimer->stop();
        return;
    }
    if (cursor.x() < 0 || cursor.x() > width() || cursor.y() < 0 || cursor.y() > height())
        return;
    QScrollBar *bar = verticalScrollBar();
    if (cursor.y() <= AutoScrollEdge)
        bar->setValue(bar->value() - AutoScrollStep);
    else if (cursor.y() >= height() - AutoScrollEdge)
        bar->setValue(bar->value() + AutoScrollStep);
}

int OrlScrollArea::followLabelDrag(int index, const QString &name, int labelX, int posY, int areaHeight,
                                   int count, bool dropped)
{
    QScrollBar *bar = verticalScrollBar();
    const int value = bar->value();
    const int y = DeptLabelOrder::dragY(index, value, posY);
    const QPoint at(labelX + 1, y);
    if (!placeholder && !dropped) {
        showDragPlaceholder(name, at);
        return -1;
    }
    bar->setValue(DeptLabelOrder::edgeScrollValue(y, value, areaHeight));
    moveDragPlaceholder(at);
    if (!dropped)
        return -1;
    removeDragPlaceholder();
    return DeptLabelOrder::targetSlot(value, y, count);
}

void OrlScrollArea::showDragPlaceholder(const QString &name, const QPoint &topLeft)
{
    delete placeholder;
    placeholder = new QLabel(this);
    placeholder->setMinimumSize(PlaceholderWidth, PlaceholderHeight);
    placeholder->setMaximumSize(PlaceholderWidth, PlaceholderHeight);
    placeholder->setAutoFillBackground(true);
    placeholder->setStyleSheet(QStringLiteral("QLabel { background-color: #404040; color: #ff0000; }"));
    placeholder->setTextFormat(Qt::RichText);
    placeholder->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
    placeholder->setText(OrlDropLabel::labelText(name));
    moveDragPlaceholder(topLeft);
    placeholder->show();
}

void OrlScrollArea::moveDragPlaceholder(const QPoint &topLeft)
{
    if (placeholder)
        placeholder->setGeometry(topLeft.x(), topLeft.y(), PlaceholderWidth, PlaceholderHeight);
}

void OrlScrollArea::removeDragPlaceholder()
{
    delete placeholder;
    placeholder = nullptr;
}

void OrlScrollArea::restoreScrollPositionLater(int value)
{
    QTimer::singleShot(RestoreDelay, this, [this, value] { verticalScrollBar()->setValue(value); });
}
