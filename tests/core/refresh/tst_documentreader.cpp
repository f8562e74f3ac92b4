#include "support/fakes.h"
#include "support/filewriter.h"

#include "core/refresh/documentreader.h"
#include "core/refresh/posixfilesystem.h"

#include <QtTest>

#include <atomic>
#include <thread>
#include <vector>

#include <sys/resource.h>

using namespace Orvik;

namespace {
// The address space the process maps now, from its status.
qint64 mappedBytes() {
    QFile status(QStringLiteral("/proc/self/status"));
    status.open(QIODevice::ReadOnly);
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmSize:"))
            return line.mid(7).trimmed().split(' ').value(0).toLongLong() * 1024;
    return 0;
}
} // namespace

// Reading a changed file: what is compared, what is read, where the bytes go, and what the
// holders of the previous contents see; under it the real file system's stamps, sizes and reads.
class tst_DocumentReader : public QObject {
    Q_OBJECT
    FileWriter files;
    FaultyFileSystem fs;
    PosixFileSystem posix;

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

    // A large text is compared in two halves at once; a change in either half, or none, is
    // found as by one compare from the start.
    void halvesComparedAtOnce_data() {
        QTest::addColumn<int>("changedAt"); // -1: only grew
        QTest::newRow("only grew") << -1;
        QTest::newRow("first byte") << 0;
        QTest::newRow("near half") << 3333;
        QTest::newRow("first byte of the far half") << 5000;
        QTest::newRow("far half") << 7777;
        QTest::newRow("last byte") << 9999;
    }
    void halvesComparedAtOnce() {
        QFETCH(int, changedAt);
        QByteArray text(10000, 'a');
        for (int i = 0; i < text.size(); i += 7)
            text[i] = char('b' + i % 13);
        const QString path = files.write("halves", text);
        DocumentReader reader(posix, 100);
        reader.setSplitFrom(1000);
        const ReadOutcome first = reader.read(path, Contents());
        QByteArray now = text + "grown";
        if (changedAt >= 0)
            now[changedAt] = '#';
        files.write("halves", now);
        const ReadOutcome second = reader.read(path, first.contents);
        QCOMPARE(second.kind, changedAt < 0 ? ReadKind::Append : ReadKind::Replacement);
        QCOMPARE(second.contents.toByteArray(), now);
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

    void stampIsTheModificationTimeInWholeSeconds() {
        const QDateTime when(QDate(2024, 3, 9), QTime(8, 7, 6));
        QString error;
        const QDateTime stamp = posix.lastModified(files.writeAt("a", "x", when), &error);
        QCOMPARE(stamp, when);
        QVERIFY(error.isEmpty());
        QVERIFY(!posix.lastModified(QStringLiteral("/etc/passwd/x"), &error).isValid());
        QCOMPARE(error, QStringLiteral("Not a directory"));

        // Every document's worker stamps its file at once: many distinct times, many threads.
        QStringList paths;
        for (int i = 0; i < 600; ++i)
            paths << files.writeAt(QStringLiteral("t%1").arg(i), "x", when.addSecs(i));
        std::atomic<int> wrong{0};
        std::vector<std::thread> workers;
        for (int t = 0; t < 4; ++t)
            workers.emplace_back([&, t] {
                for (int round = 0; round < 3; ++round)
                    for (int i = t; i < paths.size(); i += 2)
                        if (posix.lastModified(paths[i], nullptr) != when.addSecs(i))
                            ++wrong;
            });
        for (std::thread &w : workers)
            w.join();
        QCOMPARE(wrong.load(), 0);
    }

    void sizesAreSixtyFourBit() {
        const qint64 size = (qint64(5) << 30) + 7; // sparse: takes no space
        const QString path = files.write("big", "");
        files.truncate("big", size);
        QCOMPARE(posix.FileSizeProbe(path), size);
        QString error;
        QCOMPARE(posix.openForRead(path, &error)->size(), size);
    }

    void readStopsAtTheSizeTheOpenSawOrEarlier() {
        const QString path = files.write("f", "abcdef");
        QString error;
        const auto reader = posix.openForRead(path, &error);
        files.append("f", "ghi");
        char buffer[16];
        QCOMPARE(reader->read(buffer, 3), qint64(3));
        files.truncate("f", 5);
        QCOMPARE(reader->read(buffer + 3, sizeof buffer - 3), qint64(2));
        QCOMPARE(reader->read(buffer, sizeof buffer), qint64(0));
        QCOMPARE(QByteArray(buffer, 5), QByteArray("abcde"));
    }

    // Closing the program cancels a read in flight: it stops at the next stretch.
    // Under a limit of address space (this test run again in a process of its own that sets
    // it), ten small files and a large one all open, and the large one can be read anew while
    // its old text is held: each store reserves after its own size.
    void filesShareALimitedAddressSpace() {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
        QSKIP("a sanitizer's shadow memory leaves no address space limit to speak of");
#endif
        if (!qEnvironmentVariableIsSet("ORVIK_TEST_ADDRESS_LIMIT")) {
            QProcess child;
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert(QStringLiteral("ORVIK_TEST_ADDRESS_LIMIT"), QStringLiteral("1"));
            child.setProcessEnvironment(env);
            child.setProcessChannelMode(QProcess::MergedChannels);
            child.start(QCoreApplication::applicationFilePath(),
                        {QStringLiteral("filesShareALimitedAddressSpace")});
            QVERIFY(child.waitForFinished(120000));
            QVERIFY2(child.exitCode() == 0, child.readAll().constData());
            return;
        }
        constexpr qint64 Large = 256 << 20;
        files.write("large", "x");
        files.truncate("large", Large); // sparse: reads as zeros
        QStringList paths;
        for (int i = 0; i < 10; ++i)
            paths << files.write(QStringLiteral("small%1").arg(i), QByteArray(10000, 's'));
        paths << files.path("large");
        const rlimit limit{rlim_t(mappedBytes() + (900 << 20)), RLIM_INFINITY};
        QCOMPARE(setrlimit(RLIMIT_AS, &limit), 0);
        DocumentReader reader(posix);
        std::vector<ReadOutcome> open;
        try {
            for (const QString &path : paths) {
                open.push_back(reader.read(path, Contents()));
                QCOMPARE(open.back().kind, ReadKind::Replacement);
            }
            QCOMPARE(open.back().contents.size(), Large);
            QFile large(paths.back());
            QVERIFY(large.open(QIODevice::ReadWrite) && large.write("y") == 1);
            large.close();
            const ReadOutcome replaced = reader.read(paths.back(), open.back().contents);
            QCOMPARE(replaced.kind, ReadKind::Replacement);
            QCOMPARE(replaced.contents.at(0), 'y');
        } catch (const std::bad_alloc &) {
            QFAIL(qPrintable(QStringLiteral("no room for file %1").arg(open.size() + 1)));
        }
    }

    void cancelStopsAReadBetweenStretches() {
        const QString path = files.write("a", QByteArray(16 << 20, 'x'));
        std::atomic<bool> cancel{false};
        DocumentReader reader(fs, 4);
        reader.setCancel(&cancel);
        fs.resetCounters();
        const auto cancelNow = [&cancel](ReadKind, const std::shared_ptr<ByteStore> &, const char *,
                                         qint64) { cancel = true; };
        QCOMPARE(reader.read(path, Contents(), cancelNow).kind, ReadKind::Failed);
        QVERIFY(fs.bytesRead[path] <= 4 << 20);
    }
};

QTEST_GUILESS_MAIN(tst_DocumentReader)
#include "tst_documentreader.moc"
