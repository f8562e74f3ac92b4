#include "support/guihost.h"

#include "document/filter/filterpane.h"

#include <QAccessible>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QSplitter>

using namespace Orvik;

// Rows: the file, the filter (text, regular expression), the change (appended, or written
// anew when `rewrite`), the matching line numbers before and after.
using Live = std::tuple<QByteArray, QString, bool, QByteArray, bool, QString, QString>;

// The filter pane of a document window: live as its file grows or is replaced, apart in
// slices for large texts, a row moving the view, following its end, the bar and its history.
class tst_FilterPane : public QObject {
    Q_OBJECT
    std::unique_ptr<GuiHost> h;
    std::shared_ptr<FilterHistory> history;

    FilterPane &filter(int slot, const QString &text, bool regex = false) {
        h->document(slot)->showFilter(history);
        FilterPane &pane = *h->document(slot)->filterPane();
        pane.regexBox().setChecked(regex);
        pane.filterBox().setEditText(text);
        return pane;
    }
    static QString lines(FilterPane &pane) {
        QStringList numbers;
        for (int row = 0; row < pane.model().rowCount(); ++row)
            numbers << QString::number(pane.model().line(row).number);
        return numbers.join(',');
    }
    QString open(const QByteArray &bytes, const char *name = "a.log") {
        const QString path = h->files.write(name, bytes);
        h->open(name);
        return path;
    }

private slots:
    void init() {
        h = std::make_unique<GuiHost>();
        history = std::make_shared<FilterHistory>();
        h->show();
    }

    void paneFollowsTheText_data() {
        QTest::addColumn<Live>("l");
        QTest::newRow("an append adds its matches")
            << Live{"a error\nb\n", "error", false, "c\nd ERROR\n", false, "1", "1,4"};
        QTest::newRow("a line completed by an append")
            << Live{"x\npartial err", "error", false, "or done\n", false, "", "2"};
        QTest::newRow("a last line that stops matching")
            << Live{"x\nabc err", "err$", true, "or\n", false, "2", ""};
        QTest::newRow("UTF-8 split across appends")
            << Live{"a\n\xc3", "\xc3\xa9t\xc3\xa9", false, "\xa9t\xc3\xa9\n", false, "", "2"};
        QTest::newRow("a long last line: an expression looks at its tail until it ends")
            << Live{"x\nERROR " + QByteArray(LineFilter::OpenTail, 'z'),
                    "^ERROR",
                    true,
                    "z\n",
                    false,
                    "",
                    "2"};
        QTest::newRow("replacement filters again")
            << Live{"error 1\nerror 2\n", "error", false, "ok\nerror 3\n", true, "1,2", "2"};
        QTest::newRow("rotation: a new file under the name")
            << Live{"error a\n", "^error", true, "b\nerror c\nerror d\n", true, "1", "2,3"};
    }
    void paneFollowsTheText() {
        QFETCH(Live, l);
        const auto &[initial, text, regex, change, rewrite, before, after] = l;
        open(initial);
        FilterPane &pane = filter(1, text, regex);
        QCOMPARE(lines(pane), before);
        if (rewrite) {
            h->files.rename("a.log", "a.log.1");
            h->files.write("a.log", change);
        } else {
            h->files.append("a.log", change);
        }
        h->cycle(); // in the same refresh that shows the new text
        QCOMPARE(lines(pane), after);
        const QString count = after.isEmpty() ? "0" : QString::number(after.count(',') + 1);
        QVERIFY(pane.status().text().startsWith(count + " matching line"));
    }

    // A file without line feeds, filtered apart and then as it grows: each append looks at
    // its own bytes, not at the whole line again.
    void appendsToALongLastLineCostTheirBytes() {
        open(QByteArray(LiveFilter::DefaultApartFrom + 1000, 'x') + "\rprogress 1%");
        FilterPane &pane = filter(1, QStringLiteral("done"));
        QTRY_VERIFY(!pane.liveFilter().isScanning());
        const quint64 before = LineFilter::bytesScanned();
        for (int i = 2; i <= 5; ++i) {
            h->files.append("a.log", "\rprogress " + QByteArray::number(i) + "%");
            h->cycle();
        }
        h->files.append("a.log", "\rdone");
        h->cycle();
        QVERIFY(LineFilter::bytesScanned() - before < 1000); // the line is over a megabyte
        QCOMPARE(lines(pane), QStringLiteral("1"));
    }

