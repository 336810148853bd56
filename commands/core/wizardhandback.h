#ifndef WIZARDHANDBACK_H
#define WIZARDHANDBACK_H

#include <QString>

// How the dedicated-storage step ended.
enum class WhiteListOutcome {
    ScanReachedNoDevice,   // the block-device request went to no device
    NoDevices,             // the shown department was empty when the lists were due
    Cancelled,             // the white-list dialog was cancelled
    SentToNone,            // no selected device of a storage model took the list
    Sent,                  // at least one device took the list
};

// What the set-up wizard is given back after its dedicated-storage step:
// the next wizard state and when its timer fires. Outside the wizard
// nothing is handed back.
struct WizardHandBack
{
    static const char *const WhiteListCompleted;   // "whitelist_completed"
    static const char *const ReconnectStatus;

    bool startTimer = false;
    int intervalMs = 0;
    QString state;        // the wizard state to set (the given one when unchanged)
    QString statusText;   // for the status label; empty leaves it alone

    static WizardHandBack afterWhiteList(bool wizardRunning, const QString &state, WhiteListOutcome outcome);
};

#endif // WIZARDHANDBACK_H
