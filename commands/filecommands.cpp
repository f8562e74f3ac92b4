#include "filecommands.h"

#include "commandhost.h"
#include "core/module1.h"
#include "dialogs.h"
#include "document/frmdocument.h"
#include "document/merged/frmmerged.h"

#include <QDir>
#include <QMdiArea>
#include <QPrinter>

namespace Orvik {

const QString FileCommands::AllFilesFilter = QStringLiteral("All Files (*.*)");
const QStringList FileCommands::OpenFilters = {QStringLiteral("Log Files (*.log)"),
                                               QStringLiteral("Text Files (*.txt)"),
                                               FileCommands::AllFilesFilter};

FileCommands::FileCommands(CommandHost &host, Dialogs &dialogs)
    : m_host(host)
    , m_dialogs(dialogs) {}

// The limit is checked before the chooser is shown; OpenDocument checks it again.
void FileCommands::open() {
    Module1 &module = m_host.module();
    if (module.DocCount >= Module1::MaxDocuments) {
        m_dialogs.messageBox(
            QStringLiteral(
                "Please close some of the currently opened files before adding any new ones."),
            QStringLiteral("Too many files opened"), Dialogs::Icon::Warning);
        return;
    }
    const QString path =
        m_dialogs.openFileName(QStringLiteral("Open"), OpenFilters, AllFilesFilter);
    if (path.isEmpty())
        return;
    module.OpenDocument(path);
}

void FileCommands::openCommand() {
    Module1 &module = m_host.module();
    if (module.DocCount >= Module1::MaxDocuments) {
        m_dialogs.messageBox(
            QStringLiteral(
                "Please close some of the currently opened files before adding any new ones."),
            QStringLiteral("Too many files opened"), Dialogs::Icon::Warning);
        return;
    }
    const QString command = m_dialogs.commandLine(module.RecentCommands).trimmed();
    if (!command.isEmpty())
        module.OpenCommand(command);
}

// Closes the active document as its close box does, which gives its slot back; or the window
// of all logs when it is the active one.
void FileCommands::close() {
    if (frmDocument *document = m_host.activeDocument())
        document->close();
    else if (auto *merged = qobject_cast<frmMerged *>(m_host.workspace().currentSubWindow()))
        merged->close();
}

// The window keeps following the file it was opened from; only its caption shows the saved
// path, and only once the text is written: a failed save is reported and changes nothing.
void FileCommands::saveAs() {
    frmDocument *document = m_host.activeDocument();
    if (!document)
        return;
    const QString path = m_dialogs.saveFileName(QStringLiteral("Save As"), {AllFilesFilter});
    if (path.isEmpty())
        return;
    QString error;
    if (!document->rtfText().SaveFile(path, 1, &error)) {
        m_dialogs.messageBox(
            QStringLiteral("Could not save %1:\n%2").arg(QDir::toNativeSeparators(path), error),
            QStringLiteral("Save As"), Dialogs::Icon::Critical);
        return;
    }
    document->setCaption(path);
}

// With a selection the dialog offers it, preselected, as the range to print; a range of all
// pages chosen there prints the whole text. Refresh cycles go on while the dialog is open; they
// keep a selection, and without one the caret stays where they put it. A selection that a new
// text (a rotated log) took away is gone: the view's whole text is printed.
void FileCommands::print() {
    if (auto *merged = qobject_cast<frmMerged *>(m_host.workspace().currentSubWindow())) {
        QPrinter printer(QPrinter::HighResolution);
        if (m_dialogs.printDialog(printer, QStringLiteral("Print"), merged->hasSelection()))
            merged->print(printer);
        return;
    }
    frmDocument *document = m_host.activeDocument();
    if (!document)
        return;
    RichTextView &view = document->rtfText();
    const qint64 selLength = view.selLength();
    QPrinter printer(QPrinter::HighResolution);
    if (!m_dialogs.printDialog(printer, QStringLiteral("Print"), selLength > 0))
        return;
    if (view.selLength() == 0 || printer.printRange() == QPrinter::Selection) {
        view.SelPrint(printer); // what the view holds now: its selection, or the whole text
        return;
    }
    view.setSelLength(0); // all pages over a selection
    view.SelPrint(printer);
    view.setSelLength(selLength);
}

void FileCommands::exit() {
    m_host.closeMainWindow();
}

} // namespace Orvik
