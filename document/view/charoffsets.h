#pragma once

#include <QtGlobal>

#include <vector>

namespace Orvik {

class LineIndex;
class ViewText;

// Converts between a view text's byte offsets and its character offsets: the UTF-16 units of
// the text a person sees, as accessibility tools count them (a valid UTF-8 line gives one
// unit per character, two for one past U+FFFF; any other line one per byte). A count from
// the start is kept every Step bytes, made on first use and dropped from where the text
// changes, so a conversion counts at most Step bytes past the last count it needs.
//
// A text being read can be counted as it comes in (countWholeLines(), on the reading
// thread), so that the view that shows it never counts a whole text.
class CharOffsets {
public:
    static constexpr qint64 Step = 64 * 1024;

    // The characters before byte `offset`.
    qint64 charOffset(const ViewText &text, qint64 offset);
    // The byte where character `chars` starts (the start of a pair of units for its second).
    qint64 byteOffset(const ViewText &text, qint64 chars);
    // Forgets the counts past byte `offset`, whose bytes or decoding changed.
    void forgetFrom(qint64 offset);
    // Counts the text `data` indexed by `lines` up to the start of its last line, the part
    // that no growth changes.
    void countWholeLines(const char *data, const LineIndex &lines);
    // The bytes counted for conversions, not by countWholeLines() (for tests).
    qint64 bytesCountedOnDemand() const { return m_countedOnDemand; }

private:
    void countTo(const ViewText &text, size_t mark);

    std::vector<qint64> m_marks; // m_marks[i]: the characters before byte i * Step
    qint64 m_countedOnDemand = 0;
    // The line last found whole and valid UTF-8 or not by countWholeLines().
    qint64 m_checkedLine = -1;
    bool m_checkedUtf8 = false;
};

} // namespace Orvik
