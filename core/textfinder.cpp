#include "textfinder.h"

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
    : m_bytes(text.toUtf8()) {
    // A text without letters matches the same bytes in either mode, so it takes the exact
    // scan (which also finds blanks, which the highlight ignores).
    if (matchCase || !hasLetterOrNonAscii(m_bytes)) {
        m_longest = m_bytes.size();
        return;
    }
    m_folded.emplace(text);
    bool ascii = true;
    qint64 characters = 0;
    for (char c : m_bytes) {
        const auto b = static_cast<unsigned char>(c);
        ascii = ascii && b < 0x80;
        characters += (b & 0xC0) != 0x80;
    }
    // Folded, each character of the text matches one character of one to four bytes.
    m_longest = ascii ? m_bytes.size() : 4 * characters;
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
        const void *hit =
            memmem(text + from, size_t(end - from), m_bytes.constData(), size_t(m_bytes.size()));
        if (hit && static_cast<const char *>(hit) - text < to)
            first = {static_cast<const char *>(hit) - text, m_bytes.size()};
        return first;
    }
    m_folded->forEachMatch(text + from, end - from, [&first, from, to](qint64 at, qint64 length) {
        if (!first.found() && from + at < to)
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
            if (std::memcmp(text + at, pattern, size_t(m)) == 0)
                return {at, m};
            limit = at;
        }
        return last;
    }
    m_folded->forEachMatch(text + from, end - from, [&last, from, to](qint64 at, qint64 length) {
        if (from + at < to)
            last = {from + at, length};
    });
    return last;
}

} // namespace Orvik
