// ctest-timeout: 300
// The everyday and prompt commands, the file push and the device-list
// export, driven through the main window's actions and answered by a
// scripted administrator, against simulated devices connected over TLS.
#include "commands/dlggettext.h"
#include "commands/dlgsetstatus.h"
#include "filepush.h"
#include "formfill.h"
#include "keyboard/core/keyboardpacket.h"
#include "keyboard/core/keyboardtables.h"
#include "keyboardresponder.h"
#include "mainwindow/deptinfo.h"
#include "mainwindow/orltreeview.h"
#include "mainwindow/mainwindow.h"
#include "scriptedprompter.h"
#include "simdevice.h"
#include "statusmessages.h"
#include "timezoneresponder.h"
#include "windowfixture.h"

#include "devicelink/sslserver.h"
#include "devicelink/thinclientinfo.h"

#include <QAction>
#include <QCryptographicHash>
#include <QFile>
#include <QLineEdit>
#include <QRadioButton>
#include <QStandardItemModel>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

using namespace WindowFixture;

namespace {

enum DeptId { Orphans = 0, Lab = 3, Office = 5, Empty = 7 };

// The fleet, registered in this order. In the Lab, lab-a, lab-print and
// lab-both are selected; lab-idle is not ticked and lab-away is ticked but
// has reported itself offline over a live connection. office-a and
// orphan-a are ticked in departments that are not shown.
struct Member {
    const char *name;
    DeptId dept;
    bool ticked;
    bool printServer;
    bool swapServer;
    const char *serial;
};
const Member roster[] = {
    {"lab-a", Lab, true, false, false, "SN-A"},
    {"lab-print", Lab, true, true, false, "SN-P"},
    {"lab-idle", Lab, false, false, false, "SN-I"},
    {"lab-both", Lab, true, true, true, "SN-B"},
    {"lab-away", Lab, true, false, false, "SN-W"},
    {"office-a", Office, true, false, false, "SN-O"},
    {"orphan-a", Orphans, true, false, false, ""},
};
const QStringList selectedInLab{QStringLiteral("lab-a"), QStringLiteral("lab-print"), QStringLiteral("lab-both")};

// Sent straight to every connected device after a command: the stream is
// ordered, so whatever a device got before it came from the command.
const QByteArray marker = QByteArray::fromHex("7f000000");

// Dialog answers of the scripted administrator.
ScriptedPrompter::DialogHandler typeText(const QString &text)
{
    return [text](QDialog *d) {
        d->findChild<QLineEdit *>(QStringLiteral("tbxText"))->setText(text);
        qobject_cast<DlgGetText *>(d)->onOK();
        return d->result();
    };
}

ScriptedPrompter::DialogHandler chooseStatus(bool enabled)
{
    return [enabled](QDialog *d) {
        d->findChild<QRadioButton *>(QLatin1String(enabled ? "rdbtnEnabled" : "rdbtnDisabled"))->setChecked(true);
        qobject_cast<DlgSetStatus *>(d)->accept();
        return d->result();
    };
}

// Answers the next dialog with "objectName=value" edits, then OK. A form
// that lacks a named widget is cancelled instead, so the command sends nothing.
void acceptWith(ScriptedPrompter *prompts, const QStringList &edits)
{
    prompts->answerDialog([edits](QDialog *d) {
        const QStringList missing = fillForm(d, edits);
        if (!missing.isEmpty()) {
            qWarning("no widget %s", qPrintable(missing.join(QLatin1String(", "))));
            return int(QDialog::Rejected);
        }
        d->accept();
        return d->result();
    });
}

// "text:<typed>" or "status:1" / "status:0"; empty: the command has no dialog.
void scriptDialog(ScriptedPrompter *prompts, const QString &dialog)
{
    if (dialog.startsWith(QLatin1String("text:")))
        prompts->answerDialog(typeText(dialog.mid(5)));
    else if (dialog.startsWith(QLatin1String("status:")))
        prompts->answerDialog(chooseStatus(dialog.endsWith(QLatin1Char('1'))));
}

QByteArray md5Hex(const QByteArray &data)
{
    return QCryptographicHash::hash(data, QCryptographicHash::Md5).toHex();
}

// A prompter whose every question and dialog first runs a hook: the
// administrator reads while the network goes on.
struct HookedPrompter : ScriptedPrompter {
    std::function<void(const QString &)> hook;
    QMessageBox::StandardButton question(QWidget *p, const QString &t, const QString &x,
                                         QMessageBox::StandardButtons b, QMessageBox::StandardButton d) override
    {
        if (hook)
            hook(x);
        return ScriptedPrompter::question(p, t, x, b, d);
    }
    int exec(QDialog *dialog) override
    {
        if (hook)
            hook(QString::fromLatin1(dialog->metaObject()->className()));
        return ScriptedPrompter::exec(dialog);
    }
};

} // namespace

