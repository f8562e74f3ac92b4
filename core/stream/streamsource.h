#pragma once

#include "core/content/contents.h"

#include <QObject>
#include <QString>

#include <chrono>
#include <memory>

namespace Orvik {

class CommandProcess;

// A document's text that arrives on a pipe: standard input, or the output of a command line
// (CommandProcess). A thread of its own reads the pipe into an append-only store as the bytes
// come, and more() tells the object's thread that snapshot() holds more: once, until a
// snapshot is taken, however many parts arrive meanwhile. The text only grows. When the pipe ends
// (and a command has ended) the snapshot says so; when memory runs out or the text grows past
// TextLimit::bytes(), it gives the reason instead of the text and the command is stopped.
//
// Going away asks the thread to stop and returns at once: a command's group is sent SIGTERM,
// then SIGKILL after the grace, and is reaped on that thread. waitForAllStopped() waits for
// those threads at the program's end, so that no process is left behind.
class StreamSource : public QObject {
    Q_OBJECT

public:
    static constexpr std::chrono::milliseconds DefaultGrace{2000};
    // The room reserved in address space for a text before it is first copied (memory is
    // taken only as bytes come).
    static constexpr qint64 Reservation = qint64(4) << 30;

    // Follows `descriptor`, which it takes over, under `name` (standard input, say).
    StreamSource(const QString &name, int descriptor);
    // Runs `command` through /bin/sh -c in a process group of its own; a command that cannot
    // start ends at once with the reason.
    explicit StreamSource(const QString &command, std::chrono::milliseconds grace = DefaultGrace);
    ~StreamSource() override;

    // "(standard input)" or "$ COMMAND".
    const QString &name() const { return m_name; }
    // The command line, or the empty text for a descriptor followed.
    const QString &command() const { return m_command; }
    // The command's process group, 0 when there is none.
    qint64 processGroup() const { return m_group; }

    struct Snapshot {
        Contents text; // every byte read so far; nobody writes below its length
        bool ended = false;
        QString endText; // "ended", "ended with status N" or "ended by signal NAME"
        QString failure; // why the text is gone (memory ran out, the pipe failed)
    };
    // From any thread; the next growth sends more() again.
    Snapshot snapshot() const;

    // Waits up to `wait` for the threads of the sources gone to have stopped; false when some
    // still run.
    static bool waitForAllStopped(std::chrono::milliseconds wait);

    static const QString StandardInputName;

signals:
    // Called on the object's thread; snapshot() has more, or the end. Not again until
    // snapshot() was called.
    void more();

private:
    struct Shared;
    void startReader(int descriptor, std::unique_ptr<CommandProcess> process,
                     std::chrono::milliseconds grace);
    static void readStream(const std::shared_ptr<Shared> &shared, int descriptor,
                           std::unique_ptr<CommandProcess> process,
                           std::chrono::milliseconds grace);

    const QString m_name;
    const QString m_command;
    qint64 m_group = 0;
    std::shared_ptr<Shared> m_shared;
};

} // namespace Orvik
