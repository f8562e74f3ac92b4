#pragma once

#include "core/module1.h"
#include "core/refreshcycle.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>

#include <sys/mman.h>
#include <time.h>

namespace Orvik {

// Processor time of the calling thread: on a machine shared with other work, the time a
// thread spends on its work, without the time it waits for a processor.
inline double threadSeconds() {
    timespec ts;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) / 1e9;
}

// Processor time of all the process's threads.
inline double processSeconds() {
    timespec ts;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) / 1e9;
}

// The time spent handling events until the cycles are done, plus `startedFor`: the time the
// window could not answer. The thread sleeps in the event loop meanwhile, as the program's
// does, so that only the work the events bring is counted: every finished task posts one.
inline double blockedUntilIdle(Module1 &module, double startedFor) {
    double blocked = startedFor;
    while (module.refreshCycle().isRunning()) {
        const double before = threadSeconds();
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        blocked += threadSeconds() - before;
    }
    return blocked;
}

// Seconds to read the file at `path` whole into memory fresh from the system, as any viewer
// must: the baseline the cost of showing a file is measured against.
inline double readFreshSeconds(const QString &path) {
    QElapsedTimer t;
    t.start();
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    const qint64 size = f.size();
    void *p = mmap(nullptr, size_t(size), PROT_READ | PROT_WRITE,
                   MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    qint64 done = 0;
    while (done < size) {
        const qint64 n = f.read(static_cast<char *>(p) + done, size - done);
        if (n <= 0)
            break;
        done += n;
    }
    const double seconds = double(t.nsecsElapsed()) / 1e9;
    munmap(p, size_t(size));
    return seconds;
}

} // namespace Orvik
