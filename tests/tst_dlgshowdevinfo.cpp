// The device information rows for wired, wireless and PXE variants, and the dialog that shows them.
#include "devicelink/thinclientinfo.h"
#include "mainwindow/deviceinforows.h"
#include "mainwindow/dlgshowdevinfo.h"

#include <QStandardItemModel>
#include <QTableView>
#include <QtTest>

namespace {

void fill(ThinclientInfo &d)
{
    d.model = "ORL K1";
    d.deviceName = "front desk";
    d.macAddress = "00:1a:2b:3c:4d:5e";
    d.firmwareVersion = "3.2.1";
    d.hotfixVersion = "hf7";
    d.resolution = "1920x1080";
    d.remoteServer = "rds.example";
    d.autoReconnect = true;
    d.autoLogin = false;
    d.clientVersion = "7.8.8";
    d.protocolType = "rdp";
    d.serialNumber = "sn-01ab";
    d.timeServer = "ntp.local";
    d.timezone = "Europe/Helsinki";
    d.boardHostname = "orl-001";
    d.serverDetection = 2;
    d.serverIp = "10.1.1.1";
    d.serverPort = "5808";
    d.cmdLineArgs = "-x";
    d.bootMode = 2;
    d.dns1 = "10.1.1.2";
    d.dns2 = "10.1.1.3";
    d.domainSearchPath = "corp.local";
    d.wiredEnabled = "yes";
    d.wiredMethod = "yes";
    d.ipAddress = "10.1.1.50";
    d.wiredNetmask = "255.255.255.0";
    d.wiredGateway = "10.1.1.254";
    d.wirelessEnabled = "no";
    d.wirelessMethod = "yes";
    d.wirelessIp = "10.2.2.50";
    d.wirelessNetmask = "255.255.0.0";
    d.wirelessGateway = "10.2.2.254";
    d.wirelessSsid = "office";
    d.wirelessSecurity = "wpa2";
    d.keyboardModel = "pc105";
    d.keyboardLayout = "fi";
    d.keyboardVariant = "nodeadkeys";
    d.keyboardOption = "compose:ralt";
    d.firewallEnabled = "yes";
    d.swapServer = true;
    d.printServer = false;
    d.powerSaveEnabled = "no";
    d.pxeServerEnabled = "no";
    d.pxeOnly = "yes";
    d.dhcpStart = "10.1.1.100";
    d.dhcpEnd = "10.1.1.200";
}

QStringList flatten(const QList<DevInfoRow> &rows)
{
    QStringList out;
    for (const DevInfoRow &r : rows)
        out << r.label + " = " + r.value;
    return out;
}

// The rows from one label up to (not including) another.
QStringList between(const QStringList &rows, const QString &from, const QString &to)
{
    int a = -1, b = -1;
    for (int i = 0; i < rows.size(); ++i) {
        if (a < 0 && rows[i].startsWith(from + " = "))
            a = i;
        if (a >= 0 && rows[i].startsWith(to + " = ")) {
            b = i;
            break;
        }
    }
    return a < 0 ? QStringList{"<no " + from + ">"} : rows.mid(a, (b < 0 ? rows.size() : b) - a);
}

} // namespace

class TestDlgShowDevInfo : public QObject
{
    Q_OBJECT
private slots:
    void allRows();
    void interfaces_data();
    void interfaces();
    void codes_data();
    void codes();
    void pxe_data();
    void pxe();
    void dialog();
};

