// The discovery broadcast as a device on the namespace's network receives it.
#include "mainwindow/mainwindow.h"
#include "ui_mainwindow.h"
#include "scriptedprompter.h"
#include "windowfixture.h"

#include "devicelink/discovery.h"
#include "devicelink/sslserver.h"

#include <QCryptographicHash>
#include <QNetworkDatagram>
#include <QSslSocket>
#include <QTcpServer>
#include <QTcpSocket>
#include <QSettings>
#include <QTest>
#include <QTimer>
#include <QUdpSocket>

#include <climits>

using namespace WindowFixture;

// Waits until `count` datagrams are in, or until timeoutMs has passed. It
// returns as soon as they are in, so the limit only bounds a failing run and
// is generous: a busy machine may hand a datagram over late.
static QList<QNetworkDatagram> receive(QUdpSocket &socket, int count, int timeoutMs = 30000)
{
    QList<QNetworkDatagram> out;
    QElapsedTimer clock;
    clock.start();
    while (out.size() < count && clock.elapsed() < timeoutMs) {
        while (socket.hasPendingDatagrams())
            out << socket.receiveDatagram();
        if (out.size() < count)
            QTest::qWait(20);
    }
    return out;
}

// What a device expects from the console at ip with TLS port port.
static QByteArray expectedDatagram(const QByteArray &ip, int port)
{
    const QByteArray portText = QByteArray::number(port);
    const QByteArray digest =
        QCryptographicHash::hash(ip + portText + Discovery::salt().toLatin1(), QCryptographicHash::Md5).toHex();
    return ip + " :: " + portText + " :: " + digest + " :: ";
}

static QStringList payloads(const QList<QNetworkDatagram> &datagrams)
{
    QStringList out;
    for (const QNetworkDatagram &d : datagrams)
        out << QString::fromLatin1(d.data());
    out.sort();
    return out;
}

class TestDiscovery : public QObject
{
    Q_OBJECT

    QUdpSocket device;
    quint16 udpPort = 0;
    quint16 sslPort = 0;

    QSettings *seededStore(int frequency = 5)
    {
        QSettings *store = newSettings();
        seedPreferences(store, sslPort, udpPort, frequency);
        return store;
    }

private slots:
    void init()
    {
        QSettings(QStringLiteral("Halvard"), QStringLiteral("korvane_server")).clear();
        device.close();
        QVERIFY(device.bind(QHostAddress::AnyIPv4, 0));
        udpPort = device.localPort();
        sslPort = freeTcpPort();
    }

    // A device takes only a port that fits in 16 bits, even under a good digest.
    void parsePort_data()
    {
        QTest::addColumn<QByteArray>("datagram");
        QTest::addColumn<int>("port");   // -1: refused
        QTest::newRow("lowest") << Discovery::datagram(QStringLiteral("10.77.0.1"), 0) << 0;
        QTest::newRow("highest") << Discovery::datagram(QStringLiteral("10.77.0.1"), 65535) << 65535;
        QTest::newRow("one past the highest") << Discovery::datagram(QStringLiteral("10.77.0.1"), 65536) << -1;
        QTest::newRow("negative") << Discovery::datagram(QStringLiteral("10.77.0.1"), -1) << -1;
        // What a device refuses whatever the port.
        const QByteArray good = Discovery::datagram(QStringLiteral("10.77.0.1"), 5808);
        QByteArray tampered = good;
        tampered[tampered.size() - 5] = tampered.at(tampered.size() - 5) == 'a' ? 'b' : 'a';
        QTest::newRow("digest not matching") << tampered << -1;
        QTest::newRow("other ending") << good.chopped(4) + "!!!!" << -1;
        QTest::newRow("name for an address") << Discovery::datagram(QStringLiteral("console.local"), 5808) << -1;
    }

    // The device agent holds the same salt; a console whose salt differs by a
    // character is found by none of them.
    void datagramAsDevicesCheckIt()
    {
        QCOMPARE(Discovery::datagram(QStringLiteral("192.168.1.20"), 5808),
                 QByteArray("192.168.1.20 :: 5808 :: f8ba078458b56dcaaf29fe3015617a7f :: "));
    }

    void parsePort()
    {
        QFETCH(QByteArray, datagram);
        QFETCH(int, port);
        Discovery::Announcement a;
        QCOMPARE(Discovery::parse(datagram, &a), port >= 0);
        if (port >= 0)
            QCOMPARE(a.port, port);
    }

    // A hand-edited or damaged store: the port the server listens on is the
    // one announced, and the datagram goes where devices listen.
    void storedPorts_data()
    {
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<int>("port");
        QTest::newRow("number") << QVariant(6001) << 6001;
        QTest::newRow("text of a number") << QVariant(QStringLiteral(" 6002 ")) << 6002;
        QTest::newRow("highest") << QVariant(QStringLiteral("65535")) << 65535;
        QTest::newRow("past 16 bits") << QVariant(QStringLiteral("70000")) << 0;
        QTest::newRow("negative") << QVariant(-1) << 0;
        QTest::newRow("zero") << QVariant(0) << 0;
        QTest::newRow("text") << QVariant(QStringLiteral("abc")) << 0;
        QTest::newRow("empty") << QVariant(QString()) << 0;
        QTest::newRow("absent") << QVariant() << 0;
    }

