#include "toolbaricons.h"

#include "resources/resources.h"

#include <QFile>

namespace Orvik {

namespace {
struct IconName {
    const char *key;
    const char *themeName;
};

// The arrangements have no standard theme names.
constexpr IconName IconNames[] = {
    {"Open", "document-open"},
    {"Save", "document-save"},
    {"Print", "document-print"},
    {"Copy", "edit-copy"},
    {"Font", "preferences-desktop-font"},
    {"Refresh", "view-refresh"},
    {"Cascade", ""},
    {"Tile Horizontally", ""},
    {"Tile Vertically", ""},
};

const IconName *find(const QString &key) {
    for (const IconName &name : IconNames) {
        if (key == QLatin1String(name.key))
            return &name;
    }
    return nullptr;
}
} // namespace

QString toolbarThemeIconName(const QString &key) {
    const IconName *name = find(key);
    return name ? QString::fromLatin1(name->themeName) : QString();
}

QIcon imlToolbarIcons(const QString &key) {
    if (!find(key))
        return QIcon();
    const QString themeName = toolbarThemeIconName(key);
    if (!themeName.isEmpty() && QIcon::hasThemeIcon(themeName))
        return QIcon::fromTheme(themeName);
    const QString bundled = toolbarIconPath(key);
    if (QFile::exists(bundled))
        return QIcon(bundled);
    return QIcon::fromTheme(themeName);
}

} // namespace Orvik
