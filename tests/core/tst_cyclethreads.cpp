#include "support/coreharness.h"

#include "core/highlightsearch.h"
#include "core/refreshcycle.h"

#include <QSignalSpy>
#include <QtTest>

#include <atomic>
#include <limits>
#include <thread>

using namespace Orvik;

// Cycles whose file work runs on worker threads while the event loop goes on: what may
// happen while one is in flight, and that the outcomes are still those of a cycle run whole.
class tst_CycleThreads : public QObject {
    Q_OBJECT

    // Three open documents, then cycles in the background; every file has grown since.
    struct Background : CoreHarness {
        Background() {
            for (const char *name : {"1.log", "2.log", "3.log"}) {
                write(name, QByteArray(name) + " one\n");
                paths << open(name);
                files.append(name, "two\n");
            }
            module.setBackgroundCycles(true);
        }
        // Lets the event loop apply outcomes as the workers hand them over, until the cycle
        // ends: every finished piece of work posts an event, so this waits on no timer.
        void settle() {
            while (module.refreshCycle().isRunning())
                QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        }
        QByteArray file(int i) const {
            QFile f(paths[i - 1]);
            return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
        }
        QStringList paths;
    };

private slots:
    void cleanup() { ByteStore::setReservationLimit(std::numeric_limits<qint64>::max()); }

    void tickDuringCycleInFlightStartsNone() {
        Background h;
        QSignalSpy finished(&h.module.refreshCycle(), &RefreshCycle::finished);
        h.fs.hold();
        h.fs.resetCounters();
        h.module.timerUpdate_Timer();
        QVERIFY(h.module.refreshCycle().isRunning());
        QCOMPARE(h.view(1).bytes(), QByteArray("1.log one\n")); // nothing applied yet
        h.module.timerUpdate_Timer();
        h.module.timerUpdate_Timer();
        h.fs.release();
        h.settle();
        QCOMPARE(finished.count(), 1);
        for (int i = 1; i <= 3; ++i) {
            QCOMPARE(h.fs.stampCalls.value(h.paths[i - 1]), 1);
            QCOMPARE(h.view(i).bytes(), h.file(i));
        }
    }

    void outcomeForAChangedSlotIsDropped_data() {
        QTest::addColumn<int>("closing");
        QTest::addColumn<bool>("reopen");
        QTest::newRow("closed slot's outcome is dropped") << 2 << false;
        QTest::newRow("later slots move down and still get theirs") << 1 << false;
        QTest::newRow("document opened in the freed slot keeps its own") << 3 << true;
    }
    void outcomeForAChangedSlotIsDropped() {
        QFETCH(int, closing);
        QFETCH(bool, reopen);
        Background h;
        h.fs.hold();
        h.module.RefreshDocuments(0);
        QVERIFY(h.module.refreshCycle().isRunning());
        h.view(closing).setText(Contents()); // the window's unload empties the view
        h.module.RemoveDocument(closing);
        const QString other = reopen ? h.write("other.log", "another document\n") : QString();
        if (reopen)
            h.module.OpenDocument(other); // waits its turn behind the cycle in flight
        h.fs.release();
        h.module.refreshCycle().waitForIdle();

        QCOMPARE(h.module.DocCount, reopen ? 3 : 2);
        int slot = 1;
        for (int i = 1; i <= 3; ++i) {
            if (i == closing)
                continue;
            QCOMPARE(h.module.DocFileName[slot], h.paths[i - 1]);
            QCOMPARE(h.view(slot).bytes(), h.file(i));
            QCOMPARE(h.module.DocContents[slot].toByteArray(), h.file(i));
            ++slot;
        }
        if (reopen) {
            QCOMPARE(h.module.DocFileName[3], other);
            QCOMPARE(h.view(3).bytes(), QByteArray("another document\n"));
        }
        QCOMPARE(h.main.windows[closing - 1]->view.bytes(), QByteArray());
    }

    void highlightCommandDuringCycleMarksEveryDocument() {
        Background h;
        h.fs.hold();
        h.module.RefreshDocuments(0);
        h.module.HighLightString = QStringLiteral("TWO");
        h.module.HighLightPending = true;
        h.module.RefreshDocuments(0); // runs after the cycle in flight
        h.fs.release();
        h.module.refreshCycle().waitForIdle();
        for (int i = 1; i <= 3; ++i)
            QCOMPARE(h.view(i).colourMap(), QByteArray("..........xxx."));
        QVERIFY(!h.module.HighLightPending);
    }