    void storedPorts()
    {
        QFETCH(QVariant, stored);
        QFETCH(int, port);
        QCOMPARE(int(MainWindow::portSetting(stored, 1234)), port ? port : 1234);
    }

    void damagedPortsFallBackToTheDefaults_data()
    {
        QTest::addColumn<QVariant>("stored");
        QTest::newRow("past 16 bits") << QVariant(QStringLiteral("70000"));
        QTest::newRow("negative") << QVariant(QStringLiteral("-1"));
        QTest::newRow("zero") << QVariant(QStringLiteral("0"));
        QTest::newRow("text") << QVariant(QStringLiteral("abc"));
    }

    void damagedPortsFallBackToTheDefaults()
    {
        QFETCH(QVariant, stored);
        QUdpSocket listener;
        QVERIFY(listener.bind(QHostAddress::AnyIPv4, MainWindow::DefaultUdpPort));
        QSettings *store = seededStore();
        store->setValue(QStringLiteral("SSLPort"), stored);
        store->setValue(QStringLiteral("UDPPort"), stored);
        ScriptedPrompter prompter;
        MainWindow w(nullptr, environment(store));
        QVERIFY(w.sslServer->isListening());
        QCOMPARE(w.sslServer->serverPort(), MainWindow::DefaultSslPort);
        const QList<QNetworkDatagram> got = receive(listener, 2);
        QCOMPARE(payloads(got),
                 (QStringList{QString::fromLatin1(expectedDatagram("10.77.0.1", MainWindow::DefaultSslPort)),
                              QString::fromLatin1(expectedDatagram("10.77.0.2", MainWindow::DefaultSslPort))}));
    }

    void oneDatagramPerAddressAtStart()
    {
        ScriptedPrompter prompter;
        // A period of a minute: however slow the machine, the timer does not
        // fire again while this test looks.
        MainWindow w(nullptr, environment(seededStore(60)));
        const QList<QNetworkDatagram> got = receive(device, 2);
        QCOMPARE(payloads(got), (QStringList{QString::fromLatin1(expectedDatagram("10.77.0.1", sslPort)),
                                             QString::fromLatin1(expectedDatagram("10.77.0.2", sslPort))}));
        // What the simulated devices read back.
        for (const QNetworkDatagram &d : got) {
            Discovery::Announcement a;
            QVERIFY(Discovery::parse(d.data(), &a));
            QCOMPARE(a.port, int(sslPort));
        }
        // Nothing more until the period is up.
        QTest::qWait(300);
        QVERIFY(!device.hasPendingDatagrams());
    }

    void switchingOffAndOn()
    {
        ScriptedPrompter prompter;
        MainWindow w(nullptr, environment(seededStore(1)));
        QCOMPARE(receive(device, 4).size(), 4);   // at once, and again a period later

        w.ui->btnUdpBroadcast->trigger();
        QVERIFY(!w.ui->btnUdpBroadcast->isChecked());
        QVERIFY(!w.broadcastTimer->isActive());
        QCOMPARE(w.settings->value(QStringLiteral("discoveryState")).toBool(), false);
        // The port is read for every datagram: whatever reaches this socket
        // was sent after the switch, while what was still under way before
        // it lands on the first one. Two periods of silence; a datagram later
        // than that could only let a faulty timer pass, never fail a good one.
        QUdpSocket after;
        QVERIFY(after.bind(QHostAddress::AnyIPv4, 0));
        w.settings->setValue(QStringLiteral("UDPPort"), after.localPort());
        QTest::qWait(2500);
        QVERIFY(!after.hasPendingDatagrams());

        // The period is read again when discovery is switched on; with one
        // of a minute, whatever arrives now was sent at once.
        w.settings->setValue(QStringLiteral("UDPFrequency"), 60);
        w.ui->btnUdpBroadcast->trigger();
        QVERIFY(w.ui->btnUdpBroadcast->isChecked());
        QCOMPARE(w.settings->value(QStringLiteral("discoveryState")).toBool(), true);
        QCOMPARE(w.broadcastTimer->interval(), 60000);
        QCOMPARE(receive(after, 2).size(), 2);
    }

    void period_data()
    {
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<int>("intervalMs");
        QTest::newRow("seconds") << QVariant(3) << 3000;
        QTest::newRow("text of a number") << QVariant(QStringLiteral("12")) << 12000;
        QTest::newRow("negative") << QVariant(-4) << 5000;
        QTest::newRow("not a number") << QVariant(QStringLiteral("abc")) << 5000;
        // Longer than a timer can wait: the longest it can.
        QTest::newRow("beyond a timer") << QVariant(3000000) << INT_MAX;
        QTest::newRow("largest number") << QVariant(INT_MAX) << INT_MAX;
    }

