#include "support/coreharness.h"

#include "core/refreshcycle.h"
#include "core/watch/filewatcher.h"

#include <QtTest>

using namespace Orvik;

// Following at once: the kernel's news of a change refreshes the document without any tick
// of the refresh timer (these tests never run one), coalesced, and only while switched on.
class tst_FileWatcher : public QObject {
    Q_OBJECT

private:
    struct Followed {
        Followed() {
            h.module.setBackgroundCycles(true);
            h.module.setFileWatcher(&watcher);
        }
        ~Followed() { h.module.refreshCycle().shutdown(std::chrono::seconds(1)); }
        CoreHarness h;
        FileWatcher watcher;
    };

private slots:
    void changeSeenWithoutTick_data() {
        QTest::addColumn<QString>("change");
        QTest::addColumn<QByteArray>("shown");
        QTest::newRow("append") << "append" << QByteArray("one\ntwo\nthree\n");
        QTest::newRow("truncated and rewritten (copytruncate)")
            << "copytruncate" << QByteArray("new\n");
        QTest::newRow("moved away, then created (rotation)") << "rotate" << QByteArray("fresh\n");
        QTest::newRow("deleted, then created") << "recreate" << QByteArray("again\n");
        QTest::newRow("same size within the same second") << "same" << QByteArray("ONE\nTWO\n");
    }
    void changeSeenWithoutTick() {
        QFETCH(QString, change);
        QFETCH(QByteArray, shown);
        Followed f;
        FileWriter &files = f.h.files;
        f.h.write("app.log", "one\ntwo\n");
        f.h.open("app.log");
        QTRY_COMPARE(f.h.view(1).bytes(), QByteArray("one\ntwo\n"));
        QVERIFY(f.watcher.isWatching(f.h.module.DocSerial[1]));
        if (change == "append") {
            files.append("app.log", "three\n");
        } else if (change == "copytruncate") {
            files.truncate("app.log", 0);
            files.append("app.log", "new\n");
        } else if (change == "rotate") {
            files.rename("app.log", "app.log.1");
            files.write("app.log", "fresh\n");
        } else if (change == "recreate") {
            files.remove("app.log");
            files.write("app.log", "again\n");
        } else {
            f.h.write("app.log", "ONE\nTWO\n"); // the stamp and size of the first write
        }
        QTRY_COMPARE(f.h.view(1).bytes(), shown);
        // The rotated file is no longer watched; the new one under the name is.
        if (change == "rotate") {
            files.append("app.log.1", "old\n");
            files.append("app.log", "more\n");
            QTRY_COMPARE(f.h.view(1).bytes(), QByteArray("fresh\nmore\n"));
        }
    }

    // Many writes while a read is in flight bring one more read after it, not one each.
    void writesWhileReadingAreCoalesced() {
        Followed f;
        f.h.write("busy.log", "0\n");
        f.h.open("busy.log");
        const QString path = f.h.files.path("busy.log");
        QTRY_COMPARE(f.h.view(1).bytes(), QByteArray("0\n"));
        f.h.fs.resetCounters();
        f.h.fs.holdRead(path);
        f.h.files.append("busy.log", "1\n");
        QTRY_VERIFY(f.h.fs.readWaiting(path));
        QByteArray expected = "0\n1\n";
        for (int i = 2; i < 200; ++i) {
            f.h.files.append("busy.log", QByteArray::number(i) + '\n');
            expected += QByteArray::number(i) + '\n';
        }
        QCoreApplication::processEvents(); // the notifications of the writes arrive
        f.h.fs.release();
        QTRY_COMPARE(f.h.view(1).bytes(), expected);
        QTRY_VERIFY(!f.h.module.refreshCycle().isRunning());
        QCOMPARE(f.h.fs.openCalls.value(path), 2);
    }

    // Reads are spaced by what the last read of the file took; the open's read and a tick
    // that found the stamp and size unchanged (and so read nothing) hold nothing back: news
    // right after them is read at once.
    void quietTickHoldsNoNotificationBack() {
        Followed f;
        f.h.write("quiet.log", "a\n");
        f.h.open("quiet.log");
        QTRY_COMPARE(f.h.view(1).bytes(), QByteArray("a\n"));
        f.h.module.timerUpdate_Timer();
        f.h.module.refreshCycle().waitForIdle();
        f.h.fs.holdRead(f.h.files.path("quiet.log"));
        QSignalSpy told(&f.watcher, &FileWatcher::changed);
        f.h.files.append("quiet.log", "b\n");
        QTRY_VERIFY(!told.isEmpty());
        QVERIFY(f.h.module.refreshCycle().isRunning()); // begun, not left to a timer
        f.h.fs.release();
        QTRY_COMPARE(f.h.view(1).bytes(), QByteArray("a\nb\n"));
    }

    // Without a watch (the watch limit reached) or switched off, only the timer refreshes:
    // a change is not shown until a tick, and then it is.
    void timerAloneWithoutWatch_data() {
        QTest::addColumn<bool>("switchedOff");
        QTest::newRow("no watch can be set") << false;
        QTest::newRow("switched off") << true;
    }
    void timerAloneWithoutWatch() {
        QFETCH(bool, switchedOff);
        Followed f;
        if (switchedOff)
            f.h.module.setFollowInstantly(false);
        else
            f.watcher.setWatchLimit(0);
        f.h.write("quiet.log", "a\n");
        f.h.open("quiet.log");
        QTRY_COMPARE(f.h.view(1).bytes(), QByteArray("a\n"));
        QVERIFY(!f.watcher.isWatching(f.h.module.DocSerial[1]));
        QCOMPARE(f.watcher.watchCount(), 0);
        // A followed document beside it shows when the news of both writes has come.
        Followed witness;
        witness.h.write("seen.log", "a\n");
        witness.h.open("seen.log");
        QTRY_COMPARE(witness.h.view(1).bytes(), QByteArray("a\n"));
        f.h.files.append("quiet.log", "b\n");
        witness.h.files.append("seen.log", "b\n");
        QTRY_COMPARE(witness.h.view(1).bytes(), QByteArray("a\nb\n"));
        QCOMPARE(f.h.view(1).bytes(), QByteArray("a\n"));
        f.h.module.timerUpdate_Timer();
        QTRY_COMPARE(f.h.view(1).bytes(), QByteArray("a\nb\n"));
        if (switchedOff) {
            f.h.module.setFollowInstantly(true);
            f.h.files.append("quiet.log", "c\n");
            QTRY_COMPARE(f.h.view(1).bytes(), QByteArray("a\nb\nc\n"));
        }
    }

    // A document watches its file and its folder; documents in one folder share the folder's
    // watch, and closing a document gives its watches back.
    void watchesFollowTheDocuments() {
        Followed f;
        for (int i = 1; i <= Module1::MaxDocuments; ++i) {
            f.h.write(QStringLiteral("log%1").arg(i), "x\n");
            f.h.open(QStringLiteral("log%1").arg(i));
        }
        QCOMPARE(f.h.module.DocCount, Module1::MaxDocuments);
        QCOMPARE(f.watcher.watchCount(), Module1::MaxDocuments + 1);
        while (f.h.module.DocCount > 0)
            f.h.module.RemoveDocument(1);
        QCOMPARE(f.watcher.watchCount(), 0);
    }
};

QTEST_GUILESS_MAIN(tst_FileWatcher)
#include "tst_filewatcher.moc"
