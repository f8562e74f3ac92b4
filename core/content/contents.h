#pragma once

#include "core/content/bytestore.h"

#include <QByteArray>

#include <memory>

namespace Orvik {

// A document's text as bytes: a window [offset, offset + size) onto a shared ByteStore.
// Copying a Contents shares the bytes. The document table and the document's view hold
// the same store, so the view never keeps a second copy of a document, and an append by
// the table does not disturb what the view shows (the bytes it knows never change).
class Contents {
public:
    Contents() = default;
    static Contents fromByteArray(const QByteArray &bytes);
    static Contents fromRaw(const char *bytes, qint64 count);

    const char *data() const { return m_store ? m_store->data() + m_offset : nullptr; }
    qint64 size() const { return m_size; }
    bool isEmpty() const { return m_size == 0; }
    char at(qint64 i) const { return data()[i]; }

    // Shares the bytes [position, position + length); a negative length means to the end.
    Contents mid(qint64 position, qint64 length = -1) const;
    // Shares the bytes of this contents' store from its start up to this contents' end.
    Contents fromStoreStart() const;
    QByteArray toByteArray() const;

    // True when this contents starts exactly where `before` ends, in the same store: an
    // append to `before` that can be taken over without copying a byte.
    bool continues(const Contents &before) const;
    // Takes `more` over when it continues this contents (or this one is empty), in the same
    // store or in a copy of this one's bytes that an append made when it outgrew the store:
    // afterwards this contents covers both, without a copy or a compare. False, and nothing
    // changed, otherwise.
    bool extendWith(const Contents &more);

    // Appends at the end. When this Contents ends where its store ends and the store has
    // room, the bytes go into the same store, past every other holder's window; otherwise the
    // contents are first copied into a store of their own. Only one thread may append to a
    // store at a time.
    void append(const char *bytes, qint64 count);
    void append(const Contents &more);
    // Room for `count` more bytes at the end, filled by the caller; then commitAppend().
    char *appendSpace(qint64 count);
    void commitAppend(qint64 count);
    // An empty contents without a store gets one with room for `count` bytes where the
    // address space allows: a text of unknown length up to that grows without a copy. See
    // ByteStore::reserve() for `hugePages`.
    void reserve(qint64 count, bool hugePages = true);

    const std::shared_ptr<ByteStore> &store() const { return m_store; }
    qint64 offset() const { return m_offset; }

    friend bool operator==(const Contents &a, const Contents &b);
    friend bool operator!=(const Contents &a, const Contents &b) { return !(a == b); }

private:
    std::shared_ptr<ByteStore> m_store;
    qint64 m_offset = 0;
    qint64 m_size = 0;
};

} // namespace Orvik
