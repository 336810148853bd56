#ifndef SSLSERVER_H
#define SSLSERVER_H

#include <QByteArrayView>
#include <QElapsedTimer>
#include <QHash>
#include <QHostAddress>
#include <QList>
#include <QMap>
#include <QNetworkAddressEntry>
#include <QSet>
#include <QSslConfiguration>
#include <QSslError>
#include <QSslSocket>
#include <QStringList>
#include <QTcpServer>
#include <functional>

#include "devicemap.h"
#include "frameassembler.h"

class EdidInfo;
class QColor;
class QSettings;
class QTimer;
class ThinclientInfo;

// The devices' endpoint: accepts TLS connections, authenticates each device
// by its handshake line, registers it into the main window's device map and
// dispatches its framed messages into its record and tree row.
class SSLServer : public QTcpServer
{
    Q_OBJECT
public:
    // Pass phrases shared with the device agent.
    static const char *const DevicePassPhrase;    // the device proves itself with it
    static const char *const ConsolePassPhrase;   // the console proves itself with it
    static constexpr int MaxHandshakeLine = 8192;
    static constexpr int DefaultHandshakeTimeoutMs = 30000;
    static constexpr int DefaultRegistrationTimeoutMs = 30000;
    static constexpr int DefaultSilenceLimitS = 300;
    // While more than this many bytes of answers wait unsent to a device, its
    // further frames wait in its socket: a device that asks without reading
    // cannot make the console hold its answers in memory. Devices ask for one
    // chunk at a time, so sixteen chunks' worth never slows one down, and a
    // stalled fleet of thousands costs the console megabytes, not gigabytes.
    static constexpr qint64 MaxQueuedAnswers = 64 << 10;
    // What the console itself sends a device (commands, pushed files) waits
    // unsent for as long as the device does not read it. Past this much the
    // device counts as gone and its connection is dropped with what waited:
    // a file push is at most 3 MB, so a device that reads lets it grow to a
    // few of them at most.
    static constexpr qint64 MaxUnsentCommands = qint64(16) << 20;
    // A frame past this size is a file push (a connection-manager image, an
    // install file such as a certificate or a picture); every other frame is
    // far smaller, a white list at most 16 KB. Even a small picture to
    // thousands of devices at once would hold a gigabyte.
    static constexpr qint64 PushFrameSize = 64 << 10;
    // The TLS layer encrypts a whole push into a buffer of its own before
    // the system takes any of it: one push to every ticked device at once
    // held as many copies as devices, gigabytes for a few hundred. Pushes
    // go out to this many devices at a time; the rest wait their turn,
    // sharing the one frame, and take a device's place as it drains.
    static constexpr int MaxUnsentPushes = 8;
    // A device that takes none of its push for this long stops holding a
    // place: the next push goes out beside it.
    static constexpr int DefaultPushStallMs = 10000;
    // Frames taken from all devices in one pass of the event loop. A fleet
    // that reports at once finds a thousand sockets ready with a hundred
    // messages each; handled in one go, the window would neither paint nor
    // take input until all were applied. What is left waits in its socket
    // for the next pass, devices in the order they came. A status message
    // costs the console a few microseconds, so a pass stays within a few
    // milliseconds; with fewer frames the cost of each pass itself (the
    // event loop's look at every socket) would begin to count.
    static constexpr int DefaultFramesPerPass = 2048;

    SSLServer(QObject *parent, DeviceMap *devices, QSettings *settings);
    explicit SSLServer(QObject *parent);
    ~SSLServer() override;

    // Listens on address:port (QHostAddress::Any in the console). Returns
    // whether listening succeeded; the console does not act on it.
    bool startServer(const QNetworkAddressEntry &entry, quint16 port, const QString &certPath,
                     const QString &keyPath, const QHostAddress &address = QHostAddress::Any);

    static qint64 writeToDevice(QSslSocket *socket, const char *data, int length);
    static qint64 writeToDevice(QSslSocket *socket, const QByteArray &data);
    static qint64 readFromDevice(QSslSocket *socket, char *data, int length);

    int indexOfPendingDevice(QSslSocket *socket) const;
    ThinclientInfo *registeredRecord(QSslSocket *socket) const;   // null when not in the map

