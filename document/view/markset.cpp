#include "document/view/markset.h"

#include <algorithm>

namespace Orvik {

std::pair<int, int> MarkSet::overlapping(qint64 start, qint64 end) const {
    auto first = std::upper_bound(m_marks.begin(), m_marks.end(), start,
                                  [](qint64 s, const Mark &m) { return s < m.end; });
    auto last = first;
    while (last != m_marks.end() && last->start < end)
        ++last;
    return {int(first - m_marks.begin()), int(last - m_marks.begin())};
}

void MarkSet::assign(qint64 start, qint64 end, ColorNumber color) {
    if (end <= start)
        return;
    // The common case: colouring at or after the last mark.
    if (m_marks.empty() || m_marks.back().end <= start) {
        if (!m_marks.empty() && m_marks.back().end == start && m_marks.back().color == color)
            m_marks.back().end = end;
        else
            m_marks.push_back({start, end, color});
        return;
    }
    auto [first, last] = overlapping(start, end);
    if (last - first == 1 && m_marks[size_t(first)].start <= start &&
        m_marks[size_t(first)].end >= end && m_marks[size_t(first)].color == color)
        return; // already coloured so

    std::vector<Mark> pieces;
    pieces.reserve(3);
    if (first < last && m_marks[size_t(first)].start < start)
        pieces.push_back({m_marks[size_t(first)].start, start, m_marks[size_t(first)].color});
    pieces.push_back({start, end, color});
    if (first < last && m_marks[size_t(last - 1)].end > end)
        pieces.push_back({end, m_marks[size_t(last - 1)].end, m_marks[size_t(last - 1)].color});

    // Merge with touching neighbours of the same colour, and the remnants with the new range.
    if (first > 0) {
        const Mark &before = m_marks[size_t(first - 1)];
        if (before.end == pieces.front().start && before.color == pieces.front().color) {
            pieces.front().start = before.start;
            --first;
        }
    }
    if (last < int(m_marks.size())) {
        const Mark &after = m_marks[size_t(last)];
        if (after.start == pieces.back().end && after.color == pieces.back().color) {
            pieces.back().end = after.end;
            ++last;
        }
    }
    std::vector<Mark> merged;
    merged.reserve(pieces.size());
    for (const Mark &m : pieces) {
        if (!merged.empty() && merged.back().end == m.start && merged.back().color == m.color)
            merged.back().end = m.end;
        else
            merged.push_back(m);
    }
    pieces.swap(merged);
    auto at = m_marks.erase(m_marks.begin() + first, m_marks.begin() + last);
    m_marks.insert(at, pieces.begin(), pieces.end());
}

void MarkSet::replace(qint64 offset, qint64 removed, qint64 count) {
    const qint64 removedEnd = offset + removed;
    const qint64 shift = count - removed;
    std::vector<Mark> kept;
    kept.reserve(m_marks.size() + 1);
    for (const Mark &m : m_marks) {
        if (m.end <= offset) {
            kept.push_back(m);
            continue;
        }
        if (m.start < offset)
            kept.push_back({m.start, offset, m.color});
        if (m.end > removedEnd)
            kept.push_back({qMax(m.start, removedEnd) + shift, m.end + shift, m.color});
    }
    m_marks.swap(kept);
}

} // namespace Orvik
