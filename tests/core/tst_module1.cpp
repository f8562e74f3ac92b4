#include "support/coreharness.h"

#include <QtTest>

using namespace Orvik;

// The document table through Module1: opening a file, the slots, closing, the recently used
// files.
class tst_Module1 : public QObject {
    Q_OBJECT
    std::unique_ptr<CoreHarness> h;

    QStringList names() const {
        QStringList list;
        for (int slot = 1; slot <= h->module.DocCount; ++slot)
            list << QFileInfo(h->module.DocFileName[slot]).fileName();
        return list;
    }
    QStringList recent() const {
        QStringList list(h->module.MRUFiles.begin() + 1, h->module.MRUFiles.end());
        list.removeAll(QString());
        return list;
    }
    void openAll(const QStringList &files) {
        for (const QString &name : files) {
            h->write(name, name.toUtf8());
            h->open(name);
        }
    }

private slots:
    void init() { h = std::make_unique<CoreHarness>(); }

    void openFillsTheNextSlot() {
        h->module.FontName = QStringLiteral("Courier");
        h->module.FontSize = 14;
        h->module.FontBold = true;
        openAll({"a.log", "b.log"});
        const QString path = h->files.path("b.log");
        QCOMPARE(names(), QStringList({"a.log", "b.log"}));
        QCOMPARE(h->window(2)->tag(), QStringLiteral("2"));
        QCOMPARE(h->window(2)->captions, QStringList({"Document 2", path, h->caption(path, 5)}));
        QCOMPARE(h->view(2).bytes(), QByteArray("b.log"));
        QCOMPARE(h->view(2).font, (DisplayFont{QStringLiteral("Courier"), 14, true, false, false}));
        QCOMPARE(h->main.timer.enabledHistory, std::vector<bool>({false, true, false, true}));
        QCOMPARE(h->main.busyHistory, std::vector<bool>({true, false, true, false}));
        QCOMPARE(h->window(2)->reading, std::vector<bool>({true, false})); // until its text is in
        QCOMPARE(recent(), QStringList({path, h->files.path("a.log")}));
    }

    void openThatCannotBeShown() {
        h->main.failCreate = true;
        h->open("a.log");
        QCOMPARE(h->module.DocCount, 0);
        QVERIFY(recent().isEmpty());
        QVERIFY(h->main.timer.isEnabled());
        h->main.failCreate = false;
        const QString path = h->open("missing.log"); // a missing file is still opened
        QCOMPARE(h->window(1)->caption(), path + QStringLiteral(" - No such file or directory"));
        h->module.RefreshDocuments(0); // failing again is no news worth a busy pointer
        QCOMPARE(h->window(1)->reading, std::vector<bool>({true, false}));
        QCOMPARE(recent(), QStringList{path});
    }

    void placement_data() {
        QTest::addColumn<QSize>("mainWindow");
        QTest::addColumn<int>("slot");
        QTest::addColumn<QRect>("geometry");
        QTest::newRow("slot 1 at the corner") << QSize(800, 600) << 1 << QRect(0, 0, 770, 490);
        QTest::newRow("slot 4 three steps in") << QSize(800, 600) << 4 << QRect(60, 60, 710, 430);
        QTest::newRow("slot 10 nine steps in")
            << QSize(800, 600) << 10 << QRect(180, 180, 590, 310);
        QTest::newRow("too small a main window: not moved") << QSize(40, 100) << 1 << QRect();
    }
    void placement() {
        QFETCH(QSize, mainWindow);
        QFETCH(int, slot);
        QFETCH(QRect, geometry);
        h->main.outerSize = mainWindow;
        for (int i = 1; i <= slot; ++i)
            h->open(QStringLiteral("%1.log").arg(i));
        QCOMPARE(h->window(slot)->geometry, geometry);
        QVERIFY(h->view(slot).visible);
    }

