#include "document/twips.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <cmath>

namespace Orvik {

namespace {
constexpr double TwipsPerInch = 1440.0;

QScreen *screenOf(const QWidget *widget) {
    if (widget && widget->screen())
        return widget->screen();
    return QGuiApplication::primaryScreen();
}

double dpiX(const QWidget *widget) {
    QScreen *screen = screenOf(widget);
    return screen ? screen->logicalDotsPerInchX() : 96.0;
}

double dpiY(const QWidget *widget) {
    QScreen *screen = screenOf(widget);
    return screen ? screen->logicalDotsPerInchY() : 96.0;
}
} // namespace

int twipsToPixelsX(double twips, const QWidget *widget) {
    return int(std::lround(twips * dpiX(widget) / TwipsPerInch));
}

int twipsToPixelsY(double twips, const QWidget *widget) {
    return int(std::lround(twips * dpiY(widget) / TwipsPerInch));
}

double pixelsToTwipsX(int pixels, const QWidget *widget) {
    return pixels * TwipsPerInch / dpiX(widget);
}

double pixelsToTwipsY(int pixels, const QWidget *widget) {
    return pixels * TwipsPerInch / dpiY(widget);
}

} // namespace Orvik
