#include "mainwindow.h"
#include "ui_mainwindow.h"

#include "department.h"
#include "dlgsettings.h"
#include "formfit.h"
#include "links.h"
#include "prompter.h"

#include "commands/core/whitelistfile.h"
#include "devicelink/columns.h"
#include "devicelink/sslserver.h"
#include "devicelink/thinclientinfo.h"
#include "devicelink/utils.h"
#include "updates/core/updateversions.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QNetworkInterface>
#include <QPushButton>
#include <QSettings>
#include <QSplashScreen>
#include <QStandardPaths>
#include <QStatusBar>
#include <QThread>
#include <QTimer>
#include <QUdpSocket>
#include <QUrl>
#include <QVBoxLayout>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#endif

static const char CertPath[] = ":/certs/resources/certs/server.crt";
static const char KeyPath[] = ":/certs/resources/certs/server.pknp";

// Keys whose absence means the preferences were never saved.
static const char *const FirstRunKeys[] = {"firmwareImageDir", "appImageDir", "hotfixDir",
                                           "tempDir",          "profileDir",  "zorWorkingDir"};
// Remembered versions that start as "unknown".
static const char *const VersionSeedKeys[] = {"platform",
                                              "zorServerVersion",
                                              "zorClientVersion",
                                              "firmwareVersionORL_K1",
                                              "firmwareVersionORL_K2",
                                              "firmwareVersionORL_K3",
                                              "firmwareVersionORL_K4"};

MainWindow::MainWindow(QWidget *parent, const MainWindowEnvironment &env)
    : QMainWindow(parent), ui(new Ui::MainWindow)
{
    m_splash = new QSplashScreen(QPixmap(QStringLiteral(":/images/resources/images/splash.jpg")));
    m_splash->show();
    m_splash->showMessage(tr("Halvard Device Manager is loading..."), Qt::AlignLeft, Qt::black);

    wizardState = QStringLiteral("not_running");
    version = QStringLiteral("7.8.8");
    versionText = QStringLiteral("Halvard Device Manager 3.0 v") + version;

    if (!claimSingleInstance(env.localServerName)) {
        prompter()->information(this, tr("Check Application Instance"),
                                tr("KorvaneManager is already running.\n\n"
                                   "You cannot run multiple instances of this application"),
                                QMessageBox::Ok);
        // Nothing of this instance may reach the settings store.
        noSaveOnExit = true;
        delete env.settings;
        QTimer::singleShot(5, qApp, &QCoreApplication::quit);
        return;
    }

    ui->setupUi(this);
    FormFit::growClippedTexts(this);
    setWindowTitle(tr("Halvard Device Manager 3.0"));

    const QStringList args = QCoreApplication::arguments();
    programDir = programDirectory(args.isEmpty() ? QString() : args.first());
    QCoreApplication::addLibraryPath(QCoreApplication::applicationDirPath() + QStringLiteral("/plugins"));

    autoUpdateTimer = new QTimer(this);
    autoUpdateTimer->setInterval(3600000);

    settings = env.settings ? env.settings : new QSettings(QStringLiteral("Halvard"), QStringLiteral("korvane_server"));
    initColumnSettings();
    if (isFirstRun()) {
        // The remembered versions name what was unpacked into the stores as
        // they were. A working directory that is gone, or that others may
        // have made, holds none of it, even where the default is made anew
        // at the same path; nor do stores set up elsewhere. The next check
        // offers those packages again.
        const QStringList stores = updateStores();   // none when the working directory is refused
        runWizardAtStart = runFirstRunPreferences();
        if (stores.isEmpty() || updateStores() != stores)
            UpdateVersions::forgetUnpacked(*settings);
    } else if (updateStores().contains(QString())) {
        // A store gone since the last run (removed, or on a disk not
        // mounted) holds none of what was recorded: made anew, by hand or by
        // the preferences, it would stay empty, every check skipping it.
        UpdateVersions::forgetUnpacked(*settings);
    }
    // Headers and rows follow this layout until the next start, whatever the
    // preferences save meanwhile.
    Columns::keepLayout(settings);

    for (const char *key : VersionSeedKeys)
        if (!settings->contains(QLatin1String(key)))
            settings->setValue(QLatin1String(key), QStringLiteral("unknown"));
    settings->setValue(QStringLiteral("platform"), QStringLiteral("windows"));
    // An installer newer than this console was fetched by a run that never
    // started it (the console was killed, or the start failed): counted as
    // fetched, no check would bring it again, and no exit would offer it.
    const QString installerKey = QStringLiteral("zorServerVersionExe");
    const QString fetched = settings->value(installerKey).toString();
    if (!fetched.isEmpty() && fetched != QLatin1String("unknown") && isNewerVersion(fetched))
        settings->setValue(installerKey, QStringLiteral("unknown"));

    bool refused = false;
    departments = Department::loadDepartments(departmentFilePath(), &refused);
    // Where the file itself lies: a working directory typed through a link
    // later names the same file under another path.
    if (refused)
        refusedDepartmentFile = Department::fileIdentity(departmentFilePath());
    else if (Department::isMissing(departmentFilePath()))
        absentDepartmentFile = QDir::cleanPath(departmentFilePath());
    buildDeviceDepartmentMap();
    createLogoBox();
    createDepartmentPanel();

    if (env.addresses)
        localAddresses = *env.addresses;
    else
        collectLocalAddresses();
    if (localAddresses.isEmpty()) {
        prompter()->warning(this, QString(),
                            tr("No network was detected. Korvane will now close\n\n"
                               "Fix your network, then restart Korvane"),
                            QMessageBox::Ok);
        // Qt closes the shown window on quit; nothing is worth saving from
        // a console that never came up.
        noSaveOnExit = true;
        // The window is shown until then, but the timers, sockets and server
        // its actions use are never made: nothing in it may be triggered.
        for (QAction *action : findChildren<QAction *>())
            action->setEnabled(false);
        setEnabled(false);
        QTimer::singleShot(1000, qApp, &QCoreApplication::quit);
        return;
    }

    udpSocket = new QUdpSocket(this);
    broadcastTimer = new QTimer(this);
    connect(broadcastTimer, &QTimer::timeout, this, &MainWindow::onBroadcastTimerFired);

    startDeviceServer(env.listenAddress);

    resolutionList = QStringLiteral("640x480 800x600 1024x768 1280x720 1280x768 1280x1024 1360x768 1440x900 1920x1080");
    createStatusBar();
    startUpdates();

    wizardTimer = new QTimer(this);
    // Every wizard step stops the timer first, so each start is one firing.
    wizardTimer->setSingleShot(true);
    connect(wizardTimer, &QTimer::timeout, this, &MainWindow::onWizardTimerFired);
    whiteListTimer = new QTimer(this);
    connect(whiteListTimer, &QTimer::timeout, this, &MainWindow::onWhiteListTimerTriggered);

    startDiscoveryAtStart();

    QThread::msleep(env.startupPauseMs);
    m_splash->finish(parent);
    delete m_splash;
    m_splash = nullptr;
    setFocus(Qt::OtherFocusReason);

    if (runWizardAtStart)
        wizardTimer->start(1000);
}

