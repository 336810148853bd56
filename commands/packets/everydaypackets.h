#ifndef EVERYDAYPACKETS_H
#define EVERYDAYPACKETS_H

#include <QByteArray>
#include <QString>

// Frames of the everyday commands and of the file push: values in, bytes
// out. A builder that cannot fit what it is given returns an empty array,
// so the caller can tell the administrator and send nothing.
namespace Packets {

enum CommandType : quint8 {
    CMD_REBOOT = 0x01,
    CMD_SET_NAME = 0x06,
    CMD_ENTER_UPGRADE_MODE = 0x0D,
    CMD_GET_SERIAL_NUMBER = 0x0F,
    CMD_GET_LOG_FILES = 0x15,
    CMD_FILE_TRANSFER = 0x18,
    CMD_FACTORY_RESET = 0x1B,
    CMD_SET_LOG_STATE = 0x1F,
    CMD_SET_CONFIG_PASSWORD = 0x23,
    CMD_SET_FIREWALL = 0x24,
    CMD_SET_POWER_SAVE = 0x29,
    CMD_EXIT_UPGRADE_MODE = 0x32,
};

// Largest file one push may carry: the whole message is built in memory
// and written at once, so this bounds that buffer.
constexpr qint64 MaxFileTransferData = 3 * 1024 * 1024;
// Longest device name whose frame still fits the 16-bit payload length
// (count field and NUL take the other three bytes).
constexpr int MaxNameBytes = 0xFFFF - 3;
// Shorter configuration-tool passwords are refused before anything is sent.
constexpr int MinConfigPasswordLength = 6;

// A bare header with no payload: type, 00, 00 00.
QByteArray bareCommand(quint8 type);
inline QByteArray reboot() { return bareCommand(CMD_REBOOT); }
inline QByteArray enterUpgradeMode() { return bareCommand(CMD_ENTER_UPGRADE_MODE); }
inline QByteArray exitUpgradeMode() { return bareCommand(CMD_EXIT_UPGRADE_MODE); }
inline QByteArray getSerialNumber() { return bareCommand(CMD_GET_SERIAL_NUMBER); }
inline QByteArray getLogFiles() { return bareCommand(CMD_GET_LOG_FILES); }
inline QByteArray factoryReset() { return bareCommand(CMD_FACTORY_RESET); }

// Device name as one wire string, sent as typed (Latin-1, "?" for the rest).
// Empty when the name is longer than MaxNameBytes.
QByteArray setName(const QString &name);
// Only the MD5 digest of the password travels. Empty for an empty password.
QByteArray setConfigPassword(const QString &password);

// The dialogs hand back "Enabled" or "Disabled"; anything but "Enabled"
// (in any case) turns the setting off.
bool statusIsEnabled(const QString &status);
QByteArray setFirewall(bool enabled);
QByteArray setLogState(bool enabled);
QByteArray setPowerSave(bool enabled);

enum class FileRefusal { None, InvalidParameter, TooLarge };
// Checks the file push's arguments without building anything.
FileRefusal checkFileTransfer(const QString &remoteName, qint64 dataSize);
// The whole file-push message for one device; empty when refused, with the
// reason in *why.
QByteArray fileTransfer(const QString &remoteName, const QByteArray &data, FileRefusal *why = nullptr);

} // namespace Packets

#endif // EVERYDAYPACKETS_H
