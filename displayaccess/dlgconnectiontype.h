#ifndef DLGCONNECTIONTYPE_H
#define DLGCONNECTIONTYPE_H

#include "displayaccess/core/accessprotocolpackets.h"
#include "displayaccess/core/accessprotocoltable.h"

#include <QDialog>

class QComboBox;
class QSettings;

namespace Ui {
class DlgConnectionType;
}

// The access protocol of the selected devices with its options. Accepted,
// it leaves the choice in its AccessProtocolSettings fields (for the
// connection manager only the protocol, for digital signage also
// signageOutputs). In wizard mode cancelling asks first, since the wizard
// cannot go on without a protocol.
class DlgConnectionType : public QDialog, public AccessProtocolSettings
{
    Q_OBJECT
public:
    DlgConnectionType(QWidget *parent, bool wizardMode, QSettings *settings);
    ~DlgConnectionType() override;

    SignageOutputs signageOutputs;

signals:
    // The help button: the protocol's type code, not its list position.
    void onGetRemoteProtocolHelp(int typeCode);

public slots:
    void accept() override;
    void reject() override;
    void onConxnTypeChanged(int index);
    void onWndSizeChanged(int index);
    void onSetDefaults();
    void onGetRemoteProtocolHelpClicked();
    void onAutoReconnectClicked();
    void onAutoLoginClicked();

private:
    QComboBox *optionCombo(int combo) const;
    void clearOptionCombos();
    void disableAllFields();
    void updateEnabledFields();
    void fillOptionSet(const AccessProtocolTable::OptionSet &set);
    void fillWindowSizeOnly();
    void fillWebOptions();
    void selectWindowSize(int index);
    void configureDigitalSignage();
    bool validate();
    void keepResults();

    Ui::DlgConnectionType *ui;
    QSettings *settings;
    bool wndSizeGuard = true;
    bool wizardMode;
    bool warnAutoReconnect = true;
};

#endif // DLGCONNECTIONTYPE_H
