#pragma once

#include "core/mainwindow.h"

#include <QTimer>

namespace Orvik {

// timerUpdate: a QTimer seen through the core's UpdateTimer. Switching it on starts a new
// period; switching on a running timer leaves it running.
class QtUpdateTimer : public UpdateTimer {
public:
    explicit QtUpdateTimer(QTimer &timer)
        : m_timer(timer) {}

    void setEnabled(bool enabled) override {
        if (!enabled)
            m_timer.stop();
        else if (!m_timer.isActive())
            m_timer.start();
    }
    bool isEnabled() const override { return m_timer.isActive(); }
    void setInterval(int milliseconds) override { m_timer.setInterval(milliseconds); }
    int interval() const override { return m_timer.interval(); }

private:
    QTimer &m_timer;
};

} // namespace Orvik
