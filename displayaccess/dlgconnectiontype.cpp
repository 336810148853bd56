#include "dlgconnectiontype.h"
#include "ui_dlgconnectiontype.h"

#include "displayaccess/dlgdigitalsignage.h"
#include "mainwindow/prompter.h"

#include <QPushButton>
#include <QSettings>

using namespace AccessProtocolTable;

namespace {

constexpr int RdpIndex = 2;
constexpr int DigitalSignageIndex = 14;

// Protocols whose devices log on without a user name of their own.
bool needsUsername(int protocolIndex)
{
    return protocolIndex != 3 && protocolIndex != 5 && protocolIndex != 10;   // VNC, Spice, Tn3270
}

// Local programs that neither reach a server nor log on.
bool runsLocally(int typeCode)
{
    return typeCode == 13 || typeCode == 14 || typeCode == 16;
}

const char *const InvalidSettings = "Invalid settings";

} // namespace

DlgConnectionType::DlgConnectionType(QWidget *parent, bool wizardMode, QSettings *settings)
    : QDialog(parent), ui(new Ui::DlgConnectionType), settings(settings), wizardMode(wizardMode)
{
    ui->setupUi(this);
    ui->tbxWindowPercentage->setEnabled(false);
    ui->tbxWindowPercentage->setInputMask(QStringLiteral("999"));
    ui->tbxWindowPercentage->setText(QStringLiteral("80"));
    ui->tbxWindowPercentage->setMaxLength(3);
    ui->tbxWindowPercentage->setCursorPosition(0);

    for (int i = 0; i < ProtocolCount; ++i)
        ui->cmbxConxType->addItem(QLatin1String(protocol(i)->itemText));
    ui->cmbxConxType->setCurrentIndex(RdpIndex);
    ui->chbxKioskMode->hide();
    // Connected only now, so that the initial selection fills nothing twice.
    connect(ui->cmbxConxType, &QComboBox::currentIndexChanged, this, &DlgConnectionType::onConxnTypeChanged);
    connect(ui->cmbxWindowSize, &QComboBox::currentIndexChanged, this, &DlgConnectionType::onWndSizeChanged);
    connect(ui->btnGetRemoteHelp, &QPushButton::clicked, this, &DlgConnectionType::onGetRemoteProtocolHelpClicked);
    connect(ui->btnSetDefaults, &QPushButton::clicked, this, &DlgConnectionType::onSetDefaults);
    connect(ui->chbxAutoReconnect, &QCheckBox::clicked, this, &DlgConnectionType::onAutoReconnectClicked);
    connect(ui->chbxAutoLogin, &QCheckBox::clicked, this, &DlgConnectionType::onAutoLoginClicked);
    connect(ui->buttonBox, &QDialogButtonBox::accepted, this, &DlgConnectionType::accept);
    connect(ui->buttonBox, &QDialogButtonBox::rejected, this, &DlgConnectionType::reject);

    connType = protocol(RdpIndex)->typeCode;
    fillOptionSet(*optionSet(RdpIndex));
}

DlgConnectionType::~DlgConnectionType()
{
    delete ui;
}

QComboBox *DlgConnectionType::optionCombo(int combo) const
{
    QComboBox *const combos[OptionComboCount] = {
        ui->cmbxColorDepth,    ui->cmbxGraphicsQuality, ui->cmbxAudioQuality,
        ui->cmbxRedirectAudio, ui->cmbxRedirectVideo,   ui->cmbxRedirectMic,
        ui->cmbxLatency,       ui->cmbxSecurity,        ui->cmbxWindowSize,
    };
    return combos[combo];
}

void DlgConnectionType::clearOptionCombos()
{
    for (int c = 0; c < OptionComboCount; ++c)
        optionCombo(c)->clear();
}

void DlgConnectionType::disableAllFields()
{
    for (int c = 0; c < OptionComboCount; ++c)
        optionCombo(c)->setEnabled(false);
    for (QWidget *w : std::initializer_list<QWidget *>{
             ui->chbxAutoReconnect, ui->chbxAutoLogin, ui->tbxWindowPercentage, ui->tbxCmdlineArgs,
             ui->tbxHostnamePort, ui->tbxDomain, ui->tbxUsername, ui->tbxPassword, ui->tbxConfirmPassword})
        w->setEnabled(false);
}

void DlgConnectionType::updateEnabledFields()
{
    for (int c = 0; c < OptionComboCount; ++c)
        optionCombo(c)->setEnabled(true);
    ui->chbxAutoReconnect->setEnabled(true);
    ui->chbxAutoLogin->setEnabled(true);
    ui->tbxWindowPercentage->setEnabled(ui->cmbxWindowSize->currentIndex() == PercentOfScreen);
    ui->tbxCmdlineArgs->setEnabled(true);
    ui->tbxHostnamePort->setEnabled(true);
    onAutoLoginClicked();
}

