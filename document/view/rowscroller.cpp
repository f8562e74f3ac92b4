#include "document/view/rowscroller.h"

namespace Orvik {

void RowScroller::setHeight(qreal height) {
    if (qFuzzyCompare(height, m_height))
        return;
    m_height = height;
    m_maxTopValid = false;
}

void RowScroller::setTop(const RowPos &top) {
    const RowPos limit = maxTop();
    m_top = limit < top ? limit : top;
}

void RowScroller::setTopOffset(qint64 offset) {
    m_maxTopValid = false;
    setTop(m_layout.rowOf(offset));
}

void RowScroller::scrollRows(int rows) {
    RowPos pos = m_top;
    for (; rows > 0 && m_layout.nextRow(pos); --rows) {
    }
    for (; rows < 0 && m_layout.prevRow(pos); ++rows) {
    }
    setTop(pos);
}

RowPos RowScroller::maxTop() {
    if (m_maxTopValid)
        return m_maxTop;
    m_maxTop = topShowingAtBottom(m_layout.lastRow());
    m_maxTopValid = true;
    return m_maxTop;
}

RowPos RowScroller::topShowingAtBottom(const RowPos &bottom) {
    RowPos top = bottom;
    qreal used = m_layout.rowHeight(top);
    RowPos prev = top;
    while (m_layout.prevRow(prev)) {
        used += m_layout.rowHeight(prev);
        if (used > m_height)
            break;
        top = prev;
    }
    return top;
}

int RowScroller::visibleRowCount() {
    RowPos pos = m_top;
    qreal y = m_layout.rowHeight(pos);
    int rows = 1;
    while (y < m_height && m_layout.nextRow(pos)) {
        y += m_layout.rowHeight(pos);
        if (y <= m_height)
            ++rows;
    }
    return rows;
}

std::pair<qint64, qint64> RowScroller::visibleRange() {
    RowPos pos = m_top;
    const qint64 start = m_layout.rowStart(pos);
    qreal y = m_layout.rowHeight(pos);
    while (y < m_height && m_layout.nextRow(pos))
        y += m_layout.rowHeight(pos);
    return {start, m_layout.piece(pos)->rowEnd(pos.row)};
}

RowPos RowScroller::rowAtY(qreal y) {
    RowPos pos = m_top;
    qreal bottom = m_layout.rowHeight(pos);
    while (y >= bottom && m_layout.nextRow(pos))
        bottom += m_layout.rowHeight(pos);
    return pos;
}

qreal RowScroller::yOfRow(const RowPos &row) {
    if (row < m_top)
        return -1;
    RowPos pos = m_top;
    qreal y = 0;
    while (pos != row) {
        y += m_layout.rowHeight(pos);
        if (y >= m_height || !m_layout.nextRow(pos))
            return -1;
    }
    return y + m_layout.rowHeight(row) <= m_height || y == 0 ? y : -1;
}

void RowScroller::reveal(qint64 offset) {
    const RowPos row = m_layout.rowOf(offset);
    if (row < m_top) {
        setTop(row);
        return;
    }
    if (yOfRow(row) >= 0)
        return;
    setTop(topShowingAtBottom(row));
}

void RowScroller::centre(qint64 offset) {
    const RowPos row = m_layout.rowOf(offset);
    if (!(row < m_top) && yOfRow(row) >= 0)
        return;
    RowPos top = row;
    qreal above = (m_height - m_layout.rowHeight(row)) / 2;
    RowPos prev = row;
    while (m_layout.prevRow(prev)) {
        above -= m_layout.rowHeight(prev);
        if (above < 0)
            break;
        top = prev;
    }
    setTop(top);
}

} // namespace Orvik
