// The main window's entry to configuration profiles.
#include "mainwindow/mainwindow.h"

#include "dlgprofilemanager.h"
#include "mainwindow/prompter.h"

#include <QSettings>

void MainWindow::on_actionProfileManager_triggered()
{
    // No directory set: an empty list, and the editor cannot save.
    DlgProfileManager manager(this, settings->value(QStringLiteral("profileDir")).toString());
    prompter()->exec(&manager);
}
