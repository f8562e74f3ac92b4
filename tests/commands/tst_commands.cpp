// The commands behind the menus and the toolbar, on a host with real document windows over
// real files and dialogs that answer from scripts and record every question.
#include "about/frmabout.h"
#include "commands/commands.h"
#include "commands/dialogs.h"
#include "commands/frmfind.h"
#include "document/filedrop.h"
#include "document/filter/filterpane.h"
#include "support/guihost.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMimeData>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QUrl>
#include <QtTest>

#include <deque>
#include <functional>

using namespace Orvik;
using Range = std::optional<QPrinter::PrintRange>;

// A search: the text, the selection before it, what is looked for (empty: the selection), the
// selection, wrap note and messages it ends with, and the file's bytes before a second search
// or, `during`, while the search runs (null: none).
struct FindCase {
    QByteArray text;
    qint64 selStart, selLength;
    QString find;
    qint64 offset, length; // offset -1: not found
    QString note = {};
    int messages = 0;
    bool matchCase = false, up = false;
    QByteArray later = {};
    bool during = false;
};
Q_DECLARE_METATYPE(FindCase)
// The highlight before, the replies (none: cancelled), the highlight after, whether it refreshed.
using HighlightCase = std::tuple<QString, QStringList, QString, bool>;
Q_DECLARE_METATYPE(HighlightCase)
// Documents open, the size chosen (0: cancelled), the size set.
using FontCase = std::tuple<int, double, int>;
Q_DECLARE_METATYPE(FontCase)
// A selection, the range chosen, the log written while the dialog is open (null: none), the
// lines printed.
using PrintCase = std::tuple<bool, Range, QByteArray, QString>;
Q_DECLARE_METATYPE(PrintCase)

namespace {
// Answers from scripts, an exhausted one as a cancelled dialog does; records every question.
struct ScriptedDialogs : Dialogs {
    struct Call {
        QString kind, title, text, defaultText;
        QStringList filters;
        QString selectedFilter;
        Icon icon = Icon::None;
        bool offerSelection = false;
    };
    std::deque<QString> inputReplies, openReplies, saveReplies;
    std::deque<std::optional<FontChoice>> fontReplies;
    std::deque<std::pair<QString, Range>> printReplies; // the PDF written and the range chosen
    std::vector<Call> calls;
    std::function<void()> whileOpen; // looks at the program's state while a dialog is open

    int count(const QString &kind) const {
        return int(
            std::count_if(calls.begin(), calls.end(), [&](auto &c) { return c.kind == kind; }));
    }
    const Call &last() const { return calls.back(); }
    template <typename T> T ask(const Call &call, std::deque<T> &replies) {
        calls.push_back(call);
        if (whileOpen)
            whileOpen();
        const T reply = replies.empty() ? T() : replies.front();
        if (!replies.empty())
            replies.pop_front();
        return reply;
    }

    QString inputBox(const QString &prompt, const QString &title, const QString &def) override {
        return ask({"input", title, prompt, def}, inputReplies);
    }
    void messageBox(const QString &text, const QString &title, Icon icon) override {
        calls.push_back({"message", title, text, {}, {}, {}, icon});
    }
    QString openFileName(const QString &title, const QStringList &filters,
                         const QString &selectedFilter) override {
        return ask({"open", title, {}, {}, filters, selectedFilter}, openReplies);
    }
    QString saveFileName(const QString &title, const QStringList &filters) override {
        return ask({"save", title, {}, {}, filters}, saveReplies);
    }
    bool printDialog(QPrinter &printer, const QString &title, bool offerSelection) override {
        const auto [pdf, range] =
            ask({"print", title, {}, {}, {}, {}, {}, offerSelection}, printReplies);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        printer.setPrintRange(
            range.value_or(offerSelection ? QPrinter::Selection : QPrinter::AllPages));
        return !pdf.isEmpty();
    }
    std::optional<FontChoice> chooseFont() override { return ask({"font"}, fontReplies); }
    std::deque<std::optional<std::vector<HighlightRule>>> rulesReplies;
    std::optional<std::vector<HighlightRule>>
    editRules(const std::vector<HighlightRule> &rules) override {
        rulesShown = rules;
        return ask({"rules"}, rulesReplies);
    }
    std::vector<HighlightRule> rulesShown;
};

} // namespace

class tst_Commands : public QObject {
    Q_OBJECT

    std::unique_ptr<GuiHost> m_host;
    std::unique_ptr<ScriptedDialogs> m_dialogs;
    std::unique_ptr<Commands> m_commands;

