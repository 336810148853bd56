#ifndef SIMDEVICE_H
#define SIMDEVICE_H

#include "receivedframe.h"
#include "simdeviceconfig.h"

#include <QDate>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QSslSocket>

// One simulated device: connects to the console over TLS without checking
// its certificate, passes the handshake, checks the console's answer and
// date frame, registers, and then records every frame the console sends.
// Other message builders send through sendFrame() and watch frameReceived().
class SimDevice : public QObject
{
    Q_OBJECT
public:
    enum class State {
        Disconnected,
        Connecting,       // TCP and TLS under way
        AwaitingAnswer,   // handshake line sent, waiting for 32 digits
        AwaitingDate,     // answer checked, waiting for the date frame
        Ready,            // handshake done; registered when autoRegister is on
    };
    Q_ENUM(State)

    explicit SimDevice(const SimDeviceConfig &config, QObject *parent = nullptr);
    ~SimDevice() override;

    SimDeviceConfig &config() { return m_config; }
    const SimDeviceConfig &config() const { return m_config; }

    void connectToConsole(const QString &host, quint16 port);
    void disconnectFromConsole();
    // Drops the connection (if any) and connects again to the last console.
    void reconnect();

    // Sends the registration the config asks for; false when not Ready.
    bool sendRegistration();
    // Writes one whole frame; -1 when there is no encrypted connection.
    qint64 sendFrame(const QByteArray &frame);
    // Writes bytes as they are (malformed input in tests).
    qint64 sendRaw(const QByteArray &bytes);

    // Replaces the good handshake line (tests of refused lines). The line end
    // is added; an empty override restores the good line.
    void setHandshakeLine(const QByteArray &line) { m_lineOverride = line; }

    State state() const { return m_state; }
    bool isReady() const { return m_state == State::Ready; }
    bool registrationSent() const { return m_registrationSent; }
    const QList<ReceivedFrame> &receivedFrames() const { return m_frames; }
    void clearReceived() { m_frames.clear(); }
    // Off: frames are only signalled, not kept (a device that runs for long).
    void setKeepFrames(bool keep) { m_keepFrames = keep; }
    QByteArray answerDigest() const { return m_answer; }
    QDate consoleDate() const { return m_consoleDate; }
    QString lastError() const { return m_lastError; }
    QSslSocket *socket() const { return m_socket; }

signals:
    void handshakeDone();
    // The handshake was refused or broke off, or the console's stream broke.
    void failed(const QString &reason);
    void registered();     // the registration frame was written
    void frameReceived(const ReceivedFrame &frame);
    void disconnected();

private:
    void onEncrypted();
    void onReadyRead();
    void onDisconnected();
    void fail(const QString &reason);
    void takeFrames();

    SimDeviceConfig m_config;
    QPointer<QSslSocket> m_socket;
    QString m_host;
    quint16 m_port = 0;
    State m_state = State::Disconnected;
    QByteArray m_fields;
    QByteArray m_sentFields;
    QByteArray m_lineOverride;
    QByteArray m_inbox;          // bytes before the date frame
    ConsoleStream m_stream;
    QList<ReceivedFrame> m_frames;
    QByteArray m_answer;
    QDate m_consoleDate;
    QString m_lastError;
    bool m_registrationSent = false;
    bool m_keepFrames = true;
};

#endif // SIMDEVICE_H