QString MainWindow::programDirectory(const QString &program)
{
#ifdef Q_OS_UNIX
    // A name without a slash was looked for on PATH, so its folder is where
    // the system found it; a backslash is a letter of a name here.
    if (!program.isEmpty() && !program.contains(QLatin1Char('/')))
        return QCoreApplication::applicationDirPath() + QLatin1Char('/');
#endif
    const int cut = program.contains(QLatin1Char('/')) ? program.lastIndexOf(QLatin1Char('/'))
                                                       : program.lastIndexOf(QLatin1Char('\\'));
    return program.left(cut + 1);
}

#ifdef Q_OS_UNIX
// The shared temporary folder lets anybody take a name first: another
// user's socket there would answer for this user's console and keep it from
// starting, and another user's lock file would hold every start for the
// whole wait. Such a name is left to them.
static bool isOthersEntry(const QString &path)
{
    struct stat entry;
    return ::lstat(QFile::encodeName(path).constData(), &entry) == 0 && entry.st_uid != ::geteuid();
}

// A temporary folder this user may not write into (another user's, or one
// made read-only) takes neither the lock nor the socket: the console would
// run unseen, and a second one would start beside it. Asked as the effective
// user, who makes the entries; only a plain refusal counts, so that where
// the question itself cannot be asked the folder serves as before.
static bool takesEntries(const QString &dir)
{
    if (!QFileInfo(dir).isDir())
        return false;
    return ::faccessat(AT_FDCWD, QFile::encodeName(dir).constData(), W_OK | X_OK, AT_EACCESS) == 0
           || (errno != EACCES && errno != EROFS);
}

