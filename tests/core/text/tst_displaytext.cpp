#include "core/search/highlightsearch.h"
#include "core/text/numbertext.h"
#include "core/text/pathtext.h"
#include "core/text/sizetext.h"
#include "core/text/timetext.h"

#include <QRandomGenerator>
#include <QtTest>

#include <cmath>

using namespace Orvik;

using MatchList = std::vector<std::pair<qint64, qint64>>; // offset, length
Q_DECLARE_METATYPE(MatchList)

// The texts the core shows, reads or compares: path comparison, clock, caption date and time,
// size and duration; the number reader with its rounding; the highlight search.
class tst_DisplayText : public QObject {
    Q_OBJECT
    using Num = std::tuple<QString, double, bool>;            // text, value, found
    using Match = std::tuple<QString, QByteArray, MatchList>; // pattern, text, expected

    static MatchList at(std::initializer_list<std::pair<qint64, qint64>> ranges) { return ranges; }
    static MatchList found(const HighlightSearch &search, const QByteArray &text) {
        MatchList list;
        search.forEachMatch(text.constData(), text.size(), [&list](qint64 offset, qint64 length) {
            list.push_back({offset, length});
        });
        return list;
    }

private slots:
    void pathComparison_data() {
        QTest::addColumn<QString>("pair"); // two paths, split at '|'
        QTest::addColumn<bool>("same");
        QTest::newRow("letter case ignored") << "/tmp/Log.txt|/TMP/log.TXT" << true;
        QTest::newRow("non-ASCII case ignored") << "/tmp/\u00e9|/tmp/\u00c9" << true;
        QTest::newRow("blanks at ends ignored") << "  /tmp/a |/tmp/a" << true;
        QTest::newRow("inner blank counts") << "/tmp/a b|/tmp/ab" << false;
        QTest::newRow("tab is not a blank") << "\t/tmp/a|/tmp/a" << false;
    }
    void pathComparison() {
        QFETCH(QString, pair);
        QFETCH(bool, same);
        const QStringList paths = pair.split('|');
        QCOMPARE(pathComparisonForm(paths[0]) == pathComparisonForm(paths[1]), same);
    }

    void clockText_data() {
        QTest::addColumn<QTime>("time");
        QTest::addColumn<QString>("text");
        QTest::newRow("just after midnight reads 12 AM") << QTime(0, 5, 0) << "12:05:00 AM";
        QTest::newRow("morning, two digits") << QTime(9, 3, 7) << "09:03:07 AM";
        QTest::newRow("noon reads 12 PM") << QTime(12, 0, 0) << "12:00:00 PM";
        QTest::newRow("last second") << QTime(23, 59, 59) << "11:59:59 PM";
    }
    void clockText() {
        QFETCH(QTime, time);
        QFETCH(QString, text);
        QCOMPARE(Orvik::clockText(time, QLocale(QLocale::English, QLocale::UnitedStates)), text);
        const QLocale chinese(QLocale::Chinese, QLocale::China); // the locale's designators
        QCOMPARE(Orvik::clockText(time, chinese),
                 text.left(9) + (time.hour() < 12 ? chinese.amText() : chinese.pmText()));
    }

    void dateTimeWithoutZoneAndNumbers() {
        const QLocale us(QLocale::English, QLocale::UnitedStates);
        const QDateTime when(QDate(2026, 12, 4), QTime(15, 52, 10));
        const QString text = generalDateTimeText(when, us);
        QVERIFY2(text.startsWith(us.toString(when.date(), QLocale::ShortFormat) + ' ') &&
                     text.contains("3:52:10") && text.endsWith(us.pmText()),
                 qPrintable(text));
        // Numbers: half to even, then one blank before a non-negative one.
        const std::pair<double, int> cases[] = {{10.5, 10}, {11.5, 12}, {1500.5, 1500},
                                                {0.6, 1},   {-2.5, -2}, {-3.5, -4}};
        for (const auto &[value, rounded] : cases) {
            QCOMPARE(roundHalfEven(value), double(rounded));
            QCOMPARE(roundHalfEvenToInt(value), std::optional<int>(rounded));
        }
        QCOMPARE(roundHalfEvenToInt(2147483647.4), std::optional<int>(2147483647));
        for (const double outOfRange : {2147483648.0, -2147483649.0, std::nan(""), qInf()})
            QVERIFY(!roundHalfEvenToInt(outOfRange));
        QCOMPARE(displayNumber(1000.0) + displayNumber(-0.0) + displayNumber(2.5) + "|" +
                     displayNumber(qint64(-5)) + displayNumber(qint64(0)),
                 QStringLiteral(" 1000 0 2.5|-5 0"));
        QCOMPARE(boolText(true) + boolText(false), QStringLiteral("TrueFalse"));
    }

