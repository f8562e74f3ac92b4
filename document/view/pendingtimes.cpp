#include "document/view/pendingtimes.h"

#include "document/view/besidethread.h"

#include <cstring>
#include <system_error>

namespace Orvik {

PendingTimes::PendingTimes(SharedLineTimes previous, qint64 previousSize)
    : m_previous(std::move(previous))
    , m_scanned(m_previous ? previousSize : 0) {}

PendingTimes::~PendingTimes() {
    m_beside.reset(); // its job, if any, ends before the builder goes
}

void PendingTimes::extend(const char *data, qint64 size) {
    wait();
    m_given = size;
    extendHere(data, size);
}

void PendingTimes::extendHere(const char *data, qint64 size) {
    const qint64 from = m_scanned;
    m_extended = true;
    m_data = data;
    m_size = size;
    if (size <= from)
        return;
    m_scanned = size;
    const void *feed = memrchr(data + from, '\n', size_t(size - from));
    if (feed)
        this->feed(static_cast<const char *>(feed) - data + 1);
}

void PendingTimes::extendBeside(const std::shared_ptr<const ByteStore> &store, const char *data,
                                qint64 size) {
    m_given = size;
    if (!m_beside) {
        if (size - m_scanned < BesideThread::WorthAThread) {
            extendHere(data, size);
            return;
        }
        try {
            m_beside = std::make_unique<BesideThread>(
                [this](const char *bytes, qint64 count) { extendHere(bytes, count); });
        } catch (const std::system_error &) {
            extendHere(data, size); // no thread to be had: the work is done here
            return;
        }
    }
    m_beside->offer(store, data, size);
}

void PendingTimes::extendIndexed(const char *data, qint64 size, const LineIndex &lines) {
    std::vector<LineIndex::StartRun> runs;
    const qint64 from = builder().openLine() + 1;
    lines.forEachStart(qMin(from, lines.lineCount()), lines.lineCount(),
                       [&](const LineIndex::StartRun &run) { runs.push_back(run); });
    extendByStarts(data, size, from, runs);
}

void PendingTimes::extendByStarts(const char *data, qint64 size, qint64 firstLine,
                                  const std::vector<LineIndex::StartRun> &runs) {
    wait();
    m_given = size;
    m_extended = true;
    m_data = data;
    m_size = size;
    m_scanned = qMax(m_scanned, size);
    if (runs.empty())
        return;
    const LineIndex::StartRun &lastRun = runs.back();
    const qint64 open = lastRun.base + lastRun.starts[lastRun.count - 1]; // whole lines end here
    if (open <= m_fed)
        return;
    LineTimesBuilder &builder = this->builder();
    qint64 line = firstLine;
    for (const LineIndex::StartRun &run : runs) {
        const qint64 closed = builder.openLine() + 1 - line; // of this run's, before
        if (!builder.takesStarts() || closed < 0) {
            feed(open); // the builder looks at the first lines (or a gap) itself
            return;
        }
        if (closed < run.count)
            builder.closeBefore(data, run.base, run.starts + closed, run.count - closed);
        line += run.count;
    }
    m_fed = open;
}

LineTimesBuilder &PendingTimes::builder() {
    if (!m_builder)
        m_builder = m_previous ? std::make_unique<LineTimesBuilder>(m_previous, m_stamp)
                               : std::make_unique<LineTimesBuilder>(m_stamp);
    return *m_builder;
}

void PendingTimes::wait() {
    if (m_beside)
        m_beside->wait();
}

void PendingTimes::feed(qint64 size) {
    builder().extend(m_data, size);
    m_fed = size;
}

SharedLineTimes PendingTimes::finish() {
    wait();
    if (!m_extended)
        return m_previous;
    if (!m_builder || m_fed < m_size)
        feed(m_size);
    SharedLineTimes times = m_builder->finish();
    m_builder.reset();
    m_beside.reset();
    return times;
}

} // namespace Orvik
