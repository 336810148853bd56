// The discovery broadcast: one datagram per local address, repeated while
// discovery is switched on.
#include "mainwindow.h"
#include "ui_mainwindow.h"

#include "devicelink/discovery.h"

#include <QSettings>
#include <QTimer>
#include <QUdpSocket>

#include <limits>

void MainWindow::onBroadcastTimerFired()
{
    discoveryDatagram.clear();
    for (const QNetworkAddressEntry &entry : std::as_const(localAddresses)) {
        // Read afresh for every datagram: a changed port applies at once.
        const int sslPort = settings->value(QStringLiteral("SSLPort")).toInt();
        discoveryDatagram = Discovery::datagram(entry.ip().toString(), sslPort);
        const quint16 udpPort = quint16(settings->value(QStringLiteral("UDPPort")).toInt());
        const QHostAddress broadcast(entry.broadcast().toString());
        // An entry without a broadcast address, or without a route, is
        // dropped here; the other addresses are still served.
        udpSocket->writeDatagram(discoveryDatagram, broadcast, udpPort);
    }
}

void MainWindow::sendDiscoveryNow()
{
    onBroadcastTimerFired();
}

int MainWindow::broadcastIntervalMs() const
{
    // A period of zero, a negative one or text would make the timer spin;
    // one longer than a timer can wait (some 24 days) would not start it.
    const int seconds = settings->value(QStringLiteral("UDPFrequency")).toInt();
    const qint64 ms = qint64(seconds < 1 ? DefaultBroadcastSeconds : seconds) * 1000;
    return int(qMin<qint64>(ms, std::numeric_limits<int>::max()));
}

void MainWindow::on_btnUdpBroadcast_triggered()
{
    if (!ui->btnUdpBroadcast->isChecked()) {
        broadcastTimer->stop();
        settings->setValue(QStringLiteral("discoveryState"), false);
        return;
    }
    settings->setValue(QStringLiteral("discoveryState"), true);
    onBroadcastTimerFired();
    broadcastTimer->start(broadcastIntervalMs());
}

void MainWindow::startDiscoveryAtStart()
{
    const QString key = QStringLiteral("discoveryState");
    if (!settings->contains(key))
        settings->setValue(key, true);
    if (!settings->value(key).toBool())
        return;
    ui->btnUdpBroadcast->setChecked(true);
    onBroadcastTimerFired();
    broadcastTimer->start(broadcastIntervalMs());
}
