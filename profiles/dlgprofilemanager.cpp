#include "dlgprofilemanager.h"
#include "ui_dlgprofilemanager.h"

#include "devicelink/utils.h"
#include "dlgprofileeditor.h"
#include "mainwindow/prompter.h"
#include "profiles/core/profile.h"

#include <QFile>
#include <QFileInfo>

DlgProfileManager::DlgProfileManager(QWidget *parent, const QString &dir)
    : QDialog(parent), ui(new Ui::DlgProfileManager), dir(dir)
{
    ui->setupUi(this);
    connectSignals();
}

DlgProfileManager::~DlgProfileManager()
{
    delete ui;
}

void DlgProfileManager::connectSignals()
{
    connect(ui->listWidget, &QListWidget::doubleClicked, this, &DlgProfileManager::onDoubleClicked);
    connect(ui->listWidget, &QListWidget::currentItemChanged, this, &DlgProfileManager::onCurrentItemChanged);
    connect(ui->btnNewProfile, &QPushButton::clicked, this, &DlgProfileManager::onNewProfileClicked);
    connect(ui->btnEditProfile, &QPushButton::clicked, this, &DlgProfileManager::onEditProfileClicked);
    connect(ui->btnDeleteProfile, &QPushButton::clicked, this, &DlgProfileManager::onDeleteProfileClicked);
    connect(ui->btnCloneProfile, &QPushButton::clicked, this, &DlgProfileManager::onCloneProfileClicked);
    connect(ui->btnClose, &QPushButton::clicked, this, &DlgProfileManager::onCloseClicked);
    refreshList();
}

void DlgProfileManager::refreshList()
{
    ui->listWidget->clear();
    QStringList files;
    Utils::listFiles(&files, dir, QStringLiteral("*.prf"));
    for (const QString &path : files) {
        auto *item = new QListWidgetItem(QFileInfo(path).completeBaseName(), ui->listWidget);
        item->setData(Qt::UserRole, path);
    }
    currentItem = nullptr;
    ui->listWidget->setCurrentRow(0);
}

void DlgProfileManager::onDoubleClicked(const QModelIndex &)
{
    // The click has made the row current already.
    onEditProfileClicked();
}

void DlgProfileManager::onCurrentItemChanged(QListWidgetItem *current, QListWidgetItem *)
{
    currentItem = current;
}

void DlgProfileManager::onNewProfileClicked()
{
    Profile profile(dir);
    DlgProfileEditor editor(this, dir, &profile, false);
    if (prompter()->exec(&editor) == 1)
        refreshList();
}

void DlgProfileManager::openSelected(bool editMode, const QString &title, const QString &noSelectionText)
{
    if (!currentItem) {
        prompter()->warning(this, title, noSelectionText, QMessageBox::Ok);
        return;
    }
    const QString path = currentItem->data(Qt::UserRole).toString();
    Profile profile(dir);
    if (!profile.load(QFileInfo(path).completeBaseName() + QStringLiteral(".prf"))) {
        prompter()->warning(this, title, QStringLiteral("\nError loading profile information from disk"),
                            QMessageBox::Ok);
        return;
    }
    DlgProfileEditor editor(this, dir, &profile, editMode);
    prompter()->exec(&editor);
    // A cancelled editor may still have renamed the file.
    refreshList();
}

void DlgProfileManager::onEditProfileClicked()
{
    openSelected(true, QStringLiteral("Edit profile"), QStringLiteral("\nPlease select a profile to edit!"));
}

void DlgProfileManager::onCloneProfileClicked()
{
    openSelected(false, QStringLiteral("Clone profile"), QStringLiteral("\nPlease select a profile to clone!"));
}

void DlgProfileManager::onDeleteProfileClicked()
{
    const QString title = QStringLiteral("Delete profile");
    if (!currentItem) {
        prompter()->warning(this, title, QStringLiteral("\nPlease select a profile to delete!"), QMessageBox::Ok);
        return;
    }
    const QString path = currentItem->data(Qt::UserRole).toString();
    // The name is the file's, which may have come from anywhere: it adds no
    // lines to the question.
    const QString text = QStringLiteral("\nAre you sure you want to delete profile:\n\n")
        + Utils::oneLine(QFileInfo(path).completeBaseName()) + QStringLiteral("\n\nThis action cannot be undone!");
    if (prompter()->question(this, title, text, QMessageBox::Yes | QMessageBox::No, QMessageBox::No)
        != QMessageBox::Yes)
        return;
    if (!QFile::remove(path)) {
        prompter()->warning(this, title, QStringLiteral("\nFailed to delete selected profile"), QMessageBox::Ok);
        return;
    }
    refreshList();
}

void DlgProfileManager::onCloseClicked()
{
    done(0);
}
