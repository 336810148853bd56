// The set-up wizard on the main window: each firing of the wizard timer
// runs one step, through the window's own actions and services.
#include "mainwindow/mainwindow.h"
#include "ui_mainwindow.h"

#include "core/setupwizard.h"
#include "mainwindow/deptinfo.h"
#include "mainwindow/prompter.h"

#include <QSettings>
#include <QTimer>

namespace {

class WindowWizardHost : public WizardHost
{
public:
    explicit WindowWizardHost(MainWindow *window) : w(window) {}

    bool confirmStart(const QString &title, const QString &text) override
    {
        return prompter()->question(w, title, text, QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Ok)
            == QMessageBox::Ok;
    }
    void inform(const QString &title, const QString &text) override
    {
        prompter()->information(w, title, text, QMessageBox::Ok);
    }
    void setStatus(const QString &text) override { w->setStatusText(text); }
    void setDeviceActionsEnabled(bool enabled) override
    {
        if (enabled)
            w->enableDeviceActions();
        else
            w->disableDeviceActions();
    }
    void setWizardActionEnabled(bool enabled) override { w->ui->actionWizard->setEnabled(enabled); }
    void startWizardTimer(int ms) override { w->wizardTimer->start(ms); }
    void sendDiscovery() override { w->onBroadcastTimerFired(); }
    QStringList collectSelectedModels() override
    {
        w->updates.wizardDepartment = w->currentDepartment;
        w->updates.wizardPicked = true;
        w->collectSelectedModels();
        return w->selectedModels;
    }
    void startUpdateCheck() override
    {
        w->updates.wizardAsked = true;
        w->autoUpdateTimer->stop();
        w->autoUpdateTimer->start(1000);
    }
    void sendWhiteList() override { w->on_SendWhiteList_triggered(); }
    void setAccessProtocol() override { w->on_actionSet_connection_type_triggered(); }
    QList<ThinclientInfo *> pickedDevices() override
    {
        const QList<ThinclientInfo *> *devices = w->targetDepartmentDevices();
        return devices ? *devices : QList<ThinclientInfo *>();
    }
    QString firmwareStore() override { return w->settings->value(QStringLiteral("firmwareImageDir")).toString(); }
    void upgradeFirmware(ThinclientInfo *device, const QString &directory) override
    {
        w->upgradeFirmware(device, directory);
    }

private:
    MainWindow *w;
};

} // namespace

void MainWindow::onWizardTimerFired()
{
    // One step per firing: a step that shows a box must not fire again meanwhile.
    wizardTimer->stop();
    // A new run picks again.
    if (!wizardRunning)
        updates.wizardPicked = false;
    WindowWizardHost host(this);
    runWizardStep(host, wizardState, wizardRunning);
}
