#include "mainmenus.h"

#include "documentalerts.h"

#include "document/frmdocument.h"

#include <QAction>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>

namespace Orvik {

namespace {
QAction *item(QMenu *menu, const char *name, const QString &caption) {
    QAction *action = menu->addAction(caption);
    action->setObjectName(QString::fromLatin1(name));
    return action;
}

QAction *separator(QMenu *menu, const char *name) {
    QAction *action = menu->addSeparator();
    action->setObjectName(QString::fromLatin1(name));
    return action;
}

QMenu *menu(QMenuBar &bar, const char *name, const QString &caption) {
    QMenu *m = bar.addMenu(caption);
    m->setObjectName(QString::fromLatin1(name));
    m->menuAction()->setObjectName(QString::fromLatin1(name));
    return m;
}

// A caption shown as a menu entry: its ampersands are text, not access keys.
QString menuText(const QString &text) {
    QString escaped = text;
    return escaped.replace(QLatin1Char('&'), QLatin1String("&&"));
}
} // namespace

MainMenus::MainMenus(QMenuBar &menuBar, QMdiArea &workspace)
    : m_workspace(workspace) {
    mnuFile = menu(menuBar, "mnuFile", QStringLiteral("&File"));
    mnuFileOpen = item(mnuFile, "mnuFileOpen", QStringLiteral("&Open..."));
    mnuFileOpen->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    mnuFileOpenCommand = item(mnuFile, "mnuFileOpenCommand", QStringLiteral("Open Co&mmand..."));
    mnuFileOpenCommand->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_O));
    mnuFileClose = item(mnuFile, "mnuFileClose", QStringLiteral("&Close"));
    mnuFileBar0 = separator(mnuFile, "mnuFileBar0");
    mnuFileSaveAs = item(mnuFile, "mnuFileSaveAs", QStringLiteral("Save &As..."));
    mnuFileBar1 = separator(mnuFile, "mnuFileBar1");
    mnuFilePrint = item(mnuFile, "mnuFilePrint", QStringLiteral("&Print..."));
    mnuFileBar2 = separator(mnuFile, "mnuFileBar2");
    for (int i = 1; i <= 10; ++i) {
        mnuFileMRU[i] = mnuFile->addAction(QString());
        mnuFileMRU[i]->setObjectName(QStringLiteral("mnuFileMRU(%1)").arg(i));
        mnuFileMRU[i]->setVisible(false);
    }
    mnuMRUSep = separator(mnuFile, "mnuMRUSep");
    mnuMRUSep->setVisible(false);
    mnuFileExit = item(mnuFile, "mnuFileExit", QStringLiteral("E&xit"));

    mnuEdit = menu(menuBar, "mnuEdit", QStringLiteral("&Edit"));
    mnuEditCopy = item(mnuEdit, "mnuEditCopy", QStringLiteral("&Copy"));
    mnuEditCopy->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_C));
    mnuEditBar0 = separator(mnuEdit, "mnuEditBar0");
    mnuEditFind = item(mnuEdit, "mnuEditFind", QStringLiteral("&Find..."));
    mnuEditFind->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F));
    mnuEditFindNext = item(mnuEdit, "mnuEditFindNext", QStringLiteral("Find &Next"));
    mnuEditFindNext->setShortcut(QKeySequence(Qt::Key_F3));
    mnuEditFindPrevious = item(mnuEdit, "mnuEditFindPrevious", QStringLiteral("Find &Previous"));
    mnuEditFindPrevious->setShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F3));
    // Also while the Find window has the focus.
    mnuEditFindNext->setShortcutContext(Qt::ApplicationShortcut);
    mnuEditFindPrevious->setShortcutContext(Qt::ApplicationShortcut);
    mnuEditFilter = item(mnuEdit, "mnuEditFilter", QStringLiteral("Fi&lter..."));
    mnuEditFilter->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_L));
    mnuEditGoToTime = item(mnuEdit, "mnuEditGoToTime", QStringLiteral("Go to &Time..."));
    mnuEditGoToTime->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_T));
    setFindEnabled(false);
    setGoToTimeEnabled(false);

    mnuView = menu(menuBar, "mnuView", QStringLiteral("&View"));
    mnuViewToolbar = item(mnuView, "mnuViewToolbar", QStringLiteral("&Toolbar"));
    mnuViewToolbar->setCheckable(true);
    mnuViewToolbar->setChecked(true);
    mnuViewStatusBar = item(mnuView, "mnuViewStatusBar", QStringLiteral("Status &Bar"));
    mnuViewStatusBar->setCheckable(true);
    mnuViewStatusBar->setChecked(true);
    mnuViewBar0 = separator(mnuView, "mnuViewBar0");
    mnuHighlightText = item(mnuView, "mnuHighlightText", QStringLiteral("&Highlight Text..."));
    mnuSelectFont = item(mnuView, "mnuSelectFont", QStringLiteral("Select &Font..."));
    mnuRefreshInterval =
        item(mnuView, "mnuRefreshInterval", QStringLiteral("&Refresh Interval..."));
    mnuHighlightRules = item(mnuView, "mnuHighlightRules", QStringLiteral("Highlight R&ules..."));
    mnuFollowInstantly = item(mnuView, "mnuFollowInstantly", QStringLiteral("Follow &Instantly"));
    mnuFollowInstantly->setCheckable(true);
    mnuFollowInstantly->setChecked(true);

    mnuWindow = menu(menuBar, "mnuWindow", QStringLiteral("&Window"));
    mnuWindowNewWindow = item(mnuWindow, "mnuWindowNewWindow", QStringLiteral("&New Window"));
    mnuWindowBar0 = separator(mnuWindow, "mnuWindowBar0");
    mnuWindowCascade = item(mnuWindow, "mnuWindowCascade", QStringLiteral("&Cascade"));
    mnuWindowTileHorizontal =
        item(mnuWindow, "mnuWindowTileHorizontal", QStringLiteral("Tile &Horizontal"));
    mnuWindowTileVertical =
        item(mnuWindow, "mnuWindowTileVertical", QStringLiteral("Tile &Vertical"));
    mnuWindowArrangeIcons =
        item(mnuWindow, "mnuWindowArrangeIcons", QStringLiteral("&Arrange Icons"));
    // Off at every start: not kept in the settings.
    mnuWindowSynchronize =
        item(mnuWindow, "mnuWindowSynchronize", QStringLiteral("&Synchronize by Time"));
    mnuWindowSynchronize->setCheckable(true);
    mnuWindowAllLogsByTime =
        item(mnuWindow, "mnuWindowAllLogsByTime", QStringLiteral("All Logs by &Time"));
    mnuWindowAllLogsByTime->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_T));
    setAllLogsByTimeEnabled(false);
    QObject::connect(mnuWindow, &QMenu::aboutToShow, mnuWindow, [this] { updateWindowList(); });

    mnuHelp = menu(menuBar, "mnuHelp", QStringLiteral("&Help"));
    mnuHelpAbout = item(mnuHelp, "mnuHelpAbout", QStringLiteral("&About "));
}

