#include "document/view/richtextaccessible.h"

#include "document/view/richtextview.h"
#include "document/view/viewpainter.h"

#include <QAccessible>
#include <QScrollBar>

#include <limits>

namespace Orvik {

namespace {
constexpr qint64 WholeValueLimit = 1 << 20; // larger texts give the rows on screen as value

int clampInt(qint64 v) {
    return int(qBound(qint64(0), v, qint64(std::numeric_limits<int>::max())));
}

QAccessibleInterface *factory(const QString &className, QObject *object) {
    if (className == QLatin1String("Orvik::RichTextView") && object && object->isWidgetType())
        return new RichTextAccessible(static_cast<RichTextView *>(object));
    return nullptr;
}
} // namespace

RichTextAccessible::RichTextAccessible(RichTextView *view)
    : QAccessibleWidget(view, QAccessible::EditableText) {
    view->noteAccessibleUse();
}

void RichTextAccessible::installFactory() {
    static bool installed = false;
    if (!installed) {
        QAccessible::installFactory(factory);
        installed = true;
    }
}

QString RichTextAccessible::eventText(const ViewText &text, qint64 start, qint64 end) {
    if (end - start > EventTextLimit)
        end = qMin(end, text.offsetOfChar(text.charOffset(start) + EventTextLimit));
    return text.plainText(start, end);
}

std::unique_ptr<QAccessibleTextInsertEvent> RichTextAccessible::insertion(RichTextView *view,
                                                                          qint64 start) {
    const ViewText &text = view->viewText();
    return std::make_unique<QAccessibleTextInsertEvent>(view, clampInt(text.charOffset(start)),
                                                        eventText(text, start, text.size()));
}

RichTextView *RichTextAccessible::view() const {
    return static_cast<RichTextView *>(widget());
}

int RichTextAccessible::toChar(qint64 offset) const {
    return clampInt(view()->viewText().charOffset(offset));
}

qint64 RichTextAccessible::toByte(int chars) const {
    return view()->viewText().offsetOfChar(chars);
}

QAccessible::State RichTextAccessible::state() const {
    QAccessible::State s = QAccessibleWidget::state();
    s.readOnly = true;
    s.multiLine = true;
    s.selectableText = true;
    s.editable = false;
    return s;
}

QString RichTextAccessible::text(QAccessible::Text t) const {
    if (t != QAccessible::Value)
        return QAccessibleWidget::text(t);
    const ViewText &text = view()->viewText();
    if (text.size() <= WholeValueLimit)
        return view()->plainText();
    const auto [start, end] = view()->visibleRange();
    return text.plainText(start, end);
}

void *RichTextAccessible::interface_cast(QAccessible::InterfaceType t) {
    if (t == QAccessible::TextInterface)
        return static_cast<QAccessibleTextInterface *>(this);
    return QAccessibleWidget::interface_cast(t);
}

void RichTextAccessible::selection(int selectionIndex, int *startOffset, int *endOffset) const {
    *startOffset = *endOffset = 0;
    if (selectionIndex != 0 || view()->selLength() == 0)
        return;
    *startOffset = toChar(view()->selStart());
    *endOffset = toChar(view()->selStart() + view()->selLength());
}

int RichTextAccessible::selectionCount() const {
    return view()->selLength() > 0 ? 1 : 0;
}

void RichTextAccessible::addSelection(int startOffset, int endOffset) {
    setSelection(0, startOffset, endOffset);
}

void RichTextAccessible::removeSelection(int selectionIndex) {
    if (selectionIndex == 0)
        view()->setSelLength(0);
}

void RichTextAccessible::setSelection(int selectionIndex, int startOffset, int endOffset) {
    if (selectionIndex != 0)
        return;
    const qint64 start = toByte(qMin(startOffset, endOffset));
    view()->setSelStart(start);
    view()->setSelLength(toByte(qMax(startOffset, endOffset)) - start);
}

int RichTextAccessible::cursorPosition() const {
    return toChar(view()->cursorPosition());
}

void RichTextAccessible::setCursorPosition(int position) {
    view()->setSelStart(toByte(position));
}

QString RichTextAccessible::text(int startOffset, int endOffset) const {
    return view()->viewText().plainText(toByte(startOffset), toByte(endOffset));
}

std::pair<qint64, qint64> RichTextAccessible::unitAt(qint64 offset,
                                                     QAccessible::TextBoundaryType type) const {
    const ViewText &text = view()->viewText();
    offset = qBound(qint64(0), offset, text.size());
    switch (type) {
    case QAccessible::CharBoundary:
        return {offset, text.nextCharOffset(offset)};
    case QAccessible::WordBoundary:
        return text.wordAt(offset);
    case QAccessible::NoBoundary:
        return {0, text.size()};
    default: { // lines (and sentences and paragraphs, which are lines here)
        const qint64 line = text.lineAt(offset);
        return {text.lineStart(line), text.lines().lineLimit(line)};
    }
    }
}

QString RichTextAccessible::textAtOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                                         int *startOffset, int *endOffset) const {
    const auto [start, end] = unitAt(toByte(offset), boundaryType);
    *startOffset = toChar(start);
    *endOffset = toChar(end);
    return view()->viewText().plainText(start, end);
}

