#include "mainwindowfixture.h"

#include "document/twips.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QSignalSpy>
#include <QUrl>
#include <QtTest>

using namespace Orvik;

class tst_frmMain : public QObject {
    Q_OBJECT

private slots:
    void createdAsTheTablesSay();
    void newWindowDoesNothing();
    void menuItemsReachTheirCommands();
    void toolbarPressesReachTheirCommands();
    void newDocumentWindowsArePlacedBySlot();
    void viewIsFittedWithItsMargin();
    void closingDocuments_data();
    void closingDocuments();
    void windowListShowsDocumentCaptions();
    void recentFileItemOpensItsName();
    void shortcutsWorkWhileAViewHasTheFocus();
    void copyShortcutCopiesTheWholeTextWhileAViewHasTheFocus();
    void filesDroppedOnTheWorkspaceOpen();
    void otherDragsAreRefused_data();
    void otherDragsAreRefused();
    void busyPointerIsOneLevel();
};

namespace {
void showActive(QWidget &window) {
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
}

QMimeData *fileDrop(const QStringList &paths) {
    auto *data = new QMimeData;
    QList<QUrl> urls;
    for (const QString &path : paths)
        urls << QUrl::fromLocalFile(path);
    data->setUrls(urls);
    return data;
}
} // namespace

void tst_frmMain::createdAsTheTablesSay() {
    MainWindowFixture f;
    frmMain &w = *f.window;
    QCOMPARE(w.windowTitle(), QStringLiteral("Orvik"));
    QVERIFY(!w.windowIcon().isNull());
    QCOMPARE(w.centralWidget(), &w.workspace());
    QVERIFY(w.timerUpdate().isEnabled());
    QCOMPARE(w.timerUpdate().interval(), 1000);
    QCOMPARE(w.sbStatusBar().panelText(1), QStringLiteral("Status"));
    QCOMPARE(w.sbStatusBar().panelText(2), QStringLiteral("Refresh Interval:"));
    QCOMPARE(w.tbToolBar().actions().size(), 13);
    QVERIFY(w.tbToolBar().isVisibleTo(&w));
    QVERIFY(w.sbStatusBar().isVisibleTo(&w));
    QVERIFY(w.mnuViewToolbar().isChecked());
    QVERIFY(w.mnuViewStatusBar().isChecked());
    QCOMPARE(w.menuBar()->actions().size(), 5);
    QCOMPARE(w.size(), QSize(twipsToPixelsX(7200, &w), twipsToPixelsY(7080, &w)));
    QVERIFY(!w.createPopupMenu());
    QCOMPARE(w.activeDocument(), nullptr);
    QCOMPARE(w.dialogOwner(), &w);
}

void tst_frmMain::newWindowDoesNothing() {
    MainWindowFixture f;
    f.window->show();
    f.window->menus().mnuWindowNewWindow->trigger();
    QVERIFY(f.subWindows().isEmpty());
    QCOMPARE(f.module.DocCount, 0);
}

void tst_frmMain::menuItemsReachTheirCommands() {
    MainWindowFixture f;
    f.window->show();
    f.window->menus().mnuViewToolbar->trigger();
    QVERIFY(!f.window->tbToolBar().isVisible());
    QVERIFY(!f.window->mnuViewToolbar().isChecked());
    f.window->menus().mnuViewStatusBar->trigger();
    QVERIFY(!f.window->sbStatusBar().isVisible());
    f.window->menus().mnuViewToolbar->trigger();
    QVERIFY(f.window->tbToolBar().isVisible());
}

void tst_frmMain::toolbarPressesReachTheirCommands() {
    MainWindowFixture f;
    f.window->resize(900, 700);
    f.window->show();
    QVERIFY(QTest::qWaitForWindowExposed(f.window.get()));
    for (const char *name : {"a.log", "b.log"})
        f.module.OpenDocument(f.files.write(QLatin1String(name), "line\n"));
    QCOMPARE(f.document(2)->geometry().topLeft(), QPoint(20, 20));

    ToolBar &bar = f.window->tbToolBar();
    QTest::mouseClick(bar.widgetForAction(bar.button(QStringLiteral("Tile Horizontally"))),
                      Qt::LeftButton);
    const QRect room = f.window->workspace().viewport()->rect();
    QCOMPARE(f.document(1)->geometry().topLeft(), QPoint(0, 0));
    QCOMPARE(f.document(1)->width(), room.width());
    QCOMPARE(f.document(2)->geometry().top(), f.document(1)->geometry().bottom() + 1);
}

