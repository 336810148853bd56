// korvane-sim: starts simulated devices against a console on loopback or in
// the test namespace, and runs until stopped or for a given time.
#include "accessprotocolagent.h"
#include "deviceagent.h"
#include "keyboardresponder.h"
#include "signageagent.h"
#include "simdevice.h"
#include "simfleet.h"
#include "storageagent.h"
#include "timezoneresponder.h"
#include "usbresponder.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QSocketNotifier>
#include <QTextStream>
#include <QTimer>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

static int signalPipe[2] = {-1, -1};

static void onSignal(int)
{
    const char c = 1;
    [[maybe_unused]] const ssize_t n = ::write(signalPipe[1], &c, 1);
}

// SIGINT and SIGTERM end the event loop, so the run ends with its summary.
static void stopOnSignals(QCoreApplication *app)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, signalPipe) != 0)
        return;
    auto *notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, app);
    QObject::connect(notifier, &QSocketNotifier::activated, app, [] { QCoreApplication::exit(0); });
    std::signal(SIGINT, onSignal);
    std::signal(SIGTERM, onSignal);
}

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("korvane-sim"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Simulated Korvane devices (loopback and test namespace only)"));
    parser.addHelpOption();
    const QCommandLineOption hostOpt(QStringLiteral("host"), QStringLiteral("Console address."), QStringLiteral("address"),
                                     QStringLiteral("127.0.0.1"));
    const QCommandLineOption portOpt(QStringLiteral("port"), QStringLiteral("Console TLS port."), QStringLiteral("port"),
                                     QStringLiteral("5808"));
    const QCommandLineOption countOpt(QStringLiteral("count"), QStringLiteral("Number of devices."), QStringLiteral("n"),
                                      QStringLiteral("1"));
    const QCommandLineOption versionOpt(QStringLiteral("registration"),
                                        QStringLiteral("Registration version: mixed, 1 or 2."),
                                        QStringLiteral("version"), QStringLiteral("mixed"));
    const QCommandLineOption firstOpt(QStringLiteral("first-index"), QStringLiteral("Number of the first device."),
                                      QStringLiteral("n"), QStringLiteral("0"));
    const QCommandLineOption discoverOpt(QStringLiteral("discover"),
                                         QStringLiteral("Wait for the console's discovery datagram."));
    const QCommandLineOption udpPortOpt(QStringLiteral("udp-port"), QStringLiteral("Discovery UDP port."),
                                        QStringLiteral("port"), QStringLiteral("7909"));
    const QCommandLineOption bindOpt(QStringLiteral("bind"),
                                     QStringLiteral("Address to receive discovery datagrams on (loopback, 10.77.0.x, "
                                                    "10.77.0.255 or 0.0.0.0 inside the test namespace)."),
                                     QStringLiteral("address"), QStringLiteral("127.0.0.1"));
    const QCommandLineOption durationOpt(QStringLiteral("duration"),
                                         QStringLiteral("Stop after this many seconds (0: run until stopped)."),
                                         QStringLiteral("seconds"), QStringLiteral("0"));
    const QCommandLineOption reconnectOpt(QStringLiteral("reconnect-ms"),
                                          QStringLiteral("Reconnect a dropped device after this long (0: never)."),
                                          QStringLiteral("ms"), QStringLiteral("0"));
    const QCommandLineOption agentsOpt(QStringLiteral("agents"),
                                       QStringLiteral("Answer storage scans and signage syncs through file transfer, "
                                                      "USB list requests, keyboard and time-zone settings and "
                                                      "access-protocol help requests."));
    parser.addOptions({hostOpt, portOpt, countOpt, versionOpt, firstOpt, discoverOpt, udpPortOpt, bindOpt, durationOpt,
                       reconnectOpt, agentsOpt});
    parser.process(app);

    QTextStream out(stdout);
    QTextStream err(stderr);

    int durationMs = 0;
    if (!SimFleet::durationMs(parser.value(durationOpt), &durationMs)) {
        err << "korvane-sim: --duration takes whole seconds from 0 to " << SimFleet::MaxDurationSeconds << Qt::endl;
        return 2;
    }

    SimFleetOptions options;
    options.count = qBound(1, parser.value(countOpt).toInt(), 10000);
    const QString version = parser.value(versionOpt);
    options.version = version == QLatin1String("1") ? 1 : version == QLatin1String("2") ? 2 : 0;
    options.firstIndex = qMax(0, parser.value(firstOpt).toInt());
    options.reconnectMs = qMax(0, parser.value(reconnectOpt).toInt());
    SimFleet fleet(options);
    QObject::connect(&fleet, &SimFleet::message, &app, [&err](const QString &line) {
        err << "korvane-sim: " << line << Qt::endl;
    });
    QObject::connect(&fleet, &SimFleet::allRegistered, &app, [&out, &fleet] {
        out << "korvane-sim: " << fleet.devices().size() << " devices registered" << Qt::endl;
    });

    if (parser.isSet(agentsOpt)) {
        for (SimDevice *device : fleet.devices()) {
            auto *agent = new DeviceAgent(device);
            new UsbResponder(device);
            new KeyboardResponder(device);
            new AccessProtocolAgent(device);
            new TimezoneResponder(device);
            const QString name = device->config().deviceName;
            QObject::connect(agent->storage(), &StorageAgent::listUploaded, &app, [&out, name](bool ok) {
                out << "korvane-sim: " << name << (ok ? ": block-device list uploaded" : ": block-device list refused")
                    << Qt::endl;
            });
            QObject::connect(agent->storage(), &StorageAgent::whiteListReceived, &app,
                             [&out, name](const QByteArray &payload) {
                                 out << "korvane-sim: " << name << ": white list of " << payload.size() << " bytes"
                                     << Qt::endl;
                             });
            SignageAgent *signage = agent->signage();
            QObject::connect(signage, &SignageAgent::syncFinished, &app, [&out, name, signage](bool ok) {
                out << "korvane-sim: " << name << ": signage sync " << (ok ? "done" : "failed") << ", "
                    << signage->content().size() << " files held" << Qt::endl;
            });
        }
    }

    QString error;
    const bool ok = parser.isSet(discoverOpt)
                        ? fleet.listenForDiscovery(QHostAddress(parser.value(bindOpt)),
                                                   quint16(parser.value(udpPortOpt).toUInt()), &error)
                        : fleet.start(parser.value(hostOpt), quint16(parser.value(portOpt).toUInt()), &error);
    if (!ok) {
        err << "korvane-sim: " << error << Qt::endl;
        return 2;
    }
    if (parser.isSet(discoverOpt))
        out << "korvane-sim: waiting for discovery on port " << parser.value(udpPortOpt) << Qt::endl;

    if (durationMs > 0)
        QTimer::singleShot(durationMs, &app, [] { QCoreApplication::exit(0); });
    stopOnSignals(&app);
    app.exec();

    const int registered = fleet.registeredCount();
    out << "korvane-sim: " << registered << " of " << fleet.devices().size() << " devices registered" << Qt::endl;
    return registered == fleet.devices().size() ? 0 : 1;
}
