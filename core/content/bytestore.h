#pragma once

#include <QtGlobal>

namespace Orvik {

// Append-only byte storage for a document's contents. Bytes once written never change and
// never move: the store reserves address space for the size it is first asked for and as much
// again (less when the process's address space is short), and makes pages usable as bytes are
// appended, so every reader that remembers a length keeps seeing the same bytes at the same
// address while the store grows, and growth costs about one byte per byte. A text that
// outgrows the reservation is copied into a larger store, which records where its first bytes
// came from (origin()), so holders of the old store can tell the copy continues their bytes
// without comparing them.
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

    // A number no other store of the process has.
    quint64 serial() const { return m_serial; }
    // The store's first `count` bytes are a copy of the bytes from `from` in the store
    // numbered `store` (count 0: none are). Set by the copier before anyone else sees the
    // store, and fixed from then on.
    struct Origin {
        quint64 store = 0;
        qint64 from = 0;
        qint64 count = 0;
    };
    const Origin &origin() const { return m_origin; }
    void setOrigin(const Origin &origin) { m_origin = origin; }

    // Room for `count` bytes at the end, filled by the caller; commitAppend() then makes the
    // bytes actually written part of the store. nullptr when the reserved address space
    // cannot hold them: the store never moves, so a larger text needs a store of its own.
    // The first call reserves the address space, after the size it asks for.
    char *appendSpace(qint64 count);
    void commitAppend(qint64 count);
    // Before the first append: reserves the address space of `count` bytes, or of as many as
    // the process can map, so that a text of unknown length grows in place. Never throws.
    // Without `hugePages` the store keeps to small pages whatever its size.
    void reserve(qint64 count, bool hugePages = true);

    // The most bytes one store may hold (unlimited by default): growth beyond it fails with
    // std::bad_alloc as exhausted memory would. For tests.
    static void setReservationLimit(qint64 bytes);
    // The bytes all stores of the process have made usable, for tests that watch memory.
    static qint64 bytesCommitted();

private:
    void reserveFor(qint64 count);
    void commit(qint64 bytes);

    const quint64 m_serial;
    Origin m_origin;
    char *m_data = nullptr;
    qint64 m_size = 0;
    qint64 m_committed = 0; // bytes usable from m_data
    qint64 m_reserved = 0;  // address space held from m_data
    qint64 m_hugeFrom = -1; // huge pages are asked for from here on; -1: none
};

} // namespace Orvik
