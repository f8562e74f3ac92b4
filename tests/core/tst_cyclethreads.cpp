#include "support/coreharness.h"

#include "core/refresh/workerpool.h"
#include "core/refreshcycle.h"
#include "core/search/highlightsearch.h"

#include <QtTest>

#include <atomic>
#include <condition_variable>
#include <limits>
#include <mutex>
#include <system_error>
#include <thread>

using namespace Orvik;

// File work on worker threads while the event loop goes on: every document on its own, what
// may happen while work is in flight, and that the outcomes are still those of a cycle run
// whole.
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
        // A test that failed while reads were held lets them go before the file system goes.
        ~Background() { fs.release(); }
        // Lets the event loop apply outcomes as the workers hand them over, until `done`:
        // every finished piece of work posts an event, so this waits on no timer.
        template <typename F> void settleUntil(F done) {
            while (!done())
                QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        }
        void settle() {
            settleUntil([this] { return !module.refreshCycle().isRunning(); });
        }
        // Waits for another thread to get to `done`, without events to wait for.
        template <typename F> static void spinUntil(F done) {
            while (!done())
                std::this_thread::yield();
        }
        // Ticks until `done`, as the timer would.
        template <typename F> void tickUntil(F done) {
            while (!done()) {
                module.timerUpdate_Timer();
                QCoreApplication::processEvents();
            }
        }
        static QByteArray bytesOf(const QString &path) {
            QFile f(path);
            return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
        }
        QByteArray file(int i) const { return bytesOf(paths[i - 1]); }
        bool follows(int slot) const {
            return view(slot).bytes() == bytesOf(module.DocFileName[slot]);
        }
        int slotOf(const QString &path) const {
            for (int slot = 1; slot <= module.DocCount; ++slot)
                if (module.DocFileName[slot] == path)
                    return slot;
            return 0;
        }
        // Every match of `pattern` in the view of `slot` is marked.
        bool marked(int slot, const QString &pattern) const {
            const QByteArray bytes = view(slot).bytes();
            const QByteArray map = view(slot).colourMap();
            bool all = true;
            HighlightSearch(pattern).forEachMatch(
                bytes.constData(), bytes.size(),
                [&](qint64 at, qint64 n) { all = all && !map.mid(at, n).contains('.'); });
            return all;
        }
        QStringList paths;
    };

