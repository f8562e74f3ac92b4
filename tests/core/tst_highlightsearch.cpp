#include "core/highlightsearch.h"

#include <QRandomGenerator>
#include <QtTest>

using namespace Orvik;

using MatchList = std::vector<std::pair<qint64, qint64>>; // offset, length
Q_DECLARE_METATYPE(MatchList)

// The case-insensitive, overlapping search for the highlight text.
class tst_HighlightSearch : public QObject {
    Q_OBJECT

    static MatchList at(std::initializer_list<std::pair<qint64, qint64>> ranges) { return ranges; }
    static MatchList found(const HighlightSearch &search, const QByteArray &text) {
        MatchList list;
        search.forEachMatch(text.constData(), text.size(), [&list](qint64 offset, qint64 length) {
            list.push_back({offset, length});
        });
        return list;
    }

private slots:
    void matches_data() {
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<MatchList>("expected");
        QTest::newRow("overlapping occurrences all found")
            << "aa" << QByteArray("aaaa") << at({{0, 2}, {1, 2}, {2, 2}});
        QTest::newRow("any letter case")
            << "ERROR" << QByteArray("error Error eRrOr") << at({{0, 5}, {6, 5}, {12, 5}});
        QTest::newRow("non-letters match exactly")
            << "[x]" << QByteArray("{X} [X] [x] `@") << at({{4, 3}, {8, 3}});
        QTest::newRow("pattern longer than text") << "abcdef" << QByteArray("abc") << MatchList();
        QTest::newRow("blanks are part of the pattern")
            << " x " << QByteArray("x x x ") << at({{1, 3}, {3, 3}});
        QTest::newRow("bytes beyond ASCII do not fold for an ASCII pattern")
            << "e" << QByteArray("\xc3\xa9 E") << at({{3, 1}});
        QTest::newRow("non-ASCII pattern folds both ways") << QString::fromUtf8("\u00c9CHEC")
                                                           << QByteArray("\xc3\xa9"
                                                                         "chec \xc3\x89"
                                                                         "CHEC")
                                                           << at({{0, 6}, {7, 6}});
        QTest::newRow("Greek sigma forms fold together")
            << QString::fromUtf8("\u03a3") << QByteArray("\xcf\x83\xcf\x82\xce\xa3")
            << at({{0, 2}, {2, 2}, {4, 2}});
        QTest::newRow("invalid bytes do not stop the search")
            << QString::fromUtf8("\u00e9") << QByteArray("\xff\xc3\xa9\xc3\x89\xc3")
            << at({{1, 2}, {3, 2}});
        QTest::newRow("overlapping non-ASCII")
            << QString::fromUtf8("\u00e9\u00e9") << QByteArray("\xc3\xa9\xc3\xa9\xc3\x89")
            << at({{0, 4}, {2, 4}});
        QTest::newRow("blank pattern is inactive") << "   " << QByteArray("a   b") << MatchList();
    }
    void matches() {
        QFETCH(QString, pattern);
        QFETCH(QByteArray, text);
        QFETCH(MatchList, expected);
        const HighlightSearch search(pattern);
        QCOMPARE(search.isActive(), !expected.empty() || !pattern.trimmed().isEmpty());
        QCOMPARE(found(search, text), expected);
    }

    // Random texts over a small alphabet put matches at every position relative to the
    // 16-byte blocks of the vector scan, near both ends, and overlapping.
    void asciiScanAgreesWithPlainSearch() {
        QRandomGenerator random(42);
        const char alphabet[] = "aAbBeErRoO xXyY[]q{}";
        for (const QByteArray pattern :
             {"a", "ab", "aBa", "ERROR", "x y", "aaaaaaaaaaaaaaaaaaaaa"}) {
            const HighlightSearch search(QString::fromLatin1(pattern));
            for (int round = 0; round < 300; ++round) {
                QByteArray text(int(random.bounded(1, 90)), ' ');
                for (char &c : text)
                    c = alphabet[random.bounded(int(sizeof alphabet - 1))];
                MatchList expected;
                for (qsizetype p = 0; p + pattern.size() <= text.size(); ++p) {
                    if (text.mid(p, pattern.size()).toLower() == pattern.toLower())
                        expected.push_back({p, pattern.size()});
                }
                QCOMPARE(found(search, text), expected);
            }
        }
    }
};

QTEST_GUILESS_MAIN(tst_HighlightSearch)
#include "tst_highlightsearch.moc"
