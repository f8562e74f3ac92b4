#include "support/faultyfilesystem.h"
#include "support/filewriter.h"

#include "core/documentreader.h"

#include <QtTest>

using namespace Orvik;

// Reading a changed file: what is compared, what is read, and where the bytes go.
class tst_DocumentReader : public QObject {
    Q_OBJECT

private slots:
    void appendGoesIntoThePreviousStore();
    void appendReadsEachByteOnce();
    void replacementBuildsANewWhole();
    void firstReadIsAReplacement();
    void emptyFileIsAnEmptyReplacement();
    void failuresCarryTheirDescription_data();
    void failuresCarryTheirDescription();

    // Closing the program cancels a read in flight: it stops at the next stretch.
    void cancelStopsAReadBetweenStretches() {
        FileWriter files;
        FaultyFileSystem fs;
        const QString path = files.write("a", QByteArray(16 << 20, 'x'));
        std::atomic<bool> cancel{false};
        DocumentReader reader(fs, 4);
        reader.setCancel(&cancel);
        const auto cancelNow = [&cancel](const char *, qint64) { cancel = true; };
        QCOMPARE(reader.readApart(path, Contents(), cancelNow).kind, ReadKind::Failed);
        QVERIFY(fs.bytesRead(path) <= 4 << 20);
    }
};

void tst_DocumentReader::appendGoesIntoThePreviousStore() {
    FileWriter files;
    FaultyFileSystem fs;
    const QString path = files.write("a", "hello ");
    DocumentReader reader(fs, 4);
    const ReadOutcome first = reader.read(path, Contents());
    files.append("a", "world");
    const ReadOutcome second = reader.read(path, first.contents);
    QCOMPARE(second.kind, ReadKind::Append);
    QCOMPARE(second.contents.toByteArray(), QByteArray("hello world"));
    QCOMPARE(second.contents.store(), first.contents.store());
    QCOMPARE(first.contents.toByteArray(), QByteArray("hello ")); // holders see no change
}

void tst_DocumentReader::appendReadsEachByteOnce() {
    FileWriter files;
    FaultyFileSystem fs;
    const QString path = files.write("a", QByteArray(10000, 'a'));
    DocumentReader reader(fs, 1000);
    const ReadOutcome first = reader.read(path, Contents());
    files.append("a", QByteArray(123, 'b'));
    fs.resetCounters();
    const ReadOutcome second = reader.read(path, first.contents);
    QCOMPARE(second.kind, ReadKind::Append);
    QCOMPARE(fs.bytesRead(path), qint64(10123));
}

void tst_DocumentReader::replacementBuildsANewWhole() {
    FileWriter files;
    FaultyFileSystem fs;
    const QString path = files.write("a", "0123456789");
    DocumentReader reader(fs, 3);
    const ReadOutcome first = reader.read(path, Contents());
    files.write("a", "0123456X89abc");
    const ReadOutcome second = reader.read(path, first.contents);
    QCOMPARE(second.kind, ReadKind::Replacement);
    QCOMPARE(second.contents.toByteArray(), QByteArray("0123456X89abc"));
    QVERIFY(second.contents.store() != first.contents.store());
    QCOMPARE(first.contents.toByteArray(), QByteArray("0123456789"));
}

void tst_DocumentReader::firstReadIsAReplacement() {
    FileWriter files;
    FaultyFileSystem fs;
    DocumentReader reader(fs);
    const ReadOutcome outcome = reader.read(files.write("a", "abc"), Contents());
    QCOMPARE(outcome.kind, ReadKind::Replacement);
    QCOMPARE(outcome.contents.toByteArray(), QByteArray("abc"));
}

void tst_DocumentReader::emptyFileIsAnEmptyReplacement() {
    FileWriter files;
    FaultyFileSystem fs;
    DocumentReader reader(fs);
    const ReadOutcome outcome =
        reader.read(files.write("a", ""), Contents::fromByteArray("previous"));
    QCOMPARE(outcome.kind, ReadKind::Replacement);
    QVERIFY(outcome.contents.isEmpty());
}

void tst_DocumentReader::failuresCarryTheirDescription_data() {
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

void tst_DocumentReader::failuresCarryTheirDescription() {
    QFETCH(QString, fault);
    QFETCH(QString, description);
    FileWriter files;
    FaultyFileSystem fs;
    const QString path = files.write("a", "abcdef");
    DocumentReader reader(fs, 2);
    const Contents previous = Contents::fromByteArray("abcd");
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

QTEST_GUILESS_MAIN(tst_DocumentReader)
#include "tst_documentreader.moc"
