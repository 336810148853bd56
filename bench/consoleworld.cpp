#include "consoleworld.h"

#include "devicelink/columns.h"
#include "devicelink/sslserver.h"
#include "devicelink/thinclientinfo.h"
#include "mainwindow/department.h"
#include "mainwindow/deptinfo.h"
#include "mainwindow/devicetree.h"
#include "mainwindow/orltreeview.h"

#include <QDir>
#include <QFile>
#include <QSet>
#include <QSettings>
#include <QStandardItemModel>

ConsoleWorld::ConsoleWorld(QObject *parent) : QObject(parent)
{
    m_settings = new QSettings(m_dir.filePath(QStringLiteral("korvane_server.ini")), QSettings::IniFormat);
    Columns::initDefaults(m_settings);
    for (const char *key : {"firmwareImageDir", "appImageDir", "hotfixDir", "tempDir"}) {
        const QString path = m_dir.filePath(QLatin1String(key));
        QDir().mkpath(path);
        m_settings->setValue(QLatin1String(key), path);
    }
    m_departments = Department::defaultDepartments();
    DeviceTree::createDeviceTreeView(orphans(), m_settings);
    orphans()->treeView->resize(1200, 800);
    orphans()->treeView->show();
}

ConsoleWorld::~ConsoleWorld()
{
    delete m_server;
    const QList<ThinclientInfo *> records = devices.values();
    for (ThinclientInfo *r : QSet<ThinclientInfo *>(records.begin(), records.end())) {
        delete r->transferFile;
        delete r;
    }
    for (DeptInfo *d : std::as_const(*m_departments)) {
        DeviceTree::destroyDeviceTree(d);
        delete d;
    }
    delete m_departments;
    delete m_settings;
}

bool ConsoleWorld::start(bool listen)
{
    m_server = new SSLServer(nullptr, &devices, m_settings);
    // The main window's connection is direct: the row exists once the
    // server's signal returns.
    connect(m_server, &SSLServer::onDeviceRegistered, this, [this](ThinclientInfo *record) {
        DeviceTree::addDeviceToDepartment(m_departments, m_deviceDepartments, m_settings, record);
        emit deviceRegistered(++m_registered);
    }, Qt::DirectConnection);
    if (!listen)
        return true;
    return m_server->startServer(QNetworkAddressEntry(), 0, QStringLiteral(":/certs/resources/certs/server.crt"),
                                 QStringLiteral(":/certs/resources/certs/server.pknp"),
                                 QHostAddress(QHostAddress::LocalHost));
}

quint16 ConsoleWorld::port() const
{
    return m_server ? m_server->serverPort() : 0;
}

QString ConsoleWorld::firmwareDir() const
{
    return m_settings->value(QStringLiteral("firmwareImageDir")).toString();
}
