#include "document/view/pendingtimes.h"

#include <cstring>

namespace Orvik {

PendingTimes::PendingTimes(SharedLineTimes previous, qint64 previousSize)
    : m_previous(std::move(previous))
    , m_scanned(m_previous ? previousSize : 0) {}

PendingTimes::~PendingTimes() = default;

void PendingTimes::extend(const char *data, qint64 size) {
    const qint64 from = m_scanned;
    m_extended = true;
    m_data = data;
    m_size = size;
    if (size <= from)
        return;
    m_scanned = size;
    const void *feed = memrchr(data + from, '\n', size_t(size - from));
    if (feed)
        this->feed(static_cast<const char *>(feed) - data + 1);
}

void PendingTimes::feed(qint64 size) {
    if (!m_builder)
        m_builder = m_previous ? std::make_unique<LineTimesBuilder>(m_previous, m_stamp)
                               : std::make_unique<LineTimesBuilder>(m_stamp);
    m_builder->extend(m_data, size);
    m_fed = size;
}

SharedLineTimes PendingTimes::finish() {
    if (!m_extended)
        return m_previous;
    if (!m_builder || m_fed < m_size)
        feed(m_size);
    SharedLineTimes times = m_builder->finish();
    m_builder.reset();
    return times;
}

} // namespace Orvik
