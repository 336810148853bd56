// The display dialogs as the administrator works them: the enable rules of
// the layout dialog, the picks of the EDID chooser, what the three dialogs
// without a caller leave for the code that opens them; and the display
// commands' refusals and questions, with the devices that receive.
#include "displayaccess/displaycommands.h"
#include "displayaccess/core/displaylayout.h"
#include "displayaccess/core/displaypackets.h"
#include "displayaccess/dlgconfiguredisplays.h"
#include "displayaccess/dlgremprotosettings.h"
#include "displayaccess/dlgresolutionstring.h"
#include "displayaccess/dlgsetedidresolution.h"
#include "displayaccess/dlgshowtext.h"
#include "devicelink/thinclientinfo.h"
#include "fakedevices.h"
#include "formfill.h"
#include "scriptedprompter.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSslSocket>
#include <QStandardItemModel>
#include <QTreeView>
#include <QtTest>

namespace {

// "name" clicks a button; "name=on"/"name=off" checks a button or group box;
// "name=<n>" chooses a combo's item n; "name=<text>" types into a line edit.
void work(QDialog *dialog, const QStringList &steps)
{
    for (const QString &step : steps) {
        const QString name = step.section(QLatin1Char('='), 0, 0);
        const QString value = step.section(QLatin1Char('='), 1);
        auto *button = dialog->findChild<QAbstractButton *>(name);
        if (button && step.contains(QLatin1Char('=')))
            button->setChecked(value == QLatin1String("on"));
        else
            QVERIFY2(fillForm(dialog, {step}).isEmpty(), qPrintable(name));
    }
}

QString shown(const QComboBox *c)
{
    return c->currentText() + (c->isEnabled() ? "+" : "-");
}

EdidInfo mode(const QString &resolution, const QString &clock, bool marker = false)
{
    const QString t = marker ? QStringLiteral("0") : QStringLiteral("60");
    return {resolution, clock, t, t, t, t};
}

// Which of the first three mode rows show their box ticked.
QList<bool> firstThreeTicked(const DlgSetEdidResolution &dialog)
{
    QList<bool> seen;
    for (int row = 0; row < 3; ++row)
        seen << (dialog.model->item(row, 0)->checkState() == Qt::Checked);
    return seen;
}

} // namespace

