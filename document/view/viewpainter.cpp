#include "document/view/viewpainter.h"

#include <QGlyphRun>
#include <QPainter>
#include <QTextLayout>

#include <algorithm>

namespace Orvik {

QColor toQColor(ColorNumber color) {
    return QColor(int(color & 0xFF), int((color >> 8) & 0xFF), int((color >> 16) & 0xFF));
}

QColor backgroundTint(ColorNumber color) {
    const QColor c = toQColor(color);
    const auto mix = [](int part) { return 255 - (255 - part) * 2 / 5; };
    return QColor(mix(c.red()), mix(c.green()), mix(c.blue()));
}

// Rows of lines under a background layer are filled across the whole width.
void ViewPainter::paintBackgrounds(QPainter &painter, const LaidOutPiece &piece, int fromRow,
                                   int toRow, QPointF at) {
    const PieceRange &range = piece.range;
    const std::vector<ViewMarks::Run> runs =
        m_marks.backgroundRuns(range.start, qMax(range.end, range.start + 1));
    if (runs.empty())
        return;
    const auto colourAt = [&runs](qint64 offset) -> const ViewMarks::Run * {
        for (const ViewMarks::Run &run : runs)
            if (run.start <= offset && offset < run.end)
                return &run;
        return nullptr;
    };
    const qreal width = qMax<qreal>(m_layout.width(), painter.device()->width());
    if (piece.rows() == 0) { // an empty line
        if (const ViewMarks::Run *run = colourAt(range.start))
            painter.fillRect(QRectF(0, at.y(), width + at.x(), m_layout.lineSpacing()),
                             backgroundTint(run->color));
        return;
    }
    for (int r = fromRow; r < toRow; ++r) {
        if (const ViewMarks::Run *run = colourAt(piece.rowStart(r))) {
            const QTextLine row = piece.layout.lineAt(r);
            painter.fillRect(QRectF(0, at.y() + row.y(), width + at.x(), row.height()),
                             backgroundTint(run->color));
        }
    }
}

// Rows [fromRow, toRow) of a piece, with the piece's first row's top-left at `at`.
void ViewPainter::paintRows(QPainter &painter, const LaidOutPiece &piece, int fromRow, int toRow,
                            QPointF at, std::vector<Part> &parts) {
    const PieceRange &range = piece.range;
    const DecodedPiece &decoded = piece.decoded;
    parts.clear();
    for (const ViewMarks::Run &m : m_marks.runs(range.start, range.end)) {
        const int from = decoded.unitAt(qMax(m.start, range.start) - range.start);
        const int to =
            m.end >= range.end ? int(decoded.text.size()) : decoded.unitAt(m.end - range.start);
        if (to > from)
            parts.push_back({from, to, toQColor(m.color)});
    }
    int selFrom = 0;
    int selTo = 0;
    if (m_selEnd > m_selStart && m_selStart < range.end && m_selEnd > range.start) {
        selFrom = decoded.unitAt(qMax(m_selStart, range.start) - range.start);
        selTo = m_selEnd >= range.end ? int(decoded.text.size())
                                      : decoded.unitAt(m_selEnd - range.start);
    }
    paintBackgrounds(painter, piece, fromRow, toRow, at);
    for (int r = fromRow; r < toRow; ++r)
        paintRowParts(painter, piece.layout.lineAt(r), at, parts, selFrom, selTo);
    if (m_caret >= range.start && m_caret <= range.end) {
        const int unit = decoded.unitAt(m_caret - range.start);
        const int caretRow = piece.rowOfOffset(m_caret);
        if (caretRow >= fromRow && caretRow < toRow) {
            const QTextLine row = piece.layout.lineAt(caretRow);
            const qreal x = at.x() + row.cursorToX(unit);
            painter.fillRect(QRectF(x, at.y() + row.y(), 1, row.height()), m_style.text);
        }
    }
}

// One row: the selection's background, then the text, a stretch of one colour at a time, each
// glyph drawn once from the row's glyph runs. (Text formats would cost the rows of a log marked
// on every line a clip path for each mark and every glyph drawn twice.)
void ViewPainter::paintRowParts(QPainter &painter, const QTextLine &row, QPointF at,
                                const std::vector<Part> &parts, int selFrom, int selTo) {
    const int rowFrom = row.textStart();
    const int rowTo = rowFrom + row.textLength();
    const qreal top = at.y() + row.y();
    const qreal height = row.height();
    const auto xOf = [&](int unit) { return at.x() + row.cursorToX(unit); };
    const int selectedFrom = qMax(selFrom, rowFrom);
    const int selectedTo = qMin(selTo, rowTo);
    const bool selected = selectedTo > selectedFrom;
    if (selected) {
        const qreal left = xOf(selectedFrom);
        painter.fillRect(QRectF(left, top, xOf(selectedTo) - left, height), m_style.highlight);
    }
    auto first = std::find_if(parts.begin(), parts.end(),
                              [rowFrom](const Part &p) { return p.to > rowFrom; });
    if (!selected && (first == parts.end() || first->from >= rowTo)) {
        row.draw(&painter, at); // a row of the text's own colour
        return;
    }
    // The colour of each unit: the selection's over a mark's over the text's.
    const auto colourAt = [&](int unit, int *until) {
        int end = rowTo;
        const QColor *colour = &m_style.text;
        if (selected) {
            if (unit >= selectedFrom && unit < selectedTo) {
                *until = selectedTo;
                return m_style.highlightedText;
            }
            if (unit < selectedFrom)
                end = selectedFrom;
        }
        while (first != parts.end() && first->to <= unit)
            ++first;
        if (first != parts.end()) {
            if (first->from <= unit) {
                colour = &first->color;
                end = qMin(end, first->to);
            } else {
                end = qMin(end, first->from);
            }
        }
        *until = end;
        return *colour;
    };
    const QPen pen = painter.pen();
    for (int unit = rowFrom; unit < rowTo;) {
        int until = rowTo;
        const QColor colour = colourAt(unit, &until);
        painter.setPen(colour);
        for (const QGlyphRun &run : row.glyphRuns(unit, until - unit))
            painter.drawGlyphRun(at, run);
        unit = until;
    }
    painter.setPen(pen);
}

RowPos ViewPainter::paint(QPainter &painter, RowPos top, QPointF origin, qreal height,
                          bool partialLast, bool *more) {
    qreal y = origin.y();
    const qreal bottom = origin.y() + height;
    RowPos pos = top;
    bool haveRow = true;
    std::vector<Part> parts;
    painter.setPen(m_style.text);
    while (haveRow && y < bottom) {
        auto piece = m_layout.piece(pos);
        const int rows = piece->rows();
        // Rows of this piece that fit, from pos.row on.
        const qreal firstY = rows > 0 ? piece->layout.lineAt(pos.row).y() : 0;
        int last = pos.row;
        qreal rowsBottom = y;
        for (int r = pos.row; r < rows; ++r) {
            const QTextLine row = piece->layout.lineAt(r);
            const qreal rowBottom = y + row.y() + row.height() - firstY;
            if (rowBottom > bottom && !(partialLast && y + row.y() - firstY < bottom))
                break;
            last = r + 1;
            rowsBottom = rowBottom;
            if (rowBottom > bottom)
                break;
        }
        if (last == pos.row && rows > 0)
            break; // the next row does not fit
        // Rows outside the exposed band are only stepped over.
        const qreal pieceBottom = rows == 0 ? y + m_layout.lineSpacing() : rowsBottom;
        if (pieceBottom > m_exposedTop && y < m_exposedBottom)
            paintRows(painter, *piece, pos.row, last, QPointF(origin.x(), y - firstY), parts);
        y = rowsBottom;
        pos.row = qMax(0, last - 1);
        haveRow = m_layout.nextRow(pos);
        if (rows == 0)
            y += m_layout.lineSpacing();
    }
    if (more)
        *more = haveRow;
    return pos;
}

} // namespace Orvik
