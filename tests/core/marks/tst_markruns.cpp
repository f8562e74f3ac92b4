#include "core/marks/markruns.h"
#include "core/search/highlightsearch.h"

#include <QtTest>

using namespace Orvik;

using Ranges = std::vector<std::pair<qint64, qint64>>; // start, end
Q_DECLARE_METATYPE(Ranges)

// Marked ranges held compactly: merging as they are added, taken over in bulk, found again
// from any offset, united and moved; and what a mark costs.
class tst_MarkRuns : public QObject {
    Q_OBJECT

    static MarkRuns of(const Ranges &ranges) {
        MarkRuns runs;
        for (const auto &[start, end] : ranges)
            runs.add(start, end);
        return runs;
    }
    static Ranges from(const MarkRuns &runs, qint64 offset = 0) {
        Ranges list;
        for (MarkRuns::Cursor c(runs, offset); !c.atEnd(); c.next())
            list.push_back({c.range().start, c.range().end});
        return list;
    }
    // Ranges of 5 bytes, one every 80 bytes (a mark on every line of a log).
    static Ranges everyLine(qint64 lines, qint64 first = 0) {
        Ranges list;
        for (qint64 i = first; i < first + lines; ++i)
            list.push_back({i * 80 + 3, i * 80 + 8});
        return list;
    }

private slots:
    void rangesAreMergedAndFoundAgain_data() {
        QTest::addColumn<Ranges>("added");
        QTest::addColumn<int>("split"); // the first `split` added, the rest appended as a set
        QTest::addColumn<Ranges>("expected");
        QTest::newRow("overlapping matches merge")
            << Ranges{{0, 2}, {1, 3}, {2, 4}, {9, 10}} << 4 << Ranges{{0, 4}, {9, 10}};
        QTest::newRow("touching ranges merge, empty ones vanish")
            << Ranges{{0, 5}, {5, 10}, {12, 12}, {20, 25}} << 4 << Ranges{{0, 10}, {20, 25}};
        QTest::newRow("a set appended clear of the last range")
            << Ranges{{0, 5}, {100, 105}, {200, 205}, {300000, 300005}} << 1
            << Ranges{{0, 5}, {100, 105}, {200, 205}, {300000, 300005}};
        QTest::newRow("a set appended over the last range")
            << Ranges{{0, 5}, {100, 105}, {103, 110}, {200, 205}} << 2
            << Ranges{{0, 5}, {100, 110}, {200, 205}};
        Ranges many = everyLine(1000);
        QTest::newRow("a large set appended to a large set") << many << 300 << many;
    }
    void rangesAreMergedAndFoundAgain() {
        QFETCH(Ranges, added);
        QFETCH(int, split);
        QFETCH(Ranges, expected);
        MarkRuns runs = of(Ranges(added.begin(), added.begin() + split));
        runs.append(of(Ranges(added.begin() + split, added.end())));
        QCOMPARE(from(runs), expected);
        QCOMPARE(runs.count(), qint64(expected.size()));
        // From any offset: the ranges that end after it.
        for (qint64 offset : {qint64(0), expected[expected.size() / 2].first + 1,
                              expected.back().second - 1, expected.back().second}) {
            Ranges after;
            for (const auto &r : expected)
                if (r.second > offset)
                    after.push_back(r);
            QCOMPARE(from(runs, offset), after);
        }
        // Cut at any offset: what lies before it stays, and ranges added later follow on.
        for (qint64 at :
             {qint64(0), expected.front().first + 1, expected[expected.size() / 2].first,
              expected[expected.size() / 2].first + 1, expected.back().second - 1}) {
            Ranges before;
            for (const auto &r : expected)
                if (r.first < at)
                    before.push_back({r.first, qMin(r.second, at)});
            before.push_back({at + 1000000, at + 1000005});
            MarkRuns cut = runs;
            cut.truncate(at);
            cut.add(at + 1000000, at + 1000005);
            QCOMPARE(from(cut), before);
            QCOMPARE(cut.count(), qint64(before.size()));
            QCOMPARE(from(cut, at + 1000001), Ranges(1, before.back()));
        }
    }

    void unitedAndReplaced() {
        const MarkRuns a = of({{0, 4}, {10, 14}, {30, 34}});
        const MarkRuns b = of({{2, 6}, {20, 24}, {34, 40}});
        QCOMPARE(from(MarkRuns::united(a, b)), (Ranges{{0, 6}, {10, 14}, {20, 24}, {30, 40}}));
        // [11, 21) becomes two bytes: what it cut is gone, what follows moves back.
        QCOMPARE(from(MarkRuns::united(a, b).replaced(11, 10, 2)),
                 (Ranges{{0, 6}, {10, 11}, {13, 16}, {22, 32}}));
    }

    // A mark on every line: a few bytes a mark, whether built in one go or appended to.
    void aMarkOnEveryLineIsCheap() {
        const qint64 lines = 200000;
        MarkRuns runs = of(everyLine(lines / 2));
        runs.append(of(everyLine(lines / 2, lines / 2)));
        runs.squeeze();
        QCOMPARE(runs.count(), lines);
        QVERIFY2(runs.memoryUsage() <= 4 * lines, qPrintable(QString::number(runs.memoryUsage())));
        QCOMPARE(from(runs, 80 * 150000).front(),
                 std::make_pair(qint64(80 * 150000 + 3), qint64(80 * 150000 + 8)));
    }

    // The highlight search collects into marks a few megabytes at a time: a match across the
    // seam of two stretches is found once, and a set cancel stops it.
    void collectedMatchesCrossStretches() {
        QByteArray text(9 << 20, '.');
        for (qint64 at : {qint64(0), qint64(4 << 20) - 2, qint64(8 << 20) + 7})
            text.replace(at, 5, "ERROR");
        const HighlightSearch search(QStringLiteral("error"));
        MarkRuns marks;
        QVERIFY(search.collect(text.constData(), text.size(), 100, marks));
        QCOMPARE(from(marks), (Ranges{{100, 105},
                                      {(4 << 20) + 98, (4 << 20) + 103},
                                      {(8 << 20) + 107, (8 << 20) + 112}}));
        const std::atomic<bool> cancel{true};
        MarkRuns none;
        QVERIFY(!search.collect(text.constData(), text.size(), 0, none, &cancel));
    }
};

QTEST_GUILESS_MAIN(tst_MarkRuns)
#include "tst_markruns.moc"