class TestDisplayDialogs : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        m_prompter = std::make_unique<ScriptedPrompter>();
    }

    void cleanup()
    {
        // Gone before the check: a failed row must not leave later rows without it.
        const QStringList unexpected = m_prompter->unexpected;
        m_prompter.reset();
        QVERIFY2(unexpected.isEmpty(), qPrintable(unexpected.join(QLatin1String(", "))));
    }

    void layoutEnableRules_data()
    {
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QStringList>("outputs");   // position, referent, orientation, resolution; + enabled, - not

        const QString untouched = QStringLiteral("None- None- Landscape+ Auto+");
        const QString extendIdle = QStringLiteral("None+ None- Landscape+ Auto+");
        QTest::newRow("opens in clone") << QStringList() << QStringList{untouched, untouched, untouched};
        QTest::newRow("extend") << QStringList{"rdbtnRandR"} << QStringList{extendIdle, extendIdle, extendIdle};
        QTest::newRow("extend, a position opens the referent")
            << QStringList{"rdbtnRandR", "cmbxOp2Position=0"}
            << QStringList{extendIdle, "Right of+ None+ Landscape+ Auto+", extendIdle};
        QTest::newRow("position back to none closes the referent")
            << QStringList{"rdbtnRandR", "cmbxOp2Position=2", "cmbxOp2Referent=1", "cmbxOp2Position=4"}
            << QStringList{extendIdle, extendIdle, extendIdle};
        QTest::newRow("no connector resets and disables the output, keeping its picture")
            << QStringList{"rdbtnRandR", "cmbxOp1Position=1", "cmbxOp1Referent=0", "cmbxOp1Resolution=5",
                           "cmbxOp1Connector=7"}
            << QStringList{"None- None- Landscape- 1280x768-", extendIdle, extendIdle};
        QTest::newRow("a connector again in extend")
            << QStringList{"rdbtnRandR", "cmbxOp3Connector=7", "cmbxOp3Connector=2"}
            << QStringList{extendIdle, extendIdle, extendIdle};
        QTest::newRow("a connector again in clone")
            << QStringList{"cmbxOp3Connector=7", "cmbxOp3Connector=2"} << QStringList{untouched, untouched, untouched};
        QTest::newRow("extend keeps an output without connector off")
            << QStringList{"cmbxOp2Connector=7", "rdbtnRandR"}
            << QStringList{extendIdle, "None- None- Landscape- Auto-", extendIdle};
        QTest::newRow("back to clone resets every position")
            << QStringList{"rdbtnRandR", "cmbxOp1Position=0", "cmbxOp1Referent=1", "cmbxOp3Position=3",
                           "cmbxOp3Referent=0", "rdbtnClone"}
            << QStringList{untouched, untouched, untouched};
    }

    void layoutEnableRules()
    {
        QFETCH(QStringList, steps);
        QFETCH(QStringList, outputs);
        DlgConfigureDisplays dialog(nullptr);
        work(&dialog, steps);
        QStringList seen;
        for (int n = 1; n <= 3; ++n) {
            QStringList parts;
            for (const char *column : {"Position", "Referent", "Orientation", "Resolution"})
                parts << shown(
                    dialog.findChild<QComboBox *>(QStringLiteral("cmbxOp%1%2").arg(n).arg(QLatin1String(column))));
            seen << parts.join(QLatin1Char(' '));
        }
        QCOMPARE(seen, outputs);
    }

    void edidPick_data()
    {
        QTest::addColumn<bool>("withMarker");
        QTest::addColumn<QList<QPoint>>("clicks");   // (column, row); a click in column 0 hits the box, -1 its text
        QTest::addColumn<QString>("result");
        QTest::addColumn<QList<bool>>("ticked");

        // Rows: 1920x1080, 1280x720, 2560x1440 (greyed); the marker names 1280x720.
        QTest::newRow("nothing picked leaves the result") << false << QList<QPoint>() << "unchanged"
                                                          << QList<bool>{false, false, false};
        QTest::newRow("a click moves the pick") << true << QList<QPoint>{{0, 0}} << "1920x1080"
                                                << QList<bool>{true, false, false};
        QTest::newRow("a click on a mode's text picks it unticked") << true << QList<QPoint>{{-1, 0}} << "1920x1080"
                                                                   << QList<bool>{false, false, false};
        QTest::newRow("a greyed mode cannot be picked") << true << QList<QPoint>{{0, 2}} << "1280x720"
                                                        << QList<bool>{false, true, false};
        QTest::newRow("other columns never pick") << true << QList<QPoint>{{1, 0}, {5, 0}} << "1280x720"
                                                  << QList<bool>{false, true, false};
        QTest::newRow("the picked box stays ticked") << true << QList<QPoint>{{0, 1}} << "1280x720"
                                                     << QList<bool>{false, true, false};
    }

    void edidPick()
    {
        QFETCH(bool, withMarker);
        QFETCH(QList<QPoint>, clicks);
        QFETCH(QString, result);
        QFETCH(QList<bool>, ticked);

        ThinclientInfo device;
        const QList<EdidInfo> modes{mode("1920x1080", "148.5"), mode("1280x720", "74.25"), mode("2560x1440", "241.5"),
                                    mode("1280x720", "74.25", true)};
        device.edidCount = quint16(withMarker ? 4 : 3);
        device.edid = modes;
        QString picked = QStringLiteral("unchanged");
        DlgSetEdidResolution dialog(nullptr, &device, QStringLiteral("640x480 1280x720 1920x1080"), &picked);
        QCOMPARE(dialog.model->rowCount(), 3);
        for (const QPoint &p : clicks) {
            QStandardItem *item = dialog.model->item(p.y(), qMax(p.x(), 0));
            if (p.x() == 0 && item->isEnabled())
                item->setCheckState(item->checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked);
            emit dialog.treeView->clicked(item->index());
        }
        dialog.accept();
        QCOMPARE(dialog.result(), 1);
        QCOMPARE(picked, result);
        QCOMPARE(firstThreeTicked(dialog), ticked);
    }

    // A pick by the box, the space bar or the text leaves no other box
    // ticked, since OK sends the pick alone; a mode the device lists twice
    // starts ticked twice.
    void edidPickByEveryRoute_data()
    {
        QTest::addColumn<bool>("listedTwice");   // the present mode on rows 1 and 2, else a greyed row 2
        QTest::addColumn<QString>("route");      // "box", "text" or "space"
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("result");
        QTest::addColumn<QList<bool>>("ticked");

        QTest::newRow("space, another mode") << false << "space" << 0 << "1920x1080" << QList<bool>{true, false, false};
        QTest::newRow("space, the picked mode stays ticked")
            << false << "space" << 1 << "1280x720" << QList<bool>{false, true, false};
        QTest::newRow("twice, a click on the box") << true << "box" << 0 << "1920x1080" << QList<bool>{true, false, false};
        QTest::newRow("twice, the space bar") << true << "space" << 0 << "1920x1080" << QList<bool>{true, false, false};
        QTest::newRow("twice, a click on the text")
            << true << "text" << 0 << "1920x1080" << QList<bool>{false, false, false};
    }

    void edidPickByEveryRoute()
    {
        QFETCH(bool, listedTwice);
        QFETCH(QString, route);
        QFETCH(int, row);
        QFETCH(QString, result);
        QFETCH(QList<bool>, ticked);

        ThinclientInfo device;
        device.edid = {mode("1920x1080", "148.5"), mode("1280x720", "74.25"),
                       listedTwice ? mode("1280x720", "74.25") : mode("2560x1440", "241.5"),
                       mode("1280x720", "74.25", true)};
        device.edidCount = 4;
        QString picked;
        DlgSetEdidResolution dialog(nullptr, &device, QStringLiteral("640x480 1280x720 1920x1080"), &picked);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        dialog.treeView->setFocus();
        QTRY_VERIFY(dialog.treeView->hasFocus());
        const QRect cell = dialog.treeView->visualRect(dialog.model->index(row, 0));
        if (route == QLatin1String("space")) {
            dialog.treeView->setCurrentIndex(dialog.model->index(row, 0));
            QTest::keyClick(dialog.treeView, Qt::Key_Space);
        } else {
            // The box lies at the cell's left; the text from its middle on.
            const QPoint at(route == QLatin1String("box") ? cell.left() + 10 : cell.center().x(), cell.center().y());
            QTest::mouseClick(dialog.treeView->viewport(), Qt::LeftButton, {}, at);
        }
        dialog.accept();
        QCOMPARE(picked, result);
        QCOMPARE(firstThreeTicked(dialog), ticked);
    }

    void commands_data()
    {
        QTest::addColumn<QString>("command");    // "layout" or "edid"
        QTest::addColumn<QString>("devices");    // "on" ticked and online, "off" ticked offline, "un" not ticked
        QTest::addColumn<QString>("modes");      // the first device's EDID list: "present", "greyed", "linebreaks" or none
        QTest::addColumn<QStringList>("steps");  // worked in the dialog before OK
        QTest::addColumn<int>("answer");         // to the question, if asked
        QTest::addColumn<QStringList>("prompts");
        QTest::addColumn<QByteArray>("sent");    // what the first device receives, the others nothing

        const QString layoutQuestion = QStringLiteral("question Set display configuration: \nAre you sure you want to set "
                                                      "display configuration on selected devices?");
        const QString edidInfo = QStringLiteral("information Set EDID Resolution: ");
        const QString edidQuestion =
            QStringLiteral("question Changing screen resolution: Are you sure you want to set the screen resolution on "
                           "selected device to %1 ?");
        const int yes = QMessageBox::Yes;
        QTest::newRow("layout to the ticked, online devices")
            << "layout" << "on,un,off" << "" << QStringList() << yes
            << QStringList{"exec DlgConfigureDisplays", layoutQuestion}
            << DisplayPackets::configureDisplays(DisplayLayout::settings(DisplayLayout::LayoutForm()));
        QTest::newRow("layout refused, then cancelled")
            << "layout" << "on" << "" << QStringList{"cmbxOp1Connector=7", "cmbxOp2Connector=7", "cmbxOp3Connector=7"}
            << 0
            << QStringList{"exec DlgConfigureDisplays",
                           "warning Invalid configuration: \nYou must configure at least one output connector"}
            << QByteArray();
        QTest::newRow("layout answered No") << "layout" << "on" << "" << QStringList() << int(QMessageBox::No)
                                            << QStringList{"exec DlgConfigureDisplays", layoutQuestion} << QByteArray();
        QTest::newRow("layout, empty department")
            << "layout" << "" << "" << QStringList() << 0
            << QStringList{"information Set display configuration: \nCannot set display configuration. No devices found!"}
            << QByteArray();
        QTest::newRow("edid, the present mode to the one selected")
            << "edid" << "on,un" << "present" << QStringList() << yes
            << QStringList{"exec DlgSetEdidResolution", edidQuestion.arg("1280x720")}
            << DisplayPackets::setEdidResolution(QStringLiteral("1280x720"));
        // The device's own text: its line breaks add no lines to the question.
        QTest::newRow("edid, a present mode with line breaks")
            << "edid" << "on" << "linebreaks" << QStringList() << yes
            << QStringList{"exec DlgSetEdidResolution", edidQuestion.arg("1280x720  It is safe.")}
            << DisplayPackets::setEdidResolution(QStringLiteral("1280x720\n\nIt is safe."));
        QTest::newRow("edid answered No") << "edid" << "on" << "present" << QStringList() << int(QMessageBox::No)
                                          << QStringList{"exec DlgSetEdidResolution", edidQuestion.arg("1280x720")}
                                          << QByteArray();
        QTest::newRow("edid, only a greyed mode: nothing picked, nothing sent")
            << "edid" << "on" << "greyed" << QStringList() << 0 << QStringList{"exec DlgSetEdidResolution"}
            << QByteArray();
        QTest::newRow("edid, two selected")
            << "edid" << "on,on" << "present" << QStringList() << 0
            << QStringList{edidInfo + "Multiple devices selected. Please select just one device"} << QByteArray();
        QTest::newRow("edid, no modes reported")
            << "edid" << "on" << "" << QStringList() << 0
            << QStringList{edidInfo + "The selected device did not report any EDID information.\n"
                                      "Make sure the monitor is connected to the device and powered on"}
            << QByteArray();
        QTest::newRow("edid, nobody ticked") << "edid" << "un" << "present" << QStringList() << 0 << QStringList()
                                             << QByteArray();
        QTest::newRow("edid, empty department") << "edid" << "" << "" << QStringList() << 0
                                                << QStringList{edidInfo + "Cannot set EDID resolution. No devices found!"}
                                                << QByteArray();
    }

    void commands()
    {
        QFETCH(QString, command);
        QFETCH(QString, devices);
        QFETCH(QString, modes);
        QFETCH(QStringList, steps);
        QFETCH(int, answer);
        QFETCH(QStringList, prompts);
        QFETCH(QByteArray, sent);

        FakeDevices fake;
        QList<ThinclientInfo *> list;
        for (const QString &d : devices.split(QLatin1Char(','), Qt::SkipEmptyParts))
            list << fake.add(QStringLiteral("ORL K1"), d != QLatin1String("un"), d != QLatin1String("off"));
        const QList<EdidInfo> present{mode("1920x1080", "148.5"), mode("1280x720", "74.25"),
                                      mode("1280x720", "74.25", true)};
        const QList<EdidInfo> greyed{mode("2560x1440", "241.5")};
        const QList<EdidInfo> linebreaks{mode("1280x720\n\nIt is safe.", "74.25"),
                                         mode("1280x720\n\nIt is safe.", "74.25", true)};
        for (ThinclientInfo *device : std::as_const(list)) {
            const QList<EdidInfo> &reported = modes == QLatin1String("greyed")       ? greyed
                                              : modes == QLatin1String("linebreaks") ? linebreaks
                                                                                     : present;
            device->edidCount = modes.isEmpty() ? 0 : quint16(reported.size());
            device->edid = reported;
        }
        m_prompter->answerDialog([steps](QDialog *d) {
            d->show();
            work(d, steps);
            d->accept();
            return d->result();
        });
        if (answer)
            m_prompter->answer(QMessageBox::StandardButton(answer));
        const bool reached = command == QLatin1String("layout")
                                 ? DisplayCommands::configureDisplays(nullptr, &list)
                                 : DisplayCommands::setEdidResolution(nullptr, &list, QStringLiteral("1920x1080 1280x720"));
        QCOMPARE(m_prompter->trail(), prompts);
        QCOMPARE(reached, !sent.isEmpty());
        for (int i = 0; i < list.size(); ++i)
            QCOMPARE(fake.writtenTo(list.at(i)).toHex(), i == 0 ? sent.toHex() : QByteArray());
    }

    void edidOnlyOverTheConnectionThatReportedIt_data()
    {
        QTest::addColumn<bool>("registeredAgain");   // else: went offline
        QTest::newRow("registered again, perhaps with another monitor") << true;
        QTest::newRow("went offline") << false;
    }

    void edidOnlyOverTheConnectionThatReportedIt()
    {
        QFETCH(bool, registeredAgain);
        FakeDevices fake;
        ThinclientInfo *device = fake.add();
        device->edid = {mode("1920x1080", "148.5"), mode("1920x1080", "148.5", true)};
        device->edidCount = 2;
        QSslSocket next;
        m_prompter->answerDialog([&](QDialog *d) {
            // The same record, taken over by the device's new connection.
            device->socket = registeredAgain ? &next : nullptr;
            device->online = registeredAgain;
            device->edid = {mode("1280x720", "74.25")};
            d->accept();
            return d->result();
        });
        m_prompter->answer(QMessageBox::Yes);
        const QList<ThinclientInfo *> list{device};
        QVERIFY(!DisplayCommands::setEdidResolution(nullptr, &list, QStringLiteral("1920x1080 1280x720")));
        QCOMPARE(fake.writes.size(), 0);
    }

    void resolutionString_data()
    {
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<int>("answer");             // to the 1080p question, if asked
        QTest::addColumn<QStringList>("results");    // mode string, resolution, dual mode, secondary; empty: stays open
        QTest::addColumn<QStringList>("boxes");

        const QString k1 = QStringLiteral("question Resolution warning: 1080p resolution works only at 30 FPS on ORL K1 "
                                          "DVI boards connected to a TV.\n\nAre you sure you want to use this resolution?");
        QTest::newRow("opens as QB, extended, both at Auto")
            << QStringList() << 0 << QStringList{"omapfb.mode=dvi:AutoMR-32@60", "Auto", "extdesktop", "right"}
            << QStringList();
        QTest::newRow("Dorn reads the disabled VESA radios")
            << QStringList{"rdbtnDorn", "rdbtnDisableMR=on", "cmbxVgaResolution=2"} << 0
            << QStringList{"omapfb.mode=dvi:1024x768-32@60", "1024x768", "", ""} << QStringList();
        QTest::newRow("K1 opens at 1024x768") << QStringList{"rdbtnOrlK1"} << 0
                                              << QStringList{"omapfb.mode=dvi:1024x768MR-32@60", "1024x768", "", ""}
                                              << QStringList();
        QTest::newRow("K1 1080p answered Yes")
            << QStringList{"rdbtnOrlK1", "cmbxVgaResolution=8"} << int(QMessageBox::Yes)
            << QStringList{"omapfb.mode=dvi:1920x1080MR-24@30", "1920x1080", "", ""} << QStringList{k1};
        QTest::newRow("K1 1080p without VESA adjustment")
            << QStringList{"rdbtnOrlK1", "cmbxVgaResolution=8", "rdbtnDisableMR=on"} << int(QMessageBox::Yes)
            << QStringList{"omapfb.mode=dvi:1920x1080-24@30", "1920x1080", "", ""} << QStringList{k1};
        QTest::newRow("K1 1080p answered No stays open")
            << QStringList{"rdbtnOrlK1", "cmbxVgaResolution=8"} << int(QMessageBox::No) << QStringList()
            << QStringList{k1};
        QTest::newRow("clone with different positions refused")
            << QStringList{"rdbtnClone=on", "cmbxVgaResolution=2", "cmbxHdmiResolution=4"} << 0 << QStringList()
            << QStringList{"warning Invalid configuration: When dual display is configured in clone mode, both displays "
                           "must be set to the same resolution"};
        QTest::newRow("clone with the same positions")
            << QStringList{"rdbtnClone=on", "cmbxVgaResolution=2", "cmbxHdmiResolution=2"} << 0
            << QStringList{"omapfb.mode=dvi:1024x768MR-32@60", "1024x768", "clone", ""} << QStringList();
        QTest::newRow("HDMI primary, secondary on top")
            << QStringList{"chbxVgaIsPrimary=off", "cmbxHdmiResolution=14", "rdbtnTop=on"} << 0
            << QStringList{"omapfb.mode=dvi:1920x1080MR-32@60", "Auto", "extdesktop", "top"} << QStringList();
        QTest::newRow("VGA off leaves HDMI alone")
            << QStringList{"gboxVga=off", "cmbxHdmiResolution=3"} << 0
            << QStringList{"omapfb.mode=dvi:1152x864MR-32@60", "Auto", "", ""} << QStringList();
        QTest::newRow("HDMI off leaves VGA alone")
            << QStringList{"gboxHdmi=off", "cmbxVgaResolution=3", "rdbtnClone=on"} << 0
            << QStringList{"omapfb.mode=dvi:1152x864MR-32@60", "1152x864", "", ""} << QStringList();
    }

    void resolutionString()
    {
        QFETCH(QStringList, steps);
        QFETCH(int, answer);
        QFETCH(QStringList, results);
        QFETCH(QStringList, boxes);
        if (answer)
            m_prompter->answer(QMessageBox::StandardButton(answer));

        DlgResolutionString dialog(nullptr);
        dialog.show();
        work(&dialog, steps);
        dialog.accept();
        QCOMPARE(m_prompter->trail(), boxes);
        QCOMPARE(dialog.isVisible(), results.isEmpty());
        if (!results.isEmpty())
            QCOMPARE((QStringList{dialog.resolutionString, dialog.resolution, dialog.dualMode, dialog.secondaryPosition}),
                     results);
    }

    void remProtoSettings_data()
    {
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QString>("outcome");   // the result and the eight fields, or the warning shown

        const QString notValid = QStringLiteral("warning Input validation: \n%1\n\nis not a valid percentage");
        const QStringList percent{"cmbxWindowSize=1", "tbxWindowSize=%1"};
        QTest::newRow("defaults") << QStringList() << "0: 16 Medium Yes Medium Auto Low Fullscreen ";
        QTest::newRow("choices become keywords")
            << QStringList{"cmbxColorDepth=1",  "cmbxGraphicsQuality=2", "cmbxRedirectAudio=1", "cmbxAudioQuality=1",
                           "cmbxBandwidth=0", "cmbxSecurity=1"}
            << "0: 32 Best No High Low High Fullscreen ";
        QTest::newRow("full screen ignores the percentage")
            << QStringList{"cmbxWindowSize=1", "tbxWindowSize=abc", "cmbxWindowSize=0"}
            << "0: 16 Medium Yes Medium Auto Low Fullscreen ";
        for (const char *ok : {"1", "100"})
            QTest::newRow(qPrintable(QStringLiteral("percentage %1").arg(QLatin1String(ok))))
                << QStringList{percent.at(0), percent.at(1).arg(QLatin1String(ok))}
                << QStringLiteral("0: 16 Medium Yes Medium Auto Low Percentage %1").arg(QLatin1String(ok));
        QTest::newRow("percentage empty") << QStringList{"cmbxWindowSize=1"}
                                          << "warning Input validation: \nYou must enter a value for screen percentage";
        for (const char *bad : {"0", "101", "abc"})
            QTest::newRow(qPrintable(QStringLiteral("percentage %1").arg(QLatin1String(bad))))
                << QStringList{percent.at(0), percent.at(1).arg(QLatin1String(bad))} << notValid.arg(QLatin1String(bad));
        QTest::newRow("cancel") << QStringList{"cmbxColorDepth=1", "cancel"}
                                << "-1: 32 Medium Yes Medium Auto Low Fullscreen ";
    }

    void remProtoSettings()
    {
        QFETCH(QStringList, steps);
        QFETCH(QString, outcome);
        DlgRemProtoSettings dialog(nullptr);
        dialog.show();
        const bool cancel = steps.removeAll(QStringLiteral("cancel")) > 0;
        work(&dialog, steps);
        dialog.setResult(7);
        if (cancel)
            dialog.reject();
        else
            dialog.accept();
        if (dialog.isVisible()) {
            QCOMPARE(m_prompter->trail().join(QLatin1Char('|')), outcome);
            return;
        }
        QVERIFY(m_prompter->calls.isEmpty());
        const QStringList fields{dialog.colorDepth, dialog.graphicsQuality, dialog.redirectAudio, dialog.audioQuality,
                                 dialog.bandwidth,  dialog.security,        dialog.windowSize,    dialog.windowPercent};
        QCOMPARE(QString::number(dialog.result()) + QStringLiteral(": ") + fields.join(QLatin1Char(' ')), outcome);
    }

    void showTextCloses()
    {
        const QString text = QStringLiteral("rdp: -f fullscreen\n-u user");
        DlgShowText dialog(nullptr, text);
        dialog.show();
        QCOMPARE(dialog.textEdit->toPlainText(), text);
        dialog.setResult(7);
        dialog.closeButton->click();
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.result(), 0);
    }

private:
    std::unique_ptr<ScriptedPrompter> m_prompter;
};

// ---- Display layout: what each output's combos show and allow ----------------

// ---- EDID chooser: which click picks what ------------------------------------

// ---- The commands: who is asked what, and who receives -----------------------

// ---- Resolution string -------------------------------------------------------

// ---- Remote protocol settings ------------------------------------------------

// ---- Text display ------------------------------------------------------------

QTEST_MAIN(TestDisplayDialogs)
#include "tst_displaydialogs.moc"
