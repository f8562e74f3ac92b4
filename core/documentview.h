#pragma once

#include "core/content/contents.h"
#include "core/displayfont.h"
#include "core/marks/markruns.h"

#include <QByteArray>
#include <QDateTime>

#include <memory>

namespace Orvik {

// A colour as a 24-bit number with red in the low byte: 255 is red.
using ColorNumber = quint32;
constexpr ColorNumber HighlightColor = 255;

// What a view works out from a text before it shows it (its line index, say), done on the
// thread that reads the text, stretch by stretch as the bytes come in. It is the reading
// thread's own while it runs: it must not touch the view.
class TextPreparation {
public:
    virtual ~TextPreparation() = default;
    // The text so far: its first `size` bytes from `data`; each call passes more of them.
    virtual void extend(const char *data, qint64 size) = 0;
    // The same for bytes that `store` holds: the preparation may keep it and go on working on
    // them on a thread of its own after it returns, until the next call or settle(). A null
    // `store`: the caller keeps the bytes as they are until then.
    virtual void extendHeld(const std::shared_ptr<const ByteStore> &store, const char *data,
                            qint64 size) {
        Q_UNUSED(store);
        extend(data, size);
    }
    // Ends the work on the bytes given, on the reading thread once it gave them all, so that
    // the view finds it done; rethrows what that work threw.
    virtual void settle() {}
    // The time the text's file was last written, told before the first extend(): it gives the
    // year to times written without one. A preparation told nothing takes the time it was made.
    virtual void setStamp(const QDateTime &stamp) { Q_UNUSED(stamp); }
};

// Marks are kept in layers, each a set of ranges shown one way. The highlight's red text is
// layer 0, drawn above every other layer; the highlight rules follow from layer 1 on, a lower
// layer above a higher one.
constexpr int HighlightLayer = 0;
constexpr int FirstRuleLayer = 1;
using SharedMarks = std::shared_ptr<const MarkRuns>;

// How a layer's marks are shown: the text in a colour, or (background) the whole rows of the
// lines they cover on a tint of the colour. Layers are shown as the highlight's red text
// until told otherwise.
struct LayerStyle {
    ColorNumber color = HighlightColor;
    bool background = false;
    friend bool operator==(const LayerStyle &a, const LayerStyle &b) {
        return a.color == b.color && a.background == b.background;
    }
};

// What the core asks of a document's text view (rtfText). Offsets and lengths are byte
// offsets into the text, which are the byte offsets in the file it shows.
class DocumentView {
public:
    virtual ~DocumentView() = default;

    // Replaces the whole text, sharing its bytes; colours of the earlier text are gone.
    virtual void setText(const Contents &text) = 0;
    virtual Contents text() const = 0;
    // A fresh preparation for a text to come, or nullptr when the view wants none. It is
    // fed on another thread and must not touch the view.
    virtual std::unique_ptr<TextPreparation> prepareText() const { return nullptr; }
    // setText with the work of a preparation from prepareText() fed the whole `text`.
    virtual void setPreparedText(const Contents &text, std::unique_ptr<TextPreparation>) {
        setText(text);
    }
    // A fresh preparation for bytes to come after the current text, fed the whole grown text.
    virtual std::unique_ptr<TextPreparation> prepareAppend() { return nullptr; }
    // The next append at the end of the text (SelText there, or appendKeepingSelection) takes
    // the work of this preparation from prepareAppend(), when the text is still as it was.
    virtual void usePreparation(std::unique_ptr<TextPreparation>) {}

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

    // True while the view follows the newest lines: nothing is selected, no selection is being
    // made (a mouse button or Shift held) and the reader has not scrolled the end of the text
    // out of view. A new text, a caret put at the end (SelStart at or past the end), and a
    // new layout (font, size, wrap width) that brings the end into view follow again. The refresh
    // cycle appends to a following view with SelStart and SelText and then puts the caret at the
    // end; any other view gets appendKeepingSelection() and keeps its place.
    virtual bool followsEnd() const = 0;
    // Appends `text` at the end, as SelText at the end would, but keeps the caret, the
    // selection and the rows on screen where they are.
    virtual void appendKeepingSelection(const Contents &text) = 0;

    // Colours [offset, offset + length) as selecting it and setting SelColor would, but
    // without moving the caret or the selection and without scrolling.
    virtual void colorRange(qint64 offset, qint64 length, ColorNumber color) = 0;

    // The marks of a layer, shared: another thread may read them while the view shows them.
    virtual SharedMarks layerMarks(int layer) const = 0;
    // Shows a finished set in place of a layer's marks, in time that does not depend on
    // their number.
    virtual void setLayerMarks(int layer, SharedMarks marks) = 0;
    // Adds marks found in appended text: none starts before the layer's last mark.
    virtual void addLayerMarks(int layer, const MarkRuns &marks) = 0;
    // Cuts the layer's marks at `from` and adds `marks`, found again from there: those of an
    // unfinished last line change as it grows. None of `marks` starts before the layer's last
    // mark left.
    virtual void replaceLayerMarksFrom(int layer, qint64 from, const MarkRuns &marks) {
        const SharedMarks old = layerMarks(layer);
        if (old && !old->isEmpty() && old->last().end > from) {
            auto cut = std::make_shared<MarkRuns>(*old);
            cut->truncate(from);
            setLayerMarks(layer, std::move(cut));
        }
        if (!marks.isEmpty())
            addLayerMarks(layer, marks);
    }
    // How the layer's marks are shown from now on.
    virtual void setLayerStyle(int layer, const LayerStyle &style) {
        Q_UNUSED(layer);
        Q_UNUSED(style);
    }

    virtual void setDisplayFont(const DisplayFont &font) = 0;
    virtual void setVisible(bool visible) = 0;
};

} // namespace Orvik
