#pragma once

#include <QByteArray>
#include <QString>

#include <chrono>

#include <sys/types.h>

namespace Orvik {

// A command line run by /bin/sh -c in a process group of its own, its standard input from
// /dev/null and its standard output and standard error both into one pipe. Used by the one
// thread that reads the pipe: nothing in it is shared.
class CommandProcess {
public:
    CommandProcess() = default;
    ~CommandProcess();
    CommandProcess(const CommandProcess &) = delete;
    CommandProcess &operator=(const CommandProcess &) = delete;

    // Starts it; the pipe's read end (close-on-exec) goes to `output`. False with the reason
    // when it cannot start.
    bool start(const QByteArray &commandLine, int *output, QString *error);
    // The process's id, which is also its group's; 0 before a start.
    pid_t processGroup() const { return m_pid > 0 ? m_pid : 0; }
    // Waits until the process has ended, or until `wake` is readable (false then).
    bool waitForEnd(int wake);
    // Stops the whole group: SIGTERM, then SIGKILL once `grace` passed with any member still
    // running (members ended and waiting to be reaped by another parent do not count); the
    // process is reaped.
    void stop(std::chrono::milliseconds grace);
    // "ended with status N" or "ended by signal NAME", once the process was reaped.
    QString endText() const;

private:
    bool reap(bool block);

    pid_t m_pid = -1;
    int m_pidFd = -1; // readable once the process has ended
    int m_status = 0;
    bool m_reaped = false;
};

} // namespace Orvik
