#pragma once

#include "desktopnotifier.h"

#include <QObject>

#include <map>

class QDBusConnection;

namespace Orvik {

// Notifications through org.freedesktop.Notifications on the session bus, reached only once
// the first one is due. Calls never wait for the service: without one they fail quietly. The
// service's ActionInvoked signal for the default action of one of ours activates it.
class DBusNotifier : public QObject, public DesktopNotifier {
    Q_OBJECT

public:
    explicit DBusNotifier(QObject *parent = nullptr);

    void notify(quint64 key, const QString &summary, const QString &body) override;

    // The body as sent: a service that reads markup gets the text's <, > and & escaped, so that
    // a log line never turns into markup (or hides a part of itself).
    static QString bodyFor(const QString &text, bool serviceReadsMarkup);

private slots:
    // A D-Bus signal can only reach a slot named in text.
    void onActionInvoked(uint id, const QString &action);
    void onNotificationClosed(uint id, uint reason);

private:
    void listen(QDBusConnection &bus);

    std::map<uint, quint64> m_shown; // notification id -> key
    bool m_markup = true;            // until the service says otherwise, as most do
    bool m_listening = false;        // to the service's signals
};

} // namespace Orvik
