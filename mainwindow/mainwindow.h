#ifndef MAINWINDOW_H
#define MAINWINDOW_H

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QMainWindow>
#include <QMap>
#include <QNetworkAddressEntry>
#include <QPixmap>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <optional>

#include "commands/usbredirectionroundtrip.h"
#include "devicelink/devicemap.h"
#include "updates/core/packageinstaller.h"
#include "updates/updatestate.h"

class QCloseEvent;
class QHeaderView;
class QLabel;
class QLocalServer;
class QPushButton;
class QSettings;
class QSplashScreen;
class QSslSocket;
class QStatusBar;
class QTimer;
class QUdpSocket;
class DeptInfo;
class DlgConnectionType;
class SSLServer;
class ThinclientInfo;

namespace Ui {
class MainWindow;
}

// What start-up takes from its surroundings. The defaults are the
// console's own; tests and tools vary them.
struct MainWindowEnvironment {
    // Name of the single-instance local server.
    QString localServerName = QStringLiteral("KorvaneManager");
    // IPv4 address entries to announce the console on. Unset: those of every
    // interface that is up and not a loop-back, collected at start-up.
    std::optional<QList<QNetworkAddressEntry>> addresses;
    // Pause at the end of start-up, with the splash screen still up.
    int startupPauseMs = 1000;
    // The settings store; the window takes it over. Null: the console's own
    // store, QSettings("Halvard", "korvane_server").
    QSettings *settings = nullptr;
    // Where the devices' TLS server listens.
    QHostAddress listenAddress = QHostAddress::Any;
};

// The console's one main window. The constructor is the whole start-up; the
// slots of each feature live in that feature's folder.
class MainWindow : public QMainWindow
{
    Q_OBJECT
public:
    explicit MainWindow(QWidget *parent = nullptr, const MainWindowEnvironment &env = MainWindowEnvironment());
    ~MainWindow() override;

    // Broadcast period used when the stored one is not a positive number of seconds.
    static constexpr int DefaultBroadcastSeconds = 5;
    // Ports used when the stored one is not a whole number from 1 to 65535,
    // the same the preferences offer when none is stored.
    static constexpr quint16 DefaultSslPort = 5808;
    static constexpr quint16 DefaultUdpPort = 7909;
    // The stored port when it is one, else the fallback.
    static quint16 portSetting(const QVariant &stored, quint16 fallback);

    bool isAnotherInstanceRunning(const QString &name);
    bool startLocalServer(const QString &name);
    // The directory of the program's first argument, with its separator;
    // for a bare name, found on PATH, the folder it was found in.
    static QString programDirectory(const QString &program);
    // The file that serialises the single-instance check of two starts.
    static QString startupLockPath(const QString &name);
    // Where the instance socket of that name lives: the temporary folder,
    // or the user's runtime folder when a socket path there would be too long.
    static QString instanceSocketName(const QString &name);
    bool isSettingEqual(const QString &key, const QString &text) const;
    // The status line shows one line of at most this many characters.
    static constexpr int MaxStatusLength = 1024;
    void setStatusText(const QString &text);
    void createLogoBox();
    void initColumnSettings();
    void sendDiscoveryNow();
    int broadcastIntervalMs() const;
    quint16 sslPort() const;
    // The port the datagrams name: the server's own while it listens.
    quint16 announcedSslPort() const;
    // Moves the server to a port changed in the preferences, or starts it
    // there when it could not listen before.
    void followSslPort();
    // Says that devices cannot connect on the port, and why.
    void warnNotListening(quint16 port, const QString &reason);
    quint16 udpPort() const;
    // Writes colSize<i> from the shown tree's header (see closeEvent).
    void saveColumnWidths(QHeaderView *header);

    // Departments: the file's path (read from tempDir each time), the map
    // from MAC address to department id, and filing a registered device.
    QString departmentFilePath() const;
    void buildDeviceDepartmentMap();
    void addDeviceToDepartment(ThinclientInfo *info);

