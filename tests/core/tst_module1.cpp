#include "support/coreharness.h"

#include <QtTest>

using namespace Orvik;

// The document table, opening a file and the recently used files, through Module1.
class tst_Module1 : public QObject {
    Q_OBJECT

private slots:
    void openTakesSlotsInOrder();
    void captionPassesThroughThreeForms();
    void openSwitchesTimerAndPointerAroundItsWork();
    void placement_data();
    void placement();
    void newWindowTakesTheFontPreferences();
    void tooSmallMainWindowStillShowsTheView();
    void failedWindowCreationTakesNoSlot();
    void missingFileIsStillOpened();

    void eleventhDocumentIsRefused_data();
    void eleventhDocumentIsRefused();
    void openPathActivatesTheOpenWindow_data();
    void openPathActivatesTheOpenWindow();

    void removeMovesLaterSlotsDown_data();
    void removeMovesLaterSlotsDown();
    void movedDocumentKeepsFollowingItsFile();
    void closingAllReturnsToNoDocuments();
    void reopenAfterCloseTakesTheFreedSlotPosition();
    void removeIgnoresSlotsNotInUse();

    void recentFilesOrder();
    void recentFilesDropTheEleventh();
    void recentFilesKeepNewSpelling();
    void recentFilesMenu();
    void emptyNameMatchesTheFirstFreeSlot();
};

namespace {
QStringList names(const Module1 &m) {
    QStringList list;
    for (int slot = 1; slot <= m.DocCount; ++slot)
        list << QFileInfo(m.DocFileName[slot]).fileName();
    return list;
}

QStringList recent(const Module1 &m) {
    QStringList list;
    for (int slot = 1; slot <= Module1::MruCount; ++slot) {
        if (!m.MRUFiles[slot].isEmpty())
            list << m.MRUFiles[slot];
    }
    return list;
}
} // namespace

void tst_Module1::openTakesSlotsInOrder() {
    CoreHarness h;
    for (const char *name : {"a.log", "b.log", "c.log"}) {
        h.write(name, name);
        h.open(name);
    }
    QCOMPARE(h.module.DocCount, 3);
    QCOMPARE(names(h.module), QStringList({"a.log", "b.log", "c.log"}));
    for (int slot = 1; slot <= 3; ++slot) {
        QCOMPARE(h.window(slot)->tag(), QString::number(slot));
        QCOMPARE(h.window(slot), h.main.window(slot - 1));
        QCOMPARE(h.view(slot).bytes(), QFileInfo(h.module.DocFileName[slot]).fileName().toUtf8());
    }
}

void tst_Module1::captionPassesThroughThreeForms() {
    CoreHarness h;
    h.write("a.log", "abc");
    h.write("b.log", "abc");
    h.open("a.log");
    const QString path = h.open("b.log");
    const QStringList captions = h.window(2)->captions;
    QCOMPARE(captions.size(), 3);
    QCOMPARE(captions[0], QStringLiteral("Document 2"));
    QCOMPARE(captions[1], path);
    QVERIFY(captions[2].startsWith(path + QStringLiteral(" - ")));
    QVERIFY(captions[2].endsWith(QStringLiteral(" - 3.0 Bytes")));
}

void tst_Module1::openSwitchesTimerAndPointerAroundItsWork() {
    CoreHarness h;
    h.write("a.log", "abc");
    h.open("a.log");
    QCOMPARE(h.main.timer.enabledHistory, std::vector<bool>({false, true}));
    QCOMPARE(h.main.busyHistory, std::vector<bool>({true, false}));
    QVERIFY(h.main.timer.isEnabled());
}

void tst_Module1::placement_data() {
    QTest::addColumn<int>("slot");
    QTest::addColumn<QRect>("geometry");
    // Main window 800 x 600 pixels outside.
    QTest::newRow("slot 1 at the corner") << 1 << QRect(0, 0, 770, 490);
    QTest::newRow("slot 2 one step in") << 2 << QRect(20, 20, 750, 470);
    QTest::newRow("slot 4 three steps in") << 4 << QRect(60, 60, 710, 430);
    QTest::newRow("slot 10 nine steps in") << 10 << QRect(180, 180, 590, 310);
}

