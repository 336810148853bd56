#include "serverfixture.h"

#include "devicelink/columns.h"
#include "devicelink/thinclientinfo.h"

#include <QFile>
#include <QSet>
#include <QSslConfiguration>
#include <QTest>

ServerFixture::ServerFixture(QObject *parent) : QObject(parent)
{
    m_settings = new QSettings(m_dir.filePath(QStringLiteral("korvane_server.ini")), QSettings::IniFormat);
    Columns::initDefaults(m_settings);
}

ServerFixture::~ServerFixture()
{
    qDeleteAll(m_sims);
    m_sims.clear();
    for (QSslSocket *s : std::as_const(m_raw))
        delete s;
    delete m_server;   // deletes its sockets and pending records
    const QList<ThinclientInfo *> records = devices.values();
    for (ThinclientInfo *r : QSet<ThinclientInfo *>(records.begin(), records.end())) {
        if (r->transferFile) {
            r->transferFile->close();
            delete r->transferFile;
        }
        delete r;
    }
    delete m_settings;
}

bool ServerFixture::start(const QHostAddress &address)
{
    m_server = new SSLServer(nullptr, &devices, m_settings);
    // The console's slots are connected directly: a row exists once the
    // signal returns.
    connect(m_server, &SSLServer::onDeviceRegistered, this, &ServerFixture::onDeviceRegistered,
            Qt::DirectConnection);
    connect(m_server, &SSLServer::onSetBroadcastBtnState, this, [this](bool on) { broadcastStates.append(on); },
            Qt::DirectConnection);
    return m_server->startServer(QNetworkAddressEntry(), 0, QStringLiteral(":/certs/resources/certs/server.crt"),
                                 QStringLiteral(":/certs/resources/certs/server.pknp"),
                                 address);
}

quint16 ServerFixture::port() const
{
    return m_server ? m_server->serverPort() : 0;
}

void ServerFixture::onDeviceRegistered(ThinclientInfo *record)
{
    ++registeredSignals;
    if (m_createRows)
        addRow(record);
}

QStandardItem *ServerFixture::groupRow(const QString &modelName)
{
    QStandardItem *root = model.invisibleRootItem();
    for (int i = 0; i < root->rowCount(); ++i)
        if (root->child(i)->text() == modelName)
            return root->child(i);
    auto *group = new QStandardItem(modelName);
    root->appendRow(group);
    return group;
}

QStandardItem *ServerFixture::addRow(ThinclientInfo *record)
{
    const int columns = m_server ? m_server->columnCount : Columns::countFromSettings(m_settings);
    QList<QStandardItem *> row;
    for (int i = 0; i < columns; ++i) {
        auto *item = new QStandardItem;
        item->setData(QVariant::fromValue(static_cast<void *>(record)), Qt::UserRole + 1);
        row.append(item);
    }
    row.first()->setCheckable(true);
    row.first()->setText(record->deviceName);
    groupRow(record->model)->appendRow(row);
    record->item = row.first();
    return row.first();
}

QString ServerFixture::cellText(const ThinclientInfo *record, int modelColumn) const
{
    if (!record || !record->item || !record->item->parent())
        return QString();
    QStandardItem *cell = record->item->parent()->child(record->item->row(), modelColumn);
    return cell ? cell->text() : QString();
}

ThinclientInfo *ServerFixture::recordByMac(const QString &mac) const
{
    for (ThinclientInfo *r : devices)
        if (r->macAddress == mac)
            return r;
    return nullptr;
}

QList<ThinclientInfo *> ServerFixture::recordsByMac(const QString &mac) const
{
    QList<ThinclientInfo *> out;
    for (ThinclientInfo *r : devices)
        if (r->macAddress == mac)
            out.append(r);
    return out;
}

ThinclientInfo *ServerFixture::waitForRegistered(const QString &mac, int timeoutMs)
{
    ThinclientInfo *found = nullptr;
    const bool ok = QTest::qWaitFor(
        [&] {
            found = recordByMac(mac);
            return found && found->online && devices.value(found->socket) == found;
        },
        timeoutMs);
    return ok ? found : nullptr;
}

bool ServerFixture::waitForDeviceCount(int count, int timeoutMs)
{
    return QTest::qWaitFor([&] { return devices.size() >= count; }, timeoutMs) && devices.size() == count;
}

bool ServerFixture::waitForPendingCount(int count, int timeoutMs)
{
    return QTest::qWaitFor([&] { return m_server->pendingDevices.size() == count; }, timeoutMs);
}

SimDevice *ServerFixture::addDevice(const SimDeviceConfig &config)
{
    auto *device = new SimDevice(config);
    m_sims.append(device);
    device->connectToConsole(QStringLiteral("127.0.0.1"), port());
    return device;
}

bool ServerFixture::waitForReady(SimDevice *device, int timeoutMs)
{
    return QTest::qWaitFor([&] { return device->isReady() || !device->lastError().isEmpty(); }, timeoutMs)
           && device->isReady();
}

QSslSocket *ServerFixture::connectRaw(int timeoutMs)
{
    auto *socket = new QSslSocket;
    m_raw.append(socket);
    QSslConfiguration tls = socket->sslConfiguration();
    tls.setPeerVerifyMode(QSslSocket::VerifyNone);
    socket->setSslConfiguration(tls);
    socket->connectToHostEncrypted(QStringLiteral("127.0.0.1"), port());
    // The server runs on this thread: wait in the event loop, never in a
    // blocking socket call.
    if (!QTest::qWaitFor([&] { return socket->isEncrypted() || socket->state() == QAbstractSocket::UnconnectedState; },
                         timeoutMs)
        || !socket->isEncrypted())
        return nullptr;
    return socket;
}

bool ServerFixture::waitForClosed(QAbstractSocket *socket, int timeoutMs)
{
    return QTest::qWaitFor([&] { return socket->state() == QAbstractSocket::UnconnectedState; }, timeoutMs);
}
