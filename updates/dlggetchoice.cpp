#include "dlggetchoice.h"
#include "ui_dlggetchoice.h"

DlgGetChoice::DlgGetChoice(QWidget *parent, const QString &title, const QString &label, const QString &first,
                           const QString &second, int initial)
    : QDialog(parent), ui(new Ui::DlgGetChoice)
{
    ui->setupUi(this);
    setWindowTitle(title);
    ui->label->setText(label);
    ui->rdbtn_1->setText(first);
    ui->rdbtn_2->setText(second);
    (initial == 1 ? ui->rdbtn_1 : ui->rdbtn_2)->setChecked(true);
    connect(ui->buttonBox, &QDialogButtonBox::accepted, this, &DlgGetChoice::accept);
    connect(ui->buttonBox, &QDialogButtonBox::rejected, this, &DlgGetChoice::reject);
}

DlgGetChoice::~DlgGetChoice()
{
    delete ui;
}

void DlgGetChoice::accept()
{
    choice = ui->rdbtn_1->isChecked() ? 1 : 2;
    QDialog::accept();
}

void DlgGetChoice::reject()
{
    QDialog::reject();
}
