#include "core/text/numbertext.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace Orvik {

namespace {

bool isIgnoredBlank(QChar c) {
    return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\n');
}

// The text with every ignored blank taken out, as Latin-1; characters beyond Latin-1 can
// never continue a number, so they are kept as a byte that stops the reader.
QByteArray withoutBlanks(const QString &text) {
    QByteArray out;
    out.reserve(text.size());
    for (QChar c : text) {
        if (isIgnoredBlank(c))
            continue;
        out.append(c.unicode() < 0x80 ? char(c.unicode()) : '\x7f');
    }
    return out;
}

int digitValue(char c, int base) {
    int v = -1;
    if (c >= '0' && c <= '9')
        v = c - '0';
    else if (c >= 'a' && c <= 'f')
        v = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F')
        v = c - 'A' + 10;
    return v < base ? v : -1;
}

LeadingNumber readRadixInteger(const QByteArray &s, int pos, int base) {
    LeadingNumber n;
    double value = 0.0;
    for (; pos < s.size(); ++pos) {
        const int d = digitValue(s.at(pos), base);
        if (d < 0)
            break;
        value = value * base + d;
        n.found = true;
    }
    n.value = value;
    return n;
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// The nearest value of a decimal number (digits, an optional point and exponent, no sign)
// that a double cannot hold: infinity when it is too large, 0 when it is too small. Which
// one it is follows from the place of its first significant digit, the exponent included.
double beyondRange(const char *begin, const char *end) {
    constexpr qint64 ExponentLimit = 1'000'000'000;
    qint64 place = 0; // the first significant digit stands for 10 to the power place - 1
    bool point = false;
    bool significant = false;
    const char *p = begin;
    for (; p != end && *p != 'e'; ++p) {
        if (*p == '.') {
            point = true;
        } else if (!significant && *p == '0') {
            if (point)
                --place;
        } else {
            significant = true;
            if (!point)
                ++place;
        }
    }
    qint64 exponent = 0;
    bool negativeExponent = false;
    if (p != end && ++p != end && (*p == '+' || *p == '-'))
        negativeExponent = *p++ == '-';
    for (; p != end; ++p)
        exponent = std::min(ExponentLimit, exponent * 10 + (*p - '0'));
    place += negativeExponent ? -exponent : exponent;
    return place > 0 ? std::numeric_limits<double>::infinity() : 0.0;
}

} // namespace

LeadingNumber readLeadingNumber(const QString &text) {
    const QByteArray s = withoutBlanks(text);
    if (s.size() >= 2 && s.at(0) == '&') {
        const char kind = s.at(1);
        if (kind == 'H' || kind == 'h')
            return readRadixInteger(s, 2, 16);
        if (kind == 'O' || kind == 'o')
            return readRadixInteger(s, 2, 8);
        return {};
    }

    // Collect the longest prefix that forms a number, then convert it in the C locale: the
    // conversion is exact to the last bit, which a digit-by-digit sum is not.
    QByteArray number;
    int pos = 0;
    if (pos < s.size() && (s.at(pos) == '+' || s.at(pos) == '-'))
        number.append(s.at(pos++));
    bool digits = false;
    while (pos < s.size() && isDigit(s.at(pos))) {
        number.append(s.at(pos++));
        digits = true;
    }
    if (pos < s.size() && s.at(pos) == '.') {
        number.append(s.at(pos++));
        while (pos < s.size() && isDigit(s.at(pos))) {
            number.append(s.at(pos++));
            digits = true;
        }
    }
    if (!digits)
        return {};
    if (pos < s.size()) {
        const char e = s.at(pos);
        if (e == 'E' || e == 'e' || e == 'D' || e == 'd') {
            int p = pos + 1;
            QByteArray exponent("e");
            if (p < s.size() && (s.at(p) == '+' || s.at(p) == '-'))
                exponent.append(s.at(p++));
            const int firstDigit = p;
            while (p < s.size() && isDigit(s.at(p)))
                exponent.append(s.at(p++));
            if (p > firstDigit)
                number.append(exponent);
        }
    }
    LeadingNumber n;
    n.found = true;
    const char *begin = number.constData();
    const char *end = begin + number.size();
    const bool negative = *begin == '-';
    if (*begin == '+' || *begin == '-')
        ++begin;
    double magnitude = 0.0;
    const auto [stop, status] = std::from_chars(begin, end, magnitude);
    Q_UNUSED(stop);
    if (status == std::errc::result_out_of_range)
        magnitude = beyondRange(begin, end);
    n.value = negative ? -magnitude : magnitude;
    return n;
}

double leadingNumberValue(const QString &text) {
    return readLeadingNumber(text).value;
}

double roundHalfEven(double value) {
    // The default floating-point rounding mode is to nearest, ties to even.
    return std::nearbyint(value);
}

std::optional<int> roundHalfEvenToInt(double value) {
    const double r = roundHalfEven(value);
    if (!(r >= double(std::numeric_limits<int>::min()) &&
          r <= double(std::numeric_limits<int>::max())))
        return std::nullopt;
    return int(r);
}

QString displayNumber(qint64 value) {
    const QString digits = QString::number(value);
    return value < 0 ? digits : QLatin1Char(' ') + digits;
}

QString displayNumber(double value) {
    if (value == 0.0)
        value = 0.0; // no "-0"
    const QString digits = QString::number(value, 'g', 15);
    return value < 0 ? digits : QLatin1Char(' ') + digits;
}

QString boolText(bool value) {
    return value ? QStringLiteral("True") : QStringLiteral("False");
}

} // namespace Orvik
