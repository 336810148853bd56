// New, rename and delete from the department panel's menus. Each change is
// written to the department file at once.
#include "mainwindow.h"

#include "department.h"
#include "deptedit.h"
#include "deptinfo.h"
#include "orldroplabel.h"
#include "orltreeview.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

void MainWindow::onNewDepartment()
{
    if (!deptLayout)
        return;
    DeptInfo *dept = DeptEdit::newDepartment(departments, this);
    if (!dept)
        return;
    deptLayout->addWidget(createLabel(dept, false));
    saveDepartments();
    createDeviceTreeView(dept);
}

void MainWindow::onDepartmentRename(void *d)
{
    DeptInfo *dept = Department::findDept(departments, d);
    if (dept && DeptEdit::renameDepartment(dept, this))
        saveDepartments();
}

void MainWindow::onDepartmentDelete(void *d)
{
    DeptInfo *dept = Department::findDept(departments, d);
    if (!dept || !DeptEdit::confirmDelete(departments, dept, this))
        return;
    const bool wasCurrent = dept == currentDepartment;
    // The wizard's later steps then find no devices to act on.
    if (dept == updates.wizardDepartment)
        updates.wizardDepartment = nullptr;
    DeptInfo *next = DeptEdit::deleteDepartment(departments, dept, currentDepartment, &deviceDepartments);
    if (!next)
        return;
    if (wasCurrent) {
        currentDepartment = next;
        if (next->treeView) {
            centralLayout->addWidget(next->treeView);
            next->treeView->show();
        }
        if (next->label)
            next->label->setSelected(true);
    }
    saveDepartments();
}
