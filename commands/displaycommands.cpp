#include "displaycommands.h"

#include "core/documentview.h"
#include "core/documentwindow.h"
#include "core/mainwindow.h"
#include "core/module1.h"
#include "core/text/numbertext.h"
#include "dialogs.h"
#include "timeroffscope.h"

#include <algorithm>

namespace Orvik {

DisplayCommands::DisplayCommands(Module1 &module, Dialogs &dialogs)
    : m_module(module)
    , m_dialogs(dialogs) {}

QString DisplayCommands::refreshIntervalPrompt(int interval) {
    return QStringLiteral("Current refresh interval is") + displayNumber(qint64(interval)) +
           QStringLiteral(" milliseconds.  Enter the desired value in milliseconds:");
}

QString DisplayCommands::refreshIntervalPanelText(int interval) {
    return QStringLiteral("Refresh Interval:") + displayNumber(qint64(interval)) +
           QStringLiteral("ms");
}

// A cancelled box reads as the empty text: it clears a highlight that was set.
void DisplayCommands::highlightText() {
    const QString reply =
        m_dialogs.inputBox(QStringLiteral("Type in the text to highlight"),
                           QStringLiteral("Case-Insensitive Highlight"), QString());
    if (reply == m_module.HighLightString)
        return;
    m_module.HighLightString = reply;
    m_module.HighLightPending = true;
    m_module.RefreshDocuments(0);
}

// A reply without a number, an empty one and a cancelled box all read as 0: nothing changes.
void DisplayCommands::refreshInterval() {
    const QString reply = m_dialogs.inputBox(refreshIntervalPrompt(m_module.RefreshInterval),
                                             QStringLiteral("Refresh Interval"), QString());
    const double value = leadingNumberValue(reply);
    if (value == 0.0)
        return;
    const double limited =
        std::clamp(value, double(Module1::MinRefreshInterval), double(Module1::MaxRefreshInterval));
    m_module.RefreshInterval = roundHalfEvenToInt(limited).value_or(m_module.RefreshInterval);
    if (MainWindow *mainForm = m_module.MainForm) {
        mainForm->timerUpdate().setInterval(m_module.RefreshInterval);
        mainForm->sbStatusBar().setPanelText(2, refreshIntervalPanelText(m_module.RefreshInterval));
    }
}

// The timer is off and the busy pointer shown from the start, also while the chooser is open;
// both are restored however the command ends.
void DisplayCommands::selectFont() {
    TimerOffScope timerOff(m_module.MainForm);
    const std::optional<FontChoice> choice = m_dialogs.chooseFont();
    if (!choice)
        return;
    m_module.FontName = choice->name;
    m_module.FontSize = std::max(1, roundHalfEvenToInt(choice->size).value_or(m_module.FontSize));
    m_module.FontBold = choice->bold;
    m_module.FontItalic = choice->italic;
    m_module.FontUnderline = choice->underline;
    const DisplayFont font = m_module.displayFont();
    for (int slot = 1; slot <= m_module.DocCount; ++slot) {
        if (DocumentWindow *window = m_module.DocWindow[slot])
            window->rtfText().setDisplayFont(font);
    }
}

void DisplayCommands::highlightRules() {
    const std::optional<std::vector<HighlightRule>> edited =
        m_dialogs.editRules(m_module.HighlightRules->rules());
    if (!edited || *edited == m_module.HighlightRules->rules())
        return;
    m_module.setHighlightRules(*edited);
    m_module.RefreshDocuments(0);
}

} // namespace Orvik
