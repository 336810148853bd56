// A department's device tree: header and widths from the settings, group and
// device rows, filing registered devices, and the wizard's model list.
#include "devicelink/columns.h"
#include "devicelink/devicerow.h"
#include "devicelink/thinclientinfo.h"
#include "mainwindow/deptinfo.h"
#include "mainwindow/devicetree.h"
#include "mainwindow/orltreeview.h"
#include "mainwindow/treerows.h"
#include "deptsupport.h"
#include "paintspy.h"

#include <QHeaderView>
#include <QScrollBar>
#include <QSettings>
#include <QSslSocket>
#include <QStandardItemModel>
#include <QtTest>

#include <climits>
#include <memory>
#include <optional>

namespace {
constexpr int NoKey = INT_MIN;   // a colSize<i> absent from the store

// A department with its tree, freed with its tree.
struct Dept {
    DeptInfo info;
    Dept(int id, const QString &name, QSettings *settings)
    {
        info.id = id;
        info.name = name;
        DeviceTree::createDeviceTreeView(&info, settings);
    }
    ~Dept() { DeviceTree::destroyDeviceTree(&info); }
};
} // namespace

class TestDeviceTree : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void headerAndWidths_data();
    void headerAndWidths();
    void defaultsLeaveAStoredLayout();
    void widthsSavedAndRestored();
    void changedRowsRepainted();
    void changesAroundSortedRows();
    void rowsOutOfSightNotTold_data();
    void rowsOutOfSightNotTold();
    void changedRowGoesBeforeThePassEnds_data();
    void changedRowGoesBeforeThePassEnds();
    void groupRowsPerModel();
    void regroupedRowKeepsSelection();
    void rowCells_data();
    void rowCells();
    void detectionText_data();
    void detectionText();
    void statusAndCheck_data();
    void statusAndCheck();
    void cellsActAsPlainItems_data();
    void cellsActAsPlainItems();
    void filing();
    void modelsForWizard();

private:
    ThinclientInfo *record(const QString &model, const QString &name, const QString &mac = QString());
    // Files count devices of one model, named d0, d1, ...
    QList<ThinclientInfo *> fileFleet(DeptInfo *dept, int count);
    QSettings settings{QStringLiteral("Halvard"), QStringLiteral("korvane_server")};
    QObject records;
};

void TestDeviceTree::init()
{
    settings.clear();
    Columns::renewLayout(&settings);
    qDeleteAll(records.children());
}

ThinclientInfo *TestDeviceTree::record(const QString &model, const QString &name, const QString &mac)
{
    return DeptSupport::device(&records, model, name, mac);
}

QList<ThinclientInfo *> TestDeviceTree::fileFleet(DeptInfo *dept, int count)
{
    QList<ThinclientInfo *> fleet;
    for (int i = 0; i < count; ++i) {
        fleet << record("ORL K1", QStringLiteral("d%1").arg(i));
        DeviceTree::fileDevice(dept, &settings, fleet.last());
    }
    return fleet;
}

void TestDeviceTree::headerAndWidths_data()
{
    QTest::addColumn<QStringList>("texts");          // colText0..
    QTest::addColumn<QList<int>>("sizes");           // colSize0..; empty: no keys
    QTest::addColumn<QStringList>("labels");
    QTest::addColumn<QList<int>>("widths");          // -1: Qt's default section size
    QTest::addColumn<int>("rowColumns");             // as the device server counts them

    QTest::newRow("defaults") << QStringList() << QList<int>()
                              << QStringList{"Device name", "Status", "IP address", "MAC address", "FW ver",
                                             "Hotfixes", "Resolution", "Remote server", "Client ver", "Protocol"}
                              << QList<int>() << 10;
    QTest::newRow("no optional columns")
        << QStringList{""} << QList<int>()
        << QStringList{"Device name", "Status"} << QList<int>() << 2;
    // An empty text in between is skipped; widths stop at the first negative.
    QTest::newRow("stored widths")
        << QStringList{"IP address", "", "Timezone", "Serial number"} << QList<int>{150, 250, 90, -1, 400}
        << QStringList{"Device name", "Status", "IP address", "Timezone", "Serial number"}
        << QList<int>{150, 250, 90, -1} << 3;
    // A key lost from the store does not hide its column.
    QTest::newRow("missing middle width")
        << QStringList{"IP address", "Timezone"} << QList<int>{150, NoKey, 90, -1}
        << QStringList{"Device name", "Status", "IP address", "Timezone"} << QList<int>{150, -1, 90} << 4;
}

