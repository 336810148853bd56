#include "dialogselectmodel.h"
#include "ui_dialogselectmodel.h"

DialogSelectModel::DialogSelectModel(QWidget *parent, QString *model)
    : QDialog(parent), ui(new Ui::DialogSelectModel), model(model)
{
    ui->setupUi(this);
    ui->cmbxModels->setCurrentIndex(-1);
    connect(ui->buttonBox, &QDialogButtonBox::accepted, this, &DialogSelectModel::accept);
    connect(ui->buttonBox, &QDialogButtonBox::rejected, this, &DialogSelectModel::reject);
}

DialogSelectModel::~DialogSelectModel()
{
    delete ui;
}

void DialogSelectModel::accept()
{
    if (ui->cmbxModels->currentIndex() < 0)
        return;
    if (model)
        *model = ui->cmbxModels->currentText();
    done(1);
}

void DialogSelectModel::reject()
{
    done(0);
}
