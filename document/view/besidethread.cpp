#include "document/view/besidethread.h"

#include <ctime>
#include <utility>

namespace Orvik {

namespace {
// The C library loads the system zone on the first local conversion of the process; made
// here if need be, on the thread that starts the one beside, so that the work there (which
// reads lines' local times) only ever reads it.
int loadZone() {
    const time_t now = time(nullptr);
    tm parts{};
    localtime_r(&now, &parts);
    return 0;
}
} // namespace

BesideThread::BesideThread(Work work, Hand take)
    : m_work(std::move(work))
    , m_take(std::move(take))
    , m_thread((loadZone(), [this] { run(); })) {}

BesideThread::~BesideThread() {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stopping = true;
    }
    m_changed.notify_all();
    m_thread.join();
}

void BesideThread::offer(const std::shared_ptr<const ByteStore> &store, const char *data,
                         qint64 size, const Hand &give) {
    bool idle;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (give)
            give();
        m_store = store;
        m_data = data;
        m_size = size;
        idle = !m_busy;
    }
    if (idle)
        m_changed.notify_all();
}

void BesideThread::wait() {
    std::unique_lock<std::mutex> lock(m_mutex);
    m_changed.wait(lock, [this] { return !m_busy && (m_done == m_size || m_error); });
    if (std::exception_ptr error = std::exchange(m_error, nullptr))
        std::rethrow_exception(error);
}

void BesideThread::run() {
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        m_changed.wait(lock, [this] { return m_stopping || (m_size != m_done && !m_error); });
        if (m_stopping)
            return;
        const std::shared_ptr<const ByteStore> store = m_store; // held while worked on
        const char *data = m_data;
        const qint64 size = m_size;
        if (m_take)
            m_take();
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

} // namespace Orvik