    // A document that fails on a worker, for want of memory too, gets its failure path; the
    // others follow in the same cycle.
    void failureFromAWorker() {
        Background h;
        h.files.remove("2.log");
        ByteStore::setReservationLimit(1 << 20);
        h.files.append("3.log", QByteArray(2 << 20, 'x'));
        h.module.timerUpdate_Timer();
        h.settle();
        QCOMPARE(h.window(2)->caption(), h.paths[1] + " - No such file or directory");
        QCOMPARE(h.window(3)->caption(), h.paths[2] + " - not enough memory to hold this file");
        QVERIFY(h.view(2).bytes().isEmpty() && h.view(3).bytes().isEmpty());
        QVERIFY(!h.module.DocFileTime[2].isValid() && !h.module.DocFileTime[3].isValid());
        QCOMPARE(h.view(1).bytes(), h.file(1));

        ByteStore::setReservationLimit(std::numeric_limits<qint64>::max());
        h.write("2.log", "back\n");
        h.module.RefreshDocuments(0);
        h.module.refreshCycle().waitForIdle();
        for (int i = 1; i <= 3; ++i)
            QCOMPARE(h.view(i).bytes(), h.file(i));
    }

    // Writers append all the while; the user closes, opens and changes the highlight text
    // between ticks. Once the writers stop, one more cycle leaves every view equal to its
    // file and marked exactly where the pattern occurs.
    void manyWritersWhileCyclesOverlapCommands() {
        Background h;
        h.module.refreshCycle().setMarkPassApart(64); // full passes on the workers too
        h.module.setReadChunkSize(7);
        std::atomic<bool> stop{false};
        std::vector<std::thread> writers;
        for (int w = 0; w < 4; ++w) {
            const QString name = QStringLiteral("w%1.log").arg(w);
            h.write(name, "");
            h.module.OpenDocument(h.files.path(name));
            writers.emplace_back([&h, &stop, name, w] {
                for (int n = 0; !stop; ++n) {
                    QFile f(h.files.path(name));
                    if (f.open(QIODevice::Append))
                        f.write(QByteArray::number(w) + " line " + QByteArray::number(n) +
                                (n % 7 ? " ok\n" : " Error\n"));
                }
            });
        }
        for (int round = 0; round < 60; ++round) {
            h.module.timerUpdate_Timer();
            if (round % 10 == 3) {
                h.module.HighLightString = round % 20 == 3 ? QStringLiteral("error") : "LINE 1";
                h.module.HighLightPending = true;
                h.module.RefreshDocuments(0);
            }
            if (round == 25 && h.module.DocCount > 1) {
                h.view(1).setText(Contents());
                h.module.RemoveDocument(1);
            }
            if (round == 40)
                h.module.OpenDocument(h.paths[0]);
            QCoreApplication::processEvents();
        }
        stop = true;
        for (std::thread &t : writers)
            t.join();
        h.module.refreshCycle().waitForIdle();
        h.module.HighLightPending = true;
        h.module.setBackgroundCycles(false);
        h.module.RefreshDocuments(0);

        const HighlightSearch search(h.module.HighLightString);
        for (int slot = 1; slot <= h.module.DocCount; ++slot) {
            QFile f(h.module.DocFileName[slot]);
            QVERIFY(f.open(QIODevice::ReadOnly));
            const QByteArray bytes = f.readAll();
            QCOMPARE(h.view(slot).bytes(), bytes);
            QCOMPARE(h.module.DocContents[slot].toByteArray(), bytes);
            QByteArray expected(bytes.size(), '.');
            search.forEachMatch(bytes.constData(), bytes.size(), [&expected](qint64 at, qint64 n) {
                expected.replace(at, n, QByteArray(n, 'x'));
            });
            const QByteArray marks = h.view(slot).colourMap();
            // Marks from the earlier pattern stay; every match of the last one is marked.
            for (qsizetype i = 0; i < bytes.size(); ++i)
                QVERIFY(expected[i] != 'x' || marks[i] == 'x');
        }
    }
};

QTEST_GUILESS_MAIN(tst_CycleThreads)
#include "tst_cyclethreads.moc"
