#include "support/coreharness.h"

#include "core/content/bytestore.h"

#include <QtTest>

#include <limits>

using namespace Orvik;

// The refresh cycle against real temporary files: what counts as a change, append or
// replacement, the highlight marks, captions and panels, and the failure path.
class tst_RefreshCycle : public QObject {
    Q_OBJECT
    std::unique_ptr<CoreHarness> h;

    // Opens 1.log, 2.log, ... with the given texts; gives their paths.
    QStringList openLogs(const QList<QByteArray> &texts) {
        QStringList paths;
        for (const QByteArray &text : texts) {
            const QString name = QStringLiteral("%1.log").arg(paths.size() + 1);
            h->write(name, text);
            paths << h->open(name);
        }
        return paths;
    }
    // Rows: chunk (0: the reader's own), before, after, append.
    using Change = std::tuple<int, QByteArray, QByteArray, bool>;
    // Rows: text, later (written with the same stamp), probeFails, opens.
    using Read = std::tuple<QByteArray, QByteArray, bool, int>;
    // Rows: pattern, opened, later pattern, appended, map.
    using Marks = std::tuple<QString, QByteArray, QString, QByteArray, QByteArray>;
    // Rows: reader ('s'elected, 'c'aret scrolled away, caret at the 'e'nd), newText, selStart,
    // selLength.
    using Place = std::tuple<char, QByteArray, int, int>;

private slots:
    void init() { h = std::make_unique<CoreHarness>(); }

    void changeIsAppendOrReplacement_data() {
        QTest::addColumn<Change>("c");
        const QByteArray base("0123456789abcdef");
        QTest::newRow("growth is an append") << Change{0, base, base + "XYZ", true};
        QTest::newRow("growth over many chunks") << Change{1, base, base + "XYZ", true};
        QTest::newRow("same text a second later: empty append") << Change{4, base, base, true};
        QTest::newRow("NUL bytes compare exactly")
            << Change{0, QByteArray("a\0b", 3), QByteArray("a\0bc\xff", 5), true};
        QTest::newRow("shrink") << Change{0, base, base.left(9), false};
        QTest::newRow("first byte differs") << Change{4, base, "#" + base.mid(1) + "XYZ", false};
        QTest::newRow("last byte of a chunk differs")
            << Change{4, base, base.left(3) + "#" + base.mid(4) + "XYZ", false};
        QTest::newRow("last kept byte differs") << Change{4, base, base.left(15) + "#XYZ", false};
        QTest::newRow("same length, other text") << Change{0, base, base.toUpper(), false};
    }
    void changeIsAppendOrReplacement() {
        QFETCH(Change, c);
        const auto &[chunk, before, after, append] = c;
        if (chunk)
            h->module.setReadChunkSize(chunk);
        const QString path = openLogs({before})[0];
        h->view(1).clearRecords();
        h->module.HighLightPending = false;

        h->write("1.log", after, 5);
        h->clock.advance(10);
        h->module.RefreshDocuments(0);

        FakeDocumentView &view = h->view(1);
        QCOMPARE(view.bytes(), after);
        QCOMPARE(h->module.DocContents[1].toByteArray(), after);
        QCOMPARE(view.setTextCount, append ? 0 : 1);
        QCOMPARE(int(view.insertions.size()), append ? 1 : 0);
        if (append) { // only the new part, at the end, taken over without a copy
            QCOMPARE(view.insertions[0].offset, qint64(before.size()));
            QCOMPARE(view.insertions[0].bytes, after.mid(before.size()));
            QCOMPARE(view.text().store(), h->module.DocContents[1].store());
        }
        QCOMPARE(h->module.DocFileSize[1], qint64(after.size()));
        QCOMPARE(h->window(1)->caption(), h->caption(path, after.size()));
        QVERIFY(!h->module.HighLightPending); // set by a replacement, cleared at the cycle's end
    }

    // Without a new stamp or size a file is not read; one whose size is unknown or nothing
    // is read every cycle.
    void whenAFileIsRead_data() {
        QTest::addColumn<Read>("r");
        QTest::newRow("same length, same second: not read")
            << Read{QByteArray("abc"), QByteArray("xyz"), false, 0};
        QTest::newRow("empty file") << Read{QByteArray(), QByteArray(), false, 2};
        QTest::newRow("size probe fails") << Read{QByteArray("abc"), QByteArray("abc"), true, 2};
    }
    void whenAFileIsRead() {
        QFETCH(Read, r);
        const auto &[text, later, probeFails, opens] = r;
        const QString path = openLogs({text})[0];
        h->write("1.log", later);
        if (probeFails)
            h->fs.failProbe(path);
        h->fs.resetCounters();
        h->clock.advance(3);
        h->module.RefreshDocuments(0);
        h->module.RefreshDocuments(0);
        QCOMPARE(h->fs.openCalls.value(path), opens);
        QCOMPARE(h->view(1).bytes(), opens ? later : text);
        QCOMPARE(h->module.DocFileSize[1], qint64(text.size())); // the size read, not -1
        if (opens)
            QCOMPARE(h->window(1)->caption(), h->caption(path, text.size()));
        else
            QCOMPARE(h->window(1)->captions.size(), 3); // "Document 1", path, the read
    }

