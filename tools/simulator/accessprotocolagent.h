#ifndef ACCESSPROTOCOLAGENT_H
#define ACCESSPROTOCOLAGENT_H

#include "filepush.h"

#include <QList>
#include <QMap>
#include <QObject>
#include <QStringList>

class SimDevice;
struct ReceivedFrame;

// One access-protocol command (type 0x12) as a device reads it.
struct ReceivedAccessProtocol {
    quint8 subCode = 0;
    quint16 typeCode = 0;
    quint16 listIndex = 0;
    // Sub-type 5: colour depth, graphics, audio, redirect audio, redirect
    // mic, latency, security, window size, in wire order.
    QStringList options;
    QString percentage, cmdlineArgs, host;
    bool autoReconnect = false;
    bool autoLogin = false;
    QString domain, username, password;   // only with auto login
    QList<quint16> indexes;               // the eight option indexes, then redirect video's
    QString redirectVideo;
    int kioskMode = -1;                   // Web only
    // Sub-type 0x14: per output "off", or "mode|duration|url|sync" with
    // "|directory|list file" when sync is 1.
    QStringList signageOutputs;

    // False for a frame that ends early, runs on past its fields or is not
    // an access-protocol command.
    static bool parse(const ReceivedFrame &frame, ReceivedAccessProtocol *out);
};

// A device's agent for the access protocol: keeps the commands and the
// files pushed to it (the connection manager's image and configuration),
// and answers a help request (0x21) with its help text (message 33).
class AccessProtocolAgent : public QObject
{
    Q_OBJECT
public:
    static constexpr quint8 CmdAccessProtocol = 0x12;
    static constexpr quint8 CmdGetProtocolHelp = 0x21;
    static constexpr quint8 CmdFilePush = 0x18;

    explicit AccessProtocolAgent(SimDevice *device);

    const QList<ReceivedAccessProtocol> &commands() const { return m_commands; }
    // Pushed files that arrived whole, by name; a later push replaces.
    const QMap<QString, QByteArray> &files() const { return m_files; }
    // What arrived, in order: "file <name>", "command <sub-type>",
    // "help <code>", "bad <type>" for a frame that did not parse.
    const QStringList &events() const { return m_events; }

    void setHelpText(const QString &text) { m_helpText = text; }

signals:
    void eventRecorded(const QString &event);

private:
    void onFrame(const ReceivedFrame &frame);
    void record(const QString &event);

    SimDevice *m_device;
    QList<ReceivedAccessProtocol> m_commands;
    QMap<QString, QByteArray> m_files;
    QStringList m_events;
    QString m_helpText;
};

#endif // ACCESSPROTOCOLAGENT_H
