#pragma once

#include <QtGlobal>

#include <vector>

namespace Orvik {

// The start offsets of the lines a filter matched, in file order, at about four bytes a
// line: each block of up to BlockEntries starts keeps them as distances from its first one.
class MatchIndex {
public:
    qint64 count() const { return qint64(m_distances.size()); }
    bool isEmpty() const { return m_distances.empty(); }
    qint64 at(qint64 index) const;
    qint64 last() const { return at(count() - 1); }
    // `lineStart` lies after every start held.
    void append(qint64 lineStart);
    // Empties the index and gives its memory back.
    void clear();
    qint64 memoryUsage() const;

private:
    static constexpr qint64 BlockEntries = 4096;
    struct Block {
        qint64 base;  // the block's first start
        qint64 first; // the index of that start
    };

    std::vector<quint32> m_distances;
    std::vector<Block> m_blocks;
};

} // namespace Orvik
