#pragma once

#include "core/mainwindow.h"

#include <QList>

#include <array>

class QAction;
class QMdiArea;
class QMenu;
class QMenuBar;

namespace Orvik {

// The five menus of the main window with every item as created; the handlers are wired by
// the main window. Apart from the recently used file items no caption changes at run time.
class MainMenus : public MruMenu {
public:
    MainMenus(QMenuBar &menuBar, QMdiArea &workspace);

    // MruMenu: item i (1..10) shows slot i of the recently used files.
    void setItem(int index, const QString &caption, bool visible) override;
    void setSeparatorVisible(bool visible) override;

    QMenu *mnuFile = nullptr;
    QAction *mnuFileOpen = nullptr;
    QAction *mnuFileOpenCommand = nullptr;
    QAction *mnuFileClose = nullptr;
    QAction *mnuFileBar0 = nullptr;
    QAction *mnuFileSaveAs = nullptr;
    QAction *mnuFileBar1 = nullptr;
    QAction *mnuFilePrint = nullptr;
    QAction *mnuFileBar2 = nullptr;
    std::array<QAction *, 11> mnuFileMRU{}; // 1..10; no item 0
    QAction *mnuMRUSep = nullptr;
    QAction *mnuFileExit = nullptr;

    QMenu *mnuEdit = nullptr;
    QAction *mnuEditCopy = nullptr;
    QAction *mnuEditBar0 = nullptr;
    QAction *mnuEditFind = nullptr;
    QAction *mnuEditFindNext = nullptr;
    QAction *mnuEditFindPrevious = nullptr;
    QAction *mnuEditFilter = nullptr;
    QAction *mnuEditGoToTime = nullptr;

    QMenu *mnuView = nullptr;
    QAction *mnuViewToolbar = nullptr;
    QAction *mnuViewStatusBar = nullptr;
    QAction *mnuViewBar0 = nullptr;
    QAction *mnuHighlightText = nullptr;
    QAction *mnuSelectFont = nullptr;
    QAction *mnuRefreshInterval = nullptr;
    QAction *mnuHighlightRules = nullptr;
    QAction *mnuFollowInstantly = nullptr;

    QMenu *mnuWindow = nullptr;
    QAction *mnuWindowNewWindow = nullptr;
    QAction *mnuWindowBar0 = nullptr;
    QAction *mnuWindowCascade = nullptr;
    QAction *mnuWindowTileHorizontal = nullptr;
    QAction *mnuWindowTileVertical = nullptr;
    QAction *mnuWindowArrangeIcons = nullptr;
    QAction *mnuWindowSynchronize = nullptr;
    QAction *mnuWindowAllLogsByTime = nullptr;

    QMenu *mnuHelp = nullptr;
    QAction *mnuHelpAbout = nullptr;

    // The Find and Filter items work on the active document: they are enabled while one is
    // open.
    void setFindEnabled(bool enabled);
    // Go to Time is enabled while the active document's lines have times.
    void setGoToTimeEnabled(bool enabled);
    // All Logs by Time is enabled while some open document's lines have times.
    void setAllLogsByTimeEnabled(bool enabled);

    // Rebuilds the window list below the Window menu's last item: a separator and one
    // numbered entry per document window with its caption, the active one checked; a window
    // with an alert not yet seen shows DocumentAlerts::MenuMarker and its alert icon.
    void updateWindowList();
    // The window list's entries as they stand (the separator first), for checks.
    const QList<QAction *> &windowListActions() const { return m_windowList; }

private:
    QMdiArea &m_workspace;
    QList<QAction *> m_windowList;
};

} // namespace Orvik
