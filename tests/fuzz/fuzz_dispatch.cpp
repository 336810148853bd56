// The frame assembler with the whole message dispatch behind it: one
// registered device with a tree row and one pending device, neither with a
// network connection; every reply is swallowed by the write hook. The first
// input byte chooses the device, the rest is its byte stream.
#include "devicelink/columns.h"
#include "devicelink/frameassembler.h"
#include "devicelink/sslserver.h"
#include "devicelink/thinclientinfo.h"

#include <QCoreApplication>
#include <QDir>
#include <QSettings>
#include <QStandardItemModel>
#include <QTemporaryDir>

namespace {
struct World {
    QTemporaryDir dir;
    QSettings *settings = nullptr;
    QMap<QSslSocket *, ThinclientInfo *> devices;
    SSLServer *server = nullptr;
    QSslSocket *registeredSocket = nullptr;
    QSslSocket *pendingSocket = nullptr;
    QStandardItemModel model;
};
World *world = nullptr;

void resetDevices()
{
    World &w = *world;
    for (ThinclientInfo *r : std::as_const(w.devices)) {
        delete r->transferFile;
        delete r;
    }
    w.devices.clear();
    qDeleteAll(w.server->pendingDevices);
    w.server->pendingDevices.clear();
    w.model.clear();

    auto *registered = new ThinclientInfo;
    registered->socket = w.registeredSocket;
    registered->online = true;
    registered->macAddress = QStringLiteral("00:11:22:33:44:55");
    auto *group = new QStandardItem(QStringLiteral("ORL K1"));
    w.model.appendRow(group);
    QList<QStandardItem *> row;
    for (int c = 0; c < w.server->columnCount; ++c)
        row << new QStandardItem;
    group->appendRow(row);
    registered->item = row.first();
    w.devices.insert(w.registeredSocket, registered);

    auto *pending = new ThinclientInfo;
    pending->socket = w.pendingSocket;
    pending->online = true;
    w.server->pendingDevices << pending;
}
} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    static QCoreApplication app(*argc, *argv);
    world = new World;
    World &w = *world;
    w.settings = new QSettings(w.dir.filePath(QStringLiteral("settings.ini")), QSettings::IniFormat);
    for (const char *key : {"firmwareImageDir", "appImageDir", "hotfixDir", "tempDir"}) {
        const QString path = w.dir.filePath(QLatin1String(key));
        QDir().mkpath(path);
        w.settings->setValue(QLatin1String(key), path);
    }
    Columns::initDefaults(w.settings);
    w.server = new SSLServer(nullptr, &w.devices, w.settings);
    w.registeredSocket = new QSslSocket;
    w.pendingSocket = new QSslSocket;
    SSLServer::setWriteHook([](QSslSocket *, const QByteArray &data) { return qint64(data.size()); });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    resetDevices();
    QSslSocket *socket = (data[0] & 1) ? world->pendingSocket : world->registeredSocket;
    FrameAssembler frames;
    frames.append(reinterpret_cast<const char *>(data + 1), int(size - 1));
    QByteArray frame;
    while (frames.next(&frame))
        world->server->dispatchFrame(socket, frame);
    return 0;
}
