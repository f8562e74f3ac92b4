#pragma once

#include "core/documentview.h"
#include "core/time/linetimes.h"
#include "document/view/caretnavigator.h"
#include "document/view/rowscroller.h"
#include "document/view/viewlayout.h"
#include "document/view/viewmarks.h"
#include "document/view/viewtext.h"

#include <QAbstractScrollArea>

class QDragMoveEvent;
class QPainter;
class QDropEvent;
class QPrinter;

namespace Orvik {

// rtfText: a read-only text view over a document's bytes that lays out and paints only
// what is visible. Lines that are valid UTF-8 show decoded; other lines show one character
// per byte. Every offset it takes or gives is a byte offset into the text.
class RichTextView : public QAbstractScrollArea, public DocumentView {
    Q_OBJECT

public:
    explicit RichTextView(QWidget *parent = nullptr);
    ~RichTextView() override;

    // DocumentView
    void setText(const Contents &text) override;
    std::unique_ptr<TextPreparation> prepareText() const override;
    void setPreparedText(const Contents &text,
                         std::unique_ptr<TextPreparation> preparation) override;
    std::unique_ptr<TextPreparation> prepareAppend() override;
    void usePreparation(std::unique_ptr<TextPreparation> preparation) override;
    Contents text() const override;
    void setSelStart(qint64 offset) override;
    qint64 selStart() const override;
    void setSelLength(qint64 length) override;
    qint64 selLength() const override;
    void setSelText(const Contents &text) override;
    QByteArray selText() const override;
    void setSelColor(ColorNumber color) override;
    void colorRange(qint64 offset, qint64 length, ColorNumber color) override;
    SharedMarks layerMarks(int layer) const override;
    void setLayerMarks(int layer, SharedMarks marks) override;
    void addLayerMarks(int layer, const MarkRuns &marks) override;
    void replaceLayerMarksFrom(int layer, qint64 from, const MarkRuns &marks) override;
    void setLayerStyle(int layer, const LayerStyle &style) override;
    bool followsEnd() const override;
    void appendKeepingSelection(const Contents &text) override;
    void setDisplayFont(const DisplayFont &font) override;
    void setVisible(bool visible) override;

    // The text as the user sees it (decoded as the view decodes it), whole or selected.
    QString plainText() const;
    QString selectedPlainText() const;

    // The width in pixels at which lines wrap; 0, or a width beyond the viewport's, wraps at
    // the viewport's width, so no character is hidden under the vertical scroll bar.
    void setRightMargin(int pixels);
    int rightMargin() const;

    // Writes the text's bytes exactly to `path` (format 1, plain text), through a temporary
    // file in the same folder renamed into place. False and a description on failure.
    bool SaveFile(const QString &path, int format, QString *error = nullptr);
    // Prints the selection, or the whole text when nothing is selected.
    void SelPrint(QPrinter &printer);

    // The marks (coloured ranges) and the row at the top, for tests and the printer.
    const ViewMarks &marks() const { return m_marks; }
    const ViewText &viewText() const { return m_text; }
    // An accessibility tool asked for the view: texts read from now on come with their
    // character counts, which such tools ask for.
    void noteAccessibleUse() { m_accessibleUse = true; }
    // The row count of the whole text at the current width (lays out every line: for
    // tests and small texts only).
    qint64 countRows();
    // Brings scroll bars and the scroll position up to date now instead of at the next
    // paint (the view defers that work so that runs of operations cost one update).
    void updateGeometryNow();
    // The byte offset of the first row shown.
    qint64 topOffset();
    // The bytes [start, end) of the rows on screen.
    std::pair<qint64, qint64> visibleRange();
    // The caret's end of the selection.
    qint64 cursorPosition() const { return m_caret; }
    // In viewport coordinates: the box of the character at offset (null when not shown),
    // and the offset nearest to a point.
    QRect characterRect(qint64 offset);
    qint64 offsetAt(const QPoint &point);
    // Scrolls the offset into view without moving the caret.
    void scrollToOffset(qint64 offset);
    // Scrolls the offset's row to the middle of the view, unless it is wholly shown already.
    void centerOnOffset(qint64 offset);