    void highlightMarks_data() {
        QTest::addColumn<Marks>("m");
        QTest::newRow("an opened file is searched whole: overlapping, either case")
            << Marks{"aa", QByteArray("aAaa error"), "aa", QByteArray(), QByteArray("xxxx......")};
        QTest::newRow("an append searches only the new part; a match across it waits")
            << Marks{"error", QByteArray("ok ER"), "error", QByteArray("ROR Error"),
                     QByteArray(".........xxxxx")};
        QTest::newRow("a cleared pattern keeps the marks")
            << Marks{"x", QByteArray("x-x"), "", QByteArray("x"), QByteArray("x.x.")};
    }
    void highlightMarks() {
        QFETCH(Marks, m);
        const auto &[pattern, opened, later, appended, map] = m;
        h->module.HighLightString = pattern;
        openLogs({opened});
        h->module.HighLightString = later;
        h->files.append("1.log", appended);
        h->module.RefreshDocuments(0);
        QCOMPARE(h->view(1).colourMap(), map);
        QCOMPARE(h->view(1).selStart(), qint64(opened.size() + appended.size()));
    }

    // A view whose reader selected text or scrolled away gets appends without its caret moving,
    // also from the full pass; a replacement or the caret put at the end follows again.
    void readerKeepsItsPlace_data() {
        QTest::addColumn<Place>("p");
        QTest::newRow("selection kept across an append") << Place{'s', QByteArray("abcde"), 1, 2};
        QTest::newRow("scrolled-away caret kept") << Place{'c', QByteArray("abcde"), 1, 0};
        QTest::newRow("replacement drops the selection") << Place{'s', QByteArray("xye"), 3, 0};
        QTest::newRow("caret back at the end follows") << Place{'e', QByteArray("abcde"), 5, 0};
    }
    void readerKeepsItsPlace() {
        QFETCH(Place, p);
        const auto &[reader, newText, selStart, selLength] = p;
        openLogs({"abc"});
        FakeDocumentView &view = h->view(1);
        view.setSelStart(reader == 'e' ? 3 : 1);
        view.setSelLength(reader == 's' ? 2 : 0);
        view.scrolledAway = reader == 'c';
        h->module.HighLightString = QStringLiteral("e");
        h->module.HighLightPending = true;
        h->write("1.log", newText, 1);
        h->module.RefreshDocuments(0);
        QCOMPARE(view.bytes(), newText);
        QCOMPARE(view.colourMap().count('x'), 1);
        QCOMPARE(view.selStart(), qint64(selStart));
        QCOMPARE(view.selLength(), qint64(selLength));
    }

    void replacementMarksOnlyItsOwnDocument() {
        openLogs({"error one", "", "error three"});
        h->module.HighLightString = QStringLiteral("error");
        h->module.HighLightPending = false;
        h->write("2.log", "error two", 5);
        h->view(3).setSelStart(0);
        h->module.RefreshDocuments(0);
        QCOMPARE(h->view(2).colourMap(), QByteArray("xxxxx...."));
        QCOMPARE(h->view(1).colourMap(), QByteArray("........."));
        QCOMPARE(h->view(3).colourMap(), QByteArray("..........."));
        QCOMPARE(h->view(3).selStart(), qint64(0));
        QVERIFY(!h->module.HighLightPending);
    }

    void singleSlotCycleVisitsOnlyItAndClearsThePendingPass() {
        const QStringList paths = openLogs({"ab", "ab", "ab"});
        for (int i = 1; i <= 3; ++i)
            h->write(QStringLiteral("%1.log").arg(i), "abcd", 5);
        h->module.HighLightString = QStringLiteral("b");
        h->module.HighLightPending = true;
        h->fs.resetCounters();
        h->module.RefreshDocuments(2);
        for (int i = 1; i <= 3; ++i)
            QCOMPARE(h->fs.stampCalls.value(paths[i - 1]), i == 2 ? 1 : 0);
        QCOMPARE(h->view(2).colourMap(), QByteArray(".x.."));
        QCOMPARE(h->view(3).colourMap(), QByteArray(".."));
        QVERIFY(!h->module.HighLightPending);

        h->module.RemoveDocument(1); // slot 3 is free now, though it still names a file
        h->fs.resetCounters();
        h->module.RefreshDocuments(3);
        QVERIFY(h->fs.stampCalls.isEmpty());
    }

