#pragma once

#include "document/view/viewlayout.h"
#include "document/view/viewmarks.h"

#include <QColor>
#include <QPointF>

#include <vector>

class QPainter;

namespace Orvik {

QColor toQColor(ColorNumber color);
// The colour a background layer paints rows in: a light tint of its colour, under which text
// in any colour stays readable.
QColor backgroundTint(ColorNumber color);

// Paints laid-out rows with their marks, the selection and the caret. Shared by the view,
// its printing and the benchmarks, so all of them show the same thing.
class ViewPainter {
public:
    struct Style {
        QColor text = Qt::black;
        QColor highlight = QColor(48, 140, 198);
        QColor highlightedText = Qt::white;
    };

    ViewPainter(ViewLayout &layout, const ViewMarks &marks)
        : m_layout(layout)
        , m_marks(marks) {}

    void setStyle(const Style &style) { m_style = style; }
    void setSelection(qint64 start, qint64 end) {
        m_selStart = start;
        m_selEnd = end;
    }
    // The caret's byte offset, or -1 for none.
    void setCaret(qint64 offset) { m_caret = offset; }
    // Only rows reaching into [top, bottom) (in the painter's coordinates) are drawn; the
    // others are only stepped over.
    void setExposed(qreal top, qreal bottom) {
        m_exposedTop = top;
        m_exposedBottom = bottom;
    }

    // Paints rows from `top` downwards with the top row's top-left corner at `origin`, as
    // long as rows fit in `height` (a row that does not fit whole is painted only when
    // `partialLast`). Returns the first row not painted, or false as `more` at the end.
    RowPos paint(QPainter &painter, RowPos top, QPointF origin, qreal height, bool partialLast,
                 bool *more = nullptr);

private:
    // A stretch of a piece's text, in its text's units, drawn in one colour.
    struct Part {
        int from;
        int to;
        QColor color;
    };
    void paintRows(QPainter &painter, const LaidOutPiece &piece, int fromRow, int toRow,
                   QPointF at, std::vector<Part> &parts);
    void paintRowParts(QPainter &painter, const QTextLine &row, QPointF at,
                       const std::vector<Part> &parts, int selFrom, int selTo);
    void paintBackgrounds(QPainter &painter, const LaidOutPiece &piece, int fromRow, int toRow,
                          QPointF at);

    ViewLayout &m_layout;
    const ViewMarks &m_marks;
    Style m_style;
    qint64 m_selStart = 0;
    qint64 m_selEnd = 0;
    qint64 m_caret = -1;
    qreal m_exposedTop = -1e18;
    qreal m_exposedBottom = 1e18;
};

} // namespace Orvik
