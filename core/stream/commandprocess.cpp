#include "core/stream/commandprocess.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace Orvik {

namespace {
// Signals the program handles or ignores that the command must get back as the default.
constexpr int DefaultSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGPIPE, SIGCHLD};

QString errorText(int code) {
    return QString::fromLocal8Bit(std::strerror(code));
}

// Whether a member of the group still runs. Members that have ended but wait to be reaped
// (orphans wait for init, which may take its time) are gone for good and count as none: they
// can neither write nor be stopped. Where /proc cannot be read, any member counts.
bool groupAlive(pid_t group) {
    if (::kill(-group, 0) != 0 && errno == ESRCH)
        return false;
    DIR *proc = ::opendir("/proc");
    if (!proc)
        return true;
    bool running = false;
    while (const dirent *entry = ::readdir(proc)) {
        char *end = nullptr;
        const long pid = std::strtol(entry->d_name, &end, 10);
        if (pid <= 0 || *end != '\0')
            continue;
        char path[64];
        std::snprintf(path, sizeof path, "/proc/%ld/stat", pid);
        char stat[512];
        const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
        if (fd < 0)
            continue;
        const ssize_t got = ::read(fd, stat, sizeof stat - 1);
        ::close(fd);
        if (got <= 0)
            continue;
        stat[got] = '\0';
        // "PID (NAME) STATE PPID PGRP ...": the name may hold anything but ends at the last ')'.
        const char *fields = std::strrchr(stat, ')');
        char state = 0;
        long ppid = 0;
        long pgrp = 0;
        if (fields && std::sscanf(fields + 1, " %c %ld %ld", &state, &ppid, &pgrp) == 3 &&
            pgrp == group && state != 'Z' && state != 'X') {
            running = true;
            break;
        }
    }
    ::closedir(proc);
    return running;
}

void pause(int wake, int milliseconds) {
    pollfd fd{wake, POLLIN, 0};
    ::poll(&fd, wake >= 0 ? 1 : 0, milliseconds);
}
} // namespace

CommandProcess::~CommandProcess() {
    if (m_pidFd >= 0)
        ::close(m_pidFd);
}

bool CommandProcess::start(const QByteArray &commandLine, int *output, QString *error) {
    int pipeEnds[2];
    if (::pipe2(pipeEnds, O_CLOEXEC) != 0) {
        *error = errorText(errno);
        return false;
    }
    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attributes;
    posix_spawn_file_actions_init(&actions);
    posix_spawnattr_init(&attributes);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDERR_FILENO);
    sigset_t defaults;
    sigset_t none;
    sigemptyset(&defaults);
    sigemptyset(&none);
    for (int signal : DefaultSignals)
        sigaddset(&defaults, signal);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setpgroup(&attributes, 0);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGDEF |
                                              POSIX_SPAWN_SETSIGMASK);
    char shell[] = "/bin/sh";
    char dashC[] = "-c";
    QByteArray line = commandLine;
    char *argv[] = {shell, dashC, line.data(), nullptr};
    const int failed = posix_spawn(&m_pid, shell, &actions, &attributes, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    ::close(pipeEnds[1]);
    if (failed != 0) {
        ::close(pipeEnds[0]);
        m_pid = -1;
        *error = errorText(failed);
        return false;
    }
    m_pidFd = int(::syscall(SYS_pidfd_open, m_pid, 0));
    *output = pipeEnds[0];
    return true;
}

bool CommandProcess::reap(bool block) {
    if (m_reaped || m_pid <= 0)
        return true;
    int status = 0;
    pid_t got;
    do {
        got = ::waitpid(m_pid, &status, block ? 0 : WNOHANG);
    } while (got < 0 && errno == EINTR);
    if (got == m_pid || (got < 0 && errno == ECHILD)) {
        m_status = got == m_pid ? status : 0;
        m_reaped = true;
    }
    return m_reaped;
}

bool CommandProcess::waitForEnd(int wake) {
    while (!reap(false)) {
        pollfd fds[2] = {{wake, POLLIN, 0}, {m_pidFd, POLLIN, 0}};
        // Without a pidfd (an old kernel) the process is looked at every 50 ms.
        if (::poll(fds, m_pidFd >= 0 ? 2 : 1, m_pidFd >= 0 ? -1 : 50) > 0 && fds[0].revents)
            return reap(false);
    }
    return true;
}

void CommandProcess::stop(std::chrono::milliseconds grace) {
    if (m_pid <= 0)
        return;
    ::kill(-m_pid, SIGTERM);
    const auto deadline = std::chrono::steady_clock::now() + grace;
    while (std::chrono::steady_clock::now() < deadline) {
        if (reap(false) && !groupAlive(m_pid))
            break;
        pause(m_reaped ? -1 : m_pidFd, 20);
    }
    if (groupAlive(m_pid))
        ::kill(-m_pid, SIGKILL);
    reap(true);
}

QString CommandProcess::endText() const {
    if (WIFSIGNALED(m_status)) {
        const char *name = sigabbrev_np(WTERMSIG(m_status));
        return QStringLiteral("ended by signal ") +
               (name ? QString::fromLatin1(name) : QString::number(WTERMSIG(m_status)));
    }
    return QStringLiteral("ended with status ") + QString::number(WEXITSTATUS(m_status));
}

} // namespace Orvik
