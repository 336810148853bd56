// The main window's keyboard command: the model, layout, variant and option
// chosen in the dialog go to the selected devices of the department shown.
#include "mainwindow/mainwindow.h"

#include "dlgkeyboardtype.h"
#include "keyboard/core/keyboardpacket.h"
#include "mainwindow/prompter.h"

void MainWindow::on_actionSet_keyboard_type_triggered()
{
    const QString title = QStringLiteral("Set keyboard type");
    // Checked-and-online is left to the send: it warns when nobody is selected.
    const QList<ThinclientInfo *> *shown = shownDepartmentDevices();
    if (!shown || shown->isEmpty()) {
        prompter()->information(this, title, QStringLiteral("No devices found! You must select at least one device"));
        return;
    }
    DlgKeyboardType dialog(this);
    if (prompter()->exec(&dialog) != QDialog::Accepted)
        return;
    if (prompter()->question(this, title,
                             QStringLiteral("\nAre you sure you want to set keyboard type on selected devices?"),
                             QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes)
        != QMessageBox::Yes)
        return;
    const QByteArray frame = KeyboardPacket::setKeyboard(dialog.choice);
    sendToSelectedDevices(frame.constData(), int(frame.size()));
}

void MainWindow::on_config_keyboard_triggered()
{
    on_actionSet_keyboard_type_triggered();
}
