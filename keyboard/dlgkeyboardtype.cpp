#include "dlgkeyboardtype.h"
#include "ui_dlgkeyboardtype.h"

#include "keyboard/core/keyboardtables.h"

#include <QSignalBlocker>

DlgKeyboardType::DlgKeyboardType(QWidget *parent) : QDialog(parent), ui(new Ui::DlgKeyboardType)
{
    ui->setupUi(this);
    ui->cmbxModel->addItems(KeyboardTables::models().descriptions());
    ui->cmbxModel->setCurrentIndex(KeyboardTables::DefaultModelRow);
    ui->cmbxLayout->addItems(KeyboardTables::layouts().descriptions());
    ui->cmbxLayout->setCurrentIndex(KeyboardTables::DefaultLayoutRow);
    // Unlike the other three, options show their codes: a group header then
    // reads as the group's name, which is what choosing it sends.
    ui->cmbxOption->addItems(KeyboardTables::options().codes());
    fillVariantCombo(KeyboardTables::variants(KeyboardTables::DefaultLayoutRow));
    // Connected last, so that filling the layouts refills no variants.
    connect(ui->cmbxLayout, &QComboBox::currentIndexChanged, this, &DlgKeyboardType::onLayoutChanged);
}

DlgKeyboardType::~DlgKeyboardType()
{
    delete ui;
}

void DlgKeyboardType::accept()
{
    choice = KeyboardPacket::choiceFromRows(ui->cmbxModel->currentIndex(), ui->cmbxLayout->currentIndex(),
                                            ui->cmbxVariant->currentIndex(), ui->cmbxOption->currentIndex());
    done(Accepted);
}

void DlgKeyboardType::onLayoutChanged(int layoutRow)
{
    fillVariantCombo(KeyboardTables::variants(layoutRow));
}

void DlgKeyboardType::fillVariantCombo(const KeyboardTables::Table &variants)
{
    {
        const QSignalBlocker quiet(ui->cmbxVariant);
        ui->cmbxVariant->clear();
        ui->cmbxVariant->addItems(variants.descriptions());
    }
    // Empty for a layout without variants: the row then reads -1.
    ui->cmbxVariant->setCurrentIndex(variants.isEmpty() ? -1 : 0);
}
