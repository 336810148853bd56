#ifndef HANDLERFIXTURE_H
#define HANDLERFIXTURE_H

#include "devicelink/sslserver.h"
#include "devicelink/thinclientinfo.h"

#include <QByteArray>
#include <QList>
#include <QSettings>
#include <QStandardItemModel>

// A server with one registered and one pending device and no network: frames
// go straight into dispatchFrame and replies are captured by the write hook.
// The registered device has a tree row under a group row, with every
// configurable column shown (positions 0 .. 14, so model columns 2 .. 16).
class HandlerFixture
{
public:
    static constexpr int RowColumns = 17;

    HandlerFixture();
    ~HandlerFixture();

    // Dispatches a copy of the bytes held in a buffer of exactly their size,
    // so that any read past them is caught by the address sanitizer.
    void send(const QByteArray &frame) { sendFrom(socket, frame); }
    void sendFrom(QSslSocket *from, const QByteArray &frame);

    // Everything written to a device since the last call, in order.
    QList<QByteArray> takeWrites(QSslSocket *to = nullptr);
    QStandardItem *cell(int modelColumn) const;
    QString cellText(int modelColumn) const;
    int modelColumnOf(const char *key);

    QSettings settings;
    DeviceMap devices;
    QStandardItemModel model;
    SSLServer *server = nullptr;
    QSslSocket *socket = nullptr;          // registered device
    ThinclientInfo *record = nullptr;
    QSslSocket *pendingSocket = nullptr;   // passed the handshake, not registered
    ThinclientInfo *pendingRecord = nullptr;
    QSslSocket *strangerSocket = nullptr;  // known to nobody

private:
    QList<QPair<QSslSocket *, QByteArray>> m_writes;
};

#endif // HANDLERFIXTURE_H
