#include "timeroffscope.h"

#include "core/mainwindow.h"

namespace Orvik {

TimerOffScope::TimerOffScope(MainWindow *mainForm)
    : m_mainForm(mainForm) {
    if (!m_mainForm)
        return;
    m_mainForm->timerUpdate().setEnabled(false);
    m_mainForm->setBusyPointer(true);
}

TimerOffScope::~TimerOffScope() {
    if (!m_mainForm)
        return;
    m_mainForm->timerUpdate().setEnabled(true);
    m_mainForm->setBusyPointer(false);
}

} // namespace Orvik
