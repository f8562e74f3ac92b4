#include "core/highlightsearch.h"

#include <QRandomGenerator>
#include <QtTest>

using namespace Orvik;

// The case-insensitive, overlapping search for the highlight text.
class tst_HighlightSearch : public QObject {
    Q_OBJECT

private slots:
    void matches_data();
    void matches();
    void blankPatternsAreInactive_data();
    void blankPatternsAreInactive();
    void asciiScanAgreesWithPlainSearch_data();
    void asciiScanAgreesWithPlainSearch();
    void nonAsciiScanAgreesWithFoldedSearch();
};

using MatchList = std::vector<std::pair<qint64, qint64>>; // offset, length
Q_DECLARE_METATYPE(MatchList)

namespace {

MatchList found(const HighlightSearch &search, const QByteArray &text) {
    MatchList list;
    search.forEachMatch(text.constData(), text.size(),
                        [&list](qint64 offset, qint64 length) { list.push_back({offset, length}); });
    return list;
}

MatchList at(std::initializer_list<std::pair<qint64, qint64>> ranges) {
    MatchList list;
    for (const auto &r : ranges)
        list.push_back({r.first, r.second});
    return list;
}

// The search spelled out: every start position, ASCII letters compared in lower case.
MatchList plainSearch(const QByteArray &text, const QByteArray &pattern) {
    MatchList list;
    const QByteArray lowerText = text.toLower();
    const QByteArray lowerPattern = pattern.toLower();
    for (qsizetype p = 0; p + pattern.size() <= text.size(); ++p) {
        if (lowerText.mid(p, pattern.size()) == lowerPattern)
            list.push_back({p, pattern.size()});
    }
    return list;
}

} // namespace

void tst_HighlightSearch::matches_data() {
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<MatchList>("expected");

    QTest::newRow("overlapping occurrences all found")
        << "aa" << QByteArray("aaaa") << at({{0, 2}, {1, 2}, {2, 2}});
    QTest::newRow("upper-case pattern finds any case")
        << "ERROR" << QByteArray("error Error ERROR eRrOr")
        << at({{0, 5}, {6, 5}, {12, 5}, {18, 5}});
    QTest::newRow("lower-case pattern finds upper case")
        << "warn" << QByteArray("WARN") << at({{0, 4}});
    QTest::newRow("non-letters match exactly")
        << "[x]" << QByteArray("{X} [X] [x]") << at({{4, 3}, {8, 3}});
    QTest::newRow("at and backtick are not a case pair") << "@" << QByteArray("`@") << at({{1, 1}});
    QTest::newRow("pattern longer than text") << "abcdef" << QByteArray("abc") << MatchList();
    QTest::newRow("match at the very end") << "end" << QByteArray("the END") << at({{4, 3}});
    QTest::newRow("blanks are part of the pattern")
        << " x " << QByteArray("x x x ") << at({{1, 3}, {3, 3}});
    QTest::newRow("bytes beyond ASCII do not fold for an ASCII pattern")
        << "e" << QByteArray("\xc3\xa9 e") << at({{3, 1}});
    QTest::newRow("non-ASCII pattern folds both ways") << QString::fromUtf8("\u00c9CHEC")
                                                       << QByteArray("\xc3\xa9"
                                                                     "chec \xc3\x89"
                                                                     "CHEC")
                                                       << at({{0, 6}, {7, 6}});
    QTest::newRow("lower-case non-ASCII pattern finds upper case")
        << QString::fromUtf8("stra\u00dfe")
        << QByteArray("STRA\xc3\x9f"
                      "E")
        << at({{0, 7}});
    QTest::newRow("Greek sigma forms fold together")
        << QString::fromUtf8("\u03a3") << QByteArray("\xcf\x83\xcf\x82\xce\xa3")
        << at({{0, 2}, {2, 2}, {4, 2}});
    QTest::newRow("Cyrillic") << QString::fromUtf8("\u041e\u0428\u0418\u0411\u041a\u0410")
                              << QByteArray("x \xd0\xbe\xd1\x88\xd0\xb8\xd0\xb1\xd0\xba\xd0\xb0")
                              << at({{2, 12}});
    QTest::newRow("invalid bytes do not stop the search")
        << QString::fromUtf8("\u00e9") << QByteArray("\xff\xc3\xa9\xc3\x89\xc3")
        << at({{1, 2}, {3, 2}});
    QTest::newRow("overlapping non-ASCII")
        << QString::fromUtf8("\u00e9\u00e9") << QByteArray("\xc3\xa9\xc3\xa9\xc3\x89")
        << at({{0, 4}, {2, 4}});
    QTest::newRow("pattern of a multibyte character inside a longer one")
        << QString::fromUtf8("\u00e9") << QByteArray("\xe2\x82\xac") << MatchList();
}