void DlgConnectionType::fillOptionSet(const OptionSet &set)
{
    clearOptionCombos();
    for (int c = 0; c < OptionComboCount; ++c) {
        const QStringList texts = items(set.combos[c]);
        if (texts.isEmpty())
            continue;
        optionCombo(c)->addItems(texts);
        optionCombo(c)->setCurrentIndex(set.combos[c].preselected);
    }
    wndSizeGuard = false;
}

void DlgConnectionType::selectWindowSize(int index)
{
    wndSizeGuard = true;
    ui->cmbxWindowSize->setCurrentIndex(index);
    wndSizeGuard = false;
}

void DlgConnectionType::fillWindowSizeOnly()
{
    for (QWidget *w : std::initializer_list<QWidget *>{ui->chbxAutoLogin, ui->tbxHostnamePort, ui->tbxDomain,
                                                       ui->tbxUsername, ui->tbxPassword, ui->tbxConfirmPassword})
        w->setEnabled(false);
    clearOptionCombos();
    wndSizeGuard = true;
    ui->cmbxWindowSize->addItems(items(WindowSizes));
    ui->cmbxWindowSize->setCurrentIndex(WindowSizes.preselected);
    wndSizeGuard = false;
}

void DlgConnectionType::fillWebOptions()
{
    fillWindowSizeOnly();
    for (QWidget *w : std::initializer_list<QWidget *>{ui->lblLatency, ui->cmbxLatency, ui->lblSecurity,
                                                       ui->cmbxSecurity})
        w->hide();
    ui->chbxKioskMode->show();
}

void DlgConnectionType::onConxnTypeChanged(int index)
{
    updateEnabledFields();
    ui->lblConxType->setText(QStringLiteral("Connect using"));
    ui->chbxKioskMode->hide();
    for (QWidget *w : std::initializer_list<QWidget *>{ui->lblLatency, ui->lblSecurity, ui->lblGraphicsQuality,
                                                       ui->cmbxLatency, ui->cmbxSecurity, ui->cmbxGraphicsQuality})
        w->show();

    const Protocol *chosen = protocol(index);
    if (!chosen)
        return;
    if (chosen->runsProgram)
        ui->lblConxType->setText(QStringLiteral("Run program"));
    connType = chosen->typeCode;
    switch (chosen->step) {
    case OptionsStep::OptionSet:
        fillOptionSet(*optionSet(index));
        break;
    case OptionsStep::Web:
        fillWebOptions();
        break;
    case OptionsStep::ConnectionManager:
        disableAllFields();
        clearOptionCombos();
        break;
    case OptionsStep::WindowSizeOnly:
        fillWindowSizeOnly();
        break;
    case OptionsStep::DigitalSignage:
        configureDigitalSignage();
        break;
    }
}

void DlgConnectionType::onWndSizeChanged(int index)
{
    if (wndSizeGuard)
        return;
    const bool percent = index == PercentOfScreen;
    ui->tbxWindowPercentage->setEnabled(percent);
    if (percent)
        ui->tbxWindowPercentage->setText(QStringLiteral("80"));
}

void DlgConnectionType::onSetDefaults()
{
    const int index = ui->cmbxConxType->currentIndex();
    if (const OptionSet *set = optionSet(index)) {
        // Redirect video keeps the administrator's choice: the devices treat
        // it apart from the other options.
        for (int c = 0; c < OptionComboCount; ++c) {
            if (c == RedirectVideo || c == WindowSize || optionCombo(c)->count() < 2)
                continue;
            optionCombo(c)->setCurrentIndex(set->combos[c].preselected);
        }
        selectWindowSize(set->combos[WindowSize].preselected);
    } else if (protocol(index) && protocol(index)->step == OptionsStep::Web) {
        selectWindowSize(AutoWindowSize);
    }
    ui->tbxWindowPercentage->setEnabled(false);
}

void DlgConnectionType::onGetRemoteProtocolHelpClicked()
{
    emit onGetRemoteProtocolHelp(connType);
}

void DlgConnectionType::onAutoReconnectClicked()
{
    if (!warnAutoReconnect)
        return;
    warnAutoReconnect = false;
    prompter()->warning(this, QStringLiteral("Auto reconnect selected"),
                        QStringLiteral("\nSelecting auto reconnect will increase load on the server. "
                                       "Proceed with caution!"),
                        QMessageBox::Ok);
}

void DlgConnectionType::onAutoLoginClicked()
{
    const bool on = ui->chbxAutoLogin->isChecked();
    for (QWidget *w : std::initializer_list<QWidget *>{ui->tbxDomain, ui->tbxUsername, ui->tbxPassword,
                                                       ui->tbxConfirmPassword})
        w->setEnabled(on);
}

