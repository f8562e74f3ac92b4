#include "frmmain.h"

#include "commandline.h"
#include "mrulist.h"
#include "rulesettings.h"
#include "settingsstore.h"

#include "commands/windowarranger.h"
#include "core/module1.h"
#include "core/text/numbertext.h"
#include "document/filedrop.h"
#include "document/frmdocument.h"
#include "document/twips.h"
#include "document/merged/mergedlogs.h"
#include "resources/resources.h"

#include <QCloseEvent>
#include <QDebug>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QFile>
#include <QGuiApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>

#include <cmath>

namespace Orvik {

namespace {
constexpr double CreatedClientWidthTwips = 7200;
constexpr double CreatedClientHeightTwips = 7080;
constexpr int InitialTimerInterval = 1000;

QIcon applicationIcon() {
    const QString bundled = QString::fromLatin1(appIconPath);
    if (QFile::exists(bundled))
        return QIcon(bundled);
    return QIcon::fromTheme(QStringLiteral("text-x-generic"));
}
} // namespace

frmMain::frmMain(Module1 &module, SettingsStore &store, QWidget *parent)
    : QMainWindow(parent)
    , m_module(module)
    , m_store(store) {
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("Orvik"));
    setWindowIcon(applicationIcon());

    m_workspace = new QMdiArea(this);
    m_workspace->setObjectName(QStringLiteral("workspace"));
    m_workspace->setBackground(palette().brush(QPalette::Dark));
    m_workspace->viewport()->setAcceptDrops(true);
    m_workspace->viewport()->installEventFilter(this);
    setCentralWidget(m_workspace);

    createActions();
    m_alerts = std::make_unique<DocumentAlerts>(*this, *m_workspace, m_module.clock(), m_notifier);

    m_timer.setInterval(InitialTimerInterval);
    connect(&m_timer, &QTimer::timeout, this, &frmMain::timerUpdate_Timer);
    m_timer.start();

    resize(twipsToPixelsX(CreatedClientWidthTwips, this),
           twipsToPixelsY(CreatedClientHeightTwips, this));
}

frmMain::~frmMain() = default;

