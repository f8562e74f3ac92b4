#pragma once

namespace Orvik {

class CommandHost;
class frmDocument;

// Window, Synchronize by Time. While on, a reader's move in one document window shows every
// other window whose document has times at its last line at or before the time of the line
// moved to, marked by a band, and those windows no longer follow; a document without times
// is left alone, and no window is moved or reordered. Ctrl+End in any window makes every one
// follow again. The windows' own moves to a time are not readers' moves, so they sync nothing.
class TimeSync {
public:
    explicit TimeSync(CommandHost &host);

    // Off takes the bands away.
    void setEnabled(bool enabled);
    bool isEnabled() const { return m_enabled; }

    void readerMoved(frmDocument &source);
    void endRequested(frmDocument &source);

private:
    CommandHost &m_host;
    bool m_enabled = false;
    bool m_syncing = false; // a move made by the sync itself is no reader's
};

} // namespace Orvik
