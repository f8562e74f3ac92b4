#include "document/view/pendingtimes.h"

namespace Orvik {

PendingTimes::PendingTimes(SharedLineTimes previous)
    : m_previous(std::move(previous)) {}

PendingTimes::~PendingTimes() = default;

void PendingTimes::extend(const char *data, qint64 size) {
    if (!m_builder)
        m_builder = m_previous ? std::make_unique<LineTimesBuilder>(m_previous, m_stamp)
                               : std::make_unique<LineTimesBuilder>(m_stamp);
    m_builder->extend(data, size);
    m_size = size;
}

SharedLineTimes PendingTimes::finish() {
    if (!m_builder)
        return m_previous;
    SharedLineTimes times = m_builder->finish();
    m_builder.reset();
    return times;
}

} // namespace Orvik
