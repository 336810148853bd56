#include "dlgusbredirection.h"
#include "ui_dlgusbredirection.h"

#include "commands/configvalidation.h"

#include <QCheckBox>
#include <QHeaderView>

DlgUsbRedirection::DlgUsbRedirection(QWidget *parent, const QStringList &entries)
    : QDialog(parent), ui(new Ui::DlgUsbRedirection)
{
    ui->setupUi(this);
    connect(ui->buttonBox, &QDialogButtonBox::accepted, this, &DlgUsbRedirection::accept);
    connect(ui->buttonBox, &QDialogButtonBox::rejected, this, &DlgUsbRedirection::reject);

    QTableWidget *table = ui->table;
    table->setRowCount(int(entries.size()));
    table->setColumnCount(3);
    table->setHorizontalHeaderLabels({QString(), QStringLiteral("ID"), QStringLiteral("Description")});
    for (int row = 0; row < entries.size(); ++row) {
        auto *box = new QCheckBox(QString(), table);
        box->setChecked(false);
        table->setCellWidget(row, 0, box);
        checkBoxes.append(box);
        const QString id = usbEntryId(entries.at(row));
        deviceIds.append(id);
        table->setItem(row, 1, new QTableWidgetItem(id));
        table->setItem(row, 2, new QTableWidgetItem(usbEntryDescription(entries.at(row))));
    }
    // The style's default minimum section is wider than the check box column.
    table->horizontalHeader()->setMinimumSectionSize(20);
    table->setColumnWidth(0, 20);
    table->setColumnWidth(1, 80);
    table->setColumnWidth(2, 250);
}

DlgUsbRedirection::~DlgUsbRedirection()
{
    delete ui;
}

void DlgUsbRedirection::accept()
{
    QList<bool> checked;
    for (const QCheckBox *box : std::as_const(checkBoxes))
        checked.append(box->isChecked());
    selectedIds = usbChosenIds(deviceIds, checked);
    done(1);
}

void DlgUsbRedirection::reject()
{
    done(0);
}
