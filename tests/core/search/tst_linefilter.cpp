#include "core/search/filterscan.h"
#include "core/search/linefilter.h"
#include "core/search/matchindex.h"

#include <QElapsedTimer>
#include <QtTest>

using namespace Orvik;

using Kind = LineFilter::Kind;

// Which lines a filter matches, plain or as a regular expression; the match ranges of the
// expression engine; the compact index of matching lines; the scan on a worker thread.
class tst_LineFilter : public QObject {
    Q_OBJECT
    using Row = std::tuple<QByteArray, QString, bool, Kind, QString>; // text, filter, case, kind,
                                                                      // matching line numbers

    static QString lineNumbers(const QByteArray &text, const std::vector<qint64> &starts) {
        QStringList numbers;
        for (qint64 start : starts)
            numbers << QString::number(text.left(start).count('\n') + 1);
        return numbers.join(',');
    }

    // Takes from the scan, waiting on its notifications only, until it has ended.
    static FilterScan::Found drain(FilterScan &scan, std::mutex &mutex,
                                   std::condition_variable &wake, int &notes) {
        FilterScan::Found all;
        for (;;) {
            {
                std::unique_lock<std::mutex> lock(mutex);
                wake.wait(lock, [&] { return notes > 0; });
                notes = 0;
            }
            FilterScan::Found found = scan.take();
            all.lineStarts.insert(all.lineStarts.end(), found.lineStarts.begin(),
                                  found.lineStarts.end());
            all.tooComplexAt = found.tooComplexAt;
            all.lastLine = found.lastLine;
            if (!found.running)
                return all;
        }
    }

private slots:
    void matching_data() {
        QTest::addColumn<Row>("row");
        const Kind P = Kind::Plain, R = Kind::RegularExpression;
        QTest::newRow("plain folds ASCII case")
            << Row{"Error\nok\nERROR x\n", "error", false, P, "1,3"};
        QTest::newRow("plain folds other letters") << Row{"\xc3\x89"
                                                          "CHEC\nechec\n\xc3\xa9"
                                                          "chec",
                                                          "\xc3\xa9"
                                                          "chec",
                                                          false, P, "1,3"};
        QTest::newRow("match case compares bytes") << Row{"Error\nerror\n", "error", true, P, "2"};
        QTest::newRow("blanks match exactly") << Row{"a  b\nab\n", "  ", false, P, "1"};
        QTest::newRow("last line without a line break")
            << Row{"a\nb error", "error", false, P, "2"};
        QTest::newRow("a line counts once")
            << Row{"error error\nx\nerror\n", "error", false, P, "1,3"};
        QTest::newRow("a line break matches nothing") << Row{"a\nb\n", "a\nb", false, P, ""};
        QTest::newRow("empty filter matches nothing") << Row{"a\nb\n", "", false, P, ""};
        QTest::newRow("regex folds case")
            << Row{"WARN timeout\nwarn\n", "warn.*timeout", false, R, "1"};
        QTest::newRow("regex with match case")
            << Row{"ERROR\nerror\nWARN: timeout\n", "ERROR|WARN.*timeout", true, R, "1,3"};
        QTest::newRow("regex anchors at line ends, CR LF too")
            << Row{"ab\r\nb\nxab\nab", "^ab$", false, R, "1,4"};
        QTest::newRow("regex stays in its line") << Row{"a\nb\n", "a\\sb", false, R, ""};
        QTest::newRow("regex matches empty lines, not the end")
            << Row{"a\n\nb\n", "^$", false, R, "2"};
        QTest::newRow("regex on invalid UTF-8") << Row{"\xff\xfe"
                                                       "error\n\xc3(\n\xc3\xa9t\xc3\xa9\n",
                                                       "error|\xc3\xa9t.$", false, R, "1,3"};
        QTest::newRow("regex matches no character in bytes that are not UTF-8")
            << Row{"\xc3(\n\xc3\xa9\n(\n\xe9\n", "^.$", false, R, "2,3"};
    }
    void matching() {
        QFETCH(Row, row);
        const auto &[text, filterText, matchCase, kind, expected] = row;
        const LineFilter filter(filterText, matchCase, kind);
        std::vector<qint64> starts;
        QCOMPARE(filter.scan(text.constData(), 0, text.size(), starts), qint64(-1));
        QCOMPARE(lineNumbers(text, starts), expected);
    }

