// ctest-timeout: 300
// The display commands end to end: the window's actions, the dialogs worked
// as an administrator would, and simulated devices over TLS that decode
// what reaches them.
#include "displayaccess/dlgsetedidresolution.h"
#include "displayrequests.h"
#include "mainwindow/deptinfo.h"
#include "mainwindow/mainwindow.h"
#include "scriptedprompter.h"
#include "simdevice.h"
#include "windowdevices.h"
#include "windowfixture.h"

#include "devicelink/thinclientinfo.h"

#include <QAction>
#include <QComboBox>
#include <QRadioButton>
#include <QStandardItemModel>
#include <QTreeView>
#include <QtTest>
#include <memory>

using namespace WindowFixture;

namespace {

const QString LayoutQuestion = QStringLiteral(
    "question Set display configuration: \nAre you sure you want to set display configuration on selected devices?");
const QString EdidTitle = QStringLiteral("information Set EDID Resolution: ");

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
    void init();
    void cleanup();

    void layoutReachesSelectedDevices_data();
    void layoutReachesSelectedDevices();
    void edidModeReachesTheDevice_data();
    void edidModeReachesTheDevice();

private:
    SimDevice *addDevice(bool ticked, const QList<SimDisplayMode> &modes = {});

    std::unique_ptr<ScriptedPrompter> m_prompter;
    std::unique_ptr<MainWindow> m_window;
    std::unique_ptr<WindowDevices> m_devices;
};

void TestDisplayEndToEnd::init()
{
    QSettings(QStringLiteral("Halvard"), QStringLiteral("korvane_server")).clear();
    m_prompter = std::make_unique<ScriptedPrompter>();
    QSettings *store = newSettings();
    seedPreferences(store, freeTcpPort(), freeUdpPort());
    m_window = std::make_unique<MainWindow>(nullptr, environment(store));
    QVERIFY(m_window->currentDepartment);
    m_devices = std::make_unique<WindowDevices>(m_window.get());
}

void TestDisplayEndToEnd::cleanup()
{
    QVERIFY2(m_prompter->unexpected.isEmpty(), qPrintable(m_prompter->unexpected.join(QLatin1String(", "))));
    m_window.reset();
    m_devices.reset();
    m_prompter.reset();
}

SimDevice *TestDisplayEndToEnd::addDevice(bool ticked, const QList<SimDisplayMode> &modes)
{
    return m_devices->add(QStringLiteral("ORL K1"), ticked,
                          [modes](SimDeviceConfig &config) { config.displayModes = modes; });
}

// ---- Display layout ------------------------------------------------------------

void TestDisplayEndToEnd::layoutReachesSelectedDevices_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<QList<bool>>("ticked");
    QTest::addColumn<QStringList>("steps");      // combo=index, or a radio button to click
    QTest::addColumn<QStringList>("prompts");
    QTest::addColumn<QStringList>("layout");     // what each ticked device decodes; empty: nothing sent

    const QString defaultOutput = QStringLiteral("auto none 0 landscape auto");
    QTest::newRow("defaults from the tool bar")
        << "configureDisplay" << QList<bool>{true, false, true} << QStringList()
        << QStringList{"exec DlgConfigureDisplays", LayoutQuestion}
        << QStringList{"clone", "20", defaultOutput, defaultOutput, defaultOutput};
    QTest::newRow("extended desktop from the menu")
        << "actionSet_monitor_res_opts" << QList<bool>{true, false, true}
        << QStringList{"rdbtnRandR",          "cmbxOp1Connector=1", "cmbxOp2Connector=2", "cmbxOp2Position=0",
                       "cmbxOp2Referent=0",   "cmbxOp2Resolution=14", "cmbxOp3Connector=7"}
        << QStringList{"exec DlgConfigureDisplays", LayoutQuestion}
        << QStringList{"extendr", "20", "hdmi none 0 landscape auto", "vga rightof 1 landscape 1920x1080", "none"};
    QTest::newRow("refused layout, then cancelled")
        << "configureDisplay" << QList<bool>{true}
        << QStringList{"cmbxOp1Connector=7", "cmbxOp2Connector=7", "cmbxOp3Connector=7"}
        << QStringList{"exec DlgConfigureDisplays",
                       "warning Invalid configuration: \nYou must configure at least one output connector"}
        << QStringList();
    QTest::newRow("nobody ticked")
        << "configureDisplay" << QList<bool>{false, false} << QStringList()
        << QStringList{"exec DlgConfigureDisplays", LayoutQuestion,
                       "warning Status update: \nCommand was not sent to any device(s) because none are selected!"}
        << QStringList();
    QTest::newRow("empty department")
        << "configureDisplay" << QList<bool>() << QStringList()
        << QStringList{"information Set display configuration: \nCannot set display configuration. No devices found!"}
        << QStringList();
}

