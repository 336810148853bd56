#include "configvalidation.h"

#include "devicelink/utils.h"
#include "mainwindow/prompter.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>

using namespace ConfigPackets;

bool showRefusal(QWidget *parent, const Refusal &refusal)
{
    switch (refusal.kind) {
    case Refusal::None:
        return false;
    case Refusal::Silent:
        break;
    case Refusal::Warning:
        prompter()->warning(parent, refusal.title, refusal.text, QMessageBox::Ok);
        break;
    case Refusal::Information:
        prompter()->information(parent, refusal.title, refusal.text, QMessageBox::Ok);
        break;
    }
    return true;
}

Refusal oversizeRefusal(const QString &title)
{
    return Refusal::warning(title, QStringLiteral("\nThe values entered are too long to send."));
}

Refusal unsendableRefusal(const QString &title)
{
    return Refusal::warning(title,
                            QStringLiteral("\nThe values entered hold characters that cannot be sent to devices."));
}

// ---- Network configuration --------------------------------------------------

static const QString nicTitle = QStringLiteral("Input validation");

static bool allValid(std::initializer_list<const QString *> addresses)
{
    for (const QString *a : addresses)
        if (!Utils::isValidIPv4(*a))
            return false;
    return true;
}

static bool anyEmpty(std::initializer_list<const QString *> texts)
{
    for (const QString *t : texts)
        if (t->isEmpty())
            return true;
    return false;
}

// The DNS check shared by both groups: DNS 1 is required, DNS 2 optional.
static Refusal checkDns(const NicForm &form, NicSettings *out)
{
    if (form.dns1.isEmpty())
        return Refusal::warning(nicTitle, QStringLiteral("You must enter a value for DNS1"));
    if (!Utils::isValidIPv4(form.dns1))
        return Refusal::warning(nicTitle, QStringLiteral("\nYou entered an invalid IP address for DNS1"));
    out->dns1 = form.dns1;
    if (form.dns2.isEmpty())
        return Refusal();
    if (!Utils::isValidIPv4(form.dns2))
        return Refusal::warning(nicTitle, QStringLiteral("\nYou entered an invalid IP address for DNS2"));
    out->dns2 = form.dns2;
    return Refusal();
}

Refusal validateNicForm(const NicForm &form, NicSettings *out)
{
    NicSettings s;
    s.domainSearchPath = form.domainSearchPath;
    s.hostname = form.hostname;

    if (form.wiredChecked) {
        if (form.wiredMethod == 0) {
            if (anyEmpty({&form.wiredIp, &form.wiredNetmask, &form.wiredGateway, &form.dns1}))
                return Refusal::warning(nicTitle, QStringLiteral("On wired network, you must enter values for IP, "
                                                                 "Netmask, Gateway and DNS1"));
            if (!allValid({&form.wiredIp, &form.wiredNetmask, &form.wiredGateway}))
                return Refusal::warning(nicTitle,
                                        QStringLiteral("\nYou entered an invalid IP address on wired network"));
        }
        if (form.wiredMethod == 0 || form.wiredMethod == 2) {
            const Refusal dns = checkDns(form, &s);
            if (dns.refused())
                return dns;
        }
        s.wiredEnabled = QStringLiteral("Yes");
        s.wiredMethod = nicMethodText(form.wiredMethod);
        s.wiredIp = form.wiredIp;
        s.wiredNetmask = form.wiredNetmask;
        s.wiredGateway = form.wiredGateway;
    } else {
        s.wiredEnabled = QStringLiteral("No");
    }

    if (form.wirelessChecked) {
        if (form.wirelessMethod == 0) {
            if (anyEmpty({&form.wirelessIp, &form.wirelessNetmask, &form.wirelessGateway}))
                return Refusal::warning(nicTitle, QStringLiteral("On wireless network, you must enter values for "
                                                                 "IP, Netmask, Gateway and DNS1"));
            if (!allValid({&form.wirelessIp, &form.wirelessNetmask, &form.wirelessGateway}))
                return Refusal::warning(nicTitle, QStringLiteral("You entered an invalid value for IP, Netmask, "
                                                                 "Gateway or DNS1 on wireless network"));
        }
        if (form.wirelessMethod == 0 || form.wirelessMethod == 2) {
            const Refusal dns = checkDns(form, &s);
            if (dns.refused())
                return dns;
        }
        if (form.wirelessSsid.isEmpty())
            return Refusal::warning(nicTitle, QStringLiteral("\nYou must enter a value for wireless SSID"));
        if (form.wirelessPassword.isEmpty())
            return Refusal::warning(nicTitle, QStringLiteral("\nYou must enter a value for wireless password"));
        if (!form.showPassword) {
            if (form.wirelessPasswordConfirm.isEmpty())
                return Refusal::warning(
                    nicTitle, QStringLiteral("\nYou must enter a confirmation password for wireless network"));
            if (form.wirelessPasswordConfirm != form.wirelessPassword)
                return Refusal::warning(nicTitle, QStringLiteral("\nThe two wireless passwords do not match!"));
        }
        s.wirelessEnabled = QStringLiteral("Yes");
        s.wirelessMethod = nicMethodText(form.wirelessMethod);
        s.wirelessIp = form.wirelessIp;
        s.wirelessNetmask = form.wirelessNetmask;
        s.wirelessGateway = form.wirelessGateway;
        s.wirelessSsid = form.wirelessSsid;
        s.wirelessPassword = form.wirelessPassword;
        s.wirelessSecurity = QStringLiteral("Wpa2_personal");
    } else {
        s.wirelessEnabled = QStringLiteral("No");
    }

    // Latin-1 would send "?" for the rest, and a line break goes out as part
    // of the text: the device would look for another network, with another
    // pass-phrase, and be lost to the console.
    const QStringList texts{s.domainSearchPath, s.hostname, s.dns1, s.dns2, s.wiredIp, s.wiredNetmask,
                            s.wiredGateway, s.wirelessIp, s.wirelessNetmask, s.wirelessGateway,
                            s.wirelessSsid, s.wirelessPassword};
    if (!Utils::sendsAsTyped(texts))
        return unsendableRefusal(nicTitle);

    *out = s;
    return Refusal();
}