    // The time of every line, published with the text it was read with; a text set or
    // changed on this thread has its times worked out when they are first asked for.
    const SharedLineTimes &lineTimes() const;
    bool hasTimes() const { return lineTimes() && lineTimes()->hasTimes(); }
    qint64 caretTime() const;
    // The reader's move to [start, start + length): selected, its start centred, the view no
    // longer following; readerMoved() tells of it.
    void selectByReader(qint64 start, qint64 length);
    // selectByReader() of a whole line without its line break (of the break, for an empty
    // line).
    void selectLineByReader(qint64 line);
    // Shows the line another window's reader moved to the time of: the caret at its start,
    // the line centred and, with `band`, marked by a thin band in the selection colour; the
    // view no longer follows. Not a reader's move: readerMoved() stays silent.
    void showTimeLine(qint64 line, bool band);
    // The band goes; -1 when none is shown.
    void clearTimeBand();
    qint64 timeBandLine() const { return m_bandLine; }

signals:
    // A drag over the view or a drop on it, reported instead of being inserted. The
    // receiver accepts or ignores the event.
    void oleDragOver(QDragMoveEvent *event);
    void oleDragDrop(QDropEvent *event);
    // Copy chosen in the view's context menu; the receiver copies as Edit, Copy does.
    void copyRequested();
    // The text grew at its end from `oldSize` bytes; the bytes before are as they were.
    void appended(qint64 oldSize);
    // The whole text was replaced.
    void replaced();
    // The reader moved the caret: a click, a key that moves it, selectByReader().
    void readerMoved();
    // The reader pressed Ctrl+End: the caret went to the end and the view follows it.
    void endRequested();

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;
    void wheelEvent(QWheelEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    static constexpr int Padding = 2; // pixels between the frame and the text

    qreal wrapWidth() const;
    void relayout();
    void textChanged();
    void textAppended(); // at the end, by appendAtEnd()
    // The geometry worked out again before the next paint; `repaintAll` unless only appends
    // and a reveal of the end came since the last time (see repaintAppended()).
    void scheduleGeometry(bool repaintAll = true);
    bool repaintAppended();
    void scrollRows(int rows);
    void syncScrollBars();
    void onVerticalValue(int value);
    void appendAtEnd(const Contents &text);
    void noteScrollPosition();
    void revealCaret();
    void reveal(qint64 offset);
    void caretMoved();
    int accessibleOffset(qint64 offset) const; // a byte offset in accessible characters
    void setCaret(qint64 offset, bool extend);
    void selectAll();
    void extendTimes() const;
    void paintTimeBand(QPainter &painter);

    ViewText m_text;
    ViewMarks m_marks;
    // Work done on a reading thread for the next append, see usePreparation().
    std::unique_ptr<TextPreparation> m_appendPreparation;
    mutable SharedLineTimes m_times;
    mutable bool m_timesStale = false; // to be worked out anew for the whole text
    QDateTime m_stamp;                 // the file's, as the last preparation was told
    qint64 m_bandLine = -1;
    ViewLayout m_layout{m_text};
    qint64 m_anchor = 0;
    qint64 m_caret = 0;
    RowScroller m_scroller{m_layout};
    CaretNavigator m_navigator{m_text, m_layout, m_scroller};
    void textReplaced();

    bool m_accessibleUse = false;
    bool m_revealCaret = false;
    // The reader moved the end of the text out of view; see followsEnd().
    bool m_scrolledAway = false;
    qint64 m_revealOffset = 0; // where the caret was when it was to be brought into view
    bool m_geometryScheduled = false;
    bool m_repaintAll = false;
    // Appends since the geometry was last worked out: the top before the first of them and
    // the offset it began at. The rows above that offset are painted already.
    bool m_appendPending = false;
    RowPos m_topBeforeAppend;
    qint64 m_appendedFrom = 0;
    bool m_syncing = false;
    // A selection being made: the left button held, or Shift held after extending by keys.
    bool m_selecting = false;
    bool m_extending = false;
    int m_pendingAction = 0;
    int m_rightMargin = 0;
    int m_wheelRemainder = 0;
};

} // namespace Orvik
