#pragma once

#include "core/content/contents.h"
#include "core/displayfont.h"
#include "core/rules/ruleset.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <array>
#include <chrono>
#include <memory>

namespace Orvik {

class Clock;
class DocumentWindow;
class FileSystem;
class FileWatcher;
class MainWindow;
class RefreshCycle;
class StreamSource;

// The shared state of the program: the document table, the display preferences, the
// recently used files and the main window, with the operations shared by all windows.
// One object is made at start-up and handed to whoever needs it; tests make their own.
class Module1 {
public:
    static constexpr int MaxDocuments = 10;
    static constexpr int MruCount = 10;
    static constexpr int DefaultRefreshInterval = 1000;
    static constexpr int MinRefreshInterval = 100;
    static constexpr int MaxRefreshInterval = 60000;

    Module1(FileSystem &fileSystem, Clock &clock);
    ~Module1();
    Module1(const Module1 &) = delete;
    Module1 &operator=(const Module1 &) = delete;

    // --- Document table: slots 1..10, entry 0 unused. Slots 1..DocCount are in use, in
    // opening order, without gaps; the window of slot k has the tag "k".
    int DocCount = 0;
    std::array<QString, MaxDocuments + 1> DocFileName;
    std::array<DocumentWindow *, MaxDocuments + 1> DocWindow{};
    // Last-modified stamp seen at the last read; an invalid QDateTime is the no-stamp
    // value, unequal to every stamp.
    std::array<QDateTime, MaxDocuments + 1> DocFileTime;
    std::array<qint64, MaxDocuments + 1> DocFileSize{};
    std::array<Contents, MaxDocuments + 1> DocContents;
    // Tells documents apart over time: a new number for every document opened, so that work
    // done for a document is never applied to another that took its slot meanwhile.
    std::array<quint64, MaxDocuments + 1> DocSerial{};
    quint64 newDocSerial() { return ++m_lastSerial; }
    // The pipe a document's text arrives on (standard input or a command's output), or
    // nullptr for a file. Such a document is never looked at by the timer or the watcher: its
    // reader tells the refresh of each new part. Freeing the slot stops it.
    std::array<std::unique_ptr<StreamSource>, MaxDocuments + 1> DocStream;

    // --- Display preferences.
    QString HighLightString;
    bool HighLightPending = false;
    int RefreshInterval = DefaultRefreshInterval;
    QString FontName = QStringLiteral("Arial");
    int FontSize = 10;
    bool FontBold = false;
    bool FontItalic = false;
    bool FontUnderline = false;
    DisplayFont displayFont() const;

    // --- Highlight rules: the set in force, never null. A new set is marked in every
    // document the refresh cycle visits next; work in flight keeps the set it began with.
    SharedRules HighlightRules = std::make_shared<const RuleSet>();
    void setHighlightRules(std::vector<HighlightRule> rules);

    // --- Following at once: while on, and while a watcher is set, the kernel's news of a
    // change to a document's file refreshes that document at once; the timer goes on too.
    bool FollowInstantly = true;
    void setFollowInstantly(bool on);
    // The watcher of the documents' files, not owned; nullptr leaves the timer alone.
    void setFileWatcher(FileWatcher *watcher);
    FileWatcher *fileWatcher() const { return m_watcher; }
    // Watches the file of the document in `slot`, or stops watching it when following at
    // once is off (called when a document is opened).
    void watchDocument(int slot);

    // --- Recently used files: slots 1..10, newest first; the empty text is a free slot.
    std::array<QString, MruCount + 1> MRUFiles;
    // The command lines opened last, newest first, at most ten; never in MRUFiles.
    static constexpr int RecentCommandCount = 10;
    QStringList RecentCommands;
    void AddToRecentCommands(const QString &command);
    // Standard input, for OpenStandardInput; how long a closed command's group has after
    // SIGTERM before SIGKILL. Tests change both.
    int StandardInput = 0;
    std::chrono::milliseconds StreamStopGrace{2000};

    MainWindow *MainForm = nullptr;

    // --- Shared operations.
    // Opens `path` as a document, or activates its window when it is already open (compared
    // trimmed of blanks, any letter case); refuses an eleventh document with a warning.
    void OpenDocument(const QString &path);
    // Opens what arrives on standard input, or the output of `command` run by /bin/sh, as a
    // document; one already open only has its window activated, and nothing starts twice.
    // Neither goes into the recently used files; a command goes into RecentCommands.
    void OpenStandardInput();
    void OpenCommand(const QString &command);
    // Takes slot DocCount + 1 with a new, placed window (called by OpenDocument).
    void NewDocumentWindow();
    // Runs one refresh cycle: slot `index` only when it is above 0, else every document. The
    // cycle has run to its end when this returns, unless cycles run in the background.
    void RefreshDocuments(int index);
    // A tick skips the documents whose work is still in flight.
    void timerUpdate_Timer();
    // With background cycles, RefreshDocuments (and so OpenDocument) returns at once and the
    // outcomes are applied as the event loop brings them.
    void setBackgroundCycles(bool on) { m_backgroundCycles = on; }
    bool backgroundCycles() const { return m_backgroundCycles; }
    RefreshCycle &refreshCycle() { return *m_refreshCycle; }
    // Frees the slot of a closing window: later slots move down one place and their windows
    // are retagged; the freed slot is emptied and its work in flight stopped. A slot not in
    // use is ignored.
    void RemoveDocument(int slot);
    void AddToMRU(const QString &name);
    void UpdateMRUMenu();

    // Bytes compared per step when a changed file is read (tests make it small).
    void setReadChunkSize(qint64 bytes);

    FileSystem &fileSystem() const { return m_fileSystem; }
    Clock &clock() const { return m_clock; }

private:
    FileSystem &m_fileSystem;
    Clock &m_clock;
    bool m_mruSeparatorShown = false;
    bool m_backgroundCycles = false;
    quint64 m_lastSerial = 0;
    std::unique_ptr<RefreshCycle> m_refreshCycle;
    FileWatcher *m_watcher = nullptr;
};

} // namespace Orvik
