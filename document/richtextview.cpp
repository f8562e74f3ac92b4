#include "richtextview.h"

#include "textprinter.h"
#include "viewpainter.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QPainter>
#include <QSaveFile>
#include <QScrollBar>
#include <QWheelEvent>

namespace Orvik {

RichTextView::RichTextView(QWidget *parent)
    : QAbstractScrollArea(parent) {
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_InputMethodEnabled, false);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    viewport()->setCursor(Qt::IBeamCursor);
    viewport()->setBackgroundRole(QPalette::Base);
    viewport()->setAcceptDrops(true);
    setAcceptDrops(true);
    m_layout.setFont(font());
    m_layout.setWidth(wrapWidth());
    connect(verticalScrollBar(), &QScrollBar::actionTriggered, this,
            [this](int action) { m_pendingAction = action; });
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, &RichTextView::onVerticalValue);
}

RichTextView::~RichTextView() = default;

// --- The text and its colours.

void RichTextView::setText(const Contents &text) {
    m_text.setText(text);
    m_marks.clear();
    m_anchor = m_caret = 0;
    m_top = RowPos();
    m_layout.invalidate();
    textChanged();
}

Contents RichTextView::text() const {
    return m_text.contents();
}

void RichTextView::setSelText(const Contents &text) {
    const qint64 start = selStart();
    const qint64 length = selLength();
    if (length == 0 && start == m_text.size()) {
        // Growth at the end: the earlier lines, their layouts and colours stay as they are.
        m_layout.invalidateFrom(m_text.lineCount() - 1);
        m_text.append(text);
    } else {
        const qint64 topOffset = m_layout.rowStart(m_top);
        const QByteArray bytes = text.toByteArray();
        m_text.replace(start, length, bytes.constData(), bytes.size());
        m_marks.replace(start, length, bytes.size());
        m_layout.invalidate();
        m_top = m_layout.rowOf(qMin(topOffset, m_text.size()));
        m_top.row = 0;
        m_top = m_layout.rowOf(m_layout.rowStart(m_top));
    }
    m_anchor = m_caret = start + text.size();
    textChanged();
}

QByteArray RichTextView::selText() const {
    return QByteArray(m_text.data() + selStart(), qsizetype(selLength()));
}

void RichTextView::setSelColor(ColorNumber color) {
    colorRange(selStart(), selLength(), color);
}

void RichTextView::colorRange(qint64 offset, qint64 length, ColorNumber color) {
    const qint64 start = qBound<qint64>(0, offset, m_text.size());
    const qint64 end = qBound<qint64>(start, offset + qMax<qint64>(0, length), m_text.size());
    m_marks.assign(start, end, color);
    viewport()->update();
}

QString RichTextView::plainText() const {
    return m_text.plainText(0, m_text.size());
}

QString RichTextView::selectedPlainText() const {
    return m_text.plainText(selStart(), selStart() + selLength());
}

// --- Caret and selection.

void RichTextView::setSelStart(qint64 offset) {
    offset = qBound<qint64>(0, offset, m_text.size());
    m_anchor = m_caret = offset;
    m_preferredX = -1;
    revealCaret();
}

qint64 RichTextView::selStart() const {
    return qMin(m_anchor, m_caret);
}

void RichTextView::setSelLength(qint64 length) {
    const qint64 start = selStart();
    m_anchor = start;
    m_caret = qBound<qint64>(start, start + qMax<qint64>(0, length), m_text.size());
    viewport()->update();
}

qint64 RichTextView::selLength() const {
    return qAbs(m_caret - m_anchor);
}

void RichTextView::setCaret(qint64 offset, bool extend) {
    m_caret = qBound<qint64>(0, offset, m_text.size());
    if (!extend)
        m_anchor = m_caret;
    revealCaret();
}

void RichTextView::revealCaret() {
    m_revealCaret = true;
    scheduleGeometry();
}

// --- Font, width and visibility.

void RichTextView::setDisplayFont(const DisplayFont &font) {
    QFont f(font.name);
    f.setPointSize(qMax(1, font.size));
    f.setBold(font.bold);
    f.setItalic(font.italic);
    f.setUnderline(font.underline);
    setFont(f);
}

void RichTextView::setVisible(bool visible) {
    QAbstractScrollArea::setVisible(visible);
}

void RichTextView::setRightMargin(int pixels) {
    m_rightMargin = qMax(0, pixels);
    relayout();
}

int RichTextView::rightMargin() const {
    return m_rightMargin;
}

