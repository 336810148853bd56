#include "deptedit.h"
#include "department.h"
#include "deptinfo.h"
#include "devicetree.h"
#include "orldroplabel.h"
#include "prompter.h"

#include "commands/dlggettext.h"
#include "devicelink/utils.h"

#include <QLayout>

const char *const DeptEdit::NamePrompt = "Enter department name";
const char *const DeptEdit::DeleteTitle = "Deleting department";

namespace {
QString askName(QWidget *parent)
{
    QString name;
    DlgGetText dlg(parent, QLatin1String(DeptEdit::NamePrompt), &name);
    prompter()->exec(&dlg);
    return name;
}

void removeLabel(DeptInfo *dept)
{
    OrlDropLabel *label = dept->label;
    dept->label = nullptr;
    if (!label)
        return;
    if (QWidget *panel = label->parentWidget())
        if (QLayout *layout = panel->layout())
            layout->removeWidget(label);
    label->hide();
    label->deleteLater();
}

// Members of the deleted department register into "Orphans" from now on,
// as they would after a restart; a department sharing its id keeps its own.
void forgetMembers(QMap<QString, int> *map, QList<DeptInfo *> *departments, int id)
{
    if (!map)
        return;
    map->removeIf([id](const QMap<QString, int>::iterator &it) { return it.value() == id; });
    for (DeptInfo *d : *departments)
        if (d && d->id == id)
            for (const QString &mac : d->macs)
                map->insert(mac, id);
}
} // namespace

DeptInfo *DeptEdit::newDepartment(QList<DeptInfo *> *departments, QWidget *parent)
{
    const QString name = askName(parent);
    if (name.isEmpty() || !departments)
        return nullptr;
    auto *dept = new DeptInfo(nullptr);
    dept->name = name;
    dept->id = Department::nextDeptId(departments);
    dept->imageFile = QString();
    departments->append(dept);
    return dept;
}

bool DeptEdit::renameDepartment(DeptInfo *dept, QWidget *parent)
{
    if (!dept)
        return false;
    const QString name = askName(parent);
    if (name.isEmpty())
        return false;
    dept->name = name;
    if (dept->label)
        dept->label->setDepartmentName(name);
    return true;
}

bool DeptEdit::confirmDelete(QList<DeptInfo *> *departments, DeptInfo *dept, QWidget *parent)
{
    if (!dept)
        return false;
    const QString title = QLatin1String(DeleteTitle);
    // The name may be the department file's text: it adds no lines to the
    // boxes, nor megabytes.
    const QString name = Utils::oneLine(dept->name.left(OrlDropLabel::MaxShownName));
    if (dept->id == 0) {
        prompter()->information(parent, title,
                                QLatin1String("Department:\n\n") + name
                                    + QLatin1String("\n\nis a special case and cannot be deleted!"),
                                QMessageBox::Ok);
        return false;
    }
    const auto refuseNotEmpty = [&] {
        prompter()->information(parent, title,
                                QLatin1String("Cannot delete Department:\n\n") + name
                                    + QLatin1String("\n\nIt is not empty!"),
                                QMessageBox::Ok);
        return false;
    };
    if (!dept->devices.isEmpty())
        return refuseNotEmpty();
    if (!departments || !departments->contains(dept))
        return false;
    const QMessageBox::StandardButton answer = prompter()->question(
        parent, title,
        QLatin1String("Do you really want to delete department:\n\n") + name
            + QLatin1String("\n\nThis action cannot be undone!"),
        QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
    if (answer != QMessageBox::Yes)
        return false;
    // A member may have registered into the department while the question
    // was up; deleting it then would take the device's row with it.
    if (!dept->devices.isEmpty())
        return refuseNotEmpty();
    return true;
}

DeptInfo *DeptEdit::deleteDepartment(QList<DeptInfo *> *departments, DeptInfo *dept, DeptInfo *current,
                                     QMap<QString, int> *deviceDepartments)
{
    const int index = departments && dept ? int(departments->indexOf(dept)) : -1;
    if (index < 0)
        return nullptr;
    DeptInfo *next = current;
    if (dept == current) {
        const int neighbour = index > 0 ? index - 1 : index + 1;
        next = neighbour < departments->size() ? departments->at(neighbour) : nullptr;
    }
    DeviceTree::destroyDeviceTree(dept);
    departments->removeAt(index);
    forgetMembers(deviceDepartments, departments, dept->id);
    removeLabel(dept);
    delete dept;
    return next;
}
