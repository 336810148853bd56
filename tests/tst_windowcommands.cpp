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
#include "testfiles.h"
#include "timezoneresponder.h"
#include "windowfixture.h"

#include "devicelink/sslserver.h"
#include "devicelink/thinclientinfo.h"

#include <QAction>
#include <QCryptographicHash>
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
    void settingReportedBack_data();
    void settingReportedBack();
    void emptyDepartment_data();
    void emptyDepartment();
    void deliveryMembers();
    void filePush_data();
    void filePush();
    void exportFile();

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
    QVERIFY(TestFiles::write(store->value(QStringLiteral("tempDir")).toString() + QStringLiteral("/KorvaneManager.ini"),
                             file));

    ScriptedPrompter startup;
    const quint16 port = quint16(store->value(QStringLiteral("SSLPort")).toInt());
    m_window.reset(new MainWindow(nullptr, environment(store)));
    QVERIFY(m_window->sslServer);
    // One at a time, so that each department lists its devices in roster order.
    for (const SimDeviceConfig &c : std::as_const(configs)) {
        auto *device = new SimDevice(c, this);
        m_sims.insert(c.deviceName, device);
        new TimezoneResponder(device);
        new KeyboardResponder(device);
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
    QTest::addColumn<QString>("dropping");   // drops while this question is open
    QTest::addColumn<int>("dropAt");
    const QByteArray enter = QByteArray::fromHex("0d000000");
    const QByteArray name = QByteArray::fromHex("0600000f000d") + "Front desk 7" + '\0';
    const QByteArray reboot = QByteArray::fromHex("01000000");
    const QString none;
    QTest::newRow("Mode") << "actionEnter_upgrade_mode" << "" << 2 << enter << none << 0;
    QTest::newRow("Enter upgrade mode") << "actionEnter_upgrade_mode_1" << "" << 2 << enter << none << 0;
    QTest::newRow("Exit upgrade mode") << "exitUpgradeMode" << "" << 1 << QByteArray::fromHex("32000000") << none << 0;
    QTest::newRow("Get device log files") << "actionGet_Client_Log_Files" << "" << 1 << QByteArray::fromHex("15000000")
                                          << none << 0;
    QTest::newRow("Show serial number") << "actionView_serial_number" << "" << 0 << QByteArray::fromHex("0f000000")
                                        << none << 0;
    QTest::newRow("Reset to factory defaults") << "actionReset_to_factory_defaults" << "" << 1
                                               << QByteArray::fromHex("1b000000") << none << 0;
    QTest::newRow("Name, a device drops") << "changeName" << "text:Front desk 7" << 1 << name << "lab-print" << 1;
    QTest::newRow("Change device name") << "actionChange_device_name" << "text:Front desk 7" << 1 << name << none << 0;
    const QByteArray digest = QCryptographicHash::hash("secret1", QCryptographicHash::Md5).toHex();
    QTest::newRow("Set Orlconfig password") << "actionSet_Orlconfig_password" << "text:secret1" << 1
                                            << QByteArray::fromHex("230000230021") + digest + '\0' << none << 0;
    QTest::newRow("Set firewall state") << "actionSet_firewall_status" << "status:0" << 1
                                        << QByteArray::fromHex("2400000100") << none << 0;
    QTest::newRow("Firewall") << "config_firewall" << "status:1" << 1 << QByteArray::fromHex("2400000101") << none << 0;
    QTest::newRow("Set device log state") << "actionSet_log_level" << "status:1" << 1
                                          << QByteArray::fromHex("1f00000101") << none << 0;
    QTest::newRow("Set power save mode, a device drops") << "actionSet_power_save_mode" << "status:0" << 1
                                                         << QByteArray::fromHex("2900000100") << "lab-both" << 1;
    // lab-print and lab-both are print servers, lab-both a swap server too.
    QTest::newRow("Reboot, a device drops") << "actionReboot_device" << "" << 4 << reboot << "lab-a" << 1;
    // Its swap-server question is not asked any more.
    QTest::newRow("Reboot, the server drops at its question") << "rebootDevice" << "" << 3 << reboot << "lab-both"
                                                              << 3;
}

