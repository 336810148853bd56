#include "dlghostcredentials.h"
#include "ui_dlghostcredentials.h"

DlgHostCredentials::DlgHostCredentials(QWidget *parent, const QString &title)
    : QDialog(parent), ui(new Ui::DlgHostCredentials)
{
    ui->setupUi(this);
    ui->tbxHostname->setFocus();
    setWindowTitle(title);
    connect(ui->grbxTSG, &QGroupBox::clicked, this, &DlgHostCredentials::onEnableTsgClicked);
    connect(ui->chbxShowPassword, &QCheckBox::clicked, this, &DlgHostCredentials::onShowPasswordClicked);
    connect(ui->buttonBox, &QDialogButtonBox::accepted, this, &DlgHostCredentials::accept);
    connect(ui->buttonBox, &QDialogButtonBox::rejected, this, &DlgHostCredentials::reject);
}

DlgHostCredentials::~DlgHostCredentials()
{
    delete ui;
}

CredentialsForm DlgHostCredentials::form() const
{
    CredentialsForm f;
    f.enabled = ui->grbxTSG->isChecked();
    f.hostname = ui->tbxHostname->text();
    f.userId = ui->tbxUserId->text();
    f.password = ui->tbxPassword->text();
    f.confirmation = ui->tbxConfirmPassword->text();
    f.showPassword = ui->chbxShowPassword->isChecked();
    return f;
}

void DlgHostCredentials::accept()
{
    ConfigPackets::GatewayCredentials result;
    if (showRefusal(this, validateGateway(form(), &result)))
        return;
    credentials = result;
    done(1);
}

void DlgHostCredentials::reject()
{
    done(0);
}

void DlgHostCredentials::onEnableTsgClicked()
{
    const bool on = ui->grbxTSG->isChecked();
    for (QWidget *w : {static_cast<QWidget *>(ui->tbxHostname), static_cast<QWidget *>(ui->tbxUserId),
                       static_cast<QWidget *>(ui->tbxPassword), static_cast<QWidget *>(ui->chbxShowPassword)})
        w->setEnabled(on);
    // A password shown in clear still needs no confirmation once the group is back.
    ui->tbxConfirmPassword->setEnabled(on && !ui->chbxShowPassword->isChecked());
}

void DlgHostCredentials::onShowPasswordClicked()
{
    const bool show = ui->chbxShowPassword->isChecked();
    ui->tbxPassword->setEchoMode(show ? QLineEdit::Normal : QLineEdit::Password);
    ui->tbxConfirmPassword->setEnabled(!show);
}
