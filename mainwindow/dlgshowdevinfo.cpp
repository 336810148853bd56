#include "dlgshowdevinfo.h"
#include "ui_dlgshowdevinfo.h"

#include "deviceinforows.h"
#include "devicelink/thinclientinfo.h"

#include <QHeaderView>
#include <QStandardItemModel>
#include <QTableView>
#include <QVBoxLayout>

namespace {

QStandardItem *readOnlyItem(const QString &text)
{
    auto *item = new QStandardItem(text);
    item->setEditable(false);
    return item;
}

} // namespace

DlgShowDevInfo::DlgShowDevInfo(QWidget *parent, ThinclientInfo *info)
    : QDialog(parent), ui(new Ui_DlgShowDevInfo), view(new QTableView), model(new QStandardItemModel(this))
{
    ui->setupUi(this);

    auto *layout = new QVBoxLayout;
    layout->addWidget(view);
    setLayout(layout);

    model->setHorizontalHeaderItem(0, new QStandardItem(QStringLiteral("Property")));
    model->setHorizontalHeaderItem(1, new QStandardItem(QStringLiteral("Value")));
    if (info) {
        for (const DevInfoRow &row : deviceInfoRows(*info))
            model->appendRow({readOnlyItem(row.label), readOnlyItem(row.value)});
    }
    view->setModel(model);
    view->horizontalHeader()->setStretchLastSection(true);
    // Set after the model is attached: attaching resets the section sizes.
    view->horizontalHeader()->resizeSection(0, 200);
}

DlgShowDevInfo::~DlgShowDevInfo()
{
    delete ui;
}
