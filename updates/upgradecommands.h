#ifndef UPGRADECOMMANDS_H
#define UPGRADECOMMANDS_H

#include <QDate>
#include <QList>
#include <QString>

class QSettings;
class QWidget;
class ThinclientInfo;

// Firmware, client-application and hotfix upgrades of the shown
// department's devices (null: no department shown). Every box and dialog
// goes through the prompter, parented to `parent`; the commands go to the
// devices' sockets. `today` dates the commands.
namespace UpgradeCommands {

// The Upgrade action: one model at a time, newest version or a directory.
void upgradeFirmwareAction(QWidget *parent, const QList<ThinclientInfo *> *devices, QSettings *settings,
                           const QDate &today = QDate::currentDate());
// Sends a firmware directory's images to the ticked online devices of the
// models it holds (device null), or to one online device whatever its tick.
// 0, or -1 after a refusal.
int upgradeFirmware(QWidget *parent, const QList<ThinclientInfo *> *devices, ThinclientInfo *device,
                    const QString &directory, QSettings *settings, const QDate &today = QDate::currentDate());

void upgradeClient(QWidget *parent, const QList<ThinclientInfo *> *devices, QSettings *settings,
                   const QDate &today = QDate::currentDate());

void installHotfix(QWidget *parent, const QList<ThinclientInfo *> *devices, QSettings *settings,
                   const QDate &today = QDate::currentDate());

} // namespace UpgradeCommands

#endif // UPGRADECOMMANDS_H
