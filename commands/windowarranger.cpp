#include "windowarranger.h"

#include <QMdiArea>
#include <QMdiSubWindow>

#include <algorithm>

namespace Orvik {

namespace {

QList<QMdiSubWindow *> visibleWindows(QMdiArea &area) {
    QList<QMdiSubWindow *> windows;
    const QList<QMdiSubWindow *> all = area.subWindowList(QMdiArea::CreationOrder);
    for (QMdiSubWindow *window : all) {
        if (!window->isHidden())
            windows.append(window);
    }
    return windows;
}

// Splits `total` pixels into `count` parts that differ by at most one, larger parts first.
int partStart(int total, int count, int index) {
    const int base = total / count;
    const int extra = total % count;
    return index * base + std::min(index, extra);
}

} // namespace

void WindowArranger::cascade(QMdiArea &area) {
    area.cascadeSubWindows();
}

void WindowArranger::tileHorizontal(QMdiArea &area) {
    tile(area, true);
}

void WindowArranger::tileVertical(QMdiArea &area) {
    tile(area, false);
}

int WindowArranger::arrangeIcons(QMdiArea &area) {
    const QRect room = area.viewport()->rect();
    QList<QMdiSubWindow *> icons;
    const QList<QMdiSubWindow *> windows = visibleWindows(area);
    for (QMdiSubWindow *window : windows) {
        if (window->isMinimized())
            icons.append(window);
    }
    if (icons.isEmpty())
        return 0;

    // Rows fill from the bottom up; a row ends when the next icon would pass the right edge.
    int x = 0;
    int rowBottom = room.bottom() + 1;
    int rowHeight = 0;
    int used = 0;
    for (QMdiSubWindow *icon : std::as_const(icons)) {
        const QSize size = icon->size();
        if (x > 0 && x + size.width() > room.width()) {
            rowBottom -= rowHeight;
            x = 0;
            rowHeight = 0;
        }
        rowHeight = std::max(rowHeight, size.height());
        icon->move(x, rowBottom - size.height());
        x += size.width();
        used = std::max(used, room.bottom() + 1 - (rowBottom - rowHeight));
    }
    return used;
}

void WindowArranger::tile(QMdiArea &area, bool horizontal) {
    const int iconRows = arrangeIcons(area);
    QList<QMdiSubWindow *> normal;
    const QList<QMdiSubWindow *> windows = visibleWindows(area);
    for (QMdiSubWindow *window : windows) {
        if (!window->isMinimized())
            normal.append(window);
    }
    if (normal.isEmpty())
        return;

    QRect room = area.viewport()->rect();
    room.setHeight(std::max(1, room.height() - iconRows));
    const int count = int(normal.size());
    const int total = horizontal ? room.height() : room.width();
    for (int i = 0; i < count; ++i) {
        QMdiSubWindow *window = normal.at(i);
        if (window->isMaximized())
            window->showNormal();
        const int start = partStart(total, count, i);
        const int length = partStart(total, count, i + 1) - start;
        const QRect place = horizontal
                                ? QRect(room.left(), room.top() + start, room.width(), length)
                                : QRect(room.left() + start, room.top(), length, room.height());
        window->setGeometry(place);
    }
}

} // namespace Orvik
