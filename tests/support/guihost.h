#pragma once

#include "fakes.h"
#include "filewriter.h"

#include "commands/commandhost.h"
#include "core/module1.h"
#include "document/frmdocument.h"
#include "document/view/richtextview.h"

#include <QAction>
#include <QMainWindow>
#include <QStatusBar>
#include <QToolBar>
#include <QtTest>

class QImage;
class QMdiArea;

namespace Orvik {

// A status bar whose panels are plain texts.
class TestStatusBar : public QStatusBar, public StatusPanels {
public:
    QString panelText(int index) const override { return m_texts.at(index); }
    void setPanelText(int index, const QString &text) override { m_texts.at(index) = text; }

private:
    std::array<QString, 5> m_texts;
};

// The stand-in for the main window: real document windows (frmDocument) in a workspace, over
// the real file system with injectable faults and a clock that moves only when told; a
// toolbar and a status bar with their View menu toggles, a timer and MRU menu that only
// record, the busy pointer's history and the warnings shown. It is MainForm of its own Module1
// and the host of the commands. Nothing waits on a timer: cycle() runs the refresh directly,
// and with background cycles waits until the workers' outcomes are applied.
class GuiHost : public QMainWindow, public MainWindow, public CommandHost {
public:
    GuiHost();
    ~GuiHost() override;

    // MainWindow
    UpdateTimer &timerUpdate() override { return timer; }
    TestStatusBar &sbStatusBar() override { return *m_statusBar; }
    MruMenu &mruMenu() override { return mru; }
    DocumentWindow *createDocumentWindow() override;
    QSize outerSizePixels() const override { return frameGeometry().size(); }
    void setBusyPointer(bool busy) override { busyHistory.push_back(busy); }
    void showWarning(const QString &text, const QString &title) override {
        warnings.push_back({text, title});
    }
    void documentAlert(DocumentWindow &window, const QString &path, const QString &line) override {
        Q_UNUSED(window);
        alerts.push_back(path + QStringLiteral(": ") + line);
    }

    // CommandHost
    Module1 &module() override { return m_module; }
    frmDocument *activeDocument() override;
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
    RichTextView &view(int slot) { return document(slot)->rtfText(); }
    // Opens `name` in the files' folder and waits until it is read; gives its path.
    QString open(const QString &name);
    // One refresh cycle a second later, then what a paint would ask of every view.
    void cycle();
    // Paints every document window, so layout and painting meet the bytes the views hold.
    void paint();

    FaultyFileSystem fs;
    FakeClock clock;
    FileWriter files;
    FakeUpdateTimer timer;
    FakeMruMenu mru;
    std::vector<bool> busyHistory;
    std::vector<FakeMainWindow::Warning> warnings;
    QStringList alerts; // "PATH: LINE" of each alert raised
    int closeRequests = 0;

private:
    Module1 m_module{fs, clock};
    QMdiArea *m_workspace = nullptr;
    QToolBar *m_toolBar = nullptr;
    TestStatusBar *m_statusBar = nullptr;
    QAction m_mnuViewToolbar{QStringLiteral("&Toolbar")};
    QAction m_mnuViewStatusBar{QStringLiteral("Status &Bar")};
};

// Why the view differs from the file's bytes on disk now ("" when it holds exactly them).
QString viewDiffersFromFile(const RichTextView &view, const QString &path);
// The text pdftotext finds in a PDF; a null string where pdftotext is not installed.
QString pdfText(const QString &pdf);
// The number of clearly red pixels (the highlight colour) in the image.
int redPixels(const QImage &image);

} // namespace Orvik

// Fails the test unless the view of `slot` holds exactly the bytes of its file.
#define VERIFY_VIEW_EQUALS_FILE(host, slot)                                                        \
    do {                                                                                           \
        const QString why_ =                                                                       \
            viewDiffersFromFile((host).view(slot), (host).module().DocFileName[slot]);             \
        QVERIFY2(why_.isEmpty(), qPrintable(QStringLiteral("slot %1: ").arg(slot) + why_));        \
    } while (false)

// Reads a PDF's text into `var`, or skips the test where pdftotext is missing.
#define PDF_TEXT_OR_SKIP(var, pdf)                                                                 \
    const QString var = pdfText(pdf);                                                              \
    if (var.isNull())                                                                              \
    QSKIP("pdftotext is not installed (package poppler-utils)")
