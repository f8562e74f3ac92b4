#pragma once

#include <chrono>
#include <functional>
#include <memory>

namespace Orvik {

// A few threads that run tasks in the order they were given, built on the standard library's
// threads and locks (so that ThreadSanitizer sees every hand-over). A task that blocks does
// not stop the others for long: when tasks wait while every thread has been busy with one
// task for a while (a read hanging on a network mount, say), another thread is started, up
// to a limit; threads beyond the usual number end once they find nothing to do.
//
// The threads share the pool's state, not the pool: a task still blocked in the kernel when
// the pool goes away runs on to its end on its own, so a task must hold (own or share)
// everything it touches.
class WorkerPool {
public:
    using Clock = std::chrono::steady_clock;

    explicit WorkerPool(int threads);
    // shutdown() with the default wait.
    ~WorkerPool();
    WorkerPool(const WorkerPool &) = delete;
    WorkerPool &operator=(const WorkerPool &) = delete;

    void submit(std::function<void()> task);
    // Starts another thread when tasks wait and every thread has been busy with one task for
    // longer than the busy limit (submit() checks this too; the owner calls it now and then).
    void rebalance();
    // Drops the tasks not yet started and waits up to `wait` for the running ones; threads
    // still busy after that are left to end on their own. True when all ended in time.
    bool shutdown(Clock::duration wait = std::chrono::seconds(1));

    int usualThreads() const;
    // How long a thread may work on one task before waiting tasks get a thread of their own.
    void setBusyLimit(Clock::duration limit);

    // Threads waiting for a task (for tests).
    int idleThreads() const;
    // Threads of all pools still running, also those left behind by a shutdown (for tests).
    static int threadsAlive();

private:
    struct State;
    std::shared_ptr<State> m_state;
};

} // namespace Orvik
