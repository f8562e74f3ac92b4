#pragma once

#include <QString>

namespace Orvik {

class Dialogs;
class Module1;

// The View menu's display preferences: the highlight text, the refresh interval, the
// document font and the highlight rules. They change the preferences in memory and apply them at
// once; the settings store gets them when the main window closes.
class DisplayCommands {
public:
    DisplayCommands(Module1 &module, Dialogs &dialogs);

    void highlightText();
    void refreshInterval();
    void selectFont();
    // The Highlight Rules window; rules changed there are marked in every document at once.
    void highlightRules();

    static QString refreshIntervalPrompt(int interval);
    // The text of status panel 2, also written at start-up.
    static QString refreshIntervalPanelText(int interval);

private:
    Module1 &m_module;
    Dialogs &m_dialogs;
};

} // namespace Orvik
