// The menu bar and the toolbar: captions, shortcuts, keys and what they show.
#include "shell/mainmenus.h"
#include "shell/toolbar.h"
#include "shell/toolbaricons.h"

#include "resources/resources.h"

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

namespace {
// A menu's items as "caption|shortcut|visible|checkable|checked"; "-" for a separator, "(-)"
// for a hidden one. The menu bar lists its menus' captions.
QStringList describe(const QWidget *menu) {
    QStringList items;
    const QList<QAction *> actions = menu->actions();
    for (const QAction *a : actions) {
        if (a->isSeparator())
            items << (a->isVisible() ? QStringLiteral("-") : QStringLiteral("(-)"));
        else if (qobject_cast<const QMenuBar *>(menu))
            items << a->text();
        else
            items << QStringLiteral("%1|%2|%3|%4|%5")
                         .arg(a->text(), a->shortcut().toString(QKeySequence::PortableText))
                         .arg(a->isVisible())
                         .arg(a->isCheckable())
                         .arg(a->isChecked());
    }
    return items;
}

struct Fixture {
    QMainWindow window;
    QMdiArea *area = new QMdiArea(&window);
    MainMenus menus{*window.menuBar(), *area};

    Fixture() {
        window.setCentralWidget(area);
        window.show();
    }
    QMdiSubWindow *addWindow(const QString &title) {
        QMdiSubWindow *sub = area->addSubWindow(new QLabel(title));
        sub->setWindowTitle(title);
        sub->show();
        return sub;
    }
};

const QStringList WindowMenu{"&New Window||1|0|0",
                             "-",
                             "&Cascade||1|0|0",
                             "Tile &Horizontal||1|0|0",
                             "Tile &Vertical||1|0|0",
                             "&Arrange Icons||1|0|0",
                             "&Synchronize by Time||1|1|0",
                             "All Logs by &Time|Ctrl+Shift+T|1|0|0"};
} // namespace

class tst_MainMenus : public QObject {
    Q_OBJECT

private slots:
    void menuItems_data() {
        QTest::addColumn<QString>("menu");
        QTest::addColumn<QStringList>("items");
        QStringList file{"&Open...|Ctrl+O|1|0|0", "Open Co&mmand...|Ctrl+Shift+O|1|0|0",
                         "&Close||1|0|0",         "-",
                         "Save &As...||1|0|0",    "-",
                         "&Print...||1|0|0",      "-"};
        for (int i = 1; i <= 10; ++i)
            file << "||0|0|0";
        file << "(-)"
             << "E&xit||1|0|0";
        QTest::newRow("menu bar") << ""
                                  << QStringList{"&File", "&Edit", "&View", "&Window", "&Help"};
        QTest::newRow("File, first run") << "mnuFile" << file;
        QTest::newRow("Edit") << "mnuEdit"
                              << QStringList{"&Copy|Ctrl+C|1|0|0",
                                             "-",
                                             "&Find...|Ctrl+F|1|0|0",
                                             "Find &Next|F3|1|0|0",
                                             "Find &Previous|Shift+F3|1|0|0",
                                             "Fi&lter...|Ctrl+L|1|0|0",
                                             "Go to &Time...|Ctrl+T|1|0|0"};
        QTest::newRow("View") << "mnuView"
                              << QStringList{"&Toolbar||1|1|1",
                                             "Status &Bar||1|1|1",
                                             "-",
                                             "&Highlight Text...||1|0|0",
                                             "Select &Font...||1|0|0",
                                             "&Refresh Interval...||1|0|0",
                                             "Highlight R&ules...||1|0|0",
                                             "Follow &Instantly||1|1|1"};
        QTest::newRow("Window without windows") << "mnuWindow" << WindowMenu;
        QTest::newRow("Help") << "mnuHelp" << QStringList{"&About ||1|0|0"};
    }
    void menuItems() {
        QFETCH(QString, menu);
        QFETCH(QStringList, items);
        Fixture f;
        f.menus.updateWindowList();
        const QWidget *m = menu.isEmpty() ? static_cast<QWidget *>(f.window.menuBar())
                                          : f.window.menuBar()->findChild<QMenu *>(menu);
        QVERIFY(m);
        QCOMPARE(describe(m), items);
        const QList<QAction *> actions = m->actions();
        // Hidden items count as disabled in Qt; every item that shows is enabled, but the Find,
        // Filter and Go to Time items wait for a document, All Logs by Time for one with times.
        for (const QAction *a : actions)
            QVERIFY(!a->isVisible() || a->isEnabled() || a->objectName().startsWith("mnuEditFi") ||
                    a->objectName() == "mnuEditGoToTime" ||
                    a->objectName() == "mnuWindowAllLogsByTime");
    }