    Ui::MainWindow *ui = nullptr;
    QString versionText;
    QString version;
    DeptInfo *currentDepartment = nullptr;
    QList<DeptInfo *> *departments = nullptr;
    QMap<QString, int> deviceDepartments;
    QList<QNetworkAddressEntry> localAddresses;
    QNetworkAddressEntry nicEntry;
    QUdpSocket *udpSocket = nullptr;
    QTimer *broadcastTimer = nullptr;
    QByteArray discoveryDatagram;
    SSLServer *sslServer = nullptr;
    QPushButton *logoButton = nullptr;
    QPixmap logoPixmap;
    QSettings *settings = nullptr;
    QString resolutionList;
    QLocalServer *localServer = nullptr;
    QStatusBar *mainStatusBar = nullptr;
    QString programDir;
    QTimer *whiteListTimer = nullptr;
    bool noSaveOnExit = false;
    // Set when the window starts to close: neither the update run nor what
    // devices send opens a window over it from then on.
    bool closing = false;
    QTimer *wizardTimer = nullptr;
    QString wizardState;
    bool wizardRunning = false;
    QTimer *autoUpdateTimer = nullptr;
    bool userStartedUpdate = false;
    bool updateDownloaded = false;
    QString installerPath;
    QString updateBaseUrl;
    QLabel *statusLabel = nullptr;
    DeviceMap devices;
    // The first-run preferences asked for the wizard.
    bool runWizardAtStart = false;

    // Members of the device tree and the department panel.
    // (Their classes are named with an elaborated "class" so this section
    // needs no declarations of its own elsewhere in the header.)
    class QVBoxLayout *deptLayout = nullptr;          // the labels, in list order
    class QHBoxLayout *centralLayout = nullptr;       // the panel, then the shown tree
    class OrlScrollArea *deptScrollArea = nullptr;    // the department panel
    QWidget *deptContainer = nullptr;                 // the panel's widget
    QWidget *centralArea = nullptr;                   // the central widget
    int savedDeptScrollPos = 0;                       // restored after a label drag
    QStringList selectedModels;                       // collectSelectedModels()

    // Builds the panel, every department's tree and the central area with
    // the first department's tree; called once by start-up.
    void createDepartmentPanel();
    // The department's tree, its signals connected to the tree slots.
    void createDeviceTreeView(DeptInfo *dept);
    // One label per department, the one at selectedIndex marked.
    void createDepartmentLabel(int selectedIndex);
    class OrlDropLabel *createLabel(DeptInfo *dept, bool selected);
    // Takes every label out of the panel; they are deleted later, since one
    // of them may be the sender of the signal being handled.
    void removeDepartmentWidget();
    // A department label's drag ends where it started: no placeholder, no
    // label waiting for its release.
    void endDepartmentLabelDrag();
    void showDepartmentView(DeptInfo *from, DeptInfo *to);
    // Trees and labels, at the window's end.
    void destroyDepartmentPanel();
    // Writes the whole department list to the department file.
    void saveDepartments();
    // The models of the shown department's selected devices, for the wizard.
    void collectSelectedModels();

    // Members of the commands.
    // Delivery to the shown department's selection and the file push to one
    // device; the command slots and their dialogs build the frames.
    // The shown department's devices; null while no department is shown.
    const QList<ThinclientInfo *> *shownDepartmentDevices() const;
    // The devices the white list, the access protocol and the firmware
    // upgrade go to: the wizard's picked department while the wizard runs
    // past its pick (null when that department is gone), else the shown one.
    const QList<ThinclientInfo *> *targetDepartmentDevices() const;
    int sendToSelectedDevices(const char *packet, int length);
    int countSelectedDevices() const;
    int sendFileToDevice(const QString &remoteName, const QByteArray &data, ThinclientInfo *device);
    int uploadFileToDevice(const QString &remoteName, const QString &localPath, ThinclientInfo *device);

    // The USB list waiting for or shown in its dialog, so that the choice
    // goes back to the device that sent it, one list at a time.
    UsbRedirectionRoundTrip usbRoundTrip;

