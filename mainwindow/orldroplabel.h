#ifndef ORLDROPLABEL_H
#define ORLDROPLABEL_H

#include "orltreeview.h"

#include <QLabel>
#include <QPoint>

class QMenu;

// One department's square label in the department panel: a left click
// selects the department, a left drag reorders it, a right click offers
// "Rename" and "Delete", and device rows dragged out of a tree can be
// dropped on it. Every signal carries the department it stands for.
class OrlDropLabel : public QLabel
{
    Q_OBJECT
public:
    static constexpr int Side = 64;
    static constexpr const char *NormalStyle = "OrlDropLabel { background-color: #666666; color: #ff0000; }";
    static constexpr const char *SelectedStyle = "OrlDropLabel { background-color: #000000; color: #ff0000; }";

    OrlDropLabel(QWidget *parent, void *dept);
    ~OrlDropLabel() override;

    // A department file may name a department with megabytes, which the
    // label laid out for seconds at every paint; no more than this much of a
    // name is shown, in the label or a box.
    static constexpr int MaxShownName = 1024;

    // The department name as the label's rich text. The name is shown as
    // typed: markup characters in it are escaped, so a name such as "<A>"
    // neither vanishes nor breaks the label.
    static QString labelText(const QString &name);

    // Geometry, text, background and the normal or the selected style.
    void applyLook(const QString &name, bool selected);
    void setDepartmentName(const QString &name);
    void setSelected(bool selected);

    // The right-click menu, parented to the label; its actions call onRename
    // and onDelete. The caller runs and deletes it.
    QMenu *createContextMenu();

    void *dept;
    QPoint pressPos;
    bool dragging = false;

signals:
    void onDepartmentRename(void *dept);
    void onDepartmentDelete(void *dept);
    void onDepartmentSelected(void *dept);
    void onDepartmentDragged(void *dept, QPoint pos, bool dropped);
    // The drag under way ends without a drop.
    void onDepartmentDragEnded(void *dept);
    void onDeviceDropped(void *dept, OrlTreeView *source);
    void onDragEnter(void *dept, QPoint pos);
    void onDragLeave(void *dept);

public slots:
    void onRename();
    void onDelete();

protected:
    void mousePressEvent(QMouseEvent *e) override;
    void mouseReleaseEvent(QMouseEvent *e) override;
    void mouseMoveEvent(QMouseEvent *e) override;
    void dragEnterEvent(QDragEnterEvent *e) override;
    void dropEvent(QDropEvent *e) override;
};

#endif // ORLDROPLABEL_H
