#include "shell/mainmenus.h"

#include <QAction>
#include <QLabel>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QSignalSpy>
#include <QtTest>

using namespace Orvik;

class tst_MainMenus : public QObject {
    Q_OBJECT

private slots:
    void menuBarHasFiveMenus();
    void menuItems_data();
    void menuItems();
    void firstRunFileMenuHasNoRecentFiles();
    void recentFileItemsShowTheirSlot();
    void windowListNumbersCaptionsAndChecksTheActive();
    void choosingAWindowListEntryActivatesIt();
    void windowListIsRebuiltEachTime();
    void noWindowsNoWindowList();
};

namespace {
// A menu's items as "caption|shortcut|visible|checkable|checked"; "-" for a separator.
QStringList describe(const QMenu *menu) {
    QStringList items;
    const QList<QAction *> actions = menu->actions();
    for (const QAction *a : actions) {
        if (a->isSeparator()) {
            items << (a->isVisible() ? QStringLiteral("-") : QStringLiteral("(-)"));
            continue;
        }
        items << QStringLiteral("%1|%2|%3|%4|%5")
                     .arg(a->text(), a->shortcut().toString(QKeySequence::PortableText))
                     .arg(a->isVisible())
                     .arg(a->isCheckable())
                     .arg(a->isChecked());
    }
    return items;
}

QStringList visibleCaptions(const QMenu *menu) {
    QStringList items;
    const QList<QAction *> actions = menu->actions();
    for (const QAction *a : actions) {
        if (a->isVisible())
            items << (a->isSeparator() ? QStringLiteral("-") : a->text());
    }
    return items;
}

struct Fixture {
    QMainWindow window;
    QMdiArea *area = new QMdiArea(&window);
    MainMenus menus{*window.menuBar(), *area};

    Fixture() { window.setCentralWidget(area); }

    QMdiSubWindow *addWindow(const QString &title) {
        QMdiSubWindow *sub = area->addSubWindow(new QLabel(title));
        sub->setWindowTitle(title);
        sub->show();
        return sub;
    }
};
} // namespace

void tst_MainMenus::menuBarHasFiveMenus() {
    Fixture f;
    QStringList titles;
    const QList<QAction *> actions = f.window.menuBar()->actions();
    for (const QAction *a : actions)
        titles << a->text();
    QCOMPARE(titles, (QStringList{"&File", "&Edit", "&View", "&Window", "&Help"}));
}

void tst_MainMenus::menuItems_data() {
    QTest::addColumn<QString>("menu");
    QTest::addColumn<QStringList>("items");

    QStringList file{"&Open...|Ctrl+O|1|0|0",
                     "&Close||1|0|0",
                     "-",
                     "Save &As...||1|0|0",
                     "-",
                     "&Print...||1|0|0",
                     "-"};
    for (int i = 1; i <= 10; ++i)
        file << "||0|0|0";
    file << "(-)"
         << "E&xit||1|0|0";
    QTest::newRow("File") << "mnuFile" << file;
    QTest::newRow("Edit") << "mnuEdit"
                          << QStringList{"&Copy|Ctrl+C|1|0|0", "-", "&Find...|Ctrl+F|1|0|0",
                                         "Find &Next|F3|1|0|0", "Find &Previous|Shift+F3|1|0|0"};
    QTest::newRow("View") << "mnuView" << QStringList{"&Toolbar||1|1|1",
                                                      "Status &Bar||1|1|1",
                                                      "-",
                                                      "&Highlight Text...||1|0|0",
                                                      "Select &Font...||1|0|0",
                                                      "&Refresh Interval...||1|0|0"};
    QTest::newRow("Window") << "mnuWindow"
                            << QStringList{"&New Window||1|0|0",    "-",
                                           "&Cascade||1|0|0",       "Tile &Horizontal||1|0|0",
                                           "Tile &Vertical||1|0|0", "&Arrange Icons||1|0|0"};
    QTest::newRow("Help") << "mnuHelp" << QStringList{"&About ||1|0|0"};
}