qreal RichTextView::wrapWidth() const {
    const int width = m_rightMargin > 0 ? m_rightMargin : viewport()->width();
    return qMax(16, width - 2 * Padding);
}

void RichTextView::relayout() {
    const qint64 topOffset = m_layout.rowStart(m_top);
    m_layout.setFont(font());
    m_layout.setWidth(wrapWidth());
    m_top = m_layout.rowOf(topOffset);
    m_maxTopValid = false;
    scheduleGeometry();
}

void RichTextView::changeEvent(QEvent *event) {
    if (event->type() == QEvent::FontChange)
        relayout();
    QAbstractScrollArea::changeEvent(event);
}

void RichTextView::resizeEvent(QResizeEvent *event) {
    QAbstractScrollArea::resizeEvent(event);
    const bool atBottom = m_maxTopValid && !(m_top < m_maxTop);
    relayout();
    if (atBottom)
        setTop(maxTop());
}

// --- Scrolling. The vertical position is a row; the scroll bar counts bytes (in units that
// keep the range within an int), so it stays meaningful for any mix of short and long lines.

void RichTextView::textChanged() {
    m_maxTopValid = false;
    scheduleGeometry();
}

void RichTextView::scheduleGeometry() {
    viewport()->update();
    if (m_geometryScheduled)
        return;
    m_geometryScheduled = true;
    QMetaObject::invokeMethod(this, &RichTextView::updateGeometryNow, Qt::QueuedConnection);
}

void RichTextView::updateGeometryNow() {
    m_geometryScheduled = false;
    if (m_revealCaret) {
        m_revealCaret = false;
        const RowPos caret = m_layout.rowOf(m_caret);
        if (caret < m_top) {
            setTop(caret);
        } else {
            // Visible when it is among the rows that fit from the top.
            RowPos pos = m_top;
            qreal y = m_layout.rowHeight(pos);
            const qreal height = viewport()->height() - Padding;
            bool visible = pos == caret;
            while (!visible && y < height && m_layout.nextRow(pos)) {
                y += m_layout.rowHeight(pos);
                visible = pos == caret && y <= height;
                if (caret < pos)
                    break;
            }
            if (!visible) {
                // Put the caret's row at the bottom.
                RowPos top = caret;
                qreal used = m_layout.rowHeight(top);
                RowPos prev = top;
                while (m_layout.prevRow(prev)) {
                    used += m_layout.rowHeight(prev);
                    if (used > height)
                        break;
                    top = prev;
                }
                setTop(top);
            }
        }
        const int x = int(m_layout.xOf(caret, m_caret)) + Padding;
        QScrollBar *h = horizontalScrollBar();
        if (x < h->value())
            h->setValue(x - Padding);
        else if (x > h->value() + viewport()->width() - Padding)
            h->setValue(x - viewport()->width() + 2 * Padding);
    }
    syncScrollBars();
    viewport()->update();
}

RowPos RichTextView::maxTop() {
    if (m_maxTopValid)
        return m_maxTop;
    RowPos top = m_layout.lastRow();
    qreal used = m_layout.rowHeight(top);
    const qreal height = viewport()->height() - Padding;
    RowPos prev = top;
    while (m_layout.prevRow(prev)) {
        used += m_layout.rowHeight(prev);
        if (used > height)
            break;
        top = prev;
    }
    m_maxTop = top;
    m_maxTopValid = true;
    return top;
}

void RichTextView::setTop(const RowPos &top) {
    const RowPos limit = maxTop();
    m_top = limit < top ? limit : top;
    viewport()->update();
}

void RichTextView::scrollRows(int rows) {
    RowPos pos = m_top;
    for (; rows > 0 && m_layout.nextRow(pos); --rows) {
    }
    for (; rows < 0 && m_layout.prevRow(pos); ++rows) {
    }
    setTop(pos);
    syncScrollBars();
}

int RichTextView::visibleRowCount() {
    RowPos pos = m_top;
    qreal y = m_layout.rowHeight(pos);
    int rows = 1;
    const qreal height = viewport()->height() - Padding;
    while (y < height && m_layout.nextRow(pos)) {
        y += m_layout.rowHeight(pos);
        if (y <= height)
            ++rows;
    }
    return rows;
}

static qint64 scrollUnit(qint64 size) {
    return 1 + size / 1000000000;
}

