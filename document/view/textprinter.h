#pragma once

#include "document/view/viewmarks.h"
#include "document/view/viewtext.h"

#include <QFont>

class QPrinter;

namespace Orvik {

// Prints a range of a view's text: wrapped to the page's printable width, in the view's
// font, page after page, with the view's colours.
class TextPrinter {
public:
    TextPrinter(const ViewText &text, const ViewMarks &marks, const QFont &font)
        : m_text(text)
        , m_marks(marks)
        , m_font(font) {}

    // Prints the bytes [start, end); false when the printer cannot be painted on.
    bool print(QPrinter &printer, qint64 start, qint64 end) const;

private:
    const ViewText &m_text;
    const ViewMarks &m_marks;
    QFont m_font;
};

} // namespace Orvik
