#ifndef UPGRADEPACKETS_H
#define UPGRADEPACKETS_H

#include <QByteArray>
#include <QDate>
#include <QString>
#include <QStringList>

// The three upgrade commands. They name files of the console's upgrade
// store by their local paths; the devices then fetch those files through
// file transfer. Each carries the console's local date as three decimal
// texts without leading zeros. A builder returns an empty array when its
// values do not fit the command's buffer, or when a path holds characters
// that Latin-1 cannot (the device could not fetch the file it names).
namespace UpgradePackets {

constexpr quint8 CMD_UPGRADE_FIRMWARE = 0x03;
constexpr quint8 CMD_UPGRADE_CLIENT = 0x0C;
constexpr quint8 CMD_INSTALL_HOTFIX = 0x1A;

constexpr int UpgradeBufferSize = 4096;
constexpr int HotfixBufferSize = 16384;
constexpr int MaxHotfixFiles = 255;

// Either path may be empty: only the images found are named, kernel first.
QByteArray upgradeFirmware(const QDate &date, const QString &model, const QString &kernelPath,
                           const QString &rootFsPath);
QByteArray upgradeClient(const QDate &date, const QString &packagePath);
// Lists as many of the paths, in order, as fit the buffer and the one-byte
// count and can be sent; *listed (if given) says how many. Empty when none fits.
QByteArray installHotfix(const QDate &date, const QString &model, const QStringList &paths, int *listed = nullptr);

} // namespace UpgradePackets

#endif // UPGRADEPACKETS_H
