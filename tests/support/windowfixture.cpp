#include "windowfixture.h"

#include <QDir>
#include <QTcpServer>
#include <QTest>
#include <QUdpSocket>

void WindowFixture::requireNamespace()
{
    if (qgetenv("KORVANE_IN_NETNS") != "1")
        qFatal("this test sends discovery datagrams: run it through scripts/test.sh");
}

QSettings *WindowFixture::newSettings()
{
    return new QSettings(QStringLiteral("Halvard"), QStringLiteral("korvane_server"));
}

void WindowFixture::seedPreferences(QSettings *settings, int sslPort, int udpPort, int frequency)
{
    const QString work = QDir::tempPath() + QStringLiteral("/korvane");
    settings->setValue(QStringLiteral("zorWorkingDir"), work);
    const char *const dirs[][2] = {{"firmwareImageDir", "firmware"}, {"appImageDir", "korvaneclient"},
                                   {"hotfixDir", "hotfix"},          {"tempDir", "temp"},
                                   {"profileDir", "profiles"}};
    for (const auto &d : dirs) {
        const QString path = work + QLatin1Char('/') + QLatin1String(d[1]);
        QDir().mkpath(path);
        settings->setValue(QLatin1String(d[0]), path);
    }
    settings->setValue(QStringLiteral("SSLPort"), sslPort);
    settings->setValue(QStringLiteral("UDPPort"), udpPort);
    settings->setValue(QStringLiteral("UDPFrequency"), frequency);
}

QNetworkAddressEntry WindowFixture::addressEntry(const QString &ip, int prefixLength, const QString &broadcast)
{
    QNetworkAddressEntry entry;
    entry.setIp(QHostAddress(ip));
    entry.setPrefixLength(prefixLength);
    if (!broadcast.isEmpty())
        entry.setBroadcast(QHostAddress(broadcast));
    return entry;
}

QList<QNetworkAddressEntry> WindowFixture::namespaceAddresses()
{
    return {addressEntry(QStringLiteral("10.77.0.1"), 24, QStringLiteral("10.77.0.255")),
            addressEntry(QStringLiteral("10.77.0.2"), 24, QStringLiteral("10.77.0.255"))};
}

MainWindowEnvironment WindowFixture::environment(QSettings *settings)
{
    requireNamespace();
    MainWindowEnvironment env;
    env.settings = settings;
    env.addresses = namespaceAddresses();
    env.startupPauseMs = 0;
    env.listenAddress = QHostAddress::LocalHost;
    return env;
}

quint16 WindowFixture::freeTcpPort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::Any, 0);
    return probe.serverPort();
}

quint16 WindowFixture::freeUdpPort()
{
    QUdpSocket probe;
    probe.bind(QHostAddress::AnyIPv4, 0);
    return probe.localPort();
}
