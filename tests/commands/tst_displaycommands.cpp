#include "commands/commands.h"
#include "scripteddialogs.h"
#include "support/filewriter.h"
#include "testhost.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace Orvik;

class tst_DisplayCommands : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void highlightAsksWithAnEmptyDefault();
    void highlightCases_data();
    void highlightCases();
    void highlightMarksOpenDocuments();

    void refreshIntervalPromptAndPanel();
    void refreshIntervalReplies_data();
    void refreshIntervalReplies();

    void selectFontRoundsHalfToEven_data();
    void selectFontRoundsHalfToEven();
    void selectFontAppliesToEveryOpenDocument();
    void selectFontWithoutDocuments();
    void selectFontCancelled();

private:
    QString writeFile(const QString &name, const QByteArray &bytes) {
        return m_files->write(name, bytes);
    }

    std::unique_ptr<FileWriter> m_files;
    std::unique_ptr<TestHost> m_host;
    std::unique_ptr<ScriptedDialogs> m_dialogs;
    std::unique_ptr<Commands> m_commands;
};

void tst_DisplayCommands::init() {
    m_files = std::make_unique<FileWriter>();
    m_host = std::make_unique<TestHost>();
    m_dialogs = std::make_unique<ScriptedDialogs>();
    m_commands = std::make_unique<Commands>(*m_host, *m_dialogs);
}

void tst_DisplayCommands::cleanup() {
    m_commands.reset();
    m_host.reset();
    m_dialogs.reset();
}

void tst_DisplayCommands::highlightAsksWithAnEmptyDefault() {
    m_host->module().HighLightString = "error";
    m_dialogs->inputReplies = {"error"};
    m_commands->mnuHighlightText_Click();
    QCOMPARE(m_dialogs->last().kind, QStringLiteral("input"));
    QCOMPARE(m_dialogs->last().text, QStringLiteral("Type in the text to highlight"));
    QCOMPARE(m_dialogs->last().title, QStringLiteral("Case-Insensitive Highlight"));
    QCOMPARE(m_dialogs->last().defaultText, QString());
}

void tst_DisplayCommands::highlightCases_data() {
    QTest::addColumn<QString>("before");
    QTest::addColumn<QStringList>("replies"); // empty: the box is cancelled
    QTest::addColumn<QString>("after");
    QTest::addColumn<bool>("refreshed");

    QTest::newRow("cancel clears a set highlight") << "error" << QStringList() << "" << true;
    QTest::newRow("cancel without a highlight changes nothing")
        << "" << QStringList() << "" << false;
    QTest::newRow("the same text again changes nothing")
        << "error" << QStringList{"error"} << "error" << false;
    QTest::newRow("another case is a change") << "error" << QStringList{"ERROR"} << "ERROR" << true;
    QTest::newRow("stored as typed, blanks kept")
        << "" << QStringList{"  warn "} << "  warn " << true;
}

void tst_DisplayCommands::highlightCases() {
    QFETCH(QString, before);
    QFETCH(QStringList, replies);
    QFETCH(QString, after);
    QFETCH(bool, refreshed);
    Module1 &module = m_host->module();
    module.HighLightString = before;
    for (const QString &reply : replies)
        m_dialogs->inputReplies.push_back(reply);
    m_commands->mnuHighlightText_Click();
    QCOMPARE(module.HighLightString, after);
    // A refresh cycle always writes how long it took into panel 1.
    QCOMPARE(!m_host->sbStatusBar().panelText(1).isEmpty(), refreshed);
    QVERIFY(!module.HighLightPending);
}

void tst_DisplayCommands::highlightMarksOpenDocuments() {
    Module1 &module = m_host->module();
    module.OpenDocument(writeFile("a.log", "ok\nan Error here\nok\n"));
    module.OpenDocument(writeFile("b.log", "error first\n"));
    m_dialogs->inputReplies = {"error"};
    m_commands->mnuHighlightText_Click();
    QCOMPARE(m_host->document(1)->rtfText().marks().isEmpty(), false);
    QCOMPARE(m_host->document(2)->rtfText().marks().isEmpty(), false);
}

