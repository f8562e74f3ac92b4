#include "settings.h"

#include "settingsstore.h"

#include "core/module1.h"
#include "core/text/numbertext.h"

#include <QLocale>

#include <cmath>

namespace Orvik::Settings {

namespace {
double geometryOr(SettingsStore &store, const QString &key, double defaultValue) {
    return readGeometry(store.read(Section, key, QString::number(defaultValue)))
        .value_or(defaultValue);
}

bool booleanOr(SettingsStore &store, const QString &key, bool defaultValue) {
    return readBoolean(store.read(Section, key, boolText(defaultValue))).value_or(defaultValue);
}

int integerOr(SettingsStore &store, const QString &key, int defaultValue) {
    return readInteger(store.read(Section, key, QString::number(defaultValue)))
        .value_or(defaultValue);
}

std::optional<double> numberInLocale(const QString &text) {
    bool ok = false;
    const double value = QLocale().toDouble(text.trimmed(), &ok);
    if (ok)
        return value;
    // A store written under another locale still reads.
    const double c = QLocale::c().toDouble(text.trimmed(), &ok);
    if (ok)
        return c;
    return std::nullopt;
}
} // namespace

std::optional<double> readGeometry(const QString &text) {
    const std::optional<double> value = numberInLocale(text);
    // Held in single precision; like the numeric keys, nothing beyond the 32-bit range.
    if (!value || !(std::fabs(*value) < 2147483648.0))
        return std::nullopt;
    return double(float(*value));
}

std::optional<bool> readBoolean(const QString &text) {
    const QString t = text.trimmed();
    if (t.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
        return true;
    if (t.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
        return false;
    if (const std::optional<double> value = numberInLocale(t))
        return *value != 0.0;
    return std::nullopt;
}

std::optional<int> readInteger(const QString &text) {
    return roundHalfEvenToInt(readLeadingNumber(text).value);
}

int limitRefreshInterval(int milliseconds) {
    return qBound(Module1::MinRefreshInterval, milliseconds, Module1::MaxRefreshInterval);
}

QString geometryText(double twips) {
    // Decimal text of the single-precision value: whole numbers without a decimal point.
    return QString::number(double(float(twips)), 'g', 9);
}

WindowTwips LoadSettings(SettingsStore &store, Module1 &module) {
    WindowTwips frame;
    frame.left = geometryOr(store, QStringLiteral("Left"), frame.left);
    frame.top = geometryOr(store, QStringLiteral("Top"), frame.top);
    frame.width = geometryOr(store, QStringLiteral("Width"), frame.width);
    frame.height = geometryOr(store, QStringLiteral("Height"), frame.height);
    module.FontName = store.read(Section, QStringLiteral("FontName"), QStringLiteral("Arial"));
    module.FontSize = integerOr(store, QStringLiteral("FontSize"), 10);
    module.FontBold = booleanOr(store, QStringLiteral("FontBold"), false);
    module.FontItalic = booleanOr(store, QStringLiteral("FontItalic"), false);
    module.FontUnderline = booleanOr(store, QStringLiteral("FontUnderline"), false);
    module.RefreshInterval = limitRefreshInterval(
        integerOr(store, QStringLiteral("RefreshInterval"), Module1::DefaultRefreshInterval));
    module.HighLightString = store.read(Section, QStringLiteral("HighLightString"), QString());
    module.FollowInstantly = booleanOr(store, QStringLiteral("FollowInstantly"), true);
    return frame;
}

void SaveSettings(SettingsStore &store, const Module1 &module,
                  const std::optional<WindowTwips> &frame) {
    if (frame) {
        store.write(Section, QStringLiteral("Left"), geometryText(frame->left));
        store.write(Section, QStringLiteral("Top"), geometryText(frame->top));
        store.write(Section, QStringLiteral("Width"), geometryText(frame->width));
        store.write(Section, QStringLiteral("Height"), geometryText(frame->height));
    }
    store.write(Section, QStringLiteral("FontName"), module.FontName);
    store.write(Section, QStringLiteral("FontSize"), QString::number(module.FontSize));
    store.write(Section, QStringLiteral("FontBold"), boolText(module.FontBold));
    store.write(Section, QStringLiteral("FontItalic"), boolText(module.FontItalic));
    store.write(Section, QStringLiteral("FontUnderline"), boolText(module.FontUnderline));
    store.write(Section, QStringLiteral("HighLightString"), module.HighLightString);
    store.write(Section, QStringLiteral("RefreshInterval"),
                QString::number(module.RefreshInterval));
    // Kept only while switched off, so that a user who never switches it keeps the file as
    // it was.
    if (module.FollowInstantly)
        store.removeKey(Section, QStringLiteral("FollowInstantly"));
    else
        store.write(Section, QStringLiteral("FollowInstantly"), boolText(false));
}

namespace {
QString commandKey(int index) {
    return QStringLiteral("%1").arg(index, 2, 10, QLatin1Char('0'));
}
} // namespace

void LoadRecentCommands(SettingsStore &store, Module1 &module) {
    module.RecentCommands.clear();
    for (int i = 1; i <= Module1::RecentCommandCount; ++i) {
        const QString command = store.read(RecentCommandsSection, commandKey(i), QString());
        if (!command.trimmed().isEmpty() && !module.RecentCommands.contains(command))
            module.RecentCommands.append(command);
    }
}

void SaveRecentCommands(SettingsStore &store, const Module1 &module) {
    if (module.RecentCommands.isEmpty())
        return;
    store.removeSection(RecentCommandsSection);
    for (int i = 0; i < module.RecentCommands.size() && i < Module1::RecentCommandCount; ++i)
        store.write(RecentCommandsSection, commandKey(i + 1), module.RecentCommands.at(i));
}

} // namespace Orvik::Settings
