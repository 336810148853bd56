#ifndef DLGEDITWHITELIST_H
#define DLGEDITWHITELIST_H

#include <QDialog>
#include <QList>
#include <QString>
#include <QStringList>

#include "commands/core/blockdevicelist.h"

class QCheckBox;

namespace Ui {
class DlgEditWhiteList;
}

// Shows the storage devices that the clients reported, merged, and saves the
// ones ticked as the white list that the devices' installer may overwrite.
class DlgEditWhiteList : public QDialog
{
    Q_OBJECT
public:
    DlgEditWhiteList(QWidget *parent, const QString &directory);
    ~DlgEditWhiteList() override;

    void loadDeviceLists(const QString &directory);
    void loadWhiteList(const QString &directory);

    // "Let clients choose appropriate device", set by accept.
    bool letClientsChoose = false;

public slots:
    void accept() override;
    void reject() override;
    void onCheckBoxClicked(bool checked);

private:
    void fillTable();

    Ui::DlgEditWhiteList *ui;
    QWidget *owner;
    QString directory;
    BlockDeviceList deviceLines;
    QStringList chosenLines;
    QList<QCheckBox *> rowCheckBoxes;
    QStringList rowLines;   // the line of each table row, in row order
};

#endif // DLGEDITWHITELIST_H
