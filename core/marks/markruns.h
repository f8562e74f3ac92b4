#pragma once

#include "core/content/pageallocator.h"

#include <QtGlobal>

#include <vector>

namespace Orvik {

// Marked byte ranges of a text, in increasing order; ranges that overlap or touch are merged
// as they are added. Held compactly: each range as its distance from the end of the one
// before and its length, in variable-length bytes, with a checkpoint at least every 64 ranges
// for finding a place. A mark on every line of a log costs two or three bytes.
//
// Built front to back, typically on a worker from the matches of a search; a finished set is
// handed over whole and read through a Cursor. Its large buffers are mappings of their own
// (PageAllocator): dropping the last holder of a large set, typically on the user-interface
// thread when a new pass replaces it, leaves their pages to the release thread.
class MarkRuns {
public:
    struct Range {
        qint64 start = 0;
        qint64 end = 0; // exclusive
        friend bool operator==(const Range &a, const Range &b) {
            return a.start == b.start && a.end == b.end;
        }
    };

    // Walks the ranges that end after a given offset, in order.
    class Cursor {
    public:
        Cursor(const MarkRuns &runs, qint64 from = 0);
        bool atEnd() const { return m_atEnd; }
        const Range &range() const { return m_range; }
        // The end of the range before this one (0 for the first).
        qint64 previousEnd() const { return m_previousEnd; }
        void next();

    private:
        void decode();
        const MarkRuns &m_runs;
        size_t m_position = 0;
        qint64 m_index = 0;
        qint64 m_previousEnd = 0;
        Range m_range;
        bool m_atEnd = false;
    };

    bool isEmpty() const { return m_count == 0; }
    qint64 count() const { return m_count; }
    // The first and the last range (an empty range when there is none).
    Range first() const { return Cursor(*this).range(); }
    Range last() const { return m_count ? m_last : Range(); }

    // Adds [start, end); `start` is not before the start of the last range.
    void add(qint64 start, qint64 end);
    // Adds every range of `more`, whose first range does not start before the last one here.
    // A set that starts clear of this one is taken over in bulk, without decoding it.
    void append(const MarkRuns &more);

    // Calls f(start, end) for each range overlapping [from, to), in order.
    template <typename F> void forEachIn(qint64 from, qint64 to, F f) const {
        for (Cursor c(*this, from); !c.atEnd() && c.range().start < to; c.next())
            f(c.range().start, c.range().end);
    }

    // Cuts every range at `at`: what lies at or after it goes. Costs a few checkpoints' worth of
    // ranges, however many there are.
    void truncate(qint64 at);

    // Every range of either set.
    static MarkRuns united(const MarkRuns &a, const MarkRuns &b);
    // The ranges after [offset, offset + removed) was replaced by `count` bytes.
    MarkRuns replaced(qint64 offset, qint64 removed, qint64 count) const;

    // Gives back room kept for growth.
    void squeeze();
    qint64 memoryUsage() const;

private:
    struct Checkpoint {
        qint64 before;   // end of the range before the checkpoint's range (0 for the first)
        qint64 position; // where the checkpoint's range is encoded
        qint64 index;    // its number
    };
    void encode(const Range &range, qint64 index, bool checkpoint);
    void reserveBytes(size_t count);

    // Every range but the last, encoded in the first m_used bytes.
    std::vector<uchar, PageAllocator<uchar>> m_bytes;
    size_t m_used = 0;
    std::vector<Checkpoint, PageAllocator<Checkpoint>> m_checkpoints;
    qint64 m_encodedEnd = 0; // end of the last encoded range
    qint64 m_count = 0;
    Range m_last;
};

} // namespace Orvik
