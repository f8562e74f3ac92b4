#pragma once

#include <QtGlobal>

#include <vector>

namespace Orvik {

class ViewText;

// Converts between a view text's byte offsets and its character offsets: the UTF-16 units of
// the text a person sees, as accessibility tools count them (a valid UTF-8 line gives one
// unit per character, two for one past U+FFFF; any other line one per byte). A count from
// the start is kept every Step bytes, made on first use and dropped from where the text
// changes, so a conversion counts at most Step bytes.
class CharOffsets {
public:
    static constexpr qint64 Step = 64 * 1024;

    // The characters before byte `offset`.
    qint64 charOffset(const ViewText &text, qint64 offset);
    // The byte where character `chars` starts (the start of a pair of units for its second).
    qint64 byteOffset(const ViewText &text, qint64 chars);
    // Forgets the counts past byte `offset`, whose bytes or decoding changed.
    void forgetFrom(qint64 offset);

private:
    void countTo(const ViewText &text, size_t mark);

    std::vector<qint64> m_marks; // m_marks[i]: the characters before byte i * Step
};

} // namespace Orvik
