// The discovery broadcast: one datagram per local address, repeated while
// discovery is switched on.
#include "mainwindow.h"
#include "ui_mainwindow.h"

#include "prompter.h"

#include "devicelink/discovery.h"
#include "devicelink/sslserver.h"

#include <QSettings>
#include <QTimer>
#include <QUdpSocket>

#include <limits>

void MainWindow::onBroadcastTimerFired()
{
    discoveryDatagram.clear();
    // A server that could take no port names none: the port the preferences
    // give is another program's then, maybe another user's console, and the
    // digest would vouch for it as this console. The devices would hand it
    // their registration and take its files. Discovery stays switched on and
    // names the server's port once the preferences give it one it can take.
    if (!sslServer || !sslServer->isListening())
        return;
    for (const QNetworkAddressEntry &entry : std::as_const(localAddresses)) {
        // Read afresh for every datagram: a changed port applies at once.
        discoveryDatagram = Discovery::datagram(entry.ip().toString(), announcedSslPort());
        const QHostAddress broadcast(entry.broadcast().toString());
        // An entry without a broadcast address, or without a route, is
        // dropped here; the other addresses are still served.
        udpSocket->writeDatagram(discoveryDatagram, broadcast, udpPort());
    }
}

void MainWindow::sendDiscoveryNow()
{
    onBroadcastTimerFired();
}

quint16 MainWindow::portSetting(const QVariant &stored, quint16 fallback)
{
    // Cut to 16 bits, 70000 or -1 would name some other port, and 0 would
    // make the server listen wherever the system puts it while the datagram
    // announces 0: devices would never find the console.
    bool ok = false;
    const int port = stored.toString().trimmed().toInt(&ok, 10);
    return ok && port >= 1 && port <= 65535 ? quint16(port) : fallback;
}

quint16 MainWindow::sslPort() const
{
    return portSetting(settings->value(QStringLiteral("SSLPort")), DefaultSslPort);
}

quint16 MainWindow::announcedSslPort() const
{
    // Devices are sent where they can connect: the preferences may name a
    // port the server could not take.
    return sslServer && sslServer->isListening() ? sslServer->serverPort() : sslPort();
}

void MainWindow::followSslPort()
{
    // The datagrams name a changed port from the next one on; a server left
    // on the old one would turn away every device that came to it. Devices
    // already connected stay. A port that cannot be taken leaves the server
    // where it was, and the administrator is told.
    if (!sslServer || (sslServer->isListening() && sslServer->serverPort() == sslPort()))
        return;
    const quint16 old = sslServer->isListening() ? sslServer->serverPort() : 0;
    sslServer->close();
    if (listenForDevices())
        return;
    const QString reason = sslServer->errorString();
    if (old)
        sslServer->listen(deviceListenAddress, old);
    warnNotListening(sslPort(), reason);
}

void MainWindow::warnNotListening(quint16 port, const QString &reason)
{
    // Devices sent to a port nobody listens on never appear, and nothing
    // else would say why.
    prompter()->warning(this, tr("SSL port"),
                        tr("\nKorvane cannot accept devices on SSL port %1:\n\n%2\n\n"
                           "Choose another SSL port in the preferences.")
                            .arg(port)
                            .arg(reason),
                        QMessageBox::Ok);
}

quint16 MainWindow::udpPort() const
{
    return portSetting(settings->value(QStringLiteral("UDPPort")), DefaultUdpPort);
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
