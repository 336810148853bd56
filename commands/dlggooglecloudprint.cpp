#include "dlggooglecloudprint.h"
#include "ui_dlggooglecloudprint.h"

DlgGoogleCloudPrint::DlgGoogleCloudPrint(QWidget *parent)
    : QDialog(parent), ui(new Ui::DlgGoogleCloudPrint)
{
    ui->setupUi(this);
    connect(ui->checkBox, &QCheckBox::clicked, this, &DlgGoogleCloudPrint::onShowPasswordClicked);
    connect(ui->buttonBox, &QDialogButtonBox::accepted, this, &DlgGoogleCloudPrint::accept);
    connect(ui->buttonBox, &QDialogButtonBox::rejected, this, &DlgGoogleCloudPrint::reject);
}

DlgGoogleCloudPrint::~DlgGoogleCloudPrint()
{
    delete ui;
}

CredentialsForm DlgGoogleCloudPrint::form() const
{
    CredentialsForm f;
    f.enabled = ui->groupBox->isChecked();
    f.userId = ui->tbxUserId->text();
    f.password = ui->tbxPassword->text();
    f.confirmation = ui->tbxConfirmPassword->text();
    f.showPassword = ui->checkBox->isChecked();
    return f;
}

void DlgGoogleCloudPrint::accept()
{
    ConfigPackets::CloudPrintCredentials result;
    if (showRefusal(this, validateCloudPrint(form(), &result)))
        return;
    credentials = result;
    done(1);
}

void DlgGoogleCloudPrint::reject()
{
    done(0);
}

void DlgGoogleCloudPrint::onShowPasswordClicked()
{
    const bool show = ui->checkBox->isChecked();
    ui->tbxPassword->setEchoMode(show ? QLineEdit::Normal : QLineEdit::Password);
    ui->tbxConfirmPassword->setEnabled(!show);
}