void frmMain::createActions() {
    m_menus = std::make_unique<MainMenus>(*menuBar(), *m_workspace);
    MainMenus &m = *m_menus;
    const auto wire = [this](QAction *action, void (Commands::*handler)()) {
        connect(action, &QAction::triggered, this, [this, handler] { (m_commands.*handler)(); });
    };
    wire(m.mnuFileOpen, &Commands::mnuFileOpen_Click);
    wire(m.mnuFileOpenCommand, &Commands::mnuFileOpenCommand_Click);
    wire(m.mnuFileClose, &Commands::mnuFileClose_Click);
    // Ctrl+F4 closes the active document window on every desktop, as File, Close does; the
    // key belongs to the main window, so the menu item itself shows none.
    m_closeKey = new QAction(this);
    m_closeKey->setObjectName(QStringLiteral("closeKey"));
    m_closeKey->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F4));
    addAction(m_closeKey);
    wire(m_closeKey, &Commands::mnuFileClose_Click);
    wire(m.mnuFileSaveAs, &Commands::mnuFileSaveAs_Click);
    wire(m.mnuFilePrint, &Commands::mnuFilePrint_Click);
    for (int i = 1; i <= Module1::MruCount; ++i)
        connect(m.mnuFileMRU[i], &QAction::triggered, this, [this, i] { mnuFileMRU_Click(i); });
    wire(m.mnuFileExit, &Commands::mnuFileExit_Click);
    wire(m.mnuEditCopy, &Commands::mnuEditCopy_Click);
    wire(m.mnuEditFind, &Commands::mnuEditFind_Click);
    wire(m.mnuEditFindNext, &Commands::mnuEditFindNext_Click);
    wire(m.mnuEditFindPrevious, &Commands::mnuEditFindPrevious_Click);
    wire(m.mnuEditFilter, &Commands::mnuEditFilter_Click);
    wire(m.mnuEditGoToTime, &Commands::mnuEditGoToTime_Click);
    connect(m_workspace, &QMdiArea::subWindowActivated, this, [this] {
        m_menus->setFindEnabled(!m_workspace->subWindowList().isEmpty());
        updateGoToTime();
        updateAllLogsByTime();
    });
    wire(m.mnuViewToolbar, &Commands::mnuViewToolbar_Click);
    wire(m.mnuViewStatusBar, &Commands::mnuViewStatusBar_Click);
    wire(m.mnuHighlightText, &Commands::mnuHighlightText_Click);
    wire(m.mnuSelectFont, &Commands::mnuSelectFont_Click);
    wire(m.mnuRefreshInterval, &Commands::mnuRefreshInterval_Click);
    wire(m.mnuHighlightRules, &Commands::mnuHighlightRules_Click);
    connect(m.mnuFollowInstantly, &QAction::toggled, this,
            [this](bool on) { m_module.setFollowInstantly(on); });
    // mnuWindowNewWindow has no handler: choosing it does nothing.
    wire(m.mnuWindowCascade, &Commands::mnuWindowCascade_Click);
    wire(m.mnuWindowTileHorizontal, &Commands::mnuWindowTileHorizontal_Click);
    wire(m.mnuWindowTileVertical, &Commands::mnuWindowTileVertical_Click);
    wire(m.mnuWindowArrangeIcons, &Commands::mnuWindowArrangeIcons_Click);
    connect(m.mnuWindowSynchronize, &QAction::toggled, this,
            [this](bool on) { m_commands.timeSync().setEnabled(on); });
    wire(m.mnuWindowAllLogsByTime, &Commands::mnuWindowAllLogsByTime_Click);
    wire(m.mnuHelpAbout, &Commands::mnuHelpAbout_Click);

    m_toolBar = new ToolBar(this);
    addToolBar(Qt::TopToolBarArea, m_toolBar);
    connect(m_toolBar, &ToolBar::buttonClick, this, &frmMain::tbToolBar_ButtonClick);

    m_statusBar = new StatusBar(this);
    setStatusBar(m_statusBar);
}

void frmMain::Form_Load(const QString &argumentText, const QStringList &commands) {
    applyFrameTwips(Settings::LoadSettings(m_store, m_module));
    MRUList::LoadMRUList(m_store, m_module);
    Settings::LoadRecentCommands(m_store, m_module);
    RuleSettings::LoadHighlightRules(m_store, m_module);
    m_menus->mnuFollowInstantly->setChecked(m_module.FollowInstantly);
    m_module.RefreshInterval = Settings::limitRefreshInterval(m_module.RefreshInterval);
    m_updateTimer.setInterval(m_module.RefreshInterval);
    m_statusBar->setPanelText(2, QStringLiteral("Refresh Interval:") +
                                     displayNumber(qint64(m_module.RefreshInterval)) +
                                     QStringLiteral("ms"));
    m_module.HighLightPending = true;
    show();
    fitPendingFrame();
    openCommandLine(argumentText, commands);
}

void frmMain::openCommandLine(const QString &argumentText, const QStringList &commands) {
    const QStringList names = CommandLine::names(argumentText);
    if (names.isEmpty() && commands.isEmpty())
        return;
    for (const QString &name : names) {
        if (name == CommandLine::StandardInput)
            m_module.OpenStandardInput();
        else
            m_module.OpenDocument(name);
    }
    for (const QString &command : commands)
        m_module.OpenCommand(command);
    // Unlike the Tile Horizontal command, this leaves the timer and the pointer alone.
    WindowArranger::tileHorizontal(*m_workspace);
    for (int i = 1; i <= m_module.DocCount; ++i) {
        if (DocumentWindow *window = m_module.DocWindow[i])
            window->rtfText().setSelStart(m_module.DocContents[i].size());
    }
}