class TestWindowCommands : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanupTestCase();

    void selectionReceives_data();
    void selectionReceives();
    void rebootSkipsOnlyTheRefusedServer();
    void dropDuringPrompt_data();
    void dropDuringPrompt();
    void overlongNameRefused();
    void keyboardReachesSelectionAndIsReported_data();
    void keyboardReachesSelectionAndIsReported();
    void emptyDepartment_data();
    void emptyDepartment();
    void deliveryMembers();
    void filePush_data();
    void filePush();
    void exportFile_data();
    void exportFile();
    void timezoneSetAndReported_data();
    void timezoneSetAndReported();

private:
    DeptInfo *department(int id) const;
    ThinclientInfo *record(const QString &name) const;
    SimDevice *sim(const QString &name) const { return m_sims.value(name); }
    bool waitForRecord(const QString &name, bool online);
    void show(int id);
    void tick(const QString &name, bool on);
    void activate(const QString &action);
    // What each device received before the marker, by device name.
    QMap<QString, QByteArray> delivered();

    std::unique_ptr<MainWindow> m_window;
    QMap<QString, SimDevice *> m_sims;
    QMap<QString, TimezoneResponder *> m_timezones;
    QStringList m_names;
    QTemporaryDir m_dir;
};

DeptInfo *TestWindowCommands::department(int id) const
{
    for (DeptInfo *dept : std::as_const(*m_window->departments))
        if (dept->id == id)
            return dept;
    return nullptr;
}

ThinclientInfo *TestWindowCommands::record(const QString &name) const
{
    const QString mac = sim(name)->config().macAddress;
    for (ThinclientInfo *device : std::as_const(m_window->devices))
        if (device->macAddress == mac)
            return device;
    return nullptr;
}

bool TestWindowCommands::waitForRecord(const QString &name, bool online)
{
    return QTest::qWaitFor([&] {
        const ThinclientInfo *device = record(name);
        return device && device->online == online && (device->socket != nullptr) == online;
    }, 15000);
}

void TestWindowCommands::show(int id)
{
    // As a click on the department's label does.
    m_window->onDepartmentSelected(department(id));
    QCOMPARE(m_window->currentDepartment, department(id));
}

void TestWindowCommands::tick(const QString &name, bool on)
{
    // The box of the device's row in its department's tree, then the click
    // that copies it into the record; only the shown tree takes clicks.
    ThinclientInfo *device = record(name);
    for (DeptInfo *dept : std::as_const(*m_window->departments)) {
        if (!dept->devices.contains(device))
            continue;
        show(dept->id);
        device->item->setCheckState(on ? Qt::Checked : Qt::Unchecked);
        emit dept->treeView->clicked(dept->model->indexFromItem(device->item));
    }
    QCOMPARE(device->checked, on);
}

void TestWindowCommands::activate(const QString &action)
{
    QAction *a = m_window->findChild<QAction *>(action);
    QVERIFY2(a, qPrintable(action));
    // Hidden entries cannot be triggered; their slots are still connected by name.
    if (a->isEnabled())
        a->trigger();
    else
        QVERIFY(QMetaObject::invokeMethod(m_window.get(), qPrintable(QStringLiteral("on_%1_triggered").arg(action))));
}

QMap<QString, QByteArray> TestWindowCommands::delivered()
{
    for (const QString &name : std::as_const(m_names))
        if (ThinclientInfo *device = record(name); device && device->socket)
            SSLServer::writeToDevice(device->socket, marker);
    QMap<QString, QByteArray> out;
    for (const QString &name : std::as_const(m_names)) {
        SimDevice *device = sim(name);
        const bool connected = record(name) && record(name)->socket;
        auto markerIndex = [device] {
            const QList<ReceivedFrame> &frames = device->receivedFrames();
            for (int i = 0; i < frames.size(); ++i)
                if (frames[i].bytes == marker)
                    return i;
            return -1;
        };
        if (connected && !QTest::qWaitFor([&] { return markerIndex() >= 0; }, 20000)) {
            qWarning("%s never received the marker", qPrintable(name));
            out.insert(name, "(lost)");
            continue;
        }
        const int end = connected ? markerIndex() : int(device->receivedFrames().size());
        QByteArray bytes;
        for (int i = 0; i < end; ++i)
            bytes += device->receivedFrames()[i].bytes;
        out.insert(name, bytes);
    }
    return out;
}