    void sizeAndDurationText_data() {
        QTest::addColumn<double>("value"); // bytes, or seconds for a duration
        QTest::addColumn<QString>("text");
        QTest::newRow("empty") << 0.0 << "0.0 Bytes";
        QTest::newRow("1023 is still bytes") << 1023.0 << "1023.0 Bytes";
        QTest::newRow("1024 is one kilobyte") << 1024.0 << "1.0 KBytes";
        QTest::newRow("1536 is 1.5 kilobytes") << 1536.0 << "1.5 KBytes";
        QTest::newRow("1048575 rounds to 1024.0 kilobytes") << 1048575.0 << "1024.0 KBytes";
        QTest::newRow("1048576 is one megabyte") << 1048576.0 << "1.0 MBytes";
        QTest::newRow("beyond 4 GiB") << 5.0 * 1024 * 1048576 << "5120.0 MBytes";
        QTest::newRow("duration, two decimals") << 0.05 << "Last Update Took 0.05 Seconds";
        QTest::newRow("duration rounded") << 1.234 << "Last Update Took 1.23 Seconds";
        QTest::newRow("tiny negative duration shows zero")
            << -0.001 << "Last Update Took 0.00 Seconds";
    }
    void sizeAndDurationText() {
        QFETCH(double, value);
        QFETCH(QString, text);
        if (text.startsWith("Last")) {
            QCOMPARE(Orvik::durationText(value, QLocale::c()), text);
        } else { // the locale's decimal point, no grouping
            QCOMPARE(Orvik::sizeText(qint64(value), QLocale::c()), text);
            QCOMPARE(Orvik::sizeText(qint64(value), QLocale(QLocale::German, QLocale::Germany)),
                     QString(text).replace('.', ','));
        }
    }

    void leadingNumber_data() {
        QTest::addColumn<Num>("n");
        QTest::newRow("plain integer") << Num{"1000", 1000.0, true};
        QTest::newRow("letters are no number") << Num{"abc", 0.0, false};
        QTest::newRow("empty text reads 0") << Num{"", 0.0, false};
        QTest::newRow("zero is a number") << Num{"0", 0.0, true};
        QTest::newRow("unit after the digits ends it") << Num{"1000ms", 1000.0, true};
        QTest::newRow("blanks, tabs and line feeds ignored") << Num{" 2 5\t0\n0", 2500.0, true};
        QTest::newRow("carriage return ends it") << Num{"1\r2", 1.0, true};
        QTest::newRow("negative") << Num{"-5", -5.0, true};
        QTest::newRow("sign alone") << Num{"-", 0.0, false};
        QTest::newRow("fraction without leading digit") << Num{".5", 0.5, true};
        QTest::newRow("second point ends it") << Num{"1.2.3", 1.2, true};
        QTest::newRow("exponent E") << Num{"1E3", 1000.0, true};
        QTest::newRow("exponent D") << Num{"2.5d2", 250.0, true};
        QTest::newRow("negative exponent") << Num{"5e-1", 0.5, true};
        QTest::newRow("exponent without digits is dropped") << Num{"7e+x", 7.0, true};
        QTest::newRow("blanks inside exponent ignored") << Num{"1 e 2", 100.0, true};
        QTest::newRow("hexadecimal") << Num{"&H1F4", 500.0, true};
        QTest::newRow("hexadecimal lower case, stops at non-digit") << Num{"&hfg", 15.0, true};
        QTest::newRow("octal stops at 8") << Num{"&o178", 15.0, true};
        QTest::newRow("ampersand alone") << Num{"&", 0.0, false};
        QTest::newRow("non-Latin text stops it") << Num{"12\u00e9", 12.0, true};
        QTest::newRow("too small for a double reads 0")
            << Num{"0." + QString(330, '0') + "1", 0.0, true};
        QTest::newRow("too large despite a negative exponent is infinite")
            << Num{QString(400, '9') + "e-5", qInf(), true};
    }
    void leadingNumber() {
        QFETCH(Num, n);
        const auto &[text, value, found] = n;
        const LeadingNumber read = readLeadingNumber(text);
        QCOMPARE(read.value, value);
        QCOMPARE(read.found, found);
        QCOMPARE(leadingNumberValue(text), value);
    }