void tst_HighlightSearch::matches() {
    QFETCH(QString, pattern);
    QFETCH(QByteArray, text);
    QFETCH(MatchList, expected);
    const HighlightSearch search(pattern);
    QVERIFY(search.isActive());
    QCOMPARE(found(search, text), expected);
}

void tst_HighlightSearch::blankPatternsAreInactive_data() {
    QTest::addColumn<QString>("pattern");
    QTest::newRow("empty") << "";
    QTest::newRow("one blank") << " ";
    QTest::newRow("several blanks") << "    ";
}

void tst_HighlightSearch::blankPatternsAreInactive() {
    QFETCH(QString, pattern);
    const HighlightSearch search(pattern);
    QVERIFY(!search.isActive());
    QVERIFY(found(search, "a   b  c").empty());
}

void tst_HighlightSearch::asciiScanAgreesWithPlainSearch_data() {
    QTest::addColumn<QByteArray>("pattern");
    for (const char *pattern : {"a", "ab", "aBa", "ERROR", "x y", "[q]", "aaaaaaaaaaaaaaaaaaaaa"})
        QTest::newRow(pattern) << QByteArray(pattern);
}

// Random texts over a small alphabet put matches at every position relative to the 16-byte
// blocks of the vector scan, near both ends, and overlapping.
void tst_HighlightSearch::asciiScanAgreesWithPlainSearch() {
    QFETCH(QByteArray, pattern);
    const HighlightSearch search(QString::fromLatin1(pattern));
    QRandomGenerator random(42);
    const char alphabet[] = "aAbBeErRoO xXyY[]q{}";
    for (int round = 0; round < 300; ++round) {
        QByteArray text(int(random.bounded(1, 90)), ' ');
        for (char &c : text)
            c = alphabet[random.bounded(int(sizeof alphabet - 1))];
        QCOMPARE(found(search, text), plainSearch(text, pattern));
    }
}

void tst_HighlightSearch::nonAsciiScanAgreesWithFoldedSearch() {
    const HighlightSearch search(QString::fromUtf8("\u00e9A"));
    QRandomGenerator random(7);
    const QByteArray pieces[] = {"a", "A", "\xc3\xa9", "\xc3\x89", "x", "\xff", "\xc3"};
    for (int round = 0; round < 300; ++round) {
        QByteArray text;
        MatchList expected;
        std::vector<int> kinds;
        const int count = int(random.bounded(1, 30));
        for (int i = 0; i < count; ++i)
            kinds.push_back(int(random.bounded(7)));
        for (int i = 0; i < count; ++i) {
            const bool accent = kinds[i] == 2 || kinds[i] == 3;
            const bool letterA = i + 1 < count && (kinds[i + 1] == 0 || kinds[i + 1] == 1);
            if (accent && letterA)
                expected.push_back({text.size(), 3});
            text += pieces[kinds[i]];
        }
        // A lone 0xC3 before a continuation byte forms a character of its own; skip those.
        if (text.contains("\xc3\xc3") || text.contains("\xc3\xa9\xa9"))
            continue;
        bool glued = false;
        for (int i = 0; i + 1 < count; ++i)
            glued |= kinds[i] == 6 && (kinds[i + 1] == 2 || kinds[i + 1] == 3);
        if (glued)
            continue;
        QCOMPARE(found(search, text), expected);
    }
}

QTEST_GUILESS_MAIN(tst_HighlightSearch)
#include "tst_highlightsearch.moc"
