#include "document/view/lineindex.h"

#include "core/content/pagerelease.h"

#include <QtAlgorithms>

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>
#include <utility>

#include <sys/mman.h>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace Orvik {

namespace {
constexpr qint64 HugePage = 2 * 1024 * 1024;
// The least a segment reserves, in lines; each later one reserves as many as all before it, so
// a few small documents take little of a limited address space and a large one little more
// than twice its lines.
constexpr qint64 MinimumLines = 256 * 1024;
// Segments an index may have: with each as large as all before it, far more than any text.
constexpr int MostSegments = 48;
constexpr qint64 MaxDistance = std::numeric_limits<quint32>::max();
// Blocks beyond one per BlockLines lines and one per segment, for lines of 4 GiB and more.
constexpr qint64 SpareBlocks = 1024;

qint64 roundUp(qint64 n, qint64 step) {
    return (n + step - 1) / step * step;
}

// Address space for `bytes`, or nullptr.
void *reserveSpace(qint64 bytes) {
    void *p =
        mmap(nullptr, size_t(bytes), PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    if (p == MAP_FAILED)
        return nullptr;
    madvise(p, size_t(bytes), MADV_HUGEPAGE); // advice only: fine where it is not offered
    return p;
}

// Makes the first `bytes` of a reserved array usable; false when it is not reserved that far.
bool commit(void *array, qint64 capacityBytes, qint64 &committed, qint64 bytes) {
    if (bytes <= committed)
        return true;
    if (bytes > capacityBytes)
        return false;
    const qint64 target = qMin(capacityBytes, roundUp(qMax(bytes, 2 * committed), HugePage));
    if (mprotect(static_cast<char *>(array) + committed, size_t(target - committed),
                 PROT_READ | PROT_WRITE) != 0)
        throw std::bad_alloc();
    committed = target;
    return true;
}
} // namespace

// One reserved array of line starts; pages are made usable as they are needed. Only the one
// state that may write past the lines the others show commits it.
struct LineIndex::Segment {
    quint32 *starts = nullptr;
    qint64 capacity = 0;  // lines reserved
    qint64 committed = 0; // bytes usable

    // The last holder may be the user-interface thread, replacing a large text.
    ~Segment() {
        if (starts)
            PageRelease::unmap(starts, capacity * qint64(sizeof(quint32)), committed);
    }
    // Room for about `lines` lines, a multiple of BlockLines; less where that much address
    // space is refused, down to one block.
    static std::shared_ptr<Segment> make(qint64 lines) {
        for (qint64 want = qMax(MinimumLines, lines);; want /= 2) {
            want = qMax(want, BlockLines);
            const qint64 bytes = want * qint64(sizeof(quint32)) >= HugePage
                                     ? roundUp(want * qint64(sizeof(quint32)), HugePage)
                                     : roundUp(want, BlockLines) * qint64(sizeof(quint32));
            if (void *p = reserveSpace(bytes)) {
                auto segment = std::make_shared<Segment>();
                segment->starts = static_cast<quint32 *>(p);
                segment->capacity = bytes / qint64(sizeof(quint32));
                return segment;
            }
            if (want == BlockLines)
                throw std::bad_alloc();
        }
    }
    qint64 committedLines() const { return committed / qint64(sizeof(quint32)); }
    // Makes the first `lines` entries usable; false past the capacity.
    bool commitLines(qint64 lines) {
        return commit(starts, capacity * qint64(sizeof(quint32)), committed,
                      lines * qint64(sizeof(quint32)));
    }
};

// The blocks, which are few (one per BlockLines lines) and are copied into a larger storage
// when they outgrow theirs, and the segments the lines are in, which are shared with it.
struct LineIndex::Storage {
    Block *blocks = nullptr;
    qint64 blockCapacity = 0;
    qint64 blockBytes = 0; // committed
    // Entries past a state's `segments` are written only by the one state that may grow.
    std::shared_ptr<Segment> segments[MostSegments];
    std::atomic<int> extensions{0}; // extensions writing past the owner's lines

