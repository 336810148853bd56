// The department panel on the window's left and the device tree beside it:
// building them, one label per department, switching the shown tree,
// reordering labels by dragging, and devices dropped on a label.
#include "mainwindow.h"

#include "department.h"
#include "deptinfo.h"
#include "deptlabelorder.h"
#include "devicedrop.h"
#include "devicetree.h"
#include "orldroplabel.h"
#include "orlscrollarea.h"
#include "orltreeview.h"

#include <QDir>
#include <QEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QScrollBar>
#include <QVBoxLayout>

namespace {
constexpr int PanelWidth = 100;
}

void MainWindow::createDepartmentPanel()
{
    if (!departments || departments->isEmpty())
        return;

    deptLayout = new QVBoxLayout;
    deptLayout->setSizeConstraint(QLayout::SetFixedSize);

    deptScrollArea = new OrlScrollArea(nullptr);
    deptScrollArea->setBackgroundRole(QPalette::Dark);
    deptScrollArea->setWidgetResizable(true);
    deptScrollArea->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    deptScrollArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    deptScrollArea->setMaximumWidth(PanelWidth);
    connect(deptScrollArea, &OrlScrollArea::onNewDepartment, this, &MainWindow::onNewDepartment);

    deptContainer = new QWidget(deptScrollArea);
    deptContainer->setLayout(deptLayout);
    deptScrollArea->setWidget(deptContainer);

    currentDepartment = departments->first();
    for (DeptInfo *dept : std::as_const(*departments))
        createDeviceTreeView(dept);

    centralLayout = new QHBoxLayout;
    centralLayout->addWidget(deptScrollArea);
    centralLayout->addWidget(currentDepartment->treeView);
    centralArea = new QWidget;
    centralArea->setLayout(centralLayout);
    setCentralWidget(centralArea);

    createDepartmentLabel(0);
}

OrlDropLabel *MainWindow::createLabel(DeptInfo *dept, bool selected)
{
    auto *label = new OrlDropLabel(nullptr, dept);
    dept->label = label;
    label->applyLook(dept->name, selected);
    connect(label, &OrlDropLabel::onDepartmentRename, this, &MainWindow::onDepartmentRename);
    connect(label, &OrlDropLabel::onDepartmentDelete, this, &MainWindow::onDepartmentDelete);
    connect(label, &OrlDropLabel::onDepartmentSelected, this, &MainWindow::onDepartmentSelected);
    connect(label, &OrlDropLabel::onDepartmentDragged, this, &MainWindow::onDepartmentDragged);
    connect(label, &OrlDropLabel::onDepartmentDragEnded, this, &MainWindow::endDepartmentLabelDrag);
    connect(label, &OrlDropLabel::onDeviceDropped, this, &MainWindow::onDeviceDropped);
    connect(label, &OrlDropLabel::onDragEnter, this, &MainWindow::onDragEnter);
    return label;
}

void MainWindow::createDepartmentLabel(int selectedIndex)
{
    for (int i = 0; i < departments->size(); ++i)
        deptLayout->addWidget(createLabel(departments->at(i), i == selectedIndex));
}

void MainWindow::removeDepartmentWidget()
{
    for (DeptInfo *dept : std::as_const(*departments)) {
        OrlDropLabel *label = dept->label;
        dept->label = nullptr;
        if (!label)
            continue;
        deptLayout->removeWidget(label);
        label->hide();
        label->deleteLater();
    }
}

void MainWindow::showDepartmentView(DeptInfo *from, DeptInfo *to)
{
    // Without a parent the old tree leaves the layout and hides; it keeps
    // its rows for the next time its department is shown.
    if (from && from->treeView)
        from->treeView->setParent(nullptr);
    if (to && to->treeView) {
        centralLayout->addWidget(to->treeView);
        to->treeView->show();
    }
}

void MainWindow::destroyDepartmentPanel()
{
    if (!departments)
        return;
    for (DeptInfo *dept : std::as_const(*departments)) {
        delete dept->label;
        dept->label = nullptr;
        DeviceTree::destroyDeviceTree(dept);
    }
    currentDepartment = nullptr;
}

