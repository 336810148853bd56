#ifndef ORLTREEVIEW_H
#define ORLTREEVIEW_H

#include <QPoint>
#include <QTreeView>

// A department's device tree, and the source of device drags: any movement
// with the left button held starts a move drag that names this tree. The
// department label it is dropped on moves the selected device rows.
class OrlTreeView : public QTreeView
{
    Q_OBJECT
public:
    static constexpr const char *DragPixmap = ":/images/resources/images/thinclient.gif";

    explicit OrlTreeView(QWidget *parent = nullptr);
    ~OrlTreeView() override;

    // Runs the drag until it ends; a completed move clears the selection,
    // since the rows it named have gone to another tree.
    virtual void performDrag();

    QPoint dragStartPosition;

protected:
    void mousePressEvent(QMouseEvent *e) override;
    void mouseReleaseEvent(QMouseEvent *e) override;
    void mouseMoveEvent(QMouseEvent *e) override;
};

#endif // ORLTREEVIEW_H