    Module1 &module() { return m_host->module(); }
    frmDocument *document(int slot) { return m_host->document(slot); }
    QString write(const QString &name, const QByteArray &bytes = "line\n") {
        return m_host->files.write(name, bytes);
    }
    // `count` documents of different lengths with their carets at the start.
    void open(int count) {
        for (int i = 1; i <= count; ++i) {
            module().OpenDocument(write(QStringLiteral("d%1.log").arg(i),
                                        QByteArray(i * 4, 'x').replace("xxxx", "line\n")));
            document(i)->rtfText().setSelStart(0);
        }
        QCOMPARE(module().DocCount, count);
        m_host->timer.enabledHistory.clear();
        m_host->busyHistory.clear();
    }
    void drop(const QStringList &paths) {
        QMimeData data;
        for (const QString &path : paths)
            data.setUrls(data.urls() << QUrl::fromLocalFile(path));
        DropFiles(module(), &data);
    }

    RichTextView &openFind(const QByteArray &text) {
        module().OpenDocument(write(QStringLiteral("find.log"), text));
        return document(1)->rtfText();
    }
    frmFind &findWindow() {
        m_commands->mnuEditFind_Click();
        return *m_commands->findCommands().findWindow();
    }
    void search(const QString &text, bool matchCase, bool up) {
        frmFind &find = findWindow();
        if (!text.isEmpty())
            find.setFindWhat(text);
        find.findChild<QCheckBox *>(QStringLiteral("chkMatchCase"))->setChecked(matchCase);
        find.findChild<QRadioButton *>(up ? QStringLiteral("optUp") : QStringLiteral("optDown"))
            ->setChecked(true);
        find.findChild<QPushButton *>(QStringLiteral("cmdFindNext"))->click();
    }

private slots:
    void init() {
        m_host = std::make_unique<GuiHost>();
        m_host->show();
        m_dialogs = std::make_unique<ScriptedDialogs>();
        m_commands = std::make_unique<Commands>(*m_host, *m_dialogs);
        QApplication::clipboard()->setText(QStringLiteral("before"));
    }
    void cleanup() {
        m_commands.reset();
        m_host.reset();
    }

    void highlight_data() {
        QTest::addColumn<HighlightCase>("c");
        QTest::newRow("cancel clears a set highlight") << HighlightCase{"error", {}, "", true};
        QTest::newRow("cancel, no highlight: no change") << HighlightCase{"", {}, "", false};
        QTest::newRow("the same text: no change") << HighlightCase{"error", {"error"}, "error", 0};
        QTest::newRow("another case: a change") << HighlightCase{"error", {"ERROR"}, "ERROR", 1};
        QTest::newRow("stored as typed") << HighlightCase{"", {"  warn "}, "  warn ", true};
    }
    void highlight() {
        QFETCH(HighlightCase, c);
        const auto &[before, replies, after, refreshed] = c;
        module().OpenDocument(write("a.log", "ok\nan Error\nx  WARN y\n"));
        m_host->sbStatusBar().setPanelText(1, QString());
        module().HighLightString = before;
        m_dialogs->inputReplies.assign(replies.begin(), replies.end());
        m_commands->mnuHighlightText_Click();
        const ScriptedDialogs::Call &box = m_dialogs->last();
        QCOMPARE(box.text + '|' + box.title + '|' + box.defaultText,
                 "Type in the text to highlight|Case-Insensitive Highlight|");
        QCOMPARE(module().HighLightString, after);
        if (refreshed)
            QCOMPARE(document(1)->rtfText().marks().isEmpty(), after.isEmpty());
        // A refresh cycle always writes how long it took into panel 1.
        QCOMPARE(!m_host->sbStatusBar().panelText(1).isEmpty(), refreshed);
        QVERIFY(!module().HighLightPending);
    }

    void highlightRules_data() {
        QTest::addColumn<bool>("cancelled");
        QTest::addColumn<QStringList>("edited"); // rules as text
        QTest::addColumn<QByteArray>("marked");  // the colours shown: 'x' a rule's, '.' none
        const QString error = "\"error\",0,0,#0000ff,0,0";
        QTest::newRow("cancelled: no change") << true << QStringList() << QByteArray("......");
        QTest::newRow("the same rules: no change")
            << false << QStringList{error} << QByteArray("......");
        QTest::newRow("new rules marked at once")
            << false << QStringList{error, "\"ok\",0,0,#00ff00,0,0"} << QByteArray("xxxxx.");
    }
    void highlightRules() {
        QFETCH(bool, cancelled);
        QFETCH(QStringList, edited);
        QFETCH(QByteArray, marked);
        HighlightRule error;
        error.text = "error";
        error.color = 0xff0000;
        module().setHighlightRules({error});
        module().OpenDocument(write("a.log", "ERROR\n"));
        document(1)->rtfText().setLayerMarks(FirstRuleLayer, nullptr); // shown as they were
        std::vector<HighlightRule> rules;
        for (const QString &line : edited)
            rules.push_back(*HighlightRule::fromText(line));
        m_dialogs->rulesReplies.push_back(cancelled ? std::nullopt : std::optional(rules));
        m_commands->mnuHighlightRules_Click();
        QVERIFY(m_dialogs->rulesShown == std::vector<HighlightRule>{error});
        QVERIFY(module().HighlightRules->rules() ==
                (cancelled ? std::vector<HighlightRule>{error} : rules));
        QByteArray shown(6, '.');
        for (const ViewMarks::Run &run : document(1)->rtfText().marks().runs(0, 6))
            shown.replace(run.start, run.end - run.start, QByteArray(run.end - run.start, 'x'));
        QCOMPARE(shown, marked);
    }