    // Handshake: reads the socket's handshake line until it is whole and checks it.
    void authenticateClient(QSslSocket *socket);
    // Bytes received from a socket with receive state: the handshake line,
    // then frames, as if read from it. Tests and fuzzers feed sockets
    // without a network through track() and this.
    void receive(QSslSocket *socket, const QByteArray &bytes);
    // Gives a socket receive state and starts its handshake deadline.
    void track(QSslSocket *socket);
    // Drops the socket's receive state and pending records; the socket
    // itself stays with its owner.
    void forget(QSslSocket *socket);
    // Bytes written to the socket and not yet handed to the network, and
    // what waits behind a push for its turn.
    static qint64 queuedAnswers(QSslSocket *socket);
    // Takes the socket's frames again once its answers have drained.
    void answersSent(QSslSocket *socket);
    // The pure line check: true when the line (without its line end) is a
    // good handshake; *answer then holds the 32 answer digits.
    static bool checkHandshakeLine(const QByteArray &line, QByteArray *answer);
    // The date frame sent after the answer digest.
    static QByteArray serverDateFrame(const QDate &date);

    // Registration (type 5).
    void handleRegistration(QSslSocket *socket, const char *message, int length);
    void handleRegistrationV2(QSslSocket *socket, const char *message, int length);
    // Parses a whole registration frame into a record; false when the frame is
    // not a registration. Never reads past length.
    static bool parseRegistration(const char *message, int length, ThinclientInfo *into);
    int findDeviceByMac(const QString &mac, QSslSocket **socketOut, ThinclientInfo **recordOut) const;
    // The key the record is filed under, or null; for an offline device
    // that is its offlineKey(), no socket.
    QSslSocket *socketForDevice(ThinclientInfo *record) const;
    // The key an offline device's record is filed under until it registers
    // again. It stands for no socket and must never be used as one.
    static QSslSocket *offlineKey(ThinclientInfo *record);
    void refreshDeviceRow(ThinclientInfo *record);

    // Dispatch of one whole frame from a known (pending or registered) socket.
    // Callable without network traffic, e.g. from tests and fuzzers.
    void dispatchFrame(QSslSocket *socket, const QByteArray &frame);
    // Marks in replaced[] the reports among a device's frames (in the order
    // it sent them) that later ones of the same list leave nothing of once
    // all are handled: the firmware version, the name, the status text and
    // colour written again, with nothing but such reports in between. A
    // frame of any other type ends what a later report may replace.
    static void markReplaced(const QByteArrayView *frames, int count, bool *replaced);
    // A frame markReplaced may mark: a firmware version, name or status.
    static bool isReport(QByteArrayView frame);
    // The status cell's colour by message 7's sub-code; false for a sub-code
    // that keeps the colour. colour may be null.
    static bool statusColour(quint8 subCode, QColor *colour);

    // Status messages.
    void handleFirmwareVersion(QSslSocket *socket, const char *message, int length);
    void handleTimezoneInfo(QSslSocket *socket, const char *message, int length);
    void handleDeviceName(QSslSocket *socket, const char *message, int length);
    void handleStatusMessage(QSslSocket *socket, const char *message, int length);
    void handleRemoteServer(QSslSocket *socket, const char *message, int length);
    void handleDeviceOffline(QSslSocket *socket, const char *message, int length);
    void handleProtocolType(QSslSocket *socket, const char *message, int length);
    void handleProtocolAndServer(QSslSocket *socket, const char *message, int length);
    void handleNetworkInfo(QSslSocket *socket, const char *message, int length);
    void handleRemoteProtocolHelp(QSslSocket *socket, const char *message, int length);
    void handleKeyboardSettings(QSslSocket *socket, const char *message, int length);
    void handleFirewallStatus(QSslSocket *socket, const char *message, int length);
    void handlePxeConfiguration(QSslSocket *socket, const char *message, int length);
    void handleUsbDeviceList(QSslSocket *socket, const char *message, int length);

    // File transfer and replies.
    void sendReply(QSslSocket *socket, quint8 code, const QString &text = QString());
    static QByteArray replyFrame(quint8 code, const QString &text = QString());
    // Removes the files of uploads that a crash cut off, from the temporary
    // directory; returns how many. Only before any device connects: an
    // upload under way has such a file too.
    int removeUnfinishedUploads();
    // From now on no upload takes its name: a new one is refused, and one
    // under way goes at its close. The console calls it once it has checked
    // the installer it starts at exit, which waits where uploads land.
    void closeUploads() { m_uploadsClosed = true; }
    void handleFileOpenRead(QSslSocket *socket, const char *message, int length);
    void handleFileReadChunk(QSslSocket *socket, const char *message, int length);
    void handleFileClose(QSslSocket *socket, const char *message, int length);
    void handleFileOpenWrite(QSslSocket *socket, const char *message, int length);
    void handleFileWriteChunk(QSslSocket *socket, const char *message, int length);
    void handleWhiteListRequest(QSslSocket *socket, const char *message, int length);

