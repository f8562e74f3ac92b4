#pragma once

#include "core/clock.h"
#include "core/documentview.h"
#include "core/documentwindow.h"
#include "core/filesystem.h"
#include "core/mainwindow.h"
#include "core/refresh/posixfilesystem.h"

#include <QHash>
#include <QStringList>

#include <array>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <new>
#include <vector>

namespace Orvik {

// A clock that moves only when told. `monotonicStep` is added after every monotonicSeconds()
// read, so a cycle can be made to take a known time.
class FakeClock : public Clock {
public:
    QDateTime currentDateTime() const override { return now; }
    double monotonicSeconds() const override {
        return (m_monotonic += monotonicStep) - monotonicStep;
    }
    void advance(double seconds) {
        now = now.addMSecs(qint64(seconds * 1000.0));
        m_monotonic += seconds;
    }

    QDateTime now{QDate(2026, 12, 4), QTime(15, 52, 10)};
    double monotonicStep = 0.0;

private:
    mutable double m_monotonic = 1000.0;
};

// An in-memory view that shares the bytes it is given, as the real one does, and records the
// colourings since the text was last replaced (one by one, and the highlight layer's marks),
// the insertions and the replacements.
class FakeDocumentView : public DocumentView {
public:
    struct Mark {
        qint64 offset;
        qint64 length;
        ColorNumber color;
    };
    struct Insertion {
        qint64 offset;
        QByteArray bytes;
    };

    void setText(const Contents &text) override;
    Contents text() const override { return m_text; }
    void setSelStart(qint64 offset) override;
    qint64 selStart() const override { return m_selStart; }
    void setSelLength(qint64 length) override { m_selLength = length; }
    qint64 selLength() const override { return m_selLength; }
    void setSelText(const Contents &text) override;
    // The core never reads the selection and colours by range.
    QByteArray selText() const override { return {}; }
    void setSelColor(ColorNumber) override {}
    void colorRange(qint64 offset, qint64 length, ColorNumber color) override;
    SharedMarks layerMarks(int layer) const override {
        if (failAppend)
            throw std::bad_alloc();
        return layer == HighlightLayer ? highlight : nullptr;
    }
    void setLayerMarks(int layer, SharedMarks marks) override;
    void addLayerMarks(int layer, const MarkRuns &marks) override;
    bool followsEnd() const override { return m_selLength == 0 && !scrolledAway; }
    void appendKeepingSelection(const Contents &text) override;
    void setDisplayFont(const DisplayFont &displayFont) override { font = displayFont; }
    void setVisible(bool isVisible) override { visible = isVisible; }

    QByteArray bytes() const { return m_text.toByteArray(); }
    // The text as 'x' for a byte coloured red, '.' for any other.
    QByteArray colourMap() const;
    void clearRecords() {
        insertions.clear();
        setTextCount = 0;
    }

    std::vector<Mark> marks;
    SharedMarks highlight;
    int markCalls = 0; // colourings and layer changes, each one call
    std::vector<Insertion> insertions;
    int setTextCount = 0;
    // The reader scrolled the end out of view; a new text or the caret put at the end clears it.
    bool scrolledAway = false;
    // Appending text or taking the highlight marks throws std::bad_alloc, as a view out of
    // memory would.
    bool failAppend = false;
    DisplayFont font;
    bool visible = false;

private:
    Contents m_text;
    qint64 m_selStart = 0;
    qint64 m_selLength = 0;
};

// An in-memory document window: every caption it had, its tag, placement and activations. A
// placement with a non-positive size is refused, as a window system would.
class FakeDocumentWindow : public DocumentWindow {
public:
    DocumentView &rtfText() override { return view; }
    void setCaption(const QString &caption) override { captions << caption; }
    QString caption() const override { return captions.value(captions.size() - 1); }
    void setTag(const QString &text) override { tagText = text; }
    QString tag() const override { return tagText; }
    bool moveTo(const QRect &pixels) override;
    void activate() override { ++activations; }
    void showReading(bool isReading) override { reading.push_back(isReading); }

    FakeDocumentView view;
    std::vector<bool> reading; // every showReading(), in order
    QStringList captions;
    QString tagText;
    QRect geometry;
    int activations = 0;
};

class FakeUpdateTimer : public UpdateTimer {
public:
    void setEnabled(bool enabled) override { enabledHistory.push_back(m_enabled = enabled); }
    bool isEnabled() const override { return m_enabled; }
    void setInterval(int milliseconds) override { m_interval = milliseconds; }
    int interval() const override { return m_interval; }