void TestWindowCommands::selectionReceives()
{
    QFETCH(QString, action);
    QFETCH(QString, dialog);
    QFETCH(int, yes);
    QFETCH(QByteArray, frame);
    QFETCH(QString, dropping);
    QFETCH(int, dropAt);
    ScriptedPrompter prompts;
    scriptDialog(&prompts, dialog);
    for (int i = 0; i < yes; ++i)
        prompts.answer(QMessageBox::Yes);
    for (int i = 1; i < dropAt; ++i)
        prompts.duringNextBox([] {});
    if (!dropping.isEmpty()) {
        // A modal box runs the event loop: the disconnect is handled while it is open.
        prompts.duringNextBox([&] {
            sim(dropping)->disconnectFromConsole();
            QVERIFY(waitForRecord(dropping, false));
        });
    }

    activate(action);
    QVERIFY2(prompts.unexpected.isEmpty(), qPrintable(prompts.unexpected.join(QLatin1Char('\n'))));
    QCOMPARE(prompts.texts(QStringLiteral("question")).size(), yes);
    QVERIFY(prompts.texts(QStringLiteral("warning")).isEmpty());
    const QMap<QString, QByteArray> got = delivered();
    for (const QString &name : std::as_const(m_names))
        QCOMPARE(got.value(name), selectedInLab.contains(name) && name != dropping ? frame : QByteArray());
}

void TestWindowCommands::settingReportedBack_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<QStringList>("edits");      // none: as the dialog opens
    QTest::addColumn<QString>("question");
    QTest::addColumn<QByteArray>("frame");
    QTest::addColumn<QStringList>("reported");   // keyboard model, layout, variant, option; or the zone
    QTest::addColumn<int>("answer");             // to the question; No sends nothing
    const int capsNone = int(KeyboardTables::options().codes().indexOf(QStringLiteral("caps:none")));
    const QString caps = QStringLiteral("cmbxOption=%1").arg(capsNone);
    const QString keyboard = QStringLiteral("\nAre you sure you want to set keyboard type on selected devices?");
    using KeyboardPacket::choiceFromRows;
    QTest::newRow("Set keyboard type")
        << "actionSet_keyboard_type" << QStringList{"cmbxLayout=66", "cmbxVariant=1", caps} << keyboard
        << KeyboardPacket::setKeyboard(choiceFromRows(3, 66, 1, capsNone))
        << QStringList{"pc105", "no", "nodeadkeys", "caps:none"} << int(QMessageBox::Yes);
    QTest::newRow("Keyboard, answered No") << "actionSet_keyboard_type" << QStringList{caps} << keyboard << QByteArray()
                                           << QStringList{"untouched"} << int(QMessageBox::No);
    QTest::newRow("Keyboard, a layout without variants")
        << "config_keyboard" << QStringList{"cmbxLayout=1", caps} << keyboard
        << KeyboardPacket::setKeyboard(choiceFromRows(3, 1, -1, capsNone)) << QStringList{"pc105", "al", "", "caps:none"}
        << int(QMessageBox::Yes);
    const QString zone = QStringLiteral("Are you sure you want to set timezone to\n\n %1\n\non selected devices?");
    QTest::newRow("Zone, as the dialog opens")
        << "btnSetTimezone" << QStringList() << zone.arg("America/Los_Angeles")
        << QByteArray::fromHex("04000025" "0014416d65726963612f4c6f735f416e67656c657300" "000d706f6f6c2e6e74702e6f726700")
        << QStringList{"America/Los_Angeles"} << int(QMessageBox::Yes);
    QTest::newRow("Zone, answered No") << "btnSetTimezone" << QStringList() << zone.arg("America/Los_Angeles")
                                       << QByteArray() << QStringList{"untouched"} << int(QMessageBox::No);
    QTest::newRow("Set time zone, Azores")
        << "actionSet_time_zone"
        << QStringList{"cmbxContinent=5", "cmbxCountry=5", "cmbxZone=1", "lnedTimeServer=10.77.0.1"}
        << zone.arg("Atlantic/Azores")
        << QByteArray::fromHex("0400001e" "001041746c616e7469632f417a6f72657300" "000a31302e37372e302e3100")
        << QStringList{"Atlantic/Azores"} << int(QMessageBox::Yes);
}

void TestWindowCommands::settingReportedBack()
{
    QFETCH(QString, action);
    QFETCH(QStringList, edits);
    QFETCH(QString, question);
    QFETCH(QByteArray, frame);
    QFETCH(QStringList, reported);
    QFETCH(int, answer);
    const QString before = QStringLiteral("untouched");
    for (ThinclientInfo *device : std::as_const(m_window->devices))
        device->keyboardLayout = device->timezone = before;

    ScriptedPrompter prompts;
    acceptWith(&prompts, edits);
    prompts.answer(QMessageBox::StandardButton(answer));
    activate(action);
    QVERIFY2(prompts.unexpected.isEmpty(), qPrintable(prompts.unexpected.join(QLatin1Char('\n'))));
    QCOMPARE(prompts.texts(QStringLiteral("question")), QStringList{question});

    const QMap<QString, QByteArray> got = delivered();
    for (const QString &name : std::as_const(m_names)) {
        const bool selected = selectedInLab.contains(name);
        QCOMPARE(got.value(name), selected ? frame : QByteArray());
        // The devices take the setting and report it back to their records.
        const ThinclientInfo *device = record(name);
        const auto now = [&] {
            return reported.size() == 1 ? QStringList{device->timezone}
                                        : QStringList{device->keyboardModel, device->keyboardLayout,
                                                      device->keyboardVariant, device->keyboardOption};
        };
        if (selected)
            QTRY_COMPARE(now(), reported);
        else
            QCOMPARE(reported.size() == 1 ? device->timezone : device->keyboardLayout, before);
    }
}

