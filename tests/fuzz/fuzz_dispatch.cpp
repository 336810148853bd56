// The receive path with the whole message dispatch behind it (status
// messages, file transfer, the white list): one registered device with a tree
// row and one pending device, neither with a network connection, each past a
// good handshake. Every reply goes to the write hook, which checks that the
// console only ever sends whole frames. The first input byte chooses the
// device (bit 0), a network so slow that the device's answers pile up until
// the end of the input (bit 1), a registration deadline that passes at the
// end (bit 2) and a disk low on space (bit 3); the rest is the device's byte
// stream. Downloads are served from a small image in the firmware directory,
// which is the working directory, so a seed can name it as "image.bin";
// uploads land in the temporary directory and are swept away now and then.
// Name corpus directories by absolute path: they are read after the move.
#include "devicelink/columns.h"
#include "devicelink/sslserver.h"
#include "devicelink/thinclientinfo.h"
#include "devicelink/utils.h"
#include "devicelink/wire.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QPointer>
#include <QSettings>
#include <QStandardItemModel>
#include <QTemporaryDir>

#include <cstdlib>

namespace {
struct World {
    QTemporaryDir dir;
    QSettings *settings = nullptr;
    DeviceMap devices;
    SSLServer *server = nullptr;
    QPointer<QSslSocket> registeredSocket;
    QPointer<QSslSocket> pendingSocket;
    QStandardItemModel model;
    QByteArray handshake;
    QHash<QSslSocket *, qint64> queued;   // answers not yet sent, per device
    bool greeting = false;   // the handshake's answer is no frame
    bool slowNetwork = false;
    bool lowDisk = false;
};
World *world = nullptr;
QString tempDir;
unsigned runs = 0;

// Whatever a device sends, the console's answers are whole frames: a
// CommandHeader whose length is the rest of the bytes. Past the handshake's
// answer line, nothing piles up beyond the limit and one more answer.
qint64 checkReply(QSslSocket *socket, const QByteArray &data)
{
    if (world->greeting)
        return data.size();
    if (data.size() < 4 || 4 + (quint8(data.at(2)) << 8 | quint8(data.at(3))) != data.size())
        abort();
    if (world->slowNetwork) {
        // Counted 64 times over, so that short inputs reach the limit too.
        qint64 &q = world->queued[socket];
        q += 64 * data.size();
        if (q > SSLServer::MaxQueuedAnswers + 64 * qint64(Wire::MaxFrame))
            abort();
    }
    return data.size();
}

QByteArray goodHandshake()
{
    const QString fields = QStringLiteral("00:11:22:33:44:55");
    QString normalised;
    const QStringList parts = fields.split(QLatin1Char(':'));
    for (int i = 0; i < 6; ++i)
        normalised += (i % 2 ? parts.at(i).toUpper() : parts.at(i).toLower()) + QLatin1Char(':');
    normalised += QLatin1String(SSLServer::DevicePassPhrase);
    return Utils::toWire(fields + QStringLiteral("::") + Utils::md5Hex(normalised)) + '\n';
}

void sweepUploads()
{
    QDir dir(tempDir);
    for (const QString &name : dir.entryList(QDir::Files | QDir::Hidden | QDir::System))
        if (name != QLatin1String("whitelist.txt"))
            dir.remove(name);
}

void resetDevices()
{
    World &w = *world;
    for (ThinclientInfo *r : std::as_const(w.devices)) {
        delete r->transferFile;
        delete r;
    }
    w.devices.clear();
    // A socket the console closed is gone; the others start afresh.
    w.queued.clear();
    w.model.clear();
    w.greeting = true;
    for (QPointer<QSslSocket> *socket : {&w.registeredSocket, &w.pendingSocket}) {
        if (*socket)
            w.server->forget(*socket);
        else
            *socket = new QSslSocket;
        w.server->track(*socket);
        w.server->receive(*socket, w.handshake);
    }
    w.greeting = false;
    // The registered device's handshake record is the one it registered with.
    qDeleteAll(w.server->pendingDevices);
    w.server->pendingDevices.clear();

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

// The network catches up: every held answer is sent, and the device's frames
// are taken again until none is left.
void drain(QSslSocket *socket)
{
    world->queued[socket] = 0;
    world->server->answersSent(socket);
}
} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    static QCoreApplication app(*argc, *argv);
    world = new World;
    World &w = *world;
    w.settings = new QSettings(w.dir.filePath(QStringLiteral("settings.ini")), QSettings::IniFormat);
    for (const char *key : {"firmwareImageDir", "appImageDir", "hotfixDir", "tempDir", "signageContentDir1",
                            "signageContentDir2", "signageContentDir3"}) {
        const QString path = w.dir.filePath(QLatin1String(key));
        QDir().mkpath(path);
        w.settings->setValue(QLatin1String(key), path);
    }
    tempDir = w.dir.filePath(QStringLiteral("tempDir"));
    QFile image(w.dir.filePath(QStringLiteral("firmwareImageDir/image.bin")));
    if (image.open(QIODevice::WriteOnly))
        for (int i = 0; i < 10000; ++i)
            image.putChar(char(i * 7));
    image.close();
    QFile whiteList(tempDir + QStringLiteral("/whitelist.txt"));
    if (whiteList.open(QIODevice::WriteOnly))
        whiteList.write("sda\r\nsdb\n");
    whiteList.close();
    QDir::setCurrent(w.dir.filePath(QStringLiteral("firmwareImageDir")));
    Columns::initDefaults(w.settings);
    w.server = new SSLServer(nullptr, &w.devices, w.settings);
    w.handshake = goodHandshake();
    SSLServer::setWriteHook(checkReply);
    SSLServer::setQueueProbe([](QSslSocket *socket) { return world->queued.value(socket); });
    SSLServer::setFreeSpaceProbe([](const QString &) -> qint64 { return world->lowDisk ? 0 : qint64(1) << 40; });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    World &w = *world;
    w.slowNetwork = false;
    w.lowDisk = data[0] & 8;
    w.server->setRegistrationTimeout((data[0] & 4) ? 0 : SSLServer::DefaultRegistrationTimeoutMs);
    resetDevices();
    w.slowNetwork = data[0] & 2;
    QPointer<QSslSocket> socket = (data[0] & 1) ? w.pendingSocket : w.registeredSocket;
    w.server->receive(socket, QByteArray(reinterpret_cast<const char *>(data + 1), int(size - 1)));
    if (socket) {
        w.slowNetwork = false;
        drain(socket);
    }
    // A passed registration deadline closes the pending device's socket.
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    if (++runs % 512 == 0) {
        resetDevices();   // closes an upload still open before it is removed
        sweepUploads();
    }
    return 0;
}
