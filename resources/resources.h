#pragma once

#include <QString>

namespace Orvik {

// Registers the compiled-in icons with Qt's resource system.
// The program must call this once before the first icon is loaded: the resources live in a
// static library, and without a reference from the program the linker may drop them.
// Calling it more than once is harmless.
void initResources();

// Resource path of the toolbar picture for a button key ("Open", "Tile Horizontally", ...).
QString toolbarIconPath(const QString &key);

// Resource paths of the window icons.
inline constexpr char appIconPath[] = ":/icons/orvik.svg";
inline constexpr char documentIconPath[] = ":/icons/document.svg";
// A document window that showed a line an alert rule waits for, until it is activated.
inline constexpr char alertIconPath[] = ":/icons/alert.svg";

} // namespace Orvik
