// The device tree draws plain cells itself, laying their text out once: what
// it draws must be, pixel for pixel, what the style draws.
#include "mainwindow/celldelegate.h"

#include <QApplication>
#include <QHeaderView>
#include <QPainter>
#include <QStandardItemModel>
#include <QStyleFactory>
#include <QTreeView>
#include <QtTest>

#include <memory>

namespace {
// Fills in a cell's option as the view's delegate does.
class OptionFiller : public CellDelegate
{
public:
    using CellDelegate::initStyleOption;
};

enum Setup {
    Plain,
    Foreground,
    Background,
    Bold,
    AlignRight,
    AlignCentre,
    Checkable,
    Checked,
    PartlyChecked,
    Icon,
};

QImage blank(const QSize &size)
{
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(QColor(10, 200, 30));
    return image;
}
} // namespace

class TestCellDelegate : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void plainCells_data();
    void plainCells();
    void treeLooksTheSame();
};

void TestCellDelegate::initTestCase()
{
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
}

void TestCellDelegate::plainCells_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("setup");
    QTest::addColumn<int>("stateOn");
    QTest::addColumn<int>("stateOff");
    QTest::addColumn<bool>("otherStyle");
    QTest::addColumn<bool>("plain");

    const int none = 0;
    const QString status = QStringLiteral("Working on step 42");
    QTest::newRow("plain") << status << 200 << int(Plain) << none << none << false << true;
    QTest::newRow("selected") << status << 200 << int(Plain) << int(QStyle::State_Selected) << none << false << true;
    QTest::newRow("disabled") << status << 200 << int(Plain) << none << int(QStyle::State_Enabled) << false << true;
    QTest::newRow("inactive") << status << 200 << int(Plain) << none << int(QStyle::State_Active) << false << true;
    QTest::newRow("inactive, selected") << status << 200 << int(Plain) << int(QStyle::State_Selected)
                                        << int(QStyle::State_Active) << false << true;
    QTest::newRow("foreground") << status << 200 << int(Foreground) << none << none << false << true;
    QTest::newRow("background") << status << 200 << int(Background) << none << none << false << true;
    QTest::newRow("bold") << status << 200 << int(Bold) << none << none << false << true;
    QTest::newRow("right") << status << 200 << int(AlignRight) << none << none << false << true;
    QTest::newRow("centred") << status << 200 << int(AlignCentre) << none << none << false << true;
    QTest::newRow("empty") << QString() << 200 << int(Plain) << int(QStyle::State_Selected) << none << false << true;
    QTest::newRow("trailing blanks, right") << QStringLiteral("4.2.1   ") << 200 << int(AlignRight) << none << none
                                            << false << true;
    QTest::newRow("check box") << status << 200 << int(Checkable) << none << none << false << true;
    QTest::newRow("checked, selected") << status << 200 << int(Checked) << int(QStyle::State_Selected) << none
                                       << false << true;
    QTest::newRow("partly checked, disabled") << status << 200 << int(PartlyChecked) << none
                                              << int(QStyle::State_Enabled) << false << true;
    QTest::newRow("tab") << QStringLiteral("a\tb") << 200 << int(Plain) << none << none << false << true;

    // The style's own: it cuts the text short, or draws more than text.
    QTest::newRow("too wide") << status << 40 << int(Plain) << none << none << false << false;
    QTest::newRow("too wide beside a check box") << QStringLiteral("4.2.1") << 40 << int(Checkable) << none << none
                                                 << false << false;
    QTest::newRow("two lines") << QStringLiteral("one\ntwo") << 200 << int(Plain) << none << none << false << false;
    QTest::newRow("icon") << status << 200 << int(Icon) << none << none << false << false;
    QTest::newRow("focus") << status << 200 << int(Plain) << int(QStyle::State_HasFocus) << none << false << false;
    QTest::newRow("editing") << status << 200 << int(Plain) << int(QStyle::State_Editing) << none << false << false;
    QTest::newRow("other style") << status << 200 << int(Plain) << none << none << true << false;
}

