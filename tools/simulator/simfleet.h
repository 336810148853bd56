#ifndef SIMFLEET_H
#define SIMFLEET_H

#include <QHostAddress>
#include <QList>
#include <QObject>

class QUdpSocket;
class SimDevice;

struct SimFleetOptions {
    int count = 1;
    int version = 0;          // 0: the mixed fleet of SimDeviceConfig::numbered, 1 or 2: all alike
    int firstIndex = 0;       // numbering of MACs and names starts here
    int reconnectMs = 0;      // reconnect a dropped device after this long; 0: never
};

// A number of simulated devices started together, against a given console
// or the first console that announces itself by discovery datagram.
class SimFleet : public QObject
{
    Q_OBJECT
public:
    explicit SimFleet(const SimFleetOptions &options, QObject *parent = nullptr);
    ~SimFleet() override;

    // Only loopback and the test namespace's own addresses (10.77.0.0/24)
    // are ever connected to or listened on.
    static bool isAllowedAddress(const QHostAddress &address);
    static QHostAddress resolveAllowed(const QString &host);   // null when not allowed
    // The --duration option, seconds as text, as the milliseconds the
    // program runs before it stops by itself (0: until stopped). False for
    // anything but a whole number from 0 to MaxDurationSeconds.
    static constexpr int MaxDurationSeconds = 2147483;
    static bool durationMs(const QString &seconds, int *ms);

    bool start(const QString &host, quint16 port, QString *error);
    // Waits for the console's discovery datagram on bindAddress:udpPort, then
    // starts the fleet against the console it names.
    bool listenForDiscovery(const QHostAddress &bindAddress, quint16 udpPort, QString *error);

    const QList<SimDevice *> &devices() const { return m_devices; }
    int registeredCount() const;
    bool started() const { return m_started; }

signals:
    void allRegistered();
    void message(const QString &line);

private:
    void onDatagram();
    void onRegistered();

    SimFleetOptions m_options;
    QList<SimDevice *> m_devices;
    QUdpSocket *m_udp = nullptr;
    bool m_started = false;
    bool m_announcedAll = false;
};

#endif // SIMFLEET_H
