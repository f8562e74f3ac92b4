#pragma once

class QAction;
class QMdiArea;
class QWidget;

namespace Orvik {

class Module1;
class frmDocument;

// What the commands need of the main window, so that they never know its class.
class CommandHost {
public:
    virtual ~CommandHost() = default;

    virtual Module1 &module() = 0;
    // The active document window (ActiveForm), or nullptr when none is open.
    virtual frmDocument *activeDocument() = 0;
    // The workspace holding the document windows, for the arrangements.
    virtual QMdiArea &workspace() = 0;
    // The owner of modal windows.
    virtual QWidget *dialogOwner() = 0;

    // The View menu toggles and the bars they show and hide.
    virtual QAction &mnuViewToolbar() = 0;
    virtual QAction &mnuViewStatusBar() = 0;
    virtual QWidget &tbToolBar() = 0;
    virtual QWidget &sbStatusBar() = 0;

    // Unloads the main window: documents close, settings and the list are saved.
    virtual void closeMainWindow() = 0;
};

} // namespace Orvik
