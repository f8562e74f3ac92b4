#include "core/search/matchindex.h"

#include <algorithm>
#include <limits>

namespace Orvik {

qint64 MatchIndex::at(qint64 index) const {
    Q_ASSERT(index >= 0 && index < count());
    // A block ends early where a distance would not fit in 32 bits, so blocks are found by
    // their first index rather than by division.
    const auto after =
        std::upper_bound(m_blocks.begin(), m_blocks.end(), index,
                         [](qint64 i, const Block &block) { return i < block.first; });
    return std::prev(after)->base + m_distances[size_t(index)];
}

void MatchIndex::append(qint64 lineStart) {
    const qint64 n = count();
    if (m_blocks.empty() || n - m_blocks.back().first == BlockEntries ||
        lineStart - m_blocks.back().base > std::numeric_limits<quint32>::max())
        m_blocks.push_back({lineStart, n});
    // Growth by half keeps the spare room under two bytes a line.
    if (m_distances.size() == m_distances.capacity())
        m_distances.reserve(m_distances.size() + m_distances.size() / 2 + 1024);
    m_distances.push_back(quint32(lineStart - m_blocks.back().base));
}

void MatchIndex::clear() {
    std::vector<quint32>().swap(m_distances);
    std::vector<Block>().swap(m_blocks);
}

qint64 MatchIndex::memoryUsage() const {
    return qint64(m_distances.capacity() * sizeof(quint32) + m_blocks.capacity() * sizeof(Block));
}

} // namespace Orvik