    void refreshInterval_data() {
        QTest::addColumn<QStringList>("replies"); // empty: the box is cancelled
        QTest::addColumn<int>("interval");
        QTest::newRow("cancelled keeps the value") << QStringList() << 750;
        QTest::newRow("no number keeps the value") << QStringList{"abc"} << 750;
        QTest::newRow("zero keeps the value") << QStringList{"0"} << 750;
        QTest::newRow("a number") << QStringList{"250"} << 250;
        QTest::newRow("below the minimum") << QStringList{"50"} << 100;
        QTest::newRow("a fraction of one") << QStringList{"0.4"} << 100;
        QTest::newRow("above the maximum") << QStringList{"250000"} << 60000;
        QTest::newRow("the limits themselves") << QStringList{"60000"} << 60000;
        QTest::newRow("an endless exponent") << QStringList{"1e400"} << 60000;
    }
    void refreshInterval() {
        QFETCH(QStringList, replies);
        QFETCH(int, interval);
        module().RefreshInterval = 750;
        m_host->timer.setInterval(750);
        m_host->timer.enabledHistory.clear();
        m_dialogs->inputReplies.assign(replies.begin(), replies.end());
        m_commands->mnuRefreshInterval_Click();
        const ScriptedDialogs::Call &box = m_dialogs->last();
        QCOMPARE(box.text + '|' + box.title + '|' + box.defaultText,
                 "Current refresh interval is 750 milliseconds.  Enter the desired value in "
                 "milliseconds:|Refresh Interval|");
        QCOMPARE(module().RefreshInterval, interval);
        QCOMPARE(m_host->timer.interval(), interval);
        if (interval != 750)
            QCOMPARE(m_host->sbStatusBar().panelText(2),
                     QStringLiteral("Refresh Interval: %1ms").arg(interval));
        // The timer keeps running with its new period.
        QVERIFY(m_host->timer.enabledHistory.empty() && m_host->timer.isEnabled());
    }

    void selectFont_data() {
        QTest::addColumn<FontCase>("c");
        QTest::newRow("10.5 goes down to 10 in every document") << FontCase{2, 10.5, 10};
        QTest::newRow("11.5 goes up to 12") << FontCase{1, 11.5, 12};
        QTest::newRow("without documents") << FontCase{0, 9.0, 9};
        QTest::newRow("cancelled changes nothing") << FontCase{1, 0.0, 10};
    }
    void selectFont() {
        QFETCH(FontCase, c);
        const auto [documents, chosen, size] = c;
        open(documents);
        const QFont before = documents ? document(1)->rtfText().font() : QFont();
        m_host->timer.setEnabled(false); // runs afterwards whatever it was before
        m_host->timer.enabledHistory.clear();
        bool timerOffAndBusyWhileOpen = false;
        m_dialogs->whileOpen = [&] {
            timerOffAndBusyWhileOpen = !m_host->timer.isEnabled() && !m_host->busyHistory.empty() &&
                                       m_host->busyHistory.back();
        };
        if (chosen > 0)
            m_dialogs->fontReplies.push_back(FontChoice{"DejaVu Serif", chosen, true, true, false});
        m_commands->mnuSelectFont_Click();
        QVERIFY(timerOffAndBusyWhileOpen);
        QCOMPARE(m_host->timer.enabledHistory, (std::vector<bool>{false, true}));
        QCOMPARE(m_host->busyHistory, (std::vector<bool>{true, false}));
        QCOMPARE(module().FontName, chosen > 0 ? "DejaVu Serif" : "Arial");
        QCOMPARE(module().FontSize, size);
        QCOMPARE(module().FontBold && module().FontItalic, chosen > 0);
        QVERIFY(!module().FontUnderline);
        for (int slot = 1; slot <= documents; ++slot) {
            const QFont font = document(slot)->rtfText().font();
            if (chosen == 0)
                QCOMPARE(font, before);
            else
                QVERIFY(font.family() == "DejaVu Serif" && font.pointSize() == size &&
                        font.bold() && font.italic() && !font.underline());
        }
    }

