#include "document/view/richtextview.h"

#include "document/view/lineindexpreparation.h"
#include "document/view/pendingtimes.h"
#include "document/view/richtextaccessible.h"
#include "document/view/savebytes.h"
#include "document/view/textprinter.h"
#include "document/view/viewpainter.h"

#include <QAccessible>
#include <QPainter>
#include <QScrollBar>

namespace Orvik {

RichTextView::RichTextView(QWidget *parent)
    : QAbstractScrollArea(parent) {
    RichTextAccessible::installFactory();
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

namespace {
// The lines of bytes being appended, and their times, found where the view's readers do not
// look yet: the times past the view's index, which stays as it is meanwhile.
class AppendPreparation : public TextPreparation {
public:
    // No `times` for a view that works its times out anew when asked.
    AppendPreparation(std::unique_ptr<LineIndex::Extension> extension,
                      std::unique_ptr<PendingTimes> times)
        : lines(std::move(extension))
        , times(std::move(times)) {}
    void extend(const char *data, qint64 size) override {
        lines->extend(data, size);
        if (times)
            times->extend(data, size);
    }
    void extendHeld(const std::shared_ptr<const ByteStore> &store, const char *data,
                    qint64 size) override {
        if (times)
            times->extendBeside(store, data, size);
        lines->extend(data, size);
    }
    void settle() override {
        if (times)
            times->wait();
    }
    void setStamp(const QDateTime &stamp) override {
        if (times)
            times->setStamp(stamp);
    }
    std::unique_ptr<LineIndex::Extension> lines;
    std::unique_ptr<PendingTimes> times;
};
} // namespace

std::unique_ptr<TextPreparation> RichTextView::prepareText() const {
    return std::make_unique<LineIndexPreparation>(m_accessibleUse || QAccessible::isActive());
}

std::unique_ptr<TextPreparation> RichTextView::prepareAppend() {
    // The extension writes only past the lines the view shows; the index itself stays put.
    auto extension = m_text.prepareAppend();
    if (!extension)
        return nullptr;
    return std::make_unique<AppendPreparation>(
        std::move(extension),
        m_timesStale ? nullptr : std::make_unique<PendingTimes>(m_times, m_text.size()));
}

void RichTextView::usePreparation(std::unique_ptr<TextPreparation> preparation) {
    m_appendPreparation = std::move(preparation);
}

void RichTextView::setPreparedText(const Contents &text,
                                   std::unique_ptr<TextPreparation> preparation) {
    auto *prepared = dynamic_cast<LineIndexPreparation *>(preparation.get());
    if (!prepared) {
        setText(text);
        return;
    }
    m_text.setText(text, std::move(prepared->lines), std::move(prepared->chars));
    m_stamp = prepared->times.stamp();
    m_times = prepared->times.finish();
    m_timesStale = false;
    textReplaced();
}

void RichTextView::setText(const Contents &text) {
    m_text.setText(text);
    m_times.reset();
    m_timesStale = true;
    textReplaced();
}

void RichTextView::textReplaced() {
    m_marks.clear();
    m_appendPreparation.reset();
    m_bandLine = -1;
    m_anchor = m_caret = 0;
    m_scrolledAway = false;
    m_layout.invalidate();
    m_scroller.reset();
    textChanged();
    if (QAccessible::isActive()) {
        QAccessibleTextUpdateEvent event(this, 0, QString(),
                                         RichTextAccessible::eventText(m_text, 0, m_text.size()));
        QAccessible::updateAccessibility(&event);
    }
    emit replaced();
}

int RichTextView::accessibleOffset(qint64 offset) const {
    return int(qMin<qint64>(m_text.charOffset(offset), INT_MAX));
}

Contents RichTextView::text() const {
    return m_text.contents();
}

void RichTextView::setSelText(const Contents &text) {
    const qint64 start = selStart();
    const qint64 length = selLength();
    const bool atEnd = length == 0 && start == m_text.size();
    if (atEnd) {
        appendAtEnd(text);
    } else {
        const qint64 topOffset = m_scroller.topOffset();
        const QByteArray bytes = text.toByteArray();
        m_text.replace(start, length, bytes.constData(), bytes.size());
        m_marks.replace(start, length, bytes.size());
        m_appendPreparation.reset();
        m_times.reset();
        m_timesStale = true;
        m_layout.invalidate();
        m_scroller.setTopOffset(qMin(topOffset, m_text.size()));
    }
    m_anchor = m_caret = start + text.size();
    if (atEnd)
        textAppended();
    else
        textChanged();
}

void RichTextView::appendKeepingSelection(const Contents &text) {
    appendAtEnd(text);
    textAppended();
}

// Growth at the end: the earlier lines, their layouts and colours stay as they are.
void RichTextView::appendAtEnd(const Contents &text) {
    const qint64 start = m_text.size();
    if (!m_appendPending) {
        m_appendPending = true;
        m_topBeforeAppend = m_scroller.top();
        m_appendedFrom = start;
    }
    m_layout.invalidateFrom(m_text.lineCount() - 1);
    const std::unique_ptr<TextPreparation> prepared = std::move(m_appendPreparation);
    auto *append = dynamic_cast<AppendPreparation *>(prepared.get());
    m_text.append(text, append ? append->lines.get() : nullptr);
    // The times worked out on the reading thread, when they continue the index shown over
    // exactly this text.
    PendingTimes *times = append ? append->times.get() : nullptr;
    if (times && times->previous() == m_times && times->size() == m_text.size()) {
        m_stamp = times->stamp();
        m_times = times->finish();
    } else if (!m_timesStale) {
        extendTimes();
    }
    if (QAccessible::isActive())
        QAccessible::updateAccessibility(RichTextAccessible::insertion(this, start).get());
    emit appended(start);
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
    m_marks.colour(start, end, color);
    viewport()->update();
}

SharedMarks RichTextView::layerMarks(int layer) const {
    return m_marks.layer(layer);
}

void RichTextView::setLayerMarks(int layer, SharedMarks marks) {
    m_marks.setLayer(layer, std::move(marks));
    viewport()->update();
}

void RichTextView::addLayerMarks(int layer, const MarkRuns &marks) {
    m_marks.addToLayer(layer, marks);
    viewport()->update();
}

void RichTextView::replaceLayerMarksFrom(int layer, qint64 from, const MarkRuns &marks) {
    m_marks.replaceInLayer(layer, from, marks);
    viewport()->update();
}

void RichTextView::setLayerStyle(int layer, const LayerStyle &style) {
    if (m_marks.layerStyle(layer) == style)
        return;
    m_marks.setLayerStyle(layer, style);
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
    if (offset != m_caret || m_anchor != m_caret)
        scheduleGeometry(); // the caret or the selection leaves the rows they were painted on
    m_anchor = m_caret = offset;
    if (offset == m_text.size())
        m_scrolledAway = false;
    m_navigator.forgetColumn();
    revealCaret();
}

bool RichTextView::followsEnd() const {
    return selLength() == 0 && !m_scrolledAway && !m_selecting && !m_extending;
}

// After the reader scrolled or moved the caret: the view follows the end again once the end
// is in view.
void RichTextView::noteScrollPosition() {
    m_scrolledAway = !m_scroller.atBottom();
}

qint64 RichTextView::selStart() const {
    return qMin(m_anchor, m_caret);
}

void RichTextView::setSelLength(qint64 length) {
    const qint64 start = selStart();
    m_anchor = start;
    m_caret = qBound<qint64>(start, start + qMax<qint64>(0, length), m_text.size());
    viewport()->update();
    caretMoved();
}

qint64 RichTextView::selLength() const {
    return qAbs(m_caret - m_anchor);
}

void RichTextView::selectAll() {
    m_anchor = 0;
    m_caret = m_text.size();
    viewport()->update();
    caretMoved();
}

void RichTextView::setCaret(qint64 offset, bool extend) {
    m_caret = qBound<qint64>(0, offset, m_text.size());
    if (!extend)
        m_anchor = m_caret;
    revealCaret();
}

void RichTextView::revealCaret() {
    reveal(m_caret);
    caretMoved();
}

void RichTextView::scrollToOffset(qint64 offset) {
    reveal(offset);
    updateGeometryNow();
}

void RichTextView::centerOnOffset(qint64 offset) {
    m_scroller.setHeight(viewport()->height() - Padding);
    m_scroller.centre(qBound<qint64>(0, offset, m_text.size()));
    scheduleGeometry();
}

void RichTextView::reveal(qint64 offset) {
    m_revealCaret = true;
    m_revealOffset = offset;
    // Bringing the end into view after an append is part of that append's repaint.
    scheduleGeometry(offset != m_text.size() || selLength() > 0);
}

void RichTextView::caretMoved() {
    if (!QAccessible::isActive())
        return;
    QAccessibleTextCursorEvent cursor(this, accessibleOffset(m_caret));
    QAccessible::updateAccessibility(&cursor);
    if (selLength() > 0) {
        QAccessibleTextSelectionEvent selection(this, accessibleOffset(selStart()),
                                                accessibleOffset(selStart() + selLength()));
        QAccessible::updateAccessibility(&selection);
    }
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
    const int visible = viewport()->width();
    const int width = m_rightMargin > 0 ? qMin(m_rightMargin, visible) : visible;
    return qMax(16, width - 2 * Padding);
}

// A view that showed the end of its text keeps showing it; one scrolled away follows again
// when the new layout brings the end into view.
void RichTextView::relayout() {
    const bool atBottom = m_scroller.atBottom();
    const qint64 topOffset = m_scroller.topOffset();
    m_layout.setFont(font());
    m_layout.setWidth(wrapWidth());
    m_scroller.setHeight(viewport()->height() - Padding);
    m_scroller.setTopOffset(topOffset);
    if (atBottom)
        m_scroller.setTop(m_scroller.maxTop());
    else if (m_scrolledAway)
        noteScrollPosition();
    scheduleGeometry();
}

void RichTextView::changeEvent(QEvent *event) {
    if (event->type() == QEvent::FontChange)
        relayout();
    QAbstractScrollArea::changeEvent(event);
}

void RichTextView::resizeEvent(QResizeEvent *event) {
    QAbstractScrollArea::resizeEvent(event);
    relayout();
}

// --- Saving and printing.

bool RichTextView::SaveFile(const QString &path, int format, QString *error) {
    if (format != 0 && format != 1) {
        if (error)
            *error = tr("Unknown file format %1").arg(format);
        return false;
    }
    // Either format writes the bytes as they are: the view holds no formatting to save.
    return saveBytes(path, m_text.data(), m_text.size(), error);
}

void RichTextView::SelPrint(QPrinter &printer) {
    const qint64 start = selLength() > 0 ? selStart() : 0;
    const qint64 end = selLength() > 0 ? selStart() + selLength() : m_text.size();
    TextPrinter(m_text, m_marks, font()).print(printer, start, end);
}

} // namespace Orvik
