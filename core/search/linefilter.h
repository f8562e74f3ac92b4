#pragma once

#include "core/search/highlightsearch.h"
#include "core/search/regexmatcher.h"

#include <QByteArray>
#include <QString>

#include <atomic>
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
    // An expression looks at `stop` before each line and, once it is set, returns -1 with the
    // lines found so far; plain text is scanned in one go (callers take it in stretches).
    qint64 scan(const char *text, qint64 from, qint64 to, std::vector<qint64> &lineStarts,
                const std::atomic<bool> *stop = nullptr) const;

    // What is known of the unfinished last line of a text that grows, so that an append is
    // paid for by its own bytes and not by the whole line again.
    struct OpenLine {
        qint64 start = -1;    // the line's start, or -1
        qint64 scannedTo = 0; // the end of the text when the line was last looked at
        bool matched = false;
    };
    // An unfinished last line longer than this is matched by an expression over its last
    // OpenTail bytes only: a match must start there (the bytes before are seen by assertions
    // only, so `^` matches there only after a carriage return, as after any other). Plain text
    // is found anywhere in it. A line feed ends the line, which is then matched whole, once.
    static constexpr qint64 OpenTail = 64 * 1024;

    // As scan(), where the first line, when it starts `open`, is that line now complete: plain
    // text looks only at its bytes after `open.scannedTo` (and the few before them a match
    // can span), an expression at the whole line, once.
    qint64 scanGrown(const char *text, qint64 from, qint64 to, const OpenLine &open,
                     std::vector<qint64> &lineStarts,
                     const std::atomic<bool> *stop = nullptr) const;
    // Whether the unfinished last line text[start, end) matches, into `open`; `open` itself
    // when it is that line, shorter. Gives -1, or `start` when the expression gave up on it.
    // Plain text looks at the new bytes only, an expression at no more than OpenTail bytes.
    qint64 scanOpenLine(const char *text, qint64 start, qint64 end, OpenLine &open) const;

    // The bytes all filters of the program were asked to look at since it started.
    static quint64 bytesScanned();

private:
    qint64 scanExact(const char *text, qint64 from, qint64 to, std::vector<qint64> &out) const;
    qint64 scanFolded(const char *text, qint64 from, qint64 to, std::vector<qint64> &out) const;
    qint64 scanLines(const char *text, qint64 from, qint64 to, std::vector<qint64> &out,
                     const std::atomic<bool> *stop) const;
    // Plain text in text[from, to), a part of one line.
    bool plainIn(const char *text, qint64 from, qint64 to) const;
    // The bytes before new ones that a plain match ending in them may start in.
    qint64 plainOverlap() const;

    QString m_text;
    bool m_matchCase = false;
    Kind m_kind = Kind::Plain;
    bool m_matchesNothing = true;
    QByteArray m_bytes;                      // plain text in UTF-8
    std::optional<HighlightSearch> m_folded; // plain text that folds case
    RegexMatcher m_regex;
};

} // namespace Orvik
