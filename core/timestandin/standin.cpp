// TEMPORARY: a plain stand-in for the line times library, to be deleted.
#include "core/time/linetimes.h"

#include <QRegularExpression>
#include <QTimeZone>

#include <vector>

namespace Orvik {

namespace {
qint64 isoAt(const char *p, qint64 n) {
    if (n < 19)
        return NoTime;
    const QString s = QString::fromLatin1(p, int(qMin<qint64>(n, 40)));
    static const QRegularExpression re(QStringLiteral(
        R"(^(\d{4}-\d\d-\d\d)[T ](\d\d:\d\d:\d\d)(?:[.,](\d{1,9}))?(Z|[+-]\d\d:?\d\d)?)"));
    const auto m = re.match(s);
    if (!m.hasMatch())
        return NoTime;
    QDateTime t = QDateTime::fromString(m.captured(1) + 'T' + m.captured(2), Qt::ISODate);
    if (!t.isValid())
        return NoTime;
    qint64 ms = 0;
    if (!m.captured(3).isEmpty())
        ms = (m.captured(3) + "00").left(3).toLongLong();
    const QString zone = m.captured(4);
    if (zone == "Z")
        t.setTimeSpec(Qt::UTC);
    else if (!zone.isEmpty()) {
        const int sign = zone[0] == '-' ? -1 : 1;
        const QString z = QString(zone).remove(':');
        t.setOffsetFromUtc(sign * (z.mid(1, 2).toInt() * 3600 + z.mid(3, 2).toInt() * 60));
    }
    return t.toMSecsSinceEpoch() + ms;
}
} // namespace

TimeForm TimeForm::detect(const char *, qint64, const QDateTime &stamp) {
    TimeForm form;
    form.m_kind = Kind::Iso;
    form.m_stamp = stamp;
    return form;
}

qint64 TimeForm::parse(const char *line, qint64 length) const {
    return isoAt(line, length);
}

namespace {
class VectorTimes : public LineTimes {
public:
    std::vector<qint64> times;
    bool any = false;
    qint64 finishedBytes = 0; // after the last line feed
    TimeForm form() const override { return TimeForm(); }
    qint64 lineCount() const override { return qint64(times.size()); }
    bool hasTimes() const override { return any; }
    qint64 timeOf(qint64 line) const override {
        return line >= 0 && line < lineCount() ? times[size_t(line)] : NoTime;
    }
    qint64 firstAtOrAfter(qint64 time) const override {
        for (qint64 i = 0; i < lineCount(); ++i)
            if (times[size_t(i)] != NoTime && times[size_t(i)] >= time)
                return i;
        return lineCount();
    }
    qint64 lastAtOrBefore(qint64 time) const override {
        for (qint64 i = lineCount() - 1; i >= 0; --i)
            if (times[size_t(i)] != NoTime && times[size_t(i)] <= time)
                return i;
        return -1;
    }
    qint64 memoryUsage() const override { return qint64(times.size() * 8); }
};
} // namespace

class LineTimesBuilder::Private {
public:
    std::vector<qint64> times; // finished lines
    qint64 finishedBytes = 0;
    qint64 last = NoTime;
    const char *data = nullptr;
    qint64 size = 0;
};

LineTimesBuilder::LineTimesBuilder(const QDateTime &)
    : d(std::make_unique<Private>()) {}

LineTimesBuilder::LineTimesBuilder(const SharedLineTimes &previous, const QDateTime &)
    : d(std::make_unique<Private>()) {
    if (auto *v = dynamic_cast<const VectorTimes *>(previous.get())) {
        d->times.assign(v->times.begin(), v->times.end() - 1);
        d->finishedBytes = v->finishedBytes;
        d->last = d->times.empty() ? NoTime : d->times.back();
    }
}

LineTimesBuilder::~LineTimesBuilder() = default;

void LineTimesBuilder::extend(const char *data, qint64 size) {
    d->data = data;
    d->size = size;
    for (qint64 i = d->finishedBytes; i < size; ++i) {
        if (data[i] != '\n')
            continue;
        const qint64 t = isoAt(data + d->finishedBytes, i - d->finishedBytes);
        if (t != NoTime)
            d->last = t;
        d->times.push_back(d->last);
        d->finishedBytes = i + 1;
    }
}

SharedLineTimes LineTimesBuilder::finish() {
    auto v = std::make_shared<VectorTimes>();
    v->times = d->times;
    qint64 t = d->data ? isoAt(d->data + d->finishedBytes, d->size - d->finishedBytes) : NoTime;
    v->times.push_back(t != NoTime ? t : d->last);
    v->finishedBytes = d->finishedBytes;
    for (qint64 x : v->times)
        v->any = v->any || x != NoTime;
    return v;
}

qint64 parseWantedTime(const QString &text, qint64 reference) {
    QString s = text.trimmed();
    if (QRegularExpression(QStringLiteral(R"(^\d\d:\d\d(:\d\d([.,]\d+)?)?$)"))
            .match(s)
            .hasMatch()) {
        const QDateTime ref = QDateTime::fromMSecsSinceEpoch(reference);
        s = ref.date().toString(Qt::ISODate) + ' ' + s;
    }
    if (s.length() == 16)
        s += ":00";
    const QByteArray b = s.toLatin1();
    return isoAt(b.constData(), b.size());
}

QString wantedTimeText(qint64 time) {
    return QDateTime::fromMSecsSinceEpoch(time).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz"));
}

} // namespace Orvik
