#ifndef DLGINSTALLONDEVICE_H
#define DLGINSTALLONDEVICE_H

#include <QDialog>
#include <QString>

namespace Ui {
class DlgInstallOnDevice;
}

// The kind and the local file to install on the selected devices. A valid
// OK (an existing, non-empty regular file of at most 2 MiB) ends with
// done(1); Cancel with done(0). The caller then reads the members below.
class DlgInstallOnDevice : public QDialog
{
    Q_OBJECT
public:
    explicit DlgInstallOnDevice(QWidget *parent = nullptr);
    ~DlgInstallOnDevice() override;

    QString filePath;
    QString fileName;           // without its directory: the device never sees our paths
    int fileSize = 0;
    quint8 installType = 0;     // ConfigPackets::InstallType

    // The kind the radio buttons choose, 0 for none.
    quint8 checkedType() const;

public slots:
    void accept() override;
    void reject() override;
    void onBrowseClicked();

private:
    Ui::DlgInstallOnDevice *ui;
};

#endif // DLGINSTALLONDEVICE_H
