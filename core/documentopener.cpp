#include "core/documentopener.h"

#include "core/documentview.h"
#include "core/documentwindow.h"
#include "core/mainwindow.h"
#include "core/module1.h"
#include "core/refreshcycle.h"
#include "core/stream/streamsource.h"
#include "core/text/pathtext.h"

#include <QRect>

namespace Orvik {

DocumentOpener::DocumentOpener(Module1 &module)
    : m_module(module) {}

bool DocumentOpener::roomForOneMore() {
    Module1 &m = m_module;
    if (m.DocCount < Module1::MaxDocuments)
        return true;
    if (m.MainForm)
        m.MainForm->showWarning(
            QStringLiteral("Please close some of the currently opened files before adding "
                           "any new ones."),
            QStringLiteral("Too many files opened"));
    return false;
}

std::function<void()> DocumentOpener::busy() {
    MainWindow *main = m_module.MainForm;
    if (main) {
        main->timerUpdate().setEnabled(false);
        main->setBusyPointer(true);
    }
    return [main] {
        if (main) {
            main->timerUpdate().setEnabled(true);
            main->setBusyPointer(false);
        }
    };
}

// Activates the window of the first document `same` accepts; false when there is none.
bool DocumentOpener::activateOpen(const std::function<bool(int slot)> &same) {
    for (int slot = 1; slot <= m_module.DocCount; ++slot) {
        if (same(slot)) {
            if (DocumentWindow *window = m_module.DocWindow[slot])
                window->activate();
            return true;
        }
    }
    return false;
}

void DocumentOpener::OpenDocument(const QString &path) {
    Module1 &m = m_module;
    if (!roomForOneMore())
        return;
    const auto restore = busy();
    const QString wanted = pathComparisonForm(path);
    if (activateOpen([&](int slot) {
            return !m.DocStream[slot] && pathComparisonForm(m.DocFileName[slot]) == wanted;
        })) {
        restore();
        return;
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

void DocumentOpener::OpenStream(const QString &command) {
    Module1 &m = m_module;
    const QString line = command.trimmed();
    if (!roomForOneMore())
        return;
    const auto restore = busy();
    if (activateOpen(
            [&](int slot) { return m.DocStream[slot] && m.DocStream[slot]->command() == line; })) {
        restore();
        return;
    }
    if (!line.isEmpty())
        m.AddToRecentCommands(line);
    if (!NewDocumentWindow()) {
        restore();
        return;
    }
    const int slot = m.DocCount;
    auto source = line.isEmpty() ? std::make_unique<StreamSource>(StreamSource::StandardInputName,
                                                                  m.StandardInput)
                                 : std::make_unique<StreamSource>(line, m.StreamStopGrace);
    const quint64 serial = m.DocSerial[slot];
    RefreshCycle &cycle = m.refreshCycle();
    QObject::connect(source.get(), &StreamSource::more, &cycle,
                     [&cycle, serial] { cycle.notify(serial); });
    m.DocFileName[slot] = source->name();
    m.DocFileTime[slot] = QDateTime();
    m.DocFileSize[slot] = 0;
    m.DocContents[slot] = Contents();
    m.DocStream[slot] = std::move(source);
    m.DocWindow[slot]->setCaption(m.DocFileName[slot]);
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
