#pragma once

#include <QtGlobal>

#include <cstring>
#include <memory>
#include <vector>

namespace Orvik {

// The rows of one chunk of a merged list, six bytes each: a row's number below 2^48 (its
// source and line, see MergedRows) without the two bytes that are always zero. Immutable
// once made.
class PackedRows {
public:
    static constexpr int RowBytes = 6;
    static constexpr quint64 Largest = (quint64(1) << (8 * RowBytes)) - 1;

    PackedRows() = default;
    // Each of `rows` at most Largest.
    explicit PackedRows(const std::vector<quint64> &rows)
        : m_count(rows.size())
        , m_bytes(new unsigned char[m_count * RowBytes + Slack]) {
        unsigned char *out = m_bytes.get();
        for (const quint64 row : rows) {
            std::memcpy(out, &row, RowBytes); // the low bytes first, as the machine keeps them
            out += RowBytes;
        }
        std::memset(out, 0, Slack);
    }

    // The first `headRows` rows of `head` followed by `count` more from `rows`: the head's
    // bytes copied as they are.
    PackedRows(const PackedRows &head, size_t headRows, const quint64 *rows, size_t count)
        : m_count(headRows + count)
        , m_bytes(new unsigned char[m_count * RowBytes + Slack]) {
        std::memcpy(m_bytes.get(), head.m_bytes.get(), headRows * RowBytes);
        unsigned char *out = m_bytes.get() + headRows * RowBytes;
        for (size_t i = 0; i < count; ++i, out += RowBytes)
            std::memcpy(out, &rows[i], RowBytes);
        std::memset(out, 0, Slack);
    }

    size_t size() const { return m_count; }
    bool empty() const { return m_count == 0; }
    // A whole word read at once: the slack past the last row makes it safe.
    quint64 operator[](size_t i) const {
        quint64 row;
        std::memcpy(&row, m_bytes.get() + i * RowBytes, sizeof row);
        return row & Largest;
    }
    quint64 front() const { return (*this)[0]; }
    quint64 back() const { return (*this)[m_count - 1]; }
    // The first row for which `before` is false, the rows for which it is true coming first.
    template <typename Before> size_t partitionPoint(Before before) const {
        size_t low = 0;
        size_t high = m_count;
        while (low < high) {
            const size_t middle = low + (high - low) / 2;
            if (before((*this)[middle]))
                low = middle + 1;
            else
                high = middle;
        }
        return low;
    }
    qint64 memoryUsage() const { return qint64(m_count * RowBytes + Slack); }

private:
    static constexpr size_t Slack = sizeof(quint64) - RowBytes;
    size_t m_count = 0;
    std::unique_ptr<unsigned char[]> m_bytes;
};

} // namespace Orvik
