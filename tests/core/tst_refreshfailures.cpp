#include "support/coreharness.h"

#include <QtTest>

#include <limits>

using namespace Orvik;

// The refresh cycle's failure path: what the user sees, what is forgotten, where the cycle
// stops, and how a document recovers.
class tst_RefreshFailures : public QObject {
    Q_OBJECT

private slots:
    void vanishedFileFailsUntilItComesBack();
    void nonRegularPathsFailWithoutBlocking_data();
    void nonRegularPathsFailWithoutBlocking();
    void failureInSlotTwoOfThreeLetsTheOthersGoOn_data();
    void failureInSlotTwoOfThreeLetsTheOthersGoOn();
    void cleanup() { ByteStore::setReservationLimit(std::numeric_limits<qint64>::max()); }
    void brokenReadIsForgottenAndRebuiltWhole();
    void refusedOpenShowsItsDescription();
    void failureWithoutDescriptionStillSaysSo();
    void failingProbeReadsEveryCycle();
};

void tst_RefreshFailures::vanishedFileFailsUntilItComesBack() {
    CoreHarness h;
    const QString path = h.write("a.log", "abc");
    h.open("a.log");
    h.files.rename("a.log", "a.log.1");
    h.module.RefreshDocuments(0);
    QCOMPARE(h.window(1)->caption(), path + QStringLiteral(" - No such file or directory"));
    QVERIFY(h.view(1).bytes().isEmpty());
    QVERIFY(!h.module.DocFileTime[1].isValid());
    QVERIFY(h.module.DocContents[1].isEmpty()); // forgotten, not kept for a later append
    QCOMPARE(h.module.DocFileSize[1], qint64(0));

    h.module.RefreshDocuments(0);
    QVERIFY(h.window(1)->caption().endsWith(QStringLiteral("No such file or directory")));

    h.write("a.log", "abcdef");
    h.view(1).clearRecords();
    h.module.RefreshDocuments(0);
    QCOMPARE(h.view(1).setTextCount(), 1); // rebuilt whole, not "def" inserted at 3
    QCOMPARE(h.view(1).bytes(), QByteArray("abcdef"));
    QCOMPARE(h.window(1)->caption(), h.stateCaption(path, 6));
}

void tst_RefreshFailures::nonRegularPathsFailWithoutBlocking_data() {
    QTest::addColumn<QString>("kind");
    QTest::newRow("directory") << "directory";
    QTest::newRow("FIFO without writer") << "fifo";
    QTest::newRow("character device") << "device";
}

void tst_RefreshFailures::nonRegularPathsFailWithoutBlocking() {
    QFETCH(QString, kind);
    CoreHarness h;
    QString path;
    if (kind == QLatin1String("directory"))
        path = h.files.makeDirectory("dir");
    else if (kind == QLatin1String("fifo"))
        path = h.files.makeFifo("pipe");
    else
        path = QStringLiteral("/dev/zero");
    h.module.OpenDocument(path); // would hang here if the open or the read blocked
    QCOMPARE(h.module.DocCount, 1);
    QCOMPARE(h.window(1)->caption(), path + QStringLiteral(" - not a regular file"));
    QVERIFY(h.view(1).bytes().isEmpty());
    QCOMPARE(h.module.MRUFiles[1], path);
}

void tst_RefreshFailures::failureInSlotTwoOfThreeLetsTheOthersGoOn_data() {
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QString>("description");
    QTest::newRow("file deleted") << "deleted"
                                  << "No such file or directory";
    QTest::newRow("replaced by a directory") << "directory"
                                             << "not a regular file";
    QTest::newRow("replaced by a FIFO") << "fifo"
                                        << "not a regular file";
    QTest::newRow("replaced by a device") << "device"
                                          << "not a regular file";
    QTest::newRow("open refused by another process") << "open"
                                                     << "Permission denied";
    QTest::newRow("read breaks midway") << "read"
                                        << "Input/output error";
    QTest::newRow("too large for memory") << "memory"
                                          << "not enough memory to hold this file";
}

