#include "lineindex.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>
#include <utility>

#include <sys/mman.h>

namespace Orvik {

namespace {
constexpr qint64 HugePage = 2 * 1024 * 1024;
constexpr qint64 MinimumLines = 16 * 1024;
constexpr qint64 MaxDistance = std::numeric_limits<quint32>::max();
} // namespace

LineIndex::~LineIndex() {
    release();
}

LineIndex::LineIndex(LineIndex &&other) noexcept {
    *this = std::move(other);
}

LineIndex &LineIndex::operator=(LineIndex &&other) noexcept {
    if (this != &other) {
        release();
        m_starts = std::exchange(other.m_starts, nullptr);
        m_capacity = std::exchange(other.m_capacity, 0);
        m_blocks = std::move(other.m_blocks);
        m_count = std::exchange(other.m_count, 0);
        m_size = std::exchange(other.m_size, 0);
        m_regular = std::exchange(other.m_regular, true);
    }
    return *this;
}

void LineIndex::release() {
    if (m_starts)
        munmap(m_starts, size_t(m_capacity) * sizeof(quint32));
    m_starts = nullptr;
    m_capacity = 0;
}

void LineIndex::grow(qint64 lines) {
    qint64 capacity = qMax(qMax(MinimumLines, 2 * m_capacity), lines);
    const qint64 bytes = (capacity * qint64(sizeof(quint32)) + HugePage - 1) / HugePage * HugePage;
    capacity = bytes / qint64(sizeof(quint32));
    void *p = m_starts ? mremap(m_starts, size_t(m_capacity) * sizeof(quint32), size_t(bytes),
                                MREMAP_MAYMOVE)
                       : mmap(nullptr, size_t(bytes), PROT_READ | PROT_WRITE,
                              MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    if (p == MAP_FAILED)
        throw std::bad_alloc();
    madvise(p, size_t(bytes), MADV_HUGEPAGE); // advice only: fine where it is not offered
    m_starts = static_cast<quint32 *>(p);
    m_capacity = capacity;
}

void LineIndex::clear() {
    m_blocks.clear();
    m_regular = true;
    m_count = 0;
    m_size = 0;
}

void LineIndex::addStart(qint64 offset) {
    if (m_count == m_capacity)
        grow(m_count + 1);
    if (m_blocks.empty() || m_count - m_blocks.back().firstLine == BlockLines ||
        offset - m_blocks.back().base > MaxDistance) {
        if (!m_blocks.empty() && m_count - m_blocks.back().firstLine < BlockLines)
            m_regular = false;
        m_blocks.push_back({offset, m_count});
    }
    m_starts[m_count++] = quint32(offset - m_blocks.back().base);
}

void LineIndex::scan(const char *data, qint64 from, qint64 to) {
    const char *p = data + from;
    const char *end = data + to;
    // The block's limits are kept in locals: this loop runs once per line of the text.
    qint64 base = m_blocks.back().base;
    qint64 blockEnd = m_blocks.back().firstLine + BlockLines;
    while (p < end) {
        const void *feed = std::memchr(p, '\n', size_t(end - p));
        if (!feed)
            break;
        p = static_cast<const char *>(feed) + 1;
        const qint64 offset = p - data;
        if (m_count < blockEnd && m_count < m_capacity && offset - base <= MaxDistance) {
            m_starts[m_count++] = quint32(offset - base);
        } else {
            addStart(offset);
            base = m_blocks.back().base;
            blockEnd = m_blocks.back().firstLine + BlockLines;
        }
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
    return blockOfLine(line).base + m_starts[line];
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
    const qint64 first = block->firstLine;
    const qint64 last = block + 1 == m_blocks.end() ? m_count : (block + 1)->firstLine;
    const quint32 rel = quint32(qMin(offset - block->base, MaxDistance));
    const quint32 *it = std::upper_bound(m_starts + first, m_starts + last, rel);
    return qint64(it - m_starts) - 1;
}

qint64 LineIndex::memoryUsage() const {
    return qint64(m_blocks.capacity() * sizeof(Block)) + m_count * qint64(sizeof(quint32));
}

} // namespace Orvik
