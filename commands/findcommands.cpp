#include "findcommands.h"

#include "commandhost.h"
#include "dialogs.h"
#include "document/frmdocument.h"
#include "frmfind.h"

#include <QGuiApplication>
#include <QTimer>

namespace Orvik {

FindCommands::FindCommands(CommandHost &host, Dialogs &dialogs)
    : m_host(host)
    , m_dialogs(dialogs) {}

FindCommands::~FindCommands() {
    stop();
}

frmFind *FindCommands::findWindow() const {
    return m_window;
}

void FindCommands::find() {
    if (!m_window) {
        m_window = new frmFind(m_host.dialogOwner());
        connect(m_window, &frmFind::cmdFindNext_Click, this, &FindCommands::cmdFindNext_Click);
        connect(m_window, &frmFind::cmdCancel_Click, this, &FindCommands::cmdCancel_Click);
    }
    m_window->setHistory(m_history);
    if (!m_window->isVisible())
        m_window->setWrapNote(QString());
    // The bytes first: a selection of a whole log is never turned into text.
    frmDocument *document = m_host.activeDocument();
    const qint64 length = document ? document->rtfText().selLength() : 0;
    if (length > 0 && length <= SelectionTextLimit) {
        const QByteArray bytes = document->rtfText().selText();
        if (!bytes.contains('\n') && !bytes.contains('\r')) {
            m_taken = {document->rtfText().selectedPlainText(), bytes};
            m_window->setFindWhat(m_taken.text);
        }
    }
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
}

void FindCommands::findNext() {
    if (m_last.text.isEmpty())
        find();
    else
        search(m_last, m_lastMatchCase, FindRun::Direction::Down);
}

void FindCommands::findPrevious() {
    if (m_last.text.isEmpty())
        find();
    else
        search(m_last, m_lastMatchCase, FindRun::Direction::Up);
}

void FindCommands::cmdFindNext_Click() {
    const QString text = m_window->findWhat();
    if (text.isEmpty())
        return;
    remember(text);
    m_window->setHistory(m_history);
    m_last = {text, text == m_taken.text ? m_taken.bytes : text.toUtf8()};
    m_lastMatchCase = m_window->matchCase();
    search(m_last, m_lastMatchCase, m_window->direction());
}

void FindCommands::cmdCancel_Click() {
    if (m_run)
        stop();
    else if (m_window)
        m_window->hide();
}

void FindCommands::remember(const QString &text) {
    m_history.removeAll(text);
    m_history.prepend(text);
    while (m_history.size() > HistoryCount)
        m_history.removeLast();
}

void FindCommands::search(const FindText &what, bool matchCase, FindRun::Direction direction) {
    stop();
    if (m_window)
        m_window->setWrapNote(QString());
    frmDocument *document = m_host.activeDocument();
    if (!document)
        return;
    m_runText = what.text;
    m_runTime.start();
    start(document->rtfText(), TextFinder(what.bytes, matchCase), direction);
}

// From the view's selection, over its text as it is now.
void FindCommands::start(RichTextView &view, const TextFinder &finder,
                         FindRun::Direction direction) {
    const qint64 selStart = view.selStart();
    m_run = std::make_unique<FindRun>(finder, view.text(), selStart, selStart + view.selLength(),
                                      direction);
    m_runView = &view;
    runSlice();
}

void FindCommands::runSlice() {
    if (!m_run)
        return;
    QElapsedTimer slice;
    slice.start();
    while (!m_run->step()) {
        if (slice.elapsed() >= m_sliceMs) {
            if (!m_busy && m_runTime.elapsed() >= BusyAfterMs) {
                m_busy = true;
                QGuiApplication::setOverrideCursor(Qt::BusyCursor);
            }
            QTimer::singleShot(0, this, &FindCommands::runSlice);
            return;
        }
    }
    finish();
}

void FindCommands::finish() {
    const QPointer<RichTextView> view = m_runView;
    if (view) {
        const Contents now = view->text();
        const Contents &searched = m_run->text();
        if (now.store() != searched.store() || now.offset() != searched.offset() ||
            now.size() < searched.size()) {
            start(*view, m_run->finder(), m_run->direction()); // replaced while it ran
            return;
        }
        if (m_run->searchGrowth(now)) {
            QTimer::singleShot(0, this, &FindCommands::runSlice);
            return;
        }
    }
    const std::unique_ptr<FindRun> run = std::move(m_run);
    stop();
    if (!view) // closed during the search
        return;
    const TextFinder::Match match = run->match();
    if (!match.found()) {
        m_dialogs.messageBox(QStringLiteral("Cannot find \"%1\"").arg(m_runText),
                             QStringLiteral("Orvik"), Dialogs::Icon::Information);
        return;
    }
    view->setSelStart(match.offset);
    view->setSelLength(match.length);
    view->centerOnOffset(match.offset);
    if (run->wrapped() && m_window && m_window->isVisible()) {
        const bool down = run->direction() == FindRun::Direction::Down;
        m_window->setWrapNote(down ? QStringLiteral("Passed the end of the file")
                                   : QStringLiteral("Passed the beginning of the file"));
    }
}

void FindCommands::stop() {
    m_run.reset();
    m_runView.clear();
    if (m_busy) {
        m_busy = false;
        QGuiApplication::restoreOverrideCursor();
    }
}

} // namespace Orvik
