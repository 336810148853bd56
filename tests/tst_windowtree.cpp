// ctest-timeout: 300
// The main window's device trees: rows that follow registration and
// disconnection of a simulated device over TLS, a column layout saved while
// running, and the tree's context menu reaching the window; filing and the
// rows' contents are the tree's own tests.
#include "mainwindow/deptinfo.h"
#include "mainwindow/devicetree.h"
#include "mainwindow/dlgshowdevinfo.h"
#include "mainwindow/mainwindow.h"
#include "mainwindow/orltreeview.h"
#include "mainwindow/treerows.h"
#include "deptsupport.h"
#include "scriptedprompter.h"
#include "simdevice.h"
#include "windowfixture.h"

#include "devicelink/devicerow.h"
#include "devicelink/sslserver.h"
#include "devicelink/thinclientinfo.h"

#include <QApplication>
#include <QDir>
#include <QMenu>
#include <QStandardItemModel>
#include <QTimer>
#include <QtTest>

#include <memory>

using namespace WindowFixture;

namespace {
QStandardItem *cell(const ThinclientInfo *record, int column)
{
    return record->item->parent()->child(record->item->row(), column);
}

// Answers the next popup menu by triggering the entry named; `offered`
// tells whether the menu had it.
void answerMenu(const QString &choice, bool *offered = nullptr)
{
    if (offered)
        *offered = false;
    QTimer::singleShot(0, qApp, [choice, offered] {
        auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        if (!menu)
            return;
        for (QAction *action : menu->actions())
            if (action->text() == choice) {
                if (offered)
                    *offered = true;
                action->trigger();
            }
        menu->close();
    });
}
} // namespace

class TestWindowTree : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void layoutSavedWhileRunningWaitsForTheNextStart();
    void registrationAndDisconnectOverTls();
    void contextMenu();

private:
    std::unique_ptr<MainWindow> openWindow();
    ThinclientInfo *registerDevice(MainWindow *w, const QString &name);
    QObject records;
};

void TestWindowTree::init()
{
    QSettings(QStringLiteral("Halvard"), QStringLiteral("korvane_server")).clear();
    QDir(QDir::tempPath() + QStringLiteral("/korvane")).removeRecursively();
}

void TestWindowTree::cleanup()
{
    qDeleteAll(records.children());
}

std::unique_ptr<MainWindow> TestWindowTree::openWindow()
{
    QSettings *store = newSettings();
    seedPreferences(store, freeTcpPort(), freeUdpPort());
    store->setValue(QStringLiteral("discoveryState"), false);
    return std::make_unique<MainWindow>(nullptr, environment(store));
}

ThinclientInfo *TestWindowTree::registerDevice(MainWindow *w, const QString &name)
{
    ThinclientInfo *r = DeptSupport::device(&records, QStringLiteral("ORL K1"), name, QStringLiteral("m-") + name);
    r->ipAddress = QStringLiteral("198.18.0.") + QString::number(records.children().size());
    emit w->sslServer->onDeviceRegistered(r);
    return r;
}

// The preferences save a new column layout while the console runs: rows
// filed and cells written afterwards still follow the headers shown.
void TestWindowTree::layoutSavedWhileRunningWaitsForTheNextStart()
{
    ScriptedPrompter prompter;
    auto w = openWindow();
    const QStringList shown = DeviceTree::headerLabels(w->settings);
    QCOMPARE(shown.at(2), QStringLiteral("IP address"));
    // What saving "Timezone" dragged to the top writes.
    w->settings->setValue(QStringLiteral("colTimezone"), 0);
    w->settings->setValue(QStringLiteral("colIpAddress"), 1);
    w->settings->setValue(QStringLiteral("colMacAddress"), -1);
    w->settings->setValue(QStringLiteral("colText0"), QStringLiteral("Timezone"));
    w->settings->setValue(QStringLiteral("colText1"), QStringLiteral("IP address"));

    ThinclientInfo *r = registerDevice(w.get(), "front");
    r->timezone = QStringLiteral("Europe/Oslo");
    DeviceRow::setColumnText(w->settings, r, "colTimezone", r->timezone);

    QCOMPARE(DeviceTree::headerLabels(w->settings), shown);
    QCOMPARE(cell(r, int(shown.indexOf(QStringLiteral("IP address"))))->text(), r->ipAddress);
    QCOMPARE(cell(r, int(shown.indexOf(QStringLiteral("MAC address"))))->text(), r->macAddress);
}

