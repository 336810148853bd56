#include "dlgprofileeditor.h"
#include "ui_dlgprofileeditor.h"

#include "mainwindow/prompter.h"
#include "profiles/core/profile.h"

#include <QComboBox>
#include <QFile>
#include <QLabel>

#include <cerrno>
#include <cstdio>   // renameat2
#include <fcntl.h>
#include <sys/stat.h>

using namespace ProfilePages;

// The system's rename alone, refusing a name that is taken. QFile::rename
// copies the file when the rename fails, and a disk that lost the copy and
// told it only at the close or the sync (a network or USB disk) had the
// profile gone under its old name and a copy without its bytes under the
// new one, or that copy left beside it.
static bool renameFile(const QString &from, const QString &to)
{
    const QByteArray source = QFile::encodeName(from);
    const QByteArray target = QFile::encodeName(to);
#if defined(Q_OS_LINUX) && defined(RENAME_NOREPLACE)
    if (::renameat2(AT_FDCWD, source.constData(), AT_FDCWD, target.constData(), RENAME_NOREPLACE) == 0)
        return true;
    // Only a file system that cannot refuse a taken name in the rename
    // itself goes on to look first.
    if (errno != EINVAL)
        return false;
#endif
    struct stat taken;
    return ::lstat(target.constData(), &taken) != 0 && errno == ENOENT
           && std::rename(source.constData(), target.constData()) == 0;
}

static const char *const settingNames[SettingCount] = {"Connector", "Position", "Referent", "Orientation",
                                                       "Resolution"};

DlgProfileEditor::DlgProfileEditor(QWidget *parent, const QString &dir, Profile *profile, bool editMode)
    : QDialog(parent), ui(new Ui::DlgProfileEditor), caller(parent), dir(dir), profile(profile), editMode(editMode)
{
    ui->setupUi(this);
    setWindowTitle(editMode ? QStringLiteral("Korvane: Edit profile") : QStringLiteral("Korvane: Create new profile"));
    connect(ui->zorServerRdbtnDHCP, &QRadioButton::clicked, this, &DlgProfileEditor::onZorServerDHCPSelected);
    connect(ui->zorServerRdbtnStatic, &QRadioButton::clicked, this, &DlgProfileEditor::onZorServerStaticIPSelected);
    initDisplayCombos();
    loadAll();
    connect(ui->btnGlobalDefaults, &QPushButton::clicked, this, &DlgProfileEditor::onGlobalDefaultsClicked);
    if (editMode)
        oldName = profile->name;
}

DlgProfileEditor::~DlgProfileEditor()
{
    delete ui;
}

QComboBox *DlgProfileEditor::combo(Setting setting, int output) const
{
    return dispCombos[rowIndex(setting, output)];
}

void DlgProfileEditor::reset(QComboBox *combo)
{
    combo->setCurrentIndex(0);
}

void DlgProfileEditor::initDisplayCombos()
{
    QTableWidget *table = ui->dispTable;
    table->setRowCount(Profile::Outputs);
    table->setColumnCount(1 + SettingCount);
    table->setHorizontalHeaderLabels({QString(), QStringLiteral("Connector"), QStringLiteral("Position"),
                                      QStringLiteral("Referent"), QStringLiteral("Orientation"),
                                      QStringLiteral("Resolution")});
    for (int output = 0; output < Profile::Outputs; ++output) {
        auto *label = new QLabel(QStringLiteral("Output %1").arg(output + 1));
        label->setAlignment(Qt::AlignCenter);
        table->setCellWidget(output, 0, label);
    }
    for (int s = 0; s < SettingCount; ++s) {
        for (int output = 0; output < Profile::Outputs; ++output) {
            auto *box = new QComboBox;
            box->setObjectName(QStringLiteral("dispCmbxOp%1%2").arg(output + 1).arg(QLatin1String(settingNames[s])));
            box->addItems(rowTexts(Setting(s), output));
            dispCombos[rowIndex(Setting(s), output)] = box;
            table->setCellWidget(output, 1 + s, box);
        }
    }
    table->setColumnWidth(1, 110);

    // Connected last, so that filling the combos runs no rule.
    connect(ui->dispRdbtnClone, &QRadioButton::toggled, this, &DlgProfileEditor::onDispCloneSelected);
    const auto changed = &QComboBox::currentIndexChanged;
    connect(combo(Connector, 0), changed, this, &DlgProfileEditor::onDispCmbxOp1ConnectorChanged);
    connect(combo(Connector, 1), changed, this, &DlgProfileEditor::onDispCmbxOp2ConnectorChanged);
    connect(combo(Connector, 2), changed, this, &DlgProfileEditor::onDispCmbxOp3ConnectorChanged);
    connect(combo(Position, 0), changed, this, &DlgProfileEditor::onDispCmbxOp1PositionChanged);
    connect(combo(Position, 1), changed, this, &DlgProfileEditor::onDispCmbxOp2PositionChanged);
    connect(combo(Position, 2), changed, this, &DlgProfileEditor::onDispCmbxOp3PositionChanged);
}

