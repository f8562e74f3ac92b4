// Times through the main window: Edit, Go to Time on the active document, and Window,
// Synchronize by Time across the document windows, as the menus and the views reach them.
#include "support/mainwindowfixture.h"

#include "commands/frmgototime.h"
#include "document/filter/filterhistory.h"
#include "document/filter/filterpane.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QMdiArea>
#include <QSignalSpy>
#include <QtTest>

#include <time.h>

using namespace Orvik;

namespace {
// Times in the system zone (UTC here), one a line, with a line of a stack trace.
const QString Iso = QStringLiteral("2026-12-08 13:58:40 start\n2026-12-08 13:58:42.500 b\n"
                                   "  at trace\n2026-12-08 13:59:00 c\n");
// The same moments in the web server's form, with its offset.
const QString Later =
    QStringLiteral("10.0.0.1 - - [08/Dec/2026:13:58:41 +0000] \"GET /one HTTP/1.1\" 200 5\n"
                   "10.0.0.1 - - [08/Dec/2026:14:58:43 +0100] \"GET /two HTTP/1.1\" 200 5\n"
                   "10.0.0.1 - - [08/Dec/2026:13:58:45 +0000] \"GET /three HTTP/1.1\" 200 5\n");
const QString NoTimes = QStringLiteral("no time\nat all\n");

// The real main window over real files, its settings file in the files' folder, with the
// documents of `logs` opened from the command line, tiled and following their ends.
struct TimeFixture : MainWindowFixture {
    frmMain *w = window.get();

    explicit TimeFixture(const QStringList &logs) {
        QList<QByteArray> texts;
        for (const QString &log : logs)
            texts << log.toUtf8();
        load(texts);
        w->resize(1000, 900); // room for every line in each of three tiles
        w->commands().mnuWindowTileHorizontal_Click();
        for (int slot = 1; slot <= module.DocCount; ++slot)
            view(slot).updateGeometryNow();
    }
    RichTextView &view(int slot) { return document(slot)->rtfText(); }
    // Go to Time on the active document with `typed` entered.
    frmGoToTime &goToTime(const QString &typed) {
        w->menus().mnuEditGoToTime->trigger();
        frmGoToTime *opened = w->commands().timeCommands().goToTimeWindow();
        if (!opened)
            qFatal("Go to Time did not open");
        frmGoToTime &box = *opened;
        box.setTimeText(typed);
        QTest::keyClick(&box.txtTime(), Qt::Key_Return);
        return box;
    }
    qint64 caretLine(int slot) { return view(slot).viewText().lineAt(view(slot).selStart()); }
};
} // namespace

