#include "core/search/filterscan.h"

#include "core/text/linebounds.h"

namespace Orvik {

FilterScan::FilterScan(Notify notify)
    : m_notify(std::move(notify)) {}

FilterScan::~FilterScan() {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_quit = true;
        m_stop = true;
    }
    m_wake.notify_all();
    if (m_thread.joinable())
        m_thread.join();
}

void FilterScan::start(const LineFilter &filter, const Contents &text, qint64 from, qint64 wholeEnd,
                       const LineFilter::OpenLine &open) {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        ++m_generation;
        m_stop = true;
        m_open = open;
        m_filter = filter;
        m_text = text;
        m_next = from;
        m_wholeEnd = wholeEnd;
        m_active = true;
        m_running = true;
        m_notified = false;
        m_found.clear();
        m_tooComplexAt = -1;
        m_lastLine = -1;
        if (!m_thread.joinable())
            m_thread = std::thread(&FilterScan::run, this);
    }
    m_wake.notify_one();
}

void FilterScan::extend(const Contents &text, qint64 wholeEnd) {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (!m_active || m_tooComplexAt >= 0)
            return;
        ++m_extensions;
        m_text = text;
        m_wholeEnd = qMax(m_wholeEnd, wholeEnd);
        m_running = true;
        m_lastLine = -1;
    }
    m_wake.notify_one();
}

void FilterScan::cancel() {
    std::lock_guard<std::mutex> lock(m_mutex);
    ++m_generation;
    m_stop = true;
    m_active = false;
    m_running = false;
    m_text = Contents();
    m_found.clear();
    m_tooComplexAt = -1;
}

FilterScan::Found FilterScan::take() {
    std::lock_guard<std::mutex> lock(m_mutex);
    Found found;
    found.lineStarts.swap(m_found);
    found.running = m_running;
    found.tooComplexAt = m_tooComplexAt;
    found.lastLine = m_running ? -1 : m_lastLine;
    if (!m_running)
        found.open = m_open;
    m_notified = false;
    return found;
}

void FilterScan::setSliceBytes(qint64 bytes) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_sliceBytes = qMax<qint64>(1, bytes);
}

// The worker touches its own copy of the filter, the bytes text[from, end) of its copy of the
// job's Contents (bytes an append-only store holds never change), and the rest under m_mutex.
void FilterScan::run() {
    LineFilter filter; // one copy per thread: a regular expression's scratch space is its own
    quint64 filterGeneration = 0;
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_quit || m_running; });
        if (m_quit)
            return;
        const quint64 generation = m_generation;
        const quint64 extensions = m_extensions;
        if (filterGeneration != generation) {
            filter = m_filter;
            filterGeneration = generation;
            m_stop = false; // set again, under the lock, by whatever drops this scan
        }
        const Contents text = m_text;
        const qint64 from = m_next;
        const qint64 wholeEnd = m_wholeEnd;
        const qint64 slice = m_sliceBytes;
        LineFilter::OpenLine open = m_open;
        lock.unlock();

        // A slice of whole lines, or else the unfinished last line.
        const char *data = text.data();
        const bool lastLine = from >= wholeEnd;
        qint64 end = lastLine ? text.size() : wholeEnd;
        if (!lastLine && wholeEnd - from > slice) {
            end = nextLineStart(data, from + slice, wholeEnd);
        }
        std::vector<qint64> found;
        const qint64 tooComplexAt = lastLine
                                        ? filter.scanOpenLine(data, from, end, open)
                                        : filter.scanGrown(data, from, end, open, found, &m_stop);

        lock.lock();
        if (m_generation != generation || (lastLine && m_extensions != extensions))
            continue;
        if (lastLine) {
            m_lastLine = open.matched ? from : -1;
            m_open = open;
            m_running = false;
        } else {
            m_found.insert(m_found.end(), found.begin(), found.end());
            m_next = end;
        }
        if (tooComplexAt >= 0) {
            m_tooComplexAt = tooComplexAt;
            m_running = false;
        }
        if (m_notified || (found.empty() && m_running))
            continue;
        m_notified = true;
        lock.unlock();
        m_notify();
        lock.lock();
    }
}

} // namespace Orvik