void TestWindowCommands::initTestCase()
{
    QSettings *store = newSettings();
    seedPreferences(store, freeTcpPort(), freeUdpPort(), 60);
    store->setValue(QStringLiteral("discoveryState"), false);

    QByteArray file("#\n# Autogenerated Korvane configuration file; DO NOT EDIT\n#\n\n"
                    "[department]\nid=0\nname=Orphans\nimage_file=\n\n");
    const struct { int id; const char *name; } depts[] = {{Lab, "Lab"}, {Office, "Office"}, {Empty, "Empty"}};
    QList<SimDeviceConfig> configs;
    for (int i = 0; i < int(std::size(roster)); ++i) {
        SimDeviceConfig c = SimDeviceConfig::numbered(i);
        c.deviceName = QLatin1String(roster[i].name);
        c.serialNumber = QLatin1String(roster[i].serial);
        c.printServer = roster[i].printServer;
        c.swapServer = roster[i].swapServer;
        // Only the second registration version reports the server roles.
        c.registrationVersion = 2;
        c.subCode = 3;
        configs << c;
    }
    for (const auto &d : depts) {
        file += "[department]\nid=" + QByteArray::number(d.id) + "\nname=" + d.name + "\nimage_file=\n";
        for (int i = 0; i < configs.size(); ++i)
            if (roster[i].dept == d.id)
                file += "mac=" + configs[i].macAddress.toLatin1() + "\n";
        file += "\n";
    }
    QFile ini(store->value(QStringLiteral("tempDir")).toString() + QStringLiteral("/KorvaneManager.ini"));
    QVERIFY(ini.open(QIODevice::WriteOnly));
    ini.write(file);
    ini.close();

    ScriptedPrompter startup;
    const quint16 port = quint16(store->value(QStringLiteral("SSLPort")).toInt());
    m_window.reset(new MainWindow(nullptr, environment(store)));
    QVERIFY(m_window->sslServer);
    // One at a time, so that each department lists its devices in roster order.
    for (const SimDeviceConfig &c : std::as_const(configs)) {
        auto *device = new SimDevice(c, this);
        m_sims.insert(c.deviceName, device);
        m_timezones.insert(c.deviceName, new TimezoneResponder(device));
        m_names << c.deviceName;
        device->connectToConsole(QStringLiteral("127.0.0.1"), port);
        QVERIFY2(waitForRecord(c.deviceName, true), qPrintable(c.deviceName));
    }
    QVERIFY(startup.calls.isEmpty());
    QCOMPARE(department(Lab)->devices.size(), 5);
}

void TestWindowCommands::init()
{
    for (int i = 0; i < int(std::size(roster)); ++i) {
        const QString name = QLatin1String(roster[i].name);
        // A device dropped by the previous test comes back, as devices do.
        if (!record(name)->socket) {
            sim(name)->reconnect();
            QVERIFY2(waitForRecord(name, true), qPrintable(name));
        }
        // A greyed row takes no clicks: lab-away keeps the tick it had
        // when it reported itself offline.
        if (!record(name)->online)
            continue;
        tick(name, roster[i].ticked);
        if (name == QLatin1String("lab-away")) {
            sim(name)->sendFrame(StatusMessages::deviceOffline());
            QVERIFY(QTest::qWaitFor([&] { return !record(name)->online; }, 15000));
        }
    }
    QVERIFY(record(QStringLiteral("lab-away"))->checked);
    for (SimDevice *device : std::as_const(m_sims))
        device->clearReceived();
    show(Lab);
}

void TestWindowCommands::cleanupTestCase()
{
    m_window.reset();
    qDeleteAll(m_sims);
    m_sims.clear();
}

