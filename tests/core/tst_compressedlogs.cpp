#include "support/coreharness.h"

#include <QtTest>

using namespace Orvik;

// A compressed log followed as its text: what a change to the file makes of the view, the
// size kept for the change test, the caret and the caption.
class tst_CompressedLogs : public QObject {
    Q_OBJECT
    // Rows: tool, file before, file after, text after, append, why the text ends early.
    using Change = std::tuple<QString, QByteArray, QByteArray, QByteArray, bool, QString>;

private slots:
    void changeIsAppendOrReplacement_data() {
        QTest::addColumn<Change>("c");
        QByteArray a, b;
        for (int i = 0; i < 4000; ++i) {
            a += "first " + QByteArray::number(i * 31 % 4001) + '\n';
            b += "then " + QByteArray::number(i * 17 % 4003) + '\n';
        }
        for (const QString tool : {"gzip", "zstd", "xz", "bzip2"}) {
            const QByteArray first = FileWriter::compressed(tool, a);
            const QByteArray then = FileWriter::compressed(tool, b);
            const QByteArray both = first + then;
            QTest::addRow("%s: a stream appended is an append", qPrintable(tool))
                << Change{tool, first, both, a + b, true, QString()};
            QTest::addRow("%s: rewritten is a replacement", qPrintable(tool))
                << Change{tool, first, then, b, false, QString()};
            QTest::addRow("%s: written to the end is an append", qPrintable(tool))
                << Change{tool, both.left(first.size() + 10), both, a + b, true, QString()};
            QTest::addRow("%s: cut short shows why", qPrintable(tool))
                << Change{tool, both, first + then.left(10), a, false, tool + " data ends early"};
        }
        QTest::newRow("gzip uncompressed: the same text")
            << Change{QString(), FileWriter::compressed("gzip", a), a, a, true, QString()};
    }
    void changeIsAppendOrReplacement() {
        QFETCH(Change, c);
        const auto &[tool, before, after, text, append, problem] = c;
        CoreHarness h;
        h.write("1.log.z", before);
        const QString path = h.open("1.log.z");
        h.view(1).clearRecords();
        h.write("1.log.z", after, 5);
        h.clock.advance(10);
        h.module.RefreshDocuments(0);

        FakeDocumentView &view = h.view(1);
        QCOMPARE(view.bytes(), text);
        QCOMPARE(view.setTextCount, append ? 0 : 1);
        QCOMPARE(int(view.insertions.size()), append ? 1 : 0);
        QCOMPARE(view.selStart(), qint64(text.size()));
        QCOMPARE(h.module.DocFileSize[1], qint64(after.size()));
        QString caption = h.caption(path, after.size());
        if (!tool.isEmpty())
            caption += " (" + tool + ", " + sizeText(text.size()) + " of text)";
        if (!problem.isEmpty())
            caption += " - " + problem;
        QCOMPARE(h.window(1)->caption(), caption);
        // Unchanged on disk: not read again.
        h.fs.resetCounters();
        h.clock.advance(10);
        h.module.RefreshDocuments(0);
        QCOMPARE(h.fs.openCalls.value(path), 0);
    }
};

QTEST_GUILESS_MAIN(tst_CompressedLogs)
#include "tst_compressedlogs.moc"