void MainWindow::saveDepartments()
{
    // A file the start could not read may still hold every department (a
    // read that failed once, a file past the bounds written elsewhere): the
    // default department shown in its stead must not take its place.
    // The same file under another spelling ("a//temp", a link to the
    // working directory) is the same file. One the start could not even look
    // up is known by its path as typed alone, though, once back, it is found
    // where the links lead, under that path or under the one they lead to.
    const QString path = departmentFilePath();
    const QString file = Department::fileIdentity(path);
    const bool refused = !refusedDepartmentFile.isEmpty()
                         && (file == refusedDepartmentFile || QDir::cleanPath(path) == refusedDepartmentFile
                             || file == Department::fileIdentity(refusedDepartmentFile));
    // Nor may a file found where the start found none (a disk mounted late,
    // a copy put back): its departments were never read. Once there, it is
    // found where the links lead from either path, and is the same file
    // whichever of them this run writes it under.
    const auto isAbsentFile = [this, &path](const QString &identity) {
        return !absentDepartmentFile.isEmpty()
               && (QDir::cleanPath(path) == absentDepartmentFile
                   || identity == Department::fileIdentity(absentDepartmentFile));
    };
    if (refused || (isAbsentFile(file) && !Department::isMissing(path))) {
        Department::warnNotSaved();
        return;
    }
    // A failure has been shown by the save itself; the change stays in
    // memory and goes into the file with the next save that succeeds.
    if (Department::saveDepartments(path, departments) == 0 && isAbsentFile(Department::fileIdentity(path)))
        absentDepartmentFile.clear();
}

void MainWindow::endDepartmentLabelDrag()
{
    if (deptScrollArea)
        deptScrollArea->removeDragPlaceholder();
    if (departments)
        for (DeptInfo *each : std::as_const(*departments))
            if (each->label)
                each->label->dragging = false;
}

bool MainWindow::event(QEvent *e)
{
    // A box opening over the window takes the mouse, and a hidden window
    // hears no more of it: a label drag under way would never see its
    // release. It ends where it started; the release the label may hear
    // later without a press of its own (one that closed a menu) must not
    // drop it.
    if (e->type() == QEvent::WindowBlocked || e->type() == QEvent::Hide)
        endDepartmentLabelDrag();
    return QMainWindow::event(e);
}

void MainWindow::onDepartmentSelected(void *d)
{
    // Every left press on a label comes here first, and no press can come
    // while a label drag is under way: a drag still open here lost its
    // release to a box that opened over the window meanwhile. It ends where
    // it started, or the next click on its label would drop it.
    endDepartmentLabelDrag();
    DeptInfo *dept = Department::findDept(departments, d);
    if (!dept || dept == currentDepartment)
        return;
    DeptInfo *previous = currentDepartment;
    if (previous && previous->label)
        previous->label->setSelected(false);
    if (dept->label)
        dept->label->setSelected(true);
    currentDepartment = dept;
    showDepartmentView(previous, dept);
}

void MainWindow::onDepartmentDragged(void *d, QPoint pos, bool dropped)
{
    DeptInfo *dept = Department::findDept(departments, d);
    if (!dept || !deptScrollArea)
        return;
    const int index = int(departments->indexOf(dept));
    const int scrollValue = deptScrollArea->verticalScrollBar()->value();
    const int labelX = dept->label ? dept->label->x() : 0;
    const int slot = deptScrollArea->followLabelDrag(index, dept->name, labelX, pos.y(), centralArea->height(),
                                                     int(departments->size()), dropped);
    if (!dropped)
        return;

    const int newIndex = DeptLabelOrder::moveEntry(*departments, index, slot);
    removeDepartmentWidget();
    createDepartmentLabel(newIndex);
    savedDeptScrollPos = scrollValue;
    saveDepartments();
    onDepartmentSelected(dept);
    deptScrollArea->restoreScrollPositionLater(savedDeptScrollPos);
}

void MainWindow::onDeviceDropped(void *d, OrlTreeView *source)
{
    DeptInfo *target = Department::findDept(departments, d);
    if (!target || !source || source == target->treeView)
        return;
    DeptInfo *from = Department::findDeptByTreeView(departments, source);
    // One save for the whole drop: the file ends up the same as after a save
    // per device, and a failing disk warns once, not once per device.
    if (DeviceDrop::moveSelectedDevices(from, target, &deviceDepartments, settings) > 0)
        saveDepartments();
}

void MainWindow::onDragEnter(void *, QPoint)
{
    if (deptScrollArea)
        deptScrollArea->startAutoScroll();
}
