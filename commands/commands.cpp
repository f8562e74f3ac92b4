#include "commands.h"

namespace Orvik {

// The handlers do nothing yet; each command lands with its own change.
Commands::Commands(CommandHost &host, Dialogs &dialogs)
    : m_host(host)
    , m_dialogs(dialogs) {}

void Commands::mnuFileOpen_Click() {}
void Commands::mnuFileClose_Click() {}
void Commands::mnuFileSaveAs_Click() {}
void Commands::mnuFilePrint_Click() {}
void Commands::mnuFileExit_Click() {}
void Commands::mnuEditCopy_Click() {}
void Commands::mnuViewToolbar_Click() {}
void Commands::mnuViewStatusBar_Click() {}
void Commands::mnuHighlightText_Click() {}
void Commands::mnuSelectFont_Click() {}
void Commands::mnuRefreshInterval_Click() {}
void Commands::mnuWindowCascade_Click() {}
void Commands::mnuWindowTileHorizontal_Click() {}
void Commands::mnuWindowTileVertical_Click() {}
void Commands::mnuWindowArrangeIcons_Click() {}
void Commands::mnuHelpAbout_Click() {}
void Commands::tbToolBar_ButtonClick(const QString &) {}

} // namespace Orvik
