#include "bytestore.h"

#include <cstring>
#include <new>

#include <sys/mman.h>

namespace Orvik {

namespace {
constexpr qint64 PageSize = 4096;
constexpr qint64 MinimumReservation = 1 << 20;

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

char *ByteStore::appendSpace(qint64 count) {
    if (m_size + count > m_capacity)
        reserve(qMax(qMax(MinimumReservation, 2 * m_capacity), m_size + count));
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
