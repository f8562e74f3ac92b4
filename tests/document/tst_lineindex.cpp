#include "document/lineindex.h"
#include "document/markset.h"

#include <QtTest>

using namespace Orvik;

using Ranges = QList<QList<qint64>>; // start, end, colour

// The line index and the colour ranges under the view.
class tst_LineIndex : public QObject {
    Q_OBJECT

    static Ranges ranges(const MarkSet &marks) {
        Ranges list;
        for (const MarkSet::Mark &m : marks.marks())
            list.append({m.start, m.end, qint64(m.color)});
        return list;
    }

private slots:
    void linesOfSmallTexts_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QList<qint64>>("starts");
        QTest::newRow("empty text has one empty line") << QByteArray() << QList<qint64>{0};
        QTest::newRow("final line feed opens an empty last line")
            << QByteArray("a\nbc\n") << QList<qint64>{0, 2, 5};
        QTest::newRow("empty lines") << QByteArray("\n\n") << QList<qint64>{0, 1, 2};
        QTest::newRow("CR LF: the line starts after the LF")
            << QByteArray("a\r\nb") << QList<qint64>{0, 3};
    }
    void linesOfSmallTexts() {
        QFETCH(QByteArray, text);
        QFETCH(QList<qint64>, starts);
        LineIndex index;
        index.build("x\ny\nz\n", 6); // rebuilt: the old text is forgotten
        index.build(text.constData(), text.size());
        QCOMPARE(index.lineCount(), qint64(starts.size()));
        for (int line = 0; line < starts.size(); ++line) {
            QCOMPARE(index.lineStart(line), starts[line]);
            QCOMPARE(index.lineAt(starts[line]), qint64(line));
            QCOMPARE(index.lineLimit(line), starts.value(line + 1, text.size()));
        }
    }

    // Enough lines for several blocks and a growth of the array, grown in steps that cut
    // lines anywhere, as appends do.
    void growingInStepsEqualsIndexingAtOnce_data() {
        QTest::addColumn<int>("step");
        QTest::newRow("byte by byte") << 1;
        QTest::newRow("cuts inside lines") << 7;
        QTest::newRow("large steps") << 50000;
    }
    void growingInStepsEqualsIndexingAtOnce() {
        QFETCH(int, step);
        QByteArray text;
        for (int i = 0; i < 50000; ++i)
            text += QByteArray::number(i) + '\n';
        LineIndex grown;
        grown.build(text.constData(), 0);
        for (qsizetype size = 0; size < text.size();) {
            size = qMin(text.size(), size + step);
            grown.extend(text.constData(), size);
        }
        QCOMPARE(grown.lineCount(), qint64(50001));
        for (int i = 1; i < 50000; i += 997) {
            const qint64 offset = text.indexOf('\n' + QByteArray::number(i) + '\n') + 1;
            QCOMPARE(grown.lineStart(i), offset);
            QCOMPARE(grown.lineAt(offset), qint64(i));
            QCOMPARE(grown.lineAt(offset - 1), qint64(i - 1));
        }
        QCOMPARE(grown.lineAt(text.size() + 10), qint64(50000));
        QVERIFY(grown.memoryUsage() < 50001 * 5);
    }

    void marksMergeAndSplit_data() {
        QTest::addColumn<Ranges>("assigned");
        QTest::addColumn<Ranges>("expected");
        QTest::newRow("adjacent and overlapping matches of one colour are one range")
            << Ranges{{0, 5, 255}, {5, 10, 255}, {9, 12, 255}} << Ranges{{0, 12, 255}};
        QTest::newRow("marking out of order keeps ranges apart and sorted")
            << Ranges{{20, 25, 255}, {0, 5, 255}} << Ranges{{0, 5, 255}, {20, 25, 255}};
        QTest::newRow("another colour splits a range")
            << Ranges{{0, 10, 255}, {3, 5, 0}} << Ranges{{0, 3, 255}, {3, 5, 0}, {5, 10, 255}};
        QTest::newRow("a range over several replaces them")
            << Ranges{{0, 2, 1}, {4, 6, 2}, {8, 10, 3}, {1, 9, 255}}
            << Ranges{{0, 1, 1}, {1, 9, 255}, {9, 10, 3}};
        QTest::newRow("empty range does nothing") << Ranges{{4, 4, 255}} << Ranges{};
    }
    void marksMergeAndSplit() {
        QFETCH(Ranges, assigned);
        QFETCH(Ranges, expected);
        MarkSet marks;
        for (const auto &r : assigned)
            marks.assign(r[0], r[1], ColorNumber(r[2]));
        QCOMPARE(ranges(marks), expected);
    }

    void marksFollowAReplacement() {
        MarkSet marks;
        marks.assign(0, 4, 255);
        marks.assign(6, 10, 255);
        marks.assign(20, 24, 255);
        marks.replace(8, 4, 1); // [8, 12) becomes one byte
        QCOMPARE(ranges(marks), (Ranges{{0, 4, 255}, {6, 8, 255}, {17, 21, 255}}));
        QCOMPARE(marks.overlapping(5, 18), std::make_pair(1, 3));
    }
};

QTEST_GUILESS_MAIN(tst_LineIndex)
#include "tst_lineindex.moc"
