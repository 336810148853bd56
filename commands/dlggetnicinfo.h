#ifndef DLGGETNICINFO_H
#define DLGGETNICINFO_H

#include "commands/configvalidation.h"
#include "commands/packets/configpackets.h"

#include <QDialog>

namespace Ui {
class DlgGetNicInfo;
}

// The network dialog: wired and wireless interfaces, DNS, domain search path
// and host name of one device. Opens with its defaults (both groups on,
// DHCP), never with the device's current settings. Ends with done(1) on a
// valid OK, done(0) on Cancel; the caller then reads settings.
class DlgGetNicInfo : public QDialog
{
    Q_OBJECT
public:
    explicit DlgGetNicInfo(QWidget *parent = nullptr);
    ~DlgGetNicInfo() override;

    // What the widgets hold now.
    NicForm form() const;

    // The seventeen strings of the network command, filled by a valid accept.
    ConfigPackets::NicSettings settings;

public slots:
    void accept() override;
    void reject() override;
    void onShowPasswordClicked();
    void onNicWiredChanged(int index);
    void onNicWirelessChanged(int index);

private:
    void enableMethodFields(int index, QWidget *ip, QWidget *netmask, QWidget *gateway);

    Ui::DlgGetNicInfo *ui;
};

#endif // DLGGETNICINFO_H
