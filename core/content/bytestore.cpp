#include "core/content/bytestore.h"

#include "core/content/pagerelease.h"

#include <atomic>
#include <limits>
#include <new>

#include <sys/mman.h>

namespace Orvik {

namespace {
constexpr qint64 PageSize = 4096;
constexpr qint64 CommitStep = 1 << 20;
// Address space, not memory, but a process may be allowed only so much of it: a store takes
// what its first text needs and as much again for growth (at least this much; less when the
// process's address space is short), so that a log may double before its text is copied
// into a larger store, and a text can still be read anew while its old one is shown.
constexpr qint64 MinimumHeadroom = 8 << 20;
constexpr qint64 HeadroomShare = 1;
// A store for a text this large asks for huge pages: a read into it then takes one page fault
// every 2 MiB instead of every 4 KiB. Smaller ones keep small pages, so that a small log
// holds little memory; a store reserved for a text of unknown length asks for them only past
// its first HugeStoreFrom bytes, once the text is that large.
constexpr qint64 HugePage = 2 << 20;
constexpr qint64 HugeStoreFrom = 8 << 20;

std::atomic<qint64> holdingLimit{std::numeric_limits<qint64>::max()};
std::atomic<qint64> committedBytes{0};
std::atomic<quint64> lastSerial{0};

qint64 roundUpToPage(qint64 n) {
    return (n + PageSize - 1) / PageSize * PageSize;
}

// The offset from `base` of the first huge page boundary at or after `base + offset`.
qint64 hugeBoundaryFrom(const char *base, qint64 offset) {
    const quintptr at = quintptr(base) + quintptr(offset);
    return qint64((at + HugePage - 1) / HugePage * HugePage - quintptr(base));
}
} // namespace

ByteStore::ByteStore()
    : m_serial(++lastSerial) {}

// The pages of a large store go back to the system on the release thread: the last holder
// may be the user-interface thread.
ByteStore::~ByteStore() {
    if (m_data)
        PageRelease::unmap(m_data, m_reserved, m_committed, &committedBytes);
}

qint64 ByteStore::bytesCommitted() {
    return committedBytes.load();
}

void ByteStore::setReservationLimit(qint64 bytes) {
    holdingLimit.store(bytes, std::memory_order_relaxed);
}

// What `count` needs and room to grow; where the process's address space is short, less
// room, down to none.
void ByteStore::reserveFor(qint64 count) {
    const qint64 needed = roundUpToPage(qMax<qint64>(count, PageSize));
    bool waited = false;
    for (qint64 headroom = qMax(needed / HeadroomShare, MinimumHeadroom);; headroom /= 2) {
        if (headroom < PageSize)
            headroom = 0;
        const qint64 want = needed + roundUpToPage(headroom);
        void *p = mmap(nullptr, size_t(want), PROT_NONE,
                       MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
        if (p != MAP_FAILED) {
            m_data = static_cast<char *>(p);
            m_reserved = want;
            if (needed >= HugeStoreFrom && madvise(p, size_t(want), MADV_HUGEPAGE) == 0)
                m_hugeFrom = 0;
            return;
        }
        if (headroom > 0)
            continue;
        if (waited)
            throw std::bad_alloc();
        // Stores dropped a moment ago may still hold their room.
        PageRelease::waitForPending();
        waited = true;
        headroom = 2 * MinimumHeadroom;
    }
}

void ByteStore::reserve(qint64 count, bool hugePages) {
    for (qint64 want = roundUpToPage(qMax(count, PageSize)); !m_data; want = want / 2) {
        void *p = mmap(nullptr, size_t(roundUpToPage(want)), PROT_NONE,
                       MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
        if (p != MAP_FAILED) {
            m_data = static_cast<char *>(p);
            m_reserved = roundUpToPage(want);
            const qint64 hugeFrom = hugeBoundaryFrom(m_data, HugeStoreFrom);
            if (hugePages && m_reserved - hugeFrom >= HugeStoreFrom &&
                madvise(m_data + hugeFrom, size_t(m_reserved - hugeFrom), MADV_HUGEPAGE) == 0)
                m_hugeFrom = hugeFrom;
        } else if (want <= PageSize) {
            return;
        }
    }
}

void ByteStore::commit(qint64 bytes) {
    if (bytes > holdingLimit.load(std::memory_order_relaxed))
        throw std::bad_alloc();
    const qint64 wanted = qMax(bytes, m_committed + CommitStep);
    // Whole huge pages where they are asked for, or none can be had.
    const qint64 target =
        qMin(m_reserved, m_hugeFrom >= 0 && wanted > m_hugeFrom ? hugeBoundaryFrom(m_data, wanted)
                                                                : roundUpToPage(wanted));
    if (mprotect(m_data + m_committed, size_t(target - m_committed), PROT_READ | PROT_WRITE) != 0)
        throw std::bad_alloc();
    committedBytes += target - m_committed;
    m_committed = target;
}

char *ByteStore::appendSpace(qint64 count) {
    if (!m_data)
        reserveFor(count);
    const qint64 needed = m_size + qMax<qint64>(0, count);
    if (needed > m_reserved)
        return nullptr;
    if (needed > m_committed)
        commit(needed);
    return m_data + m_size;
}

void ByteStore::commitAppend(qint64 count) {
    Q_ASSERT(m_size + count <= m_committed);
    m_size += count;
}

} // namespace Orvik