void DlgProfileEditor::loadAll()
{
    ui->tbxProfileName->setText(profile->name);
    loadServerTab();
    loadDisplayTab();
}

void DlgProfileEditor::loadServerTab()
{
    if (profile->zorServerUseDHCP) {
        ui->zorServerRdbtnDHCP->setChecked(true);
        onZorServerDHCPSelected();
    } else {
        ui->zorServerRdbtnStatic->setChecked(true);
        onZorServerStaticIPSelected();
    }
    ui->zorServerTbxHostname->setText(profile->zorServerHostname);
    ui->zorServerTbxPort->setText(profile->zorServerPort);
}

void DlgProfileEditor::loadDisplayTab()
{
    const bool clone = profile->dispVideoMode == QLatin1String("clone");
    (clone ? ui->dispRdbtnClone : ui->dispRdbtnRandR)->setChecked(true);
    onDispCloneSelected(clone);
    ui->dispTbxTimeout->setText(profile->dispScreensaverTimeout);
    for (int s = 0; s < SettingCount; ++s)
        for (int output = 0; output < Profile::Outputs; ++output)
            combo(Setting(s), output)
                ->setCurrentIndex(shownRow(Setting(s), output, profile->dispCmbxIndexes[rowIndex(Setting(s), output)]));
    // The rules hold also where a stored row equals the row shown before.
    for (int output = 0; output < Profile::Outputs; ++output)
        connectorChanged(output, combo(Connector, output)->currentIndex());
}

DisplayPage DlgProfileEditor::displayPage() const
{
    DisplayPage page;
    page.clone = ui->dispRdbtnClone->isChecked();
    page.timeout = ui->dispTbxTimeout->text();
    for (int i = 0; i < RowCount; ++i)
        page.rows[i] = dispCombos[i]->currentIndex();
    return page;
}

void DlgProfileEditor::storeAll()
{
    profile->name = ui->tbxProfileName->text().trimmed();
    profile->zorServerUseDHCP = ui->zorServerRdbtnDHCP->isChecked();
    profile->zorServerHostname = ui->zorServerTbxHostname->text();
    profile->zorServerPort = ui->zorServerTbxPort->text();
    storeDisplay(displayPage(), profile);
}

bool DlgProfileEditor::refuse(const Refusal &refusal)
{
    if (!refusal.refused())
        return false;
    prompter()->warning(refusal.overCaller ? caller : this, refusal.title, refusal.text, QMessageBox::Ok);
    return true;
}

bool DlgProfileEditor::validateAll()
{
    const QString name = ui->tbxProfileName->text().trimmed();
    // The file an edit has under its name is its own, and the name may be
    // kept without finding it taken. That is the opened name until a rename
    // went through: after a rename that failed the file still has it, and
    // going back to it is no clash.
    const bool mustBeFree = !editMode || name != oldName;
    return !refuse(checkName(name, dir, mustBeFree))
        && !refuse(checkServer(ui->zorServerRdbtnDHCP->isChecked(), ui->zorServerTbxHostname->text(),
                               ui->zorServerTbxPort->text()))
        && !refuse(checkDisplay(displayPage()));
}

