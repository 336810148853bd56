#ifndef DISCOVERY_H
#define DISCOVERY_H

#include <QByteArray>
#include <QString>

// The discovery datagram: "ip :: port :: digest :: ", where digest is the
// MD5 of ip + port + salt. The salt is shared with the device agent and is
// never sent.
namespace Discovery {
// The 25-character salt, assembled at run time rather than kept as one string.
QString salt();
QByteArray datagram(const QString &ip, int port);

struct Announcement {
    QString ip;
    int port = 0;
};
// What a device does with a datagram: true when it is well formed and its
// digest matches; *out then names the console.
bool parse(const QByteArray &datagram, Announcement *out);
}

#endif // DISCOVERY_H
