#include "support/fakes.h"
#include "support/filewriter.h"

#include "core/documentreader.h"

#include <QtTest>

#include <atomic>

using namespace Orvik;

// Reading a changed file: what is compared, what is read, where the bytes go, and what the
// holders of the previous contents see.
class tst_DocumentReader : public QObject {
    Q_OBJECT
    FileWriter files;
    FaultyFileSystem fs;

private slots:
    void appendReadsEachByteOnceIntoThePreviousStore() {
        const QString path = files.write("a", QByteArray(10000, 'a'));
        DocumentReader reader(fs, 1000);
        const ReadOutcome first = reader.read(path, Contents());
        QCOMPARE(first.kind, ReadKind::Replacement);
        files.append("a", "world");
        fs.resetCounters();
        const ReadOutcome second = reader.read(path, first.contents);
        QCOMPARE(second.kind, ReadKind::Append);
        QCOMPARE(fs.bytesRead[path], qint64(10005));
        QCOMPARE(second.contents.toByteArray(), QByteArray(10000, 'a') + "world");
        QCOMPARE(second.contents.store(), first.contents.store());
        QCOMPARE(first.contents.size(), qint64(10000)); // holders see no change
        Contents older = first.contents;                // an append to an older snapshot copies
        older.append("XY", 2);
        QVERIFY(older.store() != second.contents.store());
        QCOMPARE(second.contents.mid(9998).toByteArray(), QByteArray("aaworld"));
    }

    void appendOfItsOwnBytesSurvivesAMove() {
        // Each append outgrows the store's reservation, which may move it while copying.
        QByteArray block(1 << 20, 'x');
        block[0] = 'a';
        Contents c = Contents::fromByteArray(block);
        for (int i = 0; i < 3; ++i)
            c.append(c);
        QCOMPARE(c.toByteArray(), block.repeated(8));
    }

    void replacementBuildsANewWhole_data() {
        QTest::addColumn<QByteArray>("after");
        QTest::newRow("differs after the first chunk") << QByteArray("0123456X89abc");
        QTest::newRow("empty file") << QByteArray();
    }
    void replacementBuildsANewWhole() {
        QFETCH(QByteArray, after);
        const QString path = files.write("a", "0123456789");
        DocumentReader reader(fs, 3);
        const ReadOutcome first = reader.read(path, Contents());
        files.write("a", after);
        const ReadOutcome second = reader.read(path, first.contents);
        QCOMPARE(second.kind, ReadKind::Replacement);
        QCOMPARE(second.contents.toByteArray(), after);
        QCOMPARE(first.contents.toByteArray(), QByteArray("0123456789"));
    }

    void failuresCarryTheirDescription_data() {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("description");
        QTest::newRow("missing") << "missing"
                                 << "No such file or directory";
        QTest::newRow("refused open") << "open"
                                      << "Sharing violation";
        QTest::newRow("broken read while comparing") << "compare"
                                                     << "Input/output error";
        QTest::newRow("broken read of the remainder") << "remainder"
                                                      << "Input/output error";
    }
    void failuresCarryTheirDescription() {
        QFETCH(QString, fault);
        QFETCH(QString, description);
        const QString path = files.write("a", "abcdef");
        DocumentReader reader(fs, 2);
        const Contents previous = Contents::fromByteArray("abcd");
        fs.healAll();
        if (fault == QLatin1String("missing"))
            files.remove("a");
        else if (fault == QLatin1String("open"))
            fs.failOpen(path, description);
        else
            fs.failReadAfter(path, fault == QLatin1String("compare") ? 2 : 5, description);
        const ReadOutcome outcome = reader.read(path, previous);
        QCOMPARE(outcome.kind, ReadKind::Failed);
        QCOMPARE(outcome.error, description);
        QCOMPARE(previous.toByteArray(), QByteArray("abcd"));
    }

    // Closing the program cancels a read in flight: it stops at the next stretch.
    void cancelStopsAReadBetweenStretches() {
        const QString path = files.write("a", QByteArray(16 << 20, 'x'));
        std::atomic<bool> cancel{false};
        DocumentReader reader(fs, 4);
        reader.setCancel(&cancel);
        const auto cancelNow = [&cancel](const char *, qint64) { cancel = true; };
        QCOMPARE(reader.readApart(path, Contents(), cancelNow).kind, ReadKind::Failed);
        QVERIFY(fs.bytesRead[path] <= 4 << 20);
    }
};

QTEST_GUILESS_MAIN(tst_DocumentReader)
#include "tst_documentreader.moc"
