// The time-zone dialog: what its combos offer as the administrator picks,
// and what OK hands back.
#include "timezone/selecttimezonedialog.h"
#include "childwidget.h"
#include "scriptedprompter.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

namespace {

void pick(QDialog *d, const char *combo, int row)
{
    if (row >= 0)
        child<QComboBox>(d, combo)->setCurrentIndex(row);
}

void pressOk(QDialog *d)
{
    child<QDialogButtonBox>(d, "buttonBox")->button(QDialogButtonBox::Ok)->click();
}

} // namespace

class TestTimezoneDialog : public QObject
{
    Q_OBJECT
private slots:
    void picks_data()
    {
        // -1: the combo is left as the dialog set it.
        QTest::addColumn<int>("continent");
        QTest::addColumn<int>("country");
        QTest::addColumn<int>("zone");
        QTest::addColumn<int>("countryRows");
        QTest::addColumn<int>("zoneRows");
        QTest::addColumn<QString>("currentZone");   // empty: no current row
        QTest::addColumn<QString>("id");

        QTest::newRow("as it opens") << -1 << -1 << -1 << 53 << 30 << "Pacific Time" << "America/Los_Angeles";
        QTest::newRow("a continent without countries")
            << 3 << -1 << -1 << 0 << 1 << "Svalbard & Jan Mayen" << "Arctic/Longyearbyen";
        QTest::newRow("Antarctica, a later zone")
            << 2 << -1 << 8 << 0 << 11 << "Dumont-d'Urville Station, Terre Adelie" << "Antarctica/DumontDUrville";
        QTest::newRow("an ocean opens on a one-zone country") << 5 << -1 << -1 << 8 << 0 << "" << "Atlantic/Bermuda";
        QTest::newRow("an ocean's country with zones") << 5 << 5 << 1 << 8 << 2 << "Azores" << "Atlantic/Azores";
        QTest::newRow("the Indian Ocean after a zone list") << 8 << 10 << -1 << 11 << 0 << "" << "Indian/Mahe";
        QTest::newRow("from one zone list to a shorter one")
            << -1 << 22 << -1 << 53 << 4 << "Most locations" << "America/Godthab";
        QTest::newRow("Europe opens on its first country") << 7 << -1 << -1 << 49 << 0 << "" << "Europe/Mariehamn";
    }

    void picks()
    {
        QFETCH(int, continent);
        QFETCH(int, country);
        QFETCH(int, zone);
        QFETCH(int, countryRows);
        QFETCH(int, zoneRows);
        QFETCH(QString, currentZone);
        QFETCH(QString, id);

        ScriptedPrompter prompts;
        QString tz;
        QString server;
        SelectTimezoneDialog dialog(nullptr, &tz, &server);
        pick(&dialog, "cmbxContinent", continent);
        pick(&dialog, "cmbxCountry", country);
        pick(&dialog, "cmbxZone", zone);

        QCOMPARE(child<QComboBox>(&dialog, "cmbxCountry")->count(), countryRows);
        const QComboBox *zones = child<QComboBox>(&dialog, "cmbxZone");
        QCOMPARE(zones->count(), zoneRows);
        QCOMPARE(zones->currentText(), currentZone);

        pressOk(&dialog);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(tz, id);
        QCOMPARE(server, QStringLiteral("pool.ntp.org"));
        QCOMPARE(prompts.calls.size(), 0);
    }

    void timeServer_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("answer");   // to the 0.0.0.0 question; NoButton: not asked
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<QString>("server");
        QTest::addColumn<bool>("unsendable");   // refused with a warning, nothing asked

        QTest::newRow("0.0.0.0, confirmed") << "0.0.0.0" << int(QMessageBox::Yes) << true << "0.0.0.0" << false;
        QTest::newRow("0.0.0.0, declined") << "0.0.0.0" << int(QMessageBox::No) << false << "" << false;
        QTest::newRow("0.0.0.0 with a blank")
            << " 0.0.0.0" << int(QMessageBox::NoButton) << true << " 0.0.0.0" << false;
        QTest::newRow("empty") << "" << int(QMessageBox::NoButton) << true << "" << false;
        QTest::newRow("longer than a host name") << QString(300, QLatin1Char('n')) << int(QMessageBox::NoButton)
                                                 << true << QString(253, QLatin1Char('n')) << false;
        QTest::newRow("Latin-1 letters") << QString::fromUtf8("zeit.müller.de") << int(QMessageBox::NoButton)
                                         << true << QString::fromUtf8("zeit.müller.de") << false;
        QTest::newRow("pasted with its line end") << "pool.ntp.org\r\n" << int(QMessageBox::NoButton) << false << ""
                                                  << true;
        QTest::newRow("another script") << QString::fromUtf8("время.example")
                                        << int(QMessageBox::NoButton) << false << "" << true;
    }

    void timeServer()
    {
        QFETCH(QString, typed);
        QFETCH(int, answer);
        QFETCH(bool, accepted);
        QFETCH(QString, server);
        QFETCH(bool, unsendable);

        ScriptedPrompter prompts;
        if (answer != QMessageBox::NoButton)
            prompts.answer(QMessageBox::StandardButton(answer));
        QString tz;
        QString serverOut;
        SelectTimezoneDialog dialog(nullptr, &tz, &serverOut);
        dialog.show();
        child<QLineEdit>(&dialog, "lnedTimeServer")->setText(typed);
        pressOk(&dialog);

        if (unsendable)
            QCOMPARE(prompts.trail(), QStringList{"warning Time server setting: \nThe values entered hold characters "
                                                  "that cannot be sent to devices."});
        else
            QCOMPARE(prompts.trail(), answer == QMessageBox::NoButton
                                ? QStringList()
                                : QStringList{"question Time server setting: "
                                              "\nAre you sure you want to set the Time server to 0.0.0.0? "});
        QCOMPARE(dialog.isVisible(), !accepted);
        QCOMPARE(serverOut, server);
        QCOMPARE(tz, accepted ? QStringLiteral("America/Los_Angeles") : QString());
        QVERIFY(prompts.unexpected.isEmpty());
    }

    void cancelWritesNothing()
    {
        QString tz;
        QString server;
        SelectTimezoneDialog dialog(nullptr, &tz, &server);
        dialog.show();
        child<QDialogButtonBox>(&dialog, "buttonBox")->button(QDialogButtonBox::Cancel)->click();
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QVERIFY(tz.isNull() && server.isNull());
    }
};

QTEST_MAIN(TestTimezoneDialog)
#include "tst_timezonedialog.moc"