class tst_TimeWindows : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        qputenv("TZ", "UTC");
        tzset();
    }
    void goToTime_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("line"); // selected; -1: nothing moved
        QTest::addColumn<QString>("note");
        QTest::newRow("hours and minutes") << "13:59" << 3 << "";
        QTest::newRow("a fraction of a second") << "13:58:42.5" << 1 << "";
        QTest::newRow("between two lines: the later") << "13:58:41" << 1 << "";
        QTest::newRow("date and time") << "2026-12-08 13:58" << 0 << "";
        QTest::newRow("before the first line") << "2026-12-07T23:00:00" << 0 << "";
        QTest::newRow("after the last line")
            << "13:59:01" << 3 << "After the last line: went to the end";
        QTest::newRow("no time") << "lunch" << -1 << "Not a time";
        QTest::newRow("nothing") << "" << -1 << "Not a time";
    }
    void goToTime() {
        QFETCH(QString, typed);
        QFETCH(int, line);
        QFETCH(QString, note);
        TimeFixture f({Iso});
        RichTextView &view = f.view(1);
        const qint64 end = view.text().size();
        checkFilledWithCaretTime(f);
        const frmGoToTime &box = f.goToTime(typed);
        QCOMPARE(box.note(), note);
        QCOMPARE(box.isVisible(), !note.isEmpty());
        if (line < 0) {
            QVERIFY(view.selStart() == end && view.followsEnd());
            return;
        }
        const QStringList lines = Iso.split('\n');
        QCOMPARE(view.selectedPlainText(), lines[line]);
        QVERIFY(!view.followsEnd());
    }

    // Enabled while the active document has times, the window list's order kept.
    void goToTimeFollowsTheActiveDocument() {
        TimeFixture f({NoTimes, Iso});
        QAction &item = *f.w->menus().mnuEditGoToTime;
        QVERIFY(item.isEnabled());
        f.document(1)->activate();
        QVERIFY(!item.isEnabled());
        f.w->workspace().closeAllSubWindows();
        QVERIFY(!item.isEnabled());
    }

    // A reader's move in the first window shows the second at its last line at or before the
    // move's time; the third has no times and keeps following.
    void synchronizeByTime_data() {
        QTest::addColumn<QString>("move");
        QTest::addColumn<bool>("on");
        QTest::newRow("a click") << "click" << true;
        QTest::newRow("a key") << "key" << true;
        QTest::newRow("Go to Time") << "goto" << true;
        QTest::newRow("a click in the filter pane") << "filter" << true;
        QTest::newRow("while off: the others stay") << "click" << false;
    }
    void synchronizeByTime() {
        QFETCH(QString, move);
        QFETCH(bool, on);
        TimeFixture f({Iso, Later, NoTimes});
        QAction &item = *f.w->menus().mnuWindowSynchronize;
        QVERIFY(item.isCheckable() && !item.isChecked());
        if (on)
            item.trigger();
        RichTextView &a = f.view(1);
        RichTextView &b = f.view(2);
        RichTextView &c = f.view(3);
        QSignalSpy echoes(&b, &RichTextView::readerMoved);
        const QRect placed = f.document(2)->geometry();
        f.document(1)->activate();
        const qint64 lineB = a.viewText().lineStart(1); // 13:58:42.500
        if (move == "click") {
            QTest::mouseClick(a.viewport(), Qt::LeftButton, {},
                              a.characterRect(lineB + 3).center());
        } else if (move == "key") {
            a.setSelStart(0);
            QTest::keyClick(&a, Qt::Key_Down);
        } else if (move == "goto") {
            f.goToTime(QStringLiteral("13:58:42"));
        } else {
            f.document(1)->showFilter(std::make_shared<FilterHistory>());
            FilterPane &pane = *f.document(1)->filterPane();
            pane.filterBox().setEditText(QStringLiteral(" b"));
            QTRY_COMPARE(pane.model().rowCount(), 1);
            QTest::mouseClick(pane.rows().viewport(), Qt::LeftButton, {},
                              pane.rows().visualRect(pane.model().index(0, 0)).center());
        }
        QCOMPARE(f.caretLine(1), 1);
        QCOMPARE(f.caretLine(2), on ? 0 : 3);
        QCOMPARE(b.timeBandLine(), on ? 0 : -1);
        QCOMPARE(b.followsEnd(), !on);
        QVERIFY(c.followsEnd() && c.selStart() == c.text().size() && c.timeBandLine() < 0);
        QVERIFY(echoes.isEmpty() && f.document(2)->geometry() == placed);
        if (!on)
            return;
        // Ctrl+End in any window: all follow again, the band gone.
        QTest::keyClick(&c, Qt::Key_End, Qt::ControlModifier);
        QTRY_VERIFY(a.followsEnd() && b.followsEnd() && c.followsEnd());
        QCOMPARE(b.timeBandLine(), -1);
    }

private:
    static void checkFilledWithCaretTime(TimeFixture &f) {
        f.w->menus().mnuEditGoToTime->trigger();
        const frmGoToTime &box = *f.w->commands().timeCommands().goToTimeWindow();
        QCOMPARE(box.timeText(), wantedTimeText(f.view(1).caretTime()));
        QCOMPARE(box.timeText().left(19), QStringLiteral("2026-12-08 13:59:00"));
    }
};

QTEST_MAIN(tst_TimeWindows)
#include "tst_timewindows.moc"
