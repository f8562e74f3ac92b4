#pragma once

#include "core/merge/mergedrows.h"

#include <atomic>
#include <functional>
#include <thread>
#include <vector>

namespace Orvik {

// Lines of logs merged into a list on a thread of its own, one log at a time, so that a large
// merge never holds up the user-interface thread and its rows can be shown as they come.
//
// The thread touches only what it was given, all of it immutable while it runs: the list it
// starts from (a MergedRows shares its chunks read-only) and each log's SharedLineTimes, a
// finished index that nothing writes after it is published. The lists it makes are its own
// until handed to `deliver`, which must pass them on by a queued call. Cancelling is an atomic
// flag looked at between logs.
class MergeBuild {
public:
    struct Addition {
        int source = 0;
        SharedLineTimes times;
        qint64 from = 0;
        qint64 to = 0;
    };
    // Called on the build's thread with the list after each addition and how many are done.
    using Deliver = std::function<void(const MergedRows &rows, size_t done)>;

    MergeBuild(MergedRows base, std::vector<Addition> additions, Deliver deliver);
    // Cancels and waits for the thread.
    ~MergeBuild();
    MergeBuild(const MergeBuild &) = delete;
    MergeBuild &operator=(const MergeBuild &) = delete;

    void cancel() { m_cancelled = true; }

private:
    void run(MergedRows rows, std::vector<Addition> additions, Deliver deliver);

    std::atomic<bool> m_cancelled{false};
    std::thread m_thread;
};

} // namespace Orvik