    void period()
    {
        QFETCH(QVariant, stored);
        QFETCH(int, intervalMs);
        QSettings *store = seededStore();
        store->setValue(QStringLiteral("UDPFrequency"), stored);
        ScriptedPrompter prompter;
        MainWindow w(nullptr, environment(store));
        QCOMPARE(w.broadcastTimer->interval(), intervalMs);
    }

    void portsReadAfreshForEveryDatagram()
    {
        ScriptedPrompter prompter;
        // With a minute's period only the call below sends after the start.
        MainWindow w(nullptr, environment(seededStore(60)));
        QCOMPARE(receive(device, 2).size(), 2);

        QUdpSocket other;
        QVERIFY(other.bind(QHostAddress::AnyIPv4, 0));
        w.settings->setValue(QStringLiteral("UDPPort"), other.localPort());
        // A changed TLS port moves the server as the preferences do.
        const quint16 ssl = freeTcpPort();
        w.settings->setValue(QStringLiteral("SSLPort"), ssl);
        w.followSslPort();
        w.onBroadcastTimerFired();
        QCOMPARE(payloads(receive(other, 2)), (QStringList{QString::fromLatin1(expectedDatagram("10.77.0.1", ssl)),
                                                           QString::fromLatin1(expectedDatagram("10.77.0.2", ssl))}));
        QVERIFY(!device.hasPendingDatagrams());
    }

    // Another program (another user's console) holds the TLS port: the
    // digest must not vouch for it as this console. Once the server has a
    // port, that one is named; what arrives first was sent first.
    void nothingAnnouncedWhileListeningNowhere()
    {
        QTcpServer holder;
        QVERIFY(holder.listen(QHostAddress::Any, sslPort));
        ScriptedPrompter prompter;
        MainWindow w(nullptr, environment(seededStore(60)));
        QVERIFY(!w.sslServer->isListening());
        const quint16 free = freeTcpPort();
        w.settings->setValue(QStringLiteral("SSLPort"), free);
        w.followSslPort();
        w.onBroadcastTimerFired();
        QCOMPARE(payloads(receive(device, 2)), (QStringList{QString::fromLatin1(expectedDatagram("10.77.0.1", free)),
                                                            QString::fromLatin1(expectedDatagram("10.77.0.2", free))}));
    }

    // With the console's own listen address, a device on either network
    // reaches the console at the address its datagram named.
    void devicesReachEveryAnnouncedAddress()
    {
        ScriptedPrompter prompter;
        MainWindowEnvironment env = environment(seededStore(60));
        env.listenAddress = MainWindowEnvironment().listenAddress;
        MainWindow w(nullptr, env);
        const QList<QNetworkDatagram> got = receive(device, 2);
        QCOMPARE(got.size(), 2);
        QList<QTcpSocket *> connections;
        for (const QNetworkDatagram &d : got) {
            Discovery::Announcement a;
            QVERIFY(Discovery::parse(d.data(), &a));
            auto *s = new QTcpSocket(this);
            connections << s;
            s->connectToHost(a.ip, quint16(a.port));
            QVERIFY2(s->waitForConnected(10000), qPrintable(a.ip));
        }
        QTRY_COMPARE_WITH_TIMEOUT(w.sslServer->findChildren<QSslSocket *>().size(), 2, 10000);
        qDeleteAll(connections);
    }

    // An address the datagram cannot reach is passed over without a word,
    // pass after pass, and the addresses after it are still served.
    void addressWithoutBroadcastIsSkipped_data()
    {
        QTest::addColumn<QNetworkAddressEntry>("unserved");
        QTest::newRow("no broadcast address") << addressEntry(QStringLiteral("10.77.0.1"), 24, QString());
        // The namespace has no route there: the send itself fails.
        QTest::newRow("no route to the network")
            << addressEntry(QStringLiteral("10.99.0.1"), 24, QStringLiteral("10.99.0.255"));
    }

    void addressWithoutBroadcastIsSkipped()
    {
        QFETCH(QNetworkAddressEntry, unserved);
        ScriptedPrompter prompter;
        MainWindowEnvironment env = environment(seededStore(60));
        env.addresses = QList<QNetworkAddressEntry>{
            unserved, addressEntry(QStringLiteral("10.77.0.2"), 24, QStringLiteral("10.77.0.255"))};
        MainWindow w(nullptr, env);
        const QStringList served{QString::fromLatin1(expectedDatagram("10.77.0.2", sslPort))};
        QCOMPARE(payloads(receive(device, 1)), served);
        w.onBroadcastTimerFired();
        QCOMPARE(payloads(receive(device, 1)), served);
        // A stray datagram for the skipped address would be sent in the same
        // pass; one that came later than this could only hide a fault.
        QTest::qWait(300);
        QVERIFY(!device.hasPendingDatagrams());
        QVERIFY(prompter.calls.isEmpty());
    }
};

QTEST_MAIN(TestDiscovery)
#include "tst_discovery.moc"