// The settings store's folder (made first where make says so); empty where
// it is not there or another user made it.
static QString storeFolder(bool make)
{
    const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    if (config.isEmpty())
        return QString();
    const QString dir = config + QStringLiteral("/Halvard");
    if (make)
        QDir().mkpath(dir);
    return QFileInfo(dir).isDir() && !isOthersEntry(dir) ? dir : QString();
}

// A folder nobody else can make or fill: the user's runtime folder or,
// where the system names none of the user's own (no XDG_RUNTIME_DIR, and
// another user made first the folder that stands in for it in the shared
// temporary folder), the settings store's. Falling back to the shared names
// instead would let that user keep every console from starting, or let two
// of them run side by side. Empty where neither can be had.
static QString privateFolder()
{
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    return runtime.isEmpty() ? storeFolder(true) : runtime;
}
#endif

QString MainWindow::startupLockPath(const QString &name)
{
    const QString temp = QDir::tempPath();
    const QString path = temp + QLatin1Char('/') + name + QStringLiteral(".startlock");
#ifdef Q_OS_UNIX
    // Where TMPDIR names no folder this user may write into, the lock could
    // not be taken (or would lie at the root): two starts at once would both
    // find nobody and both run. It goes where the instance socket then goes.
    const QString runtime = privateFolder();
    if ((!takesEntries(temp) || isOthersEntry(path)) && !runtime.isEmpty())
        return runtime + QLatin1Char('/') + name + QStringLiteral(".startlock");
#endif
    return path;
}

#ifdef Q_OS_UNIX
// A socket's path must fit sockaddr_un with room to spare: past that the
// console could neither listen nor be found, and a second one would start
// beside it.
static bool fitsSocketPath(const QString &dir, const QString &name)
{
    return size_t(QFile::encodeName(dir + QLatin1Char('/') + name).size()) + 1 < sizeof(sockaddr_un::sun_path);
}

// The instance socket in one of the user's own folders; empty where it
// cannot be.
static QString ownSocketName(const QString &folder, const QString &name)
{
    if (QDir::isAbsolutePath(name) || folder.isEmpty() || !fitsSocketPath(folder, name))
        return QString();
    return folder + QLatin1Char('/') + name;
}

static QString runtimeSocketName(const QString &name)
{
    return ownSocketName(privateFolder(), name);
}
#endif

QString MainWindow::instanceSocketName(const QString &name)
{
#ifdef Q_OS_UNIX
    // Every console of the user looks in the same fallback, also when TMPDIR
    // names no folder (the path would then fall to the root) or one closed
    // to the user.
    const QString temp = QDir::tempPath();
    if (QDir::isAbsolutePath(name)
        || (takesEntries(temp) && fitsSocketPath(temp, name) && !isOthersEntry(temp + QLatin1Char('/') + name)))
        return name;
    const QString runtime = runtimeSocketName(name);
    if (!runtime.isEmpty())
        return runtime;
#endif
    return name;
}

// The probe alone cannot tell a running console from a socket file left by
// one that crashed, and two consoles started together can both find nobody.
// A short lock around probe and listen settles both: whoever holds it and
// finds no answer owns the name, and may remove a stale socket file.
bool MainWindow::claimSingleInstance(const QString &name)
{
    QLockFile lock(startupLockPath(name));
    lock.tryLock(10000);

    const QString socket = instanceSocketName(name);
    if (isAnotherInstanceRunning(socket))
        return false;
#ifdef Q_OS_UNIX
    // A console started while another user held the name here listens in
    // the runtime folder, and stays there when their name has gone since;
    // one started while they held the runtime folder as well listens in the
    // settings store's folder, and stays there when that folder is freed.
    for (const QString &own : {runtimeSocketName(name), ownSocketName(storeFolder(false), name)})
        if (!own.isEmpty() && own != socket && isAnotherInstanceRunning(own))
            return false;
#endif
    if (!startLocalServer(socket)) {
        QLocalServer::removeServer(socket);
        localServer->listen(socket);
    }
    return true;
}

bool MainWindow::isAnotherInstanceRunning(const QString &name)
{
    QLocalSocket socket;
    socket.connectToServer(name, QIODevice::ReadWrite);
    const bool running = socket.waitForConnected(500);
    if (running)
        socket.disconnectFromServer();
    return running;
}

