#ifndef ACCESSPROTOCOLPACKETS_H
#define ACCESSPROTOCOLPACKETS_H

#include <QByteArray>
#include <QString>

#include <array>

// What the access-protocol dialog leaves for the command: the texts and
// positions of the chosen option items and the free texts, as typed.
struct AccessProtocolSettings {
    QString colorDepth;
    QString graphicsQuality;
    QString audioQuality;
    QString redirectAudio;
    QString redirectVideo;
    QString redirectMic;
    QString latency;
    QString security;
    QString windowSize;
    QString windowPercentage;
    QString cmdlineArgs;
    QString hostnamePort;
    QString domain;
    QString username;
    QString password;
    bool kioskMode = false;
    bool autoReconnect = false;
    bool autoLogin = false;
    int connType = 3;
    int connTypeIndex = 2;
    // Positions in the protocol's option lists; -1 for a combo without items.
    int colorDepthIndex = -1;
    int graphicsQualityIndex = -1;
    int audioQualityIndex = -1;
    int redirectAudioIndex = -1;
    int redirectVideoIndex = -1;
    int redirectMicIndex = -1;
    int latencyIndex = -1;
    int securityIndex = -1;
    int windowSizeIndex = -1;
};

// The settings of one signage output.
struct SignageOutput {
    bool enabled = false;
    bool syncNow = false;   // false whenever enabled is
    QString mode;           // "movies", "images" or "browser"
    QString duration;       // seconds as typed, images only
    QString url;            // as typed, browser only
};
constexpr int SignageOutputCount = 3;
using SignageOutputs = std::array<SignageOutput, SignageOutputCount>;

// Builders of the access-protocol commands and the help request. Each
// returns the whole frame, or an empty array when the values do not fit the
// command's buffer: nothing partial is ever sent.
namespace AccessProtocolPackets {

constexpr quint8 CmdAccessProtocol = 0x12;
constexpr quint8 SubConnectionManager = 0x00;
constexpr quint8 SubSettings = 0x05;
constexpr quint8 SubDigitalSignage = 0x14;
constexpr quint8 CmdGetProtocolHelp = 0x21;

// The devices read these commands into a buffer of this size.
constexpr int BufferSize = 4096;

constexpr int ConnectionManagerType = 6;
constexpr int WebType = 8;
constexpr int CitrixHdxType = 1;
constexpr int DigitalSignageType = 15;

// The short forms the devices expect for three of the option texts.
QString colorDepthValue(const QString &chosen);
QString latencyValue(const QString &chosen);
QString windowSizeValue(const QString &chosen);

// Sub-type 5: the protocol with all its settings.
QByteArray accessProtocol(const AccessProtocolSettings &settings);
// Whether every typed text that sub-type 5 carries reaches the devices as
// typed: one a device would get with "?" in it (a password, a host name),
// or with a control character, must not be sent.
bool holdsOnWire(const AccessProtocolSettings &settings);
// Sub-type 0: switches a device that holds its image and configuration to
// the connection manager.
QByteArray connectionManager();
// Sub-type 0x14. The content directory and list file of an output go out
// only when it is enabled and synchronised now; empty when one of those
// paths holds characters that Latin-1 cannot.
QByteArray digitalSignage(int connTypeIndex, const SignageOutputs &outputs,
                          const std::array<QString, SignageOutputCount> &contentDirs,
                          const std::array<QString, SignageOutputCount> &listFiles);
// Asks one device for its help text on a protocol (low 8 bits of the code).
QByteArray protocolHelpRequest(int typeCode);

// The configuration file the connection manager of a device needs: its
// serial number in capitals and ".conf". Empty when the serial cannot name
// a file of the image's directory (empty, or a path of its own).
QString connectionManagerConfigName(const QString &serialNumber);

} // namespace AccessProtocolPackets

#endif // ACCESSPROTOCOLPACKETS_H
