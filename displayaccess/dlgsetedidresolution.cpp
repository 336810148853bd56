#include "dlgsetedidresolution.h"

#include "displayaccess/core/edidmodes.h"
#include "devicelink/thinclientinfo.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QStandardItemModel>
#include <QTreeView>
#include <QVBoxLayout>

namespace {
constexpr int FirstColumnWidth = 160;
}

DlgSetEdidResolution::DlgSetEdidResolution(QWidget *parent, ThinclientInfo *device,
                                           const QString &supportedResolutions, QString *result)
    : QDialog(parent), supportedResolutions(supportedResolutions), device(device), resultText(result)
{
    setObjectName(QStringLiteral("DlgSetEdidResolution"));
    resize(694, 572);
    setWindowTitle(QStringLiteral("Select EDID reported resolution"));
    buildUi();
}

void DlgSetEdidResolution::buildUi()
{
    if (!device)
        return;
    model = new QStandardItemModel(0, 6, this);
    model->setHorizontalHeaderLabels({QStringLiteral("Resolution"), QStringLiteral("Pixel Clock"),
                                      QStringLiteral("Horizontal"), QStringLiteral("Vertical"), QStringLiteral("Sync"),
                                      QStringLiteral("Polarity")});
    treeView = new QTreeView;
    treeView->setModel(model);
    treeView->setUniformRowHeights(true);
    treeView->setSelectionMode(QAbstractItemView::NoSelection);
    treeView->setRootIsDecorated(false);
    treeView->header()->resizeSection(0, FirstColumnWidth);
    connect(treeView, &QTreeView::clicked, this, &DlgSetEdidResolution::onTreeViewClicked);

    auto *buttonBox = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, Qt::Horizontal);
    connect(buttonBox, &QDialogButtonBox::accepted, this, &DlgSetEdidResolution::accept);
    connect(buttonBox, &QDialogButtonBox::rejected, this, &DlgSetEdidResolution::reject);
    auto *buttonRow = new QHBoxLayout;
    buttonRow->addWidget(buttonBox);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(treeView);
    layout->addLayout(buttonRow);

    const int modeCount = int(qMin(qsizetype(device->edidCount), device->edid.size()));
    const QList<EdidModes::Row> rows = EdidModes::rows(device->edid.constData(), modeCount, supportedResolutions);
    for (const EdidModes::Row &row : rows) {
        const EdidInfo &m = row.mode;
        QList<QStandardItem *> items;
        for (const QString &text : {m.resolution, m.pixelClock, m.horizontal, m.vertical, m.sync, m.polarity}) {
            auto *item = new QStandardItem(text);
            item->setEditable(false);
            item->setEnabled(row.selectable);
            if (row.current)
                item->setForeground(QBrush(QColor(0, 0, 255)));
            items << item;
        }
        items.first()->setCheckable(true);
        items.first()->setCheckState(row.current ? Qt::Checked : Qt::Unchecked);
        model->appendRow(items);
    }
    const int pick = EdidModes::initialPick(rows);
    if (pick >= 0)
        pickedItem = model->item(pick, 0);
    // The space bar ticks a box without a click: connected only now, so that
    // the rows as built pick nothing.
    connect(model, &QStandardItemModel::itemChanged, this, &DlgSetEdidResolution::onItemChanged);
}

void DlgSetEdidResolution::onTreeViewClicked(const QModelIndex &index)
{
    QStandardItem *item = model ? model->itemFromIndex(index) : nullptr;
    if (item && item->column() == 0 && item->isEnabled())
        pick(item);
}

void DlgSetEdidResolution::onItemChanged(QStandardItem *item)
{
    // A box ticked from the keyboard picks its row, as a click on it does;
    // the picked box cannot be cleared that way either.
    if (item->column() == 0 && item->isEnabled() && (item == pickedItem || item->checkState() == Qt::Checked))
        pick(item);
}

void DlgSetEdidResolution::pick(QStandardItem *item)
{
    // The picked row's box cannot be cleared.
    if (item == pickedItem) {
        if (item->checkState() != Qt::Checked)
            item->setCheckState(Qt::Checked);
        return;
    }
    // Picked first: the boxes cleared below are then no longer the pick,
    // which onItemChanged would tick again. Not only the previous pick: a
    // mode the device lists twice starts ticked on both rows, and OK sends
    // the pick alone, which must be the row the administrator sees ticked.
    pickedItem = item;
    for (int row = 0; row < model->rowCount(); ++row) {
        QStandardItem *other = model->item(row, 0);
        if (other != pickedItem && other->checkState() != Qt::Unchecked)
            other->setCheckState(Qt::Unchecked);
    }
}

void DlgSetEdidResolution::accept()
{
    if (pickedItem && resultText)
        *resultText = pickedItem->text();
    done(1);
}

void DlgSetEdidResolution::reject()
{
    done(0);
}