void TestWindowCommands::selectionReceives_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("dialog");
    QTest::addColumn<int>("yes");        // questions, all answered Yes
    QTest::addColumn<QByteArray>("frame");
    const QByteArray enter = QByteArray::fromHex("0d000000");
    const QByteArray name = QByteArray::fromHex("0600000f000d") + "Front desk 7" + '\0';
    QTest::newRow("Mode") << "actionEnter_upgrade_mode" << "" << 2 << enter;
    QTest::newRow("Enter upgrade mode") << "actionEnter_upgrade_mode_1" << "" << 2 << enter;
    QTest::newRow("Exit upgrade mode") << "exitUpgradeMode" << "" << 1 << QByteArray::fromHex("32000000");
    QTest::newRow("Get device log files") << "actionGet_Client_Log_Files" << "" << 1 << QByteArray::fromHex("15000000");
    QTest::newRow("Show serial number") << "actionView_serial_number" << "" << 0 << QByteArray::fromHex("0f000000");
    QTest::newRow("Reset to factory defaults") << "actionReset_to_factory_defaults" << "" << 1
                                               << QByteArray::fromHex("1b000000");
    QTest::newRow("Name") << "changeName" << "text:Front desk 7" << 1 << name;
    QTest::newRow("Change device name") << "actionChange_device_name" << "text:Front desk 7" << 1 << name;
    QTest::newRow("Set Orlconfig password") << "actionSet_Orlconfig_password" << "text:secret1" << 1
                                            << QByteArray::fromHex("230000230021") + md5Hex("secret1") + '\0';
    QTest::newRow("Set firewall state") << "actionSet_firewall_status" << "status:0" << 1
                                        << QByteArray::fromHex("2400000100");
    QTest::newRow("Firewall") << "config_firewall" << "status:1" << 1 << QByteArray::fromHex("2400000101");
    QTest::newRow("Set device log state") << "actionSet_log_level" << "status:1" << 1
                                          << QByteArray::fromHex("1f00000101");
    QTest::newRow("Set power save mode") << "actionSet_power_save_mode" << "status:0" << 1
                                         << QByteArray::fromHex("2900000100");
}

void TestWindowCommands::selectionReceives()
{
    QFETCH(QString, action);
    QFETCH(QString, dialog);
    QFETCH(int, yes);
    QFETCH(QByteArray, frame);
    ScriptedPrompter prompts;
    scriptDialog(&prompts, dialog);
    for (int i = 0; i < yes; ++i)
        prompts.answer(QMessageBox::Yes);

    activate(action);
    QVERIFY2(prompts.unexpected.isEmpty(), qPrintable(prompts.unexpected.join(QLatin1Char('\n'))));
    QCOMPARE(prompts.texts(QStringLiteral("question")).size(), yes);
    QVERIFY(prompts.texts(QStringLiteral("warning")).isEmpty());
    const QMap<QString, QByteArray> got = delivered();
    for (const QString &name : std::as_const(m_names))
        QCOMPARE(got.value(name), selectedInLab.contains(name) ? frame : QByteArray());
}

void TestWindowCommands::rebootSkipsOnlyTheRefusedServer()
{
    ScriptedPrompter prompts;
    prompts.answer(QMessageBox::Yes);   // reboot the selected devices
    prompts.answer(QMessageBox::No);    // lab-print, a print server
    prompts.answer(QMessageBox::Yes);   // lab-both as print server
    prompts.answer(QMessageBox::Yes);   // lab-both as swap server
    activate(QStringLiteral("rebootDevice"));
    QVERIFY(prompts.unexpected.isEmpty());
    // Model and name as the devices registered them; the offline lab-away is
    // not asked about, and neither are devices of other departments.
    QCOMPARE(prompts.texts(QStringLiteral("question")),
             (QStringList{"Are you sure you want to reboot selected devices?",
                          "The Pyrel PC device named: \n\nlab-print\n\nis also acting as a print server. Rebooting "
                          "this device may abort any print jobs that are underway. \n\nAre you sure you want to "
                          "reboot this device?",
                          "The ORL GZ device named: \n\nlab-both\n\nis also acting as a print server. Rebooting this "
                          "device may abort any print jobs that are underway. \n\nAre you sure you want to reboot "
                          "this device?",
                          "The ORL GZ device named: \n\nlab-both\n\nis also acting as a swap server. Rebooting this "
                          "device may cause data loss. \n\nAre you sure you want to reboot this device?"}));
    const QMap<QString, QByteArray> got = delivered();
    const QByteArray reboot = QByteArray::fromHex("01000000");
    for (const QString &name : std::as_const(m_names))
        QCOMPARE(got.value(name), name == QLatin1String("lab-a") || name == QLatin1String("lab-both") ? reboot
                                                                                                     : QByteArray());
}

