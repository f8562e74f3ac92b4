#pragma once

#include "core/documentview.h"

#include <QByteArray>
#include <QStringList>

#include <vector>

namespace Orvik {

// An in-memory DocumentView that records what was done to it: the text (shared bytes, as
// the real view holds them), the caret and selection, the coloured ranges, the font and a
// log of the calls that change the text.
class FakeDocumentView : public DocumentView {
public:
    struct Mark {
        qint64 offset;
        qint64 length;
        ColorNumber color;
        friend bool operator==(const Mark &a, const Mark &b) {
            return a.offset == b.offset && a.length == b.length && a.color == b.color;
        }
    };
    struct Insertion {
        qint64 offset;
        QByteArray bytes;
    };

    void setText(const Contents &text) override;
    Contents text() const override { return m_text; }
    void setSelStart(qint64 offset) override;
    qint64 selStart() const override { return m_selStart; }
    void setSelLength(qint64 length) override;
    qint64 selLength() const override { return m_selLength; }
    void setSelText(const Contents &text) override;
    QByteArray selText() const override;
    void setSelColor(ColorNumber color) override;
    void colorRange(qint64 offset, qint64 length, ColorNumber color) override;
    bool followsEnd() const override { return m_selLength == 0 && !scrolledAway; }
    void appendKeepingSelection(const Contents &text) override;
    void setDisplayFont(const DisplayFont &font) override { m_font = font; }
    void setVisible(bool visible) override { m_visible = visible; }

    QByteArray bytes() const { return m_text.toByteArray(); }
    qint64 size() const { return m_text.size(); }
    // Every colouring since the text was last replaced, in order.
    const std::vector<Mark> &marks() const { return m_marks; }
    // The bytes coloured `color` (red by default), as a string of 'x' (coloured) and '.'.
    QByteArray colourMap(ColorNumber color = HighlightColor) const;
    // The coloured ranges merged into maximal runs: [offset, length) pairs.
    std::vector<std::pair<qint64, qint64>> colouredRuns(ColorNumber color = HighlightColor) const;
    const std::vector<Insertion> &insertions() const { return m_insertions; }
    int setTextCount() const { return m_setTextCount; }
    // True when the last insertion was taken over without copying its bytes.
    bool lastInsertionShared() const { return m_lastInsertionShared; }
    const DisplayFont &font() const { return m_font; }
    bool isVisible() const { return m_visible; }
    // The reader scrolled the end out of view; a new text or the caret put at the end clears it.
    bool scrolledAway = false;
    // "setText 3", "setSelStart 3", "setSelText def", "colorRange 0 2 255", ...
    QStringList log;
    void clearRecords();

private:
    Contents m_text;
    qint64 m_selStart = 0;
    qint64 m_selLength = 0;
    std::vector<Mark> m_marks;
    std::vector<Insertion> m_insertions;
    int m_setTextCount = 0;
    bool m_lastInsertionShared = false;
    DisplayFont m_font;
    bool m_visible = false;
};

} // namespace Orvik
