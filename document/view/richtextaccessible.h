#pragma once

#include <QAccessibleTextInterface>
#include <QAccessibleWidget>

#include <memory>

namespace Orvik {

class RichTextView;
class ViewText;

// What screen readers and desktop test tools see of rtfText: a read-only multi-line text
// read by range on demand (never the whole text at once), with the caret, the selection and
// the rows on screen. Its offsets count the characters shown (UTF-16 units), not the bytes.
class RichTextAccessible : public QAccessibleWidget, public QAccessibleTextInterface {
public:
    explicit RichTextAccessible(RichTextView *view);

    // Makes the accessibility framework use this class for every RichTextView.
    static void installFactory();

    // Events carry changed text whole: at most its first EventTextLimit characters.
    static constexpr qint64 EventTextLimit = 64 * 1024;
    static QString eventText(const ViewText &text, qint64 start, qint64 end);
    // The event for text added to the view from byte `start` to its end.
    static std::unique_ptr<QAccessibleTextInsertEvent> insertion(RichTextView *view, qint64 start);

    QAccessible::State state() const override;
    QString text(QAccessible::Text t) const override;
    void *interface_cast(QAccessible::InterfaceType t) override;

    // QAccessibleTextInterface
    void selection(int selectionIndex, int *startOffset, int *endOffset) const override;
    int selectionCount() const override;
    void addSelection(int startOffset, int endOffset) override;
    void removeSelection(int selectionIndex) override;
    void setSelection(int selectionIndex, int startOffset, int endOffset) override;
    int cursorPosition() const override;
    void setCursorPosition(int position) override;
    QString text(int startOffset, int endOffset) const override;
    QString textBeforeOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                             int *startOffset, int *endOffset) const override;
    QString textAfterOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                            int *startOffset, int *endOffset) const override;
    QString textAtOffset(int offset, QAccessible::TextBoundaryType boundaryType, int *startOffset,
                         int *endOffset) const override;
    int characterCount() const override;
    QRect characterRect(int offset) const override;
    int offsetAtPoint(const QPoint &point) const override;
    void scrollToSubstring(int startIndex, int endIndex) override;
    QString attributes(int offset, int *startOffset, int *endOffset) const override;

private:
    RichTextView *view() const;
    int toChar(qint64 offset) const;
    qint64 toByte(int chars) const;
    // The unit of text of the given kind around offset: [start, end).
    std::pair<qint64, qint64> unitAt(qint64 offset, QAccessible::TextBoundaryType type) const;
};

} // namespace Orvik
