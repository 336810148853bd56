#ifndef DEPTLABELORDER_H
#define DEPTLABELORDER_H

#include <QList>

// Where a department label dragged in the panel lands. The panel is measured
// in slots of 70 pixels, one per label; y is the pointer's height in the
// panel's visible area.
namespace DeptLabelOrder {
constexpr int SlotHeight = 70;
constexpr int TopSnap = 32;          // released this near the top: first place
constexpr int EdgeScrollTop = 10;
constexpr int EdgeScrollBottom = 63;
constexpr int EdgeScrollStep = 15;

// The pointer's y in the panel's visible area, from the label's index, the
// panel's scroll value and the pointer's y in the label.
int dragY(int index, int scrollValue, int posY);
// The scroll value after one move of the drag: up near the top, down near
// the bottom of an area areaHeight pixels high, else unchanged.
int edgeScrollValue(int y, int scrollValue, int areaHeight);
// The slot the label is dropped into, 0 .. count. The lower half of a slot
// means the slot after it; anything below the last label means the end.
int targetSlot(int scrollValue, int y, int count);

// Moves the entry at from to the drop slot t and returns its new index: an
// upward move lands at t, a downward one at t - 1 (the entry left its own
// slot first), and t = from or from + 1 leave the order as it was.
template <typename T>
int moveEntry(QList<T> &list, int from, int t)
{
    if (from < 0 || from >= list.size())
        return from;
    t = qBound(0, t, int(list.size()));
    if (t < from) {
        list.move(from, t);
        return t;
    }
    if (t > from + 1) {
        list.move(from, t - 1);
        return t - 1;
    }
    return from;
}
}

#endif // DEPTLABELORDER_H
