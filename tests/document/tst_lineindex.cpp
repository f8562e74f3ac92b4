#include "document/lineindex.h"
#include "document/markset.h"

#include <QtTest>

using namespace Orvik;

// The line index and the colour ranges under the view.
class tst_LineIndex : public QObject {
    Q_OBJECT

private slots:
    void linesOfSmallTexts_data();
    void linesOfSmallTexts();
    void growingInStepsEqualsIndexingAtOnce_data();
    void growingInStepsEqualsIndexingAtOnce();
    void manyLinesAcrossBlocks();
    void rebuildForgetsTheOldText();

    void marksMergeAndSplit_data();
    void marksMergeAndSplit();
    void marksFollowAReplacement();
};

void tst_LineIndex::linesOfSmallTexts_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QList<qint64>>("starts");
    QTest::newRow("empty text has one empty line") << QByteArray() << QList<qint64>{0};
    QTest::newRow("no line feed") << QByteArray("abc") << QList<qint64>{0};
    QTest::newRow("final line feed opens an empty last line")
        << QByteArray("a\nbc\n") << QList<qint64>{0, 2, 5};
    QTest::newRow("empty lines") << QByteArray("\n\n") << QList<qint64>{0, 1, 2};
    QTest::newRow("CR LF: the line starts after the LF")
        << QByteArray("a\r\nb") << QList<qint64>{0, 3};
}

void tst_LineIndex::linesOfSmallTexts() {
    QFETCH(QByteArray, text);
    QFETCH(QList<qint64>, starts);
    LineIndex index;
    index.build(text.constData(), text.size());
    QCOMPARE(index.lineCount(), qint64(starts.size()));
    for (int i = 0; i < starts.size(); ++i)
        QCOMPARE(index.lineStart(i), starts[i]);
    for (qint64 offset = 0; offset <= text.size(); ++offset) {
        const qint64 line = index.lineAt(offset);
        QVERIFY(index.lineStart(line) <= offset);
        QVERIFY(offset < index.lineLimit(line) || line == index.lineCount() - 1);
    }
}

void tst_LineIndex::growingInStepsEqualsIndexingAtOnce_data() {
    QTest::addColumn<int>("step");
    QTest::newRow("byte by byte") << 1;
    QTest::newRow("cuts inside lines") << 7;
    QTest::newRow("large steps") << 5000;
}

void tst_LineIndex::growingInStepsEqualsIndexingAtOnce() {
    QFETCH(int, step);
    QByteArray text;
    for (int i = 0; i < 3000; ++i)
        text += QByteArray(i % 13, 'x') + '\n';
    LineIndex whole;
    whole.build(text.constData(), text.size());
    LineIndex grown;
    grown.build(text.constData(), 0);
    for (qsizetype size = 0; size < text.size();) {
        size = qMin(text.size(), size + step);
        grown.extend(text.constData(), size);
    }
    QCOMPARE(grown.lineCount(), whole.lineCount());
    QCOMPARE(grown.size(), whole.size());
    for (qint64 i = 0; i < whole.lineCount(); ++i)
        QCOMPARE(grown.lineStart(i), whole.lineStart(i));
}

void tst_LineIndex::manyLinesAcrossBlocks() {
    // Enough lines for several blocks and a growth of the array.
    QByteArray text;
    for (int i = 0; i < 50000; ++i)
        text += QByteArray::number(i) + '\n';
    LineIndex index;
    index.build(text.constData(), text.size());
    QCOMPARE(index.lineCount(), qint64(50001));
    qint64 offset = 0;
    for (int i = 0; i < 50000; i += 997) {
        offset = text.indexOf(QByteArray::number(i) + '\n', offset == 0 ? 0 : offset);
        QCOMPARE(index.lineStart(i), offset);
        QCOMPARE(index.lineAt(offset), qint64(i));
        QCOMPARE(index.lineAt(offset + 1), qint64(i));
    }
    QCOMPARE(index.lineAt(text.size()), qint64(50000));
    QCOMPARE(index.lineAt(text.size() + 10), qint64(50000));
    QVERIFY(index.memoryUsage() < 50001 * 5);
}

void tst_LineIndex::rebuildForgetsTheOldText() {
    LineIndex index;
    index.build("a\nb\nc\n", 6);
    index.build("xyz", 3);
    QCOMPARE(index.lineCount(), qint64(1));
    QCOMPARE(index.lineLimit(0), qint64(3));
}

using Ranges = QList<QList<qint64>>; // start, end, colour

void tst_LineIndex::marksMergeAndSplit_data() {
    QTest::addColumn<Ranges>("assigned");
    QTest::addColumn<Ranges>("expected");
    QTest::newRow("adjacent matches of one colour are one range")
        << Ranges{{0, 5, 255}, {5, 10, 255}, {10, 12, 255}} << Ranges{{0, 12, 255}};
    QTest::newRow("overlapping matches merge")
        << Ranges{{0, 2, 255}, {1, 3, 255}, {2, 4, 255}} << Ranges{{0, 4, 255}};
    QTest::newRow("apart matches stay apart")
        << Ranges{{0, 2, 255}, {5, 7, 255}} << Ranges{{0, 2, 255}, {5, 7, 255}};
    QTest::newRow("marking out of order keeps ranges sorted")
        << Ranges{{20, 25, 255}, {0, 5, 255}, {10, 12, 255}}
        << Ranges{{0, 5, 255}, {10, 12, 255}, {20, 25, 255}};
    QTest::newRow("another colour splits a range")
        << Ranges{{0, 10, 255}, {3, 5, 0}} << Ranges{{0, 3, 255}, {3, 5, 0}, {5, 10, 255}};
    QTest::newRow("a range over several replaces them")
        << Ranges{{0, 2, 1}, {4, 6, 2}, {8, 10, 3}, {1, 9, 255}}
        << Ranges{{0, 1, 1}, {1, 9, 255}, {9, 10, 3}};
    QTest::newRow("colouring again what is coloured changes nothing")
        << Ranges{{0, 10, 255}, {2, 4, 255}} << Ranges{{0, 10, 255}};
    QTest::newRow("empty range does nothing") << Ranges{{4, 4, 255}} << Ranges{};
}

void tst_LineIndex::marksMergeAndSplit() {
    QFETCH(Ranges, assigned);
    QFETCH(Ranges, expected);
    MarkSet marks;
    for (const auto &r : assigned)
        marks.assign(r[0], r[1], ColorNumber(r[2]));
    Ranges actual;
    for (const MarkSet::Mark &m : marks.marks())
        actual.append({m.start, m.end, qint64(m.color)});
    QCOMPARE(actual, expected);
}

void tst_LineIndex::marksFollowAReplacement() {
    MarkSet marks;
    marks.assign(0, 4, 255);
    marks.assign(6, 10, 255);
    marks.assign(20, 24, 255);
    marks.replace(8, 4, 1); // [8, 12) becomes one byte
    Ranges actual;
    for (const MarkSet::Mark &m : marks.marks())
        actual.append({m.start, m.end, qint64(m.color)});
    QCOMPARE(actual, (Ranges{{0, 4, 255}, {6, 8, 255}, {17, 21, 255}}));
    const auto [first, last] = marks.overlapping(5, 18);
    QCOMPARE(first, 1);
    QCOMPARE(last, 3);
}

QTEST_GUILESS_MAIN(tst_LineIndex)
#include "tst_lineindex.moc"
