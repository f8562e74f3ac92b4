#include "support/coreharness.h"

#include "core/sizetext.h"
#include "core/timetext.h"

#include <QtTest>

using namespace Orvik;

// The refresh cycle against real temporary files: change test, append or replacement, the
// highlight marks, captions and panels.
class tst_RefreshCycle : public QObject {
    Q_OBJECT

private slots:
    void growthAppendsOnlyTheNewPart();
    void appendSharesTheTableStore();
    void changeIsClassified_data();
    void changeIsClassified();
    void sameLengthSameSecondIsNotRead();
    void sameTextLaterSecondIsAnEmptyAppendWithNewCaption();
    void zeroSizeFileIsReadEveryCycle();
    void replacementMarksLaterSlotsOfTheCycle();
    void chunkBoundaries_data();
    void chunkBoundaries();

    void highlightMarks_data();
    void highlightMarks();
    void appendSearchesOnlyTheNewPart();
    void fullPassEndsWithCaretAtEnd();
    void readerKeepsItsPlace_data();
    void readerKeepsItsPlace();
    void clearingTheHighlightKeepsMarks();

    void singleSlotCycleClearsPendingPass();
    void slotAboveDocCountIsNotVisited();
    void panelsAreWrittenOnlyWhenTheirTextChanges();
    void durationIsMonotonicAcrossMidnight();
    void noDocumentsStillShowsClockAndDuration();
};

void tst_RefreshCycle::growthAppendsOnlyTheNewPart() {
    CoreHarness h;
    h.write("a.log", "abc");
    const QString path = h.open("a.log");
    QCOMPARE(h.view(1).bytes(), QByteArray("abc"));
    h.view(1).clearRecords();

    h.files.append("a.log", "def");
    h.files.setModified("a.log", h.clock.currentDateTime().addSecs(1));
    h.clock.advance(2);
    h.module.RefreshDocuments(0);

    FakeDocumentView &view = h.view(1);
    QCOMPARE(view.setTextCount(), 0);
    QCOMPARE(int(view.insertions().size()), 1);
    QCOMPARE(view.insertions()[0].offset, qint64(3));
    QCOMPARE(view.insertions()[0].bytes, QByteArray("def"));
    QCOMPARE(view.bytes(), QByteArray("abcdef"));
    QCOMPARE(view.selStart(), qint64(6));
    QCOMPARE(h.module.DocFileSize[1], qint64(6));
    QCOMPARE(h.window(1)->caption(), h.stateCaption(path, 6));
    QVERIFY(h.window(1)->caption().endsWith(QStringLiteral(" - 6.0 Bytes")));
    QCOMPARE(view.log.first(), QStringLiteral("setSelStart 3")); // caret first, then insert
}

void tst_RefreshCycle::appendSharesTheTableStore() {
    CoreHarness h;
    h.write("a.log", QByteArray(5000, 'x'));
    h.open("a.log");
    for (int i = 1; i <= 3; ++i) {
        h.files.append("a.log", QByteArray(100, char('a' + i)));
        h.module.RefreshDocuments(0);
        QVERIFY(h.view(1).lastInsertionShared());
    }
    QCOMPARE(h.view(1).text().store(), h.module.DocContents[1].store());
    QCOMPARE(h.view(1).size(), qint64(5300));
    QCOMPARE(h.module.DocContents[1].toByteArray(), h.view(1).bytes());
}