void TestWindowCommands::dropDuringPrompt_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("dialog");
    QTest::addColumn<QString>("dropping");
    QTest::addColumn<QString>("dropAt");     // part of the question's text, or the dialog's class
    QTest::addColumn<int>("yes");
    QTest::addColumn<QStringList>("receivers");
    QTest::addColumn<QByteArray>("frame");
    const QByteArray reboot = QByteArray::fromHex("01000000");
    QTest::newRow("reboot, first question") << "actionReboot_device" << "" << "lab-a" << "reboot selected" << 4
                                            << QStringList{"lab-print", "lab-both"} << reboot;
    // Its swap-server question is not asked any more.
    QTest::newRow("reboot, the server's own question") << "rebootDevice" << "" << "lab-both" << "named: \n\nlab-both"
                                                       << 3 << QStringList{"lab-a", "lab-print"} << reboot;
    QTest::newRow("name dialog") << "changeName" << "text:Hall" << "lab-print" << "DlgGetText" << 1
                                 << QStringList{"lab-a", "lab-both"} << QByteArray::fromHex("060000070005") + "Hall" + '\0';
    QTest::newRow("firewall question") << "actionSet_firewall_status" << "status:1" << "lab-a" << "firewall status to"
                                       << 1 << QStringList{"lab-print", "lab-both"} << QByteArray::fromHex("2400000101");
    QTest::newRow("power save dialog") << "actionSet_power_save_mode" << "status:1" << "lab-both" << "DlgSetStatus" << 1
                                       << QStringList{"lab-a", "lab-print"} << QByteArray::fromHex("2900000101");
}

void TestWindowCommands::dropDuringPrompt()
{
    QFETCH(QString, action);
    QFETCH(QString, dialog);
    QFETCH(QString, dropping);
    QFETCH(QString, dropAt);
    QFETCH(int, yes);
    QFETCH(QStringList, receivers);
    QFETCH(QByteArray, frame);
    HookedPrompter prompts;
    bool dropped = false;
    prompts.hook = [&](const QString &shown) {
        if (dropped || !shown.contains(dropAt))
            return;
        dropped = true;
        // A modal box runs the event loop: the disconnect is handled while it is open.
        sim(dropping)->disconnectFromConsole();
        QVERIFY(waitForRecord(dropping, false));
    };
    scriptDialog(&prompts, dialog);
    for (int i = 0; i < yes; ++i)
        prompts.answer(QMessageBox::Yes);

    activate(action);
    QVERIFY(dropped);
    QVERIFY2(prompts.unexpected.isEmpty(), qPrintable(prompts.unexpected.join(QLatin1Char('\n'))));
    QCOMPARE(prompts.texts(QStringLiteral("question")).size(), yes);
    QVERIFY(prompts.texts(QStringLiteral("warning")).isEmpty());
    const QMap<QString, QByteArray> got = delivered();
    for (const QString &name : std::as_const(m_names))
        QCOMPARE(got.value(name), receivers.contains(name) ? frame : QByteArray());
}

void TestWindowCommands::overlongNameRefused()
{
    // The line edit stops at 32,767 characters by default; with a longer
    // limit the name no longer fits the 16-bit length, and nothing goes out.
    ScriptedPrompter prompts;
    prompts.answerDialog([](QDialog *d) {
        auto *edit = d->findChild<QLineEdit *>(QStringLiteral("tbxText"));
        edit->setMaxLength(0x10000);
        edit->setText(QString(0xFFFF - 2, QLatin1Char('n')));
        qobject_cast<DlgGetText *>(d)->onOK();
        return d->result();
    });
    prompts.answer(QMessageBox::Yes);
    activate(QStringLiteral("changeName"));
    QVERIFY(prompts.unexpected.isEmpty());
    QCOMPARE(prompts.last().kind, QStringLiteral("warning"));
    QCOMPARE(prompts.last().title, QStringLiteral("Change device name"));
    QCOMPARE(prompts.last().text, QStringLiteral("\nThe device name is too long to send."));
    const QMap<QString, QByteArray> got = delivered();
    for (const QString &name : std::as_const(m_names))
        QCOMPARE(got.value(name), QByteArray());
}

void TestWindowCommands::keyboardReachesSelectionAndIsReported_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<int>("layout");
    QTest::addColumn<int>("variant");
    QTest::addColumn<QStringList>("reported");   // model, layout, variant, option
    QTest::newRow("Set keyboard type") << "actionSet_keyboard_type" << 66 << 1
                                       << QStringList{"pc105", "no", "nodeadkeys", "caps:none"};
    QTest::newRow("Keyboard, a layout without variants")
        << "config_keyboard" << 1 << -1 << QStringList{"pc105", "al", "", "caps:none"};
}

