#include "dbusnotifier.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QVariantMap>

namespace Orvik {

namespace {
const QString Service = QStringLiteral("org.freedesktop.Notifications");
const QString Path = QStringLiteral("/org/freedesktop/Notifications");
const QString Interface = QStringLiteral("org.freedesktop.Notifications");
const QString DefaultAction = QStringLiteral("default");
} // namespace

DBusNotifier::DBusNotifier(QObject *parent)
    : QObject(parent) {}

// The bus is first reached when there is something to say: a program that never notifies
// never connects to it.
void DBusNotifier::listen(QDBusConnection &bus) {
    m_listening = true;
    bus.connect(Service, Path, Interface, QStringLiteral("ActionInvoked"), this,
                SLOT(onActionInvoked(uint, QString)));
    bus.connect(Service, Path, Interface, QStringLiteral("NotificationClosed"), this,
                SLOT(onNotificationClosed(uint, uint)));
    const QDBusMessage ask =
        QDBusMessage::createMethodCall(Service, Path, Interface, QStringLiteral("GetCapabilities"));
    auto *watcher = new QDBusPendingCallWatcher(bus.asyncCall(ask), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, watcher] {
        const QDBusPendingReply<QStringList> reply = *watcher;
        if (reply.isValid())
            m_markup = reply.value().contains(QStringLiteral("body-markup"));
        watcher->deleteLater();
    });
}

QString DBusNotifier::bodyFor(const QString &text, bool serviceReadsMarkup) {
    return serviceReadsMarkup ? text.toHtmlEscaped() : text;
}

void DBusNotifier::notify(quint64 key, const QString &summary, const QString &body) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return;
    if (!m_listening)
        listen(bus);
    QDBusMessage call =
        QDBusMessage::createMethodCall(Service, Path, Interface, QStringLiteral("Notify"));
    // app_name, replaces_id, app_icon, summary, body, actions, hints, expire_timeout
    call << QStringLiteral("Orvik") << uint(0) << QStringLiteral("orvik") << summary
         << bodyFor(body, m_markup) << QStringList{DefaultAction, QStringLiteral("Show")}
         << QVariantMap{{QStringLiteral("desktop-entry"), QStringLiteral("org.orvik.Orvik")}}
         << int(-1);
    auto *watcher = new QDBusPendingCallWatcher(bus.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, key, watcher] {
        const QDBusPendingReply<uint> reply = *watcher;
        if (reply.isValid())
            m_shown[reply.value()] = key;
        watcher->deleteLater();
    });
}

void DBusNotifier::onActionInvoked(uint id, const QString &action) {
    const auto shown = m_shown.find(id);
    if (shown == m_shown.end() || action != DefaultAction)
        return;
    activated(shown->second);
}

void DBusNotifier::onNotificationClosed(uint id, uint reason) {
    Q_UNUSED(reason);
    m_shown.erase(id);
}

} // namespace Orvik
