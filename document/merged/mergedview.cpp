#include "document/merged/mergedview.h"

#include "document/merged/mergedaccessible.h"
#include "document/merged/mergedlogs.h"
#include "document/merged/mergedrowlist.h"
#include "document/view/richtextview.h"

#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>

#include <climits>

namespace Orvik {

namespace {
constexpr int Padding = 2;      // pixels between the frame and the rows
constexpr int StripeWidth = 4;  // the log's colour at the start of each row
constexpr int MinTagChars = 6;  // the tag's width in characters, at least
constexpr int MaxTagChars = 24; // and at most: longer names are cut in their middle
} // namespace

MergedView::MergedView(const MergedLogs &logs, const MergedRowList &list, QWidget *parent)
    : QAbstractScrollArea(parent)
    , m_logs(logs)
    , m_list(list) {
    MergedAccessible::installFactory();
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setCursor(Qt::ArrowCursor);
    viewport()->setBackgroundRole(QPalette::Base);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, &MergedView::onVerticalValue);
    connect(horizontalScrollBar(), &QScrollBar::valueChanged, viewport(),
            qOverload<>(&QWidget::update));
}

int MergedView::rowHeight() const {
    return qMax(1, fontMetrics().height());
}

int MergedView::visibleRows() const {
    return qMax(1, (viewport()->height() - 2 * Padding) / rowHeight());
}

int MergedView::tagChars() const {
    int chars = MinTagChars;
    for (const MergedLogs::Log *log : m_logs.logs())
        chars = qMax(chars, int(log->tag.size()));
    return qMin(chars, MaxTagChars);
}

// One character more than the longest tag, as room between the tag and the line: widths of
// one character, which the font keeps, not of a text to be shaped at every change.
int MergedView::tagWidth() const {
    return StripeWidth + 4 + fontMetrics().horizontalAdvance(QLatin1Char('x')) * (tagChars() + 1) +
           8;
}

qint64 MergedView::maxTop() const {
    return qMax<qint64>(0, m_list.rowCount() - visibleRows());
}

void MergedView::setTop(qint64 top) {
    m_top = qBound<qint64>(0, top, maxTop());
    m_topRow = m_top < m_list.rowCount() ? m_list.row(m_top) : MergedRows::Row{-1, 0};
}

void MergedView::listChanged() {
    if (m_selected) {
        m_anchorIndex = m_list.indexOf(m_anchor);
        m_currentIndex = m_list.indexOf(m_current);
        // The selected lines went (their log closed or replaced).
        if (m_anchorIndex < 0 || m_currentIndex < 0)
            clearSelection();
    }
    if (followsEnd()) {
        setTop(maxTop());
    } else {
        const qint64 top = m_topRow.source >= 0 ? m_list.indexOf(m_topRow) : -1;
        setTop(top >= 0 ? top : m_top);
    }
    syncScrollBars();
    viewport()->update();
}

void MergedView::syncScrollBars() {
    m_syncing = true;
    QScrollBar *bar = verticalScrollBar();
    bar->setRange(0, int(qMin<qint64>(INT_MAX, maxTop())));
    bar->setPageStep(visibleRows());
    bar->setSingleStep(1);
    bar->setValue(int(qMin<qint64>(INT_MAX, m_top)));
    QScrollBar *across = horizontalScrollBar();
    const int textRoom = viewport()->width() - tagWidth();
    across->setRange(0, qMax(0, m_textWidth - textRoom));
    across->setPageStep(qMax(1, textRoom));
    across->setSingleStep(fontMetrics().averageCharWidth() * 4);
    m_syncing = false;
}

// The reader scrolled: the end out of view stops the following.
void MergedView::onVerticalValue(int value) {
    if (m_syncing)
        return;
    setTop(value);
    m_scrolledAway = m_top < maxTop();
    viewport()->update();
}

void MergedView::scrollContentsBy(int, int) {
    viewport()->update();
}

void MergedView::resizeEvent(QResizeEvent *event) {
    QAbstractScrollArea::resizeEvent(event);
    setTop(followsEnd() ? maxTop() : m_top);
    syncScrollBars();
}

std::pair<qint64, qint64> MergedView::selection() const {
    if (!m_selected)
        return {-1, -1};
    return {qMin(m_anchorIndex, m_currentIndex), qMax(m_anchorIndex, m_currentIndex)};
}

void MergedView::selectRows(qint64 anchor, qint64 current) {
    const qint64 count = m_list.rowCount();
    if (count == 0)
        return;
    anchor = qBound<qint64>(0, anchor, count - 1);
    current = qBound<qint64>(0, current, count - 1);
    m_selected = true;
    m_anchorIndex = anchor;
    m_anchor = m_list.row(anchor);
    setCurrent(current, true);
}

