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
// The least a storage reserves, in lines; a larger text reserves four times its lines, so a
// few small documents take little of a limited address space.
constexpr qint64 MinimumLines = 256 * 1024;
constexpr qint64 MaxDistance = std::numeric_limits<quint32>::max();
// Blocks beyond one per BlockLines lines, for lines of 4 GiB and more.
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
} // namespace

// Reserved arrays of line starts and blocks; pages are made usable as they are needed.
struct LineIndex::Storage {
    quint32 *starts = nullptr;
    Block *blocks = nullptr;
    qint64 startCapacity = 0; // reserved
    qint64 blockCapacity = 0;
    qint64 startBytes = 0; // committed
    qint64 blockBytes = 0;
    std::atomic<int> extensions{0}; // extensions writing past the owner's lines

    // The last holder may be the user-interface thread, replacing a large text.
    ~Storage() {
        if (starts)
            PageRelease::unmap(starts, startCapacity * qint64(sizeof(quint32)), startBytes);
        if (blocks)
            PageRelease::unmap(blocks, blockCapacity * qint64(sizeof(Block)), blockBytes);
    }

    // Storage for at least `lines` lines, taking less address space where plenty is refused.
    static std::shared_ptr<Storage> make(qint64 lines) {
        auto s = std::make_shared<Storage>();
        for (qint64 want = qMax(MinimumLines, 4 * lines);; want /= 2) {
            want = qMax(want, lines + 1);
            const qint64 startBytes = roundUp(want * qint64(sizeof(quint32)), HugePage);
            const qint64 blockBytes =
                roundUp((want / BlockLines + SpareBlocks) * qint64(sizeof(Block)), HugePage);
            void *starts = reserveSpace(startBytes);
            void *blocks = starts ? reserveSpace(blockBytes) : nullptr;
            if (blocks) {
                s->starts = static_cast<quint32 *>(starts);
                s->blocks = static_cast<Block *>(blocks);
                s->startCapacity = startBytes / qint64(sizeof(quint32));
                s->blockCapacity = blockBytes / qint64(sizeof(Block));
                return s;
            }
            if (starts)
                munmap(starts, size_t(startBytes));
            if (want == lines + 1)
                throw std::bad_alloc();
        }
    }

    // Makes the first `bytes` of an array usable; false when it is not reserved that far.
    static bool commit(void *array, qint64 capacityBytes, qint64 &committed, qint64 bytes) {
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
    bool commitLines(qint64 lines) {
        return commit(starts, startCapacity * qint64(sizeof(quint32)), startBytes,
                      lines * qint64(sizeof(quint32)));
    }
    bool commitBlocks(qint64 count) {
        return commit(blocks, blockCapacity * qint64(sizeof(Block)), blockBytes,
                      count * qint64(sizeof(Block)));
    }
    qint64 committedLines() const { return startBytes / qint64(sizeof(quint32)); }
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
    // Keeps the storage, unless an extension may still write into it.
    std::shared_ptr<Storage> storage = std::move(m_state.storage);
    m_state = State();
    if (storage && storage->extensions.load() == 0)
        m_state.storage = std::move(storage);
}

void LineIndex::State::makeRoom(qint64 lines) {
    if (storage && storage->commitLines(count + lines) &&
        storage->commitBlocks(blocks + lines / BlockLines + 2))
        return;
    // Out of reserved room: the lines so far go to a larger storage.
    std::shared_ptr<Storage> larger = Storage::make(2 * (count + lines));
    if (!larger->commitLines(count + lines) ||
        !larger->commitBlocks(blocks + lines / BlockLines + 2))
        throw std::bad_alloc();
    if (storage) {
        std::memcpy(larger->starts, storage->starts, size_t(count) * sizeof(quint32));
        std::memcpy(larger->blocks, storage->blocks, size_t(blocks) * sizeof(Block));
    }
    storage = std::move(larger);
}

void LineIndex::State::addStart(qint64 offset) {
    makeRoom(1);
    Block *b = storage->blocks;
    if (blocks == 0 || count - b[blocks - 1].firstLine == BlockLines ||
        offset - b[blocks - 1].base > MaxDistance) {
        if (blocks > 0 && count - b[blocks - 1].firstLine < BlockLines)
            regular = false;
        b[blocks++] = {offset, count};
    }
    storage->starts[count++] = quint32(offset - b[blocks - 1].base);
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
    // The block's limits are kept in locals: this runs once per line of the text.
    quint32 *starts = storage->starts;
    qint64 base = storage->blocks[blocks - 1].base;
    qint64 blockEnd = storage->blocks[blocks - 1].firstLine + BlockLines;
    qint64 room = storage->committedLines();
    const auto add = [&](qint64 offset) {
        if (count < blockEnd && count < room && offset - base <= MaxDistance) {
            starts[count++] = quint32(offset - base);
            return;
        }
        addStart(offset);
        starts = storage->starts;
        base = storage->blocks[blocks - 1].base;
        blockEnd = storage->blocks[blocks - 1].firstLine + BlockLines;
        room = storage->committedLines();
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
    // An extension may be writing past the lines shown: grow apart from it.
    if (m_state.storage && m_state.storage->extensions.load() > 0) {
        State own;
        own.count = m_state.count;
        own.blocks = m_state.blocks;
        own.size = m_state.size;
        own.regular = m_state.regular;
        own.makeRoom(0);
        std::memcpy(own.storage->starts, m_state.storage->starts,
                    size_t(m_state.count) * sizeof(quint32));
        std::memcpy(own.storage->blocks, m_state.storage->blocks,
                    size_t(m_state.blocks) * sizeof(Block));
        m_state = std::move(own);
    }
    m_state.extend(data, newSize);
}

std::unique_ptr<LineIndex::Extension> LineIndex::prepareExtension() {
    if (m_state.storage && m_state.storage->extensions.load() > 0)
        return nullptr; // one at a time
    if (!m_state.storage)
        m_state.makeRoom(1);
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

qint64 LineIndex::lineStart(qint64 line) const {
    if (line <= 0 || m_state.count == 0)
        return 0;
    if (line >= m_state.count)
        return m_state.size;
    return blockOfLine(line).base + m_state.storage->starts[line];
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
    const quint32 *starts = m_state.storage->starts;
    const quint32 *it = std::upper_bound(starts + first, starts + last, rel);
    return qint64(it - starts) - 1;
}

qint64 LineIndex::memoryUsage() const {
    return m_state.blocks * qint64(sizeof(Block)) + m_state.count * qint64(sizeof(quint32));
}

} // namespace Orvik
