#pragma once

#include "core/documentview.h"
#include "core/refresh/workerpool.h"
#include "core/rules/rulemarks.h"
#include "core/rules/ruleset.h"

#include <QObject>
#include <QString>

#include <deque>
#include <map>
#include <memory>

namespace Orvik {

class Module1;
struct MarkPass;
struct RefreshMailbox;
struct RefreshTask;
struct RulePass;
struct SlotRead;

// The refresh of the document table: each visited document whose size or stamp changed is
// read again whole, its view gets the new part appended or its whole text replaced, the
// highlight text is marked, and the caption, the clock (panel 4) and the duration (panel 1)
// are renewed. A document that fails, also for want of memory or of a thread, shows the
// failure in its caption; the others go on. A view whose reader selected text or scrolled
// away from the end keeps its place; the others follow the end.
//
// Every document is on its own. Its file work runs on a worker thread, and its outcome is
// applied on the user-interface thread as soon as it is ready, whatever the other documents
// are doing; a document whose work is still in flight when the timer ticks is not started
// again until it is done. Its work is done in order: a read, then the full highlight passes
// that wait for it. Its first read (the open) gets a worker at once, unless a read of the same
// file by a document closed before is stuck (a dead network mount, say): then it waits until
// that read has come back, so closing and opening it again adds no thread.
//
// How the visible rules read with documents on their own:
// - Panel 1 shows how long the work of a tick took: the reads that tick started, until their
//   outcomes were applied.
// - After the highlight text changed (HighLightPending), every visited document gets one full
//   pass with the new text, queued behind work in flight; HighLightPending is cleared once
//   they all had it. Two changes each get their passes, in order, also a text asked for
//   again after another one ("a", none, "a").
// - A document whose whole text was replaced gets its own full pass, with the read; no other
//   document is marked again because of it.
// - The failure path of one document touches no other.
// - The highlight rules mark appended text with the read; a document whose view shows the
//   marks of other rules than those in force gets a full pass of the rules once it is idle.
//
// run() does all of this before it returns, on the calling thread (tests, and cycles that
// need no worker); start() hands the file work to the workers and returns at once.
class RefreshCycle : public QObject {
    Q_OBJECT

public:
    // Full highlight passes over texts from this size on run on a worker.
    static constexpr qint64 DefaultMarkPassApart = 1024 * 1024;
    // A log written without a pause is read at most about sixteen times a second.
    static constexpr double NotifiedReadsApart = 0.06;
    // A document whose text arrives on a pipe gets its new part at most about once a frame.
    static constexpr double StreamReadsApart = 0.016;
    static constexpr double StreamReadsApartMost = 0.25;

    explicit RefreshCycle(Module1 &module);
    // shutdown() with a second's wait; the pool does not wait again.
    ~RefreshCycle() override;

    // index > 0 visits that slot only (when it is in use); otherwise slots 1..DocCount. Applies
    // everything in flight first, then does the work and applies it before it returns.
    void run(int index);
    // A tick: starts the file work of the visited documents not busy, and returns at once.
    void start(int index);
    // The kernel said the file of a document changed: that document alone is refreshed now,
    // as a refresh of its slot would do, reading the file even when its size and stamp look
    // as they were. One read at a time: news that comes while a read is in flight brings one
    // more read after it, never a queue, and a document's next read starts no sooner after
    // its last one ended than that one took (three times that when two processors compared
    // it, so that a busy log costs half a processor), nor than NotifiedReadsApart.
    void notify(quint64 serial);
    // Work in flight or outcomes not yet applied.
    bool isRunning() const;
    // Applies everything in flight, waiting for it, then returns.
    void waitForIdle();
    // A document was closed: its work in flight stops within a few megabytes and its outcome,
    // if one still comes, is dropped; nothing waits for it.
    void forget(quint64 serial);
    // Stops all work and waits up to `wait` for work in flight to stop; a thread blocked in the
    // kernel is left behind. No work starts afterwards. False when some was left.
    bool shutdown(WorkerPool::Clock::duration wait);