void tst_Module1::placement() {
    QFETCH(int, slot);
    QFETCH(QRect, geometry);
    CoreHarness h;
    for (int i = 1; i <= slot; ++i)
        h.open(QStringLiteral("%1.log").arg(i));
    QCOMPARE(h.window(slot)->geometry(), geometry);
}

void tst_Module1::newWindowTakesTheFontPreferences() {
    CoreHarness h;
    h.module.FontName = QStringLiteral("Courier");
    h.module.FontSize = 14;
    h.module.FontBold = true;
    h.module.FontUnderline = true;
    h.open("a.log");
    h.module.FontName = QStringLiteral("Mono");
    h.open("b.log");
    QCOMPARE(h.view(1).font(), (DisplayFont{QStringLiteral("Courier"), 14, true, false, true}));
    QCOMPARE(h.view(2).font().name, QStringLiteral("Mono"));
    QVERIFY(h.view(1).isVisible());
}

void tst_Module1::tooSmallMainWindowStillShowsTheView() {
    CoreHarness h;
    h.main.outerSize = QSize(40, 100);
    h.write("a.log", "abc");
    h.open("a.log");
    QCOMPARE(h.module.DocCount, 1);
    QVERIFY(h.window(1)->geometry().isNull());
    QVERIFY(h.view(1).isVisible());
    QCOMPARE(h.view(1).bytes(), QByteArray("abc"));
}

void tst_Module1::failedWindowCreationTakesNoSlot() {
    CoreHarness h;
    h.main.failCreate = true;
    h.open("a.log");
    QCOMPARE(h.module.DocCount, 0);
    QVERIFY(h.module.MRUFiles[1].isEmpty());
    QVERIFY(h.main.timer.isEnabled());
    QVERIFY(!h.main.busy);
}

void tst_Module1::missingFileIsStillOpened() {
    CoreHarness h;
    const QString path = h.open("missing.log");
    QCOMPARE(h.module.DocCount, 1);
    QCOMPARE(h.window(1)->caption(), path + QStringLiteral(" - No such file or directory"));
    QVERIFY(h.view(1).bytes().isEmpty());
    QCOMPARE(h.module.MRUFiles[1], path);
}

void tst_Module1::eleventhDocumentIsRefused_data() {
    QTest::addColumn<bool>("alreadyOpen");
    QTest::newRow("new path") << false;
    QTest::newRow("path already open") << true;
}

void tst_Module1::eleventhDocumentIsRefused() {
    QFETCH(bool, alreadyOpen);
    CoreHarness h;
    for (int i = 1; i <= 10; ++i)
        h.open(QStringLiteral("%1.log").arg(i));
    const auto timerHistory = h.main.timer.enabledHistory;
    const auto busyHistory = h.main.busyHistory;
    const auto recentBefore = recent(h.module);

    h.module.OpenDocument(h.files.path(alreadyOpen ? "3.log" : "11.log"));

    QCOMPARE(h.module.DocCount, 10);
    QCOMPARE(int(h.main.warnings.size()), 1);
    QCOMPARE(h.main.warnings[0].title, QStringLiteral("Too many files opened"));
    QCOMPARE(h.main.warnings[0].text,
             QStringLiteral("Please close some of the currently opened files before adding any "
                            "new ones."));
    QCOMPARE(h.window(3)->activations(), 0);
    QCOMPARE(h.main.timer.enabledHistory, timerHistory);
    QCOMPARE(h.main.busyHistory, busyHistory);
    QCOMPARE(recent(h.module), recentBefore);
}

void tst_Module1::openPathActivatesTheOpenWindow_data() {
    QTest::addColumn<QString>("spelling");
    QTest::newRow("same path") << "%1/b.log";
    QTest::newRow("other letter case") << "%1/B.LOG";
    QTest::newRow("blanks around") << "  %1/b.log ";
}

