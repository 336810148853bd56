#include "simfleet.h"
#include "simdevice.h"

#include "discovery.h"

#include <QTimer>
#include <QUdpSocket>

SimFleet::SimFleet(const SimFleetOptions &options, QObject *parent) : QObject(parent), m_options(options)
{
    for (int i = 0; i < options.count; ++i) {
        SimDeviceConfig config = SimDeviceConfig::numbered(options.firstIndex + i);
        if (options.version == 1) {
            config.registrationVersion = 1;
            config.subCode = 1;
        } else if (options.version == 2) {
            config.registrationVersion = 2;
            config.subCode = 3;
        }
        auto *device = new SimDevice(config, this);
        // A fleet may run until stopped and answers through signals: every
        // frame kept, file chunks included, would stay for the whole run.
        device->setKeepFrames(false);
        connect(device, &SimDevice::registered, this, &SimFleet::onRegistered);
        connect(device, &SimDevice::failed, this, [this, device](const QString &reason) {
            emit message(QStringLiteral("%1: %2").arg(device->config().deviceName, reason));
        });
        if (options.reconnectMs > 0) {
            connect(device, &SimDevice::disconnected, this, [device, ms = options.reconnectMs] {
                QTimer::singleShot(ms, device, &SimDevice::reconnect);
            });
        }
        m_devices.append(device);
    }
}

SimFleet::~SimFleet() = default;

bool SimFleet::isAllowedAddress(const QHostAddress &address)
{
    if (address.isLoopback())
        return true;
    bool ok = false;
    const quint32 v4 = address.toIPv4Address(&ok);
    return ok && (v4 & 0xFFFFFF00u) == 0x0A4D0000u;   // 10.77.0.0/24
}

QHostAddress SimFleet::resolveAllowed(const QString &host)
{
    QHostAddress address;
    if (host == QLatin1String("localhost"))
        address = QHostAddress(QHostAddress::LocalHost);
    else if (!address.setAddress(host))
        return QHostAddress();
    return isAllowedAddress(address) ? address : QHostAddress();
}

bool SimFleet::durationMs(const QString &seconds, int *ms)
{
    // A timer takes an int of milliseconds: past some 24 days the product
    // would wrap into a stop within the second or a wait that never ends.
    bool ok = false;
    const int value = seconds.toInt(&ok, 10);
    if (!ok || value < 0 || value > MaxDurationSeconds)
        return false;
    *ms = value * 1000;
    return true;
}

bool SimFleet::start(const QString &host, quint16 port, QString *error)
{
    const QHostAddress address = resolveAllowed(host);
    if (address.isNull()) {
        if (error)
            *error = QStringLiteral("refusing %1: only loopback and 10.77.0.0/24 are allowed").arg(host);
        return false;
    }
    m_started = true;
    for (SimDevice *device : std::as_const(m_devices))
        device->connectToConsole(address.toString(), port);
    return true;
}

bool SimFleet::listenForDiscovery(const QHostAddress &bindAddress, quint16 udpPort, QString *error)
{
    // Broadcasts arrive only on a socket bound to the broadcast address or
    // to "any"; "any" is allowed only inside the test namespace's own stack,
    // which is where --discover is meant to run.
    const bool any = bindAddress == QHostAddress(QHostAddress::AnyIPv4)
                     && qEnvironmentVariable("KORVANE_IN_NETNS") == QLatin1String("1");
    const bool broadcast = bindAddress == QHostAddress(QStringLiteral("10.77.0.255"));
    if (!any && !broadcast && !isAllowedAddress(bindAddress)) {
        if (error)
            *error = QStringLiteral("refusing to listen on %1").arg(bindAddress.toString());
        return false;
    }
    m_udp = new QUdpSocket(this);
    if (!m_udp->bind(bindAddress, udpPort, QUdpSocket::ShareAddress | QUdpSocket::ReuseAddressHint)) {
        if (error)
            *error = m_udp->errorString();
        return false;
    }
    connect(m_udp, &QUdpSocket::readyRead, this, &SimFleet::onDatagram);
    return true;
}

void SimFleet::onDatagram()
{
    while (m_udp->hasPendingDatagrams()) {
        QByteArray datagram(int(qMin<qint64>(m_udp->pendingDatagramSize(), 4096)), '\0');
        m_udp->readDatagram(datagram.data(), datagram.size());
        Discovery::Announcement announcement;
        if (m_started || !Discovery::parse(datagram, &announcement) || announcement.port <= 0)
            continue;
        QString error;
        if (start(announcement.ip, quint16(announcement.port), &error))
            emit message(QStringLiteral("console found at %1:%2").arg(announcement.ip).arg(announcement.port));
        else
            emit message(error);
    }
}

int SimFleet::registeredCount() const
{
    int n = 0;
    for (const SimDevice *device : m_devices)
        if (device->registrationSent())
            ++n;
    return n;
}

void SimFleet::onRegistered()
{
    if (!m_announcedAll && registeredCount() == m_devices.size()) {
        m_announcedAll = true;
        emit allRegistered();
    }
}
