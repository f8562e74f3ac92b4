// The window of all logs by time through the main window: the order of the rows, the logs
// changing under it, its filter, the jump to a log's line, Copy and the build on a thread.
#include "document/merged/frmmerged.h"
#include "document/merged/mergedfilterpane.h"
#include "document/merged/mergedview.h"

#include "support/guihost.h"
#include "support/mainwindowfixture.h"

#include "commands/windowcommands.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QMdiArea>
#include <QPrinter>
#include <QScrollBar>
#include <QSignalSpy>
#include <QtTest>

using namespace Orvik;

namespace {
// Lines at 13:58:SS of one day, each "time word"; a line given without a colon has no time.
QByteArray logText(const QStringList &lines) {
    QByteArray text;
    for (const QString &line : lines)
        text += (line.contains(QLatin1Char(' ')) && line.front().isDigit()
                     ? QStringLiteral("2026-12-08 13:58:") + line
                     : line)
                    .toUtf8() +
                '\n';
    return text;
}

struct MergedFixture : MainWindowFixture {
    frmMain *w = window.get();

    explicit MergedFixture(const QList<QByteArray> &logs) {
        load(logs);
        w->resize(1000, 900);
    }
    static QString name(int n) { return QStringLiteral("%1.log").arg(n); }
    frmMerged &merged() {
        w->menus().mnuWindowAllLogsByTime->trigger();
        frmMerged *opened = w->commands().windowCommands().mergedWindow();
        if (!opened)
            qFatal("the window of all logs did not open");
        return *opened;
    }
    void append(int n, const QStringList &lines) { files.append(name(n), logText(lines)); }
    void cycle() { module.RefreshDocuments(0); }
};

// Each row as "tag:last word of its line".
QStringList rowsOf(const MergedView &view, const MergedRowList &list) {
    QStringList rows;
    for (qint64 i = 0; i < list.rowCount(); ++i) {
        const QString text = view.rowText(i);
        rows << text.section(QLatin1Char(':'), 0, 0) + QLatin1Char(':') +
                    text.section(QLatin1Char(' '), -1);
    }
    return rows;
}
QStringList rowsOf(frmMerged &merged) {
    return rowsOf(merged.view(), merged.logs());
}
} // namespace