    void open_data() {
        QTest::addColumn<int>("before");
        QTest::addColumn<bool>("chosen");
        QTest::newRow("the tenth opens") << 9 << true;
        QTest::newRow("cancelled changes nothing") << 9 << false;
        QTest::newRow("an eleventh is refused before the chooser") << 10 << true;
    }
    void open() {
        QFETCH(int, before);
        QFETCH(bool, chosen);
        open(before);
        if (chosen)
            m_dialogs->openReplies = {write(QStringLiteral("new.log"), "new\n")};
        m_commands->mnuFileOpen_Click();
        const ScriptedDialogs::Call &call = m_dialogs->last();
        QCOMPARE(m_dialogs->calls.size(), size_t(1));
        if (before == Module1::MaxDocuments) {
            QCOMPARE(call.title + '|' + call.text,
                     "Too many files opened|Please close some of the "
                     "currently opened files before adding any new ones.");
            QCOMPARE(call.icon, Dialogs::Icon::Warning);
            QCOMPARE(module().DocCount, before);
            return;
        }
        QCOMPARE(call.title + '|' + call.filters.join(';') + '|' + call.selectedFilter,
                 "Open|Log Files (*.log);Text Files (*.txt);All Files (*.*)|All Files (*.*)");
        QCOMPARE(module().DocCount, chosen ? 10 : 9);
        if (chosen)
            QCOMPARE(document(10)->rtfText().plainText(), QStringLiteral("new\n"));
    }

    void closeAndExit() {
        m_commands->mnuFileClose_Click();
        open(3);
        m_host->document(2)->activate();
        const QString third = module().DocFileName[3];
        m_commands->mnuFileClose_Click();
        QCOMPARE(module().DocCount, 2);
        QCOMPARE(module().DocFileName[2], third);
        QCOMPARE(m_host->workspace().subWindowList().size(), 2);
        QCOMPARE(m_host->closeRequests, 0);
        m_commands->mnuFileExit_Click();
        QCOMPARE(m_host->closeRequests, 1);
        QVERIFY(!m_host->isVisible());
        QVERIFY(m_dialogs->calls.empty());
    }

    void saveAsWritesThePlainTextAndShowsThePath() {
        const QString source = write("app.log", "first line\nsecond line\n");
        module().OpenDocument(source);
        const QString target = m_host->files.path("copy.txt");
        m_dialogs->saveReplies = {target};
        m_commands->mnuFileSaveAs_Click();
        QCOMPARE(m_dialogs->last().title + '|' + m_dialogs->last().filters.join(';'),
                 "Save As|All Files (*.*)");
        QFile saved(target);
        QVERIFY(saved.open(QIODevice::ReadOnly));
        QCOMPARE(saved.readAll(), QByteArray("first line\nsecond line\n"));
        QCOMPARE(document(1)->caption(), target);
        // The window still follows the file it was opened from, which is untouched.
        m_host->files.append("app.log", "third line\n");
        module().RefreshDocuments(0);
        QVERIFY(document(1)->caption().startsWith(source + " - "));
        QVERIFY(document(1)->rtfText().plainText().endsWith("second line\nthird line\n"));
    }

    void saveAsCancelledOrFailedChangesNothing() {
        m_commands->mnuFileSaveAs_Click();
        m_commands->mnuFilePrint_Click();
        QVERIFY(m_dialogs->calls.empty()); // nothing to save or print
        module().OpenDocument(write("app.log", "x\n"));
        const QString caption = document(1)->caption();
        m_commands->mnuFileSaveAs_Click();
        QCOMPARE(m_dialogs->calls.size(), size_t(1));
        const QString target = m_host->files.path("no such folder/copy.txt");
        m_dialogs->saveReplies = {target};
        m_commands->mnuFileSaveAs_Click();
        const ScriptedDialogs::Call &message = m_dialogs->last();
        QVERIFY2(message.text.startsWith("Could not save " + target + ":\n"),
                 qPrintable(message.text));
        QVERIFY(!message.text.section('\n', 1).trimmed().isEmpty());
        QVERIFY(message.title == "Save As" && message.icon == Dialogs::Icon::Critical);
        QCOMPARE(document(1)->caption(), caption);
        QVERIFY(!QFile::exists(target));
    }

