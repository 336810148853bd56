#include "wizardhandback.h"
#include "updates/core/setupwizard.h"

const char *const WizardHandBack::WhiteListCompleted = "whitelist_completed";
const char *const WizardHandBack::ReconnectStatus =
    "Setting up dedicated storage list: waiting 30 seconds for clients to reconnect";

WizardHandBack WizardHandBack::afterWhiteList(bool wizardRunning, const QString &state, WhiteListOutcome outcome)
{
    WizardHandBack next;
    next.state = state;
    // A run the administrator started just before the wizard may end while
    // the wizard is at an earlier step: that run is not the wizard's. The
    // wizard keeps the state of its dedicated-storage step until handed back.
    if (!wizardRunning || state != QLatin1String(WizardState::DownloadUpdatesCompleted))
        return next;
    next.startTimer = true;
    switch (outcome) {
    case WhiteListOutcome::SentToNone:
        // Same state: the wizard runs its dedicated-storage step again.
        next.intervalMs = 1000;
        break;
    case WhiteListOutcome::Sent:
        // The devices restart with the new list; give them time to come back.
        next.intervalMs = 30000;
        next.state = QString::fromLatin1(WhiteListCompleted);
        next.statusText = QString::fromLatin1(ReconnectStatus);
        break;
    case WhiteListOutcome::ScanReachedNoDevice:
        // Nothing will arrive and the white-list timer is not started: without
        // this the wizard, whose timer is stopped, would wait for ever.
    case WhiteListOutcome::NoDevices:
    case WhiteListOutcome::Cancelled:
        next.intervalMs = 1000;
        next.state = QString::fromLatin1(WhiteListCompleted);
        break;
    }
    return next;
}