void TestDeviceTree::headerAndWidths()
{
    QFETCH(QStringList, texts);
    QFETCH(QList<int>, sizes);
    QFETCH(QStringList, labels);
    QFETCH(QList<int>, widths);
    QFETCH(int, rowColumns);

    Columns::initDefaults(&settings);
    if (!texts.isEmpty())
        for (int i = 0; i < Columns::Count; ++i)
            settings.setValue(Columns::textKey(i), texts.value(i));
    for (int i = 0; i < sizes.size(); ++i)
        if (sizes.at(i) != NoKey)
            settings.setValue(Columns::sizeKey(i), sizes.at(i));

    Dept dept(0, "Orphans", &settings);
    QCOMPARE(DeviceTree::headerLabels(&settings), labels);
    QHeaderView *header = dept.info.treeView->header();
    QCOMPARE(header->count(), labels.size());
    for (int i = 0; i < labels.size(); ++i)
        QCOMPARE(header->model()->headerData(i, Qt::Horizontal).toString(), labels.at(i));
    for (int i = 0; i < widths.size(); ++i) {
        const int expected = widths.at(i) < 0 ? header->defaultSectionSize() : widths.at(i);
        QCOMPARE(header->sectionSize(i), expected);
    }
    // The server stops at the first empty text, whatever follows it.
    QCOMPARE(Columns::countFromSettings(&settings), rowColumns);
}

void TestDeviceTree::defaultsLeaveAStoredLayout()
{
    settings.setValue("colIpAddress", -1);
    settings.setValue("colTimezone", 0);
    settings.setValue(Columns::textKey(0), "Timezone");
    settings.setValue(Columns::textKey(1), "");
    Columns::initDefaults(&settings);
    QCOMPARE(settings.value("colIpAddress").toInt(), -1);
    QCOMPARE(settings.value("colTimezone").toInt(), 0);
    QCOMPARE(DeviceTree::headerLabels(&settings), (QStringList{"Device name", "Status", "Timezone"}));
}

// The widths saved at close cover the shown sections and end the list there,
// over whatever a wider layout left; the next tree opens with them.
void TestDeviceTree::widthsSavedAndRestored()
{
    Columns::initDefaults(&settings);
    for (int i = 0; i < Columns::MaxSizeKeys; ++i)
        settings.setValue(Columns::sizeKey(i), 77);
    for (int i = 2; i < Columns::Count; ++i)
        settings.setValue(Columns::textKey(i), QString());   // four sections

    QList<int> saved;
    int last = 0;   // the last section stretches to the view's edge
    {
        Dept dept(0, "Orphans", &settings);
        QHeaderView *header = dept.info.treeView->header();
        QCOMPARE(header->count(), 4);
        for (int i = 0; i < 3; ++i)
            header->resizeSection(i, 100 + i);
        last = header->sectionSize(3);
        DeviceTree::saveColumnWidths(header, &settings);
    }
    for (int i = 0; i < Columns::MaxSizeKeys; ++i)
        saved << settings.value(Columns::sizeKey(i)).toInt();
    QCOMPARE(saved, (QList<int>{100, 101, 102, last, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1}));

    Dept again(0, "Orphans", &settings);
    for (int i = 0; i < 3; ++i)
        QCOMPARE(again.info.treeView->header()->sectionSize(i), 100 + i);
}

