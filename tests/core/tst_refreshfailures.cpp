#include "support/coreharness.h"

#include <QtTest>

using namespace Orvik;

// The refresh cycle's failure path: what the user sees, what is forgotten, where the cycle
// stops, and how a document recovers.
class tst_RefreshFailures : public QObject {
    Q_OBJECT

private slots:
    void vanishedFileFailsUntilItComesBack();
    void nonRegularPathsFailWithoutBlocking_data();
    void nonRegularPathsFailWithoutBlocking();
    void failureInSlotTwoOfThreeEndsTheCycle_data();
    void failureInSlotTwoOfThreeEndsTheCycle();
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

void tst_RefreshFailures::failureInSlotTwoOfThreeEndsTheCycle_data() {
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QString>("description");
    QTest::newRow("file deleted") << "deleted"
                                  << "No such file or directory";
    QTest::newRow("open refused by another process") << "open"
                                                     << "Permission denied";
    QTest::newRow("read breaks midway") << "read"
                                        << "Input/output error";
}

void tst_RefreshFailures::failureInSlotTwoOfThreeEndsTheCycle() {
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
    if (fault == QLatin1String("deleted")) {
        h.files.remove("2.log");
    } else if (fault == QLatin1String("open")) {
        h.files.append("2.log", "!");
        h.fs.failOpen(second, description);
    } else {
        h.files.append("2.log", "!");
        h.fs.failReadAfter(second, 2, description);
    }
    h.fs.resetCounters();
    h.clock.monotonicStep = 0.25;
    const int durationWrites = h.main.panels.writes(1);

    h.module.RefreshDocuments(0);

    QCOMPARE(h.window(2)->caption(), second + QStringLiteral(" - ") + description);
    QVERIFY(h.view(2).bytes().isEmpty());
    QVERIFY(h.view(3).marks().empty()); // slot 3 waits for the next cycle
    QVERIFY(h.module.HighLightPending); // the pending pass waits for the next cycle
    QCOMPARE(h.main.panels.writes(1), durationWrites + 1);
    QCOMPARE(h.main.panels.panelText(1), QStringLiteral("Last Update Took 0.50 Seconds"));

    h.fs.healAll();
    h.write("2.log", "two");
    h.module.RefreshDocuments(0);
    QCOMPARE(h.view(2).bytes(), QByteArray("two"));
    QCOMPARE(h.view(3).colourMap(), QByteArray("...xx"));
    QVERIFY(!h.module.HighLightPending);
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
