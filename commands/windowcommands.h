#pragma once

#include <QtGlobal>

#include <memory>

namespace Orvik {

class CommandHost;
class Dialogs;
class FilterHistory;

// The Edit, View, Window and Help commands: Copy, Filter, the two bar toggles, the
// arrangements of the document windows and the About window.
class WindowCommands {
public:
    enum class Arrangement { Cascade, TileHorizontal, TileVertical, ArrangeIcons };

    WindowCommands(CommandHost &host, Dialogs &dialogs);

    // Copy refuses, with a message, text of more bytes than this (by default what the
    // clipboard's text can hold); tests lower it.
    static void setClipboardLimit(qint64 bytes);

    void copy();
    // Opens the filter in the active document window; the filter texts of the run are shared.
    void filter();
    void toggleToolbar();
    void toggleStatusBar();
    void arrange(Arrangement arrangement);
    void about();

private:
    CommandHost &m_host;
    Dialogs &m_dialogs;
    std::shared_ptr<FilterHistory> m_filterHistory;
};

} // namespace Orvik