// A changed value is repainted wherever its row is shown: at the top, the
// first row shown, or scrolled to the end of a long tree.
void TestDeviceTree::changedRowsRepainted()
{
    Columns::initDefaults(&settings);
    Dept dept(0, "Orphans", &settings);
    const QList<ThinclientInfo *> records = fileFleet(&dept.info, 300);
    OrlTreeView *view = dept.info.treeView;
    view->resize(600, 300);
    view->show();
    QVERIFY(QTest::qWaitForWindowExposed(view));

    const QList<QPair<ThinclientInfo *, QAbstractItemView::ScrollHint>> shown{
        {records.first(), QAbstractItemView::EnsureVisible},
        {records.at(150), QAbstractItemView::PositionAtTop},
        {records.last(), QAbstractItemView::EnsureVisible}};
    for (const auto &[r, hint] : shown) {
        view->scrollTo(r->item->index(), hint);
        QCoreApplication::processEvents();
        PaintSpy spy(view->viewport());
        DeviceRow::setText(r, 1, QStringLiteral("changed"));
        const QRect cell = view->visualRect(r->item->index().siblingAtColumn(1));
        QVERIFY(view->viewport()->rect().intersects(cell));
        QTRY_VERIFY(spy.painted.intersects(cell));
    }

    // A taller view shows more rows: the one now at its bottom is repainted
    // when it changes.
    // A change first, while the view is short, has it find its last row.
    view->scrollTo(records.first()->item->index(), QAbstractItemView::PositionAtTop);
    QCoreApplication::processEvents();
    DeviceRow::setText(records.first(), 1, QStringLiteral("changed again"));
    QCoreApplication::processEvents();
    view->resize(600, 600);
    QCoreApplication::processEvents();
    ThinclientInfo *bottom = TreeRows::recordOf(
        static_cast<QStandardItemModel *>(view->model())->itemFromIndex(view->indexAt(QPoint(5, view->viewport()->height() - 5))));
    QVERIFY(bottom);
    QVERIFY(view->visualRect(bottom->item->index()).bottom() > 300);
    PaintSpy spy(view->viewport());
    DeviceRow::setText(bottom, 1, QStringLiteral("changed"));
    QTRY_VERIFY(spy.painted.intersects(view->visualRect(bottom->item->index().siblingAtColumn(1))));
}

// The views hear of every changed row they may show, also when rows move
// between two changes of one pass: a sort puts another row where the first
// one was.
void TestDeviceTree::changesAroundSortedRows()
{
    Columns::initDefaults(&settings);
    Dept dept(0, "Orphans", &settings);
    ThinclientInfo *first = record("ORL K1", "d0");
    ThinclientInfo *second = record("ORL K1", "d1");
    for (ThinclientInfo *r : {first, second})
        DeviceTree::fileDevice(&dept.info, &settings, r);
    QCOMPARE(first->item->row(), 0);
    dept.info.treeView->show();
    QVERIFY(QTest::qWaitForWindowExposed(dept.info.treeView));
    QCoreApplication::processEvents();

    QSignalSpy changed(dept.info.model, &QAbstractItemModel::dataChanged);
    DeviceRow::setText(first, 1, QStringLiteral("first"));
    dept.info.model->sort(0, Qt::DescendingOrder);
    QCOMPARE(second->item->row(), 0);
    DeviceRow::setText(second, 1, QStringLiteral("second"));
    QCoreApplication::processEvents();

    QSet<int> rowsTold;
    for (const QList<QVariant> &signal : std::as_const(changed)) {
        const QModelIndex from = signal.at(0).toModelIndex(), to = signal.at(1).toModelIndex();
        if (from.column() <= 1 && to.column() >= 1)
            for (int row = from.row(); row <= to.row(); ++row)
                rowsTold << row;
    }
    QCOMPARE(rowsTold, (QSet<int>{first->item->row(), second->item->row()}));
}

namespace {
QSet<int> rowsTold(const QSignalSpy &changed)
{
    QSet<int> rows;
    for (const QList<QVariant> &signal : changed)
        for (int row = signal.at(0).toModelIndex().row(); row <= signal.at(1).toModelIndex().row(); ++row)
            rows << row;
    return rows;
}
} // namespace

// A row that no view shows changes without a word to the model's views; a
// view whose rows may differ in height hears of every one, one that shows
// no rows of none.
void TestDeviceTree::rowsOutOfSightNotTold_data()
{
    QTest::addColumn<QString>("view");
    QTest::addColumn<bool>("firstTold");
    QTest::addColumn<bool>("lastTold");

    QTest::newRow("shown, the last row out of sight") << "shown" << true << false;
    QTest::newRow("shown beside an empty department") << "beside an empty one" << true << false;
    QTest::newRow("hidden after it was shown") << "hidden" << false << false;
    QTest::newRow("rows of their own heights") << "own heights" << true << true;
}