void tst_RefreshFailures::failureInSlotTwoOfThreeLetsTheOthersGoOn() {
    QFETCH(QString, fault);
    QFETCH(QString, description);
    CoreHarness h;
    h.write("1.log", "one");
    const QString second = h.write("2.log", "two");
    const QString third = h.write("3.log", "three");
    h.open("1.log");
    h.open("2.log");
    h.open("3.log");
    h.module.HighLightString = QStringLiteral("e");
    h.module.HighLightPending = true;
    if (fault == QLatin1String("deleted") || fault == QLatin1String("directory") ||
        fault == QLatin1String("fifo") || fault == QLatin1String("device"))
        h.files.remove("2.log");
    if (fault == QLatin1String("directory"))
        h.files.makeDirectory("2.log");
    else if (fault == QLatin1String("fifo"))
        h.files.makeFifo("2.log");
    else if (fault == QLatin1String("device"))
        QVERIFY(QFile::link(QStringLiteral("/dev/zero"), second));
    else if (fault == QLatin1String("open"))
        h.fs.failOpen(second, description);
    else if (fault == QLatin1String("read"))
        h.fs.failReadAfter(second, 2, description);
    else if (fault == QLatin1String("memory"))
        ByteStore::setReservationLimit(1 << 20);
    h.files.append("3.log", "!");
    if (QFileInfo(second).isFile())
        h.files.append("2.log", fault == QLatin1String("memory") ? QByteArray(3 << 20, 'x') : "!");
    h.fs.resetCounters();
    h.clock.monotonicStep = 0.25;
    const int durationWrites = h.main.panels.writes(1);

    h.module.RefreshDocuments(0);

    QCOMPARE(h.window(2)->caption(), second + QStringLiteral(" - ") + description);
    QVERIFY(h.view(2).bytes().isEmpty());
    QCOMPARE(h.view(3).bytes(), QByteArray("three!"));
    QCOMPARE(h.window(3)->caption(), h.stateCaption(third, 6));
    QCOMPARE(h.view(3).colourMap(), QByteArray("...xx.")); // the pending pass reached it
    QVERIFY(!h.module.HighLightPending);
    QCOMPARE(h.main.panels.writes(1), durationWrites + 1);
    QCOMPARE(h.main.panels.panelText(1), QStringLiteral("Last Update Took 0.50 Seconds"));

    h.fs.healAll();
    ByteStore::setReservationLimit(std::numeric_limits<qint64>::max());
    QFile::remove(second);
    QDir().rmdir(second);
    h.write("2.log", "two");
    h.module.RefreshDocuments(0);
    QCOMPARE(h.view(2).bytes(), QByteArray("two"));
    QCOMPARE(h.window(2)->caption(), h.stateCaption(second, 3));
}

void tst_RefreshFailures::brokenReadIsForgottenAndRebuiltWhole() {
    CoreHarness h;
    const QString path = h.write("a.log", "abc");
    h.open("a.log");
    h.files.append("a.log", "defghi");
    h.fs.failReadAfter(path, 4, QStringLiteral("Input/output error"));
    h.module.RefreshDocuments(0);
    QCOMPARE(h.window(1)->caption(), path + QStringLiteral(" - Input/output error"));
    QVERIFY(h.view(1).bytes().isEmpty());
    QVERIFY(h.module.DocContents[1].isEmpty());

    h.fs.heal(path);
    h.view(1).clearRecords();
    h.module.RefreshDocuments(0);
    QCOMPARE(h.view(1).setTextCount(), 1);
    QCOMPARE(h.view(1).bytes(), QByteArray("abcdefghi"));
}

void tst_RefreshFailures::refusedOpenShowsItsDescription() {
    CoreHarness h;
    const QString path = h.files.path("locked.log");
    h.write("locked.log", "secret");
    h.fs.failOpen(path, QStringLiteral("Permission denied"));
    h.module.OpenDocument(path);
    QCOMPARE(h.window(1)->caption(), path + QStringLiteral(" - Permission denied"));
    QVERIFY(h.view(1).bytes().isEmpty());
    h.fs.heal(path);
    h.module.RefreshDocuments(0);
    QCOMPARE(h.view(1).bytes(), QByteArray("secret"));
}

void tst_RefreshFailures::failureWithoutDescriptionStillSaysSo() {
    CoreHarness h;
    const QString path = h.write("a.log", "abc");
    h.fs.failOpen(path, QString());
    h.module.OpenDocument(path);
    QCOMPARE(h.window(1)->caption(), path + QStringLiteral(" - cannot be read"));
}

void tst_RefreshFailures::failingProbeReadsEveryCycle() {
    CoreHarness h;
    const QString path = h.write("a.log", "abc");
    h.open("a.log");
    h.fs.failProbe(path);
    h.view(1).clearRecords();
    h.fs.resetCounters();
    h.clock.advance(5);
    h.module.RefreshDocuments(0);
    h.module.RefreshDocuments(0);
    QCOMPARE(h.fs.openCalls(path), 2);
    QCOMPARE(h.view(1).setTextCount(), 0);
    QCOMPARE(int(h.view(1).insertions().size()), 2);
    QCOMPARE(h.view(1).bytes(), QByteArray("abc"));
    QCOMPARE(h.module.DocFileSize[1], qint64(3)); // the size the read saw, not -1
    QCOMPARE(h.window(1)->caption(), h.stateCaption(path, 3));
}

QTEST_GUILESS_MAIN(tst_RefreshFailures)
#include "tst_refreshfailures.moc"