void DlgConnectionType::configureDigitalSignage()
{
    QString dirs[SignageOutputCount];
    disableAllFields();
    for (int k = 0; k < SignageOutputCount; ++k) {
        const QString key = QStringLiteral("signageContentDir%1").arg(k + 1);
        if (settings->contains(key))
            dirs[k] = settings->value(key).toString();
    }
    hide();
    DlgDigitalSignage signage(this, &dirs[0], &dirs[1], &dirs[2]);
    if (prompter()->exec(&signage) == 0) {
        // Not through reject(): leaving signage is not leaving the wizard.
        done(0);
        return;
    }
    for (int k = 0; k < SignageOutputCount; ++k) {
        signageOutputs[size_t(k)] = signage.outputs[size_t(k)];
        settings->setValue(QStringLiteral("signageContentDir%1").arg(k + 1), dirs[k]);
    }
    connTypeIndex = DigitalSignageIndex;
    done(1);
}

bool DlgConnectionType::validate()
{
    if (ui->cmbxWindowSize->currentIndex() == PercentOfScreen) {
        // The mask keeps a deleted digit's place as a blank, which text()
        // drops: "1 0" on screen would go out as 10.
        bool ok = false;
        const int percent = ui->tbxWindowPercentage->displayText().trimmed().toInt(&ok, 10);
        if (!ok || percent < 1 || percent > 100) {
            ui->tbxWindowPercentage->setText(QStringLiteral("000"));
            prompter()->warning(this, QStringLiteral("Invalid percentage"),
                                QStringLiteral("\n'Percent of screen' value must be in the range 1-100"),
                                QMessageBox::Ok);
            return false;
        }
    }
    if (connType != AccessProtocolPackets::WebType && !runsLocally(connType) && ui->tbxHostnamePort->text().isEmpty()) {
        prompter()->warning(this, QStringLiteral("Invalid hostname"),
                            QStringLiteral("\nYou must enter a valid hostname or 0.0.0.0"), QMessageBox::Ok);
        return false;
    }
    if (ui->chbxAutoLogin->isChecked() && !runsLocally(connType)) {
        QString problem;
        if (ui->tbxUsername->text().isEmpty() && needsUsername(ui->cmbxConxType->currentIndex()))
            problem = QStringLiteral("\nFor the selected access protocol, username field cannot be empty");
        else if (ui->tbxPassword->text().isEmpty())
            problem = QStringLiteral("\nPassword field cannot be empty");
        else if (ui->tbxPassword->text() != ui->tbxConfirmPassword->text())
            problem = QStringLiteral("\nThe two passwords do not match!");
        if (!problem.isEmpty()) {
            prompter()->warning(this, QLatin1String(InvalidSettings), problem, QMessageBox::Ok);
            return false;
        }
    }
    return true;
}

void DlgConnectionType::keepResults()
{
    QString *const texts[OptionComboCount] = {&colorDepth,   &graphicsQuality, &audioQuality,
                                              &redirectAudio, &redirectVideo,   &redirectMic,
                                              &latency,       &security,        &windowSize};
    int *const indexes[OptionComboCount] = {&colorDepthIndex,   &graphicsQualityIndex, &audioQualityIndex,
                                            &redirectAudioIndex, &redirectVideoIndex,   &redirectMicIndex,
                                            &latencyIndex,       &securityIndex,        &windowSizeIndex};
    for (int c = 0; c < OptionComboCount; ++c) {
        *texts[c] = optionCombo(c)->currentText();
        *indexes[c] = optionCombo(c)->currentIndex();
    }
    // Disabled and hidden fields are kept too: the command decides what it sends.
    windowPercentage = ui->tbxWindowPercentage->text();
    cmdlineArgs = ui->tbxCmdlineArgs->text();
    hostnamePort = ui->tbxHostnamePort->text();
    domain = ui->tbxDomain->text();
    username = ui->tbxUsername->text();
    password = ui->tbxPassword->text();
    kioskMode = ui->chbxKioskMode->isChecked();
    autoReconnect = ui->chbxAutoReconnect->isChecked();
    autoLogin = ui->chbxAutoLogin->isChecked();
    connTypeIndex = ui->cmbxConxType->currentIndex();
}

void DlgConnectionType::accept()
{
    if (connType == AccessProtocolPackets::ConnectionManagerType) {
        connTypeIndex = ui->cmbxConxType->currentIndex();
        done(1);
        return;
    }
    if (!validate())
        return;
    keepResults();
    done(1);
}

void DlgConnectionType::reject()
{
    if (wizardMode
        && prompter()->question(this, QStringLiteral("Access protocol type"),
                                QStringLiteral("Korvane wizard cannot continue unless you select an access "
                                               "protocol type.\n\nDo you want to abort the wizard?"),
                                QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes)
               != QMessageBox::Yes)
        return;
    done(0);
}
