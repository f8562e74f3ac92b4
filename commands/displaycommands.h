#pragma once

#include <QString>

namespace Orvik {

class Dialogs;
class Module1;

// The View menu's display preferences: the highlight text, the refresh interval and the
// document font. They change the preferences in memory and apply them at once; the
// settings store gets them when the main window closes.
class DisplayCommands {
public:
    DisplayCommands(Module1 &module, Dialogs &dialogs);

    void highlightText();
    void refreshInterval();
    void selectFont();

    static QString refreshIntervalPrompt(int interval);
    // The text of status panel 2, also written at start-up.
    static QString refreshIntervalPanelText(int interval);

private:
    Module1 &m_module;
    Dialogs &m_dialogs;
};

} // namespace Orvik
