#include "fakeclock.h"

namespace Orvik {

FakeClock::FakeClock()
    : m_now(QDate(2026, 12, 4), QTime(15, 52, 10)) {}

FakeClock::FakeClock(const QDateTime &now)
    : m_now(now) {}

double FakeClock::monotonicSeconds() const {
    ++monotonicReads;
    const double value = m_monotonic;
    m_monotonic += monotonicStep;
    return value;
}

void FakeClock::advance(double seconds) {
    m_now = m_now.addMSecs(qint64(seconds * 1000.0));
    m_monotonic += seconds;
}

} // namespace Orvik
