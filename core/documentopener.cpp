#include "core/documentopener.h"

#include "core/documentview.h"
#include "core/documentwindow.h"
#include "core/mainwindow.h"
#include "core/module1.h"
#include "core/text/pathtext.h"

#include <QRect>

namespace Orvik {

DocumentOpener::DocumentOpener(Module1 &module)
    : m_module(module) {}

void DocumentOpener::OpenDocument(const QString &path) {
    Module1 &m = m_module;
    MainWindow *main = m.MainForm;
    if (m.DocCount >= Module1::MaxDocuments) {
        if (main)
            main->showWarning(
                QStringLiteral("Please close some of the currently opened files before adding "
                               "any new ones."),
                QStringLiteral("Too many files opened"));
        return;
    }
    if (main) {
        main->timerUpdate().setEnabled(false);
        main->setBusyPointer(true);
    }
    const auto restore = [main] {
        if (main) {
            main->timerUpdate().setEnabled(true);
            main->setBusyPointer(false);
        }
    };

    const QString wanted = pathComparisonForm(path);
    for (int slot = 1; slot <= m.DocCount; ++slot) {
        if (pathComparisonForm(m.DocFileName[slot]) == wanted) {
            if (DocumentWindow *window = m.DocWindow[slot])
                window->activate();
            restore();
            return;
        }
    }

    // A slot without a window would leave every later user of the table a dangling entry,
    // so an open whose window cannot be made takes no slot.
    if (!NewDocumentWindow()) {
        restore();
        return;
    }
    const int slot = m.DocCount;
    m.DocFileName[slot] = path;
    m.DocFileTime[slot] = QDateTime();
    m.DocFileSize[slot] = 0;
    m.DocContents[slot] = Contents();
    m.AddToMRU(m.DocFileName[slot]);
    m.DocWindow[slot]->setCaption(path);
    m.watchDocument(slot);
    m.RefreshDocuments(slot);
    restore();
}

bool DocumentOpener::NewDocumentWindow() {
    Module1 &m = m_module;
    if (m.DocCount >= Module1::MaxDocuments || !m.MainForm)
        return false;
    DocumentWindow *window = m.MainForm->createDocumentWindow();
    if (!window)
        return false;
    const int slot = ++m.DocCount;
    m.DocWindow[slot] = window;
    m.DocSerial[slot] = m.newDocSerial();
    window->setTag(QString::number(slot));
    window->setCaption(QStringLiteral("Document ") + QString::number(slot));

    const int d = CascadeStep * (slot - 1);
    const QSize outer = m.MainForm->outerSizePixels();
    // A main window too small for the placement leaves the window where it was created; the
    // view still gets its font and is shown.
    window->moveTo(
        QRect(d, d, outer.width() - WidthAllowance - d, outer.height() - HeightAllowance - d));
    DocumentView &view = window->rtfText();
    view.setDisplayFont(m.displayFont());
    view.setVisible(true);
    return true;
}

} // namespace Orvik