void tst_DisplayCommands::refreshIntervalPromptAndPanel() {
    Module1 &module = m_host->module();
    module.RefreshInterval = 1000;
    m_dialogs->inputReplies = {"250"};
    m_commands->mnuRefreshInterval_Click();
    QCOMPARE(m_dialogs->last().title, QStringLiteral("Refresh Interval"));
    QCOMPARE(m_dialogs->last().text,
             QStringLiteral("Current refresh interval is 1000 milliseconds.  Enter the desired "
                            "value in milliseconds:"));
    QCOMPARE(m_dialogs->last().defaultText, QString());
    QCOMPARE(m_host->sbStatusBar().panelText(2), QStringLiteral("Refresh Interval: 250ms"));
    QCOMPARE(DisplayCommands::refreshIntervalPanelText(60000),
             QStringLiteral("Refresh Interval: 60000ms"));

    m_dialogs->inputReplies = {""};
    m_commands->mnuRefreshInterval_Click();
    QCOMPARE(m_dialogs->last().text,
             QStringLiteral("Current refresh interval is 250 milliseconds.  Enter the desired "
                            "value in milliseconds:"));
}

void tst_DisplayCommands::refreshIntervalReplies_data() {
    QTest::addColumn<QStringList>("replies"); // empty: the box is cancelled
    QTest::addColumn<int>("interval");        // -1: nothing changes

    QTest::newRow("no number") << QStringList{"abc"} << -1;
    QTest::newRow("zero") << QStringList{"0"} << -1;
    QTest::newRow("empty reply") << QStringList{""} << -1;
    QTest::newRow("cancelled") << QStringList() << -1;
    QTest::newRow("below the minimum") << QStringList{"50"} << 100;
    QTest::newRow("negative") << QStringList{"-5"} << 100;
    QTest::newRow("a fraction of one") << QStringList{"0.4"} << 100;
    QTest::newRow("above the maximum") << QStringList{"250000"} << 60000;
    QTest::newRow("the minimum") << QStringList{"100"} << 100;
    QTest::newRow("the maximum") << QStringList{"60000"} << 60000;
    QTest::newRow("a comma ends the number") << QStringList{"1,500"} << 100;
    QTest::newRow("a blank inside is ignored") << QStringList{"2 500"} << 2500;
    QTest::newRow("half to even, down") << QStringList{"1500.5"} << 1500;
    QTest::newRow("half to even, up") << QStringList{"1501.5"} << 1502;
    QTest::newRow("hexadecimal") << QStringList{"&H1F4"} << 500;
    QTest::newRow("octal") << QStringList{"&O764"} << 500;
    QTest::newRow("exponent") << QStringList{"2.5e3ms"} << 2500;
    QTest::newRow("an endless exponent") << QStringList{"1e400"} << 60000;
}

void tst_DisplayCommands::refreshIntervalReplies() {
    QFETCH(QStringList, replies);
    QFETCH(int, interval);
    Module1 &module = m_host->module();
    module.RefreshInterval = 750;
    m_host->timer.setInterval(750);
    m_host->sbStatusBar().setPanelText(2, "Refresh Interval: 750ms");
    m_host->timer.enabledHistory.clear();
    for (const QString &reply : replies)
        m_dialogs->inputReplies.push_back(reply);

    m_commands->mnuRefreshInterval_Click();

    const int expected = interval < 0 ? 750 : interval;
    QCOMPARE(module.RefreshInterval, expected);
    QCOMPARE(m_host->timer.interval(), expected);
    QCOMPARE(m_host->sbStatusBar().panelText(2),
             QStringLiteral("Refresh Interval: %1ms").arg(expected));
    // The timer keeps running with its new period.
    QVERIFY(m_host->timer.enabledHistory.empty());
    QVERIFY(m_host->timer.isEnabled());
}

