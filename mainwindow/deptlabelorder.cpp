#include "deptlabelorder.h"

int DeptLabelOrder::dragY(int index, int scrollValue, int posY)
{
    return index * SlotHeight - scrollValue + posY;
}

int DeptLabelOrder::edgeScrollValue(int y, int scrollValue, int areaHeight)
{
    if (y < EdgeScrollTop)
        return scrollValue - EdgeScrollStep;
    if (y >= areaHeight - EdgeScrollBottom)
        return scrollValue + EdgeScrollStep;
    return scrollValue;
}

int DeptLabelOrder::targetSlot(int scrollValue, int y, int count)
{
    if (count <= 0)
        return 0;
    if (y < TopSnap)
        return 0;
    const int at = scrollValue + y;
    const int slot = qBound(0, at / SlotHeight, count - 1);
    return at >= slot * SlotHeight + SlotHeight / 2 ? slot + 1 : slot;
}
