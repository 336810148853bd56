#include "dlgselectdownloads.h"
#include "ui_dlgselectdownloads.h"

#include "core/downloadlist.h"
#include "mainwindow/prompter.h"

#include <QHeaderView>

DlgSelectDownloads::DlgSelectDownloads(QWidget *parent, QList<UpgradeFile> *queue, QString *serverBase,
                                       QStringList *servers, const QString &defaultServer)
    : QDialog(parent), ui(new Ui::DlgSelectDownloads), m_queue(queue), m_serverBase(serverBase), m_servers(servers)
{
    ui->setupUi(this);
    ui->table->hide();
    ui->lblCut->hide();
    if (m_servers->isEmpty())
        *m_servers << QStringLiteral("United States") << defaultServer;
    for (int i = 0; i < m_servers->size(); i += 2)
        ui->cmbxServers->addItem(m_servers->at(i).left(DownloadList::MaxShownText));
    ui->cmbxServers->setCurrentIndex(-1);
    connect(ui->cmbxServers, &QComboBox::currentIndexChanged, this, &DlgSelectDownloads::onServerIndexChanged);
    connect(ui->buttonBox, &QDialogButtonBox::accepted, this, &DlgSelectDownloads::accept);
    connect(ui->buttonBox, &QDialogButtonBox::rejected, this, &DlgSelectDownloads::reject);

    QTableWidget *table = ui->table;
    table->setColumnCount(5);
    table->setHorizontalHeaderLabels({QString(), tr("Upgrade type"), tr("Board"), tr("Release date"), tr("Size in MB")});
    table->setAlternatingRowColors(true);
    table->setSelectionMode(QAbstractItemView::NoSelection);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setShowGrid(true);
    table->setWordWrap(false);
    table->horizontalHeader()->setStretchLastSection(true);
    table->setColumnWidth(0, 20);
    table->setColumnWidth(1, 250);
    table->setColumnWidth(2, 120);
    table->setRowCount(int(m_queue->size()));
    for (int row = 0; row < m_queue->size(); ++row) {
        UpgradeFile &file = (*m_queue)[row];
        // Later progress texts and messages show the comment without quotes too.
        file.comment.remove(QLatin1Char('"'));
        // A checkable cell, not a check box widget: a long list would
        // otherwise build thousands of widgets.
        auto *check = new QTableWidgetItem;
        check->setFlags(Qt::ItemIsUserCheckable | Qt::ItemIsEnabled);
        check->setCheckState(Qt::Unchecked);
        table->setItem(row, 0, check);
        const QString cells[] = {file.comment, file.board, file.releaseDate,
                                 QString::number(double(file.size) / (1 << 20), 'g', 6)};
        for (int column = 1; column <= 4; ++column)
            table->setItem(row, column, new QTableWidgetItem(cells[column - 1].left(DownloadList::MaxShownText)));
    }
}

DlgSelectDownloads::~DlgSelectDownloads()
{
    delete ui;
}

QTableWidgetItem *DlgSelectDownloads::checkItem(int row) const
{
    return row >= 0 && row < ui->table->rowCount() ? ui->table->item(row, 0) : nullptr;
}

void DlgSelectDownloads::setListCut(bool cut)
{
    ui->lblCut->setText(tr("The update list was cut to its first %1 entries").arg(m_queue->size()));
    ui->lblCut->setVisible(cut);
}

void DlgSelectDownloads::onServerIndexChanged(int index)
{
    // The combo box reports -1 again even when nothing was chosen before.
    ui->table->setVisible(index >= 0);
}

void DlgSelectDownloads::accept()
{
    const int index = ui->cmbxServers->currentIndex();
    if (index < 0) {
        prompter()->warning(this, tr("Invalid server"), tr("\nPlease select a server that is closest to your location"),
                            QMessageBox::Ok);
        return;
    }
    QList<UpgradeFile> ticked;
    for (int row = 0; row < m_queue->size(); ++row)
        if (ui->table->item(row, 0)->checkState() == Qt::Checked)
            ticked << m_queue->at(row);
    *m_queue = ticked;
    *m_serverBase = m_servers->value(2 * index + 1);
    QDialog::accept();
}

void DlgSelectDownloads::reject()
{
    m_queue->clear();
    QDialog::reject();
}
