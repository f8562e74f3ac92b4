#include "core/time/linetimes.h"

#include <QtTest>

#include <time.h>

using namespace Orvik;

namespace {

const QDateTime Stamp = QDateTime::fromString("2026-12-08T20:00:00", Qt::ISODate);

qint64 utc(const char *iso) {
    return QDateTime::fromString(QString::fromLatin1(iso), Qt::ISODateWithMs).toMSecsSinceEpoch();
}

// A log of `lines` lines: ISO local times from before spring's change of daylight saving,
// mostly rising by 1.5 s, some a little out of order, a jump of the clock by years and back,
// and a stack trace of three lines every 1000th line (one across the first block boundary).
QByteArray sampleLog(int lines) {
    QByteArray text = "started\n";
    qint64 t = utc("2026-03-29T00:58:00Z");
    int count = 1; // lines of the text, each ended
    for (int n = 1; count < lines; ++n, ++count) {
        t += 1500;
        qint64 written = n % 97 == 0 ? t - 4000 : n == 3000 ? t + 5LL * 365 * 86400000 : t;
        text += QDateTime::fromMSecsSinceEpoch(written, Qt::LocalTime)
                    .toString(n % 2 ? "yyyy-MM-dd HH:mm:ss.zzz" : "yyyy-MM-ddTHH:mm:ss,zzz")
                    .toLatin1() +
                " worker: line " + QByteArray::number(n) + "\n";
        if (n % 1000 == 0 || n == 2726) {
            text += "  at a.b(C.java:1)\n  at d.e(F.java:2)\n  at g.h(I.java:3)\n";
            count += 3;
        }
    }
    return text + "2026-03-29 05:00:00.000 unfinished";
}

// What the index must hold: each line's own time, or the one before it.
QVector<qint64> expectedTimes(const QByteArray &text) {
    const TimeForm form = TimeForm::detect(text.constData(), text.size(), Stamp);
    QVector<qint64> times;
    qint64 carry = NoTime;
    for (const QByteArray &line : text.split('\n')) {
        const qint64 t = form.parse(line.constData(), line.size());
        times.append(carry = t == NoTime ? carry : t);
    }
    return times;
}

SharedLineTimes build(const QByteArray &text, const QList<qint64> &ends) {
    SharedLineTimes times;
    for (qint64 end : ends) {
        LineTimesBuilder builder = times ? LineTimesBuilder(times, Stamp) : LineTimesBuilder(Stamp);
        builder.extend(text.constData(), end);
        times = builder.finish();
    }
    return times;
}

} // namespace

// The index of one time per line: built at once or over appends it is the same, lookups go by
// the running maximum of the times.
class tst_LineTimes : public QObject {
    Q_OBJECT

private slots:
    void appendsEqualOneBuild_data() {
        QTest::addColumn<int>("step");
        QTest::newRow("one build") << 0;
        QTest::newRow("appends of 4 KiB") << 4096;
        QTest::newRow("appends of 37 bytes") << 37;
        QTest::newRow("appends of 100 KiB") << 100 * 1024;
    }
    void appendsEqualOneBuild() {
        QFETCH(int, step);
        const QByteArray text = sampleLog(10000);
        QList<qint64> ends;
        for (qint64 end = step; step && end < text.size(); end += step)
            ends.append(end);
        ends.append(text.size());
        const SharedLineTimes times = build(text, ends);
        const QVector<qint64> expected = expectedTimes(text);
        QCOMPARE(times->form().kind(), TimeForm::Kind::Iso);
        QVERIFY(times->hasTimes());
        QCOMPARE(times->lineCount(), qint64(expected.size()));
        for (int line = 0; line < expected.size(); ++line)
            if (times->timeOf(line) != expected[line])
                QFAIL(qPrintable(QString("line %1: %2, not %3")
                                     .arg(line)
                                     .arg(times->timeOf(line))
                                     .arg(expected[line])));
        QCOMPARE(times->timeOf(0), NoTime);
        QCOMPARE(times->timeOf(expected.size()), NoTime);
    }

    void timeSplitAcrossWrites_data() {
        QTest::addColumn<int>("cut");
        const QByteArray line = "2026-12-08T13:58:42.803Z last";
        for (int cut = 0; cut <= line.size(); cut += 3)
            QTest::addRow("cut after %d bytes", cut) << cut;
    }
    void timeSplitAcrossWrites() {
        QFETCH(int, cut);
        const QByteArray head = "2026-12-08T13:58:40.000Z first\n";
        const QByteArray text = head + "2026-12-08T13:58:42.803Z last\n";
        const SharedLineTimes times = build(text, {head.size() + cut, text.size()});
        QCOMPARE(times->lineCount(), 3);
        QCOMPARE(times->timeOf(1), utc("2026-12-08T13:58:42.803Z"));
        QCOMPARE(times->timeOf(2), utc("2026-12-08T13:58:42.803Z"));
    }

