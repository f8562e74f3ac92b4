#include "core/stream/streamsource.h"

#include "core/content/textlimit.h"
#include "core/stream/commandprocess.h"

#include <condition_variable>
#include <mutex>
#include <new>
#include <thread>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

namespace Orvik {

const QString StreamSource::StandardInputName = QStringLiteral("(standard input)");

namespace {
constexpr qint64 ReadSize = 1 << 20;
const QString NotEnoughMemory = QStringLiteral("not enough memory to hold this file");

// The reader threads still running, sources gone or not. Never destroyed: a thread may end
// while the program does.
struct Readers {
    std::mutex mutex;
    std::condition_variable stopped;
    int running = 0;
};
Readers &readers() {
    static Readers &r = *new Readers;
    return r;
}
} // namespace

// Between the source, on its own thread, and its reader thread. Every member but `wake` (set
// before the thread starts, then fixed) is guarded by `mutex`.
struct StreamSource::Shared {
    std::mutex mutex;
    StreamSource *receiver = nullptr; // nullptr once the source is gone
    // A more() was sent and what it told of is not yet taken by snapshot(): while a part
    // waits to be shown, the reader's further parts wake the source's thread no more.
    bool posted = false;
    Snapshot published;
    int wake = -1; // an eventfd, readable once the source is gone

    ~Shared() {
        if (wake >= 0)
            ::close(wake);
    }

    // Publishes what was read and tells the source, unless a notice was sent since the last
    // snapshot.
    void publish(const Contents &text, bool ended, const QString &endText, const QString &failure) {
        std::lock_guard<std::mutex> lock(mutex);
        published.text = text;
        published.ended = ended;
        published.endText = endText;
        published.failure = failure;
        if (receiver && !posted) {
            StreamSource *source = receiver;
            posted = true;
            QMetaObject::invokeMethod(
                source, [source] { emit source->more(); }, Qt::QueuedConnection);
        }
    }
};

StreamSource::StreamSource(const QString &name, int descriptor)
    : m_name(name) {
    startReader(descriptor, nullptr, DefaultGrace);
}

StreamSource::StreamSource(const QString &command, std::chrono::milliseconds grace)
    : m_name(QStringLiteral("$ ") + command)
    , m_command(command) {
    auto process = std::make_unique<CommandProcess>();
    int output = -1;
    QString error;
    if (!process->start(command.toLocal8Bit(), &output, &error)) {
        startReader(-1, nullptr, grace);
        m_shared->publish(Contents(), true, QString(), error);
        return;
    }
    m_group = process->processGroup();
    startReader(output, std::move(process), grace);
}

StreamSource::~StreamSource() {
    std::lock_guard<std::mutex> lock(m_shared->mutex);
    m_shared->receiver = nullptr;
    const quint64 one = 1;
    if (m_shared->wake >= 0 && ::write(m_shared->wake, &one, sizeof one) < 0) {
        // The descriptor cannot be full: it is written once.
    }
}

StreamSource::Snapshot StreamSource::snapshot() const {
    std::lock_guard<std::mutex> lock(m_shared->mutex);
    m_shared->posted = false;
    return m_shared->published;
}

bool StreamSource::waitForAllStopped(std::chrono::milliseconds wait) {
    Readers &r = readers();
    std::unique_lock<std::mutex> lock(r.mutex);
    return r.stopped.wait_for(lock, wait, [&r] { return r.running == 0; });
}

void StreamSource::startReader(int descriptor, std::unique_ptr<CommandProcess> process,
                               std::chrono::milliseconds grace) {
    m_shared = std::make_shared<Shared>();
    m_shared->receiver = this;
    m_shared->wake = ::eventfd(0, EFD_CLOEXEC);
    if (descriptor < 0)
        return;
    Readers &r = readers();
    {
        std::lock_guard<std::mutex> lock(r.mutex);
        ++r.running;
    }
    std::thread([shared = m_shared, descriptor, process = std::move(process), grace]() mutable {
        readStream(shared, descriptor, std::move(process), grace);
        Readers &r = readers();
        std::lock_guard<std::mutex> lock(r.mutex);
        --r.running;
        r.stopped.notify_all();
    }).detach();
}

// The reader thread's work. It owns the descriptor, the process and `text`, the only writer
// of its store: other threads get copies of `text` through the shared state and read only
// below the length their copy has, bytes that never change. Everything else it shares is
// under the shared state's mutex.
void StreamSource::readStream(const std::shared_ptr<Shared> &shared, int descriptor,
                              std::unique_ptr<CommandProcess> process,
                              std::chrono::milliseconds grace) {
    // A text longer than the limit fails as memory that runs out would, before it takes the
    // machine's memory: a command may write far faster than anyone reads.
    const qint64 limit = TextLimit::bytes();
    Contents text;
    try {
        text.reserve(qMin(StreamSource::Reservation, limit + ReadSize));
    } catch (const std::bad_alloc &) {
        // Grows by copies instead.
    }
    QString failure;
    bool stopAsked = false;
    for (;;) {
        pollfd fds[2] = {{descriptor, POLLIN, 0}, {shared->wake, POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR)
                continue;
            failure = QString::fromLocal8Bit(std::strerror(errno));
            break;
        }
        if (fds[1].revents) {
            stopAsked = true;
            break;
        }
        char *room = nullptr;
        try {
            room = text.appendSpace(ReadSize);
        } catch (const std::bad_alloc &) {
            failure = NotEnoughMemory;
            break;
        }
        const ssize_t got = ::read(descriptor, room, size_t(ReadSize));
        if (got < 0 && (errno == EINTR || errno == EAGAIN))
            continue;
        if (got < 0) {
            failure = QString::fromLocal8Bit(std::strerror(errno));
            break;
        }
        if (got == 0)
            break;
        text.commitAppend(got);
        if (text.size() > limit) {
            failure = NotEnoughMemory;
            break;
        }
        shared->publish(text, false, QString(), QString());
    }
    ::close(descriptor);
    QString endText = QStringLiteral("ended");
    if (process) {
        if (stopAsked || !failure.isEmpty() || !process->waitForEnd(shared->wake))
            process->stop(grace);
        endText = process->endText();
    }
    if (!failure.isEmpty())
        text = Contents(); // gives the memory back
    shared->publish(text, true, endText, failure);
}

} // namespace Orvik
