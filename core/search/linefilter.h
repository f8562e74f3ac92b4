#pragma once

#include "core/search/highlightsearch.h"
#include "core/search/regexmatcher.h"

#include <QByteArray>
#include <QString>

#include <optional>
#include <vector>

namespace Orvik {

// Which lines of a text a filter text matches. Plain text matches as Find matches it: without
// Match case ASCII letters of either case and other letters under simple case folding, with
// it byte for byte. A regular expression (RegexMatcher) is tried on each line alone. A line
// ends at a line feed, which is not part of it, nor is a carriage return before the feed.
// An empty text, or a plain one with a line break, matches no line.
class LineFilter {
public:
    enum class Kind { Plain, RegularExpression };

    LineFilter() = default;
    LineFilter(const QString &text, bool matchCase, Kind kind);

    QString text() const { return m_text; }
    bool matchCase() const { return m_matchCase; }
    Kind kind() const { return m_kind; }
    // A filter that can match: not empty, and a valid expression.
    bool isActive() const;
    // Why the expression was refused; empty when it was not.
    QString errorString() const { return m_regex.errorString(); }

    // Adds to `lineStarts` the start of every matching line among the whole lines text[from,
    // to): `from` starts a line, `to` follows a line feed or is the end of the text. Gives -1,
    // or the start of the line on which the expression gave up as too complex (the lines
    // before it are scanned, the later ones are not).
    qint64 scan(const char *text, qint64 from, qint64 to, std::vector<qint64> &lineStarts) const;

private:
    qint64 scanExact(const char *text, qint64 from, qint64 to, std::vector<qint64> &out) const;
    qint64 scanFolded(const char *text, qint64 from, qint64 to, std::vector<qint64> &out) const;
    qint64 scanLines(const char *text, qint64 from, qint64 to, std::vector<qint64> &out) const;

    QString m_text;
    bool m_matchCase = false;
    Kind m_kind = Kind::Plain;
    bool m_matchesNothing = true;
    QByteArray m_bytes;                      // plain text in UTF-8
    std::optional<HighlightSearch> m_folded; // plain text that folds case
    RegexMatcher m_regex;
};

} // namespace Orvik