bool MainWindow::startLocalServer(const QString &name)
{
    localServer = new QLocalServer(this);
    connect(localServer, &QLocalServer::newConnection, this, &MainWindow::newLocalSocketConnection);
    // A probe that comes while the console is out of descriptors makes the
    // server close and remove its socket file: a second console would then
    // start beside this one. Such a close leaves its error text, which a
    // close of our own clears; the name is taken again once it can be (never
    // from a console that took it meanwhile: listen refuses a name in use).
    auto *relisten = new QTimer(localServer);
    relisten->setInterval(1000);
    connect(relisten, &QTimer::timeout, localServer, [server = localServer, name] {
        if (!server->isListening() && !server->errorString().isEmpty())
            server->listen(name);
    });
    relisten->start();
    return localServer->listen(name);
}

void MainWindow::newLocalSocketConnection()
{
    // A second instance only probes; it connects and goes away again. Its
    // connection is still taken and dropped: left waiting, a few dozen of
    // them stop the server taking any more, and the next console started
    // would find none running.
    while (QLocalSocket *probe = localServer->nextPendingConnection()) {
        probe->abort();
        probe->deleteLater();
    }
}

bool MainWindow::isFirstRun() const
{
    // A directory that is empty or relative (a hand-edited or damaged store)
    // counts as missing: files would go to the filesystem root or to
    // whatever folder the console was started in. Taken as stored, as its
    // readers take it: " /home/..." is relative too.
    for (const char *key : FirstRunKeys) {
        const QString dir = settings->value(QLatin1String(key)).toString();
        if (dir.isEmpty() || QDir::isRelativePath(dir))
            return true;
    }
    // A working directory in the shared temporary folder is gone when that
    // folder is emptied (at a reboot), and anybody may make it again, before
    // the start or while the console runs: the console would then read their
    // department file, white list and firmware as its own and write its files
    // to them. The preferences make it again as this user's own.
    return workingDirRefused();
}

bool MainWindow::workingDirRefused() const
{
    return Utils::isNotOwnInSharedFolder(settings->value(QStringLiteral("zorWorkingDir")).toString());
}

// Returns whether the administrator asked for the wizard.
bool MainWindow::runFirstRunPreferences()
{
    auto *dialog = new DlgSettings(this, settings, autoUpdateTimer, true);
    prompter()->exec(dialog);
    return dialog->runWizard();
}

void MainWindow::on_actionPreferences_triggered()
{
    const QString departmentFile = departmentFilePath();
    const QString oldTempDir = settings->value(QStringLiteral("tempDir")).toString();
    // One that others may have made holds no list of this console's: none is
    // carried, and the one the new place holds, the administrator's, stays.
    const bool oldRefused = workingDirRefused();
    const QStringList stores = updateStores();
    auto *dialog = new DlgSettings(this, settings, autoUpdateTimer, false);
    prompter()->exec(dialog);
    delete dialog;
    followSslPort();
    // The department file lies in the working directory: a new one would
    // hold none, and the next start would lose every department and file
    // every device as an orphan. The departments shown go along.
    if (departmentFilePath() != departmentFile)
        saveDepartments();
    // So does the white list, which devices ask for at any time: left
    // behind, they would be answered with none (or with an older list found
    // in the new place), and the next white-list dialog would tick none of
    // the disks the administrator chose.
    const QString newTempDir = settings->value(QStringLiteral("tempDir")).toString();
    if (newTempDir != oldTempDir && !oldRefused)
        WhiteListFile::carry(oldTempDir, newTempDir);
    // The remembered versions name what was unpacked into the old stores;
    // the new ones hold none of it, and a check that skipped those packages
    // would leave nothing to upgrade devices with. The next check offers
    // them again.
    if (updateStores() != stores)
        UpdateVersions::forgetUnpacked(*settings);
}

QStringList MainWindow::updateStores() const
{
    // The same directory spelled otherwise, or reached through a link, is
    // the same store. One in a working directory that is gone, or that others
    // may have made, holds nothing unpacked here, even where the preferences
    // make it anew at the same path.
    QStringList out;
    if (workingDirRefused())
        return out;
    // A store that is not there holds nothing either: made anew at the same
    // path, by hand or by the preferences, it is another, empty, store.
    for (const char *key : {"firmwareImageDir", "appImageDir", "hotfixDir"}) {
        const QString store = settings->value(QLatin1String(key)).toString();
        out << (QFileInfo(store).isDir() ? Department::fileIdentity(store) : QString());
    }
    return out;
}

