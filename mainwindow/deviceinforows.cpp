#include "deviceinforows.h"

#include "devicelink/thinclientinfo.h"

namespace {

bool sameWord(const QString &text, const char *word)
{
    return text.compare(QLatin1String(word), Qt::CaseInsensitive) == 0;
}

QString enabledText(bool on)
{
    return on ? QStringLiteral("Enabled") : QStringLiteral("Disabled");
}

QString detectionText(quint16 detection)
{
    switch (detection) {
    case 1: return QStringLiteral("DHCP");
    case 2: return QStringLiteral("Static");
    default: return QStringLiteral("UDP broadcast");
    }
}

QString bootModeText(quint16 mode)
{
    static const char *const names[] = {"Unknown mode", "Factory mode", "Normal mode", "Upgrade mode"};
    if (mode < sizeof names / sizeof *names)
        return QLatin1String(names[mode]);
    // A newer firmware may report a mode this console has no name for.
    return QStringLiteral("Unknown mode (%1)").arg(mode);
}

void wiredBlock(QList<DevInfoRow> &rows, const ThinclientInfo &d)
{
    if (sameWord(d.wiredMethod, "no")) {
        rows << DevInfoRow{QStringLiteral("Wired interface method"), QStringLiteral("Static")}
             << DevInfoRow{QStringLiteral("Wired interface IP"), d.ipAddress}
             << DevInfoRow{QStringLiteral("Wired interface netmask"), d.wiredNetmask}
             << DevInfoRow{QStringLiteral("Wired interface gateway"), d.wiredGateway};
        return;
    }
    const QString method = sameWord(d.wiredMethod, "yes") ? QStringLiteral("DHCP")
                                                          : QStringLiteral("DHCP with DNS override");
    rows << DevInfoRow{QStringLiteral("Wired interface method"), method}
         << DevInfoRow{QStringLiteral("Wired interface IP"), d.ipAddress};
}

void wirelessBlock(QList<DevInfoRow> &rows, const ThinclientInfo &d)
{
    if (sameWord(d.wirelessMethod, "no")) {
        rows << DevInfoRow{QStringLiteral("Wireless interface method"), QStringLiteral("STATIC")}
             << DevInfoRow{QStringLiteral("Wireless interface IP"), d.wirelessIp}
             << DevInfoRow{QStringLiteral("Wireless interface netmask"), d.wirelessNetmask}
             << DevInfoRow{QStringLiteral("Wireless interface gateway"), d.wirelessGateway}
             << DevInfoRow{QStringLiteral("Wireless interface SSID"), d.wirelessSsid}
             << DevInfoRow{QStringLiteral("Wireless interface security"), d.wirelessSecurity};
        return;
    }
    const QString method = sameWord(d.wirelessMethod, "yes") ? QStringLiteral("DHCP")
                                                             : QStringLiteral("DHCP with DNS override");
    rows << DevInfoRow{QStringLiteral("Wireless interface method"), method}
         << DevInfoRow{QStringLiteral("Wireless interface IP"), d.wirelessIp};
}

} // namespace

QList<DevInfoRow> deviceInfoRows(const ThinclientInfo &d)
{
    QList<DevInfoRow> rows;
    auto add = [&rows](const char *label, const QString &value) {
        rows << DevInfoRow{QLatin1String(label), value};
    };

    add("Firmware type", d.model);
    add("Description", d.deviceName);
    add("Mac address", d.macAddress.toUpper());
    add("Kernel-RFS version", d.firmwareVersion);
    add("Hotfix version", d.hotfixVersion);
    add("Resolution", d.resolution);
    add("Remote server", d.remoteServer);
    add("Auto reconnect", enabledText(d.autoReconnect));
    add("Auto login", enabledText(d.autoLogin));
    add("Korvane client version", d.clientVersion);
    add("Protocol type", d.protocolType.toUpper());
    add("Serial number", d.serialNumber.toUpper());
    add("Time server", d.timeServer);
    add("Timezone", d.timezone);
    add("Board hostname", d.boardHostname);
    add("Korvane server detection", detectionText(d.serverDetection));
    add("Korvane server IP", d.serverIp);
    add("Korvane server port", d.serverPort);
    add("Cmd line args", d.cmdLineArgs);
    add("Boot mode", bootModeText(d.bootMode));
    add("DNS 1", d.dns1);
    add("DNS 2", d.dns2);
    add("Domain search path", d.domainSearchPath);

    const bool wired = !sameWord(d.wiredEnabled, "no");
    add("Wired interface", enabledText(wired));
    if (wired)
        wiredBlock(rows, d);
    const bool wireless = !sameWord(d.wirelessEnabled, "no");
    add("Wireless interface", enabledText(wireless));
    if (wireless)
        wirelessBlock(rows, d);

    add("Keyboard model", d.keyboardModel);
    add("Keyboard layout", d.keyboardLayout);
    add("Keyboard variant", d.keyboardVariant);
    add("Keyboard option", d.keyboardOption);
    add("Firewall enabled", d.firewallEnabled.toUpper());
    add("Swap server", enabledText(d.swapServer));
    add("Print server", enabledText(d.printServer));
    add("Power save enabled", d.powerSaveEnabled.toUpper());
    add("PXE server enabled", d.pxeServerEnabled.toUpper());
    if (sameWord(d.pxeServerEnabled, "yes")) {
        add("PXE only", d.pxeOnly.toUpper());
        add("DHCP start", d.dhcpStart);
        add("DHCP end", d.dhcpEnd);
    }
    return rows;
}
