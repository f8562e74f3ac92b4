#include "core/content/textlimit.h"

#include <atomic>

#include <sys/resource.h>
#include <unistd.h>

namespace Orvik {

namespace {

std::atomic<qint64> limitForTests{0};

qint64 memoryTextLimit() {
    const long pages = sysconf(_SC_PHYS_PAGES);
    const long pageSize = sysconf(_SC_PAGESIZE);
    qint64 limit = pages > 0 && pageSize > 0 ? qint64(pages) * pageSize / 2 : qint64(1) << 30;
    struct rlimit space;
    if (getrlimit(RLIMIT_AS, &space) == 0 && space.rlim_cur != RLIM_INFINITY)
        limit = qMin(limit, qint64(space.rlim_cur / 2));
    return limit;
}

} // namespace

qint64 TextLimit::bytes() {
    const qint64 forTests = limitForTests.load(std::memory_order_relaxed);
    if (forTests > 0)
        return forTests;
    static const qint64 limit = memoryTextLimit();
    return limit;
}

void TextLimit::setForTests(qint64 bytes) {
    limitForTests.store(bytes, std::memory_order_relaxed);
}

} // namespace Orvik
