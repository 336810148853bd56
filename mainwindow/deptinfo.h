#ifndef DEPTINFO_H
#define DEPTINFO_H

#include <QList>
#include <QMap>
#include <QObject>
#include <QString>
#include <QStringList>

class OrlDropLabel;
class OrlTreeView;
class QHeaderView;
class QStandardItem;
class QStandardItemModel;
class ThinclientInfo;

// One department: its identity and members as kept in the department file,
// and the widgets that show it. Owns none of the pointers it holds.
class DeptInfo : public QObject
{
    Q_OBJECT
public:
    explicit DeptInfo(QObject *parent = nullptr);
    ~DeptInfo() override;

    int id = 0;                          // 0 is the default department
    QString name;
    QString imageFile;                   // kept in the file, used for nothing else
    QStringList macs;                    // members' MAC addresses, in joining order
    QList<ThinclientInfo *> devices;     // members registered in this run
    OrlDropLabel *label = nullptr;
    QMap<QString, QStandardItem *> groupItems;    // one group row per device model
    QStandardItemModel *model = nullptr;
    QStandardItemModel *headerModel = nullptr;
    QHeaderView *header = nullptr;
    QStandardItem *rootItem = nullptr;
    QStandardItem *contextItem = nullptr;    // row under the last context-menu request
    OrlTreeView *treeView = nullptr;
};

#endif // DEPTINFO_H
