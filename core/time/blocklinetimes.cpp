#include "core/time/blocklinetimes.h"

namespace Orvik {

BlockLineTimes::BlockLineTimes(Parts parts)
    : m_parts(std::move(parts)) {}

qint64 BlockLineTimes::lineCount() const {
    return m_parts.fullBlocks * TimeBlock::Lines + m_parts.last->count();
}

bool BlockLineTimes::hasTimes() const {
    return m_parts.form.isValid() && m_parts.firstTimedLine >= 0;
}

const TimeBlock &BlockLineTimes::block(qint64 index) const {
    if (index >= m_parts.fullBlocks)
        return *m_parts.last;
    return *(*m_parts.chunks[index / ChunkBlocks])[index % ChunkBlocks];
}

qint64 BlockLineTimes::maxBefore(qint64 index) const {
    return index > 0 ? block(index - 1).maxAtEnd() : NoTime;
}

qint64 BlockLineTimes::timeOf(qint64 line) const {
    if (line < 0 || line >= lineCount())
        return NoTime;
    return block(line / TimeBlock::Lines).timeAt(int(line % TimeBlock::Lines));
}

qint64 BlockLineTimes::firstReaching(qint64 time, bool strict) const {
    qint64 low = 0;
    qint64 high = m_parts.fullBlocks + 1;
    while (low < high) {
        const qint64 middle = (low + high) / 2;
        const qint64 max = block(middle).maxAtEnd();
        if (strict ? max > time : max >= time)
            high = middle;
        else
            low = middle + 1;
    }
    if (low > m_parts.fullBlocks)
        return lineCount();
    return low * TimeBlock::Lines + block(low).firstReaching(time, maxBefore(low), strict);
}

qint64 BlockLineTimes::firstAtOrAfter(qint64 time) const {
    if (!hasTimes())
        return lineCount();
    return firstReaching(time, false);
}

qint64 BlockLineTimes::lastAtOrBefore(qint64 time) const {
    if (!hasTimes())
        return -1;
    const qint64 line = firstReaching(time, true) - 1;
    return line >= m_parts.firstTimedLine ? line : -1;
}

qint64 BlockLineTimes::memoryUsage() const {
    return qint64(sizeof(*this)) + m_parts.fullBytes + m_parts.last->memoryUsage() +
           qint64(m_parts.chunks.capacity() * sizeof(m_parts.chunks[0])) +
           qint64(m_parts.chunks.size() * sizeof(Chunk));
}

} // namespace Orvik
