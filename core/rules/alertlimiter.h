#pragma once

#include <QtGlobal>

#include <map>

namespace Orvik {

class Clock;

// Lets the desktop notifications of a document through at most once per interval (a
// minute), each document on its own, by the clock it is given.
class AlertLimiter {
public:
    static constexpr double DefaultIntervalSeconds = 60;

    explicit AlertLimiter(const Clock &clock, double intervalSeconds = DefaultIntervalSeconds);

    // True, and the time taken, when the document's last notification let through is at least
    // an interval ago or there was none.
    bool allow(quint64 document);
    // The document is gone.
    void forget(quint64 document) { m_last.erase(document); }

private:
    const Clock &m_clock;
    double m_interval;
    std::map<quint64, double> m_last; // monotonic seconds
};

} // namespace Orvik
