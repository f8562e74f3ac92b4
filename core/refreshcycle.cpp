#include "refreshcycle.h"

#include "clock.h"
#include "documentview.h"
#include "documentwindow.h"
#include "highlightsearch.h"
#include "mainwindow.h"
#include "module1.h"
#include "sizetext.h"
#include "slotread.h"
#include "timetext.h"

#include <QThread>

#include <algorithm>
#include <new>

namespace Orvik {

namespace {
const QString CaptionSeparator = QStringLiteral(" - ");
const QString NotEnoughMemory = QStringLiteral("not enough memory to hold this file");
} // namespace

RefreshCycle::RefreshCycle(Module1 &module)
    : m_module(module)
    , m_chunkSize(DocumentReader::DefaultChunkSize) {
    m_pool.setMaxThreadCount(qBound(2, QThread::idealThreadCount(), 4));
}

RefreshCycle::~RefreshCycle() {
    m_closing = true;
    m_pool.waitForDone();
}

void RefreshCycle::run(int index) {
    waitForIdle();
    m_callerWaits = true;
    begin(request(index));
    waitForIdle();
    m_callerWaits = false;
}

void RefreshCycle::start(int index) {
    Request wanted = request(index);
    if (!m_cycle) {
        begin(wanted);
        drain();
        return;
    }
    if (!m_requests.empty() && m_requests.back().all == wanted.all) {
        Request &last = m_requests.back();
        for (quint64 serial : wanted.serials)
            if (std::find(last.serials.begin(), last.serials.end(), serial) == last.serials.end())
                last.serials.push_back(serial);
        last.highlightPending = last.highlightPending || wanted.highlightPending;
        return;
    }
    m_requests.push_back(std::move(wanted));
}

void RefreshCycle::waitForIdle() {
    while (m_cycle && !m_draining) {
        drain();
        if (!m_cycle)
            break;
        // The caller would only wait: it takes slots itself while some are left.
        if (m_cycle->queue && readNext(*m_cycle->queue, *m_cycle->taken, m_module.fileSystem()))
            continue;
        QMutexLocker lock(&m_mutex);
        while (!somethingToApply())
            m_wake.wait(&m_mutex);
    }
}

RefreshCycle::Request RefreshCycle::request(int index) const {
    const Module1 &m = m_module;
    Request r;
    r.highlightPending = m.HighLightPending;
    if (index > 0) {
        r.all = false;
        if (index <= m.DocCount)
            r.serials.push_back(m.DocSerial[index]);
    }
    return r;
}

void RefreshCycle::begin(const Request &request) {
    Module1 &m = m_module;
    m_cycle = std::make_unique<Cycle>();
    Cycle &c = *m_cycle;
    c.start = m.clock().monotonicSeconds();
    if (m.MainForm) {
        StatusPanels &panels = m.MainForm->sbStatusBar();
        const QString clock = clockText(m.clock().currentDateTime().time());
        if (panels.panelText(4) != clock)
            panels.setPanelText(4, clock);
    }
    if (request.highlightPending)
        m.HighLightPending = true;
    c.highlightPending = m.HighLightPending;
    c.pattern = m.HighLightString;

    // A slot above DocCount is free and may still name a closed document: never visit it.
    std::vector<int> visited;
    for (int slot = 1; slot <= m.DocCount; ++slot) {
        if (request.all || std::find(request.serials.begin(), request.serials.end(),
                                     m.DocSerial[slot]) != request.serials.end())
            visited.push_back(slot);
    }
    for (int slot : visited) {
        auto read = std::make_shared<SlotRead>();
        read->slot = slot;
        read->serial = m.DocSerial[slot];
        read->path = m.DocFileName[slot];
        read->knownTime = m.DocFileTime[slot];
        read->knownSize = m.DocFileSize[slot];
        read->previous = m.DocContents[slot];
        read->chunkSize = m_chunkSize;
        read->pattern = c.pattern;
        read->cancel = &m_closing;
        if (DocumentWindow *window = m.DocWindow[slot]) {
            read->preparation = window->rtfText().prepareText();
            if (!read->knownTime.isValid())
                window->showReading(true);
        }
        c.reads.push_back(read);
    }
    // A few runners take the slots in order, each the next one not yet taken: an idle cycle
    // hands a worker two or three stamps and probes, not one task per document.
    if (c.reads.empty())
        return;
    c.queue = std::make_shared<const std::vector<std::shared_ptr<SlotRead>>>(c.reads);
    c.taken = std::make_shared<std::atomic<size_t>>(0);
    // A caller that waits for the outcomes is one of the runners.
    const size_t runners =
        qMin(size_t(m_pool.maxThreadCount()), c.reads.size()) - (m_callerWaits ? 1 : 0);
    for (size_t r = 0; r < runners; ++r)
        m_pool.start([this, queue = c.queue, taken = c.taken, fs = &m.fileSystem()] {
            while (readNext(*queue, *taken, *fs))
                handOver();
        });
}

// Does the file work of the next slot not yet taken; false when none is left.
bool RefreshCycle::readNext(const std::vector<std::shared_ptr<SlotRead>> &queue,
                            std::atomic<size_t> &taken, FileSystem &fileSystem) {
    const size_t i = taken++;
    if (i >= queue.size())
        return false;
    queue[i]->run(fileSystem);
    queue[i]->done = true;
    return true;
}

void RefreshCycle::submit(std::function<void()> work) {
    m_pool.start([this, work = std::move(work)] {
        work();
        handOver();
    });
}

// On a worker: something is done. Wakes a waitForIdle() and has the event loop drain, with
// one event at a time at most.
void RefreshCycle::handOver() {
    { QMutexLocker lock(&m_mutex); }
    m_wake.wakeAll();
    if (!m_drainPosted.exchange(true))
        QMetaObject::invokeMethod(
            this,
            [this] {
                m_drainPosted = false;
                drain();
            },
            Qt::QueuedConnection);
}

bool RefreshCycle::somethingToApply() const {
    const Cycle &c = *m_cycle;
    if (c.next < c.reads.size() && c.reads[c.next]->done)
        return true;
    return std::any_of(c.passes.begin(), c.passes.end(),
                       [](const auto &p) { return p->done.load(); });
}

// Applies what is ready, in slot order. A cycle ends when all its reads are applied, so that
// no later cycle changes a store one of them reads.
void RefreshCycle::drain() {
    if (m_draining)
        return;
    m_draining = true;
    while (m_cycle) {
        Cycle &c = *m_cycle;
        bool progressed = false;
        for (size_t i = 0; i < c.passes.size();) {
            if (c.passes[i]->done) {
                const std::shared_ptr<MarkPass> pass = c.passes[i];
                c.passes.erase(c.passes.begin() + qsizetype(i));
                applyPass(*pass);
                progressed = true;
            } else {
                ++i;
            }
        }
        while (c.next < c.reads.size() && c.reads[c.next]->done) {
            const std::shared_ptr<SlotRead> read = c.reads[c.next++];
            progressed = true;
            applyRead(*read);
        }
        if (c.next == c.reads.size() && c.passes.empty()) {
            end();
            continue;
        }
        if (!progressed)
            break;
    }
    m_draining = false;
}

int RefreshCycle::slotOf(quint64 serial, int hint) const {
    const Module1 &m = m_module;
    if (hint >= 1 && hint <= m.DocCount && m.DocSerial[hint] == serial)
        return hint;
    for (int slot = 1; slot <= m.DocCount; ++slot)
        if (m.DocSerial[slot] == serial)
            return slot;
    return 0;
}

// One visited slot's outcome into the table and its window; a slot that fails gets its
// failure path. An outcome for a document closed since the cycle began is dropped.
void RefreshCycle::applyRead(SlotRead &read) {
    Module1 &m = m_module;
    const int slot = slotOf(read.serial, read.slot);
    if (slot == 0)
        return;
    if (DocumentWindow *window = m.DocWindow[slot])
        window->showReading(false);
    if (read.changed && read.outcome.kind == ReadKind::Failed) {
        fail(slot, read.outcome.error);
        return;
    }
    try {
        applyOutcome(slot, read);
    } catch (const std::bad_alloc &) {
        fail(slot, NotEnoughMemory);
    }
}

void RefreshCycle::applyOutcome(int slot, SlotRead &read) {
    Module1 &m = m_module;
    Cycle &c = *m_cycle;
    DocumentWindow *window = m.DocWindow[slot];
    if (read.changed) {
        const bool append = read.outcome.kind == ReadKind::Append;
        const qint64 previousSize = m.DocContents[slot].size();
        if (append)
            m.DocContents[slot].append(read.outcome.contents);
        else
            m.DocContents[slot] = std::move(read.outcome.contents);
        m.DocFileTime[slot] = read.stamp;
        m.DocFileSize[slot] = m.DocContents[slot].size();

        if (window) {
            DocumentView &view = window->rtfText();
            const bool follows = view.followsEnd();
            if (append) {
                const Contents added = m.DocContents[slot].mid(previousSize);
                if (follows) {
                    view.setSelStart(previousSize);
                    view.setSelText(added);
                } else {
                    view.appendKeepingSelection(added);
                }
                for (const TextMatch &match : read.appendMatches)
                    view.colorRange(previousSize + match.offset, match.length, HighlightColor);
            } else {
                if (read.preparation)
                    view.setPreparedText(m.DocContents[slot], std::move(read.preparation));
                else
                    view.setText(m.DocContents[slot]);
                m.HighLightPending = c.highlightPending = true;
            }
            window->setCaption(m.DocFileName[slot] + CaptionSeparator +
                               generalDateTimeText(m.clock().currentDateTime()) + CaptionSeparator +
                               sizeText(m.DocFileSize[slot]));
            if (follows || !append)
                view.setSelStart(m.DocFileSize[slot]);
        } else if (!append) {
            m.HighLightPending = c.highlightPending = true;
        }
    }
    markWhole(slot);
}

// The full highlight pass while one is pending: at once for a small text, else on a worker.
void RefreshCycle::markWhole(int slot) {
    Module1 &m = m_module;
    Cycle &c = *m_cycle;
    DocumentWindow *window = m.DocWindow[slot];
    if (!c.highlightPending || !window)
        return;
    const HighlightSearch search(c.pattern);
    if (!search.isActive())
        return;
    if (m.DocContents[slot].size() < m_markPassApart) {
        DocumentView &view = window->rtfText();
        search.markIn(view, m.DocContents[slot], 0);
        if (view.followsEnd())
            view.setSelStart(m.DocFileSize[slot]);
        return;
    }
    auto pass = std::make_shared<MarkPass>();
    pass->serial = m.DocSerial[slot];
    pass->slot = slot;
    pass->text = m.DocContents[slot];
    pass->pattern = c.pattern;
    c.passes.push_back(pass);
    submit([pass] {
        pass->run();
        pass->done = true;
    });
}

void RefreshCycle::applyPass(const MarkPass &pass) {
    Module1 &m = m_module;
    const int slot = slotOf(pass.serial, pass.slot);
    if (slot == 0)
        return;
    const Contents &now = m.DocContents[slot];
    if (!m.DocWindow[slot] || now.store() != pass.text.store() ||
        now.offset() != pass.text.offset() || now.size() != pass.text.size())
        return;
    DocumentView &view = m.DocWindow[slot]->rtfText();
    for (const TextMatch &match : pass.matches)
        view.colorRange(match.offset, match.length, HighlightColor);
    if (view.followsEnd())
        view.setSelStart(m.DocFileSize[slot]);
}

// Forgets what was read, so that the next successful read rebuilds the view whole, and shows
// the failure in the caption. Emptying the view gives back the memory the text held.
void RefreshCycle::fail(int slot, const QString &error) {
    Module1 &m = m_module;
    m.DocFileTime[slot] = QDateTime();
    m.DocContents[slot] = Contents();
    m.DocFileSize[slot] = 0;
    if (DocumentWindow *window = m.DocWindow[slot]) {
        const QString description = error.isEmpty() ? QStringLiteral("cannot be read") : error;
        try {
            window->rtfText().setText(Contents());
            window->setCaption(m.DocFileName[slot] + CaptionSeparator + description);
        } catch (const std::bad_alloc &) {
        }
    }
}

void RefreshCycle::end() {
    const std::unique_ptr<Cycle> c = std::move(m_cycle);
    m_module.HighLightPending = false;
    showDuration(c->start);
    emit finished();
    if (!m_requests.empty()) {
        const Request next = m_requests.front();
        m_requests.pop_front();
        begin(next);
    }
}

void RefreshCycle::showDuration(double startSeconds) {
    Module1 &m = m_module;
    if (!m.MainForm)
        return;
    StatusPanels &panels = m.MainForm->sbStatusBar();
    const QString text = durationText(m.clock().monotonicSeconds() - startSeconds);
    if (panels.panelText(1) != text)
        panels.setPanelText(1, durationText(m.clock().monotonicSeconds() - startSeconds));
}

} // namespace Orvik
