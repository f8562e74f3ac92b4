#pragma once

#include "displaycommands.h"
#include "filecommands.h"
#include "findcommands.h"
#include "timecommands.h"
#include "timesync.h"
#include "windowcommands.h"

#include <QString>

namespace Orvik {

class CommandHost;
class Dialogs;

// The menu and toolbar commands of the main window, one handler per menu item. A command
// from a toolbar button runs the same handler as its menu item.
class Commands {
public:
    Commands(CommandHost &host, Dialogs &dialogs);

    void mnuFileOpen_Click();
    void mnuFileOpenCommand_Click();
    void mnuFileClose_Click();
    void mnuFileSaveAs_Click();
    void mnuFilePrint_Click();
    void mnuFileExit_Click();
    void mnuEditCopy_Click();
    void mnuEditFind_Click();
    void mnuEditFindNext_Click();
    void mnuEditFindPrevious_Click();
    void mnuEditFilter_Click();
    void mnuEditGoToTime_Click();
    void mnuViewToolbar_Click();
    void mnuViewStatusBar_Click();
    void mnuHighlightText_Click();
    void mnuSelectFont_Click();
    void mnuRefreshInterval_Click();
    void mnuHighlightRules_Click();
    void mnuWindowCascade_Click();
    void mnuWindowTileHorizontal_Click();
    void mnuWindowTileVertical_Click();
    void mnuWindowArrangeIcons_Click();
    void mnuWindowAllLogsByTime_Click();
    void mnuHelpAbout_Click();
    // Runs the command of the toolbar button with this key; an unknown key does nothing.
    void tbToolBar_ButtonClick(const QString &key);

    FindCommands &findCommands() { return m_find; }
    TimeCommands &timeCommands() { return m_time; }
    TimeSync &timeSync() { return m_sync; }
    WindowCommands &windowCommands() { return m_window; }

private:
    DisplayCommands m_display;
    FileCommands m_file;
    WindowCommands m_window;
    FindCommands m_find;
    TimeCommands m_time;
    TimeSync m_sync;
};

} // namespace Orvik