void TestDeviceTree::rowsOutOfSightNotTold()
{
    QFETCH(QString, view);
    QFETCH(bool, firstTold);
    QFETCH(bool, lastTold);

    Columns::initDefaults(&settings);
    Dept dept(0, "Orphans", &settings);
    const QList<ThinclientInfo *> records = fileFleet(&dept.info, 100);
    OrlTreeView *tree = dept.info.treeView;
    tree->resize(600, 300);
    tree->setUniformRowHeights(view != QLatin1String("own heights"));
    tree->show();
    QVERIFY(QTest::qWaitForWindowExposed(tree));
    if (view == QLatin1String("hidden"))
        tree->hide();
    std::optional<Dept> empty;
    if (view == QLatin1String("beside an empty one")) {
        empty.emplace(1, QStringLiteral("Empty"), &settings);
        empty->info.treeView->show();
        QVERIFY(QTest::qWaitForWindowExposed(empty->info.treeView));
    }
    QCoreApplication::processEvents();

    QSignalSpy changed(dept.info.model, &QAbstractItemModel::dataChanged);
    DeviceRow::setText(records.first(), 1, QStringLiteral("first"));
    DeviceRow::setText(records.last(), 1, QStringLiteral("last"));
    QCoreApplication::processEvents();
    QCOMPARE(rowsTold(changed).contains(records.first()->item->row()), firstTold);
    QCOMPARE(rowsTold(changed).contains(records.last()->item->row()), lastTold);
    QCOMPARE(records.last()->item->parent()->child(records.last()->item->row(), 1)->text(), QStringLiteral("last"));
}

// A row changed in a pass may lose its record or its whole tree before the
// pass ends, or while a batch holds its values: what waits for it is
// dropped, and a record whose tree went can be filed and changed again.
void TestDeviceTree::changedRowGoesBeforeThePassEnds_data()
{
    QTest::addColumn<bool>("batch");
    QTest::addColumn<bool>("wholeTree");

    QTest::newRow("record") << false << false;
    QTest::newRow("record, values held") << true << false;
    QTest::newRow("tree") << false << true;
    QTest::newRow("tree, values held") << true << true;
}

void TestDeviceTree::changedRowGoesBeforeThePassEnds()
{
    QFETCH(bool, batch);
    QFETCH(bool, wholeTree);

    Columns::initDefaults(&settings);
    auto dept = std::make_unique<Dept>(0, "Orphans", &settings);
    ThinclientInfo *r = record("ORL K1", "d0");
    DeviceTree::fileDevice(&dept->info, &settings, r);
    QCoreApplication::processEvents();
    {
        std::optional<DeviceRow::Batch> held;
        if (batch)
            held.emplace();
        DeviceRow::setText(r, 1, QStringLiteral("changed"));
        if (wholeTree)
            dept.reset();
        else
            delete r;
    }
    QCoreApplication::processEvents();
    if (!wholeTree) {
        QCOMPARE(dept->info.model->item(0)->child(0, 1)->text(), batch ? QString() : QStringLiteral("changed"));
        return;
    }
    dept = std::make_unique<Dept>(0, "Orphans", &settings);
    DeviceTree::fileDevice(&dept->info, &settings, r);
    dept->info.treeView->show();
    QVERIFY(QTest::qWaitForWindowExposed(dept->info.treeView));
    QSignalSpy changed(dept->info.model, &QAbstractItemModel::dataChanged);
    DeviceRow::setText(r, 1, QStringLiteral("again"));
    QCoreApplication::processEvents();
    QCOMPARE(rowsTold(changed), QSet<int>{0});
    QCOMPARE(DeviceRow::cell(r, 1)->text(), QStringLiteral("again"));
}

