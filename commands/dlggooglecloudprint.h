#ifndef DLGGOOGLECLOUDPRINT_H
#define DLGGOOGLECLOUDPRINT_H

#include "commands/configvalidation.h"
#include "commands/packets/configpackets.h"

#include <QDialog>

namespace Ui {
class DlgGoogleCloudPrint;
}

// The cloud-print account of the selected devices. Unchecking the group
// switches the service off and needs no fields. done(1) on a valid OK,
// done(0) on Cancel; the caller then reads credentials.
class DlgGoogleCloudPrint : public QDialog
{
    Q_OBJECT
public:
    explicit DlgGoogleCloudPrint(QWidget *parent = nullptr);
    ~DlgGoogleCloudPrint() override;

    CredentialsForm form() const;

    ConfigPackets::CloudPrintCredentials credentials;   // enabled, userId, password

public slots:
    void accept() override;
    void reject() override;
    void onShowPasswordClicked();

private:
    Ui::DlgGoogleCloudPrint *ui;
};

#endif // DLGGOOGLECLOUDPRINT_H
