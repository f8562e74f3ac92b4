#pragma once

class QWidget;

namespace Orvik {

// Twips (1/1440 inch) and pixels, converted with the screen's logical dots per inch:
// 15 twips make a pixel at 96 dpi.
int twipsToPixelsX(double twips, const QWidget *widget = nullptr);
int twipsToPixelsY(double twips, const QWidget *widget = nullptr);
double pixelsToTwipsX(int pixels, const QWidget *widget = nullptr);
double pixelsToTwipsY(int pixels, const QWidget *widget = nullptr);

} // namespace Orvik