void tst_RefreshCycle::changeIsClassified_data() {
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QByteArray>("after");
    QTest::addColumn<bool>("append");

    QTest::newRow("growth is an append") << QByteArray("abc") << QByteArray("abcdef") << true;
    QTest::newRow("shrink is a replacement")
        << QByteArray(2000, 'a') << QByteArray(100, 'a') << false;
    QTest::newRow("changed beginning is a replacement")
        << QByteArray("abc") << QByteArray("xbcdef") << false;
    QTest::newRow("changed last kept byte is a replacement")
        << QByteArray("abc") << QByteArray("abXdef") << false;
    QTest::newRow("case differs is a replacement")
        << QByteArray("abc") << QByteArray("ABCdef") << false;
    QTest::newRow("rotated log starts over")
        << QByteArray("line 1\nline 2\n") << QByteArray("line 3\n") << false;
    QTest::newRow("same length other text is a replacement")
        << QByteArray("abc") << QByteArray("xyz") << false;
    QTest::newRow("binary bytes compare exactly")
        << QByteArray("a\0b", 3) << QByteArray("a\0bc\xff", 5) << true;
}

void tst_RefreshCycle::changeIsClassified() {
    QFETCH(QByteArray, before);
    QFETCH(QByteArray, after);
    QFETCH(bool, append);
    CoreHarness h;
    h.write("a.log", before);
    const QString path = h.open("a.log");
    h.view(1).clearRecords();
    h.module.HighLightPending = false;

    h.write("a.log", after, 5);
    h.clock.advance(10);
    h.module.RefreshDocuments(0);

    FakeDocumentView &view = h.view(1);
    QCOMPARE(view.bytes(), after);
    QCOMPARE(view.setTextCount(), append ? 0 : 1);
    QCOMPARE(int(view.insertions().size()), append ? 1 : 0);
    QCOMPARE(h.module.DocContents[1].toByteArray(), after);
    QCOMPARE(h.module.DocFileSize[1], qint64(after.size()));
    QCOMPARE(view.selStart(), qint64(after.size()));
    QCOMPARE(h.window(1)->caption(), h.stateCaption(path, after.size()));
    QVERIFY(!h.module.HighLightPending); // set by a replacement, cleared at the cycle's end
}

void tst_RefreshCycle::sameLengthSameSecondIsNotRead() {
    CoreHarness h;
    const QString path = h.write("a.log", "abc");
    h.open("a.log");
    const QString caption = h.window(1)->caption();
    h.write("a.log", "xyz"); // same length, same modification second
    h.fs.resetCounters();
    h.clock.advance(3);
    h.module.RefreshDocuments(0);
    QCOMPARE(h.fs.openCalls(path), 0);
    QCOMPARE(h.view(1).bytes(), QByteArray("abc"));
    QCOMPARE(h.window(1)->caption(), caption);
}

void tst_RefreshCycle::sameTextLaterSecondIsAnEmptyAppendWithNewCaption() {
    CoreHarness h;
    const QString path = h.write("a.log", "abc");
    h.open("a.log");
    h.view(1).clearRecords();
    h.write("a.log", "abc", 1);
    h.clock.advance(60);
    h.module.RefreshDocuments(0);
    FakeDocumentView &view = h.view(1);
    QCOMPARE(view.setTextCount(), 0);
    QCOMPARE(int(view.insertions().size()), 1);
    QCOMPARE(view.insertions()[0].offset, qint64(3));
    QVERIFY(view.insertions()[0].bytes.isEmpty());
    QCOMPARE(h.window(1)->caption(), h.stateCaption(path, 3));
}

void tst_RefreshCycle::zeroSizeFileIsReadEveryCycle() {
    CoreHarness h;
    const QString path = h.write("empty.log", "");
    h.open("empty.log");
    QCOMPARE(h.window(1)->caption(), h.stateCaption(path, 0));
    h.view(1).clearRecords();
    for (int cycle = 0; cycle < 3; ++cycle)
        h.module.RefreshDocuments(0);
    QCOMPARE(h.view(1).setTextCount(), 3);
    QVERIFY(h.view(1).bytes().isEmpty());
    QVERIFY(h.window(1)->caption().endsWith(QStringLiteral(" - 0.0 Bytes")));

    h.files.append("empty.log", "now");
    h.module.RefreshDocuments(0);
    QCOMPARE(h.view(1).bytes(), QByteArray("now"));
}