void MainWindow::initColumnSettings()
{
    Columns::initDefaults(settings);
}

bool MainWindow::isSettingEqual(const QString &key, const QString &text) const
{
    return settings->contains(key) && settings->value(key).toString() == text;
}

void MainWindow::setStatusText(const QString &text)
{
    // Device names and update comments come with line breaks of their own,
    // or a megabyte long: each would be laid out again at every progress
    // step, and stretch the window beyond any screen.
    statusLabel->setText(Utils::oneLine(text.left(MaxStatusLength)));
}

void MainWindow::collectLocalAddresses()
{
    const QList<QNetworkInterface> interfaces = QNetworkInterface::allInterfaces();
    for (const QNetworkInterface &nic : interfaces) {
        const auto flags = nic.flags();
        if (!(flags & QNetworkInterface::IsUp) || (flags & QNetworkInterface::IsLoopBack))
            continue;
        const QList<QNetworkAddressEntry> entries = nic.addressEntries();
        for (const QNetworkAddressEntry &entry : entries)
            if (entry.ip().protocol() == QAbstractSocket::IPv4Protocol)
                localAddresses.append(entry);
    }
}

bool MainWindow::listenForDevices()
{
    return sslServer->startServer(nicEntry, sslPort(), QLatin1String(CertPath), QLatin1String(KeyPath),
                                  deviceListenAddress);
}

void MainWindow::startDeviceServer(const QHostAddress &listenAddress)
{
    sslServer = new SSLServer(this, &devices, settings);
    sslServer->removeUnfinishedUploads();
    deviceListenAddress = listenAddress;
    // The port the broadcast announces, whatever the store holds.
    if (!listenForDevices())
        warnNotListening(sslPort(), sslServer->errorString());

    // Direct: the server frees what it hands over as soon as the emit returns,
    // and relies on the new device's row existing by then.
    connect(sslServer, &SSLServer::onDeviceRegistered, this, &MainWindow::onDeviceRegistered,
            Qt::DirectConnection);
    connect(sslServer, &SSLServer::onDeviceModelChanged, this, &MainWindow::onDeviceModelChanged,
            Qt::DirectConnection);
    connect(sslServer, &SSLServer::onSetBroadcastBtnState, this, &MainWindow::onSetBroadcastBtnState,
            Qt::DirectConnection);
    connect(sslServer, &SSLServer::onGetRemProtoHelp, this, &MainWindow::onGetRemProtoHelp,
            Qt::DirectConnection);
    connect(sslServer, &SSLServer::onEnumerateUsb, this, &MainWindow::onEnumerateUsb, Qt::DirectConnection);
}

void MainWindow::createLogoBox()
{
    logoPixmap.load(QStringLiteral(":/images/resources/images/small_logo.png"));
    logoButton = new QPushButton(QIcon(logoPixmap), QString());
    logoButton->setIconSize(logoPixmap.rect().size());
    logoButton->setFlat(true);
    connect(logoButton, &QPushButton::clicked, this, &MainWindow::onLogoClicked);

    auto *layout = new QVBoxLayout;
    layout->addWidget(new QLabel);
    layout->addWidget(logoButton);
    layout->addWidget(new QLabel);
    auto *box = new QGroupBox(QString());
    box->setLayout(layout);
    ui->mainToolBar->addWidget(box);
}

void MainWindow::createStatusBar()
{
    statusLabel = new QLabel;
    // Status lines name devices and updates by what they report of themselves.
    statusLabel->setTextFormat(Qt::PlainText);
    // Cut at the window's edge rather than widen the window to the text.
    statusLabel->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    mainStatusBar = new QStatusBar;
    mainStatusBar->addPermanentWidget(statusLabel, 100);
    setStatusBar(mainStatusBar);
}

void MainWindow::onSetBroadcastBtnState(bool state)
{
    // Only ever switched off here; the end of the wizard switches it on again.
    if (!state)
        ui->btnUdpBroadcast->setEnabled(false);
}

void MainWindow::on_actionOnline_help_triggered()
{
    prompter()->openUrl(QUrl(QLatin1String(Links::SupportPage)));
}
