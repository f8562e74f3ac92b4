#pragma once

#include "document/view/rowscroller.h"
#include "document/view/viewlayout.h"

#include <QKeyEvent>

namespace Orvik {

// Where the caret goes for a moving key: characters, rows (keeping the column the caret
// started from), pages, row ends and the ends of the text.
class CaretNavigator {
public:
    CaretNavigator(const ViewText &text, ViewLayout &layout, RowScroller &scroller)
        : m_text(text)
        , m_layout(layout)
        , m_scroller(scroller) {}

    // The new caret offset for the key, or -1 when the key does not move the caret. Page
    // keys also scroll by the page.
    qint64 target(const QKeyEvent &event, qint64 caret);
    // Forget the column kept for moving up and down (the caret moved otherwise).
    void forgetColumn() { m_column = -1; }

private:
    const ViewText &m_text;
    ViewLayout &m_layout;
    RowScroller &m_scroller;
    qreal m_column = -1;
};

} // namespace Orvik
