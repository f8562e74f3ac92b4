#include "document/view/caretnavigator.h"

namespace Orvik {

qint64 CaretNavigator::target(const QKeyEvent &event, qint64 caret) {
    const bool ctrl = event.modifiers() & Qt::ControlModifier;
    const int key = event.key();
    const bool vertical = key == Qt::Key_Up || key == Qt::Key_Down || key == Qt::Key_PageUp ||
                          key == Qt::Key_PageDown;
    RowPos row = m_layout.rowOf(caret);
    if (vertical && m_column < 0)
        m_column = m_layout.xOf(row, caret);
    qint64 target = -1;
    switch (key) {
    case Qt::Key_Left:
        target = m_text.prevCharOffset(caret);
        break;
    case Qt::Key_Right:
        target = m_text.nextCharOffset(caret);
        break;
    case Qt::Key_Up:
        target = m_layout.prevRow(row) ? m_layout.offsetAt(row, m_column) : 0;
        break;
    case Qt::Key_Down:
        target = m_layout.nextRow(row) ? m_layout.offsetAt(row, m_column) : m_text.size();
        break;
    case Qt::Key_PageUp:
    case Qt::Key_PageDown: {
        const int rows = qMax(1, m_scroller.visibleRowCount() - 1);
        const bool down = key == Qt::Key_PageDown;
        int moved = 0;
        while (moved < rows && (down ? m_layout.nextRow(row) : m_layout.prevRow(row)))
            ++moved;
        target = moved < rows ? (down ? m_text.size() : 0) : m_layout.offsetAt(row, m_column);
        m_scroller.scrollRows(down ? rows : -rows);
        break;
    }
    case Qt::Key_Home:
        target = ctrl ? 0 : m_layout.rowStart(row);
        break;
    case Qt::Key_End:
        target = ctrl ? m_text.size() : m_layout.offsetAt(row, 1e9);
        break;
    default:
        return -1;
    }
    if (!vertical)
        m_column = -1;
    return target;
}

} // namespace Orvik
