#include "dlgconfiguredisplays.h"
#include "ui_dlgconfiguredisplays.h"

#include "mainwindow/prompter.h"

#include <QComboBox>
#include <QHeaderView>
#include <QLabel>

using DisplayLayout::Column;

namespace {
const Column Columns[] = {Column::Connector, Column::Position, Column::Referent, Column::Orientation,
                          Column::Resolution};
const char *const ColumnNames[] = {"Connector", "Position", "Referent", "Orientation", "Resolution"};
constexpr int ConnectorColumnWidth = 110;
}

DlgConfigureDisplays::DlgConfigureDisplays(QWidget *parent)
    : QDialog(parent), ui(new Ui::DlgConfigureDisplays), parentWindow(parent)
{
    ui->setupUi(this);
    connect(ui->rdbtnClone, &QRadioButton::toggled, this, &DlgConfigureDisplays::onCloneSelected);
    connect(ui->buttonBox, &QDialogButtonBox::accepted, this, &DlgConfigureDisplays::accept);
    connect(ui->buttonBox, &QDialogButtonBox::rejected, this, &DlgConfigureDisplays::reject);
    ui->tbxTimeout->setText(QStringLiteral("20"));
    initCombos();
}

DlgConfigureDisplays::~DlgConfigureDisplays()
{
    delete ui;
}

QComboBox *&DlgConfigureDisplays::combo(Column column, int output)
{
    return m_combos[output - 1][int(column)];
}

void DlgConfigureDisplays::initCombos()
{
    for (int n = 1; n <= DisplayLayout::OutputCount; ++n)
        for (Column c : Columns) {
            QComboBox *box = new QComboBox;
            box->setObjectName(QStringLiteral("cmbxOp%1%2").arg(n).arg(QLatin1String(ColumnNames[int(c)])));
            box->addItems(DisplayLayout::items(c, n));
            box->setCurrentIndex(DisplayLayout::initialIndex(c));
            combo(c, n) = box;
        }
    for (int n = 1; n <= DisplayLayout::OutputCount; ++n)
        connect(combo(Column::Position, n), &QComboBox::currentIndexChanged, this,
                [this, n](int index) { onPositionChanged(n, index); });
    for (int n = 1; n <= DisplayLayout::OutputCount; ++n)
        connect(combo(Column::Connector, n), &QComboBox::currentIndexChanged, this,
                [this, n](int index) { onConnectorChanged(n, index); });
    for (int n = 1; n <= DisplayLayout::OutputCount; ++n)
        combo(Column::Referent, n)->setEnabled(false);
    for (int n = 1; n <= DisplayLayout::OutputCount; ++n)
        onConnectorChanged(n, 0);

    QTableWidget *table = ui->table;
    table->setRowCount(DisplayLayout::OutputCount);
    table->setColumnCount(6);
    QStringList headers{QString()};
    for (const char *name : ColumnNames)
        headers << QLatin1String(name);
    table->setHorizontalHeaderLabels(headers);
    for (int n = 1; n <= DisplayLayout::OutputCount; ++n) {
        QLabel *label = new QLabel(QStringLiteral("Output %1").arg(n));
        label->setAlignment(Qt::AlignCenter);
        table->setCellWidget(n - 1, 0, label);
        for (Column c : Columns)
            table->setCellWidget(n - 1, int(c) + 1, combo(c, n));
    }
    table->setColumnWidth(1, ConnectorColumnWidth);
}

void DlgConfigureDisplays::onPositionChanged(int output, int index)
{
    QComboBox *position = combo(Column::Position, output);
    QComboBox *referent = combo(Column::Referent, output);
    if (ui->rdbtnClone->isChecked()) {
        position->setCurrentIndex(DisplayLayout::PositionNone);
        referent->setCurrentIndex(DisplayLayout::ReferentNone);
        position->setEnabled(false);
        referent->setEnabled(false);
    } else if (index == DisplayLayout::PositionNone) {
        referent->setCurrentIndex(DisplayLayout::ReferentNone);
        referent->setEnabled(false);
    } else {
        referent->setEnabled(true);
    }
}

void DlgConfigureDisplays::onConnectorChanged(int output, int index)
{
    const bool connected = index != DisplayLayout::ConnectorNone;
    for (Column c : {Column::Position, Column::Referent, Column::Orientation, Column::Resolution})
        combo(c, output)->setEnabled(connected);
    if (connected) {
        onPositionChanged(output, combo(Column::Position, output)->currentIndex());
    } else {
        combo(Column::Position, output)->setCurrentIndex(DisplayLayout::PositionNone);
        combo(Column::Referent, output)->setCurrentIndex(DisplayLayout::ReferentNone);
    }
}

void DlgConfigureDisplays::onCloneSelected(bool on)
{
    for (int n = 1; n <= DisplayLayout::OutputCount; ++n) {
        combo(Column::Position, n)->setEnabled(!on);
        combo(Column::Referent, n)->setEnabled(!on);
    }
    if (on) {
        for (int n = 1; n <= DisplayLayout::OutputCount; ++n) {
            combo(Column::Position, n)->setCurrentIndex(DisplayLayout::PositionNone);
            combo(Column::Referent, n)->setCurrentIndex(DisplayLayout::ReferentNone);
        }
        return;
    }
    for (int n = 1; n <= DisplayLayout::OutputCount; ++n)
        onConnectorChanged(n, combo(Column::Connector, n)->currentIndex());
    for (int n = 1; n <= DisplayLayout::OutputCount; ++n)
        onPositionChanged(n, combo(Column::Position, n)->currentIndex());
}

DisplayLayout::LayoutForm DlgConfigureDisplays::form() const
{
    DisplayLayout::LayoutForm f;
    f.clone = ui->rdbtnClone->isChecked();
    f.timeout = ui->tbxTimeout->text();
    for (int n = 1; n <= DisplayLayout::OutputCount; ++n) {
        QComboBox *const *boxes = m_combos[n - 1];
        DisplayLayout::OutputChoice &o = f.outputs[n - 1];
        o.connector = boxes[int(Column::Connector)]->currentIndex();
        o.position = boxes[int(Column::Position)]->currentIndex();
        o.referent = boxes[int(Column::Referent)]->currentIndex();
        o.orientation = boxes[int(Column::Orientation)]->currentIndex();
        o.resolution = boxes[int(Column::Resolution)]->currentIndex();
    }
    return f;
}

void DlgConfigureDisplays::accept()
{
    const DisplayLayout::LayoutForm f = form();
    const QString refusal = DisplayLayout::validate(f);
    if (!refusal.isEmpty()) {
        prompter()->warning(parentWindow, QStringLiteral("Invalid configuration"), refusal, QMessageBox::Ok);
        return;
    }
    settings = DisplayLayout::settings(f);
    done(1);
}

void DlgConfigureDisplays::reject()
{
    done(0);
}
