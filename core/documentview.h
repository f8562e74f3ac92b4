#pragma once

#include "contents.h"
#include "displayfont.h"

#include <QByteArray>

namespace Orvik {

// A colour as a 24-bit number with red in the low byte: 255 is red.
using ColorNumber = quint32;
constexpr ColorNumber HighlightColor = 255;

// What the core asks of a document's text view (rtfText). Offsets and lengths are byte
// offsets into the text, which are the byte offsets in the file it shows.
class DocumentView {
public:
    virtual ~DocumentView() = default;

    // Replaces the whole text, sharing its bytes; colours of the earlier text are gone.
    virtual void setText(const Contents &text) = 0;
    virtual Contents text() const = 0;

    // Puts the caret at the offset with nothing selected; an offset past the end puts it at
    // the end. The caret is scrolled into view.
    virtual void setSelStart(qint64 offset) = 0;
    virtual qint64 selStart() const = 0;
    virtual void setSelLength(qint64 length) = 0;
    virtual qint64 selLength() const = 0;

    // Replaces the selection by `text`; with nothing selected, inserts it at the caret. Text
    // that continues the view's own contents at their end is taken over without a copy.
    virtual void setSelText(const Contents &text) = 0;
    virtual QByteArray selText() const = 0;
    virtual void setSelColor(ColorNumber color) = 0;

    // True while the view follows the newest lines: nothing is selected and the reader has
    // not scrolled the end of the text out of view. A new text, and a caret put at the end
    // (SelStart at or past the end), follow again. The refresh cycle appends to a following
    // view with SelStart and SelText and then puts the caret at the end; any other view gets
    // appendKeepingSelection() and keeps its place.
    virtual bool followsEnd() const = 0;
    // Appends `text` at the end, as SelText at the end would, but keeps the caret, the
    // selection and the rows on screen where they are.
    virtual void appendKeepingSelection(const Contents &text) = 0;

    // Colours [offset, offset + length) as selecting it and setting SelColor would, but
    // without moving the caret or the selection and without scrolling.
    virtual void colorRange(qint64 offset, qint64 length, ColorNumber color) = 0;

    virtual void setDisplayFont(const DisplayFont &font) = 0;
    virtual void setVisible(bool visible) = 0;
};

} // namespace Orvik