class tst_frmMerged : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { MergedLogs::setDefaultSliceLines(MergedLogs::DefaultSliceLines); }

    void mergeOrder_data() {
        QTest::addColumn<QList<QByteArray>>("logs");
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<QString>("caption");
        QTest::newRow("equal times keep the slot order")
            << QList<QByteArray>{logText({"40 a1", "41 a2"}), logText({"40 b1", "42 b2"})}
            << QStringList{"1.log:a1", "2.log:b1", "1.log:a2", "2.log:b2"}
            << "All Logs by Time - 2 logs - 4 lines";
        QTest::newRow("lines without a time ride with the line before")
            << QList<QByteArray>{logText({"40 a1", "  at x1", "43 a2"}), logText({"41 b1"})}
            << QStringList{"1.log:a1", "1.log:x1", "2.log:b1", "1.log:a2"}
            << "All Logs by Time - 2 logs - 4 lines";
        QTest::newRow("lines before a first time come first")
            << QList<QByteArray>{logText({"head", "41 a1"}), logText({"40 b1"})}
            << QStringList{"1.log:head", "2.log:b1", "1.log:a1"}
            << "All Logs by Time - 2 logs - 3 lines";
        QTest::newRow("an unfinished last line is in")
            << QList<QByteArray>{logText({"40 a1"}) + "2026-12-08 13:58:42 a2", logText({"41 b1"})}
            << QStringList{"1.log:a1", "2.log:b1", "1.log:a2"}
            << "All Logs by Time - 2 logs - 3 lines";
        QTest::newRow("a log without times is left out and said so")
            << QList<QByteArray>{logText({"no time", "at all"}), logText({"41 b1"})}
            << QStringList{"2.log:b1"} << "All Logs by Time - 1 logs - 1 lines - 1 without times";
    }
    void mergeOrder() {
        QFETCH(QList<QByteArray>, logs);
        QFETCH(QStringList, rows);
        QFETCH(QString, caption);
        MergedFixture f(logs);
        QAction &item = *f.w->menus().mnuWindowAllLogsByTime;
        QVERIFY(item.isEnabled());
        frmMerged &merged = f.merged();
        QCOMPARE(rowsOf(merged), rows);
        QCOMPARE(merged.windowTitle(), caption);
        // Screen readers read each row with its tag.
        QAccessibleInterface *list = QAccessible::queryAccessibleInterface(&merged.view());
        QVERIFY(list && list->childCount() == rows.size());
        QCOMPARE(list->child(0)->text(QAccessible::Name), merged.view().rowText(0));
        QVERIFY(
            list->child(0)->text(QAccessible::Name).startsWith(rows[0].section(':', 0, 0) + ": "));
        // One window, listed with the documents, taking no slot of the table.
        QCOMPARE(&f.merged(), &merged);
        QCOMPARE(f.module.DocCount, logs.size());
        QCOMPARE(f.w->workspace().activeSubWindow(), &merged);
        f.w->menus().updateWindowList();
        QVERIFY(f.w->menus().windowListActions().last()->text().endsWith(caption));
        // Each log's colour is the stripe of its own window.
        for (int slot = 1; slot <= f.module.DocCount; ++slot) {
            const bool times = f.document(slot)->rtfText().hasTimes();
            QCOMPARE(f.document(slot)->logColor().isValid(), times);
        }
    }

    void disabledWithoutTimes() {
        MergedFixture f({logText({"no time"})});
        QVERIFY(!f.w->menus().mnuWindowAllLogsByTime->isEnabled());
        f.files.write(MergedFixture::name(1), logText({"40 now with a time"}));
        f.cycle();
        QVERIFY(f.w->menus().mnuWindowAllLogsByTime->isEnabled());
        f.document(1)->close();
        QVERIFY(!f.w->menus().mnuWindowAllLogsByTime->isEnabled());
    }

    // The logs change under the open window: its rows are those of a merge made anew.
    void liveChanges_data() {
        QTest::addColumn<QString>("change");
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<QString>("caption");
        QTest::newRow("append to one log")
            << "append1" << QStringList{"1.log:a1", "2.log:b1", "1.log:a2", "2.log:b2", "1.log:a3"}
            << "All Logs by Time - 2 logs - 5 lines";
        QTest::newRow("append to two at once")
            << "append2"
            << QStringList{"1.log:a1", "2.log:b1", "1.log:a2", "2.log:b2", "2.log:b3", "1.log:a3"}
            << "All Logs by Time - 2 logs - 6 lines";
        QTest::newRow("a line older than the last goes to its time")
            << "older" << QStringList{"1.log:a1", "2.log:b1", "2.log:b4", "1.log:a2", "2.log:b2"}
            << "All Logs by Time - 2 logs - 5 lines";
        QTest::newRow("a last line whose time comes as it grows")
            << "open" << QStringList{"1.log:a1", "2.log:b1", "1.log:a2", "2.log:b2", "1.log:a3"}
            << "All Logs by Time - 2 logs - 5 lines";
        QTest::newRow("rotation of one log")
            << "rotate" << QStringList{"2.log:b1", "2.log:b2", "1.log:c1"}
            << "All Logs by Time - 2 logs - 3 lines";
        QTest::newRow("a closed log's rows go") << "close" << QStringList{"2.log:b1", "2.log:b2"}
                                                << "All Logs by Time - 1 logs - 2 lines";
        QTest::newRow("a log opened joins")
            << "open3" << QStringList{"1.log:a1", "2.log:b1", "3.log:d1", "1.log:a2", "2.log:b2"}
            << "All Logs by Time - 3 logs - 5 lines";
        QTest::newRow("on a thread when large, what came meanwhile after it")
            << "thread"
            << QStringList{"1.log:a1", "2.log:b1", "3.log:d1", "1.log:a2", "2.log:b2", "1.log:a3"}
            << "All Logs by Time - 3 logs - 6 lines";
    }
    void liveChanges() {
        QFETCH(QString, change);
        QFETCH(QStringList, rows);
        QFETCH(QString, caption);
        MergedFixture f({logText({"40 a1", "42 a2"}), logText({"41 b1", "43 b2"})});
        frmMerged &merged = f.merged();
        QSignalSpy captions(&merged, &QWidget::windowTitleChanged);
        if (change == "append1") {
            f.append(1, {"44 a3"});
        } else if (change == "append2") {
            f.append(1, {"45 a3"});
            f.append(2, {"44 b3"});
        } else if (change == "older") {
            f.append(2, {"41.5 b4"});
        } else if (change == "open") {
            f.files.append(MergedFixture::name(1), "2026-12-08 13:5");
            f.cycle();
            QCOMPARE(rowsOf(merged).size(), 5); // riding with a2 for now
            f.files.append(MergedFixture::name(1), "8:44 a3\n");
        } else if (change == "rotate") {
            f.files.write(MergedFixture::name(1), logText({"46 c1"}));
        } else if (change == "close") {
            f.document(1)->close();
        } else {
            if (change == "thread")
                merged.logs().setSliceLines(0);
            f.module.OpenDocument(f.files.write(MergedFixture::name(3), logText({"41.5 d1"})));
            // The build's lists come by queued calls: this append is seen while it runs.
            if (change == "thread")
                f.append(1, {"44 a3"});
        }
        f.cycle();
        QTRY_COMPARE(merged.windowTitle(), caption);
        QCOMPARE(rowsOf(merged), rows);
        if (change == "thread")
            QVERIFY(captions.first().first().toString().contains("merging 2 of 3 logs"));
    }

    // A reader who selected or scrolled away keeps the place; one who did not sees the end.
    void followsTheEnd_data() {
        QTest::addColumn<QString>("reader");
        QTest::newRow("following: the new end in view") << "none";
        QTest::newRow("a selection keeps its lines") << "select";
        QTest::newRow("scrolled away keeps the rows on screen") << "scroll";
    }
    void followsTheEnd() {
        QFETCH(QString, reader);
        QStringList many;
        for (int i = 10; i < 60; ++i)
            many << QStringLiteral("%1 a%1").arg(i);
        MergedFixture f({logText(many), logText({"05 b0"})});
        frmMerged &merged = f.merged();
        MergedView &view = merged.view();
        merged.resize(600, 300);
        view.listChanged();
        QVERIFY(view.followsEnd() && view.topRow() > 0);
        if (reader == "select") {
            view.selectRows(3, 3);
        } else if (reader == "scroll") {
            view.verticalScrollBar()->setValue(2);
        }
        const QString top = view.rowText(view.topRow());
        // One line before those on screen, one after them.
        f.append(2, {"06 b1"});
        f.append(1, {"59.5 late"});
        f.cycle();
        QCOMPARE(merged.logs().rowCount(), 53);
        if (reader == "none") {
            QVERIFY(view.followsEnd());
            QCOMPARE(view.topRow() + view.visibleRows(), 53);
        } else {
            QVERIFY(!view.followsEnd());
            QCOMPARE(view.rowText(view.topRow()), top);
        }
        if (reader == "select")
            QCOMPARE(view.rowText(view.selection().first).section(' ', -1), QString("a12"));
    }

    // The filter bar across every log, after appends to them, its rows in time order.
    void filterAcrossLogs_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("regex");
        QTest::addColumn<QStringList>("rows");
        QTest::newRow("plain text")
            << "ERROR" << false
            << QStringList{"1.log:a1", "2.log:b2", "1.log:a3", "2.log:b3", "1.log:a4"};
        QTest::newRow("regular expression")
            << "ERROR [ab][34]" << true << QStringList{"1.log:a3", "2.log:b3", "1.log:a4"};
    }
    void filterAcrossLogs() {
        QFETCH(QString, text);
        QFETCH(bool, regex);
        QFETCH(QStringList, rows);
        MergedFixture f(
            {logText({"40 ERROR a1", "42 info a2"}), logText({"41 info b1", "43 ERROR b2"})});
        frmMerged &merged = f.merged();
        f.w->menus().mnuEditFilter->trigger();
        MergedFilterPane *pane = merged.filterPane();
        QVERIFY(pane && pane->isVisible());
        pane->regexBox().setChecked(regex);
        pane->filterBox().setEditText(text);
        f.append(1, {"44 ERROR a3", "46 ERROR a4"});
        f.append(2, {"45 ERROR b3", "47 info b4"});
        f.cycle();
        QTRY_COMPARE(rowsOf(pane->rows(), pane->filter()), rows);
        QCOMPARE(pane->status().text(), QStringLiteral("%1 matching lines").arg(rows.size()));
    }

    // A click or Enter on a row is the reader's move to its line in its log's window.
    void jumpToTheLine_data() {
        QTest::addColumn<QString>("how");
        QTest::newRow("a click on a row") << "click";
        QTest::newRow("Enter on the current row") << "enter";
        QTest::newRow("a click in the filter pane") << "filter";
    }
    void jumpToTheLine() {
        QFETCH(QString, how);
        MergedFixture f({logText({"40 a1", "42 a2", "44 a3"}), logText({"41 b1", "43 b2"})});
        frmMerged &merged = f.merged();
        MergedView *view = &merged.view();
        qint64 row = 2; // 1.log:a2
        if (how == "filter") {
            f.w->menus().mnuEditFilter->trigger();
            merged.filterPane()->filterBox().setEditText(QStringLiteral("a2"));
            view = &merged.filterPane()->rows();
            QTRY_COMPARE(merged.filterPane()->filter().rowCount(), 1);
            row = 0;
        }
        QSignalSpy moved(&f.document(1)->rtfText(), &RichTextView::readerMoved);
        if (how == "enter") {
            view->selectRows(row, row);
            QTest::keyClick(view, Qt::Key_Return);
        } else {
            view->listChanged();
            const int height = view->fontMetrics().height();
            QTest::mouseClick(view->viewport(), Qt::LeftButton, {},
                              QPoint(40, 2 + int(row - view->topRow()) * height + height / 2));
        }
        QCOMPARE(f.w->activeDocument(), f.document(1));
        QCOMPARE(f.document(1)->rtfText().selectedPlainText(), QString("2026-12-08 13:58:42 a2"));
        QCOMPARE(moved.size(), 1);
    }

    // Copy takes the rows with their tags, under the clipboard's limit.
    void copyRows_data() {
        QTest::addColumn<qint64>("limit");
        QTest::addColumn<QString>("copied");
        QTest::newRow("selected rows with their tags")
            << qint64(1000) << "1.log  2026-12-08 13:58:40 a1\n2.log  2026-12-08 13:58:41 b1\n";
        QTest::newRow("too large: refused") << qint64(20) << "before";
    }
    void copyRows() {
        QFETCH(qint64, limit);
        QFETCH(QString, copied);
        MergedFixture f({logText({"40 a1"}), logText({"41 b1"})});
        frmMerged &merged = f.merged();
        merged.view().selectRows(0, 1);
        QGuiApplication::clipboard()->setText(QStringLiteral("before"));
        WindowCommands::setClipboardLimit(limit);
        // The refusal's message box is answered as soon as it shows.
        QTimer::singleShot(0, qApp, [] {
            if (QWidget *box = QApplication::activeModalWidget())
                box->close();
        });
        f.w->menus().mnuEditCopy->trigger();
        WindowCommands::setClipboardLimit(INT_MAX);
        QCOMPARE(QGuiApplication::clipboard()->text(), copied);
        if (limit < 1000)
            return;
        // Printing takes the same rows.
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        const QString pdf = f.files.path(QStringLiteral("rows.pdf"));
        printer.setOutputFileName(pdf);
        QVERIFY(merged.print(printer));
        PDF_TEXT_OR_SKIP(text, pdf);
        QVERIFY2(text.contains("1.log") && text.contains("13:58:41 b1"), qPrintable(text));
    }
};

QTEST_MAIN(tst_frmMerged)
#include "tst_frmmerged.moc"
