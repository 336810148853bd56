// ctest-timeout: 300
// The access protocol end to end: the main window's action, the dialog
// answered by script, and simulated devices that decode what arrives over
// TLS and answer a help request.
#include "mainwindow/deptinfo.h"
#include "mainwindow/mainwindow.h"
#include "scriptedprompter.h"
#include "testfiles.h"
#include "windowfixture.h"

#include "accessprotocolagent.h"
#include "fileclient.h"
#include "simdevice.h"

#include "devicelink/sslserver.h"
#include "devicelink/thinclientinfo.h"
#include "devicelink/wire.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTemporaryDir>
#include <QtTest>

using namespace WindowFixture;

namespace {

// Boxes and dialogs answered by script; desktop programs really start, so
// that the help text reaches a viewer.
class ViewerPrompter : public ScriptedPrompter
{
public:
    bool startDetached(const QString &program, const QStringList &arguments, qint64 *pid = nullptr) override
    {
        ScriptedPrompter::startDetached(program, arguments);
        return Prompter::startDetached(program, arguments, pid);
    }
};

// Picks a protocol in the dialog, fills fields, and presses OK or Cancel.
ScriptedPrompter::DialogHandler fill(int protocolIndex, const QMap<QString, QString> &texts, bool ok = true,
                                     std::function<void(QDialog *)> more = {})
{
    return [=](QDialog *d) {
        d->findChild<QComboBox *>(QStringLiteral("cmbxConxType"))->setCurrentIndex(protocolIndex);
        for (auto it = texts.begin(); it != texts.end(); ++it)
            d->findChild<QLineEdit *>(it.key())->setText(it.value());
        if (more)
            more(d);
        ok ? d->accept() : d->reject();
        return d->result();
    };
}

} // namespace

class TestAccessProtocolWindow : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void noDevicesNoDialog();
    void settingsReachTheTickedDevices();
    void wizardStep_data();
    void wizardStep();
    void connectionManagerImages();
    void helpAnswerReachesAViewer();

private:
    SimDevice *addDevice(bool ticked, const QString &serial = QString());
    ThinclientInfo *record(const SimDevice *device) const;
    static AccessProtocolAgent *agent(const SimDevice *device) { return device->findChild<AccessProtocolAgent *>(); }
    // Everything sent before has arrived once the console answers a download.
    static bool drain(SimDevice *device);
    void trigger() { m_window->findChild<QAction *>(QStringLiteral("actionSet_connection_type"))->trigger(); }

    ViewerPrompter *m_prompter = nullptr;
    MainWindow *m_window = nullptr;
    QList<SimDevice *> m_devices;
    QTemporaryDir m_dir;
};

void TestAccessProtocolWindow::init()
{
    QSettings *store = newSettings();
    seedPreferences(store, freeTcpPort(), freeUdpPort(), 600);
    m_prompter = new ViewerPrompter;
    m_window = new MainWindow(nullptr, environment(store));
    QVERIFY(m_window->sslServer && m_window->sslServer->isListening());
}

void TestAccessProtocolWindow::cleanup()
{
    qDeleteAll(m_devices);
    m_devices.clear();
    delete m_window;
    m_window = nullptr;
    delete m_prompter;
    m_prompter = nullptr;
}

SimDevice *TestAccessProtocolWindow::addDevice(bool ticked, const QString &serial)
{
    SimDeviceConfig config = SimDeviceConfig::numbered(int(m_devices.size()));
    if (!serial.isEmpty())
        config.serialNumber = serial;
    auto *device = new SimDevice(config);
    new AccessProtocolAgent(device);
    m_devices << device;
    device->connectToConsole(QStringLiteral("127.0.0.1"), m_window->sslServer->serverPort());
    if (!QTest::qWaitFor([&] { return record(device) && record(device)->online; }, 15000)) {
        QTest::qFail("the device did not register", __FILE__, __LINE__);
        return device;
    }
    ThinclientInfo *info = record(device);
    info->item->setCheckState(ticked ? Qt::Checked : Qt::Unchecked);
    m_window->onTreeViewClicked(m_window->currentDepartment->model->indexFromItem(info->item));
    return device;
}

ThinclientInfo *TestAccessProtocolWindow::record(const SimDevice *device) const
{
    for (ThinclientInfo *info : m_window->currentDepartment->devices)
        if (info->macAddress == device->config().macAddress)
            return info;
    return nullptr;
}

bool TestAccessProtocolWindow::drain(SimDevice *device)
{
    FileClient client(device);
    client.download(QDir::tempPath() + QStringLiteral("/no-such-file"));
    return client.waitForFinished() && client.lastCode() == TransferReply::NotAllowed;
}

void TestAccessProtocolWindow::settingsReachTheTickedDevices()
{
    const QList<SimDevice *> ticked{addDevice(true), addDevice(true)};
    SimDevice *unticked = addDevice(false);
    m_prompter->answerDialog(fill(3, {{"tbxHostnamePort", "10.77.0.9:5900"}, {"tbxPassword", "pw"},
                                      {"tbxConfirmPassword", "pw"}},
                                  true, [](QDialog *d) { d->findChild<QCheckBox *>("chbxAutoLogin")->click(); }));
    m_prompter->answer(QMessageBox::Yes);
    trigger();
    QCOMPARE(m_prompter->texts(QStringLiteral("question")),
             QStringList{"Are you sure you want to set the remote server protocol to\n\nVNC\n\nfor selected devices?"});

    for (SimDevice *device : ticked) {
        QTRY_COMPARE_WITH_TIMEOUT(agent(device)->events(), QStringList{"command 5"}, 10000);
        const ReceivedAccessProtocol &c = agent(device)->commands().first();
        QCOMPARE(c.typeCode, quint16(4));
        QCOMPARE(c.listIndex, quint16(3));
        QCOMPARE(c.host, QStringLiteral("10.77.0.9:5900"));
        QVERIFY(c.autoLogin);
        QCOMPARE(c.username, QString());
        QCOMPARE(c.password, QStringLiteral("pw"));
        QCOMPARE(c.indexes.at(2), quint16(0xFFFF));   // VNC has no audio quality
    }
    QVERIFY(drain(unticked));
    QVERIFY(agent(unticked)->events().isEmpty());
    QVERIFY(m_prompter->unexpected.isEmpty());
}

