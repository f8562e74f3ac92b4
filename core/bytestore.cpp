#include "bytestore.h"

#include <atomic>
#include <cstring>
#include <limits>
#include <new>

#include <sys/mman.h>

namespace Orvik {

namespace {
constexpr qint64 PageSize = 4096;
constexpr qint64 MinimumReservation = 1 << 20;

std::atomic<qint64> reservationLimit{std::numeric_limits<qint64>::max()};

qint64 roundUpToPage(qint64 n) {
    return (n + PageSize - 1) / PageSize * PageSize;
}
} // namespace

ByteStore::ByteStore() = default;

ByteStore::~ByteStore() {
    if (m_data)
        munmap(m_data, size_t(m_capacity));
}

void ByteStore::reserve(qint64 capacity) {
    capacity = roundUpToPage(capacity);
    if (capacity <= m_capacity)
        return;
    if (capacity > reservationLimit.load(std::memory_order_relaxed))
        throw std::bad_alloc();
    // Untouched pages of a private anonymous mapping take no memory, so reserving twice
    // what is needed costs address space only.
    void *p;
    if (!m_data) {
        p = mmap(nullptr, size_t(capacity), PROT_READ | PROT_WRITE,
                 MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    } else {
        p = mremap(m_data, size_t(m_capacity), size_t(capacity), MREMAP_MAYMOVE);
    }
    if (p == MAP_FAILED)
        throw std::bad_alloc();
    m_data = static_cast<char *>(p);
    m_capacity = capacity;
}

void ByteStore::setReservationLimit(qint64 bytes) {
    reservationLimit.store(bytes, std::memory_order_relaxed);
}

char *ByteStore::appendSpace(qint64 count) {
    if (m_size + count > m_capacity) {
        const qint64 needed = m_size + count;
        try {
            reserve(qMax(qMax(MinimumReservation, 2 * m_capacity), needed));
        } catch (const std::bad_alloc &) {
            reserve(needed); // no room to spare: ask for what is needed only
        }
    }
    return m_data + m_size;
}

void ByteStore::commitAppend(qint64 count) {
    Q_ASSERT(m_size + count <= m_capacity);
    m_size += count;
}

void ByteStore::append(const char *bytes, qint64 count) {
    if (count <= 0)
        return;
    std::memcpy(appendSpace(count), bytes, size_t(count));
    commitAppend(count);
}

} // namespace Orvik
