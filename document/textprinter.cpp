#include "textprinter.h"

#include "viewlayout.h"
#include "viewpainter.h"

#include <QPainter>
#include <QPrinter>

namespace Orvik {

bool TextPrinter::print(QPrinter &printer, qint64 start, qint64 end) const {
    const ViewText text = m_text.slice(start, end);
    MarkSet marks;
    auto [first, last] = m_marks.overlapping(start, end);
    for (int i = first; i < last; ++i) {
        const MarkSet::Mark &m = m_marks.marks()[size_t(i)];
        marks.assign(qMax(m.start, start) - start, qMin(m.end, end) - start, m.color);
    }

    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    const QRectF page = printer.pageLayout().paintRectPixels(printer.resolution());
    ViewLayout layout(text);
    layout.setFont(m_font, &printer);
    layout.setWidth(page.width());
    ViewPainter view(layout, marks);
    painter.setFont(m_font);

    RowPos pos;
    bool more = true;
    while (more) {
        RowPos next = view.paint(painter, pos, QPointF(0, 0), page.height(), false, &more);
        if (more && next == pos) // a row taller than the page: print what fits
            next = view.paint(painter, pos, QPointF(0, 0), page.height(), true, &more);
        pos = next;
        if (more && !printer.newPage())
            break;
    }
    return painter.end();
}

} // namespace Orvik