void tst_RefreshCycle::replacementMarksLaterSlotsOfTheCycle() {
    CoreHarness h;
    h.write("1.log", "error one");
    h.write("2.log", "");
    h.write("3.log", "error three");
    h.open("1.log");
    h.open("2.log");
    h.open("3.log");
    h.module.HighLightString = QStringLiteral("error");
    h.module.HighLightPending = false;
    for (int slot = 1; slot <= 3; ++slot)
        h.view(slot).clearRecords();

    h.module.RefreshDocuments(0);

    // Slot 2 is empty, so read (replaced) again; that makes the pass pending for slot 3 only.
    QVERIFY(h.view(1).marks().empty());
    QCOMPARE(h.view(3).colourMap(), QByteArray("xxxxx......"));
    QCOMPARE(h.view(3).selStart(), qint64(11));
    QVERIFY(!h.module.HighLightPending);
}

void tst_RefreshCycle::chunkBoundaries_data() {
    QTest::addColumn<int>("chunk");
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QByteArray>("after");
    QTest::addColumn<bool>("append");

    const QByteArray base("0123456789abcdef");
    for (int chunk : {1, 3, 4, 7, 16, 64}) {
        QTest::addRow("append, chunk %d", chunk) << chunk << base << base + "XYZ" << true;
        QTest::addRow("first byte differs, chunk %d", chunk)
            << chunk << base << "#" + base.mid(1) + "XYZ" << false;
        QTest::addRow("byte at chunk end differs, chunk %d", chunk)
            << chunk << base << QByteArray(base).replace(qMin(chunk, 16) - 1, 1, "#") + "XYZ"
            << false;
        QTest::addRow("last kept byte differs, chunk %d", chunk)
            << chunk << base << base.left(15) + "#XYZ" << false;
        QTest::addRow("same bytes, chunk %d", chunk) << chunk << base << base << true;
        QTest::addRow("shorter, chunk %d", chunk) << chunk << base << base.left(9) << false;
    }
}

void tst_RefreshCycle::chunkBoundaries() {
    QFETCH(int, chunk);
    QFETCH(QByteArray, before);
    QFETCH(QByteArray, after);
    QFETCH(bool, append);
    CoreHarness h;
    h.module.setReadChunkSize(chunk);
    h.write("a.log", before);
    h.open("a.log");
    h.view(1).clearRecords();
    h.write("a.log", after, 1);
    h.module.RefreshDocuments(0);
    QCOMPARE(h.module.DocContents[1].toByteArray(), after);
    QCOMPARE(h.view(1).bytes(), after);
    QCOMPARE(h.view(1).setTextCount(), append ? 0 : 1);
}

void tst_RefreshCycle::highlightMarks_data() {
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("map");

    QTest::newRow("overlapping matches all marked")
        << "aa" << QByteArray("aaaa") << QByteArray("xxxx");
    QTest::newRow("either case of the text")
        << "ERROR" << QByteArray("error Error ok") << QByteArray("xxxxx.xxxxx...");
    QTest::newRow("pattern of blanks marks nothing")
        << "   " << QByteArray("a   b") << QByteArray(".....");
    QTest::newRow("blanks around the pattern count")
        << " x " << QByteArray("x x x ") << QByteArray(".xxxxx");
    QTest::newRow("empty pattern marks nothing") << "" << QByteArray("abc") << QByteArray("...");
    QTest::newRow("non-ASCII pattern folds case") << QString::fromUtf8("\u00c9CHEC")
                                                  << QByteArray("un \xc3\xa9"
                                                                "chec")
                                                  << QByteArray("...xxxxxx");
}

void tst_RefreshCycle::highlightMarks() {
    QFETCH(QString, pattern);
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, map);
    CoreHarness h;
    h.module.HighLightString = pattern;
    h.write("a.log", text);
    h.open("a.log");
    QCOMPARE(h.view(1).colourMap(), map);
    QCOMPARE(h.view(1).selStart(), qint64(text.size()));
}

