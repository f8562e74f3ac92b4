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
// Address space, not memory: reserving it costs nothing but an entry in the process's map.
// A store that outgrows it is copied into a larger one.
constexpr qint64 WantedReservation = 8ll << 30;

std::atomic<qint64> holdingLimit{std::numeric_limits<qint64>::max()};
std::atomic<qint64> committedBytes{0};

qint64 roundUpToPage(qint64 n) {
    return (n + PageSize - 1) / PageSize * PageSize;
}
} // namespace

ByteStore::ByteStore() = default;

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

// Takes as much address space as it can get, from plenty down to what `count` needs (a
// process whose address space is limited gets less, and its stores are copied as they grow).
void ByteStore::reserveFor(qint64 count) {
    const qint64 needed = roundUpToPage(qMax<qint64>(count, PageSize));
    for (qint64 want = qMax(WantedReservation, 2 * needed);; want /= 2) {
        want = qMax(want, needed);
        void *p = mmap(nullptr, size_t(want), PROT_NONE,
                       MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
        if (p != MAP_FAILED) {
            m_data = static_cast<char *>(p);
            m_reserved = want;
            return;
        }
        if (want == needed)
            throw std::bad_alloc();
    }
}

void ByteStore::commit(qint64 bytes) {
    if (bytes > holdingLimit.load(std::memory_order_relaxed))
        throw std::bad_alloc();
    const qint64 target = qMin(m_reserved, roundUpToPage(qMax(bytes, m_committed + CommitStep)));
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
