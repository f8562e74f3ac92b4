#pragma once

#include "core/documentview.h"

#include <vector>

namespace Orvik {

// Text colours as sorted, non-overlapping byte ranges; touching ranges of one colour merge,
// so a run of adjacent matches costs one range. Colouring proceeds mostly from the start to
// the end of a text, which appends at the back in constant time.
class MarkSet {
public:
    struct Mark {
        qint64 start;
        qint64 end; // exclusive
        ColorNumber color;
    };

    void clear() { m_marks.clear(); }
    bool isEmpty() const { return m_marks.empty(); }
    int count() const { return int(m_marks.size()); }
    const std::vector<Mark> &marks() const { return m_marks; }

    // Colours [start, end), replacing whatever colour that range had.
    void assign(qint64 start, qint64 end, ColorNumber color);
    // The marks that overlap [start, end), in order: [first, last) indexes into marks().
    std::pair<int, int> overlapping(qint64 start, qint64 end) const;
    // Text was inserted at `offset` (`count` bytes) after removing [offset, offset+removed).
    void replace(qint64 offset, qint64 removed, qint64 count);
    qint64 memoryUsage() const { return qint64(m_marks.capacity() * sizeof(Mark)); }

private:
    std::vector<Mark> m_marks;
};

} // namespace Orvik
