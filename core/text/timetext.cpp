#include "core/text/timetext.h"

namespace Orvik {

namespace {

QString twoDigits(int n) {
    return QString::number(n).rightJustified(2, QLatin1Char('0'));
}

// The locale's long time format with every time-zone field (t, tt, ttt, tttt outside
// quotes) taken out, with the blanks around it.
QString longTimeFormatWithoutZone(const QLocale &locale) {
    const QString format = locale.timeFormat(QLocale::LongFormat);
    QString out;
    bool quoted = false;
    for (QChar c : format) {
        if (c == QLatin1Char('\''))
            quoted = !quoted;
        if (!quoted && c == QLatin1Char('t'))
            continue;
        out.append(c);
    }
    return out.simplified();
}

} // namespace

QString clockText(const QTime &time, const QLocale &locale) {
    const int hour = time.hour();
    const int hour12 = hour % 12 == 0 ? 12 : hour % 12;
    const QString designator = hour < 12 ? locale.amText() : locale.pmText();
    return twoDigits(hour12) + QLatin1Char(':') + twoDigits(time.minute()) + QLatin1Char(':') +
           twoDigits(time.second()) + QLatin1Char(' ') + designator;
}

QString generalDateTimeText(const QDateTime &dateTime, const QLocale &locale) {
    return locale.toString(dateTime.date(), QLocale::ShortFormat) + QLatin1Char(' ') +
           locale.toString(dateTime.time(), longTimeFormatWithoutZone(locale));
}

} // namespace Orvik