    // A socket that has not passed the handshake in this time is closed.
    void setHandshakeTimeout(int ms) { m_handshakeTimeoutMs = ms; }
    int handshakeTimeout() const { return m_handshakeTimeoutMs; }
    // A socket past the handshake that has not registered in this time is closed.
    void setRegistrationTimeout(int ms) { m_registrationTimeoutMs = ms; }
    // An idle connection whose device has not answered the system's probes
    // for about this long is closed, for connections accepted from now on.
    void setSilenceLimit(int seconds) { m_silenceLimitS = qMax(2, seconds); }
    void setFramesPerPass(int frames) { m_framesPerPass = qBound(1, frames, 1 << 20); }
    void setPushStallLimit(int ms);
    // Replaces the socket write of every reply and command (tests and fuzzers).
    using WriteHook = std::function<qint64(QSslSocket *, const QByteArray &)>;
    static void setWriteHook(WriteHook hook);
    // Replaces the measure of queuedAnswers (tests and fuzzers).
    using QueueProbe = std::function<qint64(QSslSocket *)>;
    static void setQueueProbe(QueueProbe probe);
    // Replaces the free-space measure of the upload directory (tests and fuzzers).
    using FreeSpaceProbe = std::function<qint64(const QString &dir)>;
    static void setFreeSpaceProbe(FreeSpaceProbe probe);
    // Connections with receive state: accepted and not yet closed, or
    // registered and still connected. Load tests watch it return to rest.
    int connectionCount() const { return int(m_connections.size()); }

    QList<ThinclientInfo *> pendingDevices;
    DeviceMap *devices = nullptr;
    QNetworkAddressEntry addressEntry;
    QSslSocket *newSocket = nullptr;
    QString certPath;
    QString keyPath;
    QSettings *settings = nullptr;
    int columnCount = 2;

signals:
    void onSetBroadcastBtnState(bool state);
    void onGetRemProtoHelp(const QString &text);
    void onDeviceRegistered(ThinclientInfo *record);
    // A device registered again reporting another model than before (after
    // a firmware of another model went on it): its row's group no longer
    // names it.
    void onDeviceModelChanged(ThinclientInfo *record);
    void onEnumerateUsb(ThinclientInfo *record, const QStringList &usbDevices);

public slots:
    void onReadyToRead();
    void onSslErrors(const QList<QSslError> &errors);
    void onEncrypted();
    void onPeerVerifyError(const QSslError &error);
    void onModeChanged(QSslSocket::SslMode mode);
    void onDisconnected();
    void onConnected();
    void onError(QAbstractSocket::SocketError error);
    void onStateChanged(QAbstractSocket::SocketState state);

protected:
    void incomingConnection(qintptr socketDescriptor) override;

private:
    // Per-connection receive state.
    struct Connection {
        QByteArray lineBuffer;       // handshake bytes until a line end
        FrameAssembler frames;       // framed messages after the handshake
        QTimer *deadline = nullptr;  // the handshake's, then the registration's
        bool passed = false;         // a good handshake line was read
        bool held = false;           // frames wait until the answers drain
        bool waiting = false;        // frames wait for a later pass
    };
    Connection *connectionFor(QSslSocket *socket);
    // The work of onReadyToRead and onDisconnected for a known socket.
    void readSocket(QSslSocket *socket);
    void socketDisconnected(QSslSocket *socket);
    void releaseConnection(QSslSocket *socket);
    // Moves a disconnected device's map entry off its closing socket, to
    // its offline key.
    void fileOffline(QSslSocket *socket, ThinclientInfo *record);
    void onDeadline(QSslSocket *socket);
    bool loadTlsMaterial();
    void retryFailedAccepts();
    void startPasses();
    // Hands every whole buffered frame of the socket to dispatchFrame.
    // Bounded by the pass's room unless the device is leaving: what it sent
    // before it closed is applied before its connection goes.
    void dispatchBuffered(QSslSocket *socket, bool bounded = true);
    // A frame handled costs the pass a whole share, one passed over (its
    // report replaced by a later one) an eighth.
    static constexpr int HandledShare = 8;
    static constexpr int PassedOverShare = 1;
    bool passFull() const;
    // Counts a frame against the pass; false when the pass has no room left.
    bool takeFromPass(int share = HandledShare);
    // Reports looked at together to find those replaced (see markReplaced).
    static constexpr int MaxPlannedReports = 256;
    // Drops the reports at the head of a device's frames that later ones
    // replace; false when the first frame is not one of them. It looks no
    // further than the pass has room for, so the report that replaces one
    // dropped is handled in the same pass.
    bool passOverReplaced(FrameAssembler &frames, bool bounded);
    void waitForNextPass(QSslSocket *socket);
    void nextPass();
    // The event loop came round: a new pass, unless devices wait their turn
    // (then the pass timer starts it, serving them first).
    void loopCameRound();
    void finishWaiting(QSslSocket *socket);
    // Closes a socket that is not (or no longer) a registered device's and
    // releases it with its pending records and connection state.
    void retireSocket(QSslSocket *socket);
    // Registration steps after parsing: file a new record or merge it into
    // the older record of the same device.
    void fileRegistration(QSslSocket *socket, ThinclientInfo *record, qint8 subCode);
    // The kept copy of a text many records hold alike.
    QString sharedText(const QString &text);
    void shareTexts(ThinclientInfo *record);
    void shareModes(ThinclientInfo *record);

