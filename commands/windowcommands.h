#pragma once

#include "document/merged/frmmerged.h"

#include <QPointer>
#include <QString>
#include <QtGlobal>

#include <functional>
#include <memory>

namespace Orvik {

class CommandHost;
class Dialogs;
class FilterHistory;
class frmDocument;

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

    // Window, All Logs by Time: opens the window of every log's lines by time, or activates it.
    void allLogsByTime();
    frmMerged *mergedWindow() const { return m_merged; }
    // A document window was made: the window of all logs follows it too.
    void documentOpened(frmDocument &document);

private:
    // Puts `text()` on the clipboard, unless `bytes` passes the limit or it cannot be made.
    void putOnClipboard(qint64 bytes, const std::function<QString()> &text);

    CommandHost &m_host;
    Dialogs &m_dialogs;
    std::shared_ptr<FilterHistory> m_filterHistory;
    QPointer<frmMerged> m_merged;
};

} // namespace Orvik