void TestDeviceTree::groupRowsPerModel()
{
    Columns::initDefaults(&settings);
    Dept dept(0, "Orphans", &settings);
    QCOMPARE(dept.info.rootItem->rowCount(), 0);

    ThinclientInfo *a = record("ORL K1", "a");
    ThinclientInfo *b = record("orl k1", "b");
    ThinclientInfo *c = record("ORL K1", "c");
    ThinclientInfo *d = record("ORL_QB64", "d");
    for (ThinclientInfo *r : {a, b, c, d})
        DeviceTree::fileDevice(&dept.info, &settings, r);

    QCOMPARE(dept.info.devices, (QList<ThinclientInfo *>{a, b, c, d}));
    QStandardItem *root = dept.info.rootItem;
    QCOMPARE(root->rowCount(), 3);
    QStringList groups;
    for (int i = 0; i < root->rowCount(); ++i)
        groups << root->child(i)->text();
    QCOMPARE(groups, (QStringList{"ORL K1", "orl k1", "ORL_QB64"}));
    QCOMPARE(dept.info.groupItems.value("ORL K1"), root->child(0));

    QStandardItem *group = root->child(0);
    QCOMPARE(group->rowCount(), 2);
    QCOMPARE(a->item, group->child(0));
    QCOMPARE(c->item, group->child(1));
    QVERIFY(dept.info.treeView->isExpanded(dept.info.model->indexFromItem(group)));
    // A device that joins opens the whole tree again, a group closed by hand too.
    dept.info.treeView->collapse(dept.info.model->indexFromItem(group));
    DeviceTree::fileDevice(&dept.info, &settings, record("ORL_QB64", "e"));
    for (int i = 0; i < root->rowCount(); ++i)
        QVERIFY(dept.info.treeView->isExpanded(dept.info.model->indexFromItem(root->child(i))));

    QVERIFY(!TreeRows::recordOf(root->child(0, 1)));
    QVERIFY(!group->isCheckable());
}

// A device that came back as another model: the drop moves the rows that are
// selected, and the keys act on the current one.
void TestDeviceTree::regroupedRowKeepsSelection()
{
    Dept dept(0, "Orphans", &settings);
    ThinclientInfo *a = record("ORL K1", "a");
    ThinclientInfo *b = record("ORL K1", "b");
    for (ThinclientInfo *r : {a, b})
        DeviceTree::fileDevice(&dept.info, &settings, r);
    QItemSelectionModel *selection = dept.info.treeView->selectionModel();
    selection->setCurrentIndex(a->item->index(), QItemSelectionModel::Select | QItemSelectionModel::Rows);

    a->model = QStringLiteral("ORL_QB64");
    DeviceTree::regroupDeviceRow(&dept.info, a);
    QCOMPARE(a->item->parent(), dept.info.groupItems.value(a->model));
    QCOMPARE(selection->selectedRows(), QModelIndexList{a->item->index()});
    QCOMPARE(selection->currentIndex(), a->item->index());
}

void TestDeviceTree::rowCells_data()
{
    QTest::addColumn<QVariantMap>("positions");    // keys not named: -1
    QTest::addColumn<bool>("absentKeys");          // no position keys at all
    QTest::addColumn<QStringList>("cells");        // texts after name and status

    QTest::newRow("order by position") << QVariantMap{{"colTimezone", 0}, {"colIpAddress", 1}} << false
                                       << QStringList{"Europe/Oslo", "10.77.0.9"};
    QTest::newRow("gap leaves no hole") << QVariantMap{{"colIpAddress", 0}, {"colFirmwareVersion", 2}} << false
                                        << QStringList{"10.77.0.9", "7.1.0"};
    QTest::newRow("protocol upper-cased, detection text")
        << QVariantMap{{"colProtocolType", 0}, {"colZorServerDetection", 1}, {"colSerialNumber", 2}} << false
        << QStringList{"HDX", "Undefined", "sn-42"};
    QTest::newRow("repeated position: later column wins")
        << QVariantMap{{"colIpAddress", 0}, {"colMacAddress", 0}} << false << QStringList{"00:11:22:33:44:55"};
    QTest::newRow("the last slot is kept, a position past it left out")
        << QVariantMap{{"colIpAddress", 30}, {"colMacAddress", 0}, {"colHotfixVersion", -7}, {"colFirmwareVersion", 29}}
        << false << QStringList{"00:11:22:33:44:55", "7.1.0"};
    QTest::newRow("management server host, then port")
        << QVariantMap{{"colZorServerPort", 1}, {"colZorServerIp", 0}} << false << QStringList{"10.77.0.1", "5808"};
    QTest::newRow("nothing shown") << QVariantMap() << false << QStringList();
    // Absent keys read as position 0: every column lands there, the last wins.
    QTest::newRow("absent keys") << QVariantMap() << true << QStringList{"Europe/Oslo"};
}

