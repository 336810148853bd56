#ifndef DLGPROFILEEDITOR_H
#define DLGPROFILEEDITOR_H

#include "profiles/core/profilepages.h"

#include <QDialog>
#include <QStringList>

class QComboBox;
class Profile;

namespace Ui {
class DlgProfileEditor;
}

// Creates (a new profile or a clone) or edits one profile: its name, the
// "Korvane server" page and the "Display" page; the other pages of the form
// are no part of a profile. exec() gives 1 once the profile is saved in its
// file, 0 otherwise. The record belongs to the caller.
class DlgProfileEditor : public QDialog
{
    Q_OBJECT
public:
    DlgProfileEditor(QWidget *parent, const QString &dir, Profile *profile, bool editMode);
    ~DlgProfileEditor() override;

public slots:
    void accept() override;
    void reject() override;

    void onZorServerDHCPSelected();
    void onZorServerStaticIPSelected();
    void onDispCloneSelected(bool clone);
    void onDispCmbxOp1ConnectorChanged(int row);
    void onDispCmbxOp2ConnectorChanged(int row);
    void onDispCmbxOp3ConnectorChanged(int row);
    void onDispCmbxOp1PositionChanged(int row);
    void onDispCmbxOp2PositionChanged(int row);
    void onDispCmbxOp3PositionChanged(int row);
    void onGlobalDefaultsClicked();

private:
    void initDisplayCombos();
    void loadAll();
    void loadServerTab();
    void loadDisplayTab();
    void storeAll();
    ProfilePages::DisplayPage displayPage() const;
    bool validateAll();
    bool refuse(const ProfilePages::Refusal &refusal);

    // Enabling rules of one output (0 to 2).
    void connectorChanged(int output, int row);
    void positionChanged(int output, int row);
    QComboBox *combo(ProfilePages::Setting setting, int output) const;
    static void reset(QComboBox *combo);

    Ui::DlgProfileEditor *ui;
    QWidget *caller;
    QString dir;
    Profile *profile;
    QString oldName;
    bool editMode;
    // Connector 1-3, position 1-3, referent 1-3, orientation 1-3, resolution
    // 1-3, in the order of the record's rows; owned by the outputs table.
    QComboBox *dispCombos[ProfilePages::RowCount] = {};
};

#endif // DLGPROFILEEDITOR_H
