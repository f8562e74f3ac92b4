#pragma once

#include <QDateTime>
#include <QLocale>
#include <QString>

namespace Orvik {

// "hh:mm:ss AMPM": two-digit hour on the 12-hour clock (00:05 is 12:05:00 AM), minutes and
// seconds, a blank and the locale's AM or PM designator.
QString clockText(const QTime &time, const QLocale &locale = QLocale::system());

// The general date and time: the locale's short date, a blank and its long time (without
// the time zone, which the long time of some locales carries).
QString generalDateTimeText(const QDateTime &dateTime, const QLocale &locale = QLocale::system());

} // namespace Orvik
