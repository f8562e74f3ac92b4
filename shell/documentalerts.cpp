#include "documentalerts.h"

#include "desktopnotifier.h"

#include "document/frmdocument.h"

#include <QAccessible>
#include <QApplication>
#include <QMdiArea>

namespace Orvik {

const QString DocumentAlerts::MenuMarker = QStringLiteral("(!) ");

namespace {
quint64 keyOf(const frmDocument *document) {
    return quint64(quintptr(document));
}
} // namespace

DocumentAlerts::DocumentAlerts(QWidget &mainWindow, QMdiArea &workspace, const Clock &clock,
                               DesktopNotifier &notifier)
    : m_mainWindow(mainWindow)
    , m_workspace(workspace)
    , m_notifier(notifier)
    , m_limiter(clock)
    , m_mainActive([this] { return m_mainWindow.isActiveWindow(); })
    , m_accessible([](QAccessibleEvent &event) { QAccessible::updateAccessibility(&event); }) {
    connect(&m_workspace, &QMdiArea::subWindowActivated, this,
            [this](QMdiSubWindow *window) { seen(window); });
    m_notifier.setActivationHandler([this](quint64 key) { activate(key); });
}

void DocumentAlerts::raise(frmDocument &document, const QString &path, const QString &line) {
    if (m_mainActive() && m_workspace.activeSubWindow() == &document)
        return; // in sight
    document.showAlert(true);
    if (m_watched.insert(keyOf(&document)).second)
        connect(&document, &QObject::destroyed, this, [this, key = keyOf(&document)] {
            m_limiter.forget(key);
            m_watched.erase(key);
        });
    QApplication::alert(&m_mainWindow);
    QAccessibleEvent event(&document, QAccessible::Alert);
    m_accessible(event);
    if (m_limiter.allow(keyOf(&document)))
        m_notifier.notify(keyOf(&document), QStringLiteral("Orvik"),
                          path + QStringLiteral(": ") + line);
}

void DocumentAlerts::mainWindowActivated() {
    seen(m_workspace.activeSubWindow());
}

void DocumentAlerts::seen(QWidget *window) {
    if (auto *document = qobject_cast<frmDocument *>(window))
        document->showAlert(false);
}

void DocumentAlerts::activate(quint64 key) {
    for (QMdiSubWindow *window : m_workspace.subWindowList()) {
        auto *document = qobject_cast<frmDocument *>(window);
        if (!document || keyOf(document) != key)
            continue;
        m_mainWindow.show();
        m_mainWindow.raise();
        m_mainWindow.activateWindow();
        if (m_mainWindow.isMinimized())
            m_mainWindow.showNormal();
        m_workspace.setActiveSubWindow(document);
        document->showAlert(false);
        return;
    }
}

} // namespace Orvik
