#pragma once

#include <QString>

#include <optional>

namespace Orvik {

class Module1;
class SettingsStore;

// The main window's outer frame in screen coordinates, in twips (1/1440 inch).
struct WindowTwips {
    double left = 1000;
    double top = 1000;
    double width = 6500;
    double height = 6500;

    friend bool operator==(const WindowTwips &a, const WindowTwips &b) {
        return a.left == b.left && a.top == b.top && a.width == b.width && a.height == b.height;
    }
};

// Section "Settings": the main window's frame, the display font, the refresh interval and
// the highlight string. Text that does not convert (geometry or a boolean that is not a
// number, a number beyond 32 bits) gives that key's default.
namespace Settings {
inline const QString Section = QStringLiteral("Settings");

// Reads the keys in their fixed order into the module's preferences, with the refresh
// interval limited to 100..60000, and returns the stored frame for the main window.
WindowTwips LoadSettings(SettingsStore &store, Module1 &module);
// Writes the keys in their fixed order; the frame only when there is one, since a window
// closed while minimised keeps the frame of an earlier run.
void SaveSettings(SettingsStore &store, const Module1 &module,
                  const std::optional<WindowTwips> &frame);

// Section "Recent Commands": the command lines opened last as "01" to "10", newest first. It
// exists only once a command was opened.
inline const QString RecentCommandsSection = QStringLiteral("Recent Commands");
void LoadRecentCommands(SettingsStore &store, Module1 &module);
void SaveRecentCommands(SettingsStore &store, const Module1 &module);

// The value rules, shared with the tests.
std::optional<double> readGeometry(const QString &text);
std::optional<bool> readBoolean(const QString &text);
std::optional<int> readInteger(const QString &text);
int limitRefreshInterval(int milliseconds);
QString geometryText(double twips);
} // namespace Settings

} // namespace Orvik
