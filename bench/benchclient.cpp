#include "benchclient.h"

#include "fileclient.h"
#include "simdevice.h"
#include "simdeviceconfig.h"
#include "simfleet.h"
#include "statusmessages.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <QTimer>

#include <cstdio>
#include <unistd.h>

namespace {
constexpr quint8 SetNameCommand = 0x06;
constexpr int LifetimeMs = 10 * 60 * 1000;
}

BenchClient::BenchClient(const ClientOptions &options, QObject *parent) : QObject(parent), m_options(options)
{
}

BenchClient::~BenchClient()
{
    qDeleteAll(m_devices);
}

void BenchClient::say(const QByteArray &line)
{
    fwrite(line.constData(), 1, size_t(line.size()), stdout);
    fputc('\n', stdout);
    fflush(stdout);
}

void BenchClient::start()
{
    if (SimFleet::resolveAllowed(m_options.host).isNull()) {
        say("refused " + m_options.host.toLatin1());
        QCoreApplication::exit(2);
        return;
    }
    m_stdin = new QSocketNotifier(STDIN_FILENO, QSocketNotifier::Read, this);
    connect(m_stdin, &QSocketNotifier::activated, this, &BenchClient::onStdin);
    QTimer::singleShot(LifetimeMs, qApp, [] { QCoreApplication::exit(1); });

    for (int i = 0; i < m_options.count; ++i) {
        auto *device = new SimDevice(SimDeviceConfig::numbered(m_options.firstIndex + i));
        connect(device, &SimDevice::registered, this, [this] {
            if (++m_registered == m_options.count)
                say("registered " + QByteArray::number(m_registered));
        });
        connect(device, &SimDevice::failed, this, [this, device](const QString &reason) {
            say("failed " + device->config().deviceName.toLatin1() + ": " + reason.toLatin1());
        });
        // Only the first command counts; frames are not kept, so a long
        // download does not pile up in memory.
        auto *counted = new bool(false);
        connect(device, &SimDevice::frameReceived, this, [this, device, counted](const ReceivedFrame &frame) {
            if (frame.type == SetNameCommand && !*counted) {
                *counted = true;
                if (++m_received == m_options.count)
                    say("received " + QByteArray::number(m_received));
            }
            device->clearReceived();
        });
        connect(device, &QObject::destroyed, [counted] { delete counted; });
        m_devices << device;
    }
    say("connecting");
    for (SimDevice *device : std::as_const(m_devices))
        device->connectToConsole(m_options.host, m_options.port);
}

void BenchClient::onStdin()
{
    char buffer[4096];
    const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
    if (n <= 0) {
        m_stdin->setEnabled(false);
        QCoreApplication::exit(0);
        return;
    }
    m_input.append(buffer, int(n));
    qsizetype end;
    while ((end = m_input.indexOf('\n')) >= 0) {
        const QByteArray line = m_input.left(end).trimmed();
        m_input.remove(0, end + 1);
        onCommand(line);
    }
}

void BenchClient::onCommand(const QByteArray &line)
{
    if (line == "status")
        sendStatus();
    else if (line.startsWith("download "))
        download(QString::fromLocal8Bit(line.mid(9)));
    else if (line.startsWith("ask ")) {
        const qsizetype space = line.lastIndexOf(' ');
        askWithoutReading(QString::fromLocal8Bit(line.mid(4, space - 4)), line.mid(space + 1).toInt());
    }
    else if (line == "disconnect")
        disconnectAll();
    else if (line == "quit")
        QCoreApplication::exit(0);
}

QByteArray BenchClient::statusBurst(int device, int messages)
{
    QByteArray burst;
    for (int k = 0; k < messages; ++k) {
        if (k == messages - 1)
            burst += StatusMessages::deviceName(QStringLiteral("done"));
        else if (k % 3 == 0)
            burst += StatusMessages::deviceName(QStringLiteral("sim-%1-%2").arg(device).arg(k));
        else if (k % 3 == 1)
            burst += StatusMessages::status(quint8(k % 4), QStringLiteral("Working on step %1").arg(k));
        else
            burst += StatusMessages::firmwareVersion(QStringLiteral("4.2.%1").arg(k));
    }
    return burst;
}

void BenchClient::sendStatus()
{
    int sent = 0;
    for (int i = 0; i < m_devices.size(); ++i)
        if (m_devices.at(i)->sendRaw(statusBurst(m_options.firstIndex + i, m_options.messages)) > 0)
            ++sent;
    say("sent " + QByteArray::number(sent));
}

void BenchClient::askWithoutReading(const QString &path, int chunks)
{
    int asked = 0;
    for (SimDevice *device : std::as_const(m_devices)) {
        QSslSocket *socket = device->socket();
        if (!socket)
            continue;
        // Nothing takes the answers out of the socket, whose small buffer
        // then leaves them to the network and the console.
        QObject::disconnect(socket, &QSslSocket::readyRead, device, nullptr);
        socket->setReadBufferSize(64);
        if (device->sendRaw(FileMessages::openRead(path) + FileMessages::readChunk(4092).repeated(chunks)) > 0)
            ++asked;
    }
    say("asked " + QByteArray::number(asked));
}

void BenchClient::disconnectAll()
{
    auto *left = new int(int(m_devices.size()));
    for (SimDevice *device : std::as_const(m_devices)) {
        connect(device, &SimDevice::disconnected, this, [this, left] {
            if (--*left == 0) {
                say("disconnected " + QByteArray::number(m_devices.size()));
                delete left;
            }
        }, Qt::SingleShotConnection);
        device->disconnectFromConsole();
    }
}

void BenchClient::download(const QString &path)
{
    auto *left = new int(int(m_devices.size()));
    auto *bytes = new qint64(0);
    auto *ok = new int(0);
    for (SimDevice *device : std::as_const(m_devices)) {
        auto *client = new FileClient(device, this);
        connect(client, &FileClient::finished, this, [this, client, left, bytes, ok](bool success) {
            *bytes += client->data().size();
            *ok += success ? 1 : 0;
            client->deleteLater();
            if (--*left == 0) {
                say("downloaded " + QByteArray::number(*bytes) + ' ' + QByteArray::number(*ok));
                delete left;
                delete bytes;
                delete ok;
            }
        });
        client->download(path);
    }
}
