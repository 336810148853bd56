#include "dlgconfigdorn.h"
#include "ui_dlgconfigdorn.h"

#include "commands/configvalidation.h"

DlgConfigDorn::DlgConfigDorn(QWidget *parent)
    : QDialog(parent), ui(new Ui::DlgConfigDorn)
{
    ui->setupUi(this);
    ui->tbxSubnet->setFocus();
    connect(ui->buttonBox, &QDialogButtonBox::accepted, this, &DlgConfigDorn::accept);
    connect(ui->buttonBox, &QDialogButtonBox::rejected, this, &DlgConfigDorn::reject);
}

DlgConfigDorn::~DlgConfigDorn()
{
    delete ui;
}

void DlgConfigDorn::accept()
{
    PxeForm form;
    form.enabled = ui->groupBox->isChecked();
    form.pxeOnly = ui->rdbtnPxeOnly->isChecked();
    form.subnet = ui->tbxSubnet->text();
    form.netmask = ui->tbxNetmask->text();
    form.dhcpStart = ui->tbxDhcpStart->text();
    form.dhcpEnd = ui->tbxDhcpEnd->text();
    ConfigPackets::PxeConfig result;
    if (showRefusal(this, validatePxeForm(form, &result)))
        return;
    config = result;
    done(1);
}

void DlgConfigDorn::reject()
{
    done(0);
}
