#include "dlgresolutionstring.h"
#include "ui_dlgresolutionstring.h"

#include "mainwindow/prompter.h"

namespace {
const char *const StandardModes[] = {"Auto",      "800x600",   "1024x768",  "1152x864", "1280x720",  "1280x768",
                                     "1280x854",  "1280x960",  "1280x1024", "1366x768", "1440x900",  "1440x1080",
                                     "1600x1200", "1680x1050", "1920x1080", "1920x1200"};
// The K1's DVI encoder takes fewer modes, and 1080p only at 30 frames.
const char *const K1Modes[] = {"640x480",  "800x600",  "1024x768", "1280x720", "1280x768",
                               "1280x1024", "1360x768", "1440x900", "1080p"};
const QString ModePrefix = QStringLiteral("omapfb.mode=dvi:");
}

DlgResolutionString::DlgResolutionString(QWidget *parent)
    : QDialog(parent), ui(new Ui::DlgResolutionString)
{
    ui->setupUi(this);
    onOrlK1Clicked();
    fillResolutionCombos(ui->cmbxHdmiResolution);
    ui->gboxSecMonitor->setEnabled(false);
    ui->rdbtnOrlK2->setEnabled(false);
    connect(ui->rdbtnDorn, &QRadioButton::clicked, this, &DlgResolutionString::onDornClicked);
    connect(ui->rdbtnOrlQb, &QRadioButton::clicked, this, &DlgResolutionString::onOrlQbClicked);
    connect(ui->rdbtnOrlK1, &QRadioButton::clicked, this, &DlgResolutionString::onOrlK1Clicked);
    connect(ui->rdbtnOrlK2, &QRadioButton::clicked, this, &DlgResolutionString::onOrlK2Clicked);
    connect(ui->gboxVga, &QGroupBox::toggled, this, &DlgResolutionString::onVgaResolutionToggled);
    connect(ui->gboxHdmi, &QGroupBox::toggled, this, &DlgResolutionString::onHdmiResolutionToggled);
    connect(ui->rdbtnClone, &QRadioButton::toggled, this, &DlgResolutionString::onCloneToggled);
    connect(ui->buttonBox, &QDialogButtonBox::accepted, this, &DlgResolutionString::accept);
    connect(ui->buttonBox, &QDialogButtonBox::rejected, this, &DlgResolutionString::reject);
    onOrlQbClicked();
}

DlgResolutionString::~DlgResolutionString()
{
    delete ui;
}

void DlgResolutionString::fillResolutionCombos(QComboBox *list)
{
    list->clear();
    for (const char *mode : StandardModes)
        list->addItem(QLatin1String(mode));
}

void DlgResolutionString::onDornClicked()
{
    deviceType = 1;
    showOneOutput(false);
    fillResolutionCombos(ui->cmbxVgaResolution);
}

void DlgResolutionString::onOrlQbClicked()
{
    deviceType = 2;
    ui->grbxTiming->setEnabled(false);
    ui->grbxVesaModeAdj->setEnabled(false);
    showTwoOutputs(true);
    ui->rdbtnExtDesktop->setChecked(true);
}

void DlgResolutionString::onOrlK1Clicked()
{
    deviceType = 3;
    showOneOutput(true);
    ui->cmbxVgaResolution->clear();
    for (const char *mode : K1Modes)
        ui->cmbxVgaResolution->addItem(QLatin1String(mode));
    ui->cmbxVgaResolution->setCurrentText(QStringLiteral("1024x768"));
}

void DlgResolutionString::onOrlK2Clicked()
{
    deviceType = 4;
    ui->grbxTiming->setEnabled(false);
    showTwoOutputs(false);
}

// The one-output types: a plain VGA/DVI group; only the K1 has adjustments.
void DlgResolutionString::showOneOutput(bool adjustments)
{
    ui->grbxTiming->setEnabled(adjustments);
    ui->grbxVesaModeAdj->setEnabled(adjustments);
    ui->gboxVga->setCheckable(false);
    ui->gboxHdmi->setEnabled(false);
    ui->gboxDual->setEnabled(false);
}

void DlgResolutionString::showTwoOutputs(bool checkHdmi)
{
    ui->gboxVga->setCheckable(true);
    ui->gboxVga->setChecked(true);
    ui->gboxHdmi->setEnabled(true);
    if (checkHdmi)
        ui->gboxHdmi->setChecked(true);
    ui->gboxDual->setEnabled(ui->gboxVga->isChecked() && ui->gboxHdmi->isChecked());
    fillResolutionCombos(ui->cmbxVgaResolution);
}

