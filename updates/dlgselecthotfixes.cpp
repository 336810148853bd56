#include "dlgselecthotfixes.h"
#include "ui_dlgselecthotfixes.h"

#include <QCheckBox>
#include <QDir>

DlgSelectHotfixes::DlgSelectHotfixes(QWidget *parent, QStringList *chosen, const QString &directory)
    : QDialog(parent), ui(new Ui::DlgSelectHotfixes), m_chosen(chosen)
{
    ui->setupUi(this);
    connect(ui->buttonBox, &QDialogButtonBox::accepted, this, &DlgSelectHotfixes::accept);
    connect(ui->buttonBox, &QDialogButtonBox::rejected, this, &DlgSelectHotfixes::reject);

    const QFileInfoList files = QDir(directory).entryInfoList(
        QStringList() << QStringLiteral("*.bin"), QDir::Files | QDir::NoSymLinks | QDir::NoDotAndDotDot, QDir::Name);
    ui->table->setRowCount(int(files.size()));
    for (const QFileInfo &file : files) {
        const int row = int(m_rows.size());
        auto *box = new QCheckBox(ui->table);
        ui->table->setCellWidget(row, 0, box);
        // The version between the percent signs reads as part of the name.
        ui->table->setItem(row, 1, new QTableWidgetItem(file.fileName().remove(QLatin1Char('%'))));
        m_rows.append({file.absoluteFilePath(), box});
    }
    ui->table->setColumnWidth(0, 20);
}

DlgSelectHotfixes::~DlgSelectHotfixes()
{
    delete ui;
}

void DlgSelectHotfixes::setChecked(int row, bool checked)
{
    m_rows.at(row).checkBox->setChecked(checked);
}

void DlgSelectHotfixes::accept()
{
    for (const Row &row : m_rows)
        if (row.checkBox->isChecked())
            m_chosen->append(row.localPath);
    QDialog::accept();
}

void DlgSelectHotfixes::reject()
{
    QDialog::reject();
}