    std::vector<bool> enabledHistory; // every setEnabled(), in order

private:
    bool m_enabled = true;
    int m_interval = 1000;
};

// Status panels 1..4 with the number of writes each had.
class FakeStatusPanels : public StatusPanels {
public:
    QString panelText(int index) const override { return texts.at(index); }
    void setPanelText(int index, const QString &text) override {
        texts.at(index) = text;
        ++writes.at(index);
    }
    std::array<QString, 5> texts;
    std::array<int, 5> writes{};
};

class FakeMruMenu : public MruMenu {
public:
    void setItem(int index, const QString &caption, bool isVisible) override {
        captions.at(index) = caption;
        visible.at(index) = isVisible;
    }
    void setSeparatorVisible(bool isVisible) override { separatorVisible = isVisible; }

    std::array<QString, 11> captions;
    std::array<bool, 11> visible{};
    bool separatorVisible = false;
};

// An in-memory main window: the timer's enable history, the panels, the MRU items, the
// document windows it made (owned here), the busy pointer's history and the warnings.
class FakeMainWindow : public MainWindow {
public:
    struct Warning {
        QString text;
        QString title;
    };

    UpdateTimer &timerUpdate() override { return timer; }
    StatusPanels &sbStatusBar() override { return panels; }
    MruMenu &mruMenu() override { return menu; }
    DocumentWindow *createDocumentWindow() override;
    QSize outerSizePixels() const override { return outerSize; }
    void setBusyPointer(bool busy) override { busyHistory.push_back(busy); }
    void showWarning(const QString &text, const QString &title) override {
        warnings.push_back({text, title});
    }

    FakeUpdateTimer timer;
    FakeStatusPanels panels;
    FakeMruMenu menu;
    QSize outerSize{800, 600};
    bool failCreate = false; // createDocumentWindow() returns nullptr while set
    std::vector<std::unique_ptr<FakeDocumentWindow>> windows;
    std::vector<bool> busyHistory;
    std::vector<Warning> warnings;
};

// The real file system with failures injected per path, for what tests cannot make happen
// with real files when they run as root: a probe that fails, an open refused by another
// process, a read that breaks after some bytes, or one that blocks (a hung network mount).
// Opens and bytes read are counted per path. Every call takes a lock, so refresh workers may
// share it; read the counters once the work is done.
class FaultyFileSystem : public FileSystem {
public:
    QDateTime lastModified(const QString &path, QString *error) override;
    qint64 FileSizeProbe(const QString &path) override {
        if (std::lock_guard<std::mutex> lock(m_mutex); m_probeFails.contains(path))
            return -1;
        return m_real.FileSizeProbe(path);
    }
    std::unique_ptr<FileReader> openForRead(const QString &path, QString *error) override;

    void failProbe(const QString &path) {
        locked([&] { m_probeFails[path] = true; });
    }
    void failOpen(const QString &path, const QString &error) {
        locked([&] { m_openErrors[path] = error; });
    }
    // The read breaks with `error` once `bytes` bytes were delivered.
    void failReadAfter(const QString &path, qint64 bytes, const QString &error) {
        locked([&] { m_readFaults[path] = {bytes, error}; });
    }
    void healAll() {
        locked([&] {
            m_probeFails.clear();
            m_openErrors.clear();
            m_readFaults.clear();
        });
    }
    void resetCounters() {
        locked([&] {
            stampCalls.clear();
            openCalls.clear();
            bytesRead.clear();
        });
    }
    // Until release(), taking the stamp of any path (hold()) or reading `path` after its
    // first `after` bytes (holdRead()) waits, as a call stuck in the kernel would.
    void hold() {
        locked([&] { m_held = true; });
    }
    void holdRead(const QString &path, qint64 after = 0) {
        locked([&] { m_heldReads[path] = after; });
    }
    void release() {
        locked([&] {
            m_held = false;
            m_heldReads.clear();
        });
        m_released.notify_all();
    }
    // How many reads of `path` wait on holdRead().
    int readWaiting(const QString &path) {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_waiting.value(path);
    }

    QHash<QString, int> stampCalls;
    QHash<QString, int> openCalls;
    std::map<QString, qint64> bytesRead; // node-based: readers keep a pointer

private:
    friend class CountingReader;
    struct ReadFault {
        qint64 after;
        QString error;
    };
    template <typename F> void locked(F f) {
        std::lock_guard<std::mutex> lock(m_mutex);
        f();
    }
    // Called by a reader before it reads past `delivered` bytes of `path`.
    void waitIfHeld(const QString &path, qint64 delivered);

    std::mutex m_mutex;
    std::condition_variable m_released;
    bool m_held = false;
    QHash<QString, qint64> m_heldReads;
    QHash<QString, int> m_waiting;
    PosixFileSystem m_real;
    QHash<QString, bool> m_probeFails;
    QHash<QString, QString> m_openErrors;
    QHash<QString, ReadFault> m_readFaults;
};

} // namespace Orvik
