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

std::atomic<quint64> scannedBytes{0};

void count(qint64 bytes) {
    if (bytes > 0)
        scannedBytes.fetch_add(quint64(bytes), std::memory_order_relaxed);
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

qint64 LineFilter::scan(const char *text, qint64 from, qint64 to, std::vector<qint64> &lineStarts,
                        const std::atomic<bool> *stop) const {
    if (m_matchesNothing || from >= to)
        return -1;
    count(to - from);
    if (m_kind == Kind::RegularExpression)
        return scanLines(text, from, to, lineStarts, stop);
    return m_folded ? scanFolded(text, from, to, lineStarts)
                    : scanExact(text, from, to, lineStarts);
}

qint64 LineFilter::scanGrown(const char *text, qint64 from, qint64 to, const OpenLine &open,
                             std::vector<qint64> &lineStarts, const std::atomic<bool> *stop) const {
    if (m_matchesNothing || from >= to || open.start != from || m_kind != Kind::Plain)
        return scan(text, from, to, lineStarts, stop);
    const qint64 next = nextLineStart(text, from, to);
    const qint64 resume = qBound(from, open.scannedTo - plainOverlap(), next);
    if (open.matched || plainIn(text, resume, next))
        lineStarts.push_back(from);
    return scan(text, next, to, lineStarts, stop);
}

qint64 LineFilter::scanOpenLine(const char *text, qint64 start, qint64 end, OpenLine &open) const {
    const bool grown = open.start == start && open.scannedTo <= end;
    const bool matchedBefore = grown && open.matched;
    const qint64 before = grown ? open.scannedTo : start;
    open = OpenLine{start, end, false};
    if (m_matchesNothing || start >= end)
        return -1;
    if (m_kind == Kind::Plain) {
        open.matched = matchedBefore || plainIn(text, qMax(start, before - plainOverlap()), end);
        return -1;
    }
    // The match of an expression may end at `$`: an append can take it away, so it is tried
    // again, over no more than the tail of the line.
    const qint64 size = end - start;
    qint64 from = qMax<qint64>(0, size - OpenTail);
    while (from > 0 && from < size && (uchar(text[start + from]) & 0xC0) == 0x80)
        ++from; // never inside a character
    count(size - from);
    switch (m_regex.find(text + start, size, from, nullptr)) {
    case RegexMatcher::Result::Match:
        open.matched = true;
        return -1;
    case RegexMatcher::Result::TooComplex:
        return start;
    case RegexMatcher::Result::NoMatch:
        return -1;
    }
    return -1;
}

quint64 LineFilter::bytesScanned() {
    return scannedBytes.load(std::memory_order_relaxed);
}

qint64 LineFilter::plainOverlap() const {
    // A folded match takes at most four bytes for each character of the text.
    const qint64 longest = m_folded ? 4 * m_bytes.size() : m_bytes.size();
    return qMax<qint64>(0, longest - 1);
}

bool LineFilter::plainIn(const char *text, qint64 from, qint64 to) const {
    if (from >= to)
        return false;
    count(to - from);
    std::vector<qint64> found;
    if (m_folded)
        scanFolded(text, from, to, found);
    else
        scanExact(text, from, to, found);
    return !found.empty();
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

qint64 LineFilter::scanLines(const char *text, qint64 from, qint64 to, std::vector<qint64> &out,
                             const std::atomic<bool> *stop) const {
    qint64 line = from;
    while (line < to) {
        if (stop && stop->load(std::memory_order_relaxed))
            return -1;
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