// ---- Management-server identification ---------------------------------------

Refusal validateServerIdentification(bool staticChosen, const QString &address, const QString &port,
                                     ServerIdentification *out)
{
    ServerIdentification id;
    if (staticChosen) {
        if (address.isEmpty() || port.isEmpty())
            return Refusal::warning(QStringLiteral("Validating entries"),
                                    QStringLiteral("You must enter values for IP address and port"));
        // The devices then look for the console at this port alone and no
        // longer listen for its datagrams: a port they cannot connect to
        // loses them until someone sets them up again at the device.
        if (!Utils::isPlainNumber(port, 1, 65535))
            return Refusal::warning(QStringLiteral("Validating entries"),
                                    QStringLiteral("You must enter a port number from 1 to 65535"));
        // No host name or address holds a blank or a control character: one
        // pasted with a blank or a line break at its end would send them to
        // look for a host that is nowhere, as a wrong port would; and digits
        // and dots that make no IPv4 address send them to another address.
        const bool blank = std::any_of(address.cbegin(), address.cend(), [](QChar c) { return c.isSpace(); });
        if (blank || Utils::holdsControl(address) || Utils::isMisreadAddress(address))
            return Refusal::warning(QStringLiteral("Validating entries"),
                                    QStringLiteral("You entered an invalid host name or IP address"));
        if (!Utils::holdsOnWire(address))
            return unsendableRefusal(QStringLiteral("Validating entries"));
        id.mode = DetectStatic;
        id.address = address;
        id.port = port;
    } else {
        id.mode = DetectByBroadcast;
    }
    *out = id;
    return Refusal();
}

// ---- Cloud-print and gateway credentials --------------------------------------

Refusal validateCloudPrint(const CredentialsForm &form, CloudPrintCredentials *out)
{
    const QString title = QStringLiteral("Validating credentials");
    CloudPrintCredentials c;
    if (form.enabled) {
        if (form.userId.isEmpty())
            return Refusal::warning(title, QStringLiteral("\nYou must enter a value for User ID"));
        if (form.password.isEmpty())
            return Refusal::warning(title, QStringLiteral("\nYou must enter a value for Password"));
        // An empty confirmation is simply one that does not match.
        if (!form.showPassword && form.confirmation != form.password)
            return Refusal::warning(title, QStringLiteral("\nPasswords do not match"));
        if (!Utils::sendsAsTyped(QStringList{form.userId, form.password}))
            return unsendableRefusal(title);
        c.enabled = true;
        c.userId = form.userId;
        c.password = form.password;
    }
    *out = c;
    return Refusal();
}

