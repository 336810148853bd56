#ifndef BENCHCLIENT_H
#define BENCHCLIENT_H

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>

class QSocketNotifier;
class SimDevice;

struct ClientOptions {
    QString host = QStringLiteral("127.0.0.1");
    quint16 port = 0;
    int count = 1;
    int firstIndex = 0;
    int messages = 100;   // status messages per device
};

// The devices' side of a benchmark, in a process of its own so that the
// server process measures only itself. Simulated devices connect, pass the
// handshake and register; then the server process steers them through
// lines on standard input, and they answer on standard output:
//   "connecting"            written just before the devices connect
//   "registered N"          every registration frame was written
//   "received N"            every device got a frame of type 6 (the fan-out command)
//   "status"   -> "sent N"  each device wrote its status messages
//   "download PATH" -> "downloaded BYTES OK"  each device fetched PATH (9/11/10)
//   "ask PATH N" -> "asked N"  each device stopped reading, then asked for N
//                           chunks of PATH at once (9, N x 11)
//   "disconnect" -> "disconnected N"  each device closed its connection
// The process ends when its standard input closes, or after ten minutes.
class BenchClient : public QObject
{
    Q_OBJECT
public:
    explicit BenchClient(const ClientOptions &options, QObject *parent = nullptr);
    ~BenchClient() override;
    void start();

    // Status messages of one device: names, texts and versions in turn; the
    // last one names the device "done", which the server looks for.
    static QByteArray statusBurst(int device, int messages);

private:
    void say(const QByteArray &line);
    void onCommand(const QByteArray &line);
    void onStdin();
    void sendStatus();
    void download(const QString &path);
    void askWithoutReading(const QString &path, int chunks);
    void disconnectAll();

    ClientOptions m_options;
    QList<SimDevice *> m_devices;
    QSocketNotifier *m_stdin = nullptr;
    QByteArray m_input;
    int m_registered = 0;
    int m_received = 0;
};

#endif // BENCHCLIENT_H