void tst_frmMain::newDocumentWindowsArePlacedBySlot() {
    MainWindowFixture f;
    f.window->resize(900, 700);
    f.window->show();
    for (const char *name : {"a.log", "b.log", "c.log", "d.log"})
        f.module.OpenDocument(f.files.write(QLatin1String(name), "line\n"));
    QCOMPARE(f.module.DocCount, 4);
    const QSize outer = f.window->outerSizePixels();
    QCOMPARE(outer, f.window->frameGeometry().size());
    QCOMPARE(f.document(1)->geometry(), QRect(0, 0, outer.width() - 30, outer.height() - 110));
    QCOMPARE(f.document(4)->geometry(),
             QRect(60, 60, outer.width() - 30 - 60, outer.height() - 110 - 60));
    QCOMPARE(f.document(4)->parentWidget(), f.window->workspace().viewport());
    QCOMPARE(f.subWindows().size(), 4);
    QCOMPARE(f.window->activeDocument(), f.document(4));
}

void tst_frmMain::viewIsFittedWithItsMargin() {
    MainWindowFixture f;
    f.window->resize(900, 700);
    f.window->show();
    f.module.OpenDocument(f.files.write(QStringLiteral("a.log"), "line\n"));
    frmDocument *document = f.document(1);
    QVERIFY(document);
    for (const QSize size : {QSize(600, 400), QSize(333, 257)}) {
        document->resize(size);
        const QRect client = document->widget()->rect();
        const QRect view = document->rtfText().geometry();
        const int margin = twipsToPixelsX(100, document);
        QCOMPARE(view.left(), margin);
        QCOMPARE(view.top(), twipsToPixelsY(100, document));
        QVERIFY(qAbs(client.right() - view.right() - margin) <= 1);
        QVERIFY(qAbs(client.bottom() - view.bottom() - margin) <= 1);
        QCOMPARE(document->rtfText().rightMargin(), view.width());
        QVERIFY(document->rtfText().isVisibleTo(document));
    }
}

void tst_frmMain::closingDocuments_data() {
    QTest::addColumn<int>("closing");
    QTest::addColumn<QStringList>("left");
    QTest::newRow("first moves the others down") << 1 << QStringList{"b.log", "c.log"};
    QTest::newRow("middle moves the last down") << 2 << QStringList{"a.log", "c.log"};
    QTest::newRow("last leaves the others") << 3 << QStringList{"a.log", "b.log"};
}

void tst_frmMain::closingDocuments() {
    QFETCH(int, closing);
    QFETCH(QStringList, left);
    MainWindowFixture f;
    f.window->show();
    for (const char *name : {"a.log", "b.log", "c.log"})
        f.module.OpenDocument(f.files.write(QLatin1String(name), "line\n"));
    const QList<frmDocument *> documents{f.document(1), f.document(2), f.document(3)};

    QVERIFY(documents.at(closing - 1)->close());
    QCOMPARE(f.module.DocCount, 2);
    QCOMPARE(f.subWindows().size(), 2);
    for (int slot = 1; slot <= 2; ++slot) {
        QCOMPARE(f.module.DocFileName[slot], f.files.path(left.at(slot - 1)));
        QCOMPARE(f.document(slot)->tag(), QString::number(slot));
        QVERIFY(f.document(slot)->caption().startsWith(f.files.path(left.at(slot - 1))));
    }
    QVERIFY(f.window->timerUpdate().isEnabled());

    // The next cycle still follows the window that moved down.
    f.files.append(left.at(1), "more\n");
    f.window->timerUpdate_Timer();
    QCOMPARE(f.document(2)->rtfText().plainText(), QStringLiteral("line\nmore\n"));

    f.document(1)->close();
    f.document(1)->close();
    QCOMPARE(f.module.DocCount, 0);
    QVERIFY(f.subWindows().isEmpty());
}

void tst_frmMain::windowListShowsDocumentCaptions() {
    MainWindowFixture f;
    f.window->show();
    for (const char *name : {"a.log", "b.log", "c.log"})
        f.module.OpenDocument(f.files.write(QLatin1String(name), "line\n"));
    MainMenus &menus = f.window->menus();
    Q_EMIT menus.mnuWindow->aboutToShow();
    const QList<QAction *> &list = menus.windowListActions();
    QCOMPARE(list.size(), 4);
    QVERIFY(list.at(0)->isSeparator());
    QCOMPARE(menus.mnuWindow->actions().indexOf(list.at(0)),
             menus.mnuWindow->actions().indexOf(menus.mnuWindowArrangeIcons) + 1);
    for (int slot = 1; slot <= 3; ++slot) {
        QAction *entry = list.at(slot);
        QCOMPARE(entry->text(), QStringLiteral("&%1 ").arg(slot) + f.document(slot)->caption());
        QCOMPARE(entry->isChecked(), slot == 3);
    }
    list.at(1)->trigger();
    QCOMPARE(f.window->activeDocument(), f.document(1));
}

void tst_frmMain::recentFileItemOpensItsName() {
    MainWindowFixture f;
    const QString path = f.files.write(QStringLiteral("recent.log"), "recent\n");
    f.module.MRUFiles[1] = path;
    f.module.UpdateMRUMenu();
    QAction *item = f.window->menus().mnuFileMRU[1];
    QVERIFY(item->isVisible());
    QCOMPARE(item->text(), path);
    item->trigger();
    QCOMPARE(f.module.DocCount, 1);
    QCOMPARE(f.module.DocFileName[1], path);
    // Choosing it again activates the open document and leaves the list alone.
    item->trigger();
    QCOMPARE(f.module.DocCount, 1);
}

