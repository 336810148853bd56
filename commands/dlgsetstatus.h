#ifndef DLGSETSTATUS_H
#define DLGSETSTATUS_H

#include <QDialog>

namespace Ui { class DlgSetStatus; }

// Asks Enabled or Disabled for a setting the caller names. Always opens on
// Enabled: the devices' current state is not known here. exec() gives 1
// after OK, 0 after Cancel; `status` then holds "Enabled" or "Disabled".
class DlgSetStatus : public QDialog
{
    Q_OBJECT
public:
    DlgSetStatus(QWidget *parent, const QString &title, const QString &message);
    ~DlgSetStatus() override;

    QString status;

public slots:
    void accept() override;
    void reject() override;

private:
    Ui::DlgSetStatus *ui;
};

#endif // DLGSETSTATUS_H
