#pragma once

#include <QtGlobal>

namespace Orvik {

// The one reading of UTF-8 that the view and the highlight search share: no overlong forms,
// surrogates or code points past U+10FFFF.
struct Utf8Char {
    char32_t code; // the first byte when the sequence is not valid
    int length;    // 0 when the bytes there are not a valid, complete sequence
};
Utf8Char decodeUtf8(const uchar *bytes, qint64 available);

// The first offset from `from` on whose byte is not ASCII, or `size`: whole runs of ASCII are
// passed eight bytes at a time.
qint64 skipAscii(const uchar *bytes, qint64 from, qint64 size);

enum class Utf8State { Valid, Invalid, Unfinished };
// Checks [data, data + size) as UTF-8. Unfinished: valid but for a sequence cut off at the
// end. *complete, when given, gets the length of the valid prefix that ends at a character
// boundary.
Utf8State checkUtf8(const char *data, qint64 size, qint64 *complete = nullptr);

} // namespace Orvik