void TestDeviceTree::rowCells()
{
    QFETCH(QVariantMap, positions);
    QFETCH(bool, absentKeys);
    QFETCH(QStringList, cells);

    if (!absentKeys)
        for (const ColumnDef &c : Columns::table)
            settings.setValue(QLatin1String(c.key), positions.value(QLatin1String(c.key), -1).toInt());
    Columns::renewLayout(&settings);

    ThinclientInfo *r = record("ORL K1", "hall-3", "00:11:22:33:44:55");
    r->ipAddress = "10.77.0.9";
    r->firmwareVersion = "7.1.0";
    r->protocolType = "hdx";
    r->serverDetection = 7;
    r->serialNumber = "sn-42";
    r->serverIp = "10.77.0.1";
    r->serverPort = "5808";
    r->timezone = "Europe/Oslo";
    // Even an offline device's row takes a tick (a drop into another department).
    r->online = false;

    const QList<QStandardItem *> row = TreeRows::buildDeviceRow(&settings, r);
    QStandardItemModel owner;
    owner.appendRow(row);

    QCOMPARE(row.size(), 2 + cells.size());
    QCOMPARE(row.at(0)->text(), QStringLiteral("hall-3"));
    QCOMPARE(r->item, row.at(0));
    for (int i = 0; i <= row.size(); ++i)
        QCOMPARE(DeviceRow::cell(r, i), row.value(i));
    for (int i = 0; i < cells.size(); ++i)
        QCOMPARE(row.at(2 + i)->text(), cells.at(i));
    for (int i = 0; i < row.size(); ++i) {
        QCOMPARE(TreeRows::recordOf(row.at(i)), r);
        QVERIFY(!row.at(i)->isEditable());
        QCOMPARE(row.at(i)->isCheckable(), i == 0);
        QVERIFY(row.at(i)->isEnabled());
    }
}

void TestDeviceTree::detectionText_data()
{
    QTest::addColumn<int>("method");
    QTest::addColumn<QString>("text");
    QTest::newRow("broadcast") << 0 << "UDP Broadcast";
    QTest::newRow("DHCP") << 1 << "DHCP";
    QTest::newRow("static address") << 2 << "Static IP";
    QTest::newRow("unknown") << 3 << "Undefined";
}

void TestDeviceTree::detectionText()
{
    QFETCH(int, method);
    QFETCH(QString, text);
    QCOMPARE(DeviceRow::detectionText(quint16(method)), text);
}

void TestDeviceTree::statusAndCheck_data()
{
    QTest::addColumn<int>("bootMode");
    QTest::addColumn<bool>("checked");
    QTest::addColumn<QString>("status");
    QTest::addColumn<bool>("blue");

    QTest::newRow("unknown") << 0 << false << "" << false;
    QTest::newRow("factory") << 1 << true << "In factory mode" << true;
    QTest::newRow("normal") << 2 << true << "" << false;
    QTest::newRow("upgrade") << 3 << false << "Awaiting firmware upgrade" << true;
}

void TestDeviceTree::statusAndCheck()
{
    QFETCH(int, bootMode);
    QFETCH(bool, checked);
    QFETCH(QString, status);
    QFETCH(bool, blue);

    Columns::initDefaults(&settings);
    ThinclientInfo *r = record("ORL K1", "a");
    r->bootMode = quint16(bootMode);
    r->checked = checked;
    const QList<QStandardItem *> row = TreeRows::buildDeviceRow(&settings, r);
    QStandardItemModel owner;
    owner.appendRow(row);

    QCOMPARE(row.at(0)->data(Qt::CheckStateRole).toInt(), checked ? int(Qt::Checked) : int(Qt::Unchecked));
    QCOMPARE(row.at(1)->text(), status);
    const QVariant foreground = row.at(1)->data(Qt::ForegroundRole);
    QCOMPARE(foreground.isValid(), blue);
    if (blue)
        QCOMPARE(foreground.value<QBrush>(), QBrush(QColor(0, 0, 255, 255)));
}

