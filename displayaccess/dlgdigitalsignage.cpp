#include "dlgdigitalsignage.h"
#include "ui_dlgdigitalsignage.h"

#include "mainwindow/prompter.h"

DlgDigitalSignage::DlgDigitalSignage(QWidget *parent, QString *contentDir1, QString *contentDir2,
                                     QString *contentDir3)
    : QDialog(parent), ui(new Ui::DlgDigitalSignage), msgParent(parent),
      contentDirs{contentDir1, contentDir2, contentDir3}
{
    ui->setupUi(this);
    for (int k = 0; k < SignageOutputCount; ++k) {
        const OutputWidgets w = output(k);
        w.contentDir->setText(*contentDirs[k]);
        w.duration->setPlaceholderText(QStringLiteral("Display duration (sec)"));
        w.url->setText(QStringLiteral("file:///home/orl/dsi_root/output%1").arg(k + 1));
        w.duration->setEnabled(false);
        w.url->setEnabled(false);
    }
    connect(ui->rdbtnOp1Image, &QRadioButton::toggled, this, &DlgDigitalSignage::OnOp1ImageToggled);
    connect(ui->rdbtnOp2Image, &QRadioButton::toggled, this, &DlgDigitalSignage::OnOp2ImageToggled);
    connect(ui->rdbtnOp3Image, &QRadioButton::toggled, this, &DlgDigitalSignage::OnOp3ImageToggled);
    connect(ui->rdbtnOp1Browser, &QRadioButton::toggled, this, &DlgDigitalSignage::OnOp1BrowserToggled);
    connect(ui->rdbtnOp2Browser, &QRadioButton::toggled, this, &DlgDigitalSignage::OnOp2BrowserToggled);
    connect(ui->rdbtnOp3Browser, &QRadioButton::toggled, this, &DlgDigitalSignage::OnOp3BrowserToggled);
    connect(ui->btnOp1Browse, &QPushButton::clicked, this, &DlgDigitalSignage::onOp1BrowseClicked);
    connect(ui->btnOp2Browse, &QPushButton::clicked, this, &DlgDigitalSignage::onOp2BrowseClicked);
    connect(ui->btnOp3Browse, &QPushButton::clicked, this, &DlgDigitalSignage::onOp3BrowseClicked);
}

DlgDigitalSignage::~DlgDigitalSignage()
{
    delete ui;
}

DlgDigitalSignage::OutputWidgets DlgDigitalSignage::output(int k) const
{
    switch (k) {
    case 0:
        return {ui->gboxOutput1, ui->rdbtnOp1Movies, ui->rdbtnOp1Image, ui->tbxOp1Duration, ui->rdbtnOp1Browser,
                ui->tbxOp1Url, ui->tbxOp1ContDir, ui->chbxOp1SyncNow};
    case 1:
        return {ui->gboxOutput2, ui->rdbtnOp2Movies, ui->rdbtnOp2Image, ui->tbxOp2Duration, ui->rdbtnOp2Browser,
                ui->tbxOp2Url, ui->tbxOp2ContDir, ui->chbxOp2SyncNow};
    default:
        return {ui->gboxOutput3, ui->rdbtnOp3Movies, ui->rdbtnOp3Image, ui->tbxOp3Duration, ui->rdbtnOp3Browser,
                ui->tbxOp3Url, ui->tbxOp3ContDir, ui->chbxOp3SyncNow};
    }
}

int DlgDigitalSignage::validate()
{
    QString problem;
    bool anyTicked = false;
    for (int k = 0; k < SignageOutputCount && problem.isEmpty(); ++k) {
        const OutputWidgets w = output(k);
        if (!w.box->isChecked())
            continue;
        anyTicked = true;
        const QString in = QStringLiteral("\nIn Output%1, ").arg(k + 1);
        if (w.images->isChecked()) {
            bool ok = false;
            const int seconds = w.duration->text().toInt(&ok, 10);
            if (w.duration->text().isEmpty())
                problem = in + QStringLiteral("'Display duration' field cannot be empty");
            else if (!ok || seconds < 0 || w.duration->text().startsWith(QLatin1Char('-')))
                problem = in + QStringLiteral("'Display duration' is not a valid number");
        }
        if (problem.isEmpty() && w.browser->isChecked() && w.url->text().isEmpty())
            problem = in + QStringLiteral("you must provide a valid URL for web browser");
        if (problem.isEmpty() && w.syncNow->isChecked() && w.contentDir->text().isEmpty())
            problem = in + QStringLiteral("'Content directory' cannot be empty");
    }
    if (!anyTicked)
        problem = QStringLiteral("\nYou must select at least one output");
    if (problem.isEmpty())
        return 0;
    prompter()->warning(msgParent, QStringLiteral("Invalid configuration"), problem, QMessageBox::Ok);
    return -1;
}

void DlgDigitalSignage::accept()
{
    if (validate() != 0)
        return;
    for (int k = 0; k < SignageOutputCount; ++k) {
        const OutputWidgets w = output(k);
        SignageOutput &out = outputs[size_t(k)];
        if (!w.box->isChecked()) {
            out.enabled = false;
            out.syncNow = false;
            continue;
        }
        out.enabled = true;
        out.mode = w.movies->isChecked() ? QStringLiteral("movies")
                   : w.images->isChecked() ? QStringLiteral("images")
                                           : QStringLiteral("browser");
        out.duration = w.images->isChecked() ? w.duration->text() : QString();
        out.url = w.browser->isChecked() ? w.url->text() : QString();
        *contentDirs[k] = w.contentDir->text();
        out.syncNow = w.syncNow->isChecked();
    }
    done(1);
}

void DlgDigitalSignage::reject()
{
    done(0);
}

void DlgDigitalSignage::OnOp1ImageToggled(bool on) { ui->tbxOp1Duration->setEnabled(on); }
void DlgDigitalSignage::OnOp2ImageToggled(bool on) { ui->tbxOp2Duration->setEnabled(on); }
void DlgDigitalSignage::OnOp3ImageToggled(bool on) { ui->tbxOp3Duration->setEnabled(on); }
void DlgDigitalSignage::OnOp1BrowserToggled(bool on) { ui->tbxOp1Url->setEnabled(on); }
void DlgDigitalSignage::OnOp2BrowserToggled(bool on) { ui->tbxOp2Url->setEnabled(on); }
void DlgDigitalSignage::OnOp3BrowserToggled(bool on) { ui->tbxOp3Url->setEnabled(on); }
void DlgDigitalSignage::onOp1BrowseClicked() { browseInto(0); }
void DlgDigitalSignage::onOp2BrowseClicked() { browseInto(1); }
void DlgDigitalSignage::onOp3BrowseClicked() { browseInto(2); }

void DlgDigitalSignage::browseInto(int k)
{
    QLineEdit *field = output(k).contentDir;
    const QString chosen = browseDirectory(this, field->text());
    if (!chosen.isEmpty())
        field->setText(chosen);
}

QString DlgDigitalSignage::browseDirectory(QWidget *parent, const QString &start)
{
    // The path stays as the administrator picked it: a link is not swapped for its target.
    return prompter()->existingDirectory(parent, tr("Select digital content directory"), start,
                                         QFileDialog::ShowDirsOnly | QFileDialog::DontResolveSymlinks);
}