QString RichTextAccessible::textBeforeOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                                             int *startOffset, int *endOffset) const {
    const qint64 start = unitAt(toByte(offset), boundaryType).first;
    if (start <= 0) {
        *startOffset = *endOffset = 0;
        return QString();
    }
    return textAtOffset(toChar(view()->viewText().prevCharOffset(start)), boundaryType, startOffset,
                        endOffset);
}

QString RichTextAccessible::textAfterOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                                            int *startOffset, int *endOffset) const {
    const qint64 end = unitAt(toByte(offset), boundaryType).second;
    if (end >= view()->viewText().size()) {
        *startOffset = *endOffset = characterCount();
        return QString();
    }
    return textAtOffset(toChar(end), boundaryType, startOffset, endOffset);
}

int RichTextAccessible::characterCount() const {
    return toChar(view()->viewText().size());
}

QRect RichTextAccessible::characterRect(int offset) const {
    const QRect r = view()->characterRect(toByte(offset));
    if (r.isNull())
        return r;
    return QRect(view()->viewport()->mapToGlobal(r.topLeft()), r.size());
}

int RichTextAccessible::offsetAtPoint(const QPoint &point) const {
    const QPoint local = view()->viewport()->mapFromGlobal(point);
    if (!view()->viewport()->rect().contains(local))
        return -1;
    return toChar(view()->offsetAt(local));
}

void RichTextAccessible::scrollToSubstring(int startIndex, int endIndex) {
    Q_UNUSED(endIndex);
    view()->scrollToOffset(toByte(startIndex));
}

QString RichTextAccessible::attributes(int offset, int *startOffset, int *endOffset) const {
    // The colour runs: a mark's range with its colour, or the plain stretch between marks.
    const ViewMarks::Run run = view()->marks().runAt(toByte(offset), view()->viewText().size());
    *startOffset = toChar(run.start);
    *endOffset = toChar(run.end);
    const auto rgb = [](ColorNumber color) {
        const QColor c = toQColor(color);
        return QStringLiteral("rgb(%1,%2,%3);").arg(c.red()).arg(c.green()).arg(c.blue());
    };
    QString attributes;
    if (run.color != ViewMarks::NoColor)
        attributes = QStringLiteral("color:") + rgb(run.color);
    // A line coloured whole by a rule: its colour as the background of the run.
    const ColorNumber background = view()->marks().backgroundAt(toByte(offset));
    if (background != ViewMarks::NoColor)
        attributes += QStringLiteral("background-color:") + rgb(background);
    return attributes;
}

} // namespace Orvik
