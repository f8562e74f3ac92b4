#include "core/time/timereader.h"

#include <QDateTime>

#include <algorithm>
#include <ctime>

namespace Orvik {

namespace {

constexpr qint64 MinuteMs = 60 * 1000;
constexpr qint64 HourMs = 60 * MinuteMs;
constexpr qint64 DayMs = 24 * HourMs;

const char MonthNames[] = "JanFebMarAprMayJunJulAugSepOctNovDec";

int twoDigits(const char *p) {
    return isDigit(p[0]) && isDigit(p[1]) ? (p[0] - '0') * 10 + (p[1] - '0') : -1;
}

// 1 to 12 for an English month's abbreviation, else 0.
int monthOf(const char *p) {
    for (int m = 0; m < 12; ++m)
        if (std::memcmp(p, MonthNames + 3 * m, 3) == 0)
            return m + 1;
    return 0;
}

int daysInMonth(int year, int month) {
    static const int Days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : Days[month - 1];
}

// Days from 1970-01-01 to a date of the proleptic Gregorian calendar.
qint64 daysFromCivil(int year, int month, int day) {
    year -= month <= 2;
    const qint64 era = (year >= 0 ? year : year - 399) / 400;
    const int yoe = int(year - era * 400);
    const int doy = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

// The system zone's offset from UTC at `seconds`. Workers convert times, so only
// localtime_r is used: mktime, and Qt's local conversions, reload the zone (tzset) each
// time, writing the C library's copy of it while other threads read it; localtime_r reads
// the copy made once before any worker starts (the worker pool makes it).
long offsetAt(qint64 seconds) {
    const time_t t = time_t(seconds);
    tm parts{};
    localtime_r(&t, &parts);
    return parts.tm_gmtoff;
}

// What the system zone makes of a local time: UTC ms. A time the clocks skipped (the hour
// lost in spring) is read with the offset from before the change, as a clock set forward
// would show it; one they showed twice, as the later of the two.
qint64 localToUtc(int year, int month, int day, int hour, int minute) {
    const qint64 naive = daysFromCivil(year, month, day) * 86400 + hour * 3600 + minute * 60;
    const long first = offsetAt(naive);
    const long second = offsetAt(naive - first);
    if (offsetAt(naive - second) == second)
        return (naive - second) * 1000;
    return (naive - std::min(first, second)) * 1000;
}

} // namespace

TimeReader::TimeReader(const TimeForm &form)
    : m_kind(form.kind()) {
    switch (m_kind) {
    case TimeForm::Kind::Iso:
        m_keyLength = 16; // 2026-12-08T13:58
        break;
    case TimeForm::Kind::Syslog:
        m_keyLength = 12; // Dec  8 13:58
        break;
    case TimeForm::Kind::WebLog:
        m_keyLength = 17; // 08/Dec/2026:13:58
        break;
    case TimeForm::Kind::None:
        break;
    }
    // The stamps handed to workers are UTC ones, whose ms need no zone.
    const qint64 stampMs = form.stamp().isValid() ? form.stamp().toMSecsSinceEpoch()
                                                  : QDateTime::currentMSecsSinceEpoch();
    const time_t stampSeconds = time_t(stampMs / 1000);
    tm stamp{};
    localtime_r(&stampSeconds, &stamp);
    m_stampYear = stamp.tm_year + 1900;
    m_stampMonth = stamp.tm_mon + 1;
}

bool TimeReader::parseFields(const char *p, const char *end, Fields &f) const {
    if (end - p < m_keyLength + 3)
        return false;
    f.key = p;
    const char *tail = p + m_keyLength;
    switch (m_kind) {
    case TimeForm::Kind::Iso:
        // YYYY-MM-DDTHH:MM or with a blank for the T
        if (p[4] != '-' || p[7] != '-' || (p[10] != 'T' && p[10] != ' ') || p[13] != ':')
            return false;
        f.year = twoDigits(p) * 100 + twoDigits(p + 2);
        if (twoDigits(p) < 0 || twoDigits(p + 2) < 0)
            return false;
        f.month = twoDigits(p + 5);
        f.day = twoDigits(p + 8);
        f.hour = twoDigits(p + 11);
        f.minute = twoDigits(p + 14);
        break;
    case TimeForm::Kind::Syslog:
        // Mmm dd HH:MM, the day padded with a blank
        if (p[3] != ' ' || p[6] != ' ' || p[9] != ':')
            return false;
        f.month = monthOf(p);
        f.day = p[4] == ' ' ? (isDigit(p[5]) ? p[5] - '0' : -1) : twoDigits(p + 4);
        f.hour = twoDigits(p + 7);
        f.minute = twoDigits(p + 10);
        f.year = f.month > m_stampMonth ? m_stampYear - 1 : m_stampYear;
        break;
    case TimeForm::Kind::WebLog:
        // dd/Mmm/YYYY:HH:MM
        if (p[2] != '/' || p[6] != '/' || p[11] != ':' || p[14] != ':')
            return false;
        f.day = twoDigits(p);
        f.month = monthOf(p + 3);
        if (twoDigits(p + 7) < 0 || twoDigits(p + 9) < 0)
            return false;
        f.year = twoDigits(p + 7) * 100 + twoDigits(p + 9);
        f.hour = twoDigits(p + 12);
        f.minute = twoDigits(p + 15);
        break;
    case TimeForm::Kind::None:
        return false;
    }
    if (f.year < 1 || f.month < 1 || f.month > 12 || f.day < 1 ||
        f.day > daysInMonth(f.year, f.month) || f.hour < 0 || f.hour > 23 || f.minute < 0 ||
        f.minute > 59)
        return false;
    return parseTail(tail, end, f.msInMinute, f.zone);
}

qint64 TimeReader::minuteStart(const Fields &f) {
    const qint64 naive =
        daysFromCivil(f.year, f.month, f.day) * DayMs + f.hour * HourMs + f.minute * MinuteMs;
    if (f.zone != LocalZone)
        return naive - f.zone * MinuteMs;
    return localMinuteStart(naive, f);
}

qint64 TimeReader::localMinuteStart(qint64 naive, const Fields &f) {
    const qint64 hour = naive - f.minute * MinuteMs;
    if (hour == m_hour)
        return naive - m_hourOffset;
    // The zone's offset at the hour's start; it holds for the hour when it is still the
    // offset at its last minute, else this hour (a change of daylight saving) is converted
    // minute by minute.
    const qint64 offset = hour - localToUtc(f.year, f.month, f.day, f.hour, 0);
    if (hour + 59 * MinuteMs - localToUtc(f.year, f.month, f.day, f.hour, 59) == offset) {
        m_hour = hour;
        m_hourOffset = offset;
        return naive - offset;
    }
    m_hour = NoTime;
    return localToUtc(f.year, f.month, f.day, f.hour, f.minute);
}

} // namespace Orvik
