#ifndef STORAGEWHITELIST_H
#define STORAGEWHITELIST_H

#include <QList>
#include <QString>

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

using DeviceList = QList<ThinclientInfo *>;

// Each takes the main window as parent of its boxes, the temporary directory
// (the tempDir setting) and the device list of the department shown (null
// when none is shown).

// "Scan for storage devices": -1 for an empty department, else 0 when the
// request reached at least one device and -1 when it reached none.
int scan(QWidget *parent, const QString &tempDir, const DeviceList *department);

// "Dedicate storage": explains the wait and scans. True when the white-list
// timer is to be started; otherwise the wizard gets its hand-back for
// ScanReachedNoDevice.
bool start(QWidget *parent, const QString &tempDir, const DeviceList *department);

// The devices that take the white list: selected and of a dedicated-storage
// model, in list order.
DeviceList recipients(const DeviceList *department);

// The white-list timer's work: the dialog and the sending.
WhiteListOutcome send(QWidget *parent, const QString &tempDir, const DeviceList *department);

// Applies a hand-back to the main window's wizard state, timer and status label.
void apply(const WizardHandBack &handBack, QString *wizardState, QTimer *wizardTimer, QLabel *statusLabel);

} // namespace StorageWhiteList

#endif // STORAGEWHITELIST_H
