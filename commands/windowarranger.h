#pragma once

class QMdiArea;

namespace Orvik {

// The arrangements of the document windows inside the workspace (Arrange 0 to 3). Windows
// are taken in the order they were opened, which is their slot order. Minimised windows stay
// minimised: the tilings first line them up along the bottom and share the room above them
// among the other windows; a maximised window is brought back to its normal state.
class WindowArranger {
public:
    static void cascade(QMdiArea &area);
    // Normal windows one above the other, each across the full width.
    static void tileHorizontal(QMdiArea &area);
    // Normal windows side by side, each over the full height.
    static void tileVertical(QMdiArea &area);
    // Minimised windows in rows along the bottom, left to right; returns the height the rows
    // take up.
    static int arrangeIcons(QMdiArea &area);

private:
    static void tile(QMdiArea &area, bool horizontal);
};

} // namespace Orvik
