#ifndef DLGHOSTCREDENTIALS_H
#define DLGHOSTCREDENTIALS_H

#include "commands/configvalidation.h"
#include "commands/packets/configpackets.h"

#include <QDialog>

namespace Ui {
class DlgHostCredentials;
}

// Host name and account of the terminal services gateway; the window title
// is the caller's. Unchecking the group switches the gateway off. done(1) on
// a valid OK, done(0) on Cancel; the caller then reads credentials.
class DlgHostCredentials : public QDialog
{
    Q_OBJECT
public:
    DlgHostCredentials(QWidget *parent, const QString &title);
    ~DlgHostCredentials() override;

    CredentialsForm form() const;

    ConfigPackets::GatewayCredentials credentials;   // enabled, hostname, userId, password

public slots:
    void accept() override;
    void reject() override;
    void onEnableTsgClicked();
    void onShowPasswordClicked();

private:
    Ui::DlgHostCredentials *ui;
};

#endif // DLGHOSTCREDENTIALS_H
