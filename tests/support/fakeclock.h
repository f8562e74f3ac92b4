#pragma once

#include "core/clock.h"

namespace Orvik {

// A clock that moves only when told. advance() moves the local time and the monotonic
// seconds together; each can also be set alone. `monotonicStep` is added after every
// monotonicSeconds() read, so a cycle can be made to take a known time.
class FakeClock : public Clock {
public:
    FakeClock();
    explicit FakeClock(const QDateTime &now);

    QDateTime currentDateTime() const override { return m_now; }
    double monotonicSeconds() const override;

    void setCurrentDateTime(const QDateTime &now) { m_now = now; }
    void setMonotonicSeconds(double seconds) { m_monotonic = seconds; }
    void advance(double seconds);

    double monotonicStep = 0.0;
    mutable int monotonicReads = 0;

private:
    QDateTime m_now;
    mutable double m_monotonic = 1000.0;
};

} // namespace Orvik
