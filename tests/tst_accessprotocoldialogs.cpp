// The access-protocol and digital-signage dialogs: their option sets, their
// validation in order with the exact boxes, and what they leave on OK.
#include "displayaccess/core/accessprotocoltable.h"
#include "displayaccess/dlgconnectiontype.h"
#include "displayaccess/dlgdigitalsignage.h"
#include "childwidget.h"
#include "formfill.h"
#include "scriptedprompter.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const char *const OptionCombos[] = {"cmbxColorDepth",  "cmbxGraphicsQuality", "cmbxAudioQuality",
                                    "cmbxRedirectAudio", "cmbxRedirectVideo", "cmbxRedirectMic",
                                    "cmbxLatency",      "cmbxSecurity",        "cmbxWindowSize"};

// "name=value": a line edit takes the text, a combo the row, a group box
// "on" or "off"; a button is clicked.
void set(QDialog *dialog, const QStringList &assignments)
{
    const QStringList missing = fillForm(dialog, assignments);
    if (!missing.isEmpty())
        qFatal("no widget %s", qPrintable(missing.join(QLatin1Char(' '))));
}

// A combo as "item;item@current", the form of the option-set table below.
QString comboState(QComboBox *combo)
{
    QStringList texts;
    for (int i = 0; i < combo->count(); ++i)
        texts << combo->itemText(i);
    return texts.join(QLatin1Char(';')) + QLatin1Char('@') + QString::number(combo->currentIndex());
}

QStringList optionState(QDialog *dialog)
{
    QStringList out;
    for (const char *name : OptionCombos)
        out << comboState(child<QComboBox>(dialog, name));
    return out;
}

// One warning of this text, the dialog still open; or, with an empty text,
// closed accepted without any box.
void checkOutcome(QDialog *dialog, const ScriptedPrompter &p, const QString &text)
{
    QCOMPARE(p.texts(), text.isEmpty() ? QStringList() : QStringList{text});
    QCOMPARE(p.texts(QStringLiteral("warning")).size(), p.calls.size());
    QCOMPARE(dialog->isVisible(), !text.isEmpty());
    if (text.isEmpty())
        QCOMPARE(dialog->result(), 1);
}

const QString pctText = QStringLiteral("\n'Percent of screen' value must be in the range 1-100");
const QString Depths = QStringLiteral("8 bit;High color (16 bit);True color (24 bit);True color (32 bit);Auto");
const QString Qualities = QStringLiteral("Medium;High;Best;Auto");
const QString Latencies = QStringLiteral("Low (LAN);Medium (WAN);High (Internet/VPN);Auto");
const QString Window = QStringLiteral("Full screen;Percent of screen;Auto@2");

} // namespace

