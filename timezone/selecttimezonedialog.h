#ifndef SELECTTIMEZONEDIALOG_H
#define SELECTTIMEZONEDIALOG_H

#include <QDialog>

namespace Ui { class SelectTimezoneDialog; }

// Picks a continent or ocean, a country and a zone from the built-in tables
// and takes a time server. Always opens on the United States' Pacific Time
// and the default server: the devices' own values are not read here.
// exec() gives 1 after OK; only then are *tzOut and *serverOut written.
class SelectTimezoneDialog : public QDialog
{
    Q_OBJECT
public:
    SelectTimezoneDialog(QWidget *parent, QString *tzOut, QString *serverOut);
    ~SelectTimezoneDialog() override;

public slots:
    void accept() override;
    void reject() override;

private slots:
    void onContinentIndexChanged(int row);
    // Reads both combos itself: a change of continent reaches it too.
    void onCountryIndexChanged(int);

private:
    Ui::SelectTimezoneDialog *ui;
    QString *tzOut;
    QString *serverOut;
};

#endif // SELECTTIMEZONEDIALOG_H
