#include "core/content/contents.h"

#include <cstring>

namespace Orvik {

Contents Contents::fromByteArray(const QByteArray &bytes) {
    return fromRaw(bytes.constData(), bytes.size());
}

Contents Contents::fromRaw(const char *bytes, qint64 count) {
    Contents c;
    c.append(bytes, count);
    return c;
}

Contents Contents::mid(qint64 position, qint64 length) const {
    position = qBound<qint64>(0, position, m_size);
    if (length < 0 || position + length > m_size)
        length = m_size - position;
    Contents c;
    if (length > 0) {
        c.m_store = m_store;
        c.m_offset = m_offset + position;
        c.m_size = length;
    }
    return c;
}

Contents Contents::fromStoreStart() const {
    Contents c = *this;
    c.m_size += c.m_offset;
    c.m_offset = 0;
    return c;
}

QByteArray Contents::toByteArray() const {
    return QByteArray(data(), qsizetype(m_size));
}

bool Contents::continues(const Contents &before) const {
    if (!m_store || m_store != before.m_store)
        return false;
    return m_offset == before.m_offset + before.m_size;
}

bool Contents::extendWith(const Contents &more) {
    if (more.isEmpty())
        return true;
    if (isEmpty()) {
        *this = more;
        return true;
    }
    if (more.continues(*this)) {
        m_size += more.m_size;
        return true;
    }
    // A store this one's outgrew: its first bytes are a copy of part of this store.
    const ByteStore::Origin &origin = more.m_store->origin();
    if (!m_store || origin.store != m_store->serial() || m_offset < origin.from ||
        m_offset + m_size > origin.from + origin.count ||
        more.m_offset != m_offset - origin.from + m_size)
        return false;
    m_store = more.m_store;
    m_offset -= origin.from;
    m_size += more.m_size;
    return true;
}

char *Contents::appendSpace(qint64 count) {
    if (m_store && m_offset + m_size == m_store->size()) {
        if (char *room = m_store->appendSpace(count))
            return room;
    }
    // Not at the store's end, or more than its room: the contents go to a store of their own.
    auto store = std::make_shared<ByteStore>();
    char *room = store->appendSpace(m_size + count);
    if (m_size > 0) {
        std::memcpy(room, data(), size_t(m_size));
        store->commitAppend(m_size);
        store->setOrigin({m_store->serial(), m_offset, m_size});
    }
    m_store = std::move(store);
    m_offset = 0;
    return room + m_size;
}

void Contents::reserve(qint64 count, bool hugePages) {
    if (m_store)
        return;
    m_store = std::make_shared<ByteStore>();
    m_store->reserve(count, hugePages);
}

void Contents::commitAppend(qint64 count) {
    m_store->commitAppend(count);
    m_size += count;
}

void Contents::append(const char *bytes, qint64 count) {
    if (count <= 0)
        return;
    std::memcpy(appendSpace(count), bytes, size_t(count));
    commitAppend(count);
}

void Contents::append(const Contents &more) {
    if (more.isEmpty())
        return;
    // Hold the source store: `more` may be this contents, whose store may be replaced.
    const std::shared_ptr<ByteStore> source = more.m_store;
    const qint64 offset = more.m_offset;
    const qint64 count = more.m_size;
    char *out = appendSpace(count);
    std::memcpy(out, source->data() + offset, size_t(count));
    commitAppend(count);
}

bool operator==(const Contents &a, const Contents &b) {
    if (a.m_size != b.m_size)
        return false;
    if (a.m_size == 0 || (a.m_store == b.m_store && a.m_offset == b.m_offset))
        return true;
    return std::memcmp(a.data(), b.data(), size_t(a.m_size)) == 0;
}

} // namespace Orvik
