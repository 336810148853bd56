#ifndef ORLTREEVIEW_H
#define ORLTREEVIEW_H

#include <QElapsedTimer>
#include <QList>
#include <QPersistentModelIndex>
#include <QPoint>
#include <QRegion>
#include <QSet>
#include <QTimer>
#include <QTreeView>

#include "devicelink/devicerow.h"

// A department's device tree, and the source of device drags: any movement
// with the left button held, after a press on a row that the press left
// selected, starts a move drag that names this tree. The department label
// it is dropped on moves the selected device rows.
class OrlTreeView : public QTreeView, public DeviceRow::Viewer
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
    void doItemsLayout() override;
    bool shownRows(std::vector<const QStandardItem *> *rows) override;
    void keyboardSearch(const QString &search) override;

protected:
    bool event(QEvent *e) override;
    void keyPressEvent(QKeyEvent *e) override;
    void paintEvent(QPaintEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;
    void rowsInserted(const QModelIndex &parent, int start, int end) override;
    void mousePressEvent(QMouseEvent *e) override;
    void mouseReleaseEvent(QMouseEvent *e) override;
    void mouseMoveEvent(QMouseEvent *e) override;

private:
    // The row the keys act on, made the current one: the current row through
    // its first cell, or the group it is folded into.
    QModelIndex keyRow();
    // Rows appended to an expanded row wait, and join the laid-out rows
    // where they belong when the view next needs its layout (at the latest
    // when the event loop comes round), all the pass's rows in one walk.
    // Laying the whole tree out again would ask the model about every row,
    // and making room for each row as it came would move every row after it:
    // both cost a fleet registering into its groups a walk over every row
    // per device. Returns false, having changed nothing, where the view must
    // lay out as usual.
    bool holdAppended(const QModelIndex &parent, int start, int end);
    // Puts the waiting rows in place; false, having changed nothing, where
    // anything else changed meanwhile that a full layout must take in.
    bool joinHeld();
    void dropHeld();
    // The last press left the row under it selected: a drag may start.
    bool m_pressedSelected = false;
    struct Held {
        QPersistentModelIndex parent;
        int first;   // the first row appended to it since the layout
    };
    QList<Held> m_held;
    // What the held rows were appended to: the laid-out rows and what
    // decides them, so that a change the view hears of in no other way (a
    // row expanded or hidden meanwhile) has it lay out as usual.
    struct HeldAgainst {
        const QAbstractItemModel *model = nullptr;
        qsizetype rows = -1;
        QSet<QPersistentModelIndex> expanded, hidden, spanning;
        bool operator==(const HeldAgainst &o) const
        {
            return model == o.model && rows == o.rows && expanded == o.expanded && hidden == o.hidden
                   && spanning == o.spanning;
        }
    };
    HeldAgainst m_heldAgainst;
    HeldAgainst heldAgainstNow() const;
    // A change of the model's structure other than appended rows.
    bool m_heldSpoilt = false;
    QList<QMetaObject::Connection> m_spoilers;
    const QAbstractItemModel *m_watched = nullptr;
    void watchModel();
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
