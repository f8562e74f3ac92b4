#include "document/view/pendingtimes.h"
#include "document/view/richtextview.h"

#include <QPainter>

namespace Orvik {

// --- The lines' times, and the moves to a time.

// The times of a text set or changed on this thread are worked out here, from its first
// byte; an append without times prepared adds only its lines past those shown.
const SharedLineTimes &RichTextView::lineTimes() const {
    if (m_timesStale) {
        m_timesStale = false;
        m_times.reset();
        extendTimes();
    }
    return m_times;
}

void RichTextView::extendTimes() const {
    PendingTimes work(m_times);
    if (m_stamp.isValid())
        work.setStamp(m_stamp);
    work.extendIndexed(m_text.data(), m_text.size(), m_text.lines());
    m_times = work.finish();
}

qint64 RichTextView::caretTime() const {
    const SharedLineTimes &times = lineTimes();
    return times ? times->timeOf(m_text.lineAt(m_caret)) : NoTime;
}

void RichTextView::selectByReader(qint64 start, qint64 length) {
    setSelStart(start);
    setSelLength(length);
    centerOnOffset(start);
    emit readerMoved();
}

void RichTextView::selectLineByReader(qint64 line) {
    line = qBound<qint64>(0, line, m_text.lineCount() - 1);
    const qint64 start = m_text.lineStart(line);
    const qint64 end = m_text.lineEnd(line);
    selectByReader(start, end > start ? end - start : m_text.lines().lineLimit(line) - start);
}

void RichTextView::showTimeLine(qint64 line, bool band) {
    line = qBound<qint64>(0, line, m_text.lineCount() - 1);
    const qint64 start = m_text.lineStart(line);
    m_anchor = m_caret = start;
    m_navigator.forgetColumn();
    m_revealCaret = false; // a reveal still pending would undo the centring
    centerOnOffset(start);
    m_scrolledAway = true;
    m_bandLine = band ? line : -1;
    caretMoved();
}

void RichTextView::clearTimeBand() {
    if (m_bandLine < 0)
        return;
    m_bandLine = -1;
    viewport()->update();
}

// Under the band line's last row, across the whole width, when that row is on screen.
void RichTextView::paintTimeBand(QPainter &painter) {
    if (m_bandLine < 0 || m_bandLine >= m_text.lineCount())
        return;
    const RowPos row = m_layout.rowOf(m_text.lineEnd(m_bandLine));
    const qreal y = m_scroller.yOfRow(row);
    if (y < 0)
        return;
    const qreal height = m_layout.rowHeight(row);
    const qreal thickness = qMax<qreal>(2, height / 8);
    painter.fillRect(QRectF(0, Padding + y + height - thickness, viewport()->width(), thickness),
                     palette().color(QPalette::Highlight));
}

} // namespace Orvik
