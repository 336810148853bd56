#ifndef CHILDWIDGET_H
#define CHILDWIDGET_H

#include <QObject>
#include <QString>

// A named widget of a form under test. A missing one stops the run: the
// form and the test no longer agree.
template <typename T>
T *child(QObject *parent, const char *name)
{
    T *w = parent->findChild<T *>(QLatin1String(name));
    if (!w)
        qFatal("no widget %s", name);
    return w;
}

#endif // CHILDWIDGET_H
