// The frame assembler with the whole message dispatch behind it (status
// messages, file transfer, the white list): one registered device with a tree
// row and one pending device, neither with a network connection. Every reply
// goes to the write hook, which checks that the console only ever sends whole
// frames. The first input byte chooses the device, the rest is its byte
// stream. Downloads are served from a small image in the firmware directory,
// which is the working directory, so a seed can name it as "image.bin";
// uploads land in the temporary directory and are swept away now and then.
// Name corpus directories by absolute path: they are read after the move.
#include "devicelink/columns.h"
#include "devicelink/frameassembler.h"
#include "devicelink/sslserver.h"
#include "devicelink/thinclientinfo.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QStandardItemModel>
#include <QTemporaryDir>

#include <cstdlib>

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
QString tempDir;
unsigned runs = 0;

// Whatever a device sends, the console's answers are whole frames: a
// CommandHeader whose length is the rest of the bytes.
qint64 checkReply(QSslSocket *, const QByteArray &data)
{
    if (data.size() < 4 || 4 + (quint8(data.at(2)) << 8 | quint8(data.at(3))) != data.size())
        abort();
    return data.size();
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
    w.registeredSocket = new QSslSocket;
    w.pendingSocket = new QSslSocket;
    SSLServer::setWriteHook(checkReply);
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
    if (++runs % 512 == 0) {
        resetDevices();   // closes an upload still open before it is removed
        sweepUploads();
    }
    return 0;
}
