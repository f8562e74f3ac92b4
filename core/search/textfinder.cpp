#include "core/search/textfinder.h"

#include "core/text/utf8text.h"

#include <cstring>

namespace Orvik {

namespace {

bool hasLetterOrNonAscii(const QByteArray &bytes) {
    for (char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (b >= 0x80 || ((b | 0x20) >= 'a' && (b | 0x20) <= 'z'))
            return true;
    }
    return false;
}

} // namespace

TextFinder::TextFinder(const QString &text, bool matchCase)
    : TextFinder(text.toUtf8(), matchCase) {}

TextFinder::TextFinder(const QByteArray &bytes, bool matchCase)
    : m_bytes(bytes)
    , m_startsMidCharacter(!bytes.isEmpty() && (uchar(bytes[0]) & 0xC0) == 0x80) {
    // A text without letters matches the same bytes in either mode, so it takes the exact
    // scan (which also finds blanks, which the highlight ignores).
    if (matchCase || !hasLetterOrNonAscii(m_bytes)) {
        m_longest = m_bytes.size();
        return;
    }
    m_folded.emplace(m_bytes);
    bool ascii = true;
    qint64 characters = 0;
    const auto *p = reinterpret_cast<const uchar *>(m_bytes.constData());
    for (qint64 i = 0; i < m_bytes.size(); ++characters) {
        ascii = ascii && p[i] < 0x80;
        i += qMax(1, decodeUtf8(p + i, m_bytes.size() - i).length);
    }
    // Folded, each character of the text matches one character of one to four bytes.
    m_longest = ascii ? m_bytes.size() : 4 * characters;
}

// True when `at` is inside a valid UTF-8 character that starts before it.
bool TextFinder::splitsCharacter(const char *text, qint64 size, qint64 at) const {
    if (!m_startsMidCharacter)
        return false;
    const auto *t = reinterpret_cast<const uchar *>(text);
    for (qint64 back = 1; back <= 3 && at - back >= 0; ++back) {
        if ((t[at - back] & 0xC0) != 0x80)
            return decodeUtf8(t + at - back, size - (at - back)).length > back;
    }
    return false;
}

qint64 TextFinder::windowEnd(qint64 size, qint64 to) const {
    return qMin(size, to + m_longest - 1);
}

TextFinder::Match TextFinder::firstIn(const char *text, qint64 size, qint64 from, qint64 to) const {
    Match first;
    if (!isActive() || from < 0 || from >= to)
        return first;
    const qint64 end = windowEnd(size, to);
    if (end - from <= 0)
        return first;
    if (!m_folded) {
        for (qint64 start = from; start < to;) {
            const void *hit = memmem(text + start, size_t(end - start), m_bytes.constData(),
                                     size_t(m_bytes.size()));
            const qint64 at = hit ? static_cast<const char *>(hit) - text : to;
            if (at < to && !splitsCharacter(text, size, at))
                return {at, m_bytes.size()};
            start = at + 1;
        }
        return first;
    }
    m_folded->forEachMatch(text + from, end - from, [&](qint64 at, qint64 length) {
        if (!first.found() && from + at < to && !splitsCharacter(text, size, from + at))
            first = {from + at, length};
    });
    return first;
}

TextFinder::Match TextFinder::lastIn(const char *text, qint64 size, qint64 from, qint64 to) const {
    Match last;
    if (!isActive() || from < 0 || from >= to)
        return last;
    const qint64 end = windowEnd(size, to);
    if (end - from <= 0)
        return last;
    if (!m_folded) {
        const qint64 m = m_bytes.size();
        const char *pattern = m_bytes.constData();
        // Backwards over the candidates for the first byte, so the cost is the distance.
        qint64 limit = qMin(to, end - m + 1); // starts in [from, limit)
        while (limit > from) {
            const void *hit = memrchr(text + from, pattern[0], size_t(limit - from));
            if (!hit)
                break;
            const qint64 at = static_cast<const char *>(hit) - text;
            if (std::memcmp(text + at, pattern, size_t(m)) == 0 && !splitsCharacter(text, size, at))
                return {at, m};
            limit = at;
        }
        return last;
    }
    m_folded->forEachMatch(text + from, end - from, [&](qint64 at, qint64 length) {
        if (from + at < to && !splitsCharacter(text, size, from + at))
            last = {from + at, length};
    });
    return last;
}

} // namespace Orvik
