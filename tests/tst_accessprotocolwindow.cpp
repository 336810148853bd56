// ctest-timeout: 300
// The access protocol end to end: the main window's action, the dialog
// answered by script, and simulated devices that decode what arrives over
// TLS and answer a help request.
#include "mainwindow/mainwindow.h"
#include "scriptedprompter.h"
#include "testfiles.h"
#include "windowdevices.h"
#include "windowfixture.h"

#include "accessprotocolagent.h"
#include "simdevice.h"

#include "devicelink/sslserver.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using namespace WindowFixture;

namespace {

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
    void init()
    {
        QSettings *store = newSettings();
        seedPreferences(store, freeTcpPort(), freeUdpPort(), 600);
        m_prompter = std::make_unique<ScriptedPrompter>();
        m_window = std::make_unique<MainWindow>(nullptr, environment(store));
        m_devices = std::make_unique<WindowDevices>(m_window.get());
    }

    void cleanup()
    {
        // Gone before the check: a failed test must not leave later ones without it.
        const QStringList unexpected = m_prompter->unexpected;
        m_devices.reset();
        m_window.reset();
        m_prompter.reset();
        QVERIFY2(unexpected.isEmpty(), qPrintable(unexpected.join(QLatin1String(", "))));
    }

    void noDevicesNoDialog()
    {
        trigger();
        QCOMPARE(m_prompter->texts(), QStringList{"\nCannot set access protocol. No devices found!"});
    }

    void settingsReachTheTickedDevices()
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
            QCOMPARE(c.host, QStringLiteral("10.77.0.9:5900"));
            QCOMPARE(c.password, QStringLiteral("pw"));
            QCOMPARE(c.indexes.at(2), quint16(0xFFFF));   // VNC has no audio quality
        }
        QVERIFY(gotNothing(unticked));
    }

    void wizardStep_data()
    {
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QString>("state");
        QTest::newRow("accepted: sent without a question") << true << "whitelist_completed";
        QTest::newRow("cancelled: the wizard is aborted") << false << "aborted";
    }

    void wizardStep()
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
        m_devices->receivedSoFar(device);
        QCOMPARE(agent(device)->events(), ok ? QStringList{"command 5"} : QStringList());
    }

    void connectionManagerImages()
    {
        SimDevice *served = addDevice(true, QStringLiteral("abc123"));
        // Its name, as it reports it, adds no line to the box about it.
        SimDevice *missing = addDevice(true, QString(), QStringLiteral("lab\nSerial number: ABC123"));
        QByteArray image(200000, Qt::Uninitialized);
        for (int i = 0; i < image.size(); ++i)
            image[i] = char(i * 7 + i / 251);
        const QString imagePath = m_dir.filePath(QStringLiteral("qnv.jpg"));
        QVERIFY(TestFiles::write(imagePath, image));
        QVERIFY(TestFiles::write(m_dir.filePath(QStringLiteral("ABC123.conf")), "server=10.77.0.1\n"));
        // A directory of the configuration file's name is no configuration file.
        QVERIFY(QDir(m_dir.path()).mkdir(missing->config().serialNumber.toUpper() + QStringLiteral(".conf")));

        m_prompter->answerDialog(fill(8, {}));
        m_prompter->answer(QMessageBox::Yes);
        m_prompter->answerText(imagePath);
        trigger();

        QTRY_COMPARE_WITH_TIMEOUT(agent(served)->events(),
                                  (QStringList{"file netconnect.jpg", "file ABC123.conf", "command 0"}), 15000);
        QCOMPARE(agent(served)->files().value(QStringLiteral("netconnect.jpg")), image);
        QVERIFY(gotNothing(missing));
        QCOMPARE(m_prompter->last().text,
                 QStringLiteral("A QNV configuration file for thinclient specified below was not found. This "
                                "thinclient will not be placed in QNV mode\n\nSerial number: ")
                     + missing->config().serialNumber.toUpper()
                     + QStringLiteral("\nDescription: lab Serial number: ABC123"));
    }

    // Outside the wizard every way out leaves the devices untouched and says nothing more.
    void backingOut_data()
    {
        QTest::addColumn<int>("protocol");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<bool>("yes");
        QTest::newRow("dialog cancelled") << 3 << false << false;
        QTest::newRow("No to the question") << 3 << true << false;
        QTest::newRow("connection manager, no image chosen") << 8 << true << true;
        QTest::newRow("all the way: sent") << 3 << true << true;
    }

    void backingOut()
    {
        QFETCH(int, protocol);
        QFETCH(bool, ok);
        QFETCH(bool, yes);
        SimDevice *device = addDevice(true);
        m_prompter->answerDialog(fill(protocol, {{"tbxHostnamePort", "10.77.0.9"}}, ok));
        if (ok)
            m_prompter->answer(yes ? QMessageBox::Yes : QMessageBox::No);
        if (protocol == 8)
            m_prompter->answerText(QString());
        trigger();
        const bool sent = ok && yes && protocol != 8;
        if (sent)
            QTRY_COMPARE_WITH_TIMEOUT(agent(device)->events(), QStringList{"command 5"}, 10000);
        else
            QVERIFY(gotNothing(device));
        QCOMPARE(m_prompter->texts(QStringLiteral("warning")), QStringList());
        QCOMPARE(m_prompter->texts(QStringLiteral("question")).size(), ok ? 1 : 0);
        QCOMPARE(m_window->wizardState, QStringLiteral("not_running"));
    }

    // The help button asks the one selected device; its long answer reaches a
    // file that a viewer is started on.
    void helpAnswerReachesAViewer()
    {
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
        QTRY_COMPARE_WITH_TIMEOUT(m_prompter->texts(QStringLiteral("startDetached")), QStringList{"gedit"}, 15000);
        QCOMPARE(TestFiles::read(m_prompter->last().arguments.value(0)), help.toLatin1());
        QCOMPARE(agent(device)->events(), QStringList{"help 4"});
    }

private:
    // A registered device with an agent that decodes what reaches it.
    SimDevice *addDevice(bool ticked, const QString &serial = QString(), const QString &name = QString())
    {
        SimDevice *device = m_devices->add(QStringLiteral("ORL K1"), ticked, [&](SimDeviceConfig &c) {
            if (!serial.isEmpty())
                c.serialNumber = serial;
            if (!name.isEmpty())
                c.deviceName = name;
        });
        if (device)
            new AccessProtocolAgent(device);
        return device;
    }
    static AccessProtocolAgent *agent(const SimDevice *device) { return device->findChild<AccessProtocolAgent *>(); }
    // Nothing reached the device, up to what the console sent last.
    bool gotNothing(SimDevice *device)
    {
        return m_devices->receivedSoFar(device).isEmpty() && agent(device)->events().isEmpty();
    }
    void trigger() { m_window->findChild<QAction *>(QStringLiteral("actionSet_connection_type"))->trigger(); }

    std::unique_ptr<ScriptedPrompter> m_prompter;
    std::unique_ptr<MainWindow> m_window;
    std::unique_ptr<WindowDevices> m_devices;
    QTemporaryDir m_dir;
};

QTEST_MAIN(TestAccessProtocolWindow)
#include "tst_accessprotocolwindow.moc"
