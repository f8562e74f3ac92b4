#pragma once

#include "core/content/bytestore.h"

#include <QtGlobal>

#include <condition_variable>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

namespace Orvik {

// A thread that works on a text being read beside the thread reading it. The reader offers
// the text as it grows; the thread takes the latest offer whenever it is done with the one
// before, so that it lags by what came while it worked and is woken only when it caught up.
// From the first offer to the end of wait() whatever the work touches is this thread's own;
// the bytes it reads were written before they were offered and stay as they are (it holds
// their store, or the reader keeps them). The lock hands both ways.
class BesideThread {
public:
    using Work = std::function<void(const char *data, qint64 size)>;
    using Hand = std::function<void()>;
    // Throws std::system_error when no thread is to be had. `take`, if any, runs on this
    // thread under the lock as it takes an offer, before the work on it.
    explicit BesideThread(Work work, Hand take = {});
    ~BesideThread();
    BesideThread(const BesideThread &) = delete;
    BesideThread &operator=(const BesideThread &) = delete;

    // The text so far: its first `size` bytes from `data`, held by `store` (or null: the
    // caller keeps them until wait()). `give`, if any, runs on the caller's thread under the
    // lock with the offer: what it leaves for `take` goes with this offer.
    void offer(const std::shared_ptr<const ByteStore> &store, const char *data, qint64 size,
               const Hand &give = {});
    // Until everything offered was worked on; rethrows what the work threw (out of memory,
    // say), as the work would have on the reading thread.
    void wait();

    // Texts smaller than this are worked on where they are read: a thread pays only for a few
    // hundred kilobytes at once.
    static constexpr qint64 WorthAThread = 128 * 1024;

private:
    void run();

    const Work m_work;
    const Hand m_take;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::shared_ptr<const ByteStore> m_store; // of the latest offer
    const char *m_data = nullptr;
    qint64 m_size = 0;
    qint64 m_done = 0; // the size of the offer worked on last
    bool m_busy = false;
    std::exception_ptr m_error;
    bool m_stopping = false;
    std::thread m_thread; // last: started once the rest is made
};

} // namespace Orvik
