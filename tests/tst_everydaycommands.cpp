// The everyday commands from the administrator's side: what is asked, in
// which words, and what reaches which device.
#include "commands/dlggettext.h"
#include "commands/dlgsetstatus.h"
#include "commands/everydaycommands.h"
#include "devicelink/sslserver.h"
#include "devicelink/thinclientinfo.h"
#include "fakedevices.h"
#include "scriptedprompter.h"

#include <QLineEdit>
#include <QRadioButton>
#include <QtTest>
#include <memory>

using namespace EverydayCommands;

namespace {
enum Command { EnterUpgrade, ExitUpgrade, LogFiles, Serial, Reset, Reboot, Name, Password, Firewall, Log, PowerSave };

bool run(int command, const DeviceList *dept)
{
    switch (Command(command)) {
    case EnterUpgrade: return runBareCommand(nullptr, BareCommand::EnterUpgradeMode, dept);
    case ExitUpgrade: return runBareCommand(nullptr, BareCommand::ExitUpgradeMode, dept);
    case LogFiles: return runBareCommand(nullptr, BareCommand::GetLogFiles, dept);
    case Serial: return runBareCommand(nullptr, BareCommand::GetSerialNumber, dept);
    case Reset: return runBareCommand(nullptr, BareCommand::FactoryReset, dept);
    case Reboot: return rebootDevices(nullptr, dept);
    case Name: return setDeviceName(nullptr, dept);
    case Password: return setConfigPassword(nullptr, dept);
    case Firewall: return setStatus(nullptr, StatusCommand::Firewall, dept);
    case Log: return setStatus(nullptr, StatusCommand::LogState, dept);
    case PowerSave: return setStatus(nullptr, StatusCommand::PowerSave, dept);
    }
    return false;
}

// Dialog answers: type a text and press OK, or pick a status and accept.
ScriptedPrompter::DialogHandler typeText(const QString &text)
{
    return [text](QDialog *d) {
        auto *dlg = qobject_cast<DlgGetText *>(d);
        dlg->findChild<QLineEdit *>(QStringLiteral("tbxText"))->setText(text);
        dlg->onOK();
        return d->result();
    };
}

ScriptedPrompter::DialogHandler chooseStatus(bool enabled)
{
    return [enabled](QDialog *d) {
        auto *dlg = qobject_cast<DlgSetStatus *>(d);
        const char *name = enabled ? "rdbtnEnabled" : "rdbtnDisabled";
        dlg->findChild<QRadioButton *>(QLatin1String(name))->setChecked(true);
        dlg->accept();
        return dlg->result();
    };
}
} // namespace

class TestEverydayCommands : public QObject
{
    Q_OBJECT
private slots:
    void cleanup() { m_fake.reset(); }
    void emptyDepartment_data();
    void emptyDepartment();
    void confirmedCommands_data();
    void confirmedCommands();
    void noneSelectedWarns();
    void rebootServers();
    void rebootDeviceDropsDuringQuestion();
    void refusedBeforeSending();

private:
    ThinclientInfo *device(bool checked = true, bool online = true);
    QByteArray writtenTo(const ThinclientInfo *d) const { return m_fake.writtenTo(d); }
    FakeDevices m_fake;
    QList<QPair<QSslSocket *, QByteArray>> &m_writes = m_fake.writes;
};

ThinclientInfo *TestEverydayCommands::device(bool checked, bool online)
{
    return m_fake.add(QStringLiteral("ORL K1"), checked, online);
}

void TestEverydayCommands::emptyDepartment_data()
{
    QTest::addColumn<int>("command");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("text");
    QTest::newRow("enter upgrade") << int(EnterUpgrade) << "Enter upgrade mode"
                                   << "No devices found! You must first select one or more devices";
    QTest::newRow("exit upgrade") << int(ExitUpgrade) << "Exit upgrade mode"
                                  << "\nCannot send command. No devices found!";
    QTest::newRow("log files") << int(LogFiles) << "Get client logs" << "Cannot get client log files. No devices found!";
    QTest::newRow("serial") << int(Serial) << "Kelm Serial Number" << "Please select one more more devices";
    QTest::newRow("reset") << int(Reset) << "Reset to factory defaults"
                           << "No devices found! You must select at least one device";
    QTest::newRow("reboot") << int(Reboot) << "Reboot device" << "\nCannot reboot devices. No devices found!";
    QTest::newRow("name") << int(Name) << "Change device name" << "\nCannot change device name. No devices found!";
    QTest::newRow("password") << int(Password) << "Set hvconfig password"
                              << "Cannot set hvconfig password. No devices found!";
    QTest::newRow("firewall") << int(Firewall) << "Set firewall status" << "Cannot set firewall status. No devices found!";
    QTest::newRow("log") << int(Log) << "Set Korvane client log level"
                         << "\nCannot set Korvane client log level. No devices found!";
    QTest::newRow("power save") << int(PowerSave) << "Set power save mode"
                                << "\nCannot set power save mode. No devices found!";
}