    // The command's choice of what to print; how a view prints is the view's own test.
    void print_data() {
        QTest::addColumn<PrintCase>("c");
        const QByteArray grown = "ALPHA one\nBRAVO two\nCHARLIE three\n";
        QTest::newRow("selection offered and printed") << PrintCase{true, {}, {}, "B"};
        QTest::newRow("no selection prints the whole text") << PrintCase{false, {}, {}, "ABC"};
        QTest::newRow("all pages over a selection")
            << PrintCase{true, QPrinter::AllPages, {}, "ABC"};
        QTest::newRow("the selection kept while the log grows") << PrintCase{true, {}, grown, "B"};
        QTest::newRow("grows, no selection: caret at the end")
            << PrintCase{false, {}, grown, "ABC"};
        QTest::newRow("rotated: the new text, no selection left")
            << PrintCase{true, {}, "DELTA four\n", "D"};
        QTest::newRow("cancelled prints nothing") << PrintCase{true, {}, {}, ""};
    }
    void print() {
        QFETCH(PrintCase, c);
        const auto &[select, range, later, printed] = c;
        module().OpenDocument(write("app.log", later.isNull()
                                                   ? "ALPHA one\nBRAVO two\nCHARLIE three\n"
                                                   : "ALPHA one\nBRAVO two\n"));
        RichTextView &view = document(1)->rtfText();
        view.setSelStart(select ? 10 : 0);
        view.setSelLength(select ? 9 : 0);
        m_dialogs->whileOpen = [&, later = later] {
            if (!later.isNull()) {
                write("app.log", later);
                module().RefreshDocuments(0);
            }
        };
        const QString pdf = m_host->files.path("out.pdf");
        if (!printed.isEmpty())
            m_dialogs->printReplies.push_back({pdf, range});
        m_commands->mnuFilePrint_Click();
        QVERIFY(m_dialogs->last().title == "Print" && m_dialogs->last().offerSelection == select);
        const bool kept = select && view.text().toByteArray().startsWith("ALPHA");
        QCOMPARE(view.selStart(), kept ? 10 : later.isNull() ? 0 : view.text().size());
        QCOMPARE(view.selLength(), kept ? 9 : 0);
        QCOMPARE(QFile::exists(pdf), !printed.isEmpty());
        if (printed.isEmpty())
            return;
        PDF_TEXT_OR_SKIP(text, pdf);
        for (const QString &word : {"ALPHA", "BRAVO", "CHARLIE", "DELTA"})
            QVERIFY2(text.contains(word) == printed.contains(word.at(0)), qPrintable(text));
    }

