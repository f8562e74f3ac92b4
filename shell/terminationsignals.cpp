#include "terminationsignals.h"

#include <QSocketNotifier>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace Orvik {

namespace {
// All the handler may touch: the write end of the owning object's pipe, -1 when none.
std::atomic<int> handlerWriteEnd{-1};
static_assert(std::atomic<int>::is_always_lock_free);
constexpr int HandledSignals[] = {SIGTERM, SIGHUP, SIGINT};
} // namespace

TerminationSignals::TerminationSignals(QObject *parent)
    : QObject(parent) {
    int ends[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0)
        return;
    // A handler must never wait: when the pipe is full a signal is already pending.
    ::fcntl(ends[1], F_SETFL, ::fcntl(ends[1], F_GETFL) | O_NONBLOCK);
    int none = -1;
    if (!handlerWriteEnd.compare_exchange_strong(none, ends[1])) {
        ::close(ends[0]);
        ::close(ends[1]);
        return;
    }
    m_readEnd = ends[0];
    m_writeEnd = ends[1];
    m_notifier = new QSocketNotifier(m_readEnd, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &TerminationSignals::readSignals);
    struct sigaction action = {};
    action.sa_handler = &TerminationSignals::handle;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signalNumber : HandledSignals)
        ::sigaction(signalNumber, &action, nullptr);
}

TerminationSignals::~TerminationSignals() {
    if (!m_notifier)
        return;
    for (int signalNumber : HandledSignals)
        ::signal(signalNumber, SIG_DFL);
    handlerWriteEnd.store(-1);
    ::close(m_readEnd);
    ::close(m_writeEnd);
}

void TerminationSignals::handle(int signalNumber) {
    const int savedErrno = errno;
    const char byte = char(signalNumber);
    const int writeEnd = handlerWriteEnd.load();
    if (writeEnd >= 0) [[maybe_unused]]
        const ssize_t written = ::write(writeEnd, &byte, 1);
    errno = savedErrno;
}

// Everything that arrived since the last time asks once.
void TerminationSignals::readSignals() {
    char bytes[64];
    const ssize_t count = ::read(m_readEnd, bytes, sizeof bytes);
    if (count > 0)
        Q_EMIT terminationRequested(int(bytes[count - 1]));
}

} // namespace Orvik