    void panelsShowClockAndDurationWhenTheyChange() {
        h->clock.now = QDateTime(QDate(2026, 12, 6), QTime(23, 59, 59, 990));
        h->clock.monotonicStep = 0.05;
        h->module.HighLightPending = true;
        h->module.RefreshDocuments(0); // no documents: the panels still change
        QVERIFY(!h->module.HighLightPending);
        // Measured again before it is shown: start, first measure, second measure.
        QCOMPARE(h->main.panels.texts[1], QStringLiteral("Last Update Took 0.10 Seconds"));
        QCOMPARE(h->main.panels.texts[4], QStringLiteral("11:59:59 ") + QLocale().pmText());
        h->clock.monotonicStep = 0;
        h->clock.advance(0.02); // past midnight
        h->module.timerUpdate_Timer();
        h->module.timerUpdate_Timer(); // nothing changed: nothing written
        QCOMPARE(h->main.panels.writes[1], 2);
        QCOMPARE(h->main.panels.writes[4], 2);
        QCOMPARE(h->main.panels.texts[4], QStringLiteral("12:00:00 ") + QLocale().amText());
    }

    // A failing slot is forgotten and shows why; the slots after it are still brought up to
    // date, and the pending highlight pass reaches them.
    void failureIsShownAndTheCycleGoesOn_data() {
        QTest::addColumn<char>("fault");
        QTest::addColumn<QString>("shown");
        QTest::newRow("file deleted") << 'x' << "No such file or directory";
        QTest::newRow("open refused by another process") << 'o' << "Permission denied";
        QTest::newRow("open refused without a description") << 'o' << "";
        QTest::newRow("read breaks while comparing") << 'r' << "Input/output error";
        QTest::newRow("read breaks in the new part") << 'R' << "Input/output error";
        QTest::newRow("directory, never opened") << 'd' << "not a regular file";
        QTest::newRow("FIFO, never opened") << 'f' << "not a regular file";
        QTest::newRow("device, never opened") << 'v' << "not a regular file";
        QTest::newRow("too large for memory") << 'm' << "not enough memory to hold this file";
    }
    void failureIsShownAndTheCycleGoesOn() {
        QFETCH(char, fault);
        QFETCH(QString, shown);
        const QStringList paths = openLogs({"one", "two", "three"});
        const QString &second = paths[1];
        h->module.HighLightString = QStringLiteral("e");
        h->module.HighLightPending = true;
        h->files.append("2.log", fault == 'm' ? QByteArray(3 << 20, 'x') : "!");
        h->files.append("3.log", "!");
        switch (fault) {
        case 'o':
            h->fs.failOpen(second, shown);
            break;
        case 'R':
            h->module.setReadChunkSize(2);
            [[fallthrough]]; // "two" in two chunks, then new
        case 'r':
            h->fs.failReadAfter(second, fault == 'r' ? 2 : 3, shown);
            break;
        case 'm':
            ByteStore::setReservationLimit(1 << 20);
            break;
        default:
            h->files.remove("2.log");
        }
        if (fault == 'd')
            h->files.makeDirectory("2.log");
        else if (fault == 'f')
            h->files.makeFifo("2.log"); // would block the cycle if it were opened
        else if (fault == 'v')
            QVERIFY(QFile::link(QStringLiteral("/dev/zero"), second));
        h->clock.monotonicStep = 0.25;

        h->module.RefreshDocuments(0);
        ByteStore::setReservationLimit(std::numeric_limits<qint64>::max());

        const QString description = shown.isEmpty() ? QStringLiteral("cannot be read") : shown;
        QCOMPARE(h->window(2)->caption(), second + QStringLiteral(" - ") + description);
        QVERIFY(h->view(2).bytes().isEmpty());
        QVERIFY(h->module.DocContents[2].isEmpty());
        QCOMPARE(h->view(3).bytes(), QByteArray("three!"));
        QCOMPARE(h->window(3)->caption(), h->caption(paths[2], 6));
        QCOMPARE(h->view(3).colourMap(), QByteArray("...xx."));
        QVERIFY(!h->module.HighLightPending);
        QCOMPARE(h->main.panels.writes[1], 2); // the open of slot 1, then once for this cycle
        QCOMPARE(h->main.panels.texts[1], QStringLiteral("Last Update Took 0.50 Seconds"));

        // Back again: rebuilt whole, not appended to what was shown before.
        h->fs.healAll();
        QFileInfo(second).isDir() ? QDir().rmdir(second) : QFile::remove(second);
        h->files.write("2.log", "two!");
        h->view(2).clearRecords();
        h->module.RefreshDocuments(0);
        QCOMPARE(h->view(2).bytes(), QByteArray("two!"));
        QCOMPARE(h->view(2).setTextCount, 1);
    }
};

QTEST_GUILESS_MAIN(tst_RefreshCycle)
#include "tst_refreshcycle.moc"
