#pragma once

#include "commands/commandhost.h"
#include "core/mainwindow.h"
#include "core/module1.h"
#include "core/posixfilesystem.h"
#include "core/systemclock.h"
#include "document/frmdocument.h"
#include "support/fakemainwindow.h"

#include <QAction>
#include <QMainWindow>
#include <QMdiArea>
#include <QStatusBar>
#include <QToolBar>

#include <array>
#include <vector>

namespace Orvik {

// A status bar whose panels are plain texts.
class TestStatusBar : public QStatusBar, public StatusPanels {
public:
    QString panelText(int index) const override { return m_texts.at(index); }
    void setPanelText(int index, const QString &text) override { m_texts.at(index) = text; }

private:
    std::array<QString, 5> m_texts;
};

// A main window for the commands: a workspace with real document windows over real files, a
// toolbar and a status bar with their View menu toggles, a timer that only records, and the
// busy pointer with its history. It is MainForm of its own Module1.
class TestHost : public QMainWindow, public MainWindow, public CommandHost {
public:
    TestHost()
        : m_module(m_fileSystem, m_clock) {
        m_module.MainForm = this;
        m_workspace = new QMdiArea;
        setCentralWidget(m_workspace);
        m_toolBar = addToolBar(QStringLiteral("tbToolBar"));
        m_statusBar = new TestStatusBar;
        setStatusBar(m_statusBar);
        for (QAction *item : {&m_mnuViewToolbar, &m_mnuViewStatusBar}) {
            item->setCheckable(true);
            item->setChecked(true);
        }
        resize(900, 700);
    }
    ~TestHost() override {
        // The document windows give their slots back while the module still exists.
        m_workspace->closeAllSubWindows();
        m_module.MainForm = nullptr;
    }

    // MainWindow
    UpdateTimer &timerUpdate() override { return timer; }
    TestStatusBar &sbStatusBar() override { return *m_statusBar; }
    MruMenu &mruMenu() override { return mru; }
    DocumentWindow *createDocumentWindow() override {
        auto *document = new frmDocument(m_module);
        m_workspace->addSubWindow(document);
        document->show();
        return document;
    }
    QSize outerSizePixels() const override { return frameGeometry().size(); }
    void setBusyPointer(bool busy) override {
        this->busy = busy;
        busyHistory.push_back(busy);
    }
    void showWarning(const QString &text, const QString &title) override {
        warnings.push_back({text, title});
    }

    // CommandHost
    Module1 &module() override { return m_module; }
    frmDocument *activeDocument() override {
        return qobject_cast<frmDocument *>(m_workspace->activeSubWindow());
    }
    QMdiArea &workspace() override { return *m_workspace; }
    QWidget *dialogOwner() override { return this; }
    QAction &mnuViewToolbar() override { return m_mnuViewToolbar; }
    QAction &mnuViewStatusBar() override { return m_mnuViewStatusBar; }
    QToolBar &tbToolBar() override { return *m_toolBar; }
    void closeMainWindow() override {
        ++closeRequests;
        close();
    }

    frmDocument *document(int slot) {
        return dynamic_cast<frmDocument *>(m_module.DocWindow[slot]);
    }

    FakeUpdateTimer timer;
    FakeMruMenu mru;
    bool busy = false;
    std::vector<bool> busyHistory;
    std::vector<FakeMainWindow::Warning> warnings;
    int closeRequests = 0;

private:
    PosixFileSystem m_fileSystem;
    SystemClock m_clock;
    Module1 m_module;
    QMdiArea *m_workspace = nullptr;
    QToolBar *m_toolBar = nullptr;
    TestStatusBar *m_statusBar = nullptr;
    QAction m_mnuViewToolbar{QStringLiteral("&Toolbar")};
    QAction m_mnuViewStatusBar{QStringLiteral("Status &Bar")};
};

} // namespace Orvik
