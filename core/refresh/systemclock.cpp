#include "core/refresh/systemclock.h"

namespace Orvik {

SystemClock::SystemClock() {
    m_elapsed.start();
}

QDateTime SystemClock::currentDateTime() const {
    return QDateTime::currentDateTime();
}

double SystemClock::monotonicSeconds() const {
    return double(m_elapsed.nsecsElapsed()) / 1e9;
}

} // namespace Orvik