void TestDisplayEndToEnd::layoutReachesSelectedDevices()
{
    QFETCH(QString, action);
    QFETCH(QList<bool>, ticked);
    QFETCH(QStringList, steps);
    QFETCH(QStringList, prompts);
    QFETCH(QStringList, layout);

    QList<SimDevice *> sims;
    for (bool on : ticked)
        sims << addDevice(on);
    m_prompter->answerDialog([steps](QDialog *d) {
        d->show();
        for (const QString &step : steps) {
            if (auto *combo = d->findChild<QComboBox *>(step.section(QLatin1Char('='), 0, 0)))
                combo->setCurrentIndex(step.section(QLatin1Char('='), 1).toInt());
            else if (auto *radio = d->findChild<QRadioButton *>(step))
                radio->click();
            else
                qWarning("no widget %s", qPrintable(step));
        }
        d->accept();
        return d->result();
    });
    m_prompter->answer(QMessageBox::Yes);
    m_window->findChild<QAction *>(action)->trigger();
    QCOMPARE(m_prompter->trail(), prompts);

    for (int i = 0; i < sims.size(); ++i) {
        const QList<ReceivedFrame> frames = m_devices->receivedSoFar(sims.at(i));
        const bool expected = ticked.at(i) && !layout.isEmpty();
        QCOMPARE(frames.size(), expected ? 1 : 0);
        if (!expected)
            continue;
        DisplayRequests::Layout decoded;
        QVERIFY(DisplayRequests::parseLayout(frames.first(), &decoded));
        QCOMPARE(described(decoded), layout);
    }
}

// ---- EDID resolution -----------------------------------------------------------

void TestDisplayEndToEnd::edidModeReachesTheDevice_data()
{
    QTest::addColumn<QList<bool>>("ticked");   // the first device reports the modes
    QTest::addColumn<QString>("report");      // "present": with the present mode; "greyed": one unsupported mode
    QTest::addColumn<int>("click");            // row whose box is clicked, -1 none
    QTest::addColumn<int>("answer");
    QTest::addColumn<QStringList>("prompts");
    QTest::addColumn<QString>("resolution");   // what the device receives; empty: nothing

    const QString question = QStringLiteral(
        "question Changing screen resolution: Are you sure you want to set the screen resolution on selected device to "
        "%1 ?");
    const QStringList chosen{"exec DlgSetEdidResolution", question};
    QTest::newRow("the present mode")
        << QList<bool>{true, false} << "present" << -1 << int(QMessageBox::Yes)
        << QStringList{chosen.at(0), question.arg("1280x1024")} << "1280x1024";
    QTest::newRow("another mode clicked")
        << QList<bool>{true} << "present" << 0 << int(QMessageBox::Yes)
        << QStringList{chosen.at(0), question.arg("1920x1080")} << "1920x1080";
    QTest::newRow("answered No") << QList<bool>{true} << "present" << 0 << int(QMessageBox::No)
                                 << QStringList{chosen.at(0), question.arg("1920x1080")} << "";
    QTest::newRow("a greyed mode clicked, no present mode: nothing sent")
        << QList<bool>{true} << "greyed" << 0 << 0 << QStringList{chosen.at(0)} << "";
    QTest::newRow("two selected") << QList<bool>{true, true} << "present" << -1 << 0
                                  << QStringList{EdidTitle + "Multiple devices selected. Please select just one device"}
                                  << "";
    QTest::newRow("no modes reported")
        << QList<bool>{true} << "" << -1 << 0
        << QStringList{EdidTitle + "The selected device did not report any EDID information.\n"
                                   "Make sure the monitor is connected to the device and powered on"}
        << "";
    QTest::newRow("nobody ticked") << QList<bool>{false} << "present" << -1 << 0 << QStringList() << "";
    QTest::newRow("empty department") << QList<bool>() << "present" << -1 << 0
                                      << QStringList{EdidTitle + "Cannot set EDID resolution. No devices found!"}
                                      << "";
}

void TestDisplayEndToEnd::edidModeReachesTheDevice()
{
    QFETCH(QList<bool>, ticked);
    QFETCH(QString, report);
    QFETCH(int, click);
    QFETCH(int, answer);
    QFETCH(QStringList, prompts);
    QFETCH(QString, resolution);

    const QList<SimDisplayMode> modes{mode("1920x1080", "148.50"), mode("1280x1024", "108.00"),
                                      mode("2560x1440", "241.50")};
    const QList<SimDisplayMode> present{mode("1280x1024", "108.00", true)};
    const QList<SimDisplayMode> first = report == QLatin1String("present") ? modes + present
                                        : report == QLatin1String("greyed")  ? modes.mid(2)
                                                                             : QList<SimDisplayMode>();
    QList<SimDevice *> sims;
    for (bool on : ticked)
        sims << addDevice(on, sims.isEmpty() ? first : modes);

    m_prompter->answerDialog([click](QDialog *d) {
        auto *dialog = qobject_cast<DlgSetEdidResolution *>(d);
        if (click >= 0) {
            QStandardItem *item = dialog->model->item(click, 0);
            if (item->isEnabled())
                item->setCheckState(Qt::Checked);
            emit dialog->treeView->clicked(item->index());
        }
        dialog->accept();
        return dialog->result();
    });
    if (answer)
        m_prompter->answer(QMessageBox::StandardButton(answer));
    m_window->on_actionSet_EDID_Resolution_triggered();
    QCOMPARE(m_prompter->trail(), prompts);

    for (int i = 0; i < sims.size(); ++i) {
        const QList<ReceivedFrame> frames = m_devices->receivedSoFar(sims.at(i));
        const bool expected = i == 0 && !resolution.isEmpty();
        QCOMPARE(frames.size(), expected ? 1 : 0);
        if (!expected)
            continue;
        QString sent, modeString;
        QVERIFY(DisplayRequests::parseEdidMode(frames.first(), &sent, &modeString));
        QCOMPARE(sent, resolution);
        QCOMPARE(modeString, "omapfb.mode=dvi:" + resolution + "MR-32@60");
    }
}

QTEST_MAIN(TestDisplayEndToEnd)
#include "tst_displayendtoend.moc"
