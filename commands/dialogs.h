#pragma once

#include "core/rules/highlightrule.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

class QPrinter;

namespace Orvik {

// What the font chooser gives back; the size may be fractional.
struct FontChoice {
    QString name;
    double size = 0.0; // points
    bool bold = false;
    bool italic = false;
    bool underline = false;
};

// The modal boxes and choosers the commands show (dlgCommonDialog, the message box and the
// text-entry box): Qt's dialogs in the program, scripted answers in tests. Every call blocks
// until the user has answered.
class Dialogs {
public:
    enum class Icon { None, Information, Warning, Critical };

    virtual ~Dialogs() = default;

    // The text-entry box: the entered text, or the empty text when the user cancels.
    virtual QString inputBox(const QString &prompt, const QString &title,
                             const QString &defaultText) = 0;
    // A message box with one OK button.
    virtual void messageBox(const QString &text, const QString &title, Icon icon) = 0;
    // The open-file chooser over `filters` ("Description (*.pattern)"), starting on
    // `selectedFilter`: the full path of the chosen file, or the empty text on cancel.
    virtual QString openFileName(const QString &title, const QStringList &filters,
                                 const QString &selectedFilter) = 0;
    // The save-file chooser; it asks before an existing file is replaced. The full path, or
    // the empty text on cancel (also when the user declines to replace).
    virtual QString saveFileName(const QString &title, const QStringList &filters) = 0;
    // The print dialog over `printer`, which it configures. With `offerSelection` the
    // selection is offered, and preselected, as the range to print. False on cancel.
    virtual bool printDialog(QPrinter &printer, const QString &title, bool offerSelection) = 0;
    // The Open Command window: a command line typed or chosen among `recent` (newest first),
    // or the empty text on cancel.
    virtual QString commandLine(const QStringList &recent) {
        Q_UNUSED(recent);
        return QString();
    }
    // The font chooser, not primed with any font; nothing on cancel.
    virtual std::optional<FontChoice> chooseFont() = 0;
    // The Highlight Rules window over a copy of `rules`: the rules as edited, or nothing on
    // cancel.
    virtual std::optional<std::vector<HighlightRule>>
    editRules(const std::vector<HighlightRule> &rules) {
        Q_UNUSED(rules);
        return std::nullopt;
    }
};

} // namespace Orvik
