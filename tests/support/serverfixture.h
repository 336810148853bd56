#ifndef SERVERFIXTURE_H
#define SERVERFIXTURE_H

#include "devicelink/sslserver.h"
#include "simdevice.h"

#include <QList>
#include <QObject>
#include <QSettings>
#include <QStandardItemModel>
#include <QTemporaryDir>

class ThinclientInfo;

// A device server on 127.0.0.1 (a free port) with its own settings store
// (default columns), device map and tree model, standing in for the main
// window's side of the device link. New devices get a row under their
// model's group row, as in the console's tree, unless rows are switched off.
class ServerFixture : public QObject
{
    Q_OBJECT
public:
    explicit ServerFixture(QObject *parent = nullptr);
    ~ServerFixture() override;

    // Change settings before start(): the server counts its columns then.
    QSettings *settings() const { return m_settings; }
    QString tempPath() const { return m_dir.path(); }
    bool start(const QHostAddress &address = QHostAddress(QHostAddress::LocalHost));
    SSLServer *server() const { return m_server; }
    quint16 port() const;

    DeviceMap devices;
    QStandardItemModel model;
    void setCreateRows(bool on) { m_createRows = on; }
    // Appends a row of the server's column count for the record under the
    // group row of its model and points record->item at it.
    QStandardItem *addRow(ThinclientInfo *record);
    QStandardItem *groupRow(const QString &model);
    QString cellText(const ThinclientInfo *record, int modelColumn) const;

    ThinclientInfo *recordByMac(const QString &mac) const;
    QList<ThinclientInfo *> recordsByMac(const QString &mac) const;
    // Waits until a record with this MAC is in the map and online.
    ThinclientInfo *waitForRegistered(const QString &mac, int timeoutMs = 15000);
    bool waitForDeviceCount(int count, int timeoutMs = 30000);
    bool waitForPendingCount(int count, int timeoutMs = 15000);

    // A simulated device connected to this server, owned by the fixture.
    SimDevice *addDevice(const SimDeviceConfig &config);
    static bool waitForReady(SimDevice *device, int timeoutMs = 15000);
    // A TLS client that has finished its TLS handshake and sent nothing;
    // owned by the fixture. Null when the TLS handshake failed.
    QSslSocket *connectRaw(int timeoutMs = 15000);
    // Waits until the peer closed the socket.
    static bool waitForClosed(QAbstractSocket *socket, int timeoutMs = 15000);

    int registeredSignals = 0;
    QList<bool> broadcastStates;

private:
    void onDeviceRegistered(ThinclientInfo *record);

    QTemporaryDir m_dir;
    QSettings *m_settings = nullptr;
    SSLServer *m_server = nullptr;
    bool m_createRows = true;
    QList<SimDevice *> m_sims;
    QList<QSslSocket *> m_raw;
};

#endif // SERVERFIXTURE_H
