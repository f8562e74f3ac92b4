#include "core/text/utf8text.h"

#include <cstring>

namespace Orvik {

namespace {
inline bool isContinuation(uchar c) {
    return (c & 0xC0) == 0x80;
}

// The length a lead byte announces; 0 for a byte that cannot start a sequence.
inline int sequenceLength(uchar lead) {
    return lead >= 0xC2 && lead <= 0xDF   ? 2
           : lead >= 0xE0 && lead <= 0xEF ? 3
           : lead >= 0xF0 && lead <= 0xF4 ? 4
                                          : 0;
}

// True when the `available` bytes (fewer than their lead announces) can still begin a
// valid sequence.
bool beginsSequence(const uchar *p, qint64 available) {
    for (qint64 j = 1; j < available; ++j)
        if (!isContinuation(p[j]))
            return false;
    if (available < 2)
        return true;
    const uchar c = p[0];
    return !((c == 0xE0 && p[1] < 0xA0) || (c == 0xED && p[1] > 0x9F) ||
             (c == 0xF0 && p[1] < 0x90) || (c == 0xF4 && p[1] > 0x8F));
}
} // namespace

Utf8Char decodeUtf8(const uchar *bytes, qint64 available) {
    const uchar lead = bytes[0];
    if (lead < 0x80)
        return {lead, 1};
    const int length = sequenceLength(lead);
    if (length == 0 || available < length)
        return {lead, 0};
    char32_t code = lead & (length == 2 ? 0x1F : length == 3 ? 0x0F : 0x07);
    for (int k = 1; k < length; ++k) {
        if (!isContinuation(bytes[k]))
            return {lead, 0};
        code = (code << 6) | (bytes[k] & 0x3F);
    }
    static constexpr char32_t Minimum[] = {0, 0, 0x80, 0x800, 0x10000};
    if (code < Minimum[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        return {lead, 0};
    return {code, length};
}

qint64 skipAscii(const uchar *bytes, qint64 from, qint64 size) {
    qint64 i = from;
    while (i + 8 <= size) {
        quint64 word;
        std::memcpy(&word, bytes + i, 8);
        if (word & 0x8080808080808080ULL)
            break;
        i += 8;
    }
    while (i < size && bytes[i] < 0x80)
        ++i;
    return i;
}

Utf8State checkUtf8(const char *data, qint64 size, qint64 *complete) {
    const auto *p = reinterpret_cast<const uchar *>(data);
    qint64 i = 0;
    auto stop = [&](Utf8State state) {
        if (complete)
            *complete = i;
        return state;
    };
    while (i < size) {
        i = skipAscii(p, i, size);
        if (i >= size)
            break;
        const Utf8Char c = decodeUtf8(p + i, size - i);
        if (c.length > 0) {
            i += c.length;
            continue;
        }
        const int length = sequenceLength(p[i]);
        if (length > 0 && size - i < length && beginsSequence(p + i, size - i))
            return stop(Utf8State::Unfinished);
        return stop(Utf8State::Invalid);
    }
    return stop(Utf8State::Valid);
}

} // namespace Orvik