    // Signage sync lists written without the progress dialog (the access
    // protocol's signage step): false when the list could not be written
    // completely.
    bool createDirFileList(const QString &directory, const QString &listFile);
    bool writeDirFileList(const QString &directory, QIODevice *listFile);

    // Members of the updates (updates/).
    UpdateState updates;
    // Creates the download manager, connects it and arms the first update
    // check; called once by start-up.
    void startUpdates();
    // tempDir + "/downloadlist.txt".
    QString downloadListPath() const;
    // Reads the fetched list into the update queue and lets the
    // administrator (or the wizard) choose; -1 when the list cannot be read.
    int parseDownloadList(QString *serverBase);
    // Unpacks one package into the member's directory without holding the
    // event loop; onPackageUnpacked shows its box, records the version of a
    // package that landed and goes on with the run.
    void installPackage(const PackageInstaller::Member &member, const UpgradeFile &file);
    void onPackageUnpacked();
    // Stops an unpack under way (the window closes).
    void abortPackageInstall();
    // The window closes: no timer starts a step, a transfer that ends
    // moves the update run on no further, and devices open no windows.
    void stopScheduledWork();
    bool isNewerVersion(const QString &path) const;
    // Remembers a downloaded console installer, offered at exit when newer; 0.
    int onUpdateDownloaded(const QString &localPath, const QString &comment);
    // The device actions, locked while the wizard runs.
    void disableDeviceActions();
    void enableDeviceActions();

    // Firmware upgrade of one directory (updates/): the shown department's
    // ticked devices (device null) or one device (the wizard). 0 or -1.
    int upgradeFirmware(ThinclientInfo *device, const QString &directory);

    // Access protocol: the two roads that leave the generic command
    // (displayaccess/).
    void sendConnectionManagerImages();
    void sendSignageFileLists(const DlgConnectionType &dialog);

public slots:
    void newLocalSocketConnection();
    void onSetBroadcastBtnState(bool state);
    void onBroadcastTimerFired();
    void onLogoClicked();
    void onGetRemProtoHelp(const QString &text);
    void onDeviceRegistered(ThinclientInfo *record);
    void onDeviceModelChanged(ThinclientInfo *record);

    // Reached by name from the form's actions.
    void on_btnUdpBroadcast_triggered();
    void on_actionOnline_help_triggered();
    void on_actionExit_triggered();
    void on_actionAbout_ZOR_triggered();
    void on_actionPreferences_triggered();
    void on_actionClear_application_settings_triggered();

    // Device tree, selection and the department panel (mainwindow/).
    void onTreeViewClicked(const QModelIndex &index);
    void onTreeViewDoubleClicked(const QModelIndex &index);
    void onTreeViewRightClicked(const QPoint &pos);
    void onTreeViewCheckAll();
    void onTreeViewUncheckAll();
    void onTreeViewInvertCheck();
    void onItemShowDevInfo();
    void onNewDepartment();
    void onDepartmentRename(void *dept);
    void onDepartmentDelete(void *dept);
    void onDepartmentSelected(void *dept);
    void onDepartmentDragged(void *dept, QPoint pos, bool dropped);
    void onDeviceDropped(void *dept, class OrlTreeView *source);
    void onDragEnter(void *dept, QPoint pos);

    // Everyday and prompt commands, device-list export (commands/).
    void on_rebootDevice_triggered();
    void on_actionReboot_device_triggered();
    void on_actionEnter_upgrade_mode_triggered();
    void on_actionEnter_upgrade_mode_1_triggered();
    void on_actionGet_Client_Log_Files_triggered();
    void on_actionView_serial_number_triggered();
    void on_actionReset_to_factory_defaults_triggered();
    void on_exitUpgradeMode_triggered();
    void on_changeName_triggered();
    void on_actionChange_device_name_triggered();
    void on_actionSet_Orlconfig_password_triggered();
    void on_actionSet_firewall_status_triggered();
    void on_config_firewall_triggered();
    void on_actionSet_log_level_triggered();
    void on_actionSet_power_save_mode_triggered();
    void on_actionCreate_Netop_data_file_triggered();

