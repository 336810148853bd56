// USB redirection: the list dialog, the choice frame, and the round trip that
// sends the choice back to the device whose list was shown.
#include "commands/dlgusbredirection.h"
#include "commands/usbredirectionroundtrip.h"
#include "devicelink/thinclientinfo.h"
#include "scriptedprompter.h"

#include <QCheckBox>
#include <QSslSocket>
#include <QTableWidget>
#include <QtTest>

class TestUsbRedirection : public QObject
{
    Q_OBJECT
private slots:
    void dialogRows();
    void choice_data();
    void choice();
    void cancel();
    void deviceGoneSendsNothing_data();
    void deviceGoneSendsNothing();
    void oneListAtATime();
};

static const QStringList entries{
    QStringLiteral("  0011d6b:0002 Linux Foundation 2.0 root hub  "),
    QStringLiteral("0020781:5567 SanDisk Cruzer Blade"),
    QStringLiteral("003046d:c52b Logitech Unifying Receiver"),
    QStringLiteral("004abcdefghi"),   // 12 characters: no description
    QStringLiteral("ab"),             // too short for an ID
};

static QTableWidget *table(QDialog *dlg)
{
    return dlg->findChild<QTableWidget *>(QStringLiteral("table"));
}

static QCheckBox *rowBox(QDialog *dlg, int row)
{
    return qobject_cast<QCheckBox *>(table(dlg)->cellWidget(row, 0));
}

void TestUsbRedirection::dialogRows()
{
    // The ID is the 9 characters after a 3-character bus prefix; the rest,
    // trimmed, is the description.
    DlgUsbRedirection dlg(nullptr, entries);
    QTableWidget *t = table(&dlg);
    QCOMPARE(t->rowCount(), 5);
    const QStringList ids{"1d6b:0002", "0781:5567", "046d:c52b", "abcdefghi", ""};
    const QStringList descriptions{"Linux Foundation 2.0 root hub", "SanDisk Cruzer Blade",
                                   "Logitech Unifying Receiver", "", ""};
    for (int row = 0; row < 5; ++row) {
        QCOMPARE(t->item(row, 1)->text(), ids.at(row));
        QCOMPARE(t->item(row, 2)->text(), descriptions.at(row));
        QVERIFY(!rowBox(&dlg, row)->isChecked());
    }
}

void TestUsbRedirection::choice_data()
{
    QTest::addColumn<QList<int>>("rows");
    QTest::addColumn<QStringList>("ids");
    QTest::newRow("none") << QList<int>() << QStringList();
    QTest::newRow("colons become underscores, in row order") << QList<int>{2, 0}
                                                             << QStringList{"1d6b_0002", "046d_c52b"};
    QTest::newRow("empty ID") << QList<int>{4} << QStringList{""};
}

void TestUsbRedirection::choice()
{
    QFETCH(QList<int>, rows);
    QFETCH(QStringList, ids);
    DlgUsbRedirection dlg(nullptr, entries);
    for (int row : rows)
        rowBox(&dlg, row)->setChecked(true);
    dlg.accept();
    QCOMPARE(dlg.result(), 1);
    QCOMPARE(dlg.selectedIds, ids);
}

void TestUsbRedirection::cancel()
{
    ScriptedPrompter p;
    DlgUsbRedirection dlg(nullptr, entries);
    rowBox(&dlg, 0)->setChecked(true);
    p.answerDialog([](QDialog *d) {
        d->reject();
        return d->result();
    });
    QCOMPARE(prompter()->exec(&dlg), 0);
    QVERIFY(dlg.selectedIds.isEmpty());
}

void TestUsbRedirection::deviceGoneSendsNothing_data()
{
    QTest::addColumn<QString>("change");
    QTest::newRow("went offline") << "offline";
    QTest::newRow("socket dropped") << "nosocket";
    QTest::newRow("reconnected meanwhile") << "reconnect";
    QTest::newRow("socket destroyed") << "destroy";
    QTest::newRow("record destroyed") << "record";
}

void TestUsbRedirection::deviceGoneSendsNothing()
{
    QFETCH(QString, change);
    auto *device = new ThinclientInfo;
    auto *socket = new QSslSocket;
    QSslSocket other;
    device->socket = socket;
    device->online = true;
    device->checked = true;

    UsbRedirectionRoundTrip roundTrip;
    QVERIFY(roundTrip.keep(device, entries));
    QCOMPARE(roundTrip.recipient(), device);

    // While the dialog is open the device goes away in one way or another.
    if (change == QLatin1String("offline")) {
        device->online = false;
    } else if (change == QLatin1String("nosocket")) {
        device->socket = nullptr;
    } else if (change == QLatin1String("reconnect")) {
        device->socket = &other;
    } else if (change == QLatin1String("destroy")) {
        delete socket;
        socket = nullptr;
    } else {
        delete device;
        device = nullptr;
    }
    QCOMPARE(roundTrip.recipient(), nullptr);
    delete device;
    delete socket;
}

// Lists arrive inside socket signals, any number of them; only one at a
// time is kept for the dialog.
void TestUsbRedirection::oneListAtATime()
{
    ThinclientInfo a, b;
    QSslSocket socketA, socketB;
    a.socket = &socketA;
    b.socket = &socketB;
    a.online = b.online = true;

    UsbRedirectionRoundTrip roundTrip;
    QVERIFY(!roundTrip.keep(nullptr, entries));
    QVERIFY(roundTrip.keep(&a, entries));
    QVERIFY(!roundTrip.keep(&b, {QStringLiteral("0030000:0000 other")}));
    QCOMPARE(roundTrip.recipient(), &a);
    QCOMPARE(roundTrip.entries(), entries);
    roundTrip.release();
    QCOMPARE(roundTrip.recipient(), nullptr);
    QVERIFY(roundTrip.keep(&b, entries));
    QCOMPARE(roundTrip.recipient(), &b);
}

QTEST_MAIN(TestUsbRedirection)
#include "tst_usbredirection.moc"
