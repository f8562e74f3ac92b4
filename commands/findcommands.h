#pragma once

#include "core/search/findrun.h"

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QStringList>

#include <memory>

namespace Orvik {

class CommandHost;
class Dialogs;
class RichTextView;
class frmFind;

// Find, Find Next and Find Previous in the active document. A search runs in slices from the
// event loop, so the windows keep answering; after BusyAfterMs it shows the busy pointer, and
// Cancel or Escape in the Find window stops it with the selection left as it was. A search
// asked for while one runs replaces it. A search over a text replaced while it ran starts
// again over the new text; one that found nothing searches the lines appended meanwhile before
// it says so. A document closed during a search is left alone.
class FindCommands : public QObject {
    Q_OBJECT

public:
    FindCommands(CommandHost &host, Dialogs &dialogs);
    ~FindCommands() override;

    // Opens the Find window, or brings it forward, with the selection as the text when it
    // is a single line of at most SelectionTextLimit bytes. Such a text searches for the bytes
    // it was taken from, also from a line that is not UTF-8, for as long as the Find window
    // shows it unchanged.
    void find();
    // Repeats the last search downwards or upwards; with none yet, opens the Find window.
    void findNext();
    void findPrevious();

    frmFind *findWindow() const;
    bool isSearching() const { return m_run != nullptr; }
    // The texts searched for this run, most recent first.
    const QStringList &history() const { return m_history; }

    // How long a slice of a search may run before the events are let through; 0 runs one
    // piece per slice (for tests).
    void setSliceMs(int milliseconds) { m_sliceMs = milliseconds; }

    static constexpr int HistoryCount = 10;
    static constexpr int BusyAfterMs = 200;
    // A longer selection is not taken as the text to find: no one types a text that long, and
    // turning a whole log into text would freeze the program.
    static constexpr qint64 SelectionTextLimit = 4096;

private:
    // A text to find as the Find window shows it, and the bytes searched for.
    struct FindText {
        QString text;
        QByteArray bytes;
    };

    void cmdFindNext_Click();
    void cmdCancel_Click();
    void search(const FindText &what, bool matchCase, FindRun::Direction direction);
    void start(RichTextView &view, const TextFinder &finder, FindRun::Direction direction);
    void runSlice();
    void finish();
    void stop();
    void remember(const QString &text);

    CommandHost &m_host;
    Dialogs &m_dialogs;
    QPointer<frmFind> m_window;
    QStringList m_history;
    FindText m_taken; // the text last taken from a selection
    FindText m_last;
    bool m_lastMatchCase = false;

    std::unique_ptr<FindRun> m_run;
    QString m_runText;
    QPointer<RichTextView> m_runView;
    QElapsedTimer m_runTime;
    bool m_busy = false;
    int m_sliceMs = 25;
};

} // namespace Orvik