    void firstLinesDecideTheForm_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<bool>("hasTimes");
        QByteArray numbered;
        for (int n = 0; n < 300; ++n)
            numbered += QByteArray::number(n) + " 2026-12-08T13:58:42Z\n";
        QTest::newRow("numbered lines") << numbered << false;
        QTest::newRow("times after a header") << QByteArray("# header\n12 items\n"
                                                            "2026-12-08T13:58:42Z a\n"
                                                            "2026-12-08T13:58:43Z b\n")
                                              << true;
        QTest::newRow("no text at all") << QByteArray() << false;
    }
    void firstLinesDecideTheForm() {
        QFETCH(QByteArray, text);
        QFETCH(bool, hasTimes);
        QList<qint64> lineEnds;
        for (int at = text.indexOf('\n'); at >= 0; at = text.indexOf('\n', at + 1))
            lineEnds.append(at + 1);
        if (lineEnds.isEmpty())
            lineEnds.append(text.size());
        for (const SharedLineTimes &times : {build(text, {text.size()}), build(text, lineEnds)}) {
            QCOMPARE(times->hasTimes(), hasTimes);
            QCOMPARE(times->lineCount(), text.count('\n') + 1);
        }
        if (text.isEmpty()) { // as an empty view hands it over: no bytes anywhere
            LineTimesBuilder builder(Stamp);
            builder.extend(nullptr, 0);
            QCOMPARE(builder.finish()->lineCount(), 1);
        }
    }

    void replacementIsBuiltAfresh() {
        const QByteArray before = "Dec  8 13:58:42 h a: x\n";
        const QByteArray after = "2026-12-08T10:00:00Z new\n";
        build(before, {before.size()});
        const SharedLineTimes times = build(after, {after.size()});
        QCOMPARE(times->form().kind(), TimeForm::Kind::Iso);
        QCOMPARE(times->timeOf(0), utc("2026-12-08T10:00:00Z"));
    }

    void lookups_data() {
        QTest::addColumn<qint64>("time");
        QTest::addColumn<qint64>("firstAtOrAfter");
        QTest::addColumn<qint64>("lastAtOrBefore");
        // lines: 0 none, 1 :10, 2 :20, 3 :15 (out of order), 4 continuation, 5 :30, 6 empty
        QTest::newRow("before all") << utc("2026-12-08T13:00:05Z") << 1LL << -1LL;
        QTest::newRow("exact") << utc("2026-12-08T13:00:10Z") << 1LL << 1LL;
        QTest::newRow("between") << utc("2026-12-08T13:00:12Z") << 2LL << 1LL;
        QTest::newRow("a time out of order goes by the greatest before it")
            << utc("2026-12-08T13:00:15Z") << 2LL << 1LL;
        QTest::newRow("continuation lines are at their time")
            << utc("2026-12-08T13:00:20Z") << 2LL << 4LL;
        QTest::newRow("after all") << utc("2026-12-08T13:00:40Z") << 7LL << 6LL;
    }
    void lookups() {
        QFETCH(qint64, time);
        QFETCH(qint64, firstAtOrAfter);
        QFETCH(qint64, lastAtOrBefore);
        const QByteArray text = "header\n2026-12-08T13:00:10Z a\n2026-12-08T13:00:20Z b\n"
                                "2026-12-08T13:00:15Z c\n  more\n2026-12-08T13:00:30Z d\n";
        const SharedLineTimes times = build(text, {text.size()});
        QCOMPARE(times->firstAtOrAfter(time), firstAtOrAfter);
        QCOMPARE(times->lastAtOrBefore(time), lastAtOrBefore);
    }

    void compact() {
        const QByteArray text = sampleLog(100000);
        const SharedLineTimes times = build(text, {text.size()});
        QVERIFY2(times->memoryUsage() < 4 * times->lineCount(),
                 qPrintable(QString::number(times->memoryUsage())));
        QCOMPARE(times->timeOf(99999), expectedTimes(text)[99999]);
    }
};

int main(int argc, char **argv) {
    qputenv("TZ", "Europe/Berlin");
    tzset();
    QCoreApplication app(argc, argv);
    tst_LineTimes test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_linetimes.moc"
