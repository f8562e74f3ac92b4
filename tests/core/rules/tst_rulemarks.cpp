#include "core/marks/markruns.h"
#include "core/rules/rulemarks.h"
#include "core/rules/rulesearch.h"
#include "core/rules/ruleset.h"

#include <QRandomGenerator>
#include <QtTest>

#include <algorithm>

using namespace Orvik;

// Rules of plain text are found together in one sweep where the machine can: each rule's
// marks must be exactly those its own search finds, in any mix of rules.
class tst_RuleMarks : public QObject {
    Q_OBJECT

    // Log-like lines built from the rules' texts in varied case, run together, split and
    // overlapping, with a few bytes that are not UTF-8; the last line unfinished.
    static QByteArray text() {
        const QList<QByteArray> pieces{"ERROR",
                                       "error",
                                       "Err",
                                       "OR",
                                       "WARN",
                                       "warn:",
                                       "aaaa",
                                       "a",
                                       "id=7",
                                       "ID=7",
                                       " ",
                                       "\n",
                                       "\xc3\xa9"
                                       "chec",
                                       "\xff",
                                       "\r\n",
                                       "42",
                                       "worker-3",
                                       "x-4"};
        QRandomGenerator random(7);
        QByteArray text;
        while (text.size() < 400'000)
            text += pieces[random.bounded(int(pieces.size()))];
        return text + "ERROR";
    }

    static std::vector<HighlightRule> rulesFrom(const QStringList &lines) {
        std::vector<HighlightRule> rules;
        for (const QString &line : lines)
            rules.push_back(*HighlightRule::fromText(line));
        return rules;
    }

    static std::vector<MarkRuns::Range> ranges(const MarkRuns &runs) {
        std::vector<MarkRuns::Range> list;
        for (MarkRuns::Cursor c(runs); !c.atEnd(); c.next())
            list.push_back(c.range());
        return list;
    }

private slots:
    void sweepFindsWhatEachRuleFinds_data() {
        QTest::addColumn<QStringList>("rules");
        QTest::addColumn<qint64>("kept");
        QTest::addColumn<bool>("swept"); // where the machine sweeps
        const QStringList plain{"\"error\",0,0,#0000ff,0,0", "\"WARN\",1,0,#00ff00,0,0",
                                "\"aa\",0,0,#ff0000,0,0", "\"worker-3\",0,0,#ff00ff,0,0"};
        QTest::newRow("plain texts, folded and matched by case, overlapping")
            << plain << qint64(0) << true;
        QTest::newRow("only the marks after what was kept") << plain << qint64(123'457) << true;
        QTest::newRow("whole lines among texts")
            << QStringList{"\"err\",0,0,#0000ff,1,0", "\"ID=7\",1,0,#00ff00,1,0",
                           "\"a\",0,0,#ff0000,0,0"}
            << qint64(0) << true;
        QTest::newRow("beside an expression and a text beyond ASCII")
            << QStringList{"\"id=\\\\d\",0,1,#0000ff,0,0",
                           "\"\xc3\x89"
                           "CHEC\",0,0,#00ff00,0,0",
                           "\"OR\",1,0,#ff0000,0,0", "\"x-4\",0,0,#ff00ff,1,0",
                           "\"\xc3\xa9\",1,0,#00ffff,0,0"}
            << qint64(0) << true;
        QTest::newRow("one text alone is not swept")
            << QStringList{"\"error\",0,0,#0000ff,0,0", "\"w.*\",0,1,#00ff00,0,0"} << qint64(0)
            << false;
    }

    void sweepFindsWhatEachRuleFinds() {
        QFETCH(QStringList, rules);
        QFETCH(qint64, kept);
        QFETCH(bool, swept);
        const RuleSet set(rulesFrom(rules));
        QCOMPARE(set.literals() != nullptr, swept && LiteralSet::isAvailable());
        const QByteArray bytes = text();
        RuleMarks marks;
        QVERIFY(marks.collect(set, bytes.constData(), bytes.size(), kept));
        QCOMPARE(marks.layers.size(), size_t(rules.size()));
        // An append's marks replace those from the start of the line it continues.
        const qint64 from = kept > 0 ? bytes.lastIndexOf('\n', kept - 1) + 1 : 0;
        QCOMPARE(marks.from, from);
        for (size_t i = 0; i < marks.layers.size(); ++i) {
            MarkRuns own;
            set.searches()[i].collect(bytes.constData(), from, bytes.size(), from, own);
            QVERIFY2(!own.isEmpty(), qPrintable(rules[int(i)]));
            QVERIFY2(ranges(marks.layers[i]) == ranges(own), qPrintable(rules[int(i)]));
        }
    }

    // An append to an unfinished line looks again at no more than OpenLineReach bytes of it,
    // however long it is; its start, carried from the append before, places whole-line marks.
    void appendLooksBackNoFurtherThanTheReach_data() {
        QTest::addColumn<QString>("rule");
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<qint64>("kept");
        QTest::addColumn<qint64>("openStart"); // as the append before left it
        QTest::addColumn<qint64>("from");      // expected, and the start of the one mark
        QTest::addColumn<qint64>("markStart");
        const qint64 reach = RuleMarks::OpenLineReach;
        const QByteArray line = "a\n" + QByteArray(3 * reach, 'x') + "ERROR";
        const qint64 kept = line.size() - 3;
        QTest::newRow("an expression over a long line")
            << "\"x+ERROR\",1,1,#0000ff,0,0" << line << kept << qint64(2) << kept - reach
            << kept - reach;
        QTest::newRow("a whole-line mark from the line's start")
            << "\"x+ERROR\",1,1,#0000ff,1,0" << line << kept << qint64(2) << kept - reach
            << qint64(2);
        QTest::newRow("a line start not known is looked for within the reach")
            << "\"ERROR\",1,0,#0000ff,1,0" << line << kept << qint64(-1) << kept - reach
            << kept - reach;
        QTest::newRow("a short line is looked at whole")
            << "\"x+ERROR\",1,1,#0000ff,0,0" << line.right(100) << qint64(97) << qint64(-1)
            << qint64(0) << qint64(0);
    }
    void appendLooksBackNoFurtherThanTheReach() {
        QFETCH(QString, rule);
        QFETCH(QByteArray, text);
        QFETCH(qint64, kept);
        QFETCH(qint64, openStart);
        QFETCH(qint64, from);
        QFETCH(qint64, markStart);
        const RuleSet set(rulesFrom({rule}));
        RuleMarks marks;
        marks.open.start = openStart;
        QVERIFY(marks.collect(set, text.constData(), text.size(), kept));
        QCOMPARE(marks.from, from);
        QCOMPARE(marks.open.start, openStart < 0 ? from : openStart);
        QCOMPARE(ranges(marks.layers[0]),
                 (std::vector<MarkRuns::Range>{{markStart, qint64(text.size())}}));
    }

    // An expression that gives up on a line spends the match limit on it about once, however
    // many lines come before it, and still finds the matches after it.
    void aHopelessLineCostsTheMatchLimitOnce_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<quint64>("mostGiveUps");
        QTest::addColumn<QByteArray>("marked"); // the texts marked, joined by |
        const QByteArray hopeless = QByteArray(30, 'a') + "!\n";
        const QByteArray lines = QByteArray("b\n").repeated(30);
        QTest::newRow("after many lines") << lines + hopeless + "aa\n"
                                          << "(a+)+$" << quint64(2) << QByteArray("aa");
        QTest::newRow("each later one once") << "aa\n" + lines + hopeless + lines + hopeless + "xa"
                                             << "(a+)+$" << quint64(3) << QByteArray("aa|a");
        QTest::newRow("a match after it may reach into the next line")
            << lines + hopeless + "x\ny\n"
            << "(a+)+$|x\\ny" << quint64(2) << QByteArray("x");
    }

    void aHopelessLineCostsTheMatchLimitOnce() {
        QFETCH(QByteArray, text);
        QFETCH(QString, pattern);
        QFETCH(quint64, mostGiveUps);
        QFETCH(QByteArray, marked);
        HighlightRule rule;
        rule.text = pattern;
        rule.regularExpression = true;
        const RuleSearch search(rule);
        MarkRuns marks;
        const quint64 before = RegexMatcher::tooComplexCount();
        search.collect(text.constData(), 0, text.size(), 0, marks);
        QVERIFY(RegexMatcher::tooComplexCount() - before <= mostGiveUps);
        QByteArrayList found;
        for (const MarkRuns::Range &range : ranges(marks))
            found << text.mid(range.start, range.end - range.start);
        QCOMPARE(found.join('|'), marked);
    }

    // A text too long for one call of the sweep is swept in parts; an occurrence across the
    // end of a part is found once.
    void sweptInPartsFindsEachOccurrenceOnce() {
        if (!LiteralSet::isAvailable())
            QSKIP("no sweeps on this machine");
        const LiteralSet set({{"abcab", true}, {"b", false}, {"CA", true}});
        const QByteArray bytes = "abcabcaB xabcab\nabca";
        auto occurrences = [&](qint64 part) {
            std::vector<std::pair<int, qint64>> found;
            LiteralSet::Scanner scanner(set, part);
            auto onMatch = [&found](int literal, qint64 start) {
                found.push_back({literal, start});
                return true;
            };
            scanner.scan(bytes.constData(), bytes.size(), onMatch);
            std::sort(found.begin(), found.end());
            return found;
        };
        const auto whole = occurrences(LiteralSet::Scanner::DefaultPart);
        QCOMPARE(whole.size(), size_t(12));
        for (const qint64 part : {1, 2, 3, 4, 7})
            QVERIFY(occurrences(part) == whole);
    }
};

QTEST_GUILESS_MAIN(tst_RuleMarks)
#include "tst_rulemarks.moc"
