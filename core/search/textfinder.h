#pragma once

#include "core/search/highlightsearch.h"

#include <QByteArray>
#include <QString>

#include <optional>

namespace Orvik {

// Finds a text in bytes for the Find command. Without "match case" a text is matched as the
// highlight matches it (ASCII letters of either case; other letters under simple case
// folding); with it, byte for byte. A match is reported as its byte range; a search is
// bounded by where matches may start, and a match may run past that bound. A match never
// starts inside a UTF-8 character.
class TextFinder {
public:
    struct Match {
        qint64 offset = -1;
        qint64 length = 0;
        bool found() const { return offset >= 0; }
        friend bool operator==(const Match &a, const Match &b) {
            return a.offset == b.offset && a.length == b.length;
        }
    };

    TextFinder(const QString &text, bool matchCase);
    // The text as bytes: UTF-8 where they are valid, other bytes standing for themselves (as a
    // line that is not UTF-8 shows them, one character per byte).
    TextFinder(const QByteArray &bytes, bool matchCase);

    // An empty text finds nothing.
    bool isActive() const { return !m_bytes.isEmpty(); }
    // The most bytes a match can span.
    qint64 longestMatch() const { return m_longest; }

    // The first match in text[0, size) that starts in [from, to).
    Match firstIn(const char *text, qint64 size, qint64 from, qint64 to) const;
    // The last match in text[0, size) that starts in [from, to).
    Match lastIn(const char *text, qint64 size, qint64 from, qint64 to) const;

private:
    qint64 windowEnd(qint64 size, qint64 to) const;
    bool splitsCharacter(const char *text, qint64 size, qint64 at) const;

    QByteArray m_bytes;                      // the text in UTF-8
    std::optional<HighlightSearch> m_folded; // none when bytes compare exactly
    qint64 m_longest = 0;
    // The text starts with a byte that may continue a character in the searched bytes.
    bool m_startsMidCharacter = false;
};

} // namespace Orvik
