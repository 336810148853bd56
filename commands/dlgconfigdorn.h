#ifndef DLGCONFIGDORN_H
#define DLGCONFIGDORN_H

#include "commands/packets/configpackets.h"

#include <QDialog>

namespace Ui {
class DlgConfigDorn;
}

// The PXE and DHCP server of the capable devices: on or off, and when on its
// subnet, netmask, DHCP range and whether it answers PXE boot requests only.
// done(1) on a valid OK (at once when the server is switched off), done(0) on
// Cancel; the caller then reads config.
class DlgConfigDorn : public QDialog
{
    Q_OBJECT
public:
    explicit DlgConfigDorn(QWidget *parent = nullptr);
    ~DlgConfigDorn() override;

    // enabled, spareFlag (always 0), pxeOnly, subnet, netmask, dhcpStart, dhcpEnd
    ConfigPackets::PxeConfig config;

public slots:
    void accept() override;
    void reject() override;

private:
    Ui::DlgConfigDorn *ui;
};

#endif // DLGCONFIGDORN_H
