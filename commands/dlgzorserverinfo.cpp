#include "dlgzorserverinfo.h"
#include "ui_dlgzorserverinfo.h"

#include "commands/configvalidation.h"

DlgZorServerInfo::DlgZorServerInfo(QWidget *parent, int *modeOut, QString *ipOut, QString *portOut)
    : QDialog(parent), ui(new Ui::DlgZorServerInfo), modeOut(modeOut), ipOut(ipOut), portOut(portOut)
{
    ui->setupUi(this);
    ui->rdbtnDHCP->setChecked(true);
    ui->tbxIP->setEnabled(false);
    ui->tbxPort->setEnabled(false);
    ui->tbxPort->setText(QStringLiteral("5808"));
    connect(ui->rdbtnDHCP, &QRadioButton::clicked, this, &DlgZorServerInfo::onDHCPSelected);
    connect(ui->rdbtnStatic, &QRadioButton::clicked, this, &DlgZorServerInfo::onStaticIPSelected);
    connect(ui->buttonBox, &QDialogButtonBox::accepted, this, &DlgZorServerInfo::accept);
    connect(ui->buttonBox, &QDialogButtonBox::rejected, this, &DlgZorServerInfo::reject);
}

DlgZorServerInfo::~DlgZorServerInfo()
{
    delete ui;
}

void DlgZorServerInfo::accept()
{
    ConfigPackets::ServerIdentification id;
    if (showRefusal(this, validateServerIdentification(ui->rdbtnStatic->isChecked(), ui->tbxIP->text(),
                                                       ui->tbxPort->text(), &id)))
        return;
    identification = id;
    if (modeOut)
        *modeOut = id.mode;
    if (ipOut)
        *ipOut = id.address;
    if (portOut)
        *portOut = id.port;
    done(Accepted);
}

void DlgZorServerInfo::reject()
{
    done(Cancelled);
}

void DlgZorServerInfo::onDHCPSelected()
{
    ui->tbxIP->setEnabled(false);
    ui->tbxPort->setEnabled(false);
}

void DlgZorServerInfo::onStaticIPSelected()
{
    ui->tbxIP->setEnabled(true);
    ui->tbxPort->setEnabled(true);
}
