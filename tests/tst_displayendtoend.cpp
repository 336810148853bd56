// ctest-timeout: 300
// The display commands end to end: the window's actions, the dialogs worked
// as an administrator would, and simulated devices over TLS that decode
// what reaches them.
#include "displayaccess/dlgsetedidresolution.h"
#include "displayrequests.h"
#include "mainwindow/deptinfo.h"
#include "mainwindow/mainwindow.h"
#include "formfill.h"
#include "scriptedprompter.h"
#include "simdevice.h"
#include "windowdevices.h"
#include "windowfixture.h"

#include "devicelink/thinclientinfo.h"

#include <QAction>
#include <QStandardItemModel>
#include <QTreeView>
#include <QtTest>
#include <memory>

using namespace WindowFixture;

namespace {

const QString LayoutQuestion = QStringLiteral(
    "question Set display configuration: \nAre you sure you want to set display configuration on selected devices?");

SimDisplayMode mode(const char *resolution, const char *clock, bool marker = false)
{
    const QString t = QLatin1String(marker ? "0" : "1");
    return {QLatin1String(resolution), QLatin1String(clock), t, t, t, t};
}

// The layout as the device decoded it: mode, timeout, then each output's
// strings joined by blanks.
QStringList described(const DisplayRequests::Layout &l)
{
    QStringList out{l.videoMode, l.screensaverTimeout};
    for (const DisplayRequests::Output &o : l.outputs)
        out << (QStringList{o.connector} + o.placement).join(QLatin1Char(' '));
    return out;
}

} // namespace

class TestDisplayEndToEnd : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { requireNamespace(); }

    void init()
    {
        QSettings(QStringLiteral("Halvard"), QStringLiteral("korvane_server")).clear();
        m_prompter = std::make_unique<ScriptedPrompter>();
        QSettings *store = newSettings();
        seedPreferences(store, freeTcpPort(), freeUdpPort());
        m_window = std::make_unique<MainWindow>(nullptr, environment(store));
        QVERIFY(m_window->currentDepartment);
        m_devices = std::make_unique<WindowDevices>(m_window.get());
    }

    void cleanup()
    {
        // Gone before the check: a failed test must not leave later ones without it.
        const QStringList unexpected = m_prompter->unexpected;
        m_window.reset();
        m_devices.reset();
        m_prompter.reset();
        QVERIFY2(unexpected.isEmpty(), qPrintable(unexpected.join(QLatin1String(", "))));
    }

    void layoutReachesSelectedDevices_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<QList<bool>>("ticked");
        QTest::addColumn<QStringList>("steps");      // combo=row, or a radio button to click
        QTest::addColumn<QStringList>("layout");     // what each ticked device decodes

        const QString defaultOutput = QStringLiteral("auto none 0 landscape auto");
        QTest::newRow("defaults from the tool bar")
            << "configureDisplay" << QList<bool>{true} << QStringList()
            << QStringList{"clone", "20", defaultOutput, defaultOutput, defaultOutput};
        QTest::newRow("extended desktop from the menu")
            << "actionSet_monitor_res_opts" << QList<bool>{true, false, true}
            << QStringList{"rdbtnRandR",          "cmbxOp1Connector=1", "cmbxOp2Connector=2", "cmbxOp2Position=0",
                           "cmbxOp2Referent=0",   "cmbxOp2Resolution=14", "cmbxOp3Connector=7"}
            << QStringList{"extendr", "20", "hdmi none 0 landscape auto", "vga rightof 1 landscape 1920x1080", "none"};
    }

    void layoutReachesSelectedDevices()
    {
        QFETCH(QString, action);
        QFETCH(QList<bool>, ticked);
        QFETCH(QStringList, steps);
        QFETCH(QStringList, layout);

        QList<SimDevice *> sims;
        for (bool on : ticked)
            sims << addDevice(on, {});
        m_prompter->answerDialog([steps](QDialog *d) {
            d->show();
            const QStringList missing = fillForm(d, steps);
            if (!missing.isEmpty())
                qWarning("no widget %s", qPrintable(missing.join(QLatin1Char(' '))));
            d->accept();
            return d->result();
        });
        m_prompter->answer(QMessageBox::Yes);
        m_window->findChild<QAction *>(action)->trigger();
        QCOMPARE(m_prompter->trail(), (QStringList{"exec DlgConfigureDisplays", LayoutQuestion}));

        for (int i = 0; i < sims.size(); ++i) {
            const QList<ReceivedFrame> frames = m_devices->receivedSoFar(sims.at(i));
            QCOMPARE(frames.size(), ticked.at(i) ? 1 : 0);
            if (frames.isEmpty())
                continue;
            DisplayRequests::Layout decoded;
            QVERIFY(DisplayRequests::parseLayout(frames.first(), &decoded));
            QCOMPARE(described(decoded), layout);
        }
    }

    // The mode clicked in the chooser reaches the selected device, with the
    // string it boots with; the device that is not ticked gets nothing.
    void edidModeReachesTheDevice()
    {
        const QList<SimDisplayMode> modes{mode("1920x1080", "148.50"), mode("1280x1024", "108.00"),
                                          mode("2560x1440", "241.50"), mode("1280x1024", "108.00", true)};
        SimDevice *ticked = addDevice(true, modes);
        SimDevice *other = addDevice(false, modes);
        m_prompter->answerDialog([](QDialog *d) {
            auto *dialog = qobject_cast<DlgSetEdidResolution *>(d);
            QStandardItem *item = dialog->model->item(0, 0);
            item->setCheckState(Qt::Checked);
            emit dialog->treeView->clicked(item->index());
            dialog->accept();
            return dialog->result();
        });
        m_prompter->answer(QMessageBox::Yes);
        m_window->on_actionSet_EDID_Resolution_triggered();
        QCOMPARE(m_prompter->trail(),
                 (QStringList{"exec DlgSetEdidResolution",
                              "question Changing screen resolution: Are you sure you want to set the screen resolution "
                              "on selected device to 1920x1080 ?"}));

        const QList<ReceivedFrame> frames = m_devices->receivedSoFar(ticked);
        QCOMPARE(frames.size(), 1);
        QString sent, modeString;
        QVERIFY(DisplayRequests::parseEdidMode(frames.first(), &sent, &modeString));
        QCOMPARE(sent, QStringLiteral("1920x1080"));
        QCOMPARE(modeString, QStringLiteral("omapfb.mode=dvi:1920x1080MR-32@60"));
        QVERIFY(m_devices->receivedSoFar(other).isEmpty());
    }

private:
    SimDevice *addDevice(bool ticked, const QList<SimDisplayMode> &modes)
    {
        return m_devices->add(QStringLiteral("ORL K1"), ticked,
                              [modes](SimDeviceConfig &config) { config.displayModes = modes; });
    }

    std::unique_ptr<ScriptedPrompter> m_prompter;
    std::unique_ptr<MainWindow> m_window;
    std::unique_ptr<WindowDevices> m_devices;
};

// ---- Display layout ------------------------------------------------------------

QTEST_MAIN(TestDisplayEndToEnd)
#include "tst_displayendtoend.moc"
