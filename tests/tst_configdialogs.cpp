// The configuration dialogs: their validation in order with the exact boxes,
// their result codes, and the frames built from what they accept.
#include "commands/dlgconfigdorn.h"
#include "commands/dlggetnicinfo.h"
#include "commands/dlggooglecloudprint.h"
#include "commands/dlghostcredentials.h"
#include "commands/dlginstallondevice.h"
#include "commands/dlgzorserverinfo.h"
#include "childwidget.h"
#include "devicelink/wire.h"
#include "formfill.h"
#include "scriptedprompter.h"
#include "testfiles.h"

#include <QFile>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

using namespace ConfigPackets;

// The wire strings of a frame's payload, from a given offset.
static QStringList wireStrings(const QByteArray &frame, int offset = Wire::HeaderSize)
{
    QStringList out;
    PayloadReader r(frame, offset);
    while (!r.atEnd())
        out << r.wireString();
    return out;
}

// Fills the dialog as an administrator would; a name without a widget fails.
static void apply(QDialog *dialog, const QStringList &edits)
{
    QCOMPARE(fillForm(dialog, edits), QStringList());
}

static QByteArray hex(const char *h)
{
    return QByteArray::fromHex(QByteArray(h).replace(' ', ""));
}

// Checks how the last accept ended: refused with exactly one warning of the
// given text and title (the dialog still open), or closed with no box.
static void checkOutcome(QDialog *dialog, ScriptedPrompter &p, const QString &title, const QString &text,
                         const QString &kind = QStringLiteral("warning"))
{
    if (text.isEmpty()) {
        QVERIFY2(p.calls.isEmpty(), qPrintable(p.texts().join(QLatin1String(" | "))));
        QVERIFY(!dialog->isVisible());
        return;
    }
    QCOMPARE(p.calls.size(), 1);
    QCOMPARE(p.calls.first().kind, kind);
    QCOMPARE(p.calls.first().title, title);
    QCOMPARE(p.calls.first().text, text);
    QCOMPARE(p.calls.first().buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    QVERIFY(dialog->isVisible());
}

class TestConfigDialogs : public QObject
{
    Q_OBJECT
private slots:
    void nicValidation_data();
    void nicValidation();
    void nicRefusedAttemptLeavesNoDns();
    void nicMethodEnabling_data();
    void nicMethodEnabling();
    void nicShowPassword();

    void serverIdentification_data();
    void serverIdentification();

    void credentials_data();
    void credentials();
    void credentialWidgets();
    void gatewayRetickKeepsShownPassword_data();
    void gatewayRetickKeepsShownPassword();

    void pxe_data();
    void pxe();

    void install_data();
    void install();
    void installBrowse();
};

// ---- Network ------------------------------------------------------------------

void TestConfigDialogs::nicValidation_data()
{
    QTest::addColumn<QStringList>("input");
    QTest::addColumn<QString>("text");       // empty: accepted
    QTest::addColumn<QStringList>("sent");   // the frame's strings when accepted

    const QStringList wifi{"tbxWirelessSSID=net", "tbxWirelessPassword=pw", "tbxWirelessPasswordConfirm=pw"};
    const QStringList wiredStatic{"gboxWireless=off", "cmbxWired=0", "tbxIp=10.0.0.2",
                                  "tbxNetmask=255.255.255.0", "tbxGateway=10.0.0.1"};
    const QStringList wifiStatic = QStringList{"gboxWired=off", "cmbxWireless=0", "tbxWirelessIp=10.0.0.5",
                                               "tbxWirelessNetmask=255.0.0.0", "tbxWirelessGateway=10.0.0.1"}
                                   + wifi;

    QTest::newRow("defaults: no SSID") << QStringList() << "\nYou must enter a value for wireless SSID"
                                       << QStringList();
    QTest::newRow("no wireless password") << QStringList{"tbxWirelessSSID=net"}
                                          << "\nYou must enter a value for wireless password" << QStringList();
    QTest::newRow("no confirmation") << QStringList{"tbxWirelessSSID=net", "tbxWirelessPassword=pw"}
                                     << "\nYou must enter a confirmation password for wireless network"
                                     << QStringList();
    QTest::newRow("confirmation differs in case")
        << QStringList{"tbxWirelessSSID=net", "tbxWirelessPassword=Pw", "tbxWirelessPasswordConfirm=pw"}
        << "\nThe two wireless passwords do not match!" << QStringList();
    QTest::newRow("show password needs no confirmation")
        << QStringList{"tbxWirelessSSID=net", "tbxWirelessPassword=pw", "chboxShowPassword=on", "tbxHostname=tc"}
        << QString()
        << QStringList{"", "", "", "Yes", "Yes", "", "", "", "Yes", "Yes", "", "", "", "net", "Wpa2_personal", "pw",
                       "tc"};
    QTest::newRow("wired static before wireless") << QStringList{"cmbxWired=0"}
        << "On wired network, you must enter values for IP, Netmask, Gateway and DNS1" << QStringList();
    QTest::newRow("wired static without DNS1") << wiredStatic
        << "On wired network, you must enter values for IP, Netmask, Gateway and DNS1" << QStringList();
    QTest::newRow("wired gateway part above 255") << wiredStatic + QStringList{"tbxGateway=10.0.0.256", "tbxDns1=8.8.8.8"}
        << "\nYou entered an invalid IP address on wired network" << QStringList();
    QTest::newRow("wired bad DNS1") << wiredStatic + QStringList{"tbxDns1=8.8.8"}
        << "\nYou entered an invalid IP address for DNS1" << QStringList();
    QTest::newRow("wired bad DNS2") << wiredStatic + QStringList{"tbxDns1=8.8.8.8", "tbxDns2=dns"}
        << "\nYou entered an invalid IP address for DNS2" << QStringList();
    QTest::newRow("wired static, DNS2 empty") << wiredStatic + QStringList{"tbxDns1=8.8.8.8", "tbxDsp=corp"}
        << QString()
        << QStringList{"8.8.8.8", "", "corp", "Yes", "No", "10.0.0.2", "255.255.255.0", "10.0.0.1", "No", ""};
    QTest::newRow("wired static, both DNS") << wiredStatic + QStringList{"tbxDns1=8.8.8.8", "tbxDns2=8.8.4.4"}
        << QString()
        << QStringList{"8.8.8.8", "8.8.4.4", "", "Yes", "No", "10.0.0.2", "255.255.255.0", "10.0.0.1", "No", ""};
    QTest::newRow("wired DNS override without DNS1") << QStringList{"gboxWireless=off", "cmbxWired=2"}
        << "You must enter a value for DNS1" << QStringList();
    QTest::newRow("wired DHCP, wireless DNS override")
        << QStringList{"cmbxWireless=2", "tbxDns1=1.1.1.1"} + wifi << QString()
        << QStringList{"1.1.1.1", "", "", "Yes", "Yes", "", "", "", "Yes", "YesIgnoreDns", "", "", "", "net",
                       "Wpa2_personal", "pw", ""};
    QTest::newRow("wireless static without gateway") << wifiStatic + QStringList{"tbxWirelessGateway="}
        << "On wireless network, you must enter values for IP, Netmask, Gateway and DNS1" << QStringList();
    QTest::newRow("wireless static, bad netmask") << wifiStatic + QStringList{"tbxWirelessNetmask=255.0.0.x"}
        << "You entered an invalid value for IP, Netmask, Gateway or DNS1 on wireless network" << QStringList();
    QTest::newRow("wireless static without DNS1") << wifiStatic
        << "You must enter a value for DNS1" << QStringList();
    QTest::newRow("wireless static") << wifiStatic + QStringList{"tbxDns1=8.8.8.8", "tbxHostname=h"} << QString()
        << QStringList{"8.8.8.8", "", "", "No", "Yes", "No", "10.0.0.5", "255.0.0.0", "10.0.0.1", "net",
                       "Wpa2_personal", "pw", "h"};
    // Texts go out in Latin-1, where "?" would stand for what it cannot hold:
    // a device would join another network, or none, and answer to another name.
    const QString unsendable = QStringLiteral("\nThe values entered hold characters that cannot be sent to devices.");
    QTest::newRow("wireless password Latin-1 cannot hold")
        << QStringList{"tbxWirelessSSID=net", QString::fromUtf8("tbxWirelessPassword=пароль1"),
                       QString::fromUtf8("tbxWirelessPasswordConfirm=пароль1")}
        << unsendable << QStringList();
    QTest::newRow("SSID Latin-1 cannot hold") << QStringList{QString::fromUtf8("tbxWirelessSSID=Büro€")} + wifi.mid(1)
                                              << unsendable << QStringList();
    QTest::newRow("host name Latin-1 cannot hold")
        << QStringList{"gboxWired=off", "gboxWireless=off", QString::fromUtf8("tbxHostname=касса1")} << unsendable
        << QStringList();
    QTest::newRow("wireless password pasted with its line end")
        << QStringList{"tbxWirelessSSID=net", "tbxWirelessPassword=pass1234\n", "tbxWirelessPasswordConfirm=pass1234\n"}
        << unsendable << QStringList();
    QTest::newRow("Latin-1 SSID") << QStringList{"gboxWired=off", QString::fromUtf8("tbxWirelessSSID=Büro")}
                                         + wifi.mid(1)
                                  << QString()
                                  << QStringList{"", "", "", "No", "Yes", "Yes", "", "", "",
                                                 QString::fromUtf8("Büro"), "Wpa2_personal", "pw", ""};
    // A DNS typed while both groups use nothing that needs it is not sent.
    QTest::newRow("both off") << QStringList{"gboxWired=off", "gboxWireless=off", "tbxDns1=9.9.9.9",
                                             "tbxDsp=corp.lan", "tbxHostname=tc1"}
        << QString() << QStringList{"", "", "corp.lan", "No", "No", "tc1"};
}

void TestConfigDialogs::nicValidation()
{
    QFETCH(QStringList, input);
    QFETCH(QString, text);
    QFETCH(QStringList, sent);
    ScriptedPrompter p;
    DlgGetNicInfo dlg;
    dlg.show();
    apply(&dlg, input);
    dlg.accept();
    checkOutcome(&dlg, p, QStringLiteral("Input validation"), text);
    if (text.isEmpty()) {
        QCOMPARE(dlg.result(), 1);
        QCOMPARE(wireStrings(configureNic(dlg.settings)), sent);
    }
}

void TestConfigDialogs::nicRefusedAttemptLeavesNoDns()
{
    ScriptedPrompter p;
    DlgGetNicInfo dlg;
    dlg.show();
    // First OK: wired static passes its DNS check, the wireless group fails.
    apply(&dlg, {"cmbxWired=0", "tbxIp=10.0.0.2", "tbxNetmask=255.0.0.0", "tbxGateway=10.0.0.1",
                 "tbxDns1=8.8.8.8", "tbxDns2=8.8.4.4"});
    dlg.accept();
    QCOMPARE(p.texts(), QStringList{"\nYou must enter a value for wireless SSID"});
    // Second OK: nothing uses DNS any more, so none may reach the device.
    apply(&dlg, {"cmbxWired=1", "gboxWireless=off"});
    dlg.accept();
    QCOMPARE(dlg.result(), 1);
    QVERIFY(dlg.settings.dns1.isEmpty());
    QVERIFY(dlg.settings.dns2.isEmpty());
    QCOMPARE(wireStrings(configureNic(dlg.settings)).mid(0, 2), QStringList({"", ""}));
}

void TestConfigDialogs::nicMethodEnabling_data()
{
    QTest::addColumn<QStringList>("input");
    QTest::addColumn<bool>("wiredAddresses");
    QTest::addColumn<bool>("wirelessAddresses");
    QTest::addColumn<bool>("dns");

    QTest::newRow("defaults (DHCP)") << QStringList() << false << false << false;
    QTest::newRow("wired static") << QStringList{"cmbxWired=0"} << true << false << true;
    QTest::newRow("wired override") << QStringList{"cmbxWired=2"} << false << false << true;
    QTest::newRow("wireless static") << QStringList{"cmbxWireless=0"} << false << true << true;
    // The DNS fields follow the method chosen last, whichever group.
    QTest::newRow("wired static, then wireless DHCP") << QStringList{"cmbxWired=0", "cmbxWireless=2",
                                                                     "cmbxWireless=1"}
                                                      << true << false << false;
    QTest::newRow("wireless DHCP, then wired override") << QStringList{"cmbxWireless=0", "cmbxWired=2"}
                                                        << false << true << true;
}

void TestConfigDialogs::nicMethodEnabling()
{
    QFETCH(QStringList, input);
    QFETCH(bool, wiredAddresses);
    QFETCH(bool, wirelessAddresses);
    QFETCH(bool, dns);
    DlgGetNicInfo dlg;
    apply(&dlg, input);
    for (const char *name : {"tbxIp", "tbxNetmask", "tbxGateway"})
        QCOMPARE(child<QLineEdit>(&dlg, name)->isEnabled(), wiredAddresses);
    for (const char *name : {"tbxWirelessIp", "tbxWirelessNetmask", "tbxWirelessGateway"})
        QCOMPARE(child<QLineEdit>(&dlg, name)->isEnabled(), wirelessAddresses);
    QCOMPARE(child<QLineEdit>(&dlg, "tbxDns1")->isEnabled(), dns);
    QCOMPARE(child<QLineEdit>(&dlg, "tbxDns2")->isEnabled(), dns);
}

void TestConfigDialogs::nicShowPassword()
{
    DlgGetNicInfo dlg;
    auto *password = child<QLineEdit>(&dlg, "tbxWirelessPassword");
    auto *confirm = child<QLineEdit>(&dlg, "tbxWirelessPasswordConfirm");
    apply(&dlg, {"tbxWirelessPasswordConfirm=old", "chboxShowPassword=on"});
    QCOMPARE(password->echoMode(), QLineEdit::Normal);
    QVERIFY(confirm->text().isEmpty());
    QVERIFY(!confirm->isEnabled());
    apply(&dlg, {"chboxShowPassword=off"});
    QCOMPARE(password->echoMode(), QLineEdit::Password);
    QVERIFY(confirm->isEnabled());
}

// ---- Management-server identification -----------------------------------------

void TestConfigDialogs::serverIdentification_data()
{
    QTest::addColumn<QStringList>("input");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("mode");
    QTest::addColumn<QByteArray>("frame");

    QTest::newRow("DHCP") << QStringList() << QString() << 1 << hex("1e 00 0001 01");
    QTest::newRow("DHCP ignores typed address") << QStringList{"rdbtnStatic=on", "tbxIP=x", "rdbtnDHCP=on"}
                                                << QString() << 1 << hex("1e 00 0001 01");
    QTest::newRow("static without address") << QStringList{"rdbtnStatic=on"}
                                            << "You must enter values for IP address and port" << -1 << QByteArray();
    QTest::newRow("static without port") << QStringList{"rdbtnStatic=on", "tbxIP=mgr", "tbxPort="}
                                         << "You must enter values for IP address and port" << -1 << QByteArray();
    QTest::newRow("static, preset port") << QStringList{"rdbtnStatic=on", "tbxIP=10.1.2.30"} << QString() << 2
                                         << hex("1e 00 0014 02 000a31302e312e322e333000 00053538303800");
    // The address may be a host name; the port must be one the devices can
    // connect to, or they would look for the console where it never is.
    QTest::newRow("static, host name") << QStringList{"rdbtnStatic=on", "tbxIP=mgr", "tbxPort=65535"} << QString()
                                       << 2 << hex("1e 00 000f 02 00046d677200 00063635353335 00");
    const QString badPort = QStringLiteral("You must enter a port number from 1 to 65535");
    QTest::newRow("static, port a word") << QStringList{"rdbtnStatic=on", "tbxIP=mgr", "tbxPort=http"} << badPort
                                         << -1 << QByteArray();
    QTest::newRow("static, port 0") << QStringList{"rdbtnStatic=on", "tbxIP=mgr", "tbxPort=0"} << badPort << -1
                                    << QByteArray();
    QTest::newRow("static, port too large") << QStringList{"rdbtnStatic=on", "tbxIP=mgr", "tbxPort=65536"}
                                            << badPort << -1 << QByteArray();
    QTest::newRow("static, port negative") << QStringList{"rdbtnStatic=on", "tbxIP=mgr", "tbxPort=-5808"}
                                           << badPort << -1 << QByteArray();
    QTest::newRow("static, port with blanks") << QStringList{"rdbtnStatic=on", "tbxIP=mgr", "tbxPort= 5808"}
                                              << badPort << -1 << QByteArray();
    QTest::newRow("static, address Latin-1 cannot hold")
        << QStringList{"rdbtnStatic=on", QString::fromUtf8("tbxIP=консоль.lan")}
        << "\nThe values entered hold characters that cannot be sent to devices." << -1 << QByteArray();
    QTest::newRow("static, port with sign") << QStringList{"rdbtnStatic=on", "tbxIP=mgr", "tbxPort=+5808"}
                                            << badPort << -1 << QByteArray();
    // Pasted with what came around it: a host the devices would look for in vain.
    const QString badAddress = QStringLiteral("You entered an invalid host name or IP address");
    QTest::newRow("static, address with a trailing blank") << QStringList{"rdbtnStatic=on", "tbxIP=10.1.2.30 "}
                                                           << badAddress << -1 << QByteArray();
    QTest::newRow("static, address with a line break") << QStringList{"rdbtnStatic=on", "tbxIP=mgr\r\n"}
                                                       << badAddress << -1 << QByteArray();
    // Read as octal by the devices' resolver: 192.168.1.8.
    QTest::newRow("static, address padded with zeros") << QStringList{"rdbtnStatic=on", "tbxIP=192.168.001.010"}
                                                       << badAddress << -1 << QByteArray();
}

void TestConfigDialogs::serverIdentification()
{
    QFETCH(QStringList, input);
    QFETCH(QString, text);
    QFETCH(int, mode);
    QFETCH(QByteArray, frame);
    ScriptedPrompter p;
    int modeOut = -1;
    DlgZorServerInfo dlg(nullptr, &modeOut, nullptr, nullptr);
    dlg.show();
    apply(&dlg, input);
    dlg.accept();
    checkOutcome(&dlg, p, QStringLiteral("Validating entries"), text);
    QCOMPARE(modeOut, mode);
    if (text.isEmpty()) {
        QCOMPARE(dlg.result(), int(DlgZorServerInfo::Accepted));
        QCOMPARE(setServerDetection(dlg.identification).toHex(' '), frame.toHex(' '));
    }
}

// ---- Credentials ----------------------------------------------------------------

void TestConfigDialogs::credentials_data()
{
    QTest::addColumn<bool>("gateway");
    QTest::addColumn<QStringList>("input");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("frame");

    const QByteArray cloud = hex("28 00 0010 01 0004626f6200 000773656372657400");
    const QStringList bob{"tbxUserId=bob", "tbxPassword=secret"};
    QTest::newRow("cloud print switched off") << false << QStringList{"groupBox=off", "tbxUserId=ignored"}
                                              << QString() << hex("28 00 0001 00");
    QTest::newRow("cloud print without user") << false << QStringList() << "\nYou must enter a value for User ID"
                                              << QByteArray();
    QTest::newRow("cloud print without password") << false << QStringList{"tbxUserId=bob"}
                                                  << "\nYou must enter a value for Password" << QByteArray();
    // No separate message for an empty confirmation here.
    QTest::newRow("cloud print without confirmation") << false << bob << "\nPasswords do not match" << QByteArray();
    QTest::newRow("cloud print confirmation differs in case")
        << false << bob + QStringList{"tbxConfirmPassword=Secret"} << "\nPasswords do not match" << QByteArray();
    QTest::newRow("cloud print shown password ignores stale confirmation")
        << false << bob + QStringList{"tbxConfirmPassword=old", "checkBox=on"} << QString() << cloud;
    QTest::newRow("cloud print password Latin-1 cannot hold")
        << false
        << QStringList{"tbxUserId=bob", QString::fromUtf8("tbxPassword=секрет"),
                       QString::fromUtf8("tbxConfirmPassword=секрет")}
        << "\nThe values entered hold characters that cannot be sent to devices." << QByteArray();
    QTest::newRow("cloud print user pasted with its line end")
        << false << QStringList{"tbxUserId=bob\r\n", "tbxPassword=secret", "checkBox=on"}
        << "\nThe values entered hold characters that cannot be sent to devices." << QByteArray();
    QTest::newRow("cloud print confirmed") << false << bob + QStringList{"tbxConfirmPassword=secret"} << QString()
                                           << cloud;

    const QByteArray gw = hex("2a 00 0020 01 000a67772e6c616e2e696f00 0006616c69636500 0009703473737730726400");
    const QStringList filled{"tbxHostname=gw.lan.io", "tbxUserId=alice", "tbxPassword=p4ssw0rd"};
    QTest::newRow("gateway switched off") << true << QStringList{"grbxTSG=off"} << QString() << hex("2a 00 0001 00");
    QTest::newRow("gateway without host") << true << QStringList() << "\nHostname field cannot be empty"
                                          << QByteArray();
    QTest::newRow("gateway without user") << true << QStringList{"tbxHostname=gw"}
                                          << "\nUser ID field cannot be empty" << QByteArray();
    QTest::newRow("gateway without password") << true << QStringList{"tbxHostname=gw", "tbxUserId=alice"}
                                              << "\nPassword field cannot be empty" << QByteArray();
    QTest::newRow("gateway without confirmation") << true << filled << "\nConfirm Password field cannot be empty"
                                                  << QByteArray();
    QTest::newRow("gateway confirmation differs") << true << filled + QStringList{"tbxConfirmPassword=p4ssw0rD"}
                                                  << "\nThe two passwords do not match each other" << QByteArray();
    QTest::newRow("gateway shown password") << true << filled + QStringList{"chbxShowPassword=on"} << QString() << gw;
    QTest::newRow("gateway user Latin-1 cannot hold")
        << true
        << QStringList{"tbxHostname=gw.lan.io", QString::fromUtf8("tbxUserId=алиса"), "tbxPassword=p4ssw0rd",
                       "chbxShowPassword=on"}
        << "\nThe values entered hold characters that cannot be sent to devices." << QByteArray();
    QTest::newRow("gateway host pasted with its line end")
        << true << QStringList{"tbxHostname=gw.lan.io\n", "tbxUserId=alice", "tbxPassword=p4ssw0rd", "chbxShowPassword=on"}
        << "\nThe values entered hold characters that cannot be sent to devices." << QByteArray();
    QTest::newRow("gateway confirmed") << true << filled + QStringList{"tbxConfirmPassword=p4ssw0rd"} << QString()
                                       << gw;
}

void TestConfigDialogs::credentials()
{
    QFETCH(bool, gateway);
    QFETCH(QStringList, input);
    QFETCH(QString, text);
    QFETCH(QByteArray, frame);
    ScriptedPrompter p;
    DlgGoogleCloudPrint cloudDialog;
    DlgHostCredentials gatewayDialog(nullptr, QStringLiteral("Terminal services gateway"));
    QDialog *dlg = gateway ? static_cast<QDialog *>(&gatewayDialog) : &cloudDialog;
    dlg->show();
    apply(dlg, input);
    dlg->accept();
    checkOutcome(dlg, p, gateway ? QStringLiteral("Input validation") : QStringLiteral("Validating credentials"), text);
    if (text.isEmpty()) {
        QCOMPARE(dlg->result(), 1);
        QCOMPARE((gateway ? setTsGateway(gatewayDialog.credentials) : setCloudPrint(cloudDialog.credentials)).toHex(' '),
                 frame.toHex(' '));
    }
}

void TestConfigDialogs::credentialWidgets()
{
    DlgGoogleCloudPrint cloud;
    apply(&cloud, {"tbxConfirmPassword=keep", "checkBox=on"});
    QCOMPARE(child<QLineEdit>(&cloud, "tbxPassword")->echoMode(), QLineEdit::Normal);
    QVERIFY(!child<QLineEdit>(&cloud, "tbxConfirmPassword")->isEnabled());
    QCOMPARE(child<QLineEdit>(&cloud, "tbxConfirmPassword")->text(), QStringLiteral("keep"));
    apply(&cloud, {"checkBox=off"});
    QCOMPARE(child<QLineEdit>(&cloud, "tbxPassword")->echoMode(), QLineEdit::Password);
    QVERIFY(child<QLineEdit>(&cloud, "tbxConfirmPassword")->isEnabled());

}

// The gateway group ticked off and on again by the administrator gives back
// the fields that apply: the confirmation only while the password is hidden.
void TestConfigDialogs::gatewayRetickKeepsShownPassword_data()
{
    QTest::addColumn<bool>("shown");
    QTest::newRow("password hidden") << false;
    QTest::newRow("password shown") << true;
}

void TestConfigDialogs::gatewayRetickKeepsShownPassword()
{
    QFETCH(bool, shown);
    DlgHostCredentials dlg(nullptr, QStringLiteral("Terminal services gateway"));
    if (shown)
        apply(&dlg, {"chbxShowPassword=on"});
    auto *group = child<QGroupBox>(&dlg, "grbxTSG");
    for (int i = 0; i < 2; ++i)
        QTest::keyClick(group, Qt::Key_Space);
    QVERIFY(group->isChecked());
    for (const char *name : {"tbxHostname", "tbxUserId", "tbxPassword", "chbxShowPassword"})
        QVERIFY2(child<QWidget>(&dlg, name)->isEnabled(), name);
    QCOMPARE(child<QLineEdit>(&dlg, "tbxConfirmPassword")->isEnabled(), !shown);
}

// ---- PXE ------------------------------------------------------------------------

void TestConfigDialogs::pxe_data()
{
    QTest::addColumn<QStringList>("input");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("frame");

    const QString ip = QStringLiteral("Invalid IP address");
    QTest::newRow("switched off") << QStringList{"groupBox=off", "tbxSubnet=junk"} << QString() << QString()
                                  << hex("25 01 0002 00 00");
    QTest::newRow("all empty") << QStringList() << QString() << QString()
                               << hex("25 01 000f 00 01 01 000100 000100 000100 000100");
    QTest::newRow("subnet without netmask") << QStringList{"tbxSubnet=junk"} << ip
                                            << "\nYou must enter a value for Netmask" << QByteArray();
    QTest::newRow("netmask without subnet") << QStringList{"tbxNetmask=255.0.0.0"} << ip
                                            << "\nYou must enter a value for Subnet" << QByteArray();
    QTest::newRow("start without end") << QStringList{"tbxDhcpStart=10.0.0.1"} << ip
                                       << "\nYou must enter a value for DHCP range end" << QByteArray();
    QTest::newRow("end without start") << QStringList{"tbxDhcpEnd=10.0.0.1"} << ip
                                       << "\nYou must enter a value for DHCP range start" << QByteArray();
    const QStringList all{"tbxSubnet=10.0.0.0", "tbxNetmask=255.255.255.0", "tbxDhcpStart=10.0.0.10",
                          "tbxDhcpEnd=10.0.0.20"};
    QTest::newRow("bad subnet") << all + QStringList{"tbxSubnet=10.0.0"} << ip
                                << "\nThe 'Subnet' IP address is not valid" << QByteArray();
    QTest::newRow("bad netmask") << all + QStringList{"tbxNetmask=255.255.255.256"} << ip
                                 << "\nThe 'Netmask' IP address is not valid" << QByteArray();
    QTest::newRow("bad start") << all + QStringList{"tbxDhcpStart=10..0.1"} << ip
                               << "\nThe 'DHCP range start' IP address is not valid" << QByteArray();
    QTest::newRow("bad end") << all + QStringList{"tbxDhcpEnd=-1.0.0.1"} << ip
                             << "\nThe 'DHCP range end' IP address is not valid" << QByteArray();
    const QString range = QStringLiteral("\nThe DHCP 'end' address cannot be less than or equal to the 'start' address");
    QTest::newRow("end equals start") << all + QStringList{"tbxDhcpEnd=10.0.0.10"} << "Invalid IP range" << range
                                      << QByteArray();
    // Addresses compare as numbers, not as texts.
    QTest::newRow("end below start") << QStringList{"tbxDhcpStart=10.0.0.10", "tbxDhcpEnd=10.0.0.9"}
                                     << "Invalid IP range" << range << QByteArray();
    QTest::newRow("range 9 to 10, all DHCP requests")
        << QStringList{"tbxDhcpStart=10.0.0.9", "tbxDhcpEnd=10.0.0.10", "rdbtnAllDhcpReq=on"} << QString()
        << QString() << hex("25 01 0020 00 01 00 000931302e302e302e3900 000a31302e302e302e313000 000100 000100");
    QTest::newRow("full") << all << QString() << QString()
                          << hex("25 01 0036 00 01 01 000a31302e302e302e313000 000a31302e302e302e323000"
                                 " 000931302e302e302e3000 000e3235352e3235352e3235352e3000");
}

void TestConfigDialogs::pxe()
{
    QFETCH(QStringList, input);
    QFETCH(QString, title);
    QFETCH(QString, text);
    QFETCH(QByteArray, frame);
    ScriptedPrompter p;
    DlgConfigDorn dlg;
    dlg.show();
    apply(&dlg, input);
    dlg.accept();
    checkOutcome(&dlg, p, title, text);
    if (text.isEmpty()) {
        QCOMPARE(dlg.result(), 1);
        QCOMPARE(dlg.config.spareFlag, quint8(0));
        QCOMPARE(setPxeConfig(dlg.config).toHex(' '), frame.toHex(' '));
    }
}

// ---- File install -----------------------------------------------------------------

void TestConfigDialogs::install_data()
{
    QTest::addColumn<QString>("radio");
    QTest::addColumn<QString>("file");       // name in the temporary directory; empty: none typed
    QTest::addColumn<QString>("kind");       // box kind, empty when accepted
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("text");       // "%1" stands for the path
    QTest::addColumn<int>("type");

    QTest::newRow("certificate") << "rdbtnSslCert" << "cert.pem" << QString() << QString() << QString() << 1;
    QTest::newRow("ppd") << "rdbtnPpdFile" << "cert.pem" << QString() << QString() << QString() << 2;
    QTest::newRow("ssh key") << "rdbtnSshKey" << "cert.pem" << QString() << QString() << QString() << 3;
    QTest::newRow("png of exactly 2 MiB") << "rdbtnPngFile" << "exact.png" << QString() << QString() << QString()
                                          << 4;
    QTest::newRow("one byte over 2 MiB") << "rdbtnPngFile" << "big.png" << "warning" << "Validating file size"
                                         << "File\n\n%1\n\nis too large (max 2MB allowed)" << 0;
    QTest::newRow("empty file") << "rdbtnSslCert" << "empty.pem" << "warning" << "Validating file size"
                                << "File\n\n%1\n\nis empty and does not contain any data" << 0;
    QTest::newRow("missing") << "rdbtnSslCert" << "missing.pem" << "warning" << "File not found"
                             << "File\n\n%1\n\nnot found!" << 0;
    QTest::newRow("directory") << "rdbtnSslCert" << "dir" << "information" << "Validating file"
                               << "File\n\n%1\n\nis not a valid file" << 0;
    QTest::newRow("symbolic link") << "rdbtnSslCert" << "link.pem" << "information" << "Validating file"
                                   << "File\n\n%1\n\nis not a valid file" << 0;
    // Only the name goes to the devices, in Latin-1: "?" would stand in it.
    QTest::newRow("name Latin-1 cannot hold") << "rdbtnSslCert" << QString::fromUtf8("сертификат.pem") << "warning"
                                              << "Validating file"
                                              << "\nThe values entered hold characters that cannot be sent to devices."
                                              << 0;
    QTest::newRow("no path typed") << "rdbtnSslCert" << QString() << "none" << QString() << QString() << 0;
}

void TestConfigDialogs::install()
{
    QFETCH(QString, radio);
    QFETCH(QString, file);
    QFETCH(QString, kind);
    QFETCH(QString, title);
    QFETCH(QString, text);
    QFETCH(int, type);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString cert = dir.filePath(QStringLiteral("cert.pem"));
    QVERIFY(TestFiles::write(cert, QByteArray(100, 'c')));
    QVERIFY(TestFiles::write(dir.filePath(QStringLiteral("exact.png")), QByteArray(MaxInstallFileSize, 'p')));
    QVERIFY(TestFiles::write(dir.filePath(QStringLiteral("big.png")), QByteArray(MaxInstallFileSize + 1, 'p')));
    QVERIFY(TestFiles::write(dir.filePath(QStringLiteral("empty.pem")), QByteArray()));
    QVERIFY(TestFiles::write(dir.filePath(QString::fromUtf8("сертификат.pem")), QByteArray(100, 'c')));
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("dir")));
    QVERIFY(QFile::link(cert, dir.filePath(QStringLiteral("link.pem"))));
    const QString path = file.isEmpty() ? QString() : dir.filePath(file);

    ScriptedPrompter p;
    DlgInstallOnDevice dlg;
    dlg.show();
    apply(&dlg, {radio + QStringLiteral("=on"), QStringLiteral("tbxFile=") + path});
    dlg.accept();

    if (kind == QLatin1String("none")) {   // refused without a word
        QVERIFY(p.calls.isEmpty());
        QVERIFY(dlg.isVisible());
        return;
    }
    checkOutcome(&dlg, p, title, text.contains(QLatin1String("%1")) ? text.arg(path) : text, kind);
    if (!kind.isEmpty())
        return;
    QCOMPARE(dlg.result(), 1);
    QCOMPARE(int(dlg.installType), type);
    QCOMPARE(dlg.filePath, path);
    QCOMPARE(dlg.fileName, file);
    QCOMPARE(qint64(dlg.fileSize), QFileInfo(path).size());
}