    ~Storage() {
        if (blocks)
            PageRelease::unmap(blocks, blockCapacity * qint64(sizeof(Block)), blockBytes);
    }
    static std::shared_ptr<Storage> make(qint64 blocks) {
        auto s = std::make_shared<Storage>();
        const qint64 bytes = roundUp(blocks * qint64(sizeof(Block)), HugePage);
        void *p = reserveSpace(bytes);
        if (!p)
            throw std::bad_alloc();
        s->blocks = static_cast<Block *>(p);
        s->blockCapacity = bytes / qint64(sizeof(Block));
        return s;
    }
    bool commitBlocks(qint64 count) {
        return commit(blocks, blockCapacity * qint64(sizeof(Block)), blockBytes,
                      count * qint64(sizeof(Block)));
    }
};

LineIndex::~LineIndex() = default;

LineIndex::LineIndex(LineIndex &&other) noexcept {
    *this = std::move(other);
}

LineIndex &LineIndex::operator=(LineIndex &&other) noexcept {
    if (this != &other)
        m_state = std::exchange(other.m_state, State());
    return *this;
}

void LineIndex::clear() {
    // Keeps the storage and its segments, unless an extension may still write into them.
    std::shared_ptr<Storage> storage = std::move(m_state.storage);
    m_state = State();
    if (storage && storage->extensions.load() == 0)
        m_state.storage = std::move(storage);
}

LineIndex::Segment &LineIndex::State::segment() const {
    return *storage->segments[segments - 1];
}

void LineIndex::State::reserveBlocks(qint64 wanted) {
    if (storage && storage->commitBlocks(wanted))
        return;
    const qint64 capacity =
        qMax(wanted, (storage ? 2 * storage->blockCapacity : 0) + MinimumLines / BlockLines +
                         MostSegments + SpareBlocks);
    std::shared_ptr<Storage> larger = Storage::make(capacity);
    if (!larger->commitBlocks(wanted))
        throw std::bad_alloc();
    if (storage) {
        std::memcpy(larger->blocks, storage->blocks, size_t(blocks) * sizeof(Block));
        std::copy(storage->segments, storage->segments + segments, larger->segments);
    }
    storage = std::move(larger);
}

// The next lines go to a segment of their own, starting at line `count`: one left past the
// segments in use (by a cleared index or an extension that was not taken over) or a new one.
void LineIndex::State::addSegment() {
    if (segments == MostSegments)
        throw std::bad_alloc();
    std::shared_ptr<Segment> &next = storage->segments[segments];
    if (!next)
        next = Segment::make(count);
    if (!next->commitLines(1))
        throw std::bad_alloc();
    ++segments;
    segmentFirst = count;
    segmentLimit = count + next->capacity;
}

void LineIndex::State::addStart(qint64 offset) {
    reserveBlocks(blocks + 1);
    if (segments == 0 || count == segmentLimit)
        addSegment();
    else if (!segment().commitLines(count - segmentFirst + 1))
        throw std::bad_alloc();
    Block *b = storage->blocks;
    if (blocks == 0 || count - b[blocks - 1].firstLine == BlockLines ||
        offset - b[blocks - 1].base > MaxDistance || b[blocks - 1].firstLine < segmentFirst) {
        if (blocks > 0 && count - b[blocks - 1].firstLine < BlockLines)
            regular = false;
        b[blocks++] = {offset, count, segment().starts + (count - segmentFirst)};
    }
    segment().starts[count - segmentFirst] = quint32(offset - b[blocks - 1].base);
    ++count;
}

#if defined(__SSE2__)
namespace {
// Bit i set where byte i of the 64 at `p` is a line feed.
quint64 feedMask(const char *p) {
    const __m128i feed = _mm_set1_epi8('\n');
    quint64 mask = 0;
    for (int i = 0; i < 64; i += 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p + i));
        mask |= quint64(quint16(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, feed)))) << i;
    }
    return mask;
}
} // namespace
#endif

void LineIndex::State::scan(const char *data, qint64 from, qint64 to) {
    // The block's limits are kept in locals: this runs once per line of the text. The last
    // block lies in the last segment; past `limit` addStart() finds room or a new block.
    quint32 *next = nullptr;
    qint64 base = 0;
    qint64 limit = 0;
    const auto renew = [&] {
        const Block &b = storage->blocks[blocks - 1];
        next = segment().starts + (count - segmentFirst);
        base = b.base;
        limit = qMin(qMin(b.firstLine + BlockLines, segmentLimit),
                     segmentFirst + segment().committedLines());
    };
    renew();
    const auto add = [&](qint64 offset) {
        if (count < limit && offset - base <= MaxDistance) {
            *next++ = quint32(offset - base);
            ++count;
            return;
        }
        addStart(offset);
        renew();
    };
    const char *p = data + from;
    const char *end = data + to;
#if defined(__SSE2__)
    // Sixty-four bytes at a time, their line feeds found as the bits of one mask: lines of
    // log text are short, and a search per line would cost more than the bytes it passes.
    for (; end - p >= 64; p += 64) {
        for (quint64 feeds = feedMask(p); feeds != 0; feeds &= feeds - 1)
            add(p - data + qint64(qCountTrailingZeroBits(feeds)) + 1);
    }
#endif
    while (p < end) {
        const void *feed = std::memchr(p, '\n', size_t(end - p));
        if (!feed)
            break;
        p = static_cast<const char *>(feed) + 1;
        add(p - data);
    }
}

