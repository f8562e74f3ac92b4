#include "core/rules/rulesearch.h"

#include "core/marks/markruns.h"
#include "core/text/linebounds.h"

#include <cstring>

namespace Orvik {

RuleSearch::RuleSearch(const HighlightRule &rule)
    : m_wholeLine(rule.wholeLine) {
    if (rule.text.isEmpty())
        return;
    if (rule.regularExpression) {
        m_regex.emplace(rule.text, rule.matchCase);
        m_active = m_regex->isValid();
        return;
    }
    m_bytes = rule.text.toUtf8();
    // Blanks only mark nothing, as for the highlight; a line break is never inside a line.
    m_active = m_bytes.count(' ') != m_bytes.size() && !m_bytes.contains('\n');
    if (m_active && !rule.matchCase)
        m_folded.emplace(m_bytes);
}

// Calls sink(start, end) for each match in text[from, to), in order of start; the sink
// gives back where the search may go on (at least the match's start + 1).
template <typename Sink>
void RuleSearch::scan(const char *text, qint64 from, qint64 to, Sink &sink) const {
    if (m_folded) {
        qint64 next = from;
        m_folded->forEachMatch(text + from, to - from, [&](qint64 offset, qint64 length) {
            if (from + offset >= next)
                next = sink(from + offset, from + offset + length);
        });
        return;
    }
    if (!m_regex) {
        const size_t length = size_t(m_bytes.size());
        qint64 at = from;
        while (at < to) {
            const void *hit = memmem(text + at, size_t(to - at), m_bytes.constData(), length);
            if (!hit)
                break;
            const qint64 start = static_cast<const char *>(hit) - text;
            at = sink(start, start + qint64(length));
        }
        return;
    }
    // One search runs over the whole stretch until the expression gives up on some start.
    // Which line that was the engine does not say, and a search again from the line after
    // `at` would run into the same line and spend the whole match limit on it once more for
    // every line before it. So from then on each search may start in one line only: the
    // hopeless line is paid for once more, and every later one once.
    qint64 at = from;
    bool byLine = false;
    while (at <= to) {
        const qint64 lineEnd = byLine ? nextLineStart(text, at, to) : to;
        // Starts up to and with the line feed belong to the line.
        const qint64 lastStart =
            byLine && lineEnd > at && text[lineEnd - 1] == '\n' ? lineEnd - 1 : to;
        RegexMatcher::Match match;
        const RegexMatcher::Result result = m_regex->find(text, to, at, lastStart, &match);
        if (result != RegexMatcher::Result::Match) {
            if (result == RegexMatcher::Result::TooComplex && !byLine) {
                byLine = true; // the same starts again, a line at a time
                continue;
            }
            if (!byLine || lineEnd >= to)
                break;
            at = lineEnd; // no match starts in that line, or the rest of it is given up
            continue;
        }
        const qint64 start = match.offset;
        at = qMax(sink(start, start + match.length), start + 1);
        while (at < to && (uchar(text[at]) & 0xC0) == 0x80)
            ++at; // never inside a character
    }
}

void RuleSearch::collect(const char *text, qint64 from, qint64 to, qint64 keepAfter,
                         MarkRuns &marks) const {
    if (!m_active)
        return;
    Marker marker(*this, text, from, to, keepAfter, marks);
    auto sink = [&marker](qint64 s, qint64 e) { return marker.mark(s, e); };
    scan(text, from, to, sink);
}

std::optional<LiteralSet::Literal> RuleSearch::literal() const {
    if (!m_active || m_regex)
        return std::nullopt;
    if (m_folded) {
        for (const char c : m_bytes)
            if (uchar(c) >= 0x80)
                return std::nullopt;
    }
    return LiteralSet::Literal{m_bytes, m_folded.has_value()};
}

RuleSearch::Marker::Marker(const RuleSearch &search, const char *text, qint64 from, qint64 to,
                           qint64 keepAfter, MarkRuns &marks)
    : m_search(search)
    , m_text(text)
    , m_from(from)
    , m_to(to)
    , m_keepAfter(keepAfter)
    , m_marks(marks)
    , m_next(from)
    , m_lastLineEnd(from) {}

qint64 RuleSearch::Marker::mark(qint64 s, qint64 e) {
    if (m_search.m_wholeLine) {
        const qint64 lineEnd = nextLineStart(m_text, s, m_to);
        const qint64 lineStart = lineStartBefore(m_text, qMax(m_from, m_lastLineEnd), s);
        if (lineEnd > m_keepAfter)
            m_marks.add(lineStart, lineEnd);
        m_lastLineEnd = lineEnd;
        return lineEnd;
    }
    // Only an expression can reach past the end of its line.
    const bool regex = m_search.m_regex.has_value();
    const void *feed = regex ? std::memchr(m_text + s, '\n', size_t(e - s)) : nullptr;
    const qint64 visibleEnd = feed ? static_cast<const char *>(feed) - m_text : e;
    if (visibleEnd > s && visibleEnd > m_keepAfter)
        m_marks.add(s, visibleEnd);
    // Plain matches may overlap, as the highlight's do; an expression goes on after.
    return regex && e > s ? e : s + 1;
}

} // namespace Orvik