    void refusedAndHostilePatterns() {
        const LineFilter refused(QStringLiteral("ab("), false, Kind::RegularExpression);
        QVERIFY(!refused.isActive());
        QCOMPARE(refused.errorString(),
                 QStringLiteral("missing closing parenthesis at position 4"));
        // Backtracking without end on a 1 MB line gives up within the match limit.
        const QByteArray text = "ok aaa\n" + QByteArray(1 << 20, 'a') + "!\naaa\n";
        const LineFilter hostile(QStringLiteral("(a+)+$"), false, Kind::RegularExpression);
        std::vector<qint64> starts;
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(hostile.scan(text.constData(), 0, text.size(), starts), qint64(7));
        QVERIFY(clock.elapsed() < 10000);
        QCOMPARE(lineNumbers(text, starts), QStringLiteral("1"));
    }

    // An unfinished last line that grows is looked at in its new bytes (plain text, with the
    // few before them a match may span) or its last OpenTail bytes (an expression), not whole;
    // once a line feed completes it, plain text still looks at the new bytes only.
    void anAppendToAnOpenLineCostsItsNewBytes_data() {
        QTest::addColumn<QByteArray>("head");
        QTest::addColumn<QString>("filter");
        QTest::addColumn<Kind>("kind");
        QTest::addColumn<QByteArray>("append");
        QTest::addColumn<QString>("matched"); // before and after the append, and completed
        const Kind P = Kind::Plain, R = Kind::RegularExpression;
        const QByteArray far(1 << 20, 'x');
        QTest::newRow("plain text across the old end")
            << far + "ER"
            << "error" << P << QByteArray("ror tail") << "011";
        QTest::newRow("plain text found before stays found")
            << "error" + far << "error" << P << QByteArray("yy") << "111";
        QTest::newRow("plain text beyond ASCII across the old end")
            << far + "\xc3"
            << "\xc3\xa9t\xc3\xa9" << P << QByteArray("\x89T\xc3\x89") << "011";
        QTest::newRow("an expression over the tail only, the whole line once complete")
            << "ERROR " + far << "^ERROR" << R << QByteArray("x") << "001";
        QTest::newRow("an expression that stops matching")
            << far + "done"
            << "done$" << R << QByteArray(" more") << "100";
    }
    void anAppendToAnOpenLineCostsItsNewBytes() {
        QFETCH(QByteArray, head);
        QFETCH(QString, filter);
        QFETCH(Kind, kind);
        QFETCH(QByteArray, append);
        QFETCH(QString, matched);
        const LineFilter f(filter, false, kind);
        const qint64 most = kind == Kind::Plain ? append.size() + 4 * filter.toUtf8().size()
                                                : LineFilter::OpenTail + append.size();
        LineFilter::OpenLine open;
        QCOMPARE(f.scanOpenLine(head.constData(), 0, head.size(), open), qint64(-1));
        QString seen = QString::number(open.matched);
        QByteArray text = head + append;
        quint64 before = LineFilter::bytesScanned();
        QCOMPARE(f.scanOpenLine(text.constData(), 0, text.size(), open), qint64(-1));
        QVERIFY(LineFilter::bytesScanned() - before <= quint64(most));
        seen += QString::number(open.matched);
        text += "\n";
        std::vector<qint64> starts;
        before = LineFilter::bytesScanned();
        QCOMPARE(f.scanGrown(text.constData(), 0, text.size(), open, starts), qint64(-1));
        if (kind == Kind::Plain)
            QVERIFY(LineFilter::bytesScanned() - before <= quint64(most));
        seen += QString::number(!starts.empty());
        QCOMPARE(seen, matched);
    }

    // A cancel, a new scan or the end of the object is seen between the lines an expression
    // tries, however large the slices.
    void aScanStopsBetweenLines_data() {
        QTest::addColumn<int>("how");
        QTest::newRow("cancelled") << 0;
        QTest::newRow("started anew") << 1;
        QTest::newRow("destroyed") << 2;
    }
    void aScanStopsBetweenLines() {
        QFETCH(int, how);
        // A millisecond or so of the engine a line, well under its limit.
        const QByteArray slow = QByteArray(QByteArray(24, 'a') + "\n").repeated(3000);
        const LineFilter filter(QStringLiteral("^(a|aa)*[bc]$"), true, Kind::RegularExpression);
        auto scan = std::make_unique<FilterScan>([] {});
        scan->setSliceBytes(qint64(1) << 30);
        const quint64 before = RegexMatcher::searchCount();
        scan->start(filter, Contents::fromByteArray(slow), 0, slow.size());
        QTRY_VERIFY(RegexMatcher::searchCount() - before >= 3);
        const quint64 stopped = RegexMatcher::searchCount();
        if (how == 0)
            scan->cancel();
        else if (how == 1)
            scan->start(LineFilter(QStringLiteral("x"), false, Kind::Plain),
                        Contents::fromByteArray("x\n"), 0, 2);
        scan.reset();
        QVERIFY(RegexMatcher::searchCount() - stopped <= 2);
    }