void RichTextView::syncScrollBars() {
    m_syncing = true;
    const qint64 unit = scrollUnit(m_text.size());
    QScrollBar *v = verticalScrollBar();
    const qint64 maxOffset = m_layout.rowStart(maxTop());
    const int rows = visibleRowCount();
    RowPos bottom = m_top;
    for (int i = 0; i < rows && m_layout.nextRow(bottom); ++i) {
    }
    const qint64 topOffset = m_layout.rowStart(m_top);
    const qint64 shown = qMax<qint64>(1, m_layout.rowStart(bottom) - topOffset);
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
        scrollRows(qMax(1, visibleRowCount() - 1));
        return;
    case QAbstractSlider::SliderPageStepSub:
        scrollRows(-qMax(1, visibleRowCount() - 1));
        return;
    default:
        break;
    }
    if (value >= verticalScrollBar()->maximum()) {
        setTop(maxTop());
    } else {
        RowPos pos = m_layout.rowOf(qint64(value) * scrollUnit(m_text.size()));
        setTop(pos);
    }
    syncScrollBars();
}

void RichTextView::scrollContentsBy(int, int) {
    viewport()->update();
}

void RichTextView::wheelEvent(QWheelEvent *event) {
    const QPoint delta = event->angleDelta();
    if (qAbs(delta.x()) > qAbs(delta.y())) {
        horizontalScrollBar()->setValue(horizontalScrollBar()->value() - delta.x() / 4);
    } else {
        m_wheelRemainder += delta.y();
        const int steps = m_wheelRemainder / 120;
        m_wheelRemainder -= steps * 120;
        if (steps != 0)
            scrollRows(-steps * QApplication::wheelScrollLines());
    }
    event->accept();
}

qint64 RichTextView::topOffset() {
    return m_layout.rowStart(m_top);
}

qint64 RichTextView::countRows() {
    qint64 rows = 0;
    for (qint64 line = 0; line < m_text.lineCount(); ++line)
        for (int p = 0; p < m_text.pieceCount(line); ++p)
            rows += m_layout.piece(line, p)->rows();
    return rows;
}

// --- Painting.

void RichTextView::paintEvent(QPaintEvent *) {
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
    view.paint(painter, m_top, QPointF(Padding - horizontalScrollBar()->value(), Padding),
               viewport()->height() - Padding, true);
}

// --- Saving and printing.

bool RichTextView::SaveFile(const QString &path, int format, QString *error) {
    auto fail = [error](const QString &why) {
        if (error)
            *error = why;
        return false;
    };
    if (format != 1 && format != 0)
        return fail(tr("Unknown file format %1").arg(format));
    if (QFileInfo(path).isDir())
        return fail(tr("%1 is a folder").arg(QDir::toNativeSeparators(path)));
    // The bytes go to a temporary file beside the target, renamed into place on success:
    // a failure never leaves a half-written file instead of an existing one.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return fail(file.errorString());
    constexpr qint64 Chunk = 1 << 20;
    for (qint64 done = 0; done < m_text.size();) {
        const qint64 n = qMin(Chunk, m_text.size() - done);
        if (file.write(m_text.data() + done, n) != n) {
            const QString why = file.errorString();
            file.cancelWriting();
            return fail(why);
        }
        done += n;
    }
    if (!file.commit())
        return fail(file.errorString());
    return true;
}

void RichTextView::SelPrint(QPrinter &printer) {
    const qint64 start = selLength() > 0 ? selStart() : 0;
    const qint64 end = selLength() > 0 ? selStart() + selLength() : m_text.size();
    TextPrinter(m_text, m_marks, font()).print(printer, start, end);
}

// --- Mouse and keyboard. The view is read-only: keys it does not use for moving or
// selecting (Ctrl+C, Ctrl+O and every other shortcut) go on to the main window.

RowPos RichTextView::rowAtY(int y) {
    RowPos pos = m_top;
    qreal bottom = Padding + m_layout.rowHeight(pos);
    while (y >= bottom && m_layout.nextRow(pos))
        bottom += m_layout.rowHeight(pos);
    return pos;
}

qint64 RichTextView::offsetAtPoint(const QPoint &point) {
    const RowPos pos = rowAtY(point.y());
    return m_layout.offsetAt(pos, point.x() - Padding + horizontalScrollBar()->value());
}