Refusal validateGateway(const CredentialsForm &form, GatewayCredentials *out)
{
    const QString title = QStringLiteral("Input validation");
    GatewayCredentials c;
    if (form.enabled) {
        if (form.hostname.isEmpty())
            return Refusal::warning(title, QStringLiteral("\nHostname field cannot be empty"));
        if (form.userId.isEmpty())
            return Refusal::warning(title, QStringLiteral("\nUser ID field cannot be empty"));
        if (form.password.isEmpty())
            return Refusal::warning(title, QStringLiteral("\nPassword field cannot be empty"));
        if (!form.showPassword) {
            if (form.confirmation.isEmpty())
                return Refusal::warning(title, QStringLiteral("\nConfirm Password field cannot be empty"));
            if (form.confirmation != form.password)
                return Refusal::warning(title, QStringLiteral("\nThe two passwords do not match each other"));
        }
        if (!Utils::sendsAsTyped(QStringList{form.hostname, form.userId, form.password}))
            return unsendableRefusal(title);
        c.enabled = true;
        c.hostname = form.hostname;
        c.userId = form.userId;
        c.password = form.password;
    }
    *out = c;
    return Refusal();
}

// ---- File install -----------------------------------------------------------

Refusal validateInstallFile(quint8 installType, const QString &path, InstallChoice *out)
{
    if (installType < InstallSslCertificate || installType > InstallPngImage)
        return Refusal::silent();
    if (path.isEmpty())
        return Refusal::silent();
    const QString quoted = QStringLiteral("File\n\n") + path;
    if (!QFile::exists(path))
        return Refusal::warning(QStringLiteral("File not found"), quoted + QStringLiteral("\n\nnot found!"));
    const QFileInfo info(path);
    if (info.isDir() || info.isSymLink())
        return Refusal::information(QStringLiteral("Validating file"),
                                    quoted + QStringLiteral("\n\nis not a valid file"));
    const qint64 size = info.size();
    if (size == 0)
        return Refusal::warning(QStringLiteral("Validating file size"),
                                quoted + QStringLiteral("\n\nis empty and does not contain any data"));
    if (size > MaxInstallFileSize)
        return Refusal::warning(QStringLiteral("Validating file size"),
                                quoted + QStringLiteral("\n\nis too large (max 2MB allowed)"));
    // The devices get the name alone, and keep the file under it.
    if (!Utils::holdsOnWire(info.fileName()))
        return unsendableRefusal(QStringLiteral("Validating file"));
    out->installType = installType;
    out->filePath = path;
    out->fileName = info.fileName();
    out->fileSize = size;
    return Refusal();
}

QString installBrowseCaption(quint8 installType)
{
    static const char *const captions[] = {"Select SSL certificate", "Select PPD file", "Select SSH key",
                                           "Select PNG image"};
    if (installType < InstallSslCertificate || installType > InstallPngImage)
        return QString();
    return QString::fromLatin1(captions[installType - 1]);
}

Refusal installBrowseRefusal()
{
    return Refusal::warning(QStringLiteral("File browser"), QStringLiteral("\nPlease select an installation type"));
}

Refusal installReadRefusal(FileReadResult result, const QString &path)
{
    const QString title = QStringLiteral("Install file on device");
    switch (result) {
    case FileReadResult::Ok:
        break;
    case FileReadResult::OpenFailed:
        return Refusal::information(title, QStringLiteral("Error opening file\n\n") + path);
    case FileReadResult::ReadFailed:
        return Refusal::information(title, QStringLiteral("Error reading from file\n\n") + path);
    }
    return Refusal();
}

// ---- PXE server -------------------------------------------------------------