void TestConfigDialogs::installBrowse()
{
    struct Row {
        const char *radio;
        const char *caption;
    };
    const Row rows[] = {{"rdbtnSslCert", "Select SSL certificate"},
                        {"rdbtnPpdFile", "Select PPD file"},
                        {"rdbtnSshKey", "Select SSH key"},
                        {"rdbtnPngFile", "Select PNG image"}};
    for (const Row &row : rows) {
        ScriptedPrompter p;
        DlgInstallOnDevice dlg;
        apply(&dlg, {QLatin1String(row.radio) + QLatin1String("=on")});
        p.answerText(QStringLiteral("/tmp/chosen.file"));
        child<QPushButton>(&dlg, "btnBrowse")->click();
        QCOMPARE(p.last().title, QLatin1String(row.caption));
        QCOMPARE(child<QLineEdit>(&dlg, "tbxFile")->text(), QStringLiteral("/tmp/chosen.file"));

        // A cancelled chooser leaves the typed path alone.
        p.answerText(QString());
        child<QPushButton>(&dlg, "btnBrowse")->click();
        QCOMPARE(child<QLineEdit>(&dlg, "tbxFile")->text(), QStringLiteral("/tmp/chosen.file"));
        QVERIFY(p.unexpected.isEmpty());
    }
    QCOMPARE(installBrowseCaption(0), QString());
    const Refusal none = installBrowseRefusal();
    QCOMPARE(none.title, QStringLiteral("File browser"));
    QCOMPARE(none.text, QStringLiteral("\nPlease select an installation type"));
    InstallChoice unused;
    QCOMPARE(validateInstallFile(0, QStringLiteral("/etc/hostname"), &unused).kind, Refusal::Silent);
}

QTEST_MAIN(TestConfigDialogs)
#include "tst_configdialogs.moc"
