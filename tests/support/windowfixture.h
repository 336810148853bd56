#ifndef WINDOWFIXTURE_H
#define WINDOWFIXTURE_H

#include "mainwindow/mainwindow.h"

#include <QNetworkAddressEntry>
#include <QSettings>

// Start-up of the main window under test: the test's own settings store,
// no pause, the TLS server on loopback, and the namespace's two addresses.
namespace WindowFixture {
// Stops the test unless it runs inside the private network namespace, so
// that no discovery datagram can reach a real network.
void requireNamespace();

// The store of the test (isolated per test by the runner).
QSettings *newSettings();
// Writes what a saved preferences dialog leaves: the six directories (made
// under the test's temporary directory) and the ports.
void seedPreferences(QSettings *settings, int sslPort, int udpPort, int frequency = 5);

QNetworkAddressEntry addressEntry(const QString &ip, int prefixLength, const QString &broadcast);
// kv0 and kv1 of scripts/netns.sh.
QList<QNetworkAddressEntry> namespaceAddresses();

// An environment for a window; the window takes over `settings`.
MainWindowEnvironment environment(QSettings *settings);

// A port nobody listens on at the moment (TCP or UDP, asked of the system).
quint16 freeTcpPort();
quint16 freeUdpPort();
}

#endif // WINDOWFIXTURE_H
