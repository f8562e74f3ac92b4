#include "commands.h"

#include "commandhost.h"
#include "dialogs.h"

#include <iterator>

namespace Orvik {

Commands::Commands(CommandHost &host, Dialogs &dialogs)
    : m_display(host.module(), dialogs)
    , m_file(host, dialogs)
    , m_window(host, dialogs)
    , m_find(host, dialogs)
    , m_time(host)
    , m_sync(host) {}

void Commands::mnuFileOpen_Click() {
    m_file.open();
}

void Commands::mnuFileOpenCommand_Click() {
    m_file.openCommand();
}

void Commands::mnuFileClose_Click() {
    m_file.close();
}

void Commands::mnuFileSaveAs_Click() {
    m_file.saveAs();
}

void Commands::mnuFilePrint_Click() {
    m_file.print();
}

void Commands::mnuFileExit_Click() {
    m_file.exit();
}

void Commands::mnuEditCopy_Click() {
    m_window.copy();
}

void Commands::mnuEditFind_Click() {
    m_find.find();
}

void Commands::mnuEditFindNext_Click() {
    m_find.findNext();
}

void Commands::mnuEditFindPrevious_Click() {
    m_find.findPrevious();
}

void Commands::mnuEditFilter_Click() {
    m_window.filter();
}

void Commands::mnuEditGoToTime_Click() {
    m_time.goToTime();
}

void Commands::mnuViewToolbar_Click() {
    m_window.toggleToolbar();
}

void Commands::mnuViewStatusBar_Click() {
    m_window.toggleStatusBar();
}

void Commands::mnuHighlightText_Click() {
    m_display.highlightText();
}

void Commands::mnuSelectFont_Click() {
    m_display.selectFont();
}

void Commands::mnuRefreshInterval_Click() {
    m_display.refreshInterval();
}

void Commands::mnuHighlightRules_Click() {
    m_display.highlightRules();
}

void Commands::mnuWindowCascade_Click() {
    m_window.arrange(WindowCommands::Arrangement::Cascade);
}

void Commands::mnuWindowTileHorizontal_Click() {
    m_window.arrange(WindowCommands::Arrangement::TileHorizontal);
}

void Commands::mnuWindowTileVertical_Click() {
    m_window.arrange(WindowCommands::Arrangement::TileVertical);
}

void Commands::mnuWindowArrangeIcons_Click() {
    m_window.arrange(WindowCommands::Arrangement::ArrangeIcons);
}

void Commands::mnuWindowAllLogsByTime_Click() {
    m_window.allLogsByTime();
}

void Commands::mnuHelpAbout_Click() {
    m_window.about();
}

// Keys are compared exactly, in this order; the first equal key runs its command.
void Commands::tbToolBar_ButtonClick(const QString &key) {
    static const struct {
        const char *key;
        void (Commands::*handler)();
    } table[] = {
        {"Open", &Commands::mnuFileOpen_Click},
        {"Save", &Commands::mnuFileSaveAs_Click},
        {"Print", &Commands::mnuFilePrint_Click},
        {"Copy", &Commands::mnuEditCopy_Click},
        {"Cascade", &Commands::mnuWindowCascade_Click},
        {"Tile Horizontally", &Commands::mnuWindowTileHorizontal_Click},
        {"Tile Vertically", &Commands::mnuWindowTileVertical_Click},
        {"Refresh", &Commands::mnuRefreshInterval_Click},
        {"Font", &Commands::mnuSelectFont_Click},
    };
    for (const auto &entry : table) {
        if (key == QLatin1String(entry.key)) {
            (this->*entry.handler)();
            return;
        }
    }
}

} // namespace Orvik
