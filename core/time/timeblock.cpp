#include "core/time/timeblock.h"

#include <algorithm>
#include <cstring>

namespace Orvik {

TimeBlock::TimeBlock(const qint64 *times, int count, qint64 low, qint64 high, qint64 maxBefore)
    : m_maxAtEnd(std::max(maxBefore, high))
    , m_count(count) {
    if (low == NoTime)
        return; // no times: no codes
    const quint64 range = quint64(high) - quint64(low);
    m_width = range < 0xfffeu ? 2 : range < 0xfffffeu ? 3 : 4;
    m_base = low;
    if (range >= 0xfffffffeu) {
        // A clock that jumped: the base in the middle of the times, those beyond four bytes
        // from it kept aside.
        qint64 middle = low;
        for (int i = count / 2; i < count; ++i)
            if (times[i] != NoTime) {
                middle = times[i];
                break;
            }
        m_base = middle - 0x7fffffff;
    }
    m_none = m_width == 4 ? 0xffffffffu : (1u << (8 * m_width)) - 1;
    m_escape = m_none - 1;
    // One byte of slack: a three-byte code is written as four.
    m_codes.reset(new quint8[size_t(count) * m_width + 1]);
    quint8 *out = m_codes.get();
    for (int i = 0; i < count; ++i, out += m_width) {
        quint32 code = m_none;
        if (times[i] != NoTime) {
            const quint64 delta = quint64(times[i]) - quint64(m_base);
            if (delta < m_escape) {
                code = quint32(delta);
            } else {
                code = m_escape;
                m_exceptions.push_back({i, times[i]});
            }
        }
        if (m_width == 2) {
            const quint16 c = quint16(code);
            std::memcpy(out, &c, 2);
        } else {
            std::memcpy(out, &code, 4); // little-endian: the low bytes first
        }
    }
    m_exceptions.shrink_to_fit();
}

quint32 TimeBlock::codeAt(int line) const {
    const quint8 *p = m_codes.get() + size_t(line) * m_width;
    switch (m_width) {
    case 2:
        return quint32(p[0]) | quint32(p[1]) << 8;
    case 3:
        return quint32(p[0]) | quint32(p[1]) << 8 | quint32(p[2]) << 16;
    default:
        return quint32(p[0]) | quint32(p[1]) << 8 | quint32(p[2]) << 16 | quint32(p[3]) << 24;
    }
}

qint64 TimeBlock::timeAt(int line) const {
    if (m_width == 0 || line < 0 || line >= m_count)
        return NoTime;
    const quint32 code = codeAt(line);
    if (code == m_none)
        return NoTime;
    if (code != m_escape)
        return m_base + code;
    const auto found = std::lower_bound(m_exceptions.begin(), m_exceptions.end(), line,
                                        [](const Exception &e, int l) { return e.line < l; });
    return found->time;
}

void TimeBlock::unpack(qint64 *times) const {
    for (int i = 0; i < m_count; ++i)
        times[i] = timeAt(i);
}

int TimeBlock::firstReaching(qint64 time, qint64 maxBefore, bool strict) const {
    qint64 max = maxBefore;
    for (int i = 0; i < m_count; ++i) {
        max = std::max(max, timeAt(i));
        if (strict ? max > time : max >= time)
            return i;
    }
    return m_count;
}

qint64 TimeBlock::memoryUsage() const {
    return qint64(sizeof(*this)) + (m_width ? qint64(m_count) * m_width + 1 : 0) +
           qint64(m_exceptions.capacity() * sizeof(Exception));
}

} // namespace Orvik
