#ifndef UPGRADEAGENT_H
#define UPGRADEAGENT_H

#include "receivedframe.h"

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QObject>
#include <QStringList>

class SimDevice;
class TransferQueue;

// What a device reads out of the console's firmware, client-application
// and hotfix upgrade commands.
namespace UpgradeMessages {

struct Command {
    quint8 type = 0;
    QString month, day, year;
    QString model;        // firmware and hotfix commands
    QStringList paths;    // the files to fetch, in the command's order
};
// False when the frame is not one of the three or its fields run past it.
bool parse(const QByteArray &frame, Command *command);

} // namespace UpgradeMessages

// The upgrade side of a device's agent: on an upgrade command it fetches
// every file the command names through file transfer and keeps it by its
// console path, as a device does before it installs.
class UpgradeAgent : public QObject
{
    Q_OBJECT
public:
    UpgradeAgent(SimDevice *device, TransferQueue *transfers, QObject *parent = nullptr);

    const QList<UpgradeMessages::Command> &commands() const { return m_commands; }
    const QMap<QString, QByteArray> &files() const { return m_files; }
    // Frames that looked like upgrade commands but did not parse, and
    // transfers the console refused or broke.
    int failures() const { return m_failures; }

signals:
    // Every file of the last command has been fetched (or failed).
    void upgradeFetched();

private:
    void onFrame(const ReceivedFrame &frame);

    TransferQueue *m_transfers;
    QList<UpgradeMessages::Command> m_commands;
    QMap<QString, QByteArray> m_files;
    int m_failures = 0;
};

#endif // UPGRADEAGENT_H