    // Configuration commands: network, server, credentials, USB, install, PXE (commands/).
    void on_actionConfigureNIC_triggered();
    void on_config_network_triggered();
    void on_actionSet_ZOR_server_configuration_triggered();
    void on_actionSet_Cloud_Print_creds_triggered();
    void on_actionTSG_triggered();
    void on_actionSetup_USB_redirection_triggered();
    // A device's USB list arrived (the server's onEnumerateUsb, direct); the
    // dialog is posted.
    void onEnumerateUsb(ThinclientInfo *record, const QStringList &usbDevices);
    void on_actionInstall_triggered();
    void on_install_file_triggered();
    void on_actionSet_pxe_configuration_triggered();

    // Signage content sync and the storage white list (commands/).
    void on_actionSync_dsi_dir_triggered();
    int on_GetBlockDeviceList_triggered();
    void on_SendWhiteList_triggered();
    void on_btnSendWhiteList_triggered();
    void onWhiteListTimerTriggered();

    // Display layout and EDID resolution (displayaccess/).
    void on_configureDisplay_triggered();
    void on_actionSet_monitor_res_opts_triggered();
    void on_actionSet_EDID_Resolution_triggered();
    // Updates: the check, its downloads and the update actions (updates/).
    void onDownloadProgress(const QString &name, int percent);
    void onDownloadError(const QString &text);
    void onDownloadCompleted(int errorCount, qint64 bytes);
    void onAutoUpdateTimerFired();
    void on_actionWizard_triggered();
    // One step of the set-up wizard per firing of its timer.
    void onWizardTimerFired();
    void on_actionClear_updates_cache_triggered();
    void on_actionDownload_updates_triggered();
    void on_download_updates_triggered();

    // Firmware, client-application and hotfix upgrades (updates/).
    void on_updateFirmware_triggered();
    void on_actionUpgrade_firmware_triggered();
    void on_actionUpgrade_ZOR_Client_triggered();
    void onActionUpgrade_application_triggered();
    void on_actionInstall_Hotfix_triggered();
    // Keyboard setting (keyboard/).
    void on_actionSet_keyboard_type_triggered();
    void on_config_keyboard_triggered();

    // Configuration profiles (profiles/).
    void on_actionProfileManager_triggered();

    // Access protocol and its help request (displayaccess/).
    void on_actionSet_connection_type_triggered();
    void on_actionSet_remote_server_protocol_triggered();
    void onActionGet_remote_protocol_help_triggered(int typeCode);

    // Time-zone setting (timezone/).
    void on_btnSetTimezone_triggered();
    void on_actionSet_time_zone_triggered();

protected:
    void closeEvent(QCloseEvent *event) override;
    bool event(QEvent *e) override;

private:
    // Where packages are unpacked (firmware, client application, hotfixes),
    // each directory as the file system names it; none in a working directory
    // that is not the user's own.
    QStringList updateStores() const;
    bool claimSingleInstance(const QString &name);
    bool isFirstRun() const;
    // The working directory is open to every user, or lies in a folder every
    // user may write to and is gone, a link, or another user's (or within one).
    bool workingDirRefused() const;
    bool runFirstRunPreferences();
    void collectLocalAddresses();
    void startDeviceServer(const QHostAddress &listenAddress);
    QHostAddress deviceListenAddress;
    // Starts the server on the SSLPort setting, at deviceListenAddress.
    bool listenForDevices();
    void createStatusBar();
    void startDiscoveryAtStart();

    QSplashScreen *m_splash = nullptr;
    // The department file the start refused to read, by its own path where
    // it has one; never written over.
    QString refusedDepartmentFile;
    // The department file that was not there at the start, by its path as
    // typed, until this run has written it.
    QString absentDepartmentFile;

    // The remote-protocol help answers and their one window (displayaccess/).
    class RemProtoHelp *remProtoHelp = nullptr;
    // Steps of an update check (updates/).
    bool startHeadDownload();
    void startNextUpdateOrEnd();
    void endUpdateRun();
    void installUpdate(const UpgradeFile &file);
    void setDeviceActionsEnabled(bool enabled);
};

#endif // MAINWINDOW_H