    // A text of ApartFrom bytes or more is filtered on a worker, slice by slice, with the busy
    // pointer on the rows; typing a new filter drops that scan, and appends join it.
    void largeTextsFilterApartInSlices() {
        QByteArray bytes;
        for (int i = 1; i <= 3000; ++i)
            bytes += "line " + QByteArray::number(i) + (i % 10 ? " ok\n" : " warn\n");
        open(bytes);
        FilterPane &pane = filter(1, QString());
        pane.liveFilter().setSizes(64, 200);
        pane.filterBox().setEditText(QStringLiteral("ok"));
        pane.filterBox().setEditText(QStringLiteral("warn"));
        QVERIFY(pane.liveFilter().isScanning());
        QVERIFY(pane.status().text().endsWith("matching lines so far"));
        QCOMPARE(pane.rows().cursor().shape(), Qt::BusyCursor);
        h->files.append("a.log", "late warn\nlast warn");
        h->cycle();
        QTRY_VERIFY(!pane.liveFilter().isScanning());
        QCOMPARE(pane.model().rowCount(), 302);
        QCOMPARE(pane.model().line(301).number, 3002);
        QCOMPARE(pane.model().lineText(300), QStringLiteral("late warn"));
        QCOMPARE(pane.status().text(), QStringLiteral("302 matching lines"));
        QCOMPARE(pane.rows().cursor().shape(), Qt::ArrowCursor);
    }