void tst_Module1::openPathActivatesTheOpenWindow() {
    QFETCH(QString, spelling);
    CoreHarness h;
    h.write("a.log", "a");
    const QString path = h.write("b.log", "b");
    h.open("a.log");
    h.open("b.log");
    QString other = spelling.arg(h.files.folder());
    if (other.contains(QStringLiteral("B.LOG")))
        other = other.toUpper(); // the folder in other letters too
    h.fs.resetCounters();
    h.main.timer.enabledHistory.clear();
    h.main.busyHistory.clear();
    const auto recentBefore = recent(h.module);

    h.module.OpenDocument(other);

    QCOMPARE(h.module.DocCount, 2);
    QCOMPARE(h.window(2)->activations(), 1);
    QCOMPARE(h.fs.openCalls(path), 0);
    QCOMPARE(recent(h.module), recentBefore);
    QCOMPARE(h.main.timer.enabledHistory, std::vector<bool>({false, true}));
    QCOMPARE(h.main.busyHistory, std::vector<bool>({true, false}));
}

void tst_Module1::removeMovesLaterSlotsDown_data() {
    QTest::addColumn<int>("closing");
    QTest::addColumn<QStringList>("left");
    QTest::newRow("first closes") << 1 << QStringList({"b.log", "c.log"});
    QTest::newRow("middle closes") << 2 << QStringList({"a.log", "c.log"});
    QTest::newRow("last closes") << 3 << QStringList({"a.log", "b.log"});
}

void tst_Module1::removeMovesLaterSlotsDown() {
    QFETCH(int, closing);
    QFETCH(QStringList, left);
    CoreHarness h;
    std::vector<FakeDocumentWindow *> windows;
    for (const char *name : {"a.log", "b.log", "c.log"}) {
        h.write(name, name);
        h.open(name);
        windows.push_back(h.window(h.module.DocCount));
    }
    h.module.RemoveDocument(closing);

    QCOMPARE(h.module.DocCount, 2);
    QCOMPARE(names(h.module), left);
    windows.erase(windows.begin() + closing - 1);
    for (int slot = 1; slot <= 2; ++slot) {
        QCOMPARE(h.window(slot), windows[slot - 1]);
        QCOMPARE(h.window(slot)->tag(), QString::number(slot));
        QCOMPARE(h.module.DocContents[slot].toByteArray(), left[slot - 1].toUtf8());
        QCOMPARE(h.module.DocFileSize[slot], qint64(5));
    }
    QVERIFY(h.module.DocWindow[3] == nullptr);
    QVERIFY(h.module.DocFileName[3].isEmpty());
    QVERIFY(h.module.DocContents[3].isEmpty());
}

void tst_Module1::movedDocumentKeepsFollowingItsFile() {
    CoreHarness h;
    for (const char *name : {"a.log", "b.log", "c.log"}) {
        h.write(name, "x");
        h.open(name);
    }
    FakeDocumentWindow *c = h.window(3);
    h.module.RemoveDocument(2);
    h.files.append("c.log", "yz");
    h.module.RefreshDocuments(0);
    QCOMPARE(c->view().bytes(), QByteArray("xyz"));
    QVERIFY(c->caption().endsWith(QStringLiteral(" - 3.0 Bytes")));
    QCOMPARE(c->view().insertions().back().offset, qint64(1));
}

void tst_Module1::closingAllReturnsToNoDocuments() {
    CoreHarness h;
    for (const char *name : {"a.log", "b.log", "c.log"})
        h.open(name);
    h.module.RemoveDocument(2);
    h.module.RemoveDocument(1);
    h.module.RemoveDocument(1);
    QCOMPARE(h.module.DocCount, 0);
    h.fs.resetCounters();
    h.module.RefreshDocuments(0);
    QCOMPARE(h.fs.stampCalls(h.files.path("c.log")), 0);
}

void tst_Module1::reopenAfterCloseTakesTheFreedSlotPosition() {
    CoreHarness h;
    for (const char *name : {"a.log", "b.log", "c.log"})
        h.open(name);
    h.module.RemoveDocument(1);
    h.open("d.log");
    QCOMPARE(h.module.DocCount, 3);
    QCOMPARE(h.window(3)->tag(), QStringLiteral("3"));
    QCOMPARE(h.window(3)->geometry(), QRect(40, 40, 730, 450));
    QCOMPARE(names(h.module), QStringList({"b.log", "c.log", "d.log"}));
}