void DlgProfileEditor::accept()
{
    if (!validateAll())
        return;
    storeAll();
    if (editMode && oldName != profile->name) {
        const QString from = dir + QLatin1Char('/') + oldName + QStringLiteral(".prf");
        if (!renameFile(from, dir + QLatin1Char('/') + profile->name + QStringLiteral(".prf"))) {
            refuse(renameFailed(dir));
            return;
        }
        // The file has its new name now, whatever the save below does.
        oldName = profile->name;
    }
    if (!profile->save()) {
        refuse(saveFailed(dir));
        return;
    }
    done(1);
}

void DlgProfileEditor::reject()
{
    done(0);
}

void DlgProfileEditor::onZorServerDHCPSelected()
{
    ui->zorServerTbxHostname->setEnabled(false);
    ui->zorServerTbxPort->setEnabled(false);
}

void DlgProfileEditor::onZorServerStaticIPSelected()
{
    ui->zorServerTbxHostname->setEnabled(true);
    ui->zorServerTbxPort->setEnabled(true);
}

void DlgProfileEditor::onDispCloneSelected(bool clone)
{
    for (int output = 0; output < Profile::Outputs; ++output) {
        combo(Position, output)->setEnabled(!clone);
        combo(Referent, output)->setEnabled(!clone);
    }
    if (clone) {
        for (int output = 0; output < Profile::Outputs; ++output) {
            reset(combo(Position, output));
            combo(Position, output)->setEnabled(false);
        }
        for (int output = 0; output < Profile::Outputs; ++output) {
            reset(combo(Referent, output));
            combo(Referent, output)->setEnabled(false);
        }
        return;
    }
    for (int output = 0; output < Profile::Outputs; ++output)
        connectorChanged(output, combo(Connector, output)->currentIndex());
    for (int output = 0; output < Profile::Outputs; ++output)
        positionChanged(output, combo(Position, output)->currentIndex());
}

void DlgProfileEditor::connectorChanged(int output, int row)
{
    for (Setting s : {Position, Referent, Orientation, Resolution})
        combo(s, output)->setEnabled(row != 0);
    if (row == 0) {
        reset(combo(Position, output));
        reset(combo(Referent, output));
        return;
    }
    positionChanged(output, combo(Position, output)->currentIndex());
}

void DlgProfileEditor::positionChanged(int output, int row)
{
    if (ui->dispRdbtnClone->isChecked()) {
        reset(combo(Position, output));
        reset(combo(Referent, output));
        combo(Position, output)->setEnabled(false);
        combo(Referent, output)->setEnabled(false);
    } else if (row != 0) {
        combo(Referent, output)->setEnabled(true);
    } else {
        reset(combo(Referent, output));
        combo(Referent, output)->setEnabled(false);
    }
}

void DlgProfileEditor::onDispCmbxOp1ConnectorChanged(int row) { connectorChanged(0, row); }
void DlgProfileEditor::onDispCmbxOp2ConnectorChanged(int row) { connectorChanged(1, row); }
void DlgProfileEditor::onDispCmbxOp3ConnectorChanged(int row) { connectorChanged(2, row); }
void DlgProfileEditor::onDispCmbxOp1PositionChanged(int row) { positionChanged(0, row); }
void DlgProfileEditor::onDispCmbxOp2PositionChanged(int row) { positionChanged(1, row); }
void DlgProfileEditor::onDispCmbxOp3PositionChanged(int row) { positionChanged(2, row); }

void DlgProfileEditor::onGlobalDefaultsClicked()
{
    const auto answer = prompter()->question(
        this, QStringLiteral("Set defaults"),
        QStringLiteral("\nAre you sure you want to set all settings in all tabs to their default values?"),
        QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
    if (answer != QMessageBox::Yes)
        return;
    // Only the pages change; the file is written by OK alone.
    profile->setDefaults();
    loadAll();
}
