#pragma once

#include <QString>

#include <functional>

namespace Orvik {

// Desktop notifications (the freedesktop service in the program, a recorder in tests).
class DesktopNotifier {
public:
    virtual ~DesktopNotifier() = default;
    // Shows a notification whose default action, when the user takes it, calls the
    // activation handler with `key`. Nothing happens where no notification service runs.
    virtual void notify(quint64 key, const QString &summary, const QString &body) = 0;
    void setActivationHandler(std::function<void(quint64 key)> handler) {
        m_activated = std::move(handler);
    }

protected:
    void activated(quint64 key) {
        if (m_activated)
            m_activated(key);
    }

private:
    std::function<void(quint64)> m_activated;
};

} // namespace Orvik
