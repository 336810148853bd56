#include "dlgnicselection.h"
#include "ui_dlgnicselection.h"

#include "mainwindow/prompter.h"

DlgNicSelection::DlgNicSelection(QWidget *parent, QNetworkAddressEntry *entry)
    : DlgNicSelection(parent, entry, QNetworkInterface::allInterfaces())
{
}

DlgNicSelection::DlgNicSelection(QWidget *parent, QNetworkAddressEntry *entry,
                                 const QList<QNetworkInterface> &interfaces)
    : QDialog(parent), ui(new Ui::DlgNicSelection), entry(entry)
{
    ui->setupUi(this);
    for (const Choice &c : choices(interfaces)) {
        entries << c.entry;
        ui->cmbxNIC->addItem(c.name);
    }
    ui->cmbxNIC->setCurrentIndex(-1);
    connect(ui->btnOK, &QPushButton::clicked, this, &DlgNicSelection::onOK);
}

DlgNicSelection::~DlgNicSelection()
{
    delete ui;
}

QList<DlgNicSelection::Choice> DlgNicSelection::choices(const QList<QNetworkInterface> &interfaces)
{
    QList<Choice> out;
    for (const QNetworkInterface &nic : interfaces) {
        const auto flags = nic.flags();
        if (!(flags & QNetworkInterface::IsUp) || (flags & QNetworkInterface::IsLoopBack))
            continue;
        for (const QNetworkAddressEntry &e : nic.addressEntries())
            if (e.ip().protocol() == QAbstractSocket::IPv4Protocol)
                out << Choice{nic.humanReadableName(), e};
    }
    return out;
}

void DlgNicSelection::onOK()
{
    const int index = ui->cmbxNIC->currentIndex();
    if (index < 0 || index >= entries.size()) {
        prompter()->information(nullptr, QStringLiteral("NIC Selection"),
                                QStringLiteral("Please select network interface"));
        return;
    }
    if (entry)
        *entry = entries.at(index);
    done(0);
}
