#include "lineindex.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace Orvik {

void LineIndex::clear() {
    m_blocks.clear();
    m_regular = true;
    m_count = 0;
    m_size = 0;
}

void LineIndex::addStart(qint64 offset) {
    if (m_blocks.empty() || int(m_blocks.back().starts.size()) == BlockLines ||
        offset - m_blocks.back().base > std::numeric_limits<quint32>::max()) {
        if (!m_blocks.empty() && int(m_blocks.back().starts.size()) < BlockLines)
            m_regular = false;
        m_blocks.emplace_back();
        m_blocks.back().base = offset;
        m_blocks.back().firstLine = m_count;
        m_blocks.back().starts.reserve(BlockLines);
    }
    Block &block = m_blocks.back();
    block.starts.push_back(quint32(offset - block.base));
    ++m_count;
}

void LineIndex::scan(const char *data, qint64 from, qint64 to) {
    const char *p = data + from;
    const char *end = data + to;
    while (p < end) {
        const void *feed = std::memchr(p, '\n', size_t(end - p));
        if (!feed)
            break;
        p = static_cast<const char *>(feed) + 1;
        addStart(p - data);
    }
}

void LineIndex::build(const char *data, qint64 size) {
    clear();
    addStart(0);
    if (size > 0)
        scan(data, 0, size);
    m_size = qMax<qint64>(0, size);
}

void LineIndex::extend(const char *data, qint64 newSize) {
    if (m_count == 0)
        addStart(0);
    if (newSize > m_size)
        scan(data, m_size, newSize);
    m_size = qMax(m_size, newSize);
}

const LineIndex::Block &LineIndex::blockOfLine(qint64 line) const {
    if (m_regular)
        return m_blocks[size_t(line / BlockLines)];
    auto block = std::upper_bound(m_blocks.begin(), m_blocks.end(), line,
                                  [](qint64 l, const Block &b) { return l < b.firstLine; });
    return *(block - 1);
}

qint64 LineIndex::lineStart(qint64 line) const {
    if (line <= 0 || m_count == 0)
        return 0;
    if (line >= m_count)
        return m_size;
    const Block &block = blockOfLine(line);
    return block.base + block.starts[size_t(line - block.firstLine)];
}

qint64 LineIndex::lineLimit(qint64 line) const {
    return line + 1 < m_count ? lineStart(line + 1) : m_size;
}

qint64 LineIndex::lineAt(qint64 offset) const {
    if (m_count == 0 || offset <= 0)
        return 0;
    auto block = std::upper_bound(m_blocks.begin(), m_blocks.end(), offset,
                                  [](qint64 o, const Block &b) { return o < b.base; });
    --block; // the first block starts at 0, so there is always one before
    const qint64 rel = offset - block->base;
    auto it = std::upper_bound(block->starts.begin(), block->starts.end(),
                               rel > std::numeric_limits<quint32>::max()
                                   ? std::numeric_limits<quint32>::max()
                                   : quint32(rel));
    return block->firstLine + qint64(it - block->starts.begin()) - 1;
}

qint64 LineIndex::memoryUsage() const {
    qint64 bytes = qint64(m_blocks.capacity() * sizeof(Block));
    for (const Block &b : m_blocks)
        bytes += qint64(b.starts.capacity() * sizeof(quint32));
    return bytes;
}

} // namespace Orvik
