#pragma once

#include "core/clock.h"

#include <QElapsedTimer>

namespace Orvik {

// The real clock: local date-time from the system, durations from a monotonic clock so
// that a cycle passing midnight (or a clock change) never shows a negative duration.
class SystemClock : public Clock {
public:
    SystemClock();
    QDateTime currentDateTime() const override;
    double monotonicSeconds() const override;

private:
    QElapsedTimer m_elapsed;
};

} // namespace Orvik
