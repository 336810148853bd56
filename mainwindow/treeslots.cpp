// The device tree's slots: ticks mirrored into the records, the context
// menu with its group selection, and the device information dialog.
#include "mainwindow.h"

#include "deptinfo.h"
#include "deviceselection.h"
#include "devicetree.h"
#include "dlgshowdevinfo.h"
#include "orltreeview.h"
#include "prompter.h"
#include "treerows.h"

#include <QMenu>
#include <QStandardItemModel>

void MainWindow::createDeviceTreeView(DeptInfo *dept)
{
    DeviceTree::createDeviceTreeView(dept, settings);
    OrlTreeView *view = dept->treeView;
    connect(view, &QTreeView::clicked, this, &MainWindow::onTreeViewClicked);
    connect(view, &QTreeView::doubleClicked, this, &MainWindow::onTreeViewDoubleClicked);
    connect(view, &QWidget::customContextMenuRequested, this, &MainWindow::onTreeViewRightClicked);
}

void MainWindow::onTreeViewClicked(const QModelIndex &index)
{
    // Only the shown tree can be clicked.
    if (!currentDepartment || index.model() != currentDepartment->model)
        return;
    DeviceSelection::syncChecked(currentDepartment->model->itemFromIndex(index));
}

void MainWindow::onTreeViewDoubleClicked(const QModelIndex &)
{
    // The click before it did the work.
}

void MainWindow::onTreeViewRightClicked(const QPoint &pos)
{
    DeptInfo *dept = currentDepartment;
    if (!dept)
        return;
    QStandardItem *item = DeviceSelection::itemAt(dept->treeView, dept->model, pos);
    if (!item)
        return;
    dept->contextItem = item;

    DeviceSelection::MenuHandlers handlers;
    handlers.checkAll = [this] { onTreeViewCheckAll(); };
    handlers.uncheckAll = [this] { onTreeViewUncheckAll(); };
    handlers.invertCheck = [this] { onTreeViewInvertCheck(); };
    handlers.showDeviceInfo = [this] { onItemShowDevInfo(); };
    QMenu *menu = DeviceSelection::buildContextMenu(item, dept->treeView, handlers);
    // The position is the viewport's, below the header.
    menu->exec(dept->treeView->viewport()->mapToGlobal(pos));
    delete menu;
}

void MainWindow::onTreeViewCheckAll()
{
    if (currentDepartment && DeviceSelection::checkAll(currentDepartment->contextItem))
        currentDepartment->contextItem = nullptr;
}

void MainWindow::onTreeViewUncheckAll()
{
    if (currentDepartment && DeviceSelection::uncheckAll(currentDepartment->contextItem))
        currentDepartment->contextItem = nullptr;
}

void MainWindow::onTreeViewInvertCheck()
{
    if (currentDepartment && DeviceSelection::invertCheck(currentDepartment->contextItem))
        currentDepartment->contextItem = nullptr;
}

void MainWindow::onItemShowDevInfo()
{
    DeptInfo *dept = currentDepartment;
    ThinclientInfo *info = dept ? TreeRows::recordOf(dept->contextItem) : nullptr;
    if (!info)
        return;
    DlgShowDevInfo dialog(this, info);
    prompter()->exec(&dialog);
    dept->contextItem = nullptr;
}

void MainWindow::collectSelectedModels()
{
    selectedModels = DeviceTree::collectSelectedModels(currentDepartment);
}
