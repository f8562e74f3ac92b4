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
    // Told on its own thread that tasks arrived; nullptr once it is gone.
    QObject *receiver = nullptr;
    std::function<void()> drain;
    bool posted = false; // an event to drain is on its way

    void deliver(std::shared_ptr<RefreshTask> task) {
        std::lock_guard<std::mutex> lock(mutex);
        done.push_back(std::move(task));
        arrived.notify_all();
        if (receiver && !posted) {
            posted = true;
            QMetaObject::invokeMethod(receiver, drain, Qt::QueuedConnection);
        }
    }
};

} // namespace Orvik
