#ifndef THINCLIENTINFO_H
#define THINCLIENTINFO_H

#include <QList>
#include <QObject>
#include <QString>

class QSslSocket;
class QStandardItem;
class QFile;

// One display mode reported by a device's monitor, as the device sent it.
class EdidInfo
{
public:
    QString resolution;
    QString pixelClock;
    QString horizontal;
    QString vertical;
    QString sync;
    QString polarity;
};

// The console's record of one device: what it reported, the state of its
// connection and the handle of its tree row. Created by the handshake, filled
// by registration, kept for the rest of the run.
class ThinclientInfo : public QObject
{
    Q_OBJECT
public:
    static constexpr int MaxEdid = 32;

    explicit ThinclientInfo(QObject *parent = nullptr);
    ~ThinclientInfo() override;

    // A status report writes its value here and into the row: the fields
    // reports write most and the row's handle come first and together, so
    // that a report from a device the console has not heard from for a while
    // costs one or two cache lines of its record, not three.
    QStandardItem *item = nullptr;      // column 0 of the device's tree row, not owned
    QString deviceName;
    QString firmwareVersion;
    // The items of that row by model column, as it was built (item first):
    // a report finds its cell here instead of asking the model for the
    // row's place, a walk through the parts of the row and its group that
    // lie spread over the heap of a whole fleet.
    static constexpr int MaxRowCells = 32;
    QStandardItem *rowCells[MaxRowCells] = {};

    QString model;
    QString macAddress;
    QString hotfixVersion;
    QString resolution;
    QString remoteServer;
    QString clientVersion;
    QString protocolType;
    QString protocolDefault;
    QString cmdLineArgs;
    QString extraText1;
    QString serialNumber;
    quint16 bootMode = 0;
    quint16 serverDetection = 0;
    QString timeServer;
    QString boardHostname;
    QString serverIp;
    QString serverPort;
    QString extraText2;
    QString extraText3;
    QString timezone;
    QString firewallEnabled;
    QString powerSaveEnabled;
    QString pxeServerEnabled;
    QString pxeOnly;
    QString dhcpStart;
    QString dhcpEnd;
    bool autoReconnect = false;
    bool autoLogin = false;
    bool swapServer = false;
    bool printServer = false;
    QString dns1;
    QString dns2;
    QString domainSearchPath;
    QString wiredEnabled;
    QString wiredMethod;
    QString ipAddress;
    QString wiredNetmask;
    QString wiredGateway;
    QString wirelessEnabled;
    QString wirelessMethod;
    QString wirelessIp;
    QString wirelessNetmask;
    QString wirelessGateway;
    QString wirelessSsid;
    QString wirelessSecurity;
    QString keyboardModel;
    QString keyboardLayout;
    QString keyboardVariant;
    QString keyboardOption;

    bool checked = false;               // mirrors the row's check box
    QSslSocket *socket = nullptr;       // owned by the server; null while disconnected
    quint8 authenticated = 0;
    bool online = false;
    QFile *transferFile = nullptr;      // the one open file transfer, owned while open
    // The display modes reported, the first edidCount of them (at most
    // MaxEdid). A list of their own size: a fixed block of MaxEdid slots was
    // most of an offline device's record, and most devices report a few.
    QList<EdidInfo> edid;
    quint16 edidCount = 0;
};

#endif // THINCLIENTINFO_H
