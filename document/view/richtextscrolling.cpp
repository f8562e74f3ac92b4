#include "document/view/richtextview.h"

#include "document/view/viewpainter.h"

#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>

#include <cmath>

namespace Orvik {

// --- Scrolling. The vertical position is a row; the scroll bar counts bytes (in units that
// keep the range within an int), so it stays meaningful for any mix of short and long lines.

void RichTextView::textChanged() {
    m_scroller.textChanged();
    scheduleGeometry();
}

void RichTextView::textAppended() {
    m_scroller.textChanged();
    scheduleGeometry(false);
}

void RichTextView::scheduleGeometry(bool repaintAll) {
    if (repaintAll) {
        m_repaintAll = true;
        viewport()->update();
    }
    if (m_geometryScheduled)
        return;
    m_geometryScheduled = true;
    QMetaObject::invokeMethod(this, &RichTextView::updateGeometryNow, Qt::QueuedConnection);
}

void RichTextView::updateGeometryNow() {
    m_geometryScheduled = false;
    m_scroller.setHeight(viewport()->height() - Padding);
    if (m_revealCaret) {
        m_revealCaret = false;
        const qint64 offset = qMin(m_revealOffset, m_text.size());
        m_scroller.reveal(offset);
        noteScrollPosition();
        const int x = int(m_layout.xOf(m_layout.rowOf(offset), offset)) + Padding;
        QScrollBar *h = horizontalScrollBar();
        if (x < h->value())
            h->setValue(x - Padding);
        else if (x > h->value() + viewport()->width() - Padding)
            h->setValue(x - viewport()->width() + 2 * Padding);
    }
    syncScrollBars();
    const bool appendedOnly = m_appendPending && !m_repaintAll;
    m_appendPending = false;
    m_repaintAll = false;
    if (!appendedOnly || !repaintAppended())
        viewport()->update();
}

// After appends only: the rows above the appended text look as they did, so they are moved
// up by the height of the rows that left the top (the window system copies their pixels),
// and only the rows from the appended text's line on are painted. A view following a log
// then paints a row or two per line written, not the whole window.
bool RichTextView::repaintAppended() {
    if (viewport()->testAttribute(Qt::WA_WState_InPaintEvent))
        return false;
    const RowPos top = m_scroller.top();
    if (top < m_topBeforeAppend)
        return false;
    const int visible = m_scroller.visibleRowCount();
    qreal shift = 0;
    RowPos pos = m_topBeforeAppend;
    for (int n = 0; pos != top; ++n) {
        if (n > visible)
            return false;
        shift += m_layout.rowHeight(pos);
        if (!m_layout.nextRow(pos))
            return false;
    }
    if (shift != qreal(qRound(shift)))
        return false; // rows would not land on whole pixels
    // The first row that may have changed: the first of the line the appended text began in,
    // whose wrapping may have changed with it.
    RowPos changed = m_layout.rowOf(m_appendedFrom);
    changed.piece = 0;
    changed.row = 0;
    if (changed < top)
        return false;
    const qreal height = viewport()->height();
    qreal y = Padding;
    for (pos = top; pos != changed && y < height;) {
        y += m_layout.rowHeight(pos);
        if (!m_layout.nextRow(pos))
            break;
    }
    const int width = viewport()->width();
    if (shift > 0)
        viewport()->scroll(0, -qRound(shift), QRect(0, Padding, width, int(height) - Padding));
    viewport()->update(QRect(0, int(std::floor(y)), width, int(height)));
    return true;
}

void RichTextView::scrollRows(int rows) {
    m_scroller.scrollRows(rows);
    noteScrollPosition();
    syncScrollBars();
    viewport()->update();
}

static qint64 scrollUnit(qint64 size) {
    return 1 + size / 1000000000;
}

void RichTextView::syncScrollBars() {
    m_syncing = true;
    const qint64 unit = scrollUnit(m_text.size());
    QScrollBar *v = verticalScrollBar();
    const qint64 maxOffset = m_layout.rowStart(m_scroller.maxTop());
    const int rows = m_scroller.visibleRowCount();
    const auto [topOffset, bottomOffset] = m_scroller.visibleRange();
    const qint64 shown = qMax<qint64>(1, bottomOffset - topOffset);
    v->setRange(0, int(maxOffset / unit));
    v->setPageStep(int(qMax<qint64>(1, shown / unit)));
    v->setSingleStep(int(qMax<qint64>(1, shown / unit / qMax(1, rows))));
    if (!v->isSliderDown())
        v->setValue(int(topOffset / unit));
    QScrollBar *h = horizontalScrollBar();
    h->setRange(0, qMax(0, int(wrapWidth()) + 2 * Padding - viewport()->width()));
    h->setPageStep(viewport()->width());
    h->setSingleStep(qMax(1, fontMetrics().averageCharWidth() * 2));
    m_syncing = false;
}

void RichTextView::onVerticalValue(int value) {
    if (m_syncing)
        return;
    const int action = m_pendingAction;
    m_pendingAction = QAbstractSlider::SliderNoAction;
    switch (action) {
    case QAbstractSlider::SliderSingleStepAdd:
        scrollRows(1);
        return;
    case QAbstractSlider::SliderSingleStepSub:
        scrollRows(-1);
        return;
    case QAbstractSlider::SliderPageStepAdd:
        scrollRows(qMax(1, m_scroller.visibleRowCount() - 1));
        return;
    case QAbstractSlider::SliderPageStepSub:
        scrollRows(-qMax(1, m_scroller.visibleRowCount() - 1));
        return;
    default:
        break;
    }
    if (value >= verticalScrollBar()->maximum())
        m_scroller.setTop(m_scroller.maxTop());
    else
        m_scroller.setTop(m_layout.rowOf(qint64(value) * scrollUnit(m_text.size())));
    noteScrollPosition();
    syncScrollBars();
    viewport()->update();
}

void RichTextView::scrollContentsBy(int dx, int) {
    // The vertical bar is set to the top row's place as the geometry is worked out, which
    // repaints what it moved itself.
    if (m_syncing && dx == 0)
        return;
    m_repaintAll = true;
    viewport()->update();
}

qint64 RichTextView::topOffset() {
    return m_scroller.topOffset();
}

qint64 RichTextView::countRows() {
    qint64 rows = 0;
    for (qint64 line = 0; line < m_text.lineCount(); ++line)
        for (int p = 0; p < m_text.pieceCount(line); ++p)
            rows += m_layout.piece(line, p)->rows();
    return rows;
}

QRect RichTextView::characterRect(qint64 offset) {
    offset = qBound(qint64(0), offset, m_text.size());
    const RowPos row = m_layout.rowOf(offset);
    const qreal y = m_scroller.yOfRow(row);
    if (y < 0)
        return QRect();
    const int scrolled = horizontalScrollBar()->value();
    const qreal x = m_layout.xOf(row, offset) + Padding - scrolled;
    const qreal next = m_layout.xOf(row, m_text.nextCharOffset(offset)) + Padding - scrolled;
    return QRectF(x, y + Padding, qMax<qreal>(1, next - x), m_layout.rowHeight(row))
        .toAlignedRect();
}

std::pair<qint64, qint64> RichTextView::visibleRange() {
    if (m_geometryScheduled)
        updateGeometryNow();
    return m_scroller.visibleRange();
}

// --- Painting.

void RichTextView::paintEvent(QPaintEvent *event) {
    if (m_geometryScheduled)
        updateGeometryNow();
    QPainter painter(viewport());
    ViewPainter view(m_layout, m_marks);
    ViewPainter::Style style;
    style.text = palette().color(QPalette::Text);
    style.highlight = palette().color(QPalette::Highlight);
    style.highlightedText = palette().color(QPalette::HighlightedText);
    view.setStyle(style);
    view.setSelection(selStart(), selStart() + selLength());
    view.setCaret(hasFocus() ? m_caret : -1);
    const QRect exposed = event->rect();
    view.setExposed(exposed.top(), exposed.bottom() + 1);
    view.paint(painter, m_scroller.top(),
               QPointF(Padding - horizontalScrollBar()->value(), Padding),
               viewport()->height() - Padding, true);
    paintTimeBand(painter);
}

} // namespace Orvik
