#include "core/merge/mergedrows.h"

#include <QTest>

using namespace Orvik;

namespace {

// A log's times, one a line, as its index would give them.
class Times : public LineTimes {
public:
    explicit Times(std::vector<qint64> times)
        : m_times(std::move(times)) {}
    TimeForm form() const override { return {}; }
    qint64 lineCount() const override { return qint64(m_times.size()); }
    bool hasTimes() const override { return !m_times.empty(); }
    qint64 timeOf(qint64 line) const override {
        return line >= 0 && line < lineCount() ? m_times[size_t(line)] : NoTime;
    }
    qint64 firstAtOrAfter(qint64) const override { return 0; }
    qint64 lastAtOrBefore(qint64) const override { return -1; }
    qint64 memoryUsage() const override { return 0; }

private:
    std::vector<qint64> m_times;
};

using Logs = QList<QList<qint64>>;

SharedLineTimes timesOf(const QList<qint64> &times, qint64 lines) {
    return std::make_shared<Times>(std::vector<qint64>(times.begin(), times.begin() + lines));
}

// "source:line" for each row.
QStringList rowsOf(const MergedRows &rows) {
    QStringList out;
    for (qint64 r = 0; r < rows.size(); ++r)
        out << QStringLiteral("%1:%2").arg(rows.at(r).source).arg(rows.at(r).line);
    return out;
}

} // namespace

class tst_MergedRows : public QObject {
    Q_OBJECT
private slots:
    // However the logs' lines arrive (all at once, in appends of a few lines, one log taken
    // away and given again), the list is the same, and answers where each line is.
    void orderOfTimes_data() {
        QTest::addColumn<Logs>("logs");
        QTest::addColumn<int>("step");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("equal times: lower log first, then by line")
            << Logs{{5, 5, 9}, {5, 7}} << 1 << QStringList{"0:0", "0:1", "1:0", "1:1", "0:2"};
        QTest::newRow("lines before the first time come first, continuations ride along")
            << Logs{{NoTime, 3, 3, 8}, {1, 4}} << 2
            << QStringList{"0:0", "1:0", "0:1", "0:2", "1:1", "0:3"};
        QTest::newRow("a line older than the one before it goes to its time")
            << Logs{{10, 20, 15, 30}, {12, 18}} << 1
            << QStringList{"0:0", "1:0", "0:2", "1:1", "0:1", "0:3"};
        QList<qint64> many, others;
        QStringList expected;
        for (qint64 i = 0; i < 3 * MergedRows::ChunkRows; ++i) {
            many << 2 * i;
            others << 2 * i + 1;
            expected << QStringLiteral("0:%1").arg(i) << QStringLiteral("1:%1").arg(i);
        }
        QTest::newRow("rows over several chunks") << Logs{many, others} << 1000 << expected;
        QList<qint64> later;
        QStringList laterExpected{"0:0", "0:1"};
        for (qint64 i = 0; i < 3 * MergedRows::ChunkRows + 17; ++i) {
            later << 1000 + i;
            laterExpected << QStringLiteral("1:%1").arg(i);
        }
        QTest::newRow("appends after the last row, more than a chunk has room for")
            << Logs{{1, 2}, later} << 3000 << laterExpected;
        QTest::newRow("appends into the middle of full chunks")
            << Logs{many, others} << 5000 << expected;
        QList<qint64> longer, longerOthers;
        QStringList longerExpected;
        for (qint64 i = 0; i < 300000; ++i) {
            longer << 2 * i;
            longerOthers << 2 * i + 1;
            longerExpected << QStringLiteral("0:%1").arg(i) << QStringLiteral("1:%1").arg(i);
        }
        QTest::newRow("rows over several groups of chunks")
            << Logs{longer, longerOthers} << 70000 << longerExpected;
    }
    void orderOfTimes() {
        QFETCH(Logs, logs);
        QFETCH(int, step);
        QFETCH(QStringList, expected);
        std::vector<MergedRows::Source> sources;
        for (int s = 0; s < logs.size(); ++s)
            sources.push_back({s, timesOf(logs[s], logs[s].size()), logs[s].size()});
        const MergedRows whole = MergedRows::merged(sources);
        QCOMPARE(rowsOf(whole), expected);

        // The logs' lines added a stretch at a time, the logs taking turns.
        MergedRows grown;
        for (qint64 from = 0;; from += step) {
            bool any = false;
            for (int s = 0; s < logs.size(); ++s) {
                const qint64 to = qMin<qint64>(from + step, logs[s].size());
                if (from < to) {
                    grown = grown.withLines(s, timesOf(logs[s], to), from, to);
                    any = true;
                }
            }
            if (!any)
                break;
        }
        QCOMPARE(rowsOf(grown), expected);
        for (qint64 r = 0; r < grown.size(); r += qMax<qint64>(1, grown.size() / 50)) {
            const MergedRows::Row row = grown.at(r);
            QCOMPARE(grown.rowOf(row.source, row.line), r);
        }
        const int last = int(logs.size()) - 1;
        QCOMPARE(grown.without(last).size(), grown.size() - logs[last].size());

        // The first log whole, then the others' lines a stretch at a time among its rows.
        MergedRows among = MergedRows::merged({sources.front()});
        for (int s = 1; s < logs.size(); ++s) {
            for (qint64 from = 0; from < logs[s].size(); from += step) {
                const qint64 to = qMin<qint64>(from + step, logs[s].size());
                among = among.withLines(s, timesOf(logs[s], to), from, to);
            }
        }
        QCOMPARE(rowsOf(among), expected);

        // The first log taken out (a rotation) and merged again.
        const MergedRows without = whole.without(0);
        QCOMPARE(without.rowsOf(0), 0);
        QCOMPARE(without.size(), whole.size() - logs[0].size());
        const MergedRows again =
            without.withLines(0, timesOf(logs[0], logs[0].size()), 0, logs[0].size());
        QCOMPARE(rowsOf(again), expected);

        for (qint64 r = 0; r < whole.size(); r += qMax<qint64>(1, whole.size() / 50)) {
            const MergedRows::Row row = whole.at(r);
            QCOMPARE(whole.rowOf(row.source, row.line), r);
            QCOMPARE(whole.firstAtOrAfter(whole.timeAt(r)) <= r, true);
            QCOMPARE(whole.timeAt(whole.firstAtOrAfter(whole.timeAt(r))), whole.timeAt(r));
        }
        QCOMPARE(whole.firstAtOrAfter(std::numeric_limits<qint64>::max()), whole.size());
    }
};

QTEST_APPLESS_MAIN(tst_MergedRows)
#include "tst_mergedrows.moc"
