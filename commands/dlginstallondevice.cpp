#include "dlginstallondevice.h"
#include "ui_dlginstallondevice.h"

#include "commands/configvalidation.h"
#include "mainwindow/prompter.h"

using namespace ConfigPackets;

DlgInstallOnDevice::DlgInstallOnDevice(QWidget *parent)
    : QDialog(parent), ui(new Ui::DlgInstallOnDevice)
{
    ui->setupUi(this);
    ui->tbxFile->setFocus();
    connect(ui->btnBrowse, &QPushButton::clicked, this, &DlgInstallOnDevice::onBrowseClicked);
    connect(ui->buttonBox, &QDialogButtonBox::accepted, this, &DlgInstallOnDevice::accept);
    connect(ui->buttonBox, &QDialogButtonBox::rejected, this, &DlgInstallOnDevice::reject);
}

DlgInstallOnDevice::~DlgInstallOnDevice()
{
    delete ui;
}

quint8 DlgInstallOnDevice::checkedType() const
{
    if (ui->rdbtnSslCert->isChecked())
        return InstallSslCertificate;
    if (ui->rdbtnPpdFile->isChecked())
        return InstallPpdFile;
    if (ui->rdbtnSshKey->isChecked())
        return InstallSshKey;
    if (ui->rdbtnPngFile->isChecked())
        return InstallPngImage;
    return 0;
}

void DlgInstallOnDevice::onBrowseClicked()
{
    const QString caption = installBrowseCaption(checkedType());
    if (caption.isEmpty()) {
        showRefusal(this, installBrowseRefusal());
        return;
    }
    filePath = prompter()->openFileName(this, caption, QString(), QString());
    if (!filePath.isEmpty())
        ui->tbxFile->setText(filePath);
}

void DlgInstallOnDevice::accept()
{
    const QString path = ui->tbxFile->text();
    if (!path.isEmpty())
        filePath = path;
    InstallChoice choice;
    if (showRefusal(this, validateInstallFile(checkedType(), path, &choice)))
        return;
    installType = choice.installType;
    filePath = choice.filePath;
    fileName = choice.fileName;
    fileSize = int(choice.fileSize);
    done(1);
}

void DlgInstallOnDevice::reject()
{
    done(0);
}
