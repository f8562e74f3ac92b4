#pragma once

#include <QIcon>
#include <QString>

namespace Orvik {

// imlToolbarIcons: the toolbar's pictures by button key ("Open", "Save", "Print", "Copy",
// "Font", "Refresh", "Cascade", "Tile Horizontally", "Tile Vertically"). The desktop
// theme's icon where it has a fitting one, else our bundled picture (initResources() must
// have run); a null icon for an unknown key.
QIcon imlToolbarIcons(const QString &key);

// The theme icon name tried first for a key; empty when no standard name fits.
QString toolbarThemeIconName(const QString &key);

} // namespace Orvik
