#ifndef HTTPTESTSERVER_H
#define HTTPTESTSERVER_H

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QObject>
#include <QQueue>
#include <QString>

class QTcpServer;
class QTcpSocket;

// An HTTP/1.1 server on 127.0.0.1 for the update tests. It serves the files
// of a directory as ".../get?file=NAME" (any path ending in "/get"), honours
// "Range: bytes=N-" (206, or 416 when N is the size), keeps connections
// alive, and on demand answers the next requests wrongly.
class HttpTestServer : public QObject
{
    Q_OBJECT
public:
    struct Request {
        QByteArray target;      // "/get?file=NAME"
        QByteArray userAgent;
        QByteArray range;       // empty when none was sent
    };

    explicit HttpTestServer(const QString &directory, QObject *parent = nullptr);
    ~HttpTestServer() override;

    bool listen();
    quint16 port() const;
    // "http://127.0.0.1:PORT/get?file="
    QString base() const;
    QString url(const QByteArray &path) const;

    // Each fault answers the next `times` requests, in the order given.
    void ignoreRange(int times = 1);                 // 200 with the whole file
    void closeAfter(qint64 bytes, int times = 1);    // announces the whole file, sends `bytes`, closes
    void answerEmpty(int times = 1);                 // 200 with no body
    void answerStatus(int code, int times = 1);      // that status with a short page
    void redirectTo(const QByteArray &location, const QByteArray &body = QByteArray(), int times = 1);

    QList<Request> requests;

private:
    enum class Kind { Serve, IgnoreRange, CloseAfter, Empty, Status, Redirect };
    struct Fault {
        Kind kind;
        qint64 number = 0;
        QByteArray text;
        int times = 1;
    };

    void addFault(const Fault &fault);
    void onReadyRead(QTcpSocket *socket);
    void answer(QTcpSocket *socket, const Request &request);

    QString m_directory;
    QTcpServer *m_server = nullptr;
    QQueue<Fault> m_faults;
    QHash<QTcpSocket *, QByteArray> m_buffers;
};

#endif // HTTPTESTSERVER_H
