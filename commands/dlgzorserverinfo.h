#ifndef DLGZORSERVERINFO_H
#define DLGZORSERVERINFO_H

#include "commands/packets/configpackets.h"

#include <QDialog>

namespace Ui {
class DlgZorServerInfo;
}

// How devices find the management console: by DHCP or the UDP broadcast, or
// at a fixed address and port. Unlike the other dialogs it ends with 0 on a
// valid OK and 1 on Cancel. A valid OK writes the mode (1 broadcast, 2 static)
// and the address and port (empty for mode 1) through the pointers it was
// given, and keeps them in identification.
class DlgZorServerInfo : public QDialog
{
    Q_OBJECT
public:
    static constexpr int Accepted = 0;
    static constexpr int Cancelled = 1;

    DlgZorServerInfo(QWidget *parent, int *modeOut, QString *ipOut, QString *portOut);
    ~DlgZorServerInfo() override;

    ConfigPackets::ServerIdentification identification;

public slots:
    void accept() override;
    void reject() override;
    void onDHCPSelected();
    void onStaticIPSelected();

private:
    Ui::DlgZorServerInfo *ui;
    int *modeOut;
    QString *ipOut;
    QString *portOut;
};

#endif // DLGZORSERVERINFO_H
