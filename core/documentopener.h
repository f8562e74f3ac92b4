#pragma once

#include <QString>

#include <functional>

namespace Orvik {

class Module1;

// Turns a path into a watched document: takes a slot, creates and places its window, records
// the name among the recently used files and runs the first refresh cycle for the slot. A
// path already open (trimmed, any letter case) only has its window activated. The update
// timer is off and the busy pointer shown while the table changes.
class DocumentOpener {
public:
    static constexpr int CascadeStep = 20;      // pixels per slot, right and down
    static constexpr int WidthAllowance = 30;   // pixels off the main window's outer width
    static constexpr int HeightAllowance = 110; // pixels off the main window's outer height

    explicit DocumentOpener(Module1 &module);

    void OpenDocument(const QString &path);
    // Standard input for the empty text, else the output of the command line `command`: the
    // document of the same stream (the same command line, trimmed) only has its window
    // activated; a new one starts reading at once and is refreshed as its text comes.
    void OpenStream(const QString &command);
    // Takes slot DocCount + 1 with a new window; false when no slot or window was had.
    bool NewDocumentWindow();

private:
    // The limit's warning; false when the table is full.
    bool roomForOneMore();
    // Timer off and busy pointer while the table changes; the returned call restores them.
    std::function<void()> busy();
    bool activateOpen(const std::function<bool(int slot)> &same);

    Module1 &m_module;
};

} // namespace Orvik
