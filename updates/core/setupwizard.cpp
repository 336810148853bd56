#include "setupwizard.h"
#include "devicemodels.h"

#include "devicelink/thinclientinfo.h"
#include "devicelink/utils.h"

WizardHost::~WizardHost() = default;

namespace {

const QString Title = QStringLiteral("Korvane Wizard");

void end(WizardHost &host, QString &state, bool &running)
{
    host.setDeviceActionsEnabled(true);
    running = false;
    state = QLatin1String(WizardState::NotRunning);
}

void start(WizardHost &host, QString &state, bool &running)
{
    const QString text = QStringLiteral("Korvane Wizard will perform the following actions:\n\n"
                                        "1. Download latest firmware\n"
                                        "2. Configure access protocol\n"
                                        "3. Install latest firmware on all devices\n"
                                        "\nProgress messages will be displayed in the status bar in the bottom "
                                        "left of the window");
    if (!host.confirmStart(Title, text))
        return;
    running = true;
    host.setDeviceActionsEnabled(false);
    state = QLatin1String(WizardState::WaitingDiscovery);
    host.setStatus(QStringLiteral("Sending discovery message"));
    host.startWizardTimer(1000);
}

void discover(WizardHost &host, QString &state)
{
    host.sendDiscovery();
    state = QLatin1String(WizardState::WaitingClientConnections);
    host.setStatus(QStringLiteral("Waiting 10 seconds for thinclients to connect"));
    host.startWizardTimer(10000);
}

void askForPick(WizardHost &host, QString &state)
{
    host.setStatus(QStringLiteral("Select thinclients then click on Wizard icon"));
    state = QLatin1String(WizardState::WaitingWizardRestart);
    host.inform(Title, QStringLiteral("\nPlease select the clients that you want the wizard to update.\n\n"
                                      "When done, click the Wizard icon again"));
    host.setWizardActionEnabled(true);
}

void checkUpdates(WizardHost &host, QString &state, bool &running)
{
    host.setWizardActionEnabled(false);
    if (host.collectSelectedModels().isEmpty()) {
        host.inform(Title, QStringLiteral("Did not find any thinclients to configure. Please ensure that the devices "
                                          "are powered up and connected to your network.\n\n"
                                          "The wizard will now terminate"));
        end(host, state, running);
        return;
    }
    host.setStatus(QStringLiteral("Checking for updates"));
    host.startUpdateCheck();
}

void whiteList(WizardHost &host)
{
    host.setStatus(QStringLiteral("Setting up dedicated storage list"));
    host.sendWhiteList();
}

void accessProtocol(WizardHost &host, QString &state, bool &running)
{
    host.setStatus(QStringLiteral("setting access protocol"));
    host.setAccessProtocol();
    if (state == QLatin1String(WizardState::Aborted)) {
        end(host, state, running);
        host.setStatus(QString());
        return;
    }
    state = QLatin1String(WizardState::AccessProtocolCompleted);
    host.startWizardTimer(1000);
}

void upgrade(WizardHost &host, QString &state, bool &running)
{
    host.setStatus(QStringLiteral("upgrading firmware"));
    // Each device is weighed when its turn comes: a box about an earlier
    // device's firmware runs an event loop, in which a device may register
    // again on another firmware (a newer one it keeps) or go offline.
    const QList<ThinclientInfo *> devices = host.pickedDevices();
    for (ThinclientInfo *device : devices)
        for (const auto &job : wizardUpgrades({device}, host.firmwareStore()))
            host.upgradeFirmware(job.first, job.second);
    end(host, state, running);
    host.setStatus(QString());
    host.inform(QStringLiteral("Korvane wizard"), QStringLiteral("\nKorvane wizard has completed"));
}

} // namespace

void runWizardStep(WizardHost &host, QString &state, bool &running)
{
    using namespace WizardState;
    if (state == QLatin1String(NotRunning))
        start(host, state, running);
    else if (state == QLatin1String(WaitingDiscovery))
        discover(host, state);
    else if (state == QLatin1String(WaitingClientConnections))
        askForPick(host, state);
    else if (state == QLatin1String(WaitingWizardRestart))
        checkUpdates(host, state, running);
    else if (state == QLatin1String(DownloadUpdatesCompleted))
        whiteList(host);
    else if (state == QLatin1String(WhiteListCompleted))
        accessProtocol(host, state, running);
    else if (state == QLatin1String(AccessProtocolCompleted))
        upgrade(host, state, running);
}

QList<QPair<ThinclientInfo *, QString>> wizardUpgrades(const QList<ThinclientInfo *> &devices,
                                                       const QString &firmwareStore)
{
    QList<QPair<ThinclientInfo *, QString>> jobs;
    for (ThinclientInfo *device : devices) {
        if (!device->online || !device->checked
            || device->model.compare(QLatin1String("Pyrel Instance"), Qt::CaseInsensitive) == 0
            || !DeviceModels::isDirectoryName(device->model))
            continue;
        // The model as the device reports it, blanks and all, names its directory.
        const QString modelDir = firmwareStore + QLatin1Char('/') + device->model;
        QString newest;
        Utils::latestVersionSubdir(modelDir, &newest);
        if (newest.isEmpty() || newest == device->firmwareVersion)
            continue;
        // A device that already runs a newer firmware than the store holds
        // (from a newer shipment, or upgraded by hand) keeps it: sending the
        // store's newest would put the older one on it.
        if (Utils::compareVersions(Utils::versionParts(device->firmwareVersion), Utils::versionParts(newest)) > 0)
            continue;
        jobs.append({device, modelDir + QLatin1Char('/') + newest});
    }
    return jobs;
}
