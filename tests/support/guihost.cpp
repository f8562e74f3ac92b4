#include "guihost.h"

#include "core/refreshcycle.h"

#include <QFile>
#include <QImage>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QProcess>
#include <QStandardPaths>
#include <QToolBar>

namespace Orvik {

GuiHost::GuiHost() {
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
    resize(1000, 700);
}

GuiHost::~GuiHost() {
    // The windows go first, giving their slots back while the module still exists.
    for (QMdiSubWindow *window : m_workspace->subWindowList())
        delete window;
    m_module.MainForm = nullptr;
}

DocumentWindow *GuiHost::createDocumentWindow() {
    auto *document = new frmDocument(m_module);
    m_workspace->addSubWindow(document);
    document->show();
    return document;
}

frmDocument *GuiHost::activeDocument() {
    return qobject_cast<frmDocument *>(m_workspace->activeSubWindow());
}

QString GuiHost::open(const QString &name) {
    m_module.OpenDocument(files.path(name));
    m_module.refreshCycle().waitForIdle();
    return files.path(name);
}

void GuiHost::cycle() {
    clock.advance(1);
    m_module.RefreshDocuments(0);
    m_module.refreshCycle().waitForIdle();
    for (int slot = 1; slot <= m_module.DocCount; ++slot) {
        view(slot).updateGeometryNow();
        view(slot).topOffset();
    }
}

void GuiHost::paint() {
    for (int slot = 1; slot <= m_module.DocCount; ++slot)
        (void)document(slot)->grab();
}

QString viewDiffersFromFile(const RichTextView &view, const QString &path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("cannot open ") + path;
    const QByteArray onDisk = file.readAll();
    const QByteArray shown = view.text().toByteArray();
    if (shown == onDisk)
        return QString();
    qsizetype i = 0;
    while (i < shown.size() && i < onDisk.size() && shown[i] == onDisk[i])
        ++i;
    return QStringLiteral("view has %1 bytes, file %2, first difference at byte %3")
        .arg(shown.size())
        .arg(onDisk.size())
        .arg(i);
}

QString pdfText(const QString &pdf) {
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
        return QString();
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    if (!p.waitForFinished(30000) || p.exitCode() != 0)
        return QStringLiteral("<pdftotext failed>");
    return QString::fromUtf8(p.readAllStandardOutput());
}

int redPixels(const QImage &image) {
    int red = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            red += c.red() > 200 && c.green() < 90 && c.blue() < 90;
        }
    }
    return red;
}

} // namespace Orvik