void TestAccessProtocolWindow::noDevicesNoDialog()
{
    trigger();
    QCOMPARE(m_prompter->texts(), QStringList{"\nCannot set access protocol. No devices found!"});
    QCOMPARE(m_prompter->last().title, QStringLiteral("Set access protocol"));
}

void TestAccessProtocolWindow::wizardStep_data()
{
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QString>("state");
    QTest::newRow("accepted: sent without a question") << true << "whitelist_completed";
    QTest::newRow("cancelled: the wizard is aborted") << false << "aborted";
}

void TestAccessProtocolWindow::wizardStep()
{
    QFETCH(bool, ok);
    QFETCH(QString, state);
    SimDevice *device = addDevice(true);
    m_window->wizardRunning = true;
    m_window->wizardState = QStringLiteral("whitelist_completed");
    m_prompter->answerDialog(fill(2, {}, ok));
    if (!ok)
        m_prompter->answer(QMessageBox::Yes);   // abort the wizard
    trigger();
    QCOMPARE(m_window->wizardState, state);
    QCOMPARE(m_prompter->texts(QStringLiteral("question")).size(), ok ? 0 : 1);
    if (ok)
        QTRY_COMPARE_WITH_TIMEOUT(agent(device)->events(), QStringList{"command 5"}, 10000);
    QVERIFY(drain(device));
    QCOMPARE(agent(device)->commands().size(), ok ? 1 : 0);
}

void TestAccessProtocolWindow::connectionManagerImages()
{
    SimDevice *served = addDevice(true, QStringLiteral("abc123"));
    SimDevice *missing = addDevice(true);
    QByteArray image(200000, Qt::Uninitialized);
    for (int i = 0; i < image.size(); ++i)
        image[i] = char(i * 7 + i / 251);
    const QString imagePath = m_dir.filePath(QStringLiteral("qnv.jpg"));
    QVERIFY(TestFiles::write(imagePath, image));
    QVERIFY(TestFiles::write(m_dir.filePath(QStringLiteral("ABC123.conf")), "server=10.77.0.1\n"));

    m_prompter->answerDialog(fill(8, {}));
    m_prompter->answer(QMessageBox::Yes);
    m_prompter->answerText(imagePath);
    trigger();

    QTRY_COMPARE_WITH_TIMEOUT(agent(served)->events(),
                              (QStringList{"file netconnect.jpg", "file ABC123.conf", "command 0"}), 15000);
    QCOMPARE(agent(served)->files().value(QStringLiteral("netconnect.jpg")), image);
    QCOMPARE(agent(served)->commands().first().typeCode, quint16(6));
    QVERIFY(drain(missing));
    QVERIFY(agent(missing)->events().isEmpty());
    const ScriptedPrompter::Call box = m_prompter->last();
    QCOMPARE(box.kind, QStringLiteral("warning"));
    QCOMPARE(box.title, QStringLiteral("File not found"));
    QCOMPARE(box.text, QStringLiteral("A QNV configuration file for thinclient specified below was not found. This "
                                      "thinclient will not be placed in QNV mode\n\nSerial number: ")
                           + missing->config().serialNumber.toUpper() + QStringLiteral("\nDescription: ")
                           + missing->config().deviceName);
    QVERIFY(m_prompter->unexpected.isEmpty());
}

void TestAccessProtocolWindow::helpAnswerReachesAViewer()
{
    // A viewer of our own, found first on PATH, that keeps what it was shown.
    const QString shown = m_dir.filePath(QStringLiteral("shown.txt"));
    const QString bin = m_dir.filePath(QStringLiteral("bin"));
    QVERIFY(QDir().mkpath(bin));
    QVERIFY(TestFiles::write(bin + QStringLiteral("/gedit"), QStringLiteral("#!/bin/sh\ncp \"$1\" '%1.part' && mv '%1.part' '%1'\n")
                                                  .arg(shown)
                                                  .toUtf8()));
    QFile(bin + QStringLiteral("/gedit")).setPermissions(QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", bin.toUtf8() + ':' + path);

    SimDevice *device = addDevice(true);
    addDevice(false);
    QString help;
    for (int line = 0; help.size() < 20000; ++line)
        help += QStringLiteral("option %1: what the protocol does with it\n").arg(line, 5, 10, QLatin1Char('0'));
    help.truncate(20000);
    agent(device)->setHelpText(help);

    m_prompter->answerDialog(fill(3, {}, false, [](QDialog *d) {
        d->findChild<QPushButton *>(QStringLiteral("btnGetRemoteHelp"))->click();
    }));
    trigger();
    QTRY_COMPARE_WITH_TIMEOUT(TestFiles::read(shown), help.toLatin1(), 15000);
    qputenv("PATH", path);
    QCOMPARE(agent(device)->events(), QStringList{"help 4"});
    QCOMPARE(m_prompter->texts(QStringLiteral("startDetached")), QStringList{"gedit"});
}

QTEST_MAIN(TestAccessProtocolWindow)
#include "tst_accessprotocolwindow.moc"
