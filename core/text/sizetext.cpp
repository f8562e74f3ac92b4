#include "core/text/sizetext.h"

namespace Orvik {

namespace {
constexpr qint64 KilobyteStep = 1024;
constexpr qint64 MegabyteStep = 1048576;
} // namespace

QString fixedDecimals(double value, int decimals, const QLocale &locale) {
    QString text = QString::number(value, 'f', decimals);
    if (text.startsWith(QLatin1Char('-')) && text.count(QLatin1Char('0')) == text.size() - 2)
        text.remove(0, 1); // "-0.00" for a value that rounds to zero
    const QString point = locale.decimalPoint();
    if (point != QLatin1String("."))
        text.replace(QLatin1Char('.'), point);
    return text;
}

QString sizeText(qint64 bytes, const QLocale &locale) {
    if (bytes < KilobyteStep)
        return fixedDecimals(double(bytes), 1, locale) + QStringLiteral(" Bytes");
    if (bytes < MegabyteStep)
        return fixedDecimals(double(bytes) / KilobyteStep, 1, locale) + QStringLiteral(" KBytes");
    return fixedDecimals(double(bytes) / MegabyteStep, 1, locale) + QStringLiteral(" MBytes");
}

QString durationText(double seconds, const QLocale &locale) {
    return QStringLiteral("Last Update Took ") + fixedDecimals(seconds, 2, locale) +
           QStringLiteral(" Seconds");
}

} // namespace Orvik
