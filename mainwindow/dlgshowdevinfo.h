#ifndef DLGSHOWDEVINFO_H
#define DLGSHOWDEVINFO_H

#include <QDialog>

class QStandardItemModel;
class QTableView;
class ThinclientInfo;
class Ui_DlgShowDevInfo;

// A read-only table of one device's record as it was when the dialog opened.
class DlgShowDevInfo : public QDialog
{
    Q_OBJECT
public:
    DlgShowDevInfo(QWidget *parent, ThinclientInfo *info);
    ~DlgShowDevInfo() override;

    QTableView *tableView() const { return view; }
    QStandardItemModel *tableModel() const { return model; }

private:
    Ui_DlgShowDevInfo *ui;
    QTableView *view;
    QStandardItemModel *model;
};

#endif // DLGSHOWDEVINFO_H
