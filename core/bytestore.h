#pragma once

#include <QtGlobal>

namespace Orvik {

// Append-only byte storage for a document's contents. Bytes once written never change, so
// every reader that remembers a length keeps seeing the same bytes while the store grows.
// Memory is reserved as address space and committed page by page as bytes are appended, so
// growth never copies what is held and costs about one byte per byte. data() may move when
// the store grows: readers fetch it again instead of keeping the pointer across an append.
// When the memory cannot be had, appendSpace() throws std::bad_alloc and the store is as it
// was.
class ByteStore {
public:
    ByteStore();
    ~ByteStore();
    ByteStore(const ByteStore &) = delete;
    ByteStore &operator=(const ByteStore &) = delete;

    const char *data() const { return m_data; }
    qint64 size() const { return m_size; }

    // Returns room for at least `count` bytes at the end; commitAppend() then makes the
    // bytes actually written part of the store.
    char *appendSpace(qint64 count);
    void commitAppend(qint64 count);
    void append(const char *bytes, qint64 count);

    // The most bytes one store may reserve (unlimited by default): a reservation beyond it
    // fails with std::bad_alloc as an exhausted address space would. For tests.
    static void setReservationLimit(qint64 bytes);

private:
    void reserve(qint64 capacity);

    char *m_data = nullptr;
    qint64 m_size = 0;
    qint64 m_capacity = 0;
};

} // namespace Orvik