void TestEverydayCommands::emptyDepartment()
{
    QFETCH(int, command);
    QFETCH(QString, title);
    QFETCH(QString, text);
    const DeviceList empty;
    for (const DeviceList *dept : {&empty, static_cast<const DeviceList *>(nullptr)}) {
        ScriptedPrompter prompts;
        QVERIFY(!run(command, dept));
        QCOMPARE(prompts.calls.size(), 1);
        QCOMPARE(prompts.last().kind, QStringLiteral("information"));
        QCOMPARE(prompts.last().title, title);
        QCOMPARE(prompts.last().text, text);
        QCOMPARE(prompts.last().buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    }
    QVERIFY(m_writes.isEmpty());
}

void TestEverydayCommands::confirmedCommands_data()
{
    QTest::addColumn<int>("command");
    QTest::addColumn<QString>("dialogText");   // typed into DlgGetText
    QTest::addColumn<int>("status");           // -1: no status dialog, else 1 Enabled / 0 Disabled
    QTest::addColumn<QStringList>("questions");  // "title|text"
    QTest::addColumn<int>("yeses");            // questions answered Yes before a No (all: sent)
    QTest::addColumn<QByteArray>("frame");
    const QString upgrade = QStringLiteral("Entering upgrade mode|");
    const QStringList enter{
        upgrade + "Are you sure you want to place selected devices in upgrade mode?",
        upgrade + "If you enter Upgrade Mode, you cannot exit this mode until you update the firmware image using "
                  "the 'Update firmware image' Icon.\n\nAre you really sure you want to enter Upgrade Mode?"};
    QTest::newRow("enter upgrade") << int(EnterUpgrade) << QString() << -1 << enter << 2
                                   << QByteArray::fromHex("0d000000");
    QTest::newRow("enter upgrade, Yes then No") << int(EnterUpgrade) << QString() << -1 << enter << 1 << QByteArray();
    QTest::newRow("exit upgrade")
        << int(ExitUpgrade) << QString() << -1
        << QStringList{"Exit upgrade mode|\nAre you sure you want selected devices to exit upgrade mode?"} << 1
        << QByteArray::fromHex("32000000");
    QTest::newRow("log files")
        << int(LogFiles) << QString() << -1
        << QStringList{"Get client logs|Are you sure you want to get log files from selected devices?"} << 1
        << QByteArray::fromHex("15000000");
    QTest::newRow("log files, No")
        << int(LogFiles) << QString() << -1
        << QStringList{"Get client logs|Are you sure you want to get log files from selected devices?"} << 0
        << QByteArray();
    QTest::newRow("serial, no question") << int(Serial) << QString() << -1 << QStringList() << 0
                                         << QByteArray::fromHex("0f000000");
    QTest::newRow("reset") << int(Reset) << QString() << -1
                           << QStringList{"Reset to factory defaults|Are you sure you want to set all settings to "
                                          "factory defaults on selected devices?"}
                           << 1 << QByteArray::fromHex("1b000000");
    QTest::newRow("reboot") << int(Reboot) << QString() << -1
                            << QStringList{"Rebooting devices|Are you sure you want to reboot selected devices?"} << 1
                            << QByteArray::fromHex("01000000");
    QTest::newRow("name as typed")
        << int(Name) << "Front desk #1!" << -1
        << QStringList{"Setting device name|Are you sure you want to set the device name on selected devices to "
                       "Front desk #1! ?"}
        << 1 << QByteArray::fromHex("06000011000f") + "Front desk #1!" + QByteArray(1, 0);
    QTest::newRow("name cancelled") << int(Name) << QString() << -1 << QStringList() << 0 << QByteArray();
    QTest::newRow("password of six characters")
        << int(Password) << "123456" << -1
        << QStringList{"Set olrconfig password|Are you sure you want to set hvconfig password on selected devices?"}
        << 1 << QByteArray::fromHex("230000230021") + "e10adc3949ba59abbe56e057f20f883e" + QByteArray(1, 0);
    QTest::newRow("password cancelled") << int(Password) << QString() << -1 << QStringList() << 0 << QByteArray();
    QTest::newRow("firewall disabled")
        << int(Firewall) << QString() << 0
        << QStringList{"Set firewall status|Are you sure you want to set firewall status to Disabled on selected devices?"}
        << 1 << QByteArray::fromHex("2400000100");
    QTest::newRow("log enabled")
        << int(Log) << QString() << 1
        << QStringList{"Set Korvane client log level|Are you sure you want to set Korvane client log status to "
                       "Enabled on selected devices?"}
        << 1 << QByteArray::fromHex("1f00000101");
    QTest::newRow("power save enabled")
        << int(PowerSave) << QString() << 1
        << QStringList{"Set power save mode|Power save mode can be set only on X86 based devices. Other devices will "
                       "be ignored.\n\nAre you sure you want to set power save mode to Enabled on selected devices?"}
        << 1 << QByteArray::fromHex("2900000101");
    QTest::newRow("power save, No")
        << int(PowerSave) << QString() << 0
        << QStringList{"Set power save mode|Power save mode can be set only on X86 based devices. Other devices will "
                       "be ignored.\n\nAre you sure you want to set power save mode to Disabled on selected devices?"}
        << 0 << QByteArray();
}

void TestEverydayCommands::confirmedCommands()
{
    QFETCH(int, command);
    QFETCH(QString, dialogText);
    QFETCH(int, status);
    QFETCH(QStringList, questions);
    QFETCH(int, yeses);
    QFETCH(QByteArray, frame);
    const DeviceList dept{device(), device(false), device(true, false), device()};

    ScriptedPrompter prompts;
    if ((command == Name || command == Password) && dialogText.isEmpty())
        prompts.answerDialog([](QDialog *d) { d->reject(); return d->result(); });
    else if (command == Name || command == Password)
        prompts.answerDialog(typeText(dialogText));
    if (status >= 0)
        prompts.answerDialog(chooseStatus(status == 1));
    for (int i = 0; i < questions.size(); ++i)
        prompts.answer(i < yeses ? QMessageBox::Yes : QMessageBox::No);

    QCOMPARE(run(command, &dept), !frame.isEmpty());
    QStringList asked;
    for (const ScriptedPrompter::Call &c : prompts.calls) {
        if (c.kind == QLatin1String("exec"))
            continue;
        QCOMPARE(c.kind, QStringLiteral("question"));
        QCOMPARE(c.defaultButton, QMessageBox::Yes);
        asked << c.title + QLatin1Char('|') + c.text;
    }
    QCOMPARE(asked, questions.mid(0, qMin(questions.size(), yeses + 1)));
    QVERIFY(prompts.unexpected.isEmpty());
    QCOMPARE(writtenTo(dept[0]), frame);
    QCOMPARE(writtenTo(dept[3]), frame);
    QCOMPARE(m_writes.size(), frame.isEmpty() ? 0 : 2);
}

void TestEverydayCommands::noneSelectedWarns()
{
    // After Yes, the warning of the send helper; power save and reboot stay silent.
    const DeviceList dept{device(false), device(true, false)};
    for (int command : {int(LogFiles), int(Firewall), int(PowerSave), int(Reboot)}) {
        ScriptedPrompter prompts;
        if (command == Firewall || command == PowerSave)
            prompts.answerDialog(chooseStatus(true));
        prompts.answer(QMessageBox::Yes);
        QVERIFY(!run(command, &dept));
        const QStringList warnings = prompts.texts(QStringLiteral("warning"));
        if (command == PowerSave || command == Reboot)
            QVERIFY(warnings.isEmpty());
        else
            QCOMPARE(warnings, QStringList{"\nCommand was not sent to any device(s) because none are selected!"});
    }
    QVERIFY(m_writes.isEmpty());
}

void TestEverydayCommands::rebootServers()
{
    ThinclientInfo *print = device();
    print->printServer = true;
    // Its own report: its line breaks must not add lines to the question.
    print->deviceName += QStringLiteral("\n\nis no server.\r\n\u0085Reboot it?");
    ThinclientInfo *both = device();
    both->printServer = both->swapServer = true;
    both->model = QStringLiteral("Pyrel PC");
    ThinclientInfo *offlinePrint = device(true, false);
    offlinePrint->printServer = true;
    const DeviceList dept{device(), print, both, offlinePrint, device()};

    ScriptedPrompter prompts;
    prompts.answer(QMessageBox::Yes);   // reboot selected devices?
    prompts.answer(QMessageBox::No);    // the print server: skipped
    prompts.answer(QMessageBox::Yes);   // both: print server question
    prompts.answer(QMessageBox::Yes);   // both: swap server question
    QVERIFY(rebootDevices(nullptr, &dept));

    QCOMPARE(prompts.texts(QStringLiteral("question")).mid(1),
             (QStringList{"The ORL K1 device named: \n\ndev1  is no server.   Reboot it?\n\nis also acting as a "
                          "print server. Rebooting this device may abort any print jobs that are underway. \n\n"
                          "Are you sure you want to reboot this device?",
                          "The Pyrel PC device named: \n\ndev2\n\nis also acting as a print server. Rebooting this "
                          "device may abort any print jobs that are underway. \n\nAre you sure you want to reboot "
                          "this device?",
                          "The Pyrel PC device named: \n\ndev2\n\nis also acting as a swap server. Rebooting this "
                          "device may cause data loss. \n\nAre you sure you want to reboot this device?"}));
    QCOMPARE(prompts.calls[1].title, QStringLiteral("Reboot device"));
    const QByteArray reboot = QByteArray::fromHex("01000000");
    QCOMPARE(writtenTo(dept[0]), reboot);
    QCOMPARE(writtenTo(print), QByteArray());
    QCOMPARE(writtenTo(both), reboot);
    QCOMPARE(writtenTo(offlinePrint), QByteArray());
    QCOMPARE(writtenTo(dept[4]), reboot);
}

void TestEverydayCommands::rebootDeviceDropsDuringQuestion()
{
    // The server disconnects while its print-server question is open: nothing
    // may be written to it after Yes, and its swap-server question is not
    // asked. A device registering meanwhile is not rebooted unasked.
    ThinclientInfo *server = device();
    server->printServer = server->swapServer = true;
    DeviceList dept{server, device()};
    ThinclientInfo *newcomer = device();
    ScriptedPrompter prompts;
    prompts.answer(QMessageBox::Yes);
    prompts.answer(QMessageBox::Yes);
    prompts.duringNextBox([] {});
    prompts.duringNextBox([&] {
        server->online = false;
        server->socket = nullptr;
        dept.append(newcomer);
    });
    QVERIFY(rebootDevices(nullptr, &dept));
    QCOMPARE(prompts.texts(QStringLiteral("question")).size(), 2);
    QCOMPARE(m_writes.size(), 1);
    QCOMPARE(m_writes[0].first, dept[1]->socket);
}

void TestEverydayCommands::refusedBeforeSending()
{
    const DeviceList dept{device()};
    ScriptedPrompter prompts;
    prompts.answerDialog(typeText(QStringLiteral("12345")));
    QVERIFY(!setConfigPassword(nullptr, &dept));
    // Its digest would be of "??????", as for any other six Cyrillic letters:
    // refused before the question.
    prompts.answerDialog(typeText(QString::fromUtf8("пароль")));
    QVERIFY(!setConfigPassword(nullptr, &dept));
    // Pasted with its line break: no one could type it at the device.
    prompts.answerDialog(typeText(QStringLiteral("secret12\r\n")));
    QVERIFY(!setConfigPassword(nullptr, &dept));
    // A name of Cyrillic letters would reach the devices as "????".
    prompts.answerDialog(typeText(QString::fromUtf8("Касса 1")));
    QVERIFY(!setDeviceName(nullptr, &dept));
    // With a longer limit than the line edit's own, a name can outgrow the
    // 16-bit length: refused after the question, nothing sent.
    prompts.answerDialog([](QDialog *d) {
        auto *edit = d->findChild<QLineEdit *>(QStringLiteral("tbxText"));
        edit->setMaxLength(0x10000);
        edit->setText(QString(0xFFFF - 2, QLatin1Char('n')));
        qobject_cast<DlgGetText *>(d)->onOK();
        return d->result();
    });
    prompts.answer(QMessageBox::Yes);
    QVERIFY(!setDeviceName(nullptr, &dept));
    QVERIFY(prompts.unexpected.isEmpty());
    QCOMPARE(prompts.texts(QStringLiteral("information")),
             QStringList({"\nPassword must be at least 6 characters long!",
                          "\nThe values entered hold characters that cannot be sent to devices.",
                          "\nPassword cannot hold line breaks or other control characters!"}));
    QCOMPARE(prompts.calls[1].title, QStringLiteral("Set hvconfig password"));
    QCOMPARE(prompts.calls[3].title, QStringLiteral("Set hvconfig password"));
    QCOMPARE(prompts.calls[5].title, QStringLiteral("Set hvconfig password"));
    QCOMPARE(prompts.texts(QStringLiteral("warning")),
             QStringList({"\nThe values entered hold characters that cannot be sent to devices.",
                          "\nThe device name is too long to send."}));
    QCOMPARE(prompts.calls[7].title, QStringLiteral("Change device name"));
    QCOMPARE(prompts.texts(QStringLiteral("question")).size(), 1);
    QCOMPARE(prompts.trail().last(),
             QStringLiteral("warning Change device name: \nThe device name is too long to send."));
    QVERIFY(m_writes.isEmpty());
}

QTEST_MAIN(TestEverydayCommands)
#include "tst_everydaycommands.moc"