    void setChunkSize(qint64 bytes) { m_chunkSize = qMax<qint64>(1, bytes); }
    qint64 chunkSize() const { return m_chunkSize; }
    void setMarkPassApart(qint64 bytes) { m_markPassApart = bytes; }
    // How long a worker may be busy with one document before the others get another worker
    // (checked at every tick).
    void setBusyLimit(WorkerPool::Clock::duration limit) { m_pool.setBusyLimit(limit); }
    void setThreadStarter(WorkerPool::ThreadStarter starter) {
        m_pool.setThreadStarter(std::move(starter));
    }

signals:
    // The reads of a tick are all applied.
    void finished();

private:
    // The reads one tick started; when all are applied, panel 1 shows how long they took.
    struct Tick {
        double start = 0;
        int pending = 0;
        bool clearsPending = false; // clears HighLightPending at its end (nothing to mark)
    };
    // The full passes one change of the highlight text asked for.
    struct Round {
        QString pattern;
        int pending = 0;
    };
    // What the refresh knows of one open document, by serial.
    struct Doc {
        std::shared_ptr<RefreshTask> task;         // in flight
        std::shared_ptr<Tick> tick;                // the tick that started the read in flight
        std::shared_ptr<Round> taskRound;          // the round of the pass in flight
        std::deque<std::shared_ptr<Round>> passes; // full passes waiting, in order
        bool opening = false;                      // shows the busy pointer until its text is in
        SharedRules shownRules;                    // the rules whose marks the view shows
        SharedRules passedRules;                   // the rules of the last rule pass started
        RuleMarks::OpenLine openLine;              // the unfinished last line of the text
        // Told by the kernel of a change that the read in flight, or the one the timer below
        // brings, has still to see.
        bool notified = false;
        bool notifyTimer = false; // a timer brings the next notified read
        double readStarted = 0;   // steady clock seconds
        double readTook = 0;      // the wait the last spacing read asks of the next
        double readEnded = -1.0e9;
        double streamApart = StreamReadsApart; // between a stream's parts, for now
    };

    // A read a closed document left behind, until it returns.
    struct LeftBehind {
        std::weak_ptr<RefreshTask> task; // expires once its worker is done with it
        double started = 0;              // steady clock seconds
    };

    void begin(int index, bool notified = false);
    bool waitsForStuckRead(const QString &path);
    void startRead(quint64 serial, int slot, Doc &doc, bool first, bool forced);
    void workDone(quint64 serial, Doc &doc, bool spacing, int processors = 1);
    void startNext(quint64 serial);
    void startPass(quint64 serial, int slot, Doc &doc, const std::shared_ptr<Round> &round);
    void submit(const std::shared_ptr<RefreshTask> &task,
                WorkerPool::Start start = WorkerPool::Start::Queued);
    void drain();
    void apply(const std::shared_ptr<RefreshTask> &task);
    void dropPassesDoneBy(Doc &doc, const SlotRead &read);
    void applyRead(int slot, Doc &doc, SlotRead &read);
    void applyChange(int slot, Doc &doc, SlotRead &read);
    void raiseStoppedLine(int slot, Doc &doc);
    void applyPass(int slot, const MarkPass &pass);
    void startRulePass(quint64 serial, int slot, Doc &doc);
    void applyRulePass(int slot, Doc &doc, RulePass &pass);
    void fail(int slot, const QString &error);
    void taskDone(Doc &doc);
    void tickDone(const std::shared_ptr<Tick> &tick);
    void roundDone(const std::shared_ptr<Round> &round);
    void showDuration(double startSeconds);
    int slotOf(quint64 serial) const;

    Module1 &m_module;
    qint64 m_chunkSize;
    qint64 m_markPassApart = DefaultMarkPassApart;
    std::map<quint64, Doc> m_docs;
    std::multimap<QString, LeftBehind> m_leftBehind; // by path
    std::deque<std::shared_ptr<Round>> m_rounds;     // highlight rounds not yet done, oldest first
    QString m_lastHighlight; // the highlight text of the last change seen, active or not
    std::shared_ptr<RefreshMailbox> m_mailbox;
    bool m_draining = false;
    bool m_inline = false; // in run(): all work is done on the calling thread
    bool m_stopped = false;
    WorkerPool m_pool;
};

} // namespace Orvik
