#pragma once

#include "core/refresh/refreshtask.h"

#include <QObject>

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

namespace Orvik {

// Finished tasks on their way from the workers to the user-interface thread. Shared with the
// workers, so that one still running when the refresh is gone delivers into it harmlessly.
// Every member is guarded by `mutex`.
struct RefreshMailbox {
    std::mutex mutex;
    std::condition_variable arrived;
    std::vector<std::shared_ptr<RefreshTask>> done;
    // Tasks handed to workers and neither taken back nor given up: `done` keeps room for
    // them all, so that a worker delivering never allocates.
    size_t owed = 0;
    // Told on its own thread that tasks arrived; nullptr once it is gone.
    QObject *receiver = nullptr;
    std::function<void()> drain;
    bool posted = false; // an event to drain is on its way

    // Room for one more task, before it is handed to a worker; throws std::bad_alloc.
    void expect() {
        std::lock_guard<std::mutex> lock(mutex);
        done.reserve(owed + 1);
        ++owed;
    }
    // A task handed over that will not be delivered.
    void forgo() {
        std::lock_guard<std::mutex> lock(mutex);
        --owed;
    }
    // Never fails for want of memory: the room was kept, and when the event cannot be
    // posted the task waits for the next drain.
    void deliver(std::shared_ptr<RefreshTask> task) noexcept {
        std::lock_guard<std::mutex> lock(mutex);
        done.push_back(std::move(task));
        arrived.notify_all();
        if (receiver && !posted) {
            try {
                QMetaObject::invokeMethod(receiver, drain, Qt::QueuedConnection);
                posted = true;
            } catch (...) {
            }
        }
    }
    // The task delivered first, or nullptr when none waits.
    std::shared_ptr<RefreshTask> take() {
        std::lock_guard<std::mutex> lock(mutex);
        if (done.empty()) {
            posted = false;
            return nullptr;
        }
        std::shared_ptr<RefreshTask> task = std::move(done.front());
        done.erase(done.begin()); // keeps the room
        --owed;
        return task;
    }
};

} // namespace Orvik
