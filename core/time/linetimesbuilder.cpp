#include "core/time/blocklinetimes.h"
#include "core/time/linetimes.h"
#include "core/time/timereader.h"

#include <algorithm>
#include <cstring>

namespace Orvik {

// The builder's state, owned by the thread that feeds it. The lines before `lineStart` are
// closed: their times are in the full blocks and in `work`, the block being filled.
class LineTimesBuilder::Private {
public:
    using Chunk = BlockLineTimes::Chunk;

    explicit Private(const QDateTime &stamp);
    void resume(const BlockLineTimes::Parts &parts);
    void extend(const char *data, qint64 size);
    void closeBefore(const char *data, qint64 base, const quint32 *starts, qint64 count);
    SharedLineTimes finish();
    bool takesStarts() const { return formFinal; }
    qint64 lines() const { return fullBlocks * TimeBlock::Lines + count; }

private:
    void restart();
    void scan(qint64 to);
    void closeLine(const char *start, const char *end);
    void add(qint64 time);
    void closeBlock();

    QDateTime stamp;
    TimeForm form;
    bool formFinal = false;
    TimeReader reader{TimeForm()};
    const char *data = nullptr;
    qint64 size = 0;
    qint64 lineStart = 0;
    qint64 searched = 0; // no line feed lies in [lineStart, searched)
    qint64 carry = NoTime;
    qint64 firstTimedLine = -1;
    // The open line's time as the index resumed from had it, for a finish without news.
    qint64 resumedOpenTime = NoTime;

