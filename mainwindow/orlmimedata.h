#ifndef ORLMIMEDATA_H
#define ORLMIMEDATA_H

#include <QMimeData>
#include <QStringList>

class OrlTreeView;

// What a device drag carries: only the tree it started from. The receiver
// knows the drag by its format and takes the rows selected in that tree, so
// no data is stored under the format.
class OrlMimeData : public QMimeData
{
    Q_OBJECT
public:
    static constexpr const char *Format = "orltreeview";

    explicit OrlMimeData(OrlTreeView *source);
    ~OrlMimeData() override;

    QStringList formats() const override;

    QStringList formatList;
    OrlTreeView *sourceView;    // not owned
};

#endif // ORLMIMEDATA_H
