#include "core/time/timeform.h"

#include "core/time/timereader.h"

#include <algorithm>
#include <cstring>

namespace Orvik {

TimeForm TimeForm::detect(const char *text, qint64 size, const QDateTime &stamp) {
    const Kind kinds[] = {Kind::Iso, Kind::Syslog, Kind::WebLog};
    TimeReader readers[] = {TimeReader(TimeForm(Kind::Iso, stamp)),
                            TimeReader(TimeForm(Kind::Syslog, stamp)),
                            TimeReader(TimeForm(Kind::WebLog, stamp))};
    qint64 parsed[3] = {};
    // Lines that might carry a time: those that start with a digit (after a priority) or
    // that any form reads. A form wins only when it reads most of them.
    qint64 candidates = 0;
    const char *end = text + std::min(size, DetectBytes);
    const char *line = text;
    for (qint64 n = 0; n < DetectLines && line < end; ++n) {
        const char *feed = static_cast<const char *>(std::memchr(line, '\n', end - line));
        const char *lineEnd = feed ? feed : end;
        bool any = false;
        for (int k = 0; k < 3; ++k)
            if (readers[k].read(line, lineEnd - line) != NoTime) {
                ++parsed[k];
                any = true;
            }
        const char *p = line;
        if (p < lineEnd && *p == '<')
            while (p < lineEnd && *p != '>')
                ++p;
        p += p < lineEnd && *p == '>';
        if (any || (p < lineEnd && isDigit(*p)))
            ++candidates;
        line = lineEnd + 1;
    }
    const int best = int(std::max_element(parsed, parsed + 3) - parsed);
    if (parsed[best] == 0 || parsed[best] * 2 <= candidates)
        return TimeForm();
    return TimeForm(kinds[best], stamp);
}

qint64 TimeForm::parse(const char *line, qint64 length) const {
    if (m_kind == Kind::None)
        return NoTime;
    TimeReader reader(*this);
    return reader.read(line, length);
}

} // namespace Orvik
