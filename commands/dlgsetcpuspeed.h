#ifndef DLGSETCPUSPEED_H
#define DLGSETCPUSPEED_H

#include <QDialog>

namespace Ui { class DlgSetCpuSpeed; }

// Minimum and maximum CPU speed. After OK, minSpeed and maxSpeed hold the
// speeds in kHz as text ("300000", "600000" or "800000").
class DlgSetCpuSpeed : public QDialog
{
    Q_OBJECT
public:
    explicit DlgSetCpuSpeed(QWidget *parent);
    ~DlgSetCpuSpeed() override;

    QString minSpeed;
    QString maxSpeed;

    // The kHz text of a combo index: 0 is 300 MHz, 1 is 600 MHz, the rest 800 MHz.
    static QString speedForIndex(int index);

public slots:
    void accept() override;
    void reject() override;

private:
    Ui::DlgSetCpuSpeed *ui;
};

#endif // DLGSETCPUSPEED_H
