#ifndef DLGSETEDIDRESOLUTION_H
#define DLGSETEDIDRESOLUTION_H

#include <QDialog>
#include <QModelIndex>
#include <QString>

class QStandardItem;
class QStandardItemModel;
class QTreeView;
class ThinclientInfo;

// One device's EDID modes, one row each; the modes the console cannot send
// are greyed out, the device's present mode starts ticked. OK stores the
// picked mode's resolution in *result (left as it was with no pick) and
// gives 1; Cancel gives 0.
class DlgSetEdidResolution : public QDialog
{
    Q_OBJECT
public:
    DlgSetEdidResolution(QWidget *parent, ThinclientInfo *device, const QString &supportedResolutions,
                         QString *result);

    QTreeView *treeView = nullptr;
    QStandardItemModel *model = nullptr;
    // First-column item of the picked row; null while nothing is picked.
    QStandardItem *pickedItem = nullptr;

public slots:
    void onTreeViewClicked(const QModelIndex &index);
    void onItemChanged(QStandardItem *item);
    void accept() override;
    void reject() override;

private:
    void buildUi();
    // Makes item the pick and clears every other box; a click on the picked
    // row cannot clear its own.
    void pick(QStandardItem *item);

    QString supportedResolutions;
    ThinclientInfo *device;
    QString *resultText;   // the caller's; receives the picked resolution
};

#endif // DLGSETEDIDRESOLUTION_H