    // Copy's size check of the selected rows answers from the ranges of the selection, two
    // lines a range, unless the rows are far apart and near the limit.
    void selectedBytesAnswerFromTheRanges_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<qint64>("atMost");
        QTest::addColumn<qint64>("mostLookups");
        const QByteArray all = QByteArray("hit\n").repeated(5000);
        const QByteArray apart = QByteArray("hit\nother\r\n").repeated(2500);
        QTest::newRow("neighbouring lines past the limit") << all << qint64(15'000) << qint64(2);
        QTest::newRow("neighbouring lines within it") << all << qint64(20'000) << qint64(2);
        QTest::newRow("lines apart within the limit") << apart << qint64(30'000) << qint64(2);
        QTest::newRow("more lines than bytes allowed") << apart << qint64(2'499) << qint64(2);
        QTest::newRow("lines apart near the limit are counted")
            << apart << qint64(9'999) << qint64(2 + 2'500);
        QTest::newRow("neighbouring lines near the limit are counted")
            << all << qint64(19'999) << qint64(2 + 5'000);
    }
    void selectedBytesAnswerFromTheRanges() {
        QFETCH(QByteArray, text);
        QFETCH(qint64, atMost);
        QFETCH(qint64, mostLookups);
        open(text);
        FilterPane &pane = filter(1, QStringLiteral("hit"));
        pane.rows().selectAll();
        const qint64 before = pane.model().lookups();
        const qint64 bytes = pane.selectedBytes(atMost);
        QVERIFY(pane.model().lookups() - before <= mostLookups);
        const qint64 exact = pane.model().rowCount() * 4; // "hit" and a line break
        QCOMPARE(bytes > atMost, exact > atMost);
    }

    void rowsFollowTheirEndAndMoveTheView() {
        QByteArray bytes;
        for (int i = 1; i <= 400; ++i)
            bytes += "line " + QByteArray::number(i) + (i % 4 ? "\n" : " hit\n");
        open(bytes);
        h->document(1)->resize(600, 500);
        FilterPane &pane = filter(1, QStringLiteral("hit"));
        QScrollBar &bar = *pane.rows().verticalScrollBar();
        h->files.append("a.log", "new hit\n");
        h->cycle();
        QVERIFY(bar.maximum() > 0 && bar.value() == bar.maximum());
        bar.setValue(3); // the reader scrolled away: the rows stay
        h->files.append("a.log", "newer hit\n");
        h->cycle();
        QCOMPARE(bar.value(), 3);

        RichTextView &view = h->view(1);
        const QModelIndex row = pane.model().index(5, 0); // line 24
        QTest::mouseClick(pane.rows().viewport(), Qt::LeftButton, {},
                          pane.rows().visualRect(row).center());
        const qint64 start = view.viewText().lineStart(23);
        QCOMPARE(std::make_pair(view.selStart(), view.selLength()),
                 std::make_pair(start, qint64(11)));
        QVERIFY(!view.followsEnd());
        const auto [top, bottom] = view.visibleRange();
        QVERIFY(top < start && start < bottom && bottom < view.viewText().size());
        pane.rows().setCurrentIndex(pane.model().index(0, 0));
        QTest::keyClick(&pane.rows(), Qt::Key_Return);
        QCOMPARE(view.selStart(), view.viewText().lineStart(3));
    }

    // Invalid and hostile expressions, the history of ten shared by the windows, Escape and
    // reopening, two documents filtered at once; a window that never filters has no pane.
    void barHistoryAndTwoDocuments() {
        open("b error\nwarn\nc error\n");
        open("x\nwarn\n", "b.log");
        QVERIFY(!h->document(1)->findChild<QSplitter *>());
        const QRect box = h->view(1).geometry();
        FilterPane &first = filter(1, QStringLiteral("error"));
        QVERIFY(!first.filterBox().completer());
        first.regexBox().setChecked(true);
        first.filterBox().setEditText(QStringLiteral("error("));
        QVERIFY(first.statusIsError() && first.status().text().contains("missing closing"));
        QCOMPARE(lines(first), QStringLiteral("1,3"));
        h->files.append("a.log", QByteArray(100000, 'a') + "!\nerror\n");
        first.filterBox().setEditText(QStringLiteral("(a+)+$|error"));
        QCOMPARE(first.status().text(), QStringLiteral("2 matching lines"));
        h->cycle();
        QCOMPARE(first.status().text(), QStringLiteral("pattern too complex for line 4"));
        QCOMPARE(lines(first), QStringLiteral("1,3"));
        first.filterBox().setEditText(QStringLiteral("err.r"));
        QTest::keyClick(first.filterBox().lineEdit(), Qt::Key_Return);
        QCOMPARE(lines(first), QStringLiteral("1,3,5"));

        FilterPane &second = filter(2, QStringLiteral("WARN"));
        for (int i = 0; i < 12; ++i) {
            second.filterBox().setEditText(QStringLiteral("w%1").arg(i));
            QTest::keyClick(second.filterBox().lineEdit(), Qt::Key_Return);
        }
        second.filterBox().setEditText(QStringLiteral("WARN"));
        QTest::keyClick(second.filterBox().lineEdit(), Qt::Key_Return);
        QCOMPARE(history->texts().size(), 10);
        QCOMPARE(history->texts().front(), QStringLiteral("WARN"));
        h->files.append("a.log", "warn\n");
        h->files.append("b.log", "warn\n");
        h->cycle();
        QCOMPARE(lines(first), QStringLiteral("1,3,5"));
        QCOMPARE(lines(second), QStringLiteral("2,3"));

        QTest::keyClick(first.filterBox().lineEdit(), Qt::Key_Escape);
        QVERIFY(first.isHidden());
        QCOMPARE(first.model().rowCount(), 0);
        QCOMPARE(h->view(1).parentWidget()->geometry(), box);
        QTRY_COMPARE(h->view(1).height(), box.height());
        h->document(1)->showFilter(history);
        QCOMPARE(first.filterBox().currentText(), QStringLiteral("err.r"));
        QCOMPARE(first.filterBox().count(), 10);
        QCOMPARE(lines(first), QStringLiteral("1,3,5"));
    }

    // Rows as a reader reaches them: line number and text, the highlight drawn in its colour.
    void rowsAreAccessibleAndColoured() {
        h->module().HighLightString = QStringLiteral("error");
        h->module().HighLightPending = true;
        open("ok\nan error here\n");
        h->cycle();
        FilterPane &pane = filter(1, QStringLiteral("here"));
        QAccessibleInterface *list = QAccessible::queryAccessibleInterface(&pane.rows());
        QCOMPARE(list->role(), QAccessible::List);
        QCOMPARE(list->child(0)->text(QAccessible::Name), QStringLiteral("Line 2: an error here"));
        QVERIFY(redPixels(pane.rows().viewport()->grab().toImage()) > 0);
    }
};

QTEST_MAIN(tst_FilterPane)
#include "tst_filterpane.moc"
