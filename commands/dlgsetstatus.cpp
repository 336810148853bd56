#include "dlgsetstatus.h"
#include "ui_dlgsetstatus.h"

DlgSetStatus::DlgSetStatus(QWidget *parent, const QString &title, const QString &message)
    : QDialog(parent), ui(new Ui::DlgSetStatus)
{
    ui->setupUi(this);
    setWindowTitle(title);
    ui->lblMsg->setText(message);
    connect(ui->buttonBox, &QDialogButtonBox::accepted, this, &DlgSetStatus::accept);
    connect(ui->buttonBox, &QDialogButtonBox::rejected, this, &DlgSetStatus::reject);
}

DlgSetStatus::~DlgSetStatus()
{
    delete ui;
}

void DlgSetStatus::accept()
{
    if (ui->rdbtnEnabled->isChecked())
        status = QStringLiteral("Enabled");
    else if (ui->rdbtnDisabled->isChecked())
        status = QStringLiteral("Disabled");
    else
        return;
    done(1);
}

void DlgSetStatus::reject()
{
    done(0);
}
