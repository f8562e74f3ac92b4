#pragma once

#include "document/view/viewlayout.h"

namespace Orvik {

// The vertical position of a view as the row at its top, over a layout, for a text area of
// a given height. The top never goes below the row that shows the last row at the bottom.
// Every step costs what the rows on screen cost, whatever the size of the text.
class RowScroller {
public:
    explicit RowScroller(ViewLayout &layout)
        : m_layout(layout) {}

    void setHeight(qreal height);
    qreal height() const { return m_height; }
    // The text or the layout changed: the lowest top must be found again.
    void textChanged() { m_maxTopValid = false; }

    // Back to the first row, for a new text.
    void reset() {
        m_top = RowPos();
        m_maxTopValid = false;
    }
    const RowPos &top() const { return m_top; }
    qint64 topOffset() { return m_layout.rowStart(m_top); }
    void setTop(const RowPos &top);
    // The row holding offset at the top; used to keep the place across a new layout.
    void setTopOffset(qint64 offset);
    void scrollRows(int rows);
    RowPos maxTop();
    bool atBottom() { return !(m_top < maxTop()); }

    int visibleRowCount();
    // The bytes [start, end) of the rows on screen.
    std::pair<qint64, qint64> visibleRange();
    // The row at y (from the top of the text area); the last one for y below the text.
    RowPos rowAtY(qreal y);
    // The y of a row on screen, or -1 when it is not wholly on screen.
    qreal yOfRow(const RowPos &row);
    // Scrolls as little as needed to show the row holding offset.
    void reveal(qint64 offset);
    // Puts the row holding offset in the middle, unless it is wholly on screen already.
    void centre(qint64 offset);

private:
    ViewLayout &m_layout;
    qreal m_height = 100;
    // The highest top from which `bottom` is still the last row that fits in the height.
    RowPos topShowingAtBottom(const RowPos &bottom);

    RowPos m_top;
    RowPos m_maxTop;
    bool m_maxTopValid = false;
};

} // namespace Orvik
