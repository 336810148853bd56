#include "dlgremprotosettings.h"
#include "ui_dlgremprotosettings.h"

#include "mainwindow/prompter.h"

namespace {

// One list of the dialog: its items, the keyword each stands for, and the
// item shown at start.
struct OptionList {
    QString DlgRemProtoSettings::*field;
    QComboBox *Ui::DlgRemProtoSettings::*list;
    QStringList items;
    QStringList keywords;
    int initial;
};

const QStringList Quality{QStringLiteral("Medium"), QStringLiteral("High"), QStringLiteral("Best")};

const OptionList &option(int which)
{
    using D = DlgRemProtoSettings;
    using U = Ui::DlgRemProtoSettings;
    static const OptionList Options[] = {
        {&D::colorDepth, &U::cmbxColorDepth, {"16 Bit", "32 Bit"}, {"16", "32"}, 0},
        {&D::graphicsQuality, &U::cmbxGraphicsQuality, Quality, Quality, 0},
        {&D::redirectAudio, &U::cmbxRedirectAudio, {"Yes", "No"}, {"Yes", "No"}, 0},
        {&D::audioQuality, &U::cmbxAudioQuality, Quality, Quality, 0},
        {&D::bandwidth, &U::cmbxBandwidth, {"Low", "Medium", "High", "Auto"}, {"Low", "Medium", "High", "Auto"}, 3},
        {&D::security, &U::cmbxSecurity, {"Low", "High"}, {"Low", "High"}, 0},
        {&D::windowSize, &U::cmbxWindowSize, {"Full screen", "Percent of screen"}, {"Fullscreen", "Percentage"}, 0},
    };
    return Options[which];
}

enum Which { ColorDepth, GraphicsQuality, RedirectAudio, AudioQuality, Bandwidth, Security, WindowSize, OptionCount };

constexpr int PercentOfScreen = 1;
const QString ValidationTitle = QStringLiteral("Input validation");

} // namespace

DlgRemProtoSettings::DlgRemProtoSettings(QWidget *parent)
    : QDialog(parent), ui(new Ui::DlgRemProtoSettings)
{
    ui->setupUi(this);
    connect(ui->buttonBox, &QDialogButtonBox::accepted, this, &DlgRemProtoSettings::accept);
    connect(ui->buttonBox, &QDialogButtonBox::rejected, this, &DlgRemProtoSettings::reject);
    initControls();
}

DlgRemProtoSettings::~DlgRemProtoSettings()
{
    delete ui;
}

void DlgRemProtoSettings::initControls()
{
    using Slot = void (DlgRemProtoSettings::*)(int);
    static const Slot Slots[OptionCount] = {
        &DlgRemProtoSettings::onColorDepthChanged, &DlgRemProtoSettings::onGraphicsQualityChanged,
        &DlgRemProtoSettings::onRedirectAudioChanged, &DlgRemProtoSettings::onAudioQualityChanged,
        &DlgRemProtoSettings::onBandwidthChanged,     &DlgRemProtoSettings::onSecurityChanged,
        &DlgRemProtoSettings::onWindowSizeChanged,
    };
    for (int which = 0; which < OptionCount; ++which) {
        const OptionList &o = option(which);
        QComboBox *list = ui->*o.list;
        list->addItems(o.items);
        list->setCurrentIndex(o.initial);
        this->*o.field = o.keywords.at(o.initial);
        // Connected after the start item is shown, so no slot runs now.
        connect(list, &QComboBox::currentIndexChanged, this, Slots[which]);
    }
    ui->tbxWindowSize->setEnabled(false);
}

namespace {
// A position outside the list (an emptied list's -1) leaves the field alone.
void choose(DlgRemProtoSettings *dialog, int which, int index)
{
    const OptionList &o = option(which);
    if (index >= 0 && index < o.keywords.size())
        dialog->*o.field = o.keywords.at(index);
}
}

void DlgRemProtoSettings::onColorDepthChanged(int index) { choose(this, ColorDepth, index); }
void DlgRemProtoSettings::onGraphicsQualityChanged(int index) { choose(this, GraphicsQuality, index); }
void DlgRemProtoSettings::onRedirectAudioChanged(int index) { choose(this, RedirectAudio, index); }
void DlgRemProtoSettings::onAudioQualityChanged(int index) { choose(this, AudioQuality, index); }
void DlgRemProtoSettings::onBandwidthChanged(int index) { choose(this, Bandwidth, index); }
void DlgRemProtoSettings::onSecurityChanged(int index) { choose(this, Security, index); }

void DlgRemProtoSettings::onWindowSizeChanged(int index)
{
    choose(this, WindowSize, index);
    if (index == 0 || index == PercentOfScreen)
        ui->tbxWindowSize->setEnabled(index == PercentOfScreen);
}

void DlgRemProtoSettings::accept()
{
    if (ui->cmbxWindowSize->currentIndex() != PercentOfScreen) {
        done(0);
        return;
    }
    const QString text = ui->tbxWindowSize->text();
    if (text.isEmpty()) {
        prompter()->warning(this, ValidationTitle, QStringLiteral("\nYou must enter a value for screen percentage"),
                            QMessageBox::Ok);
        return;
    }
    bool ok = false;
    const int percent = text.toInt(&ok, 10);
    if (ok && percent >= 1 && percent <= 100) {
        windowPercent = text;
        done(0);
        return;
    }
    prompter()->warning(this, ValidationTitle,
                        QStringLiteral("\n") + text + QStringLiteral("\n\nis not a valid percentage"), QMessageBox::Ok);
}

void DlgRemProtoSettings::reject()
{
    done(-1);
}
