#pragma once

#include "core/time/linetimes.h"
#include "core/time/timeblock.h"

#include <memory>
#include <vector>

namespace Orvik {

// The index LineTimesBuilder makes: the lines' times in blocks of TimeBlock::Lines lines,
// all full but the last, which holds the open last line. The full blocks are held in chunks
// of ChunkBlocks; an append shares them all with the index before it, copying only the last
// chunk's list (when it is not full) and unpacking the last block. Lookups go by the running
// maximum of the times (a line "is at" the greatest time up to it), which never falls, so
// that a little disorder in a log does not stop a binary search.
class BlockLineTimes : public LineTimes {
public:
    static constexpr int ChunkBlocks = 1024;
    using Chunk = std::vector<std::shared_ptr<const TimeBlock>>;

    // All an append resumes from.
    struct Parts {
        TimeForm form;
        bool formFinal = false; // false while the first lines may still change it
        std::vector<std::shared_ptr<const Chunk>> chunks;
        qint64 fullBlocks = 0;
        qint64 fullBytes = 0;                  // memory of the full blocks
        std::shared_ptr<const TimeBlock> last; // the open line's block, never empty
        qint64 textSize = 0;
        qint64 openLineStart = 0; // where the open last line starts in the text
        qint64 carry = NoTime;    // the time of the line before the open one
        qint64 firstTimedLine = -1;
    };

    explicit BlockLineTimes(Parts parts);
    const Parts &parts() const { return m_parts; }

    TimeForm form() const override { return m_parts.form; }
    qint64 lineCount() const override;
    bool hasTimes() const override;
    qint64 timeOf(qint64 line) const override;
    qint64 firstAtOrAfter(qint64 time) const override;
    qint64 lastAtOrBefore(qint64 time) const override;
    qint64 memoryUsage() const override;

private:
    const TimeBlock &block(qint64 index) const;
    qint64 maxBefore(qint64 index) const;
    // The first line whose running maximum reaches `time` (exceeds it when `strict`).
    qint64 firstReaching(qint64 time, bool strict) const;

    Parts m_parts;
};

} // namespace Orvik