void TestWindowTree::registrationAndDisconnectOverTls()
{
    ScriptedPrompter prompter;
    auto w = openWindow();
    DeptInfo *orphans = w->currentDepartment;

    SimDeviceConfig config = SimDeviceConfig::numbered(0);
    config.bootMode = 3;
    SimDevice device(config);
    device.connectToConsole(QStringLiteral("127.0.0.1"), w->sslServer->serverPort());
    QTRY_COMPARE_WITH_TIMEOUT(w->devices.size(), 1, 15000);
    ThinclientInfo *rec = *w->devices.cbegin();
    QCOMPARE(orphans->devices, QList<ThinclientInfo *>{rec});
    QStandardItem *row = rec->item;
    QCOMPARE(row->parent(), orphans->groupItems.value(config.model));
    QCOMPARE(row->text(), config.deviceName);
    QCOMPARE(cell(rec, 1)->text(), QStringLiteral("Awaiting firmware upgrade"));
    QCOMPARE(cell(rec, 3)->text(), config.macAddress);

    // The administrator ticks it: a click anywhere in the row copies the box.
    row->setCheckState(Qt::Checked);
    w->onTreeViewClicked(orphans->model->indexFromItem(cell(rec, 4)));
    QVERIFY(rec->checked);

    device.disconnectFromConsole();
    QTRY_VERIFY_WITH_TIMEOUT(!rec->online, 10000);
    QVERIFY(!row->isEnabled() && !cell(rec, 3)->isEnabled());

    // Registering again takes over the old record, row and tick.
    device.reconnect();
    QTRY_VERIFY_WITH_TIMEOUT(rec->online, 15000);
    QCOMPARE(w->devices.size(), 1);
    QCOMPARE(*w->devices.cbegin(), rec);
    QCOMPARE(rec->item, row);
    QCOMPARE(orphans->groupItems.value(config.model)->rowCount(), 1);
    QCOMPARE(orphans->devices.size(), 1);
    QVERIFY(rec->checked);
    QCOMPARE(row->checkState(), Qt::Checked);
    QCOMPARE(cell(rec, 1)->text(), QStringLiteral("In upgrade mode"));
    QVERIFY(row->isEnabled() && cell(rec, 3)->isEnabled());

    w->collectSelectedModels();
    QCOMPARE(w->selectedModels, QStringList{QString(config.model).replace(' ', '_')});
    QVERIFY(prompter.calls.isEmpty());

    // It comes back reporting another model (a firmware of another model
    // went on it): its row, tick and all, goes to that model's group.
    device.disconnectFromConsole();
    QTRY_VERIFY_WITH_TIMEOUT(!rec->online, 10000);
    device.config().model = QStringLiteral("ORL WY");
    device.reconnect();
    QTRY_VERIFY_WITH_TIMEOUT(rec->online, 15000);
    QCOMPARE(rec->item, row);
    QCOMPARE(row->parent(), orphans->groupItems.value(QStringLiteral("ORL WY")));
    QCOMPARE(orphans->groupItems.value(config.model)->rowCount(), 0);
    QCOMPARE(row->checkState(), Qt::Checked);
}

void TestWindowTree::contextMenu()
{
    ScriptedPrompter prompter;
    auto w = openWindow();
    DeptInfo *dept = w->currentDepartment;
    ThinclientInfo *a = registerDevice(w.get(), "a");
    ThinclientInfo *b = registerDevice(w.get(), "b");
    b->item->setCheckState(Qt::Checked);
    b->checked = true;
    w->resize(1000, 600);
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.get()));
    OrlTreeView *view = dept->treeView;
    QStandardItem *group = dept->groupItems.value("ORL K1");
    const auto pointAt = [&](QStandardItem *item) { return view->visualRect(dept->model->indexFromItem(item)).center(); };

    // Which entries a row offers is the selection's own test; here, that they reach the window.
    answerMenu(QStringLiteral("Invert selection"));
    w->onTreeViewRightClicked(pointAt(group));
    QVERIFY(a->checked && !b->checked);
    QCOMPARE(b->item->checkState(), Qt::Unchecked);
    QCOMPARE(dept->contextItem, nullptr);
    answerMenu(QStringLiteral("Select all"));
    w->onTreeViewRightClicked(pointAt(group));
    QVERIFY(a->checked && b->checked);
    answerMenu(QStringLiteral("Deselect all"));
    w->onTreeViewRightClicked(pointAt(group));
    QVERIFY(!a->checked && !b->checked);
    QCOMPARE(a->item->checkState(), Qt::Unchecked);

    // A device row offers its information, shown through the prompter.
    QStringList shown;
    prompter.answerDialog([&](QDialog *dialog) {
        auto *info = qobject_cast<DlgShowDevInfo *>(dialog);
        if (info)
            shown << info->tableModel()->item(1, 0)->text() << info->tableModel()->item(1, 1)->text();
        return 0;
    });
    answerMenu(QStringLiteral("Show device info"));
    w->onTreeViewRightClicked(pointAt(cell(b, 3)));
    QCOMPARE(shown, QStringList({"Description", "b"}));
    QCOMPARE(dept->contextItem, nullptr);

    // An empty cell of a group row offers it too, and it does nothing.
    QStandardItem *groupCell = dept->rootItem->child(group->row(), 3);
    bool offered = false;
    answerMenu(QStringLiteral("Show device info"), &offered);
    w->onTreeViewRightClicked(pointAt(groupCell));
    QVERIFY(offered);
    QCOMPARE(prompter.calls.size(), 1);
    QVERIFY(prompter.unexpected.isEmpty());
}

QTEST_MAIN(TestWindowTree)
#include "tst_windowtree.moc"
