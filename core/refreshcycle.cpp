#include "refreshcycle.h"

#include "clock.h"
#include "documentview.h"
#include "documentwindow.h"
#include "filesystem.h"
#include "highlightsearch.h"
#include "mainwindow.h"
#include "module1.h"
#include "pathtext.h"
#include "sizetext.h"
#include "timetext.h"

#include <new>

namespace Orvik {

namespace {
const QString CaptionSeparator = QStringLiteral(" - ");
const QString OutOfMemory = QStringLiteral("not enough memory to hold this file");
} // namespace

RefreshCycle::RefreshCycle(Module1 &module)
    : m_module(module)
    , m_reader(module.fileSystem()) {}

void RefreshCycle::run(int index) {
    Module1 &m = m_module;
    const double start = m.clock().monotonicSeconds();

    if (m.MainForm) {
        StatusPanels &panels = m.MainForm->sbStatusBar();
        const QString clock = clockText(m.clock().currentDateTime().time());
        if (panels.panelText(4) != clock)
            panels.setPanelText(4, clock);
    }

    // A slot above DocCount is free and may still name a closed document: never visit it.
    int first = 1;
    int last = m.DocCount;
    if (index > 0) {
        first = index;
        last = index <= m.DocCount ? index : 0;
    }
    // A document that cannot be read shows why; the others are brought up to date all the same.
    for (int slot = first; slot <= last; ++slot) {
        QString error;
        bool done = false;
        try {
            done = visit(slot, &error);
        } catch (const std::bad_alloc &) {
            error = OutOfMemory;
        }
        if (!done)
            fail(slot, error);
    }
    m.HighLightPending = false;
    showDuration(start);
}

bool RefreshCycle::visit(int slot, QString *error) {
    Module1 &m = m_module;
    DocumentWindow *window = m.DocWindow[slot];
    const QString &path = m.DocFileName[slot];

    if (!isBlank(path)) {
        FileSystem &fs = m.fileSystem();
        const QDateTime stamp = fs.lastModified(path, error);
        if (!stamp.isValid())
            return false;
        const qint64 probed = fs.FileSizeProbe(path);
        const bool changed = probed != m.DocFileSize[slot] || probed == 0 ||
                             !m.DocFileTime[slot].isValid() || stamp != m.DocFileTime[slot];
        if (changed) {
            const Contents previous = m.DocContents[slot];
            const qint64 previousSize = previous.size();
            m.DocFileTime[slot] = stamp;
            m.DocFileSize[slot] = probed;

            ReadOutcome outcome = m_reader.read(path, previous);
            if (outcome.kind == ReadKind::Failed) {
                *error = outcome.error;
                return false;
            }
            m.DocContents[slot] = std::move(outcome.contents);
            m.DocFileSize[slot] = m.DocContents[slot].size();

            if (window) {
                DocumentView &view = window->rtfText();
                const bool follows = view.followsEnd();
                if (outcome.kind == ReadKind::Append) {
                    const Contents added = m.DocContents[slot].mid(previousSize);
                    if (follows) {
                        view.setSelStart(previousSize);
                        view.setSelText(added);
                    } else {
                        view.appendKeepingSelection(added);
                    }
                    const HighlightSearch search(m.HighLightString);
                    if (search.isActive())
                        search.markIn(view, added, previousSize);
                } else {
                    view.setText(m.DocContents[slot]);
                    m.HighLightPending = true;
                }
                window->setCaption(path + CaptionSeparator +
                                   generalDateTimeText(m.clock().currentDateTime()) +
                                   CaptionSeparator + sizeText(m.DocFileSize[slot]));
                if (follows || outcome.kind == ReadKind::Replacement)
                    view.setSelStart(m.DocFileSize[slot]);
            } else if (outcome.kind == ReadKind::Replacement) {
                m.HighLightPending = true;
            }
        }
    }

    if (m.HighLightPending && window) {
        const HighlightSearch search(m.HighLightString);
        if (search.isActive()) {
            DocumentView &view = window->rtfText();
            search.markIn(view, m.DocContents[slot], 0);
            if (view.followsEnd())
                view.setSelStart(m.DocFileSize[slot]);
        }
    }
    return true;
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
