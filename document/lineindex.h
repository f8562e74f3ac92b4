#pragma once

#include <QtGlobal>

#include <vector>

namespace Orvik {

// Where each line of a text starts, as byte offsets. A line ends at a line feed (the feed
// belongs to the line it ends); the text has one line more than it has line feeds, the last
// one possibly empty. Each line costs four bytes: its start as a distance from the start of
// its block of lines. The array lives in memory mapped for huge pages where the system
// offers them, since touching fresh memory page by page would cost more than the scan.
// Growing the text scans only the new bytes.
class LineIndex {
public:
    LineIndex() = default;
    ~LineIndex();
    LineIndex(const LineIndex &) = delete;
    LineIndex &operator=(const LineIndex &) = delete;
    LineIndex(LineIndex &&other) noexcept;
    LineIndex &operator=(LineIndex &&other) noexcept;

    void clear();
    // Indexes `size` bytes from scratch.
    void build(const char *data, qint64 size);
    // The text grew from size() to `newSize` bytes (the first size() bytes unchanged);
    // `data` points at the start of the whole text.
    void extend(const char *data, qint64 newSize);

    qint64 size() const { return m_size; }
    qint64 lineCount() const { return m_count; }
    qint64 lineStart(qint64 line) const;
    // Where the next line starts (after the line feed), or size() for the last line.
    qint64 lineLimit(qint64 line) const;
    // The line holding byte `offset`; offsets at or past the end give the last line.
    qint64 lineAt(qint64 offset) const;
    // Memory held by the index, in bytes.
    qint64 memoryUsage() const;

private:
    static constexpr qint64 BlockLines = 4096;
    struct Block {
        qint64 base;      // start of the block's first line
        qint64 firstLine; // number of the block's first line
    };
    void addStart(qint64 offset);
    void scan(const char *data, qint64 from, qint64 to);
    void grow(qint64 lines);
    const Block &blockOfLine(qint64 line) const;
    void release();

    quint32 *m_starts = nullptr; // m_count entries, m_capacity reserved
    qint64 m_capacity = 0;
    std::vector<Block> m_blocks;
    qint64 m_count = 0;
    qint64 m_size = 0;
    // False once a line of 4 GiB or more forced a block to start early.
    bool m_regular = true;
};

} // namespace Orvik
