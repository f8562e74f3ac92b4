#pragma once

#include <QDateTime>

namespace Orvik {

// The clock as the core sees it.
class Clock {
public:
    virtual ~Clock() = default;
    virtual QDateTime currentDateTime() const = 0; // local time
    // Seconds from an arbitrary start that never goes back (durations).
    virtual double monotonicSeconds() const = 0;
};

} // namespace Orvik
