#pragma once

#include <QSize>
#include <QString>

namespace Orvik {

class DocumentWindow;

// The update timer (timerUpdate) whose tick runs the refresh cycle.
class UpdateTimer {
public:
    virtual ~UpdateTimer() = default;
    virtual void setEnabled(bool enabled) = 0;
    virtual bool isEnabled() const = 0;
    virtual void setInterval(int milliseconds) = 0;
    virtual int interval() const = 0;
};

// The status bar (sbStatusBar); panels are addressed by 1-based index.
class StatusPanels {
public:
    virtual ~StatusPanels() = default;
    virtual QString panelText(int index) const = 0;
    virtual void setPanelText(int index, const QString &text) = 0;
};

// The recently used file items of the File menu: mnuFileMRU(1..10) and mnuMRUSep.
class MruMenu {
public:
    virtual ~MruMenu() = default;
    virtual void setItem(int index, const QString &caption, bool visible) = 0;
    virtual void setSeparatorVisible(bool visible) = 0;
};

// What the core asks of the main window (MainForm).
class MainWindow {
public:
    virtual ~MainWindow() = default;

    virtual UpdateTimer &timerUpdate() = 0;
    virtual StatusPanels &sbStatusBar() = 0;
    virtual MruMenu &mruMenu() = 0;

    // Creates a document window inside the main window and shows it; nullptr on failure.
    virtual DocumentWindow *createDocumentWindow() = 0;
    // The main window's outer width and height in pixels.
    virtual QSize outerSizePixels() const = 0;
    // The application-wide busy (hourglass) pointer.
    virtual void setBusyPointer(bool busy) = 0;
    // A modal message box with the warning icon and one OK button.
    virtual void showWarning(const QString &text, const QString &title) = 0;
    // An alert rule matched in text appended to the document of `window` at `path`; `line`
    // is the first line it matched, cut short.
    virtual void documentAlert(DocumentWindow &window, const QString &path, const QString &line) {
        Q_UNUSED(window);
        Q_UNUSED(path);
        Q_UNUSED(line);
    }
};

} // namespace Orvik
