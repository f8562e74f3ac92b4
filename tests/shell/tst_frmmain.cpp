// The main window over real files: its load and unload with the settings file, the command
// line, and the way menus, toolbar, shortcuts and drops reach their commands.
#include "shell/commandline.h"
#include "shell/frmmain.h"
#include "shell/settingsstore.h"

#include "support/mainwindowfixture.h"

#include "commands/frmcommand.h"
#include "commands/frmfind.h"
#include "core/module1.h"
#include "core/stream/streamsource.h"
#include "document/filter/filterpane.h"
#include "document/frmdocument.h"
#include "document/twips.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDialogButtonBox>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>
#include <QUrl>
#include <QtTest>

using namespace Orvik;

namespace {
QByteArray storeBytes(const MainWindowFixture &f) {
    QFile file(f.storePath());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
} // namespace

class tst_frmMain : public QObject {
    Q_OBJECT
    // Rows: urls (none: plain text naming a file), actions, onAView, opened (the last urls).
    using Drop = std::tuple<QStringList, int, bool, int>;

private slots:
    // Off screen as stored, the interval brought into its range, recent files by their slots.
    void loadAppliesTheStoredSettings() {
        const QRect frame(-3000, 30000, 9000, 4500); // in twips
        MainWindowFixture f(
            "[Settings]\nLeft=-3000\nTop=30000\nWidth=9000\nHeight=4500\n"
            "RefreshInterval=20\n[MRU Documents]\n01=/var/one.log\n03=/var/3.log\n");
        frmMain &w = *f.window;
        w.Form_Load(QString());
        QVERIFY(w.isVisible());
        QCOMPARE(w.windowTitle(), QStringLiteral("Orvik"));
        QCOMPARE(w.frameGeometry(),
                 QRect(twipsToPixelsX(frame.x(), &w), twipsToPixelsY(frame.y(), &w),
                       twipsToPixelsX(frame.width(), &w), twipsToPixelsY(frame.height(), &w)));
        QVERIFY(qAbs(w.frameTwips().left - frame.x()) < 15);
        QCOMPARE(w.timerUpdate().interval(), 100);
        QVERIFY(w.timerUpdate().isEnabled());
        QCOMPARE(w.sbStatusBar().panelText(2), QStringLiteral("Refresh Interval: 100ms"));
        QVERIFY(f.module.HighLightPending);
        QStringList shown;
        for (int i = 1; i <= 10; ++i)
            if (w.menus().mnuFileMRU[i]->isVisible())
                shown << QString::number(i) + '=' + w.menus().mnuFileMRU[i]->text();
        QCOMPARE(shown.join(' '), QStringLiteral("1=/var/one.log 3=/var/3.log"));
        QVERIFY(w.menus().mnuMRUSep->isVisible());
    }

    void commandLineOpensTiledWithCaretsAtTheEnd_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QStringList>("opened");
        QTest::newRow("nothing") << QStringList() << QStringList();
        QTest::newRow("separate arguments") << QStringList{"a", "b"} << QStringList{"a", "b"};
        QTest::newRow("names between commas") << QStringList{"a,b"} << QStringList{"a", "b"};
        QTest::newRow("quoted name with a blank")
            << QStringList{"\"My Logs\""} << QStringList{"My Logs"};
    }
    void commandLineOpensTiledWithCaretsAtTheEnd() {
        QFETCH(QStringList, arguments);
        QFETCH(QStringList, opened);
        MainWindowFixture f;
        QByteArray lines;
        for (int i = 0; i < 200; ++i)
            lines += "2026-12-06 10:00:00 INFO line " + QByteArray::number(i) + '\n';
        for (const char *name : {"a", "b", "My Logs"})
            f.files.write(QLatin1String(name), lines);
        QStringList argv{QStringLiteral("orvik")};
        for (const QString &argument : arguments)
            argv << QString(argument).replace(QRegularExpression("(\\w[\\w ]*)"),
                                              f.files.folder() + "/\\1");
        f.window->Form_Load(CommandLine::argumentText(argv));
        QCOMPARE(f.module.DocCount, opened.size());
        const QRect room = f.window->workspace().viewport()->rect();
        int top = 0;
        for (int slot = 1; slot <= opened.size(); ++slot) {
            const QString name = opened.at(slot - 1);
            QCOMPARE(f.module.DocFileName[slot], name.isEmpty() ? name : f.files.path(name));
            const QRect place = f.document(slot)->geometry();
            QCOMPARE(place, QRect(0, top, room.width(), place.height()));
            top = place.bottom() + 1;
            QCOMPARE(f.document(slot)->rtfText().selStart(), f.module.DocFileSize[slot]);
            QCOMPARE(f.document(slot)->rtfText().selLength(), 0);
        }
        QCOMPARE(top, opened.isEmpty() ? 0 : room.bottom() + 1);
    }

