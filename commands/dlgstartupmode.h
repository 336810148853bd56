#ifndef DLGSTARTUPMODE_H
#define DLGSTARTUPMODE_H

#include <QDialog>

namespace Ui { class DlgStartupMode; }

// What a device does when it boots: show its configuration interface or
// connect to its remote server. OK does nothing until one is chosen; the
// caller's bool is then true for the configuration interface.
class DlgStartupMode : public QDialog
{
    Q_OBJECT
public:
    DlgStartupMode(QWidget *parent, bool *showMenu);
    ~DlgStartupMode() override;

public slots:
    void accept() override;
    void reject() override;

private:
    Ui::DlgStartupMode *ui;
    bool *showMenu;
};

#endif // DLGSTARTUPMODE_H