void tst_MainMenus::menuItems() {
    QFETCH(QString, menu);
    QFETCH(QStringList, items);
    Fixture f;
    const QMenu *m = f.window.menuBar()->findChild<QMenu *>(menu);
    QVERIFY(m);
    QCOMPARE(describe(m), items);
    const QList<QAction *> actions = m->actions();
    // Hidden items count as disabled in Qt; every item that shows is enabled, but the Find
    // items wait for a document.
    for (const QAction *a : actions)
        QVERIFY(!a->isVisible() || a->isEnabled() || a->objectName().startsWith("mnuEditFind"));
}

void tst_MainMenus::firstRunFileMenuHasNoRecentFiles() {
    Fixture f;
    QCOMPARE(
        visibleCaptions(f.menus.mnuFile),
        (QStringList{"&Open...", "&Close", "-", "Save &As...", "-", "&Print...", "-", "E&xit"}));
}

void tst_MainMenus::recentFileItemsShowTheirSlot() {
    Fixture f;
    MruMenu &mru = f.menus;
    mru.setItem(3, QStringLiteral("/var/log/R&D.log"), true);
    mru.setSeparatorVisible(true);
    QCOMPARE(visibleCaptions(f.menus.mnuFile),
             (QStringList{"&Open...", "&Close", "-", "Save &As...", "-", "&Print...", "-",
                          "/var/log/R&&D.log", "-", "E&xit"}));
    QCOMPARE(f.menus.mnuFileMRU[3]->text().replace("&&", "&"), QStringLiteral("/var/log/R&D.log"));

    mru.setItem(3, QString(), false);
    QVERIFY(!f.menus.mnuFileMRU[3]->isVisible());
    QCOMPARE(f.menus.mnuFileMRU[3]->text(), QString());
    mru.setItem(0, QStringLiteral("ignored"), true);
    mru.setItem(11, QStringLiteral("ignored"), true);
}

void tst_MainMenus::windowListNumbersCaptionsAndChecksTheActive() {
    Fixture f;
    f.window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f.window));
    f.addWindow(QStringLiteral("/tmp/a.log"));
    QMdiSubWindow *b = f.addWindow(QStringLiteral("/tmp/b&c.log"));
    f.addWindow(QStringLiteral("/tmp/c.log"));
    f.area->setActiveSubWindow(b);

    Q_EMIT f.menus.mnuWindow->aboutToShow();
    const QStringList items = describe(f.menus.mnuWindow);
    QCOMPARE(items.mid(0, 6),
             (QStringList{"&New Window||1|0|0", "-", "&Cascade||1|0|0", "Tile &Horizontal||1|0|0",
                          "Tile &Vertical||1|0|0", "&Arrange Icons||1|0|0"}));
    QCOMPARE(items.mid(6), (QStringList{"-", "&1 /tmp/a.log||1|1|0", "&2 /tmp/b&&c.log||1|1|1",
                                        "&3 /tmp/c.log||1|1|0"}));
}

void tst_MainMenus::choosingAWindowListEntryActivatesIt() {
    Fixture f;
    f.window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f.window));
    QMdiSubWindow *a = f.addWindow(QStringLiteral("a"));
    f.addWindow(QStringLiteral("b"));
    QVERIFY(f.area->currentSubWindow() != a);

    f.menus.updateWindowList();
    f.menus.windowListActions().at(1)->trigger();
    QCOMPARE(f.area->currentSubWindow(), a);
}

void tst_MainMenus::windowListIsRebuiltEachTime() {
    Fixture f;
    f.window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f.window));
    f.addWindow(QStringLiteral("a"));
    QMdiSubWindow *b = f.addWindow(QStringLiteral("b"));
    f.menus.updateWindowList();
    QCOMPARE(f.menus.windowListActions().size(), 3);

    b->close();
    f.menus.updateWindowList();
    QCOMPARE(f.menus.mnuWindow->actions().size(), 6 + 2);
    QCOMPARE(f.menus.windowListActions().at(1)->text(), QStringLiteral("&1 a"));
}

void tst_MainMenus::noWindowsNoWindowList() {
    Fixture f;
    f.menus.updateWindowList();
    QCOMPARE(f.menus.mnuWindow->actions().size(), 6);
    QVERIFY(f.menus.windowListActions().isEmpty());
}

QTEST_MAIN(tst_MainMenus)
#include "tst_mainmenus.moc"
