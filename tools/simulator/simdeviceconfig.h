#ifndef SIMDEVICECONFIG_H
#define SIMDEVICECONFIG_H

#include <QList>
#include <QString>

#include "devicelink/thinclientinfo.h"

// One display mode as a device reports it: the same six texts the console keeps.
using SimDisplayMode = EdidInfo;

// Everything a simulated device says about itself in its registration, and
// how it registers.
struct SimDeviceConfig {
    QString model = QStringLiteral("ORL K1");
    QString deviceName;
    QString ipAddress;
    QString macAddress;
    QString serialNumber;
    QString firmwareVersion = QStringLiteral("4.2.1");
    QString hotfixVersion = QStringLiteral("hf-3");
    QString clientVersion = QStringLiteral("7.1.0");
    QString resolution = QStringLiteral("1920x1080");
    QString remoteServer;
    QString protocolType = QStringLiteral("rdp");
    QString protocolDefault = QStringLiteral("rdp");
    QString cmdLineArgs;
    QString extraText1;
    QString extraText2;
    QString extraText3;
    QString timeServer = QStringLiteral("pool.ntp.example");
    QString boardHostname;
    QString timezone = QStringLiteral("Europe/Oslo");
    QString serverIp;
    QString serverPort;
    QString dns1;
    QString dns2;
    QString domainSearchPath;
    QString wiredEnabled = QStringLiteral("yes");
    QString wiredMethod = QStringLiteral("dhcp");
    QString wiredNetmask = QStringLiteral("255.255.255.0");
    QString wiredGateway;
    QString wirelessEnabled = QStringLiteral("no");
    QString wirelessMethod;
    QString wirelessIp;
    QString wirelessNetmask;
    QString wirelessGateway;
    QString wirelessSsid;
    QString wirelessSecurity;
    QString keyboardModel = QStringLiteral("pc105");
    QString keyboardLayout = QStringLiteral("no");
    QString keyboardVariant;
    QString keyboardOption;
    QString firewallEnabled = QStringLiteral("No");
    QString powerSaveEnabled = QStringLiteral("No");
    QString pxeServerEnabled = QStringLiteral("No");
    QString pxeOnly = QStringLiteral("No");
    QString dhcpStart;
    QString dhcpEnd;
    quint16 bootMode = 0;
    quint16 serverDetection = 0;
    bool autoLogin = false;
    bool autoReconnect = false;
    bool swapServer = false;
    bool printServer = false;
    QList<SimDisplayMode> displayModes;

    int registrationVersion = 2;   // 1 or 2
    quint8 subCode = 3;            // version 1: 0, 1 or 2; version 2: 3 and above
    bool autoRegister = true;      // register as soon as the handshake is done

    // The index-th device of a fleet: distinct MAC, name, IP and serial, a
    // model and a registration version taken in turn from a fixed mix.
    static SimDeviceConfig numbered(int index);
};

#endif // SIMDEVICECONFIG_H
