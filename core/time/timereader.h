#pragma once

#include "core/time/timeform.h"

#include <QtGlobal>

#include <cstring>

namespace Orvik {

// Reads the times at the start of lines written in one form, fast: a line whose date, hour
// and minute are written in the same bytes as the line read before it (and in the same zone)
// costs a comparison and its seconds; only a new minute is worked out from the calendar, and
// a local time goes through the system zone only when its hour changes (or, in an hour in
// which the zone's offset changes, its minute). Owned by one thread.
class TimeReader {
public:
    explicit TimeReader(const TimeForm &form);

    // The time at the start of the line of `length` bytes at `line`, or NoTime.
    qint64 read(const char *line, qint64 length);

    // The fields of a time as written, before the calendar and the zone.
    struct Fields {
        int year = 0, month = 0, day = 0, hour = 0, minute = 0;
        int msInMinute = 0;        // seconds and their fraction, in ms
        int zone = LocalZone;      // offset from UTC in minutes, or LocalZone
        const char *key = nullptr; // the bytes of date, hour and minute
    };
    static constexpr int LocalZone = 1 << 30;
    // Parses the time at [p, end) without the calendar; false when there is none.
    bool parseFields(const char *p, const char *end, Fields &fields) const;
    // UTC ms of the start of the fields' minute, or NoTime for a date out of range.
    qint64 minuteStart(const Fields &fields);

private:
    // Where the time starts after a syslog priority or an RFC 5424 header, or the form's
    // bracket after the host.
    const char *timeStart(const char *p, const char *end) const;
    // Parses ":SS", an optional fraction and (for the forms that write one) a zone.
    bool parseTail(const char *p, const char *end, int &msInMinute, int &zone) const;
    qint64 localMinuteStart(qint64 naive, const Fields &fields);

    TimeForm::Kind m_kind;
    int m_keyLength = 0;
    int m_stampYear = 0;
    int m_stampMonth = 0;
    // The minute read last: its key bytes, zone and start.
    char m_key[24] = {};
    int m_zone = LocalZone;
    qint64 m_minuteStart = NoTime;
    // The local hour converted last (naive ms of its start) and its offset, when the
    // offset holds for the whole hour.
    qint64 m_hour = NoTime;
    qint64 m_hourOffset = 0;
};

inline qint64 TimeReader::read(const char *line, qint64 length) {
    const char *end = line + length;
    const char *p = timeStart(line, end);
    if (!p)
        return NoTime;
    if (end - p > m_keyLength + 2 && m_minuteStart != NoTime &&
        std::memcmp(p, m_key, m_keyLength) == 0) {
        int ms = 0;
        int zone = LocalZone;
        if (parseTail(p + m_keyLength, end, ms, zone) && zone == m_zone)
            return m_minuteStart + ms;
    }
    Fields fields;
    if (!parseFields(p, end, fields))
        return NoTime;
    const qint64 start = minuteStart(fields);
    if (start == NoTime)
        return NoTime;
    std::memcpy(m_key, fields.key, m_keyLength);
    m_zone = fields.zone;
    m_minuteStart = start;
    return start + fields.msInMinute;
}

inline bool isDigit(char c) {
    return unsigned(c - '0') < 10;
}

inline const char *TimeReader::timeStart(const char *p, const char *end) const {
    if (p < end && *p == '<') {
        const char *q = p + 1;
        while (q < end && q - p <= 3 && isDigit(*q))
            ++q;
        if (q < end && q > p + 1 && *q == '>') {
            p = ++q;
            while (q < end && q - p < 3 && isDigit(*q))
                ++q;
            if (q > p && q < end && *q == ' ')
                p = q + 1;
        }
    }
    if (m_kind != TimeForm::Kind::WebLog)
        return p;
    // host ident user [
    for (int token = 0; token < 3; ++token) {
        const char *space = static_cast<const char *>(std::memchr(p, ' ', end - p));
        if (!space || space == p || space - p > 255)
            return nullptr;
        p = space + 1;
    }
    return p < end && *p == '[' ? p + 1 : nullptr;
}

inline bool TimeReader::parseTail(const char *p, const char *end, int &msInMinute,
                                  int &zone) const {
    if (end - p < 3 || p[0] != ':' || !isDigit(p[1]) || !isDigit(p[2]))
        return false;
    const int seconds = (p[1] - '0') * 10 + (p[2] - '0');
    if (seconds > 60)
        return false;
    int ms = seconds * 1000;
    p += 3;
    if (end - p >= 2 && (*p == '.' || *p == ',') && isDigit(p[1])) {
        ++p;
        int scale = 100;
        for (; p < end && isDigit(*p); ++p, scale /= 10)
            ms += (*p - '0') * scale;
    }
    zone = LocalZone;
    if (m_kind == TimeForm::Kind::WebLog) {
        if (end - p < 7 || p[0] != ' ')
            return false;
        ++p;
    }
    if (m_kind != TimeForm::Kind::Syslog && p < end) {
        if (*p == 'Z' || *p == 'z') {
            zone = 0;
            ++p;
        } else if ((*p == '+' || *p == '-') && end - p >= 3 && isDigit(p[1]) && isDigit(p[2])) {
            const int sign = *p == '-' ? -1 : 1;
            int minutes = ((p[1] - '0') * 10 + (p[2] - '0')) * 60;
            p += 3;
            const char *q = p < end && *p == ':' ? p + 1 : p;
            if (end - q >= 2 && isDigit(q[0]) && isDigit(q[1])) {
                minutes += (q[0] - '0') * 10 + (q[1] - '0');
                p = q + 2;
            }
            zone = sign * minutes;
        }
    }
    if (m_kind == TimeForm::Kind::WebLog && (zone == LocalZone || p >= end || *p != ']'))
        return false;
    if (p < end && isDigit(*p))
        return false;
    msInMinute = ms;
    return true;
}

} // namespace Orvik
