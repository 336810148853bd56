#ifndef CONFIGVALIDATION_H
#define CONFIGVALIDATION_H

#include "commands/packets/configpackets.h"

#include <QList>
#include <QString>
#include <QStringList>

class QWidget;

// Why a dialog refuses its entries: nothing (accepted), silently, or with a
// warning or information box of the given title and text.
struct Refusal {
    enum Kind { None, Silent, Warning, Information };
    Kind kind = None;
    QString title;
    QString text;

    bool refused() const { return kind != None; }
    static Refusal silent() { return {Silent, QString(), QString()}; }
    static Refusal warning(const QString &title, const QString &text) { return {Warning, title, text}; }
    static Refusal information(const QString &title, const QString &text) { return {Information, title, text}; }
};

// Shows the refusal's box (Ok button) through the prompter, parented to the
// dialog; returns whether the entries were refused.
bool showRefusal(QWidget *parent, const Refusal &refusal);

// What a command slot shows when a builder refused the values (texts too long
// to be sent): nothing is sent after it.
Refusal oversizeRefusal(const QString &title);

// Texts travel in Latin-1, which sends "?" for any other character: a
// password, address or name so changed would set the devices up wrongly.
Refusal unsendableRefusal(const QString &title);

// ---- Network configuration ------------------------------------------------

// What the network dialog holds when OK is pressed.
struct NicForm {
    bool wiredChecked = true;
    int wiredMethod = 1;          // 0 Static, 1 DHCP, 2 DHCP with DNS override
    QString wiredIp;
    QString wiredNetmask;
    QString wiredGateway;
    bool wirelessChecked = true;
    int wirelessMethod = 1;
    QString wirelessIp;
    QString wirelessNetmask;
    QString wirelessGateway;
    QString wirelessSsid;
    QString wirelessPassword;
    QString wirelessPasswordConfirm;
    bool showPassword = false;
    QString dns1;
    QString dns2;
    QString domainSearchPath;
    QString hostname;
};

// Checks in the dialog's order; on success fills *out from this form alone,
// so DNS values of an earlier, refused attempt never reach the message.
Refusal validateNicForm(const NicForm &form, ConfigPackets::NicSettings *out);

// ---- Management-server identification -------------------------------------

Refusal validateServerIdentification(bool staticChosen, const QString &address, const QString &port,
                                     ConfigPackets::ServerIdentification *out);

// ---- Cloud-print and gateway credentials -----------------------------------

struct CredentialsForm {
    bool enabled = true;
    QString hostname;      // gateway only
    QString userId;
    QString password;
    QString confirmation;
    bool showPassword = false;
};

Refusal validateCloudPrint(const CredentialsForm &form, ConfigPackets::CloudPrintCredentials *out);
Refusal validateGateway(const CredentialsForm &form, ConfigPackets::GatewayCredentials *out);

// ---- File install -----------------------------------------------------------

struct InstallChoice {
    quint8 installType = 0;
    QString filePath;
    QString fileName;
    qint64 fileSize = 0;
};

// installType 0 means no kind chosen.
Refusal validateInstallFile(quint8 installType, const QString &path, InstallChoice *out);
// The file chooser's caption for a kind, or an empty text for none.
QString installBrowseCaption(quint8 installType);
Refusal installBrowseRefusal();
// The slot's box when the chosen file cannot be read whole.
Refusal installReadRefusal(ConfigPackets::FileReadResult result, const QString &path);

// ---- PXE server -------------------------------------------------------------

struct PxeForm {
    bool enabled = true;
    bool pxeOnly = true;
    QString subnet;
    QString netmask;
    QString dhcpStart;
    QString dhcpEnd;
};

Refusal validatePxeForm(const PxeForm &form, ConfigPackets::PxeConfig *out);

// ---- USB redirection ----------------------------------------------------------

// A device's USB entry, once trimmed: characters 3 to 11 are its ID,
// everything from character 13 its description.
QString usbEntryId(const QString &entry);
QString usbEntryDescription(const QString &entry);
// The IDs of the checked rows, in row order, with ":" turned into "_".
QStringList usbChosenIds(const QStringList &ids, const QList<bool> &checked);

// ---- The slots' own boxes -----------------------------------------------------

enum class ConfigCommand { Network, ServerIdentification, CloudPrint, Gateway, UsbRequest, UsbReply, Install, Pxe };

// Texts a command slot shows: when the department shown has no device, when
// more than one device is selected (single-device commands), and its
// confirmation question. Unused entries are null.
struct CommandPrompts {
    const char *emptyTitle;
    const char *emptyText;
    const char *multipleTitle;
    const char *multipleText;
    const char *questionTitle;
    const char *questionText;
};
const CommandPrompts &commandPrompts(ConfigCommand command);

#endif // CONFIGVALIDATION_H