void TestDlgShowDevInfo::allRows()
{
    ThinclientInfo d;
    fill(d);
    const QStringList expected{
        "Firmware type = ORL K1",
        "Description = front desk",
        "Mac address = 00:1A:2B:3C:4D:5E",
        "Kernel-RFS version = 3.2.1",
        "Hotfix version = hf7",
        "Resolution = 1920x1080",
        "Remote server = rds.example",
        "Auto reconnect = Enabled",
        "Auto login = Disabled",
        "Korvane client version = 7.8.8",
        "Protocol type = RDP",
        "Serial number = SN-01AB",
        "Time server = ntp.local",
        "Timezone = Europe/Helsinki",
        "Board hostname = orl-001",
        "Korvane server detection = Static",
        "Korvane server IP = 10.1.1.1",
        "Korvane server port = 5808",
        "Cmd line args = -x",
        "Boot mode = Normal mode",
        "DNS 1 = 10.1.1.2",
        "DNS 2 = 10.1.1.3",
        "Domain search path = corp.local",
        "Wired interface = Enabled",
        "Wired interface method = DHCP",
        "Wired interface IP = 10.1.1.50",
        "Wireless interface = Disabled",
        "Keyboard model = pc105",
        "Keyboard layout = fi",
        "Keyboard variant = nodeadkeys",
        "Keyboard option = compose:ralt",
        "Firewall enabled = YES",
        "Swap server = Enabled",
        "Print server = Disabled",
        "Power save enabled = NO",
        "PXE server enabled = NO",
    };
    QCOMPARE(flatten(deviceInfoRows(d)), expected);
}

void TestDlgShowDevInfo::interfaces_data()
{
    QTest::addColumn<QString>("wiredEnabled");
    QTest::addColumn<QString>("wiredMethod");
    QTest::addColumn<QString>("wirelessEnabled");
    QTest::addColumn<QString>("wirelessMethod");
    QTest::addColumn<QStringList>("rows");    // from "Wired interface" up to "Keyboard model"

    QTest::newRow("both disabled") << "no" << "yes" << "NO" << "yes"
                                   << QStringList{"Wired interface = Disabled", "Wireless interface = Disabled"};
    QTest::newRow("wired static") << "yes" << "No" << "no" << ""
                                  << QStringList{"Wired interface = Enabled", "Wired interface method = Static",
                                                 "Wired interface IP = 10.1.1.50",
                                                 "Wired interface netmask = 255.255.255.0",
                                                 "Wired interface gateway = 10.1.1.254",
                                                 "Wireless interface = Disabled"};
    QTest::newRow("wired DNS override") << "" << "dns" << "no" << ""
                                        << QStringList{"Wired interface = Enabled",
                                                       "Wired interface method = DHCP with DNS override",
                                                       "Wired interface IP = 10.1.1.50",
                                                       "Wireless interface = Disabled"};
    QTest::newRow("wireless static") << "no" << "yes" << "yes" << "no"
                                     << QStringList{"Wired interface = Disabled", "Wireless interface = Enabled",
                                                    "Wireless interface method = STATIC",
                                                    "Wireless interface IP = 10.2.2.50",
                                                    "Wireless interface netmask = 255.255.0.0",
                                                    "Wireless interface gateway = 10.2.2.254",
                                                    "Wireless interface SSID = office",
                                                    "Wireless interface security = wpa2"};
    QTest::newRow("wireless DHCP, wired DHCP") << "YES" << "YES" << "1" << "Yes"
                                               << QStringList{"Wired interface = Enabled",
                                                              "Wired interface method = DHCP",
                                                              "Wired interface IP = 10.1.1.50",
                                                              "Wireless interface = Enabled",
                                                              "Wireless interface method = DHCP",
                                                              "Wireless interface IP = 10.2.2.50"};
    QTest::newRow("wireless DNS override") << "no" << "" << "yes" << "nope"
                                           << QStringList{"Wired interface = Disabled", "Wireless interface = Enabled",
                                                          "Wireless interface method = DHCP with DNS override",
                                                          "Wireless interface IP = 10.2.2.50"};
}