void tst_Module1::removeIgnoresSlotsNotInUse() {
    CoreHarness h;
    h.open("a.log");
    h.module.RemoveDocument(0);
    h.module.RemoveDocument(2);
    h.module.RemoveDocument(11);
    QCOMPARE(h.module.DocCount, 1);
    QVERIFY(h.module.DocWindow[1]);
}

void tst_Module1::recentFilesOrder() {
    CoreHarness h;
    const QString a = h.open("a");
    const QString b = h.open("b");
    const QString c = h.open("c");
    QCOMPARE(recent(h.module), QStringList({c, b, a}));
    h.module.RemoveDocument(1);
    const QString upperA = h.files.folder() + QStringLiteral("/A");
    h.module.OpenDocument(upperA);
    QCOMPARE(recent(h.module), QStringList({upperA, c, b}));
}

void tst_Module1::recentFilesDropTheEleventh() {
    CoreHarness h;
    for (int i = 1; i <= 11; ++i)
        h.module.AddToMRU(QStringLiteral("f%1").arg(i));
    QCOMPARE(recent(h.module).size(), 10);
    QCOMPARE(h.module.MRUFiles[1], QStringLiteral("f11"));
    QCOMPARE(h.module.MRUFiles[10], QStringLiteral("f2"));
}

void tst_Module1::recentFilesKeepNewSpelling() {
    CoreHarness h;
    h.module.AddToMRU(QStringLiteral("a"));
    h.module.AddToMRU(QStringLiteral("b"));
    h.module.AddToMRU(QStringLiteral(" B "));
    QCOMPARE(recent(h.module), QStringList({" B ", "a"}));
    h.module.AddToMRU(QStringLiteral("a"));
    h.module.AddToMRU(QStringLiteral("A"));
    QCOMPARE(recent(h.module), QStringList({"A", " B "}));
}

void tst_Module1::recentFilesMenu() {
    CoreHarness h;
    QVERIFY(!h.main.menu.separatorVisible);
    h.module.AddToMRU(QStringLiteral("one"));
    h.module.AddToMRU(QStringLiteral("two"));
    QVERIFY(h.main.menu.separatorVisible);
    QCOMPARE(h.main.menu.captions[1], QStringLiteral("two"));
    QCOMPARE(h.main.menu.captions[2], QStringLiteral("one"));
    QVERIFY(h.main.menu.visible[1] && h.main.menu.visible[2]);
    for (int i = 3; i <= 10; ++i) {
        QVERIFY(!h.main.menu.visible[i]);
        QVERIFY(h.main.menu.captions[i].isEmpty());
    }

    // An entry emptied by hand: its item hides, the separator stays.
    for (int i = 1; i <= 10; ++i)
        h.module.MRUFiles[i].clear();
    h.module.UpdateMRUMenu();
    QVERIFY(!h.main.menu.visible[1]);
    QVERIFY(h.main.menu.separatorVisible);
    QCOMPARE(h.main.menu.separatorHides, 0);

    h.module.MRUFiles[3] = QStringLiteral("   ");
    h.module.UpdateMRUMenu();
    QVERIFY(h.main.menu.visible[3]);
    QCOMPARE(h.main.menu.captions[3], QStringLiteral("   "));
}

void tst_Module1::emptyNameMatchesTheFirstFreeSlot() {
    CoreHarness h;
    h.module.AddToMRU(QStringLiteral("a"));
    h.module.AddToMRU(QStringLiteral("b"));
    h.module.AddToMRU(QString());
    // The free slot 3 is taken out; a and b move down one place.
    QCOMPARE(h.module.MRUFiles[1], QString());
    QCOMPARE(h.module.MRUFiles[2], QStringLiteral("b"));
    QCOMPARE(h.module.MRUFiles[3], QStringLiteral("a"));
    QVERIFY(!h.main.menu.visible[1]);
}

QTEST_GUILESS_MAIN(tst_Module1)
#include "tst_module1.moc"
