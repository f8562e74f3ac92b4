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

// The thread that feeds the builder beside the caller. It runs one job at a time, from
// extendBeside() to the next wait(); between the two the builder and the counts of bytes fed
// are its own, and the bytes it reads were written before the job was handed over and stay
// as they are (the job holds their store): the lock hands both ways.
class PendingTimes::Beside {
public:
    Beside()
        : m_thread((loadZone(), [this] { run(); })) {}
    ~Beside() {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_stopping = true;
        }
        m_changed.notify_all();
        m_thread.join();
    }
    void start(std::function<void()> job) {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_job = std::move(job);
        }
        m_changed.notify_all();
    }
    // Rethrows what the job threw (the builder out of memory), as extend() would have.
    void wait() {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_changed.wait(lock, [this] { return !m_job; });
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
            m_changed.wait(lock, [this] { return m_stopping || m_job; });
            if (!m_job)
                return;
            lock.unlock();
            std::exception_ptr error;
            try {
                m_job();
            } catch (...) {
                error = std::current_exception();
            }
            lock.lock();
            m_error = error;
            m_job = nullptr;
            m_changed.notify_all();
        }
    }

    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::function<void()> m_job;
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
    wait();
    m_given = size;
    // A thread of its own pays only for whole lines of a few hundred kilobytes at once.
    constexpr qint64 WorthAThread = 128 * 1024;
    if (size - m_scanned < WorthAThread) {
        extendHere(data, size);
        return;
    }
    if (!m_beside) {
        try {
            m_beside = std::make_unique<Beside>();
        } catch (const std::system_error &) {
            extendHere(data, size); // no thread to be had: the work is done here
            return;
        }
    }
    m_beside->start([this, store, data, size] { extendHere(data, size); });
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
