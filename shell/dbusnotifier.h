#pragma once

#include "desktopnotifier.h"

#include <QObject>

#include <map>

namespace Orvik {

// Notifications through org.freedesktop.Notifications on the session bus. Calls never wait:
// without a bus or a service they fail quietly. The service's ActionInvoked signal for the
// default action of one of ours activates it.
class DBusNotifier : public QObject, public DesktopNotifier {
    Q_OBJECT

public:
    explicit DBusNotifier(QObject *parent = nullptr);

    void notify(quint64 key, const QString &summary, const QString &body) override;

private slots:
    // A D-Bus signal can only reach a slot named in text.
    void onActionInvoked(uint id, const QString &action);
    void onNotificationClosed(uint id, uint reason);

private:
    std::map<uint, quint64> m_shown; // notification id -> key
};

} // namespace Orvik