Refusal validatePxeForm(const PxeForm &form, PxeConfig *out)
{
    PxeConfig c;
    if (!form.enabled) {
        *out = c;
        return Refusal();
    }
    const QString title = QStringLiteral("Invalid IP address");
    struct Pair {
        const QString *filled;
        const QString *missing;
        const char *text;
    };
    const Pair pairs[] = {
        {&form.subnet, &form.netmask, "\nYou must enter a value for Netmask"},
        {&form.netmask, &form.subnet, "\nYou must enter a value for Subnet"},
        {&form.dhcpStart, &form.dhcpEnd, "\nYou must enter a value for DHCP range end"},
        {&form.dhcpEnd, &form.dhcpStart, "\nYou must enter a value for DHCP range start"},
    };
    for (const Pair &p : pairs)
        if (!p.filled->isEmpty() && p.missing->isEmpty())
            return Refusal::warning(title, QString::fromLatin1(p.text));

    struct Field {
        const QString *value;
        const char *name;
    };
    const Field fields[] = {
        {&form.subnet, "Subnet"},
        {&form.netmask, "Netmask"},
        {&form.dhcpStart, "DHCP range start"},
        {&form.dhcpEnd, "DHCP range end"},
    };
    for (const Field &f : fields)
        if (!f.value->isEmpty() && !Utils::isValidIPv4(*f.value))
            return Refusal::warning(title, QStringLiteral("\nThe '%1' IP address is not valid")
                                               .arg(QLatin1String(f.name)));

    if (!form.dhcpStart.isEmpty() && !form.dhcpEnd.isEmpty()
        && Utils::ipv4ToUInt(form.dhcpEnd) <= Utils::ipv4ToUInt(form.dhcpStart))
        return Refusal::warning(QStringLiteral("Invalid IP range"),
                                QStringLiteral("\nThe DHCP 'end' address cannot be less than or equal to the "
                                               "'start' address"));

    c.enabled = true;
    c.spareFlag = 0;
    c.pxeOnly = form.pxeOnly;
    c.subnet = form.subnet;
    c.netmask = form.netmask;
    c.dhcpStart = form.dhcpStart;
    c.dhcpEnd = form.dhcpEnd;
    *out = c;
    return Refusal();
}

// ---- USB redirection ----------------------------------------------------------

QString usbEntryId(const QString &entry)
{
    return entry.trimmed().mid(3, 9);
}

QString usbEntryDescription(const QString &entry)
{
    return entry.trimmed().mid(13);
}

QStringList usbChosenIds(const QStringList &ids, const QList<bool> &checked)
{
    QStringList chosen;
    for (int i = 0; i < ids.size() && i < checked.size(); ++i)
        if (checked.at(i))
            chosen << QString(ids.at(i)).replace(QLatin1Char(':'), QLatin1Char('_'));
    return chosen;
}

// ---- The slots' own boxes -----------------------------------------------------

const CommandPrompts &commandPrompts(ConfigCommand command)
{
    // Indexed by ConfigCommand.
    static const CommandPrompts table[] = {
        {"Configure networks", "No devices found! You must select at least one device!",
         "Configure networks", "Multiple devices selected. Please select just one device",
         "Configuring networks", "Are you sure you want to configure network on selected device?"},
        {"Korvane server configuration", "\nNo devices selected! You must select at least one device",
         nullptr, nullptr,
         "Korvane server identification",
         "Are you sure you want to set Korvane server identification on selected devices?"},
        {"Configure Google Cloud Print", "\nCannot configure Google Cloud Print. No devices found!",
         nullptr, nullptr,
         "Configure Google Cloud Print", "Are you sure you want to configure Google Cloud Print on selected devices?"},
        {"Configure terminal services gateway", "\nCannot configure Terminal services gateway. No devices found!",
         nullptr, nullptr,
         "Configure terminal services gateway",
         "Are you sure you want to configure terminal services gateway on selected devices?"},
        {"Setup USB redirection", "\nCannot setup USB redirection. No devices found!",
         "Setup USB redirection", "\nMultiple devices selected. Please select just one device",
         nullptr, nullptr},
        {"USB redirection", "Cannot configure USB redirection. No devices selected!",
         "USB redirection", "Multiple thinclient devices selected. Please select just one thinclient device",
         nullptr, nullptr},
        {"Install file on device", "\nCannot install file on device. No devices found!",
         nullptr, nullptr,
         "Install file on device", "Are you sure you want to install file on selected devices?"},
        {"Set PXE server configuration", "\nCannot set PXE server configuration. No devices found!",
         nullptr, nullptr,
         "Set PXE server configuration",
         "Are you sure you want to send PXE server configuration command to selected devices?"},
    };
    static_assert(sizeof table / sizeof table[0] == int(ConfigCommand::Pxe) + 1, "one row per command");
    return table[int(command)];
}
