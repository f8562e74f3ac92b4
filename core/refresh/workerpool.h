#pragma once

#include <chrono>
#include <functional>
#include <memory>

namespace Orvik {

// A few threads that run tasks in the order they were given, built on the standard library's
// threads and locks (so that ThreadSanitizer sees every hand-over). A task that blocks does
// not stop the others for long: when tasks wait while every thread has been busy with one
// task for a while (a read hanging on a network mount, say), another thread is started;
// threads beyond the usual number end once they find nothing to do.
//
// A thread busy with one task for longer than the busy limit is stuck: it may never come back
// (a read blocked in the kernel cannot be cancelled). Stuck threads do not count against the
// usual number, so the tasks of the others still get threads however many are stuck; only
// MostThreads, counting every thread, bounds them.
//
// The threads share the pool's state, not the pool: a task still blocked in the kernel when
// the pool goes away runs on to its end on its own, so a task must hold (own or share)
// everything it touches.
class WorkerPool {
public:
    using Clock = std::chrono::steady_clock;
    // Runs `work` on a new thread of its own; throws std::system_error when none can be
    // started, as std::thread does.
    using ThreadStarter = std::function<void(std::function<void()> work)>;
    enum class Start {
        Queued, // in turn, on a thread that is free or once every thread is stuck
        AtOnce  // before the tasks queued, on a thread of its own when none is idle
    };

    // Threads in all, stuck ones too. A pool whose threads are all stuck at this number
    // starts no more until one comes back.
    static constexpr int MostThreads = 64;

    explicit WorkerPool(int threads);
    // shutdown() with the default wait, when the pool was not shut down already.
    ~WorkerPool();
    WorkerPool(const WorkerPool &) = delete;
    WorkerPool &operator=(const WorkerPool &) = delete;

    // Throws std::system_error when the task needs a thread that cannot be started, and
    // std::bad_alloc; the task is then not taken and the pool is as before.
    void submit(std::function<void()> task, Start start = Start::Queued);
    // Starts another thread when tasks wait and every thread has been busy with one task for
    // longer than the busy limit (submit() checks this too; the owner calls it now and then).
    void rebalance();
    // Drops the tasks not yet started and waits up to `wait` for the running ones; threads
    // still busy after that are left to end on their own. True when all ended in time. Only
    // the first call waits: later ones tell whether all have ended by now.
    bool shutdown(Clock::duration wait = std::chrono::seconds(1));

    int usualThreads() const;
    // How long a thread may work on one task before waiting tasks get a thread of their own.
    void setBusyLimit(Clock::duration limit);
    Clock::duration busyLimit() const;
    // How threads are started (tests make it fail).
    void setThreadStarter(ThreadStarter starter);

    // Threads waiting for a task (for tests).
    int idleThreads() const;
    // Threads of this pool, stuck ones too (for tests).
    int threads() const;
    // Threads of all pools still running, also those left behind by a shutdown (for tests).
    static int threadsAlive();
    // Shutdowns of all pools whose wait ran out with threads still busy (for tests).
    static int shutdownsTimedOut();

private:
    struct State;
    std::shared_ptr<State> m_state;
};

} // namespace Orvik
