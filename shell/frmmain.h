#pragma once

#include "dbusnotifier.h"
#include "documentalerts.h"
#include "mainmenus.h"
#include "settings.h"
#include "statusbar.h"
#include "toolbar.h"
#include "updatetimer.h"

#include "commands/commandhost.h"
#include "commands/commands.h"
#include "commands/qtdialogs.h"
#include "core/mainwindow.h"

#include <QMainWindow>
#include <QTimer>

#include <memory>
#include <optional>

class QMdiArea;

namespace Orvik {

class Module1;
class SettingsStore;

// The main window: the workspace holding the document windows, the menus, tbToolBar,
// sbStatusBar and timerUpdate. It is MainForm for the core and the host of the commands.
// Its load reads the settings and opens the files named on the command line; closing it in
// any way closes every document window and writes the settings and the recently used files.
class frmMain : public QMainWindow, public MainWindow, public CommandHost {
    Q_OBJECT

public:
    frmMain(Module1 &module, SettingsStore &store, QWidget *parent = nullptr);
    ~frmMain() override;

    // The load: settings, recently used files, interval, highlight pending; then the window
    // is shown, and the named files are opened, tiled and scrolled to their ends. Documents
    // are opened once the window is on screen so that the tiling sees the final workspace.
    // The commands given with --command are started after the files, in order.
    void Form_Load(const QString &argumentText, const QStringList &commands = {});
    // The unload: timer off, settings and the list written. Runs once; the documents have
    // closed before it.
    void Form_Unload();
    bool isUnloaded() const { return m_unloaded; }
    // Writes the settings and the recently used files as the unload does, and keeps running:
    // what a session manager asks for when it saves the session.
    void saveSession();

    void timerUpdate_Timer();
    void tbToolBar_ButtonClick(const QString &key);
    void mnuFileMRU_Click(int index);

    MainMenus &menus() { return *m_menus; }
    Commands &commands() { return m_commands; }
    // The main window's outer frame as the settings hold it, in whole twips.
    WindowTwips frameTwips() const;
    void applyFrameTwips(const WindowTwips &frame);
    // The client size that gives the outer size `outer` with a frame adding `decoration`;
    // nothing while the frame is not known yet (empty in both directions).
    static std::optional<QSize> clientSizeFor(const QSize &outer, const QSize &decoration);

    // MainWindow
    UpdateTimer &timerUpdate() override { return m_updateTimer; }
    StatusBar &sbStatusBar() override { return *m_statusBar; }
    MruMenu &mruMenu() override { return *m_menus; }
    DocumentWindow *createDocumentWindow() override;
    QSize outerSizePixels() const override;
    void setBusyPointer(bool busy) override;
    void showWarning(const QString &text, const QString &title) override;
    void documentAlert(DocumentWindow &window, const QString &path, const QString &line) override;

    // CommandHost
    Module1 &module() override { return m_module; }
    frmDocument *activeDocument() override;
    QMdiArea &workspace() override { return *m_workspace; }
    QWidget *dialogOwner() override { return this; }
    QAction &mnuViewToolbar() override { return *m_menus->mnuViewToolbar; }
    QAction &mnuViewStatusBar() override { return *m_menus->mnuViewStatusBar; }
    ToolBar &tbToolBar() override { return *m_toolBar; }
    void closeMainWindow() override;

    QMenu *createPopupMenu() override;

signals:
    // The unload has run; the program ends here.
    void unloaded();

protected:
    void changeEvent(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void moveEvent(QMoveEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void createActions();
    void openCommandLine(const QString &argumentText, const QStringList &commands);
    void closeAllDocuments();
    void updateGoToTime();
    void updateAllLogsByTime();
    void fitPendingFrame();
    void MDIForm_OLEDragOver(QDragMoveEvent *event);
    void MDIForm_OLEDragDrop(QDropEvent *event);

    Module1 &m_module;
    SettingsStore &m_store;
    QMdiArea *m_workspace = nullptr;
    std::unique_ptr<MainMenus> m_menus;
    QAction *m_closeKey = nullptr; // Ctrl+F4: File, Close without showing in the menu
    ToolBar *m_toolBar = nullptr;
    StatusBar *m_statusBar = nullptr;
    QTimer m_timer;
    QtUpdateTimer m_updateTimer{m_timer};
    QtDialogs m_dialogs{this};
    Commands m_commands{*this, m_dialogs};
    DBusNotifier m_notifier;
    // Goes before the notifier it uses and before the workspace it watches.
    std::unique_ptr<DocumentAlerts> m_alerts;
    // The outer size asked for before the window manager's frame was known.
    QSize m_pendingOuterSize;
    bool m_busy = false;
    bool m_unloaded = false;
};

} // namespace Orvik
