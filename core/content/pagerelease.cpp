#include "core/content/pagerelease.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

#include <sys/mman.h>

namespace Orvik {

namespace {

// The release thread unmaps used pages this many at a time: the system holds the process's
// map locked while it unmaps, and any thread that maps or unmaps meanwhile (an allocation
// of a large block does) waits for it.
constexpr qint64 Piece = 2 << 20;

struct Mapping {
    void *address;
    qint64 bytes;
    qint64 committed;
    std::atomic<qint64> *counter;

    void unmap(qint64 piece) const {
        char *start = static_cast<char *>(address);
        qint64 done = 0;
        while (done < qMin(committed, bytes) - piece) {
            munmap(start + done, size_t(piece));
            done += piece;
        }
        munmap(start + done, size_t(bytes - done));
        if (counter)
            *counter -= committed;
    }
};

// The queue and its thread, made on first use and kept to the end of the process: stores
// may be dropped while static objects are destroyed.
struct Releaser {
    std::mutex mutex;
    std::condition_variable wake;
    std::condition_variable idle;
    std::deque<Mapping> queue; // under mutex
    int working = 0;           // under mutex: taken from the queue, not yet unmapped
    bool held = false;         // under mutex

    Releaser() {
        std::thread([this] { run(); }).detach();
    }

    void run() {
        std::unique_lock<std::mutex> lock(mutex);
        for (;;) {
            wake.wait(lock, [this] { return !held && !queue.empty(); });
            const Mapping m = queue.front();
            queue.pop_front();
            ++working;
            lock.unlock();
            m.unmap(Piece);
            lock.lock();
            --working;
            if (queue.empty() && working == 0)
                idle.notify_all();
        }
    }

    void add(const Mapping &m) {
        {
            std::lock_guard<std::mutex> lock(mutex);
            queue.push_back(m);
        }
        wake.notify_one();
    }

    static Releaser &instance() {
        static Releaser *releaser = new Releaser;
        return *releaser;
    }
};

} // namespace

void PageRelease::unmap(void *address, qint64 bytes, qint64 committed,
                        std::atomic<qint64> *counter) {
    const Mapping m{address, bytes, committed, counter};
    if (committed < BackgroundBytes) {
        m.unmap(bytes);
        return;
    }
    Releaser::instance().add(m);
}

void PageRelease::unmapAside(void *address, qint64 bytes) {
    Releaser::instance().add({address, bytes, bytes, nullptr});
}

void PageRelease::waitForPending() {
    Releaser &r = Releaser::instance();
    std::unique_lock<std::mutex> lock(r.mutex);
    r.idle.wait(lock, [&r] { return r.held || (r.queue.empty() && r.working == 0); });
}

void PageRelease::hold(bool held) {
    Releaser &r = Releaser::instance();
    {
        std::lock_guard<std::mutex> lock(r.mutex);
        r.held = held;
    }
    r.wake.notify_one();
    r.idle.notify_all();
}

int PageRelease::pending() {
    Releaser &r = Releaser::instance();
    std::lock_guard<std::mutex> lock(r.mutex);
    return int(r.queue.size()) + r.working;
}

} // namespace Orvik
