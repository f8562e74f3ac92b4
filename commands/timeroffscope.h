#pragma once

namespace Orvik {

class MainWindow;

// Switches the update timer off and shows the busy pointer for the life of the scope; at
// its end the timer runs again, whatever its state before, and the pointer is the default.
// Operations that change the document table or re-lay the windows run inside one, so no
// refresh cycle runs in between.
class TimerOffScope {
public:
    explicit TimerOffScope(MainWindow *mainForm);
    ~TimerOffScope();
    TimerOffScope(const TimerOffScope &) = delete;
    TimerOffScope &operator=(const TimerOffScope &) = delete;

private:
    MainWindow *m_mainForm;
};

} // namespace Orvik