    std::vector<std::shared_ptr<const Chunk>> chunks; // full ones
    std::shared_ptr<Chunk> chunk = std::make_shared<Chunk>();
    qint64 fullBlocks = 0;
    qint64 fullBytes = 0;
    qint64 maxBefore = NoTime; // the greatest time before `work`
    std::unique_ptr<qint64[]> work{new qint64[TimeBlock::Lines]};
    int count = 0;
    qint64 low = NoTime;
    qint64 high = NoTime;
};

LineTimesBuilder::Private::Private(const QDateTime &stamp)
    : stamp(stamp) {}

void LineTimesBuilder::Private::resume(const BlockLineTimes::Parts &parts) {
    form = parts.form;
    formFinal = parts.formFinal;
    reader = TimeReader(form);
    size = parts.textSize;
    lineStart = parts.openLineStart;
    carry = parts.carry;
    fullBlocks = parts.fullBlocks;
    fullBytes = parts.fullBytes;
    chunks = parts.chunks;
    if (!chunks.empty() && qint64(chunks.back()->size()) < BlockLineTimes::ChunkBlocks) {
        chunk = std::make_shared<Chunk>(*chunks.back());
        chunks.pop_back();
    }
    chunk->reserve(BlockLineTimes::ChunkBlocks);
    maxBefore =
        fullBlocks ? (chunk->empty() ? chunks.back()->back() : chunk->back())->maxAtEnd() : NoTime;
    parts.last->unpack(work.get());
    count = parts.last->count() - 1;
    resumedOpenTime = work[count];
    for (int i = 0; i < count; ++i)
        if (work[i] != NoTime) {
            low = low == NoTime ? work[i] : std::min(low, work[i]);
            high = std::max(high, work[i]);
        }
    firstTimedLine = parts.firstTimedLine < lines() ? parts.firstTimedLine : -1;
}

void LineTimesBuilder::Private::restart() {
    reader = TimeReader(form);
    lineStart = 0;
    searched = 0;
    carry = NoTime;
    firstTimedLine = -1;
    chunks.clear();
    chunk = std::make_shared<Chunk>();
    fullBlocks = 0;
    fullBytes = 0;
    maxBefore = NoTime;
    count = 0;
    low = high = NoTime;
}

void LineTimesBuilder::Private::extend(const char *text, qint64 textSize) {
    if (textSize < lineStart || textSize == 0)
        return; // not a growth of the text fed before, or no text at all
    data = text;
    size = textSize;
    if (!formFinal) {
        // The first lines decide the form; until there are enough of them, each news of
        // more asks them again, and a changed answer starts the index over (it covers no
        // more than those first lines then).
        const qint64 window = std::min(size, TimeForm::DetectBytes);
        qint64 feeds = 0;
        for (const char *p = data, *end = data + window; feeds < TimeForm::DetectLines;
             ++feeds, ++p)
            if (!(p = static_cast<const char *>(std::memchr(p, '\n', end - p))))
                break;
        formFinal = size >= TimeForm::DetectBytes || feeds >= TimeForm::DetectLines;
        const TimeForm found = TimeForm::detect(data, window, stamp);
        if (found.kind() != form.kind()) {
            form = found;
            restart();
        }
    }
    scan(size);
    resumedOpenTime = NoTime;
}

// Line by line with memchr: a log's lines are long enough that the library's vector search
// costs less than a hand-written one that finds a 64-byte stretch's line feeds as bits of one
// word and reads each line between them (measured: a third slower).
void LineTimesBuilder::Private::scan(qint64 to) {
    const char *start = data + lineStart;
    // The open line's bytes searched before are not searched again, so that a long line
    // fed a stretch at a time costs its length once.
    const char *p = data + std::max(lineStart, searched);
    const char *end = data + to;
    while (const char *lf = static_cast<const char *>(std::memchr(p, '\n', end - p))) {
        closeLine(start, lf);
        start = p = lf + 1;
    }
    lineStart = start - data;
    searched = to;
}

void LineTimesBuilder::Private::closeBefore(const char *text, qint64 base, const quint32 *starts,
                                            qint64 n) {
    data = text;
    const char *start = data + lineStart;
    const char *const from = data + base;
    for (qint64 i = 0; i < n; ++i) {
        const char *next = from + starts[i];
        closeLine(start, next - 1);
        start = next;
    }
    lineStart = start - data;
    size = std::max(size, lineStart);
    searched = std::max(searched, lineStart);
    resumedOpenTime = NoTime;
}

inline void LineTimesBuilder::Private::closeLine(const char *start, const char *end) {
    const qint64 time = reader.read(start, end - start);
    if (time != NoTime)
        carry = time;
    add(carry);
}

inline void LineTimesBuilder::Private::add(qint64 time) {
    work[count] = time;
    if (time != NoTime) {
        if (firstTimedLine < 0)
            firstTimedLine = lines();
        low = low == NoTime ? time : std::min(low, time);
        high = std::max(high, time);
    }
    if (++count == TimeBlock::Lines)
        closeBlock();
}

void LineTimesBuilder::Private::closeBlock() {
    auto block = std::make_shared<const TimeBlock>(work.get(), count, low, high, maxBefore);
    maxBefore = block->maxAtEnd();
    fullBytes += block->memoryUsage() + 4 * qint64(sizeof(void *)); // its share and pointer
    chunk->push_back(std::move(block));
    if (qint64(chunk->size()) == BlockLineTimes::ChunkBlocks) {
        chunks.push_back(std::move(chunk));
        chunk = std::make_shared<Chunk>();
        chunk->reserve(BlockLineTimes::ChunkBlocks);
    }
    ++fullBlocks;
    count = 0;
    low = high = NoTime;
}

SharedLineTimes LineTimesBuilder::Private::finish() {
    BlockLineTimes::Parts parts;
    parts.carry = carry;
    qint64 open = data ? reader.read(data + lineStart, size - lineStart) : resumedOpenTime;
    if (open == NoTime)
        open = carry;
    // The open line joins the last block, which is never full without it.
    work[count] = open;
    if (open != NoTime) {
        if (firstTimedLine < 0)
            firstTimedLine = lines();
        low = low == NoTime ? open : std::min(low, open);
        high = std::max(high, open);
    }
    parts.last = std::make_shared<const TimeBlock>(work.get(), count + 1, low, high, maxBefore);
    parts.form = form;
    parts.formFinal = formFinal;
    parts.chunks = std::move(chunks);
    if (!chunk->empty())
        parts.chunks.push_back(std::move(chunk));
    parts.fullBlocks = fullBlocks;
    parts.fullBytes = fullBytes;
    parts.textSize = size;
    parts.openLineStart = lineStart;
    parts.firstTimedLine = firstTimedLine;
    return std::make_shared<const BlockLineTimes>(std::move(parts));
}

LineTimesBuilder::LineTimesBuilder(const QDateTime &stamp)
    : d(std::make_unique<Private>(stamp)) {}

LineTimesBuilder::LineTimesBuilder(const SharedLineTimes &previous, const QDateTime &stamp)
    : d(std::make_unique<Private>(stamp)) {
    if (const auto *blocks = dynamic_cast<const BlockLineTimes *>(previous.get()))
        d->resume(blocks->parts());
}

LineTimesBuilder::~LineTimesBuilder() = default;

void LineTimesBuilder::extend(const char *data, qint64 size) {
    d->extend(data, size);
}

bool LineTimesBuilder::takesStarts() const {
    return d->takesStarts();
}

qint64 LineTimesBuilder::openLine() const {
    return d->lines();
}

void LineTimesBuilder::closeBefore(const char *data, qint64 base, const quint32 *starts,
                                   qint64 count) {
    d->closeBefore(data, base, starts, count);
}

SharedLineTimes LineTimesBuilder::finish() {
    return d->finish();
}

} // namespace Orvik
