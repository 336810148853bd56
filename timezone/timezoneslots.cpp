// The main window's time-zone command and its menu alias.
#include "mainwindow/mainwindow.h"

#include "selecttimezonedialog.h"
#include "commands/commanddelivery.h"
#include "mainwindow/prompter.h"
#include "timezone/core/timezonecommand.h"

void MainWindow::on_btnSetTimezone_triggered()
{
    const QString title = QStringLiteral("Set Timezone");
    // No department shown counts as an empty one.
    const QList<ThinclientInfo *> *shown = shownDepartmentDevices();
    if (!shown || shown->isEmpty()) {
        prompter()->information(this, title, QStringLiteral("\nCannot set timezone. No devices found!"));
        return;
    }
    QString zone;
    QString server;
    {
        SelectTimezoneDialog dialog(this, &zone, &server);
        if (prompter()->exec(&dialog) != QDialog::Accepted)
            return;
    }
    if (prompter()->question(this, QStringLiteral("Changing Timezone"),
                             QStringLiteral("Are you sure you want to set timezone to\n\n ") + zone
                                 + QStringLiteral("\n\non selected devices?"),
                             QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes)
        != QMessageBox::Yes)
        return;
    const QByteArray frame = TimezoneCommand::setTimezone(zone, server);
    if (frame.isEmpty()) {
        prompter()->warning(this, title, QStringLiteral("\nThe time server is too long to send."));
        return;
    }
    // Looked up again: the shown department may have changed while the
    // dialog and the question were open.
    CommandDelivery::sendToSelectedDevices(this, shownDepartmentDevices(), frame);
}

void MainWindow::on_actionSet_time_zone_triggered()
{
    on_btnSetTimezone_triggered();
}
