#ifndef CONFIGPACKETS_H
#define CONFIGPACKETS_H

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

class ThinclientInfo;

// The configuration commands: network settings, management-server
// identification, cloud-print and gateway credentials, USB redirection, file
// installation and the PXE server. Each builder takes plain values and
// returns the whole frame, or an empty array when the values cannot be sent
// (a text too long for the command's buffer or for a 16-bit length, a count
// or a size out of range): the caller then warns and sends nothing.
namespace ConfigPackets {

constexpr quint8 CMD_CONFIGURE_NIC = 0x1D;
constexpr quint8 CMD_SET_SERVER_DETECTION = 0x1E;
constexpr quint8 CMD_SET_PXE_CONFIG = 0x25;
constexpr quint8 CMD_INSTALL_FILE = 0x26;
constexpr quint8 CMD_SET_CLOUD_PRINT = 0x28;
constexpr quint8 CMD_SET_TS_GATEWAY = 0x2A;
constexpr quint8 CMD_GET_USB_DEVICES = 0x2B;
constexpr quint8 CMD_SET_USB_REDIRECTION = 0x2C;

// The frame limit of the commands that the protocol gives a 4096-byte buffer;
// the network command is sized to its strings (up to a 16-bit length) and the
// file install to its file.
constexpr int CommandBufferSize = 4096;

// ---- Network configuration (0x1D) ----------------------------------------

// The seventeen strings of the network command, as the dialog leaves them.
// Enabled fields are "Yes"/"No"; methods are "No" (static), "Yes" (DHCP) or
// "YesIgnoreDns" (DHCP with DNS override).
struct NicSettings {
    QString wiredEnabled;
    QString wiredMethod;
    QString wiredIp;
    QString wiredNetmask;
    QString wiredGateway;
    QString wirelessEnabled;
    QString wirelessMethod;
    QString wirelessIp;
    QString wirelessNetmask;
    QString wirelessGateway;
    QString wirelessSsid;
    QString wirelessSecurity;
    QString wirelessPassword;
    QString domainSearchPath;
    QString dns1;
    QString dns2;
    QString hostname;
};

// Method combo index (0 Static, 1 DHCP, 2 DHCP with DNS override) to its wire
// text; an index outside the table gives an empty text.
QString nicMethodText(int index);
QByteArray configureNic(const NicSettings &s);

// ---- Management-server identification (0x1E) -----------------------------

enum ServerDetectionMode { DetectByBroadcast = 1, DetectStatic = 2 };

struct ServerIdentification {
    int mode = DetectByBroadcast;
    QString address;   // host name or IP address, as typed; mode 2 only
    QString port;      // decimal text, as typed; mode 2 only
};

QByteArray setServerDetection(const ServerIdentification &id);
// The record fields the console sets when it sends the command: detection 2
// for a static server, else 0 (the record's value for the broadcast).
void applyServerIdentification(ThinclientInfo *device, const ServerIdentification &id);

// ---- Cloud-print (0x28) and gateway (0x2A) credentials -------------------

struct CloudPrintCredentials {
    bool enabled = false;
    QString userId;
    QString password;
};

struct GatewayCredentials {
    bool enabled = false;
    QString hostname;
    QString userId;
    QString password;
};

QByteArray setCloudPrint(const CloudPrintCredentials &c);
QByteArray setTsGateway(const GatewayCredentials &c);

// ---- USB redirection (0x2B request, 0x2C choice) -------------------------

QByteArray getUsbDevices();
// ids: the chosen device IDs in table order (colons already replaced). The
// count travels in one byte, so more than 255 IDs are refused.
QByteArray setUsbRedirection(const QStringList &ids);

// ---- File install (0x26) -------------------------------------------------

enum InstallType : quint8 {
    InstallSslCertificate = 1,
    InstallPpdFile = 2,
    InstallSshKey = 3,
    InstallPngImage = 4,
};

// A file sent for installation goes whole in one packet; larger files are refused.
constexpr qint64 MaxInstallFileSize = 2 * 1024 * 1024;

// Refuses a type outside 1..4, empty data, data above MaxInstallFileSize and
// a name whose string field would not fit its 16-bit count.
QByteArray installFile(quint8 installType, const QString &fileName, const QByteArray &data);

enum class FileReadResult { Ok, OpenFailed, ReadFailed };
// Reads the file, which must hold exactly size bytes (1 to MaxInstallFileSize).
// A file that has shrunk or grown since it was chosen is a ReadFailed, so a
// packet never announces bytes it does not carry, nor carries a cut file.
FileReadResult readFileExactly(const QString &path, qint64 size, QByteArray *out);

// ---- PXE server (0x25, sub-code 1) ---------------------------------------

struct PxeConfig {
    bool enabled = false;
    quint8 spareFlag = 0;
    bool pxeOnly = true;
    QString subnet;
    QString netmask;
    QString dhcpStart;
    QString dhcpEnd;
};

QByteArray setPxeConfig(const PxeConfig &c);

// Models that can act as PXE server: those containing "Pyrel PC", "QB" or
// "WY", whatever the case.
bool isPxeServerModel(const QString &model);

// The selected devices (Delivery::isSelected, in list order) split into the
// PXE-capable ones that receive the command and the count of the others.
struct PxeRecipients {
    QList<ThinclientInfo *> recipients;
    int selected = 0;
    int ignored() const { return selected - int(recipients.size()); }
};
PxeRecipients pxeRecipients(const QList<ThinclientInfo *> &devices);

// The summary shown after sending, or an empty text when nothing was skipped.
QString pxeIgnoredSummary(int sent, int selected);

} // namespace ConfigPackets

#endif // CONFIGPACKETS_H
