#pragma once

#include "core/rules/highlightrule.h"
#include "core/search/highlightsearch.h"
#include "core/search/literalset.h"
#include "core/search/regexmatcher.h"

#include <QByteArray>

#include <optional>

namespace Orvik {

class MarkRuns;

// Finds the matches of one highlight rule. Plain text folds case as the highlight does (or,
// with Match case, matches byte for byte) and never spans lines; a regular expression is the
// filter's (RegexMatcher) and a match of it is coloured up to the end of the line it starts
// in. A whole-line rule marks each matching line from its start up to and with its line
// feed, so that neighbouring lines merge into one mark.
//
// A copy holds its own regular expression scratch space: one copy per thread.
class RuleSearch {
public:
    explicit RuleSearch(const HighlightRule &rule);

    // A rule that can match: not empty, not blanks only, a valid expression.
    bool isActive() const { return m_active; }
    bool wholeLine() const { return m_wholeLine; }

    // Adds to `marks` the marks of text[from, to) that end after `keepAfter`. `text` is the
    // whole text (assertions look before `from`), `from` starts a line and `to` is the end of
    // the text or follows a line feed. Callers take the text in stretches, looking whether
    // they are to give up between them.
    void collect(const char *text, qint64 from, qint64 to, qint64 keepAfter, MarkRuns &marks) const;

    // The plain text as a literal of a LiteralSet, for a rule whose matches one can find
    // (text matched byte for byte, or of ASCII characters with their case folded); nothing
    // for other rules.
    std::optional<LiteralSet::Literal> literal() const;

    // What a rule marks for each of its matches found by other means, in order of start,
    // in one stretch text[from, to) of whole lines.
    class Marker {
    public:
        Marker(const RuleSearch &search, const char *text, qint64 from, qint64 to, qint64 keepAfter,
               MarkRuns &marks);
        // The rule's plain text found at `start`: marked unless it starts before where the
        // last match lets the search go on.
        void take(qint64 start) {
            if (start >= m_next)
                m_next = mark(start, start + m_search.m_bytes.size());
        }
        // Marks text[start, end) and gives back where the search may go on.
        qint64 mark(qint64 start, qint64 end);

    private:
        const RuleSearch &m_search;
        const char *m_text;
        qint64 m_from;
        qint64 m_to;
        qint64 m_keepAfter;
        MarkRuns &m_marks;
        qint64 m_next;
        qint64 m_lastLineEnd; // whole lines: the end of the last line marked
    };

private:
    template <typename Sink> void scan(const char *text, qint64 from, qint64 to, Sink &sink) const;

    bool m_active = false;
    bool m_wholeLine = false;
    QByteArray m_bytes;                      // plain text, matched byte for byte
    std::optional<HighlightSearch> m_folded; // plain text that folds case
    std::optional<RegexMatcher> m_regex;
};

} // namespace Orvik