void MergedView::clearSelection() {
    m_selected = false;
    m_anchorIndex = m_currentIndex = -1;
    viewport()->update();
}

void MergedView::setCurrent(qint64 index, bool extend) {
    const qint64 count = m_list.rowCount();
    if (count == 0)
        return;
    index = qBound<qint64>(0, index, count - 1);
    if (!extend || !m_selected) {
        m_anchorIndex = index;
        m_anchor = m_list.row(index);
    }
    m_selected = true;
    m_currentIndex = index;
    m_current = m_list.row(index);
    if (index < m_top)
        setTop(index);
    else if (index >= m_top + visibleRows())
        setTop(index - visibleRows() + 1);
    syncScrollBars();
    viewport()->update();
}

void MergedView::followEnd() {
    clearSelection();
    m_scrolledAway = false;
    setTop(maxTop());
    syncScrollBars();
}

qint64 MergedView::rowAt(const QPoint &point) const {
    const qint64 index = m_top + (point.y() - Padding) / rowHeight();
    return point.y() >= Padding && index < m_list.rowCount() ? index : -1;
}

void MergedView::keyPressEvent(QKeyEvent *event) {
    const bool shift = event->modifiers() & Qt::ShiftModifier;
    const bool control = event->modifiers() & Qt::ControlModifier;
    const qint64 at = m_selected ? m_currentIndex : m_top;
    switch (event->key()) {
    case Qt::Key_Up:
        setCurrent(at - 1, shift);
        break;
    case Qt::Key_Down:
        setCurrent(m_selected ? at + 1 : at, shift);
        break;
    case Qt::Key_PageUp:
        setCurrent(at - visibleRows(), shift);
        break;
    case Qt::Key_PageDown:
        setCurrent(at + visibleRows(), shift);
        break;
    case Qt::Key_Home:
        setCurrent(0, shift);
        break;
    case Qt::Key_End:
        if (control && !shift)
            followEnd();
        else
            setCurrent(m_list.rowCount() - 1, shift);
        break;
    case Qt::Key_A:
        if (!control)
            return QAbstractScrollArea::keyPressEvent(event);
        selectRows(0, m_list.rowCount() - 1);
        break;
    case Qt::Key_Escape:
        clearSelection();
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (m_selected)
            emit rowActivated(m_current);
        break;
    default:
        return QAbstractScrollArea::keyPressEvent(event);
    }
    event->accept();
}

void MergedView::mousePressEvent(QMouseEvent *event) {
    if (event->button() != Qt::LeftButton)
        return QAbstractScrollArea::mousePressEvent(event);
    const qint64 index = rowAt(event->position().toPoint());
    m_dragged = false;
    m_pressed = index;
    if (index >= 0 && (event->modifiers() & Qt::ShiftModifier)) {
        setCurrent(index, true);
        m_pressed = -1;
    }
}

void MergedView::mouseMoveEvent(QMouseEvent *event) {
    if (!(event->buttons() & Qt::LeftButton) || m_pressed < 0)
        return;
    const qint64 index = rowAt(event->position().toPoint());
    if (index < 0 || (index == m_pressed && !m_dragged))
        return;
    if (!m_dragged) {
        m_dragged = true;
        setCurrent(m_pressed, false);
    }
    setCurrent(index, true);
}

void MergedView::mouseReleaseEvent(QMouseEvent *event) {
    if (event->button() != Qt::LeftButton)
        return QAbstractScrollArea::mouseReleaseEvent(event);
    const qint64 pressed = m_pressed;
    m_pressed = -1;
    if (m_dragged || pressed < 0 || event->modifiers() != Qt::NoModifier)
        return;
    if (rowAt(event->position().toPoint()) == pressed)
        emit rowActivated(m_list.row(pressed));
}

qint64 MergedView::rowsShown() const {
    return m_list.rowCount() - m_top;
}

QString MergedView::rowText(qint64 index) const {
    if (index < 0 || index >= m_list.rowCount())
        return QString();
    const MergedRows::Row row = m_list.row(index);
    return m_logs.tagOf(row.source) + QStringLiteral(": ") + m_logs.lineText(row);
}