    // An open document is activated, not read again (its path compared without letter case or
    // outer blanks); with ten open, any other is refused.
    void openWithTheTableFullOrThePathOpen_data() {
        QTest::addColumn<int>("open");
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("refused");
        QTest::newRow("eleventh, new path: refused") << 10 << "11.log" << true;
        QTest::newRow("eleventh, path already open: refused") << 10 << "3.log" << true;
        QTest::newRow("path open, other spelling: activated") << 3 << "  %1/3.LOG " << false;
    }
    void openWithTheTableFullOrThePathOpen() {
        QFETCH(int, open);
        QFETCH(QString, name);
        QFETCH(bool, refused);
        for (int i = 1; i <= open; ++i)
            h->open(QStringLiteral("%1.log").arg(i));
        const auto timerHistory = h->main.timer.enabledHistory;
        const QStringList recentBefore = recent();
        h->fs.resetCounters();
        h->module.OpenDocument(refused ? h->files.path(name)
                                       : name.arg(h->files.folder().toUpper()));
        QCOMPARE(h->module.DocCount, open);
        QCOMPARE(int(h->main.warnings.size()), refused ? 1 : 0);
        if (refused) {
            QCOMPARE(h->main.warnings[0].title, QStringLiteral("Too many files opened"));
            QCOMPARE(h->main.warnings[0].text,
                     QStringLiteral("Please close some of the currently opened files before "
                                    "adding any new ones."));
        }
        QCOMPARE(h->window(3)->activations, refused ? 0 : 1);
        QVERIFY(h->fs.openCalls.isEmpty());
        QVERIFY(h->main.timer.isEnabled() &&
                (!refused || h->main.timer.enabledHistory == timerHistory));
        QCOMPARE(recent(), recentBefore);
    }

    void removeMovesLaterSlotsDown_data() {
        QTest::addColumn<int>("closing");
        QTest::addColumn<QStringList>("left");
        QTest::newRow("first closes") << 1 << QStringList({"b.log", "c.log"});
        QTest::newRow("middle closes") << 2 << QStringList({"a.log", "c.log"});
        QTest::newRow("last closes") << 3 << QStringList({"a.log", "b.log"});
    }
    void removeMovesLaterSlotsDown() {
        QFETCH(int, closing);
        QFETCH(QStringList, left);
        openAll({"a.log", "b.log", "c.log"});
        std::vector<FakeDocumentWindow *> windows{h->window(1), h->window(2), h->window(3)};
        windows.erase(windows.begin() + closing - 1);
        h->module.RemoveDocument(closing);
        h->module.RemoveDocument(0); // slots not in use are left alone
        h->module.RemoveDocument(3);

        QCOMPARE(names(), left);
        for (int slot = 1; slot <= 2; ++slot) {
            QCOMPARE(h->window(slot), windows[slot - 1]);
            QCOMPARE(h->window(slot)->tag(), QString::number(slot));
            QCOMPARE(h->module.DocContents[slot].toByteArray(), left[slot - 1].toUtf8());
        }
        QVERIFY(h->module.DocWindow[3] == nullptr);
        QVERIFY(h->module.DocFileName[3].isEmpty());
        QVERIFY(h->module.DocContents[3].isEmpty());

        // A moved document goes on following its file: the next read is an append.
        h->files.append(left[1], "yz");
        h->module.RefreshDocuments(0);
        QCOMPARE(h->view(2).insertions.back().offset, qint64(5));
        QCOMPARE(h->view(2).bytes(), left[1].toUtf8() + "yz");
        // A new document takes the freed slot, and its place.
        h->open("d.log");
        QCOMPARE(h->window(3)->tag(), QStringLiteral("3"));
        QCOMPARE(h->window(3)->geometry, QRect(40, 40, 730, 450));
    }

    void recentFiles_data() {
        QTest::addColumn<QStringList>("added");
        QTest::addColumn<QStringList>("recent");
        QTest::newRow("newest first") << QStringList{"a", "b", "c"} << QStringList{"c", "b", "a"};
        QTest::newRow("added again: moves up with its new spelling")
            << QStringList{"a", "b", " B ", "a", "A"} << QStringList{"A", " B "};
        QTest::newRow("the eleventh drops the oldest")
            << QStringList{"1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11"}
            << QStringList{"11", "10", "9", "8", "7", "6", "5", "4", "3", "2"};
        QTest::newRow("an empty name takes the first free slot out")
            << QStringList{"a", "b", ""} << QStringList{"b", "a"};
    }
    void recentFiles() {
        QFETCH(QStringList, added);
        QFETCH(QStringList, recent);
        for (const QString &name : added)
            h->module.AddToMRU(name);
        QCOMPARE(this->recent(), recent);
        for (int i = 1; i <= 10; ++i) {
            QCOMPARE(h->main.menu.captions[i], h->module.MRUFiles[i]);
            QCOMPARE(h->main.menu.visible[i], !h->module.MRUFiles[i].isEmpty());
        }
        QVERIFY(h->main.menu.separatorVisible);
        // Entries emptied by hand hide their items; the separator stays once shown.
        for (int i = 1; i <= 10; ++i)
            h->module.MRUFiles[i] = i == 3 ? QStringLiteral("   ") : QString();
        h->module.UpdateMRUMenu();
        QVERIFY(!h->main.menu.visible[1] && h->main.menu.visible[3]);
        QVERIFY(h->main.menu.separatorVisible);
    }
};

QTEST_GUILESS_MAIN(tst_Module1)
#include "tst_module1.moc"