    // The device map's sockets by MAC address, so that registering a device
    // does not walk the whole fleet. Checked against the map on every use.
    void rebuildMacIndex() const;
    void indexDevice(const QString &mac, QSslSocket *socket);

    // Bounds the texts kept for sharing: a fleet has a few hundred distinct
    // ones; devices making them up cannot grow this past some 700 KiB.
    static constexpr int MaxSharedTexts = 2048;
    static constexpr int MaxSharedTextLength = 128;
    // Pushes paced (see MaxUnsentPushes). A device whose push waits has all
    // its later writes wait behind it, in order, until its turn.
    struct HeldWrites {
        QList<QByteArray> frames;
        qint64 bytes = 0;
    };
    void startPushPacing();
    qint64 pacedWrite(QSslSocket *socket, const QByteArray &data);
    static qint64 writeNow(QSslSocket *socket, const QByteArray &data);
    qint64 heldBytes(QSslSocket *socket) const;
    // Written to the socket and not yet handed to the network (the probe's
    // measure where one is set); a device's next push waits apart.
    static qint64 unsentBytes(QSslSocket *socket);
    // queuedAnswers of one of this server's sockets.
    qint64 answersWaiting(QSslSocket *socket) const;
    // The socket's unsent bytes went down: its place frees once all are gone.
    void pushProgress(QSslSocket *socket);
    void sendWaitingPushes();
    void giveUpStalledPushes();
    void dropPushes(QSslSocket *socket);
    QHash<QSslSocket *, HeldWrites> m_heldWrites;
    QList<QSslSocket *> m_pushTurns;                  // in their turn's order; checked against m_heldWrites
    QHash<QSslSocket *, QElapsedTimer> m_pushPlaces;   // since each one's last progress
    QTimer *m_pushKick = nullptr;
    QTimer *m_pushWatch = nullptr;
    int m_pushStallMs = DefaultPushStallMs;

    QSet<QString> m_sharedTexts;
    // The display-mode lists a fleet reports alike, kept once and shared,
    // by their texts joined; bounded like the texts.
    static constexpr int MaxSharedModeLists = 256;
    static constexpr int MaxSharedModesKey = 1024;
    QHash<QString, QList<EdidInfo>> m_sharedModes;
    QHash<QSslSocket *, Connection *> m_connections;
    mutable QHash<QString, QSslSocket *> m_macIndex;
    mutable qsizetype m_macIndexedSize = -1;   // the map's size when the index was last in step
    QSslConfiguration m_tlsConfig;
    bool m_tlsLoaded = false;
    bool m_uploadsClosed = false;
    int m_handshakeTimeoutMs = DefaultHandshakeTimeoutMs;
    int m_registrationTimeoutMs = DefaultRegistrationTimeoutMs;
    int m_silenceLimitS = DefaultSilenceLimitS;
    int m_framesPerPass = DefaultFramesPerPass;
    int m_passFrames = 0;            // shares taken since the pass began
    QTimer *m_passEnd = nullptr;     // fires when the event loop comes round again
    bool m_passesFollowLoop = false; // the event loop tells when it comes round
    QList<QSslSocket *> m_waiting;   // in their turn's order; checked against m_connections
    // The look-ahead's room, kept: made afresh, its clearing cost a
    // pass-over more than the look itself.
    QByteArrayView m_ahead[MaxPlannedReports];
    bool m_replaced[MaxPlannedReports] = {};
};

#endif // SSLSERVER_H