void TestDlgShowDevInfo::interfaces()
{
    QFETCH(QString, wiredEnabled);
    QFETCH(QString, wiredMethod);
    QFETCH(QString, wirelessEnabled);
    QFETCH(QString, wirelessMethod);
    QFETCH(QStringList, rows);
    ThinclientInfo d;
    fill(d);
    d.wiredEnabled = wiredEnabled;
    d.wiredMethod = wiredMethod;
    d.wirelessEnabled = wirelessEnabled;
    d.wirelessMethod = wirelessMethod;
    const QStringList all = flatten(deviceInfoRows(d));
    QCOMPARE(between(all, "Domain search path", "Keyboard model"), QStringList{"Domain search path = corp.local"} + rows);
    QCOMPARE(all.last(), QStringLiteral("PXE server enabled = NO"));
}

void TestDlgShowDevInfo::codes_data()
{
    QTest::addColumn<int>("detection");
    QTest::addColumn<int>("bootMode");
    QTest::addColumn<QString>("detectionText");
    QTest::addColumn<QString>("bootText");
    QTest::newRow("0, 0") << 0 << 0 << "UDP broadcast" << "Unknown mode";
    QTest::newRow("1, 1") << 1 << 1 << "DHCP" << "Factory mode";
    QTest::newRow("2, 3") << 2 << 3 << "Static" << "Upgrade mode";
    QTest::newRow("3, 4") << 3 << 4 << "UDP broadcast" << "Unknown mode (4)";
    QTest::newRow("5, 9") << 5 << 9 << "UDP broadcast" << "Unknown mode (9)";
}

void TestDlgShowDevInfo::codes()
{
    QFETCH(int, detection);
    QFETCH(int, bootMode);
    QFETCH(QString, detectionText);
    QFETCH(QString, bootText);
    ThinclientInfo d;
    fill(d);
    d.serverDetection = quint16(detection);
    d.bootMode = quint16(bootMode);
    const QStringList all = flatten(deviceInfoRows(d));
    QVERIFY(all.contains("Korvane server detection = " + detectionText));
    QVERIFY(all.contains("Boot mode = " + bootText));
}

void TestDlgShowDevInfo::pxe_data()
{
    QTest::addColumn<QString>("enabled");
    QTest::addColumn<QStringList>("tail");
    QTest::newRow("Yes") << "Yes"
                         << QStringList{"PXE server enabled = YES", "PXE only = YES", "DHCP start = 10.1.1.100",
                                        "DHCP end = 10.1.1.200"};
    QTest::newRow("No") << "No" << QStringList{"PXE server enabled = NO"};
    QTest::newRow("empty") << "" << QStringList{"PXE server enabled = "};
}

void TestDlgShowDevInfo::pxe()
{
    QFETCH(QString, enabled);
    QFETCH(QStringList, tail);
    ThinclientInfo d;
    fill(d);
    d.pxeServerEnabled = enabled;
    const QStringList all = flatten(deviceInfoRows(d));
    QCOMPARE(all.mid(all.size() - tail.size()), tail);
    QCOMPARE(all[all.size() - tail.size() - 1], QStringLiteral("Power save enabled = NO"));
}

void TestDlgShowDevInfo::dialog()
{
    ThinclientInfo d;
    fill(d);
    DlgShowDevInfo dlg(nullptr, &d);
    const QList<DevInfoRow> rows = deviceInfoRows(d);
    QStandardItemModel *model = dlg.tableModel();
    QCOMPARE(dlg.tableView()->model(), model);
    QCOMPARE(model->rowCount(), rows.size());
    for (int i = 0; i < rows.size(); ++i) {
        QCOMPARE(model->item(i, 0)->text(), rows[i].label);
        QCOMPARE(model->item(i, 1)->text(), rows[i].value);
        QVERIFY(!model->item(i, 1)->isEditable());
    }
    // The dialog shows the record as it was when it opened.
    d.deviceName = "renamed";
    QCOMPARE(model->item(1, 1)->text(), QStringLiteral("front desk"));
}

QTEST_MAIN(TestDlgShowDevInfo)
#include "tst_dlgshowdevinfo.moc"
