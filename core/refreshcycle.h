#pragma once

#include <QMutex>
#include <QObject>
#include <QString>
#include <QThreadPool>
#include <QWaitCondition>

#include <atomic>
#include <deque>
#include <memory>
#include <vector>

namespace Orvik {

class FileSystem;
class Module1;
struct MarkPass;
struct SlotRead;

// The refresh cycle over the document table: each visited document whose size or stamp
// changed is read again whole, its view gets the new part appended or its whole text
// replaced, the highlight text is marked, and the caption, the clock (panel 4) and the
// duration (panel 1) are renewed. A document that fails, also for want of memory, shows the
// failure in its caption, and the cycle goes on with the next one. A view whose reader
// selected text or scrolled away from the end keeps its place; the others follow the end.
//
// The file work of each visited slot runs on a small pool of worker threads; the outcomes
// are applied here, on the user-interface thread, in slot order, so that what the user sees
// is what a cycle run in one go would show. Full highlight passes over large texts run on
// the pool too, their marks applied when found. An outcome for a document closed meanwhile
// is dropped. Work is handed the shared contents it reads, so a close frees nothing in use.
class RefreshCycle : public QObject {
    Q_OBJECT

public:
    // Texts from this size on get their full highlight pass on a worker.
    static constexpr qint64 DefaultMarkPassApart = 1024 * 1024;

    explicit RefreshCycle(Module1 &module);
    ~RefreshCycle() override;

    // index > 0 visits that slot only (when it is in use); otherwise slots 1..DocCount.
    // Runs the cycle to its end before it returns (after the one in flight, if any).
    void run(int index);
    // Starts a cycle and returns at once; its outcomes are applied as the event loop brings
    // them. A request while a cycle is in flight runs after it.
    void start(int index);
    bool isRunning() const { return bool(m_cycle); }
    // Applies everything in flight and requested, then returns.
    void waitForIdle();

    void setChunkSize(qint64 bytes) { m_chunkSize = qMax<qint64>(1, bytes); }
    qint64 chunkSize() const { return m_chunkSize; }
    void setMarkPassApart(qint64 bytes) { m_markPassApart = bytes; }

signals:
    // A cycle's outcomes are all applied.
    void finished();

private:
    struct Request {
        bool all = true;
        std::vector<quint64> serials; // the documents to visit when not all
        bool highlightPending = false;
    };
    struct Cycle {
        double start = 0;
        QString pattern;
        bool highlightPending = false;
        std::vector<std::shared_ptr<SlotRead>> reads;
        // The reads again, for the workers, and how many of them were taken.
        std::shared_ptr<const std::vector<std::shared_ptr<SlotRead>>> queue;
        std::shared_ptr<std::atomic<size_t>> taken;
        size_t next = 0;
        std::vector<std::shared_ptr<MarkPass>> passes;
    };

    Request request(int index) const;
    void begin(const Request &request);
    void drain();
    void applyRead(SlotRead &read);
    void applyOutcome(int slot, SlotRead &read);
    void applyPass(const MarkPass &pass);
    void markWhole(int slot);
    void fail(int slot, const QString &error);
    void end();
    void showDuration(double startSeconds);
    int slotOf(quint64 serial, int hint) const;
    bool somethingToApply() const;
    void submit(std::function<void()> work);
    void handOver();
    static bool readNext(const std::vector<std::shared_ptr<SlotRead>> &queue,
                         std::atomic<size_t> &taken, FileSystem &fileSystem);

    Module1 &m_module;
    qint64 m_chunkSize;
    qint64 m_markPassApart = DefaultMarkPassApart;
    std::unique_ptr<Cycle> m_cycle;
    std::deque<Request> m_requests;
    bool m_draining = false;
    bool m_callerWaits = false; // in run(): the caller reads slots too

    std::atomic<bool> m_drainPosted{false};
    std::atomic<bool> m_closing{false}; // reads in flight stop early: the program closes
    QThreadPool m_pool;
    mutable QMutex m_mutex;
    QWaitCondition m_wake;
};

} // namespace Orvik
