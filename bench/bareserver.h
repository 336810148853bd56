#ifndef BARESERVER_H
#define BARESERVER_H

#include <QByteArray>
#include <QHash>
#include <QSslConfiguration>
#include <QTcpServer>

class QFile;
class QSslSocket;

// The baseline of the benchmarks: the least a TLS server must do to serve
// the same devices. It accepts, does the TLS handshake with the console's
// certificate, answers the handshake line with its digest and the date
// frame, cuts frames by their header and counts them. It answers file
// requests (9, 11, 10) from the named file with the same 4,092-byte chunks,
// and checks nothing: no pass phrase, no paths, no records, no rows.
class BareServer : public QTcpServer
{
    Q_OBJECT
public:
    explicit BareServer(QObject *parent = nullptr);
    ~BareServer() override;
    bool start();

    QList<QSslSocket *> sockets() const { return m_connections.keys(); }
    int registrations() const { return m_registrations; }
    qint64 framesReceived() const { return m_frames; }

signals:
    void registered(int count);

protected:
    void incomingConnection(qintptr descriptor) override;

private:
    struct Connection {
        QByteArray buffer;
        bool passed = false;
        QFile *file = nullptr;
    };
    void onReadyRead(QSslSocket *socket);
    void onFrame(QSslSocket *socket, Connection *c, const char *frame, int size);
    void drop(QSslSocket *socket);

    QSslConfiguration m_tls;
    QHash<QSslSocket *, Connection *> m_connections;
    int m_registrations = 0;
    qint64 m_frames = 0;
};

#endif // BARESERVER_H
