#pragma once

#include <QByteArray>
#include <QString>

#include <atomic>
#include <functional>
#include <vector>

namespace Orvik {

class MarkRuns;

// Finds the highlight text in bytes, case-insensitively. Every occurrence is reported,
// overlapping ones too: after a match at p the search goes on at p + 1, so "aa" in "aaaa"
// is found at 0, 1 and 2. A match is reported as its byte range in the searched text.
//
// A pattern of ASCII characters matches ASCII letters of either case (a fast scan). A
// pattern with other characters is matched in UTF-8 under simple case folding, so "ÉCHEC"
// matches "échec"; bytes that are not valid UTF-8 match only themselves. The pattern is
// taken as given (blanks at its ends are part of it); a pattern of blanks only, or an empty
// one, is inactive and matches nothing.
class HighlightSearch {
public:
    using MatchSink = std::function<void(qint64 offset, qint64 length)>;

    explicit HighlightSearch(const QString &pattern);
    // A pattern given as bytes: UTF-8 where they are valid, other bytes standing for themselves.
    explicit HighlightSearch(const QByteArray &pattern);

    bool isActive() const { return m_active; }
    void forEachMatch(const char *text, qint64 size, const MatchSink &sink) const;
    // Adds every match in `text` to `marks`, at `base` plus its offset in `text`. Looks at
    // `cancel` every few megabytes and gives up, returning false, once it is set.
    bool collect(const char *text, qint64 size, qint64 base, MarkRuns &marks,
                 const std::atomic<bool> *cancel = nullptr) const;

private:
    void scanAscii(const unsigned char *text, qint64 size, const MatchSink &sink) const;
    void scanFolded(const unsigned char *text, qint64 size, const MatchSink &sink) const;

    // The most bytes one match can take.
    qint64 longestMatch() const;

    bool m_active = false;
    bool m_ascii = true;
    QByteArray m_folded;           // ASCII pattern in lower case
    std::vector<char32_t> m_units; // folded code points of a non-ASCII pattern
};

} // namespace Orvik
