#include "commands/commands.h"
#include "commands/frmfind.h"
#include "scripteddialogs.h"
#include "support/filewriter.h"
#include "testhost.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

using namespace Orvik;

class tst_FindCommands : public QObject {
    Q_OBJECT

    FileWriter m_files;
    std::unique_ptr<TestHost> m_host;
    std::unique_ptr<ScriptedDialogs> m_dialogs;
    std::unique_ptr<Commands> m_commands;

    RichTextView &open(const QByteArray &text) {
        m_host->module().OpenDocument(m_files.write(QStringLiteral("find.log"), text));
        return m_host->document(1)->rtfText();
    }
    frmFind &window() {
        m_commands->mnuEditFind_Click();
        return *m_commands->findCommands().findWindow();
    }
    void search(const QString &text, bool matchCase, bool up) {
        frmFind &find = window();
        find.setFindWhat(text);
        find.findChild<QCheckBox *>(QStringLiteral("chkMatchCase"))->setChecked(matchCase);
        find.findChild<QRadioButton *>(up ? QStringLiteral("optUp") : QStringLiteral("optDown"))
            ->setChecked(true);
        find.findChild<QPushButton *>(QStringLiteral("cmdFindNext"))->click();
    }

private slots:
    void init() {
        m_host = std::make_unique<TestHost>();
        m_host->show();
        m_dialogs = std::make_unique<ScriptedDialogs>();
        m_commands = std::make_unique<Commands>(*m_host, *m_dialogs);
    }
    void cleanup() {
        m_commands.reset();
        m_host.reset();
    }