void TestWindowCommands::emptyDepartment_data()
{
    // The everyday commands refuse an empty department in their own tests;
    // these are the commands whose refusal only shows through the window.
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("text");
    const struct { const char *action, *title, *text; } rows[] = {
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
        QCOMPARE(prompts.trail(), QStringList{"information " + title + ": " + text});
    }
    m_window->currentDepartment = department(Empty);
    const QMap<QString, QByteArray> got = delivered();
    for (const QString &name : std::as_const(m_names))
        QCOMPARE(got.value(name), QByteArray());
}

void TestWindowCommands::deliveryMembers()
{
    // The window's own helpers count and send within the shown department
    // only (the keyboard command sends through them); nothing is refused aloud.
    ScriptedPrompter prompts;
    QCOMPARE(m_window->countSelectedDevices(), 3);
    QCOMPARE(m_window->sendToSelectedDevices(nullptr, 4), -1);
    m_window->currentDepartment = nullptr;
    QCOMPARE(m_window->countSelectedDevices(), 0);
    QCOMPARE(m_window->sendToSelectedDevices("\x15\0\0\0", 4), -1);
    m_window->currentDepartment = department(Lab);
    QVERIFY(prompts.calls.isEmpty());
    const QMap<QString, QByteArray> got = delivered();
    for (const QString &name : std::as_const(m_names))
        QCOMPARE(got.value(name), QByteArray());
}

void TestWindowCommands::filePush_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<bool>("fromFile");    // uploadFileToDevice, else sendFileToDevice
    QTest::newRow("3 MiB from a file") << 3 * 1024 * 1024 << true;
    QTest::newRow("1 byte from memory") << 1 << false;
}

void TestWindowCommands::filePush()
{
    QFETCH(int, size);
    QFETCH(bool, fromFile);
    QByteArray data(size, Qt::Uninitialized);
    for (int i = 0; i < size; ++i)
        data[i] = char((i * 131 + i / 65536) & 0xFF);
    const QString local = m_dir.filePath(QStringLiteral("push.bin"));
    QVERIFY(TestFiles::write(local, data));

    // One given device, ticked or not: lab-idle is not ticked.
    const QString remote = QStringLiteral("cert-bundle.pem");
    ThinclientInfo *target = record(QStringLiteral("lab-idle"));
    ScriptedPrompter prompts;
    QCOMPARE(fromFile ? m_window->uploadFileToDevice(remote, local, target)
                      : m_window->sendFileToDevice(remote, data, target),
             0);
    QVERIFY(prompts.calls.isEmpty());
    const QMap<QString, QByteArray> got = delivered();
    for (const QString &name : std::as_const(m_names))
        if (name != QLatin1String("lab-idle"))
            QCOMPARE(got.value(name), QByteArray());
    const QList<ReceivedFrame> &frames = sim(QStringLiteral("lab-idle"))->receivedFrames();
    QCOMPARE(frames.size(), qsizetype(2));   // the push and the marker
    FilePush push;
    QVERIFY(FilePush::parse(frames.first(), &push));
    QCOMPARE(push.name, remote);
    QVERIFY(push.data == data);
    QVERIFY(push.intact());
}

void TestWindowCommands::exportFile()
{
    // Devices of every department, whichever is shown, online or not.
    QByteArray expected("#\n# ThinClient device list generated by KORVANE\n#\n# Dataformat Version 1.1\n#\n\n");
    for (DeptId id : {Orphans, Lab, Office})
        for (const Member &m : roster)
            if (m.dept == id)
                expected += QByteArray(m.serial) + ",,," + m.name + "\n";
    ScriptedPrompter prompts;
    prompts.answerText(m_dir.filePath(QStringLiteral("list")));
    activate(QStringLiteral("actionCreate_Netop_data_file"));
    QCOMPARE(prompts.last().text, QStringLiteral("\nData for 7 thinclients has been exported"));
    QCOMPARE(TestFiles::read(m_dir.filePath(QStringLiteral("list.txt"))), expected);
}

QTEST_MAIN(TestWindowCommands)
#include "tst_windowcommands.moc"
