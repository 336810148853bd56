#ifndef CONSOLEWORLD_H
#define CONSOLEWORLD_H

#include <QList>
#include <QMap>
#include <QObject>
#include <QString>
#include <QTemporaryDir>

#include "devicelink/devicemap.h"

class DeptInfo;
class QSettings;
class QSslSocket;
class SSLServer;
class ThinclientInfo;

// The console's side of the device link as the main window sets it up: the
// device server with its device map and settings (default columns, the
// directories in a temporary folder), and the department "Orphans" with its
// device tree shown, into which every registered device is filed by the
// same function the main window calls.
class ConsoleWorld : public QObject
{
    Q_OBJECT
public:
    explicit ConsoleWorld(QObject *parent = nullptr);
    ~ConsoleWorld() override;

    // Creates the server and, unless told not to, listens on 127.0.0.1 at a
    // free port.
    bool start(bool listen = true);
    quint16 port() const;

    SSLServer *server() const { return m_server; }
    QSettings *settings() const { return m_settings; }
    DeptInfo *orphans() const { return m_departments->first(); }
    QString firmwareDir() const;
    int registered() const { return m_registered; }

    DeviceMap devices;

signals:
    void deviceRegistered(int count);

private:
    QTemporaryDir m_dir;
    QSettings *m_settings = nullptr;
    SSLServer *m_server = nullptr;
    QList<DeptInfo *> *m_departments = nullptr;
    QMap<QString, int> m_deviceDepartments;
    int m_registered = 0;
};

#endif // CONSOLEWORLD_H
