#include "selecttimezonedialog.h"
#include "ui_selecttimezonedialog.h"

#include "commands/configvalidation.h"
#include "devicelink/utils.h"
#include "mainwindow/prompter.h"
#include "timezone/core/timezonecommand.h"
#include "timezone/core/timezonetables.h"

#include <QSignalBlocker>

using namespace TimezoneTables;

namespace {

// Combos are refilled with their signals held back: a country combo is left
// without a current row, so that the one change that follows reaches the
// country handler once; the zone combo has no handler.
void refill(QComboBox *combo, const Place *rows, int count, int current)
{
    const QSignalBlocker blocked(combo);
    combo->clear();
    for (int i = 0; i < count; ++i)
        combo->addItem(QString::fromLatin1(rows[i].text));
    combo->setCurrentIndex(current);
}

} // namespace

SelectTimezoneDialog::SelectTimezoneDialog(QWidget *parent, QString *tzOut, QString *serverOut)
    : QDialog(parent), ui(new Ui::SelectTimezoneDialog), tzOut(tzOut), serverOut(serverOut)
{
    ui->setupUi(this);
    // Keeps the command inside the device's buffer whatever is typed.
    ui->lnedTimeServer->setMaxLength(TimezoneCommand::MaxTimeServerLength);
    connect(ui->cmbxContinent, &QComboBox::currentIndexChanged, this, &SelectTimezoneDialog::onContinentIndexChanged);
    connect(ui->cmbxCountry, &QComboBox::currentIndexChanged, this, &SelectTimezoneDialog::onCountryIndexChanged);

    {
        const QSignalBlocker blocked(ui->cmbxContinent);
        for (const Continent &c : continents)
            ui->cmbxContinent->addItem(QString::fromLatin1(c.text));
        ui->cmbxContinent->setCurrentIndex(-1);
    }
    ui->cmbxContinent->setCurrentIndex(Americas);
    ui->lnedTimeServer->setText(QString::fromLatin1(TimezoneCommand::DefaultTimeServer));
}

SelectTimezoneDialog::~SelectTimezoneDialog()
{
    delete ui;
}

void SelectTimezoneDialog::onContinentIndexChanged(int row)
{
    const Continent *c = continent(row);
    if (!c)
        return;
    if (c->hasCountries) {
        refill(ui->cmbxCountry, c->rows, c->rowCount, -1);
        ui->cmbxCountry->setCurrentIndex(c->currentRow);
        return;
    }
    refill(ui->cmbxCountry, nullptr, 0, -1);
    refill(ui->cmbxZone, c->rows, c->rowCount, c->currentRow);
}

void SelectTimezoneDialog::onCountryIndexChanged(int)
{
    const int row = ui->cmbxContinent->currentIndex();
    const Continent *c = continent(row);
    // The continents without countries put their zones in themselves.
    if (!c || !c->hasCountries)
        return;
    // A country with one zone leaves no rows of the country shown before:
    // under the Indian Ocean, too, where every country has one zone.
    const ZoneList *zones = zoneList(row, ui->cmbxCountry->currentIndex());
    if (zones)
        refill(ui->cmbxZone, zones->rows, zones->rowCount, zones->preselected);
    else
        refill(ui->cmbxZone, nullptr, 0, -1);
}

void SelectTimezoneDialog::accept()
{
    const QString server = ui->lnedTimeServer->text();
    // The devices would get "?" for what Latin-1 cannot hold, and a line
    // break pasted with the name as part of it, and ask a server of another
    // name for the time.
    if (!Utils::sendsAsTyped(QStringList{server})) {
        showRefusal(this, unsendableRefusal(QStringLiteral("Time server setting")));
        return;
    }
    if (server == QLatin1String("0.0.0.0")
        && prompter()->question(this, QStringLiteral("Time server setting"),
                                QStringLiteral("\nAre you sure you want to set the Time server to 0.0.0.0? "),
                                QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes)
               != QMessageBox::Yes)
        return;
    const QString zone = TimezoneCommand::zoneId(ui->cmbxContinent->currentIndex(), ui->cmbxCountry->currentIndex(),
                                                 ui->cmbxZone->currentIndex());
    if (tzOut)
        *tzOut = zone;
    if (serverOut)
        *serverOut = server;
    done(QDialog::Accepted);
}

void SelectTimezoneDialog::reject()
{
    done(QDialog::Rejected);
}