void tst_RefreshCycle::appendSearchesOnlyTheNewPart() {
    CoreHarness h;
    h.write("a.log", "ok ER");
    h.open("a.log");
    h.module.HighLightString = QStringLiteral("ERROR");
    h.module.HighLightPending = false;
    h.view(1).clearRecords();
    h.files.append("a.log", "ROR\nan error and an Error\n");
    h.module.RefreshDocuments(0);
    // The occurrence that starts in the old text waits for a full pass.
    const auto runs = h.view(1).colouredRuns();
    QCOMPARE(int(runs.size()), 2);
    QCOMPARE(runs[0], std::make_pair(qint64(12), qint64(5)));
    QCOMPARE(runs[1], std::make_pair(qint64(25), qint64(5)));
}

void tst_RefreshCycle::fullPassEndsWithCaretAtEnd() {
    CoreHarness h;
    h.write("a.log", "warn\nwarn\n");
    h.open("a.log");
    h.view(1).setSelStart(0);
    h.module.HighLightString = QStringLiteral("WARN");
    h.module.HighLightPending = true;
    h.module.RefreshDocuments(0);
    QCOMPARE(h.view(1).colouredRuns().size(), size_t(2));
    QCOMPARE(h.view(1).selStart(), qint64(10));
    QVERIFY(!h.module.HighLightPending);
}

// A view whose reader selected text or scrolled away gets appends without its caret moving,
// also from the full pass; a replacement or the caret put at the end follows again.
void tst_RefreshCycle::readerKeepsItsPlace_data() {
    QTest::addColumn<QString>("reader");
    QTest::addColumn<QByteArray>("newText");
    QTest::addColumn<qint64>("selStart");
    QTest::addColumn<qint64>("selLength");
    QTest::newRow("selection kept across an append")
        << "select" << QByteArray("abcde") << 1ll << 2ll;
    QTest::newRow("scrolled-away caret kept") << "scroll" << QByteArray("abcde") << 1ll << 0ll;
    QTest::newRow("replacement drops the selection") << "select" << QByteArray("xye") << 3ll << 0ll;
    QTest::newRow("caret back at the end follows") << "end" << QByteArray("abcde") << 5ll << 0ll;
}

void tst_RefreshCycle::readerKeepsItsPlace() {
    QFETCH(QString, reader);
    QFETCH(QByteArray, newText);
    QFETCH(qint64, selStart);
    QFETCH(qint64, selLength);
    CoreHarness h;
    h.write("a.log", "abc");
    h.open("a.log");
    FakeDocumentView &view = h.view(1);
    view.setSelStart(1);
    view.setSelLength(2);
    if (reader == QLatin1String("scroll")) {
        view.setSelStart(1);
        view.scrolledAway = true;
    } else if (reader == QLatin1String("end")) {
        view.setSelStart(3);
    }
    h.module.HighLightString = QStringLiteral("e");
    h.module.HighLightPending = true;
    h.write("a.log", newText, 1);
    h.module.RefreshDocuments(0);
    QCOMPARE(view.bytes(), newText);
    QCOMPARE(view.colourMap().count('x'), 1);
    QCOMPARE(view.selStart(), selStart);
    QCOMPARE(view.selLength(), selLength);
}

void tst_RefreshCycle::clearingTheHighlightKeepsMarks() {
    CoreHarness h;
    h.module.HighLightString = QStringLiteral("x");
    h.write("a.log", "x-x");
    h.open("a.log");
    QCOMPARE(h.view(1).colourMap(), QByteArray("x.x"));
    h.module.HighLightString.clear();
    h.module.HighLightPending = true;
    h.files.append("a.log", "x");
    h.module.RefreshDocuments(0);
    QCOMPARE(h.view(1).colourMap(), QByteArray("x.x."));
}