    void findNextSelectsTheOccurrence_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<qint64>("selStart");
        QTest::addColumn<qint64>("selLength");
        QTest::addColumn<QString>("find");
        QTest::addColumn<bool>("matchCase");
        QTest::addColumn<bool>("up");
        QTest::addColumn<QByteArray>("later"); // the file's bytes before a second search
        QTest::addColumn<qint64>("offset");    // -1: not found
        QTest::addColumn<qint64>("length");
        QTest::addColumn<QString>("note");
        QTest::addColumn<int>("messages");
        const QByteArray twos = "one two one two\n";
        const QString end = QStringLiteral("Passed the end of the file");
        const QString beginning = QStringLiteral("Passed the beginning of the file");
        const QByteArray far = QByteArray(64 * 1024 - 2, 'x');
        QTest::newRow("down from the caret") << twos << 0ll << 0ll << "two" << false << false
                                             << QByteArray() << 4ll << 3ll << QString() << 0;
        QTest::newRow("down from the end of the selection")
            << twos << 4ll << 3ll << "two" << false << false << QByteArray() << 12ll << 3ll
            << QString() << 0;
        QTest::newRow("up from the start of the selection")
            << twos << 12ll << 3ll << "TWO" << false << true << QByteArray() << 4ll << 3ll
            << QString() << 0;
        QTest::newRow("down wraps to the beginning")
            << twos << 13ll << 0ll << "two" << false << false << QByteArray() << 4ll << 3ll << end
            << 0;
        QTest::newRow("up wraps to the end") << twos << 2ll << 0ll << "two" << false << true
                                             << QByteArray() << 12ll << 3ll << beginning << 0;
        QTest::newRow("the only occurrence is found again after wrapping")
            << twos << 0ll << 3ll << "one two one" << false << false << QByteArray() << 0ll << 11ll
            << end << 0;
        QTest::newRow("not found") << twos << 0ll << 0ll << "three" << false << false
                                   << QByteArray() << -1ll << 0ll << QString() << 1;
        QTest::newRow("match case skips other cases")
            << QByteArray("error Error\n") << 0ll << 0ll << "Error" << true << false << QByteArray()
            << 6ll << 5ll << QString() << 0;
        QTest::newRow("match case finds no other case")
            << QByteArray("error\n") << 0ll << 0ll << "ERROR" << true << false << QByteArray()
            << -1ll << 0ll << QString() << 1;
        QTest::newRow("non-ASCII letters fold")
            << QByteArray("x \xc3\xa9"
                          "chec\n")
            << 0ll << 0ll << QString::fromUtf8("ÉCHEC") << false << false << QByteArray() << 2ll
            << 6ll << QString() << 0;
        QTest::newRow("a line that is not UTF-8 is searched as bytes")
            << QByteArray("\xe9\xe9 blank\n") << 0ll << 0ll << "BLANK" << false << false
            << QByteArray() << 3ll << 5ll << QString() << 0;
        QTest::newRow("blanks are found") << QByteArray("a  b\n") << 0ll << 0ll << "  " << false
                                          << false << QByteArray() << 1ll << 2ll << QString() << 0;
        QTest::newRow("a match in the last bytes")
            << QByteArray("abc end") << 0ll << 0ll << "END" << false << false << QByteArray() << 4ll
            << 3ll << QString() << 0;
        QTest::newRow("down across a piece boundary")
            << far + "ERROR" << 0ll << 0ll << "error" << false << false << QByteArray()
            << qint64(far.size()) << 5ll << QString() << 0;
        QTest::newRow("up across a piece boundary")
            << "ERROR" + far + far << qint64(2 * far.size() + 5) << 0ll << "error" << false << true
            << QByteArray() << 0ll << 5ll << QString() << 0;
        QTest::newRow("a match split by an append is found once complete")
            << QByteArray("log ERR") << 0ll << 0ll << "error" << false << false
            << QByteArray("log ERROR\n") << 4ll << 5ll << QString() << 1;
        QTest::newRow("find next after the text was replaced")
            << QByteArray("old old old old old\n") << 0ll << 0ll << "old" << false << false
            << QByteArray("new\nold\n") << 4ll << 3ll << QString() << 0;
    }

    void findNextSelectsTheOccurrence() {
        QFETCH(QByteArray, text);
        QFETCH(qint64, selStart);
        QFETCH(qint64, selLength);
        QFETCH(QString, find);
        QFETCH(bool, matchCase);
        QFETCH(bool, up);
        QFETCH(QByteArray, later);
        QFETCH(qint64, offset);
        QFETCH(qint64, length);
        QFETCH(QString, note);
        QFETCH(int, messages);
        RichTextView &view = open(text);
        view.setSelStart(selStart);
        view.setSelLength(selLength);
        search(find, matchCase, up);
        if (!later.isNull()) {
            m_files.write(QStringLiteral("find.log"), later);
            m_host->module().RefreshDocuments(0);
            view.setSelStart(selStart);
            up ? m_commands->mnuEditFindPrevious_Click() : m_commands->mnuEditFindNext_Click();
        }
        QCOMPARE(m_dialogs->count(QStringLiteral("message")), messages);
        if (offset < 0) {
            QCOMPARE(m_dialogs->last().text, QStringLiteral("Cannot find \"%1\"").arg(find));
            QCOMPARE(m_dialogs->last().title, QStringLiteral("Orvik"));
            QCOMPARE(view.selStart(), selStart);
            QCOMPARE(view.selLength(), selLength);
        } else {
            QCOMPARE(view.selStart(), offset);
            QCOMPARE(view.selLength(), length);
        }
        QCOMPARE(m_commands->findCommands().findWindow()->wrapNote(), note);
    }

    void anOccurrenceOffScreenIsCentred() {
        QByteArray text;
        for (int line = 0; line < 1000; ++line)
            text += "line " + QByteArray::number(line) + "\n";
        RichTextView &view = open(text);
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
        RichTextView &view = open("first line\nsecond line\n");
        frmFind &find = window();
        QCOMPARE(find.windowTitle(), QStringLiteral("Find"));
        QVERIFY(!find.isModal());
        for (const char *text : {"Fi&nd what:", "Match &case", "&Up", "&Down", "Cancel"}) {
            const auto labelled = [&](auto *widget) { return widget->text() == text; };
            const auto labels = find.findChildren<QLabel *>();
            const auto buttons = find.findChildren<QAbstractButton *>();
            QVERIFY2(std::any_of(labels.begin(), labels.end(), labelled) ||
                         std::any_of(buttons.begin(), buttons.end(), labelled),
                     text);
        }
        auto *findNext = find.findChild<QPushButton *>(QStringLiteral("cmdFindNext"));
        QCOMPARE(findNext->text(), QStringLiteral("&Find Next"));
        QVERIFY(findNext->isDefault());
        QVERIFY(find.findChild<QRadioButton *>(QStringLiteral("optDown"))->isChecked());
        QVERIFY(!find.matchCase());

        for (int i = 1; i <= 12; ++i)
            search(QStringLiteral("text %1").arg(i % 11), false, false);
        auto *texts = find.findChild<QComboBox *>(QStringLiteral("cboFindWhat"));
        QCOMPARE(texts->count(), 10);
        QCOMPARE(texts->itemText(0), QStringLiteral("text 1"));
        QCOMPARE(texts->itemText(1), QStringLiteral("text 0"));
        QCOMPARE(texts->itemText(9), QStringLiteral("text 3"));

        // Opening it again brings the same window, with a single-line selection as the text.
        view.setSelStart(11);
        view.setSelLength(6);
        QCOMPARE(&window(), &find);
        QCOMPARE(find.findWhat(), QStringLiteral("second"));
        view.setSelLength(12);
        window();
        QCOMPARE(find.findWhat(), QStringLiteral("second"));
    }

    void cancelStopsASearchAndKeepsTheSelection() {
        RichTextView &view = open(QByteArray(1024 * 1024, 'x') + "needle\n");
        view.setSelStart(3);
        m_commands->findCommands().setSliceMs(0);
        search(QStringLiteral("needle"), false, false);
        QVERIFY(m_commands->findCommands().isSearching());
        QTest::keyClick(m_commands->findCommands().findWindow(), Qt::Key_Escape);
        QVERIFY(!m_commands->findCommands().isSearching());
        QVERIFY(m_commands->findCommands().findWindow()->isVisible());
        QCoreApplication::processEvents();
        QCOMPARE(view.selStart(), 3);
        QCOMPARE(view.selLength(), 0);
        QTest::keyClick(m_commands->findCommands().findWindow(), Qt::Key_Escape);
        QVERIFY(!m_commands->findCommands().findWindow()->isVisible());
    }
};

QTEST_MAIN(tst_FindCommands)
#include "tst_findcommands.moc"
