#pragma once

#include <QDateTime>
#include <QtGlobal>

#include <limits>

namespace Orvik {

// A line's time: milliseconds since 1970-01-01 00:00 UTC.
constexpr qint64 NoTime = std::numeric_limits<qint64>::min();

// How the lines of one document write their time at their start, found from its first lines
// and then used for the rest: ISO 8601 / RFC 3339 (with `T` or a blank, fractions with `.` or
// `,`, `Z` or an offset; journalctl's short-iso is one of these), the BSD syslog form
// (`Dec  8 13:58:42`, its year from the file's stamp), or the web server's common log, whose
// time stands in brackets after the host. A syslog priority `<N>` or an RFC 5424 header may
// come first. Times without a zone are the system zone's.
class TimeForm {
public:
    enum class Kind { None, Iso, Syslog, WebLog };

    TimeForm() = default;
    TimeForm(Kind kind, const QDateTime &stamp)
        : m_kind(kind)
        , m_stamp(stamp) {}
    // The form most of the first lines that carry a time are written in, or one of kind
    // None when too few of them parse as one form (a line of digits is no time). `stamp` is
    // the file's modification time, which gives syslog times their year.
    // Looks at no more than the first DetectLines lines within the first DetectBytes bytes.
    static TimeForm detect(const char *text, qint64 size, const QDateTime &stamp);
    static constexpr qint64 DetectLines = 200;
    static constexpr qint64 DetectBytes = 64 * 1024;

    Kind kind() const { return m_kind; }
    bool isValid() const { return m_kind != Kind::None; }
    const QDateTime &stamp() const { return m_stamp; }
    // The time at the start of the line of `length` bytes at `line` (no line feed), or NoTime.
    // Works the calendar out each time: a reader of many lines uses a TimeReader.
    qint64 parse(const char *line, qint64 length) const;

private:
    Kind m_kind = Kind::None;
    QDateTime m_stamp;
};

} // namespace Orvik