    void matchRangesForColouring() {
        using Ranges = std::vector<std::pair<qint64, qint64>>;
        const auto ranges = [](const QString &pattern, const QByteArray &text) {
            Ranges found;
            RegexMatcher(pattern, false)
                .forEachMatch(text.constData(), text.size(), [&](qint64 at, qint64 n) {
                    found.push_back({at, n});
                });
            return found;
        };
        QCOMPARE(ranges(QStringLiteral("\\d+"), "a1b22\xc3\xa9"
                                                "333"),
                 Ranges({{1, 1}, {3, 2}, {7, 3}}));
        QCOMPARE(ranges(QStringLiteral("x*"), "a\xc3\xa9"), Ranges({{0, 0}, {1, 0}, {3, 0}}));
        QCOMPARE(ranges(QString::fromUtf8("\xc3\x89t\xc3\xa9"), "\xc3\xa9T\xc3\x89"),
                 Ranges({{0, 5}}));
    }

    void indexKeepsStartsInFourBytesALine() {
        MatchIndex index;
        const qint64 far = qint64(3) << 31; // beyond what 32 bits reach from a block's start
        for (qint64 i = 0; i < 100000; ++i)
            index.append(i < 10 ? i * far : 10 * far + i * 100);
        QCOMPARE(index.count(), qint64(100000));
        QCOMPARE(index.at(3), 3 * far);
        QCOMPARE(index.last(), 10 * far + 99999 * 100);
        QCOMPARE(index.at(54321), 10 * far + 54321 * 100);
        QVERIFY(index.memoryUsage() <= 8 * index.count());
        index.clear();
        QVERIFY(index.isEmpty() && index.memoryUsage() == 0);
    }

    // Slices of a few lines; an extension that completes the last line; a new scan that drops
    // the old one; an expression that gives up.
    void scanOnAWorkerMatchesTheScanInOneGo() {
        std::mutex mutex;
        std::condition_variable wake;
        int notes = 0;
        FilterScan scan([&] {
            std::lock_guard<std::mutex> lock(mutex);
            ++notes;
            wake.notify_all();
        });
        scan.setSliceBytes(40);
        QByteArray bytes;
        for (int i = 0; i < 500; ++i)
            bytes += QByteArray::number(i) + (i % 7 ? " ok\n" : " error\n");
        bytes += "partial err";
        const LineFilter filter(QStringLiteral("ERR"), false, Kind::Plain);
        std::vector<qint64> expected;
        filter.scan(bytes.constData(), 0, bytes.lastIndexOf('\n') + 1, expected);
        Contents text = Contents::fromByteArray(bytes);
        scan.start(filter, text, 0, bytes.lastIndexOf('\n') + 1);
        FilterScan::Found found = drain(scan, mutex, wake, notes);
        QVERIFY(found.lineStarts == expected);
        QCOMPARE(found.lastLine, bytes.lastIndexOf('\n') + 1);

        text.append("or\nmore\n", 8);
        scan.extend(text, text.size());
        found = drain(scan, mutex, wake, notes);
        QVERIFY(found.lineStarts == std::vector<qint64>{bytes.lastIndexOf('\n') + 1});
        QCOMPARE(found.lastLine, qint64(-1));

        scan.start(LineFilter(QStringLiteral("(o+)+$"), false, Kind::RegularExpression), text, 0,
                   text.size());
        scan.start(LineFilter(QStringLiteral("^4\\d\\b"), true, Kind::RegularExpression), text, 0,
                   text.size());
        QCOMPARE(drain(scan, mutex, wake, notes).lineStarts.size(), size_t(10));
        const QByteArray hostile = QByteArray(1 << 18, 'a') + "!\n";
        scan.start(LineFilter(QStringLiteral("(a+)+$"), false, Kind::RegularExpression),
                   Contents::fromByteArray(hostile), 0, hostile.size());
        QCOMPARE(drain(scan, mutex, wake, notes).tooComplexAt, qint64(0));
    }
};

QTEST_GUILESS_MAIN(tst_LineFilter)
#include "tst_linefilter.moc"
