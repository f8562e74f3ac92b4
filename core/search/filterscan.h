#pragma once

#include "core/content/contents.h"
#include "core/search/linefilter.h"

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace Orvik {

// A line filter run over a large text on a thread of its own, slice by slice, so that the
// program keeps answering and matches can be shown as they are found. The whole lines come
// first; the last line of the text, when no line feed ends it yet, is scanned last and told
// apart, since an append may change it (LineFilter::scanOpenLine says how much of it is
// looked at). A new scan, or a cancel, drops the one in progress with everything it found and
// was not taken; the worker sees it between slices of plain text, and between lines of an
// expression, so that neither waits long for it, nor the destructor, which ends the thread.
class FilterScan {
public:
    // Called on the worker when lines were found, or the scan ended, since the last take().
    using Notify = std::function<void()>;
    static constexpr qint64 DefaultSliceBytes = 64 * 1024;

    explicit FilterScan(Notify notify);
    ~FilterScan();
    FilterScan(const FilterScan &) = delete;
    FilterScan &operator=(const FilterScan &) = delete;

    // Scans the whole lines text[from, wholeEnd), then the unfinished last line
    // text[wholeEnd, size) if there is one (see LineFilter::scan); `open` is what an earlier
    // look at the line at `from`, or at the last line, found (see LineFilter::scanGrown).
    void start(const LineFilter &filter, const Contents &text, qint64 from, qint64 wholeEnd,
               const LineFilter::OpenLine &open = {});
    // The text grew: the scan, also one that has ended, goes on over the new whole lines and
    // the new last line. `text` holds the earlier bytes too.
    void extend(const Contents &text, qint64 wholeEnd);
    void cancel();

    struct Found {
        std::vector<qint64> lineStarts; // whole lines, after those taken before
        bool running = false;           // more may come
        qint64 tooComplexAt = -1;       // see LineFilter::scan; the scan ended there
        qint64 lastLine = -1;           // once ended: the start of a matching unfinished line
        LineFilter::OpenLine open;      // once ended: what is known of the last line
    };
    Found take();

    void setSliceBytes(qint64 bytes);

private:
    void run();

    Notify m_notify;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::thread m_thread;
    bool m_quit = false;
    // Set with a new scan, a cancel or the end; cleared by the worker when it takes a scan.
    std::atomic<bool> m_stop{false};
    quint64 m_generation = 0; // counts scans, so a worker drops what an older one found
    quint64 m_extensions = 0; // counts extensions, so a stale last line is dropped
    LineFilter m_filter;
    Contents m_text;
    qint64 m_next = 0;
    qint64 m_wholeEnd = 0;
    bool m_active = false;  // started and not cancelled
    bool m_running = false; // lines are left to scan
    bool m_notified = false;
    std::vector<qint64> m_found;
    qint64 m_tooComplexAt = -1;
    qint64 m_lastLine = -1;
    LineFilter::OpenLine m_open;
    qint64 m_sliceBytes = DefaultSliceBytes;
};

} // namespace Orvik
