#pragma once

#include <QLocale>
#include <QString>

namespace Orvik {

// A document's size for its caption: the value with one decimal ("0.0") and its unit:
// below 1024 " Bytes", below 1048576 " KBytes" (the size / 1024), else " MBytes"
// (the size / 1048576). 512 reads "512.0 Bytes", 1536 "1.5 KBytes".
QString sizeText(qint64 bytes, const QLocale &locale = QLocale::system());

// Status panel 1 after a refresh cycle: "Last Update Took 0.05 Seconds" ("0.00").
QString durationText(double seconds, const QLocale &locale = QLocale::system());

// A value with a fixed number of decimals, no digit grouping, the locale's decimal point.
QString fixedDecimals(double value, int decimals, const QLocale &locale = QLocale::system());

} // namespace Orvik
