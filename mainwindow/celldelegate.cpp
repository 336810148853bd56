#include "celldelegate.h"

#include <QApplication>
#include <QPainter>
#include <QStyle>
#include <QTextLayout>

namespace {
// The style whose item drawing paintPlain repeats. Others (a platform's own,
// a style sheet, a proxy over any of them) may draw items their own way.
bool followedStyle(const QStyle *style)
{
    return style && qstrcmp(style->metaObject()->className(), "QFusionStyle") == 0;
}
} // namespace

void CellDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    if (paintPlain(painter, opt))
        return;
    const QWidget *widget = opt.widget;
    QStyle *style = widget ? widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);
}

bool CellDelegate::paintPlain(QPainter *painter, const QStyleOptionViewItem &opt)
{
    const QWidget *widget = opt.widget;
    const QStyle *style = widget ? widget->style() : QApplication::style();
    constexpr auto notPlain = QStyleOptionViewItem::HasDecoration | QStyleOptionViewItem::WrapText;
    // Without a selected decoration the style fits the text's own rectangle
    // into the cell; with it (rows selected whole) the text has the cell.
    if (!followedStyle(style) || (opt.features & notPlain) || opt.direction != Qt::LeftToRight
        || !opt.showDecorationSelected || (opt.state & (QStyle::State_HasFocus | QStyle::State_Editing)))
        return false;

    // A check box takes the cell's left end, its margins either side; the
    // text has the rest.
    QRect cell = opt.rect;
    QRect checkRect;
    if (opt.features & QStyleOptionViewItem::HasCheckIndicator) {
        const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, &opt, widget) + 1;
        const QSize box(style->pixelMetric(QStyle::PM_IndicatorWidth, &opt, widget),
                        style->pixelMetric(QStyle::PM_IndicatorHeight, &opt, widget));
        if (!box.isValid())
            return false;
        const QRect checkCell(cell.x(), cell.y(), box.width() + 2 * margin, cell.height());
        checkRect = QStyle::alignedRect(opt.direction, Qt::AlignCenter, box, checkCell);
        cell.setLeft(checkCell.right() + 1);
    }
    const int textMargin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1;
    const QRect textRect = cell.adjusted(textMargin, 0, -textMargin, 0);
    QTextLayout layout(opt.text, opt.font);
    QTextOption textOption;
    textOption.setWrapMode(QTextOption::ManualWrap);
    textOption.setTextDirection(opt.direction);
    textOption.setAlignment(QStyle::visualAlignment(opt.direction, opt.displayAlignment));
    layout.setTextOption(textOption);
    // Kept past the layout, so that drawing does not shape the text again.
    layout.setCacheEnabled(true);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    bool oneLine = true;
    if (line.isValid()) {
        line.setLineWidth(textRect.width());
        line.setPosition(QPointF(0, 0));
        oneLine = !layout.createLine().isValid();
    }
    layout.endLayout();
    // Text cut short, or lines beyond the first, are the style's to elide.
    if (!opt.text.isEmpty() && (!oneLine || line.naturalTextWidth() > textRect.width()))
        return false;

    painter->save();
    const QRegion clip = painter->hasClipping() ? (painter->clipRegion() & opt.rect) : QRegion(opt.rect);
    painter->setClipRegion(clip);
    style->drawPrimitive(QStyle::PE_PanelItemViewItem, &opt, painter, widget);
    if (checkRect.isValid()) {
        QStyleOptionViewItem box(opt);
        box.rect = checkRect;
        box.state |= opt.checkState == Qt::Checked            ? QStyle::State_On
                     : opt.checkState == Qt::PartiallyChecked ? QStyle::State_NoChange
                                                              : QStyle::State_Off;
        style->drawPrimitive(QStyle::PE_IndicatorItemViewItemCheck, &box, painter, widget);
    }
    if (!opt.text.isEmpty()) {
        QPalette::ColorGroup group = (opt.state & QStyle::State_Enabled) ? QPalette::Normal : QPalette::Disabled;
        if (group == QPalette::Normal && !(opt.state & QStyle::State_Active))
            group = QPalette::Inactive;
        painter->setPen(
            opt.palette.color(group, (opt.state & QStyle::State_Selected) ? QPalette::HighlightedText : QPalette::Text));
        // Placed as the style places it: the whole layout aligned in the
        // text's rectangle, of which only the height counts here.
        const QRect placed = QStyle::alignedRect(Qt::LayoutDirectionAuto, opt.displayAlignment,
                                                 layout.boundingRect().size().toSize(), textRect);
        layout.draw(painter, QPointF(textRect.x(), placed.top()));
    }
    painter->restore();
    return true;
}