void frmMain::closeMainWindow() {
    close();
}

void frmMain::closeEvent(QCloseEvent *event) {
    // The program never asks and never cancels: every document closes, then the unload.
    closeAllDocuments();
    Form_Unload();
    event->accept();
}

void frmMain::closeAllDocuments() {
    const QList<QMdiSubWindow *> windows = m_workspace->subWindowList(QMdiArea::CreationOrder);
    for (QMdiSubWindow *window : windows)
        window->close();
}

void frmMain::Form_Unload() {
    if (m_unloaded)
        return;
    m_unloaded = true;
    m_updateTimer.setEnabled(false);
    saveSession();
    Q_EMIT unloaded();
}

void frmMain::saveSession() {
    std::optional<WindowTwips> frame;
    if (!isMinimized())
        frame = frameTwips();
    Settings::SaveSettings(m_store, m_module, frame);
    MRUList::SaveMRUList(m_store, m_module);
    Settings::SaveRecentCommands(m_store, m_module);
    RuleSettings::SaveHighlightRules(m_store, m_module);
    QString error;
    if (!m_store.flush(&error))
        qWarning().noquote() << QStringLiteral("orvik: the settings were not saved:") << error;
}

void frmMain::timerUpdate_Timer() {
    m_module.timerUpdate_Timer();
}

void frmMain::tbToolBar_ButtonClick(const QString &key) {
    m_commands.tbToolBar_ButtonClick(key);
}

void frmMain::mnuFileMRU_Click(int index) {
    if (index >= 1 && index <= Module1::MruCount)
        m_module.OpenDocument(m_module.MRUFiles[index]);
}

WindowTwips frmMain::frameTwips() const {
    const QRect frame = frameGeometry();
    WindowTwips t;
    t.left = std::round(pixelsToTwipsX(frame.x(), this));
    t.top = std::round(pixelsToTwipsY(frame.y(), this));
    t.width = std::round(pixelsToTwipsX(frame.width(), this));
    t.height = std::round(pixelsToTwipsY(frame.height(), this));
    return t;
}

void frmMain::applyFrameTwips(const WindowTwips &frame) {
    // Applied as stored, also off screen; move() places the outer frame.
    move(twipsToPixelsX(frame.left, this), twipsToPixelsY(frame.top, this));
    const QSize outer(twipsToPixelsX(frame.width, this), twipsToPixelsY(frame.height, this));
    const QSize decoration = frameGeometry().size() - size();
    resize(outer - decoration);
    // Before the window is first on screen its decoration is not known yet.
    m_pendingOuterSize = isVisible() ? QSize() : outer;
}

void frmMain::fitPendingFrame() {
    if (!m_pendingOuterSize.isValid() || !isVisible() || isMaximized() || isMinimized())
        return;
    const std::optional<QSize> client =
        clientSizeFor(m_pendingOuterSize, frameGeometry().size() - size());
    if (!client)
        return;
    m_pendingOuterSize = QSize();
    resize(*client);
}

// A title bar without side borders is a known frame too.
std::optional<QSize> frmMain::clientSizeFor(const QSize &outer, const QSize &decoration) {
    if (decoration.width() <= 0 && decoration.height() <= 0)
        return std::nullopt;
    return outer - decoration;
}

void frmMain::moveEvent(QMoveEvent *event) {
    QMainWindow::moveEvent(event);
    fitPendingFrame();
}

void frmMain::resizeEvent(QResizeEvent *event) {
    QMainWindow::resizeEvent(event);
    fitPendingFrame();
}

