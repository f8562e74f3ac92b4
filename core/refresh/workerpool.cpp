#include "core/refresh/workerpool.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <ctime>
#include <deque>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace Orvik {

namespace {
std::atomic<int> aliveThreads{0};
std::atomic<int> timedOutShutdowns{0};

void startDetached(std::function<void()> work) {
    std::thread(std::move(work)).detach();
}
} // namespace

// Everything here is guarded by `mutex`.
struct WorkerPool::State {
    std::mutex mutex;
    std::condition_variable wake;             // a task waits, or the pool stops
    std::condition_variable ended;            // a thread ended
    std::deque<std::function<void()>> atOnce; // taken before `tasks`
    std::deque<std::function<void()>> tasks;
    int usual = 2;
    int threads = 0;
    int idle = 0;
    bool stopping = false;
    bool waited = false; // a shutdown waited already
    Clock::duration busyLimit = std::chrono::milliseconds(250);
    // When each busy thread took its task.
    std::vector<Clock::time_point> busySince;
    ThreadStarter starter = startDetached;

    size_t waiting() const { return atOnce.size() + tasks.size(); }
    int stuck(Clock::time_point now) const {
        return int(std::count_if(busySince.begin(), busySince.end(), [&](Clock::time_point since) {
            return now - since >= busyLimit;
        }));
    }
    int living(Clock::time_point now) const { return threads - stuck(now); }

    static void work(const std::shared_ptr<State> &state);
    void startThread(const std::shared_ptr<State> &self);
    void startIfStuck(const std::shared_ptr<State> &self) {
        const Clock::time_point now = Clock::now();
        if (waiting() > 0 && idle == 0 && threads < MostThreads && living(now) == 0)
            startThread(self);
    }
};

// Counted before it starts, since it takes the lock at once; counted back when it cannot.
void WorkerPool::State::startThread(const std::shared_ptr<State> &self) {
    ++threads;
    ++aliveThreads;
    try {
        starter([self] {
            work(self);
            --aliveThreads;
        });
    } catch (...) {
        --threads;
        --aliveThreads;
        throw;
    }
}

void WorkerPool::State::work(const std::shared_ptr<State> &state) {
    State &s = *state;
    std::unique_lock<std::mutex> lock(s.mutex);
    while (!s.stopping) {
        if (s.waiting() == 0) {
            if (s.living(Clock::now()) > s.usual)
                break; // one started for a stuck pool: not needed any more
            ++s.idle;
            s.wake.wait(lock);
            --s.idle;
            continue;
        }
        std::deque<std::function<void()>> &queue = s.atOnce.empty() ? s.tasks : s.atOnce;
        std::function<void()> task = std::move(queue.front());
        queue.pop_front();
        s.busySince.push_back(Clock::now());
        const Clock::time_point mine = s.busySince.back();
        lock.unlock();
        task();
        task = nullptr; // what the task held goes before the next one is taken
        lock.lock();
        s.busySince.erase(std::find(s.busySince.begin(), s.busySince.end(), mine));
    }
    --s.threads;
    s.ended.notify_all();
}

WorkerPool::WorkerPool(int threads)
    : m_state(std::make_shared<State>()) {
    m_state->usual = std::clamp(threads, 1, MostThreads);
    // The C library reads the system zone's name on its first local-time conversion and
    // stores a copy; later conversions only compare with it. Workers convert line times,
    // and the library's own lock around that store is invisible to the race checker, so
    // the first reading is made here, on the creating thread, before any worker exists.
    static std::once_flag zoneRead;
    std::call_once(zoneRead, [] { tzset(); });
}

WorkerPool::~WorkerPool() {
    shutdown();
}

int WorkerPool::usualThreads() const {
    return m_state->usual;
}

void WorkerPool::setBusyLimit(Clock::duration limit) {
    std::lock_guard<std::mutex> lock(m_state->mutex);
    m_state->busyLimit = limit;
}

WorkerPool::Clock::duration WorkerPool::busyLimit() const {
    std::lock_guard<std::mutex> lock(m_state->mutex);
    return m_state->busyLimit;
}

void WorkerPool::setThreadStarter(ThreadStarter starter) {
    std::lock_guard<std::mutex> lock(m_state->mutex);
    m_state->starter = starter ? std::move(starter) : ThreadStarter(startDetached);
}

void WorkerPool::submit(std::function<void()> task, Start start) {
    State &s = *m_state;
    std::lock_guard<std::mutex> lock(s.mutex);
    if (s.stopping)
        return;
    std::deque<std::function<void()>> &queue = start == Start::AtOnce ? s.atOnce : s.tasks;
    queue.push_back(std::move(task));
    try {
        // An idle thread counts as idle until it has woken and taken its task: two tasks
        // given in a row to one idle thread must not both wait for it, since the first may
        // block.
        const size_t ahead = start == Start::AtOnce ? s.atOnce.size() : s.waiting();
        if (ahead <= size_t(s.idle))
            s.wake.notify_one();
        else if (start == Start::AtOnce ? s.threads < MostThreads
                                        : s.living(Clock::now()) < s.usual)
            s.startThread(m_state);
        else
            s.startIfStuck(m_state);
    } catch (...) {
        queue.pop_back();
        throw;
    }
}

void WorkerPool::rebalance() {
    std::lock_guard<std::mutex> lock(m_state->mutex);
    if (m_state->stopping)
        return;
    try {
        m_state->startIfStuck(m_state);
    } catch (const std::system_error &) {
        // out of threads: the tasks wait for the next try
    }
}

bool WorkerPool::shutdown(Clock::duration wait) {
    State &s = *m_state;
    std::deque<std::function<void()>> dropped;
    std::deque<std::function<void()>> droppedAtOnce;
    std::unique_lock<std::mutex> lock(s.mutex);
    s.stopping = true;
    dropped.swap(s.tasks);
    droppedAtOnce.swap(s.atOnce);
    s.wake.notify_all();
    bool ended = s.threads == 0;
    if (!ended && !s.waited) {
        s.waited = true;
        ended = s.ended.wait_for(lock, wait, [&s] { return s.threads == 0; });
        if (!ended)
            ++timedOutShutdowns;
    }
    lock.unlock();
    return ended; // the tasks dropped go with `dropped`, outside the lock
}

int WorkerPool::idleThreads() const {
    std::lock_guard<std::mutex> lock(m_state->mutex);
    return m_state->idle;
}

int WorkerPool::threads() const {
    std::lock_guard<std::mutex> lock(m_state->mutex);
    return m_state->threads;
}

int WorkerPool::threadsAlive() {
    return aliveThreads.load();
}

int WorkerPool::shutdownsTimedOut() {
    return timedOutShutdowns.load();
}

} // namespace Orvik
