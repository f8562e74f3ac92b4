#include "about/frmabout.h"
#include "commands/commands.h"
#include "scripteddialogs.h"
#include "support/filewriter.h"
#include "testhost.h"

#include <QApplication>
#include <QClipboard>
#include <QMdiSubWindow>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

using namespace Orvik;

class tst_WindowCommands : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void copySelectionOrWholeText();
    void copyWithoutDocumentLeavesTheClipboard();
    void barTogglesHideAndShow_data();
    void barTogglesHideAndShow();
    void tileVerticalPlacesWindowsAndCarets();
    void tileHorizontalPlacesWindowsAndCarets();
    void cascadePlacesCarets();
    void arrangeIconsMovesNoCaret();
    void arrangementsWithoutDocuments_data();
    void arrangementsWithoutDocuments();
    void aboutIsModalAndOwnedByTheMainWindow();
    void toolbarKeysRunTheirCommands_data();
    void toolbarKeysRunTheirCommands();

private:
    QString writeFile(const QString &name, const QByteArray &bytes) {
        return m_files->write(name, bytes);
    }
    void openThree();
    void caretsToStart();

    std::unique_ptr<FileWriter> m_files;
    std::unique_ptr<TestHost> m_host;
    std::unique_ptr<ScriptedDialogs> m_dialogs;
    std::unique_ptr<Commands> m_commands;
};

void tst_WindowCommands::init() {
    m_files = std::make_unique<FileWriter>();
    m_host = std::make_unique<TestHost>();
    m_host->show();
    m_dialogs = std::make_unique<ScriptedDialogs>();
    m_commands = std::make_unique<Commands>(*m_host, *m_dialogs);
    QApplication::clipboard()->setText(QStringLiteral("before"));
}

void tst_WindowCommands::cleanup() {
    m_commands.reset();
    m_host.reset();
    m_dialogs.reset();
}

void tst_WindowCommands::openThree() {
    for (int i = 1; i <= 3; ++i) {
        QByteArray text;
        for (int line = 0; line < 50 * i; ++line)
            text +=
                "line " + QByteArray::number(line) + " of document " + QByteArray::number(i) + "\n";
        m_host->module().OpenDocument(writeFile(QStringLiteral("d%1.log").arg(i), text));
    }
    QCOMPARE(m_host->module().DocCount, 3);
}

void tst_WindowCommands::caretsToStart() {
    for (int slot = 1; slot <= m_host->module().DocCount; ++slot)
        m_host->document(slot)->rtfText().setSelStart(0);
    m_host->timer.enabledHistory.clear();
    m_host->busyHistory.clear();
}

void tst_WindowCommands::copySelectionOrWholeText() {
    // UTF-8 text is copied as the view shows it, decoded.
    m_host->module().OpenDocument(writeFile("a.log", "caf\xc3\xa9 one\nsecond\n"));
    RichTextView &view = m_host->document(1)->rtfText();
    view.setSelStart(0);
    view.setSelLength(5);
    m_commands->mnuEditCopy_Click();
    QCOMPARE(QApplication::clipboard()->text(), QString::fromUtf8("café"));

    view.setSelStart(0);
    m_commands->mnuEditCopy_Click();
    QCOMPARE(QApplication::clipboard()->text(), QString::fromUtf8("café one\nsecond\n"));

    // Too large for the clipboard: a message, and the clipboard as it was.
    WindowCommands::setClipboardLimit(10);
    QApplication::clipboard()->setText(QStringLiteral("before"));
    m_commands->mnuEditCopy_Click();
    WindowCommands::setClipboardLimit(INT_MAX);
    QCOMPARE(m_dialogs->count("message"), 1);
    QVERIFY(m_dialogs->last().text.contains(QStringLiteral("too large")));
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("before"));
}

void tst_WindowCommands::copyWithoutDocumentLeavesTheClipboard() {
    m_commands->mnuEditCopy_Click();
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("before"));
}

void tst_WindowCommands::barTogglesHideAndShow_data() {
    QTest::addColumn<bool>("statusBar");
    QTest::addColumn<bool>("menuFlipsFirst"); // a checkable action already toggled by the menu
    QTest::newRow("toolbar") << false << false;
    QTest::newRow("status bar") << true << false;
    QTest::newRow("toolbar, action toggled by the menu") << false << true;
    QTest::newRow("status bar, action toggled by the menu") << true << true;
}