DocumentWindow *frmMain::createDocumentWindow() {
    auto *document = new frmDocument(m_module);
    m_workspace->addSubWindow(document);
    // Ctrl+F4 is the main window's on every desktop. A document window's own Close has the
    // desktop's keys for closing (Ctrl+W under X11, Ctrl+F4 in Windows' scheme): it gives up
    // Ctrl+F4, since two actions on one key both stay silent, and keeps the others.
    const QKeySequence closeKey = m_closeKey->shortcut();
    if (QMenu *systemMenu = document->systemMenu()) {
        for (QAction *action : systemMenu->actions()) {
            QList<QKeySequence> keys = action->shortcuts();
            if (keys.removeAll(closeKey) > 0)
                action->setShortcuts(keys);
        }
    }
    RichTextView &view = document->rtfText();
    // Times come with the text: Go to Time follows the active document's, All Logs by Time
    // every document's (a closing document's text is emptied first).
    const auto timesChanged = [this, document] {
        if (activeDocument() == document)
            updateGoToTime();
        updateAllLogsByTime();
    };
    connect(&view, &RichTextView::appended, this, timesChanged);
    connect(&view, &RichTextView::replaced, this, timesChanged);
    connect(&view, &RichTextView::readerMoved, this,
            [this, document] { m_commands.timeSync().readerMoved(*document); });
    connect(&view, &RichTextView::endRequested, this,
            [this, document] { m_commands.timeSync().endRequested(*document); });
    // One copy path: the view's own Copy is Edit, Copy on its document.
    connect(&document->rtfText(), &RichTextView::copyRequested, this, [this, document] {
        m_workspace->setActiveSubWindow(document);
        m_menus->mnuEditCopy->trigger();
    });
    m_commands.windowCommands().documentOpened(*document);
    document->show();
    return document;
}

void frmMain::updateGoToTime() {
    frmDocument *document = activeDocument();
    m_menus->setGoToTimeEnabled(document && document->rtfText().hasTimes());
}

void frmMain::updateAllLogsByTime() {
    bool times = false;
    for (int slot = 1; slot <= m_module.DocCount && !times; ++slot)
        if (auto *document = dynamic_cast<frmDocument *>(m_module.DocWindow[slot]))
            times = MergedLogs::hasTimes(document->rtfText());
    m_menus->setAllLogsByTimeEnabled(times);
}

QSize frmMain::outerSizePixels() const {
    return frameGeometry().size();
}

void frmMain::setBusyPointer(bool busy) {
    if (busy == m_busy)
        return;
    m_busy = busy;
    if (busy)
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QGuiApplication::restoreOverrideCursor();
}

void frmMain::showWarning(const QString &text, const QString &title) {
    QMessageBox::warning(this, title, text, QMessageBox::Ok);
}

void frmMain::documentAlert(DocumentWindow &window, const QString &path, const QString &line) {
    if (auto *document = dynamic_cast<frmDocument *>(&window))
        m_alerts->raise(*document, path, line);
}

void frmMain::changeEvent(QEvent *event) {
    QMainWindow::changeEvent(event);
    if (m_alerts && event->type() == QEvent::ActivationChange && isActiveWindow())
        m_alerts->mainWindowActivated();
}

frmDocument *frmMain::activeDocument() {
    // The current window stays current while a dialog or another program has the focus.
    return qobject_cast<frmDocument *>(m_workspace->currentSubWindow());
}

QMenu *frmMain::createPopupMenu() {
    // No context menu over the bars: their visibility belongs to the View menu.
    return nullptr;
}

bool frmMain::eventFilter(QObject *watched, QEvent *event) {
    if (watched == m_workspace->viewport()) {
        switch (event->type()) {
        case QEvent::DragEnter:
        case QEvent::DragMove:
            MDIForm_OLEDragOver(static_cast<QDragMoveEvent *>(event));
            return true;
        case QEvent::Drop:
            MDIForm_OLEDragDrop(static_cast<QDropEvent *>(event));
            return true;
        default:
            break;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void frmMain::MDIForm_OLEDragOver(QDragMoveEvent *event) {
    answerFileDrag(event);
}

void frmMain::MDIForm_OLEDragDrop(QDropEvent *event) {
    takeFileDrop(m_module, event);
}

} // namespace Orvik
