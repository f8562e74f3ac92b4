#pragma once

#include <QtGlobal>

namespace Orvik {

// Append-only byte storage for a document's contents. Bytes once written never change and
// never move: the store reserves address space up front and makes pages usable as bytes are
// appended, so every reader that remembers a length keeps seeing the same bytes at the same
// address while the store grows, and growth costs about one byte per byte.
//
// Only one thread appends to a store at a time (the refresh work of its document). Room
// handed out by appendSpace() lies past size(), where no reader looks; other threads may
// read the bytes below a length they were given meanwhile. When the memory cannot be had,
// appendSpace() throws std::bad_alloc and the store is as it was.
class ByteStore {
public:
    ByteStore();
    ~ByteStore();
    ByteStore(const ByteStore &) = delete;
    ByteStore &operator=(const ByteStore &) = delete;

    const char *data() const { return m_data; }
    qint64 size() const { return m_size; }

    // Room for `count` bytes at the end, filled by the caller; commitAppend() then makes the
    // bytes actually written part of the store. nullptr when the reserved address space
    // cannot hold them: the store never moves, so a larger text needs a store of its own.
    char *appendSpace(qint64 count);
    void commitAppend(qint64 count);

    // The most bytes one store may hold (unlimited by default): growth beyond it fails with
    // std::bad_alloc as exhausted memory would. For tests.
    static void setReservationLimit(qint64 bytes);
    // The bytes all stores of the process have made usable, for tests that watch memory.
    static qint64 bytesCommitted();

private:
    void reserveFor(qint64 count);
    void commit(qint64 bytes);

    char *m_data = nullptr;
    qint64 m_size = 0;
    qint64 m_committed = 0; // bytes usable from m_data
    qint64 m_reserved = 0;  // address space held from m_data
};

} // namespace Orvik
