#pragma once

#include "core/rules/alertlimiter.h"

#include <QObject>

#include <functional>
#include <set>

class QAccessibleEvent;
class QMdiArea;
class QWidget;

namespace Orvik {

class Clock;
class DesktopNotifier;
class frmDocument;

// What happens when an alert rule matches in text appended to a document the user is not
// looking at (not the active document window, or Orvik's main window not active): the
// window gets the alert icon and a marker in the Window menu until it is activated, the main
// window asks for attention, screen readers hear of it, and a desktop notification says
// "PATH: LINE", at most once a minute per document. Taking the notification's default
// action activates that document window.
class DocumentAlerts : public QObject {
    Q_OBJECT

public:
    DocumentAlerts(QWidget &mainWindow, QMdiArea &workspace, const Clock &clock,
                   DesktopNotifier &notifier);

    void raise(frmDocument &document, const QString &path, const QString &line);
    // The main window became active: its active document window is seen again.
    void mainWindowActivated();
    // Whether the main window counts as active, and where accessible events go (tests choose:
    // without a screen reader Qt drops them).
    void setMainWindowActive(std::function<bool()> active) { m_mainActive = std::move(active); }
    void setAccessibleEvents(std::function<void(QAccessibleEvent &)> sink) {
        m_accessible = std::move(sink);
    }

    // The marker the Window menu shows before an alerted window's caption.
    static const QString MenuMarker;

private:
    void seen(QWidget *window);
    void activate(quint64 key);

    QWidget &m_mainWindow;
    QMdiArea &m_workspace;
    DesktopNotifier &m_notifier;
    AlertLimiter m_limiter;
    std::function<bool()> m_mainActive;
    std::function<void(QAccessibleEvent &)> m_accessible;
    std::set<quint64> m_watched; // documents whose closing is awaited
};

} // namespace Orvik
