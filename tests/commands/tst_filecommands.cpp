#include "commands/commands.h"
#include "scripteddialogs.h"
#include "support/filewriter.h"
#include "testhost.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using namespace Orvik;

class tst_FileCommands : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void openOffersTheThreeFilters();
    void openRefusesAnEleventhDocument();
    void openOpensTheTenth();
    void openCancelledChangesNothing();

    void closeClosesTheActiveDocument();
    void closeWithoutDocumentDoesNothing();

    void saveAsWritesThePlainTextAndShowsThePath();
    void saveAsCancelledChangesNothing();
    void saveAsFailureIsReportedAndChangesNothing();
    void withoutDocumentSaveAsAndPrintDoNothing();

    void printSelectionOrWholeText_data();
    void printSelectionOrWholeText();
    void printCancelledPrintsNothing();
    void printWhileTheFileGrows_data();
    void printWhileTheFileGrows();

    void exitClosesTheMainWindow();

private:
    QString writeFile(const QString &name, const QByteArray &bytes) {
        return m_files->write(name, bytes);
    }
    void openFiles(int count);
    static QString pdfText(const QString &path);

    std::unique_ptr<FileWriter> m_files;
    std::unique_ptr<TestHost> m_host;
    std::unique_ptr<ScriptedDialogs> m_dialogs;
    std::unique_ptr<Commands> m_commands;
};

void tst_FileCommands::init() {
    m_files = std::make_unique<FileWriter>();
    m_host = std::make_unique<TestHost>();
    m_host->show();
    m_dialogs = std::make_unique<ScriptedDialogs>();
    m_commands = std::make_unique<Commands>(*m_host, *m_dialogs);
}

void tst_FileCommands::cleanup() {
    m_commands.reset();
    m_host.reset();
    m_dialogs.reset();
}

void tst_FileCommands::openFiles(int count) {
    for (int i = 1; i <= count; ++i)
        m_host->module().OpenDocument(writeFile(QStringLiteral("f%1.log").arg(i), "line\n"));
    QCOMPARE(m_host->module().DocCount, count);
}

QString tst_FileCommands::pdfText(const QString &path) {
    QProcess pdftotext;
    pdftotext.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), path, "-"});
    if (!pdftotext.waitForFinished(60000))
        return QStringLiteral("<pdftotext failed>");
    return QString::fromUtf8(pdftotext.readAllStandardOutput());
}

void tst_FileCommands::openOffersTheThreeFilters() {
    m_commands->mnuFileOpen_Click();
    QCOMPARE(m_dialogs->count("open"), 1);
    QCOMPARE(m_dialogs->last().title, QStringLiteral("Open"));
    QCOMPARE(m_dialogs->last().filters,
             (QStringList{"Log Files (*.log)", "Text Files (*.txt)", "All Files (*.*)"}));
    QCOMPARE(m_dialogs->last().selectedFilter, QStringLiteral("All Files (*.*)"));
}

void tst_FileCommands::openRefusesAnEleventhDocument() {
    openFiles(10);
    m_dialogs->openReplies = {writeFile("eleventh.log", "x\n")};
    m_commands->mnuFileOpen_Click();
    QCOMPARE(m_dialogs->count("open"), 0);
    QCOMPARE(m_dialogs->count("message"), 1);
    QCOMPARE(m_dialogs->last().text,
             QStringLiteral(
                 "Please close some of the currently opened files before adding any new ones."));
    QCOMPARE(m_dialogs->last().title, QStringLiteral("Too many files opened"));
    QCOMPARE(m_dialogs->last().icon, Dialogs::Icon::Warning);
    QCOMPARE(m_host->module().DocCount, 10);
}

void tst_FileCommands::openOpensTheTenth() {
    openFiles(9);
    const QString tenth = writeFile("tenth.log", "tenth\n");
    m_dialogs->openReplies = {tenth};
    m_commands->mnuFileOpen_Click();
    QCOMPARE(m_dialogs->count("message"), 0);
    QCOMPARE(m_host->module().DocCount, 10);
    QCOMPARE(m_host->module().DocFileName[10], tenth);
    QCOMPARE(m_host->document(10)->rtfText().plainText(), QStringLiteral("tenth\n"));
}

