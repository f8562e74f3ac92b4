#pragma once

#include "dialogs.h"

class QWidget;

namespace Orvik {

// Dialogs shown with Qt's own dialog classes, owned by the main window. While one is open
// the normal arrow pointer is shown over it, also when a command has set the busy pointer.
class QtDialogs : public Dialogs {
public:
    explicit QtDialogs(QWidget *owner);

    QString inputBox(const QString &prompt, const QString &title,
                     const QString &defaultText) override;
    void messageBox(const QString &text, const QString &title, Icon icon) override;
    QString openFileName(const QString &title, const QStringList &filters,
                         const QString &selectedFilter) override;
    QString saveFileName(const QString &title, const QStringList &filters) override;
    bool printDialog(QPrinter &printer, const QString &title, bool offerSelection) override;
    std::optional<FontChoice> chooseFont() override;
    std::optional<std::vector<HighlightRule>>
    editRules(const std::vector<HighlightRule> &rules) override;
    QString commandLine(const QStringList &recent) override;

private:
    QWidget *m_owner;
};

} // namespace Orvik
