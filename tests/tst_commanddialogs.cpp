// The prompt dialogs and the four dialogs no command opens yet.
#include "commands/dialogselectmodel.h"
#include "commands/dlggettext.h"
#include "commands/dlgnicselection.h"
#include "commands/dlgsetcpuspeed.h"
#include "commands/dlgsetstatus.h"
#include "commands/dlgstartupmode.h"
#include "childwidget.h"
#include "scriptedprompter.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

class TestCommandDialogs : public QObject
{
    Q_OBJECT
private slots:
    void getTextValidation();
    void getTextFirstEditWipesPreset();
    void getTextRestrictedChars_data();
    void getTextRestrictedChars();
    void setStatus();
    void selectModel();
    void nicSelection();
    void startupMode();
    void cpuSpeed_data();
    void cpuSpeed();
};

void TestCommandDialogs::getTextValidation()
{
    ScriptedPrompter prompts;
    QString text;
    DlgGetText dlg(nullptr, QStringLiteral("Enter device name"), &text);
    QCOMPARE(child<QLabel>(&dlg, "lblText")->text(), QStringLiteral("Enter device name"));
    dlg.show();
    QTest::mouseClick(child<QPushButton>(&dlg, "btnOK"), Qt::LeftButton);
    QCOMPARE(prompts.calls.size(), 1);
    QCOMPARE(prompts.last().title, QStringLiteral("Input Validation"));
    QCOMPARE(prompts.last().text, QStringLiteral("You must enter some text!"));
    QVERIFY(dlg.isVisible());

    QTest::keyClicks(child<QLineEdit>(&dlg, "tbxText"), QStringLiteral("K-12 (hall)"));
    QTest::mouseClick(child<QPushButton>(&dlg, "btnOK"), Qt::LeftButton);
    QVERIFY(!dlg.isVisible());
    QCOMPARE(text, QStringLiteral("K-12 (hall)"));
    QCOMPARE(static_cast<QDialog &>(dlg).result(), 0);

    // Where empty text is allowed, OK takes it.
    QString empty = QStringLiteral("x");
    DlgGetText allow(nullptr, QString(), &empty, false, true);
    child<QLineEdit>(&allow, "tbxText")->clear();
    allow.onOK();
    QVERIFY(empty.isEmpty());
    QCOMPARE(prompts.calls.size(), 1);
}

void TestCommandDialogs::getTextFirstEditWipesPreset()
{
    QString text = QStringLiteral("Old name");
    DlgGetText dlg(nullptr, QString(), &text);
    QLineEdit *edit = child<QLineEdit>(&dlg, "tbxText");
    QCOMPARE(edit->text(), QStringLiteral("Old name"));
    QTest::keyClick(edit, Qt::Key_X);
    QCOMPARE(edit->text(), QString());
    QTest::keyClicks(edit, QStringLiteral("New"));
    QCOMPARE(edit->text(), QStringLiteral("New"));
}

void TestCommandDialogs::getTextRestrictedChars_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("kept");
    QTest::newRow("allowed set") << "aZ09-._ x" << "aZ09-._ x";
    QTest::newRow("punctuation dropped") << "ab!c#" << "abc";
    QTest::newRow("non-ascii dropped") << QString::fromUtf8("Büro") << "Bro";
}

void TestCommandDialogs::getTextRestrictedChars()
{
    QFETCH(QString, typed);
    QFETCH(QString, kept);
    QString text;
    DlgGetText dlg(nullptr, QString(), &text, true, false);
    QLineEdit *edit = child<QLineEdit>(&dlg, "tbxText");
    // Typed one key at a time, as QTest's key table has no non-ASCII keys.
    for (const QChar c : typed)
        QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_unknown, QString(c), Qt::NoModifier);
    QCOMPARE(edit->text(), kept);
}

void TestCommandDialogs::setStatus()
{
    DlgSetStatus dlg(nullptr, QStringLiteral("Firewall setting"), QStringLiteral("Set firewall status to:"));
    QCOMPARE(child<QLabel>(&dlg, "lblMsg")->text(), QStringLiteral("Set firewall status to:"));
    child<QDialogButtonBox>(&dlg, "buttonBox")->button(QDialogButtonBox::Ok)->click();
    QCOMPARE(dlg.result(), 1);
    QCOMPARE(dlg.status, QStringLiteral("Enabled"));

    DlgSetStatus off(nullptr, QString(), QString());
    child<QRadioButton>(&off, "rdbtnDisabled")->setChecked(true);
    off.accept();
    QCOMPARE(off.status, QStringLiteral("Disabled"));

    DlgSetStatus cancelled(nullptr, QString(), QString());
    child<QDialogButtonBox>(&cancelled, "buttonBox")->button(QDialogButtonBox::Cancel)->click();
    QCOMPARE(cancelled.result(), 0);
    QVERIFY(cancelled.status.isEmpty());
}

