#ifndef ORLSCROLLAREA_H
#define ORLSCROLLAREA_H

#include <QScrollArea>

class QLabel;
class QMenu;
class QTimer;

// The department panel. A right click on its empty part offers "New
// Department". It also scrolls itself while something is dragged over it:
// a device drag near its top or bottom edge (auto-scroll timer), and a
// department label dragged past its edges (with a placeholder that follows
// the pointer).
class OrlScrollArea : public QScrollArea
{
    Q_OBJECT
public:
    static constexpr int AutoScrollInterval = 50;    // ms
    static constexpr int AutoScrollEdge = 31;        // px from either edge
    static constexpr int AutoScrollStep = 12;

    explicit OrlScrollArea(QWidget *parent = nullptr);
    ~OrlScrollArea() override;

    // The right-click menu, parented to the panel; the caller runs and deletes it.
    QMenu *createContextMenu();

    // A device drag entered a label: the timer is created on the first call
    // and restarted when it has stopped.
    void startAutoScroll();
    QTimer *autoScrollTimer() const { return scrollTimer; }
    // One tick: stops the timer once the left button is up, otherwise
    // scrolls when the cursor (in the panel's coordinates) is near an edge.
    void autoScrollTick(Qt::MouseButtons buttons, const QPoint &cursor);

    // One step of a department label's drag, from the label's signal: index
    // is the department's place in the list, labelX the label's x, posY the
    // pointer's y in the label, areaHeight the height of the window's central
    // area and count the number of departments. The first step shows the
    // placeholder; later ones move it and scroll near the edges. The release
    // removes it and returns the slot to drop into (DeptLabelOrder::moveEntry);
    // every other step returns -1. Read the scroll value before the call to
    // restore it after the labels are rebuilt.
    int followLabelDrag(int index, const QString &name, int labelX, int posY, int areaHeight, int count,
                        bool dropped);

    // The placeholder of a dragged department label, a child of the panel;
    // null when no label is being dragged.
    QLabel *dragPlaceholder() const { return placeholder; }
    void showDragPlaceholder(const QString &name, const QPoint &topLeft);
    void moveDragPlaceholder(const QPoint &topLeft);
    void removeDragPlaceholder();

    // Restores the scroll position shortly after the labels were rebuilt,
    // once the new layout has settled.
    void restoreScrollPositionLater(int value);

signals:
    void onNewDepartment();

public slots:
    void onNewDept();
    void onScrollTimerFired();

protected:
    void mousePressEvent(QMouseEvent *e) override;

private:
    QTimer *scrollTimer = nullptr;
    QLabel *placeholder = nullptr;
};

#endif // ORLSCROLLAREA_H