    void matches_data() {
        QTest::addColumn<Match>("m");
        QTest::newRow("overlapping") << Match{"aa", "aaaa", {{0, 2}, {1, 2}, {2, 2}}};
        QTest::newRow("letter case") << Match{"ERROR", "error eRrOr", {{0, 5}, {6, 5}}};
        QTest::newRow("non-letters exactly") << Match{"[x]", "{X} [X] `@", {{4, 3}}};
        QTest::newRow("blanks count") << Match{" x ", "x x x ", {{1, 3}, {3, 3}}};
        QTest::newRow("ASCII pattern: no folding beyond") << Match{"e", "\u00e9 E", {{3, 1}}};
        QTest::newRow("non-ASCII pattern folds")
            << Match{"\u00c9CHEC", "\u00e9chec \u00c9CHEC", {{0, 6}, {7, 6}}};
        QTest::newRow("Greek sigma forms")
            << Match{"\u03a3", "\u03c3\u03c2\u03a3", {{0, 2}, {2, 2}, {4, 2}}};
        QTest::newRow("invalid bytes do not stop it")
            << Match{"\u00e9", "\xff\u00e9\u00c9\xc3", {{1, 2}, {3, 2}}};
        QTest::newRow("overlapping non-ASCII")
            << Match{"\u00e9\u00e9", "\u00e9\u00e9\u00c9", {{0, 4}, {2, 4}}};
        QTest::newRow("blank pattern is inactive") << Match{"   ", "a   b", {}};
    }
    void matches() {
        QFETCH(Match, m);
        const auto &[pattern, text, expected] = m;
        const HighlightSearch search(pattern);
        QCOMPARE(search.isActive(), !expected.empty() || !pattern.trimmed().isEmpty());
        QCOMPARE(found(search, text), expected);
    }

    // Random texts over a small alphabet put matches at every position relative to the
    // 16- and 32-byte blocks of the vector scans, near both ends, and overlapping.
    void asciiScanAgreesWithPlainSearch() {
        QRandomGenerator random(42);
        const char alphabet[] = "aAbBeErRoO xXyY[]q{}";
        for (const QByteArray pattern :
             {"a", "ab", "aBa", "ERROR", "x y", "aaaaaaaaaaaaaaaaaaaaa"}) {
            const HighlightSearch search(QString::fromLatin1(pattern));
            for (int round = 0; round < 300; ++round) {
                QByteArray text(int(random.bounded(1, 150)), ' ');
                for (char &c : text)
                    c = alphabet[random.bounded(int(sizeof alphabet - 1))];
                MatchList expected;
                for (qsizetype p = 0; p + pattern.size() <= text.size(); ++p)
                    if (text.mid(p, pattern.size()).toLower() == pattern.toLower())
                        expected.push_back({p, pattern.size()});
                QCOMPARE(found(search, text), expected);
            }
        }
    }
};

QTEST_GUILESS_MAIN(tst_DisplayText)
#include "tst_displaytext.moc"