void tst_WindowCommands::barTogglesHideAndShow() {
    QFETCH(bool, statusBar);
    QFETCH(bool, menuFlipsFirst);
    QAction &item = statusBar ? m_host->mnuViewStatusBar() : m_host->mnuViewToolbar();
    QWidget &bar = statusBar ? static_cast<QWidget &>(m_host->sbStatusBar())
                             : static_cast<QWidget &>(m_host->tbToolBar());
    auto click = [&] {
        if (menuFlipsFirst)
            item.setChecked(!item.isChecked());
        statusBar ? m_commands->mnuViewStatusBar_Click() : m_commands->mnuViewToolbar_Click();
    };
    QVERIFY(item.isChecked() && bar.isVisible());
    click();
    QVERIFY(!item.isChecked());
    QVERIFY(!bar.isVisible());
    click();
    QVERIFY(item.isChecked());
    QVERIFY(bar.isVisible());
    QVERIFY(m_host->timer.enabledHistory.empty());
}

void tst_WindowCommands::tileVerticalPlacesWindowsAndCarets() {
    openThree();
    caretsToStart();
    m_commands->mnuWindowTileVertical_Click();
    const QRect room = m_host->workspace().viewport()->rect();
    int left = 0;
    for (int slot = 1; slot <= 3; ++slot) {
        frmDocument *document = m_host->document(slot);
        QCOMPARE(document->geometry().left(), left);
        QCOMPARE(document->geometry().height(), room.height());
        left += document->geometry().width();
        QCOMPARE(document->rtfText().selStart(), m_host->module().DocFileSize[slot]);
    }
    QCOMPARE(left, room.width());
    QCOMPARE(m_host->timer.enabledHistory, (std::vector<bool>{false, true}));
    QCOMPARE(m_host->busyHistory, (std::vector<bool>{true, false}));
}

void tst_WindowCommands::tileHorizontalPlacesWindowsAndCarets() {
    openThree();
    m_host->document(2)->showMinimized();
    caretsToStart();
    m_commands->mnuWindowTileHorizontal_Click();
    const QRect room = m_host->workspace().viewport()->rect();
    QVERIFY(m_host->document(2)->isMinimized());
    QCOMPARE(m_host->document(1)->geometry().top(), 0);
    QCOMPARE(m_host->document(1)->geometry().width(), room.width());
    QCOMPARE(m_host->document(3)->geometry().top(), m_host->document(1)->geometry().bottom() + 1);
    QCOMPARE(m_host->document(2)->geometry().bottom(), room.bottom());
    for (int slot = 1; slot <= 3; ++slot)
        QCOMPARE(m_host->document(slot)->rtfText().selStart(), m_host->module().DocFileSize[slot]);
    QCOMPARE(m_host->timer.enabledHistory, (std::vector<bool>{false, true}));
}

void tst_WindowCommands::cascadePlacesCarets() {
    openThree();
    caretsToStart();
    m_commands->mnuWindowCascade_Click();
    QVERIFY(m_host->document(2)->geometry().topLeft() != m_host->document(1)->geometry().topLeft());
    for (int slot = 1; slot <= 3; ++slot)
        QCOMPARE(m_host->document(slot)->rtfText().selStart(), m_host->module().DocFileSize[slot]);
    QCOMPARE(m_host->timer.enabledHistory, (std::vector<bool>{false, true}));
}

void tst_WindowCommands::arrangeIconsMovesNoCaret() {
    openThree();
    m_host->document(1)->showMinimized();
    m_host->document(3)->showMinimized();
    caretsToStart();
    m_commands->mnuWindowArrangeIcons_Click();
    const QRect room = m_host->workspace().viewport()->rect();
    QCOMPARE(m_host->document(1)->geometry().bottom(), room.bottom());
    QCOMPARE(m_host->document(1)->x(), 0);
    QCOMPARE(m_host->document(3)->x(), m_host->document(1)->geometry().right() + 1);
    for (int slot = 1; slot <= 3; ++slot)
        QCOMPARE(m_host->document(slot)->rtfText().selStart(), 0);
    QCOMPARE(m_host->timer.enabledHistory, (std::vector<bool>{false, true}));
    QCOMPARE(m_host->busyHistory, (std::vector<bool>{true, false}));
}

