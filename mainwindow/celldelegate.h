#ifndef CELLDELEGATE_H
#define CELLDELEGATE_H

#include <QStyledItemDelegate>

// Draws the device tree's cells as the style does, laying a plain cell's
// text out once. The style lays each cell's text out five times: three to
// place the check box, the icon and the text, one to see whether the text
// must be cut short, one to draw it. A status storm repaints every shown
// cell several times a second, and scrolling repaints them all.
//
// Only the plain case is drawn here: one line of text that fits, left to
// right, maybe a check box before it, with no icon, focus frame or editor,
// in the style whose item drawing this follows step by step. Anything else
// is the style's.
class CellDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;

    // Draws a cell whose option is filled in, as the style would; false,
    // with nothing drawn, when the cell is not a plain one.
    static bool paintPlain(QPainter *painter, const QStyleOptionViewItem &option);
};

#endif // CELLDELEGATE_H
