#pragma once

#include <QtGlobal>

#include <vector>

namespace Orvik {

// Where each line of a text starts, as byte offsets. A line ends at a line feed (the feed
// belongs to the line it ends); the text has one line more than it has line feeds, the last
// one possibly empty. Offsets are kept as 32-bit distances from the start of a block of
// lines, so a line costs about four bytes. Growing the text scans only the new bytes.
class LineIndex {
public:
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
    static constexpr int BlockLines = 4096;
    struct Block {
        qint64 base = 0;      // start of the block's first line
        qint64 firstLine = 0; // number of the block's first line
        std::vector<quint32> starts;
    };
    void addStart(qint64 offset);
    void scan(const char *data, qint64 from, qint64 to);
    const Block &blockOfLine(qint64 line) const;

    std::vector<Block> m_blocks;
    qint64 m_count = 0;
    qint64 m_size = 0;
    // False once a line of 4 GiB or more forced a block to start early.
    bool m_regular = true;
};

} // namespace Orvik
