#pragma once

#include "document/view/viewtext.h"

#include <QFont>
#include <QHash>
#include <QTextLayout>

#include <memory>

class QPaintDevice;

namespace Orvik {

// A row on screen: row `row` of piece `piece` of line `line`.
struct RowPos {
    qint64 line = 0;
    int piece = 0;
    int row = 0;

    friend bool operator<(const RowPos &a, const RowPos &b) {
        if (a.line != b.line)
            return a.line < b.line;
        if (a.piece != b.piece)
            return a.piece < b.piece;
        return a.row < b.row;
    }
    friend bool operator==(const RowPos &a, const RowPos &b) {
        return a.line == b.line && a.piece == b.piece && a.row == b.row;
    }
    friend bool operator!=(const RowPos &a, const RowPos &b) { return !(a == b); }
};

// One piece of a line, decoded and wrapped into rows.
struct LaidOutPiece {
    LaidOutPiece(const PieceRange &r, DecodedPiece d, const QFont &font, QPaintDevice *device)
        : range(r)
        , decoded(std::move(d))
        , layout(decoded.text, font, device) {}

    PieceRange range;
    DecodedPiece decoded;
    QTextLayout layout;
    qreal height = 0;

    int rows() const { return layout.lineCount(); }
    // Byte offset where a row starts, and where it ends (exclusive).
    qint64 rowStart(int row) const;
    qint64 rowEnd(int row) const;
    int rowOfOffset(qint64 offset) const;
};

// Lays out the pieces of a ViewText at one width and font, on demand, keeping the pieces
// laid out last; everything the view paints, scrolls or hit-tests goes through here, so
// the work follows what is visible and never the size of the text.
class ViewLayout {
public:
    explicit ViewLayout(const ViewText &text);

    void setFont(const QFont &font, QPaintDevice *device = nullptr);
    const QFont &font() const { return m_font; }
    void setWidth(qreal width);
    qreal width() const { return m_width; }
    // Forget every layout, or those of `line` and after (the end of the text changed).
    void invalidate();
    void invalidateFrom(qint64 line);

    std::shared_ptr<const LaidOutPiece> piece(qint64 line, int index);
    std::shared_ptr<const LaidOutPiece> piece(const RowPos &pos) {
        return piece(pos.line, pos.piece);
    }

    // Steps to the next or previous row; false (and unchanged) at either end of the text.
    bool nextRow(RowPos &pos);
    bool prevRow(RowPos &pos);
    RowPos lastRow();
    // The row showing byte `offset`.
    RowPos rowOf(qint64 offset);
    qint64 rowStart(const RowPos &pos);
    qreal rowHeight(const RowPos &pos);
    // The byte offset nearest to x (pixels from the text's left edge) in the row.
    qint64 offsetAt(const RowPos &pos, qreal x);
    qreal xOf(const RowPos &pos, qint64 offset);

    qreal lineSpacing() const { return m_lineSpacing; }

private:
    const ViewText &m_text;
    QFont m_font;
    QPaintDevice *m_device = nullptr;
    qreal m_width = 400;
    qreal m_tabStop = 64;
    qreal m_lineSpacing = 16;
    QHash<QPair<qint64, int>, std::shared_ptr<LaidOutPiece>> m_cache;
};

} // namespace Orvik
