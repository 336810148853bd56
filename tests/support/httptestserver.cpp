#include "httptestserver.h"

#include <QFile>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QUrlQuery>
#include <optional>

namespace {

// announced: the Content-Length to claim; -1: the body's own.
QByteArray response(int code, const QByteArray &headers, const QByteArray &body, qint64 announced = -1)
{
    return "HTTP/1.1 " + QByteArray::number(code) + " X\r\n" + headers + "Content-Length: "
           + QByteArray::number(announced < 0 ? body.size() : announced) + "\r\n\r\n" + body;
}

} // namespace

HttpTestServer::HttpTestServer(const QString &directory, QObject *parent)
    : QObject(parent), m_directory(directory), m_server(new QTcpServer(this))
{
    connect(m_server, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket *socket = m_server->nextPendingConnection()) {
            connect(socket, &QTcpSocket::readyRead, this, [this, socket] { onReadyRead(socket); });
            connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
                m_buffers.remove(socket);
                socket->deleteLater();
            });
        }
    });
}

bool HttpTestServer::listen()
{
    return m_server->listen(QHostAddress::LocalHost, 0);
}

quint16 HttpTestServer::port() const
{
    return m_server->serverPort();
}

QString HttpTestServer::base() const
{
    return QStringLiteral("http://127.0.0.1:%1/get?file=").arg(port());
}

void HttpTestServer::addFault(const Fault &fault, int times)
{
    if (times > 0)
        m_faults.enqueue({fault, times});
}

void HttpTestServer::onReadyRead(QTcpSocket *socket)
{
    QByteArray &buffer = m_buffers[socket];
    buffer += socket->readAll();
    int end;
    while ((end = buffer.indexOf("\r\n\r\n")) >= 0) {
        const QList<QByteArray> lines = buffer.left(end).split('\n');
        buffer.remove(0, end + 4);
        Request request;
        request.target = lines.value(0).split(' ').value(1);
        for (const QByteArray &line : lines.mid(1)) {
            const int colon = line.indexOf(':');
            const QByteArray name = line.left(colon).trimmed().toLower();
            if (name == "user-agent")
                request.userAgent = line.mid(colon + 1).trimmed();
            else if (name == "range")
                request.range = line.mid(colon + 1).trimmed();
        }
        requests.append(request);
        answer(socket, request);
    }
}

void HttpTestServer::answer(QTcpSocket *socket, const Request &request)
{
    std::optional<Fault> fault;
    if (!m_faults.isEmpty()) {
        fault = m_faults.head().first;
        if (--m_faults.head().second == 0)
            m_faults.dequeue();
    }
    const Kind kind = fault ? fault->kind : Kind::IgnoreRange;
    if (fault && kind == Kind::Status) {
        socket->write(response(int(fault->number), {}, "<html>no</html>"));
        return;
    }
    if (fault && kind == Kind::Redirect) {
        socket->write(response(302, "Location: " + fault->location + "\r\n", fault->body));
        return;
    }

    const QUrl url(QString::fromLatin1(request.target));
    const QString name = QUrlQuery(url).queryItemValue(QStringLiteral("file"), QUrl::FullyDecoded);
    QFile file(m_directory + QLatin1Char('/') + name);
    if (!url.path().endsWith(QLatin1String("/get")) || name.isEmpty() || name.contains(QLatin1Char('/'))
        || !file.open(QIODevice::ReadOnly)) {
        socket->write(response(404, {}, "missing"));
        return;
    }
    const QByteArray content = file.readAll();
    const QByteArray size = QByteArray::number(content.size());
    const QByteArray &range = request.range;
    qint64 from = 0;
    if (!(fault && kind == Kind::IgnoreRange) && range.startsWith("bytes=") && range.endsWith('-'))
        from = range.mid(6, range.size() - 7).toLongLong();
    if (fault && kind == Kind::OtherPart)
        from = fault->number;
    if (from > 0 && from >= content.size()) {
        socket->write(response(416, "Content-Range: bytes */" + size + "\r\n", {}));
        return;
    }
    const QByteArray body = content.mid(from);
    const bool part = from > 0 || (fault && kind == Kind::OtherPart);
    const QByteArray headers =
        part ? "Content-Range: bytes " + QByteArray::number(from) + '-' + QByteArray::number(content.size() - 1)
                       + '/' + size + "\r\n"
                 : QByteArray();
    if (fault && kind == Kind::Unannounced) {
        socket->write("HTTP/1.1 200 X\r\nConnection: close\r\n\r\n" + body);
        socket->disconnectFromHost();
        return;
    }
    if (fault && kind == Kind::Drip) {
        socket->write(response(200, {}, {}, body.size()));
        auto *drip = new QTimer(socket);
        connect(drip, &QTimer::timeout, socket, [socket, body, sent = qsizetype(0)]() mutable {
            if (sent < body.size())
                socket->write(body.mid(sent++, 1));
        });
        drip->start(int(fault->number));
        return;
    }
    if (fault && kind == Kind::Announce) {
        socket->write(response(from > 0 ? 206 : 200, headers, body, fault->number));
        socket->disconnectFromHost();
        return;
    }
    if (fault && kind == Kind::CloseAfter) {
        socket->write(response(from > 0 ? 206 : 200, headers, body.left(fault->number), body.size()));
        socket->disconnectFromHost();
        return;
    }
    if (fault && kind == Kind::Cookies) {
        QByteArray cookies;
        for (qint64 i = 0; i < fault->number; ++i)
            cookies += "Set-Cookie: c" + QByteArray::number(m_cookiesSet++) + "=" + QByteArray(64, 'v') + "\r\n";
        socket->write(response(200, cookies, body));
        return;
    }
    if (fault && kind == Kind::RangeSaying) {
        socket->write(response(206, fault->location.isEmpty() ? QByteArray() : "Content-Range: " + fault->location + "\r\n",
                               body));
        return;
    }
    if (fault && kind == Kind::FirstPart) {
        socket->write(response(206, "Content-Range: bytes 0-" + QByteArray::number(fault->number - 1) + '/' + size + "\r\n",
                               content.left(fault->number)));
        return;
    }
    if (fault && kind == Kind::Chunked) {
        // As a server script sends what it does not know the size of: chunks
        // of its own size, ended by an empty one.
        const QByteArray sent = fault->number > 0 ? body.left(fault->number) : body;
        QByteArray chunks;
        for (qsizetype at = 0; at < sent.size(); at += 4000) {
            const QByteArray chunk = sent.mid(at, 4000);
            chunks += QByteArray::number(chunk.size(), 16) + "\r\n" + chunk + "\r\n";
        }
        socket->write("HTTP/1.1 " + QByteArray(part ? "206" : "200") + " X\r\n" + headers
                      + "Transfer-Encoding: chunked\r\n\r\n" + chunks + (fault->number > 0 ? "" : "0\r\n\r\n"));
        if (fault->number > 0)
            socket->disconnectFromHost();
        return;
    }
    if (fault && kind == Kind::Encoded) {
        socket->write(response(200, "Content-Encoding: gzip\r\n", body));
        return;
    }
    socket->write(response(part ? 206 : 200, headers, body));
}
