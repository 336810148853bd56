#ifndef DLGGETCHOICE_H
#define DLGGETCHOICE_H

#include <QDialog>

namespace Ui { class DlgGetChoice; }

// One of two choices, for the upgrade actions: the newest version or a
// directory of the administrator's. `choice` is 1 or 2 after OK.
class DlgGetChoice : public QDialog
{
    Q_OBJECT
public:
    // initial 1 checks the first choice, anything else the second.
    DlgGetChoice(QWidget *parent, const QString &title, const QString &label, const QString &first,
                 const QString &second, int initial);
    ~DlgGetChoice() override;

    int choice = 0;

public slots:
    void accept() override;
    void reject() override;

private:
    Ui::DlgGetChoice *ui;
};

#endif // DLGGETCHOICE_H
