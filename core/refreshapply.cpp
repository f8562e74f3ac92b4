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
#include "core/text/sizetext.h"
#include "core/text/timetext.h"

#include <QScopeGuard>

#include <new>
#include <utility>
#include <vector>

// The user-interface side of the refresh: outcomes the workers handed back are applied to
// the document table and the windows, and the work that waited for them is started.

namespace Orvik {

namespace {
const QString CaptionSeparator = QStringLiteral(" - ");

// The size on disk; for a compressed file also its format, the size of its text and why the
// text ends early: "2.1 MBytes (gzip, 14.8 MBytes of text) - gzip data ends early".
QString sizeCaption(qint64 sizeOnDisk, const ReadOutcome &read) {
    QString text = sizeText(sizeOnDisk);
    if (read.compression != Compression::None)
        text += QStringLiteral(" (") + StreamDecoder::name(read.compression) +
                QStringLiteral(", ") + sizeText(read.contents.size()) + QStringLiteral(" of text)");
    if (!read.problem.isEmpty())
        text += CaptionSeparator + read.problem;
    return text;
}
} // namespace

// Applies what the workers handed back, in the order they finished.
void RefreshCycle::drain() {
    if (m_draining)
        return;
    m_draining = true;
    const auto guard = qScopeGuard([this] { m_draining = false; });
    while (const std::shared_ptr<RefreshTask> task = m_mailbox->take())
        apply(task);
}

// One document's outcome into the table and its window, then its next work. An outcome for a
// document closed since its work began is dropped; a document that fails gets its failure
// path.
void RefreshCycle::apply(const std::shared_ptr<RefreshTask> &task) {
    const quint64 serial = task->serial;
    const auto entry = m_docs.find(serial);
    if (entry == m_docs.end() || entry->second.task != task)
        return;
    Doc &doc = entry->second;
    const std::shared_ptr<Tick> tick = std::move(doc.tick);
    const std::shared_ptr<Round> round = std::move(doc.taskRound);
    doc.task.reset();
    const int slot = slotOf(serial);
    if (slot != 0) {
        DocumentWindow *window = m_module.DocWindow[slot];
        const bool read = dynamic_cast<SlotRead *>(task.get()) != nullptr;
        auto *rulePass = dynamic_cast<RulePass *>(task.get());
        const bool opening = doc.opening;
        if (read && doc.opening && window) {
            doc.opening = false;
            window->showReading(false);
        }
        try {
            if (read)
                applyRead(slot, doc, static_cast<SlotRead &>(*task));
            else if (rulePass)
                applyRulePass(slot, doc, *rulePass);
            else
                applyPass(slot, static_cast<MarkPass &>(*task));
        } catch (const std::bad_alloc &) {
            fail(slot, SlotRead::NotEnoughMemory);
        }
        if (read)
            dropPassesDoneBy(doc, static_cast<const SlotRead &>(*task));
        startNext(serial);
        // A read of the file's bytes spaces the notified read after it, but for the open's:
        // a tick that found the stamp and size unchanged read nothing and holds none back.
        const auto *slotRead = read ? static_cast<const SlotRead *>(task.get()) : nullptr;
        const bool spaces = slotRead && (slotRead->forced || (slotRead->changed && !opening));
        workDone(serial, doc, spaces, slotRead ? slotRead->outcome.processors : 1);
    }
    if (tick && --tick->pending == 0)
        tickDone(tick);
    if (round && --round->pending == 0)
        roundDone(round);
}

// A new whole text was marked with the read: waiting passes with the same text would mark
// nothing more.
void RefreshCycle::dropPassesDoneBy(Doc &doc, const SlotRead &read) {
    if (read.outcome.kind != ReadKind::Replacement || !HighlightSearch(read.pattern).isActive())
        return;
    std::vector<std::shared_ptr<Round>> done;
    for (auto it = doc.passes.begin(); it != doc.passes.end();) {
        if ((*it)->pattern == read.pattern) {
            done.push_back(*it);
            it = doc.passes.erase(it);
        } else {
            ++it;
        }
    }
    for (const std::shared_ptr<Round> &round : done)
        if (--round->pending == 0)
            roundDone(round);
}

void RefreshCycle::applyRead(int slot, Doc &doc, SlotRead &read) {
    if (!read.changed) {
        // Only a tick's look counts as a refresh interval without growth: the kernel's news
        // of a write comes at any moment.
        if (!read.forced)
            raiseStoppedLine(slot, doc);
        return;
    }
    if (read.outcome.kind == ReadKind::Failed)
        fail(slot, read.outcome.error);
    else
        applyChange(slot, doc, read);
}

// An unfinished last line that an alert rule matches and that did not grow for a refresh
// interval raises its alert now, and not again once it is complete.
void RefreshCycle::raiseStoppedLine(int slot, Doc &doc) {
    RuleMarks::OpenLine &open = doc.openLine;
    if (open.alertLine.isNull() || open.alerted)
        return;
    open.alerted = true;
    const QString line = std::exchange(open.alertLine, QString());
    Module1 &m = m_module;
    if (DocumentWindow *window = m.DocWindow[slot]; window && m.MainForm)
        m.MainForm->documentAlert(*window, m.DocFileName[slot], line);
}

void RefreshCycle::applyChange(int slot, Doc &doc, SlotRead &read) {
    Module1 &m = m_module;
    const bool append = read.outcome.kind == ReadKind::Append;
    const qint64 previousSize = m.DocContents[slot].size();
    m.DocContents[slot] = std::move(read.outcome.contents);
    m.DocFileTime[slot] = read.stamp;
    m.DocFileSize[slot] = read.outcome.compression == Compression::None ? m.DocContents[slot].size()
                                                                        : read.outcome.sizeOnDisk;
    doc.openLine = read.ruleMarks.open;
    DocumentWindow *window = m.DocWindow[slot];
    if (!window)
        return;
    DocumentView &view = window->rtfText();
    const bool follows = view.followsEnd();
    if (append) {
        const Contents added = m.DocContents[slot].mid(previousSize);
        view.usePreparation(std::move(read.appendPreparation));
        if (follows) {
            view.setSelStart(previousSize);
            view.setSelText(added);
        } else {
            view.appendKeepingSelection(added);
        }
        if (!read.marks.isEmpty())
            view.addLayerMarks(HighlightLayer, read.marks);
        // Marks of rules the view does not show wait for the rule pass that follows.
        if (read.rules && read.rules == doc.shownRules)
            RuleLayers::add(view, read.ruleMarks);
        if (!read.ruleMarks.alertLine.isNull() && m.MainForm)
            m.MainForm->documentAlert(*window, m.DocFileName[slot], read.ruleMarks.alertLine);
    } else {
        if (read.preparation)
            view.setPreparedText(m.DocContents[slot], std::move(read.preparation));
        else
            view.setText(m.DocContents[slot]);
        // The new text's own full pass, done with the read.
        if (!read.marks.isEmpty())
            view.setLayerMarks(HighlightLayer, std::make_shared<MarkRuns>(std::move(read.marks)));
        // A new text shows no rule marks but those found with the read.
        RuleLayers::replace(view, nullptr, read.rules, read.ruleMarks);
        doc.shownRules = read.rules;
    }
    QString caption = m.DocFileName[slot] + CaptionSeparator +
                      generalDateTimeText(m.clock().currentDateTime()) + CaptionSeparator +
                      sizeCaption(m.DocFileSize[slot], read.outcome);
    if (const auto *stream = dynamic_cast<const StreamRead *>(&read))
        if (!stream->endText.isEmpty())
            caption += CaptionSeparator + stream->endText;
    window->setCaption(caption);
    if (follows || !append)
        view.setSelStart(m.DocContents[slot].size());
}

void RefreshCycle::applyPass(int slot, const MarkPass &pass) {
    Module1 &m = m_module;
    DocumentWindow *window = m.DocWindow[slot];
    const Contents &now = m.DocContents[slot];
    if (!pass.marks || !window || now.store() != pass.text.store() ||
        now.size() != pass.text.size())
        return;
    DocumentView &view = window->rtfText();
    const SharedMarks shown = view.layerMarks(HighlightLayer);
    if (shown == pass.before)
        view.setLayerMarks(HighlightLayer, pass.marks);
    else // coloured meanwhile by other means
        view.setLayerMarks(HighlightLayer,
                           std::make_shared<MarkRuns>(MarkRuns::united(*shown, *pass.marks)));
    if (view.followsEnd())
        view.setSelStart(now.size());
}

void RefreshCycle::applyRulePass(int slot, Doc &doc, RulePass &pass) {
    Module1 &m = m_module;
    DocumentWindow *window = m.DocWindow[slot];
    const Contents &now = m.DocContents[slot];
    if (!pass.done || !window || now.store() != pass.text.store() || now.size() != pass.text.size())
        return;
    RuleLayers::replace(window->rtfText(), doc.shownRules, pass.rules, pass.marks);
    doc.shownRules = pass.rules;
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
        const auto entry = m_docs.find(m.DocSerial[slot]);
        if (entry != m_docs.end()) {
            entry->second.shownRules.reset(); // an empty text shows no marks
            entry->second.openLine = RuleMarks::OpenLine();
        }
        try {
            window->rtfText().setText(Contents());
            window->setCaption(m.DocFileName[slot] + CaptionSeparator + description);
        } catch (const std::bad_alloc &) {
        }
    }
}

void RefreshCycle::tickDone(const std::shared_ptr<Tick> &tick) {
    if (tick->clearsPending && m_rounds.empty())
        m_module.HighLightPending = false;
    showDuration(tick->start);
    emit finished();
}

void RefreshCycle::roundDone(const std::shared_ptr<Round> &round) {
    m_rounds.erase(std::remove(m_rounds.begin(), m_rounds.end(), round), m_rounds.end());
    if (m_rounds.empty())
        m_module.HighLightPending = false;
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
