#pragma once

#include <QString>

#include <optional>

namespace Orvik {

// The number at the start of a text. Blanks, tabs and line feeds are ignored wherever they
// stand; then an optional sign, digits with at most one "." (whatever the locale) and an
// optional exponent (E or D, optional sign, digits) are read as far as they fit. "&H" and
// "&O" start a hexadecimal or octal integer. A text without a leading number reads as 0.
struct LeadingNumber {
    double value = 0.0;
    bool found = false; // false when no digit could be read
};
LeadingNumber readLeadingNumber(const QString &text);
// The value alone, 0 when there is none.
double leadingNumberValue(const QString &text);

// Rounds to the nearest integer, a half going to the even neighbour (10.5 -> 10, 11.5 -> 12).
double roundHalfEven(double value);
// roundHalfEven() as a 32-bit integer; nothing when the result does not fit (or is NaN).
std::optional<int> roundHalfEvenToInt(double value);

// A number for display: a non-negative value gets one blank before its digits, a negative
// one its minus sign (" 1000", "-5"). Fractions use "." and up to 15 significant digits.
QString displayNumber(qint64 value);
QString displayNumber(double value);

// "True" or "False".
QString boolText(bool value);

} // namespace Orvik