void MergedView::paintEvent(QPaintEvent *) {
    QPainter painter(viewport());
    const QPalette &colors = palette();
    const QFontMetrics metrics = fontMetrics();
    const int height = rowHeight();
    const int tag = tagWidth();
    const int width = viewport()->width();
    const int shift = horizontalScrollBar()->value();
    const auto [first, last] = selection();
    const qint64 end = qMin(m_list.rowCount(), m_top + visibleRows() + 1);
    int widest = m_textWidth;
    for (qint64 index = m_top; index < end; ++index) {
        const MergedRows::Row row = m_list.row(index);
        const int y = Padding + int(index - m_top) * height;
        const bool selected = index >= first && index <= last && first >= 0;
        if (selected)
            painter.fillRect(QRect(0, y, width, height), colors.color(QPalette::Highlight));
        const QColor color = m_logs.colorOf(row.source);
        painter.fillRect(QRect(Padding, y, StripeWidth, height), color);
        painter.setPen(selected ? colors.color(QPalette::HighlightedText) : color);
        const QString name =
            metrics.elidedText(m_logs.tagOf(row.source), Qt::ElideMiddle,
                               tag - StripeWidth - 12 - metrics.averageCharWidth() + 2);
        painter.drawText(QRect(Padding + StripeWidth + 4, y, tag, height),
                         Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, name);
        painter.save();
        painter.setClipRect(QRect(tag, y, width - tag, height));
        const int textWidth = paintLine(painter, row, QPoint(tag - shift, y), selected);
        painter.restore();
        widest = qMax(widest, textWidth);
    }
    if (widest != m_textWidth) {
        m_textWidth = widest;
        syncScrollBars();
    }
}

namespace {
QColor colorOf(ColorNumber color) {
    return QColor(int(color & 0xff), int((color >> 8) & 0xff), int((color >> 16) & 0xff));
}
} // namespace

// The line as its view shows it: the rows its rules give a background on their tint, the
// text in the colours of its highlight and rule marks. Gives the width painted.
int MergedView::paintLine(QPainter &painter, const MergedRows::Row &row, const QPoint &at,
                          bool selected) const {
    const RichTextView *view = m_logs.viewOf(row.source);
    if (!view || row.line >= view->viewText().lineCount())
        return 0;
    const ViewText &text = view->viewText();
    const ViewMarks &marks = view->marks();
    const qint64 start = text.lineStart(row.line);
    const qint64 end = qMin(text.lineEnd(row.line), start + MergedLogs::RowBytes);
    const bool utf8 = text.isUtf8(row.line);
    const QFontMetrics metrics = fontMetrics();
    const QColor plain = palette().color(selected ? QPalette::HighlightedText : QPalette::Text);
    if (!selected) {
        const ColorNumber background = marks.backgroundAt(start);
        if (background != ViewMarks::NoColor) {
            QColor tint = colorOf(background);
            tint.setAlpha(64);
            painter.fillRect(QRect(at.x(), at.y(), viewport()->width() - at.x(), rowHeight()),
                             tint);
        }
    }
    int x = at.x();
    const int baseline = at.y() + metrics.ascent();
    const auto piece = [&](qint64 from, qint64 to, const QColor &color) {
        if (to <= from)
            return;
        QString decoded;
        decodeBytes(text.data() + from, to - from, utf8, true, decoded);
        painter.setPen(color);
        painter.drawText(QPoint(x, baseline), decoded);
        x += metrics.horizontalAdvance(decoded);
    };
    qint64 done = start;
    for (const ViewMarks::Run &run : marks.runs(start, end)) {
        piece(done, qMax(done, run.start), plain);
        const qint64 from = qMax(done, run.start);
        const qint64 to = qMin(end, run.end);
        piece(from, to, selected || run.color == ViewMarks::NoColor ? plain : colorOf(run.color));
        done = qMax(done, to);
    }
    piece(done, end, plain);
    return x - at.x();
}

std::pair<qint64, qint64> MergedView::copyRange() const {
    if (m_selected)
        return selection();
    return {0, m_list.rowCount() - 1};
}

qint64 MergedView::copyBytes(qint64 atMost) const {
    const auto [first, last] = copyRange();
    qint64 bytes = 0;
    for (qint64 index = first; index <= last && bytes <= atMost; ++index) {
        const MergedRows::Row row = m_list.row(index);
        bytes += m_logs.tagOf(row.source).toUtf8().size() + 3 + m_logs.lineBytes(row);
    }
    return bytes;
}

// Each row as "tag  line", the tags padded to one width so that the lines start together.
QString MergedView::copyText() const {
    const auto [first, last] = copyRange();
    int width = 0;
    for (const MergedLogs::Log *log : m_logs.logs())
        width = qMax(width, int(log->tag.size()));
    QString text;
    for (qint64 index = first; index <= last && first >= 0; ++index) {
        const MergedRows::Row row = m_list.row(index);
        text += m_logs.tagOf(row.source).leftJustified(width) + QStringLiteral("  ") +
                m_logs.lineText(row, true) + QLatin1Char('\n');
    }
    return text;
}

} // namespace Orvik