void TestWindowCommands::keyboardReachesSelectionAndIsReported()
{
    QFETCH(QString, action);
    QFETCH(int, layout);
    QFETCH(int, variant);
    QFETCH(QStringList, reported);
    QMap<QString, KeyboardResponder *> agents;
    for (const QString &name : std::as_const(m_names)) {
        agents.insert(name, new KeyboardResponder(sim(name)));
        record(name)->keyboardLayout = QStringLiteral("untouched");
    }
    const int capsNone = int(KeyboardTables::options().codes().indexOf(QStringLiteral("caps:none")));
    ScriptedPrompter prompts;
    QStringList edits{QStringLiteral("cmbxLayout=%1").arg(layout), QStringLiteral("cmbxOption=%1").arg(capsNone)};
    if (variant >= 0)
        edits.insert(1, QStringLiteral("cmbxVariant=%1").arg(variant));
    acceptWith(&prompts, edits);
    prompts.answer(QMessageBox::Yes);
    activate(action);
    QVERIFY2(prompts.unexpected.isEmpty(), qPrintable(prompts.unexpected.join(QLatin1Char('\n'))));

    const QByteArray frame =
        KeyboardPacket::setKeyboard(KeyboardPacket::choiceFromRows(3, layout, variant, capsNone));
    const QMap<QString, QByteArray> got = delivered();
    for (const QString &name : std::as_const(m_names)) {
        QCOMPARE(got.value(name), selectedInLab.contains(name) ? frame : QByteArray());
        if (!selectedInLab.contains(name))
            continue;
        // The device's report of its new keyboard reaches its record.
        const ThinclientInfo *device = record(name);
        QVERIFY(QTest::qWaitFor([&] { return device->keyboardLayout != QLatin1String("untouched"); }, 15000));
        QCOMPARE((QStringList{device->keyboardModel, device->keyboardLayout, device->keyboardVariant,
                              device->keyboardOption}),
                 reported);
    }
    for (KeyboardResponder *agent : std::as_const(agents)) {
        QCOMPARE(agent->answered(), int(agent->current().modelCode == QLatin1String("pc105")));
        delete agent;
    }
}

void TestWindowCommands::emptyDepartment_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("text");
    const struct { const char *action, *title, *text; } rows[] = {
        {"rebootDevice", "Reboot device", "\nCannot reboot devices. No devices found!"},
        {"actionReboot_device", "Reboot device", "\nCannot reboot devices. No devices found!"},
        {"actionEnter_upgrade_mode", "Enter upgrade mode", "No devices found! You must first select one or more devices"},
        {"actionEnter_upgrade_mode_1", "Enter upgrade mode", "No devices found! You must first select one or more devices"},
        {"actionGet_Client_Log_Files", "Get client logs", "Cannot get client log files. No devices found!"},
        {"actionView_serial_number", "Kelm Serial Number", "Please select one more more devices"},
        {"actionReset_to_factory_defaults", "Reset to factory defaults",
         "No devices found! You must select at least one device"},
        {"exitUpgradeMode", "Exit upgrade mode", "\nCannot send command. No devices found!"},
        {"changeName", "Change device name", "\nCannot change device name. No devices found!"},
        {"actionChange_device_name", "Change device name", "\nCannot change device name. No devices found!"},
        {"actionSet_Orlconfig_password", "Set hvconfig password", "Cannot set hvconfig password. No devices found!"},
        {"actionSet_firewall_status", "Set firewall status", "Cannot set firewall status. No devices found!"},
        {"config_firewall", "Set firewall status", "Cannot set firewall status. No devices found!"},
        {"actionSet_log_level", "Set Korvane client log level", "\nCannot set Korvane client log level. No devices found!"},
        {"actionSet_power_save_mode", "Set power save mode", "\nCannot set power save mode. No devices found!"},
        {"actionCreate_Netop_data_file", "Export thinclient list", "Cannot export list. No devices found!"},
        {"actionSet_keyboard_type", "Set keyboard type", "No devices found! You must select at least one device"},
        {"config_keyboard", "Set keyboard type", "No devices found! You must select at least one device"},
        {"btnSetTimezone", "Set Timezone", "\nCannot set timezone. No devices found!"},
        {"actionSet_time_zone", "Set Timezone", "\nCannot set timezone. No devices found!"},
    };
    for (const auto &r : rows)
        QTest::newRow(r.action) << r.action << r.title << r.text;
}

