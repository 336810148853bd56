#include "httptestserver.h"

#include <QFile>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUrlQuery>

namespace {

QByteArray statusLine(int code)
{
    static const QHash<int, QByteArray> reasons = {{200, "OK"},          {206, "Partial Content"},
                                                   {302, "Found"},       {404, "Not Found"},
                                                   {416, "Range Not Satisfiable"},
                                                   {500, "Internal Server Error"}};
    return "HTTP/1.1 " + QByteArray::number(code) + ' ' + reasons.value(code, "Status") + "\r\n";
}

QByteArray response(int code, const QByteArray &headers, const QByteArray &body, qint64 announced = -1)
{
    return statusLine(code) + headers + "Content-Length: "
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

HttpTestServer::~HttpTestServer() = default;

bool HttpTestServer::listen()
{
    return m_server->listen(QHostAddress::LocalHost, 0);
}

quint16 HttpTestServer::port() const
{
    return m_server->serverPort();
}

QString HttpTestServer::url(const QByteArray &path) const
{
    return QStringLiteral("http://127.0.0.1:%1").arg(port()) + QString::fromLatin1(path);
}

QString HttpTestServer::base() const
{
    return url("/get?file=");
}

void HttpTestServer::addFault(const Fault &fault)
{
    if (fault.times > 0)
        m_faults.enqueue(fault);
}

void HttpTestServer::ignoreRange(int times)
{
    addFault({Kind::IgnoreRange, 0, {}, times});
}

void HttpTestServer::closeAfter(qint64 bytes, int times)
{
    addFault({Kind::CloseAfter, bytes, {}, times});
}

void HttpTestServer::answerEmpty(int times)
{
    addFault({Kind::Empty, 0, {}, times});
}

void HttpTestServer::answerStatus(int code, int times)
{
    addFault({Kind::Status, code, {}, times});
}

void HttpTestServer::redirectTo(const QByteArray &location, const QByteArray &body, int times)
{
    addFault({Kind::Redirect, 0, location + '\n' + body, times});
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
            const QByteArray value = line.mid(colon + 1).trimmed();
            if (name == "user-agent")
                request.userAgent = value;
            else if (name == "range")
                request.range = value;
        }
        requests.append(request);
        answer(socket, request);
    }
}

void HttpTestServer::answer(QTcpSocket *socket, const Request &request)
{
    Fault fault{Kind::Serve, 0, {}, 0};
    if (!m_faults.isEmpty()) {
        fault = m_faults.head();
        if (--m_faults.head().times == 0)
            m_faults.dequeue();
    }
    switch (fault.kind) {
    case Kind::Empty:
        socket->write(response(200, {}, {}));
        return;
    case Kind::Status:
        socket->write(response(int(fault.number), "Content-Type: text/html\r\n", "<html>no</html>"));
        return;
    case Kind::Redirect: {
        const int cut = fault.text.indexOf('\n');
        socket->write(response(302, "Location: " + fault.text.left(cut) + "\r\n", fault.text.mid(cut + 1)));
        return;
    }
    default:
        break;
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
    const qint64 size = content.size();

    qint64 from = 0;
    const QByteArray &range = request.range;
    if (fault.kind != Kind::IgnoreRange && range.startsWith("bytes=") && range.endsWith('-'))
        from = range.mid(6, range.size() - 7).toLongLong();
    if (from > 0 && from >= size) {
        socket->write(response(416, "Content-Range: bytes */" + QByteArray::number(size) + "\r\n", {}));
        return;
    }
    const QByteArray body = content.mid(from);
    QByteArray headers;
    if (from > 0)
        headers = "Content-Range: bytes " + QByteArray::number(from) + '-' + QByteArray::number(size - 1) + '/'
                  + QByteArray::number(size) + "\r\n";
    const int code = from > 0 ? 206 : 200;
    if (fault.kind == Kind::CloseAfter) {
        socket->write(response(code, headers, body.left(fault.number), body.size()));
        socket->disconnectFromHost();
        return;
    }
    socket->write(response(code, headers, body));
}
