#include "document/view/richtextview.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QMenu>
#include <QScrollBar>
#include <QWheelEvent>

namespace Orvik {

// --- Mouse and keyboard. The view is read-only: keys it does not use for moving or
// selecting (Ctrl+C, Ctrl+O and every other shortcut) go on to the main window.

void RichTextView::wheelEvent(QWheelEvent *event) {
    const QPoint delta = event->angleDelta();
    if (qAbs(delta.x()) > qAbs(delta.y())) {
        horizontalScrollBar()->setValue(horizontalScrollBar()->value() - delta.x() / 4);
    } else {
        m_wheelRemainder += delta.y();
        const int steps = m_wheelRemainder / 120;
        m_wheelRemainder -= steps * 120;
        if (steps != 0)
            scrollRows(-steps * QApplication::wheelScrollLines());
    }
    event->accept();
}

qint64 RichTextView::offsetAt(const QPoint &point) {
    const RowPos pos = m_scroller.rowAtY(point.y() - Padding);
    return m_layout.offsetAt(pos, point.x() - Padding + horizontalScrollBar()->value());
}

void RichTextView::keyPressEvent(QKeyEvent *event) {
    if (event == QKeySequence::SelectAll) {
        selectAll();
        return;
    }
    const qint64 target = m_navigator.target(*event, m_caret);
    if (target < 0) {
        event->ignore(); // for the main window's shortcuts
        return;
    }
    m_caret = qBound(qint64(0), target, m_text.size());
    m_extending = event->modifiers() & Qt::ShiftModifier;
    if (!m_extending)
        m_anchor = m_caret;
    revealCaret();
    syncScrollBars();
    if (event->key() == Qt::Key_End && event->modifiers() == Qt::ControlModifier)
        emit endRequested();
    else
        emit readerMoved();
}

void RichTextView::keyReleaseEvent(QKeyEvent *event) {
    if (event->key() == Qt::Key_Shift)
        m_extending = false;
    QAbstractScrollArea::keyReleaseEvent(event);
}

void RichTextView::mousePressEvent(QMouseEvent *event) {
    if (event->button() != Qt::LeftButton) {
        QAbstractScrollArea::mousePressEvent(event);
        return;
    }
    m_selecting = true;
    m_navigator.forgetColumn();
    setCaret(offsetAt(event->position().toPoint()), event->modifiers() & Qt::ShiftModifier);
    emit readerMoved();
}

void RichTextView::mouseMoveEvent(QMouseEvent *event) {
    if (!m_selecting || !(event->buttons() & Qt::LeftButton))
        return;
    const QPoint at = event->position().toPoint();
    if (at.y() < 0)
        scrollRows(-1);
    else if (at.y() > viewport()->height())
        scrollRows(1);
    setCaret(offsetAt(at), true);
}

void RichTextView::mouseReleaseEvent(QMouseEvent *event) {
    if (event->button() == Qt::LeftButton)
        m_selecting = false;
}

void RichTextView::mouseDoubleClickEvent(QMouseEvent *event) {
    if (event->button() != Qt::LeftButton)
        return;
    const auto [start, end] = m_text.wordAt(offsetAt(event->position().toPoint()));
    m_anchor = start;
    m_caret = end;
    m_selecting = false;
    viewport()->update();
    caretMoved();
}

void RichTextView::contextMenuEvent(QContextMenuEvent *event) {
    QMenu menu(this);
    QAction *copy = menu.addAction(tr("&Copy"));
    copy->setEnabled(selLength() > 0);
    connect(copy, &QAction::triggered, this, &RichTextView::copyRequested);
    menu.addSeparator();
    QAction *all = menu.addAction(tr("Select &All"));
    connect(all, &QAction::triggered, this, &RichTextView::selectAll);
    menu.exec(event->globalPos());
}

void RichTextView::focusInEvent(QFocusEvent *event) {
    QAbstractScrollArea::focusInEvent(event);
    viewport()->update();
}

void RichTextView::focusOutEvent(QFocusEvent *event) {
    QAbstractScrollArea::focusOutEvent(event);
    m_selecting = m_extending = false; // the release may go to another window
    viewport()->update();
}

// --- Drops are reported, never inserted.

void RichTextView::dragEnterEvent(QDragEnterEvent *event) {
    event->ignore();
    emit oleDragOver(event);
}

void RichTextView::dragMoveEvent(QDragMoveEvent *event) {
    event->ignore();
    emit oleDragOver(event);
}

void RichTextView::dropEvent(QDropEvent *event) {
    event->ignore();
    emit oleDragDrop(event);
}

} // namespace Orvik
