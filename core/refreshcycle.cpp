#include "core/refreshcycle.h"

#include "core/clock.h"
#include "core/documentwindow.h"
#include "core/mainwindow.h"
#include "core/module1.h"
#include "core/refresh/markpass.h"
#include "core/refresh/refreshmailbox.h"
#include "core/refresh/rulepass.h"
#include "core/refresh/slotread.h"
#include "core/refresh/streamread.h"
#include "core/rules/rulelayers.h"
#include "core/search/highlightsearch.h"
#include "core/stream/streamsource.h"
#include "core/text/sizetext.h"
#include "core/text/timetext.h"

#include <QScopeGuard>
#include <QThread>
#include <QTimer>
#include <QtMath>

#include <algorithm>
#include <new>
#include <system_error>
#include <vector>

namespace Orvik {

namespace {
// The spacing of notified reads goes by the time the timers that bring them go by, not by the
// clock the panels show.
double steadySeconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// Runs `start`, which hands work over or does it; when that fails for want of memory or of a
// thread, gives what the caption shows, else nothing.
template <typename F> QString failureToStart(F start) {
    try {
        start();
        return QString();
    } catch (const std::bad_alloc &) {
        return SlotRead::NotEnoughMemory;
    } catch (const std::system_error &error) {
        return QString::fromLocal8Bit(error.code().message().c_str());
    }
}
} // namespace

RefreshCycle::RefreshCycle(Module1 &module)
    : m_module(module)
    , m_chunkSize(DocumentReader::DefaultChunkSize)
    , m_mailbox(std::make_shared<RefreshMailbox>())
    , m_pool(qBound(2, QThread::idealThreadCount(), 4)) {
    m_mailbox->receiver = this;
    m_mailbox->drain = [this] { drain(); };
}

RefreshCycle::~RefreshCycle() {
    shutdown(std::chrono::seconds(1));
}

bool RefreshCycle::shutdown(WorkerPool::Clock::duration wait) {
    m_stopped = true;
    {
        std::lock_guard<std::mutex> lock(m_mailbox->mutex);
        m_mailbox->receiver = nullptr;
        m_mailbox->owed -= m_mailbox->done.size();
        m_mailbox->done.clear();
    }
    for (auto &entry : m_docs)
        if (entry.second.task)
            entry.second.task->cancel = true;
    m_docs.clear();
    m_rounds.clear();
    m_leftBehind.clear();
    return m_pool.shutdown(wait);
}

void RefreshCycle::run(int index) {
    waitForIdle();
    m_inline = true;
    const auto restore = qScopeGuard([this] { m_inline = false; });
    begin(index);
}

void RefreshCycle::start(int index) {
    drain(); // outcomes whose event could not be posted
    begin(index);
}

bool RefreshCycle::isRunning() const {
    if (std::any_of(m_docs.begin(), m_docs.end(),
                    [](const auto &d) { return bool(d.second.task); }))
        return true;
    std::lock_guard<std::mutex> lock(m_mailbox->mutex);
    return !m_mailbox->done.empty();
}

void RefreshCycle::waitForIdle() {
    while (!m_draining && isRunning()) {
        drain();
        std::unique_lock<std::mutex> lock(m_mailbox->mutex);
        m_mailbox->arrived.wait(lock, [this] {
            return !m_mailbox->done.empty() ||
                   std::none_of(m_docs.begin(), m_docs.end(),
                                [](const auto &d) { return bool(d.second.task); });
        });
    }
}

int RefreshCycle::slotOf(quint64 serial) const {
    const Module1 &m = m_module;
    for (int slot = 1; slot <= m.DocCount; ++slot)
        if (m.DocSerial[slot] == serial)
            return slot;
    return 0;
}

void RefreshCycle::notify(quint64 serial) {
    const int slot = slotOf(serial);
    if (m_stopped || slot == 0)
        return;
    const auto entry = m_docs.find(serial);
    if (entry == m_docs.end()) {
        begin(slot, true);
        return;
    }
    Doc &doc = entry->second;
    if (doc.task || doc.notifyTimer) {
        doc.notified = true;
        return;
    }
    const double now = steadySeconds();
    // A stream's parts are shown a frame apart; one that keeps coming while its last part is
    // still that near is spaced twice as far each time, up to StreamReadsApartMost, so that a
    // flood of output costs the window a few updates a second.
    const bool stream = bool(m_module.DocStream[slot]);
    double apart = stream ? doc.streamApart : qMax(doc.readTook, NotifiedReadsApart);
    double wait = doc.readEnded + apart - now;
    if (stream) {
        doc.streamApart = wait > 0 ? qMin(2 * apart, StreamReadsApartMost) : StreamReadsApart;
        wait = doc.readEnded + doc.streamApart - now;
    }
    if (wait > 0) {
        doc.notified = true;
        doc.notifyTimer = true;
        QTimer::singleShot(qCeil(wait * 1000), this, [this, serial] {
            const auto entry = m_docs.find(serial);
            if (entry == m_docs.end())
                return;
            Doc &waited = entry->second;
            waited.notifyTimer = false;
            const int slot = slotOf(serial);
            if (waited.task || slot == 0 || m_stopped)
                return; // a tick's read took it; its end brings the next one
            waited.notified = false;
            begin(slot, true);
        });
        return;
    }
    doc.notified = false;
    begin(slot, true);
}

// Work was applied: news of a change the work in flight may have missed brings the next read
// once the document is idle.
void RefreshCycle::workDone(quint64 serial, Doc &doc, bool spacing, int processors) {
    if (spacing) {
        const double now = steadySeconds();
        // The next notified read waits long enough that a log read again and again costs at
        // most half the machine's time of one processor: a read of W seconds on one processor
        // waits W, one that kept two busy for W costs 2W and so waits 3W.
        const double took = now - doc.readStarted;
        doc.readTook = took * (2 * processors - 1);
        doc.readEnded = now;
    }
    if (doc.notified && !doc.notifyTimer && !doc.task) {
        doc.notified = false;
        notify(serial);
    }
}

void RefreshCycle::begin(int index, bool notified) {
    if (m_stopped)
        return;
    Module1 &m = m_module;
    m_pool.rebalance();
    auto tick = std::make_shared<Tick>();
    tick->start = m.clock().monotonicSeconds();
    if (m.MainForm) {
        StatusPanels &panels = m.MainForm->sbStatusBar();
        const QString clock = clockText(m.clock().currentDateTime().time());
        if (panels.panelText(4) != clock)
            panels.setPanelText(4, clock);
    }

    // A change of the highlight text not yet asked for gets a round of full passes.
    std::shared_ptr<Round> round;
    // A text asked for again after another change (none, say) is a change of its own: what
    // was appended meanwhile went unmarked.
    if (m.HighLightPending && !notified) {
        if (!HighlightSearch(m.HighLightString).isActive()) {
            tick->clearsPending = m_rounds.empty();
        } else if (m_rounds.empty() || m_lastHighlight != m.HighLightString) {
            round = std::make_shared<Round>();
            round->pattern = m.HighLightString;
            m_rounds.push_back(round);
        }
        m_lastHighlight = m.HighLightString;
    }
    // Held open while the documents are started: work done at once must not end them early.
    ++tick->pending;
    if (round)
        ++round->pending;
    const auto release = qScopeGuard([this, tick, round] {
        if (--tick->pending == 0)
            tickDone(tick);
        if (round && --round->pending == 0)
            roundDone(round);
    });

    // A slot above DocCount is free and may still name a closed document: never visit it.
    std::vector<std::pair<int, quint64>> visited;
    for (int slot = 1; slot <= m.DocCount; ++slot)
        if (index <= 0 || slot == index)
            visited.emplace_back(slot, m.DocSerial[slot]);
    for (const auto &[slot, serial] : visited) {
        if (slotOf(serial) != slot)
            continue; // closed by work applied meanwhile
        auto [entry, fresh] = m_docs.try_emplace(serial);
        Doc &doc = entry->second;
        DocumentWindow *window = m.DocWindow[slot];
        const bool stream = bool(m.DocStream[slot]);
        if (fresh && window && !stream && !m.DocFileTime[slot].isValid()) {
            doc.opening = true;
            window->showReading(true);
        }
        if (round) {
            doc.passes.push_back(round);
            ++round->pending;
        }
        if (doc.task)
            continue; // busy: its passes wait behind its work
        if (stream && !notified) {
            startNext(serial); // its reader alone tells of new text
            continue;
        }
        if (!stream && waitsForStuckRead(m.DocFileName[slot]))
            continue; // its passes wait behind the read it will get
        doc.tick = tick;
        ++tick->pending;
        const QString failure =
            failureToStart([&] { startRead(serial, slot, doc, fresh, notified); });
        if (!failure.isEmpty()) {
            doc.task.reset();
            doc.tick.reset();
            --tick->pending;
            fail(slot, failure);
        }
    }
}

// Forgets the reads left behind that came back; true when one of `path` is stuck, that is, busy
// for longer than the pool's busy limit: another read of it would most likely hang as well.
bool RefreshCycle::waitsForStuckRead(const QString &path) {
    const double now = steadySeconds();
    const double limit = std::chrono::duration<double>(m_pool.busyLimit()).count();
    bool waits = false;
    for (auto it = m_leftBehind.begin(); it != m_leftBehind.end();) {
        if (it->second.task.expired()) {
            it = m_leftBehind.erase(it);
            continue;
        }
        waits = waits || (it->first == path && now - it->second.started >= limit);
        ++it;
    }
    return waits;
}

// A first read (an open) does not wait for a thread.
void RefreshCycle::startRead(quint64 serial, int slot, Doc &doc, bool first, bool forced) {
    Module1 &m = m_module;
    std::shared_ptr<SlotRead> read;
    if (const StreamSource *stream = m.DocStream[slot].get()) {
        auto streamRead = std::make_shared<StreamRead>();
        StreamSource::Snapshot snapshot = stream->snapshot();
        streamRead->grown = std::move(snapshot.text);
        streamRead->failure = std::move(snapshot.failure);
        if (snapshot.ended)
            streamRead->endText = std::move(snapshot.endText);
        read = std::move(streamRead);
    } else {
        read = std::make_shared<SlotRead>();
    }
    read->serial = serial;
    read->forced = forced;
    read->path = m.DocFileName[slot];
    read->knownTime = m.DocFileTime[slot];
    read->knownSize = m.DocFileSize[slot];
    read->previous = m.DocContents[slot];
    read->chunkSize = m_chunkSize;
    read->pattern = m.HighLightString;
    if (!m.HighlightRules->isEmpty())
        read->rules = m.HighlightRules;
    read->ruleMarks.open = doc.openLine;
    if (DocumentWindow *window = m.DocWindow[slot]) {
        read->preparation = window->rtfText().prepareText();
        read->appendPreparation = window->rtfText().prepareAppend();
    }
    doc.task = read;
    doc.readStarted = steadySeconds();
    if (m_inline) {
        read->run(m.fileSystem());
        apply(read);
    } else {
        submit(read, first ? WorkerPool::Start::AtOnce : WorkerPool::Start::Queued);
    }
}

// The next full pass a document waits for, when it has no work in flight: at once for a small
// text or in a cycle run in one go, else on a worker. A pass that cannot start for want of
// memory or of a thread is the document's failure.
void RefreshCycle::startNext(quint64 serial) {
    for (;;) {
        const auto entry = m_docs.find(serial);
        if (entry == m_docs.end() || entry->second.task)
            return;
        Doc &doc = entry->second;
        const int slot = slotOf(serial);
        if (doc.passes.empty()) {
            const QString failure =
                slot ? failureToStart([&] { startRulePass(serial, slot, doc); }) : QString();
            if (!failure.isEmpty()) {
                doc.task.reset();
                fail(slot, failure);
            }
            return;
        }
        const std::shared_ptr<Round> round = doc.passes.front();
        doc.passes.pop_front();
        if (!slot || !m_module.DocWindow[slot]) {
            if (--round->pending == 0)
                roundDone(round);
            continue;
        }
        const QString failure = failureToStart([&] { startPass(serial, slot, doc, round); });
        if (!failure.isEmpty()) {
            doc.task.reset();
            doc.taskRound.reset();
            fail(slot, failure);
            if (--round->pending == 0)
                roundDone(round);
        }
        return;
    }
}

void RefreshCycle::startPass(quint64 serial, int slot, Doc &doc,
                             const std::shared_ptr<Round> &round) {
    Module1 &m = m_module;
    auto pass = std::make_shared<MarkPass>();
    pass->serial = serial;
    pass->text = m.DocContents[slot];
    pass->pattern = round->pattern;
    pass->before = m.DocWindow[slot]->rtfText().layerMarks(HighlightLayer);
    doc.task = pass;
    doc.taskRound = round;
    if (m_inline || pass->text.size() < m_markPassApart) {
        pass->run();
        apply(pass);
    } else {
        submit(pass);
    }
}

// A full pass of the rules in force, when the view shows another set's marks and the pass
// was not tried for this set yet (a pass that ran out of memory is not retried).
void RefreshCycle::startRulePass(quint64 serial, int slot, Doc &doc) {
    Module1 &m = m_module;
    DocumentWindow *window = m.DocWindow[slot];
    if (!window || RuleLayers::same(doc.shownRules, m.HighlightRules) ||
        doc.passedRules == m.HighlightRules)
        return;
    auto pass = std::make_shared<RulePass>();
    pass->serial = serial;
    pass->text = m.DocContents[slot];
    pass->rules = m.HighlightRules;
    doc.passedRules = pass->rules;
    doc.task = pass;
    if (m_inline || pass->text.size() < m_markPassApart) {
        pass->run();
        apply(pass);
    } else {
        submit(pass);
    }
}

void RefreshCycle::submit(const std::shared_ptr<RefreshTask> &task, WorkerPool::Start start) {
    // The worker holds the task, the mailbox and the file system: none of them goes before
    // it ends (the program's file system lives as long as the process).
    m_mailbox->expect();
    try {
        m_pool.submit(
            [task, mailbox = m_mailbox, fileSystem = &m_module.fileSystem()] {
                if (!task->cancelled())
                    task->run(*fileSystem);
                if (task->cancelled())
                    mailbox->forgo();
                else
                    mailbox->deliver(task);
            },
            start);
    } catch (...) {
        m_mailbox->forgo();
        throw;
    }
}

void RefreshCycle::forget(quint64 serial) {
    const auto entry = m_docs.find(serial);
    if (entry == m_docs.end())
        return;
    const Doc doc = std::move(entry->second);
    m_docs.erase(entry);
    if (doc.task) {
        doc.task->cancel = true;
        const auto *read = dynamic_cast<const SlotRead *>(doc.task.get());
        if (read && !dynamic_cast<const StreamRead *>(read))
            m_leftBehind.emplace(read->path, LeftBehind{doc.task, doc.readStarted});
    }
    if (doc.tick && --doc.tick->pending == 0)
        tickDone(doc.tick);
    if (doc.taskRound && --doc.taskRound->pending == 0)
        roundDone(doc.taskRound);
    for (const std::shared_ptr<Round> &round : doc.passes)
        if (--round->pending == 0)
            roundDone(round);
}

} // namespace Orvik