class TestAccessProtocolDialogs : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        m_settings = new QSettings(m_dir.filePath(QStringLiteral("s.ini")), QSettings::IniFormat);
        m_settings->clear();
    }
    void cleanup() { delete m_settings; }

    void optionSets_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<QStringList>("combos");
        const QString yesNo = QStringLiteral("Yes;No@");
        QTest::newRow("Citrix HDX") << 0
            << QStringList{"8 bit;High color (16 bit);True color (24 bit);Auto@3", "Auto@0", Qualities + "@3", yesNo + "0",
                           yesNo + "1", yesNo + "0", "Auto@0", "Default;SSL@0", Window};
        QTest::newRow("RemoteFX") << 1
            << QStringList{"True color (32 bit)@0", Qualities + "@3", "Best@0", yesNo + "0", yesNo + "1", yesNo + "1",
                           Latencies + "@3", "Default;SSL;NLA@0", Window};
        const QStringList rdp{Depths + "@4", Qualities + "@3", "Best@0", yesNo + "0", yesNo + "1", yesNo + "0",
                              Latencies + "@3", "Default;SSL;NLA@0", Window};
        QTest::newRow("RDP") << 2 << rdp;
        QTest::newRow("VNC") << 3
            << QStringList{Depths + "@4", Qualities + "@3", "@-1", "No@0", "No@0", "No@0", Latencies + "@3",
                           "Default;SSL@0", Window};
        QTest::newRow("X11") << 4
            << QStringList{Depths + "@4", "Best@0", "@-1", "No@0", "No@0", "No@0", "Low (LAN)@0", "Default@0", Window};
        QTest::newRow("Spice") << 5
            << QStringList{"High color (16 bit);True color (32 bit);Auto@2", "Auto@0", "Auto@0", yesNo + "0", "No@0",
                           yesNo + "0", Latencies + "@3", "Default;SSL@0", Window};
        QTest::newRow("NoMachine NX") << 6
            << QStringList{Depths + "@4", Qualities + "@1", "Best@0", yesNo + "0", "No@0", "No@0", Latencies + "@0",
                           "Default@0", Window};
        QTest::newRow("Telnet") << 9
            << QStringList{"True color (32 bit)@0", "Best@0", "Best@0", "No@0", "No@0", "No@0", "@-1", "Default@0",
                           Window};
        QTest::newRow("Tn3270") << 10
            << QStringList{"True color (32 bit)@0", "Best@0", "Best@0", "No@0", "No@0", "No@0", "@-1", "Default;SSL@0",
                           Window};
        QTest::newRow("VMWare View") << 11 << rdp;
    }

    // Every fill starts from nothing: what was chosen before is gone, and the
    // percentage box ends disabled.
    void optionSets()
    {
        QFETCH(int, index);
        QFETCH(QStringList, combos);
        DlgConnectionType dialog(nullptr, false, m_settings);
        set(&dialog, {QStringLiteral("cmbxConxType=%1").arg(index)});
        for (const char *name : OptionCombos)
            child<QComboBox>(&dialog, name)->setCurrentIndex(1);
        QVERIFY(child<QLineEdit>(&dialog, "tbxWindowPercentage")->isEnabled());
        set(&dialog, {QStringLiteral("cmbxConxType=%1").arg(index == 9 ? 10 : 9),
                      QStringLiteral("cmbxConxType=%1").arg(index)});
        QCOMPARE(optionState(&dialog), combos);
        QVERIFY(!child<QLineEdit>(&dialog, "tbxWindowPercentage")->isEnabled());
    }

    void setDefaults_data()
    {
        QTest::addColumn<int>("index");
        for (int index : {0, 5})
            QTest::newRow(AccessProtocolTable::protocol(index)->itemText) << index;
    }

    // Every combo goes back to its preselection but redirect video, which keeps
    // the administrator's choice.
    void setDefaults()
    {
        QFETCH(int, index);
        DlgConnectionType dialog(nullptr, false, m_settings);
        set(&dialog, {QStringLiteral("cmbxConxType=%1").arg(index)});
        const QStringList fresh = optionState(&dialog);
        for (const char *name : OptionCombos) {
            auto *combo = child<QComboBox>(&dialog, name);
            combo->setCurrentIndex(combo->count() > 1 ? (combo->currentIndex() + 1) % combo->count() : 0);
        }
        auto *video = child<QComboBox>(&dialog, "cmbxRedirectVideo");
        const QString videoChoice = comboState(video);
        child<QPushButton>(&dialog, "btnSetDefaults")->click();
        QStringList expected = fresh;
        expected[4] = videoChoice;
        QCOMPARE(optionState(&dialog), expected);
        QVERIFY(!child<QLineEdit>(&dialog, "tbxWindowPercentage")->isEnabled());
    }

    void validation_data()
    {
        QTest::addColumn<QStringList>("assignments");
        QTest::addColumn<QString>("text");
        const QString hostText = QStringLiteral("\nYou must enter a valid hostname or 0.0.0.0");
        const QString user = QStringLiteral("\nFor the selected access protocol, username field cannot be empty");
        const QString pw = QStringLiteral("\nPassword field cannot be empty");
        const QString differ = QStringLiteral("\nThe two passwords do not match!");

        QTest::newRow("defaults") << QStringList{} << "";
        QTest::newRow("percent 0") << QStringList{"cmbxWindowSize=1", "tbxWindowPercentage=0"} << pctText;
        QTest::newRow("percent 101") << QStringList{"cmbxWindowSize=1", "tbxWindowPercentage=101"} << pctText;
        QTest::newRow("percent empty") << QStringList{"cmbxWindowSize=1", "tbxWindowPercentage="} << pctText;
        QTest::newRow("percent 1") << QStringList{"cmbxWindowSize=1", "tbxWindowPercentage=1"} << "";
        QTest::newRow("percent 100") << QStringList{"cmbxWindowSize=1", "tbxWindowPercentage=100"} << "";
        QTest::newRow("percent 0 ignored unless chosen") << QStringList{"cmbxWindowSize=1", "tbxWindowPercentage=0",
                                                                        "cmbxWindowSize=0"} << "";
        QTest::newRow("percent before host")
            << QStringList{"tbxHostnamePort=", "cmbxWindowSize=1", "tbxWindowPercentage=0"} << pctText;
        QTest::newRow("empty host") << QStringList{"tbxHostnamePort="} << hostText;
        QTest::newRow("web: no host needed") << QStringList{"tbxHostnamePort=", "cmbxConxType=7"} << "";
        QTest::newRow("connection manager: no host needed") << QStringList{"tbxHostnamePort=", "cmbxConxType=8"} << "";
        QTest::newRow("korvane: no host needed") << QStringList{"tbxHostnamePort=", "cmbxConxType=13"} << "";
        QTest::newRow("rdp: user needed") << QStringList{"chbxAutoLogin=on", "tbxPassword=p", "tbxConfirmPassword=p"}
                                          << user;
        QTest::newRow("vnc: no user, password needed") << QStringList{"cmbxConxType=3", "chbxAutoLogin=on"} << pw;
        QTest::newRow("spice: passwords differ in case")
            << QStringList{"cmbxConxType=5", "chbxAutoLogin=on", "tbxPassword=Pw", "tbxConfirmPassword=pw"} << differ;
        QTest::newRow("tn3270: no user, matching passwords")
            << QStringList{"cmbxConxType=10", "chbxAutoLogin=on", "tbxPassword=p", "tbxConfirmPassword=p"} << "";
        QTest::newRow("performance monitor skips credentials")
            << QStringList{"chbxAutoLogin=on", "cmbxConxType=12"} << "";
        QTest::newRow("web keeps the credential checks")
            << QStringList{"chbxAutoLogin=on", "tbxUsername=u", "cmbxConxType=7"} << pw;
    }

    void validation()
    {
        QFETCH(QStringList, assignments);
        QFETCH(QString, text);
        DlgConnectionType dialog(nullptr, false, m_settings);
        dialog.show();
        set(&dialog, assignments);
        ScriptedPrompter p;
        dialog.accept();
        checkOutcome(&dialog, p, text);
        if (text == pctText)
            QCOMPARE(child<QLineEdit>(&dialog, "tbxWindowPercentage")->text(), QStringLiteral("000"));
    }

    // The percentage's mask keeps the place of a deleted digit as a blank;
    // what goes out is what the field shows, or the box.
    void percentageAsShown_data()
    {
        QTest::addColumn<QString>("start");
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("sent");   // empty: refused

        QTest::newRow("middle digit deleted") << "100" << 1 << 1 << "\x7f" << "";
        QTest::newRow("two digits typed over by one") << "100" << 0 << 2 << "5" << "";
        QTest::newRow("last digit rubbed out") << "80" << 2 << 2 << "\b" << "8";
        QTest::newRow("first digit typed over") << "80" << 0 << 1 << "5" << "50";
    }

    void percentageAsShown()
    {
        QFETCH(QString, start);
        QFETCH(int, from);
        QFETCH(int, to);
        QFETCH(QString, keys);
        QFETCH(QString, sent);
        DlgConnectionType dialog(nullptr, false, m_settings);
        dialog.show();
        set(&dialog, {"cmbxWindowSize=1", "tbxWindowPercentage=" + start});
        auto *field = child<QLineEdit>(&dialog, "tbxWindowPercentage");
        if (to > from)
            field->setSelection(from, to - from);
        else
            field->setCursorPosition(from);
        for (const QChar key : keys) {
            if (key == QLatin1Char('\x7f'))
                QTest::keyClick(field, Qt::Key_Delete);
            else if (key == QLatin1Char('\b'))
                QTest::keyClick(field, Qt::Key_Backspace);
            else
                QTest::keyClicks(field, QString(key));
        }
        const QString shown = field->displayText().trimmed();
        ScriptedPrompter p;
        dialog.accept();
        checkOutcome(&dialog, p, sent.isEmpty() ? pctText : QString());
        if (!sent.isEmpty()) {
            QCOMPARE(shown, sent);
            QCOMPARE(dialog.windowPercentage, sent);
        }
    }

    void autoReconnectWarnsOnce()
    {
        DlgConnectionType dialog(nullptr, false, m_settings);
        ScriptedPrompter p;
        set(&dialog, {"chbxAutoReconnect=on", "chbxAutoReconnect=off", "chbxAutoReconnect=on"});
        QCOMPARE(p.texts(QStringLiteral("warning")),
                 QStringList{"\nSelecting auto reconnect will increase load on the server. Proceed with caution!"});
        dialog.accept();
        QVERIFY(dialog.autoReconnect);
    }

    void wizardCancel_data()
    {
        QTest::addColumn<bool>("wizard");
        QTest::addColumn<QMessageBox::StandardButton>("answer");
        QTest::addColumn<bool>("closed");
        QTest::newRow("outside the wizard") << false << QMessageBox::NoButton << true;
        QTest::newRow("wizard, yes") << true << QMessageBox::Yes << true;
        QTest::newRow("wizard, no") << true << QMessageBox::No << false;
    }

    void wizardCancel()
    {
        QFETCH(bool, wizard);
        QFETCH(QMessageBox::StandardButton, answer);
        QFETCH(bool, closed);
        DlgConnectionType dialog(nullptr, wizard, m_settings);
        dialog.show();
        set(&dialog, {"cmbxConxType=3", "tbxHostnamePort=10.0.0.9"});
        ScriptedPrompter p;
        if (wizard)
            p.answer(answer);
        dialog.reject();
        QCOMPARE(p.texts(), wizard ? QStringList{"Korvane wizard cannot continue unless you select an access protocol "
                                                 "type.\n\nDo you want to abort the wizard?"}
                                   : QStringList());
        QCOMPARE(!dialog.isVisible(), closed);
        if (!closed) {
            QCOMPARE(child<QComboBox>(&dialog, "cmbxConxType")->currentIndex(), 3);
            QCOMPARE(child<QLineEdit>(&dialog, "tbxHostnamePort")->text(), QStringLiteral("10.0.0.9"));
        }
    }

    void helpCode_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("code");
        QTest::newRow("rdp at start") << -1 << 3;
        QTest::newRow("web") << 7 << 8;
        QTest::newRow("media player") << 15 << 16;
    }

    void helpCode()
    {
        QFETCH(int, index);
        QFETCH(int, code);
        DlgConnectionType dialog(nullptr, false, m_settings);
        if (index >= 0)
            set(&dialog, {QStringLiteral("cmbxConxType=%1").arg(index)});
        QSignalSpy spy(&dialog, &DlgConnectionType::onGetRemoteProtocolHelp);
        child<QPushButton>(&dialog, "btnGetRemoteHelp")->click();
        QCOMPARE(spy.size(), 1);
        QCOMPARE(spy.first().first().toInt(), code);
    }

    void signageHandOff_data()
    {
        QTest::addColumn<bool>("accepted");
        QTest::newRow("accepted") << true;
        QTest::newRow("cancelled, no wizard question") << false;
    }

    void signageHandOff()
    {
        QFETCH(bool, accepted);
        m_settings->setValue(QStringLiteral("signageContentDir1"), QStringLiteral("/content/one"));
        DlgConnectionType dialog(nullptr, true, m_settings);
        dialog.show();
        ScriptedPrompter p;
        QString shownDir;
        p.answerDialog([&](QDialog *d) {
            shownDir = child<QLineEdit>(d, "tbxOp1ContDir")->text();
            child<QLineEdit>(d, "tbxOp1ContDir")->setText(QStringLiteral("/content/new"));
            accepted ? d->accept() : d->reject();
            return d->result();
        });
        set(&dialog, {"cmbxConxType=14"});
        QCOMPARE(p.calls.size(), 1);
        QCOMPARE(p.last().dialogClass, QStringLiteral("DlgDigitalSignage"));
        QCOMPARE(shownDir, QStringLiteral("/content/one"));
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.result(), accepted ? 1 : 0);
        QCOMPARE(m_settings->value(QStringLiteral("signageContentDir1")).toString(),
                 accepted ? QStringLiteral("/content/new") : QStringLiteral("/content/one"));
        QCOMPARE(m_settings->contains(QStringLiteral("signageContentDir2")), accepted);
        if (accepted) {
            QCOMPARE(dialog.connType, 15);
            QCOMPARE(dialog.connTypeIndex, 14);
            QVERIFY(dialog.signageOutputs[0].enabled && dialog.signageOutputs[0].syncNow);
            QCOMPARE(dialog.signageOutputs[0].mode, QStringLiteral("movies"));
        }
    }

    void signageValidation_data()
    {
        QTest::addColumn<QStringList>("assignments");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("output1");   // what OK leaves, "mode|duration|url|sync"
        const QString noSync = QStringLiteral("chbxOp1SyncNow=off");
        QTest::newRow("no output") << QStringList{"gboxOutput1=off"} << "\nYou must select at least one output" << "";
        QTest::newRow("sync without directory")
            << QStringList{} << "\nIn Output1, 'Content directory' cannot be empty" << "";
        QTest::newRow("movies without sync") << QStringList{noSync} << "" << "movies|||0";
        QTest::newRow("duration 0") << QStringList{noSync, "rdbtnOp1Image=on", "tbxOp1Duration=0"} << ""
                                    << "images|0||0";
        QTest::newRow("duration keeps a leading zero")
            << QStringList{noSync, "rdbtnOp1Image=on", "tbxOp1Duration=07"} << "" << "images|07||0";
        for (const char *wrong : {"-1", "abc", "10s"})
            QTest::newRow(wrong) << QStringList{noSync, "rdbtnOp1Image=on", QStringLiteral("tbxOp1Duration=") + wrong}
                                 << "\nIn Output1, 'Display duration' is not a valid number" << "";
        QTest::newRow("duration empty before directory")
            << QStringList{"rdbtnOp1Image=on"} << "\nIn Output1, 'Display duration' field cannot be empty" << "";
        QTest::newRow("url empty") << QStringList{noSync, "rdbtnOp1Browser=on", "tbxOp1Url="}
                                   << "\nIn Output1, you must provide a valid URL for web browser" << "";
        QTest::newRow("any url") << QStringList{noSync, "rdbtnOp1Browser=on", "tbxOp1Url=x y"} << "" << "browser||x y|0";
        QTest::newRow("output 2 before output 3")
            << QStringList{noSync, "gboxOutput2=on", "rdbtnOp2Browser=on", "tbxOp2Url=", "gboxOutput3=on",
                           "rdbtnOp3Image=on"}
            << "\nIn Output2, you must provide a valid URL for web browser" << "";
    }

    void signageValidation()
    {
        QFETCH(QStringList, assignments);
        QFETCH(QString, text);
        QFETCH(QString, output1);
        QString dirs[3] = {QString(), QStringLiteral("/c2"), QStringLiteral("/c3")};
        DlgDigitalSignage dialog(nullptr, &dirs[0], &dirs[1], &dirs[2]);
        dialog.show();
        set(&dialog, assignments);
        ScriptedPrompter p;
        dialog.accept();
        checkOutcome(&dialog, p, text);
        if (text.isEmpty()) {
            const SignageOutput &o = dialog.outputs[0];
            QCOMPARE(QStringList({o.mode, o.duration, o.url, QString::number(o.syncNow)}).join(QLatin1Char('|')),
                     output1);
            QVERIFY(!dialog.outputs[1].enabled && !dialog.outputs[2].enabled);
        }
    }

    // OK writes the directory of every ticked output, sync or not, and never
    // that of an unticked one; a cancelled chooser keeps the field.
    void signageDirectories()
    {
        QString dirs[3] = {QStringLiteral("/c1"), QStringLiteral("/c2"), QStringLiteral("/c3")};
        DlgDigitalSignage dialog(nullptr, &dirs[0], &dirs[1], &dirs[2]);
        dialog.show();
        ScriptedPrompter p;
        p.answerText(QStringLiteral("/picked2"));
        p.answerText(QString());
        p.answerText(QStringLiteral("/picked3"));
        set(&dialog, {"gboxOutput2=on", "chbxOp2SyncNow=off"});
        child<QPushButton>(&dialog, "btnOp2Browse")->click();
        child<QPushButton>(&dialog, "btnOp1Browse")->click();
        child<QPushButton>(&dialog, "btnOp3Browse")->click();
        dialog.accept();
        QCOMPARE(dialog.result(), 1);
        QCOMPARE(QStringList(std::begin(dirs), std::end(dirs)), (QStringList{"/c1", "/picked2", "/c3"}));
        QCOMPARE(p.calls.size(), 2);   // output 3 is off: its button does nothing
        for (const ScriptedPrompter::Call &call : p.calls)
            QCOMPARE(call.options, QFileDialog::ShowDirsOnly | QFileDialog::DontResolveSymlinks);
    }

private:
    QTemporaryDir m_dir;
    QSettings *m_settings = nullptr;
};

QTEST_MAIN(TestAccessProtocolDialogs)
#include "tst_accessprotocoldialogs.moc"