    void copySelectionOrWholeText() {
        m_commands->mnuEditCopy_Click();
        m_commands->mnuEditFilter_Click();
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("before")); // no document
        // UTF-8 text is copied as the view shows it, decoded.
        module().OpenDocument(write("a.log", "caf\xc3\xa9 one\nsecond\n"));
        RichTextView &view = document(1)->rtfText();
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
        // The filter pane's selected rows while they have the focus: their lines, no numbers.
        m_commands->mnuEditFilter_Click();
        FilterPane &pane = *document(1)->filterPane();
        pane.filterBox().setEditText(QStringLiteral("E"));
        pane.rows().selectAll();
        pane.rows().setFocus();
        QVERIFY(QTest::qWaitFor([&pane] { return pane.rows().hasFocus(); }));
        m_commands->mnuEditCopy_Click();
        QCOMPARE(QApplication::clipboard()->text(), QString::fromUtf8("café one\nsecond"));
        WindowCommands::setClipboardLimit(16);
        m_commands->mnuEditCopy_Click();
        WindowCommands::setClipboardLimit(INT_MAX);
        QCOMPARE(m_dialogs->count("message"), 2);
    }

    // Each bar from its command, also when the menu already toggled its checkable item.
    void barToggles() {
        for (const bool statusBar : {false, true}) {
            QAction &item = statusBar ? m_host->mnuViewStatusBar() : m_host->mnuViewToolbar();
            QWidget &bar = statusBar ? static_cast<QWidget &>(m_host->sbStatusBar())
                                     : static_cast<QWidget &>(m_host->tbToolBar());
            for (const bool menuFlipsFirst : {false, false, true, true}) {
                if (menuFlipsFirst)
                    item.setChecked(!item.isChecked());
                const bool shown = !bar.isVisible();
                statusBar ? m_commands->mnuViewStatusBar_Click()
                          : m_commands->mnuViewToolbar_Click();
                QCOMPARE(item.isChecked(), shown);
                QCOMPARE(bar.isVisible(), shown);
            }
        }
    }

    void arrangements_data() {
        QTest::addColumn<QString>("key");
        QTest::newRow("cascade") << "Cascade";
        QTest::newRow("tile horizontal") << "Tile Horizontally";
        QTest::newRow("tile vertical") << "Tile Vertically";
        QTest::newRow("arrange icons, carets stay") << "icons";
    }
    void arrangements() {
        QFETCH(QString, key);
        const auto run = [&] {
            key == "icons" ? m_commands->mnuWindowArrangeIcons_Click()
                           : m_commands->tbToolBar_ButtonClick(key);
        };
        m_host->timer.setEnabled(false);
        run(); // without documents: the timer runs afterwards whatever it was before
        QVERIFY(m_host->timer.isEnabled());
        QVERIFY(m_host->busyHistory.empty() || !m_host->busyHistory.back());
        open(3);
        document(2)->showMinimized();
        run();
        const QRect room = m_host->workspace().viewport()->rect();
        const QRect first = document(1)->geometry();
        const QRect third = document(3)->geometry();
        QVERIFY(document(2)->isMinimized());
        QCOMPARE(document(2)->geometry().bottomLeft(), QPoint(0, room.bottom()));
        if (key.startsWith("Tile")) {
            const bool horizontal = key.endsWith("Horizontally");
            QCOMPARE(first.topLeft(), QPoint(0, 0));
            QCOMPARE(horizontal ? first.width() : third.left(),
                     horizontal ? room.width() : first.right() + 1);
            QCOMPARE(horizontal ? third.top() : third.right(),
                     horizontal ? first.bottom() + 1 : room.right());
        } else if (key == "Cascade") {
            QVERIFY(third.topLeft() != first.topLeft());
        }
        for (int slot = 1; slot <= 3; ++slot)
            QCOMPARE(document(slot)->rtfText().selStart(),
                     key == "icons" ? 0 : module().DocFileSize[slot]);
        QCOMPARE(m_host->timer.enabledHistory, (std::vector<bool>{false, true}));
        QCOMPARE(m_host->busyHistory, (std::vector<bool>{true, false}));
    }

    void aboutIsModalAndOwnedByTheMainWindow() {
        bool seen = false;
        QTimer::singleShot(0, this, [&] {
            auto *about = qobject_cast<frmAbout *>(QApplication::activeModalWidget());
            QVERIFY(about && about->isModal());
            seen = true;
            QCOMPARE(about->parentWidget(), static_cast<QWidget *>(m_host.get()));
            about->cmdOK_Click();
        });
        m_commands->mnuHelpAbout_Click();
        QVERIFY(seen);
        QVERIFY(m_host->findChildren<frmAbout *>().isEmpty());
    }

    void toolbarKeys_data() {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("ran");
        for (const auto &[key, ran] : std::initializer_list<std::pair<const char *, const char *>>{
                 {"Open", "open Open"},
                 {"Save", "save Save As"},
                 {"Print", "print Print"},
                 {"Copy", "copy"},
                 {"Refresh", "input Refresh Interval"},
                 {"Font", "font"},
                 {"Help", ""},
                 {"open", ""},
                 {"Tile Horizontal", ""},
                 {"", ""}})
            QTest::addRow("key '%s'", key) << key << ran;
    }
    // What a key ran, told by its dialog or the clipboard; the arrangements are above.
    void toolbarKeys() {
        QFETCH(QString, key);
        QFETCH(QString, ran);
        open(3);
        module().RefreshDocuments(0);
        const QString panel1 = m_host->sbStatusBar().panelText(1);
        m_commands->tbToolBar_ButtonClick(key);
        QStringList what;
        for (const ScriptedDialogs::Call &call : m_dialogs->calls)
            what << (call.kind + ' ' + call.title).trimmed();
        if (QApplication::clipboard()->text() != QStringLiteral("before"))
            what << "copy";
        QCOMPARE(what.join(", "), ran);
        QVERIFY(ran == "font" || m_host->timer.enabledHistory.empty()); // no arrangement either
        QCOMPARE(m_host->sbStatusBar().panelText(1), panel1); // no key refreshes the documents
    }

    void dropsOpenFilesInOrderUpToTen() {
        QStringList paths;
        for (int i = 1; i <= 14; ++i)
            paths << write(QStringLiteral("f%1.log").arg(i));
        drop(paths.mid(0, 2));
        drop({paths.at(0)}); // open already: activated, not opened again
        QCOMPARE(m_host->activeDocument(), document(1));
        drop(paths.mid(2));
        QCOMPARE(module().DocCount, 10);
        for (int slot = 1; slot <= 10; ++slot)
            QCOMPARE(module().DocFileName[slot], paths.at(slot - 1));
        // With ten open a drop opens nothing and leaves the active window.
        const frmDocument *active = m_host->activeDocument();
        drop({paths.first(), paths.last()});
        QCOMPARE(module().DocCount, 10);
        QCOMPARE(m_host->activeDocument(), active);
        QVERIFY(m_host->warnings.empty());
    }

    void findNextSelectsTheOccurrence_data() {
        QTest::addColumn<FindCase>("c");
        const QByteArray twos = "one two one two\n";
        const QString end = QStringLiteral("Passed the end of the file");
        const QByteArray far = QByteArray(64 * 1024 - 2, 'x');
        const auto row = [](const char *name, const FindCase &c) { QTest::newRow(name) << c; };
        row("down from the caret", {twos, 0, 0, "two", 4, 3});
        row("down from the end of the selection", {twos, 4, 3, "two", 12, 3});
        row("up from the start of the selection", {twos, 12, 3, "TWO", 4, 3, {}, 0, false, true});
        row("down wraps to the beginning", {twos, 13, 0, "two", 4, 3, end});
        row("up wraps to the end",
            {twos, 2, 0, "two", 12, 3, "Passed the beginning of the file", 0, false, true});
        row("wraps back to the only occurrence", {twos, 0, 3, "one two one", 0, 11, end});
        row("not found", {twos, 0, 0, "three", -1, 0, {}, 1});
        row("match case skips other cases", {"error Error\n", 0, 0, "Error", 6, 5, {}, 0, true});
        row("match case finds no other case", {"error\n", 0, 0, "ERROR", -1, 0, {}, 1, true});
        row("non-ASCII letters fold", {"x \u00e9chec\n", 0, 0, QString::fromUtf8("ÉCHEC"), 2, 6});
        row("non-UTF-8 text is searched as bytes", {"\xe9\xe9 blank\n", 0, 0, "BLANK", 3, 5});
        row("a selection in a line that is not UTF-8 finds its bytes",
            {"caf\xe9 or caf\xe9\n", 0, 4, {}, 8, 4});
        row("its bytes are not found inside a UTF-8 character", // the first line is UTF-8
            {"\xc2\xb0\x43\n\xb0\x43\n", 4, 2, {}, 4, 2, end});
        row("blanks are found", {"a  b\n", 0, 0, "  ", 1, 2});
        row("a match in the last bytes", {"abc end", 0, 0, "END", 4, 3});
        row("down across a piece boundary", {far + "ERROR", 0, 0, "error", far.size(), 5});
        row("up across a piece boundary",
            {"ERROR" + far + far, 2 * far.size() + 5, 0, "error", 0, 5, {}, 0, false, true});
        row("a match split by an append is found once complete",
            {"log ERR", 0, 0, "error", 4, 5, {}, 1, false, false, "log ERROR\n"});
        row("find next after the text was replaced",
            {"old old old old old\n", 0, 0, "old", 4, 3, {}, 0, false, false, "new\nold\n"});
        const QByteArray big(1024 * 1024, 'x');
        row("a text replaced during the search is searched anew",
            {big, 0, 0, "needle", 4, 6, end, 0, false, false, "new needle\n", true});
        row("a text replaced by a longer one during the search is searched anew",
            {big + "needle\n", 0, 0, "needle", 0, 6, end, 0, false, false, "needle\n" + big + big,
             true});
        row("lines appended during the search are searched too",
            {big, 0, 0, "needle", big.size(), 6, {}, 0, false, false, big + "needle\n", true});
    }
    void findNextSelectsTheOccurrence() {
        QFETCH(FindCase, c);
        RichTextView &view = openFind(c.text);
        view.setSelStart(c.selStart);
        view.setSelLength(c.selLength);
        m_commands->findCommands().setSliceMs(c.during ? 0 : 25);
        search(c.find, c.matchCase, c.up);
        if (!c.later.isNull()) {
            write(QStringLiteral("find.log"), c.later);
            module().RefreshDocuments(0);
            if (!c.during) {
                view.setSelStart(c.selStart);
                c.up ? m_commands->mnuEditFindPrevious_Click()
                     : m_commands->mnuEditFindNext_Click();
            }
        }
        QVERIFY(QTest::qWaitFor([this] { return !m_commands->findCommands().isSearching(); }));
        QCOMPARE(m_dialogs->count(QStringLiteral("message")), c.messages);
        if (c.offset < 0)
            QCOMPARE(m_dialogs->last().text + '|' + m_dialogs->last().title,
                     QStringLiteral("Cannot find \"%1\"|Orvik").arg(c.find));
        QCOMPARE(view.selStart(), c.offset < 0 ? c.selStart : c.offset);
        QCOMPARE(view.selLength(), c.offset < 0 ? c.selLength : c.length);
        QCOMPARE(m_commands->findCommands().findWindow()->wrapNote(), c.note);
    }

    void anOccurrenceOffScreenIsCentred() {
        QByteArray text;
        for (int line = 0; line < 1000; ++line)
            text += "line " + QByteArray::number(line) + "\n";
        RichTextView &view = openFind(text);
        view.setSelStart(0);
        view.updateGeometryNow();
        search(QStringLiteral("line 500\n"), false, false);
        view.updateGeometryNow();
        const auto [top, bottom] = view.visibleRange();
        const qint64 found = text.indexOf("line 500\n");
        QCOMPARE(view.selStart(), found);
        // About as many lines above as below it (a line here is nine bytes).
        QVERIFY2(qAbs((found - top) - (bottom - found)) < 30,
                 qPrintable(QStringLiteral("%1 %2 %3").arg(top).arg(found).arg(bottom)));
    }

    void findWindowTextsAndHistory() {
        RichTextView &view = openFind("first line\nsecond line\n" + QByteArray(5000, 'y'));
        frmFind &find = findWindow();
        QCOMPARE(find.windowTitle(), QStringLiteral("Find"));
        QVERIFY(!find.isModal());
        QStringList shown;
        for (const QLabel *label : find.findChildren<QLabel *>())
            shown << label->text();
        for (const QAbstractButton *button : find.findChildren<QAbstractButton *>())
            shown << button->text();
        for (const char *text :
             {"Fi&nd what:", "Match &case", "&Up", "&Down", "Cancel", "&Find Next"})
            QVERIFY2(shown.contains(text), text);
        auto *findNext = find.findChild<QPushButton *>(QStringLiteral("cmdFindNext"));
        QVERIFY(findNext->isDefault());
        QVERIFY(find.findChild<QRadioButton *>(QStringLiteral("optDown"))->isChecked());
        QVERIFY(!find.matchCase());

        for (int i = 1; i <= 12; ++i)
            search(QStringLiteral("text %1").arg(i % 11), false, false);
        auto *texts = find.findChild<QComboBox *>(QStringLiteral("cboFindWhat"));
        QCOMPARE(texts->count(), 10);
        QCOMPARE(texts->itemText(0) + ',' + texts->itemText(1) + ',' + texts->itemText(9),
                 "text 1,text 0,text 3");
        texts->clearEditText(); // typing is not completed from the history
        QVERIFY(QTest::qWaitForWindowActive(&find));
        QTest::keyClicks(texts->lineEdit(), "TEXT");
        QCOMPARE(find.findWhat(), QStringLiteral("TEXT"));

        // Opening it again brings the same window, with a single-line selection as the text.
        view.setSelStart(11);
        view.setSelLength(6);
        QCOMPARE(&findWindow(), &find);
        QCOMPARE(find.findWhat(), QStringLiteral("second"));
        view.setSelLength(12); // not taken: two lines, or more bytes than a text to find
        findWindow();
        view.setSelStart(23);
        view.setSelLength(5000);
        findWindow();
        QCOMPARE(find.findWhat(), QStringLiteral("second"));
    }

    // Find Next restarts a running search with its text; Cancel stops it and keeps the
    // selection, the close box stops it and closes the window.
    void aRunningSearchRestartsStopsOrCloses() {
        RichTextView &view = openFind(QByteArray(1024 * 1024, 'x') + "needle\nother\n");
        FindCommands &commands = m_commands->findCommands();
        view.setSelStart(3);
        commands.setSliceMs(0);
        search(QStringLiteral("needle"), false, false);
        search(QStringLiteral("other"), false, false);
        QVERIFY(QTest::qWaitFor([&] { return !commands.isSearching(); }));
        QCOMPARE(view.selText(), QByteArray("other"));
        view.setSelStart(3);
        search(QStringLiteral("needle"), false, false);
        QVERIFY(commands.isSearching());
        QTest::keyClick(commands.findWindow(), Qt::Key_Escape);
        QVERIFY(!commands.isSearching() && commands.findWindow()->isVisible());
        QCoreApplication::processEvents();
        QCOMPARE(view.selStart(), 3);
        QCOMPARE(view.selLength(), 0);
        QTest::keyClick(commands.findWindow(), Qt::Key_Escape);
        QVERIFY(!commands.findWindow()->isVisible());
        search(QStringLiteral("needle"), false, false);
        QVERIFY(commands.findWindow()->close());
        QVERIFY(!commands.isSearching() && !commands.findWindow()->isVisible());
    }
};

QTEST_MAIN(tst_Commands)
#include "tst_commands.moc"