void DlgResolutionString::onVgaResolutionToggled(bool on)
{
    outputToggled(on, ui->gboxHdmi);
}

void DlgResolutionString::onHdmiResolutionToggled(bool on)
{
    outputToggled(on, ui->gboxVga);
}

// At least one output always stays on: switching one off switches the other on.
void DlgResolutionString::outputToggled(bool on, QGroupBox *other)
{
    ui->gboxDual->setEnabled(on && other->isChecked());
    if (!on)
        other->setChecked(true);
}

void DlgResolutionString::onCloneToggled(bool on)
{
    ui->gboxSecMonitor->setEnabled(!on);
}

int DlgResolutionString::validateSelection()
{
    if (ui->gboxDual->isEnabled() && ui->rdbtnClone->isChecked()
        && ui->cmbxVgaResolution->currentIndex() != ui->cmbxHdmiResolution->currentIndex()) {
        prompter()->warning(this, QStringLiteral("Invalid configuration"),
                            QStringLiteral("When dual display is configured in clone mode, both displays must be "
                                           "set to the same resolution"),
                            QMessageBox::Ok);
        return -1;
    }
    if (ui->rdbtnOrlK1->isChecked() && ui->cmbxVgaResolution->currentText().contains(QLatin1String("1080p"))) {
        const QMessageBox::StandardButton answer = prompter()->question(
            this, QStringLiteral("Resolution warning"),
            QStringLiteral("1080p resolution works only at 30 FPS on ORL K1 DVI boards connected to a TV.\n\n"
                           "Are you sure you want to use this resolution?"),
            QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes);
        return answer == QMessageBox::Yes ? 0 : -1;
    }
    return 0;
}

void DlgResolutionString::accept()
{
    if (validateSelection() != 0)
        return;
    resolution = ui->cmbxVgaResolution->currentText();
    const bool reducedBlanking = ui->rdbtnEnableMR->isChecked();
    const QString suffix = reducedBlanking ? QStringLiteral("MR-32@60") : QStringLiteral("-32@60");

    if (deviceType == 1) {
        resolutionString = ModePrefix + resolution + suffix;
        vgaTimingAdjust = false;
    } else if (deviceType == 3) {
        if (resolution.compare(QLatin1String("1080p"), Qt::CaseInsensitive) == 0) {
            resolution = QStringLiteral("1920x1080");
            resolutionString = ModePrefix + resolution
                + (reducedBlanking ? QStringLiteral("MR-24@30") : QStringLiteral("-24@30"));
        } else {
            resolutionString = ModePrefix + resolution + suffix;
        }
        vgaTimingAdjust = ui->rdbtnVgaTimingEnable->isChecked();
    } else {
        vgaEnabled = ui->gboxVga->isEnabled() && ui->gboxVga->isChecked();
        if (vgaEnabled)
            vgaResolution = ui->cmbxVgaResolution->currentText();
        hdmiEnabled = ui->gboxHdmi->isEnabled() && ui->gboxHdmi->isChecked();
        if (hdmiEnabled)
            hdmiResolution = ui->cmbxHdmiResolution->currentText();
        dualDisplay = vgaEnabled && hdmiEnabled;
        if (dualDisplay) {
            vgaIsPrimary = ui->chbxVgaIsPrimary->isChecked();
            dualMode = ui->rdbtnClone->isChecked()         ? QStringLiteral("clone")
                       : ui->rdbtnIndependent->isChecked() ? QStringLiteral("independent")
                                                           : QStringLiteral("extdesktop");
            if (dualMode != QLatin1String("clone"))
                secondaryPosition = ui->rdbtnTop->isChecked()    ? QStringLiteral("top")
                                    : ui->rdbtnLeft->isChecked()  ? QStringLiteral("left")
                                    : ui->rdbtnRight->isChecked() ? QStringLiteral("right")
                                                                  : QStringLiteral("bottom");
        }
        const bool vgaUsed = dualDisplay ? vgaIsPrimary : vgaEnabled;
        resolutionString = ModePrefix + (vgaUsed ? vgaResolution : hdmiResolution) + suffix;
    }
    done(1);
}

void DlgResolutionString::reject()
{
    done(0);
}