void tst_FileCommands::openCancelledChangesNothing() {
    openFiles(9);
    m_commands->mnuFileOpen_Click(); // no reply: cancelled
    QCOMPARE(m_dialogs->count("open"), 1);
    QCOMPARE(m_host->module().DocCount, 9);
    // The next Open still allows the tenth.
    m_dialogs->openReplies = {writeFile("tenth.log", "tenth\n")};
    m_commands->mnuFileOpen_Click();
    QCOMPARE(m_host->module().DocCount, 10);
}

void tst_FileCommands::closeClosesTheActiveDocument() {
    openFiles(3);
    m_host->document(2)->activate();
    QCOMPARE(m_host->activeDocument(), m_host->document(2));
    const QString third = m_host->module().DocFileName[3];
    m_commands->mnuFileClose_Click();
    QCOMPARE(m_host->module().DocCount, 2);
    QCOMPARE(m_host->module().DocFileName[2], third);
    QCOMPARE(m_host->document(2)->tag(), QStringLiteral("2"));
    QCOMPARE(m_host->workspace().subWindowList().size(), 2);
}

void tst_FileCommands::closeWithoutDocumentDoesNothing() {
    m_commands->mnuFileClose_Click();
    QCOMPARE(m_host->module().DocCount, 0);
    QCOMPARE(m_host->closeRequests, 0);
}

void tst_FileCommands::saveAsWritesThePlainTextAndShowsThePath() {
    const QString source = writeFile("app.log", "first line\nsecond line\n");
    m_host->module().OpenDocument(source);
    const QString target = m_files->path("copy.txt");
    m_dialogs->saveReplies = {target};
    m_commands->mnuFileSaveAs_Click();

    QCOMPARE(m_dialogs->last().kind, QStringLiteral("save"));
    QCOMPARE(m_dialogs->last().title, QStringLiteral("Save As"));
    QCOMPARE(m_dialogs->last().filters, QStringList{"All Files (*.*)"});
    QFile saved(target);
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QCOMPARE(saved.readAll(), QByteArray("first line\nsecond line\n"));
    QCOMPARE(m_host->document(1)->caption(), target);

    // The window still follows the file it was opened from, which is untouched.
    QCOMPARE(m_host->module().DocFileName[1], source);
    QFile more(source);
    QVERIFY(more.open(QIODevice::Append));
    more.write("third line\n");
    more.close();
    m_host->module().RefreshDocuments(0);
    QVERIFY(m_host->document(1)->caption().startsWith(source + " - "));
    QVERIFY(m_host->document(1)->rtfText().plainText().endsWith("third line\n"));
}

void tst_FileCommands::saveAsCancelledChangesNothing() {
    m_host->module().OpenDocument(writeFile("app.log", "x\n"));
    const QString caption = m_host->document(1)->caption();
    m_commands->mnuFileSaveAs_Click();
    QCOMPARE(m_dialogs->count("save"), 1);
    QCOMPARE(m_host->document(1)->caption(), caption);
    QCOMPARE(m_dialogs->count("message"), 0);
}

void tst_FileCommands::saveAsFailureIsReportedAndChangesNothing() {
    m_host->module().OpenDocument(writeFile("app.log", "x\n"));
    const QString caption = m_host->document(1)->caption();
    const QString target = m_files->path("no such folder/copy.txt");
    m_dialogs->saveReplies = {target};
    m_commands->mnuFileSaveAs_Click();

    QCOMPARE(m_dialogs->count("message"), 1);
    const ScriptedDialogs::Call &message = m_dialogs->last();
    QVERIFY2(message.text.contains(target), qPrintable(message.text));
    const QString reason = message.text.mid(message.text.indexOf('\n') + 1);
    QVERIFY2(message.text.contains('\n') && !reason.trimmed().isEmpty(), qPrintable(message.text));
    QCOMPARE(message.title, QStringLiteral("Save As"));
    QCOMPARE(message.icon, Dialogs::Icon::Critical);
    QCOMPARE(m_host->document(1)->caption(), caption);
    QVERIFY(!QFile::exists(target));
}

void tst_FileCommands::withoutDocumentSaveAsAndPrintDoNothing() {
    m_commands->mnuFileSaveAs_Click();
    m_commands->mnuFilePrint_Click();
    QVERIFY(m_dialogs->calls.empty());
}