void tst_WindowCommands::arrangementsWithoutDocuments_data() {
    QTest::addColumn<QString>("key");
    QTest::newRow("cascade") << "cascade";
    QTest::newRow("tile horizontal") << "horizontal";
    QTest::newRow("tile vertical") << "vertical";
    QTest::newRow("arrange icons") << "icons";
}

void tst_WindowCommands::arrangementsWithoutDocuments() {
    QFETCH(QString, key);
    m_host->timer.setEnabled(false);
    if (key == "cascade")
        m_commands->mnuWindowCascade_Click();
    else if (key == "horizontal")
        m_commands->mnuWindowTileHorizontal_Click();
    else if (key == "vertical")
        m_commands->mnuWindowTileVertical_Click();
    else
        m_commands->mnuWindowArrangeIcons_Click();
    QVERIFY(m_host->timer.isEnabled());
    QVERIFY(!m_host->busy);
}

void tst_WindowCommands::aboutIsModalAndOwnedByTheMainWindow() {
    QString caption;
    QWidget *owner = nullptr;
    bool modal = false;
    QTimer::singleShot(0, this, [&] {
        auto *about = qobject_cast<frmAbout *>(QApplication::activeModalWidget());
        QVERIFY(about);
        caption = about->windowTitle();
        owner = about->parentWidget();
        modal = about->isModal();
        about->cmdOK_Click();
    });
    m_commands->mnuHelpAbout_Click();
    QCOMPARE(caption, QStringLiteral("Orvik Version 1.0.0"));
    QCOMPARE(owner, static_cast<QWidget *>(m_host.get()));
    QVERIFY(modal);
    QVERIFY(m_host->findChildren<frmAbout *>().isEmpty());
    QVERIFY(m_host->timer.enabledHistory.empty());
}

void tst_WindowCommands::toolbarKeysRunTheirCommands_data() {
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("ran");
    QTest::newRow("Open") << "Open"
                          << "open Open";
    QTest::newRow("Save") << "Save"
                          << "save Save As";
    QTest::newRow("Print") << "Print"
                           << "print Print";
    QTest::newRow("Copy") << "Copy"
                          << "copy";
    QTest::newRow("Cascade") << "Cascade"
                             << "cascade";
    QTest::newRow("Tile Horizontally") << "Tile Horizontally"
                                       << "horizontal";
    QTest::newRow("Tile Vertically") << "Tile Vertically"
                                     << "vertical";
    QTest::newRow("Refresh opens the interval prompt") << "Refresh"
                                                       << "input Refresh Interval";
    QTest::newRow("Font") << "Font"
                          << "font";
    QTest::newRow("unknown key") << "Help"
                                 << "";
    QTest::newRow("keys are case-sensitive") << "open"
                                             << "";
    QTest::newRow("menu caption is no key") << "Tile Horizontal"
                                            << "";
    QTest::newRow("empty key of a separator") << ""
                                              << "";
}

// What a command did, told apart by its dialog, the clipboard or the windows' layout.
void tst_WindowCommands::toolbarKeysRunTheirCommands() {
    QFETCH(QString, key);
    QFETCH(QString, ran);
    openThree();
    m_host->document(1)->activate();
    m_host->module().RefreshDocuments(0);
    const QString panel1 = m_host->sbStatusBar().panelText(1);
    m_host->timer.enabledHistory.clear();

    m_commands->tbToolBar_ButtonClick(key);

    QStringList what;
    for (const ScriptedDialogs::Call &call : m_dialogs->calls)
        what << (call.title.isEmpty() ? call.kind : call.kind + " " + call.title);
    if (QApplication::clipboard()->text() != QStringLiteral("before"))
        what << "copy";
    if (!m_host->timer.enabledHistory.empty() && m_dialogs->calls.empty()) {
        const QRect room = m_host->workspace().viewport()->rect();
        const QRect first = m_host->document(1)->geometry();
        if (first.width() == room.width())
            what << "horizontal";
        else if (first.height() == room.height())
            what << "vertical";
        else
            what << "cascade";
    }
    QCOMPARE(what.join(", "), ran);
    // No key refreshes the documents.
    QCOMPARE(m_host->sbStatusBar().panelText(1), panel1);
}

QTEST_MAIN(tst_WindowCommands)
#include "tst_windowcommands.moc"
