#include "dlgdsisync.h"
#include "ui_dlgdsisync.h"

#include "mainwindow/prompter.h"

DlgDsiSync::DlgDsiSync(QWidget *parent, QString *dir1, QString *dir2, QString *dir3)
    : QDialog(parent), ui(new Ui::DlgDsiSync), owner(parent), dir1(dir1), dir2(dir2), dir3(dir3)
{
    ui->setupUi(this);
    ui->tbxOp1ContDir->setText(dir1 ? *dir1 : QString());
    ui->tbxOp2ContDir->setText(dir2 ? *dir2 : QString());
    ui->tbxOp3ContDir->setText(dir3 ? *dir3 : QString());
    connect(ui->btnOp1Browse, &QPushButton::clicked, this, &DlgDsiSync::onBrowse1Clicked);
    connect(ui->btnOp2Browse, &QPushButton::clicked, this, &DlgDsiSync::onBrowse2Clicked);
    connect(ui->btnOp3Browse, &QPushButton::clicked, this, &DlgDsiSync::onBrowse3Clicked);
}

DlgDsiSync::~DlgDsiSync()
{
    delete ui;
}

QString DlgDsiSync::browseDirectory(const QString &start)
{
    // The path stays as the administrator picked it: a link is not swapped for its target.
    return prompter()->existingDirectory(this, tr("Select digital content directory"), start,
                                         QFileDialog::ShowDirsOnly | QFileDialog::DontResolveSymlinks);
}

void DlgDsiSync::browseInto(QLineEdit *edit)
{
    const QString chosen = browseDirectory(edit->text());
    if (!chosen.isEmpty())
        edit->setText(chosen);
}

void DlgDsiSync::onBrowse1Clicked()
{
    browseInto(ui->tbxOp1ContDir);
}

void DlgDsiSync::onBrowse2Clicked()
{
    browseInto(ui->tbxOp2ContDir);
}

void DlgDsiSync::onBrowse3Clicked()
{
    browseInto(ui->tbxOp3ContDir);
}

void DlgDsiSync::accept()
{
    const struct {
        QLineEdit *dir;
        QCheckBox *sync;
    } outputs[] = {
        {ui->tbxOp1ContDir, ui->chbxOp1SyncNow},
        {ui->tbxOp2ContDir, ui->chbxOp2SyncNow},
        {ui->tbxOp3ContDir, ui->chbxOp3SyncNow},
    };
    for (int i = 0; i < 3; ++i) {
        if (outputs[i].sync->isChecked() && outputs[i].dir->text().isEmpty()) {
            prompter()->warning(owner, QStringLiteral("Cannot sync Output-%1 content").arg(i + 1),
                                QStringLiteral("\nYou must specify a directory for Output-%1 content").arg(i + 1));
            return;
        }
    }
    // Unchecked outputs keep their directory too: it is stored for next time.
    QString *const targets[] = {dir1, dir2, dir3};
    for (int i = 0; i < 3; ++i) {
        if (targets[i])
            *targets[i] = outputs[i].dir->text();
    }
    sync1 = ui->chbxOp1SyncNow->isChecked();
    sync2 = ui->chbxOp2SyncNow->isChecked();
    sync3 = ui->chbxOp3SyncNow->isChecked();
    done(1);
}

void DlgDsiSync::reject()
{
    done(0);
}