void RichTextView::keyPressEvent(QKeyEvent *event) {
    const bool shift = event->modifiers() & Qt::ShiftModifier;
    const bool ctrl = event->modifiers() & Qt::ControlModifier;
    if (event == QKeySequence::SelectAll) {
        m_anchor = 0;
        m_caret = m_text.size();
        viewport()->update();
        return;
    }
    qint64 target = m_caret;
    const bool vertical = event->key() == Qt::Key_Up || event->key() == Qt::Key_Down ||
                          event->key() == Qt::Key_PageUp || event->key() == Qt::Key_PageDown;
    if (vertical && m_preferredX < 0)
        m_preferredX = m_layout.xOf(m_layout.rowOf(m_caret), m_caret);
    RowPos row = m_layout.rowOf(m_caret);
    switch (event->key()) {
    case Qt::Key_Left:
        target = m_text.prevCharOffset(m_caret);
        break;
    case Qt::Key_Right:
        target = m_text.nextCharOffset(m_caret);
        break;
    case Qt::Key_Up:
        target = m_layout.prevRow(row) ? m_layout.offsetAt(row, m_preferredX) : 0;
        break;
    case Qt::Key_Down:
        target = m_layout.nextRow(row) ? m_layout.offsetAt(row, m_preferredX) : m_text.size();
        break;
    case Qt::Key_PageUp:
    case Qt::Key_PageDown: {
        const int rows = qMax(1, visibleRowCount() - 1);
        const bool down = event->key() == Qt::Key_PageDown;
        int moved = 0;
        while (moved < rows && (down ? m_layout.nextRow(row) : m_layout.prevRow(row)))
            ++moved;
        target = moved < rows ? (down ? m_text.size() : 0) : m_layout.offsetAt(row, m_preferredX);
        scrollRows(down ? rows : -rows);
        break;
    }
    case Qt::Key_Home:
        target = ctrl ? 0 : m_layout.rowStart(row);
        break;
    case Qt::Key_End:
        target = ctrl ? m_text.size() : m_layout.offsetAt(row, 1e9);
        break;
    default:
        event->ignore();
        return;
    }
    if (!vertical)
        m_preferredX = -1;
    const qreal keepX = m_preferredX;
    setCaret(target, shift);
    m_preferredX = keepX;
}

void RichTextView::mousePressEvent(QMouseEvent *event) {
    if (event->button() != Qt::LeftButton) {
        QAbstractScrollArea::mousePressEvent(event);
        return;
    }
    m_selecting = true;
    m_preferredX = -1;
    setCaret(offsetAtPoint(event->position().toPoint()), event->modifiers() & Qt::ShiftModifier);
}

void RichTextView::mouseMoveEvent(QMouseEvent *event) {
    if (!m_selecting || !(event->buttons() & Qt::LeftButton))
        return;
    const QPoint at = event->position().toPoint();
    if (at.y() < 0)
        scrollRows(-1);
    else if (at.y() > viewport()->height())
        scrollRows(1);
    setCaret(offsetAtPoint(at), true);
}

void RichTextView::mouseReleaseEvent(QMouseEvent *event) {
    if (event->button() == Qt::LeftButton)
        m_selecting = false;
}

void RichTextView::mouseDoubleClickEvent(QMouseEvent *event) {
    if (event->button() != Qt::LeftButton)
        return;
    const auto [start, end] = m_text.wordAt(offsetAtPoint(event->position().toPoint()));
    m_anchor = start;
    m_caret = end;
    m_selecting = false;
    viewport()->update();
}

void RichTextView::contextMenuEvent(QContextMenuEvent *event) {
    QMenu menu(this);
    QAction *copy = menu.addAction(tr("&Copy"));
    copy->setEnabled(selLength() > 0);
    connect(copy, &QAction::triggered, this,
            [this] { QGuiApplication::clipboard()->setText(selectedPlainText()); });
    menu.addSeparator();
    QAction *all = menu.addAction(tr("Select &All"));
    connect(all, &QAction::triggered, this, [this] {
        m_anchor = 0;
        m_caret = m_text.size();
        viewport()->update();
    });
    menu.exec(event->globalPos());
}

void RichTextView::focusInEvent(QFocusEvent *event) {
    QAbstractScrollArea::focusInEvent(event);
    viewport()->update();
}

void RichTextView::focusOutEvent(QFocusEvent *event) {
    QAbstractScrollArea::focusOutEvent(event);
    viewport()->update();
}

// --- Drops are reported, never inserted.

void RichTextView::dragEnterEvent(QDragEnterEvent *event) {
    event->ignore();
    emit oleDragOver(event);
}

void RichTextView::dragMoveEvent(QDragMoveEvent *event) {
    event->ignore();
    emit oleDragOver(event);
}

void RichTextView::dropEvent(QDropEvent *event) {
    event->ignore();
    emit oleDragDrop(event);
}

} // namespace Orvik
