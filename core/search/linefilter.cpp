#include "core/search/linefilter.h"

#include "core/text/linebounds.h"

#include <cstring>

namespace Orvik {

namespace {

// As Find decides: a text without letters matches the same bytes in either mode.
bool foldsCase(const QByteArray &bytes) {
    for (char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (b >= 0x80 || ((b | 0x20) >= 'a' && (b | 0x20) <= 'z'))
            return true;
    }
    return false;
}

} // namespace

LineFilter::LineFilter(const QString &text, bool matchCase, Kind kind)
    : m_text(text)
    , m_matchCase(matchCase)
    , m_kind(kind) {
    if (text.isEmpty())
        return;
    if (kind == Kind::RegularExpression) {
        m_regex = RegexMatcher(text, matchCase);
        m_matchesNothing = !m_regex.isValid();
        return;
    }
    m_bytes = text.toUtf8();
    m_matchesNothing = m_bytes.contains('\n');
    if (!matchCase && foldsCase(m_bytes))
        m_folded.emplace(text);
}

bool LineFilter::isActive() const {
    return !m_matchesNothing;
}

qint64 LineFilter::scan(const char *text, qint64 from, qint64 to,
                        std::vector<qint64> &lineStarts) const {
    if (m_matchesNothing || from >= to)
        return -1;
    if (m_kind == Kind::RegularExpression)
        return scanLines(text, from, to, lineStarts);
    return m_folded ? scanFolded(text, from, to, lineStarts)
                    : scanExact(text, from, to, lineStarts);
}

qint64 LineFilter::scanExact(const char *text, qint64 from, qint64 to,
                             std::vector<qint64> &out) const {
    const size_t length = size_t(m_bytes.size());
    qint64 line = from;
    while (line < to) {
        const void *hit = memmem(text + line, size_t(to - line), m_bytes.constData(), length);
        if (!hit)
            break;
        const qint64 at = static_cast<const char *>(hit) - text;
        out.push_back(lineStartBefore(text, line, at));
        line = nextLineStart(text, at, to);
    }
    return -1;
}

qint64 LineFilter::scanFolded(const char *text, qint64 from, qint64 to,
                              std::vector<qint64> &out) const {
    qint64 line = from; // the start of the first line not yet taken
    m_folded->forEachMatch(text + from, to - from, [&](qint64 offset, qint64) {
        const qint64 at = from + offset;
        if (at < line)
            return; // another match in a line already taken
        out.push_back(lineStartBefore(text, line, at));
        line = nextLineStart(text, at, to);
    });
    return -1;
}

qint64 LineFilter::scanLines(const char *text, qint64 from, qint64 to,
                             std::vector<qint64> &out) const {
    qint64 line = from;
    while (line < to) {
        const qint64 next = nextLineStart(text, line, to);
        qint64 end = next;
        if (end > line && text[end - 1] == '\n') {
            --end;
            if (end > line && text[end - 1] == '\r')
                --end;
        }
        switch (m_regex.matches(text + line, end - line)) {
        case RegexMatcher::Result::Match:
            out.push_back(line);
            break;
        case RegexMatcher::Result::TooComplex:
            return line;
        case RegexMatcher::Result::NoMatch:
            break;
        }
        line = next;
    }
    return -1;
}

} // namespace Orvik
