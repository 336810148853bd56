#include "dlgselectupdateserver.h"
#include "ui_dlgselectupdateserver.h"

#include "core/downloadlist.h"

DlgSelectUpdateServer::DlgSelectUpdateServer(QWidget *parent, QString *serverBase, QStringList *servers)
    : QDialog(parent), ui(new Ui::DlgSelectUpdateServer), m_serverBase(serverBase), m_servers(servers)
{
    ui->setupUi(this);
    for (int i = 0; i < m_servers->size(); i += 2)
        ui->cmbxServers->addItem(m_servers->at(i).left(DownloadList::MaxShownText));
    ui->cmbxServers->setCurrentIndex(-1);
    connect(ui->btnOK, &QPushButton::clicked, this, &DlgSelectUpdateServer::onBtnOKClicked);
}

DlgSelectUpdateServer::~DlgSelectUpdateServer()
{
    delete ui;
}

void DlgSelectUpdateServer::onBtnOKClicked()
{
    const int index = ui->cmbxServers->currentIndex();
    if (index < 0)
        return;
    *m_serverBase = m_servers->value(2 * index + 1);
    accept();
}
