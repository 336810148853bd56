#ifndef SIGNAGEPACKETS_H
#define SIGNAGEPACKETS_H

#include <QByteArray>
#include <QString>

#include <array>

// Builders of the signage content sync and dedicated-storage commands.
// Each returns the whole frame, or an empty array when the values do not fit
// the command's buffer (nothing partial is ever sent).
namespace SignagePackets {

constexpr quint8 CmdSyncSignageDir = 0x2D;
constexpr quint8 CmdGetBlockDevices = 0x30;
constexpr quint8 CmdSetStorageWhiteList = 0x31;

// The devices read these commands into buffers of these sizes.
constexpr int SyncBufferSize = 4096;
constexpr int WhiteListBufferSize = 16384;
constexpr int MaxWhiteListPayload = WhiteListBufferSize - 4;

constexpr int OutputCount = 3;

// One output of the sync command: when sync is set the device fetches the
// list file and then whatever content of the directory it lacks.
struct SyncOutput
{
    bool sync = false;
    QString contentDir;
    QString listFile;
};
using SyncOutputs = std::array<SyncOutput, OutputCount>;

// CMD_SYNC_SIGNAGE_DIR: one block per output, in output order. Empty too
// when a path to sync holds characters that Latin-1 cannot.
QByteArray syncSignageDir(const SyncOutputs &outputs);

// CMD_GET_BLOCK_DEVICES: every device uploads its block-device list.
QByteArray getBlockDevices();

// CMD_SET_STORAGE_WHITELIST with the white-list file's contents as payload.
QByteArray storageWhiteList(const QByteArray &payload);
// The text that lets each device choose its storage device by itself.
QByteArray autoSelectText();
QByteArray storageWhiteListAutoSelect();

// Only these models install onto dedicated local storage; the test is
// case-sensitive on purpose (the models report themselves in capitals).
bool takesStorageWhiteList(const QString &model);

} // namespace SignagePackets

#endif // SIGNAGEPACKETS_H
