#include "core/marks/markruns.h"

#include <algorithm>

namespace Orvik {

namespace {
constexpr qint64 CheckpointEvery = 64;

// Writes n at `out`, at most MaxNumberBytes bytes, and gives back the end of what it wrote.
uchar *writeNumber(uchar *out, quint64 n) {
    while (n >= 0x80) {
        *out++ = uchar(n | 0x80);
        n >>= 7;
    }
    *out++ = uchar(n);
    return out;
}
constexpr size_t MaxNumberBytes = 10;

quint64 readNumber(const uchar *bytes, size_t &position) {
    quint64 n = 0;
    for (int shift = 0;; shift += 7) {
        const uchar b = bytes[position++];
        n |= quint64(b & 0x7F) << shift;
        if (!(b & 0x80))
            return n;
    }
}
} // namespace

MarkRuns::Cursor::Cursor(const MarkRuns &runs, qint64 from)
    : m_runs(runs) {
    const auto &points = runs.m_checkpoints;
    auto point = std::upper_bound(points.begin(), points.end(), from,
                                  [](qint64 f, const Checkpoint &c) { return f < c.before; });
    if (point != points.begin())
        --point;
    if (point != points.end()) {
        m_position = size_t(point->position);
        m_index = point->index;
        m_previousEnd = point->before;
    }
    decode();
    while (!m_atEnd && m_range.end <= from)
        next();
}

void MarkRuns::Cursor::decode() {
    if (m_index >= m_runs.m_count) {
        m_atEnd = true;
        return;
    }
    if (m_index == m_runs.m_count - 1) {
        m_range = m_runs.m_last;
        return;
    }
    const qint64 start = m_previousEnd + qint64(readNumber(m_runs.m_bytes.data(), m_position));
    m_range = {start, start + qint64(readNumber(m_runs.m_bytes.data(), m_position))};
}

void MarkRuns::Cursor::next() {
    m_previousEnd = m_range.end;
    ++m_index;
    decode();
}

void MarkRuns::encode(const Range &range, qint64 index, bool checkpoint) {
    if (checkpoint || m_checkpoints.empty() ||
        index - m_checkpoints.back().index >= CheckpointEvery)
        m_checkpoints.push_back({m_encodedEnd, qint64(m_used), index});
    reserveBytes(2 * MaxNumberBytes);
    uchar *out = m_bytes.data() + m_used;
    out = writeNumber(out, quint64(range.start - m_encodedEnd));
    out = writeNumber(out, quint64(range.end - range.start));
    m_used = size_t(out - m_bytes.data());
    m_encodedEnd = range.end;
}

void MarkRuns::reserveBytes(size_t count) {
    // The bytes are written through a pointer into room made ahead, in doubling steps.
    if (m_bytes.size() - m_used < count)
        m_bytes.resize(std::max({m_bytes.size() * 2, m_used + count, size_t(256)}));
}

void MarkRuns::add(qint64 start, qint64 end) {
    if (end <= start)
        return;
    if (m_count == 0) {
        m_last = {start, end};
        m_count = 1;
        return;
    }
    Q_ASSERT(start >= m_last.start);
    if (start <= m_last.end) {
        m_last.end = qMax(m_last.end, end);
        return;
    }
    encode(m_last, m_count - 1, false);
    m_last = {start, end};
    ++m_count;
}

void MarkRuns::append(const MarkRuns &more) {
    if (more.m_count == 0)
        return;
    if (m_count == 0) {
        *this = more;
        return;
    }
    const Cursor first(more);
    if (more.m_count == 1 || first.range().start <= m_last.end) {
        for (Cursor c(more); !c.atEnd(); c.next())
            add(c.range().start, c.range().end);
        return;
    }
    // The first range of `more` is encoded again after this set's last one, behind a
    // checkpoint of its own; the others keep their encoding, relative to that range's end.
    encode(m_last, m_count - 1, false);
    const qint64 firstIndex = m_count;
    encode(first.range(), firstIndex, true);
    size_t afterFirst = 0;
    readNumber(more.m_bytes.data(), afterFirst);
    readNumber(more.m_bytes.data(), afterFirst);
    const qint64 shift = qint64(m_used) - qint64(afterFirst);
    const size_t count = more.m_used - afterFirst;
    reserveBytes(count);
    std::copy_n(more.m_bytes.begin() + qint64(afterFirst), count, m_bytes.begin() + qint64(m_used));
    m_used += count;
    for (const Checkpoint &c : more.m_checkpoints)
        if (c.index > 0)
            m_checkpoints.push_back({c.before, c.position + shift, c.index + firstIndex});
    m_encodedEnd = more.m_encodedEnd;
    m_last = more.m_last;
    m_count = firstIndex + more.m_count;
}

void MarkRuns::truncate(qint64 at) {
    if (m_count == 0 || m_last.end <= at)
        return;
    if (m_last.start < at) {
        m_last.end = at;
        return;
    }
    // The encoded ranges from the checkpoint before the one at `at`: the range to keep last may
    // be the one just before that checkpoint.
    auto point = std::upper_bound(m_checkpoints.begin(), m_checkpoints.end(), at,
                                  [](qint64 f, const Checkpoint &c) { return f < c.before; });
    if (point != m_checkpoints.begin())
        --point;
    if (point != m_checkpoints.begin())
        --point;
    size_t position = 0;
    qint64 index = 0;
    qint64 before = 0;
    if (point != m_checkpoints.end()) {
        position = size_t(point->position);
        index = point->index;
        before = point->before;
    }
    Range kept;            // the last range that stays, cut
    size_t keptAt = 0;     // where it is encoded
    qint64 keptBefore = 0; // the end of the range before it
    qint64 keptIndex = -1;
    while (index < m_count - 1) {
        size_t next = position;
        const qint64 start = before + qint64(readNumber(m_bytes.data(), next));
        const qint64 end = start + qint64(readNumber(m_bytes.data(), next));
        if (start >= at)
            break;
        kept = {start, qMin(end, at)};
        keptAt = position;
        keptBefore = before;
        keptIndex = index;
        if (end >= at)
            break;
        position = next;
        before = end;
        ++index;
    }
    if (keptIndex < 0) {
        *this = MarkRuns();
        return;
    }
    // The range kept last is held decoded, as the last range always is.
    m_last = kept;
    m_count = keptIndex + 1;
    m_used = keptAt;
    m_encodedEnd = keptBefore;
    while (!m_checkpoints.empty() && m_checkpoints.back().index >= keptIndex)
        m_checkpoints.pop_back();
}

MarkRuns MarkRuns::united(const MarkRuns &a, const MarkRuns &b) {
    MarkRuns out;
    Cursor x(a);
    Cursor y(b);
    while (!x.atEnd() || !y.atEnd()) {
        Cursor &c = y.atEnd() || (!x.atEnd() && x.range().start <= y.range().start) ? x : y;
        out.add(c.range().start, c.range().end);
        c.next();
    }
    return out;
}

MarkRuns MarkRuns::replaced(qint64 offset, qint64 removed, qint64 count) const {
    const qint64 removedEnd = offset + removed;
    const qint64 shift = count - removed;
    MarkRuns out;
    for (Cursor c(*this); !c.atEnd(); c.next()) {
        const Range &r = c.range();
        if (r.end <= offset) {
            out.add(r.start, r.end);
            continue;
        }
        if (r.start < offset)
            out.add(r.start, offset);
        if (r.end > removedEnd)
            out.add(qMax(r.start, removedEnd) + shift, r.end + shift);
    }
    return out;
}

void MarkRuns::squeeze() {
    m_bytes.resize(m_used);
    m_bytes.shrink_to_fit();
    m_checkpoints.shrink_to_fit();
}

qint64 MarkRuns::memoryUsage() const {
    return qint64(sizeof(*this) + m_bytes.capacity() +
                  m_checkpoints.capacity() * sizeof(Checkpoint));
}

} // namespace Orvik