void tst_DisplayCommands::selectFontRoundsHalfToEven_data() {
    QTest::addColumn<double>("chosen");
    QTest::addColumn<int>("size");
    QTest::newRow("10.5 goes down to 10") << 10.5 << 10;
    QTest::newRow("11.5 goes up to 12") << 11.5 << 12;
    QTest::newRow("9.4") << 9.4 << 9;
    QTest::newRow("whole") << 14.0 << 14;
}

void tst_DisplayCommands::selectFontRoundsHalfToEven() {
    QFETCH(double, chosen);
    QFETCH(int, size);
    m_dialogs->fontReplies.push_back(FontChoice{"DejaVu Sans Mono", chosen, true, false, true});
    m_commands->mnuSelectFont_Click();
    const Module1 &module = m_host->module();
    QCOMPARE(module.FontName, QStringLiteral("DejaVu Sans Mono"));
    QCOMPARE(module.FontSize, size);
    QCOMPARE(module.FontBold, true);
    QCOMPARE(module.FontItalic, false);
    QCOMPARE(module.FontUnderline, true);
}

void tst_DisplayCommands::selectFontAppliesToEveryOpenDocument() {
    Module1 &module = m_host->module();
    module.OpenDocument(writeFile("a.log", "a\n"));
    module.OpenDocument(writeFile("b.log", "b\n"));
    m_host->timer.enabledHistory.clear();
    m_host->busyHistory.clear();

    bool timerOffWhileOpen = false;
    bool busyWhileOpen = false;
    m_dialogs->whileOpen = [&](const QString &) {
        timerOffWhileOpen = !m_host->timer.isEnabled();
        busyWhileOpen = m_host->busy;
    };
    m_dialogs->fontReplies.push_back(FontChoice{"DejaVu Serif", 13.0, false, true, false});
    m_commands->mnuSelectFont_Click();

    QVERIFY(timerOffWhileOpen);
    QVERIFY(busyWhileOpen);
    QCOMPARE(m_host->timer.enabledHistory, (std::vector<bool>{false, true}));
    QCOMPARE(m_host->busyHistory, (std::vector<bool>{true, false}));
    for (int slot = 1; slot <= 2; ++slot) {
        const QFont font = m_host->document(slot)->rtfText().font();
        QCOMPARE(font.family(), QStringLiteral("DejaVu Serif"));
        QCOMPARE(font.pointSize(), 13);
        QVERIFY(font.italic());
        QVERIFY(!font.bold());
    }
}

void tst_DisplayCommands::selectFontWithoutDocuments() {
    m_host->timer.setEnabled(false); // the timer runs afterwards whatever it was before
    m_dialogs->fontReplies.push_back(FontChoice{"DejaVu Sans", 9.0, false, false, false});
    m_commands->mnuSelectFont_Click();
    QCOMPARE(m_host->module().FontName, QStringLiteral("DejaVu Sans"));
    QCOMPARE(m_host->module().FontSize, 9);
    QVERIFY(m_host->timer.isEnabled());
    QVERIFY(!m_host->busy);
}

void tst_DisplayCommands::selectFontCancelled() {
    Module1 &module = m_host->module();
    module.OpenDocument(writeFile("a.log", "a\n"));
    const DisplayFont before = module.displayFont();
    const QFont viewFont = m_host->document(1)->rtfText().font();
    m_host->timer.enabledHistory.clear();

    m_commands->mnuSelectFont_Click(); // no reply scripted: cancelled
    QCOMPARE(m_dialogs->count("font"), 1);
    QVERIFY(module.displayFont() == before);
    QCOMPARE(m_host->document(1)->rtfText().font(), viewFont);
    QCOMPARE(m_host->timer.enabledHistory, (std::vector<bool>{false, true}));
    QVERIFY(!m_host->busy);
}

QTEST_MAIN(tst_DisplayCommands)
#include "tst_displaycommands.moc"
