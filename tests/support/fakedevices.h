#ifndef FAKEDEVICES_H
#define FAKEDEVICES_H

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>

#include <memory>
#include <vector>

class QSslSocket;
class ThinclientInfo;

// Device records with sockets that never connect, and every frame the
// console's send path writes to them: command tests without a network.
// While it lives, every SSLServer::writeToDevice lands in `writes`.
class FakeDevices
{
public:
    FakeDevices();
    ~FakeDevices();

    // A record named "dev<n>" of the given model; withSocket false leaves it
    // without a connection, as a disconnected device's record is.
    ThinclientInfo *add(const QString &model = QStringLiteral("ORL K1"), bool checked = true, bool online = true,
                        bool withSocket = true);
    // Everything written to the device's socket, in order, as one array.
    QByteArray writtenTo(const ThinclientInfo *device) const;
    // Drops the records, their sockets and the writes.
    void reset();

    QList<QPair<QSslSocket *, QByteArray>> writes;

private:
    std::vector<std::unique_ptr<ThinclientInfo>> m_records;
    std::vector<std::unique_ptr<QSslSocket>> m_sockets;
};

#endif // FAKEDEVICES_H