void LineIndex::State::extend(const char *data, qint64 newSize) {
    if (count == 0)
        addStart(0);
    if (newSize > size)
        scan(data, size, newSize);
    size = qMax(size, newSize);
}

void LineIndex::build(const char *data, qint64 size) {
    clear();
    m_state.extend(data, qMax<qint64>(0, size));
}

void LineIndex::extend(const char *data, qint64 newSize) {
    // An extension may be writing past the lines shown: grow apart from it, in blocks of a
    // storage of its own and from the next line on in a segment of its own.
    if (m_state.storage && m_state.storage->extensions.load() > 0) {
        State own = m_state;
        own.storage.reset();
        own.blocks = 0;
        own.reserveBlocks(m_state.blocks + 1);
        std::memcpy(own.storage->blocks, m_state.storage->blocks,
                    size_t(m_state.blocks) * sizeof(Block));
        std::copy(m_state.storage->segments, m_state.storage->segments + m_state.segments,
                  own.storage->segments);
        own.blocks = m_state.blocks;
        own.segmentLimit = own.count;
        m_state = std::move(own);
    }
    m_state.extend(data, newSize);
}

std::unique_ptr<LineIndex::Extension> LineIndex::prepareExtension() {
    if (m_state.storage && m_state.storage->extensions.load() > 0)
        return nullptr; // one at a time
    if (!m_state.storage)
        m_state.reserveBlocks(1);
    return std::unique_ptr<Extension>(new Extension(m_state));
}

bool LineIndex::publish(Extension &extension) {
    const State &base = extension.m_base;
    if (base.storage != m_state.storage || base.count != m_state.count ||
        base.blocks != m_state.blocks || base.size != m_state.size)
        return false;
    m_state = extension.m_state;
    return true;
}

LineIndex::Extension::Extension(const State &base)
    : m_base(base)
    , m_state(base) {
    ++m_base.storage->extensions;
}

LineIndex::Extension::~Extension() {
    --m_base.storage->extensions;
}

const LineIndex::Block &LineIndex::blockOfLine(qint64 line) const {
    const Block *blocks = m_state.storage->blocks;
    if (m_state.regular)
        return blocks[line / BlockLines];
    const Block *block = std::upper_bound(blocks, blocks + m_state.blocks, line,
                                          [](qint64 l, const Block &b) { return l < b.firstLine; });
    return *(block - 1);
}

LineIndex::StartRun LineIndex::runFrom(qint64 line, qint64 to) const {
    const Block &block = blockOfLine(line);
    const qint64 blockEnd = &block + 1 < m_state.storage->blocks + m_state.blocks
                                ? (&block + 1)->firstLine
                                : m_state.count;
    return {block.base, block.starts + (line - block.firstLine), qMin(to, blockEnd) - line};
}

qint64 LineIndex::lineStart(qint64 line) const {
    if (line <= 0 || m_state.count == 0)
        return 0;
    if (line >= m_state.count)
        return m_state.size;
    const Block &block = blockOfLine(line);
    return block.base + block.starts[line - block.firstLine];
}

qint64 LineIndex::lineLimit(qint64 line) const {
    return line + 1 < m_state.count ? lineStart(line + 1) : m_state.size;
}

qint64 LineIndex::lineAt(qint64 offset) const {
    if (m_state.count == 0 || offset <= 0)
        return 0;
    const Block *blocks = m_state.storage->blocks;
    const Block *end = blocks + m_state.blocks;
    const Block *block =
        std::upper_bound(blocks, end, offset, [](qint64 o, const Block &b) { return o < b.base; });
    --block; // the first block starts at 0, so there is always one before
    const qint64 first = block->firstLine;
    const qint64 last = block + 1 == end ? m_state.count : (block + 1)->firstLine;
    const quint32 rel = quint32(qMin(offset - block->base, MaxDistance));
    const quint32 *it = std::upper_bound(block->starts, block->starts + (last - first), rel);
    return first + qint64(it - block->starts) - 1;
}

qint64 LineIndex::memoryUsage() const {
    return m_state.blocks * qint64(sizeof(Block)) + m_state.count * qint64(sizeof(quint32));
}

} // namespace Orvik