void TestWindowCommands::emptyDepartment()
{
    QFETCH(QString, action);
    QFETCH(QString, title);
    QFETCH(QString, text);
    // A department without devices, and no department shown at all.
    show(Empty);
    for (DeptInfo *shown : {department(Empty), static_cast<DeptInfo *>(nullptr)}) {
        m_window->currentDepartment = shown;
        ScriptedPrompter prompts;
        activate(action);
        QCOMPARE(prompts.calls.size(), 1);
        QCOMPARE(prompts.last().kind, QStringLiteral("information"));
        QCOMPARE(prompts.last().title, title);
        QCOMPARE(prompts.last().text, text);
        QCOMPARE(prompts.last().buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    }
    m_window->currentDepartment = department(Empty);
    const QMap<QString, QByteArray> got = delivered();
    for (const QString &name : std::as_const(m_names))
        QCOMPARE(got.value(name), QByteArray());
}

void TestWindowCommands::deliveryMembers()
{
    const QByteArray frame = QByteArray::fromHex("15000000");
    ScriptedPrompter prompts;
    QCOMPARE(m_window->countSelectedDevices(), 3);
    QCOMPARE(m_window->sendToSelectedDevices(frame.constData(), int(frame.size())), 0);

    // Office: its one device is not ticked any more.
    tick(QStringLiteral("office-a"), false);
    QCOMPARE(m_window->countSelectedDevices(), 0);
    QCOMPARE(m_window->sendToSelectedDevices(frame.constData(), int(frame.size())), -1);
    QCOMPARE(prompts.texts(QStringLiteral("warning")),
             QStringList{"\nCommand was not sent to any device(s) because none are selected!"});

    // Nothing to send, or no department shown: refused without a word.
    QCOMPARE(m_window->sendToSelectedDevices(nullptr, 4), -1);
    QCOMPARE(m_window->sendToSelectedDevices(frame.constData(), 0), -1);
    m_window->currentDepartment = nullptr;
    QCOMPARE(m_window->countSelectedDevices(), 0);
    QCOMPARE(m_window->sendToSelectedDevices(frame.constData(), int(frame.size())), -1);
    m_window->currentDepartment = department(Office);
    QCOMPARE(prompts.calls.size(), 1);

    const QMap<QString, QByteArray> got = delivered();
    for (const QString &name : std::as_const(m_names))
        QCOMPARE(got.value(name), selectedInLab.contains(name) ? frame : QByteArray());
}

void TestWindowCommands::timezoneSetAndReported_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<QStringList>("edits");   // none: as the dialog opens
    QTest::addColumn<QString>("zone");
    QTest::addColumn<QByteArray>("frame");
    QTest::newRow("Zone, as the dialog opens")
        << "btnSetTimezone" << QStringList() << "America/Los_Angeles"
        << QByteArray::fromHex("04000025" "0014416d65726963612f4c6f735f416e67656c657300"
                               "000d706f6f6c2e6e74702e6f726700");
    QTest::newRow("Set time zone, Azores")
        << "actionSet_time_zone"
        << QStringList{"cmbxContinent=5", "cmbxCountry=5", "cmbxZone=1", "lnedTimeServer=10.77.0.1"}
        << "Atlantic/Azores"
        << QByteArray::fromHex("0400001e" "001041746c616e7469632f417a6f72657300" "000a31302e37372e302e3100");
}

void TestWindowCommands::timezoneSetAndReported()
{
    QFETCH(QString, action);
    QFETCH(QStringList, edits);
    QFETCH(QString, zone);
    QFETCH(QByteArray, frame);
    const QString before = QStringLiteral("Europe/Oslo");
    for (ThinclientInfo *device : std::as_const(m_window->devices))
        device->timezone = before;

    ScriptedPrompter prompts;
    acceptWith(&prompts, edits);
    prompts.answer(QMessageBox::Yes);
    activate(action);
    QVERIFY2(prompts.unexpected.isEmpty(), qPrintable(prompts.unexpected.join(QLatin1Char('\n'))));
    QCOMPARE(prompts.texts(QStringLiteral("question")),
             QStringList{"Are you sure you want to set timezone to\n\n " + zone + "\n\non selected devices?"});

    const QMap<QString, QByteArray> got = delivered();
    for (const QString &name : std::as_const(m_names)) {
        const bool selected = selectedInLab.contains(name);
        QCOMPARE(got.value(name), selected ? frame : QByteArray());
        // The devices take the setting and report it back.
        QCOMPARE(m_timezones.value(name)->setting().zoneId, selected ? zone : QString());
        if (selected)
            QTRY_COMPARE(record(name)->timezone, zone);
        else
            QCOMPARE(record(name)->timezone, before);
    }
}

void TestWindowCommands::filePush_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<bool>("fromFile");    // uploadFileToDevice, else sendFileToDevice
    QTest::addColumn<QString>("refusal");  // the warning's title; empty: sent
    QTest::newRow("1 byte") << 1 << true << QString();
    QTest::newRow("3 MiB") << 3 * 1024 * 1024 << true << QString();
    QTest::newRow("1 byte from memory") << 1 << false << QString();
    QTest::newRow("3 MiB + 1") << 3 * 1024 * 1024 + 1 << true << QStringLiteral("File size error");
}

