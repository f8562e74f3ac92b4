#include "core/time/linetimes.h"

#include <QDateTime>
#include <QRegularExpression>

namespace Orvik {

qint64 parseWantedTime(const QString &text, qint64 reference) {
    static const QRegularExpression Wanted(
        QStringLiteral("^(?:(\\d{4})-(\\d{2})-(\\d{2})[T ])?(\\d{1,2}):(\\d{2})"
                       "(?::(\\d{2})(?:[.,](\\d+))?)?\\s*(Z|[+-]\\d{2}(?::?\\d{2})?)?$"),
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = Wanted.match(text.trimmed());
    if (!match.hasMatch())
        return NoTime;
    const auto number = [&match](int n) { return match.capturedView(n).toInt(); };
    QDate date;
    if (match.capturedLength(1)) {
        date = QDate(number(1), number(2), number(3));
    } else {
        date = (reference == NoTime ? QDateTime::currentDateTime()
                                    : QDateTime::fromMSecsSinceEpoch(reference, Qt::LocalTime))
                   .date();
    }
    const QString fraction = (match.captured(7) + QStringLiteral("00")).left(3);
    const QTime time(number(4), number(5), number(6), fraction.toInt());
    if (!date.isValid() || !time.isValid())
        return NoTime;
    const QStringView zone = match.capturedView(8);
    QDateTime wanted;
    if (zone.isEmpty()) {
        wanted = QDateTime(date, time, Qt::LocalTime);
    } else if (zone.compare(u"z", Qt::CaseInsensitive) == 0) {
        wanted = QDateTime(date, time, Qt::UTC);
    } else {
        const int hours = zone.mid(1, 2).toInt();
        const int minutes = zone.size() > 3 ? zone.right(2).toInt() : 0;
        if (hours > 23 || minutes > 59)
            return NoTime;
        const int seconds = (zone[0] == u'-' ? -1 : 1) * (hours * 3600 + minutes * 60);
        wanted = QDateTime(date, time, Qt::OffsetFromUTC, seconds);
    }
    return wanted.isValid() ? wanted.toMSecsSinceEpoch() : NoTime;
}

QString wantedTimeText(qint64 time) {
    if (time == NoTime)
        return QString();
    return QDateTime::fromMSecsSinceEpoch(time, Qt::LocalTime)
        .toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz"));
}

} // namespace Orvik
