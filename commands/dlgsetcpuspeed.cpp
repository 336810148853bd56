#include "dlgsetcpuspeed.h"
#include "ui_dlgsetcpuspeed.h"

#include "mainwindow/prompter.h"

DlgSetCpuSpeed::DlgSetCpuSpeed(QWidget *parent) : QDialog(parent), ui(new Ui::DlgSetCpuSpeed)
{
    ui->setupUi(this);
    ui->cmbxMinSpeed->setCurrentIndex(2);
    ui->cmbxMaxSpeed->setCurrentIndex(2);
    connect(ui->buttonBox, &QDialogButtonBox::accepted, this, &DlgSetCpuSpeed::accept);
    connect(ui->buttonBox, &QDialogButtonBox::rejected, this, &DlgSetCpuSpeed::reject);
}

DlgSetCpuSpeed::~DlgSetCpuSpeed()
{
    delete ui;
}

QString DlgSetCpuSpeed::speedForIndex(int index)
{
    switch (index) {
    case 0: return QStringLiteral("300000");
    case 1: return QStringLiteral("600000");
    default: return QStringLiteral("800000");
    }
}

void DlgSetCpuSpeed::accept()
{
    const int min = ui->cmbxMinSpeed->currentIndex();
    const int max = ui->cmbxMaxSpeed->currentIndex();
    if (min > max) {
        prompter()->warning(this, QStringLiteral("Invalid setting"),
                            QStringLiteral("\nMinimum CPU speed cannot be greater than Maximum CPU speed"));
        return;
    }
    minSpeed = speedForIndex(min);
    maxSpeed = speedForIndex(max);
    done(1);
}

void DlgSetCpuSpeed::reject()
{
    done(0);
}
