// The leading-number reader over any text, as the settings store and the text-entry boxes
// hand it over (UTF-8 or Latin-1 bytes).
#include "core/text/numbertext.h"

#include <QString>

#include <cmath>
#include <cstdint>
#include <cstdlib>

using namespace Orvik;

namespace {
void require(bool condition) {
    if (!condition)
        std::abort();
}

void check(const QString &text) {
    const LeadingNumber n = readLeadingNumber(text);
    require(n.found || n.value == 0.0); // a text without a number reads as 0
    require(leadingNumberValue(text) == n.value || std::isnan(n.value));
    const double rounded = roundHalfEven(n.value);
    require(!std::isfinite(n.value) || !std::isfinite(rounded) ||
            std::fabs(rounded - n.value) <= 0.5);
    const std::optional<int> i = roundHalfEvenToInt(n.value);
    require(!i || double(*i) == rounded);
    (void)displayNumber(n.value);
    if (std::isfinite(n.value) && std::fabs(n.value) < 9e18)
        (void)displayNumber(qint64(n.value));
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const char *bytes = reinterpret_cast<const char *>(data);
    check(QString::fromUtf8(bytes, qsizetype(size)));
    check(QString::fromLatin1(bytes, qsizetype(size)));
    return 0;
}
