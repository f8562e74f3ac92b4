#pragma once

#include <QString>

#include <functional>
#include <memory>

namespace Orvik {

// A regular expression in Perl syntax (PCRE2, compiled to machine code where the system
// allows), matched against bytes taken as UTF-8 without converting them: bytes that are not
// valid UTF-8 are searched too, and a match never includes an invalid sequence. Without
// matchCase letters match in either case. `^` and `$` match at the start and end of every
// line; LF, CR and CR LF end lines.
//
// Every match is bounded: one that would need more than MatchLimit backtracking steps, or
// more than the engine's stack, ends with TooComplex instead of running on. Copies share the
// compiled pattern but each has its own scratch space: use one copy per thread.
class RegexMatcher {
public:
    enum class Result { NoMatch, Match, TooComplex };
    struct Match {
        qint64 offset = -1;
        qint64 length = 0;
    };
    using MatchSink = std::function<void(qint64 offset, qint64 length)>;

    static constexpr quint32 MatchLimit = 10'000'000;

    // An invalid matcher: it matches nothing.
    RegexMatcher();
    RegexMatcher(const QString &pattern, bool matchCase);
    RegexMatcher(const RegexMatcher &other);
    RegexMatcher &operator=(const RegexMatcher &other);
    RegexMatcher(RegexMatcher &&other) noexcept;
    RegexMatcher &operator=(RegexMatcher &&other) noexcept;
    ~RegexMatcher();

    bool isValid() const { return bool(m_code); }
    // Why the pattern was refused, with the character position in it; empty when valid.
    QString errorString() const { return m_error; }

    // The first match in text[0, size) that starts at or after `from`; the text before
    // `from` is looked at by assertions only.
    Result find(const char *text, qint64 size, qint64 from, Match *match) const;
    // As find(), for a match that starts at or before `lastStart` only: a search that ends
    // with TooComplex gave up on a start in [from, lastStart], which a caller searching one
    // line at a time takes for that line.
    Result find(const char *text, qint64 size, qint64 from, qint64 lastStart, Match *match) const;
    // Whether the pattern matches anywhere in text[0, size).
    Result matches(const char *text, qint64 size) const;
    // Each match in order, as a global search finds them: after an empty match the next
    // one starts a character further on.
    Result forEachMatch(const char *text, qint64 size, const MatchSink &sink) const;

    // How many searches all matchers have run since the program started, and how many of them
    // ended with TooComplex (each has spent up to the whole match limit).
    static quint64 searchCount();
    static quint64 tooComplexCount();

private:
    struct Code;
    struct Scratch;
    Scratch &scratch() const;

    std::shared_ptr<const Code> m_code;
    QString m_error;
    mutable std::unique_ptr<Scratch> m_scratch;
};

} // namespace Orvik
