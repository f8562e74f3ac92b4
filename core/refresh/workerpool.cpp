#include "core/refresh/workerpool.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

namespace Orvik {

namespace {
constexpr int MostThreads = 16;
std::atomic<int> aliveThreads{0};
} // namespace

// Everything here is guarded by `mutex`.
struct WorkerPool::State {
    std::mutex mutex;
    std::condition_variable wake;  // a task waits, or the pool stops
    std::condition_variable ended; // a thread ended
    std::deque<std::function<void()>> tasks;
    int usual = 2;
    int threads = 0;
    int idle = 0;
    bool stopping = false;
    Clock::duration busyLimit = std::chrono::milliseconds(250);
    // When each busy thread took its task.
    std::vector<Clock::time_point> busySince;

    bool everyThreadStuck(Clock::time_point now) const {
        return busySince.size() == size_t(threads) &&
               std::all_of(busySince.begin(), busySince.end(),
                           [&](Clock::time_point since) { return now - since >= busyLimit; });
    }

    static void work(const std::shared_ptr<State> &state);
    void startThread(const std::shared_ptr<State> &self);
    void startIfStuck(const std::shared_ptr<State> &self) {
        if (!tasks.empty() && idle == 0 && threads < MostThreads && everyThreadStuck(Clock::now()))
            startThread(self);
    }
};

void WorkerPool::State::startThread(const std::shared_ptr<State> &self) {
    ++threads;
    ++aliveThreads;
    std::thread([self] {
        work(self);
        --aliveThreads;
    }).detach();
}

void WorkerPool::State::work(const std::shared_ptr<State> &state) {
    State &s = *state;
    std::unique_lock<std::mutex> lock(s.mutex);
    while (!s.stopping) {
        if (s.tasks.empty()) {
            if (s.threads > s.usual)
                break; // one started for a stuck pool: not needed any more
            ++s.idle;
            s.wake.wait(lock);
            --s.idle;
            continue;
        }
        std::function<void()> task = std::move(s.tasks.front());
        s.tasks.pop_front();
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

void WorkerPool::submit(std::function<void()> task) {
    State &s = *m_state;
    std::lock_guard<std::mutex> lock(s.mutex);
    if (s.stopping)
        return;
    s.tasks.push_back(std::move(task));
    // An idle thread counts as idle until it has woken and taken its task: two tasks given
    // in a row to one idle thread must not both wait for it, since the first may block.
    if (s.tasks.size() <= size_t(s.idle))
        s.wake.notify_one();
    else if (s.threads < s.usual)
        s.startThread(m_state);
    else
        s.startIfStuck(m_state);
}

void WorkerPool::rebalance() {
    std::lock_guard<std::mutex> lock(m_state->mutex);
    if (!m_state->stopping)
        m_state->startIfStuck(m_state);
}

bool WorkerPool::shutdown(Clock::duration wait) {
    State &s = *m_state;
    std::deque<std::function<void()>> dropped;
    std::unique_lock<std::mutex> lock(s.mutex);
    s.stopping = true;
    dropped.swap(s.tasks);
    s.wake.notify_all();
    const bool ended = s.ended.wait_for(lock, wait, [&s] { return s.threads == 0; });
    lock.unlock();
    return ended; // the tasks dropped go with `dropped`, outside the lock
}

int WorkerPool::idleThreads() const {
    std::lock_guard<std::mutex> lock(m_state->mutex);
    return m_state->idle;
}

int WorkerPool::threadsAlive() {
    return aliveThreads.load();
}

} // namespace Orvik
