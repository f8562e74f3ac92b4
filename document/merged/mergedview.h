#pragma once

#include "core/merge/mergedrows.h"

#include <QAbstractScrollArea>

class QPainter;

namespace Orvik {

class MergedLogs;
class MergedRowList;

// Rows of the merged logs, one line each: a tag of fixed width naming the line's log in the
// log's colour, then the line as its document's view shows it. Only the rows on screen are
// laid out and painted; the list is read when painted. It follows the end of the list as a
// document's view does: unless the reader selected rows or scrolled the end out of view, new
// rows at the end are brought into view; otherwise the rows on screen and the selection stay
// on the same lines as rows come and go around them. Ctrl+End follows again.
//
// A click on a row, or Enter on the current row, asks for that line in its log's window; a
// drag, Shift with a click or the arrow keys select rows.
class MergedView : public QAbstractScrollArea {
    Q_OBJECT

public:
    MergedView(const MergedLogs &logs, const MergedRowList &list, QWidget *parent = nullptr);

    // The list changed: rows came or went.
    void listChanged();
    bool followsEnd() const { return !m_selected && !m_scrolledAway; }
    qint64 topRow() const { return m_top; }
    int visibleRows() const;
    // Selected rows [first, last], or (-1, -1).
    std::pair<qint64, qint64> selection() const;
    void selectRows(qint64 anchor, qint64 current);
    void clearSelection();
    // The row's tag and text as painted, for screen readers.
    QString rowText(qint64 index) const;
    // The rows from the top one to the end of the list.
    qint64 rowsShown() const;

    // For Copy: the selected rows, or every row when none is, each its tag and its line. The
    // bytes are counted no further than needed to tell whether they pass `atMost`.
    qint64 copyBytes(qint64 atMost) const;
    QString copyText() const;

signals:
    void rowActivated(const MergedRows::Row &row);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    int rowHeight() const;
    int tagWidth() const;
    int tagChars() const;
    qint64 maxTop() const;
    qint64 rowAt(const QPoint &point) const;
    void setTop(qint64 top);
    void syncScrollBars();
    void onVerticalValue(int value);
    void setCurrent(qint64 index, bool extend);
    void followEnd();
    std::pair<qint64, qint64> copyRange() const;
    int paintLine(QPainter &painter, const MergedRows::Row &row, const QPoint &at,
                  bool selected) const;

    const MergedLogs &m_logs;
    const MergedRowList &m_list;
    qint64 m_top = 0;
    MergedRows::Row m_topRow{-1, 0}; // the line at the top, found again as rows come and go
    bool m_selected = false;
    MergedRows::Row m_anchor{-1, 0};
    MergedRows::Row m_current{-1, 0};
    qint64 m_anchorIndex = -1;
    qint64 m_currentIndex = -1;
    bool m_scrolledAway = false;
    bool m_syncing = false;
    qint64 m_pressed = -1; // the row a click began on
    bool m_dragged = false;
    int m_textWidth = 0; // the widest line painted
};

} // namespace Orvik
