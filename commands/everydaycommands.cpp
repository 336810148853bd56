#include "everydaycommands.h"

#include "commanddelivery.h"
#include "configvalidation.h"
#include "dlggettext.h"
#include "dlgsetstatus.h"
#include "commands/packets/delivery.h"
#include "commands/packets/everydaypackets.h"
#include "devicelink/thinclientinfo.h"
#include "devicelink/utils.h"
#include "mainwindow/prompter.h"

namespace EverydayCommands {

namespace {

struct BareCommandDef {
    BareCommand command;
    quint8 type;
    const char *emptyTitle;
    const char *emptyText;
    const char *questionTitle;   // null: sent without asking
    const char *questionText;
    const char *secondQuestion;  // asked after Yes to the first, same title
};

const BareCommandDef bareCommands[] = {
    {BareCommand::EnterUpgradeMode, Packets::CMD_ENTER_UPGRADE_MODE, "Enter upgrade mode",
     "No devices found! You must first select one or more devices", "Entering upgrade mode",
     "Are you sure you want to place selected devices in upgrade mode?",
     "If you enter Upgrade Mode, you cannot exit this mode until you update the firmware image using the "
     "'Update firmware image' Icon.\n\nAre you really sure you want to enter Upgrade Mode?"},
    {BareCommand::GetLogFiles, Packets::CMD_GET_LOG_FILES, "Get client logs",
     "Cannot get client log files. No devices found!", "Get client logs",
     "Are you sure you want to get log files from selected devices?", nullptr},
    {BareCommand::GetSerialNumber, Packets::CMD_GET_SERIAL_NUMBER, "Kelm Serial Number",
     "Please select one more more devices", nullptr, nullptr, nullptr},
    {BareCommand::FactoryReset, Packets::CMD_FACTORY_RESET, "Reset to factory defaults",
     "No devices found! You must select at least one device", "Reset to factory defaults",
     "Are you sure you want to set all settings to factory defaults on selected devices?", nullptr},
    {BareCommand::ExitUpgradeMode, Packets::CMD_EXIT_UPGRADE_MODE, "Exit upgrade mode",
     "\nCannot send command. No devices found!", "Exit upgrade mode",
     "\nAre you sure you want selected devices to exit upgrade mode?", nullptr},
};

struct StatusCommandDef {
    StatusCommand command;
    QByteArray (*build)(bool enabled);
    const char *emptyTitle;
    const char *emptyText;
    const char *dialogTitle;
    const char *dialogMessage;
    const char *questionTitle;
    const char *questionBefore;   // the question is before + status + after
    const char *questionAfter;
    bool warnWhenNoneSelected;    // power save writes itself and stays silent
};

const StatusCommandDef statusCommands[] = {
    {StatusCommand::Firewall, &Packets::setFirewall, "Set firewall status",
     "Cannot set firewall status. No devices found!", "Firewall setting", "Set firewall status to:",
     "Set firewall status", "Are you sure you want to set firewall status to ", " on selected devices?", true},
    {StatusCommand::LogState, &Packets::setLogState, "Set Korvane client log level",
     "\nCannot set Korvane client log level. No devices found!", "Korvane client log setting",
     "Set Korvane client log status to:", "Set Korvane client log level",
     "Are you sure you want to set Korvane client log status to ", " on selected devices?", true},
    {StatusCommand::PowerSave, &Packets::setPowerSave, "Set power save mode",
     "\nCannot set power save mode. No devices found!", "Set power save mode", "Set power save mode to:",
     "Set power save mode",
     "Power save mode can be set only on X86 based devices. Other devices will be ignored.\n\n"
     "Are you sure you want to set power save mode to ",
     " on selected devices?", false},
};

QString text(const char *s) { return QString::fromLatin1(s); }

// Empty department: says so and tells the caller to stop.
bool refuseEmpty(QWidget *parent, const DeviceList *department, const char *title, const char *message)
{
    if (department && !department->isEmpty())
        return false;
    prompter()->information(parent, text(title), text(message));
    return true;
}

bool confirmed(QWidget *parent, const QString &title, const QString &question)
{
    return prompter()->question(parent, title, question, QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes)
        == QMessageBox::Yes;
}

bool send(QWidget *parent, const DeviceList *department, const QByteArray &frame)
{
    return CommandDelivery::sendToSelectedDevices(parent, department, frame) == 0;
}

QString rebootQuestion(const ThinclientInfo *device, const char *role)
{
    return QStringLiteral("The ") + Utils::oneLine(device->model) + QStringLiteral(" device named: \n\n")
        + Utils::oneLine(device->deviceName) + QStringLiteral("\n\nis also acting as a ") + text(role);
}

} // namespace

bool runBareCommand(QWidget *parent, BareCommand command, const DeviceList *department)
{
    const BareCommandDef *def = nullptr;
    for (const BareCommandDef &d : bareCommands)
        if (d.command == command)
            def = &d;
    if (!def || refuseEmpty(parent, department, def->emptyTitle, def->emptyText))
        return false;
    if (def->questionTitle) {
        if (!confirmed(parent, text(def->questionTitle), text(def->questionText)))
            return false;
        if (def->secondQuestion && !confirmed(parent, text(def->questionTitle), text(def->secondQuestion)))
            return false;
    }
    return send(parent, department, Packets::bareCommand(def->type));
}

bool rebootDevices(QWidget *parent, const DeviceList *department)
{
    if (refuseEmpty(parent, department, "Reboot device", "\nCannot reboot devices. No devices found!"))
        return false;
    if (!confirmed(parent, QStringLiteral("Rebooting devices"),
                   QStringLiteral("Are you sure you want to reboot selected devices?")))
        return false;
    const QByteArray frame = Packets::reboot();
    const QString title = QStringLiteral("Reboot device");
    // A copy: devices register and drop while a question is open, and the
    // department's list may change with them.
    const DeviceList devices = department ? *department : DeviceList();
    int reached = 0;
    for (ThinclientInfo *device : devices) {
        if (!Delivery::isSelected(device))
            continue;
        if (device->printServer
            && !confirmed(parent, title,
                          rebootQuestion(device, "print server. Rebooting this device may abort any print jobs "
                                                 "that are underway. \n\nAre you sure you want to reboot this "
                                                 "device?")))
            continue;
        // Asked only while the device is still there to reboot.
        if (device->swapServer && Delivery::isSelected(device)
            && !confirmed(parent, title,
                          rebootQuestion(device, "swap server. Rebooting this device may cause data loss. \n\n"
                                                 "Are you sure you want to reboot this device?")))
            continue;
        if (Delivery::writeIfReachable(device, frame))
            ++reached;
    }
    return reached > 0;
}

bool setDeviceName(QWidget *parent, const DeviceList *department)
{
    const QString title = QStringLiteral("Change device name");
    if (refuseEmpty(parent, department, "Change device name", "\nCannot change device name. No devices found!"))
        return false;
    QString name;
    DlgGetText dialog(parent, QStringLiteral("Enter device name"), &name);
    prompter()->exec(&dialog);
    if (name.isEmpty())
        return false;
    // Latin-1 would send "?" for the rest: the devices would take another
    // name than the one asked, and names of other scripts would all collide.
    if (!Utils::holdsOnWire(name)) {
        showRefusal(parent, unsendableRefusal(title));
        return false;
    }
    if (!confirmed(parent, QStringLiteral("Setting device name"),
                   QStringLiteral("Are you sure you want to set the device name on selected devices to ") + name
                       + QStringLiteral(" ?")))
        return false;
    const QByteArray frame = Packets::setName(name);
    if (frame.isEmpty()) {
        prompter()->warning(parent, title, QStringLiteral("\nThe device name is too long to send."));
        return false;
    }
    return send(parent, department, frame);
}

bool setConfigPassword(QWidget *parent, const DeviceList *department)
{
    const QString title = QStringLiteral("Set hvconfig password");
    if (refuseEmpty(parent, department, "Set hvconfig password", "Cannot set hvconfig password. No devices found!"))
        return false;
    QString password;
    DlgGetText dialog(parent, QStringLiteral("Enter hvconfig password"), &password);
    prompter()->exec(&dialog);
    if (password.isEmpty())
        return false;
    if (password.size() < Packets::MinConfigPasswordLength) {
        prompter()->information(parent, title, QStringLiteral("\nPassword must be at least 6 characters long!"));
        return false;
    }
    // Only its Latin-1 bytes are digested, "?" for anything else: every
    // password of six Cyrillic letters would set the same one.
    if (!Utils::holdsOnWire(password)) {
        const Refusal refusal = unsendableRefusal(title);
        prompter()->information(parent, refusal.title, refusal.text);
        return false;
    }
    // One pasted with the line break after it would set a password that
    // nobody can type at the device, and lock its configuration tool.
    if (Utils::holdsControl(password)) {
        prompter()->information(parent, title,
                                QStringLiteral("\nPassword cannot hold line breaks or other control characters!"));
        return false;
    }
    if (!confirmed(parent, QStringLiteral("Set olrconfig password"),
                   QStringLiteral("Are you sure you want to set hvconfig password on selected devices?")))
        return false;
    return send(parent, department, Packets::setConfigPassword(password));
}

bool setStatus(QWidget *parent, StatusCommand command, const DeviceList *department)
{
    const StatusCommandDef *def = nullptr;
    for (const StatusCommandDef &d : statusCommands)
        if (d.command == command)
            def = &d;
    if (!def || refuseEmpty(parent, department, def->emptyTitle, def->emptyText))
        return false;
    DlgSetStatus dialog(parent, text(def->dialogTitle), text(def->dialogMessage));
    if (prompter()->exec(&dialog) != 1)
        return false;
    if (!confirmed(parent, text(def->questionTitle),
                   text(def->questionBefore) + dialog.status + text(def->questionAfter)))
        return false;
    const QByteArray frame = def->build(Packets::statusIsEnabled(dialog.status));
    if (!def->warnWhenNoneSelected)
        return Delivery::writeToSelected(department, frame) > 0;
    return send(parent, department, frame);
}

} // namespace EverydayCommands
