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
// alive, logs every request, and answers the next ones wrongly on demand.
class HttpTestServer : public QObject
{
    Q_OBJECT
public:
    struct Request {
        QByteArray target;      // "/get?file=NAME"
        QByteArray userAgent;
        QByteArray range;       // empty when none was sent
    };
    enum class Kind {
        IgnoreRange,   // 200 with the whole file
        CloseAfter,    // announces the whole answer, sends `number` bytes of it, closes
        Status,        // status `number` with a short page
        Redirect,      // 302 to `location`, with `body`
        Unannounced,   // 200 with the whole file but no length, ended by closing
        Drip,          // announces the whole file, sends one byte every `number` ms
        Announce,      // announces a length of `number`, sends the answer's body, closes
        OtherPart,     // 206 with the file from byte `number` on, whatever was asked
        Cookies,       // 200 with the whole file and `number` cookies, each of a name not set before
        Encoded,       // 200 with the whole file, said to be gzip-compressed
        FirstPart,     // 206 with the file's first `number` bytes, whatever was asked
        Chunked,       // 200 or 206 in chunks without a length; `number` > 0: closes after that
                       // many bytes of the body, before the last chunk
        RangeSaying,   // 206 with the part asked for, its Content-Range header `location` (none when empty)
    };
    struct Fault {
        Fault(Kind kind, qint64 number = 0, const QByteArray &location = {}, const QByteArray &body = {})
            : kind(kind), number(number), location(location), body(body) {}
        Kind kind;
        qint64 number;
        QByteArray location;
        QByteArray body;
    };

    explicit HttpTestServer(const QString &directory, QObject *parent = nullptr);

    bool listen();
    quint16 port() const;
    // "http://127.0.0.1:PORT/get?file="
    QString base() const;
    // The fault answers the next `times` requests, after the faults added before.
    void addFault(const Fault &fault, int times = 1);

    QList<Request> requests;

private:
    void onReadyRead(QTcpSocket *socket);
    void answer(QTcpSocket *socket, const Request &request);

    QString m_directory;
    QTcpServer *m_server = nullptr;
    QQueue<QPair<Fault, int>> m_faults;
    QHash<QTcpSocket *, QByteArray> m_buffers;
    int m_cookiesSet = 0;
};

#endif // HTTPTESTSERVER_H