void MainMenus::setItem(int index, const QString &caption, bool visible) {
    if (index < 1 || index > 10)
        return;
    // The caption is the file name itself: no number and no access key.
    mnuFileMRU[index]->setText(menuText(caption));
    mnuFileMRU[index]->setVisible(visible);
}

void MainMenus::setSeparatorVisible(bool visible) {
    mnuMRUSep->setVisible(visible);
}

void MainMenus::setFindEnabled(bool enabled) {
    for (QAction *action : {mnuEditFind, mnuEditFindNext, mnuEditFindPrevious, mnuEditFilter})
        action->setEnabled(enabled);
}

void MainMenus::setGoToTimeEnabled(bool enabled) {
    mnuEditGoToTime->setEnabled(enabled);
}

void MainMenus::setAllLogsByTimeEnabled(bool enabled) {
    mnuWindowAllLogsByTime->setEnabled(enabled);
}

void MainMenus::updateWindowList() {
    qDeleteAll(m_windowList);
    m_windowList.clear();
    const QList<QMdiSubWindow *> windows = m_workspace.subWindowList(QMdiArea::CreationOrder);
    if (windows.isEmpty())
        return;
    m_windowList.append(mnuWindow->addSeparator());
    QMdiSubWindow *active = m_workspace.activeSubWindow();
    int number = 0;
    for (QMdiSubWindow *window : windows) {
        ++number;
        const QString label =
            number < 10 ? QStringLiteral("&%1 ").arg(number) : QStringLiteral("%1 ").arg(number);
        // A window an alert rule matched in, not seen since, is marked.
        const auto *document = qobject_cast<const frmDocument *>(window);
        const bool alerted = document && document->isAlerted();
        QAction *entry =
            mnuWindow->addAction(label + (alerted ? DocumentAlerts::MenuMarker : QString()) +
                                 menuText(window->windowTitle()));
        if (alerted)
            entry->setIcon(window->windowIcon());
        entry->setCheckable(true);
        entry->setChecked(window == active);
        QObject::connect(entry, &QAction::triggered, &m_workspace, [this, window] {
            // The window may have closed while the menu was open.
            if (m_workspace.subWindowList().contains(window))
                m_workspace.setActiveSubWindow(window);
        });
        m_windowList.append(entry);
    }
}

} // namespace Orvik
