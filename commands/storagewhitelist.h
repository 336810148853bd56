#ifndef STORAGEWHITELIST_H
#define STORAGEWHITELIST_H

#include <QByteArray>
#include <QList>
#include <QString>
#include <functional>

#include "commands/core/wizardhandback.h"

class QLabel;
class QTimer;
class QWidget;
class ThinclientInfo;

// The dedicated-storage commands: the scan for the clients' block devices and,
// once their lists have arrived, the white list. The main window's slots pass
// their own parts in and apply the wizard hand-back.
namespace StorageWhiteList {

// How long the clients get to upload their block-device lists.
constexpr int ScanWaitMs = 5000;

// The main window's sendToSelectedDevices (0: sent to at least one device).
using SendFunction = std::function<int(const QByteArray &frame)>;

// "Scan for storage devices": -1 for an empty department, else send's result.
int scan(QWidget *window, const QString &tempDir, int departmentDevices, const SendFunction &send);

// "Dedicate storage": explains the wait and scans. True when the white-list
// timer is to be started; otherwise the wizard gets its hand-back for
// ScanReachedNoDevice.
bool start(QWidget *window, const QString &tempDir, int departmentDevices, const SendFunction &send);

// The devices of the shown department that take the white list: selected,
// online and of a dedicated-storage model.
QList<ThinclientInfo *> recipients(const QList<ThinclientInfo *> &devices);

// The white-list timer's work: the dialog and the sending.
WhiteListOutcome send(QWidget *window, const QString &tempDir, const QList<ThinclientInfo *> &devices);

// Applies a hand-back to the main window's wizard state, timer and status label.
void apply(const WizardHandBack &handBack, QString *wizardState, QTimer *wizardTimer, QLabel *statusLabel);

} // namespace StorageWhiteList

#endif // STORAGEWHITELIST_H
