#include "document/view/textprinter.h"

#include "document/view/viewlayout.h"
#include "document/view/viewpainter.h"

#include <QPainter>
#include <QPrinter>

namespace Orvik {

bool TextPrinter::print(QPrinter &printer, qint64 start, qint64 end) const {
    const ViewText text = m_text.slice(start, end);
    const ViewMarks marks = m_marks.slice(start, end);

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
