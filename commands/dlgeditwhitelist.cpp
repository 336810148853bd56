#include "dlgeditwhitelist.h"
#include "ui_dlgeditwhitelist.h"

#include "commands/core/whitelistfile.h"
#include "mainwindow/prompter.h"

#include <QCheckBox>
#include <QHeaderView>
#include <QSet>

static const char *const WarningText =
    "*** WARNING! ***\n\nBy proceeding with this action, you are permitting the TarnelX installer to overwrite "
    "the selected storage devices without further prompting. If you enable a Tarnel PXE server, this could "
    "result in destruction of valuable data on PCs in the same VLAN and IP subnet that you didn't intend for "
    "use as thin clients, if they happen to have the same storage devices and are network booted for any "
    "reason.\n\nYou should not allow the client to automatically select a storage device unless you can "
    "guarantee that there is no valuable data on ANY of the listed storage devices.\n\nAre you sure that you "
    "want to dedicate the selected devices for Tarnel' exclusive use?";

DlgEditWhiteList::DlgEditWhiteList(QWidget *parent, const QString &directory)
    : QDialog(parent), ui(new Ui::DlgEditWhiteList), owner(parent), directory(directory)
{
    ui->setupUi(this);
    ui->table->horizontalHeader()->resizeSection(0, 20);
    // The white list first: its lines keep their rows however many lines
    // the devices' lists bring.
    loadWhiteList(directory);
    loadDeviceLists(directory);
    fillTable();
    if (deviceLines.cutLists() > 0)
        ui->label->setText(ui->label->text()
                           + QStringLiteral("\n %1 of the clients' lists were too long: only the first %2 lines "
                                            "or %3 KiB of each, and %4 lines in all, are shown.")
                                 .arg(deviceLines.cutLists())
                                 .arg(BlockDeviceList::MaxListLines)
                                 .arg(BlockDeviceList::MaxListBytes / 1024)
                                 .arg(BlockDeviceList::MaxLines));
    ui->table->setEnabled(!ui->checkBox->isChecked());
    connect(ui->checkBox, &QCheckBox::clicked, this, &DlgEditWhiteList::onCheckBoxClicked);
}

DlgEditWhiteList::~DlgEditWhiteList()
{
    delete ui;
}

void DlgEditWhiteList::loadDeviceLists(const QString &directory)
{
    deviceLines.keepLines(chosenLines);
    deviceLines.loadDirectory(directory);
}

void DlgEditWhiteList::loadWhiteList(const QString &directory)
{
    chosenLines += WhiteListFile::load(directory);
}

void DlgEditWhiteList::fillTable()
{
    const QList<BlockDeviceList::Row> rows = deviceLines.rows();
    const QSet<QString> chosen(chosenLines.cbegin(), chosenLines.cend());
    ui->table->setRowCount(int(rows.size()));
    for (int r = 0; r < rows.size(); ++r) {
        const BlockDeviceList::Row &row = rows.at(r);
        auto *box = new QCheckBox;
        box->setChecked(chosen.contains(row.line));
        ui->table->setCellWidget(r, 0, box);
        rowCheckBoxes.append(box);
        rowLines.append(row.line);
        const QString cells[] = {row.sizeMb, row.model, row.vendor, row.type, row.name,
                                 QString::number(row.occurrences)};
        for (int c = 0; c < 6; ++c)
            ui->table->setItem(r, c + 1, new QTableWidgetItem(cells[c]));
    }
}

void DlgEditWhiteList::accept()
{
    if (prompter()->question(owner, QStringLiteral("Create dedicated storage list"), QString::fromLatin1(WarningText),
                             QMessageBox::Yes | QMessageBox::No, QMessageBox::No)
        != QMessageBox::Yes) {
        done(0);
        return;
    }
    QStringList chosen;
    for (int r = 0; r < rowCheckBoxes.size(); ++r) {
        if (rowCheckBoxes.at(r)->isChecked())
            chosen.append(rowLines.at(r));
    }
    // Also saved when the clients choose by themselves: a device that asks
    // for the list later is answered from this file.
    if (!WhiteListFile::save(directory, chosen)) {
        prompter()->warning(owner, QStringLiteral("Saving whitelist"),
                            QStringLiteral("There was an error saving whitelist to disk"));
        return;
    }
    letClientsChoose = ui->checkBox->isChecked();
    done(1);
}

void DlgEditWhiteList::reject()
{
    done(0);
}

void DlgEditWhiteList::onCheckBoxClicked(bool checked)
{
    ui->table->setEnabled(!checked);
}