    void exitClosesDocumentsAndWritesTheSettingsFile() {
        MainWindowFixture f;
        const QString a = f.files.write(QStringLiteral("a.log"), "a\n");
        const QString b = f.files.write(QStringLiteral("b.log"), "b\n");
        f.window->Form_Load(a + QLatin1Char(',') + b);
        f.module.FontName = QStringLiteral("DejaVu Sans Mono");
        QSignalSpy ends(f.window.get(), &frmMain::unloaded); // the application quits on it
        f.window->saveSession();                             // written, and the session goes on
        QVERIFY(storeBytes(f).contains("\nFontName=DejaVu Sans Mono\n"));
        QVERIFY(ends.isEmpty() && !f.window->isUnloaded() && f.window->isVisible());
        QVERIFY(f.window->timerUpdate().isEnabled());
        f.module.RefreshInterval = 250;
        const WindowTwips frame = f.window->frameTwips();
        f.window->menus().mnuFileExit->trigger();
        QVERIFY(f.window->isUnloaded() && !f.window->isVisible());
        QCOMPARE(f.module.DocCount, 0);
        QVERIFY(f.window->workspace().subWindowList().isEmpty());
        QVERIFY(!f.window->timerUpdate().isEnabled());
        const QByteArray stored = storeBytes(f);
        for (const QString &line : {"Left=" + QString::number(frame.left),
                                    QString("RefreshInterval=250"), "01=" + b, "02=" + a})
            QVERIFY2(stored.contains('\n' + line.toUtf8() + '\n'), qPrintable(line));
    }

    void unloadWritesTheFrameOnce() {
        MainWindowFixture f("[Settings]\nLeft=1234\nTop=2345\nWidth=7000\nHeight=5000\n");
        f.window->Form_Load(QString());
        f.window->showMinimized();
        f.module.FontName = QStringLiteral("Courier");
        QSignalSpy ends(f.window.get(), &frmMain::unloaded); // the application ends on it
        f.window->close();                                   // minimised: the earlier frame stays
        f.module.FontName = QStringLiteral("changed after the unload");
        f.window->Form_Unload();
        QCOMPARE(ends.size(), 1);
        QVERIFY(storeBytes(f).contains("\nFontName=Courier\nFontSize=10\nFontUnderline=False\n"
                                       "Height=5000\nHighLightString=\nLeft=1234\n"
                                       "RefreshInterval=1000\nTop=2345\nWidth=7000\n"));

        MainWindowFixture g;
        g.window->Form_Load(QString());
        const WindowTwips normal = g.window->frameTwips();
        g.window->showMaximized();
        QVERIFY(QTest::qWaitFor([&] { return !(g.window->frameTwips() == normal); }));
        const WindowTwips maximised = g.window->frameTwips();
        g.window->close();
        QVERIFY(storeBytes(g).contains("\nHeight=" + QByteArray::number(maximised.height) + '\n'));
        QVERIFY(storeBytes(g).contains("\nWidth=" + QByteArray::number(maximised.width) + '\n'));
    }

    // Decoration not known yet; a title bar without side borders; title bar and borders.
    void clientSizeForAFrame() {
        QVERIFY(!frmMain::clientSizeFor(QSize(600, 400), QSize(0, 0)));
        QCOMPARE(frmMain::clientSizeFor(QSize(600, 400), QSize(0, 30)), QSize(600, 370));
        QCOMPARE(frmMain::clientSizeFor(QSize(600, 400), QSize(8, 38)), QSize(592, 362));
    }

