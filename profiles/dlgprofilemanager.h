#ifndef DLGPROFILEMANAGER_H
#define DLGPROFILEMANAGER_H

#include <QDialog>

class QListWidgetItem;

namespace Ui {
class DlgProfileManager;
}

// Lists the profile files of a directory and runs the editor on them (new,
// edit, clone) or removes one. The editor writes the files; the manager only
// deletes them.
class DlgProfileManager : public QDialog
{
    Q_OBJECT
public:
    DlgProfileManager(QWidget *parent, const QString &dir);
    ~DlgProfileManager() override;

public slots:
    void onDoubleClicked(const QModelIndex &index);
    void onCurrentItemChanged(QListWidgetItem *current, QListWidgetItem *previous);
    void onNewProfileClicked();
    void onEditProfileClicked();
    void onDeleteProfileClicked();
    void onCloneProfileClicked();
    void onCloseClicked();

private:
    void connectSignals();
    void refreshList();
    // Edit and clone: the selected profile loaded into the editor.
    void openSelected(bool editMode, const QString &title, const QString &noSelectionText);

    Ui::DlgProfileManager *ui;
    QString dir;
    QListWidgetItem *currentItem = nullptr;
};

#endif // DLGPROFILEMANAGER_H