// A device row's cells keep their common values themselves; whatever is
// written to one, it reads and signals as a plain item given the same
// values and writes.
void TestDeviceTree::cellsActAsPlainItems_data()
{
    QTest::addColumn<int>("column");
    QTest::addColumn<QVariantList>("writes");    // role, value, role, value, ...

    const int flagsRole = Qt::UserRole - 1;
    const int greyed = int(Qt::ItemIsSelectable | Qt::ItemIsDragEnabled | Qt::ItemNeverHasChildren);
    QTest::newRow("a text") << 2 << QVariantList{Qt::DisplayRole, QStringLiteral("x")};
    QTest::newRow("a text by the edit role") << 2 << QVariantList{Qt::EditRole, QStringLiteral("y")};
    QTest::newRow("the same text") << 2 << QVariantList{Qt::DisplayRole, QStringLiteral("198.18.0.1")};
    QTest::newRow("greyed, then enabled") << 3 << QVariantList{flagsRole, greyed, flagsRole, greyed | Qt::ItemIsEnabled};
    QTest::newRow("ticked") << 0 << QVariantList{Qt::CheckStateRole, int(Qt::Checked)};
    QTest::newRow("a tick of another type") << 0 << QVariantList{Qt::CheckStateRole, QVariant::fromValue(Qt::Checked)};
    QTest::newRow("a number, then a text") << 1 << QVariantList{Qt::DisplayRole, 5, Qt::DisplayRole, QStringLiteral("z")};
    QTest::newRow("the text removed") << 0 << QVariantList{Qt::DisplayRole, QVariant()};
    QTest::newRow("a colour") << 1 << QVariantList{Qt::ForegroundRole, QBrush(Qt::red)};
    QTest::newRow("the same colour") << 1 << QVariantList{Qt::ForegroundRole, QBrush(Qt::red), Qt::ForegroundRole, QBrush(Qt::red)};
    QTest::newRow("a colour, then none") << 1 << QVariantList{Qt::ForegroundRole, QBrush(Qt::red), Qt::ForegroundRole, QVariant()};
    QTest::newRow("a colour of another type") << 1 << QVariantList{Qt::ForegroundRole, QColor(Qt::red), Qt::ForegroundRole, QBrush(Qt::blue)};
    QTest::newRow("a brush, then a colour") << 1 << QVariantList{Qt::ForegroundRole, QBrush(Qt::blue), Qt::ForegroundRole, QColor(Qt::red)};
    QTest::newRow("a record of another type") << 4 << QVariantList{TreeRows::RecordRole, QStringLiteral("r")};
}

void TestDeviceTree::cellsActAsPlainItems()
{
    QFETCH(int, column);
    QFETCH(QVariantList, writes);
    Columns::initDefaults(&settings);
    ThinclientInfo *r = record("ORL K1", "a");
    r->ipAddress = QStringLiteral("198.18.0.1");
    const QList<QStandardItem *> row = TreeRows::buildDeviceRow(&settings, r);
    QStandardItemModel cells, plain;
    cells.appendRow(row);
    QStandardItem *cell = row.at(column);
    auto *item = new QStandardItem;
    const QList<int> roles{Qt::DisplayRole, Qt::UserRole - 1, Qt::CheckStateRole, TreeRows::RecordRole,
                           Qt::ForegroundRole};
    for (int role : roles)
        if (cell->data(role).isValid())
            item->setData(cell->data(role), role);
    plain.appendRow(item);

    QSignalSpy cellChanged(&cells, &QStandardItemModel::itemChanged);
    QSignalSpy itemChanged(&plain, &QStandardItemModel::itemChanged);
    for (qsizetype i = 0; i + 1 < writes.size(); i += 2) {
        cell->setData(writes.at(i + 1), writes.at(i).toInt());
        item->setData(writes.at(i + 1), writes.at(i).toInt());
        QCOMPARE(cellChanged.isEmpty(), itemChanged.isEmpty());
        for (int role : roles + QList<int>{Qt::EditRole, Qt::ToolTipRole})
            QCOMPARE(cell->data(role), item->data(role));
        QCOMPARE(cell->flags(), item->flags());
        QCOMPARE(cell->checkState(), item->checkState());
        QCOMPARE(TreeRows::recordOf(cell), TreeRows::recordOf(item));
        const QModelIndex index = cells.indexFromItem(cell);
        QCOMPARE(cells.data(index, Qt::DisplayRole), plain.data(plain.indexFromItem(item), Qt::DisplayRole));
    }
}

