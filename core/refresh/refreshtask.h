#pragma once

#include <QtGlobal>

#include <atomic>

namespace Orvik {

class FileSystem;

// Work for one document that a refresh hands to a worker thread. While a worker runs it the
// task is that worker's alone: the refresh fills it in before handing it over and looks at it
// again only once it is handed back. Whatever else it reads is immutable while it runs.
struct RefreshTask {
    virtual ~RefreshTask() = default;
    virtual void run(FileSystem &fileSystem) = 0;
    bool cancelled() const { return cancel.load(std::memory_order_relaxed); }

    quint64 serial = 0; // the document's
    // Set from any thread when the document is closed or the program ends: the work stops
    // within a few megabytes and its outcome is dropped.
    std::atomic<bool> cancel{false};
};

} // namespace Orvik