void TestCellDelegate::plainCells()
{
    QFETCH(QString, text);
    QFETCH(int, width);
    QFETCH(int, setup);
    QFETCH(int, stateOn);
    QFETCH(int, stateOff);
    QFETCH(bool, otherStyle);
    QFETCH(bool, plain);

    QStandardItemModel model;
    auto *item = new QStandardItem(text);
    switch (Setup(setup)) {
    case Plain: break;
    case Foreground: item->setForeground(QColor(200, 0, 0)); break;
    case Background: item->setBackground(QColor(0, 0, 200, 90)); break;
    case Bold: {
        QFont font;
        font.setBold(true);
        item->setFont(font);
        break;
    }
    case AlignRight: item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter); break;
    case AlignCentre: item->setTextAlignment(Qt::AlignCenter); break;
    case Checkable: item->setCheckable(true); break;
    case Checked:
        item->setCheckable(true);
        item->setCheckState(Qt::Checked);
        break;
    case PartlyChecked:
        item->setCheckable(true);
        item->setCheckState(Qt::PartiallyChecked);
        break;
    case Icon: {
        QPixmap pixmap(16, 16);
        pixmap.fill(Qt::blue);
        item->setIcon(QIcon(pixmap));
        break;
    }
    }
    model.appendRow(item);

    QTreeView view;
    // Each state its own text colours.
    QPalette palette = view.palette();
    palette.setColor(QPalette::Inactive, QPalette::Text, QColor(120, 0, 120));
    palette.setColor(QPalette::Inactive, QPalette::HighlightedText, QColor(250, 250, 0));
    palette.setColor(QPalette::Disabled, QPalette::HighlightedText, QColor(0, 250, 250));
    view.setPalette(palette);
    std::unique_ptr<QStyle> windows;
    if (otherStyle) {
        windows.reset(QStyleFactory::create(QStringLiteral("Windows")));
        QVERIFY(windows);
        view.setStyle(windows.get());
    }
    QStyleOptionViewItem option;
    option.initFrom(&view);
    option.widget = &view;
    option.rect = QRect(3, 2, width, 24);
    option.showDecorationSelected = true;
    option.state |= QStyle::State_Active | QStyle::State_Enabled;
    option.state |= QStyle::StateFlag(stateOn);
    option.state &= ~QStyle::StateFlag(stateOff);
    OptionFiller().initStyleOption(&option, model.index(0, 0));

    const QSize size(width + 6, 28);
    QImage drawn = blank(size);
    bool drewPlain = false;
    {
        QPainter painter(&drawn);
        drewPlain = CellDelegate::paintPlain(&painter, option);
    }
    QCOMPARE(drewPlain, plain);
    if (!plain) {
        QCOMPARE(drawn, blank(size));
        return;
    }
    QImage styled = blank(size);
    {
        QPainter painter(&styled);
        view.style()->drawControl(QStyle::CE_ItemViewItem, &option, &painter, &view);
    }
    QCOMPARE(drawn, styled);
}

// The options the view itself makes: a tree of device-like rows, a check box
// in the first column, a row selected, a row greyed, texts cut short, the
// current cell framed, looks the same with either delegate.
void TestCellDelegate::treeLooksTheSame()
{
    QStandardItemModel model;
    QStandardItem *group = new QStandardItem(QStringLiteral("Lab"));
    model.appendRow({group, new QStandardItem, new QStandardItem});
    for (int r = 0; r < 12; ++r) {
        auto *name = new QStandardItem(QStringLiteral("device-%1").arg(r));
        name->setCheckable(true);
        if (r % 3 == 0)
            name->setCheckState(Qt::Checked);
        auto *state = new QStandardItem(QStringLiteral("Working on step %1").arg(r));
        state->setForeground(QColor(r % 2 ? 200 : 0, 90, 0));
        auto *version = new QStandardItem(r == 4 ? QStringLiteral("a version far too long for its column")
                                                 : QStringLiteral("4.2.%1").arg(r));
        const QList<QStandardItem *> row{name, state, version};
        if (r == 6)
            for (QStandardItem *cell : row)
                cell->setEnabled(false);
        group->appendRow(row);
    }

    QTreeView plainView, fastView;
    fastView.setItemDelegate(new CellDelegate(&fastView));
    for (QTreeView *view : {&plainView, &fastView}) {
        view->setModel(&model);
        view->setSelectionBehavior(QAbstractItemView::SelectRows);
        view->setUniformRowHeights(true);
        view->header()->resizeSection(1, 160);
        view->header()->resizeSection(2, 90);
        view->expandAll();
        view->resize(480, 360);
        view->show();
        view->selectionModel()->select(model.index(2, 0, group->index()),
                                       QItemSelectionModel::Select | QItemSelectionModel::Rows);
        view->selectionModel()->setCurrentIndex(model.index(5, 1, group->index()), QItemSelectionModel::NoUpdate);
        QVERIFY(QTest::qWaitForWindowExposed(view));
    }
    // Each drawn with the focus, the current cell framed.
    QImage looks[2];
    for (QTreeView *view : {&plainView, &fastView}) {
        QApplication::setActiveWindow(view);
        view->setFocus();
        QTRY_VERIFY(view->hasFocus());
        looks[view == &fastView] = view->viewport()->grab().toImage();
    }
    QCOMPARE(looks[1], looks[0]);
}

QTEST_MAIN(TestCellDelegate)
#include "tst_celldelegate.moc"