    void unwritableStoreIsReported() {
        MainWindowFixture f;
        // A plain file where the store's folder should be: not writable, not even by root.
        IniSettingsStore store(f.files.write(QStringLiteral("blocker"), "") + "/Orvik/Orvik.conf");
        f.window = std::make_unique<frmMain>(f.module, store);
        f.module.MainForm = f.window.get();
        f.window->Form_Load(QString());
        QTest::ignoreMessage(QtWarningMsg,
                             QRegularExpression("settings were not saved.*Orvik.conf"));
        f.window->close();
        QVERIFY(f.window->isUnloaded());
    }

    // The Open Command window over the settings file: the last ten commands kept, newest
    // first, or the examples while none are; a command opened goes first and is kept, one
    // open already is not started again, an empty line or Cancel opens nothing, and the
    // section is written only once a command was opened.
    void openCommandWindow_data() {
        QTest::addColumn<QByteArray>("storeText");
        QTest::addColumn<QStringList>("lines");   // each typed into one window; "" cancels
        QTest::addColumn<QStringList>("offered"); // the drop-down's items in the first
        QTest::addColumn<int>("documents");
        QTest::addColumn<QByteArray>("section"); // all of it as stored afterwards; "" none
        QByteArray twelve = "[Recent Commands]\n";
        QStringList ten;
        for (int i = 1; i <= 12; ++i) {
            twelve += QStringLiteral("%1=echo %2\n").arg(i, 2, 10, QChar('0')).arg(i).toUtf8();
            if (i <= 10)
                ten << QStringLiteral("echo %1").arg(i);
        }
        QTest::newRow("none kept: the examples, Cancel keeps none")
            << QByteArray() << QStringList{""} << frmCommand::Examples << 0 << QByteArray();
        QTest::newRow("an empty line opens nothing")
            << QByteArray() << QStringList{"  "} << frmCommand::Examples << 0 << QByteArray();
        QTest::newRow("the last ten of those kept")
            << twelve << QStringList{""} << ten << 0 << twelve.left(twelve.indexOf("11="));
        QTest::newRow("the same command twice opens one window")
            << QByteArray() << QStringList{"echo same", " echo same "} << frmCommand::Examples << 1
            << QByteArray("[Recent Commands]\n01=echo same\n");
        QTest::newRow("a command opened goes first")
            << QByteArray("[Recent Commands]\n01=echo 1\n02=echo 2\n") << QStringList{"echo 2"}
            << QStringList{"echo 1", "echo 2"} << 1
            << QByteArray("[Recent Commands]\n01=echo 2\n02=echo 1\n");
    }
    void openCommandWindow() {
        QFETCH(QByteArray, storeText);
        QFETCH(QStringList, lines);
        QFETCH(QStringList, offered);
        QFETCH(int, documents);
        QFETCH(QByteArray, section);
        MainWindowFixture f(storeText);
        f.window->Form_Load(QString());
        QStringList seen;
        QString proposed;
        for (const QString &line : lines) {
            QTimer::singleShot(0, f.window.get(), [&] {
                auto *dialog = qobject_cast<frmCommand *>(QApplication::activeModalWidget());
                QComboBox &box = dialog->cboCommand();
                if (seen.isEmpty()) {
                    for (int i = 0; i < box.count(); ++i)
                        seen << box.itemText(i);
                    proposed = box.currentText();
                }
                if (line.isEmpty())
                    return dialog->reject();
                box.setEditText(line);
                dialog->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok)->click();
            });
            f.window->menus().mnuFileOpenCommand->trigger();
        }
        QCOMPARE(seen, offered);
        QCOMPARE(proposed, storeText.isEmpty() ? QString() : offered.first());
        QCOMPARE(f.module.DocCount, documents);
        f.window->close();
        QVERIFY(StreamSource::waitForAllStopped(std::chrono::seconds(10)));
        if (section.isEmpty())
            QVERIFY(!storeBytes(f).contains("[Recent Commands]"));
        else
            QVERIFY2(storeBytes(f).contains(section + '\n'), storeBytes(f)); // and no more
    }

    void menusToolbarShortcutsAndRecentFilesReachTheirCommands() {
        MainWindowFixture f;
        frmMain &w = *f.window;
        MainMenus &menus = w.menus();
        QVERIFY(!menus.mnuEditFind->isEnabled() && !menus.mnuEditFindNext->isEnabled());
        w.resize(900, 700);
        w.show();
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        w.menus().mnuViewStatusBar->trigger();
        QVERIFY(!w.sbStatusBar().isVisible());

        const QString recent = f.files.write(QStringLiteral("recent.log"), "first\nsecond\n");
        f.module.MRUFiles[2] = recent;
        f.module.UpdateMRUMenu();
        w.menus().mnuFileMRU[2]->trigger();
        w.menus().mnuFileMRU[1]->trigger(); // the same file, now first: activated, not opened
        QCOMPARE(f.module.DocCount, 1);
        QCOMPARE(f.module.DocFileName[1], recent);
        f.module.OpenDocument(f.files.write(QStringLiteral("b.log"), "line\n"));
        ToolBar &bar = w.tbToolBar();
        QTest::mouseClick(bar.widgetForAction(bar.button("Tile Horizontally")), Qt::LeftButton);
        QCOMPARE(f.document(1)->geometry().topLeft(), QPoint(0, 0));
        QCOMPARE(f.document(2)->geometry().top(), f.document(1)->geometry().bottom() + 1);

        RichTextView &view = f.document(1)->rtfText();
        f.document(1)->activate();
        view.setFocus();
        QVERIFY(QTest::qWaitFor([&view] { return view.hasFocus(); }));
        QTest::keyClick(&view, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("first\nsecond\n"));
        // Ctrl+L filters as one types; Ctrl+C in its rows copies their lines; Escape closes it.
        QTest::keyClick(&view, Qt::Key_L, Qt::ControlModifier);
        FilterPane &pane = *f.document(1)->filterPane();
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("sec"));
        pane.rows().selectAll();
        pane.rows().setFocus();
        QVERIFY(QTest::qWaitFor([&pane] { return pane.rows().hasFocus(); }));
        QTest::keyClick(&pane.rows(), Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("second"));
        QTest::keyClick(&pane.rows(), Qt::Key_Escape);
        QVERIFY(pane.isHidden() && view.hasFocus());
        // Only the routing of the other keys: their dialogs do not run.
        const std::pair<QAction *, QKeySequence> keys[] = {
            {menus.mnuFileOpen, Qt::CTRL | Qt::Key_O},
            {menus.mnuEditFind, Qt::CTRL | Qt::Key_F},
            {menus.mnuEditFindNext, Qt::Key_F3},
            {menus.mnuEditFindPrevious, Qt::SHIFT | Qt::Key_F3},
            {menus.mnuEditFilter, Qt::CTRL | Qt::Key_L},
            {menus.mnuFileOpenCommand, Qt::CTRL | Qt::SHIFT | Qt::Key_O}};
        for (const auto &[action, key] : keys) {
            QObject::disconnect(action, &QAction::triggered, &w, nullptr);
            QSignalSpy triggered(action, &QAction::triggered);
            QTest::keySequence(&view, key);
            QCOMPARE(triggered.size(), 1);
        }
        view.setSelStart(0); // the view's own Copy is Edit, Copy
        view.setSelLength(5);
        QSignalSpy copies(menus.mnuEditCopy, &QAction::triggered);
        QTimer::singleShot(0, &w, [] {
            QWidget *menu = QApplication::activePopupWidget();
            menu->actions().constFirst()->trigger();
            menu->close();
        });
        QContextMenuEvent rightClick(QContextMenuEvent::Mouse, QPoint(5, 5),
                                     view.viewport()->mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(view.viewport(), &rightClick);
        QVERIFY(copies.size() == 1 && QGuiApplication::clipboard()->text() == "first");
        w.commands().mnuEditFind_Click(); // F3 and Shift+F3 from the Find window too
        QWidget *find = w.commands().findCommands().findWindow();
        QVERIFY(QTest::qWaitForWindowActive(find));
        for (const auto &[action, key] : {keys[2], keys[3]}) {
            QSignalSpy triggered(action, &QAction::triggered);
            QTest::keySequence(find, key);
            QCOMPARE(triggered.size(), 1);
        }
        w.workspace().closeAllSubWindows();
        QVERIFY(!menus.mnuEditFind->isEnabled() && !menus.mnuEditFindPrevious->isEnabled() &&
                !menus.mnuEditFilter->isEnabled());
    }

    // Ctrl+F4 closes the active document window, whichever key the desktop gives a window's
    // own Close: Ctrl+F4 too (Windows' scheme, this platform's) or Ctrl+W (X11's).
    void ctrlF4ClosesTheActiveDocument_data() {
        QTest::addColumn<bool>("desktopCloseIsCtrlW");
        QTest::newRow("desktop's Close is Ctrl+F4 too") << false;
        QTest::newRow("desktop's Close is Ctrl+W") << true;
    }
    void ctrlF4ClosesTheActiveDocument() {
        QFETCH(bool, desktopCloseIsCtrlW);
        MainWindowFixture f;
        f.window->show();
        QVERIFY(QTest::qWaitForWindowActive(f.window.get()));
        for (const char *name : {"a.log", "b.log"})
            f.module.OpenDocument(f.files.write(QString::fromLatin1(name), "line\n"));
        frmDocument &active = *f.document(2);
        if (desktopCloseIsCtrlW) {
            for (QAction *action : active.systemMenu()->actions())
                if (action->shortcuts() == QKeySequence::keyBindings(QKeySequence::Close))
                    action->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_W));
        }
        active.activate();
        active.rtfText().setFocus();
        QVERIFY(QTest::qWaitFor([&active] { return active.rtfText().hasFocus(); }));
        QTest::keyClick(&active.rtfText(), Qt::Key_F4, Qt::ControlModifier);
        QTRY_COMPARE(f.module.DocCount, 1);
        QCOMPARE(f.module.DocFileName[1], f.files.path(QStringLiteral("a.log")));
    }

    // Drops on the workspace or on a document's view: local files that may be copied open in
    // order (a view never takes them as text of its own); anything else is refused.
    void drops_data() {
        QTest::addColumn<Drop>("d");
        const QStringList files{"a.log", "b.log"};
        const QString web = QStringLiteral("https://example.org/x.log");
        const int copy = Qt::CopyAction;
        QTest::newRow("files that may be copied open in order") << Drop{files, copy, false, 2};
        QTest::newRow("copied or moved, on a view") << Drop{files, copy | Qt::MoveAction, true, 2};
        QTest::newRow("move only is refused") << Drop{files, Qt::MoveAction, false, 0};
        QTest::newRow("move only is refused by a view") << Drop{files, Qt::MoveAction, true, 0};
        QTest::newRow("a web address is refused") << Drop{{web}, copy, false, 0};
        QTest::newRow("a web address among files") << Drop{{web, "a.log"}, copy, false, 1};
    }
    void drops() {
        QFETCH(Drop, d);
        const auto &[urls, actions, onAView, opened] = d;
        MainWindowFixture f;
        f.window->show();
        QMimeData data;
        QList<QUrl> list;
        for (const QString &url : urls)
            list << (url.contains(':') ? QUrl(url)
                                       : QUrl::fromLocalFile(f.files.write(url, "x\n")));
        urls.isEmpty() ? data.setText(f.files.write("a.log", "a\n")) : data.setUrls(list);
        QWidget *target = f.window->workspace().viewport();
        if (onAView) {
            f.module.OpenDocument(f.files.write("open.log", "open\n"));
            target = f.document(1)->rtfText().viewport();
        }
        const QPoint at = target->rect().center();
        QDragEnterEvent enter(at, Qt::DropActions(actions), &data, Qt::LeftButton, {});
        QCoreApplication::sendEvent(target, &enter);
        QCOMPARE(enter.isAccepted(), opened > 0);
        QCOMPARE(enter.dropAction(), opened ? Qt::CopyAction : enter.dropAction());
        QDropEvent drop(QPointF(at), Qt::DropActions(actions), &data, Qt::LeftButton, {});
        QCoreApplication::sendEvent(target, &drop);
        QCOMPARE(f.module.DocCount, int(onAView) + opened);
        for (int i = 1; i <= opened; ++i)
            QCOMPARE(f.module.DocFileName[int(onAView) + i],
                     list.at(list.size() - opened + i - 1).toLocalFile());
        if (onAView)
            QCOMPARE(f.document(1)->rtfText().plainText(), QStringLiteral("open\n"));
    }

    void busyPointerIsOneLevel() {
        MainWindowFixture f;
        f.window->setBusyPointer(true);
        f.window->setBusyPointer(true);
        QCOMPARE(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
        for (int i = 0; i < 2; ++i) { // one call takes it away; another does not underflow
            f.window->setBusyPointer(false);
            QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
        }
    }
};

QTEST_MAIN(tst_frmMain)
#include "tst_frmmain.moc"