private slots:
    void cleanup() { ByteStore::setReservationLimit(std::numeric_limits<qint64>::max()); }

    // Reads hanging on two documents (a network mount, say) hold up neither the other
    // documents, tick after tick, nor each other's later work; a busy document is not read
    // again until its read is done.
    void slowReadsHoldNoOtherDocument() {
        Background h;
        h.module.refreshCycle().setBusyLimit(std::chrono::seconds(0));
        h.fs.holdRead(h.paths[0]);
        h.fs.holdRead(h.paths[1]);
        h.fs.resetCounters();
        for (int round = 0; round < 3; ++round) {
            h.files.append("3.log", "more\n");
            h.tickUntil([&h] { return h.follows(3); });
        }
        QVERIFY(h.fs.readWaiting(h.paths[0]) && h.fs.readWaiting(h.paths[1]));
        QCOMPARE(h.fs.stampCalls.value(h.paths[0]), 1);
        QCOMPARE(h.fs.stampCalls.value(h.paths[1]), 1);
        h.fs.release();
        h.settle();
        for (int i = 1; i <= 3; ++i)
            QVERIFY(h.follows(i));
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
            h.module.OpenDocument(other);
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

    // A document closed in the middle of a long read: the close does not wait, the read stops
    // and its memory goes, and the others are followed meanwhile.
    void closeDuringALongReadLetsItGo() {
        Background h;
        const qint64 before = ByteStore::bytesCommitted();
        h.write("1.log", QByteArray(16 << 20, 'x'), 5); // rewritten: read whole, 4 MB a stretch
        h.fs.holdRead(h.paths[0], 8 << 20);
        h.module.timerUpdate_Timer();
        h.spinUntil([&h] { return h.fs.readWaiting(h.paths[0]); });
        QVERIFY(ByteStore::bytesCommitted() >= before + (8 << 20));
        h.module.RemoveDocument(1); // the read stays blocked: nothing waits for it
        h.files.append("2.log", "more\n");
        h.tickUntil([&h] { return h.follows(1); }); // 2.log is in slot 1 now
        h.fs.release();                             // the reader sees that it was cancelled
        h.spinUntil([before] { return ByteStore::bytesCommitted() <= before; });
        h.settle();
        QCOMPARE(h.module.DocCount, 2);
        QCOMPARE(h.main.windows[0]->captions.size(), 3); // none from the read that was let go
    }

    // Highlight changes while a read is in flight each get their full pass, in order, also a
    // text asked for again after another ("" marks nothing: what is appended meanwhile stays
    // unmarked until then); each pass is shown in one call however many lines it marks.
    void highlightChangesQueuedBehindAReadAllMark_data() {
        QTest::addColumn<QStringList>("steps"); // highlight texts; "+": lines appended, a tick
        QTest::addColumn<QList<QByteArray>>("words");
        QTest::newRow("two changes")
            << QStringList{"ONE", "two"} << QList<QByteArray>{"one", "two"};
        QTest::newRow("the same text again after none")
            << QStringList{"two", "", "+", "two"} << QList<QByteArray>{"two"};
    }
    void highlightChangesQueuedBehindAReadAllMark() {
        QFETCH(QStringList, steps);
        QFETCH(QList<QByteArray>, words);
        Background h;
        h.module.refreshCycle().setMarkPassApart(0); // passes on the workers too
        h.files.append("2.log", QByteArray("one two\n").repeated(1000));
        h.module.RefreshDocuments(0);
        h.module.refreshCycle().waitForIdle();
        h.fs.holdRead(h.paths[0]);
        h.files.append("1.log", "one two\n");
        h.module.RefreshDocuments(0);
        for (const QString &step : steps) {
            if (step == "+") {
                h.files.append("2.log", "one two\n");
                h.files.append("3.log", "one two\n");
            } else {
                h.module.HighLightString = step;
                h.module.HighLightPending = true;
            }
            h.module.RefreshDocuments(0);
            const QString &pattern = h.module.HighLightString;
            QTRY_VERIFY(h.follows(2) && h.follows(3) && h.marked(2, pattern) &&
                        h.marked(3, pattern));
        }
        QVERIFY(h.module.HighLightPending); // document 1 waits for its passes
        h.fs.release();
        h.settle();
        QVERIFY(!h.module.HighLightPending);
        for (int i = 1; i <= 3; ++i) {
            QByteArray expected = h.file(i);
            for (const QByteArray &word : words)
                expected.replace(word, QByteArray(word.size(), '\x01'));
            for (char &c : expected)
                c = c == '\x01' ? 'x' : '.';
            QCOMPARE(h.view(i).colourMap(), expected);
        }
        QCOMPARE(h.view(2).markCalls, 2);
    }

    // A document that fails, on a worker or while its outcome is applied, for want of memory
    // too, gets its failure path; the others follow, and the next cycles run as ever.
    void failureOfOneDocument() {
        Background h;
        h.view(1).failAppend = true;
        h.files.remove("2.log");
        ByteStore::setReservationLimit(1 << 20);
        h.files.append("3.log", QByteArray(2 << 20, 'x'));
        h.module.timerUpdate_Timer();
        h.settle();
        QCOMPARE(h.window(1)->caption(), h.paths[0] + " - not enough memory to hold this file");
        QCOMPARE(h.window(2)->caption(), h.paths[1] + " - No such file or directory");
        QCOMPARE(h.window(3)->caption(), h.paths[2] + " - not enough memory to hold this file");
        for (int i = 1; i <= 3; ++i) {
            QVERIFY(h.view(i).bytes().isEmpty());
            QVERIFY(!h.module.DocFileTime[i].isValid());
        }

        h.view(1).failAppend = false;
        ByteStore::setReservationLimit(std::numeric_limits<qint64>::max());
        h.write("2.log", "back\n");
        h.module.timerUpdate_Timer();
        h.settle();
        for (int i = 1; i <= 3; ++i)
            QVERIFY(h.follows(i));
    }

    // Out of threads or of memory when its work starts, a document shows why in its caption;
    // the others follow, and the next cycles run as ever.
    void documentWithoutThreadOrMemory_data() {
        QTest::addColumn<bool>("noThread"); // else its view is out of memory
        QTest::addColumn<int>("failing");
        QTest::addColumn<QString>("why");
        const std::error_code eagain =
            std::make_error_code(std::errc::resource_unavailable_try_again);
        QTest::newRow("a read that gets no thread")
            << true << 1 << QString::fromStdString(eagain.message());
        QTest::newRow("a full pass out of memory")
            << false << 2 << QStringLiteral("not enough memory to hold this file");
    }
    void documentWithoutThreadOrMemory() {
        QFETCH(bool, noThread);
        QFETCH(int, failing);
        QFETCH(QString, why);
        int starts = 0;
        Background h;
        if (noThread) {
            h.module.refreshCycle().setThreadStarter([&starts](std::function<void()> work) {
                if (++starts == 1)
                    throw std::system_error(
                        std::make_error_code(std::errc::resource_unavailable_try_again));
                std::thread(std::move(work)).detach();
            });
        } else {
            h.view(failing).failAppend = true;
            h.module.HighLightString = QStringLiteral("one");
            h.module.HighLightPending = true;
        }
        h.module.timerUpdate_Timer();
        h.settle();
        QCOMPARE(h.window(failing)->caption(), h.paths[failing - 1] + " - " + why);
        for (int i = 1; i <= 3; ++i)
            QVERIFY(i == failing || h.follows(i));

        h.view(failing).failAppend = false;
        h.module.timerUpdate_Timer();
        h.settle();
        for (int i = 1; i <= 3; ++i)
            QVERIFY(h.follows(i));
        QVERIFY(!h.module.HighLightPending);

        // The pool counts only threads that started: a read that blocks leaves another worker.
        h.module.refreshCycle().setBusyLimit(std::chrono::hours(1));
        h.fs.holdRead(h.paths[0]);
        h.files.append("1.log", "more\n");
        h.files.append("2.log", "more\n");
        h.module.timerUpdate_Timer();
        QTRY_VERIFY(h.follows(2));
    }

    // Reads hung in the kernel hold up no other document: with twenty hung (of documents opened
    // and closed one after another), an append elsewhere still shows after one tick; an open
    // gets a thread at once while every worker was just taken by a read that blocks; and a
    // document closed and opened again while its read is stuck waits for that read instead of
    // adding a thread each time.
    void documentsGetThreadsWhileReadsHang_data() {
        QTest::addColumn<int>("held");    // of the four documents, whose reads hang at the tick
        QTest::addColumn<int>("opened");  // documents opened and closed next, their reads hung
        QTest::addColumn<int>("reopens"); // of the first, while its read hangs
        QTest::addColumn<int>("busyLimitMs");
        QTest::addColumn<bool>("opens"); // a document opened, else one appended to
        QTest::newRow("twenty reads hung, an append shows") << 0 << 20 << 0 << 0 << false;
        QTest::newRow("every worker just taken, an open reads") << 4 << 0 << 0 << 3600000 << true;
        QTest::newRow("a document reopened waits for its stuck read") << 1 << 0 << 20 << 0 << false;
    }
    void documentsGetThreadsWhileReadsHang() {
        QFETCH(int, held);
        QFETCH(int, opened);
        QFETCH(int, reopens);
        QFETCH(int, busyLimitMs);
        QFETCH(bool, opens);
        Background h;
        h.module.setBackgroundCycles(false);
        h.write("4.log", "four\n");
        h.paths << h.open("4.log");
        h.module.setBackgroundCycles(true);
        std::atomic<int> starts{0};
        h.module.refreshCycle().setThreadStarter([&starts](std::function<void()> work) {
            ++starts;
            std::thread(std::move(work)).detach();
        });
        h.module.refreshCycle().setBusyLimit(std::chrono::milliseconds(busyLimitMs));
        if (reopens > 0) {
            // Only the read that hangs is in flight: no other work, slow on a slow machine,
            // looks stuck and wants a thread of its own meanwhile.
            h.module.timerUpdate_Timer();
            h.settle();
        }
        for (int i = 0; i < held; ++i) {
            h.fs.holdRead(h.paths[i]);
            h.files.append(QFileInfo(h.paths[i]).fileName(), "more\n");
        }
        if (reopens > 0) {
            h.module.refreshCycle().notify(h.module.DocSerial[size_t(h.slotOf(h.paths[0]))]);
            QTRY_VERIFY(h.fs.readWaiting(h.paths[0]) > 0);
        } else {
            h.module.timerUpdate_Timer();
        }
        for (int i = 0; i < opened; ++i) {
            const QString path = h.write(QStringLiteral("hung%1.log").arg(i), "hung\n");
            h.fs.holdRead(path);
            h.module.OpenDocument(path);
            QTRY_VERIFY(h.fs.readWaiting(path) > 0); // hung, not cancelled before it read
            h.view(h.module.DocCount).setText(Contents());
            h.module.RemoveDocument(h.module.DocCount);
        }
        const int startsBefore = starts;
        for (int i = 0; i < reopens; ++i) {
            const int slot = h.slotOf(h.paths[0]);
            h.view(slot).setText(Contents());
            h.module.RemoveDocument(slot);
            h.module.OpenDocument(h.paths[0]);
        }
        QCOMPARE(starts - startsBefore, 0);
        QString checked = h.paths[3];
        if (opens) {
            checked = h.write("5.log", "five\n");
            h.module.OpenDocument(checked);
        } else {
            h.files.append("4.log", "more\n");
            h.module.timerUpdate_Timer();
        }
        QTRY_VERIFY(h.follows(h.slotOf(checked)));
        h.fs.release();
        h.settle();
        h.tickUntil([&h] { return h.follows(h.slotOf(h.paths[0])); });
    }

    // Two tasks given in a row to a pool whose one thread is idle: the first blocks, the
    // second still runs at once on a thread of its own, with no tick to rebalance the pool.
    void taskBehindABlockedOneGetsAThread() {
        WorkerPool pool(2);
        pool.setBusyLimit(std::chrono::hours(1));
        std::atomic<bool> ran{false};
        pool.submit([&ran] { ran = true; });
        Background::spinUntil([&] { return ran && pool.idleThreads() == 1; });
        std::mutex m;
        std::condition_variable cv;
        bool release = false;
        std::atomic<bool> second{false};
        pool.submit([&] {
            std::unique_lock<std::mutex> lock(m);
            cv.wait(lock, [&] { return release; });
        });
        pool.submit([&second] { second = true; });
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (!second && std::chrono::steady_clock::now() < deadline)
            std::this_thread::yield();
        {
            std::lock_guard<std::mutex> lock(m);
            release = true;
        }
        cv.notify_all();
        QVERIFY(second);
        QVERIFY(pool.shutdown());
    }

    // Ending the program does not wait for a read blocked in the kernel but once, a second
    // at most, whether the refresh was shut down before or not; the thread left behind ends
    // on its own once the read returns.
    void shutdownLeavesABlockedReadBehind_data() {
        QTest::addColumn<bool>("shutFirst");
        QTest::newRow("the program ends") << false;
        QTest::newRow("shut down, then the program ends") << true;
    }
    void shutdownLeavesABlockedReadBehind() {
        QFETCH(bool, shutFirst);
        Background h;
        h.fs.holdRead(h.paths[0]);
        const int timedOut = WorkerPool::shutdownsTimedOut();
        {
            RefreshCycle ending(h.module);
            ending.start(1);
            h.spinUntil([&h] { return h.fs.readWaiting(h.paths[0]); });
            if (shutFirst) {
                QVERIFY(!ending.shutdown(std::chrono::milliseconds(0)));
                QVERIFY(!ending.isRunning());
            }
        }
        QCOMPARE(WorkerPool::shutdownsTimedOut(), timedOut + 1);
        h.fs.release();
        h.spinUntil([] { return WorkerPool::threadsAlive() == 0; });
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