void TestDeviceTree::filing()
{
    Columns::initDefaults(&settings);
    Dept hall(7, "Hall", &settings);
    Dept orphans(0, "Orphans", &settings);
    Dept lab(5, "Lab", &settings);
    QList<DeptInfo *> list{&hall.info, &orphans.info, &lab.info};
    // The blank entries stand for those an older department file may hold.
    const QMap<QString, int> map{{"aa", 7}, {"bb", 5}, {"cc", 9}, {"", 7}, {" ", 5}};

    ThinclientInfo *inHall = record("ORL K1", "h", "aa");
    ThinclientInfo *inLab = record("ORL K1", "l", "bb");
    ThinclientInfo *unknown = record("Pyrel PC", "u", "dd");
    ThinclientInfo *stale = record("Pyrel PC", "s", "cc");
    ThinclientInfo *caseDiffers = record("Pyrel PC", "x", "AA");
    ThinclientInfo *noMac = record("Pyrel PC", "n", "");
    ThinclientInfo *blankMac = record("Pyrel PC", "b", " ");

    QCOMPARE(DeviceTree::addDeviceToDepartment(&list, map, &settings, inHall), &hall.info);
    QCOMPARE(DeviceTree::addDeviceToDepartment(&list, map, &settings, inLab), &lab.info);
    QCOMPARE(DeviceTree::addDeviceToDepartment(&list, map, &settings, unknown), &orphans.info);
    QCOMPARE(DeviceTree::addDeviceToDepartment(&list, map, &settings, stale), &orphans.info);
    QCOMPARE(DeviceTree::addDeviceToDepartment(&list, map, &settings, caseDiffers), &orphans.info);
    QCOMPARE(DeviceTree::addDeviceToDepartment(&list, map, &settings, noMac), &orphans.info);
    QCOMPARE(DeviceTree::addDeviceToDepartment(&list, map, &settings, blankMac), &orphans.info);
    QCOMPARE(DeviceTree::addDeviceToDepartment(&list, map, &settings, nullptr), nullptr);

    QCOMPARE(hall.info.devices, QList<ThinclientInfo *>{inHall});
    QCOMPARE(lab.info.devices, QList<ThinclientInfo *>{inLab});
    QCOMPARE(orphans.info.devices, (QList<ThinclientInfo *>{unknown, stale, caseDiffers, noMac, blankMac}));
    QCOMPARE(inHall->item->model(), hall.info.model);
    // Filing changes no member list: registration is not a membership change.
    QVERIFY(hall.info.macs.isEmpty() && orphans.info.macs.isEmpty());

    QList<DeptInfo *> withoutOrphans{&hall.info};
    QCOMPARE(DeviceTree::addDeviceToDepartment(&withoutOrphans, map, &settings, record("X", "y", "zz")), nullptr);
}

void TestDeviceTree::modelsForWizard()
{
    QSslSocket socket;
    DeptInfo dept;
    auto add = [&](const QString &model, bool checked, bool online) {
        ThinclientInfo *r = record(model, "d");
        r->checked = checked;
        r->online = online;
        r->socket = online ? &socket : nullptr;
        dept.devices << r;
    };
    add("ORL K1", true, true);
    add("ORL QB64", false, true);
    add("ORL K1", true, true);
    add("Pyrel PC", true, false);
    add("ORL_GZ", true, true);
    add("Pyrel  PC ", true, true);

    // The wizard compares with board names written with "_".
    QCOMPARE(DeviceTree::collectSelectedModels(&dept),
             (QStringList{"ORL_K1", "ORL_K1", "ORL_GZ", "Pyrel__PC_"}));
    QCOMPARE(DeviceTree::collectSelectedModels(nullptr), QStringList());
    for (ThinclientInfo *r : dept.devices)
        r->socket = nullptr;
}

QTEST_MAIN(TestDeviceTree)
#include "tst_devicetree.moc"
