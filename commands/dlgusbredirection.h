#ifndef DLGUSBREDIRECTION_H
#define DLGUSBREDIRECTION_H

#include <QDialog>
#include <QList>
#include <QStringList>

class QCheckBox;

namespace Ui {
class DlgUsbRedirection;
}

// One device's USB list, one row per entry with a check box, its ID and its
// description. done(1) on OK with selectedIds filled, done(0) on Cancel.
class DlgUsbRedirection : public QDialog
{
    Q_OBJECT
public:
    DlgUsbRedirection(QWidget *parent, const QStringList &entries);
    ~DlgUsbRedirection() override;

    // The IDs of the checked rows, in row order, each ":" turned into "_".
    QStringList selectedIds;

public slots:
    void accept() override;
    void reject() override;

private:
    Ui::DlgUsbRedirection *ui;
    QList<QCheckBox *> checkBoxes;
    QStringList deviceIds;
};

#endif // DLGUSBREDIRECTION_H
