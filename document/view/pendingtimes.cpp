#include "document/view/pendingtimes.h"

#include <condition_variable>
#include <cstring>
#include <ctime>
#include <exception>
#include <functional>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>

namespace Orvik {

// The thread that feeds the builder beside the caller. The caller offers the text as it
// grows; the thread takes the latest offer whenever it is done with the one before, so that
// it lags by what came while it worked and is woken only when it caught up. From the first
// offer to the end of wait() the builder and the counts of bytes fed are its own; the bytes
// it reads were written before they were offered and stay as they are (it holds their
// store). The lock hands both ways.
class PendingTimes::Beside {
public:
    using Work = std::function<void(const char *data, qint64 size)>;
    explicit Beside(Work work)
        : m_work(std::move(work))
        , m_thread((loadZone(), [this] { run(); })) {}
    ~Beside() {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_stopping = true;
        }
        m_changed.notify_all();
        m_thread.join();
    }
    void offer(const std::shared_ptr<const ByteStore> &store, const char *data, qint64 size) {
        bool idle;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_store = store;
            m_data = data;
            m_size = size;
            idle = !m_busy;
        }
        if (idle)
            m_changed.notify_all();
    }
    // Until everything offered was worked on; rethrows what the work threw (the builder out
    // of memory), as extend() would have.
    void wait() {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_changed.wait(lock, [this] { return !m_busy && (m_done == m_size || m_error); });
        if (std::exception_ptr error = std::exchange(m_error, nullptr))
            std::rethrow_exception(error);
    }

private:
    // The C library loads the system zone on the first local conversion of the process;
    // made here if need be, on the thread that starts this one, so that this one only
    // ever reads it.
    static void loadZone() {
        const time_t now = time(nullptr);
        tm parts{};
        localtime_r(&now, &parts);
    }
    void run() {
        std::unique_lock<std::mutex> lock(m_mutex);
        for (;;) {
            m_changed.wait(lock, [this] { return m_stopping || (m_size != m_done && !m_error); });
            if (m_stopping)
                return;
            const std::shared_ptr<const ByteStore> store = m_store; // held while worked on
            const char *data = m_data;
            const qint64 size = m_size;
            m_busy = true;
            lock.unlock();
            std::exception_ptr error;
            try {
                m_work(data, size);
            } catch (...) {
                error = std::current_exception();
            }
            lock.lock();
            m_error = error;
            m_done = size;
            m_busy = false;
            m_changed.notify_all();
        }
    }

    const Work m_work;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::shared_ptr<const ByteStore> m_store; // of the latest offer
    const char *m_data = nullptr;
    qint64 m_size = 0;
    qint64 m_done = 0; // the size of the offer worked on last
    bool m_busy = false;
    std::exception_ptr m_error;
    bool m_stopping = false;
    std::thread m_thread; // last: started once the rest is made
};

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
        // A thread of its own pays only for whole lines of a few hundred kilobytes at once.
        constexpr qint64 WorthAThread = 128 * 1024;
        if (size - m_scanned < WorthAThread) {
            extendHere(data, size);
            return;
        }
        try {
            m_beside = std::make_unique<Beside>(
                [this](const char *bytes, qint64 count) { extendHere(bytes, count); });
        } catch (const std::system_error &) {
            extendHere(data, size); // no thread to be had: the work is done here
            return;
        }
    }
    m_beside->offer(store, data, size);
}

void PendingTimes::wait() {
    if (m_beside)
        m_beside->wait();
}

void PendingTimes::feed(qint64 size) {
    if (!m_builder)
        m_builder = m_previous ? std::make_unique<LineTimesBuilder>(m_previous, m_stamp)
                               : std::make_unique<LineTimesBuilder>(m_stamp);
    m_builder->extend(m_data, size);
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
