#include "dlgstartupmode.h"
#include "ui_dlgstartupmode.h"

DlgStartupMode::DlgStartupMode(QWidget *parent, bool *showMenu)
    : QDialog(parent), ui(new Ui::DlgStartupMode), showMenu(showMenu)
{
    ui->setupUi(this);
    connect(ui->buttonBox, &QDialogButtonBox::accepted, this, &DlgStartupMode::accept);
    connect(ui->buttonBox, &QDialogButtonBox::rejected, this, &DlgStartupMode::reject);
}

DlgStartupMode::~DlgStartupMode()
{
    delete ui;
}

void DlgStartupMode::accept()
{
    if (!ui->rdbtnShowMenu->isChecked() && !ui->rdbtnConnectToServer->isChecked())
        return;
    if (showMenu)
        *showMenu = ui->rdbtnShowMenu->isChecked();
    done(1);
}

void DlgStartupMode::reject()
{
    done(0);
}
