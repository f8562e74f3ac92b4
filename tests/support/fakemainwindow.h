#pragma once

#include "fakedocumentwindow.h"

#include "core/mainwindow.h"

#include <QSize>
#include <QString>
#include <QStringList>

#include <array>
#include <memory>
#include <vector>

namespace Orvik {

class FakeUpdateTimer : public UpdateTimer {
public:
    void setEnabled(bool enabled) override;
    bool isEnabled() const override { return m_enabled; }
    void setInterval(int milliseconds) override;
    int interval() const override { return m_interval; }

    std::vector<bool> enabledHistory; // every setEnabled(), in order
    std::vector<int> intervalHistory; // every setInterval(), in order

private:
    bool m_enabled = true;
    int m_interval = 1000;
};

class FakeStatusPanels : public StatusPanels {
public:
    QString panelText(int index) const override;
    void setPanelText(int index, const QString &text) override;
    int writes(int index) const;

private:
    std::array<QString, 5> m_texts;
    std::array<int, 5> m_writes{};
};

class FakeMruMenu : public MruMenu {
public:
    void setItem(int index, const QString &caption, bool visible) override;
    void setSeparatorVisible(bool visible) override;

    std::array<QString, 11> captions;
    std::array<bool, 11> visible{};
    bool separatorVisible = false;
    int separatorHides = 0; // setSeparatorVisible(false) calls
    int updates = 0;        // setItem() calls
};

// An in-memory MainWindow: a timer with its enable history, four status panels, the MRU
// items, the document windows it created (owned here), the warnings shown and the busy
// pointer with its history.
class FakeMainWindow : public MainWindow {
public:
    UpdateTimer &timerUpdate() override { return timer; }
    StatusPanels &sbStatusBar() override { return panels; }
    MruMenu &mruMenu() override { return menu; }
    DocumentWindow *createDocumentWindow() override;
    QSize outerSizePixels() const override { return outerSize; }
    void setBusyPointer(bool busy) override;
    void showWarning(const QString &text, const QString &title) override;

    FakeDocumentWindow *window(int createdIndex) const { return windows.at(createdIndex).get(); }

    FakeUpdateTimer timer;
    FakeStatusPanels panels;
    FakeMruMenu menu;
    QSize outerSize{800, 600};
    bool failCreate = false; // createDocumentWindow() returns nullptr while set
    std::vector<std::unique_ptr<FakeDocumentWindow>> windows;
    bool busy = false;
    std::vector<bool> busyHistory;
    struct Warning {
        QString text;
        QString title;
    };
    std::vector<Warning> warnings;
};

} // namespace Orvik
