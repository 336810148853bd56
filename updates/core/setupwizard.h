#ifndef SETUPWIZARD_H
#define SETUPWIZARD_H

#include <QList>
#include <QString>
#include <QStringList>

class ThinclientInfo;

// The set-up wizard's states, as texts: other parts of the console (the
// update check, the white-list step, the access-protocol command) set them.
namespace WizardState {
constexpr char NotRunning[] = "not_running";
constexpr char WaitingDiscovery[] = "waiting_discovery";
constexpr char WaitingClientConnections[] = "waiting_client_connections";
constexpr char WaitingWizardRestart[] = "waiting_wizard_restart";
constexpr char DownloadUpdatesCompleted[] = "download_updates_completed";
constexpr char WhiteListCompleted[] = "whitelist_completed";
constexpr char AccessProtocolCompleted[] = "access_protocol_completed";
constexpr char Aborted[] = "aborted";
}

// What the wizard's steps ask of the console. The main window provides it;
// tests provide one that records.
class WizardHost
{
public:
    virtual ~WizardHost();

    // The opening question; false when the administrator cancelled.
    virtual bool confirmStart(const QString &title, const QString &text) = 0;
    virtual void inform(const QString &title, const QString &text) = 0;
    virtual void setStatus(const QString &text) = 0;
    virtual void setDeviceActionsEnabled(bool enabled) = 0;
    virtual void setWizardActionEnabled(bool enabled) = 0;
    virtual void startWizardTimer(int ms) = 0;
    virtual void sendDiscovery() = 0;
    // The models of the shown department's ticked online devices, blanks as
    // "_". That department is the pick: the later steps act on its devices
    // even when another one is shown by then.
    virtual QStringList collectSelectedModels() = 0;
    // Runs the update check; its end sets "download_updates_completed" and
    // starts the wizard timer.
    virtual void startUpdateCheck() = 0;
    // The dedicated-storage step; the white-list timer's end hands back.
    virtual void sendWhiteList() = 0;
    // The access-protocol command in wizard mode; a rejected dialog sets
    // the state "aborted".
    virtual void setAccessProtocol() = 0;
    // The picked department's devices; none when it has been deleted.
    virtual QList<ThinclientInfo *> pickedDevices() = 0;
    virtual QString firmwareStore() = 0;
    virtual void upgradeFirmware(ThinclientInfo *device, const QString &directory) = 0;
};

// One firing of the wizard timer: runs the step of the current state.
// `state` and `running` are the console's own; every step leaves them as
// the next firing needs them.
void runWizardStep(WizardHost &host, QString &state, bool &running);

// The devices the last step upgrades, with their version directories:
// ticked, online, not a "Pyrel Instance", and neither on the newest version
// on disk nor on a newer one.
QList<QPair<ThinclientInfo *, QString>> wizardUpgrades(const QList<ThinclientInfo *> &devices,
                                                       const QString &firmwareStore);

#endif // SETUPWIZARD_H
