// USB redirection: the list dialog, the choice frame, and the round trip that
// sends the choice back to the device whose list was shown.
#include "commands/dlgusbredirection.h"
#include "commands/packets/configpackets.h"
#include "commands/usbredirectionroundtrip.h"
#include "devicelink/thinclientinfo.h"
#include "scriptedprompter.h"

#include <QCheckBox>
#include <QSslSocket>
#include <QTableWidget>
#include <QtTest>

using namespace ConfigPackets;

class TestUsbRedirection : public QObject
{
    Q_OBJECT
private slots:
    void dialogRows();
    void choice_data();
    void choice();
    void cancel();
    void answersTheDeviceWhoseListIsShown();
    void deviceGoneSendsNothing_data();
    void deviceGoneSendsNothing();
    void listNobodyAskedFor();
    void secondListWhileFirstIsOpen();
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
    DlgUsbRedirection dlg(nullptr, entries);
    QCOMPARE(dlg.windowTitle(), QStringLiteral("Select USB devices to redirect"));
    QCOMPARE(dlg.objectName(), QStringLiteral("DlgUsbRedirection"));
    QTableWidget *t = table(&dlg);
    QVERIFY(t);
    QCOMPARE(t->rowCount(), 5);
    QCOMPARE(t->columnCount(), 3);
    QCOMPARE(t->horizontalHeaderItem(1)->text(), QStringLiteral("ID"));
    QCOMPARE(t->horizontalHeaderItem(2)->text(), QStringLiteral("Description"));
    const QStringList ids{"1d6b:0002", "0781:5567", "046d:c52b", "abcdefghi", ""};
    const QStringList descriptions{"Linux Foundation 2.0 root hub", "SanDisk Cruzer Blade",
                                   "Logitech Unifying Receiver", "", ""};
    for (int row = 0; row < 5; ++row) {
        QCOMPARE(t->item(row, 1)->text(), ids.at(row));
        QCOMPARE(t->item(row, 2)->text(), descriptions.at(row));
        QVERIFY(rowBox(&dlg, row));
        QVERIFY(!rowBox(&dlg, row)->isChecked());
    }
    QCOMPARE(t->columnWidth(0), 20);
    QCOMPARE(t->columnWidth(1), 80);
}

void TestUsbRedirection::choice_data()
{
    QTest::addColumn<QList<int>>("rows");
    QTest::addColumn<QStringList>("ids");
    QTest::addColumn<QByteArray>("frame");

    QTest::newRow("none") << QList<int>() << QStringList() << QByteArray::fromHex("2c00000100");
    QTest::newRow("colons become underscores")
        << QList<int>{2, 0} << QStringList{"1d6b_0002", "046d_c52b"}
        << QByteArray::fromHex("2c0000190" "2" "000a316436625f3030303200" "000a303436645f6335326200");
    QTest::newRow("empty ID") << QList<int>{4} << QStringList{""} << QByteArray::fromHex("2c00000401000100");
}

void TestUsbRedirection::choice()
{
    QFETCH(QList<int>, rows);
    QFETCH(QStringList, ids);
    QFETCH(QByteArray, frame);
    DlgUsbRedirection dlg(nullptr, entries);
    for (int row : rows)
        rowBox(&dlg, row)->setChecked(true);
    dlg.accept();
    QCOMPARE(dlg.result(), 1);
    QCOMPARE(dlg.selectedIds, ids);
    QCOMPARE(setUsbRedirection(dlg.selectedIds).toHex(' '), frame.toHex(' '));
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

// Two online devices; A is asked, B becomes the selected one before A's list
// arrives: the choice still belongs to A.
void TestUsbRedirection::answersTheDeviceWhoseListIsShown()
{
    ThinclientInfo a, b;
    QSslSocket socketA, socketB;
    a.socket = &socketA;
    b.socket = &socketB;
    a.online = b.online = true;
    a.checked = true;

    UsbRedirectionRoundTrip roundTrip;
    roundTrip.requestSent(&a);
    QVERIFY(roundTrip.isAwaitingList(&a));
    QVERIFY(!roundTrip.isAwaitingList(&b));

    a.checked = false;
    b.checked = true;
    UsbRedirectionRoundTrip::Shown shown(roundTrip, &a);
    QVERIFY(shown.isValid());
    QCOMPARE(shown.device(), &a);
    QCOMPARE(shown.recipient(), &a);
    QVERIFY(!roundTrip.isAwaitingList(&a));
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
    roundTrip.requestSent(device);
    UsbRedirectionRoundTrip::Shown shown(roundTrip, device);
    QCOMPARE(shown.recipient(), device);

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
    QCOMPARE(shown.recipient(), nullptr);
    delete device;
    delete socket;
}

void TestUsbRedirection::listNobodyAskedFor()
{
    ThinclientInfo a, b;
    QSslSocket socket;
    a.socket = b.socket = &socket;
    a.online = b.online = true;

    UsbRedirectionRoundTrip roundTrip;
    UsbRedirectionRoundTrip::Shown unasked(roundTrip, &b);
    QVERIFY(!unasked.isValid());
    QCOMPARE(unasked.recipient(), nullptr);
    UsbRedirectionRoundTrip::Shown none(roundTrip, nullptr);
    QVERIFY(!none.isValid());

    // One request, one list: a repeated list opens nothing.
    roundTrip.requestSent(&a);
    roundTrip.requestSent(&a);
    QCOMPARE(roundTrip.awaitingCount(), 1);
    UsbRedirectionRoundTrip::Shown first(roundTrip, &a);
    UsbRedirectionRoundTrip::Shown again(roundTrip, &a);
    QVERIFY(first.isValid());
    QVERIFY(!again.isValid());
    QCOMPARE(roundTrip.awaitingCount(), 0);
}

void TestUsbRedirection::secondListWhileFirstIsOpen()
{
    ThinclientInfo a, b;
    QSslSocket socketA, socketB;
    a.socket = &socketA;
    b.socket = &socketB;
    a.online = b.online = true;

    UsbRedirectionRoundTrip roundTrip;
    roundTrip.requestSent(&a);
    roundTrip.requestSent(&b);
    UsbRedirectionRoundTrip::Shown outer(roundTrip, &a);
    {
        UsbRedirectionRoundTrip::Shown inner(roundTrip, &b);
        QCOMPARE(inner.recipient(), &b);
    }
    QCOMPARE(outer.recipient(), &a);
}

QTEST_MAIN(TestUsbRedirection)
#include "tst_usbredirection.moc"