    void recentFileItemsShowTheirSlot() {
        Fixture f;
        MruMenu &mru = f.menus;
        mru.setItem(3, QStringLiteral("/var/log/R&D.log"), true);
        mru.setSeparatorVisible(true);
        QStringList items = describe(f.menus.mnuFile);
        QCOMPARE(items.mid(8, 3), (QStringList{"||0|0|0", "||0|0|0", "/var/log/R&&D.log||1|0|0"}));
        QCOMPARE(items.at(18), QStringLiteral("-"));
        mru.setItem(3, QString(), false);
        QVERIFY(!f.menus.mnuFileMRU[3]->isVisible());
        mru.setItem(0, QStringLiteral("ignored"), true);
        mru.setItem(11, QStringLiteral("ignored"), true);
    }

    void windowListNumbersCaptionsChecksAndActivates() {
        Fixture f;
        QVERIFY(QTest::qWaitForWindowExposed(&f.window));
        QMdiSubWindow *a = f.addWindow(QStringLiteral("/tmp/a.log"));
        QMdiSubWindow *b = f.addWindow(QStringLiteral("/tmp/b&c.log"));
        QMdiSubWindow *c = f.addWindow(QStringLiteral("/tmp/c.log"));
        f.area->setActiveSubWindow(b);
        Q_EMIT f.menus.mnuWindow->aboutToShow();
        QCOMPARE(describe(f.menus.mnuWindow),
                 WindowMenu + QStringList({"-", "&1 /tmp/a.log||1|1|0", "&2 /tmp/b&&c.log||1|1|1",
                                           "&3 /tmp/c.log||1|1|0"}));
        f.menus.windowListActions().at(1)->trigger();
        QCOMPARE(f.area->currentSubWindow(), a);

        // Rebuilt each time it opens.
        b->close();
        c->close();
        f.menus.updateWindowList();
        QCOMPARE(describe(f.menus.mnuWindow),
                 WindowMenu + QStringList({"-", "&1 /tmp/a.log||1|1|1"}));
    }

    // Each press sends its key; the bundled pictures stand in where the desktop theme has none.
    void toolbarButtonsKeysTipsAndPictures() {
        initResources();
        QIcon::setThemeName(QStringLiteral("no-such-theme"));
        ToolBar bar;
        bar.show();
        QVERIFY(QTest::qWaitForWindowExposed(&bar));
        QSignalSpy spy(&bar, &ToolBar::buttonClick);
        QStringList positions;
        for (QAction *a : bar.actions()) {
            const QString key = a->data().toString();
            positions << (a->isSeparator() ? QStringLiteral("|") : key + '=' + a->toolTip());
            if (a->isSeparator())
                continue;
            QVERIFY2(!imlToolbarIcons(key).pixmap(16, 16).isNull(), qPrintable(key));
            QTest::mouseClick(bar.widgetForAction(a), Qt::LeftButton);
            QCOMPARE(spy.takeFirst().at(0).toString(), key);
        }
        QCOMPARE(
            positions,
            (QStringList{"Open=Open", "Save=Save", "|", "Print=Print", "|", "Copy=Copy", "|",
                         "Font=Customize Display Font", "Refresh=Set the refresh interval", "|",
                         "Cascade=Cascade Windows", "Tile Horizontally=Tile Windows Horizontally",
                         "Tile Vertically=Tile Windows Vertically"}));
        QCOMPARE(bar.toolButtonStyle(), Qt::ToolButtonIconOnly);
        QVERIFY(imlToolbarIcons(QStringLiteral("Nothing")).isNull());
        QCOMPARE(toolbarThemeIconName(QStringLiteral("Open")), QStringLiteral("document-open"));
    }
};

QTEST_MAIN(tst_MainMenus)
#include "tst_mainmenus.moc"
