#include "document/view/viewlayout.h"

#include <QFontMetricsF>
#include <QTextOption>

namespace Orvik {

namespace {
constexpr int CacheLimit = 1024;
}

qint64 LaidOutPiece::rowStart(int row) const {
    if (row <= 0 || rows() == 0)
        return range.start;
    if (row >= rows())
        return range.end;
    return range.start + decoded.byteOffset(layout.lineAt(row).textStart());
}

qint64 LaidOutPiece::rowEnd(int row) const {
    return row + 1 >= rows() ? range.end : rowStart(row + 1);
}

int LaidOutPiece::rowOfOffset(qint64 offset) const {
    const int unit = decoded.unitAt(offset - range.start);
    for (int r = rows() - 1; r > 0; --r)
        if (layout.lineAt(r).textStart() <= unit)
            return r;
    return 0;
}

namespace {
// The distance to give QTextOption for tab stops `wanted` apart on `device`: QTextLayout
// scales the distance by the font's resolution over the screen's, so a printer would
// otherwise get stops measured twice. A probe row tells the scale it applies.
qreal tabStopDistance(const QFont &font, QPaintDevice *device, qreal wanted) {
    if (!device || wanted <= 0)
        return wanted;
    QTextLayout probe(QStringLiteral("\t"), font, device);
    QTextOption option;
    option.setTabStopDistance(wanted);
    probe.setTextOption(option);
    probe.beginLayout();
    QTextLine row = probe.createLine();
    row.setLineWidth(1e7);
    probe.endLayout();
    const qreal stop = row.cursorToX(1);
    return stop > 0 ? wanted * wanted / stop : wanted;
}
} // namespace

ViewLayout::ViewLayout(const ViewText &text)
    : m_text(text) {
    setFont(QFont());
}

void ViewLayout::setFont(const QFont &font, QPaintDevice *device) {
    m_font = font;
    m_device = device;
    QFontMetricsF metrics = device ? QFontMetricsF(font, device) : QFontMetricsF(font);
    m_tabStop = tabStopDistance(font, device, 8 * metrics.horizontalAdvance(QLatin1Char(' ')));
    m_lineSpacing = metrics.lineSpacing();
    invalidate();
}

void ViewLayout::setWidth(qreal width) {
    width = qMax<qreal>(width, 16);
    if (qFuzzyCompare(width, m_width))
        return;
    m_width = width;
    invalidate();
}

void ViewLayout::invalidate() {
    m_cache.clear();
}

void ViewLayout::invalidateFrom(qint64 line) {
    for (auto it = m_cache.begin(); it != m_cache.end();) {
        if (it.key().first >= line)
            it = m_cache.erase(it);
        else
            ++it;
    }
}

std::shared_ptr<const LaidOutPiece> ViewLayout::piece(qint64 line, int index) {
    const QPair<qint64, int> key(line, index);
    auto found = m_cache.constFind(key);
    if (found != m_cache.constEnd())
        return *found;
    if (m_cache.size() >= CacheLimit)
        m_cache.clear();

    const PieceRange range = m_text.piece(line, index);
    auto p = std::make_shared<LaidOutPiece>(range, m_text.decode(line, range), m_font, m_device);
    QTextLayout &layout = p->layout;
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    option.setTabStopDistance(m_tabStop);
    layout.setTextOption(option);
    layout.setCacheEnabled(true);
    layout.beginLayout();
    qreal y = 0;
    for (;;) {
        QTextLine row = layout.createLine();
        if (!row.isValid())
            break;
        row.setLineWidth(m_width);
        row.setPosition(QPointF(0, y));
        y += row.height();
    }
    layout.endLayout();
    p->height = y;
    m_cache.insert(key, p);
    return p;
}

bool ViewLayout::nextRow(RowPos &pos) {
    auto p = piece(pos);
    if (pos.row + 1 < p->rows()) {
        ++pos.row;
        return true;
    }
    if (pos.piece + 1 < m_text.pieceCount(pos.line)) {
        pos = {pos.line, pos.piece + 1, 0};
        return true;
    }
    if (pos.line + 1 < m_text.lineCount()) {
        pos = {pos.line + 1, 0, 0};
        return true;
    }
    return false;
}

bool ViewLayout::prevRow(RowPos &pos) {
    if (pos.row > 0) {
        --pos.row;
        return true;
    }
    if (pos.piece > 0) {
        pos.piece -= 1;
        pos.row = qMax(0, piece(pos)->rows() - 1);
        return true;
    }
    if (pos.line > 0) {
        pos.line -= 1;
        pos.piece = m_text.pieceCount(pos.line) - 1;
        pos.row = qMax(0, piece(pos)->rows() - 1);
        return true;
    }
    return false;
}

RowPos ViewLayout::lastRow() {
    RowPos pos;
    pos.line = qMax<qint64>(0, m_text.lineCount() - 1);
    pos.piece = m_text.pieceCount(pos.line) - 1;
    pos.row = qMax(0, piece(pos)->rows() - 1);
    return pos;
}

RowPos ViewLayout::rowOf(qint64 offset) {
    offset = qBound<qint64>(0, offset, m_text.size());
    RowPos pos;
    pos.line = m_text.lineAt(offset);
    // An offset inside a CR LF belongs to the end of its line.
    offset = qMin(offset, m_text.lineEnd(pos.line));
    pos.piece = m_text.pieceAt(pos.line, offset);
    pos.row = piece(pos)->rowOfOffset(offset);
    return pos;
}

qint64 ViewLayout::rowStart(const RowPos &pos) {
    return piece(pos)->rowStart(pos.row);
}

qreal ViewLayout::rowHeight(const RowPos &pos) {
    auto p = piece(pos);
    if (pos.row < 0 || pos.row >= p->rows())
        return m_lineSpacing;
    return p->layout.lineAt(pos.row).height();
}

qint64 ViewLayout::offsetAt(const RowPos &pos, qreal x) {
    auto p = piece(pos);
    if (p->rows() == 0)
        return p->range.start;
    const QTextLine row = p->layout.lineAt(qBound(0, pos.row, p->rows() - 1));
    int unit = row.xToCursor(x, QTextLine::CursorBetweenCharacters);
    // A wrapped row's end is the next row's start: keep the caret on this row.
    if (pos.row + 1 < p->rows() && unit >= row.textStart() + row.textLength())
        unit = row.textStart() + row.textLength() - 1;
    return p->range.start + p->decoded.byteOffset(qMax(unit, row.textStart()));
}

qreal ViewLayout::xOf(const RowPos &pos, qint64 offset) {
    auto p = piece(pos);
    if (p->rows() == 0)
        return 0;
    const QTextLine row = p->layout.lineAt(qBound(0, pos.row, p->rows() - 1));
    return row.cursorToX(p->decoded.unitAt(offset - p->range.start));
}

} // namespace Orvik
