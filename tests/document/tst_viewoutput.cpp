#include "support/guihost.h"

#include <QImage>
#include <QPrinter>
#include <QProcess>

using namespace Orvik;

// What leaves the view: the saved file and the printout.
class tst_ViewOutput : public QObject {
    Q_OBJECT
    std::unique_ptr<RichTextView> view;
    QTemporaryDir dir;

    QString print() {
        const QString pdf = dir.filePath(QStringLiteral("out.pdf"));
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        view->SelPrint(printer);
        return pdf;
    }

private slots:
    void init() {
        view = std::make_unique<RichTextView>();
        view->resize(400, 300);
    }

    void saveWritesExactlyTheBytes_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("empty text gives an empty file") << QByteArray();
        QTest::newRow("NUL, invalid UTF-8 and CR LF are kept")
            << QByteArray("a\0b\r\n\xff\xfe\xc3(\n\xe9t\xe9", 13);
        QByteArray big(3 * 1024 * 1024 + 17, 'x');
        for (int i = 0; i < big.size(); i += 97)
            big[i] = char(i % 256);
        QTest::newRow("several megabytes") << big;
    }
    void saveWritesExactlyTheBytes() {
        QFETCH(QByteArray, bytes);
        // Shown in two parts, as a file read and then appended to.
        view->setText(Contents::fromByteArray(bytes.left(bytes.size() / 2)));
        view->setSelStart(bytes.size());
        view->setSelText(Contents::fromByteArray(bytes.mid(bytes.size() / 2)));
        const QString path = dir.filePath(QStringLiteral("saved.log"));
        QFile(path).open(QIODevice::WriteOnly); // an existing file is replaced
        QString error;
        QVERIFY2(view->SaveFile(path, 1, &error), qPrintable(error));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), bytes);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"saved.log"}); // no leftovers
    }

    void saveReportsAFailure_data() {
        QTest::addColumn<QString>("path");
        QTest::newRow("folder that does not exist") << dir.filePath("missing/folder/out.txt");
        QTest::newRow("a folder's own path") << dir.path();
        QTest::newRow("no name") << QString();
    }
    void saveReportsAFailure() {
        QFETCH(QString, path);
        view->setText(Contents::fromByteArray("text"));
        QString error;
        QVERIFY(!view->SaveFile(path, 1, &error));
        QVERIFY(!error.isEmpty());
    }

    void printHoldsTheSelectionOrAllOnPagesWithTheRedMarks_data() {
        QTest::addColumn<qint64>("start");
        QTest::addColumn<qint64>("length");
        QTest::addColumn<QStringList>("present");
        QTest::addColumn<QStringList>("absent");
        QTest::newRow("nothing selected: the whole text, wrapped, on several pages")
            << qint64(0) << qint64(0) << QStringList{"ERROR", "line0", "line299", "w0", "w199"}
            << QStringList{};
        QTest::newRow("a selection across lines: only itself")
            << qint64(6) << qint64(14) << QStringList{"ERROR", "line1"}
            << QStringList{"line0", "line2"};
    }
    void printHoldsTheSelectionOrAllOnPagesWithTheRedMarks() {
        QFETCH(qint64, start);
        QFETCH(qint64, length);
        QFETCH(QStringList, present);
        QFETCH(QStringList, absent);
        QByteArray text = "line0 ERROR\n";
        for (int i = 1; i < 300; ++i)
            text += "line" + QByteArray::number(i) + '\n';
        for (int i = 0; i < 200; ++i)
            text += "w" + QByteArray::number(i) + ' ';
        view->setText(Contents::fromByteArray(text));
        view->colorRange(6, 5, HighlightColor);
        view->setSelStart(start);
        view->setSelLength(length);
        const QString pdf = print();
        PDF_TEXT_OR_SKIP(printed, pdf);
        for (const QString &word : present)
            QVERIFY2(printed.contains(word), qPrintable(word + " missing from: " + printed));
        for (const QString &word : absent)
            QVERIFY2(!printed.contains(word), qPrintable(word + " printed in: " + printed));
        const QStringList rows = printed.split('\n');
        if (length == 0) { // the long line wraps over several printed lines; 300 lines need pages
            QVERIFY(printed.count('\f') >= 3);
            QVERIFY(rows.indexOf(QRegularExpression(".*\\bw199\\b.*")) >
                    rows.indexOf(QRegularExpression(".*\\bw0 .*")));
        }
        QProcess p;
        p.start("pdftoppm", {"-r", "100", "-png", "-singlefile", pdf, dir.filePath("page")});
        QVERIFY(p.waitForFinished(30000) && p.exitCode() == 0);
        const QImage page(dir.filePath("page.png"));
        QVERIFY2(redPixels(page) > 10, "the highlight is not red on paper");
    }

    void printKeepsTabColumns() {
        view->setFont(QFont(QStringLiteral("DejaVu Sans Mono"), 10)); // columns in blanks
        view->setText(Contents::fromByteArray("a\tbeta\tc\nlonger\tx\ty\n"));
        PDF_TEXT_OR_SKIP(printed, print());
        const QStringList rows = printed.split('\n');
        const int first = int(rows.indexOf(QRegularExpression(".*\\bbeta\\b.*")));
        QVERIFY2(first >= 0 && first + 1 < rows.size(), qPrintable(printed));
        QCOMPARE(rows[first].indexOf(QStringLiteral("beta")), rows[first + 1].indexOf('x'));
        QCOMPARE(rows[first].lastIndexOf('c'), rows[first + 1].indexOf('y'));
    }
};

QTEST_MAIN(tst_ViewOutput)
#include "tst_viewoutput.moc"
