#include "formfit.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QLabel>
#include <QLayout>
#include <QPushButton>
#include <QRadioButton>

namespace {

bool holdsText(const QWidget *w)
{
    if (const auto *label = qobject_cast<const QLabel *>(w))
        return !label->wordWrap() && !label->text().isEmpty();
    return qobject_cast<const QCheckBox *>(w) || qobject_cast<const QRadioButton *>(w)
        || qobject_cast<const QPushButton *>(w);
}

bool placedByLayout(const QWidget *w)
{
    const QWidget *parent = w->parentWidget();
    return parent && parent->layout() && parent->layout()->indexOf(const_cast<QWidget *>(w)) >= 0;
}

void setWidth(QWidget *w, int width)
{
    if (w->maximumWidth() < width)
        w->setMaximumWidth(width);
    w->resize(width, w->height());
}

} // namespace

bool FormFit::isClipped(const QWidget *widget)
{
    return holdsText(widget) && widget->width() < widget->sizeHint().width();
}

void FormFit::growClippedTexts(QWidget *form)
{
    const QList<QWidget *> widgets = form->findChildren<QWidget *>();
    for (QWidget *w : widgets) {
        if (!isClipped(w) || placedByLayout(w))
            continue;
        setWidth(w, w->sizeHint().width());
        // Whatever holds it at a fixed size must hold the wider widget too.
        for (QWidget *child = w, *parent = w->parentWidget(); parent && child != form;
             child = parent, parent = parent->parentWidget()) {
            const int needed = child->geometry().right() + 1;
            if (placedByLayout(child) || needed <= parent->width())
                break;
            if (parent->minimumWidth() == parent->maximumWidth())
                parent->setMinimumWidth(needed);
            setWidth(parent, needed);
        }
    }
}
