#include "dlggetnicinfo.h"
#include "ui_dlggetnicinfo.h"

DlgGetNicInfo::DlgGetNicInfo(QWidget *parent)
    : QDialog(parent), ui(new Ui::DlgGetNicInfo)
{
    ui->setupUi(this);
    ui->cmbxWired->setCurrentIndex(1);
    ui->cmbxWireless->setCurrentIndex(1);
    ui->cmbxWirelessProtocols->setCurrentIndex(0);
    connect(ui->cmbxWired, &QComboBox::currentIndexChanged, this, &DlgGetNicInfo::onNicWiredChanged);
    connect(ui->cmbxWireless, &QComboBox::currentIndexChanged, this, &DlgGetNicInfo::onNicWirelessChanged);
    connect(ui->chboxShowPassword, &QCheckBox::clicked, this, &DlgGetNicInfo::onShowPasswordClicked);
    connect(ui->buttonBox, &QDialogButtonBox::accepted, this, &DlgGetNicInfo::accept);
    connect(ui->buttonBox, &QDialogButtonBox::rejected, this, &DlgGetNicInfo::reject);
    ui->gboxWired->setChecked(true);
    ui->gboxWireless->setChecked(true);
    onNicWiredChanged(1);
    onNicWirelessChanged(1);
}

DlgGetNicInfo::~DlgGetNicInfo()
{
    delete ui;
}

NicForm DlgGetNicInfo::form() const
{
    NicForm f;
    f.wiredChecked = ui->gboxWired->isChecked();
    f.wiredMethod = ui->cmbxWired->currentIndex();
    f.wiredIp = ui->tbxIp->text();
    f.wiredNetmask = ui->tbxNetmask->text();
    f.wiredGateway = ui->tbxGateway->text();
    f.wirelessChecked = ui->gboxWireless->isChecked();
    f.wirelessMethod = ui->cmbxWireless->currentIndex();
    f.wirelessIp = ui->tbxWirelessIp->text();
    f.wirelessNetmask = ui->tbxWirelessNetmask->text();
    f.wirelessGateway = ui->tbxWirelessGateway->text();
    f.wirelessSsid = ui->tbxWirelessSSID->text();
    f.wirelessPassword = ui->tbxWirelessPassword->text();
    f.wirelessPasswordConfirm = ui->tbxWirelessPasswordConfirm->text();
    f.showPassword = ui->chboxShowPassword->isChecked();
    f.dns1 = ui->tbxDns1->text();
    f.dns2 = ui->tbxDns2->text();
    f.domainSearchPath = ui->tbxDsp->text();
    f.hostname = ui->tbxHostname->text();
    return f;
}

void DlgGetNicInfo::accept()
{
    ConfigPackets::NicSettings result;
    if (showRefusal(this, validateNicForm(form(), &result)))
        return;
    settings = result;
    done(1);
}

void DlgGetNicInfo::reject()
{
    done(0);
}

void DlgGetNicInfo::onShowPasswordClicked()
{
    const bool show = ui->chboxShowPassword->isChecked();
    ui->tbxWirelessPassword->setEchoMode(show ? QLineEdit::Normal : QLineEdit::Password);
    if (show)
        ui->tbxWirelessPasswordConfirm->clear();
    ui->tbxWirelessPasswordConfirm->setEnabled(!show);
}

// The DNS fields are shared by both groups: the method chosen last decides.
void DlgGetNicInfo::enableMethodFields(int index, QWidget *ip, QWidget *netmask, QWidget *gateway)
{
    if (index < 0 || index > 2)
        return;
    const bool addresses = index == 0;
    const bool dns = index != 1;
    ip->setEnabled(addresses);
    netmask->setEnabled(addresses);
    gateway->setEnabled(addresses);
    ui->tbxDns1->setEnabled(dns);
    ui->tbxDns2->setEnabled(dns);
}

void DlgGetNicInfo::onNicWiredChanged(int index)
{
    enableMethodFields(index, ui->tbxIp, ui->tbxNetmask, ui->tbxGateway);
}

void DlgGetNicInfo::onNicWirelessChanged(int index)
{
    enableMethodFields(index, ui->tbxWirelessIp, ui->tbxWirelessNetmask, ui->tbxWirelessGateway);
}
