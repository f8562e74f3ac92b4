#include "core/rules/alertlimiter.h"

#include "core/clock.h"

namespace Orvik {

AlertLimiter::AlertLimiter(const Clock &clock, double intervalSeconds)
    : m_clock(clock)
    , m_interval(intervalSeconds) {}

bool AlertLimiter::allow(quint64 document) {
    const double now = m_clock.monotonicSeconds();
    const auto last = m_last.find(document);
    if (last != m_last.end() && now - last->second < m_interval)
        return false;
    m_last[document] = now;
    return true;
}

} // namespace Orvik