void tst_frmMain::shortcutsWorkWhileAViewHasTheFocus() {
    MainWindowFixture f;
    showActive(*f.window);
    MainMenus &menus = f.window->menus();
    QVERIFY(!menus.mnuEditFind->isEnabled() && !menus.mnuEditFindNext->isEnabled());
    f.module.OpenDocument(f.files.write(QStringLiteral("a.log"), "line\n"));
    RichTextView &view = f.document(1)->rtfText();
    view.setFocus();
    QVERIFY(QTest::qWaitFor([&view] { return view.hasFocus(); }));

    // Only the routing is looked at here: the commands' own handlers do not run.
    const std::pair<QAction *, QKeySequence> keys[] = {
        {menus.mnuFileOpen, Qt::CTRL | Qt::Key_O},
        {menus.mnuEditCopy, Qt::CTRL | Qt::Key_C},
        {menus.mnuEditFind, Qt::CTRL | Qt::Key_F},
        {menus.mnuEditFindNext, Qt::Key_F3},
        {menus.mnuEditFindPrevious, Qt::SHIFT | Qt::Key_F3}};
    for (const auto &[action, key] : keys) {
        QObject::disconnect(action, &QAction::triggered, f.window.get(), nullptr);
        QSignalSpy triggered(action, &QAction::triggered);
        QTest::keySequence(&view, key);
        QCOMPARE(triggered.size(), 1);
    }
    f.document(1)->close();
    QVERIFY(!menus.mnuEditFind->isEnabled() && !menus.mnuEditFindPrevious->isEnabled());
}

void tst_frmMain::copyShortcutCopiesTheWholeTextWhileAViewHasTheFocus() {
    MainWindowFixture f;
    showActive(*f.window);
    f.module.OpenDocument(f.files.write(QStringLiteral("a.log"), "first\nsecond\n"));
    RichTextView &view = f.document(1)->rtfText();
    view.setFocus();
    QVERIFY(QTest::qWaitFor([&view] { return view.hasFocus(); }));
    QGuiApplication::clipboard()->setText(QStringLiteral("before"));
    QTest::keyClick(&view, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("first\nsecond\n"));
}

void tst_frmMain::filesDroppedOnTheWorkspaceOpen() {
    MainWindowFixture f;
    f.window->show();
    QWidget *viewport = f.window->workspace().viewport();
    const QStringList paths{f.files.write(QStringLiteral("a.log"), "a\n"),
                            f.files.write(QStringLiteral("b.log"), "b\n")};
    std::unique_ptr<QMimeData> data(fileDrop(paths));

    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction | Qt::MoveAction, data.get(),
                          Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(viewport, &enter);
    QVERIFY(enter.isAccepted());
    QCOMPARE(enter.dropAction(), Qt::CopyAction);

    QDropEvent drop(QPointF(10, 10), Qt::CopyAction | Qt::MoveAction, data.get(), Qt::LeftButton,
                    Qt::NoModifier);
    QCoreApplication::sendEvent(viewport, &drop);
    QVERIFY(drop.isAccepted());
    QCOMPARE(f.module.DocCount, 2);
    QCOMPARE(f.module.DocFileName[1], paths.at(0));
    QCOMPARE(f.module.DocFileName[2], paths.at(1));
}

void tst_frmMain::otherDragsAreRefused_data() {
    QTest::addColumn<bool>("files");
    QTest::addColumn<int>("actions");
    QTest::newRow("text, not files") << false << int(Qt::CopyAction);
    QTest::newRow("files that may only be moved") << true << int(Qt::MoveAction);
}

void tst_frmMain::otherDragsAreRefused() {
    QFETCH(bool, files);
    QFETCH(int, actions);
    MainWindowFixture f;
    f.window->show();
    QWidget *viewport = f.window->workspace().viewport();
    std::unique_ptr<QMimeData> data;
    if (files) {
        data.reset(fileDrop({f.files.write(QStringLiteral("a.log"), "a\n")}));
    } else {
        data = std::make_unique<QMimeData>();
        data->setText(QStringLiteral("/tmp/a.log"));
    }
    const Qt::DropActions possible(actions);
    QDragEnterEvent enter(QPoint(10, 10), possible, data.get(), Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(viewport, &enter);
    QVERIFY(!enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), possible, data.get(), Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(viewport, &drop);
    QVERIFY(!drop.isAccepted());
    QCOMPARE(f.module.DocCount, 0);
}

void tst_frmMain::busyPointerIsOneLevel() {
    MainWindowFixture f;
    QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
    f.window->setBusyPointer(true);
    f.window->setBusyPointer(true);
    QVERIFY(QGuiApplication::overrideCursor());
    QCOMPARE(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
    f.window->setBusyPointer(false);
    QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
    f.window->setBusyPointer(false);
    QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
}

QTEST_MAIN(tst_frmMain)
#include "tst_frmmain.moc"