void TestWindowCommands::filePush()
{
    QFETCH(int, size);
    QFETCH(bool, fromFile);
    QFETCH(QString, refusal);
    QByteArray data(size, Qt::Uninitialized);
    for (int i = 0; i < size; ++i)
        data[i] = char((i * 131 + i / 65536) & 0xFF);
    const QString local = m_dir.filePath(QStringLiteral("push.bin"));
    QFile file(local);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(data), qint64(size));
    file.close();

    // One given device, ticked or not: lab-idle is not ticked.
    const QString remote = QStringLiteral("cert-bundle.pem");
    ThinclientInfo *target = record(QStringLiteral("lab-idle"));
    ScriptedPrompter prompts;
    const int result = fromFile ? m_window->uploadFileToDevice(remote, local, target)
                                : m_window->sendFileToDevice(remote, data, target);
    const QMap<QString, QByteArray> got = delivered();
    for (const QString &name : std::as_const(m_names))
        if (name != QLatin1String("lab-idle"))
            QCOMPARE(got.value(name), QByteArray());

    if (!refusal.isEmpty()) {
        QCOMPARE(result, -1);
        QCOMPARE(prompts.texts(QStringLiteral("warning")),
                 QStringList{"\nKorvane does not support files larger than 3MB"});
        QCOMPARE(prompts.last().title, refusal);
        QCOMPARE(got.value(QStringLiteral("lab-idle")), QByteArray());
        return;
    }
    QCOMPARE(result, 0);
    QVERIFY(prompts.calls.isEmpty());
    const QList<ReceivedFrame> &frames = sim(QStringLiteral("lab-idle"))->receivedFrames();
    QCOMPARE(frames.size(), qsizetype(2));   // the push and the marker
    FilePush push;
    QVERIFY(FilePush::parse(frames.first(), &push));
    QCOMPARE(push.name, remote);
    QCOMPARE(push.md5, md5Hex(data));
    QCOMPARE(push.size, quint32(size));
    QVERIFY(push.data == data);
    QVERIFY(push.intact());
    QCOMPARE(frames.first().bytes.size(), 48 + remote.size() + size);
}

void TestWindowCommands::exportFile_data()
{
    QTest::addColumn<int>("shown");
    QTest::addColumn<QString>("chosen");     // relative to the test's directory
    QTest::addColumn<QString>("written");
    // Devices of every department, whichever is shown, online or not.
    QTest::newRow("Lab shown") << int(Lab) << "list" << "list.txt";
    QTest::newRow("Orphans shown, capital ending") << int(Orphans) << "LIST.TXT" << "LIST.TXT";
}

void TestWindowCommands::exportFile()
{
    QFETCH(int, shown);
    QFETCH(QString, chosen);
    QFETCH(QString, written);
    show(shown);
    QByteArray expected("#\n# ThinClient device list generated by KORVANE\n#\n# Dataformat Version 1.1\n#\n\n");
    QStringList order;
    for (const DeptInfo *dept : std::as_const(*m_window->departments))
        order << dept->name;
    QCOMPARE(order, (QStringList{"Orphans", "Lab", "Office", "Empty"}));
    for (DeptId id : {Orphans, Lab, Office})
        for (const Member &m : roster)
            if (m.dept == id)
                expected += QByteArray(m.serial) + ",,," + m.name + "\n";

    ScriptedPrompter prompts;
    prompts.answerText(m_dir.filePath(chosen));
    activate(QStringLiteral("actionCreate_Netop_data_file"));
    QCOMPARE(prompts.calls.size(), 2);
    QCOMPARE(prompts.calls[0].kind, QStringLiteral("saveFileName"));
    QCOMPARE(prompts.calls[0].title, QStringLiteral("Save file as"));
    QCOMPARE(prompts.last().title, QStringLiteral("Export completed"));
    QCOMPARE(prompts.last().text, QStringLiteral("\nData for 7 thinclients has been exported"));
    QFile file(m_dir.filePath(written));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), expected);
    QVERIFY(file.remove());

    // A disk that fills up: the export says so instead of "Export completed".
    if (QFile::exists(QStringLiteral("/dev/full"))) {
        const QString full = m_dir.filePath(QStringLiteral("full.txt"));
        QVERIFY(QFile::link(QStringLiteral("/dev/full"), full));
        prompts.clear();
        prompts.answerText(full);
        activate(QStringLiteral("actionCreate_Netop_data_file"));
        QCOMPARE(prompts.last().kind, QStringLiteral("warning"));
        QCOMPARE(prompts.last().title, QStringLiteral("File write error"));
        QCOMPARE(prompts.last().text, QStringLiteral("Error writing file\n\n") + full);
        QVERIFY(QFile::remove(full));
    }
}

QTEST_MAIN(TestWindowCommands)
#include "tst_windowcommands.moc"
