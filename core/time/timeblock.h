#pragma once

#include "core/time/timeform.h"

#include <QtGlobal>

#include <memory>
#include <vector>

namespace Orvik {

// The times of up to Lines consecutive lines, packed: each line's time as its distance in ms
// from the block's base, in two, three or four bytes, as few as the block's range of times
// needs (none when no line of it has a time). A time too far from the base for four bytes
// (a clock that jumped) is kept aside in a short list, looked up by its line. Immutable.
class TimeBlock {
public:
    static constexpr int Lines = 4096;

    // Packs `count` (at most Lines) times, NoTime for a line without one; `low` and `high`
    // are the least and greatest of them that are not NoTime (NoTime when none is), and
    // `maxBefore` the greatest time of the lines before the block.
    TimeBlock(const qint64 *times, int count, qint64 low, qint64 high, qint64 maxBefore);

    int count() const { return m_count; }
    qint64 timeAt(int line) const;
    // The greatest time of the block's lines and those before it: a running maximum, which
    // never falls from one block to the next.
    qint64 maxAtEnd() const { return m_maxAtEnd; }
    void unpack(qint64 *times) const;
    // The first of the block's lines at which the running maximum (from `maxBefore`) reaches
    // `time` (exceeds it, when `strict`); count() when none does.
    int firstReaching(qint64 time, qint64 maxBefore, bool strict) const;
    qint64 memoryUsage() const;

private:
    struct Exception {
        int line;
        qint64 time;
    };
    quint32 codeAt(int line) const;

    qint64 m_base = 0;
    qint64 m_maxAtEnd = NoTime;
    int m_count = 0;
    int m_width = 0;
    quint32 m_none = 0;   // the code of a line without a time
    quint32 m_escape = 0; // the code of a line whose time is in m_exceptions
    std::unique_ptr<quint8[]> m_codes;
    std::vector<Exception> m_exceptions;
};

} // namespace Orvik
