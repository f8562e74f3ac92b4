#include "windowcommands.h"

#include "about/frmabout.h"
#include "commandhost.h"
#include "core/documentview.h"
#include "core/documentwindow.h"
#include "core/module1.h"
#include "dialogs.h"
#include "document/filter/filterpane.h"
#include "document/frmdocument.h"
#include "document/merged/frmmerged.h"
#include "document/merged/mergedview.h"
#include "timeroffscope.h"
#include "windowarranger.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QMdiArea>
#include <QWidget>

#include <climits>
#include <new>

namespace Orvik {

namespace {

qint64 clipboardLimit = INT_MAX;

// The check mark and the bar follow the bar's own state, so the toggle is right whether or
// not the menu already flipped its checkable action before the handler runs.
void toggleBar(QAction &item, QWidget &bar) {
    const bool show = bar.isHidden();
    item.setChecked(show);
    bar.setVisible(show);
}

} // namespace

WindowCommands::WindowCommands(CommandHost &host, Dialogs &dialogs)
    : m_host(host)
    , m_dialogs(dialogs)
    , m_filterHistory(std::make_shared<FilterHistory>()) {}

void WindowCommands::setClipboardLimit(qint64 bytes) {
    clipboardLimit = bytes;
}

// The text as the user sees it: the selection, or the whole text when nothing is selected; from
// the filter pane when its rows have the focus, their lines. Text too large for the clipboard is
// refused with a message; the clipboard stays as it was. In the window of all logs, its rows
// with their tags.
void WindowCommands::copy() {
    if (auto *merged = qobject_cast<frmMerged *>(m_host.workspace().currentSubWindow())) {
        putOnClipboard(merged->copyBytes(clipboardLimit), [merged] { return merged->copyText(); });
        return;
    }
    frmDocument *document = m_host.activeDocument();
    if (!document)
        return;
    const RichTextView &view = document->rtfText();
    const FilterPane *pane = document->filterPane();
    const bool rows = pane && pane->hasFocusedSelection();
    const qint64 bytes = rows                   ? pane->selectedBytes(clipboardLimit)
                         : view.selLength() > 0 ? view.selLength()
                                                : view.text().size();
    putOnClipboard(bytes, [&] {
        return rows                   ? pane->selectedText()
               : view.selLength() > 0 ? view.selectedPlainText()
                                      : view.plainText();
    });
}

void WindowCommands::putOnClipboard(qint64 bytes, const std::function<QString()> &text) {
    bool copied = false;
    if (bytes <= clipboardLimit) {
        try {
            const QString copiedText = text();
            if (QClipboard *clipboard = QGuiApplication::clipboard())
                clipboard->setText(copiedText);
            copied = true;
        } catch (const std::bad_alloc &) {
        }
    }
    if (!copied)
        m_dialogs.messageBox(QStringLiteral("The text is too large to copy to the clipboard.\n"
                                            "Select a part of it and copy that."),
                             QStringLiteral("Copy"), Dialogs::Icon::Warning);
}

void WindowCommands::toggleToolbar() {
    toggleBar(m_host.mnuViewToolbar(), m_host.tbToolBar());
}

void WindowCommands::toggleStatusBar() {
    toggleBar(m_host.mnuViewStatusBar(), m_host.sbStatusBar());
}

// Every arrangement but Arrange Icons then puts each caret at the end of its text, so the
// newest lines are in view in the re-laid windows.
void WindowCommands::arrange(Arrangement arrangement) {
    Module1 &module = m_host.module();
    TimerOffScope timerOff(module.MainForm);
    QMdiArea &area = m_host.workspace();
    switch (arrangement) {
    case Arrangement::Cascade:
        WindowArranger::cascade(area);
        break;
    case Arrangement::TileHorizontal:
        WindowArranger::tileHorizontal(area);
        break;
    case Arrangement::TileVertical:
        WindowArranger::tileVertical(area);
        break;
    case Arrangement::ArrangeIcons:
        WindowArranger::arrangeIcons(area);
        return;
    }
    for (int slot = 1; slot <= module.DocCount; ++slot) {
        if (DocumentWindow *window = module.DocWindow[slot])
            window->rtfText().setSelStart(module.DocContents[slot].size());
    }
}

void WindowCommands::filter() {
    if (frmDocument *document = m_host.activeDocument())
        document->showFilter(m_filterHistory);
    else if (auto *merged = qobject_cast<frmMerged *>(m_host.workspace().currentSubWindow()))
        merged->showFilter(m_filterHistory);
}

// One window at most, made on first use, listed in the Window menu as the documents are. It
// opens on the right half of the workspace, beside the documents, which stay where they are.
void WindowCommands::allLogsByTime() {
    QMdiArea &area = m_host.workspace();
    if (!m_merged) {
        m_merged = new frmMerged(m_host.module());
        area.addSubWindow(m_merged);
        const QSize room = area.viewport()->size();
        const int width = qMax(320, room.width() / 2);
        m_merged->setGeometry(qMax(0, room.width() - width), 0, width, qMax(200, room.height()));
        m_merged->show();
    }
    area.setActiveSubWindow(m_merged);
    m_merged->view().setFocus();
}

void WindowCommands::documentOpened(frmDocument &document) {
    if (m_merged)
        m_merged->logs().track(document);
}

// Modal, owned by the main window; made anew each time so the About file is read again.
void WindowCommands::about() {
    frmAbout window(m_host.dialogOwner());
    window.exec();
}

} // namespace Orvik