void tst_RefreshCycle::singleSlotCycleClearsPendingPass() {
    CoreHarness h;
    QStringList paths;
    for (int i = 1; i <= 5; ++i) {
        h.write(QStringLiteral("%1.log").arg(i), "ab");
        paths << h.open(QStringLiteral("%1.log").arg(i));
    }
    for (int i = 1; i <= 5; ++i)
        h.write(QStringLiteral("%1.log").arg(i), "abcd", 5);
    h.module.HighLightString = QStringLiteral("b");
    h.module.HighLightPending = true;
    h.fs.resetCounters();
    h.clock.advance(1);
    const int clockWrites = h.main.panels.writes(4);

    h.module.RefreshDocuments(3);

    for (int i = 1; i <= 5; ++i)
        QCOMPARE(h.fs.stampCalls(paths[i - 1]), i == 3 ? 1 : 0);
    QCOMPARE(h.view(3).bytes(), QByteArray("abcd"));
    QCOMPARE(h.view(3).colourMap(), QByteArray(".x.."));
    QVERIFY(h.view(2).marks().empty());
    QVERIFY(!h.module.HighLightPending);
    QCOMPARE(h.main.panels.writes(4), clockWrites + 1);
    QCOMPARE(h.main.panels.panelText(4), clockText(h.clock.currentDateTime().time()));
}

void tst_RefreshCycle::slotAboveDocCountIsNotVisited() {
    CoreHarness h;
    h.write("1.log", "a");
    const QString second = h.write("2.log", "b");
    h.open("1.log");
    h.open("2.log");
    h.module.RemoveDocument(1);
    h.fs.resetCounters();
    h.module.RefreshDocuments(2);
    QCOMPARE(h.fs.stampCalls(second), 0);
    QCOMPARE(h.module.DocCount, 1);
}

void tst_RefreshCycle::panelsAreWrittenOnlyWhenTheirTextChanges() {
    CoreHarness h;
    h.write("a.log", "abc");
    h.open("a.log");
    const int clockWrites = h.main.panels.writes(4);
    const int durationWrites = h.main.panels.writes(1);
    const QString caption = h.window(1)->caption();
    h.module.timerUpdate_Timer();
    h.module.timerUpdate_Timer();
    QCOMPARE(h.main.panels.writes(4), clockWrites);
    QCOMPARE(h.main.panels.writes(1), durationWrites);
    QCOMPARE(h.window(1)->captions.size(), 3); // an idle cycle leaves the caption alone

    h.clock.advance(1);
    h.module.timerUpdate_Timer();
    QCOMPARE(h.main.panels.writes(4), clockWrites + 1);
    QCOMPARE(h.main.panels.panelText(4), clockText(h.clock.currentDateTime().time()));
    QCOMPARE(h.window(1)->caption(), caption);
}

void tst_RefreshCycle::durationIsMonotonicAcrossMidnight() {
    CoreHarness h;
    h.clock.setCurrentDateTime(QDateTime(QDate(2026, 12, 6), QTime(23, 59, 59, 990)));
    h.clock.monotonicStep = 0.05;
    h.module.RefreshDocuments(0);
    // Measured again before it is shown: start, first measure, second measure.
    QCOMPARE(h.main.panels.panelText(1), QStringLiteral("Last Update Took 0.10 Seconds"));
    QCOMPARE(h.main.panels.panelText(4), QStringLiteral("11:59:59 ") + QLocale().pmText());
}

void tst_RefreshCycle::noDocumentsStillShowsClockAndDuration() {
    CoreHarness h;
    h.module.HighLightPending = true;
    h.module.RefreshDocuments(0);
    QCOMPARE(h.main.panels.panelText(1), durationText(0.0));
    QCOMPARE(h.main.panels.panelText(4), clockText(h.clock.currentDateTime().time()));
    QVERIFY(!h.module.HighLightPending);
}

QTEST_GUILESS_MAIN(tst_RefreshCycle)
#include "tst_refreshcycle.moc"