void TestCommandDialogs::selectModel()
{
    ScriptedPrompter prompts;
    QString model;
    DialogSelectModel dlg(nullptr, &model);
    QComboBox *models = child<QComboBox>(&dlg, "cmbxModels");
    QCOMPARE(models->currentIndex(), -1);
    dlg.show();
    dlg.accept();
    QVERIFY(dlg.isVisible());
    QVERIFY(model.isEmpty());
    models->setCurrentIndex(2);
    dlg.accept();
    QCOMPARE(dlg.result(), 1);
    QCOMPARE(model, QStringLiteral("ORL K3"));
    QVERIFY(prompts.calls.isEmpty());
}

void TestCommandDialogs::nicSelection()
{
    // The test namespace has lo and the veth pair: lo never shows.
    const QList<DlgNicSelection::Choice> choices = DlgNicSelection::choices(QNetworkInterface::allInterfaces());
    for (const DlgNicSelection::Choice &c : choices) {
        QVERIFY(!c.entry.ip().isLoopback());
        QCOMPARE(c.entry.ip().protocol(), QAbstractSocket::IPv4Protocol);
    }
    if (qEnvironmentVariable("KORVANE_IN_NETNS") == QLatin1String("1")) {
        QStringList ips;
        for (const DlgNicSelection::Choice &c : choices)
            ips << c.entry.ip().toString();
        QVERIFY(ips.contains(QStringLiteral("10.77.0.1")));
    }

    ScriptedPrompter prompts;
    QNetworkAddressEntry entry;
    DlgNicSelection dlg(nullptr, &entry);
    QComboBox *nics = child<QComboBox>(&dlg, "cmbxNIC");
    QCOMPARE(nics->count(), choices.size());
    QCOMPARE(nics->currentIndex(), -1);
    dlg.onOK();
    QCOMPARE(prompts.last().title, QStringLiteral("NIC Selection"));
    QCOMPARE(prompts.last().text, QStringLiteral("Please select network interface"));
    if (!choices.isEmpty()) {
        nics->setCurrentIndex(choices.size() - 1);
        dlg.onOK();
        QCOMPARE(entry.ip(), choices.last().entry.ip());
        QCOMPARE(dlg.result(), 0);
    }

    // Only loop-back (or nothing): an empty list that keeps asking.
    DlgNicSelection none(nullptr, &entry, QList<QNetworkInterface>());
    QCOMPARE(child<QComboBox>(&none, "cmbxNIC")->count(), 0);
    none.onOK();
    QCOMPARE(prompts.texts().size(), 2);
}

void TestCommandDialogs::startupMode()
{
    bool showMenu = true;
    DlgStartupMode dlg(nullptr, &showMenu);
    dlg.show();
    dlg.accept();
    QVERIFY(dlg.isVisible());
    child<QRadioButton>(&dlg, "rdbtnConnectToServer")->setChecked(true);
    dlg.accept();
    QCOMPARE(dlg.result(), 1);
    QVERIFY(!showMenu);

    DlgStartupMode menu(nullptr, &showMenu);
    child<QRadioButton>(&menu, "rdbtnShowMenu")->setChecked(true);
    menu.accept();
    QVERIFY(showMenu);
}

void TestCommandDialogs::cpuSpeed_data()
{
    QTest::addColumn<int>("min");
    QTest::addColumn<int>("max");
    QTest::addColumn<QString>("minSpeed");   // empty: refused
    QTest::addColumn<QString>("maxSpeed");
    QTest::newRow("unchanged") << -1 << -1 << "800000" << "800000";
    QTest::newRow("300 and 300") << 0 << 0 << "300000" << "300000";
    QTest::newRow("300 to 600") << 0 << 1 << "300000" << "600000";
    QTest::newRow("600 over 300") << 1 << 0 << QString() << QString();
}

void TestCommandDialogs::cpuSpeed()
{
    QFETCH(int, min);
    QFETCH(int, max);
    QFETCH(QString, minSpeed);
    QFETCH(QString, maxSpeed);
    ScriptedPrompter prompts;
    DlgSetCpuSpeed dlg(nullptr);
    if (min >= 0)
        child<QComboBox>(&dlg, "cmbxMinSpeed")->setCurrentIndex(min);
    if (max >= 0)
        child<QComboBox>(&dlg, "cmbxMaxSpeed")->setCurrentIndex(max);
    dlg.show();
    dlg.accept();
    QCOMPARE(dlg.minSpeed, minSpeed);
    QCOMPARE(dlg.maxSpeed, maxSpeed);
    if (minSpeed.isEmpty()) {
        QVERIFY(dlg.isVisible());
        QCOMPARE(prompts.last().kind, QStringLiteral("warning"));
        QCOMPARE(prompts.last().title, QStringLiteral("Invalid setting"));
        QCOMPARE(prompts.last().text, QStringLiteral("\nMinimum CPU speed cannot be greater than Maximum CPU speed"));
    } else {
        QCOMPARE(dlg.result(), 1);
        QVERIFY(prompts.calls.isEmpty());
    }
}

QTEST_MAIN(TestCommandDialogs)
#include "tst_commanddialogs.moc"
