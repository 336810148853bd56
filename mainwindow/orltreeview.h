#ifndef ORLTREEVIEW_H
#define ORLTREEVIEW_H

#include <QElapsedTimer>
#include <QPoint>
#include <QRegion>
#include <QTimer>
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

    void dataChanged(const QModelIndex &topLeft, const QModelIndex &bottomRight,
                     const QList<int> &roles = QList<int>()) override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;
    void rowsInserted(const QModelIndex &parent, int start, int end) override;
    void mousePressEvent(QMouseEvent *e) override;
    void mouseReleaseEvent(QMouseEvent *e) override;
    void mouseMoveEvent(QMouseEvent *e) override;

private:
    // Rows appended to an expanded row join the laid-out rows where they
    // belong, instead of the whole tree being laid out again at the next
    // pass: a fleet registering into one group would otherwise cost a walk
    // over every row (and a repaint of the whole view) per pass. Returns
    // false, having changed nothing, where the view must lay out as usual.
    bool appendInPlace(const QModelIndex &parent, int start, int end);
    // Where a row stands among the laid-out rows, or -1; found by the rows'
    // model positions, skipping over whole subtrees.
    int laidOutRow(const QModelIndex &index) const;
    // Whether the row of index is on screen.
    bool showsRow(const QModelIndex &index) const;
    // The last laid-out row the viewport shows, as the base class finds it.
    int lastShownRow() const;
    struct ShownRows {
        int scrolled = -1, height = -1, rows = -1, rowHeight = -1, scrollMode = -1;
        bool operator==(const ShownRows &o) const
        {
            return scrolled == o.scrolled && height == o.height && rows == o.rows && rowHeight == o.rowHeight
                   && scrollMode == o.scrollMode;
        }
    };
    mutable ShownRows m_shownRows;
    mutable int m_lastShownRow = -1;
    // The rows shown are laid out and in step with the model: no layout is
    // waiting, and no rows are on their way out.
    bool laidOut() const;
    // Rows of changed values are repainted at most once a frame: a fleet's
    // reports would otherwise repaint the shown rows at every pass.
    static constexpr int FrameMs = 16;
    void repaintSoon(const QRect &band);
    void repaintNow();
    QRegion m_dirty;
    QTimer *m_repaint = nullptr;
    QElapsedTimer m_lastRepaint;
};

#endif // ORLTREEVIEW_H
