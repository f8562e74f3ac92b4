#pragma once

#include "core/content/contents.h"
#include "core/search/textfinder.h"

namespace Orvik {

// One Find Next over a document's text, done a piece at a time so that the program keeps
// answering during a long search; a run that is dropped before it ends is cancelled. Down
// looks for the first match starting at or after the end of the selection, Up for the last
// one starting before its start; either wraps around once over the rest of the text. The
// run searches the text as it was when the run began; a run that ended without a match can be
// continued over the bytes appended since (searchGrowth).
class FindRun {
public:
    enum class Direction { Down, Up };

    FindRun(const TextFinder &finder, const Contents &text, qint64 selStart, qint64 selEnd,
            Direction direction);

    // Searches the next piece; true when the run has ended (found or not). Pieces grow from
    // small to large, so a match close by is found without scanning far beyond it.
    bool step();
    bool isDone() const { return m_done; }
    // The match found, when the run has ended with one.
    TextFinder::Match match() const { return m_match; }
    // True when the match was found only after wrapping around.
    bool wrapped() const { return m_wrapped; }
    Direction direction() const { return m_direction; }
    // The text searched (its bytes are shared with the document).
    const Contents &text() const { return m_text; }
    const TextFinder &finder() const { return m_finder; }
    // After a run that found nothing: `grown`, the searched text with bytes appended, is
    // searched for the matches those bytes hold or complete, and the run goes on. False, and
    // nothing changes, when there is no such growth.
    bool searchGrowth(const Contents &grown);

    static constexpr qint64 FirstPiece = 64 * 1024;
    static constexpr qint64 LargestPiece = 4 * 1024 * 1024;

private:
    void wrapOrEnd();

    TextFinder m_finder;
    Contents m_text;
    Direction m_direction;
    qint64 m_selStart;
    qint64 m_selEnd;
    qint64 m_from = 0; // match starts still to look at: [m_from, m_to)
    qint64 m_to = 0;
    qint64 m_piece = FirstPiece;
    bool m_wrapped = false;
    bool m_done = false;
    bool m_final = false; // the stretch being searched is the last one, without a wrap after it
    TextFinder::Match m_match;
};

} // namespace Orvik