void tst_FileCommands::printSelectionOrWholeText_data() {
    QTest::addColumn<bool>("select");
    QTest::addColumn<std::optional<QPrinter::PrintRange>>("range");
    QTest::addColumn<bool>("offered");
    QTest::addColumn<QStringList>("printed");
    QTest::addColumn<QStringList>("notPrinted");

    QTest::newRow("selection offered and printed")
        << true << std::optional<QPrinter::PrintRange>() << true << QStringList{"BRAVO"}
        << QStringList{"ALPHA", "CHARLIE"};
    QTest::newRow("no selection prints the whole text")
        << false << std::optional<QPrinter::PrintRange>() << false
        << QStringList{"ALPHA", "BRAVO", "CHARLIE"} << QStringList();
    QTest::newRow("all pages chosen over a selection prints the whole text")
        << true << std::optional<QPrinter::PrintRange>(QPrinter::AllPages) << true
        << QStringList{"ALPHA", "BRAVO", "CHARLIE"} << QStringList();
}

void tst_FileCommands::printSelectionOrWholeText() {
    QFETCH(bool, select);
    QFETCH(std::optional<QPrinter::PrintRange>, range);
    QFETCH(bool, offered);
    QFETCH(QStringList, printed);
    QFETCH(QStringList, notPrinted);

    m_host->module().OpenDocument(writeFile("app.log", "ALPHA one\nBRAVO two\nCHARLIE three\n"));
    RichTextView &view = m_host->document(1)->rtfText();
    if (select) {
        view.setSelStart(10);
        view.setSelLength(9);
        QCOMPARE(view.selectedPlainText(), QStringLiteral("BRAVO two"));
    }
    const QString pdf = m_files->path("out.pdf");
    m_dialogs->printReplies.push_back({true, pdf, range});
    m_commands->mnuFilePrint_Click();

    QCOMPARE(m_dialogs->last().kind, QStringLiteral("print"));
    QCOMPARE(m_dialogs->last().title, QStringLiteral("Print"));
    QCOMPARE(m_dialogs->last().offerSelection, offered);
    const QString text = pdfText(pdf);
    for (const QString &word : std::as_const(printed))
        QVERIFY2(text.contains(word), qPrintable(text));
    for (const QString &word : std::as_const(notPrinted))
        QVERIFY2(!text.contains(word), qPrintable(text));
    // The selection the user made is still there.
    QCOMPARE(view.selLength(), select ? 9 : 0);
}

void tst_FileCommands::printCancelledPrintsNothing() {
    m_host->module().OpenDocument(writeFile("app.log", "ALPHA\n"));
    m_commands->mnuFilePrint_Click(); // no reply: cancelled
    QCOMPARE(m_dialogs->count("print"), 1);
    QCOMPARE(m_dialogs->count("message"), 0);
    QCOMPARE(QDir(m_files->folder()).entryList({"*.pdf"}), QStringList());
}

void tst_FileCommands::printWhileTheFileGrows_data() {
    QTest::addColumn<bool>("select");
    QTest::newRow("the selection is kept and printed") << true;
    QTest::newRow("without one the caret stays at the new end") << false;
}

void tst_FileCommands::printWhileTheFileGrows() {
    QFETCH(bool, select);
    const QString path = writeFile("live.log", "ALPHA one\nBRAVO two\n");
    m_host->module().OpenDocument(path);
    RichTextView &view = m_host->document(1)->rtfText();
    view.setSelStart(10);
    view.setSelLength(select ? 5 : 0);
    // A tick while the dialog is open: the log grows.
    m_dialogs->whileOpen = [&](const QString &) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::Append));
        file.write("CHARLIE three\n");
        file.close();
        m_host->module().RefreshDocuments(0);
    };
    const QString pdf = m_files->path("out.pdf");
    m_dialogs->printReplies.push_back({true, pdf, {}});
    m_commands->mnuFilePrint_Click();
    const QString text = pdfText(pdf);
    QCOMPARE(text.contains("ALPHA") && text.contains("CHARLIE"), !select);
    QVERIFY2(text.contains("BRAVO"), qPrintable(text));
    QCOMPARE(view.selStart(), qint64(select ? 10 : 34));
    QCOMPARE(view.selLength(), qint64(select ? 5 : 0));
}

void tst_FileCommands::exitClosesTheMainWindow() {
    m_commands->mnuFileExit_Click();
    QCOMPARE(m_host->closeRequests, 1);
    QVERIFY(!m_host->isVisible());
    QVERIFY(m_dialogs->calls.empty());
}

QTEST_MAIN(tst_FileCommands)
#include "tst_filecommands.moc"
